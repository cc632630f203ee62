// The straightforward converter the fast build is measured against: fgets
// and std::sscanf per line, fprintf per row, with the same rules (a line
// acts only on what it assigned). Its rows match pluckrow's on logs of
// lines shorter than 1013 bytes.
#include <cstdint>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    std::FILE* input = std::fopen(argv[i], "rt");
    if (input == nullptr) continue;
    std::FILE* output = std::fopen((std::string(argv[i]) + ".csv").c_str(), "wt");
    if (output == nullptr) {
      std::fclose(input);
      continue;
    }
    double time_stamp = 0;
    unsigned identifier = 0;
    int length = 0;
    unsigned data[8] = {};
    int held_value = -8;
    char line[1024];
    while (std::fgets(line, 1014, input) != nullptr) {
      const int assigned =
          std::sscanf(line, " (%lf)  can0  %03X   [%d]  %02X %02X %02X %02X %02X %02X %02X %02X\n",
                      &time_stamp, &identifier, &length, &data[0], &data[1], &data[2], &data[3],
                      &data[4], &data[5], &data[6], &data[7]);
      if (identifier == 0x101 && assigned >= 4) held_value = static_cast<std::int8_t>(data[0]);
      if (identifier == 0x102 && assigned >= 6) {
        const auto sample = static_cast<std::int16_t>((data[1] & 0xFF) << 8 | (data[2] & 0xFF));
        std::fprintf(output, "%d,%f\n", held_value, sample * 0.0076335878111422061920166015625);
      }
    }
    std::fclose(input);
    std::fclose(output);
  }
  return 0;
}
