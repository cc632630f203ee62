// Eight characters at a time: checks and decoding of digits in a 64-bit
// word (SWAR), for the grammar matcher.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace pluckrow {

// Eight characters as one word, the first in the low byte.
inline std::uint64_t load_eight(const char* at) {
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, at, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(at[i]);
  }
  return word;
}

// The eight characters at `text` as `load_eight` reads them, at compile time.
constexpr std::uint64_t word_of(const char* text) {
  std::uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(text[i]);
  return word;
}

inline constexpr std::uint64_t ones = 0x0101010101010101;

// The high bit of each byte of `word` set where the byte is a hex digit:
// below 10 after xor with '0', or, with bit 5 cleared, 1 to 6 after xor
// with '@' ('A' to 'F', 'a' to 'f'). Bytes of 0x80 and above are neither.
[[gnu::always_inline]] inline std::uint64_t hex_digit_bytes(std::uint64_t word) {
  constexpr std::uint64_t high = ones * 0x80, low_seven = ones * 0x7F;
  const std::uint64_t digit = word ^ ones * '0';
  const std::uint64_t letter = (word & ones * 0xDF) ^ ones * '@';
  const std::uint64_t letter_low = letter & low_seven;
  return (~(((digit & low_seven) + ones * (0x80 - 10)) | digit) |
          ((letter_low + low_seven) & ~(letter_low + ones * (0x80 - 7)) & ~letter)) &
         high;
}

// The value of each hex digit of `word`, in its byte: '0'-'9' keep their
// low nibble; 'A'-'F' and 'a'-'f' have bit 6 set and a low nibble 9 below
// their value.
inline std::uint64_t hex_nibbles(std::uint64_t word) {
  return (word & ones * 0x0F) + (word >> 6 & ones) * 9;
}

// Byte k of `nibbles` (values below 16) becomes digit k times 16 plus digit
// k + 1: nothing spills into the next byte.
inline std::uint64_t nibble_pairs(std::uint64_t nibbles) { return nibbles << 4 | nibbles >> 8; }

}  // namespace pluckrow
