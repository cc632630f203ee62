#include "conversion/matching/exact_matcher.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "conversion/matching/other_layouts.h"
#include "conversion/text/line_reader.h"

namespace pluckrow {
namespace {

// sscanf needs a C string: the line as one, ended at the window's end or at
// an embedded NUL, as it would be after fgets.
struct c_line {
  explicit c_line(std::string_view line) {
    const std::size_t size = std::min(line.size(), max_line_bytes);
    std::memcpy(text, line.data(), size);
    text[size] = '\0';
  }
  char text[max_line_bytes + 1];
};

int sscanf_pattern(const char* text, frame_record& record) {
  const int assigned =
      std::sscanf(text, log_line_pattern, &record.time_stamp, &record.identifier, &record.length,
                  &record.data0, &record.data1, &record.data2, &record.data3, &record.data4,
                  &record.data5, &record.data6, &record.data7);
#ifdef __MINGW32__
  // MinGW's scanf rounds some decimal numbers one unit off, where its strtod
  // (like the grammar matcher) is exact: the time stamp is read again with
  // strtod, which takes exactly the text that %lf took.
  if (assigned > time_stamp_index) {
    int start = 0;
    std::sscanf(text, " (%n", &start);
    record.time_stamp = std::strtod(text + start, nullptr);
  }
#endif
  return std::max(assigned, 0);  // EOF: input ended before the first conversion
}

}  // namespace

int match_exactly(std::string_view line, frame_record& record) {
  const c_line text(line);
  const int standard = sscanf_pattern(text.text, record);
  if (standard > identifier_index + 1) return standard;  // it reached the bracketed length
  const int other = read_other_layout(text.text, record);
  return other > 0 ? other : standard;
}

}  // namespace pluckrow
