// An interrupted run leaves no CSV that looks finished: as gzip and zstd do
// with their unfinished output, the CSV being written is removed when the
// user stops the run, and the process then ends as the signal would have
// ended it. Logs and the CSVs finished before are left as they are.
#pragma once

#include <cstdio>

namespace pluckrow {

// Takes over SIGINT, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break and
// closing the console), except those the caller's shell set to be ignored.
void remove_unfinished_csv_on_interruption();

// Creates `path`, or empties it, for rows written unbuffered (each block of
// whole rows in one write), and marks it as the CSV being written until
// `csv_finished`. Returns nullptr, marking nothing, when it cannot be
// created. `path` must stay valid until `csv_finished`.
std::FILE* create_csv(const char* path);

// Every row of the CSV being written is in the file: an interruption from
// now on leaves it.
void csv_finished();

}  // namespace pluckrow
