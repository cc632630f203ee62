#include "driver/csv_target.h"

#ifndef _WIN32

#include <limits.h>
#include <unistd.h>

namespace pluckrow {
namespace {

// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int max_links = 40;

std::string folder_of(const std::string& path) {
  const std::size_t separator = path.rfind('/');
  if (separator == std::string::npos) return ".";
  return separator == 0 ? "/" : path.substr(0, separator);
}

// Whether a link or file owned by `owner` in the folder of `path` is one
// that this user may trust: the kernel's rule for sticky world-writable
// folders. The folder is looked up only for another user's entry.
bool trusted(const std::string& path, uid_t owner) {
  static const uid_t user = geteuid();  // looked up once, not per log
  if (owner == user) return true;
  struct stat folder;
  if (stat(folder_of(path).c_str(), &folder) != 0) return false;
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  return !shared || folder.st_uid == owner;
}

}  // namespace

csv_target find_csv_target(const std::string& csv_path) {
  csv_target target{csv_path};
  for (int links = 0; links <= max_links; ++links) {
    if (lstat(target.path.c_str(), &target.status) != 0) return target;  // a new file
    if (!S_ISLNK(target.status.st_mode)) {
      target.exists = true;
      const bool guarded = S_ISREG(target.status.st_mode) || S_ISFIFO(target.status.st_mode);
      target.refused = guarded && !trusted(target.path, target.status.st_uid);
      return target;
    }
    char next[PATH_MAX];
    const ssize_t size = readlink(target.path.c_str(), next, sizeof next);
    if (!trusted(target.path, target.status.st_uid) || size <= 0 ||
        static_cast<std::size_t>(size) == sizeof next) {
      break;
    }
    // A relative link is read from the link's own folder.
    std::string followed(next, static_cast<std::size_t>(size));
    const std::size_t separator = target.path.rfind('/');
    if (followed[0] != '/' && separator != std::string::npos) {
      followed.insert(0, target.path, 0, separator + 1);
    }
    target.path = std::move(followed);
  }
  target.refused = true;
  return target;
}

}  // namespace pluckrow

#endif
