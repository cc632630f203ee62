// The record a candump log line is read into, and what every matcher of a
// line shares: the fields' order, the line's limit and how a match ends.
// The matchers (line_grammar.h, exact_matcher.h) stand on this; log_line.h
// stands on them.
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

// Whether a match computes the value of a line's time stamp in seconds. No
// row shows it and the conversion never reads it, so the conversion's
// matches skip that arithmetic on the lines candump writes and leave NaN in
// the field; the fields assigned and their count are the same either way.
enum class time_stamps { computed, skipped };

// A line matched where it lies: where it ends (past its newline, or where
// it was cut at the read limit) and how many leading fields of
// `frame_record` it assigned, 0 to `all_fields`; a line assigned a field
// exactly when the count is greater than the field's index.
struct line_match {
  const char* end;
  int assigned;
  // Where the match left the frame path, for the note on an empty CSV: on a
  // line that stops before "can0" (another interface's frame, or no frame
  // at all), where an interface's name would stand, for
  // `other_interface_of`; on a can0 frame whose identifier has 29 bits, where
  // it stands, as the matcher that read it knows; nullptr for other lines.
  const char* left_frame_path = nullptr;

  bool extended_identifier() const {
    return assigned > identifier_index && left_frame_path != nullptr;
  }
};

}  // namespace pluckrow
