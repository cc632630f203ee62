#include "driver/convert_file.h"

#include <cstdio>
#include <string>

#include "conversion/convert.h"
#include "driver/messages.h"
#include "driver/opened_file.h"
#include "driver/unfinished_csv.h"

namespace pluckrow {
namespace {

void report(const char* message, const char* name) { std::fprintf(stderr, message, name); }

}  // namespace

void convert_file(const char* log_path, frame_record& record) {
  std::FILE* const input = std::fopen(log_path, "rt");
  if (input == nullptr) {
    report(messages::cannot_open, log_path);
    return;
  }
  const opened_file log(input, log_path);
  if (log.is_directory()) {
    std::fclose(input);
    report(messages::cannot_open, log_path);
    return;
  }
  const std::string csv_path = std::string(log_path) + ".csv";
  std::FILE* const output = log.is_named_by(csv_path) ? nullptr : create_csv(csv_path.c_str());
  if (output == nullptr) {
    std::fclose(input);
    report(messages::cannot_create, csv_path.c_str());
    return;
  }
  const convert_status status = convert_log(input, output, record);
  csv_finished();
  std::fclose(input);
  const bool closed = std::fclose(output) == 0;
  if (status == convert_status::read_failed) {
    report(messages::cannot_read, log_path);
  } else if (status == convert_status::write_failed || !closed) {
    report(messages::cannot_write, csv_path.c_str());
  }
}

}  // namespace pluckrow
