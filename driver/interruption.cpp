#include "driver/interruption.h"

#include <atomic>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace pluckrow {
namespace {

// Read by a signal handler (on Windows, by a handler thread): lock-free.
std::atomic<const char*> registered{nullptr};
std::atomic<int> registered_descriptor{-1};
static_assert(std::atomic<const char*>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void remove_on_interruption(const char* path, int descriptor) {
  registered_descriptor.store(descriptor);
  registered.store(path);
}

#ifdef _WIN32

namespace {

std::atomic<bool> interrupted{false};
std::atomic<bool> held{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// Runs on a thread of its own while the conversion goes on.
BOOL WINAPI on_console_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  interrupted.store(true);
  while (held.load()) Sleep(1);
  // Opened shared for deletion, the file goes when the process closes it.
  const char* const path = registered.exchange(nullptr);
  const int descriptor = registered_descriptor.load();
  if (path != nullptr && DeleteFileA(path) == 0 && descriptor >= 0) {
    const auto file = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    LARGE_INTEGER start{};
    if (SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) SetEndOfFile(file);
  }
  return FALSE;  // the default handler ends the process
}

}  // namespace

void take_over_interruptions() { SetConsoleCtrlHandler(on_console_event, TRUE); }

interruptions_held::interruptions_held() {
  held.store(true);
  if (interrupted.load()) {
    // The handler is ending the process: start nothing more.
    held.store(false);
    Sleep(INFINITE);
  }
}

interruptions_held::~interruptions_held() { held.store(false); }

#else

namespace {

constexpr int stopping_signals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t stopping_set() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : stopping_signals) sigaddset(&set, signal_number);
  return set;
}

std::atomic<bool> held{false};
std::atomic<int> deferred_signal{0};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

void remove_and_end(int signal_number) {
  const char* const path = registered.exchange(nullptr);
  const int descriptor = registered_descriptor.load();
  if (path != nullptr && unlink(path) != 0 && descriptor >= 0) {
    [[maybe_unused]] const int emptied = ftruncate(descriptor, 0);  // nothing more can be done
  }
  signal(signal_number, SIG_DFL);
  raise(signal_number);  // in a handler, delivered as it returns
}

// A signal that arrives while interruptions are held is acted on when they
// are released: no system call per file, which thousands of logs would feel.
void on_signal(int signal_number) {
  if (held.load()) {
    deferred_signal.store(signal_number);
    return;
  }
  remove_and_end(signal_number);
}

}  // namespace

void take_over_interruptions() {
  struct sigaction action {};
  action.sa_handler = on_signal;
  action.sa_mask = stopping_set();
  for (const int signal_number : stopping_signals) {
    struct sigaction previous {};
    // nohup and background jobs ignore some of them: they stay ignored.
    if (sigaction(signal_number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
      sigaction(signal_number, &action, nullptr);
    }
  }
}

interruptions_held::interruptions_held() { held.store(true); }

interruptions_held::~interruptions_held() {
  held.store(false);
  if (const int signal_number = deferred_signal.exchange(0)) remove_and_end(signal_number);
}

#endif

}  // namespace pluckrow
