// A CSV that is whole or absent. Rows go to a temporary file beside the CSV
// (temp_file.h); once every row is written and the file is closed, it
// replaces the CSV in one step, as git commits a lock file. So the CSV's
// name shows, at every moment, the earlier file (or nothing) or the
// complete new one.
//
// What the name leads to decides the rest (csv_target.h): an earlier CSV
// that the rows may leave as it is gets its file at the first block that
// comes through (unchanged_csv.h holds the rows back); a device or FIFO,
// or a CSV in a folder that takes no new file (a read-only folder, a full
// disk's last inode), is written in place instead, and left empty where its
// rows cannot all be written.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "conversion/rows/row_sink.h"
#include "driver/csv_target.h"
#include "driver/opened_file.h"
#include "driver/temp_file.h"

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

  // The size of an earlier CSV that the rows may leave as it is, for
  // `unchanged_csv`: then no file is made before a block is written.
  std::optional<std::uintmax_t> compared_size() const {
    return made_ ? std::nullopt : std::optional<std::uintmax_t>(target_.earlier_size);
  }
  const std::string& path() const { return target_.path; }

  bool write(const char* bytes, std::size_t size) override;

  // Closes the stream and puts the CSV in place, with the owner and
  // permission bits of the CSV it replaces. Returns false when the close or
  // the replace fails (or a file not yet made cannot be): the earlier CSV
  // then stays and the temporary is removed.
  bool commit();

  // Closes the stream without putting the rows in place: the earlier CSV
  // stays. A CSV written in place is left empty (a device or FIFO as it is).
  void discard();

 private:
  // Makes the file that the rows go to: the temporary, or the CSV itself.
  bool make_file();
  // `removable`: whether an interruption may remove the file (not a device
  // or FIFO).
  bool open_in_place(bool removable);
  std::FILE* stream() const { return in_place_ != nullptr ? in_place_ : temporary_.stream(); }

  const opened_file* log_ = nullptr;
  csv_target target_;
  temp_file temporary_;
  std::FILE* in_place_ = nullptr;  // the CSV itself, written in place
  bool removable_in_place_ = false;
  bool made_ = false;  // the temporary or the CSV in place
};

}  // namespace pluckrow
