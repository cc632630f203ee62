#include "conversion/matching/line_grammar.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "conversion/matching/characters.h"
#include "conversion/matching/exact_matcher.h"
#include "conversion/matching/frame_assignment.h"
#include "conversion/matching/hex_fields.h"
#include "conversion/matching/swar.h"
#include "conversion/matching/time_stamp_fields.h"

namespace pluckrow {
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
// the text, where a line cut at the read limit ends.
[[gnu::always_inline]] inline const char* end_of_line(const char* at, const char* end) {
  if (at != end && *at == '\n') return at + 1;
  if (end - at >= 16) {
    // Most lines end within sixteen characters of where matching stops.
    const int offset = swar_fields::newline_offset(at);
    if (offset < 16) return at + offset + 1;
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
  const char* close = swar_fields::time_stamp(at, end, wanted == time_stamps::computed, value);
  if (close == nullptr) close = short_time_stamp(at, end, value);
  if (close != nullptr) {
    kind = stamp::seconds;
    return close + 1;
  }
  // -tA: "2015-07-10 08:57:33.850870" with 6 or 9 digits after the point.
  constexpr struct {
    int digits;
    char separator;
  } fields[] = {{4, '-'}, {2, '-'}, {2, ' '}, {2, ':'}, {2, ':'}, {2, '.'}};
  const char* const year = at;
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
  value = (year[0] - '0') * 1000 + (year[1] - '0') * 100 + (year[2] - '0') * 10 + (year[3] - '0');
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
    // Up to eight bytes and white space, as candump writes most frames.
    const int digits = leading_hex_digits(at);
    if (digits % 2 == 0 && is_space(at[digits])) {
      const int count = digits / 2;
      return {end_of_line(at + digits, end),
              assign_frame(time_stamp_value, identifier, count, hex_pairs(at),
                           static_cast<std::size_t>(count), record)};
    }
  }
  std::uint64_t bytes = 0;
  std::size_t count;
  if (at != end && *at == 'R') {
    ++at;  // a remote frame, which the reader does not take
  } else if (log_file_bytes(at, end, bytes, count)) {
    return {end_of_line(at, end),
            assign_frame(time_stamp_value, identifier, static_cast<std::int32_t>(count), bytes,
                         count, record)};
  }
  return stopped_after_identifier(end_of_line(at, end), time_stamp_value, identifier, record);
}

}  // namespace

std::string_view interface_named(const char* at, const char* end) {
  const char* const name = at;
  const auto in_name = [](char c) {
    return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c == '-' || c == '.';
  };
  if (at == end || is_digit(*at) || !in_name(*at)) return {};
  while (at != end && at - name < 16 && in_name(*at)) ++at;
  const auto length = static_cast<std::size_t>(at - name);
  if (length > 15 || at == end || !is_blank(*at)) return {};
  at = skip_blanks(at, end);
  if (extra_info(at, end) != nullptr) return {name, length};
  const char* const identifier = at;
  while (at != end && is_hex(*at)) ++at;
  if (at == identifier || at - identifier > 8) return {};
  if (at != end && *at == '#') return {name, length};
  at = skip_blanks(at, end);
  return at != end && *at == '[' ? std::string_view(name, length) : std::string_view();
}

namespace {

// The rest of candump's print line of a classic frame of 1 to 8 bytes, from
// the interface on, at fixed places: the common case of every time stamp,
// with -x's block before the identifier or without it.
//
//   can0  102   [8]  00 11 22 33 44 55 66 77
//   can0  102   [3]  00 11 22
//   can0  RX - -  102   [8]  00 11 22 33 44 55 66 77
//
// `print_tail_length` checks its fixed characters, the identifier `block`
// characters on, and returns the length in brackets, or 0 for any other
// text; `read_print_tail`, given the text `block` characters on, decodes
// it, with the time stamp the line's prefix gave, or returns false on bytes
// that are not as candump prints them. What follows the eighth byte is
// ignored, as by the rest of the grammar; after fewer, the line must end,
// or -a's column follow, where formatted input would look for another
// byte and find none.
constexpr std::ptrdiff_t print_tail_bytes_end = 40;
constexpr std::ptrdiff_t extra_info_width = 8;  // "RX - -  "

// "can0" and candump's two blanks after it, the start of every print tail.
[[gnu::always_inline]] inline bool is_print_interface(const char* at) {
  constexpr std::uint64_t first_six = 0xFFFF'FFFF'FFFF;
  return (load_eight(at) & first_six) == (word_of("can0    ") & first_six);
}

template <std::ptrdiff_t block = 0>
[[gnu::always_inline]] inline int print_tail_length(const char* at, const char* end) {
  constexpr std::uint64_t but_length = ~(std::uint64_t{0xFF} << 32);  // "   [N]  "
  const char* const frame = at + block;
  if (end - frame <= print_tail_bytes_end || !is_print_interface(at) ||
      (load_eight(frame + 9) & but_length) != (word_of("   [8]  ") & but_length) ||
      (hex_value(frame[6]) | hex_value(frame[7]) | hex_value(frame[8])) > 0xF) {
    return 0;
  }
  const auto below_length = static_cast<unsigned>(frame[13] - '1');  // '1' to '8': 0 to 7
  return below_length < 8 ? static_cast<int>(below_length) + 1 : 0;
}

// -x's block at `at`, as candump prints it: "RX - -  " ("TX", "B", "E").
[[gnu::always_inline]] inline bool is_extra_info(const char* at) {
  constexpr std::uint64_t fixed = 0xFFFF'00FF'00FF'FF00;  // "?X ? ?  "
  return (load_eight(at) & fixed) == (word_of("RX - -  ") & fixed) &&
         (at[0] == 'R' || at[0] == 'T') && (at[3] == '-' || at[3] == 'B') &&
         (at[5] == '-' || at[5] == 'E');
}

// What candump prints after fewer than eight bytes instead of the line's
// end: -a's column, blanks and a quote.
bool is_ascii_column(const char* at, const char* end) {
  const char* const column = at;
  while (at != end && *at == ' ') ++at;
  return at != column && at != end && *at == '\'';
}

// The fixed-place readers before the grammar take neither -x's block, nor
// -a's column, nor a remote frame: they are the grammar's to read, once.
enum class print_extras { none, read };

template <print_extras extras = print_extras::none, std::ptrdiff_t block = 0>
[[gnu::always_inline]] inline bool read_print_tail(const char* at, const char* end, int length,
                                                   double time_stamp_value, frame_record& record,
                                                   line_match& match) {
  const char* const frame = at + block;
  std::uint64_t bytes;
  if (!printed_bytes(frame + 15, length, bytes)) {
    // candump's "remote request" in place of the bytes, which formatted
    // input reads none of.
    if (extras == print_extras::none || frame[17] != 'r') return false;
    match = {end_of_line(frame + 17, end),
             assign_frame(time_stamp_value, identifier_at(frame + 6), length, 0, 0, record)};
    return true;
  }
  const char* const after = frame + 16 + 3 * length;
  if (length < 8 && *after != '\n' && (after[0] != '\r' || after[1] != '\n') &&
      (extras == print_extras::none || !is_ascii_column(after, end))) {
    return false;
  }
  const auto count = static_cast<std::size_t>(length);
  match = {end_of_line(after, end),
           assign_frame(time_stamp_value, identifier_at(frame + 6), length, bytes, count, record)};
  return true;
}

// The rest of candump's print line of a frame with a 29-bit identifier, at
// fixed places:
//
//   can0  12345678   [8]  00 11 22 33 44 55 66 77
[[gnu::always_inline]] inline bool is_extended_print_tail(const char* at, const char* end) {
  // A fourth digit first, which candump's other lines lack here.
  return end - at >= 22 && is_hex(at[9]) && is_print_interface(at) &&
         leading_hex_digits(at + 6) == 8;
}

// Where a fixed-place match puts candump's time stamp in seconds: nowhere
// when its value is not wanted.
double* wanted_value(time_stamps wanted, double& value) {
  return wanted == time_stamps::computed ? &value : nullptr;
}

// A print line's time stamp, at a width of its own: candump's absolute
// seconds (-ta), relative seconds (-td, -tz), a date (-tA), or none.
enum class print_stamp { absolute, relative, date, none };

// The line as candump prints a classic frame with a time stamp of `kind`,
// at fixed places; -ta's, the first, is by far the most common:
//
//    (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77
//    (000.123456)  can0  102   [8]  00 11 22 33 44 55 66 77
//    (2015-07-10 08:57:33.850870)  can0  102   [8]  00 11 22 33 44 55 66 77
//   can0  102   [8]  00 11 22 33 44 55 66 77
//
// A date or no time stamp gives none in seconds.
template <print_stamp kind>
[[gnu::always_inline]] inline bool match_print_line(const char* at, const char* end,
                                                    time_stamps wanted, frame_record& record,
                                                    line_match& match) {
  // The time stamp's characters with its parentheses.
  constexpr std::ptrdiff_t stamp_width = kind == print_stamp::absolute   ? 19
                                         : kind == print_stamp::relative ? 12
                                         : kind == print_stamp::date     ? 28
                                                                         : 0;
  // " ", the time stamp and "  "; "  " alone without one.
  constexpr std::ptrdiff_t tail = kind == print_stamp::none ? 2 : 1 + stamp_width + 2;
  double time_stamp_value = no_time_stamp;
  double* const value = wanted_value(wanted, time_stamp_value);
  int length;
  if (end - at <= tail || at[0] != ' ' || at[tail - 2] != ' ' || at[tail - 1] != ' ' ||
      (kind != print_stamp::none && at[1] != '(') ||
      (length = print_tail_length(at + tail, end)) == 0) {
    return false;
  }
  if constexpr (kind == print_stamp::absolute) {
    if (!candump_time_stamp(at + 2, end, value)) return false;
  } else if constexpr (kind == print_stamp::relative) {
    if (!relative_time_stamp(at + 2, end, value)) return false;
  } else if constexpr (kind == print_stamp::date) {
    if (!candump_date(at + 2, end)) return false;
  }
  return read_print_tail(at + tail, end, length, time_stamp_value, record, match);
}

// The line as `candump -l` writes a classic frame, the log-file layout:
//
//   (1436509053.850870) can0 102#0011223344556677
[[gnu::always_inline]] inline bool match_l_line(const char* at, const char* end, time_stamps wanted,
                                                frame_record& record, line_match& match) {
  constexpr std::uint64_t first_seven = 0x00FF'FFFF'FFFF'FFFF;
  // ") can0 102#" from the ")" on.
  const auto frame_follows = [](const char* close) {
    return (load_eight(close) & first_seven) == (word_of(") can0  ") & first_seven) &&
           (hex_value(close[7]) | hex_value(close[8]) | hex_value(close[9])) <= 0xF &&
           close[10] == '#';
  };
  if (end - at <= 29 || at[0] != '(') return false;
  double time_stamp_value = no_time_stamp;
  // candump's ten digits and six at fixed places, or else seconds of any
  // width, as other tools and replayed buses give them.
  const char* close = at + 18;
  if (*close == ')') {
    if (!frame_follows(close) ||
        !candump_time_stamp(at + 1, end, wanted_value(wanted, time_stamp_value))) {
      return false;
    }
  } else {
    close = swar_fields::time_stamp(at + 1, end, wanted == time_stamps::computed, time_stamp_value);
    if (close == nullptr || end - close <= 11 || !frame_follows(close)) return false;
  }
  match = log_file_frame(close + 11, end, time_stamp_value, identifier_at(close + 7), record);
  return true;
}

// The time stamp of a line at `at`, its "(": candump's, or where it is not,
// the pattern's in seconds, which formatted input reads. Returns the
// position after the ")", or nullptr.
const char* any_time_stamp(const char* line, const char* at, const char* end, time_stamps wanted,
                           stamp& kind, double& value) {
  const char* const after = time_stamp(at + 1, end, wanted, kind, value);
  if (after != nullptr) return after;
  kind = stamp::formatted;
  const auto in_line = static_cast<std::size_t>(end_of_line(at, end) - line);
  return match_pattern_time_stamp({line, in_line}, value);
}

// The print layout from just after a 3-digit identifier: "[len]" and the
// bytes, as candump prints them. Returns false, having assigned nothing,
// for any other text.
bool print_frame(const char* at, const char* end, double time_stamp_value, std::uint32_t identifier,
                 frame_record& record, line_match& match) {
  at = skip_blanks(at, end);
  if (end - at < 3 || at[0] != '[' || !is_digit(at[1])) return false;
  std::int32_t length = at[1] - '0';
  at += 2;
  if (is_digit(*at)) length = length * 10 + (*at++ - '0');
  if (at == end || *at != ']') return false;
  std::uint64_t bytes = 0;
  const int count = print_bytes(++at, end, length, bytes);
  if (count < 0) return false;
  match = {end_of_line(at, end), assign_frame(time_stamp_value, identifier, length, bytes,
                                              static_cast<std::size_t>(count), record)};
  return true;
}

// The rest of the grammar, after the fixed-place readers, one field at a
// time: a line whose start it reads as the pattern would (or as the other
// layouts define it) it takes whole, reading the fields it shares with the
// pattern through the exact matcher where they are not as candump prints
// them; it declines any other line.
[[gnu::always_inline]] inline bool match_any_line(const char* const line, const char* const end,
                                                  time_stamps wanted, frame_record& record,
                                                  line_match& match) {
  const char* at = skip_blanks(line, end);
  stamp kind = stamp::none;
  double stamp_value = no_time_stamp;
  if (at != end && *at == '(' &&
      (at = any_time_stamp(line, at, end, wanted, kind, stamp_value)) == nullptr) {
    return false;
  }
  const bool spaced = at != end && is_blank(*at);
  at = skip_blanks(at, end);

  if (end - at < 4 || std::memcmp(at, "can0", 4) != 0) {
    // Another interface, or no frame at all: matching stops at "can0",
    // after the time stamp if there is one.
    if (kind == stamp::formatted) return false;
    if (kind != stamp::none) record.time_stamp = stamp_value;
    match = {end_of_line(at, end), kind != stamp::none ? 1 : 0, at};
    return true;
  }
  // A time stamp in seconds is the pattern's; the other layouts' frames
  // without one have NaN.
  const double frame_time_stamp = kind <= stamp::formatted ? stamp_value : no_time_stamp;
  const int tail_length = print_tail_length(at, end);
  if (tail_length != 0 &&
      read_print_tail<print_extras::read>(at, end, tail_length, frame_time_stamp, record, match)) {
    return true;
  }
  if (tail_length == 0 && is_extended_print_tail(at, end)) {
    // Matching stops at the 29-bit identifier's fourth digit.
    match = stopped_after_identifier(end_of_line(at + 14, end), frame_time_stamp,
                                     identifier_at(at + 6), record, at + 6);
    return true;
  }
  if (tail_length == 0 && end - at > 14 && is_extra_info(at + 6)) {
    const int length = print_tail_length<extra_info_width>(at, end);
    if (length != 0 && read_print_tail<print_extras::read, extra_info_width>(
                           at, end, length, frame_time_stamp, record, match)) {
      return true;
    }
  }
  const bool named_apart = end - at > 4 && is_blank(at[4]);  // not can01, can0x...
  at = skip_blanks(at + (named_apart ? 5 : 4), end);
  const char* const after_block =
      at != end && (*at == 'R' || *at == 'T') ? extra_info(at, end) : nullptr;
  if (after_block != nullptr) at = after_block;
  const char* const identifier_start = at;

  int digits = 0;
  while (named_apart && digits < 9 && at + digits != end && is_hex(at[digits])) ++digits;
  if (digits == 8) {
    // A 29-bit identifier: matching stops at its fourth digit.
    match = stopped_after_identifier(end_of_line(at + 8, end), frame_time_stamp, identifier_at(at),
                                     record, at);
    return true;
  }
  if (digits == 3) {
    const std::uint32_t identifier = identifier_at(at);
    if (at + 3 != end && at[3] == '#') {
      // The log-file layout, which candump writes after its time stamp in
      // seconds. A frame it does not hold (remote, malformed), or a "#"
      // elsewhere, keeps the time stamp and the identifier.
      if (kind == stamp::seconds && spaced && after_block == nullptr) {
        match = log_file_frame(at + 4, end, stamp_value, identifier, record);
      } else {
        match = stopped_after_identifier(end_of_line(at + 3, end), frame_time_stamp, identifier,
                                         record);
      }
      return true;
    }
    if (print_frame(at + 3, end, frame_time_stamp, identifier, record, match)) return true;
  }
  // Any other tail is formatted input's to read, with the pattern's own
  // directives, which the line has matched up to here; where they assign
  // nothing, matching stops after the time stamp.
  const char* const line_end = end_of_line(identifier_start, end);
  const int tail = match_pattern_tail(
      {identifier_start, static_cast<std::size_t>(line_end - identifier_start)}, record);
  if (tail > 0) {
    record.time_stamp = frame_time_stamp;
  } else if (kind != stamp::none) {
    record.time_stamp = stamp_value;
  }
  match = {line_end, tail > 0 ? identifier_index + tail : kind != stamp::none ? 1 : 0};
  return true;
}

}  // namespace

bool match_candump_line(std::string_view text, frame_record& record, line_match& match,
                        time_stamps wanted) {
  const char* const at = text.data();
  const char* const end = at + text.size();
  if (match_print_line<print_stamp::absolute>(at, end, wanted, record, match) ||
      match_l_line(at, end, wanted, record, match) ||
      match_print_line<print_stamp::relative>(at, end, wanted, record, match) ||
      match_print_line<print_stamp::date>(at, end, wanted, record, match) ||
      match_print_line<print_stamp::none>(at, end, wanted, record, match)) [[likely]] {
    return true;
  }
  return match_any_line(at, end, wanted, record, match);
}

}  // namespace pluckrow
