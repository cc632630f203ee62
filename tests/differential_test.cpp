// The fast matcher against std::sscanf on generated canonical lines and
// their mutations: every field and the count must agree.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "conversion/convert.h"
#include "conversion/fast_paths.h"
#include "conversion/log_line.h"
#include "log_files.h"
#include "reference.h"

namespace pluckrow {
namespace {

constexpr frame_record sentinel{-7.25,      0xDEAD0001, -99,        0xDEAD0010,
                                0xDEAD0011, 0xDEAD0012, 0xDEAD0013, 0xDEAD0014,
                                0xDEAD0015, 0xDEAD0016, 0xDEAD0017};

class line_generator {
 public:
  explicit line_generator(std::uint32_t seed) : random_(seed) {}

  // A line as candump prints it, with time stamps of every width.
  std::string canonical() {
    const bool absolute = pick(2) == 0;
    std::string line(pick(3), ' ');
    line += '(';
    line += digits(absolute ? 10 : 1 + pick(16));
    line += '.';
    line += digits(absolute ? 6 : 1 + pick(16));
    line += ")  can0  ";
    line += identifier();
    line += "   [";
    line += digits(1 + pick(2));
    line += "] ";
    for (int byte = 0; byte < 8; ++byte) line += ' ' + hex(2);
    line += pick(4) == 0 ? "" : pick(2) == 0 ? " 88 99\n" : "\n";
    return line;
  }

  // The same kind of line in the log-file layout, or in the print layout
  // without a time stamp, as candump writes them.
  std::string log_file() {
    std::string line = "(";
    line += digits(10);
    line += '.';
    line += digits(6);
    line += ") can0 ";
    line += identifier();
    line += '#';
    for (std::size_t byte = pick(9); byte > 0; --byte) line += hex(2);
    return line + (pick(4) == 0 ? "" : "\n");
  }
  std::string untimed() {
    std::string line = "  can0  ";
    line += identifier();
    line += "   [8] ";
    for (int byte = 0; byte < 8; ++byte) line += ' ' + hex(2);
    return line + (pick(4) == 0 ? "" : "\n");
  }
  std::string any_layout() {
    const std::size_t layout = pick(3);
    return layout == 0 ? canonical() : layout == 1 ? log_file() : untimed();
  }

  // One to three edits drawn from the ways real logs differ from the
  // canonical line.
  std::string mutated(std::string line) {
    for (std::size_t edits = 1 + pick(3); edits > 0 && !line.empty(); --edits) {
      const std::size_t at = pick(line.size());
      switch (pick(5)) {
        case 0:
          line.insert(at, 1, interesting());
          break;
        case 1:
          line.erase(at, 1);
          break;
        case 2:
          line[at] = interesting();
          break;
        case 3:
          line.insert(at, pick(2) == 0 ? hex(1 + pick(5)) : pick(2) == 0 ? "0x" : "-");
          break;
        default:
          line.resize(at);
          break;
      }
    }
    return line;
  }

  std::size_t pick(std::size_t count) { return random_() % count; }
  std::string hex(std::size_t count) {
    std::string out;
    while (out.size() < count) out += "0123456789ABCDEFabcdef"[pick(22)];
    return out;
  }

 private:
  char interesting() {
    static constexpr char chars[] = " \t\n\r\v\f\0-+xXeEpP.()[]0123456789aAfFgGnNiI#";
    return pick(4) == 0 ? static_cast<char>(pick(256)) : chars[pick(sizeof chars - 1)];
  }
  std::string identifier() { return pick(3) == 0 ? hex(3) : pick(2) == 0 ? "101" : "102"; }
  std::string digits(std::size_t count) {
    std::string out;
    while (out.size() < count) out += static_cast<char>('0' + pick(10));
    return out;
  }

  std::mt19937 random_;
};

bool same(const frame_record& a, const frame_record& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Returns an empty string when the matchers agree, else a description. Each
// fast path must either assign all fields as the exact matcher does or
// assign nothing; `fast_path_lines` counts the lines each took.
std::string disagreement(const std::string& line, int (&fast_path_lines)[3]) {
  frame_record standard = sentinel;
  const int standard_count = reference::match(line, standard);
  std::string problem;
  int path_index = 0;
  const auto check = [&](const char* path, auto match) {
    frame_record fast = sentinel;
    int count = all_fields;
    const bool matched = match(fast, count) != nullptr;
    fast_path_lines[path_index++] += matched;
    if (matched && (count != standard_count || !same(fast, standard))) {
      problem = std::string(path) + " differs";
    } else if (!matched && !same(fast, sentinel)) {
      problem = std::string(path) + " assigned a field and declined";
    }
  };
  check("canonical", [&](frame_record& r, int&) { return match_canonical_line(line, r); });
  check("untimed", [&](frame_record& r, int&) { return match_untimed_line(line, r); });
  check("log-file",
        [&](frame_record& r, int& count) { return match_log_file_line(line, r, count); });
  frame_record parsed = sentinel;
  const int parsed_count = parse_log_line(line, parsed);
  if (problem.empty() && (parsed_count != standard_count || !same(parsed, standard))) {
    problem = "count " + std::to_string(parsed_count) + " vs " + std::to_string(standard_count);
  }
  return problem.empty() ? "" : problem + " on \"" + reference::escaped(line) + "\"";
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_mutated_lines) {
  constexpr std::uint32_t lines = 200'000;
  int fast_path_lines[3] = {};
  for (std::uint32_t seed = 1; seed <= lines; ++seed) {
    line_generator generator(seed);
    std::string line = generator.any_layout();
    if (generator.pick(4) != 0) line = generator.mutated(line);
    const std::string failure = disagreement(line.substr(0, max_line_bytes), fast_path_lines);
    ASSERT_EQ(failure, "") << "seed " << seed;
  }
  // Every path must have been exercised in earnest, the exact one too.
  for (const int taken : fast_path_lines) EXPECT_GT(taken, static_cast<int>(lines / 20));
  EXPECT_LT(fast_path_lines[0] + fast_path_lines[1] + fast_path_lines[2], lines * 4 / 5);
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_every_cut) {
  for (std::uint32_t seed = 1; seed <= 2'000; ++seed) {
    line_generator generator(seed);
    const std::string line = generator.any_layout();
    int fast_path_lines[3] = {};
    for (std::size_t length = 0; length <= line.size(); ++length) {
      const std::string failure = disagreement(line.substr(0, length), fast_path_lines);
      ASSERT_EQ(failure, "") << "seed " << seed;
    }
  }
}

TEST(differential_test, the_same_frames_give_the_same_rows_in_every_layout) {
  line_generator generator(9);
  // -ta, -l, no -t, -tA, -x: each line's start before the identifier.
  const std::string print_starts[] = {" (1436509053.850870)  can0  ", "  can0  ",
                                      " (2015-07-10 08:57:33.850870)  can0  ",
                                      " (1436509053.850870)  can0  TX B -  "};
  const std::string log_file_starts[] = {"(1436509053.850870) can0 ", "(0.000500)   can0 "};
  const std::string identifiers[] = {"101", "102", "102", "7DF", "00000102", "10100000"};
  std::vector<std::string> logs(std::size(print_starts) + 1);
  for (int frame = 0; frame < 20'000; ++frame) {
    const std::string identifier = identifiers[generator.pick(std::size(identifiers))];
    const bool remote = generator.pick(20) == 0;
    const bool flexible = !remote && generator.pick(4) == 0;
    const std::size_t length = remote ? 0 : generator.pick(9);
    std::string print_tail = "   [" + std::to_string(length) + "] ";
    std::string log_file_line = log_file_starts[generator.pick(2)] + identifier +
                                (remote     ? "#R"
                                 : flexible ? "##" + generator.hex(1)
                                            : "#");
    for (std::size_t byte = 0; byte < length; ++byte) {
      const std::string value = generator.hex(2);
      print_tail += ' ' + value;
      log_file_line += (generator.pick(8) == 0 ? "." : "") + value;
    }
    if (remote) print_tail += "  remote request";
    for (std::size_t layout = 0; layout < std::size(print_starts); ++layout) {
      logs[layout] += print_starts[layout] + identifier + print_tail + "\n";
    }
    logs.back() += log_file_line + (generator.pick(4) == 0 ? " R\r\n" : "\n");
  }
  frame_record record{};
  const test::conversion standard = test::convert_text(logs[0], record);
  EXPECT_EQ(standard.status, convert_status::converted);
  const std::string& rows = standard.rows;
  EXPECT_EQ(rows, reference::rows(logs[0], record));
  EXPECT_GT(rows.size(), 20'000u);
  for (std::size_t layout = 1; layout < logs.size(); ++layout) {
    const test::conversion other = test::convert_text(logs[layout], record);
    EXPECT_EQ(other.status, convert_status::converted);
    EXPECT_EQ(other.rows, rows) << "layout " << layout;
  }
}

}  // namespace
}  // namespace pluckrow
