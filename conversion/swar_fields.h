// Fields of a candump line decoded eight characters at a time: time stamps
// in seconds and runs of hex bytes, for the grammar matcher. Each reads only
// within the bounds it is given, or the fixed widths it documents.
#pragma once

#include <array>
#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>

#include "conversion/swar.h"
#include "conversion/vectors.h"

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

// The bytes candump prints: in the print layout, and as the log file's
// runs of hex digits.
#if PLUCKROW_SSE2
// SSE2, part of every x86-64: sixteen characters at a time.
namespace sse2 {

inline __m128i load(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// A bit for each of the sixteen characters that is a hex digit. Each range
// is moved to the top of the signed bytes, 0x7F its last: one comparison
// then tells it, as what lay above it wraps to the negative.
inline int hex_digit_mask(__m128i text) {
  const __m128i digit =
      _mm_cmpgt_epi8(_mm_add_epi8(text, _mm_set1_epi8(0x7F - '9')), _mm_set1_epi8(0x7F - 10));
  const __m128i lower = _mm_or_si128(text, _mm_set1_epi8(0x20));
  const __m128i letter =
      _mm_cmpgt_epi8(_mm_add_epi8(lower, _mm_set1_epi8(0x7F - 'f')), _mm_set1_epi8(0x7F - 6));
  return _mm_movemask_epi8(_mm_or_si128(digit, letter));
}

inline int space_mask(__m128i text) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8(' ')));
}

// Each digit's value (its low nibble, plus 9 for a letter, which has bit 6
// set), then where each digit is, sixteen times it plus the next digit.
inline __m128i digit_pairs(__m128i text) {
  const __m128i letter = _mm_and_si128(_mm_srli_epi16(text, 6), _mm_set1_epi8(1));
  const __m128i nibbles = _mm_add_epi8(_mm_and_si128(text, _mm_set1_epi8(0x0F)),
                                       _mm_add_epi8(_mm_slli_epi16(letter, 3), letter));
  return _mm_or_si128(_mm_slli_epi16(nibbles, 4), _mm_srli_si128(nibbles, 1));
}

inline std::uint64_t low_half(__m128i vector) {
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(vector));
}

}  // namespace sse2

// The print layout's first `count` (1 to 8) bytes after the "]", as
// candump prints them: "  HH HH ... HH", and below eight no hex digit
// right after the last (formatted input would read it as another byte).
// Sets `bytes` to them and the bytes after, whatever they are: byte i in
// bits 8i to 8i + 7. Reads 25 characters, from two overlapping vectors:
// 0-15 and 9-24.
[[gnu::always_inline]] inline bool printed_bytes(const char* at, int count, std::uint64_t& bytes) {
  using namespace sse2;
  // Byte i's digits are characters 2 + 3i and 3 + 3i; spaces are 0, 1 and
  // those between the bytes.
  static constexpr auto patterns = [] {
    std::array<std::array<std::uint32_t, 2>, 9> masks{};
    masks[1] = {std::uint32_t{3} << 2, 3};
    for (std::size_t k = 2; k < 9; ++k) {
      masks[k][0] = masks[k - 1][0] | std::uint32_t{3} << (3 * k - 1);
      masks[k][1] = masks[k - 1][1] | std::uint32_t{1} << (3 * k - 2);
    }
    return masks;
  }();
  const __m128i first = load(at);
  const __m128i second = load(at + 9);
  const auto hex = static_cast<std::uint32_t>(hex_digit_mask(first) | hex_digit_mask(second) << 9);
  const auto spaces = static_cast<std::uint32_t>(space_mask(first) | space_mask(second) << 9);
  const auto [hex_pattern, space_pattern] = patterns[static_cast<std::size_t>(count)];
  // After eight bytes the bit looked at is beyond the 25 read, always 0.
  if ((hex & hex_pattern) != hex_pattern || (spaces & space_pattern) != space_pattern ||
      (hex >> (3 * count + 1) & 1) != 0) {
    return false;
  }
  const __m128i first_pairs = digit_pairs(first);
  const std::uint64_t low = low_half(first_pairs);
  const std::uint64_t middle = low_half(_mm_srli_si128(first_pairs, 8));
  const std::uint64_t high = low_half(_mm_srli_si128(digit_pairs(second), 8));
  // Characters 2, 5; 8, 11, 14 (8 on); 17, 20, 23 (the second's 8 on): the
  // bytes of a word three apart, gathered by one multiplication, as each
  // product lands in a byte of its own, the wanted ones at the top.
  const auto gather_two = [](std::uint64_t word) {  // bytes 2 and 5
    return (word & 0x0000'FF00'00FF'0000) * ((std::uint64_t{1} << 32) + (1 << 16)) >> 48;
  };
  const auto gather_three = [](std::uint64_t word) {  // bytes 0, 3 and 6
    constexpr std::uint64_t spread = (std::uint64_t{1} << 40) + (1 << 24) + (1 << 8);
    return (word & 0x00FF'0000'FF00'00FF) * spread >> 40;
  };
  bytes = gather_two(low) | gather_three(middle) << 16 | gather_three(high) << 40;
  return true;
}

// How many of the 16 characters at `at` are hex digits before the first
// that is not (0 to 16).
[[gnu::always_inline]] inline int leading_hex_digits(const char* at) {
  return std::countr_one(static_cast<unsigned>(sse2::hex_digit_mask(sse2::load(at))));
}

// The same of the 64 characters at `at` (0 to 64), without a branch.
[[gnu::always_inline]] inline int leading_hex_digits_of_64(const char* at) {
  std::uint64_t hex = 0;
  for (int i = 0; i < 4; ++i) {
    const auto mask = static_cast<unsigned>(sse2::hex_digit_mask(sse2::load(at + 16 * i)));
    hex |= std::uint64_t{mask} << (16 * i);
  }
  return std::countr_one(hex);
}

// Where the first newline among the 16 characters at `at` is (0 to 15), or
// 16 if none is.
[[gnu::always_inline]] inline int newline_offset(const char* at) {
  using namespace sse2;
  const int newlines = _mm_movemask_epi8(_mm_cmpeq_epi8(load(at), _mm_set1_epi8('\n')));
  return std::countr_zero(static_cast<unsigned>(newlines) | 0x10000u);
}

// The 8 bytes that the 16 characters at `at` give as pairs of hex digits,
// whatever they are, byte i in bits 8i to 8i + 7: the caller keeps those it
// has checked.
[[gnu::always_inline]] inline std::uint64_t hex_pairs(const char* at) {
  using namespace sse2;
  // The pairs at even places, packed into the low half.
  const __m128i pairs = _mm_and_si128(digit_pairs(load(at)), _mm_set1_epi16(0xFF));
  return low_half(_mm_packus_epi16(pairs, pairs));
}
#else
// Without vectors the grammar reads printed bytes one at a time.
inline bool printed_bytes(const char*, int, std::uint64_t&) { return false; }

[[gnu::always_inline]] inline int leading_hex_digits(const char* at) {
  const std::uint64_t not_hex[2] = {~hex_digit_bytes(load_eight(at)) & ones * 0x80,
                                    ~hex_digit_bytes(load_eight(at + 8)) & ones * 0x80};
  return not_hex[0] != 0   ? std::countr_zero(not_hex[0]) / 8
         : not_hex[1] != 0 ? 8 + std::countr_zero(not_hex[1]) / 8
                           : 16;
}

[[gnu::always_inline]] inline int leading_hex_digits_of_64(const char* at) {
  int digits = 0;
  for (int i = 0; i < 4; ++i) {
    const int run = leading_hex_digits(at + 16 * i);
    digits += run;
    if (run < 16) break;
  }
  return digits;
}

[[gnu::always_inline]] inline int newline_offset(const char* at) {
  // The lowest byte flagged is exact: a false flag needs a zero byte below.
  const auto newline_at = [](std::uint64_t word) {
    const std::uint64_t x = word ^ ones * '\n';
    return (x - ones) & ~x & ones * 0x80;
  };
  const std::uint64_t first = newline_at(load_eight(at));
  const std::uint64_t second = newline_at(load_eight(at + 8));
  return first != 0    ? std::countr_zero(first) / 8
         : second != 0 ? 8 + std::countr_zero(second) / 8
                       : 16;
}

[[gnu::always_inline]] inline std::uint64_t hex_pairs(const char* at) {
  // The pairs at even places of each word of eight, packed into its low half.
  const auto packed_pairs = [](const char* eight) {
    std::uint64_t pairs = pluckrow::hex_pairs(hex_nibbles(load_eight(eight))) & 0x00FF00FF00FF00FF;
    pairs = (pairs | pairs >> 8) & 0x0000FFFF0000FFFF;
    return (pairs | pairs >> 16) & 0xFFFFFFFF;
  };
  return packed_pairs(at) | packed_pairs(at + 8) << 32;
}
#endif

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

// Digits are read sixteen characters at a time: `time_stamp` declines a
// time stamp with fewer characters after either part's start, which the
// grammar then reads a character at a time.
inline constexpr std::ptrdiff_t digits_lookahead = 16;

// candump prints absolute time stamps as "%010ld.%06ld)": whether the text
// at `start` has that shape. If so, and `value` is not null, sets *value to
// it; a value beyond 2^53 microseconds is then left to `time_stamp`'s
// slower path. The sixteen digits are read as two words of eight, the
// second gathered around the point, and converted as below.
[[gnu::always_inline]] inline bool candump_time_stamp(const char* start, const char* end,
                                                      double* value) {
  if (end - start < 19 || start[10] != '.' || start[17] != ')') return false;
  const std::uint64_t high = load_eight(start);
  const std::uint64_t low = (load_eight(start + 8) & 0xFFFF) | load_eight(start + 11) << 16;
  if (!eight_digits(high) || !eight_digits(low)) return false;
  if (value == nullptr) return true;
  const std::uint64_t mantissa =
      std::uint64_t{eight_digits_value(high)} * 100000000 + eight_digits_value(low);
  if (mantissa > std::uint64_t{1} << 53) return false;
  *value = static_cast<double>(mantissa) / 1e6;
  return true;
}

// candump prints relative time stamps (-td, -tz) as "%03ld.%06ld)": whether
// the text at `start` has that shape. If so, and `value` is not null, sets
// *value to it. The nine digits are read as two words of eight, padded
// with '0' on the left, and converted as below.
[[gnu::always_inline]] inline bool relative_time_stamp(const char* start, const char* end,
                                                       double* value) {
  if (end - start < 12 || start[3] != '.' || start[10] != ')') return false;
  const std::uint64_t whole = load_eight(start) << 40 | 0x30'3030'3030;
  const std::uint64_t fraction = load_eight(start + 4) << 16 | 0x3030;
  if (!eight_digits(whole) || !eight_digits(fraction)) return false;
  if (value == nullptr) return true;
  const std::uint64_t mantissa =
      std::uint64_t{eight_digits_value(whole)} * 1'000'000 + eight_digits_value(fraction);
  *value = static_cast<double>(mantissa) / 1e6;
  return true;
}

// Whether the text at `start` is candump's date time stamp (-tA) with six
// digits after the point, and its ")": "2015-07-10 08:57:33.850870)",
// checked as four words of eight: their separators, and digits elsewhere.
[[gnu::always_inline]] inline bool candump_date(const char* start, const char* end) {
  static constexpr char shape[] = "0000-00-00 00:00:00.000000)";
  struct word_shape {
    std::size_t offset;
    std::uint64_t characters;
    std::uint64_t separators;  // the bytes that are not digits
  };
  static constexpr auto words = [] {
    std::array<word_shape, 4> out{};
    constexpr std::size_t offsets[] = {0, 8, 16, 19};
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i].offset = offsets[i];
      out[i].characters = word_of(shape + offsets[i]);
      for (std::size_t k = 0; k < 8; ++k) {
        if (shape[offsets[i] + k] != '0') out[i].separators |= std::uint64_t{0xFF} << (8 * k);
      }
    }
    return out;
  }();
  if (end - start < static_cast<std::ptrdiff_t>(sizeof shape - 1)) return false;
  bool matches = true;
  for (const word_shape& shape_word : words) {
    const std::uint64_t word = load_eight(start + shape_word.offset);
    const std::uint64_t separators = shape_word.separators;
    matches &= ((word & separators) == (shape_word.characters & separators)) &
               eight_digits((word & ~separators) | (ones * '0' & separators));
  }
  return matches;
}

// Reads "digits.digits" followed by ")" and returns the position of the
// ")", or nullptr, setting `value` unless candump printed it and it is not
// `wanted`. With at most 2^53 in its digits the number is an exact double,
// and dividing it by an exact power of ten rounds once, so the quotient is
// the correctly rounded value strtod gives (Clinger's fast path); other
// time stamps take from_chars, exact as well.
[[gnu::always_inline]] inline const char* time_stamp(const char* start, const char* end,
                                                     bool wanted, double& value) {
  if (candump_time_stamp(start, end, wanted ? &value : nullptr)) return start + 17;
  if (end - start < digits_lookahead) return nullptr;
  const digit_run whole = read_digits(start);
  const char* const point = start + whole.count;
  if (whole.count == 0 || whole.count == 16 || *point != '.') return nullptr;
  if (end - (point + 1) < digits_lookahead) return nullptr;
  const digit_run fraction = read_digits(point + 1);
  const char* const close = point + 1 + fraction.count;
  if (fraction.count == 0 || fraction.count == 16 || *close != ')') return nullptr;

  static constexpr double exact_powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (whole.count + fraction.count <= 19) {
    const std::uint64_t mantissa = whole.value * powers_of_ten[fraction.count] + fraction.value;
    if (mantissa <= std::uint64_t{1} << 53) {
      value = static_cast<double>(mantissa) / exact_powers_of_ten[fraction.count];
      return close;
    }
  }
  const auto [parsed_end, error] = std::from_chars(start, close, value);
  return error == std::errc() && parsed_end == close ? close : nullptr;
}

}  // namespace pluckrow::swar_fields
