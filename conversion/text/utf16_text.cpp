#include "conversion/text/utf16_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

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

utf16_text::utf16_text(std::unique_ptr<byte_source> units, bool big_endian)
    : units_(std::move(units)), big_endian_(big_endian), raw_(new unsigned char[raw_bytes]) {}

unsigned utf16_text::unit_at(std::size_t at) const {
  const unsigned first = raw_[at];
  const unsigned second = raw_[at + 1];
  return big_endian_ ? first << 8 | second : second << 8 | first;
}

bool utf16_text::refill() {
  const std::size_t kept = end_ - begin_;
  std::memmove(raw_.get(), raw_.get() + begin_, kept);
  const std::size_t wanted = raw_bytes - kept;
  const std::size_t got = units_->read(reinterpret_cast<char*>(raw_.get()) + kept, wanted);
  at_end_ = got < wanted;
  if (at_end_ && units_->failed()) fail();
  begin_ = 0;
  end_ = kept + got;
  return got > 0;
}

std::size_t utf16_text::next_character(char* out) {
  // A surrogate pair takes 4 bytes of input: fewer are refilled first.
  if (end_ - begin_ < 4 && !at_end_) refill();
  const std::size_t available = end_ - begin_;
  if (available == 0) return 0;
  if (available == 1) {
    begin_ = end_;
    return write_utf8(replacement_character, out);
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
  return write_utf8(code, out);
}

std::size_t utf16_text::produce(char* out, std::size_t room) {
  std::size_t written = std::min(room, pending_end_ - pending_begin_);
  std::memcpy(out, pending_ + pending_begin_, written);
  pending_begin_ += written;
  while (room - written >= 4) {
    const std::size_t length = next_character(out + written);
    if (length == 0) return written;
    written += length;
  }
  if (written < room && pending_begin_ == pending_end_) {
    // Too little room for a whole character: the rest of it comes next.
    pending_end_ = next_character(pending_);
    pending_begin_ = std::min(room - written, pending_end_);
    std::memcpy(out + written, pending_, pending_begin_);
    written += pending_begin_;
  }
  return written;
}

}  // namespace pluckrow
