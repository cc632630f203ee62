#include "driver/opened_file.h"

#ifdef _WIN32

#include <filesystem>
#include <system_error>

namespace pluckrow {

opened_file::opened_file(std::FILE*, const char* path) : path_(path) {}

bool opened_file::is_directory() const { return false; }

bool opened_file::is_named_by(const std::string& other_path) const {
  std::error_code error;
  return std::filesystem::equivalent(path_, other_path, error) && !error;
}

}  // namespace pluckrow

#else

namespace pluckrow {

// One fstat of the open descriptor answers for the file itself.
opened_file::opened_file(std::FILE* file, const char*)
    : known_(fstat(fileno(file), &status_) == 0) {}

bool opened_file::is_directory() const { return known_ && S_ISDIR(status_.st_mode); }

bool opened_file::is(const struct stat& other) const {
  return known_ && other.st_dev == status_.st_dev && other.st_ino == status_.st_ino;
}

}  // namespace pluckrow

#endif
