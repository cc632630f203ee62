// The work for one command-line argument: open its log, create its CSV
// beside it, convert, close, and report a skipped file.
#pragma once

#include "conversion/log_line.h"
#include "driver/progress.h"

namespace pluckrow {

// Converts the log at `log_path` into `log_path` + ".csv". Reports on
// standard error, in one line, a log that cannot be opened (a directory
// included) or read, and a CSV that cannot be created (the log itself
// included, through a link) or written.
// `progress` is told of the log and of the bytes read from it.
void convert_file(const char* log_path, frame_record& record, progress_line& progress);

}  // namespace pluckrow
