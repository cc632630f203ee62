// Logs saved as UTF-16 (Windows PowerShell 5.1's `>` and `Out-File` save
// them so): their text as UTF-8, so that their lines match as the same lines
// of a plain log do.
#pragma once

#include <cstddef>
#include <memory>

#include "conversion/text/byte_source.h"

namespace pluckrow {

class utf16_text final : public byte_source {
 public:
  // The text of `units`, read from just after its byte-order mark;
  // `big_endian` as that mark says.
  utf16_text(std::unique_ptr<byte_source> units, bool big_endian);

 private:
  // Writes the next characters in UTF-8. A code unit without its partner,
  // or a last odd byte, becomes U+FFFD.
  std::size_t produce(char* out, std::size_t room) override;
  // Decodes the next character into `out` (room for 4); returns its length,
  // 0 at the end of the input.
  std::size_t next_character(char* out);
  // Keeps the undecoded bytes and appends what the source gives; returns
  // false when it gave nothing.
  bool refill();
  unsigned unit_at(std::size_t at) const;

  static constexpr std::size_t raw_bytes = std::size_t{128} * 1024;

  std::unique_ptr<byte_source> units_;
  bool big_endian_;
  std::unique_ptr<unsigned char[]> raw_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool at_end_ = false;
  // A character's UTF-8 bytes that did not fit the last room given.
  char pending_[4];
  std::size_t pending_begin_ = 0;
  std::size_t pending_end_ = 0;
};

}  // namespace pluckrow
