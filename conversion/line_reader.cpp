#include "conversion/line_reader.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace pluckrow {

line_reader::line_reader(std::FILE* input) : input_(input) {
#ifdef _WIN32
  // The C runtime's text mode does not always stop at a Ctrl-Z once it has
  // buffered past it, so the reader takes the bytes and does text mode's
  // work itself (see `from_text_mode`).
  _setmode(_fileno(input_), _O_BINARY);
#endif
}

#ifdef _WIN32
std::size_t line_reader::from_text_mode(char* data, std::size_t size) {
  if (const auto* const ctrl_z = static_cast<const char*>(std::memchr(data, '\x1A', size))) {
    size = static_cast<std::size_t>(ctrl_z - data);
    at_end_ = true;
  }
  // A CR at the end of a read may begin a CR LF: it is read again next time.
  if (!at_end_ && size > 1 && data[size - 1] == '\r') {
    std::ungetc('\r', input_);
    --size;
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != '\r' || i + 1 == size || data[i + 1] != '\n') data[kept++] = data[i];
  }
  return kept;
}
#endif

bool line_reader::refill() {
  if (at_end_) return false;
  const std::size_t kept = static_cast<std::size_t>(end_ - begin_);
  std::memmove(block_, begin_, kept);
  std::size_t got = std::fread(block_ + kept, 1, read_bytes, input_);
  if (got < read_bytes) {
    at_end_ = true;
    failed_ = std::ferror(input_) != 0;
  }
#ifdef _WIN32
  got = from_text_mode(block_ + kept, got);
#endif
  begin_ = block_;
  end_ = block_ + kept + got;
  return got > 0;
}

bool line_reader::skip_rest_of_line() {
  for (;;) {
    const auto* newline = static_cast<const char*>(
        std::memchr(begin_, '\n', static_cast<std::size_t>(end_ - begin_)));
    if (newline != nullptr) {
      begin_ = newline + 1;
      return true;
    }
    begin_ = end_;
    if (!refill()) return false;
  }
}

bool line_reader::next_with_refill(std::string_view& line) {
  if (skipping_) {
    skipping_ = false;
    if (!skip_rest_of_line()) return false;
  }
  for (;;) {
    const std::size_t available = static_cast<std::size_t>(end_ - begin_);
    const std::size_t window = available < max_line_bytes ? available : max_line_bytes;
    const auto* newline = static_cast<const char*>(std::memchr(begin_, '\n', window));
    if (newline != nullptr || window == max_line_bytes) {
      const char* const line_end = newline != nullptr ? newline + 1 : begin_ + window;
      skipping_ = newline == nullptr;
      line = std::string_view(begin_, static_cast<std::size_t>(line_end - begin_));
      begin_ = line_end;
      return true;
    }
    if (!refill()) {
      // The last line of a log may lack its newline; after a read error it
      // may be cut short, and a cut line is never matched.
      if (failed_ || begin_ == end_) return false;
      line = std::string_view(begin_, static_cast<std::size_t>(end_ - begin_));
      begin_ = end_;
      return true;
    }
  }
}

}  // namespace pluckrow
