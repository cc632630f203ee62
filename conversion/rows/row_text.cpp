#include "conversion/rows/row_text.h"

#include <array>
#include <cstring>

namespace pluckrow {
namespace {

// `sample_scale` is a float widened to double: a 24-bit integer over 2^31.
constexpr std::uint64_t scale_numerator = 0xFA232D;
constexpr int scale_shift = 31;
static_assert(sample_scale ==
              static_cast<double>(scale_numerator) / (std::uint64_t{1} << scale_shift));

// "00" to "99", two characters a value (fmt's digits2).
constexpr std::array<char, 200> digit_pairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* write_pair(char* at, unsigned value) {
  std::memcpy(at, &digit_pairs[2 * value], 2);
  return at + 2;
}

// A text of up to seven characters, the first in the low byte of a word,
// with its length in the top byte. Rows hold random signs and digit counts,
// so such texts are written without a branch: the whole word is stored and
// the characters written next cover the spare ones, within
// `max_row_bytes` of the row's start.
constexpr std::uint64_t short_text(bool negative, unsigned magnitude, char suffix) {
  char text[8] = {};
  std::size_t length = 0;
  if (negative) text[length++] = '-';
  if (magnitude >= 100) text[length++] = static_cast<char>('0' + magnitude / 100);
  if (magnitude >= 10) text[length++] = static_cast<char>('0' + magnitude / 10 % 10);
  text[length++] = static_cast<char>('0' + magnitude % 10);
  text[length++] = suffix;
  std::uint64_t word = std::uint64_t{length} << 56;
  for (std::size_t i = 0; i < length; ++i) {
    word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * i);
  }
  return word;
}

char* write_text(char* at, std::uint64_t text) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &text, sizeof text);
  } else {
    for (std::size_t i = 0; i < sizeof text; ++i) at[i] = static_cast<char>(text >> (8 * i));
  }
  return at + (text >> 56);
}

// The held value and its comma, "-128," to "127,", by the value's byte.
constexpr auto held_texts = [] {
  std::array<std::uint64_t, 256> texts{};
  for (int value = -128; value < 128; ++value) {
    texts[static_cast<std::uint8_t>(value)] =
        short_text(value < 0, static_cast<unsigned>(value < 0 ? -value : value), ',');
  }
  return texts;
}();

// A scaled sample's sign, whole part (at most 250) and point, "0." to
// "255." and, 256 places on, "-0." to "-255.".
constexpr auto whole_texts = [] {
  std::array<std::uint64_t, 512> texts{};
  for (unsigned whole = 0; whole < 256; ++whole) {
    texts[whole] = short_text(false, whole, '.');
    texts[256 + whole] = short_text(true, whole, '.');
  }
  return texts;
}();

}  // namespace

std::size_t format_row(std::int8_t held_value, std::int16_t sample, char* out) {
  char* at = write_text(out, held_texts[static_cast<std::uint8_t>(held_value)]);
  // The product is exactly magnitude * scale_numerator / 2^31 in double (it
  // needs at most 39 bits), so %f's correctly rounded six decimals are this
  // integer quotient rounded to nearest. Ties would need 2^24 to divide the
  // sample, so rounding half up is rounding half to even here.
  const auto magnitude = static_cast<std::uint64_t>(sample < 0 ? -sample : sample);
  const std::uint64_t micros =
      (magnitude * scale_numerator * 1'000'000 + (std::uint64_t{1} << (scale_shift - 1))) >>
      scale_shift;
  const auto whole = static_cast<std::size_t>(micros / 1'000'000);
  at = write_text(at, whole_texts[(sample < 0 ? 256 : 0) + whole]);
  const auto fraction = static_cast<unsigned>(micros % 1'000'000);
  at = write_pair(at, fraction / 10'000);
  at = write_pair(at, fraction / 100 % 100);
  at = write_pair(at, fraction % 100);
  std::memcpy(at, row_end.data(), row_end.size());
  at += row_end.size();
  return static_cast<std::size_t>(at - out);
}

}  // namespace pluckrow
