// The exact conversion the shape benchmark checks pluckrow's CSVs against:
// the reference conversion (std::sscanf and the tests' own reader of
// candump's other layouts) of each named log into LOG.exact.csv.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "reference.h"

int main(int argc, char** argv) {
  pluckrow::frame_record record{};
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::ofstream(std::string(argv[i]) + ".exact.csv", std::ios::binary)
        << pluckrow::reference::rows(log, record);
  }
  return 0;
}
