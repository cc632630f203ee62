#include "conversion/fast_paths.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "conversion/hex_digits.h"
#include "conversion/other_layouts.h"

namespace pluckrow {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool starts_with(const char* at, std::string_view text) {
  return std::memcmp(at, text.data(), text.size()) == 0;
}

// How many of the eight characters in `word`, from the first, are decimal
// digits: a character is one when its value xor '0' is below 10.
int leading_digits(std::uint64_t word) {
  const std::uint64_t offsets = word ^ (ones * '0');
  const std::uint64_t not_digit =
      (((offsets & (ones * 0x7F)) + ones * (0x80 - 10)) | offsets) & (ones * 0x80);
  return std::countr_zero(not_digit) / 8;
}

// The value of eight decimal digits, the first the most significant, in
// three multiplications (fast_float's parse_eight_digits_unrolled).
std::uint32_t eight_digits_value(std::uint64_t word) {
  constexpr std::uint64_t mask = 0x000000FF000000FF;
  constexpr std::uint64_t mul1 = 100 + (std::uint64_t{1000000} << 32);
  constexpr std::uint64_t mul2 = 1 + (std::uint64_t{10000} << 32);
  word -= 0x3030303030303030;
  word = word * 10 + (word >> 8);
  return static_cast<std::uint32_t>(((word & mask) * mul1 + ((word >> 16) & mask) * mul2) >> 32);
}

// Decodes "HH HH HH HH HH HH HH HH" (23 characters, hex digits of either
// case, single spaces) into `bytes`; returns false on any other text. Reads
// three overlapping words, at offsets 0, 8 and 15 of the text.
[[gnu::always_inline]] inline bool hex_bytes(const char* at, std::uint32_t (&bytes)[8]) {
  const std::uint64_t words[3] = {load_eight(at), load_eight(at + 8), load_eight(at + 15)};
  // Per word: where its hex digits (high bit of each byte) and its spaces
  // (whole bytes) must be.
  constexpr std::uint64_t hex_positions[3] = {0x8080008080008080, 0x8000808000808000,
                                              0x8080008080008080};
  constexpr std::uint64_t space_positions[3] = {0x0000FF0000FF0000, 0x00FF0000FF0000FF,
                                                0x0000FF0000FF0000};
  std::uint64_t wrong = 0;
  std::uint64_t nibbles[3];
  for (int i = 0; i < 3; ++i) {
    const std::uint64_t word = words[i];
    wrong |= (hex_digit_bytes(word) & hex_positions[i]) ^ hex_positions[i];
    wrong |= (word ^ ones * ' ') & space_positions[i];
    nibbles[i] = hex_nibbles(word);
  }
  if (wrong != 0) return false;
  // Each data byte is one byte of one word's digit pairs.
  std::uint64_t pairs[3];
  for (int i = 0; i < 3; ++i) pairs[i] = hex_pairs(nibbles[i]);
  constexpr struct {
    int word;
    int offset;
  } places[8] = {{0, 0}, {0, 3}, {0, 6}, {1, 1}, {1, 4}, {2, 0}, {2, 3}, {2, 6}};
  for (int i = 0; i < 8; ++i) {
    bytes[i] = static_cast<std::uint32_t>(pairs[places[i].word] >> (8 * places[i].offset) & 0xFF);
  }
  return true;
}

// The value of the first `count` (0 to 8) characters of `word`, all digits:
// padded on the left with '0' they read as eight.
std::uint64_t leading_digits_value(std::uint64_t word, int count) {
  if (count == 0) return 0;
  if (count < 8) word = word << (8 * (8 - count)) | 0x3030303030303030 >> (8 * count);
  return eight_digits_value(word);
}

constexpr std::uint64_t powers_of_ten[] = {1,
                                           10,
                                           100,
                                           1000,
                                           10000,
                                           100000,
                                           1000000,
                                           10000000,
                                           100000000,
                                           1000000000,
                                           10000000000,
                                           100000000000,
                                           1000000000000,
                                           10000000000000,
                                           100000000000000,
                                           1000000000000000};

struct digit_run {
  int count;  // 16 stands for 16 or more
  std::uint64_t value;
};

// Reads the run of decimal digits at `at`, which has at least 16 readable
// characters, a word of eight at a time.
digit_run read_digits(const char* at) {
  const std::uint64_t first = load_eight(at);
  const int first_count = leading_digits(first);
  if (first_count < 8) return {first_count, leading_digits_value(first, first_count)};
  const std::uint64_t second = load_eight(at + 8);
  const int second_count = leading_digits(second);
  return {8 + second_count, eight_digits_value(first) * powers_of_ten[second_count] +
                                leading_digits_value(second, second_count)};
}

// Digits are read sixteen characters at a time: a time stamp with fewer
// characters after either part's start is left to the exact matcher (a
// canonical line holds the digits, ")" and 43 more).
constexpr std::ptrdiff_t digits_lookahead = 16;

// candump prints absolute time stamps as "%010ld.%06ld)": when the text at
// `start` has that shape, sets `value` to it and returns true. The sixteen
// digits are read as two words of eight, the second gathered around the
// point, and converted as below.
[[gnu::always_inline]] inline bool candump_time_stamp(const char* start, const char* end,
                                                      double& value) {
  if (end - start < 19 || start[10] != '.' || start[17] != ')') return false;
  const std::uint64_t high = load_eight(start);
  const std::uint64_t low = (load_eight(start + 8) & 0xFFFF) | load_eight(start + 11) << 16;
  if (leading_digits(high) != 8 || leading_digits(low) != 8) return false;
  const std::uint64_t mantissa =
      std::uint64_t{eight_digits_value(high)} * 100000000 + eight_digits_value(low);
  if (mantissa > std::uint64_t{1} << 53) return false;
  value = static_cast<double>(mantissa) / 1e6;
  return true;
}

// Reads "digits.digits" followed by ")" and returns the position of the
// ")", or nullptr. With at most 2^53 in its digits the number is an exact
// double, and dividing it by an exact power of ten rounds once, so the
// quotient is the correctly rounded value strtod gives (Clinger's fast
// path); other time stamps take from_chars, exact as well.
[[gnu::always_inline]] inline const char* time_stamp(const char* start, const char* end,
                                                     double& value) {
  if (candump_time_stamp(start, end, value)) return start + 17;
  if (end - start < digits_lookahead) return nullptr;
  const digit_run whole = read_digits(start);
  const char* const point = start + whole.count;
  if (whole.count == 0 || whole.count == 16 || *point != '.') return nullptr;
  if (end - (point + 1) < digits_lookahead) return nullptr;
  const digit_run fraction = read_digits(point + 1);
  const char* const close = point + 1 + fraction.count;
  if (fraction.count == 0 || fraction.count == 16 || *close != ')') return nullptr;

  static constexpr double exact_powers_of_ten[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  if (whole.count + fraction.count <= 19) {
    const std::uint64_t mantissa = whole.value * powers_of_ten[fraction.count] + fraction.value;
    if (mantissa <= std::uint64_t{1} << 53) {
      value = static_cast<double>(mantissa) / exact_powers_of_ten[fraction.count];
      return close;
    }
  }
  const auto [parsed_end, error] = std::from_chars(start, close, value);
  return error == std::errc() && parsed_end == close ? close : nullptr;
}

// Decodes the 16 hex digits at `at`, two a byte, a word of eight at a time.
[[gnu::always_inline]] inline bool sixteen_hex_digits(const char* at, std::uint32_t (&bytes)[8]) {
  const std::uint64_t words[2] = {load_eight(at), load_eight(at + 8)};
  if ((hex_digit_bytes(words[0]) & hex_digit_bytes(words[1])) != ones * 0x80) return false;
  for (int i = 0; i < 2; ++i) {
    const std::uint64_t pairs = hex_pairs(hex_nibbles(words[i]));
    for (int k = 0; k < 4; ++k) {
      bytes[4 * i + k] = static_cast<std::uint32_t>(pairs >> (16 * k) & 0xFF);
    }
  }
  return true;
}

void assign_data(const std::uint32_t (&bytes)[8], frame_record& record) {
  for (std::size_t i = 0; i < 8; ++i) record.*data_fields[i] = bytes[i];
}

// Matches "can0  III   [L]  HH HH HH HH HH HH HH HH" at `at`, the print
// layout from the interface on; on a match assigns the record, with
// `time_stamp_value`, and returns the end of the eighth byte.
[[gnu::always_inline]] inline const char* match_print_frame(const char* at, const char* end,
                                                            double time_stamp_value,
                                                            frame_record& record) {
  constexpr std::string_view before_identifier = "can0  ";
  constexpr std::string_view before_length = "   [";
  constexpr std::string_view before_bytes = "]  ";
  constexpr std::size_t bytes_text = 8 * 3 - 1;
  if (static_cast<std::size_t>(end - at) <
          before_identifier.size() + 3 + before_length.size() + 1 ||
      !starts_with(at, before_identifier)) {
    return nullptr;
  }
  at += before_identifier.size();
  const std::uint32_t id_digits[] = {hex_value(at[0]), hex_value(at[1]), hex_value(at[2])};
  if ((id_digits[0] | id_digits[1] | id_digits[2]) > 0xF) return nullptr;
  at += 3;
  if (!starts_with(at, before_length)) return nullptr;
  at += before_length.size();

  if (!is_digit(at[0])) return nullptr;
  std::int32_t length = at[0] - '0';
  ++at;
  if (at != end && is_digit(*at)) length = length * 10 + (*at++ - '0');
  if (static_cast<std::size_t>(end - at) < before_bytes.size() + bytes_text ||
      !starts_with(at, before_bytes)) {
    return nullptr;
  }
  at += before_bytes.size();

  // Text after the eighth byte is ignored, as the pattern ignores it.
  std::uint32_t bytes[8];
  if (!hex_bytes(at, bytes)) return nullptr;

  record.time_stamp = time_stamp_value;
  record.identifier = id_digits[0] << 8 | id_digits[1] << 4 | id_digits[2];
  record.length = length;
  assign_data(bytes, record);
  return at + bytes_text;
}

const char* skip_spaces(const char* at, const char* end) {
  while (at != end && *at == ' ') ++at;
  return at;
}

[[gnu::always_inline]] inline const char* canonical_line(std::string_view text,
                                                         frame_record& record) {
  const char* at = skip_spaces(text.data(), text.data() + text.size());
  const char* const end = text.data() + text.size();
  if (at == end || *at != '(') return nullptr;
  double time_stamp_value;
  at = time_stamp(at + 1, end, time_stamp_value);
  if (at == nullptr || end - at < 3 || !starts_with(at, ")  ")) return nullptr;
  return match_print_frame(at + 3, end, time_stamp_value, record);
}

[[gnu::always_inline]] inline const char* untimed_line(std::string_view text,
                                                       frame_record& record) {
  const char* const end = text.data() + text.size();
  return match_print_frame(skip_spaces(text.data(), end), end, no_time_stamp, record);
}

// The data of a log-file line of fewer than eight bytes, up to its newline.
const char* short_log_file_frame(const char* at, const char* end, double time_stamp_value,
                                 std::uint32_t identifier, frame_record& record, int& assigned) {
  std::uint32_t bytes[7];
  std::size_t count = 0;
  for (; count < 7 && end - at > 2; ++count, at += 2) {
    const unsigned high = hex_value(at[0]);
    const unsigned low = hex_value(at[1]);
    if ((high | low) > 0xF) break;
    bytes[count] = high << 4 | low;
  }
  if (at == end || *at != '\n') return nullptr;
  assigned = assign_log_file_frame(time_stamp_value, identifier, bytes, count, record);
  return at + 1;
}

[[gnu::always_inline]] inline const char* log_file_line(std::string_view text, frame_record& record,
                                                        int& assigned) {
  const char* at = text.data();
  const char* const end = at + text.size();
  if (at == end || *at != '(') return nullptr;
  double time_stamp_value;
  at = time_stamp(at + 1, end, time_stamp_value);
  constexpr std::string_view before_identifier = ") can0 ";
  if (at == nullptr || static_cast<std::size_t>(end - at) < before_identifier.size() + 5 ||
      !starts_with(at, before_identifier)) {
    return nullptr;
  }
  at += before_identifier.size();
  const std::uint32_t id_digits[] = {hex_value(at[0]), hex_value(at[1]), hex_value(at[2])};
  if ((id_digits[0] | id_digits[1] | id_digits[2]) > 0xF || at[3] != '#') return nullptr;
  const std::uint32_t identifier = id_digits[0] << 8 | id_digits[1] << 4 | id_digits[2];
  at += 4;
  std::uint32_t bytes[8];
  if (end - at > 16 && at[16] == '\n' && sixteen_hex_digits(at, bytes)) [[likely]] {
    record.time_stamp = time_stamp_value;
    record.identifier = identifier;
    record.length = 8;
    assign_data(bytes, record);
    assigned = all_fields;
    return at + 17;
  }
  return short_log_file_frame(at, end, time_stamp_value, identifier, record, assigned);
}

}  // namespace

const char* match_log_file_line(std::string_view text, frame_record& record, int& assigned) {
  return log_file_line(text, record, assigned);
}

const char* match_canonical_line(std::string_view text, frame_record& record) {
  return canonical_line(text, record);
}

const char* match_untimed_line(std::string_view text, frame_record& record) {
  return untimed_line(text, record);
}

// The loop's question, asked of the fast paths only; defined here so that
// the print layout's matchers inline into it.
const char* match_whole_line(std::string_view text, frame_record& record, int& assigned) {
  if (!text.empty() && text.front() == '(') {
    if (const char* const line_end = log_file_line(text, record, assigned)) return line_end;
  }
  const char* frame_end = canonical_line(text, record);
  if (frame_end == nullptr) frame_end = untimed_line(text, record);
  // A print line that goes on after its eighth byte is left to `parse_log_line`.
  if (frame_end == nullptr || frame_end == text.data() + text.size() || *frame_end != '\n') {
    return nullptr;
  }
  assigned = all_fields;
  return frame_end + 1;
}

}  // namespace pluckrow
