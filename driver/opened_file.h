// What the file system says of an opened log: the two questions that decide
// whether it may be converted, answered with as few lookups as the platform
// allows (a batch of thousands of small logs feels each one).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace pluckrow {

class opened_file {
 public:
  opened_file(std::FILE* file, const char* path);

  // Linux opens a directory for reading and fails only at the first read;
  // the home platform refuses to open it at all.
  bool is_directory() const;

  // Whether `other_path` names this very file, through a hard or symbolic
  // link: creating it would empty the file.
#ifdef _WIN32
  bool is_named_by(const std::string& other_path) const;
#else
  // Asked with the status of the file that the name leads to, which the
  // caller has looked up anyway.
  bool is(const struct stat& other) const;
#endif

 private:
#ifdef _WIN32
  const char* path_;
#else
  bool known_;
  struct stat status_;
#endif
};

}  // namespace pluckrow
