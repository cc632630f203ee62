// Where the line reader's bytes come from: a plain file, the text of a
// UTF-16 log, or a decompressor. Each is a source of this one shape, so the
// reader, the matcher and the row writer never know which one they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "conversion/text/mapped_file.h"
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

  // Whether the input ended on a failure (a read error, damaged data)
  // rather than at its end.
  bool failed() const { return failed_; }

  // The rest of the input read in place, where it is a file's bytes as they
  // are stored and the file maps; nullptr otherwise. The source is not read
  // after.
  virtual std::unique_ptr<mapped_file> mapped_rest() { return nullptr; }

 protected:
  // Gives the next bytes, at most `size` (at least 1) of them; 0 only at
  // the end of the input or on a failure, which it marks with `fail`.
  virtual std::size_t produce(char* into, std::size_t size) = 0;
  void fail() { failed_ = true; }
  // How many bytes were peeked at and not read yet.
  std::size_t peeked() const { return ahead_end_ - ahead_begin_; }

 private:
  char ahead_[max_peek];
  std::size_t ahead_begin_ = 0;
  std::size_t ahead_end_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

// The bytes of an open file, as they are: mapped in windows of
// `map_window` bytes where the file maps, none for a file read in blocks.
class file_source final : public byte_source {
 public:
  explicit file_source(std::FILE* file, read_observer* observer = nullptr,
                       std::size_t map_window = mapped_file::window_bytes);

  std::unique_ptr<mapped_file> mapped_rest() override;

 private:
  std::size_t produce(char* into, std::size_t size) override;

  std::FILE* file_;
  read_observer* observer_;
  std::size_t map_window_;
  std::uint64_t produced_ = 0;
  bool at_end_ = false;
};

}  // namespace pluckrow
