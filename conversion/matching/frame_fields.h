// The fields a candump line's frame is read from, each a small parser of
// a cursor into the line: blanks, the line's end, the time stamp, -x's
// block, the identifier, the print layout's bytes and the log-file
// layout's body. The fixed-place readers and the grammar (line_grammar.cpp,
// the one file that includes this) are built of them.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "conversion/matching/characters.h"
#include "conversion/matching/frame_assignment.h"
#include "conversion/matching/hex_fields.h"
#include "conversion/matching/line_match.h"
#include "conversion/matching/swar.h"
#include "conversion/matching/time_stamp_fields.h"

namespace pluckrow {
// Internal to line_grammar.cpp, which alone includes this, so that the
// compiler inlines these per-line readers as it would there.
namespace {

using swar_fields::candump_date;
using swar_fields::candump_time_stamp;
using swar_fields::hex_pairs;
using swar_fields::leading_hex_digits;
using swar_fields::leading_hex_digits_of_64;
using swar_fields::printed_bytes;
using swar_fields::relative_time_stamp;

const char* skip_blanks(const char* at, const char* end) {
  while (at != end && *at == ' ') ++at;  // candump's own
  while (at != end && is_blank(*at)) ++at;
  return at;
}

// The end of the line that `at` lies in: past its newline, or the end of
// the text, where a line cut at the read limit ends. Most lines end within
// `reach` characters of where matching stops, looked at sixteen at a time
// before the rest is searched: sixteen of a frame's last field, 64 where
// matching stops early, at another interface's name or a 29-bit identifier.
template <std::ptrdiff_t reach = 16>
[[gnu::always_inline]] inline const char* end_of_line(const char* at, const char* end) {
  if (at != end && *at == '\n') return at + 1;
  if (end - at >= 16) {
    const int offset = swar_fields::newline_offset(at);
    if (offset < 16) return at + offset + 1;
    for (const char* later = at + 16; later - at < reach && end - later >= 16; later += 16) {
      const int later_offset = swar_fields::newline_offset(later);
      if (later_offset < 16) return later + later_offset + 1;
    }
  }
  const void* const newline = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
  return newline != nullptr ? static_cast<const char*>(newline) + 1 : end;
}

// What stands before the interface: candump's seconds ("digits.digits"),
// another form of seconds formatted input reads (for the pattern), a date
// (-tA), or none.
enum class stamp { seconds, formatted, date, none };  // the first two in seconds

// "digits.digits)" near the end of the text, where the time stamp's words of
// eight cannot be read: returns the position of the ")" and sets `value`,
// correctly rounded as strtod rounds it.
const char* short_time_stamp(const char* at, const char* end, double& value) {
  const char* point = at;
  while (point != end && is_digit(*point)) ++point;
  if (point == at || point == end || *point != '.') return nullptr;
  const char* close = point + 1;
  while (close != end && is_digit(*close)) ++close;
  if (close == point + 1 || close == end || *close != ')') return nullptr;
  const auto [parsed_end, error] = std::from_chars(at, close, value);
  // Beyond a double's range from_chars leaves the value; strtod's is the
  // pattern's (it stops at the ")").
  if (error == std::errc::result_out_of_range) value = std::strtod(at, nullptr);
  return parsed_end == close ? close : nullptr;
}

// The time stamp in parentheses at `at` (just after the "("): returns the
// position after the ")", sets `kind`, and sets `value` to what formatted
// input's %lf reads of it: the seconds, or a date's year, where it stops at
// the "-"; candump's seconds may be left unread when not `wanted`. Returns
// nullptr for any other text.
const char* time_stamp(const char* at, const char* end, time_stamps wanted, stamp& kind,
                       double& value) {
  const char* const year = at;
  const auto year_value = [year] {
    return (year[0] - '0') * 1000 + (year[1] - '0') * 100 + (year[2] - '0') * 10 + (year[3] - '0');
  };
  const char* close = swar_fields::time_stamp(at, end, wanted == time_stamps::computed, value);
  if (close == nullptr) {
    // candump's -tA date, at fixed places.
    if (candump_date(at, end)) {
      kind = stamp::date;
      value = year_value();
      return at + 27;
    }
    close = short_time_stamp(at, end, value);
  }
  if (close != nullptr) {
    kind = stamp::seconds;
    return close + 1;
  }
  // Any other date: "2015-07-10 08:57:33.850870" with 6 or 9 digits after
  // the point.
  constexpr struct {
    int digits;
    char separator;
  } fields[] = {{4, '-'}, {2, '-'}, {2, ' '}, {2, ':'}, {2, ':'}, {2, '.'}};
  for (const auto& field : fields) {
    if (end - at <= field.digits) return nullptr;
    for (int i = 0; i < field.digits; ++i) {
      if (!is_digit(at[i])) return nullptr;
    }
    if (at[field.digits] != field.separator) return nullptr;
    at += field.digits + 1;
  }
  int fraction = 0;
  while (fraction < 10 && at + fraction != end && is_digit(at[fraction])) ++fraction;
  if ((fraction != 6 && fraction != 9) || at + fraction == end || at[fraction] != ')') {
    return nullptr;
  }
  kind = stamp::date;
  value = year_value();
  return at + fraction + 1;
}

// -x's "RX - -" ("TX", "B", "E"), blanks around: returns the position after
// it, or nullptr.
const char* extra_info(const char* at, const char* end) {
  if (end - at < 3 || (at[0] != 'R' && at[0] != 'T') || at[1] != 'X' || !is_blank(at[2])) {
    return nullptr;
  }
  at = skip_blanks(at + 2, end);
  if (end - at < 2 || (at[0] != '-' && at[0] != 'B') || !is_blank(at[1])) return nullptr;
  at = skip_blanks(at + 1, end);
  if (end - at < 2 || (at[0] != '-' && at[0] != 'E') || !is_blank(at[1])) return nullptr;
  return skip_blanks(at + 1, end);
}

// The identifier of three hex digits at `at`.
[[gnu::always_inline]] inline std::uint32_t identifier_at(const char* at) {
  return std::uint32_t{hex_value(at[0])} << 8 | std::uint32_t{hex_value(at[1])} << 4 |
         hex_value(at[2]);
}

// Sets byte `index` of `bytes` to the pair of hex digits at `at`.
void set_hex_pair(std::uint64_t& bytes, std::size_t index, const char* at) {
  const std::size_t shift = 8 * index;
  const std::uint64_t pair = std::uint64_t{hex_value(at[0])} << 4 | hex_value(at[1]);
  bytes = (bytes & ~(std::uint64_t{0xFF} << shift)) | pair << shift;
}

// The print layout's data bytes after the "]" of `length`, read as the
// pattern's " %02X" directives read them: up to eight, the count returned
// and `at` left where reading stopped, byte i in bits 8i to 8i + 7 of
// `bytes`. Returns -1 where formatted input could read a byte other than as
// two hex digits (a sign, a 0x prefix, one digit, or three before the eighth
// byte).
int print_bytes(const char*& at, const char* end, std::int32_t length, std::uint64_t& bytes) {
  // First as candump prints `length` bytes, then one at a time from there.
  int count = 0;
  const int printed = length < 8 ? length : 8;
  if (printed > 0 && end - at >= 25 && printed_bytes(at, printed, bytes)) {
    count = printed;
    at += 3 * printed + 1;
  }
  for (; count < 8; ++count) {
    at = skip_blanks(at, end);
    if (at == end || *at == '+' || *at == '-') return at == end ? count : -1;
    if (!is_hex(*at)) return count;  // "remote request", -a's column, the newline...
    if (end - at < 2 || !is_hex(at[1]) || (count < 7 && end - at > 2 && is_hex(at[2]))) {
      return -1;
    }
    set_hex_pair(bytes, static_cast<std::size_t>(count), at);
    at += 2;
  }
  return count;
}

// The log-file layout's data after the "#"; `at` is left where reading
// stopped. Returns whether the layout holds the frame: "#" or "##" and a
// flags digit, pairs of hex digits (at most 8, or 64 for CAN FD), one "."
// allowed before each, "_" and a DLC digit after eight classic bytes, then
// white space or the end of the line.
bool log_file_bytes(const char*& at, const char* end, std::uint64_t& bytes, std::size_t& count) {
  const bool flexible = at != end && *at == '#';
  if (flexible) {
    if (end - at < 2 || !is_hex(at[1])) return false;
    at += 2;
  }
  const std::size_t max_bytes = flexible ? 64 : 8;
  count = 0;
  // Runs of digits 64 or 16 characters at a time while they last; the
  // first eight bytes kept.
  while (end - at >= 16) {
    const int looked_at = end - at >= 64 ? 64 : 16;
    const int digits = looked_at == 64 ? leading_hex_digits_of_64(at) : leading_hex_digits(at);
    if (count == 0) bytes = hex_pairs(at);
    const auto pairs = static_cast<std::size_t>(digits / 2);
    if (count + pairs > max_bytes) return false;
    count += pairs;
    at += 2 * pairs;
    if (digits < looked_at || at == end || !is_hex(*at)) break;
  }
  for (;;) {
    if (at != end && *at == '.') {
      ++at;
      if (at == end || !is_hex(*at)) return false;
    }
    if (at == end || !is_hex(*at)) break;
    if (end - at < 2 || !is_hex(at[1]) || count == max_bytes) return false;
    if (count < 8) set_hex_pair(bytes, count, at);
    ++count;
    at += 2;
  }
  if (!flexible && count == 8 && end - at >= 2 && at[0] == '_' && is_hex(at[1])) at += 2;
  return at == end || *at == '\0' || is_space(*at);
}

// A can0 frame whose match stops after its identifier's first three digits,
// as the pattern's stops at a "#" or a fourth digit: the time stamp and the
// identifier assigned; `mark` as `line_match::left_frame_path`.
[[gnu::always_inline]] inline line_match stopped_after_identifier(const char* line_end,
                                                                  double time_stamp_value,
                                                                  std::uint32_t identifier,
                                                                  frame_record& record,
                                                                  const char* mark = nullptr) {
  record.time_stamp = time_stamp_value;
  record.identifier = identifier;
  return {line_end, identifier_index + 1, mark};
}

// A log-file frame from just after its "#", the time stamp and identifier
// read: all the reader takes, or, for a frame it does not take (remote,
// malformed), the pattern's time stamp and identifier alone.
[[gnu::always_inline]] inline line_match log_file_frame(const char* at, const char* end,
                                                        double time_stamp_value,
                                                        std::uint32_t identifier,
                                                        frame_record& record) {
  if (end - at > 16) {
    // Up to eight bytes and white space, as candump writes most frames;
    // eight may carry its raw DLC (-8), "_" and a hex digit.
    const int digits = leading_hex_digits(at);
    const char* const after = at + digits;
    const bool spaced = digits % 2 == 0 && is_space(*after);
    if (spaced || (digits == 16 && end - at > 18 && after[0] == '_' && is_hex(after[1]) &&
                   is_space(after[2]))) {
      const int count = digits / 2;
      return {end_of_line(spaced ? after : after + 2, end),
              assign_frame(time_stamp_value, identifier, count, hex_pairs(at),
                           static_cast<std::size_t>(count), record)};
    }
  }
  std::uint64_t bytes = 0;
  std::size_t count;
  if (at != end && *at == 'R') {
    // A remote frame, which the reader does not take. Its line's end is
    // looked for from the "R" on, which is no newline: whether a length
    // digit follows it, from frame to frame, decides no branch.
  } else if (log_file_bytes(at, end, bytes, count)) {
    return {end_of_line(at, end),
            assign_frame(time_stamp_value, identifier, static_cast<std::int32_t>(count), bytes,
                         count, record)};
  }
  return stopped_after_identifier(end_of_line(at, end), time_stamp_value, identifier, record);
}

}  // namespace
}  // namespace pluckrow
