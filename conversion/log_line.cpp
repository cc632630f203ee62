#include "conversion/log_line.h"

#include <algorithm>
#include <cstring>

#include "conversion/matching/characters.h"
#include "conversion/matching/exact_matcher.h"
#include "conversion/matching/line_grammar.h"

namespace pluckrow {

// One named result, built in the caller's place: a copy would read back as
// one wide load what the matcher has just stored field by field, and stall.
line_match match_log_line(std::string_view text, frame_record& record, time_stamps wanted) {
  line_match match;
  if (!match_candump_line(text, record, match, wanted)) [[unlikely]] {
    const void* const newline = std::memchr(text.data(), '\n', text.size());
    const char* const end =
        newline != nullptr ? static_cast<const char*>(newline) + 1 : text.data() + text.size();
    match = {end, match_exactly(
                      std::string_view(text.data(), static_cast<std::size_t>(end - text.data())),
                      record)};
  }
  return match;
}

std::string_view other_interface_of(const line_match& line) {
  return line.left_frame_path == nullptr ? std::string_view()
                                         : interface_named(line.left_frame_path, line.end);
}

bool shows_whole_frame(std::string_view line) {
  line = line.substr(0, line.find('\0'));  // as every matcher, ends at a NUL
  const std::size_t open = line.find('[');
  if (open == line.npos) return true;
  std::size_t at = open + 1;
  std::size_t length = 0;  // held below 1000, more bytes than a line holds
  for (; at < line.size() && is_digit(line[at]); ++at) {
    length = std::min<std::size_t>(length * 10 + static_cast<std::size_t>(line[at] - '0'), 1000);
  }
  if (at == open + 1 || at == line.size() || line[at] != ']') return true;
  ++at;
  std::size_t bytes = 0;
  for (; bytes < length; ++bytes) {
    const std::size_t first = at;
    while (at < line.size() && is_blank(line[at])) ++at;
    const bool two_digits = at > first && line.size() - at >= 2 && is_hex(line[at]) &&
                            is_hex(line[at + 1]) &&
                            (line.size() - at == 2 || is_space(line[at + 2]));
    if (!two_digits) break;
    at += 2;
  }
  return bytes == length;
}

int parse_log_line(std::string_view line, frame_record& record) {
  return match_log_line(line, record).assigned;
}

}  // namespace pluckrow
