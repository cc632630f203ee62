// Rows against std::snprintf("%d,%f\n"), and whole conversions against the
// reference conversion.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "conversion/convert.h"
#include "conversion/text/line_reader.h"
#include "conversion/text/log_text.h"
#include "log_files.h"
#include "reference.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace pluckrow {
namespace {

// The rows of `log` are the reference's.
void expect_reference_rows(const std::string& log) {
  SCOPED_TRACE("log: \"" + reference::escaped(log.substr(0, 200)) + "\"");
  frame_record expected{};
  const std::string rows = reference::rows(test::read_in_text_mode(log), expected);
  frame_record actual{};
  const test::conversion result = test::convert_text(log, actual);
  EXPECT_EQ(result.status, convert_status::converted);
  EXPECT_EQ(result.rows, rows);
}

// The lines `reader` yields, each up to its newline in the text it gives.
std::vector<std::string> lines_read(line_reader& reader) {
  std::vector<std::string> lines;
  for (std::string_view text; reader.next_text(text);) {
    EXPECT_LE(text.size(), max_line_bytes);
    const std::size_t newline = text.find('\n');
    const std::size_t length = newline == text.npos ? text.size() : newline + 1;
    lines.emplace_back(text.substr(0, length));
    reader.consume(text.data() + length);
  }
  return lines;
}

TEST(convert_test, the_reader_yields_each_line_within_1013_bytes) {
  for (std::size_t length = 1011; length <= 1015; ++length) {
    SCOPED_TRACE("line of " + std::to_string(length) + " bytes and a newline");
    // The same line read where the block holds it whole, then after an
    // over-long line, where the reader refills.
    const std::string line = std::string(length, 'y') + "\n";
    const std::string log = "x\n" + line + std::string(2000, 'z') + "\n" + line;
    test::write_file("in.log", log);
    std::FILE* input = std::fopen("in.log", "rt");
    file_source source(input);
    line_reader reader(source);
    const std::string cut = line.substr(0, max_line_bytes);
    EXPECT_EQ(lines_read(reader),
              (std::vector<std::string>{"x\n", cut, std::string(max_line_bytes, 'z'), cut}));
    std::fclose(input);
  }
}

TEST(convert_test, a_long_line_at_every_offset_near_the_block_edge_reads_as_the_reference) {
  // The reader reads blocks of 128 KiB, or maps windows at page edges, and
  // refills when fewer than a line's limit of bytes are left: a long line
  // is slid over both edges.
  constexpr std::size_t block = std::size_t{128} * 1024;
  const std::string frame = " (1.0)  can0  102   [3]  00 12 34";
  for (std::size_t length = max_line_bytes - 1; length <= max_line_bytes + 2; ++length) {
    // The frame ends the line; past the limit the line is cut in it.
    const std::string line = std::string(length - frame.size(), ' ') + frame;
    for (const std::size_t edge : {block - length, block - max_line_bytes, block}) {
      for (std::size_t start = edge - 4; start <= edge + 4; ++start) {
        std::string log = " (1.0)  can0  101   [1]  85\n";
        while (start - log.size() > 1000) log += std::string(999, '#') + "\n";
        log += std::string(start - log.size() - 1, '#') + "\n";
        for (const std::string& end : {std::string("\n") + frame + "\n", std::string()}) {
          SCOPED_TRACE("line of " + std::to_string(length) + " bytes at " + std::to_string(start) +
                       (end.empty() ? ", last" : ""));
          expect_reference_rows(log + line + end);
        }
      }
    }
  }
}

// `text` (UTF-8) as Windows tools save it: a byte-order mark, and for
// UTF-16 each code point in one or two units of two bytes.
std::string saved_with_byte_order_mark(const std::string& text, int encoding) {
  if (encoding == 8) return "\xEF\xBB\xBF" + text;
  const bool big_endian = encoding == 16;
  std::string out;
  const auto put = [&](unsigned unit) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += big_endian ? std::string{high, low} : std::string{low, high};
  };
  put(0xFEFF);
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    unsigned code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
      code = code << 6 | (static_cast<unsigned char>(text[at + i]) & 0x3Fu);
    }
    at += length;
    if (code < 0x10000) {
      put(code);
    } else {
      put(0xD800 + ((code - 0x10000) >> 10));
      put(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return out;
}

TEST(convert_test, logs_with_a_byte_order_mark_read_as_the_plain_log) {
  // Non-ASCII text and surrogate pairs at many offsets, among frames and CR
  // LF lines.
  const std::string pieces[] = {" (1.0)  can0  101   [8]  85 11 22 33 44 55 66 77\n",
                                " (1.0)  can0  102   [8]  00 7F FF 00 00 00 00 00 caf\xC3\xA9\n",
                                "(1.0) can0 102#0000830000000000\r\n",
                                "\xF0\x9F\x98\x80",
                                "\xE6\x97\xA5 ",
                                "\n"};
  std::mt19937 random(15);
  // In UTF-16 the first surrogate pair straddles the first read of 128 KiB.
  std::string plain;
  for (int line = 0; line < 1310; ++line) plain += std::string(49, ' ') + '\n';
  plain += std::string(34, ' ') + pieces[3];
  while (plain.size() < 600'000) plain += pieces[random() % std::size(pieces)];
  plain += "\x1A" + pieces[1];  // on Windows the log ends at the Ctrl-Z
  for (const int encoding : {8, 16, -16}) {
    SCOPED_TRACE("encoding " + std::to_string(encoding));
    test::write_file("in.log", saved_with_byte_order_mark(plain, encoding));
    std::FILE* input = std::fopen("in.log", "rt");
    std::string text;
    {
      const log_text opened = open_log_text(input);
      line_reader reader(*opened.text);
      for (const std::string& line : lines_read(reader)) text += line;
    }
    std::fclose(input);
    EXPECT_EQ(text, test::read_in_text_mode(plain));
    frame_record record{};
    const std::string rows = test::convert_text(plain, record).rows;
    EXPECT_GT(rows.size(), 1000u);
    EXPECT_EQ(test::convert_text(saved_with_byte_order_mark(plain, encoding), record).rows, rows);
  }
}

TEST(convert_test, malformed_utf16_reads_as_replacement_characters) {
  const std::string replacement = "\xEF\xBF\xBD";
  const std::string frame = " (1.0)  can0  101   [1]  85\n";
  std::string frame_le;
  for (const char c : frame) frame_le += std::string{c, '\0'};
  const std::pair<std::string, std::string> logs[] = {
      {"\xFF\xFE", ""},
      {"\xFE\xFF", ""},
      {std::string("\xFF\xFE"
                   "A\0\x00\xD8"
                   "B\0",
                   8),
       "A" + replacement + "B"},
      {std::string("\xFF\xFE\x00\xDC"
                   "A\0",
                   6),
       replacement + "A"},
      {std::string("\xFF\xFE"
                   "A\0\x00\xD8",
                   6),
       "A" + replacement},
      {std::string("\xFE\xFF\x00"
                   "A\xD8\x00\xD8\x00",
                   8),
       "A" + replacement + replacement},
      {std::string("\xFF\xFE"
                   "A\0"
                   "B",
                   5),
       "A" + replacement},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6) + frame_le + "\n",
       "\xF0\x9F\x98\x80" + frame + replacement},
  };
  for (const auto& [bytes, text] : logs) {
    SCOPED_TRACE(reference::escaped(bytes));
    test::write_file("in.log", bytes);
    std::FILE* input = std::fopen("in.log", "rb");
    const log_text opened = open_log_text(input);
    line_reader reader(*opened.text);
    std::string read;
    for (const std::string& line : lines_read(reader)) read += line;
    std::fclose(input);
    EXPECT_EQ(read, text);
  }
}

TEST(convert_test, sample_scale_is_the_float_nearest_one_131st) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(sample_scale), 0x3F7F4465A0000000u);
  EXPECT_EQ(sample_scale, static_cast<double>(1.0f / 131.0f));
}

TEST(convert_test, every_sample_and_held_value_formats_as_printf) {
  for (int value = -32768; value <= 32767; ++value) {
    const auto sample = static_cast<std::int16_t>(value);
    const auto held_value = static_cast<std::int8_t>(value & 0xFF);
    char expected[64];
    const int length = std::snprintf(expected, sizeof expected, "%d,%f\n", held_value,
                                     static_cast<double>(sample) * sample_scale);
    char actual[max_row_bytes];
    ASSERT_EQ(std::string(actual, format_row(held_value, sample, actual)),
              test::written_in_text_mode(std::string(expected, static_cast<std::size_t>(length))));
  }
}

TEST(convert_test, rows_pair_the_held_value_with_the_scaled_sample) {
  frame_record record{};
  const test::conversion result = test::convert_text(
      " (1.0)  can0  102   [8]  00 00 83 00 00 00 00 00\n"  // before any 0x101: -8
      " (1.0)  can0  101   [8]  F8 00 00 00 00 00 00 00\n"
      " (1.0)  can0  102   [8]  00 7F FF 00 00 00 00 00\n"
      " (1.0)  can0  101   [8]  7F 00 00 00 00 00 00 00\n"
      " (1.0)  can0  101   [8]  80 00 00 00 00 00 00 00\n"  // only the latest shows
      " (1.0)  can0  102   [8]  00 80 00 00 00 00 00 00\n"
      " (1.0)  can0  101   [1]  00\n"
      " (1.0)  can0  102   [8]  99 FF FF 00 00 00 00 00\n"
      " (1.0)  can0  123   [8]  00 00 01 00 00 00 00 00\n"
      " (1.0)  can0  102   [3]  00 00 01\n"
      " (1.0)  can0  102   [8]  00 00 00 00 00 00 00 00",
      record);
  EXPECT_EQ(result.status, convert_status::converted);
  EXPECT_EQ(result.rows,
            "-8,1.000000\n-8,250.129772\n-128,-250.137405\n0,-0.007634\n0,0.007634\n0,0.000000\n");
}

TEST(convert_test, a_line_acts_only_on_what_it_assigned) {
  frame_record record{};
  const std::string frame_102 = " (1.0)  can0  102   [8]  00 00 83 00 00 00 00 00\n";
  const std::string after_a_row =
      "\n# comment\n (2.0)  can1  102   [8]  00 11 22\n (2.0)  can0  102   [1]  00\n"
      " (2.0)  can0  10200000   [8]  00 11 22\n (2.0)  can0  101   [0]\n";
  EXPECT_EQ(test::convert_text(frame_102 + after_a_row, record).rows, "-8,1.000000\n");
  // The record carries over into the next file, but nothing of it is acted on.
  EXPECT_EQ(test::convert_text(after_a_row + frame_102, record).rows, "-8,1.000000\n");
  EXPECT_EQ(test::convert_text(" (1.0)  can0  101   [8]  05\n", record).rows, "");
  EXPECT_EQ(test::convert_text("\n" + frame_102, record).rows, "-8,1.000000\n");
}

TEST(convert_test, a_frame_in_any_layout_acts_as_in_the_standard_layout) {
  const std::string frame_83 = " (1.0)  can0  102   [3]  00 00 83";
  const std::string frame_83_of_8 = " (1.0)  can0  102   [8]  00 00 83 00 00 00 00 00";
  // Each line against its twin in the standard layout, or "" where it must
  // do nothing; between a held value and a row, so that both show.
  const std::pair<std::string, std::string> twins[] = {
      {"(1436509053.850870) can0 102#0000830000000000", frame_83_of_8},
      {"(1.0) can0 101#F8", " (1.0)  can0  101   [1]  F8"},
      {"(1.0) can0 101#", ""},
      {"(000.000500) can0 102##4000083", frame_83},
      {"(1436509053.850870000) can0 102#000083 R", frame_83},
      {" (1.0)   can0\t102#007fFF T\r", " (1.0)  can0  102   [3]  00 7F FF"},
      {"(1.0) can0 102#00.00.83", frame_83},
      {"(1.0) can0 102#.00.00.83", frame_83},
      {"(1.0) can0 102#0000830000000000_E", frame_83_of_8},
      {"(1.0) can0 102#R", ""},
      {"(1.0) can0 102#R3", ""},
      {"(1.0) can0 10200000#000083", ""},
      {"(1.0) can0 00000102#000083", ""},
      {"(1.0) can0 00000101#05", ""},
      {"(1.0) can0 1020#000083", ""},
      {"(1.0) can0 102#0000830", ""},
      {"(1.0) can0 102#00008x", ""},
      {"(1.0) can0 102#00..0083", ""},
      {"(1.0) can0 102#000083.", ""},
      {"(1.0) can0 102#000083_E", ""},
      {"(1.0) can0 102#000083000000000000", ""},
      {"(1.0) can0 102##x000083", ""},
      {"(1.0) can01 102#000083", ""},
      {"(1.0)can0 102#000083", ""},
      {"(1) can0 102#000083", ""},
      {"  can0  102   [8]  00 00 83 00 00 00 00 00", frame_83_of_8},
      {"can0 102 [3] 00 00 83", frame_83},
      {"  can0  101   [1]  05", " (1.0)  can0  101   [1]  05"},
      {"  can0  102   [3]  00 00 83   '...'", frame_83},
      {"  can0  102   [2]  00 00", ""},
      {"  can1  102   [3]  00 00 83", ""},
      {"  can0  10200000   [3]  00 00 83", ""},
      {" (2015-07-10 08:57:33.850870)  can0  102   [3]  00 00 83", frame_83},
      {" (2015-07-10 08:57:33.850870123)  can0  102   [3]  00 00 83", frame_83},
      {" (2015-07-10 08:57:33.85087)  can0  102   [3]  00 00 83", ""},
      {" (1436509053.850870)  can0  RX - -  102   [3]  00 00 83", frame_83},
      {" (1.0)  can0  TX B E  102   [3]  00 00 83", frame_83},
      {"  can0  TX B -  102  [12]  00 00 83 00 00 00 00 00 00 00 00 00", frame_83_of_8},
      {" (1.0)  can0  RX X -  102   [3]  00 00 83", ""},
      // A flag letter in the other flag's field, with the line going on.
      {" (1436509053.850870)  can0  TX E -  102   [8]  00 00 83 00 00 00 00 00", ""},
      {" (1436509053.850870)  can0  RX - B  102   [8]  00 00 83 00 00 00 00 00", ""},
      {"  can0  TX E B  102   [3]  00 00 83   '...'", ""},
      {" (1.0)  can0  RX B B  102   [3]  00 00 83 and more", ""},
      {" (1.0)  can1  RX - -  102   [3]  00 00 83", ""},
  };
  const std::string held = " (1.0)  can0  101   [1]  85\n";
  const std::string sample = " (1.0)  can0  102   [3]  00 01 00\n";
  for (const auto& [line, twin] : twins) {
    frame_record record{};
    const std::string expected = test::convert_text(held + twin + "\n" + sample, record).rows;
    EXPECT_EQ(test::convert_text(held + line + "\n" + sample, record).rows, expected) << line;
  }
}

TEST(convert_test, random_logs_agree_with_the_reference_across_blocks) {
  std::mt19937 random(20261208);
  const std::string pieces[] = {" (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77\n",
                                " (1436509053.850870)  can0  101   [8]  80 11 22 33 44 55 66 77\n",
                                " (1.0)  can0  102   [2]  7F\n",
                                // Text after the eighth byte, even a frame, belongs to the line.
                                " (1.0)  can0  102   [8]  00 00 83 00 00 00 00 00 (2.0)  can0  "
                                "101   [8]  05 00 00 00 00 00 00 00\n",
                                "\n", " (1.0)  can1  101   [1]  05\n",
                                std::string(1012, 'y') + "\n", std::string(1013, 'z') + "\n",
                                std::string(5000, ' '), " (1.0)  can0  102   [8]  00 ",
                                std::string(1, '\0')};
  std::string log;
  while (log.size() < 1'500'000) log += pieces[random() % std::size(pieces)];
  expect_reference_rows(log);
}

TEST(convert_test, frames_across_read_and_row_blocks_agree_with_the_reference) {
  // 5,460 rows of 12 bytes leave 16 bytes of the 64 KiB row block for the
  // longest row, 17 bytes; the frames fill several 128 KiB read blocks.
  std::string log;
  for (int i = 0; i < 5460; ++i)
    log += " (1436509053.850870)  can0  102   [8]  00 00 83 00 00 00 00 00\n";
  log += " (1.0)  can0  101   [1]  80\n (1.0)  can0  102   [3]  00 80 00\n";
  std::mt19937 random(8);
  const char* const identifiers[] = {"101", "102", "102", "1A0"};
  char line[80];
  for (int i = 0; i < 20'000; ++i) {
    std::snprintf(line, sizeof line,
                  " (1436509053.%06d)  can0  %s   [8]  %02X %02X %02X 00 00 00 00 00\n", i,
                  identifiers[random() % 4], static_cast<unsigned>(random() & 0xFF),
                  static_cast<unsigned>(random() & 0xFF), static_cast<unsigned>(random() & 0xFF));
    log += line;
  }
  expect_reference_rows(log);
}

#ifndef _WIN32
// Changes "in.log" as a recorder or a rotation would, between two blocks of
// one conversion: once told of the bytes up to `read`, cuts it to `size`
// bytes, then appends `more`.
struct log_change {
  std::size_t read;
  std::size_t size;
  std::string more = "";
};

class log_changer final : public read_observer {
 public:
  explicit log_changer(std::vector<log_change> changes) : changes_(std::move(changes)) {}
  void bytes_read(std::size_t count) override {
    told_ += count;
    for (const log_change& change : changes_) {
      if (told_ < change.read || told_ - count >= change.read) continue;
      std::filesystem::resize_file("in.log", change.size);
      std::ofstream("in.log", std::ios::binary | std::ios::app) << change.more;
    }
  }

 private:
  std::vector<log_change> changes_;
  std::size_t told_ = 0;
};

TEST(convert_test, a_log_that_changes_while_read_gives_the_rows_of_its_whole_lines) {
  // The reader asks for blocks of 128 KiB (after the first bytes, peeked
  // at); each is told of once read, before the next is asked for.
  constexpr std::size_t block = std::size_t{128} << 10;
  std::string log;
  for (int i = 0; log.size() < 3 * block + block / 2; ++i) {
    log += " (1.0)  can0  101   [1]  " + std::string(i % 2 == 0 ? "80" : "7F") +
           "\n (1.0)  can0  102   [8]  00 12 34 56 78 9A BC DE\n";
  }
  // Within a 0x102 frame after its third byte, at or after `at`, where the
  // cut line would otherwise give a row.
  const auto in_frame = [&](std::size_t at) { return log.find(" 56 ", at) + 2; };
  const std::string lines = " (1.0)  can0  101   [1]  05\n (1.0)  can0  102   [3]  00 00 83\n";
  const std::string cut_line = " (1.0)  can0  102   [8]  00 01 8";
  const struct {
    std::vector<log_change> changes;
    std::size_t whole;  // the bytes of whole lines read before the log ended
    bool cut_short;
  } cases[] = {
      {{{block, 0}}, block, true},                                      // emptied
      {{{block, in_frame(block + 100)}}, in_frame(block + 100), true},  // in the next block
      {{{block, 2 * block}}, 2 * block, true},                          // at a block's edge
      {{{block, block / 2}}, block, true},                              // below what was read
      {{{3 * block, in_frame(3 * block + 10)}}, in_frame(3 * block + 10), true},  // the last
      {{{block, log.size(), lines}}, log.size() + lines.size(), false},           // grown by lines
      {{{block, log.size(), lines + cut_line}}, log.size() + lines.size(), false},  // mid-line
      // Grown, then cut below what was read of it.
      {{{block, log.size(), lines}, {log.size() + lines.size(), block}},
       log.size() + lines.size(),
       true},
  };
  for (const auto& change : cases) {
    SCOPED_TRACE("cut to " + std::to_string(change.changes[0].size) + " once " +
                 std::to_string(change.changes[0].read) + " bytes were read, then " +
                 std::to_string(change.changes.size() - 1) + " more changes");
    const std::string read = (log + lines).substr(0, change.whole);
    frame_record record{};
    log_changer changer(change.changes);
    const test::conversion result = test::convert_text(log, record, &changer);
    EXPECT_EQ(result.status,
              change.cut_short ? convert_status::read_failed : convert_status::converted);
    frame_record expected{};
    EXPECT_EQ(result.rows, reference::rows(read.substr(0, read.rfind('\n') + 1), expected));
  }
  // A UTF-16 log emptied once its first block is read keeps the rows of the
  // whole lines of that block's text, two bytes a character after the mark,
  // and of those the stream had read ahead of it, at most a buffer's worth.
  frame_record record{}, first_block{}, all{};
  log_changer changer({{block, 0}});
  const test::conversion result =
      test::convert_text(saved_with_byte_order_mark(log, 16), record, &changer);
  EXPECT_EQ(result.status, convert_status::read_failed);
  const std::string read = log.substr(0, (block - 2) / 2);
  EXPECT_GE(result.rows.size(),
            reference::rows(read.substr(0, read.rfind('\n') + 1), first_block).size());
  EXPECT_LT(result.rows.size(), reference::rows(log, all).size() / 2);
  EXPECT_TRUE(reference::rows(log, all).starts_with(result.rows));
}
#endif

}  // namespace
}  // namespace pluckrow
