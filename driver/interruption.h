// An interrupted run leaves nothing unfinished behind: the one file
// registered here (the CSV being written) is removed, or emptied, when the
// user stops the run, and the process then ends as the signal would have ended it, as git
// does with its lock files. Logs and finished CSVs are never touched.
#pragma once

namespace pluckrow {

// Takes over SIGINT, SIGTERM and SIGHUP (on Windows Ctrl-C, Ctrl-Break and
// closing the console), except those the caller's shell set to be ignored.
void take_over_interruptions();

// While one of these lives, an interruption waits: a file is made and
// registered, or put in place and forgotten, as one step.
class interruptions_held {
 public:
  interruptions_held();
  ~interruptions_held();
  interruptions_held(const interruptions_held&) = delete;
  interruptions_held& operator=(const interruptions_held&) = delete;
};

// Registers the file an interruption removes, or none (nullptr). `path`
// must stay valid while it is registered. A CSV written in place passes its
// open `descriptor` too: where its folder lets it not be removed, it is
// emptied, so that no cut row is left.
void remove_on_interruption(const char* path, int descriptor = -1);

}  // namespace pluckrow
