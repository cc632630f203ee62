// The record a candump log line is read into: its fields, the order the
// pattern assigns them in, and how many a match assigned.
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

// The time stamp of a line that prints none in seconds: one without a time
// stamp, or with candump's date form.
inline constexpr double no_time_stamp = std::numeric_limits<double>::quiet_NaN();

}  // namespace pluckrow
