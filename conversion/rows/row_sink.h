// Where the row writer's blocks of whole rows go: the CSV's output (through
// the sink that keeps an unchanged CSV), or what a test gives. The writer
// never knows which.
#pragma once

#include <cstddef>

namespace pluckrow {

// A block of rows is at most this many bytes: the writer hands one over
// whenever the next row might not fit. An earlier CSV of one block at most
// is compared with the rows before the CSV's file is made.
inline constexpr std::size_t row_block_bytes = 64 * 1024;

class row_sink {
 public:
  // Takes a block of whole rows; false when it could not be written.
  virtual bool write(const char* bytes, std::size_t size) = 0;

 protected:
  ~row_sink() = default;
};

}  // namespace pluckrow
