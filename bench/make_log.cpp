// Writes a generated log for timing whole programs: make_log LINES FILE.
#include <cstdio>
#include <cstdlib>

#include "log_generator.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: pluckrow_make_log LINES FILE\n", stderr);
    return 1;
  }
  const std::string log = pluckrow::bench::generate_log(std::strtoull(argv[1], nullptr, 10));
  std::FILE* file = std::fopen(argv[2], "wb");
  const bool written =
      file != nullptr && std::fwrite(log.data(), 1, log.size(), file) == log.size();
  return file != nullptr && std::fclose(file) == 0 && written ? 0 : 1;
}
