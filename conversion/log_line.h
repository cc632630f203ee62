// One line of a candump log of interface can0 with absolute time stamps, as
// `candump -ta` prints it, and the record it is read into:
//
//    (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77
//
// A line is matched with the standard formatted-input rules of
// `log_line_pattern`: runs of white space match any white space (or none),
// widths count signs and 0x prefixes, the time stamp takes every strtod form,
// matching ends at the first NUL and text after the eighth byte is ignored.
// A line the pattern gives up on before the bracketed length is read in
// candump's other layouts (other_layouts.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <type_traits>

namespace pluckrow {

// The fields in the order the pattern assigns them. The integer fields are
// whole 32-bit values because the conversions store whole values; users of a
// data field take its low 8 bits.
struct frame_record {
  double time_stamp;
  std::uint32_t identifier;
  std::int32_t length;
  std::uint32_t data0;
  std::uint32_t data1;
  std::uint32_t data2;
  std::uint32_t data3;
  std::uint32_t data4;
  std::uint32_t data5;
  std::uint32_t data6;
  std::uint32_t data7;
};

// The conversions store through unsigned int* (%X) and int* (%d).
static_assert(std::is_same_v<std::uint32_t, unsigned int>);
static_assert(std::is_same_v<std::int32_t, int>);

inline constexpr char log_line_pattern[] =
    " (%lf)  can0  %03X   [%d]  %02X %02X %02X %02X %02X %02X %02X %02X\n";

// How many leading fields of `frame_record` a match assigned; a line assigned
// a field exactly when its count is greater than the field's index here.
enum field_index : int {
  time_stamp_index,
  identifier_index,
  length_index,
  data0_index,
  data1_index,
  data2_index,
  all_fields = 11,
};

// A line is matched on at most this many bytes: what one read limited to
// 1014 bytes (the historical fgets limit) yields before its terminating NUL.
inline constexpr std::size_t read_limit = 1014;
inline constexpr std::size_t max_line_bytes = read_limit - 1;

// The time stamp of a line that prints none in seconds: one without a time
// stamp, or with candump's date form.
inline constexpr double no_time_stamp = std::numeric_limits<double>::quiet_NaN();

// A line matched where it lies: where it ends (past its newline, or where
// it was cut at the read limit) and how many leading fields of
// `frame_record` it assigned, 0 to `all_fields`; a line assigned a field
// exactly when the count is greater than the field's index.
struct line_match {
  const char* end;
  int assigned;
  // A frame line of another interface (can1, vcan0...): its name, noted
  // where the match already leaves the frame path; empty for other lines.
  std::string_view other_interface = {};
};

// Matches the line at the start of `text` and assigns the fields it
// matched, in order, up to the first directive that fails; later fields
// keep their values. `text` runs from the line's start to its newline or
// past it, or holds the line's first `max_line_bytes` and no newline; what
// lies past the line is never read as part of it. The grammar matcher
// (line_grammar.h) takes the lines candump writes; every other line goes
// to the exact matcher (exact_matcher.h). Each line is matched once.
line_match match_log_line(std::string_view text, frame_record& record);

// `match_log_line` for one line: the text of at most `max_line_bytes`, the
// newline included when the read reached it. Returns the number of fields
// assigned.
int parse_log_line(std::string_view line, frame_record& record);

}  // namespace pluckrow
