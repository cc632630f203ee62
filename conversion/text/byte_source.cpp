#include "conversion/text/byte_source.h"

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pluckrow {

std::size_t byte_source::read(char* into, std::size_t size) {
  std::size_t got = std::min(size, ahead_end_ - ahead_begin_);
  std::memcpy(into, ahead_ + ahead_begin_, got);
  ahead_begin_ += got;
  while (got < size && !ended_) {
    const std::size_t more = produce(into + got, size - got);
    ended_ = more == 0;
    got += more;
  }
  return got;
}

std::string_view byte_source::peek(std::size_t size) {
  size = std::min(size, max_peek);
  if (ahead_end_ - ahead_begin_ < size) {
    std::memmove(ahead_, ahead_ + ahead_begin_, ahead_end_ - ahead_begin_);
    ahead_end_ -= ahead_begin_;
    ahead_begin_ = 0;
    while (ahead_end_ < size && !ended_) {
      const std::size_t more = produce(ahead_ + ahead_end_, size - ahead_end_);
      ended_ = more == 0;
      ahead_end_ += more;
    }
  }
  return {ahead_ + ahead_begin_, std::min(size, ahead_end_ - ahead_begin_)};
}

file_source::file_source(std::FILE* file, read_observer* observer, std::size_t map_window)
    : file_(file), observer_(observer), map_window_(map_window) {
#ifdef _WIN32
  // The C runtime's text mode does not always stop at a Ctrl-Z once it has
  // buffered past it, so the line reader does text mode's work itself.
  _setmode(_fileno(file_), _O_BINARY);
#endif
}

std::size_t file_source::produce(char* into, std::size_t size) {
  if (at_end_) return 0;
  const std::size_t got = std::fread(into, 1, size, file_);
  produced_ += got;
  if (observer_ != nullptr) observer_->bytes_read(got);
  if (got < size) {
    at_end_ = true;
    if (std::ferror(file_) != 0) fail();
  }
  return got;
}

std::unique_ptr<mapped_file> file_source::mapped_rest() {
  if (map_window_ == 0 || at_end_) return nullptr;
  return mapped_file::open(fileno(file_), produced_ - peeked(), produced_, map_window_, observer_);
}

}  // namespace pluckrow
