#include "driver/convert_file.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "conversion/convert.h"
#include "driver/messages.h"

namespace pluckrow {
namespace {

void report(const char* message, const char* name) { std::fprintf(stderr, message, name); }

// Linux opens a directory for reading and fails only at the first read; the
// home platform refuses to open it. Both skip it as a log that cannot be
// opened.
std::FILE* open_log(const char* log_path) {
  std::FILE* input = std::fopen(log_path, "rt");
  std::error_code error;
  if (input != nullptr && std::filesystem::is_directory(log_path, error)) {
    std::fclose(input);
    return nullptr;
  }
  return input;
}

// Whether `csv_path` already names the log (a hard or symbolic link):
// creating it would empty the log before it is read.
bool is_same_file(const char* log_path, const std::string& csv_path) {
  std::error_code error;
  return std::filesystem::equivalent(log_path, csv_path, error) && !error;
}

}  // namespace

void convert_file(const char* log_path, frame_record& record) {
  std::FILE* const input = open_log(log_path);
  if (input == nullptr) {
    report(messages::cannot_open, log_path);
    return;
  }
  const std::string csv_path = std::string(log_path) + ".csv";
  std::FILE* const output =
      is_same_file(log_path, csv_path) ? nullptr : std::fopen(csv_path.c_str(), "wt");
  if (output == nullptr) {
    std::fclose(input);
    report(messages::cannot_create, csv_path.c_str());
    return;
  }
  const convert_status status = convert_log(input, output, record);
  std::fclose(input);
  const bool closed = std::fclose(output) == 0;
  if (status == convert_status::read_failed) {
    report(messages::cannot_read, log_path);
  } else if (status == convert_status::write_failed || !closed) {
    report(messages::cannot_write, csv_path.c_str());
  }
}

}  // namespace pluckrow
