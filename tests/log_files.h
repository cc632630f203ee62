// Small file helpers shared by the tests that go through real files.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "conversion/convert.h"
#include "conversion/text/log_text.h"
#include "stream_sink.h"

namespace pluckrow::test {

inline void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// `text` as a text-mode stream writes it: CR LF line ends on Windows.
inline std::string written_in_text_mode(std::string text) {
#ifdef _WIN32
  for (std::size_t at = text.find('\n'); at != text.npos; at = text.find('\n', at + 2)) {
    text.insert(at, 1, '\r');
  }
#endif
  return text;
}

// `bytes` as a text-mode stream reads them: on Windows CR LF becomes LF and
// a Ctrl-Z ends the input.
inline std::string read_in_text_mode(std::string bytes) {
#ifdef _WIN32
  bytes = bytes.substr(0, bytes.find('\x1A'));
  for (std::size_t at = bytes.find("\r\n"); at != bytes.npos; at = bytes.find("\r\n", at)) {
    bytes.erase(at, 1);
  }
#endif
  return bytes;
}

struct conversion {
  convert_status status;
  std::string rows;
};

// Converts `log` through files opened as the driver opens them; returns the
// rows as a text-mode stream reads them back. `observer` is told of each
// block read.
inline conversion convert_text(const std::string& log, frame_record& record,
                               read_observer* observer = nullptr) {
  write_file("in.log", log);
  std::FILE* input = std::fopen("in.log", "rt");
  std::FILE* output = std::fopen("in.log.csv", "wt");
  const convert_status status =
      convert_log(*open_log_text(input, observer).text, output, record).status;
  std::fclose(input);
  std::fclose(output);
  return {status, read_in_text_mode(read_file("in.log.csv"))};
}

}  // namespace pluckrow::test
