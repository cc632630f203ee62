// An earlier CSV kept as it is when the new rows are the same, as a rerun
// over a folder of logs mostly finds them: a sink around the CSV's output
// that holds the first block of rows while it may be all the rows and the
// earlier CSV's bytes, and passes the rows on once they differ. An earlier
// CSV of at most one block is compared, before the output makes any file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "conversion/rows/row_sink.h"

namespace pluckrow {

class unchanged_csv final : public row_sink {
 public:
  // Whether an earlier CSV of `size` bytes is compared: one block of rows
  // then tells whether the rows differ.
  static bool compared(std::uintmax_t size) { return size <= row_block_bytes; }

  // Rows for `output`, compared with the earlier CSV at `path` where it has
  // an `earlier_size` (one that is `compared`), passed on at once where not.
  unchanged_csv(row_sink& output, const std::string& path,
                std::optional<std::uintmax_t> earlier_size)
      : output_(output), path_(path), earlier_size_(earlier_size) {}

  bool write(const char* bytes, std::size_t size) override;

  // After the last block: whether the earlier CSV holds exactly the rows
  // (nothing, for a log that gave no row). If so, it stays, marked as
  // written now; the output has been given nothing.
  bool kept() const;

  // Passes the block held, if any, on to the output; false where the output
  // fails it.
  bool pass_on();

 private:
  row_sink& output_;
  const std::string& path_;
  std::optional<std::uintmax_t> earlier_size_;  // none once the rows differ
  std::optional<std::string> held_;
};

}  // namespace pluckrow
