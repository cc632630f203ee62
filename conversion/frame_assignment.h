// How a matcher that reads a whole frame in one pass assigns it: the exact
// reader of candump's other layouts and the grammar matcher alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "conversion/frame_record.h"

namespace pluckrow {

// Assigns the time stamp, the identifier, the length and the first data
// bytes (at most eight of the `count` read), in the pattern's order; returns
// the number of fields assigned.
[[gnu::always_inline]] inline int assign_frame(double time_stamp, std::uint32_t identifier,
                                               std::int32_t length, const std::uint32_t* bytes,
                                               std::size_t count, frame_record& record) {
  record.time_stamp = time_stamp;
  record.identifier = identifier;
  record.length = length;
  const std::size_t kept = std::min<std::size_t>(count, 8);
  // Cases that fall through, so that a known count compiles to plain stores.
  switch (kept) {
    case 8:
      record.data7 = bytes[7];
      [[fallthrough]];
    case 7:
      record.data6 = bytes[6];
      [[fallthrough]];
    case 6:
      record.data5 = bytes[5];
      [[fallthrough]];
    case 5:
      record.data4 = bytes[4];
      [[fallthrough]];
    case 4:
      record.data3 = bytes[3];
      [[fallthrough]];
    case 3:
      record.data2 = bytes[2];
      [[fallthrough]];
    case 2:
      record.data1 = bytes[1];
      [[fallthrough]];
    case 1:
      record.data0 = bytes[0];
      break;
    default:
      break;
  }
  return data0_index + static_cast<int>(kept);
}

}  // namespace pluckrow
