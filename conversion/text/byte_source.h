// Where the line reader's bytes come from: a plain file, the text of a
// UTF-16 log, or a decompressor. Each is a source of this one shape, so the
// reader, the matcher and the row writer never know which one they read.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

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

// Told how many bytes of a file have been read, a block at a time: how a
// progress line follows a long conversion.
class read_observer {
 public:
  virtual void bytes_read(std::size_t count) = 0;

 protected:
  ~read_observer() = default;
};

// The bytes of an open file, as they are.
class file_source final : public byte_source {
 public:
  explicit file_source(std::FILE* file, read_observer* observer = nullptr);

 private:
  std::size_t produce(char* into, std::size_t size) override;

  std::FILE* file_;
  read_observer* observer_;
  bool at_end_ = false;
};

}  // namespace pluckrow
