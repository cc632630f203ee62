// Rows gathered into blocks of whole rows for a sink.
#pragma once

#include <cstddef>
#include <cstdint>

#include "conversion/rows/row_sink.h"
#include "conversion/rows/row_text.h"

namespace pluckrow {

// Collects rows and hands them to the sink a block at a time. The block is
// held in the writer itself, so that a small log costs no allocation.
class row_writer {
 public:
  explicit row_writer(row_sink& output) : output_(output) {}

  bool append(std::int8_t held_value, std::int16_t sample) {
    if (sizeof block_ - used_ < max_row_bytes && !flush()) return false;
    used_ += format_row(held_value, sample, block_ + used_);
    return true;
  }

  bool flush() {
    if (used_ == 0) return true;
    const bool written = output_.write(block_, used_);
    any_ = true;
    used_ = 0;
    return written;
  }

  // Whether a row was handed to the sink.
  bool any() const { return any_; }

 private:
  row_sink& output_;
  char block_[row_block_bytes];
  std::size_t used_ = 0;
  bool any_ = false;
};

}  // namespace pluckrow
