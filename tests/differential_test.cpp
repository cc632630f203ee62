// The fast matcher against std::sscanf on generated canonical lines and
// their mutations: every field and the count must agree.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

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

  std::string canonical() {
    std::string line = spaces(0) + "(" + digits(1 + pick(12)) + "." + digits(1 + pick(9)) + ")";
    line += spaces(1) + "can0" + spaces(1);
    line += pick(3) == 0 ? hex(3) : pick(2) == 0 ? "101" : "102";
    line += spaces(1) + "[" + digits(1 + pick(2)) + "]";
    for (int byte = 0; byte < 8; ++byte) line += spaces(1) + hex(2);
    return line + (pick(4) == 0 ? "" : pick(2) == 0 ? " 88 99\n" : "\n");
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
  std::string spaces(std::size_t least) { return std::string(least + pick(3), ' '); }
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

// Returns an empty string when the two matchers agree, else a description.
std::string disagreement(const std::string& line) {
  frame_record fast = sentinel;
  frame_record standard = sentinel;
  const int fast_count = parse_log_line(line, fast);
  const int standard_count = reference::match(line, standard);
  if (fast_count == standard_count && std::memcmp(&fast, &standard, sizeof fast) == 0) return "";
  return "line \"" + reference::escaped(line) + "\": count " + std::to_string(fast_count) + " vs " +
         std::to_string(standard_count);
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_mutated_lines) {
  for (std::uint32_t seed = 1; seed <= 200'000; ++seed) {
    line_generator generator(seed);
    std::string line = generator.canonical();
    if (generator.pick(8) != 0) line = generator.mutated(line);
    const std::string failure = disagreement(line.substr(0, max_line_bytes));
    ASSERT_EQ(failure, "") << "seed " << seed;
  }
}

TEST(differential_test, fast_matcher_agrees_with_sscanf_on_every_cut) {
  for (std::uint32_t seed = 1; seed <= 2'000; ++seed) {
    line_generator generator(seed);
    const std::string line = generator.canonical();
    for (std::size_t length = 0; length <= line.size(); ++length) {
      const std::string failure = disagreement(line.substr(0, length));
      ASSERT_EQ(failure, "") << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace pluckrow
