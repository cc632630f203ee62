#include "conversion/matching/other_layouts.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "conversion/matching/characters.h"
#include "conversion/matching/frame_assignment.h"

namespace pluckrow {
namespace {

const char* skip_spaces(const char* at) {
  while (is_space(*at)) ++at;
  return at;
}

const char* skip_digits(const char* at, std::size_t count) {
  for (; count > 0; --count, ++at) {
    if (!is_digit(*at)) return nullptr;
  }
  return at;
}

// The log-file layout, on a NUL-terminated line.
int read_log_file_frame(const char* at, frame_record& record) {
  at = skip_spaces(at);
  if (*at != '(') return 0;
  const char* const number = ++at;
  while (is_digit(*at)) ++at;
  if (at == number || *at != '.' || !is_digit(at[1])) return 0;
  for (++at; is_digit(*at);) ++at;
  double time_stamp;
  if (*at != ')' || std::from_chars(number, at, time_stamp).ptr != at) return 0;
  ++at;
  if (!is_space(*at)) return 0;
  at = skip_spaces(at);
  if (std::strncmp(at, "can0", 4) != 0 || !is_space(at[4])) return 0;
  at = skip_spaces(at + 4);
  // 29-bit identifiers (eight digits) are never 0x101 or 0x102.
  if (!is_hex(at[0]) || !is_hex(at[1]) || !is_hex(at[2]) || at[3] != '#') return 0;
  const std::uint32_t identifier = std::uint32_t{hex_value(at[0])} << 8 |
                                   std::uint32_t{hex_value(at[1])} << 4 | hex_value(at[2]);
  at += 4;
  const bool flexible_data = *at == '#';  // CAN FD: "##" and a flags digit
  if (flexible_data) {
    if (!is_hex(at[1])) return 0;
    at += 2;
  }
  const std::size_t max_bytes = flexible_data ? 64 : 8;
  std::uint64_t bytes = 0;
  std::size_t count = 0;
  for (;;) {
    if (*at == '.') {
      ++at;
      if (!is_hex(*at)) return 0;
    }
    if (!is_hex(*at)) break;
    if (!is_hex(at[1]) || count == max_bytes) return 0;
    if (count < 8) {
      const std::uint64_t pair = std::uint64_t{hex_value(at[0])} << 4 | hex_value(at[1]);
      bytes |= pair << 8 * count;
    }
    ++count;
    at += 2;
  }
  if (*at == '_' && !flexible_data && count == 8 && is_hex(at[1])) at += 2;
  if (*at != '\0' && !is_space(*at)) return 0;  // remote frames ("#R") end here too
  return assign_frame(time_stamp, identifier, static_cast<std::int32_t>(count), bytes, count,
                      record);
}

// candump's date time stamp, "2015-07-10 08:57:33.850870" with 6 or 9
// digits after the point, then ")": returns the position after the ")".
const char* skip_date(const char* at) {
  constexpr struct {
    std::size_t digits;
    char separator;
  } fields[] = {{4, '-'}, {2, '-'}, {2, ' '}, {2, ':'}, {2, ':'}, {2, '.'}};
  for (const auto& field : fields) {
    at = skip_digits(at, field.digits);
    if (at == nullptr || *at != field.separator) return nullptr;
    ++at;
  }
  at = skip_digits(at, 6);
  if (at != nullptr && is_digit(*at)) at = skip_digits(at, 3);
  return at != nullptr && *at == ')' ? at + 1 : nullptr;
}

// `-x`'s "RX - -" ("TX", "B", "E"), white space around: returns the
// position after it.
const char* skip_extra_info(const char* at) {
  if ((at[0] != 'R' && at[0] != 'T') || at[1] != 'X' || !is_space(at[2])) return nullptr;
  at = skip_spaces(at + 2);
  if ((at[0] != '-' && at[0] != 'B') || !is_space(at[1])) return nullptr;
  at = skip_spaces(at + 1);
  if ((at[0] != '-' && at[0] != 'E') || !is_space(at[1])) return nullptr;
  return skip_spaces(at + 1);
}

// The print layout with no time stamp or a date, or with `-x`, on a
// NUL-terminated line.
int read_print_variant(const char* text, frame_record& record) {
  const char* at = skip_spaces(text);
  bool in_seconds = false;  // read by the standard matcher already
  if (*at == '(') {
    const char* const after_date = skip_date(at + 1);
    int after_seconds = -1;
    double ignored;
    if (after_date == nullptr) std::sscanf(text, " (%lf)%n", &ignored, &after_seconds);
    if (after_date == nullptr && after_seconds < 0) return 0;
    at = after_date != nullptr ? after_date : text + after_seconds;
    in_seconds = after_date == nullptr;
  }
  int after_interface = -1;
  std::sscanf(at, " can0 %n", &after_interface);
  if (after_interface < 0) return 0;
  at += after_interface;
  const char* const after_extra_info = skip_extra_info(at);
  if (after_extra_info == nullptr && in_seconds) return 0;  // the standard layout itself
  if (after_extra_info != nullptr) at = after_extra_info;
  const int assigned =
      std::sscanf(at, "%03X   [%d]  %02X %02X %02X %02X %02X %02X %02X %02X\n", &record.identifier,
                  &record.length, &record.data0, &record.data1, &record.data2, &record.data3,
                  &record.data4, &record.data5, &record.data6, &record.data7);
  if (assigned <= 0) return 0;
  if (!in_seconds) record.time_stamp = no_time_stamp;
  return identifier_index + assigned;
}

}  // namespace

int read_other_layout(const char* text, frame_record& record) {
  const int assigned = read_log_file_frame(text, record);
  return assigned > 0 ? assigned : read_print_variant(text, record);
}

}  // namespace pluckrow
