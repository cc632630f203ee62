// What a CSV's name leads to, and what becomes of the file there: made,
// replaced, written in place or refused, decided once, before any row.
//
// A symbolic link at the name stays one: the file it leads to gets the rows.
// In a shared folder (sticky and world-writable, as /tmp is) the program
// applies the kernel's guards itself, whatever the machine's settings, since
// it replaces the file by rename and so never opens it through the link:
// another user's link there is not followed (protected_symlinks), and
// another user's file or FIFO there is neither replaced nor written
// (protected_regular, protected_fifos). A link or file of the folder's owner
// is trusted, as the kernel trusts it. Links are followed one folder at a
// time, each held open, so that the file written in place is the one the
// guards were checked on: a link planted at its name after the lookup is
// not followed, and another user's file there is not emptied.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "driver/opened_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace pluckrow {

enum class csv_disposition {
  made,              // nothing there: the rows make the file
  replaced,          // a regular file: replaced whole, or kept if the rows are the same
  written_in_place,  // a file this user may write but not replace (read-only, as root)
  written_kept,      // a device or FIFO: written, never removed
  refused,           // the log itself, a guarded link or file, a read-only CSV or a
                     // folder on Windows
};

#ifndef _WIN32
// A folder held open, closed with it.
class folder_descriptor {
 public:
  folder_descriptor() = default;
  explicit folder_descriptor(int descriptor) : descriptor_(descriptor) {}
  folder_descriptor(folder_descriptor&& other) noexcept : descriptor_(other.release()) {}
  folder_descriptor& operator=(folder_descriptor&& other) noexcept;
  ~folder_descriptor();
  int get() const { return descriptor_; }
  int release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_ = -1;
};
#endif

struct csv_target {
  std::string path;  // the file the CSV's name leads to
  csv_disposition disposition = csv_disposition::made;
  std::uintmax_t earlier_size = 0;  // of a file `replaced`

  // Gives the replacement of a file `replaced` that file's owner, where it
  // can, and permission bits.
  void keep_owner_and_bits(std::FILE* replacement) const;

  // Opens the file there for writing, never creating one: the guards and
  // the log's own identity checked on the file opened, not on a name. An
  // earlier regular file is emptied. nullptr where it is gone or refused.
  std::FILE* open_in_place(const opened_file& log);

#ifndef _WIN32
  struct stat earlier {};
  // The folder `path` ends in, open once a link is followed through it,
  // another user's file judged in it, or the file opened in place; and the
  // file's name in it.
  folder_descriptor folder{};
  std::string name{};
#endif
};

// What the name `csv_path` leads to, for rows converted from `log`.
csv_target find_csv_target(const std::string& csv_path, const opened_file& log);

}  // namespace pluckrow
