// The text of a row: the held value and the sample times `sample_scale`, as
// "%d,%f\n" writes them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pluckrow {

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

}  // namespace pluckrow
