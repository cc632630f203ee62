#include "shape_logs.h"

#include <iterator>

#include "line_shapes.h"

namespace pluckrow::bench {

std::vector<std::string_view> shape_names() {
  std::vector<std::string_view> names;
  for (const test::shape& shape : test::shapes) names.push_back(shape.key);
  names.push_back("messy");
  return names;
}

std::string generate_shape_log(std::string_view name, std::size_t lines) {
  const test::shape* only = nullptr;
  for (const test::shape& shape : test::shapes) {
    if (shape.key == name) only = &shape;
  }
  if (only == nullptr && name != "messy") return {};
  test::line_generator generator(1, test::fields::as_candump);
  std::string log;
  for (std::size_t i = 0; i < lines; ++i) {
    // "messy": each line of a shape of its own, as in a log several tools wrote.
    const test::shape& shape =
        only != nullptr ? *only : test::shapes[generator.pick(std::size(test::shapes))];
    log.append(shape.make(generator)).push_back('\n');
  }
  return log;
}

}  // namespace pluckrow::bench
