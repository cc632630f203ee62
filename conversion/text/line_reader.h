// Splits a log's text into the lines the matcher sees, reading large blocks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "conversion/text/byte_source.h"

namespace pluckrow {

// A line is matched on at most this many bytes: what one read limited to
// 1014 bytes (the historical fgets limit) yields before its terminating NUL.
inline constexpr std::size_t read_limit = 1014;
inline constexpr std::size_t max_line_bytes = read_limit - 1;

// Yields each log line of a source as its first `max_line_bytes` bytes, the
// newline included when it falls within them; the rest of an over-long log
// line is skipped, so it never turns into further lines. A last line without
// a newline is yielded as it is, where `whole` says so of it: in a log still
// being written, such a line may be cut. Lines are read from one fixed
// block, held in the reader itself so that a small log costs no allocation,
// where they lie.
class line_reader {
 public:
  using wholeness = bool (*)(std::string_view last_line);
  explicit line_reader(byte_source& input, wholeness whole = nullptr)
      : input_(input), whole_(whole) {}
  line_reader(const line_reader&) = delete;
  line_reader& operator=(const line_reader&) = delete;

  // Sets `text` to the unread text from the start of the next line, valid
  // until the next call: `max_line_bytes` of it, or what is left at the end
  // of the input. The caller finds where the line ends in it and passes that
  // end to `consume`. Returns false at the end of the input, or after a read
  // error once the lines read whole before it are taken.
  bool next_text(std::string_view& text) {
    if (skipping_ || static_cast<std::size_t>(end_ - begin_) < max_line_bytes) [[unlikely]] {
      if (!prepare_text()) return false;
    }
    text =
        std::string_view(begin_, std::min(static_cast<std::size_t>(end_ - begin_), max_line_bytes));
    return true;
  }

  // The line at the start of the last `next_text` ends at `line_end`, in
  // that text: past its newline, or where it was cut. Reading goes on after
  // it, past the rest of a line cut at `max_line_bytes`.
  void consume(const char* line_end) {
    skipping_ = line_end[-1] != '\n';
    begin_ = line_end;
  }

  // Whether reading stopped on a read error rather than the end of the input.
  bool failed() const { return failed_; }

 private:
  // For `next_text`: skips the rest of a cut line and refills the block
  // until `max_line_bytes` are at hand or the input has ended. Returns false
  // when no line is left to yield. Called only near a block's end: kept
  // out of the per-line loop, whose code it would crowd.
  [[gnu::noinline]] bool prepare_text();
  // Moves the unread bytes to the front and appends what the stream gives.
  // Returns false when nothing more can be read.
  bool refill();
  // Reads up to `read_bytes` of text into `into`, noting the end of the
  // input; returns how many.
  std::size_t read_text(char* into);
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

  // Each refill asks for a whole number of a stream's own buffers, so that
  // the C library reads straight into the block in one call, and keeps room
  // for the unread start of a line (less than `max_line_bytes`, a carried CR
  // included) before it.
  static constexpr std::size_t read_bytes = std::size_t{128} * 1024;

  byte_source& input_;
  wholeness whole_;
  char block_[max_line_bytes + read_bytes];
  const char* begin_ = block_;
  const char* end_ = block_;
  bool skipping_ = false;
  bool at_end_ = false;
  bool failed_ = false;
#ifdef _WIN32
  bool carried_cr_ = false;
#endif
};

}  // namespace pluckrow
