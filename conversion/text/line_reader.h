// Splits a log's text into the lines the matcher sees, reading large blocks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
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
// a newline is yielded as it is. The lines of a file that maps are read
// where they lie, in its windows; those of any other source from one fixed
// block, held in the reader itself so that a small log costs no allocation.
class line_reader {
 public:
  explicit line_reader(byte_source& input) : input_(input), mapped_(input.mapped_rest()) {
    if (mapped_ != nullptr) {
      const std::string_view first = mapped_->first();
      begin_ = first.data();
      end_ = begin_ + first.size();
      at_end_ = mapped_->ended();
    }
  }
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
    // Mapped bytes come from memory rather than from a block a copy has
    // just cached, and the processor's own prefetching stops at each page's
    // end: the bytes some lines on are asked for here.
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(begin_) +
                                                     prefetch_distance));
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

  // Whether the line just consumed was read as the file holds it, asked of
  // a line before a row is written from it: only one without its newline
  // can reach bytes that a mapped file lost while read. If it did, reading
  // ends there, as on a read error.
  bool consumed_whole() { return !skipping_ || mapped_ == nullptr || still_held(begin_); }

  // Whether reading stopped on a read error rather than the end of the input.
  bool failed() const { return failed_; }

 private:
  // For `next_text`: skips the rest of a cut line and refills the block
  // until a whole window is at hand or the input has ended. Returns false
  // when no line is left to yield.
  bool prepare_text();
  // Moves the unread bytes to the front and appends what the stream gives.
  // Returns false when nothing more can be read.
  bool refill();
  // Reads up to `read_bytes` of text into `into`, noting the end of the
  // input; returns how many.
  std::size_t read_text(char* into);
  // Drops the rest of the over-long line just yielded. Returns false when
  // the input ended or failed first.
  bool skip_rest_of_line();
  // For `consumed_whole`: whether the mapped file still holds the line
  // ending at `line_end`; if not, reading ends as on a read error.
  bool still_held(const char* line_end);
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
  // Some 30 to 60 lines of candump's.
  static constexpr std::size_t prefetch_distance = 2048;

  byte_source& input_;
  const std::unique_ptr<mapped_file> mapped_;
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
