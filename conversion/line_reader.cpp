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
  carried_cr_ = !at_end_ && size > 0 && data[size - 1] == '\r';
  size -= carried_cr_;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != '\r' || i + 1 == size || data[i + 1] != '\n') data[kept++] = data[i];
  }
  return kept;
}
#endif

std::size_t line_reader::without_byte_order_mark(char* into, std::size_t size) {
  const auto starts_with = [&](std::string_view mark) {
    return size >= mark.size() && std::memcmp(into, mark.data(), mark.size()) == 0;
  };
  if (starts_with("\xEF\xBB\xBF")) {
    std::memmove(into, into + 3, size - 3);
    return size - 3;
  }
  const bool little_endian = starts_with("\xFF\xFE");
  if (!little_endian && !starts_with("\xFE\xFF")) return size;
  // The bytes read so far are UTF-16 too: the decoder takes them over.
  utf16_ = std::make_unique<utf16_text>(input_, !little_endian, into + 2, size - 2, at_end_);
  return read_text(into);
}

std::size_t line_reader::read_text(char* into) {
  std::size_t got;
  if (utf16_ != nullptr) {
    got = utf16_->read(into, read_bytes);
    at_end_ = got == 0;
  } else {
    got = std::fread(into, 1, read_bytes, input_);
    at_end_ = got < read_bytes;
    if (!started_) {
      started_ = true;
      got = without_byte_order_mark(into, got);
    }
  }
  failed_ = at_end_ && std::ferror(input_) != 0;
  return got;
}

bool line_reader::refill() {
  if (at_end_) return false;
  const std::size_t kept = static_cast<std::size_t>(end_ - begin_);
  std::memmove(block_, begin_, kept);
  char* const fresh = block_ + kept;
#ifdef _WIN32
  const std::size_t carried = carried_cr_;
  if (carried_cr_) *fresh = '\r';
  const std::size_t got = from_text_mode(fresh, carried + read_text(fresh + carried));
#else
  const std::size_t got = read_text(fresh);
#endif
  begin_ = block_;
  end_ = fresh + got;
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

bool line_reader::prepare_text() {
  if (skipping_) {
    skipping_ = false;
    if (!skip_rest_of_line()) return false;
  }
  while (static_cast<std::size_t>(end_ - begin_) < max_line_bytes && refill()) {
  }
  // The last line of a log may lack its newline; after a read error it may
  // be cut short, and a cut line is never matched.
  const auto available = static_cast<std::size_t>(end_ - begin_);
  return available > 0 && (!failed_ || std::memchr(begin_, '\n', available) != nullptr);
}

}  // namespace pluckrow
