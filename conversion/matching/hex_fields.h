// The bytes of a candump line's body sixteen characters at a time: the
// print layout's bytes, runs of the log file's hex digits, and where the
// line ends. SSE2's vectors on x86-64, words of eight elsewhere (vectors.h).
// Each reads only the fixed widths it documents.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "conversion/matching/characters.h"
#include "conversion/matching/swar.h"
#include "conversion/matching/vectors.h"

namespace pluckrow::swar_fields {

// The eight bytes of a print line, from its digits as pairs (byte k: digit
// k times 16 plus digit k + 1) in three words: characters 0-7, 8-15 and
// 17-24 after the "]". The wanted bytes of each word lie three apart (2 and
// 5; 0, 3 and 6), gathered by one multiplication, as each product lands in
// a byte of its own, the wanted ones at the top.
[[gnu::always_inline]] inline std::uint64_t printed_pairs(std::uint64_t first, std::uint64_t second,
                                                          std::uint64_t third) {
  const auto gather_two = [](std::uint64_t word) {
    return (word & 0x0000'FF00'00FF'0000) * ((std::uint64_t{1} << 32) + (1 << 16)) >> 48;
  };
  const auto gather_three = [](std::uint64_t word) {
    constexpr std::uint64_t spread = (std::uint64_t{1} << 40) + (1 << 24) + (1 << 8);
    return (word & 0x00FF'0000'FF00'00FF) * spread >> 40;
  };
  return gather_two(first) | gather_three(second) << 16 | gather_three(third) << 40;
}

#if PLUCKROW_SSE2
// SSE2, part of every x86-64: sixteen characters at a time.
namespace sse2 {

[[gnu::always_inline]] inline __m128i load(const char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// A bit for each of the sixteen characters that is a hex digit. Each range
// is moved to the top of the signed bytes, 0x7F its last: one comparison
// then tells it, as what lay above it wraps to the negative.
[[gnu::always_inline]] inline int hex_digit_mask(__m128i text) {
  const __m128i digit =
      _mm_cmpgt_epi8(_mm_add_epi8(text, _mm_set1_epi8(0x7F - '9')), _mm_set1_epi8(0x7F - 10));
  const __m128i lower = _mm_or_si128(text, _mm_set1_epi8(0x20));
  const __m128i letter =
      _mm_cmpgt_epi8(_mm_add_epi8(lower, _mm_set1_epi8(0x7F - 'f')), _mm_set1_epi8(0x7F - 6));
  return _mm_movemask_epi8(_mm_or_si128(digit, letter));
}

[[gnu::always_inline]] inline int space_mask(__m128i text) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8(' ')));
}

// Each digit's value (its low nibble, plus 9 for a letter, which has bit 6
// set), then where each digit is, sixteen times it plus the next digit.
[[gnu::always_inline]] inline __m128i digit_pairs(__m128i text) {
  const __m128i letter = _mm_and_si128(_mm_srli_epi16(text, 6), _mm_set1_epi8(1));
  const __m128i nibbles = _mm_add_epi8(_mm_and_si128(text, _mm_set1_epi8(0x0F)),
                                       _mm_add_epi8(_mm_slli_epi16(letter, 3), letter));
  return _mm_or_si128(_mm_slli_epi16(nibbles, 4), _mm_srli_si128(nibbles, 1));
}

[[gnu::always_inline]] inline std::uint64_t low_half(__m128i vector) {
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(vector));
}

}  // namespace sse2

// The print layout's first `count` (1 to 8) bytes after the "]", as
// candump prints them: "  HH HH ... HH"; what follows is the caller's to
// read. Sets `bytes` to them and the bytes after, whatever they are: byte i
// in bits 8i to 8i + 7. Reads 25 characters, from two overlapping vectors:
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
  if ((hex & hex_pattern) != hex_pattern || (spaces & space_pattern) != space_pattern) {
    return false;
  }
  const __m128i first_pairs = digit_pairs(first);
  bytes = printed_pairs(low_half(first_pairs), low_half(_mm_srli_si128(first_pairs, 8)),
                        low_half(_mm_srli_si128(digit_pairs(second), 8)));
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
// The same from words of eight: characters 0-23 checked as three words and
// 24 alone, where each byte's class is compared with its place's for
// `count` bytes; the bytes decoded from characters 0-7, 8-15 and 17-24.
// Not inlined: at each of its callers it would make the matcher too large to
// inline where the lines are read.
[[gnu::noinline]] inline bool printed_bytes(const char* at, int count, std::uint64_t& bytes) {
  struct places {
    std::uint64_t spaces[3];  // 0xFF where a space must be
    std::uint64_t digits[3];  // 0x80 where a hex digit must be
  };
  static constexpr auto shapes = [] {
    std::array<places, 9> out{};
    for (std::size_t k = 1; k < 9; ++k) {
      const auto mark = [](std::uint64_t(&words)[3], std::size_t i, std::uint64_t byte) {
        if (i < 24) words[i / 8] |= byte << (8 * (i % 8));
      };
      mark(out[k].spaces, 0, 0xFF);
      for (std::size_t i = 0; i < k; ++i) {
        mark(out[k].spaces, 3 * i + 1, 0xFF);
        mark(out[k].digits, 3 * i + 2, 0x80);
        mark(out[k].digits, 3 * i + 3, 0x80);
      }
    }
    return out;
  }();
  const places& shape = shapes[static_cast<std::size_t>(count)];
  std::uint64_t misplaced = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::uint64_t word = load_eight(at + 8 * i);
    misplaced |= ((word ^ ones * ' ') & shape.spaces[i]) |
                 ((hex_digit_bytes(word) & shape.digits[i]) ^ shape.digits[i]);
  }
  // The eighth byte's second digit, the one character beyond the words.
  if (misplaced != 0 || (count == 8 && !is_hex(at[24]))) return false;
  const auto pairs = [](const char* eight) { return nibble_pairs(hex_nibbles(load_eight(eight))); };
  bytes = printed_pairs(pairs(at), pairs(at + 8), pairs(at + 17));
  return true;
}

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
    std::uint64_t pairs = nibble_pairs(hex_nibbles(load_eight(eight))) & 0x00FF00FF00FF00FF;
    pairs = (pairs | pairs >> 8) & 0x0000FFFF0000FFFF;
    return (pairs | pairs >> 16) & 0xFFFFFFFF;
  };
  return packed_pairs(at) | packed_pairs(at + 8) << 32;
}
#endif

}  // namespace pluckrow::swar_fields
