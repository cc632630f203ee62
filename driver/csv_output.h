// A CSV that is whole or absent. Rows go to a temporary file beside the
// CSV, created exclusively and named after it (trace.log.csv gives
// trace.log.csv.pluckrow-XXXXXX.tmp); once every row is written and the file
// is closed, it replaces the CSV in one step, as git commits a lock file. So
// the CSV's name shows, at every moment, the earlier file (or nothing) or
// the complete new one. An interruption removes the temporary; a killed
// process leaves at most the temporary, which can be deleted.
//
// An earlier CSV of at most one block of rows is compared with the new
// rows before any file is made: when they are the same, it stays as it is,
// with a new modification time, as a rerun over a folder of logs mostly
// finds them.
//
// A CSV name that is a symbolic link stays one: the file it leads to gets
// the rows, unless another user's link or file in a shared folder would
// steer them (csv_target.h). Where that file is not a regular file (a
// device, a FIFO), or no new file can be made in its folder (a read-only
// folder, a name too long for a temporary), the CSV is written in place
// instead.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "conversion/rows/row_sink.h"
#include "driver/opened_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace pluckrow {

class csv_output final : public row_sink {
 public:
  csv_output() = default;
  csv_output(const csv_output&) = delete;
  csv_output& operator=(const csv_output&) = delete;
  ~csv_output() { discard(); }

  // Opens the output for the CSV named `csv_path`. Returns false, having
  // made and changed nothing, when no output can be made, the CSV exists
  // and may not be written, it is the `log` itself, or another user's link
  // or file in a shared folder stands at its name.
  bool open(const std::string& csv_path, const opened_file& log);

  bool write(const char* bytes, std::size_t size) override;

  // Closes the stream and puts the CSV in place, with the permission bits
  // of the CSV it replaces. Returns false when the close or the replace
  // fails (or the file, once the rows differ from the earlier CSV's, cannot
  // be made): the earlier CSV then stays and the temporary is removed.
  bool commit();

  // Closes the stream without putting the rows in place: the earlier CSV
  // stays. A CSV written in place keeps the rows written so far.
  void discard();

 private:
  // Makes the file that the rows go to: the temporary, or the CSV itself.
  bool make_file();
  // Makes the file and writes the held block to it.
  bool write_held();
  // Whether the earlier CSV holds exactly `held_`; if so, marks it as
  // written now.
  bool earlier_kept();
  bool open_temporary();
  // `removable`: whether an interruption may remove the file (not a
  // device or FIFO).
  bool open_in_place(bool removable);

  std::FILE* stream_ = nullptr;
  std::string target_;     // the file the CSV's name leads to
  std::string temporary_;  // empty when the CSV is written in place
  bool removable_in_place_ = false;

  // Until the rows are known to differ from the earlier CSV's, no file is
  // made: a block of the earlier CSV's size is held.
  bool unmade_ = false;
  std::uintmax_t earlier_size_ = 0;
  std::string held_;
#ifndef _WIN32
  bool earlier_found_ = false;
  struct stat earlier_ {};
#endif
};

}  // namespace pluckrow
