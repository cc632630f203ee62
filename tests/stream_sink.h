// Rows written to an open stream, for the tests, the fuzz target and the
// benchmarks; the program writes through its CSV output.
#pragma once

#include <cstddef>
#include <cstdio>

#include "conversion/convert.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pluckrow {

// An open stream; an unbuffered one gets each block in one call.
class stream_sink final : public row_sink {
 public:
  explicit stream_sink(std::FILE* stream) : stream_(stream) {
#ifdef _WIN32
    _setmode(_fileno(stream_), _O_BINARY);  // rows carry their CR (`row_end`)
#endif
  }
  bool write(const char* bytes, std::size_t size) override {
    return std::fwrite(bytes, 1, size, stream_) == size;
  }

 private:
  std::FILE* stream_;
};

// `convert_log` writing to an open stream; an unbuffered one writes each
// block in one call.
inline log_conversion convert_log(byte_source& log, std::FILE* output, frame_record& record) {
  stream_sink sink(output);
  return convert_log(log, sink, record);
}

}  // namespace pluckrow
