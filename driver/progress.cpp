#include "driver/progress.h"

#include <algorithm>
#include <string_view>

#include "driver/messages.h"

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pluckrow {
namespace {

using namespace std::chrono_literals;

constexpr auto quiet_start = 1s;      // a run shorter than this draws nothing
constexpr auto redraw_every = 100ms;  // at most ten times a second
constexpr std::size_t default_width = 80;

std::chrono::steady_clock::duration steady_now() {
  return std::chrono::steady_clock::now().time_since_epoch();
}

}  // namespace

progress_line::progress_line(std::FILE* terminal, std::size_t width, int logs, clock now)
    : terminal_(terminal), width_(width), logs_(logs), now_(std::move(now)), started_(now_()) {}

progress_line progress_line::on_standard_error(int logs) {
  std::size_t width = default_width;
#ifdef _WIN32
  // _isatty holds for the NUL device too; only a console has a mode.
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  const bool terminal = GetConsoleMode(error, &mode) != 0;
  CONSOLE_SCREEN_BUFFER_INFO screen;
  if (terminal && GetConsoleScreenBufferInfo(error, &screen) != 0) {
    width = static_cast<std::size_t>(screen.srWindow.Right - screen.srWindow.Left + 1);
  }
#else
  const bool terminal = isatty(STDERR_FILENO) == 1;
  winsize size{};
  if (terminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
    width = size.ws_col;
  }
#endif
  return progress_line(terminal ? stderr : nullptr, width, logs, steady_now);
}

void progress_line::start_log(const char* name) {
  ++done_;
  name_ = name;
  size_ = 0;
  log_bytes_ = 0;
  if (drawing()) update();
}

void progress_line::measure(std::FILE* log) {
  if (!drawing()) return;
#ifdef _WIN32
  struct _stat64 status;
  const bool known = _fstat64(_fileno(log), &status) == 0 && (status.st_mode & _S_IFREG) != 0;
#else
  struct stat status;
  const bool known = fstat(fileno(log), &status) == 0 && S_ISREG(status.st_mode);
#endif
  size_ = known ? static_cast<std::uintmax_t>(status.st_size) : 0;
}

void progress_line::bytes_read(std::size_t count) {
  log_bytes_ += count;
  run_bytes_ += count;
  update();
}

void progress_line::update() {
  const auto now = now_();
  if (now - started_ < quiet_start || (drawn_length_ > 0 && now - drawn_at_ < redraw_every)) {
    return;
  }
  drawn_at_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  char counts[64];
  char share[8] = "";
  if (size_ > 0) {
    std::snprintf(share, sizeof share, " %d%%",
                  static_cast<int>(std::min<std::uintmax_t>(100, log_bytes_ * 100 / size_)));
  }
  std::snprintf(counts, sizeof counts, "%d/%d logs  ", done_, logs_);
  char speed[32];
  std::snprintf(speed, sizeof speed, "%s  %.0f MB/s", share,
                static_cast<double>(run_bytes_) / seconds / 1e6);
  // The log's name gives way, from its start, to keep the line within the
  // terminal's width: a wrapped line could not be redrawn in place.
  const std::size_t room = width_ > 1 ? width_ - 1 : 1;
  const std::size_t fixed = std::string_view(counts).size() + std::string_view(speed).size();
  std::string line = counts;
  const std::string name = messages::printable(name_);
  if (fixed + name.size() <= room) {
    line += name;
  } else if (fixed + 3 < room) {
    line += "...";
    line += name.substr(name.size() - (room - fixed - 3));
  }
  line += speed;
  if (line.size() > room) line.resize(room);
  const std::size_t visible = line.size();
  if (visible < drawn_length_) line.append(drawn_length_ - visible, ' ');
  line.insert(0, 1, '\r');
  std::fwrite(line.data(), 1, line.size(), terminal_);
  drawn_length_ = std::max(visible, drawn_length_);
}

void progress_line::erase() {
  if (drawn_length_ == 0) return;
  const std::string blank = "\r" + std::string(drawn_length_, ' ') + "\r";
  std::fwrite(blank.data(), 1, blank.size(), terminal_);
  drawn_length_ = 0;
}

}  // namespace pluckrow
