// The fast matcher against std::sscanf on generated canonical lines and
// their mutations: every field and the count must agree.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "conversion/fast_paths.h"
#include "conversion/log_line.h"
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
    line += pick(3) == 0 ? hex(3) : pick(2) == 0 ? "101" : "102";
    line += "   [";
    line += digits(1 + pick(2));
    line += "] ";
    for (int byte = 0; byte < 8; ++byte) line += ' ' + hex(2);
    line += pick(4) == 0 ? "" : pick(2) == 0 ? " 88 99\n" : "\n";
    return line;
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

 private:
  char interesting() {
    static constexpr char chars[] = " \t\n\r\v\f\0-+xXeEpP.()[]0123456789aAfFgGnNiI#";
    return pick(4) == 0 ? static_cast<char>(pick(256)) : chars[pick(sizeof chars - 1)];
  }
  std::string digits(std::size_t count) {
    std::string out;
    while (out.size() < count) out += static_cast<char>('0' + pick(10));
    return out;
  }
  std::string hex(std::size_t count) {
    std::string out;
    while (out.size() < count) out += "0123456789ABCDEFabcdef"[pick(22)];
    return out;
  }

  std::mt19937 random_;
};

bool same(const frame_record& a, const frame_record& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Returns an empty string when the matchers agree, else a description. The
// fast path must either assign all fields as sscanf does or assign nothing.
std::string disagreement(const std::string& line, int& fast_path_lines) {
  frame_record standard = sentinel;
  const int standard_count = reference::match(line, standard);
  frame_record canonical = sentinel;
  const bool matched = match_canonical_line(line, canonical) != nullptr;
  fast_path_lines += matched;
  frame_record parsed = sentinel;
  const int parsed_count = parse_log_line(line, parsed);
  std::string problem;
  if (matched && (standard_count != all_fields || !same(canonical, standard))) {
    problem = "fast path differs";
  } else if (!matched && !same(canonical, sentinel)) {
    problem = "fast path assigned a field and declined";
  } else if (parsed_count != standard_count || !same(parsed, standard)) {
    problem = "count " + std::to_string(parsed_count) + " vs " + std::to_string(standard_count);
  }
  return problem.empty() ? "" : problem + " on \"" + reference::escaped(line) + "\"";
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_mutated_lines) {
  constexpr std::uint32_t lines = 200'000;
  int fast_path_lines = 0;
  for (std::uint32_t seed = 1; seed <= lines; ++seed) {
    line_generator generator(seed);
    std::string line = generator.canonical();
    if (generator.pick(4) != 0) line = generator.mutated(line);
    const std::string failure = disagreement(line.substr(0, max_line_bytes), fast_path_lines);
    ASSERT_EQ(failure, "") << "seed " << seed;
  }
  // Both paths must have been exercised in earnest.
  EXPECT_GT(fast_path_lines, lines / 5);
  EXPECT_LT(fast_path_lines, lines * 4 / 5);
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_every_cut) {
  for (std::uint32_t seed = 1; seed <= 2'000; ++seed) {
    line_generator generator(seed);
    const std::string line = generator.canonical();
    int fast_path_lines = 0;
    for (std::size_t length = 0; length <= line.size(); ++length) {
      const std::string failure = disagreement(line.substr(0, length), fast_path_lines);
      ASSERT_EQ(failure, "") << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace pluckrow
