// Where the line reader's bytes come from: a plain file, the text of a
// UTF-16 log, or a decompressor. Each is a source of this one shape, so the
// reader, the matcher and the row writer never know which one they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "conversion/text/read_observer.h"

namespace pluckrow {

class byte_source {
 public:
  byte_source() = default;
  byte_source(const byte_source&) = delete;
  byte_source& operator=(const byte_source&) = delete;
  virtual ~byte_source() = default;

  // Reads `size` bytes into `into`, fewer only at the end of the input or
  // after a failure; returns how many.
  std::size_t read(char* into, std::size_t size);

  // The next bytes, up to `size` (at most `max_peek`) of them, which the
  // next `read` still gives: how a format is told by its first bytes, and a
  // tar archive by its first header.
  std::string_view peek(std::size_t size);
  static constexpr std::size_t max_peek = 512;

  // Whether the input ended on a failure (a read error, damaged data, a
  // file cut short while read) rather than at its end.
  bool failed() const { return failed_; }

 protected:
  // Gives the next bytes, at most `size` (at least 1) of them; 0 only at
  // the end of the input or on a failure, which it marks with `fail`.
  virtual std::size_t produce(char* into, std::size_t size) = 0;
  void fail() { failed_ = true; }

 private:
  char ahead_[max_peek];
  std::size_t ahead_begin_ = 0;
  std::size_t ahead_end_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

// The bytes of an open file, as they are, read in blocks. A regular file
// that ends short of the size it had when opened, or of what was read of
// it, was cut short while read (truncated, rotated by copy and truncate):
// that end is a failure. One that grows while read ends where a read first
// finds no more.
class file_source final : public byte_source {
 public:
  explicit file_source(std::FILE* file, read_observer* observer = nullptr);

 private:
  std::size_t produce(char* into, std::size_t size) override;
  // Whether the file, read to its end, is shorter than it was.
  bool cut_short() const;

  std::FILE* file_;
  read_observer* observer_;
  std::int64_t size_at_open_;  // -1: not a regular file
  std::uint64_t produced_ = 0;
  bool at_end_ = false;
};

}  // namespace pluckrow
