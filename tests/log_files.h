// Small file helpers shared by the tests that go through real files.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace pluckrow::test {

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace pluckrow::test
