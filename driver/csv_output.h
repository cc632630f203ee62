// A CSV that is whole or absent. Rows go to a temporary file beside the
// CSV, created exclusively and named after it (trace.log.csv gives
// trace.log.csv.pluckrow-XXXXXX.tmp); once every row is written and the file
// is closed, it replaces the CSV in one step, as git commits a lock file. So
// the CSV's name shows, at every moment, the earlier file (or nothing) or
// the complete new one. An interruption removes the temporary; a killed
// process leaves at most the temporary, which can be deleted.
//
// A CSV name that is a symbolic link stays one: the file it leads to gets
// the rows. Where that file is not a regular file (a device, a FIFO), or no
// new file can be made in its folder (a read-only folder, a name too long
// for a temporary), the CSV is written in place instead.
#pragma once

#include <cstdio>
#include <string>

namespace pluckrow {

class csv_output {
 public:
  csv_output() = default;
  csv_output(const csv_output&) = delete;
  csv_output& operator=(const csv_output&) = delete;
  ~csv_output() { discard(); }

  // Opens the output for the CSV named `csv_path`, for rows written
  // unbuffered. Returns false, having made and changed nothing, when no
  // output can be made, or the CSV exists and may not be written.
  bool open(const std::string& csv_path);

  std::FILE* stream() const { return stream_; }

  // Closes the stream and puts the CSV in place, with the permission bits
  // of the CSV it replaces. Returns false when the close or the replace
  // fails: the earlier CSV then stays and the temporary is removed.
  bool commit();

  // Closes the stream without putting the rows in place: the earlier CSV
  // stays. A CSV written in place keeps the rows written so far.
  void discard();

 private:
  bool open_temporary();
  // `removable`: whether an interruption may remove the file (not a
  // device or FIFO).
  bool open_in_place(bool removable);

  std::FILE* stream_ = nullptr;
  std::string target_;     // the file the CSV's name leads to
  std::string temporary_;  // empty when the CSV is written in place
};

}  // namespace pluckrow
