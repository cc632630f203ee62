// Damaged and foreign logs end to end: the built program must give, for
// every one, the rows of the reference conversion, with no message.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "log_files.h"
#include "program_runner.h"
#include "reference.h"

namespace pluckrow {
namespace {

using adversarial_test = test::program_test;
using test::read_file;

const std::string frame = " (1436509053.850870)  can0  102   [8]  00 12 34 56 78 9A BC DE";
const std::string held = " (1436509053.850870)  can0  101   [8]  85 12 34 56 78 9A BC DE";

// Converts every log in one run and compares each CSV with the reference;
// nothing is skipped, though a log may get a note on why it gave no row.
void expect_reference_rows(const std::map<std::string, std::string>& logs) {
  std::vector<std::string> names;
  for (const auto& [name, log] : logs) {
    test::write_file(name, log);
    names.push_back(name);
  }
  const test::run_result result = test::run(names);
  EXPECT_EQ(result.exit_status, 0);
  EXPECT_EQ(result.output, "");
  for (std::size_t at = 0; at < result.errors.size(); at = result.errors.find('\n', at) + 1) {
    EXPECT_EQ(result.errors.compare(at, 6, "NOTE: "), 0) << result.errors.substr(at, 200);
  }
  for (const auto& [name, log] : logs) {
    frame_record record{};
    const std::string rows = reference::rows(test::read_in_text_mode(log), record);
    EXPECT_EQ(read_file(name + ".csv"), test::written_in_text_mode(rows)) << name;
  }
}

std::string lines(const std::vector<std::string>& texts, const std::string& end = "\n") {
  std::string out;
  for (const std::string& text : texts) out += text + end;
  return out;
}

TEST_F(adversarial_test, damaged_logs_give_the_reference_rows) {
  std::mt19937 random(5);
  std::string random_bytes;
  while (random_bytes.size() < 300'000) random_bytes += static_cast<char>(random() % 256);
  std::string cut_lines;
  for (std::size_t length = 0; length <= frame.size(); ++length) {
    cut_lines += held.substr(0, length) + "\n" + frame.substr(0, length) + "\n";
  }
  std::string window_edges;
  for (const std::size_t length : {1011u, 1012u, 1013u, 1014u, 1015u, 3'000'000u}) {
    window_edges += held + std::string(length - held.size(), ' ') + "\n";
    window_edges += frame + std::string(length - frame.size(), ' ') + "\n";
    window_edges += std::string(length - frame.size(), '#') + frame + "\n";
  }
  // The third byte, the last the row needs, ends at byte 1011 to 1015.
  const std::string short_frame = " (1.0)  can0  102   [3]  00 12 34";
  for (std::size_t length = 1011; length <= 1015; ++length) {
    window_edges += std::string(length - short_frame.size(), ' ') + short_frame + "\n";
  }
  std::string frames_of_every_length;
  for (int length = 0; length <= 64; ++length) {
    std::string line = " (1.0)  can0  102   [" + std::to_string(length) + "] ";
    for (int byte = 0; byte < length; ++byte) line += " 7" + std::to_string(byte % 10);
    frames_of_every_length += line + "\n";
  }
  std::string identifiers;
  for (std::size_t digits = 1; digits <= 8; ++digits) {
    const std::string id = ("10201020" + std::string(8, '1')).substr(0, digits);
    identifiers += " (1.0)  can0  " + id + "   [8]  00 11 22 33 44 55 66 77\n";
    identifiers += " (1.0)  can0  " + std::string(digits - 1, '0') + "1   [8]  44 11 22\n";
  }
  expect_reference_rows(
      {{"random_bytes.log", random_bytes},
       {"cut_lines.log", cut_lines},
       {"crlf.log", lines({held, frame, "", frame}, "\r\n")},
       {"lone_cr.log", lines({held, frame, frame}, "\r") + lines({frame}, "\r\r\n")},
       {"window_edges.log", window_edges},
       {"time_stamps.log",
        lines({" (1.4e9)  can0  102   [8]  00 01 02", " (0x1.8p3) can0 102 [8] 00 03 04",
               " (inf) can0 102 [8] 00 05 06", " (-nan) can0 102 [8] 00 07 08",
               " (nan(0x7ff)) can0 102 [8] 00 09 0A", " (1e99999) can0 102 [8] 00 0B 0C",
               " (.) can0 102 [8] 00 0D 0E", " (+.5e-3) can0 102 [8] 00 0F 10"})},
       {"signs_and_prefixes.log",
        lines({" (1.0)  can0  -FF   [-8]  -1 +1 -0 0x1 0X2 -0x 0x0",
               " (1.0) can0 0x102 [8] 00 11 22", " (1.0) can0 +101 [+1] +7",
               " (1.0) can0 102 [8] 00 -1 -1", " (1.0) can0 102 [8] 00 12 -1",
               " (1.0) can0 102 [8] 00 0xF 0x1", " (-1.0) can0 101 [0x8] 80"})},
       {"identifiers.log", identifiers},
       {"interfaces.log",
        lines({" (1.0)  can1  102   [8]  00 11 22 33", " (1.0)  can01  102   [8]  00 11 22",
               " (1.0)  vcan0  102   [8]  00 11 22", " (1.0)  can0102   [8]  00 11 22",
               " (1.0)  CAN0  102   [8]  00 11 22", " (1.0)can0 102[8]00 11 22"})},
       {"frames_of_every_length.log", frames_of_every_length},
       {"compact.log", lines({"(1436509053.850870) can0 102#00123456", "(1.0) can0 101#85",
                              "(1.0) can0 102##1001122", "(1.0) can0 102#R"})},
       {"no_final_newline.log", held + "\n" + frame},
       {"empty.log", ""},
       {"only_newlines.log", std::string(5000, '\n')}});
}

#ifndef _WIN32
TEST_F(adversarial_test, a_single_line_of_64_mib_is_one_line) {
  expect_reference_rows({{"huge.log", frame + std::string(64 << 20, 'x') + "\n" + frame}});
}
#endif

// `log` with every interface name (can1, vcan0, slcan0, ...) made can0.
std::string as_can0(std::string log) {
  for (std::size_t at = log.find("can"); at != log.npos; at = log.find("can", at + 1)) {
    std::size_t start = at;
    if (start >= 1 && log[start - 1] == 'v') --start;
    if (start >= 2 && log.compare(start - 2, 2, "sl") == 0) start -= 2;
    std::size_t end = at + 3;
    while (end < log.size() && std::isdigit(static_cast<unsigned char>(log[end]))) ++end;
    if (end > at + 3) {
      log.replace(start, end - start, "can0");
      at = start;
    }
  }
  return log;
}

TEST_F(adversarial_test, real_logs_give_the_reference_rows) {
  const std::filesystem::path corpus = PLUCKROW_CORPUS;
  if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::map<std::string, std::string> logs;
  // Most were recorded on other interfaces: as can0 they are real input too.
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string log = read_file(entry.path().string());
    logs[entry.path().filename().string()] = log;
    logs["can0-" + entry.path().filename().string()] = as_can0(log);
  }
  expect_reference_rows(logs);
}

#ifndef _WIN32
// can-utils' log2long turns the log-file layout into the print layout.
TEST_F(adversarial_test, log_file_logs_give_the_rows_of_their_log2long_conversion) {
  if (std::system("command -v log2long >/dev/null") != 0) GTEST_SKIP() << "no log2long (can-utils)";
  std::mt19937 random(11);
  const auto hex = [&](int digits) {
    std::string out;
    while (digits-- > 0) out += "0123456789ABCDEFabcdef"[random() % 22];
    return out;
  };
  const std::string identifiers[] = {"101", "102", "102", "7DF", "00000102", "1FFFFFFF"};
  std::string log;
  for (int i = 0; i < 5000; ++i) {
    log += "(1436509053.";
    log += std::to_string(100000 + i) + ") can0 " + identifiers[random() % 6];
    const auto kind = random() % 8;
    if (kind == 0) {
      log += "#R\n";
      continue;
    }
    log += kind == 1 ? "##" : "#";
    if (kind == 1) log += hex(1);
    const auto length = random() % 9;
    for (std::size_t byte = 0; byte < length; ++byte) {
      if (random() % 6 == 0) log += '.';
      log += hex(2);
    }
    if (length == 8 && kind == 2) log += '_' + hex(1);
    log += '\n';
  }
  test::write_file("frames.log", log);
  ASSERT_EQ(std::system("log2long <frames.log >long.log"), 0);
  expect_run({"frames.log", "long.log"}, "");
  EXPECT_GT(read_file("frames.log.csv").size(), 1000u);
  EXPECT_EQ(read_file("frames.log.csv"), read_file("long.log.csv"));
}
#endif

}  // namespace
}  // namespace pluckrow
