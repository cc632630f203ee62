// candump's own lines at fixed places, read before the grammar tries a
// line field by field: the print line of every time stamp (a remote frame
// and -a's column included; a 29-bit identifier and -x's block for the
// grammar's own use), and the log-file line. Each declines rather than
// reading a line partly; included by line_grammar.cpp alone.
#pragma once

#include "conversion/matching/frame_fields.h"

namespace pluckrow {
// Internal to line_grammar.cpp, which alone includes this, so that the
// compiler inlines these per-line readers as it would there.
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
// it (a remote request has no bytes), with the time stamp the line's prefix
// gave, or returns false on bytes that are not as candump prints them.
// What follows the eighth byte is ignored, as by the rest of the grammar;
// after fewer, the line must end, or -a's column follow, where formatted
// input would look for another byte and find none.
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

// candump's "remote request" in place of a print line's bytes, which
// formatted input reads none of. Rare: kept out of the per-line loop's
// code, which it would make too large to inline where the lines are read.
[[gnu::cold, gnu::noinline]] line_match remote_request(const char* frame, const char* end,
                                                       int length, double time_stamp_value,
                                                       frame_record& record) {
  return {end_of_line(frame + 17, end),
          assign_frame(time_stamp_value, identifier_at(frame + 6), length, 0, 0, record)};
}

template <std::ptrdiff_t block = 0>
[[gnu::always_inline]] inline bool read_print_tail(const char* at, const char* end, int length,
                                                   double time_stamp_value, frame_record& record,
                                                   line_match& match) {
  const char* const frame = at + block;
  std::uint64_t bytes;
  if (!printed_bytes(frame + 15, length, bytes)) {
    if (frame[17] != 'r') return false;
    match = remote_request(frame, end, length, time_stamp_value, record);
    return true;
  }
  const char* const after = frame + 16 + 3 * length;
  if (length < 8 && *after != '\n' && (after[0] != '\r' || after[1] != '\n') &&
      !is_ascii_column(after, end)) {
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

}  // namespace
}  // namespace pluckrow
