#include "log_generator.h"

#include <cstdio>
#include <random>

namespace pluckrow::bench {

std::string generate_log(std::size_t lines, std::uint32_t seed) {
  static constexpr const char* identifiers[] = {"101", "102", "1A0", "7DF", "2F3", "102"};
  std::mt19937 random(seed);
  std::string log;
  log.reserve(lines * 64);
  std::uint64_t microseconds = 1436509053'850870;
  for (std::size_t i = 0; i < lines; ++i) {
    microseconds += 100 + random() % 900;
    char line[96];
    int length = std::snprintf(line, sizeof line, " (%010llu.%06llu)  can0  %s   [8] ",
                               static_cast<unsigned long long>(microseconds / 1'000'000),
                               static_cast<unsigned long long>(microseconds % 1'000'000),
                               identifiers[random() % 6]);
    for (int byte = 0; byte < 8; ++byte) {
      length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length),
                              " %02X", static_cast<unsigned>(random() & 0xFF));
    }
    log.append(line, static_cast<std::size_t>(length)).push_back('\n');
  }
  return log;
}

}  // namespace pluckrow::bench
