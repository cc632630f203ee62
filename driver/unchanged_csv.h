// An earlier CSV kept as it is when the new rows are the same, as a rerun
// over a folder of logs mostly finds them: an earlier CSV of at most one
// row block is compared with the rows before any file is made, and stays,
// with a new modification time, when they match.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "conversion/rows/row_sink.h"

namespace pluckrow {

class unchanged_csv {
 public:
  // Whether an earlier CSV of `size` bytes is compared: one block of rows
  // then tells whether the rows differ.
  static bool compared(std::uintmax_t size) { return size <= row_block_bytes; }

  explicit unchanged_csv(std::uintmax_t earlier_size) : earlier_size_(earlier_size) {}

  // Holds the first block of rows when it may be all the rows and the same,
  // being of the earlier CSV's size; false for any other block.
  bool hold(const char* bytes, std::size_t size);

  // The block held, if any.
  const std::string& held() const { return held_; }

  // Whether the earlier CSV at `path` holds exactly the block held (nothing,
  // for a log that gave no row); if so, marks it as written now.
  bool kept(const std::string& path) const;

 private:
  std::uintmax_t earlier_size_;
  std::string held_;
};

}  // namespace pluckrow
