// A file made beside another to take its place whole, as git's tempfile and
// lockfile are: created exclusively under a short unique name of its own in
// the other's folder (.pluckrow-XXXXXX.tmp, hidden from `pluckrow *`), so
// that it fits wherever the other's name does, and registered, so that an
// interruption removes it; then renamed over the other in one step, or
// removed. A killed process leaves at most the temporary, which can be
// deleted.
#pragma once

#include <cstdio>
#include <string>

namespace pluckrow {

class temp_file {
 public:
  temp_file() = default;
  temp_file(const temp_file&) = delete;
  temp_file& operator=(const temp_file&) = delete;
  ~temp_file() { remove(); }

  // Creates the temporary of `path`, unbuffered, and registers it. Returns
  // false, having made nothing, where its folder takes no new file.
  bool create(const std::string& path);

  std::FILE* stream() const { return stream_; }

  // Closes it and renames it over `path`. Returns false, having removed it,
  // when either fails.
  bool commit(const std::string& path);

  // Closes and removes it, if one was made.
  void remove();

 private:
  std::FILE* stream_ = nullptr;
  std::string name_;
};

}  // namespace pluckrow
