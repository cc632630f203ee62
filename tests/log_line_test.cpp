// The matcher against std::sscanf with the literal pattern: every field of
// the record, including those a line must leave alone, and the count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "conversion/log_line.h"
#include "reference.h"

namespace pluckrow {
namespace {

using namespace std::string_view_literals;

// Distinct values that no line in the table assigns, so a field written by
// mistake shows.
constexpr frame_record sentinel{-7.25,      0xDEAD0001, -99,        0xDEAD0010,
                                0xDEAD0011, 0xDEAD0012, 0xDEAD0013, 0xDEAD0014,
                                0xDEAD0015, 0xDEAD0016, 0xDEAD0017};
static_assert(sizeof(frame_record) == 48, "no padding: records compare with memcmp");

void expect_matches_sscanf(std::string_view line) {
  SCOPED_TRACE("line: \"" + reference::escaped(line) + "\"");
  frame_record expected = sentinel;
  frame_record actual = sentinel;
  const int expected_count = reference::match(line, expected);
  EXPECT_EQ(parse_log_line(line, actual), expected_count);
  EXPECT_EQ(std::memcmp(&actual, &expected, sizeof actual), 0)
      << "time_stamp " << actual.time_stamp << " vs " << expected.time_stamp << ", identifier "
      << actual.identifier << " vs " << expected.identifier << ", length " << actual.length
      << " vs " << expected.length << ", data0 " << actual.data0 << " vs " << expected.data0
      << ", data1 " << actual.data1 << " vs " << expected.data1 << ", data7 " << actual.data7
      << " vs " << expected.data7;
}

TEST(log_line_test, agrees_with_sscanf_on_every_kind_of_line) {
  constexpr std::string_view lines[] = {
      // Full frames, with and without the newline, more bytes than eight.
      " (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1436509053.850870)  can0  101   [8]  F8 11 22 33 44 55 66 77",
      " (0000000000.000001)  can0  7FF   [8]  FF FF FF FF FF FF FF FF 00 11\n",
      "(1.5)can0 102[8]00 11 22 33 44 55 66 77",
      "\t(2.5)\v\fcan0\r\v102 [ 8 ]\t00\t11\t22\t33\t44\t55\t66\t77\r\n",
      // Short frames and frames cut anywhere.
      " (1.0)  can0  101   [1]  F8\n",
      " (1.0)  can0  102   [2]  00 83\n",
      " (1.0)  can0  102   [0]\n",
      " (1.0)  can0  102   [8]  00 zz 22\n",
      " (1.0)  can0  102   [8",
      " (1.0)  can0  102",
      " (1.0)  can0",
      " (1.0",
      " (",
      // Lines that assign nothing.
      "",
      "\n",
      "   \t\n",
      "# comment (1.0)  can0  102   [8]  00 11 22\n",
      "  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      // Other interfaces, and names that begin with can0.
      " (1.0)  can1  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  vcan0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  can01  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  CAN0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  can0  102#00112233\n",
      // Wide identifiers, widths and lengths.
      " (1.0)  can0  10223344   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  can0  1022   [8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  can0  1   [8]  0 1 2 3 4 5 6 7\n",
      " (1.0)  can0  102   [8]  001 122 233\n",
      " (1.0)  can0  102   [3]  00 01 023 44 55 66 77 88\n",  // a third digit reads as a byte
      " (1.0)  can0  102   [5]  00 01 02 03 040 55 66 77 88\n",
      " (1.0)  can0  102   [-8]  00 11 22 33 44 55 66 77\n",
      " (1.0)  can0  102   [4294967304]  00 11 22\n",
      " (1.0)  can0  102   [99999999999999999999]  00 11 22\n",
      // Signs and 0x prefixes count toward the widths.
      " (1.0)  can0  -1   [8]  -1 +2 -F 0x 0xA +0 -0 7\n",
      " (1.0)  can0  0x1   [8]  0x1 0XF 00 11 22 33 44 55\n",
      " (1.0)  can0  +10   [+8]  -- ++ 00\n",
      " (1.0)  can0  0x   [8]  00 11 22\n",
      // Lower-case hex and every time-stamp form.
      " (1.0)  can0  1ab   [8]  ab cd ef 0a 0b 0c 0d 0e\n",
      " (1e3)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (-1.5E-3)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (0x1.8p3)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (inf)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (-INFINITY)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (nan)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (nan(123))  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " ( 12.)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (.5)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1.5e)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      " (1436509053.85087012345678901234567890)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
      // A NUL ends the match wherever it falls.
      " (1.0)  can0  102   [8]  00 1\0 22 33 44 55 66 77\n"sv,
      " (1.0)  can0\0  102   [8]  00 11 22 33 44 55 66 77\n"sv,
      "\0 (1.0)  can0  102   [8]  00 11 22 33 44 55 66 77\n"sv,
  };
  for (const std::string_view line : lines) expect_matches_sscanf(line);
}

TEST(log_line_test, a_line_cut_where_it_was_read_shows_no_whole_frame) {
  using namespace std::string_view_literals;
  const std::pair<std::string_view, bool> lines[] = {
      {" (1.0)  can0  102   [8]  00 01 8", false},
      {" (1.0)  can0  102   [8]  00 01 02 03 04 05 06 ", false},
      {" (1.0)  can0  102   [3]  00 01 02", true},
      {" (1.0)  can0  102   [03]  00 01 02   '...'", true},
      {" (1.0)  can0  102   [3]  00 01 023", false},  // a byte of three digits
      {" (1.0)  can0  102   [3]  00 01 02\0 junk"sv, true},
      {" (1.0)  can0  102   [3]  00 01\0 02"sv, false},
      {"  can0  102   [8]  remote request", false},
      {" (1.0)  can0  102   [0]", true},
      {"(1.0) can0 102#00010", true},  // the log-file layout reads its bytes in pairs
      {" (1.0)  can0  102   [x]  00", true},
  };
  for (const auto& [line, whole] : lines) EXPECT_EQ(shows_whole_frame(line), whole) << line;
}

}  // namespace
}  // namespace pluckrow
