// pluckrow: converts each candump log named on the command line into a CSV
// file beside it. Every argument is a path, whatever it begins with.
#include <csignal>
#include <cstdio>

#include "conversion/log_line.h"
#include "driver/convert_file.h"
#include "driver/interruption.h"
#include "driver/messages.h"
#include "driver/progress.h"

#ifdef __MINGW32__
// MinGW's start-up would otherwise expand wildcards in the arguments.
extern "C" {
int _dowildcard = 0;
}
#endif

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(pluckrow::messages::usage, stderr);
    return pluckrow::messages::exit_usage;
  }
  pluckrow::take_over_interruptions();
#ifndef _WIN32
  // A CSV that cannot take its rows (a FIFO whose reader has left, a file
  // over the size limit) fails its writes, reported, and the run goes on.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  // One record for the whole run: fields a line does not assign keep the
  // values of earlier lines, across files too.
  pluckrow::frame_record record{};
  pluckrow::progress_line progress = pluckrow::progress_line::on_standard_error(argc - 1);
  for (int i = 1; i < argc; ++i) pluckrow::convert_file(argv[i], record, progress);
  progress.erase();
  return pluckrow::messages::exit_done;
}
