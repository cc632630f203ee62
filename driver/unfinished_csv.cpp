#include "driver/unfinished_csv.h"

#include <atomic>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace pluckrow {
namespace {

// The CSV being written, and whether one is being created: a signal handler
// reads both, so they are lock-free atomics.
std::atomic<const char*> unfinished{nullptr};
std::atomic<bool> creating{false};
static_assert(std::atomic<const char*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

#ifdef _WIN32

namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own while the conversion goes on.
BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  interrupted.store(true);
  while (creating.load()) Sleep(1);
  // Shared for deletion, the file goes when the process closes it.
  if (const char* const path = unfinished.exchange(nullptr)) DeleteFileA(path);
  return FALSE;  // the default handler ends the process
}

// As fopen(path, "wb"), but shared for deletion, so that the handler can
// remove the file while it is open.
std::FILE* open_for_rows(const char* path) {
  const HANDLE file =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(file);
    return nullptr;
  }
  std::FILE* const stream = _fdopen(descriptor, "wb");
  if (stream == nullptr) _close(descriptor);
  return stream;
}

}  // namespace

void remove_unfinished_csv_on_interruption() { SetConsoleCtrlHandler(on_console_event, TRUE); }

std::FILE* create_csv(const char* path) {
  creating.store(true);
  if (interrupted.load()) {
    // The handler is ending the process: create nothing more.
    creating.store(false);
    Sleep(INFINITE);
  }
  std::FILE* const csv = open_for_rows(path);
  if (csv != nullptr) {
    std::setvbuf(csv, nullptr, _IONBF, 0);
    unfinished.store(path);
  }
  creating.store(false);
  return csv;
}

#else

namespace {

std::atomic<int> deferred_signal{0};

void remove_and_end(int signal_number) {
  if (const char* const path = unfinished.exchange(nullptr)) unlink(path);
  signal(signal_number, SIG_DFL);
  raise(signal_number);  // in a handler, delivered as it returns
}

void on_signal(int signal_number) {
  // A CSV that is being created may not be marked yet: `create_csv` acts
  // on the signal once it is.
  if (creating.load()) {
    deferred_signal.store(signal_number);
    return;
  }
  remove_and_end(signal_number);
}

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

void remove_unfinished_csv_on_interruption() {
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  for (const int signal_number : stopping_signals) sigaddset(&action.sa_mask, signal_number);
  for (const int signal_number : stopping_signals) {
    struct sigaction previous {};
    // nohup and background jobs ignore some of them: they stay ignored.
    if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
      sigaction(signal_number, &action, nullptr);
    }
  }
}

std::FILE* create_csv(const char* path) {
  creating.store(true);
  std::FILE* const csv = std::fopen(path, "w");
  if (csv != nullptr) {
    std::setvbuf(csv, nullptr, _IONBF, 0);
    unfinished.store(path);
  }
  creating.store(false);
  if (const int signal_number = deferred_signal.load()) remove_and_end(signal_number);
  return csv;
}

#endif

void csv_finished() { unfinished.store(nullptr); }

}  // namespace pluckrow
