// A status line on a terminal while a long run goes on: how many logs are
// done of all, the log being read, its share read where its size is known,
// and MB/s. Drawn only where standard error is a terminal, once the run has
// lasted a second, at most ten times a second, and erased before every
// message and at the end, so that the terminal ends as it would without it.
// Scripts and CI, whose standard error is no terminal, never see it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "conversion/text/byte_source.h"

namespace pluckrow {

class progress_line final : public read_observer {
 public:
  using clock = std::function<std::chrono::steady_clock::duration()>;

  // Draws on `terminal`, `width` columns wide, for a run of `logs` logs,
  // reading the time from `now`; a null `terminal` draws nothing.
  progress_line(std::FILE* terminal, std::size_t width, int logs, clock now);
  // On standard error where it is a terminal, else nowhere.
  static progress_line on_standard_error(int logs);

  // Whether anything can be drawn: where not, nothing is measured.
  bool drawing() const { return terminal_ != nullptr; }

  // The next log of the run begins.
  void start_log(const char* name);
  // Its size, from the opened log: a file's, unknown for a FIFO or device.
  void measure(std::FILE* log);
  void bytes_read(std::size_t count) override;
  // Takes the line off the terminal: before a message, and at the end.
  void erase();

 private:
  void update();

  std::FILE* terminal_;
  std::size_t width_;
  int logs_;
  clock now_;
  std::chrono::steady_clock::duration started_;
  std::chrono::steady_clock::duration drawn_at_{};
  std::size_t drawn_length_ = 0;  // 0: nothing on the terminal
  int done_ = -1;                 // logs finished before the current one
  const char* name_ = "";
  std::uintmax_t size_ = 0;  // 0: unknown
  std::uintmax_t log_bytes_ = 0;
  std::uintmax_t run_bytes_ = 0;
};

}  // namespace pluckrow
