#include "conversion/log_line.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "conversion/fast_paths.h"
#include "conversion/other_layouts.h"

namespace pluckrow {

int match_with_sscanf(std::string_view line, frame_record& record) {
  // sscanf needs a C string; the copy also ends the match at the window's
  // end, and an embedded NUL ends it earlier, as it would after fgets.
  char text[max_line_bytes + 1];
  const std::size_t size = std::min(line.size(), max_line_bytes);
  std::memcpy(text, line.data(), size);
  text[size] = '\0';
  const int assigned =
      std::sscanf(text, log_line_pattern, &record.time_stamp, &record.identifier, &record.length,
                  &record.data0, &record.data1, &record.data2, &record.data3, &record.data4,
                  &record.data5, &record.data6, &record.data7);
#ifdef __MINGW32__
  // MinGW's scanf rounds some decimal numbers one unit off, where its strtod
  // (like the fast path) is exact: the time stamp is read again with strtod,
  // which takes exactly the text that %lf took.
  if (assigned > time_stamp_index) {
    int start = 0;
    std::sscanf(text, " (%n", &start);
    record.time_stamp = std::strtod(text + start, nullptr);
  }
#endif
  return std::max(assigned, 0);  // EOF: input ended before the first conversion
}

int match_exactly(std::string_view line, frame_record& record) {
  const int standard = match_with_sscanf(line, record);
  if (standard > identifier_index + 1) return standard;  // it reached the bracketed length
  const int other = read_other_layout(line, record);
  return other > 0 ? other : standard;
}

int parse_log_line(std::string_view line, frame_record& record) {
  if (match_canonical_line(line, record) != nullptr) [[likely]] {
    return all_fields;
  }
  if (match_untimed_line(line, record) != nullptr) return all_fields;
  int assigned;
  if (match_log_file_line(line, record, assigned) != nullptr) return assigned;
  return match_exactly(line, record);
}

}  // namespace pluckrow
