#include "reference.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "conversion/other_layouts.h"

namespace pluckrow::reference {

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
    const int other = read_other_layout(text.c_str(), r);
    if (other > 0) return other;
  }
  return assigned < 0 ? 0 : assigned;
}

std::string rows(std::string_view log, frame_record& record) {
  std::string out;
  int held = -8;
  while (!log.empty()) {
    const std::size_t newline = log.find('\n');
    const std::size_t length = newline == log.npos ? log.size() : newline + 1;
    const int assigned = match(log.substr(0, std::min<std::size_t>(length, 1013)), record);
    log.remove_prefix(length);
    if (record.identifier == 0x101 && assigned >= 4) held = static_cast<std::int8_t>(record.data0);
    if (record.identifier == 0x102 && assigned >= 6) {
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
