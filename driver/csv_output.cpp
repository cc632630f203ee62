#include "driver/csv_output.h"

#include "driver/file_calls.h"
#include "driver/interruption.h"

namespace pluckrow {

bool csv_output::open(const std::string& csv_path, const opened_file& log) {
  log_ = &log;
  target_ = find_csv_target(csv_path, log);
  switch (target_.disposition) {
    case csv_disposition::made:
      return make_file();
    case csv_disposition::replaced:
      if (!unchanged_csv::compared(target_.earlier_size)) return make_file();
      unchanged_.emplace(target_.earlier_size);
      return true;
    case csv_disposition::written_in_place:
      return open_in_place(true);
    case csv_disposition::written_kept:
      return open_in_place(false);
    case csv_disposition::refused:
      break;
  }
  return false;
}

bool csv_output::make_file() {
  unchanged_.reset();
  if (!temporary_.create(target_.path)) return open_in_place(true);
  if (target_.disposition == csv_disposition::replaced) {
    target_.keep_owner_and_bits(temporary_.stream());
  }
  return true;
}

bool csv_output::write(const char* bytes, std::size_t size) {
  if (unchanged_) {
    if (unchanged_->hold(bytes, size)) return true;
    if (!write_held()) return false;
  }
  // An interruption waits for a block written in place, so that it empties
  // the file after the block's last byte, never before it.
  std::optional<interruptions_held> held;
  if (removable_in_place_) held.emplace();
  return std::fwrite(bytes, 1, size, stream()) == size;
}

bool csv_output::write_held() {
  const unchanged_csv earlier = std::move(*unchanged_);
  const std::string& rows = earlier.held();
  return make_file() && std::fwrite(rows.data(), 1, rows.size(), stream()) == rows.size();
}

bool csv_output::open_in_place(bool removable) {
  const interruptions_held held;
  in_place_ = target_.open_in_place(*log_);
  if (in_place_ == nullptr) return false;
  std::setvbuf(in_place_, nullptr, _IONBF, 0);
  if (removable) remove_on_interruption(target_.path.c_str(), fileno(in_place_));
  removable_in_place_ = removable;
  return true;
}

bool csv_output::commit() {
  if (unchanged_) {
    if (unchanged_->kept(target_.path)) {
      unchanged_.reset();
      return true;
    }
    if (!write_held()) {
      discard();
      return false;
    }
  }
  if (in_place_ == nullptr)
    return temporary_.stream() != nullptr && temporary_.commit(target_.path);
  const bool closed = std::fclose(in_place_) == 0;
  in_place_ = nullptr;
  const interruptions_held held;
  remove_on_interruption(nullptr);
  return closed;
}

void csv_output::discard() {
  unchanged_.reset();
  if (in_place_ == nullptr) {
    temporary_.remove();
    return;
  }
  // Rows that could not all be written leave the file empty, never cut.
  if (removable_in_place_) file_calls::empty(in_place_);
  std::fclose(in_place_);
  in_place_ = nullptr;
  const interruptions_held held;
  remove_on_interruption(nullptr);
}

}  // namespace pluckrow
