// Told how many bytes of a file have been read, a block at a time: how a
// progress line follows a long conversion.
#pragma once

#include <cstddef>

namespace pluckrow {

class read_observer {
 public:
  virtual void bytes_read(std::size_t count) = 0;

 protected:
  ~read_observer() = default;
};

}  // namespace pluckrow
