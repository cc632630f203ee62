// Fuzz target: on arbitrary bytes the fast matcher must agree with the
// standard matcher field for field, and a whole conversion must give the
// reference conversion's rows.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "conversion/convert.h"
#include "conversion/log_line.h"
#include "reference.h"

namespace {

using pluckrow::frame_record;

void check_line(std::string_view line) {
  frame_record fast{-7.25, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  frame_record standard = fast;
  const int fast_count = pluckrow::parse_log_line(line, fast);
  const int standard_count = pluckrow::match_exactly(line, standard);
  if (fast_count != standard_count || std::memcmp(&fast, &standard, sizeof fast) != 0) {
    std::fprintf(stderr, "matchers disagree on \"%s\": %d vs %d fields\n",
                 pluckrow::reference::escaped(line).c_str(), fast_count, standard_count);
    std::abort();
  }
}

std::string convert(std::string_view log) {
  std::FILE* input = fmemopen(const_cast<char*>(log.data()), log.size(), "r");
  char* rows = nullptr;
  std::size_t size = 0;
  std::FILE* output = open_memstream(&rows, &size);
  frame_record record{};
  if (pluckrow::convert_log(input, output, record) != pluckrow::convert_status::converted) {
    std::abort();
  }
  std::fclose(input);
  std::fclose(output);
  std::string text(rows, size);
  std::free(rows);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  check_line(bytes.substr(0, pluckrow::max_line_bytes));
  if (!bytes.empty()) {
    frame_record record{};
    const std::string expected = pluckrow::reference::rows(bytes, record);
    if (convert(bytes) != expected) {
      std::fprintf(stderr, "conversion differs from the reference\n");
      std::abort();
    }
  }
  return 0;
}
