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
// is trusted, as the kernel trusts it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

struct csv_target {
  std::string path;  // the file the CSV's name leads to
  csv_disposition disposition = csv_disposition::made;
  std::uintmax_t earlier_size = 0;  // of a file `replaced`

  // Gives the replacement of a file `replaced` that file's owner, where it
  // can, and permission bits.
  void keep_owner_and_bits(std::FILE* replacement) const;

#ifndef _WIN32
  struct stat earlier {};
#endif
};

// What the name `csv_path` leads to, for rows converted from `log`.
csv_target find_csv_target(const std::string& csv_path, const opened_file& log);

}  // namespace pluckrow
