#include "log_generator.h"

#include <cstdio>
#include <random>

namespace pluckrow::bench {

std::string generate_log(std::size_t lines, std::uint32_t seed, log_layout layout) {
  static constexpr const char* identifiers[] = {"101", "102", "1A0", "7DF", "2F3", "102"};
  static constexpr const char* line_starts[] = {" (%010llu.%06llu)  can0  %s   [8] ",
                                                "(%010llu.%06llu) can0 %s#", "  can0  %s   [8] "};
  static constexpr const char* byte_formats[] = {" %02X", "%02X", " %02X"};
  const auto at = static_cast<std::size_t>(layout);
  std::mt19937 random(seed);
  std::string log;
  log.reserve(lines * 64);
  std::uint64_t microseconds = 1436509053'850870;
  for (std::size_t i = 0; i < lines; ++i) {
    microseconds += 100 + random() % 900;
    const auto seconds = static_cast<unsigned long long>(microseconds / 1'000'000);
    const auto fraction = static_cast<unsigned long long>(microseconds % 1'000'000);
    const char* const identifier = identifiers[random() % 6];
    char line[96];
    int length =
        layout == log_layout::untimed
            ? std::snprintf(line, sizeof line, line_starts[at], identifier)
            : std::snprintf(line, sizeof line, line_starts[at], seconds, fraction, identifier);
    for (int byte = 0; byte < 8; ++byte) {
      length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length),
                              byte_formats[at], static_cast<unsigned>(random() & 0xFF));
    }
    log.append(line, static_cast<std::size_t>(length)).push_back('\n');
  }
  return log;
}

}  // namespace pluckrow::bench
