#include "conversion/utf16_text.h"

#include <cstdint>
#include <cstring>

namespace pluckrow {
namespace {

constexpr std::uint32_t replacement_character = 0xFFFD;

bool is_high_surrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::size_t write_utf8(std::uint32_t code, char* out) {
  const auto byte = [](std::uint32_t value) { return static_cast<char>(value); };
  if (code < 0x80) {
    out[0] = byte(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = byte(0xC0 | code >> 6);
    out[1] = byte(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = byte(0xE0 | code >> 12);
    out[1] = byte(0x80 | (code >> 6 & 0x3F));
    out[2] = byte(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = byte(0xF0 | code >> 18);
  out[1] = byte(0x80 | (code >> 12 & 0x3F));
  out[2] = byte(0x80 | (code >> 6 & 0x3F));
  out[3] = byte(0x80 | (code & 0x3F));
  return 4;
}

}  // namespace

utf16_text::utf16_text(std::FILE* input, bool big_endian, const char* first_bytes, std::size_t size,
                       bool ended)
    : input_(input),
      big_endian_(big_endian),
      raw_(new unsigned char[raw_bytes]),
      end_(size),
      at_end_(ended) {
  std::memcpy(raw_.get(), first_bytes, size);
}

unsigned utf16_text::unit_at(std::size_t at) const {
  const unsigned first = raw_[at];
  const unsigned second = raw_[at + 1];
  return big_endian_ ? first << 8 | second : second << 8 | first;
}

bool utf16_text::refill() {
  const std::size_t kept = end_ - begin_;
  std::memmove(raw_.get(), raw_.get() + begin_, kept);
  const std::size_t wanted = raw_bytes - kept;
  const std::size_t got = std::fread(raw_.get() + kept, 1, wanted, input_);
  at_end_ = got < wanted;
  begin_ = 0;
  end_ = kept + got;
  return got > 0;
}

std::size_t utf16_text::read(char* out, std::size_t room) {
  std::size_t written = 0;
  // A surrogate pair takes 4 bytes of input: fewer are refilled first.
  while (room - written >= 4 && (end_ - begin_ >= 4 || (!at_end_ && refill()) || end_ > begin_)) {
    const std::size_t available = end_ - begin_;
    if (available == 1) {
      begin_ = end_;
      written += write_utf8(replacement_character, out + written);
      continue;
    }
    const unsigned unit = unit_at(begin_);
    std::uint32_t code = unit;
    std::size_t used = 2;
    if (is_high_surrogate(unit) && available >= 4 && is_low_surrogate(unit_at(begin_ + 2))) {
      code = 0x10000 + ((unit - 0xD800) << 10) + (unit_at(begin_ + 2) - 0xDC00);
      used = 4;
    } else if (is_high_surrogate(unit) || is_low_surrogate(unit)) {
      code = replacement_character;
    }
    begin_ += used;
    written += write_utf8(code, out + written);
  }
  return written;
}

}  // namespace pluckrow
