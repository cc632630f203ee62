// What a CSV's name leads to, and whether this user may put rows there.
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

#ifndef _WIN32

#include <sys/stat.h>

#include <string>

namespace pluckrow {

struct csv_target {
  std::string path;      // the file the CSV's name leads to
  bool exists = false;   // whether `status` holds that file's
  bool refused = false;  // another user's link or file in a shared folder
  struct stat status {};
};

csv_target find_csv_target(const std::string& csv_path);

}  // namespace pluckrow

#endif
