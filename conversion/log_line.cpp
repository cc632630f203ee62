#include "conversion/log_line.h"

#include <cstring>

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

int parse_log_line(std::string_view line, frame_record& record) {
  return match_log_line(line, record).assigned;
}

}  // namespace pluckrow
