// The built program end to end, in a fresh scratch folder per test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "log_files.h"
#include "reference.h"

#ifndef _WIN32
#include <sys/wait.h>
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

struct run_result {
  int exit_status;
  std::string errors;
  std::string output;
};

#ifdef _WIN32
const std::string redirections = " >..\\stdout.txt 2>..\\stderr.txt";
#else
const std::string redirections = " >../stdout.txt 2>../stderr.txt";
#endif

std::string quoted(const std::string& argument) {
#ifdef _WIN32
  return '"' + argument + '"';
#else
  std::string out = "'";
  for (const char c : argument) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

// Runs pluckrow in the current folder; its standard streams are kept next
// to the folder, so that the folder holds only what the program created.
run_result run(std::initializer_list<std::string> arguments) {
  std::string command = quoted(PLUCKROW_EXE);
  for (const std::string& argument : arguments) command += ' ' + quoted(argument);
#ifdef _WIN32
  // cmd /c drops the outermost quotes of a command that holds several.
  const int exit_status = std::system(('"' + command + redirections + '"').c_str());
#else
  const int status = std::system((command + redirections).c_str());
  const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  return {exit_status, read_file("../stderr.txt"), read_file("../stdout.txt")};
}

class driver_test : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path scratch = fs::absolute(fs::path("scratch") / test->name());
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    fs::current_path(scratch);
  }
  void TearDown() override { fs::current_path(fs::current_path().parent_path().parent_path()); }

  // Runs pluckrow and checks its exit status, messages and silence on
  // standard output.
  void expect_run(std::initializer_list<std::string> arguments, const std::string& errors,
                  int exit_status = 0) {
    const run_result result = run(arguments);
    EXPECT_EQ(result.exit_status, exit_status);
    EXPECT_EQ(result.errors, written_in_text_mode(errors));
    EXPECT_EQ(result.output, "");
  }
};

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
  const std::string names[] = {"-x.log", "x.csv", "--help", "caf\xE9 au lait.log"};
  for (const std::string& name : names) write_file(name, log_a);
  write_file("x.csv.csv", "stale rows that are overwritten\n");
  expect_run({"-x.log", "x.csv", "--help", "caf\xE9 au lait.log", "x.csv"}, "");
  for (const std::string& name : names) EXPECT_EQ(read_file(name + ".csv"), rows_a) << name;
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
TEST_F(driver_test, text_mode_gives_crlf_rows_and_reads_crlf_and_ctrl_z) {
  std::string crlf_log = log_a;
  for (std::size_t at = crlf_log.find('\n'); at != crlf_log.npos;
       at = crlf_log.find('\n', at + 2)) {
    crlf_log.insert(at, 1, '\r');
  }
  write_file("crlf.log", crlf_log);
  write_file("ctrl_z.log", log_a + "\x1A" + log_b);
  expect_run({"crlf.log", "ctrl_z.log", "missing.log"}, "SKIP: cannot open missing.log\n");
  EXPECT_EQ(read_file("crlf.log.csv"), "-2,1.000000\r\n");
  EXPECT_EQ(read_file("ctrl_z.log.csv"), "-2,1.000000\r\n");
  EXPECT_EQ(read_file("../stderr.txt"), "SKIP: cannot open missing.log\r\n");
}
#else
TEST_F(driver_test, a_long_path_of_short_folders_converts) {
  std::string path;
  for (int depth = 0; depth < 12; ++depth) path += std::string(100, 'd') + "/";
  fs::create_directories(path);
  write_file(path + "a.log", log_a);
  expect_run({path + "a.log"}, "");
  EXPECT_EQ(read_file(path + "a.log.csv"), rows_a);
}

TEST_F(driver_test, a_csv_that_is_the_log_itself_is_not_created) {
  write_file("a.log", log_a);
  write_file("b.log", log_b);
  fs::create_hard_link("a.log", "a.log.csv");
  fs::create_symlink("b.log", "b.log.csv");
  expect_run({"a.log", "b.log"}, "SKIP: cannot create a.log.csv\nSKIP: cannot create b.log.csv\n");
  EXPECT_EQ(read_file("a.log"), log_a);
  EXPECT_EQ(read_file("b.log"), log_b);
}

TEST_F(driver_test, read_and_write_failures_are_reported_and_the_run_goes_on) {
  write_file("full.log", log_a);
  fs::create_symlink("/dev/full", "full.log.csv");
  fs::create_symlink("/proc/self/mem", "unreadable.log");
  write_file("b.log", log_b);
  expect_run({"full.log", "unreadable.log", "b.log"},
             "SKIP: cannot write full.log.csv\nSKIP: cannot read unreadable.log\n");
  EXPECT_EQ(read_file("b.log.csv"), rows_b);
}
#endif

TEST_F(driver_test, the_sample_log_gives_its_committed_csv) {
  const std::string sample = std::string(PLUCKROW_EXAMPLES) + "/sample.log";
  write_file("sample.log", read_file(sample));
  expect_run({"sample.log"}, "");
  frame_record record{};
  EXPECT_EQ(read_file("sample.log.csv"), written_in_text_mode(read_file(sample + ".csv")));
  EXPECT_EQ(read_file(sample + ".csv"), reference::rows(read_file(sample), record));
}

TEST_F(driver_test, real_logs_give_the_reference_rows) {
  const fs::path corpus = PLUCKROW_CORPUS;
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    const std::string name = entry.path().filename().string();
    write_file(name, read_file(entry.path().string()));
    expect_run({name}, "");
    frame_record record{};
    const std::string rows = reference::rows(read_in_text_mode(read_file(name)), record);
    EXPECT_EQ(read_file(name + ".csv"), written_in_text_mode(rows)) << name;
  }
}

}  // namespace
}  // namespace pluckrow
