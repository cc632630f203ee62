#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "driver/file_calls.h"

namespace pluckrow::file_calls {
namespace {

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

}  // namespace

std::FILE* create_new(const char* path, bool& exists) {
  std::FILE* const file = open_for_rows(path, CREATE_NEW);
  exists = file == nullptr && GetLastError() == ERROR_FILE_EXISTS;
  return file;
}

std::FILE* open_existing_emptied(const char* path) {
  return open_for_rows(path, TRUNCATE_EXISTING);
}

bool empty(std::FILE* file) { return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0; }

std::size_t name_start(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\:");
  return separator == std::string::npos ? 0 : separator + 1;
}

bool replace(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

bool remove(const char* path) { return DeleteFileA(path) != 0; }

bool mark_written_now(const char* path) {
  const HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const bool set = SetFileTime(file, nullptr, nullptr, &now) != 0;
  CloseHandle(file);
  return set;
}

std::uint64_t process_id() { return GetCurrentProcessId(); }

}  // namespace pluckrow::file_calls
