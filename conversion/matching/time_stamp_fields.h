// candump's time stamps in seconds, and its date, read eight characters at a
// time for the grammar matcher: each reads only within the bounds it is
// given, and gives the value strtod gives.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>

#include "conversion/matching/decimal_words.h"
#include "conversion/matching/swar.h"

namespace pluckrow::swar_fields {

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
// ")", or nullptr, setting `value` only where it is `wanted`. With at most 2^53 in its digits the
// number is an exact double, and dividing it by an exact power of ten rounds once, so the quotient
// is the correctly rounded value strtod gives (Clinger's fast path); other time stamps take
// from_chars, exact as well.
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
  // Below 16 digits a part, the number is finite: from_chars would take it.
  if (!wanted) return close;

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
