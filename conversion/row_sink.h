// Where the row writer's blocks of whole rows go: an open stream, or an
// output that decides itself when its file is made. The writer never knows
// which.
#pragma once

#include <cstddef>
#include <cstdio>

namespace pluckrow {

class row_sink {
 public:
  // Takes a block of whole rows; false when it could not be written.
  virtual bool write(const char* bytes, std::size_t size) = 0;

 protected:
  ~row_sink() = default;
};

// An open stream; an unbuffered one gets each block in one call.
class stream_sink final : public row_sink {
 public:
  explicit stream_sink(std::FILE* stream);
  bool write(const char* bytes, std::size_t size) override;

 private:
  std::FILE* stream_;
};

}  // namespace pluckrow
