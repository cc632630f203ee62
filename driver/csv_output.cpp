#include "driver/csv_output.h"

#include "driver/file_calls.h"
#include "driver/interruption.h"
#include "driver/unchanged_csv.h"

namespace pluckrow {

bool csv_output::open(const std::string& csv_path, const opened_file& log) {
  log_ = &log;
  target_ = find_csv_target(csv_path, log);
  switch (target_.disposition) {
    case csv_disposition::made:
      return make_file();
    case csv_disposition::replaced:
      return unchanged_csv::compared(target_.earlier_size) || make_file();
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
  made_ = true;
  if (!temporary_.create(target_.path)) return open_in_place(true);
  if (target_.disposition == csv_disposition::replaced) {
    target_.keep_owner_and_bits(temporary_.stream());
  }
  return true;
}

bool csv_output::write(const char* bytes, std::size_t size) {
  if (!made_ && !make_file()) return false;
  // An interruption waits for a block written in place, so that it empties
  // the file after the block's last byte, never before it.
  std::optional<interruptions_held> held;
  if (removable_in_place_) held.emplace();
  return std::fwrite(bytes, 1, size, stream()) == size;
}

bool csv_output::open_in_place(bool removable) {
  const interruptions_held held;
  in_place_ = target_.open_in_place(*log_);
  made_ = true;
  if (in_place_ == nullptr) return false;
  std::setvbuf(in_place_, nullptr, _IONBF, 0);
  if (removable) remove_on_interruption(target_.path.c_str(), fileno(in_place_));
  removable_in_place_ = removable;
  return true;
}

bool csv_output::commit() {
  if (!made_ && !make_file()) {
    discard();
    return false;
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
