// Runs the built pluckrow the way a user does, through the shell, in a fresh
// scratch folder per test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "log_files.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace pluckrow::test {

struct run_result {
  int exit_status;
  std::string errors;
  std::string output;
};

#ifdef _WIN32
inline const std::string redirections = " >..\\stdout.txt 2>..\\stderr.txt";
#else
inline const std::string redirections = " >../stdout.txt 2>../stderr.txt";
#endif

inline std::string quoted(const std::string& argument) {
#ifdef _WIN32
  return '"' + argument + '"';
#else
  std::string out = "'";
  for (const char c : argument) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

#ifndef _WIN32
// The program where another user can run it: a checkout inside a folder of
// mode 0700 (as root's home is) hides the built one, so a copy in a folder
// of the system's temporary folder, made once and removed at exit. The
// program reaches its logs by paths relative to the folder it starts in.
inline const std::string& program_for_other_user() {
  static const std::string path = [] {
    static std::string folder =
        (std::filesystem::temp_directory_path() / "pluckrow-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return std::string(PLUCKROW_EXE);
    std::atexit([] { std::filesystem::remove_all(folder); });
    const std::string copy = folder + "/pluckrow";
    std::filesystem::copy_file(PLUCKROW_EXE, copy);
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    std::filesystem::permissions(copy, std::filesystem::perms(0755));
    return copy;
  }();
  return path;
}
#endif

// Runs `program` in the current folder; its standard streams are kept next
// to the folder, so that the folder holds only what the program created.
inline run_result run(const std::vector<std::string>& arguments,
                      const std::string& shell_prefix = "",
                      const std::string& program = PLUCKROW_EXE) {
  std::string command = shell_prefix + quoted(program);
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

class program_test : public ::testing::Test {
 public:
  void SetUp() override {
    namespace fs = std::filesystem;
    home_ = fs::current_path();
    // The test's own folder, which holds its standard streams beside the
    // folder the program runs in: tests run side by side share nothing.
    const fs::path scratch = home_ / "scratch" / current_test_name();
    fs::remove_all(scratch);
    fs::create_directories(scratch / "files");
    fs::current_path(scratch / "files");
  }
  void TearDown() override { std::filesystem::current_path(home_); }

  static std::string current_test_name() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
  }

  // Runs pluckrow and checks its exit status, messages and silence on
  // standard output.
  void expect_run(const std::vector<std::string>& arguments, const std::string& errors,
                  int exit_status = 0, const std::string& shell_prefix = "",
                  const std::string& program = PLUCKROW_EXE) {
    const run_result result = run(arguments, shell_prefix, program);
    EXPECT_EQ(result.exit_status, exit_status);
    EXPECT_EQ(result.errors, written_in_text_mode(errors));
    EXPECT_EQ(result.output, "");
  }

 private:
  std::filesystem::path home_;
};

}  // namespace pluckrow::test
