#include "conversion/text/line_reader.h"

namespace pluckrow {

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

std::size_t line_reader::read_text(char* into) {
  const std::size_t got = input_.read(into, read_bytes);
  at_end_ = got < read_bytes;
  failed_ = at_end_ && input_.failed();
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
  // The last line of a log may lack its newline. After a read error it may
  // be cut short, and a cut line is never matched; in a log still being
  // written it may be cut too, and is matched only where it is whole.
  const auto available = static_cast<std::size_t>(end_ - begin_);
  if (available == 0) return false;
  if (available >= max_line_bytes && !failed_) return true;  // before the end: no last line yet
  if (std::memchr(begin_, '\n', available) != nullptr) return true;
  return !failed_ && (whole_ == nullptr || whole_(std::string_view(begin_, available)));
}

}  // namespace pluckrow
