#include "driver/csv_target.h"

#include "driver/file_calls.h"

#ifdef _WIN32

#include <windows.h>

namespace pluckrow {
namespace {

// Whether the last part of `path` is longer than a file's name can be, 255
// UTF-16 units, which a lookup does not always tell.
bool longer_than_a_name(const std::string& path) {
  const std::string name = path.substr(file_calls::name_start(path));
  const int units =
      MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  return units > 255;
}

}  // namespace

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
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND || longer_than_a_name(csv_path)) {
    target.disposition = csv_disposition::refused;  // a name no file can have there
  }
  return target;
}

// A new file takes the folder's permissions, as Windows gives them.
void csv_target::keep_owner_and_bits(std::FILE*) const {}

std::FILE* csv_target::open_in_place(const opened_file& log) {
  return log.is_named_by(path) ? nullptr : file_calls::open_existing_emptied(path.c_str());
}

}  // namespace pluckrow

#else

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

namespace pluckrow {

folder_descriptor& folder_descriptor::operator=(folder_descriptor&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = other.release();
  }
  return *this;
}

folder_descriptor::~folder_descriptor() {
  if (descriptor_ >= 0) close(descriptor_);
}

namespace {

// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int max_links = 40;

#ifdef O_PATH
constexpr int folder_flags = O_PATH | O_DIRECTORY | O_CLOEXEC;  // no read permission needed
#else
constexpr int folder_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Opens the folder of `path`, read from the folder open as `from` where it
// is relative, and sets `name` to the last part of `path`.
folder_descriptor open_folder_of(int from, const std::string& path, std::string& name) {
  const std::size_t start = file_calls::name_start(path);
  name = path.substr(start);
  const std::string folder = start == 0 ? "." : start == 1 ? "/" : path.substr(0, start - 1);
  return folder_descriptor(openat(from, folder.c_str(), folder_flags));
}

const uid_t this_user = geteuid();

// Whether a link or file owned by `owner` in the open `folder` is one that
// this user may trust: the kernel's rule for sticky world-writable folders.
bool trusted(const folder_descriptor& folder, uid_t owner) {
  if (owner == this_user) return true;
  struct stat status;
  if (fstat(folder.get(), &status) != 0) return false;
  const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
  return !shared || status.st_uid == owner;
}

// Whether the guards let this user write the file of `status` in `folder`.
bool guarded(const folder_descriptor& folder, const struct stat& status) {
  return (S_ISREG(status.st_mode) || S_ISFIFO(status.st_mode)) && !trusted(folder, status.st_uid);
}

// The file the name leads to, link by link, each read from its folder held
// open: sets `target.earlier` to its status and returns true where it is
// there; sets `refused` where a guard forbids it.
bool follow_links(csv_target& target, bool& refused) {
  struct stat& status = target.earlier;
  // Most names lead straight to a file of this user's, or to none: looked up
  // by the path alone, as a batch of small logs feels every call.
  if (fstatat(AT_FDCWD, target.path.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return false;
  } else if (!S_ISLNK(status.st_mode) && status.st_uid == this_user) {
    return true;
  }
  target.folder = open_folder_of(AT_FDCWD, target.path, target.name);
  for (int links = 0; links <= max_links; ++links) {
    // A folder that cannot be reached holds no file: it cannot be made either.
    if (target.folder.get() < 0) return false;
    if (fstatat(target.folder.get(), target.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) return false;  // a new file
      break;                              // a name no file can have
    }
    if (!S_ISLNK(status.st_mode)) {
      refused = guarded(target.folder, status);
      return true;
    }
    char next[PATH_MAX];
    const ssize_t size = readlinkat(target.folder.get(), target.name.c_str(), next, sizeof next);
    if (!trusted(target.folder, status.st_uid) || size <= 0 ||
        static_cast<std::size_t>(size) == sizeof next) {
      break;
    }
    // A relative link is read from the link's own folder: its descriptor,
    // and in the path that names the same file for the temporary beside it.
    const std::string link(next, static_cast<std::size_t>(size));
    if (link[0] == '/') {
      target.path = link;
    } else {
      target.path.replace(file_calls::name_start(target.path), std::string::npos, link);
    }
    target.folder = open_folder_of(target.folder.get(), link, target.name);
  }
  refused = true;
  return true;
}

}  // namespace

csv_target find_csv_target(const std::string& csv_path, const opened_file& log) {
  csv_target target{csv_path};
  bool refused = csv_path.size() >= PATH_MAX;  // a name that no call takes
  if (!refused && !follow_links(target, refused)) return target;
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

std::FILE* csv_target::open_in_place(const opened_file& log) {
  if (folder.get() < 0) folder = open_folder_of(AT_FDCWD, path, name);
  // No O_CREAT: a file made here would be in a folder that takes none.
  const int descriptor =
      openat(folder.get(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  struct stat status;
  const bool allowed = fstat(descriptor, &status) == 0 && !guarded(folder, status) &&
                       !log.is(status) &&
                       (!S_ISREG(status.st_mode) || ftruncate(descriptor, 0) == 0);
  std::FILE* const file = allowed ? fdopen(descriptor, "w") : nullptr;
  if (file == nullptr) close(descriptor);
  return file;
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
