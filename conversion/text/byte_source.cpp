#include "conversion/text/byte_source.h"

#include <algorithm>
#include <cstring>

#include <sys/stat.h>

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

namespace {

#ifndef _WIN32
static_assert(sizeof(off_t) >= 8, "a log of 2 GiB or more needs 64-bit file offsets");
#endif

// The size of the regular file open as `file`, or -1 for anything else (a
// FIFO, a device), whose size says nothing of what it holds.
std::int64_t regular_size(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 status;
  const bool known = _fstat64(_fileno(file), &status) == 0;
#else
  struct stat status;
  const bool known = fstat(fileno(file), &status) == 0;
#endif
  return known && S_ISREG(status.st_mode) ? static_cast<std::int64_t>(status.st_size) : -1;
}

}  // namespace

file_source::file_source(std::FILE* file, read_observer* observer)
    : file_(file), observer_(observer), size_at_open_(regular_size(file)) {
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
    if (std::ferror(file_) != 0 || cut_short()) fail();
  }
  return got;
}

bool file_source::cut_short() const {
  if (size_at_open_ < 0) return false;
  const auto read = static_cast<std::int64_t>(produced_);
  return read < size_at_open_ || regular_size(file_) < read;
}

}  // namespace pluckrow
