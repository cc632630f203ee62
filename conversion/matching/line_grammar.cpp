#include "conversion/matching/line_grammar.h"

#include <cstring>

#include "conversion/matching/characters.h"
#include "conversion/matching/exact_matcher.h"
#include "conversion/matching/fixed_place_readers.h"
#include "conversion/matching/frame_assignment.h"
#include "conversion/matching/frame_fields.h"
#include "conversion/matching/time_stamp_fields.h"

namespace pluckrow {

std::string_view interface_named(const char* at, const char* end) {
  const char* const name = at;
  if (at == end || !starts_interface_name(*at)) return {};
  while (at != end && at - name < 16 && in_interface_name(*at)) ++at;
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
    match = {end_of_line<64>(at, end), kind != stamp::none ? 1 : 0, at};
    return true;
  }
  // A time stamp in seconds is the pattern's; the other layouts' frames
  // without one have NaN.
  const double frame_time_stamp = kind <= stamp::formatted ? stamp_value : no_time_stamp;
  const int tail_length = print_tail_length(at, end);
  if (tail_length != 0 && read_print_tail(at, end, tail_length, frame_time_stamp, record, match)) {
    return true;
  }
  if (tail_length == 0 && is_extended_print_tail(at, end)) {
    // Matching stops at the 29-bit identifier's fourth digit.
    match = stopped_after_identifier(end_of_line<64>(at + 14, end), frame_time_stamp,
                                     identifier_at(at + 6), record, at + 6);
    return true;
  }
  if (tail_length == 0 && end - at > 14 && is_extra_info(at + 6)) {
    const int length = print_tail_length<extra_info_width>(at, end);
    if (length != 0 &&
        read_print_tail<extra_info_width>(at, end, length, frame_time_stamp, record, match)) {
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
    match = stopped_after_identifier(end_of_line<64>(at + 8, end), frame_time_stamp,
                                     identifier_at(at), record, at);
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
