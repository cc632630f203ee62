#include "driver/csv_output.h"

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "driver/csv_target.h"
#include "driver/interruption.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pluckrow {
namespace {

// What stands after the CSV's name in its temporary's; the X are made unique.
constexpr char temporary_suffix[] = ".pluckrow-XXXXXX.tmp";
constexpr std::size_t unique_part = 6;
constexpr std::size_t after_unique_part = 4;  // ".tmp"

// The largest earlier CSV compared with the new rows before a file is made:
// the row writer's block, so that one block tells whether the rows differ.
constexpr std::uintmax_t max_compared_size = row_block_bytes;

#ifdef _WIN32

// Opens `path` for writing, shared for deletion, so that an interruption
// can remove the file while it is open.
std::FILE* open_for_rows(const char* path, DWORD disposition) {
  const HANDLE file =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::FILE* create_new(const char* path, bool& exists) {
  std::FILE* const file = open_for_rows(path, CREATE_NEW);
  exists = file == nullptr && GetLastError() == ERROR_FILE_EXISTS;
  return file;
}

std::uint64_t process_id() { return GetCurrentProcessId(); }

bool remove_file(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

#else

// Creates `path` for writing, never over an existing file ("x"), closed on
// exec ("e"), with what the user's umask leaves of rw-rw-rw-; sets `exists`
// when a file of that name is there.
std::FILE* create_new(const char* path, bool& exists) {
  std::FILE* const file = std::fopen(path, "wxe");
  exists = file == nullptr && errno == EEXIST;
  return file;
}

std::uint64_t process_id() { return static_cast<std::uint64_t>(getpid()); }

bool remove_file(const std::string& path) { return unlink(path.c_str()) == 0; }

#endif

// Fills the X of `name` and creates it, never over an existing file.
std::FILE* create_exclusively(std::string& name) {
  static std::uint64_t seed =
      process_id() << 32 ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::size_t unique_start = name.size() - after_unique_part - unique_part;
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;  // Knuth's LCG
    for (std::size_t i = 0; i < unique_part; ++i) {
      name[unique_start + i] = "0123456789abcdefghijklmnopqrstuvwxyz"[(seed >> (6 * i + 16)) % 36];
    }
    bool exists = false;
    if (std::FILE* const file = create_new(name.c_str(), exists)) return file;
    if (!exists) return nullptr;
  }
  return nullptr;
}

}  // namespace

bool csv_output::open(const std::string& csv_path, const opened_file& log) {
  target_ = csv_path;
#ifdef _WIN32
  if (log.is_named_by(target_)) return false;
  WIN32_FILE_ATTRIBUTE_DATA existing;
  if (GetFileAttributesExA(target_.c_str(), GetFileExInfoStandard, &existing) == 0) {
    return make_file();
  }
  // Neither a read-only CSV nor a folder of that name is replaced: neither
  // could be overwritten.
  if ((existing.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  earlier_size_ = std::uintmax_t{existing.nFileSizeHigh} << 32 | existing.nFileSizeLow;
#else
  const csv_target found = find_csv_target(csv_path);
  if (found.refused) return false;
  target_ = found.path;
  if (!found.exists) return make_file();
  earlier_ = found.status;
  if (log.is(earlier_)) return false;
  earlier_found_ = true;
  // A device or FIFO the name leads to is written, never removed.
  if (!S_ISREG(earlier_.st_mode)) return open_in_place(false);
  // A CSV its owner made read-only is not replaced, as it would not be
  // overwritten.
  if (access(target_.c_str(), W_OK) != 0) return open_in_place(true);
  earlier_size_ = static_cast<std::uintmax_t>(earlier_.st_size);
#endif
  unmade_ = earlier_size_ <= max_compared_size;
  return unmade_ || make_file();
}

bool csv_output::make_file() {
  unmade_ = false;
  if (!open_temporary()) return open_in_place(true);
#ifndef _WIN32
  if (!earlier_found_) return true;
  const int descriptor = fileno(stream_);
  // Where the owner cannot be kept (another user's CSV that this user may
  // write), the new CSV is this user's, with the same bits.
  [[maybe_unused]] const int owner_kept = fchown(descriptor, earlier_.st_uid, earlier_.st_gid);
  fchmod(descriptor, earlier_.st_mode & 07777);
#endif
  return true;
}

bool csv_output::write(const char* bytes, std::size_t size) {
  if (unmade_) {
    // One block of the earlier CSV's size may be all the rows, and the same.
    if (held_.empty() && size == earlier_size_) {
      held_.assign(bytes, size);
      return true;
    }
    if (!write_held()) return false;
  }
  // An interruption waits for a block written in place, so that it empties
  // the file after the block's last byte, never before it.
  std::optional<interruptions_held> held;
  if (removable_in_place_) held.emplace();
  return std::fwrite(bytes, 1, size, stream_) == size;
}

bool csv_output::write_held() {
  const bool written =
      make_file() && std::fwrite(held_.data(), 1, held_.size(), stream_) == held_.size();
  held_.clear();
  return written;
}

bool csv_output::earlier_kept() {
  std::FILE* const earlier = std::fopen(target_.c_str(), "rb");
  if (earlier == nullptr) return false;
  std::setvbuf(earlier, nullptr, _IONBF, 0);
  std::string bytes(held_.size() + 1, '\0');  // one more, to see that it ends there
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), earlier);
  const bool same = std::ferror(earlier) == 0 && got == held_.size() &&
                    std::memcmp(bytes.data(), held_.data(), got) == 0;
  std::fclose(earlier);
  std::error_code error;
  if (same) {
    std::filesystem::last_write_time(target_, std::filesystem::file_time_type::clock::now(), error);
  }
  return same && !error;
}

bool csv_output::open_temporary() {
  std::string name = target_ + temporary_suffix;
  const interruptions_held held;
  stream_ = create_exclusively(name);
  if (stream_ == nullptr) return false;
  std::setvbuf(stream_, nullptr, _IONBF, 0);
  temporary_ = std::move(name);
  remove_on_interruption(temporary_.c_str());
  return true;
}

bool csv_output::open_in_place(bool removable) {
  const interruptions_held held;
#ifdef _WIN32
  stream_ = open_for_rows(target_.c_str(), CREATE_ALWAYS);
#else
  stream_ = std::fopen(target_.c_str(), "we");
#endif
  if (stream_ == nullptr) return false;
  std::setvbuf(stream_, nullptr, _IONBF, 0);
  if (removable) remove_on_interruption(target_.c_str(), fileno(stream_));
  removable_in_place_ = removable;
  return true;
}

bool csv_output::commit() {
  if (unmade_) {
    if (earlier_kept()) {
      unmade_ = false;
      return true;
    }
    if (!write_held()) {
      discard();
      return false;
    }
  }
  if (stream_ == nullptr) return false;
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  const interruptions_held held;
  remove_on_interruption(nullptr);
  if (temporary_.empty()) return closed;
#ifdef _WIN32
  const bool replaced =
      closed && MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  const bool replaced = closed && std::rename(temporary_.c_str(), target_.c_str()) == 0;
#endif
  if (!replaced) remove_file(temporary_);
  temporary_.clear();
  return replaced;
}

void csv_output::discard() {
  unmade_ = false;
  if (stream_ == nullptr) return;
  std::fclose(stream_);
  stream_ = nullptr;
  const interruptions_held held;
  remove_on_interruption(nullptr);
  if (!temporary_.empty()) remove_file(temporary_);
  temporary_.clear();
}

}  // namespace pluckrow
