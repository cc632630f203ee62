// Written apart from the program on purpose: a fault in the program's
// matchers or frame assignment cannot move this side too. Only the record
// type is shared.
#include "reference.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace pluckrow::reference {
namespace {

constexpr char white[] = " \t\n\v\f\r";

bool hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool white_space(char c) { return c != '\0' && std::strchr(white, c) != nullptr; }

unsigned hex_of(const char* at, int digits) {
  return static_cast<unsigned>(
      std::strtoul(std::string(at, static_cast<std::size_t>(digits)).c_str(), nullptr, 16));
}

// Whether `at` starts as `shape` does, where 'd' stands for any decimal digit.
bool shaped(const char* at, const char* shape) {
  for (; *shape != '\0'; ++at, ++shape) {
    if (*shape == 'd' ? std::isdigit(static_cast<unsigned char>(*at)) == 0 : *at != *shape) {
      return false;
    }
  }
  return true;
}

// `(seconds) can0 ID#DATA`, as candump -l writes it: the identifier in 3
// hex digits, "#" (or "##" and a flags digit for CAN FD), the bytes as pairs
// of hex digits with at most one "." before each (8 at most, 64 for FD), a
// raw DLC "_X" after 8 classic bytes, then white space or the end. Returns
// the fields assigned, or 0 for anything else.
int log_file_frame(const char* text, frame_record& r) {
  const char* at = text + std::strspn(text, white);
  if (*at != '(') return 0;
  const std::size_t whole = std::strspn(at + 1, "0123456789");
  const char* const point = at + 1 + whole;
  if (whole == 0 || *point != '.') return 0;
  const std::size_t fraction = std::strspn(point + 1, "0123456789");
  if (fraction == 0 || point[1 + fraction] != ')') return 0;
  const double time_stamp = std::strtod(at + 1, nullptr);
  at = point + 2 + fraction;
  std::size_t gap = std::strspn(at, white);
  if (gap == 0 || std::strncmp(at + gap, "can0", 4) != 0) return 0;
  at += gap + 4;
  gap = std::strspn(at, white);
  if (gap == 0) return 0;
  at += gap;
  if (!hex_digit(at[0]) || !hex_digit(at[1]) || !hex_digit(at[2]) || at[3] != '#') return 0;
  const unsigned identifier = hex_of(at, 3);
  at += 4;
  const bool flexible = *at == '#';
  if (flexible && !hex_digit(at[1])) return 0;
  if (flexible) at += 2;
  std::vector<unsigned> bytes;
  for (;;) {
    if (*at == '.' && !hex_digit(*++at)) return 0;
    if (!hex_digit(*at)) break;
    if (!hex_digit(at[1]) || bytes.size() == (flexible ? 64u : 8u)) return 0;
    bytes.push_back(hex_of(at, 2));
    at += 2;
  }
  if (!flexible && bytes.size() == 8 && at[0] == '_' && hex_digit(at[1])) at += 2;
  if (*at != '\0' && !white_space(*at)) return 0;
  r.time_stamp = time_stamp;
  r.identifier = identifier;
  r.length = static_cast<std::int32_t>(bytes.size());
  std::uint32_t* const data[] = {&r.data0, &r.data1, &r.data2, &r.data3,
                                 &r.data4, &r.data5, &r.data6, &r.data7};
  const std::size_t kept = bytes.size() < 8 ? bytes.size() : 8;
  for (std::size_t i = 0; i < kept; ++i) *data[i] = bytes[i];
  return 3 + static_cast<int>(kept);
}

// The print layout without a time stamp in seconds (none, or -tA's date),
// or with -x's "RX - -" block after the interface: the tail of the pattern
// from the identifier on. The layout with seconds and no block is the
// pattern's own, read before.
int print_variant(const char* text, frame_record& r) {
  const char* at = text + std::strspn(text, white);
  bool seconds = false;
  if (*at == '(') {
    if (shaped(at, "(dddd-dd-dd dd:dd:dd.ddddddddd)")) {
      at += 31;
    } else if (shaped(at, "(dddd-dd-dd dd:dd:dd.dddddd)")) {
      at += 28;
    } else {
      double ignored;
      int after = -1;
      std::sscanf(text, " (%lf)%n", &ignored, &after);
      if (after < 0) return 0;
      at = text + after;
      seconds = true;
    }
  }
  int after_interface = -1;
  std::sscanf(at, " can0 %n", &after_interface);
  if (after_interface < 0) return 0;
  at += after_interface;
  const bool block = (at[0] == 'R' || at[0] == 'T') && at[1] == 'X' && white_space(at[2]);
  if (block) {
    at += 2 + std::strspn(at + 2, white);
    if ((at[0] != '-' && at[0] != 'B') || !white_space(at[1])) return 0;
    at += 1 + std::strspn(at + 1, white);
    if ((at[0] != '-' && at[0] != 'E') || !white_space(at[1])) return 0;
    at += 1 + std::strspn(at + 1, white);
  } else if (seconds) {
    return 0;
  }
  const int assigned = std::sscanf(at, "%03X   [%d]  %02X %02X %02X %02X %02X %02X %02X %02X\n",
                                   &r.identifier, &r.length, &r.data0, &r.data1, &r.data2, &r.data3,
                                   &r.data4, &r.data5, &r.data6, &r.data7);
  if (assigned <= 0) return 0;
  if (!seconds) r.time_stamp = std::numeric_limits<double>::quiet_NaN();
  return 1 + assigned;
}

}  // namespace

int match(std::string_view line, frame_record& r) {
  const std::string text(line);
  const int assigned = std::sscanf(
      text.c_str(), " (%lf)  can0  %03X   [%d]  %02X %02X %02X %02X %02X %02X %02X %02X\n",
      &r.time_stamp, &r.identifier, &r.length, &r.data0, &r.data1, &r.data2, &r.data3, &r.data4,
      &r.data5, &r.data6, &r.data7);
#ifdef __MINGW32__
  // MinGW's scanf misrounds some decimals; the truth is the exact value.
  if (assigned >= 1) {
    int start = 0;
    std::sscanf(text.c_str(), " (%n", &start);
    r.time_stamp = std::strtod(text.c_str() + start, nullptr);
  }
#endif
  if (assigned <= 2) {
    // candump's other layouts, read only where the pattern stops before "[".
    const int other = log_file_frame(text.c_str(), r);
    if (other > 0) return other;
    const int variant = print_variant(text.c_str(), r);
    if (variant > 0) return variant;
  }
  return assigned < 0 ? 0 : assigned;
}

namespace {

// Whether a last line without its newline, which a recorder may have cut,
// shows the bytes its first bracketed length says, each of two digits.
bool shows_whole_frame(const std::string& line) {
  const std::size_t bracket = std::strcspn(line.c_str(), "[");
  if (line.c_str()[bracket] == '\0') return true;
  const std::size_t close = line.find_first_not_of("0123456789", bracket + 1);
  if (close == bracket + 1 || close == line.npos || line[close] != ']') return true;
  const unsigned long length = std::strtoul(line.c_str() + bracket + 1, nullptr, 10);
  const char* at = line.c_str() + close + 1;
  for (unsigned long i = 0; i < length; ++i) {
    char byte[3] = "";
    int used = 0;
    if (std::sscanf(at, "%*[ \t\v\f\r]%2[0-9A-Fa-f]%n", byte, &used) != 1 || byte[1] == '\0') {
      return false;
    }
    at += used;
    if (*at != '\0' && !white_space(*at)) return false;
  }
  return true;
}

}  // namespace

std::string rows(std::string_view log, frame_record& record) {
  std::string out;
  int held = -8;
  while (!log.empty()) {
    const std::size_t newline = log.find('\n');
    const std::size_t length = newline == log.npos ? log.size() : newline + 1;
    const std::string_view line = log.substr(0, std::min<std::size_t>(length, 1013));
    const bool cut =
        newline == log.npos && log.size() < 1013 && !shows_whole_frame(std::string(line));
    const int assigned = match(line, record);
    log.remove_prefix(length);
    if (record.identifier == 0x101 && assigned >= 4) held = static_cast<std::int8_t>(record.data0);
    if (record.identifier == 0x102 && assigned >= 6 && !cut) {
      const auto sample =
          static_cast<std::int16_t>((record.data1 & 0xFF) * 256 + (record.data2 & 0xFF));
      char row[64];
      out.append(
          row, static_cast<std::size_t>(std::snprintf(row, sizeof row, "%d,%f\n", held,
                                                      sample * 0.0076335878111422061920166015625)));
    }
  }
  return out;
}

std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

}  // namespace pluckrow::reference
