// How a matcher that reads a whole frame in one pass assigns it: the exact
// reader of candump's other layouts and the grammar matcher alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "conversion/log_line.h"

namespace pluckrow {

// Assigns the time stamp, the identifier, the length and the first data
// bytes (at most eight of the `count` read), in the pattern's order; returns
// the number of fields assigned.
inline int assign_frame(double time_stamp, std::uint32_t identifier, std::int32_t length,
                        const std::uint32_t* bytes, std::size_t count, frame_record& record) {
  record.time_stamp = time_stamp;
  record.identifier = identifier;
  record.length = length;
  const std::size_t kept = std::min(count, std::size(data_fields));
  // A loop of fixed length, which the compiler unrolls.
  for (std::size_t i = 0; i < std::size(data_fields); ++i) {
    if (i < kept) record.*data_fields[i] = bytes[i];
  }
  return data0_index + static_cast<int>(kept);
}

}  // namespace pluckrow
