#include "conversion/matching/exact_matcher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "conversion/text/line_reader.h"

namespace pluckrow {
namespace {

// sscanf needs a C string: the text as one, ended at the window's end or at
// an embedded NUL, as it would be after fgets.
struct c_line {
  explicit c_line(std::string_view line) {
    const std::size_t size = std::min(line.size(), max_line_bytes);
    std::memcpy(text, line.data(), size);
    text[size] = '\0';
  }
  char text[max_line_bytes + 1];
};

// The pattern from its identifier on, as its tail is matched in candump's
// print layouts whose start differs.
const char* const pattern_tail = std::strstr(log_line_pattern, "%03X");

// The time stamp that " (%lf)" assigned at the start of `text`. MinGW's
// scanf rounds some decimal numbers one unit off, where its strtod (like the
// grammar matcher) is exact: there it is read again with strtod, which takes
// exactly the text that %lf took.
double exact_time_stamp([[maybe_unused]] const char* text, [[maybe_unused]] double scanned) {
#ifdef __MINGW32__
  int start = 0;
  std::sscanf(text, " (%n", &start);
  return std::strtod(text + start, nullptr);
#else
  return scanned;
#endif
}

}  // namespace

int match_exactly(std::string_view line, frame_record& record) {
  const c_line text(line);
  const int assigned =
      std::sscanf(text.text, log_line_pattern, &record.time_stamp, &record.identifier,
                  &record.length, &record.data0, &record.data1, &record.data2, &record.data3,
                  &record.data4, &record.data5, &record.data6, &record.data7);
  if (assigned > time_stamp_index) {
    record.time_stamp = exact_time_stamp(text.text, record.time_stamp);
  }
  return std::max(assigned, 0);  // EOF: input ended before the first conversion
}

int match_pattern_tail(std::string_view tail, frame_record& record) {
  const c_line text(tail);
  const int assigned = std::sscanf(text.text, pattern_tail, &record.identifier, &record.length,
                                   &record.data0, &record.data1, &record.data2, &record.data3,
                                   &record.data4, &record.data5, &record.data6, &record.data7);
  return std::max(assigned, 0);
}

const char* match_pattern_time_stamp(std::string_view line, double& value) {
  const c_line text(line);
  int after = -1;
  double scanned;
  std::sscanf(text.text, " (%lf)%n", &scanned, &after);
  if (after < 0) return nullptr;
  value = exact_time_stamp(text.text, scanned);
  return line.data() + after;
}

}  // namespace pluckrow
