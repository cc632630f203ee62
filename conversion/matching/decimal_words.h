// Decimal digits eight characters at a time, as words: how many lead, and
// their value, for the time-stamp readers.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "conversion/matching/swar.h"

namespace pluckrow::swar_fields {

// How many of the eight characters in `word`, from the first, are decimal
// digits: a character is one when its value xor '0' is below 10.
inline int leading_digits(std::uint64_t word) {
  const std::uint64_t offsets = word ^ (ones * '0');
  const std::uint64_t not_digit =
      (((offsets & (ones * 0x7F)) + ones * (0x80 - 10)) | offsets) & (ones * 0x80);
  return std::countr_zero(not_digit) / 8;
}

// Whether all eight characters of `word` are decimal digits
// (fast_float's is_made_of_eight_digits_fast): a character that is not
// sets a high bit in the sum or the difference.
inline bool eight_digits(std::uint64_t word) {
  return (((word + 0x4646464646464646) | (word - 0x3030303030303030)) & 0x8080808080808080) == 0;
}

// The value of eight decimal digits, the first the most significant, in
// three multiplications (fast_float's parse_eight_digits_unrolled).
inline std::uint32_t eight_digits_value(std::uint64_t word) {
  constexpr std::uint64_t mask = 0x000000FF000000FF;
  constexpr std::uint64_t mul1 = 100 + (std::uint64_t{1000000} << 32);
  constexpr std::uint64_t mul2 = 1 + (std::uint64_t{10000} << 32);
  word -= 0x3030303030303030;
  word = word * 10 + (word >> 8);
  return static_cast<std::uint32_t>(((word & mask) * mul1 + ((word >> 16) & mask) * mul2) >> 32);
}

// The value of the first `count` (0 to 8) characters of `word`, all digits:
// padded on the left with '0' they read as eight.
inline std::uint64_t leading_digits_value(std::uint64_t word, int count) {
  if (count == 0) return 0;
  if (count < 8) word = word << (8 * (8 - count)) | 0x3030303030303030 >> (8 * count);
  return eight_digits_value(word);
}

inline constexpr std::uint64_t powers_of_ten[] = {1,
                                                  10,
                                                  100,
                                                  1000,
                                                  10000,
                                                  100000,
                                                  1000000,
                                                  10000000,
                                                  100000000,
                                                  1000000000,
                                                  10000000000,
                                                  100000000000,
                                                  1000000000000,
                                                  10000000000000,
                                                  100000000000000,
                                                  1000000000000000};

struct digit_run {
  int count;  // 16 stands for 16 or more
  std::uint64_t value;
};

// Reads the run of decimal digits at `at`, which has at least 16 readable
// characters, a word of eight at a time.
inline digit_run read_digits(const char* at) {
  const std::uint64_t first = load_eight(at);
  const int first_count = leading_digits(first);
  if (first_count < 8) return {first_count, leading_digits_value(first, first_count)};
  const std::uint64_t second = load_eight(at + 8);
  const int second_count = leading_digits(second);
  return {8 + second_count, eight_digits_value(first) * powers_of_ten[second_count] +
                                leading_digits_value(second, second_count)};
}

}  // namespace pluckrow::swar_fields
