// The grammar matcher against the exact matcher (std::sscanf, then the exact
// reader of candump's other layouts) on generated lines of every shape
// candump writes, their variations, mutations and every cut: the grammar
// either assigns every field and the count as the exact matcher does, or
// declines and assigns nothing. Each shape must be taken by the grammar.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "conversion/convert.h"
#include "conversion/line_grammar.h"
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

  std::size_t pick(std::size_t count) { return random_() % count; }
  std::string hex(std::size_t count) {
    std::string out;
    while (out.size() < count) out += "0123456789ABCDEFabcdef"[pick(22)];
    return out;
  }
  std::string digits(std::size_t count) {
    std::string out;
    while (out.size() < count) out += static_cast<char>('0' + pick(10));
    return out;
  }
  // As -ta, -td or -tz print it, or any other count of digits.
  std::string seconds() {
    switch (pick(3)) {
      case 0:
        return "(" + digits(10) + '.' + digits(6) + ')';
      case 1:
        return "(" + digits(3) + '.' + digits(6) + ')';
      default:
        return "(" + digits(1 + pick(12)) + '.' + digits(1 + pick(9)) + ')';
    }
  }
  std::string date() {
    return "(2015-07-10 08:57:" + digits(2) + '.' + digits(pick(2) ? 6 : 9) + ')';
  }
  std::string standard_id() { return pick(3) == 0 ? hex(3) : pick(2) == 0 ? "101" : "102"; }
  std::string extended_id() {
    return pick(2) == 0 ? hex(8) : (pick(2) == 0 ? "101" : "102") + hex(5);
  }
  std::string interface() {
    static constexpr const char* names[] = {"can1", "vcan0", "slcan0", "any", "can", "vcan2"};
    return names[pick(std::size(names))];
  }
  std::string printed(std::size_t count) {
    std::string out;
    for (std::size_t byte = 0; byte < count; ++byte) out += " " + hex(2);
    return out;
  }
  std::string packed(std::size_t count) {
    std::string out;
    for (std::size_t byte = 0; byte < count; ++byte) out += (pick(10) == 0 ? "." : "") + hex(2);
    return out;
  }
  std::string print_body(std::size_t count) {
    return "   [" + std::to_string(count) + "] " + printed(count);
  }

  // Spacing, tabs, CR LF and a missing newline, as logs that went through
  // editors and other tools have them.
  std::string varied(std::string line) {
    if (pick(4) == 0) {
      // Not in the time stamp, whose date holds a space of its own.
      for (std::size_t at = line.find(')') + 1; at < line.size(); ++at) {
        if (line[at] == ' ' && pick(3) == 0) line[at] = '\t';
      }
    }
    if (pick(4) == 0) {
      const std::size_t at = line.find("  ");
      if (at != line.npos) line.insert(at, pick(2) == 0 ? " " : "\t ");
    }
    switch (pick(4)) {
      case 0:
        return line + "\r\n";
      case 1:
        return line;
      default:
        return line + '\n';
    }
  }

  // One to three edits drawn from the ways real logs differ from candump's.
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

 private:
  char interesting() {
    static constexpr char chars[] = " \t\n\r\v\f\0-+xXeEpP.()[]0123456789aAfFgGnNiI#_RTBE:";
    return pick(4) == 0 ? static_cast<char>(pick(256)) : chars[pick(sizeof chars - 1)];
  }

  std::mt19937 random_;
};

struct shape {
  const char* name;
  std::string (*make)(line_generator&);
};

// Every line shape candump writes, one frame each, before variation.
const shape shapes[] = {
    {"-ta",
     [](line_generator& g) {
       return " " + g.seconds() + "  can0  " + g.standard_id() + g.print_body(8);
     }},
    {"-ta 29-bit",
     [](line_generator& g) {
       return " " + g.seconds() + "  can0  " + g.extended_id() + g.print_body(8);
     }},
    {"-ta other interface",
     [](line_generator& g) {
       return " " + g.seconds() + "  " + g.interface() + "  " + g.standard_id() + g.print_body(8);
     }},
    {"-ta 0-7 bytes",
     [](line_generator& g) {
       return " " + g.seconds() + "  can0  " + g.standard_id() + g.print_body(g.pick(8));
     }},
    {"-ta -a",
     [](line_generator& g) {
       const std::size_t count = g.pick(9);
       return " " + g.seconds() + "  can0  " + g.standard_id() + g.print_body(count) + "   '" +
              std::string(count, '.') + "'";
     }},
    {"-ta CAN FD",
     [](line_generator& g) {
       static constexpr int lengths[] = {12, 16, 20, 24, 32, 48, 64};
       const int length = lengths[g.pick(std::size(lengths))];
       return " " + g.seconds() + "  can0  " + g.standard_id() + "  [" + std::to_string(length) +
              "] " + g.printed(static_cast<std::size_t>(length));
     }},
    {"-ta remote",
     [](line_generator& g) {
       return " " + g.seconds() + "  can0  " + g.standard_id() + "   [" +
              std::to_string(g.pick(9)) + "]  remote request";
     }},
    {"-tA",
     [](line_generator& g) {
       return " " + g.date() + "  can0  " + g.standard_id() + g.print_body(g.pick(9));
     }},
    {"-tA 29-bit",
     [](line_generator& g) {
       return " " + g.date() + "  can0  " + g.extended_id() + g.print_body(8);
     }},
    {"-tA other interface",
     [](line_generator& g) {
       return " " + g.date() + "  " + g.interface() + "  " + g.standard_id() + g.print_body(8);
     }},
    {"-x",
     [](line_generator& g) {
       static constexpr const char* blocks[] = {"RX - -", "TX - -", "RX B -", "TX B E", "RX - E"};
       return " " + g.seconds() + "  can0  " + blocks[g.pick(5)] + "  " +
              (g.pick(4) == 0 ? g.extended_id() : g.standard_id()) + g.print_body(g.pick(9));
     }},
    {"untimed",
     [](line_generator& g) { return "  can0  " + g.standard_id() + g.print_body(g.pick(9)); }},
    {"untimed 29-bit",
     [](line_generator& g) { return "  can0  " + g.extended_id() + g.print_body(8); }},
    {"untimed other interface",
     [](line_generator& g) {
       return "  " + g.interface() + "  " + g.standard_id() + g.print_body(8);
     }},
    {"-l",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + '#' + g.packed(8);
     }},
    {"-l 29-bit",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.extended_id() + '#' + g.packed(8);
     }},
    {"-l other interface",
     [](line_generator& g) {
       return g.seconds() + ' ' + g.interface() + ' ' + g.standard_id() + '#' + g.packed(8);
     }},
    {"-l 0-7 bytes",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + '#' + g.packed(g.pick(8));
     }},
    {"-l CAN FD",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + "##" + g.hex(1) + g.packed(g.pick(65)) +
              (g.pick(4) == 0 ? "_" + g.hex(1) : "");
     }},
    {"-l remote",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + "#R" + (g.pick(2) == 0 ? g.hex(1) : "");
     }},
    {"-l -x",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + '#' + g.packed(g.pick(9)) +
              (g.pick(2) == 0 ? " R" : " T");
     }},
    {"-l raw DLC",
     [](line_generator& g) {
       return g.seconds() + " can0 " + g.standard_id() + '#' + g.packed(8) + "_" + g.hex(1);
     }},
    {"-l error frame",
     [](line_generator& g) { return g.seconds() + " can0 2000" + g.hex(4) + '#' + g.packed(8); }},
    {"comment or blank",
     [](line_generator& g) { return g.pick(2) == 0 ? "" : "# " + g.hex(g.pick(40)); }},
};

bool same(const frame_record& a, const frame_record& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Returns an empty string when the matchers agree on `line`, else what
// differs. Sets `taken` when the grammar took the line.
std::string disagreement(const std::string& line, bool& taken) {
  const std::size_t newline = line.find('\n');
  const std::size_t length = newline == line.npos ? line.size() : newline + 1;
  const char* const expected_end = line.data() + length;
  frame_record exact = sentinel;
  const int exact_count = reference::match(line.substr(0, length), exact);

  frame_record grammar = sentinel;
  line_match match{};
  taken = match_candump_line(line, grammar, match);
  if (taken && (match.assigned != exact_count || !same(grammar, exact))) {
    return "the grammar assigned " + std::to_string(match.assigned) +
           " fields, the exact matcher " + std::to_string(exact_count);
  }
  if (taken && match.end != expected_end) return "the grammar ended the line elsewhere";
  if (!taken && !same(grammar, sentinel)) return "the grammar assigned a field and declined";

  frame_record parsed = sentinel;
  const line_match whole = match_log_line(line, parsed);
  if (whole.assigned != exact_count || !same(parsed, exact) || whole.end != expected_end) {
    return "match_log_line differs";
  }
  return "";
}

TEST(differential_test, the_grammar_takes_every_shape_and_agrees_with_the_exact_matcher) {
  std::map<std::string, int> declined;
  for (std::uint32_t seed = 1; seed <= 50'000; ++seed) {
    line_generator generator(seed);
    for (const shape& shape : shapes) {
      const std::string line = generator.varied(shape.make(generator)).substr(0, max_line_bytes);
      bool taken = false;
      const std::string failure = disagreement(line, taken);
      ASSERT_EQ(failure, "") << shape.name << ": \"" << reference::escaped(line) << '"';
      if (!taken) ++declined[std::string(shape.name) + ": \"" + reference::escaped(line) + '"'];
    }
  }
  // No shape falls to the exact matcher, in any variation.
  EXPECT_TRUE(declined.empty()) << declined.size() << " declined, such as "
                                << declined.begin()->first;
}

TEST(differential_test, the_grammar_agrees_with_the_exact_matcher_on_mutated_lines) {
  int taken_lines = 0;
  constexpr int lines = 200'000;
  for (std::uint32_t seed = 1; seed <= lines; ++seed) {
    line_generator generator(seed);
    const shape& shape = shapes[generator.pick(std::size(shapes))];
    const std::string line =
        generator.mutated(generator.varied(shape.make(generator))).substr(0, max_line_bytes);
    bool taken = false;
    ASSERT_EQ(disagreement(line, taken), "")
        << "seed " << seed << ": \"" << reference::escaped(line) << '"';
    taken_lines += taken;
  }
  // Both matchers were exercised in earnest.
  EXPECT_GT(taken_lines, lines / 4);
  EXPECT_LT(taken_lines, lines * 19 / 20);
}

TEST(differential_test, the_grammar_agrees_with_the_exact_matcher_on_every_cut) {
  for (std::uint32_t seed = 1; seed <= 200; ++seed) {
    line_generator generator(seed);
    for (const shape& shape : shapes) {
      const std::string line =
          generator.varied(shape.make(generator)) + "\n (1.0)  can0  101   [1]  05\n";
      for (std::size_t length = 0; length <= line.size(); ++length) {
        bool taken = false;
        ASSERT_EQ(disagreement(line.substr(0, length), taken), "")
            << shape.name << ": \"" << reference::escaped(line.substr(0, length)) << '"';
      }
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
