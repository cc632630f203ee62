// Classes of characters as formatted input sees them in the default locale,
// shared by the line matchers.
#pragma once

#include <array>
#include <cstdint>

namespace pluckrow {

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The characters of an interface's name as the empty-CSV note reads one
// ("can0", "vcan_1", "slcan-2.0"), where a digit never comes first.
inline bool in_interface_name(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '-' ||
         c == '.';
}
inline bool starts_interface_name(char c) { return !is_digit(c) && in_interface_name(c); }

// White space within a line: formatted input's white space but the
// newline, which ends the line. Tested as one bit of a word, since the
// matchers skip a great deal of it.
inline constexpr std::uint64_t blank_bits = std::uint64_t{1} << ' ' | std::uint64_t{1} << '\t' |
                                            std::uint64_t{1} << '\v' | std::uint64_t{1} << '\f' |
                                            std::uint64_t{1} << '\r';

inline bool is_blank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code <= ' ' && (blank_bits >> code & 1) != 0;
}

// Formatted input's white space: a white-space directive skips any run of it.
inline bool is_space(char c) { return c == '\n' || is_blank(c); }

// Any value above 0xF marks a character that is not a hex digit.
inline constexpr std::uint8_t not_hex = 0xFF;

inline constexpr std::array<std::uint8_t, 256> hex_values = [] {
  std::array<std::uint8_t, 256> values{};
  values.fill(not_hex);
  for (std::uint8_t digit = 0; digit < 10; ++digit) values['0' + digit] = digit;
  for (std::uint8_t digit = 0; digit < 6; ++digit) {
    values['a' + digit] = values['A' + digit] = static_cast<std::uint8_t>(10 + digit);
  }
  return values;
}();

inline std::uint8_t hex_value(char c) { return hex_values[static_cast<unsigned char>(c)]; }
inline bool is_hex(char c) { return hex_value(c) <= 0xF; }

}  // namespace pluckrow
