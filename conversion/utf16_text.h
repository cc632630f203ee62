// Logs saved as UTF-16 (Windows PowerShell 5.1's `>` and `Out-File` save
// them so): their text read as UTF-8, so that their lines match as the same
// lines of a plain log do.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

namespace pluckrow {

class utf16_text {
 public:
  // `first_bytes` (`size` bytes) were read from `input` already, after the
  // byte-order mark, and `input` has `ended` if they were its last;
  // `big_endian` as that mark says.
  utf16_text(std::FILE* input, bool big_endian, const char* first_bytes, std::size_t size,
             bool ended);

  // Writes the text's next characters in UTF-8 to `out`, which has room for
  // `room` bytes (at least 4), and returns how many bytes it wrote; 0 once
  // the input has ended or failed. A code unit without its partner, or a
  // last odd byte, becomes U+FFFD.
  std::size_t read(char* out, std::size_t room);

 private:
  // Keeps the undecoded bytes and appends what the stream gives; returns
  // false when it gave nothing.
  bool refill();
  unsigned unit_at(std::size_t at) const;

  static constexpr std::size_t raw_bytes = std::size_t{128} * 1024;

  std::FILE* input_;
  bool big_endian_;
  std::unique_ptr<unsigned char[]> raw_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
};

}  // namespace pluckrow
