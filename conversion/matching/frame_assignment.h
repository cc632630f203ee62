// How a matcher that reads a whole frame in one pass assigns it: the
// grammar matcher's fixed-place readers and its general grammar alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "conversion/matching/frame_record.h"
#include "conversion/matching/vectors.h"

namespace pluckrow {

// Assigns the time stamp, the identifier, the length and the first data
// bytes (at most eight of the `count` read; `bytes` holds the first eight,
// byte i in bits 8i to 8i + 7), in the pattern's order; returns the number
// of fields assigned.
[[gnu::always_inline]] inline int assign_frame(double time_stamp, std::uint32_t identifier,
                                               std::int32_t length, std::uint64_t bytes,
                                               std::size_t count, frame_record& record) {
  record.time_stamp = time_stamp;
  record.identifier = identifier;
  record.length = length;
  const std::size_t kept = std::min<std::size_t>(count, 8);
#if PLUCKROW_SSE2
  // The count varies line by line in short frames: the fields it does not
  // reach are blended back in, rather than chosen by a branch.
  static_assert(offsetof(frame_record, data7) - offsetof(frame_record, data0) ==
                7 * sizeof(std::uint32_t));
  char* const data = reinterpret_cast<char*>(&record) + offsetof(frame_record, data0);
  const __m128i zero = _mm_setzero_si128();
  const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi64_si128(static_cast<long long>(bytes)), zero);
  const __m128i kept_lanes = _mm_set1_epi32(static_cast<int>(kept));
  const auto assign_four = [&](std::size_t first, __m128i values, __m128i indexes)
      __attribute__((always_inline)) {
    auto* const at = reinterpret_cast<__m128i_u*>(data + first * sizeof(std::uint32_t));
    const __m128i assigned = _mm_cmpgt_epi32(kept_lanes, indexes);
    _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(assigned, values),
                                      _mm_andnot_si128(assigned, _mm_loadu_si128(at))));
  };
  assign_four(0, _mm_unpacklo_epi16(words, zero), _mm_setr_epi32(0, 1, 2, 3));
  assign_four(4, _mm_unpackhi_epi16(words, zero), _mm_setr_epi32(4, 5, 6, 7));
#else
  const auto byte = [bytes](int i) { return static_cast<std::uint32_t>(bytes >> 8 * i & 0xFF); };
  // Cases that fall through, so that a known count compiles to plain stores.
  switch (kept) {
    case 8:
      record.data7 = byte(7);
      [[fallthrough]];
    case 7:
      record.data6 = byte(6);
      [[fallthrough]];
    case 6:
      record.data5 = byte(5);
      [[fallthrough]];
    case 5:
      record.data4 = byte(4);
      [[fallthrough]];
    case 4:
      record.data3 = byte(3);
      [[fallthrough]];
    case 3:
      record.data2 = byte(2);
      [[fallthrough]];
    case 2:
      record.data1 = byte(1);
      [[fallthrough]];
    case 1:
      record.data0 = byte(0);
      break;
    default:
      break;
  }
#endif
  return data0_index + static_cast<int>(kept);
}

}  // namespace pluckrow
