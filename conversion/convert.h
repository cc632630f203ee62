// Conversion of one opened log into CSV rows.
//
// A frame of identifier 0x101 sets the held value from its first data byte
// (signed 8-bit); a frame of identifier 0x102 writes one row: the held value
// and the signed 16-bit value of its second and third bytes (high byte first)
// times `sample_scale`, as "%d,%f\n". For the log line
//
//    (1436509053.850870)  can0  102   [8]  00 00 83 00 00 00 00 00
//
// after an 0x101 frame whose first byte is FE the row is "-2,1.000000".
#pragma once

#include <cstdint>

#include "conversion/log_line.h"
#include "conversion/rows/lines_seen.h"
#include "conversion/rows/row_sink.h"
#include "conversion/rows/row_text.h"
#include "conversion/text/byte_source.h"

namespace pluckrow {

inline constexpr std::uint32_t held_identifier = 0x101;
inline constexpr std::uint32_t sample_identifier = 0x102;

// Every file's conversion starts with this held value, not 0.
inline constexpr std::int8_t initial_held_value = -8;

enum class convert_status { converted, read_failed, write_failed };

struct log_conversion {
  convert_status status;
  bool wrote_rows;
  lines_seen lines;
};

// Converts the text of a log (log_text.h) into rows written to `output`,
// matching each line into the run's `record`. A line sets the held value
// only when its own match assigned identifier 0x101 and the first data
// byte, and writes a row only when it assigned identifier 0x102 and the
// second and third data bytes; every other line changes nothing. A last
// line without its newline is read only when it shows its whole frame
// (`shows_whole_frame`): a log still being written may end in the middle
// of a line. Stops at
// the end of the text, at a read error or damaged data, or at the first
// failed write; rows written before a failure stay. Notes what the lines
// that act on nothing were. Rows reach `output` in blocks of whole rows.
// Opens and closes neither end.
log_conversion convert_log(byte_source& log, row_sink& output, frame_record& record);

}  // namespace pluckrow
