#include "conversion/text/mapped_file.h"

#include <atomic>

#ifndef _WIN32
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#endif

namespace pluckrow {

#ifndef _WIN32
namespace {

// The window the fault handler may mend: set once it is mapped and before
// its bytes are read, replaced when the next one is; and where its zeros
// begin, once it has some.
std::atomic<char*> active_base{nullptr};
std::atomic<std::size_t> active_length{0};
std::atomic<std::uint64_t> active_offset{0};
std::atomic<int> active_descriptor{-1};
std::atomic<std::uintptr_t> zeros_from{0};
// Whether a page of the active window was lost.
std::atomic<bool> page_lost{false};

std::uintptr_t page_bytes;
struct sigaction earlier_action;

// A fault while a window is read means that its file lost pages: cut short
// while mapped, from the page after its new end on, or, rarely, a page that
// could not be read, the one the fault names. (Not every emulator names the
// page right, so the file's size is asked too.) Those pages of the window
// are replaced by zeros, which the retried access then reads. A fault that
// neither explains is raised again, by the retried access, under the action
// there was before. fstat and mmap are system calls, safe in a handler.
void on_bus_error(int, siginfo_t* info, void*) {
  const auto base = reinterpret_cast<std::uintptr_t>(active_base.load());
  const std::uintptr_t length = active_length.load();
  const auto fault = reinterpret_cast<std::uintptr_t>(info->si_addr);
  std::uintptr_t lost = zeros_from.load();
  if (base != 0 && fault >= base && fault - base < length) {
    lost = std::min(lost, fault - (fault - base) % page_bytes);
  }
  struct stat status;
  const std::uint64_t offset = active_offset.load();
  if (base != 0 && fstat(active_descriptor.load(), &status) == 0) {
    const auto size = static_cast<std::uint64_t>(std::max<off_t>(status.st_size, 0));
    const std::uint64_t held = size > offset ? size - offset : 0;
    if (held < length)
      lost = std::min(lost, base + (held + page_bytes - 1) / page_bytes * page_bytes);
  }
  if (base == 0 || lost >= zeros_from.load() ||
      mmap(reinterpret_cast<void*>(lost), base + length - lost, PROT_READ,
           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == MAP_FAILED) {
    sigaction(SIGBUS, &earlier_action, nullptr);
    return;
  }
  zeros_from.store(lost);
  page_lost.store(true);
}

bool handler_installed() {
  static const bool installed = [] {
    page_bytes = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = on_bus_error;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &earlier_action) == 0;
  }();
  return installed;
}

}  // namespace

// Under a hypervisor that shadows the page tables, each page of the page
// cache that a process maps costs an exit of a microsecond or more: on one
// AMD host ten times what the kernel takes to copy the page into a block in
// use, which made reading in place twice as slow, where on an Intel host it
// was a quarter faster. So the start of the first log about to be mapped
// is timed both ways, once a process: mapped with each page touched, as every window's
// pages are new, against the same bytes read a second time into a block, as
// the line reader reuses its own. It is mapped first, so that a log not yet
// in the page cache counts against mapping.
bool mapped_file::mapping_pays(int descriptor) {
  static const bool pays = [descriptor] {
    constexpr std::size_t timed_bytes = std::size_t{256} << 10;
    constexpr std::size_t block_bytes = std::size_t{128} << 10;
    using clock = std::chrono::steady_clock;
    const clock::time_point start = clock::now();
    const std::unique_ptr<mapped_file> file = open(descriptor, 0, 0, timed_bytes, nullptr);
    if (file == nullptr) return false;
    const std::string_view mapped = file->first();
    for (std::size_t at = 0; at < mapped.size(); at += page_bytes) {
      static_cast<void>(static_cast<const volatile char*>(mapped.data())[at]);
    }
    const clock::duration mapping = clock::now() - start;
    const std::unique_ptr<char[]> block(new char[block_bytes]);
    const auto copy = [&] {
      for (std::size_t at = 0; at < mapped.size(); at += block_bytes) {
        const std::size_t length = std::min(block_bytes, mapped.size() - at);
        if (pread(descriptor, block.get(), length, static_cast<off_t>(at)) <= 0) return false;
      }
      return true;
    };
    if (!copy()) return false;
    const clock::time_point copied_from = clock::now();
    return copy() && mapping < clock::now() - copied_from;
  }();
  return pays;
}

std::unique_ptr<mapped_file> mapped_file::open(int descriptor, std::uint64_t offset,
                                               std::uint64_t told, std::size_t window,
                                               read_observer* observer) {
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::uint64_t>(status.st_size) <= offset || !handler_installed()) {
    return nullptr;
  }
  if (window == where_mapping_pays) {
    if (!mapping_pays(descriptor)) return nullptr;
    window = window_bytes;
  }
  const std::size_t pages = std::max<std::size_t>(2, (window + page_bytes - 1) / page_bytes);
  std::unique_ptr<mapped_file> file(new mapped_file(descriptor, pages * page_bytes, observer));
  page_lost.store(false);
  file->size_ = static_cast<std::uint64_t>(status.st_size);
  file->told_ = told;
  if (!file->map_window(offset, file->size_)) return nullptr;
  file->start_ = file->base_ + (offset - file->base_offset_);
  return file;
}

mapped_file::~mapped_file() {
  active_base.store(nullptr);
  munmap(base_, length_);
}

bool mapped_file::failed() const { return failed_ || page_lost.load(); }

bool mapped_file::holds(const char* line_end) const {
  struct stat status;
  return !failed() && fstat(descriptor_, &status) == 0 &&
         static_cast<std::uint64_t>(status.st_size) >=
             base_offset_ + static_cast<std::uint64_t>(line_end - base_);
}

bool mapped_file::map_window(std::uint64_t from, std::uint64_t size) {
  const std::uint64_t offset = from - from % page_bytes;
  const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(size - offset, window_));
  void* const mapped =
      mmap(nullptr, length, PROT_READ, MAP_PRIVATE, descriptor_, static_cast<off_t>(offset));
  if (mapped == MAP_FAILED) return false;
  active_base.store(nullptr);
  active_length.store(length);
  active_offset.store(offset);
  active_descriptor.store(descriptor_);
  zeros_from.store(reinterpret_cast<std::uintptr_t>(mapped) + length);
  active_base.store(static_cast<char*>(mapped));
  if (base_ != nullptr) munmap(base_, length_);
  base_ = static_cast<char*>(mapped);
  length_ = length;
  base_offset_ = offset;
  ended_ = offset + length == size;
  if (observer_ != nullptr && offset + length > told_) {
    observer_->bytes_read(static_cast<std::size_t>(offset + length - told_));
    told_ = offset + length;
  }
  return true;
}

std::string_view mapped_file::next(std::size_t kept) {
  const std::uint64_t from = base_offset_ + length_ - kept;
  const std::string_view kept_bytes(base_ + length_ - kept, kept);
  struct stat status;
  if (failed() || fstat(descriptor_, &status) != 0 ||
      static_cast<std::uint64_t>(status.st_size) < size_) {
    failed_ = true;  // cut short: what was read of it may be gone too
    return kept_bytes;
  }
  size_ = static_cast<std::uint64_t>(status.st_size);
  if (size_ == from) {
    ended_ = true;
    return kept_bytes;
  }
  if (!map_window(from, size_)) {
    failed_ = true;
    return kept_bytes;
  }
  return {base_ + (from - base_offset_), length_ - static_cast<std::size_t>(from - base_offset_)};
}

#else

std::unique_ptr<mapped_file> mapped_file::open(int, std::uint64_t, std::uint64_t, std::size_t,
                                               read_observer*) {
  return nullptr;
}
mapped_file::~mapped_file() = default;
bool mapped_file::map_window(std::uint64_t, std::uint64_t) { return false; }
bool mapped_file::failed() const { return true; }
bool mapped_file::holds(const char*) const { return false; }
std::string_view mapped_file::next(std::size_t) { return {}; }

#endif

}  // namespace pluckrow
