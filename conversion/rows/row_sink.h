// Where the row writer's blocks of whole rows go: the CSV's output, which
// decides itself when its file is made, or what a test gives. The writer
// never knows which.
#pragma once

#include <cstddef>

namespace pluckrow {

// A block of rows is at most this many bytes: the writer hands one over
// whenever the next row might not fit. The CSV's output holds one block
// before it makes its file.
inline constexpr std::size_t row_block_bytes = 64 * 1024;

class row_sink {
 public:
  // Takes a block of whole rows; false when it could not be written.
  virtual bool write(const char* bytes, std::size_t size) = 0;

 protected:
  ~row_sink() = default;
};

}  // namespace pluckrow
