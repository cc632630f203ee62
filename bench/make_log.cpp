// Writes a generated log for timing whole programs:
//   make_log LINES FILE [absolute|log-file|untimed|SHAPE]
//   make_log --shapes        lists the shapes of shape_logs.h
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "log_generator.h"
#include "shape_logs.h"

int main(int argc, char** argv) {
  using pluckrow::bench::log_layout;
  if (argc == 2 && std::string_view(argv[1]) == "--shapes") {
    for (const std::string_view name : pluckrow::bench::shape_names()) {
      std::printf("%.*s\n", static_cast<int>(name.size()), name.data());
    }
    return 0;
  }
  const std::string_view name = argc == 4 ? argv[3] : "absolute";
  const std::size_t lines = argc >= 3 ? std::strtoull(argv[1], nullptr, 10) : 0;
  // The three layouts of the same frames first, then the shapes.
  std::string log;
  if (name == "absolute" || name == "log-file" || name == "untimed") {
    const log_layout layout = name == "log-file"  ? log_layout::log_file
                              : name == "untimed" ? log_layout::untimed
                                                  : log_layout::absolute;
    log = pluckrow::bench::generate_log(lines, 1, layout);
  } else {
    log = pluckrow::bench::generate_shape_log(name, lines);
  }
  if ((argc != 3 && argc != 4) || log.empty()) {
    std::fputs("usage: pluckrow_make_log LINES FILE [absolute|log-file|untimed|SHAPE]\n", stderr);
    return 1;
  }
  std::FILE* file = std::fopen(argv[2], "wb");
  const bool written =
      file != nullptr && std::fwrite(log.data(), 1, log.size(), file) == log.size();
  return file != nullptr && std::fclose(file) == 0 && written ? 0 : 1;
}
