#include "driver/convert_file.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "conversion/convert.h"
#include "conversion/text/log_text.h"
#include "driver/csv_output.h"
#include "driver/messages.h"
#include "driver/opened_file.h"
#include "driver/progress.h"
#include "driver/unchanged_csv.h"

namespace pluckrow {
namespace {

// Every message goes through here, taking the progress line off first. Each
// names a path first, printed as messages print one.
template <typename... Arguments>
void say(progress_line& progress, const char* message, std::string_view path,
         Arguments... arguments) {
  progress.erase();
  std::fprintf(stderr, message, messages::printable(path).c_str(), arguments...);
}

// A CSV left empty by a log that holds anything but blank lines gets one
// note: what its can0 frames were, or the other interfaces it held, or that
// no line was in a candump layout.
void explain_an_empty_csv(const log_conversion& result, const char* log_path,
                          progress_line& progress) {
  if (result.wrote_rows) return;
  const std::string_view interfaces = result.lines.other_interfaces();
  if (const std::size_t frames = result.lines.can0_frames()) {
    say(progress,
        result.lines.only_extended_frames() ? messages::only_extended_frames
                                            : messages::no_sample_frames,
        log_path, std::to_string(frames).c_str(), frames == 1 ? "" : "s");
  } else if (!interfaces.empty()) {
    say(progress, messages::no_can0_frames_but, log_path, static_cast<int>(interfaces.size()),
        interfaces.data());
  } else if (result.lines.unreadable_lines()) {
    say(progress, messages::no_candump_lines, log_path);
  }
}

}  // namespace

void convert_file(const char* log_path, frame_record& record, progress_line& progress) {
  progress.start_log(log_path);
  std::FILE* const input = std::fopen(log_path, "rt");
  if (input == nullptr) {
    say(progress, messages::cannot_open, log_path);
    return;
  }
  // The format is told by the first bytes and the line reader asks for
  // large blocks, which pass this small buffer by; given here, it costs no
  // lookup of the file's block size.
  char first_bytes[4096];
  std::setvbuf(input, first_bytes, _IOFBF, sizeof first_bytes);
  const opened_file log(input, log_path);
  if (log.is_directory()) {
    std::fclose(input);
    say(progress, messages::cannot_open, log_path);
    return;
  }
  progress.measure(input);
  const log_text text = open_log_text(input, progress.drawing() ? &progress : nullptr);
  if (text.text == nullptr) {
    std::fclose(input);
    say(progress, messages::archive, log_path, text.archive);
    return;
  }
  const std::string csv_path = std::string(log_path) + ".csv";
  csv_output csv;
  if (!csv.open(csv_path, log)) {
    std::fclose(input);
    say(progress, messages::cannot_create, csv_path);
    return;
  }
  unchanged_csv rows(csv, csv.path(), csv.compared_size());
  const log_conversion result = convert_log(*text.text, rows, record);
  const convert_status status = result.status;
  std::fclose(input);
  if (status == convert_status::write_failed) {
    csv.discard();
  } else if (!rows.kept() && !(rows.pass_on() && csv.commit())) {
    say(progress, messages::cannot_write, csv_path);
  }
  if (status == convert_status::read_failed) {
    say(progress, messages::cannot_read, log_path);
  } else if (status == convert_status::write_failed) {
    say(progress, messages::cannot_write, csv_path);
  } else {
    explain_an_empty_csv(result, log_path, progress);
  }
}

}  // namespace pluckrow
