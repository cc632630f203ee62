// Fuzz target: on arbitrary bytes the matcher (the grammar matcher, or the
// exact matcher for a line the grammar declines) must agree with the exact
// matcher field for field, the grammar must assign nothing where it
// declines, and a whole conversion must give the reference conversion's
// rows. The stored corpus holds a line of every shape candump writes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "conversion/convert.h"
#include "conversion/exact_matcher.h"
#include "conversion/line_grammar.h"
#include "conversion/log_line.h"
#include "reference.h"

namespace {

using pluckrow::frame_record;

void check_line(std::string_view line) {
  const frame_record before{-7.25, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  frame_record matched = before;
  frame_record exact = before;
  frame_record grammar = before;
  const int count = pluckrow::parse_log_line(line, matched);
  const int exact_count = pluckrow::match_exactly(line, exact);
  pluckrow::line_match match{};
  const bool taken = pluckrow::match_candump_line(line, grammar, match);
  if (count != exact_count || std::memcmp(&matched, &exact, sizeof exact) != 0 ||
      (!taken && std::memcmp(&grammar, &before, sizeof before) != 0)) {
    std::fprintf(stderr, "matchers disagree on \"%s\": %d vs %d fields\n",
                 pluckrow::reference::escaped(line).c_str(), count, exact_count);
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
  // The input's first line, as the reader would give it.
  const std::size_t newline = bytes.find('\n');
  const std::size_t length = newline == bytes.npos ? bytes.size() : newline + 1;
  check_line(bytes.substr(0, std::min(length, pluckrow::max_line_bytes)));
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
