#include "driver/csv_target.h"

#ifdef _WIN32

#include <windows.h>

namespace pluckrow {

csv_target find_csv_target(const std::string& csv_path, const opened_file& log) {
  csv_target target{csv_path};
  WIN32_FILE_ATTRIBUTE_DATA existing;
  if (log.is_named_by(csv_path)) {
    target.disposition = csv_disposition::refused;
  } else if (GetFileAttributesExA(csv_path.c_str(), GetFileExInfoStandard, &existing) != 0) {
    // Neither a read-only CSV nor a folder of that name is replaced: neither
    // could be overwritten.
    const DWORD unwritable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;
    target.disposition = (existing.dwFileAttributes & unwritable) != 0 ? csv_disposition::refused
                                                                       : csv_disposition::replaced;
    target.earlier_size = std::uintmax_t{existing.nFileSizeHigh} << 32 | existing.nFileSizeLow;
  }
  return target;
}

// A new file takes the folder's permissions, as Windows gives them.
void csv_target::keep_owner_and_bits(std::FILE*) const {}

}  // namespace pluckrow

#else

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

// The file the name leads to, link by link: `status` is its, and false where
// nothing is there; sets `refused` where a guard forbids it.
bool follow_links(csv_target& target, bool& refused) {
  struct stat& status = target.earlier;
  for (int links = 0; links <= max_links; ++links) {
    if (lstat(target.path.c_str(), &status) != 0) return false;  // a new file
    if (!S_ISLNK(status.st_mode)) {
      const bool guarded = S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode);
      refused = guarded && !trusted(target.path, status.st_uid);
      return true;
    }
    char next[PATH_MAX];
    const ssize_t size = readlink(target.path.c_str(), next, sizeof next);
    if (!trusted(target.path, status.st_uid) || size <= 0 ||
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
  refused = true;
  return true;
}

}  // namespace

csv_target find_csv_target(const std::string& csv_path, const opened_file& log) {
  csv_target target{csv_path};
  bool refused = false;
  if (!follow_links(target, refused)) return target;
  const struct stat& earlier = target.earlier;
  if (refused || log.is(earlier)) {
    target.disposition = csv_disposition::refused;
  } else if (!S_ISREG(earlier.st_mode)) {
    target.disposition = csv_disposition::written_kept;
  } else if (access(target.path.c_str(), W_OK) != 0) {
    // A CSV its owner made read-only is not replaced, as it would not be
    // overwritten.
    target.disposition = csv_disposition::written_in_place;
  } else {
    target.disposition = csv_disposition::replaced;
    target.earlier_size = static_cast<std::uintmax_t>(earlier.st_size);
  }
  return target;
}

void csv_target::keep_owner_and_bits(std::FILE* replacement) const {
  const int descriptor = fileno(replacement);
  // Where the owner cannot be kept (another user's CSV that this user may
  // write), the new CSV is this user's, with the same bits.
  [[maybe_unused]] const int owner_kept = fchown(descriptor, earlier.st_uid, earlier.st_gid);
  fchmod(descriptor, earlier.st_mode & 07777);
}

}  // namespace pluckrow

#endif
