#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "driver/file_calls.h"

namespace pluckrow::file_calls {

std::FILE* create_new(const char* path, bool& exists) {
  std::FILE* const file = std::fopen(path, "wxe");  // "x": never over a file; "e": O_CLOEXEC
  exists = file == nullptr && errno == EEXIST;
  return file;
}

bool empty(std::FILE* file) { return ftruncate(fileno(file), 0) == 0; }

std::size_t name_start(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  return separator == std::string::npos ? 0 : separator + 1;
}

bool replace(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool remove(const char* path) { return unlink(path) == 0; }

bool mark_written_now(const char* path) { return utimensat(AT_FDCWD, path, nullptr, 0) == 0; }

std::uint64_t process_id() { return static_cast<std::uint64_t>(getpid()); }

}  // namespace pluckrow::file_calls
