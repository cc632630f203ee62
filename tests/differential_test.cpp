// The grammar matcher against the reference (std::sscanf, then its own
// reader of candump's other layouts) on generated lines of every shape
// candump writes, their variations, mutations and every cut: the grammar
// either assigns every field and the count as the reference does, or
// declines and assigns nothing. Each shape must be taken by the grammar.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "conversion/convert.h"
#include "conversion/log_line.h"
#include "conversion/matching/line_grammar.h"
#include "conversion/text/line_reader.h"
#include "line_shapes.h"
#include "log_files.h"
#include "reference.h"

namespace pluckrow {
namespace {

using test::line_generator;
using test::shape;
using test::shapes;

constexpr frame_record sentinel{-7.25,      0xDEAD0001, -99,        0xDEAD0010,
                                0xDEAD0011, 0xDEAD0012, 0xDEAD0013, 0xDEAD0014,
                                0xDEAD0015, 0xDEAD0016, 0xDEAD0017};

bool same(const frame_record& a, const frame_record& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Returns an empty string when the matchers agree on `text`, else what
// differs. Sets `taken` when the grammar took the line. The matchers see
// the text in a block of its exact size.
std::string disagreement(const std::string& text, bool& taken) {
  const test::exact_block block(text);
  const std::string_view line = block.view();
  const std::size_t newline = line.find('\n');
  const std::size_t length = newline == line.npos ? line.size() : newline + 1;
  const char* const expected_end = line.data() + length;
  frame_record exact = sentinel;
  const int exact_count = reference::match(text.substr(0, length), exact);

  frame_record grammar = sentinel;
  line_match match{};
  taken = match_candump_line(line, grammar, match);
  if (taken && (match.assigned != exact_count || !same(grammar, exact))) {
    return "the grammar assigned " + std::to_string(match.assigned) + " fields, the reference " +
           std::to_string(exact_count);
  }
  if (taken && match.end != expected_end) return "the grammar ended the line elsewhere";
  if (!taken && !same(grammar, sentinel)) return "the grammar assigned a field and declined";

  // The conversion's matches skip the time stamp's value, and nothing else.
  frame_record skipping = sentinel;
  line_match skipped{};
  if (match_candump_line(line, skipping, skipped, time_stamps::skipped) != taken ||
      skipped.assigned != match.assigned || skipped.end != match.end ||
      (skipping.time_stamp = grammar.time_stamp, !same(skipping, grammar))) {
    return "the grammar differs when it skips time stamps";
  }

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

TEST(differential_test, the_grammar_agrees_with_the_exact_matcher_on_lines_crossing_layouts) {
  for (std::uint32_t seed = 1; seed <= 200'000; ++seed) {
    line_generator generator(seed);
    const std::string line = test::crossed(generator).substr(0, max_line_bytes);
    bool taken = false;
    ASSERT_EQ(disagreement(line, taken), "")
        << "seed " << seed << ": \"" << reference::escaped(line) << '"';
  }
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

TEST(differential_test, a_last_line_cut_anywhere_gives_the_reference_rows) {
  // As a log still being recorded ends: a row only from a whole frame.
  for (std::uint32_t seed = 1; seed <= 3; ++seed) {
    line_generator generator(seed);
    for (const shape& shape : shapes) {
      const std::string line = generator.varied(shape.make(generator));
      for (std::size_t length = 0; length <= line.size(); ++length) {
        const std::string log = " (1.0)  can0  101   [1]  85\n" + line.substr(0, length);
        frame_record record{}, expected{};
        ASSERT_EQ(test::convert_text(log, record).rows, reference::rows(log, expected))
            << shape.name << ": \"" << reference::escaped(log) << '"';
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
