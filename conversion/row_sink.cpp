#include "conversion/row_sink.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pluckrow {

stream_sink::stream_sink(std::FILE* stream) : stream_(stream) {
#ifdef _WIN32
  _setmode(_fileno(stream_), _O_BINARY);  // rows carry their CR (`row_end`)
#endif
}

bool stream_sink::write(const char* bytes, std::size_t size) {
  return std::fwrite(bytes, 1, size, stream_) == size;
}

}  // namespace pluckrow
