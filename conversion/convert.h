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

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "conversion/byte_source.h"
#include "conversion/lines_seen.h"
#include "conversion/log_line.h"
#include "conversion/row_sink.h"

namespace pluckrow {

inline constexpr std::uint32_t held_identifier = 0x101;
inline constexpr std::uint32_t sample_identifier = 0x102;

// Every file's conversion starts with this held value, not 0.
inline constexpr std::int8_t initial_held_value = -8;

// The single-precision value nearest to 1/131, widened to double; using
// 1/131 computed in double changes the text of 26,720 of the 65,536 rows.
inline constexpr double sample_scale = std::bit_cast<double>(std::uint64_t{0x3F7F4465A0000000});

// A row ends as a text-mode stream ends a line. The writer puts the CR of
// Windows in place itself, so that each row reaches the file whole.
#ifdef _WIN32
inline constexpr std::string_view row_end = "\r\n";
#else
inline constexpr std::string_view row_end = "\n";
#endif

// The longest row: "-128,-250.137405" and its end.
inline constexpr std::size_t max_row_bytes = 16 + row_end.size();

// Writes the row "%d,%f\n" of `held_value` and `sample` * `sample_scale`
// (computed in double) to `out`, which has room for `max_row_bytes`, and
// returns its length. Gives the text printf gives to a text-mode stream,
// without calling it.
std::size_t format_row(std::int8_t held_value, std::int16_t sample, char* out);

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
// second and third data bytes; every other line changes nothing. Stops at
// the end of the text, at a read error or damaged data, or at the first
// failed write; rows written before a failure stay. Notes what the lines
// that act on nothing were. Rows reach `output` in blocks of whole rows.
// Opens and closes neither end.
log_conversion convert_log(byte_source& log, row_sink& output, frame_record& record);

// The same, writing to an open stream; an unbuffered one writes each block
// in one call.
inline log_conversion convert_log(byte_source& log, std::FILE* output, frame_record& record) {
  stream_sink sink(output);
  return convert_log(log, sink, record);
}

}  // namespace pluckrow
