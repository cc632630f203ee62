#include "conversion/line_reader.h"

namespace pluckrow {

bool line_reader::refill() {
  if (at_end_) return false;
  const std::size_t kept = static_cast<std::size_t>(end_ - begin_);
  std::memmove(block_, begin_, kept);
  const std::size_t got = std::fread(block_ + kept, 1, read_bytes, input_);
  begin_ = block_;
  end_ = block_ + kept + got;
  if (got < read_bytes) {
    at_end_ = true;
    failed_ = std::ferror(input_) != 0;
  }
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
