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

// The high bit of each byte of `word` set where the byte lies in [low, high]
// (both below 0x80); the additions cannot carry from byte to byte.
inline std::uint64_t bytes_between(std::uint64_t word, unsigned char low, unsigned char high) {
  const std::uint64_t seven_bits = word & ones * 0x7F;
  const std::uint64_t at_least_low = seven_bits + ones * (0x80 - low);
  const std::uint64_t above_high = seven_bits + ones * (0x7F - high);
  return at_least_low & ~above_high & ~word & ones * 0x80;
}

// The high bit of each byte of `word` set where the byte is a hex digit.
inline std::uint64_t hex_digit_bytes(std::uint64_t word) {
  return bytes_between(word, '0', '9') | bytes_between(word | ones * 0x20, 'a', 'f');
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
