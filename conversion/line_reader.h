// Splits a text stream into the lines the matcher sees, reading large blocks.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "conversion/log_line.h"
#include "conversion/utf16_text.h"

namespace pluckrow {

// Yields each log line of a stream as its first `max_line_bytes` bytes, the
// newline included when it falls within them; the rest of an over-long log
// line is skipped, so it never turns into further lines. A last line without
// a newline is yielded as it is. A byte-order mark at the start is not text:
// after a UTF-8 one the bytes are read as they are, after a UTF-16 one (LE or
// BE) the text is read as UTF-8. Memory is one fixed block, held in the
// reader itself so that a small log costs no allocation.
class line_reader {
 public:
  explicit line_reader(std::FILE* input);
  line_reader(const line_reader&) = delete;
  line_reader& operator=(const line_reader&) = delete;

  // Sets `line` to the next line, valid until the next call. Returns false at
  // the end of the input or after a read error; a line cut short by a read
  // error is not yielded.
  bool next(std::string_view& line) {
    // Most lines are short and lie inside the block: one memchr finds them.
    if (!skipping_ && static_cast<std::size_t>(end_ - begin_) >= max_line_bytes) [[likely]] {
      const auto* newline = static_cast<const char*>(std::memchr(begin_, '\n', max_line_bytes));
      if (newline != nullptr) [[likely]] {
        line = std::string_view(begin_, static_cast<std::size_t>(newline + 1 - begin_));
        begin_ = newline + 1;
        return true;
      }
    }
    return next_with_refill(line);
  }

  // The unread text from the start of the next line, `max_line_bytes` long,
  // when that much is at hand; empty otherwise. A caller that finds where
  // the line ends in it passes that end to `skip_to` instead of calling
  // `next`, sparing the search for the newline.
  std::string_view peek() const {
    if (skipping_ || static_cast<std::size_t>(end_ - begin_) < max_line_bytes) return {};
    return std::string_view(begin_, max_line_bytes);
  }
  void skip_to(const char* line_end) { begin_ = line_end; }

  // Whether reading stopped on a read error rather than the end of the input.
  bool failed() const { return failed_; }

 private:
  // `next` for lines that are over-long, cross the end of the block or
  // follow an over-long line.
  bool next_with_refill(std::string_view& line);
  // Moves the unread bytes to the front and appends what the stream gives.
  // Returns false when nothing more can be read.
  bool refill();
  // Reads up to `read_bytes` of text into `into`, noting the end of the
  // input; returns how many.
  std::size_t read_text(char* into);
  // The first `size` bytes of the input, read into `into`, without their
  // byte-order mark; returns how many are text.
  std::size_t without_byte_order_mark(char* into, std::size_t size);
  // Drops the rest of the over-long line just yielded. Returns false when
  // the input ended or failed first.
  bool skip_rest_of_line();
#ifdef _WIN32
  // Does in place what a text-mode stream does to the `size` bytes read at
  // `data`: CR LF becomes LF and a Ctrl-Z ends the input. A CR that ends
  // them is carried to the next read, whose first byte may be its LF.
  // Returns the size left.
  std::size_t from_text_mode(char* data, std::size_t size);
#endif

  // Each refill asks for a whole number of the stream's own buffers, so that
  // the C library reads straight into the block in one call, and keeps room
  // for the unread start of a line (less than `max_line_bytes`, a carried CR
  // included) before it.
  static constexpr std::size_t read_bytes = std::size_t{128} * 1024;

  std::FILE* input_;
  std::unique_ptr<utf16_text> utf16_;  // set when the input is UTF-16
  char block_[max_line_bytes + read_bytes];
  const char* begin_ = block_;
  const char* end_ = block_;
  bool skipping_ = false;
  bool started_ = false;
  bool at_end_ = false;
  bool failed_ = false;
#ifdef _WIN32
  bool carried_cr_ = false;
#endif
};

}  // namespace pluckrow
