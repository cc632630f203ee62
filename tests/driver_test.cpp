// The built program end to end, in a fresh scratch folder per test.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "compressed.h"
#include "conversion/rows/row_sink.h"
#include "driver/csv_target.h"
#include "driver/opened_file.h"
#include "driver/progress.h"
#include "log_files.h"
#include "program_runner.h"
#include "reference.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include <csignal>
#include <cstring>
#include <functional>
#include <thread>
#endif

namespace pluckrow {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::read_in_text_mode;
using test::write_file;
using test::written_in_text_mode;

const std::string log_a =
    " (1.0)  can0  101   [8]  FE 00 00 00 00 00 00 00\n"
    " (1.0)  can0  102   [8]  00 00 83 00 00 00 00 00\n";
const std::string rows_a = written_in_text_mode("-2,1.000000\n");
const std::string log_b = " (1.0)  can0  102   [8]  00 7F FF 00 00 00 00 00\n";
const std::string rows_b = written_in_text_mode("-8,250.129772\n");

using driver_test = test::program_test;

// The folder's file names, sorted.
std::vector<std::string> listing(const std::string& folder = ".") {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(driver_test, no_path_prints_usage_and_creates_nothing) {
  expect_run({}, "usage: pluckrow file1 file2 file3 ...\n", 1);
  EXPECT_TRUE(fs::is_empty("."));
}

TEST_F(driver_test, a_missing_log_is_skipped_between_two_good_ones) {
  write_file("a.log", log_a);
  write_file("b.log", log_b);
  expect_run({"a.log", "missing.log", "b.log"}, "SKIP: cannot open missing.log\n");
  EXPECT_EQ(read_file("a.log.csv"), rows_a);
  EXPECT_EQ(read_file("b.log.csv"), rows_b);
  EXPECT_FALSE(fs::exists("missing.log.csv"));
}

TEST_F(driver_test, odd_names_are_plain_paths) {
  // Names outside any one ANSI code page, in UTF-8; on Linux any bytes.
  std::vector<std::string> names = {"-x.log",
                                    "x.csv",
                                    "--help",
                                    "caf\xC3\xA9 au lait.log",
                                    "\xE6\x97\xA5\xE5\xBF\x97.log",
                                    "log\xF0\x9F\x98\x80.log"};
  std::string errors = "SKIP: cannot open missing \xE6\x97\xA5\xE5\xBF\x97.log\n";
  std::vector<std::string> missing = {"missing \xE6\x97\xA5\xE5\xBF\x97.log"};
#ifndef _WIN32
  names.push_back("caf\xE9.log");
  names.push_back("tab\tand \x1B[31mred.log");
  // Control characters in a name are escaped: no name forges a message or
  // steers the terminal.
  missing.push_back("a\nSKIP: cannot read monday.log\nb.log");
  errors += "SKIP: cannot open a\\nSKIP: cannot read monday.log\\nb.log\n";
  missing.push_back("\x7F\x01\r\t\x1B\\n.log");
  errors += "SKIP: cannot open \\x7f\\x01\\r\\t\\x1b\\n.log\n";
#endif
  for (const std::string& name : names) write_file(name, log_a);
  write_file("x.csv.csv", "stale rows that are overwritten\n");
  const std::string own_csv = std::string(PLUCKROW_EXE) + ".csv";
  fs::remove(own_csv);
  std::vector<std::string> arguments = names;
  arguments.push_back("x.csv");
  arguments.insert(arguments.end(), missing.begin(), missing.end());
  expect_run(arguments, errors);
  for (const std::string& name : names) EXPECT_EQ(read_file(name + ".csv"), rows_a) << name;
  EXPECT_FALSE(fs::exists(own_csv)) << "the program's own name was taken as a log";
}

TEST_F(driver_test, wildcards_are_not_expanded) {
  write_file("a.log", log_a);
#ifdef _WIN32
  expect_run({"*.log"}, "SKIP: cannot open *.log\n");
#else
  write_file("*.log", log_b);
  expect_run({"*.log"}, "");
  EXPECT_EQ(read_file("*.log.csv"), rows_b);
#endif
  EXPECT_FALSE(fs::exists("a.log.csv"));
}

TEST_F(driver_test, a_csv_name_the_file_system_cannot_hold_is_reported_whole) {
  const std::string too_long = std::string(250, 'n') + ".log";
  write_file(too_long, log_a);
  ASSERT_TRUE(fs::exists(too_long));
  expect_run({too_long}, "SKIP: cannot create " + too_long + ".csv\n");
}

TEST_F(driver_test, a_log_that_gives_no_row_says_why) {
  const std::vector<std::pair<std::string, std::string>> logs = {
      {"can1.log", "(1.0) can1 102#000083\n  can1  101   [1]  05\n"},
      {"four.log",
       " (1.0)  vcan0  102   [3]  00 00 83\n(1.0) can1 1FFFFFFF#00\n"
       "slcan0  TX - -  102  [1]  00\n(1.0) vcan0 102#00\n(1.0) can2 102##100\n"},
      {"text.log", "# comment\n\nanything\n"},
      {"commented.log", "# recorded on the bench\n\n(1.0) can1 102#00\n# end\n"},
      {"no_sample.log", "(1.0) can1 102#000083\n(1.0) can0 1FFFFFFF#00\n"},
      {"interleaved.log",
       "(1.0) can1 102#00\n(1.0) vcan0 102#00\n(1.0) can1 102#00\n(1.0) vcan0 1#0\n"},
      {"extended_name.log", "(1.0) can1 102#00\n(1.0) can10 102#00\n(1.0) can1 102#00\n"},
      {"j1939.log",
       " (1.0)  can0  18FEF100   [8]  00 11 22 33 44 55 66 77\n(2.0) can0 0CF00400#0011\n"
       "  can0  TX B E  18FEF100   [2]  00 11\n"},
      {"other_ids.log", log_b.substr(0, 14) + "7DF   [3]  00 00 83\n(1.0) can0 102#0000\n"},
      {"then_11bit.log", "(2.0) can0 0CF00400#0011\n(1.0) can0 101#05\n"},
      {"then_remote.log", "(2.0) can0 0CF00400#0011\n(1.0) can0 102#R\n"},
      {"odd_stamp.log", "(1e0) can1 102#00\n"},
      {"glued.log", "(1.0) can012345678 [8] 00\n"},
      {"empty.log", ""},
      {"blank.log", "\n \r\n"},
      {"mixed.log", "(1.0) can1 102#000083\n" + log_b}};
  for (const auto& [name, log] : logs) write_file(name, log);
  std::vector<std::string> names;
  for (const auto& log : logs) names.push_back(log.first);
  expect_run(names,
             "NOTE: can1.log: no can0 frames (frames on can1)\n"
             "NOTE: four.log: no can0 frames (frames on vcan0, can1, slcan0, ...)\n"
             "NOTE: text.log: no can0 frames (no line in a candump layout)\n"
             "NOTE: commented.log: no can0 frames (frames on can1)\n"
             "NOTE: no_sample.log: no samples (1 can0 frame, all with 29-bit identifiers)\n"
             "NOTE: interleaved.log: no can0 frames (frames on can1, vcan0)\n"
             "NOTE: extended_name.log: no can0 frames (frames on can1, can10)\n"
             "NOTE: j1939.log: no samples (3 can0 frames, all with 29-bit identifiers)\n"
             "NOTE: other_ids.log: no samples (2 can0 frames, none of them 0x102 with 3 or "
             "more bytes)\n"
             "NOTE: then_11bit.log: no samples (2 can0 frames, none of them 0x102 with 3 or "
             "more bytes)\n"
             "NOTE: then_remote.log: no samples (2 can0 frames, none of them 0x102 with 3 or "
             "more bytes)\n"
             "NOTE: odd_stamp.log: no can0 frames (no line in a candump layout)\n"
             "NOTE: glued.log: no samples (1 can0 frame, none of them 0x102 with 3 or more "
             "bytes)\n");
  for (const auto& [name, log] : logs) {
    EXPECT_EQ(read_file(name + ".csv"), name == "mixed.log" ? rows_b : "") << name;
  }
}

TEST_F(driver_test, compressed_logs_give_the_rows_of_their_text) {
  std::mt19937 random(19);
  std::string plain;
  char line[80];
  for (int i = 0; i < 6000; ++i) {
    std::snprintf(line, sizeof line, " (1436509053.%06d)  can0  10%u   [8]  %02X %02X %02X\n", i,
                  1 + static_cast<unsigned>(random() % 2), static_cast<unsigned>(random() & 0xFF),
                  static_cast<unsigned>(random() & 0xFF), static_cast<unsigned>(random() & 0xFF));
    plain += line;
  }
  frame_record record{};
  const std::string rows = written_in_text_mode(reference::rows(plain, record));
  // A member boundary within a line, and a zstd skippable frame between
  // (any of its sixteen magic numbers, 0x184D2A50 to 0x184D2A5F).
  const std::size_t split = plain.size() / 3 + 7;
  const auto skippable = [](char magic) {
    return std::string(1, magic) + std::string(
                                       "\x2A\x4D\x18\x03\x00\x00\x00"
                                       "abc",
                                       7 + 3);
  };
  for (const std::string& format : test::read_formats) {
    SCOPED_TRACE(format);
    const std::string whole = test::compressed(format, plain);
    ASSERT_GT(whole.size(), 100u);
    const std::string first = test::compressed(format, plain.substr(0, split));
    const std::string second = test::compressed(format, plain.substr(split));
    write_file("whole.log", whole);
    const bool zstd = format == "zstd";
    write_file("members.log", first + (zstd ? skippable('\x57') : "") + second);
    write_file("skippable.log", zstd ? skippable('\x5F') + whole : whole);
    // Damage where each format checks it: gzip's CRC-32, zstd's checksum,
    // xz's stream footer, a byte of bzip2's block.
    std::string damaged = whole;
    const std::size_t check_at = format == "gzip"           ? whole.size() - 8
                                 : format == "zstd"         ? whole.size() - 1
                                 : format.starts_with("xz") ? whole.size() - 12
                                                            : whole.size() / 2;
    damaged[check_at] = static_cast<char>(damaged[check_at] ^ 0x10);
    write_file("damaged.log", damaged);
    const std::size_t magic = format == "gzip" ? 2 : format.starts_with("xz") ? 6 : 4;
    write_file("magic.log", whole.substr(0, magic));
    const std::vector<std::size_t> cuts = {whole.size() / 3, whole.size() / 2, whole.size() - 1};
    std::vector<std::string> names = {"whole.log", "members.log", "skippable.log", "damaged.log",
                                      "magic.log"};
    std::string errors = "SKIP: cannot read damaged.log\nSKIP: cannot read magic.log\n";
    for (const std::size_t cut : cuts) {
      names.push_back("cut" + std::to_string(cut));
      write_file(names.back(), whole.substr(0, cut));
      errors += "SKIP: cannot read " + names.back() + "\n";
    }
    expect_run(names, errors);
    EXPECT_EQ(read_file("whole.log.csv"), rows);
    EXPECT_EQ(read_file("members.log.csv"), rows);
    EXPECT_EQ(read_file("skippable.log.csv"), rows);
    // Damage and cuts keep the rows of the text before them, and no other.
    for (std::size_t i = 3; i < names.size(); ++i) {
      const std::string csv = read_file(names[i] + ".csv");
      EXPECT_EQ(csv, rows.substr(0, csv.size())) << names[i];
      EXPECT_EQ(csv.size(), rows.rfind('\n', csv.size()) + 1) << names[i] << " ends in a cut row";
    }
    // A stream decoder gives its text as it goes: damage found at the end, in
    // the checksum, or a cut in the last byte leaves nearly every row. bzip2
    // gives a block's text once the block is whole and checked.
    if (format != "bzip2") {
      for (const std::string& name : {std::string("damaged.log"), names.back()}) {
        EXPECT_GT(read_file(name + ".csv").size(), rows.size() * 9 / 10) << name;
      }
    }
  }
}

// `log` as the one file of a ustar archive, as tar writes it, or of an
// old-format (v7) one, without the magic, checksummed signed as old tars did.
std::string tar_of(const std::string& name, const std::string& log, bool v7 = false) {
  std::string header(512, '\0');
  const auto put = [&](std::size_t at, const std::string& field) {
    header.replace(at, field.size(), field);
  };
  char octal[13];
  put(0, name);
  put(100, "0000644");
  std::snprintf(octal, sizeof octal, "%011o", static_cast<unsigned>(log.size()));
  put(124, octal);
  put(156, "0");
  if (!v7) {
    put(257, std::string("ustar\0"
                         "00",
                         8));
  }
  put(148, "        ");
  int sum = 0;
  for (const char c : header)
    sum += v7 ? static_cast<signed char>(c) : static_cast<unsigned char>(c);
  std::snprintf(octal, sizeof octal, "%06o", static_cast<unsigned>(sum));
  put(148, octal);
  return header + log + std::string(511 - (log.size() + 511) % 512, '\0') + std::string(1024, '\0');
}

TEST_F(driver_test, an_archive_of_logs_is_refused_and_gets_no_csv) {
  const std::string tar = tar_of("a.log", log_a + std::string(300, '\n'));
  std::string bad_checksum = tar;
  bad_checksum[0] = 'b';
  const std::vector<std::pair<std::string, std::string>> archives = {
      {"tar", tar},
      {"tar", test::compressed("gzip", tar)},
      {"tar", tar_of("\xC3\xA9t\xC3\xA9.log", log_a, true)},
      {"zip", "PK\3\4\x14\0\0\0\0\0" + log_a},
      {"zip", std::string("PK\5\6", 4) + std::string(18, '\0')},
      {"7z", "7z\xBC\xAF\x27\x1C\0\4" + log_a}};
  std::vector<std::string> names;
  std::string errors;
  for (const auto& [kind, bytes] : archives) {
    names.push_back(std::to_string(names.size()) + "." + kind);
    write_file(names.back(), bytes);
    errors += "SKIP: cannot read " + names.back() + ": a " + kind +
              " archive holds several logs; unpack it first\n";
  }
  // A header whose checksum fails is text: its log line is read.
  write_file("near_tar.log", bad_checksum);
  names.push_back("near_tar.log");
  expect_run(names, errors);
  for (std::size_t i = 0; i < archives.size(); ++i) {
    EXPECT_FALSE(fs::exists(names[i] + ".csv")) << names[i];
  }
  EXPECT_EQ(read_file("near_tar.log.csv"), written_in_text_mode("-8,1.000000\n"));
}

TEST_F(driver_test, a_directory_is_not_a_log_and_gets_no_csv) {
  fs::create_directory("d");
  write_file("a.log", log_a);
  fs::create_directory("a.log.csv");
  expect_run({"d", "d/", "a.log"},
             "SKIP: cannot open d\nSKIP: cannot open d/\nSKIP: cannot create a.log.csv\n");
  EXPECT_TRUE(fs::is_empty("d"));
  EXPECT_FALSE(fs::exists("d.csv"));
}

#ifdef _WIN32
TEST_F(driver_test, a_csv_held_open_by_another_program_is_left_as_it_was) {
  write_file("locked.log", log_a);
  write_file("b.log", log_b);
  write_file("locked.log.csv", "earlier\n");
  // As a spreadsheet holds the file it shows: shared for reading only.
  const HANDLE held = CreateFileA("locked.log.csv", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  expect_run({"locked.log", "b.log"}, "SKIP: cannot write locked.log.csv\n");
  CloseHandle(held);
  EXPECT_EQ(read_file("locked.log.csv"), "earlier\n");
  EXPECT_EQ(read_file("b.log.csv"), rows_b);
  EXPECT_EQ(listing(),
            (std::vector<std::string>{"b.log", "b.log.csv", "locked.log", "locked.log.csv"}));
}

TEST_F(driver_test, text_mode_gives_crlf_rows_and_reads_crlf_and_ctrl_z) {
  const std::string frame_line_crlf = " (1.5)  can0  102   [8]  00 12 34 56 78 9A BC DE\r\n";
  std::string crlf_log = log_a;
  for (std::size_t at = crlf_log.find('\n'); at != crlf_log.npos;
       at = crlf_log.find('\n', at + 2)) {
    crlf_log.insert(at, 1, '\r');
  }
  write_file("crlf.log", crlf_log);
  write_file("ctrl_z.log", log_a + "\x1A" + log_b);
  // A Ctrl-Z after the C runtime has buffered past a CR LF near the block end.
  write_file("late_ctrl_z.log", "\r\n" + std::string(131069, ' ') + "\n\n\n\x1A" +
                                    std::string(4093, ' ') + frame_line_crlf);
  expect_run({"crlf.log", "ctrl_z.log", "late_ctrl_z.log", "missing.log"},
             "SKIP: cannot open missing.log\n");
  EXPECT_EQ(read_file("crlf.log.csv"), "-2,1.000000\r\n");
  EXPECT_EQ(read_file("ctrl_z.log.csv"), "-2,1.000000\r\n");
  EXPECT_EQ(read_file("late_ctrl_z.log.csv"), "");
  EXPECT_EQ(read_file("../stderr.txt"), "SKIP: cannot open missing.log\r\n");
}
#else
// A path of `length` bytes made of short folder names, its folders created.
std::string deep_path(std::size_t length) {
  std::string folders;
  while (folders.size() + 3 + 10 < length) {
    folders += "dd/";
    fs::create_directory(folders);  // create_directories would pass the path limit
  }
  return folders + std::string(length - folders.size(), 'f');
}

TEST_F(driver_test, long_paths_convert_until_the_csv_name_passes_the_path_limit) {
  const std::string long_path = deep_path(4000);
  // Its CSV's name fits the limit with little to spare: its temporary's,
  // short and in the same folder, fits too.
  const std::string no_room_beside = deep_path(4085);
  const std::string longest_log = deep_path(4093);  // its CSV name needs 4097 + NUL bytes
  write_file(long_path, log_a);
  write_file(no_room_beside, log_a);
  write_file(longest_log, log_b);
  ASSERT_EQ(read_file(longest_log), log_b);
  expect_run({long_path, no_room_beside, longest_log},
             "SKIP: cannot create " + longest_log + ".csv\n");
  EXPECT_EQ(read_file(long_path + ".csv"), rows_a);
  EXPECT_EQ(read_file(no_room_beside + ".csv"), rows_a);
}

TEST_F(driver_test, unreachable_logs_cannot_be_opened) {
  write_file("a.log", log_a);
  const std::string long_component = std::string(300, 'c') + ".log";
  expect_run({"a.log/x", long_component},
             "SKIP: cannot open a.log/x\nSKIP: cannot open " + long_component + "\n");
}

TEST_F(driver_test, read_and_write_failures_are_reported_and_the_run_goes_on) {
  // Rows past the row block, so that a write fails before the last one, and
  // rows a stream could pass straight through, past its own buffer.
  for (const auto& [name, frames] : {std::pair{"full.log", 6000}, std::pair{"some.log", 1024}}) {
    std::string log;
    for (int i = 0; i < frames; ++i) log += log_a;
    write_file(name, log);
    fs::create_symlink("/dev/full", std::string(name) + ".csv");
  }
  fs::create_symlink("/proc/self/mem", "unreadable.log");
  write_file("b.log", log_b);
  expect_run({"full.log", "some.log", "unreadable.log", "b.log"},
             "SKIP: cannot write full.log.csv\nSKIP: cannot write some.log.csv\n"
             "SKIP: cannot read unreadable.log\n");
  EXPECT_EQ(read_file("b.log.csv"), rows_b);
}

// Another user's uid, for a run that must not have root's powers, and the
// shell's prefix that runs the program as that user.
constexpr uid_t other_user = 65534;
const std::string as_other_user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";

// Waits, within a bound, for `ready` to hold; false when it never did.
bool waited_for(const std::function<bool()>& ready) {
  for (int tries = 0; tries < 20'000; ++tries) {
    if (ready()) return true;
    usleep(500);
  }
  return false;
}

// Rows past what a pipe holds and a small file-size limit allows.
std::string log_of_many_rows() {
  std::string log = " (1.0)  can0  101   [1]  80\n";
  for (int i = 0; i < 12'000; ++i) log += " (1.0)  can0  102   [3]  00 80 00\n";
  return log;
}

TEST_F(driver_test, a_csv_that_cannot_take_its_rows_is_reported_and_the_run_goes_on) {
  // A FIFO whose reader leaves once the rows begin: the program's writes
  // fail, or wait for it to leave and then fail.
  write_file("big.log", log_of_many_rows());
  write_file("b.log", log_b);
  ASSERT_EQ(mkfifo("big.log.csv", 0666), 0);
  const int reader = open("big.log.csv", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  std::thread leaver([reader] {
    waited_for([reader] {
      int waiting = 0;
      return ioctl(reader, FIONREAD, &waiting) == 0 && waiting > 0;
    });
    close(reader);
  });
  expect_run({"big.log", "b.log"}, "SKIP: cannot write big.log.csv\n");
  leaver.join();
  EXPECT_EQ(read_file("b.log.csv"), rows_b);
}

TEST_F(driver_test, a_csv_over_the_file_size_limit_is_left_as_it_was_and_the_run_goes_on) {
  // As another user where the test runs as root, for whom a folder of mode
  // 0555 takes no new file, so that its CSV is written in place.
  const std::string as_other = geteuid() == 0 ? as_other_user : "";
  for (const std::string folder : {"shared", "read_only"}) {
    SCOPED_TRACE(folder);
    fs::create_directory(folder);
    write_file(folder + "/big.log", log_of_many_rows());
    write_file(folder + "/b.log", log_b);
    for (const char* csv : {"/big.log.csv", "/b.log.csv"}) {
      write_file(folder + csv, "earlier\n");
      ASSERT_EQ(chmod((folder + csv).c_str(), 0666), 0);
      if (!as_other.empty()) {
        ASSERT_EQ(chown((folder + csv).c_str(), other_user, other_user), 0);
      }
    }
    ASSERT_EQ(chmod(folder.c_str(), folder == "shared" ? 01777 : 0555), 0);
    // dash counts the limit in blocks of 512 bytes, bash in KiB: 32 or 64 KiB.
    expect_run({folder + "/big.log", folder + "/b.log"},
               "SKIP: cannot write " + folder + "/big.log.csv\n", 0, "ulimit -f 64; " + as_other,
               as_other.empty() ? PLUCKROW_EXE : test::program_for_other_user());
    ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    // Replaced whole or not at all: written in place, it is left empty.
    EXPECT_EQ(read_file(folder + "/big.log.csv"), folder == "shared" ? "earlier\n" : "");
    EXPECT_EQ(read_file(folder + "/b.log.csv"), rows_b);
    EXPECT_EQ(listing(folder),
              (std::vector<std::string>{"b.log", "b.log.csv", "big.log", "big.log.csv"}));
  }
}

TEST_F(driver_test, a_csv_opened_in_place_is_the_file_its_guards_were_checked_on) {
  // Between the lookup of a CSV's name and its opening in place, another
  // user plants a link or a file of theirs at the name of the user's own.
  fs::create_directory("shared");
  ASSERT_EQ(chmod("shared", 01777), 0);
  write_file("secret", "the user's own\n");
  write_file("a.log", log_a);
  std::FILE* const log_file = std::fopen("a.log", "r");
  ASSERT_NE(log_file, nullptr);
  const opened_file log(log_file, "a.log");
  enum class planted { nothing, link, file };
  for (const planted plant : {planted::nothing, planted::link, planted::file}) {
    SCOPED_TRACE(static_cast<int>(plant));
    if (plant == planted::file && geteuid() != 0) continue;  // needs root, to be another user
    write_file("shared/a.log.csv", "earlier\n");
    csv_target target = find_csv_target("shared/a.log.csv", log);
    ASSERT_EQ(target.disposition, csv_disposition::replaced);
    fs::remove("shared/a.log.csv");
    if (plant == planted::link) fs::create_symlink("../secret", "shared/a.log.csv");
    if (plant == planted::file) {
      write_file("shared/a.log.csv", "theirs\n");
      ASSERT_EQ(chown("shared/a.log.csv", other_user, other_user), 0);
    }
    if (plant == planted::nothing) write_file("shared/a.log.csv", "earlier\n");
    std::FILE* const csv = target.open_in_place(log);
    EXPECT_EQ(csv != nullptr, plant == planted::nothing);
    if (csv != nullptr) std::fclose(csv);
    EXPECT_EQ(read_file("shared/a.log.csv"), plant == planted::nothing ? ""
                                             : plant == planted::link ? "the user's own\n"
                                                                      : "theirs\n");
    EXPECT_EQ(read_file("secret"), "the user's own\n");
    fs::remove("shared/a.log.csv");
  }
  std::fclose(log_file);
  if (geteuid() != 0) GTEST_SKIP() << "another user's file needs root to plant; the link was tried";
}

struct fifo_run {
  int signal_number = 0;                 // sent once the CSV is open; 0: the log ends
  std::function<void()> meanwhile{};     // with no signal, before the log ends
  std::function<void()> before_start{};  // once a.log and big.log are made
  bool without_root = false;             // as another user where the test runs as root
  bool ignored = false;                  // the caller ignores the signal, as nohup does
};

// Converts a.log, then the FIFO big.log, with standard error in
// ../stderr.txt. Once the program has read part of big.log and waits for
// more, with its CSV open, sends it the signal, or calls `meanwhile` and
// ends the log; then waits for its end. Sets `status` to the wait status.
// Every wait is bounded: a program that cannot start or stops early fails
// the test at once.
void run_stopped_on_a_fifo(const fifo_run& how, int& status) {
  std::string frames = " (1.0)  can0  101   [1]  80\n";
  for (int i = 0; i < 12'000; ++i) frames += " (1.0)  can0  102   [3]  00 80 00\n";
  write_file("a.log", log_a);
  ASSERT_EQ(mkfifo("big.log", 0666), 0);
  if (how.before_start) how.before_start();
  const bool as_other = how.without_root && geteuid() == 0;
  const std::string path = as_other ? test::program_for_other_user() : PLUCKROW_EXE;
  const pid_t program = fork();
  ASSERT_GE(program, 0);
  if (program == 0) {
    const int errors = open("../stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (errors < 0 || dup2(errors, 2) < 0) _exit(126);
    if (as_other && (setresgid(other_user, other_user, other_user) != 0 ||
                     setresuid(other_user, other_user, other_user) != 0)) {
      _exit(126);
    }
    if (how.ignored) signal(how.signal_number, SIG_IGN);
    execl(path.c_str(), path.c_str(), "a.log", "big.log", static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto ended = [&] { return waitpid(program, &status, WNOHANG) == program; };
  // The FIFO opens for writing once the program opens it for reading.
  int log = -1;
  bool stopped = false;
  const bool opened = waited_for([&] {
    log = open("big.log", O_WRONLY | O_NONBLOCK);
    stopped = log < 0 && ended();
    return log >= 0 || stopped;
  });
  if (!opened || stopped) {
    if (!stopped) kill(program, SIGKILL), waitpid(program, &status, 0);
    FAIL() << "the program did not open its log; wait status " << status;
  }
  // More than a pipe holds: the writes end only after the program has read
  // from the log, so its CSV is open, and it then waits for the rest.
  std::size_t written = 0;
  const bool all_written = waited_for([&] {
    const ssize_t more = write(log, frames.data() + written, frames.size() - written);
    if (more > 0) written += static_cast<std::size_t>(more);
    return written == frames.size() || (more < 0 && errno != EAGAIN);
  });
  EXPECT_TRUE(all_written && written == frames.size());
  if (how.signal_number != 0) {
    kill(program, how.signal_number);
  } else if (how.meanwhile) {
    how.meanwhile();
  }
  close(log);
  if (!waited_for(ended)) {
    kill(program, SIGKILL);
    waitpid(program, &status, 0);
    FAIL() << "the program did not end";
  }
}

TEST_F(driver_test, an_interrupted_run_leaves_the_earlier_csv_and_nothing_else) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    for (const bool earlier : {false, true}) {
      SCOPED_TRACE(std::string(strsignal(signal_number)) + (earlier ? ", earlier CSV" : ""));
      for (const std::string& name : listing()) fs::remove(name);
      std::vector<std::string> expected = {"a.log", "a.log.csv", "big.log"};
      if (earlier) {
        write_file("big.log.csv", "earlier\n");
        fs::permissions("big.log.csv", fs::perms(0640));
        expected.push_back("big.log.csv");
      }
      int status = 0;
      run_stopped_on_a_fifo({.signal_number = signal_number}, status);
      ASSERT_FALSE(HasFatalFailure());
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << status;
      EXPECT_EQ(read_file("a.log.csv"), rows_a);
      if (earlier) {
        EXPECT_EQ(read_file("big.log.csv"), "earlier\n");
        EXPECT_EQ(fs::status("big.log.csv").permissions(), fs::perms(0640));
      }
      std::vector<std::string> left = listing();
      // A killed process cannot clean up: at most its temporary stays.
      if (signal_number == SIGKILL && left.size() == expected.size() + 1) {
        const auto temporary = std::find_if(left.begin(), left.end(), [](const std::string& name) {
          return name.starts_with(".pluckrow-") && name.ends_with(".tmp");
        });
        if (temporary != left.end()) left.erase(temporary);
      }
      EXPECT_EQ(left, expected);
    }
  }
}

TEST_F(driver_test, a_signal_the_caller_ignores_stays_ignored) {
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(strsignal(signal_number));
    for (const std::string& name : listing()) fs::remove(name);
    int status = 0;
    run_stopped_on_a_fifo({.signal_number = signal_number, .ignored = true}, status);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::string rows;
    for (int i = 0; i < 12'000; ++i) rows += "-128,-250.137405\n";
    EXPECT_EQ(read_file("big.log.csv"), rows);
    EXPECT_EQ(read_file("../stderr.txt"), "");
  }
}

TEST_F(driver_test, an_interrupted_csv_written_in_place_is_left_empty_not_cut) {
  // A folder that takes no new file: both CSVs are written in place.
  int status = 0;
  run_stopped_on_a_fifo({.signal_number = SIGINT,
                         .before_start =
                             [] {
                               for (const char* csv : {"a.log.csv", "big.log.csv"}) {
                                 write_file(csv, "earlier\n");
                                 fs::permissions(csv, fs::perms(0666));
                               }
                               fs::permissions(".", fs::perms(0555));
                             },
                         .without_root = true},
                        status);
  fs::permissions(".", fs::perms(0755));
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_EQ(read_file("a.log.csv"), rows_a);
  EXPECT_EQ(read_file("big.log.csv"), "");
  EXPECT_EQ(read_file("../stderr.txt"), "");
  EXPECT_EQ(listing(), (std::vector<std::string>{"a.log", "a.log.csv", "big.log", "big.log.csv"}));
}

TEST_F(driver_test, a_csv_that_cannot_be_put_in_place_leaves_what_was_there) {
  int status = 0;
  run_stopped_on_a_fifo({.meanwhile = [] { fs::create_directory("big.log.csv"); }}, status);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(read_file("../stderr.txt"), "SKIP: cannot write big.log.csv\n");
  EXPECT_TRUE(fs::is_directory("big.log.csv") && fs::is_empty("big.log.csv"));
  EXPECT_EQ(listing(), (std::vector<std::string>{"a.log", "a.log.csv", "big.log", "big.log.csv"}));
}

TEST_F(driver_test, a_csv_name_is_followed_through_as_many_links_as_the_kernel_follows) {
  for (const int links : {40, 41}) {
    const std::string log = "chain" + std::to_string(links) + ".log";
    write_file(log, log_a);
    std::string name = log + ".csv";
    for (int i = 1; i <= links; ++i) {
      const std::string next = log + ".link" + std::to_string(i);
      fs::create_symlink(next, name);
      name = next;
    }
  }
  expect_run({"chain40.log", "chain41.log"}, "SKIP: cannot create chain41.log.csv\n");
  EXPECT_EQ(read_file("chain40.log.link40"), rows_a);
  EXPECT_FALSE(fs::exists("chain41.log.link41"));
}

TEST_F(driver_test, a_csv_keeps_its_permission_bits_and_its_links) {
  const mode_t mask = umask(0);
  umask(mask);
  fs::create_directory("sub");
  for (const char* name : {"new.log", "old.log", "linked.log", "dangling.log"}) {
    write_file(name, log_a);
  }
  write_file("old.log.csv", "earlier\n");
  fs::permissions("old.log.csv", fs::perms(0751));
  write_file("sub/linked.csv", "earlier\n");
  fs::create_symlink("sub/linked.csv", "linked.log.csv");
  fs::create_symlink("sub/dangling.csv", "dangling.log.csv");
  // A relative link in another folder leads from that folder.
  write_file("sub/relative.log", log_a);
  fs::create_symlink("relative.csv", "sub/relative.log.csv");
  expect_run({"new.log", "old.log", "linked.log", "dangling.log", "sub/relative.log"}, "");
  EXPECT_EQ(fs::status("new.log.csv").permissions(), fs::perms(0666 & ~mask));
  EXPECT_EQ(fs::status("old.log.csv").permissions(), fs::perms(0751));
  for (const char* name : {"linked", "dangling"}) {
    EXPECT_TRUE(fs::is_symlink(std::string(name) + ".log.csv")) << name;
    EXPECT_EQ(read_file("sub/" + std::string(name) + ".csv"), rows_a) << name;
  }
  EXPECT_EQ(read_file("sub/relative.csv"), rows_a);
  EXPECT_EQ(listing("sub"), (std::vector<std::string>{"dangling.csv", "linked.csv", "relative.csv",
                                                      "relative.log", "relative.log.csv"}));
  EXPECT_EQ(listing().size(), 9u);
}

// Another user (nobody's uid) plants links and files at CSV names in shared
// folders, sticky and world-writable as /tmp is, and in a private one.
TEST_F(driver_test, another_users_link_or_file_in_a_shared_folder_steers_no_row) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to plant files as another user";
  constexpr uid_t other = 65534;
  enum class planted { link, file, fifo };
  struct plant_case {
    std::string log;  // its CSV's name is planted
    planted kind;
    uid_t owner;
    std::string link_to;  // for a link
    std::string rows_go;  // the file the rows go to, empty when refused
  };
  const std::vector<plant_case> cases = {
      {"shared/link.log", planted::link, other, "../secret", ""},
      {"shared/file.log", planted::file, other, "", ""},
      {"shared/fifo.log", planted::fifo, other, "", ""},
      {"shared/chain.log", planted::link, 0, "hop", ""},  // hop: the other's link to secret
      {"shared/own.log", planted::link, 0, "../own.csv", "own.csv"},
      {"theirs/owner.log", planted::link, other, "../owner.csv", "owner.csv"},
      {"private/link.log", planted::link, other, "../private.csv", "private.csv"},
      {"private/file.log", planted::file, other, "", "private/file.log.csv"},
      // Only a folder both sticky and world-writable is shared.
      {"open/link.log", planted::link, other, "../open.csv", "open.csv"},
      {"sticky/link.log", planted::link, other, "../sticky.csv", "sticky.csv"}};
  for (const char* folder : {"shared", "theirs", "private", "open", "sticky"}) {
    fs::create_directory(folder);
  }
  ASSERT_EQ(chmod("shared", 01777) | chmod("theirs", 01777) | chown("theirs", other, other) |
                chmod("open", 0777) | chmod("sticky", 01775),
            0);
  write_file("secret", "root only\n");
  ASSERT_EQ(chmod("secret", 0600), 0);
  fs::create_symlink("../secret", "shared/hop");
  ASSERT_EQ(lchown("shared/hop", other, other), 0);
  int fifo_reader = -1;
  std::vector<std::string> logs;
  std::string errors;
  for (const plant_case& c : cases) {
    const std::string csv = c.log + ".csv";
    write_file(c.log, log_a);
    ASSERT_EQ(chmod(c.log.c_str(), 0600), 0);
    if (c.kind == planted::link) fs::create_symlink(c.link_to, csv);
    if (c.kind == planted::file) write_file(csv, "planted\n");
    if (c.kind == planted::fifo) {
      ASSERT_EQ(mkfifo(csv.c_str(), 0666), 0);
      // A reader, so that rows wrongly written there could not block the run.
      fifo_reader = open(csv.c_str(), O_RDONLY | O_NONBLOCK);
      ASSERT_GE(fifo_reader, 0);
    }
    ASSERT_EQ(lchown(csv.c_str(), c.owner, c.owner), 0);
    if (c.kind != planted::link) {
      ASSERT_EQ(chmod(csv.c_str(), 0666), 0);
    }
    logs.push_back(c.log);
    if (c.rows_go.empty()) errors += "SKIP: cannot create " + csv + "\n";
  }
  expect_run(logs, errors);
  for (const plant_case& c : cases) {
    SCOPED_TRACE(c.log);
    const std::string csv = c.log + ".csv";
    struct stat status {};
    ASSERT_EQ(lstat(csv.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, c.owner);
    if (c.kind == planted::link) {
      EXPECT_EQ(fs::read_symlink(csv).string(), c.link_to);
    }
    if (c.kind != planted::link) {
      EXPECT_EQ(status.st_mode & 07777, 0666u);
    }
    if (c.kind == planted::file) {
      EXPECT_EQ(read_file(csv), c.rows_go.empty() ? "planted\n" : rows_a);
    }
    if (!c.rows_go.empty()) {
      EXPECT_EQ(read_file(c.rows_go), rows_a);
    }
  }
  char byte = 0;
  EXPECT_EQ(read(fifo_reader, &byte, 1), 0) << "rows went to the other user's FIFO";
  close(fifo_reader);
  EXPECT_EQ(read_file("secret"), "root only\n");
  EXPECT_EQ(fs::status("secret").permissions(), fs::perms(0600));
  for (const auto& entry : fs::recursive_directory_iterator(".")) {
    EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
  }
}
#endif

TEST_F(driver_test, a_csv_that_is_the_log_itself_is_not_created) {
  const std::vector<std::pair<std::string, std::string>> logs = {{"a.log", log_a},
                                                                 {"b.log", log_b}};
  for (const auto& [name, log] : logs) write_file(name, log);
  fs::create_hard_link("a.log", "a.log.csv");
#ifdef _WIN32  // symbolic links need a privilege on Windows
  fs::create_hard_link("b.log", "b.log.csv");
#else
  fs::create_symlink("b.log", "b.log.csv");
#endif
  expect_run({"a.log", "b.log"}, "SKIP: cannot create a.log.csv\nSKIP: cannot create b.log.csv\n");
  for (const auto& [name, log] : logs) EXPECT_EQ(read_file(name), log) << name;
}

TEST_F(driver_test, a_rerun_keeps_an_unchanged_csv_and_replaces_a_changed_one) {
  // Each earlier CSV has a second name, which shows whether it was kept or
  // replaced.
  const std::string changed = written_in_text_mode("-3,1.000000\n");
  // The largest CSV compared, whose rows fill one row block exactly: rows
  // "-8,1.000000", "-8,-1.000000" and, last, the longest row of all.
  const std::string one = written_in_text_mode("-8,1.000000\n");
  const std::string minus_one = written_in_text_mode("-8,-1.000000\n");
  const std::string longest = written_in_text_mode("-128,-250.137405\n");
  std::size_t ones = 0, minus_ones = 0;
  while ((row_block_bytes - longest.size() - minus_ones * minus_one.size()) % one.size() != 0) {
    ++minus_ones;
  }
  ones = (row_block_bytes - longest.size() - minus_ones * minus_one.size()) / one.size();
  std::string block_log;
  for (std::size_t i = 0; i < ones; ++i) block_log += " (1.0)  can0  102   [3]  00 00 83\n";
  for (std::size_t i = 0; i < minus_ones; ++i) block_log += " (1.0)  can0  102   [3]  00 FF 7D\n";
  block_log += " (1.0)  can0  101   [1]  80\n (1.0)  can0  102   [3]  00 80 00\n";
  frame_record record{};
  const std::string block_rows = written_in_text_mode(reference::rows(block_log, record));
  ASSERT_EQ(block_rows.size(), row_block_bytes);
  // The log, its rows, and the earlier CSV.
  std::vector<std::tuple<std::string, std::string, std::string, std::string>> earlier = {
      {"same.log", log_a, rows_a, rows_a},
      {"one_block.log", block_log, block_rows, block_rows},
      {"changed.log", log_a, rows_a, changed},
      {"longer.log", log_a, rows_a, rows_a + rows_a},
      {"now_empty.log", "", "", rows_a},
      {"was_empty.log", log_a, rows_a, ""},
      // The earlier CSV is the new rows' first block: the second is new.
      {"two_blocks.log", block_log + " (1.0)  can0  101   [1]  F8\n" + block_log,
       block_rows + block_rows, block_rows}};
#ifndef _WIN32
  // A name that leaves no room to grow: its temporary's name is short.
  earlier.emplace_back(std::string(240, 'n') + ".log", log_a, rows_a, changed);
#endif
  const auto an_hour_ago = fs::file_time_type::clock::now() - std::chrono::hours(1);
  std::vector<std::string> names;
  for (const auto& [name, log, rows, csv] : earlier) {
    write_file(name, log);
    write_file(name + ".csv", csv);
    fs::create_hard_link(name + ".csv", name + ".kept");
    fs::last_write_time(name + ".csv", an_hour_ago);
    names.push_back(name);
  }
  expect_run(names, "");
  for (const auto& [name, log, rows, csv] : earlier) {
    const bool same = csv == rows;
    EXPECT_EQ(read_file(name + ".csv"), rows) << name;
    EXPECT_EQ(read_file(name + ".kept"), csv) << name;
    EXPECT_GT(fs::last_write_time(name + ".csv"), an_hour_ago) << name;
    write_file(name + ".kept", "written through the second name\n");
    EXPECT_EQ(read_file(name + ".csv") == "written through the second name\n", same) << name;
  }
}

#ifndef _WIN32
TEST_F(driver_test, a_csv_its_rerun_may_write_but_not_own_ends_newer_than_its_log) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to rerun as another user";
  write_file("a.log", log_a);
  write_file("a.log.csv", rows_a);
  ASSERT_EQ(chmod("a.log.csv", 0666), 0);  // root's, in a folder that takes no other user's file
  fs::last_write_time("a.log.csv", fs::file_time_type::clock::now() - std::chrono::hours(1));
  expect_run({"a.log"}, "", 0, as_other_user, test::program_for_other_user());
  EXPECT_EQ(read_file("a.log.csv"), rows_a);
  EXPECT_GE(fs::last_write_time("a.log.csv"), fs::last_write_time("a.log"));
}
#endif

TEST_F(driver_test, many_logs_leak_no_descriptor) {
#ifdef _WIN32
  // The C runtime opens at most 512 streams; cmd takes 8,191 characters.
  constexpr int logs = 600;
  const std::string limit_descriptors;
#else
  // With 16 descriptors, a leak of one per log fails within a few logs.
  constexpr int logs = 10'000;
  const std::string limit_descriptors = "ulimit -n 16 && ";
#endif
  std::vector<std::string> names;
  for (int i = 0; i < logs; ++i) names.push_back(std::to_string(i));
  for (const std::string& name : names) write_file(name, log_a);
  names.insert(names.end(), 100, "0");
  // Skipped files come first: a descriptor they leak fails the logs after them.
  std::vector<std::string> skipped;
  std::string errors;
  for (int i = 0; i < 20; ++i) {
    const std::string name = "skipped" + std::to_string(i);
    write_file(name, log_a);
    fs::create_directory(name + ".csv");
    fs::create_directory(name + ".dir");
    skipped.insert(skipped.end(), {name, name + ".dir", name + ".missing"});
    errors += "SKIP: cannot create " + name + ".csv\nSKIP: cannot open " + name +
              ".dir\nSKIP: cannot open " + name + ".missing\n";
  }
  names.insert(names.begin(), skipped.begin(), skipped.end());
  expect_run(names, errors, 0, limit_descriptors);
  for (std::size_t i = skipped.size(); i < names.size(); ++i) {
    ASSERT_EQ(read_file(names[i] + ".csv"), rows_a) << names[i];
  }
}

TEST_F(driver_test, logs_split_over_several_runs_give_the_csvs_of_one_run) {
  // b.log's first lines assign no byte a row needs: nothing of a.log may show.
  const std::map<std::string, std::string> logs = {
      {"a.log", log_a + log_b},
      {"b.log", "\n (1.0)  can0  102   [1]  00\n(1.0) can0 10200000#00\n" + log_b + log_a},
      {"c.log", "  can0  101   [1]  7F\n" + log_b}};
  std::vector<std::string> names;
  for (const auto& [name, log] : logs) write_file(name, log), names.push_back(name);
  expect_run(names, "");
  std::map<std::string, std::string> one_run;
  for (const std::string& name : names) one_run[name] = read_file(name + ".csv");
  for (const std::string& name : names) {
    fs::remove(name + ".csv");
    expect_run({name}, "");
    EXPECT_EQ(read_file(name + ".csv"), one_run[name]) << name;
  }
}

TEST(progress_line, draws_after_a_second_at_most_ten_times_a_second_and_erases) {
  std::chrono::milliseconds now{0};
  std::FILE* const terminal = std::tmpfile();
  ASSERT_NE(terminal, nullptr);
  progress_line progress(terminal, 40, 3, [&] { return now; });
  std::FILE* const log = std::tmpfile();  // a log of 200 bytes
  ASSERT_EQ(std::fwrite(std::string(200, ' ').data(), 1, 200, log), 200u);
  std::fflush(log);
  const std::string long_name = std::string("folder/").append(40, 'n').append(".log");
  const std::string fills = std::string("\t").append(19, 'f');
  // At each time, what is done, and what the terminal gets.
  const std::vector<std::tuple<int, std::function<void()>, std::string>> steps = {
      {0, [&] { progress.start_log("a.log"); }, ""},
      {999, [&] { progress.bytes_read(1'000'000); }, ""},
      {1000, [&] { progress.bytes_read(1'000'000); }, "\r0/3 logs  a.log  2 MB/s"},
      {1099, [&] { progress.bytes_read(100); }, ""},
      {1100, [&] { progress.start_log("b"), progress.measure(log); }, "\r1/3 logs  b  2 MB/s    "},
      {1200, [&] { progress.bytes_read(100); }, "\r1/3 logs  b 50%  2 MB/s"},
      {1300, [&] { progress.start_log(long_name.c_str()); },
       "\r2/3 logs  ...nnnnnnnnnnnnnn.log  2 MB/s"},
      {1300, [&] { progress.erase(); }, std::string("\r").append(39, ' ').append("\r")},
      {1300, [&] { progress.erase(); }, ""},
      {1400, [&] { progress.bytes_read(2'000'000); }, "\r2/3 logs  ...nnnnnnnnnnnnnn.log  3 MB/s"},
      // A name that fills the line exactly once its tab is escaped.
      {1500, [&] { progress.start_log(fills.c_str()); },
       std::string("\r3/3 logs  \\t").append(19, 'f').append("  3 MB/s")}};
  long shown = 0;
  for (const auto& [at, action, drawn] : steps) {
    now = std::chrono::milliseconds(at);
    action();
    std::string got(static_cast<std::size_t>(std::ftell(terminal) - shown), '\0');
    std::fseek(terminal, shown, SEEK_SET);
    EXPECT_EQ(std::fread(got.data(), 1, got.size(), terminal), got.size());
    shown = std::ftell(terminal);
    std::fseek(terminal, 0, SEEK_END);  // a stream's reads and writes meet at a seek
    EXPECT_EQ(got, drawn) << "at " << at << " ms";
  }
  std::fclose(log);
  std::fclose(terminal);
  progress_line nowhere(nullptr, 40, 1, [&] { return now; });
  EXPECT_FALSE(nowhere.drawing());
  nowhere.start_log("a.log");  // would crash on a null terminal were anything drawn
  nowhere.bytes_read(1);
  nowhere.erase();
}

TEST_F(driver_test, the_sample_log_gives_its_committed_csv) {
  const std::string sample = std::string(PLUCKROW_EXAMPLES) + "/sample.log";
  write_file("sample.log", read_file(sample));
  expect_run({"sample.log"}, "");
  frame_record record{};
  EXPECT_EQ(read_file("sample.log.csv"), written_in_text_mode(read_file(sample + ".csv")));
  EXPECT_EQ(read_file(sample + ".csv"), reference::rows(read_file(sample), record));
}

}  // namespace
}  // namespace pluckrow
