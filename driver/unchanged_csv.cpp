#include "driver/unchanged_csv.h"

#include <cstdio>
#include <string_view>

#include "driver/file_calls.h"

namespace pluckrow {

bool unchanged_csv::write(const char* bytes, std::size_t size) {
  // The first block may be all the rows and the same, being of the earlier
  // CSV's size; any other block tells that the rows differ.
  if (earlier_size_ && !held_ && size == *earlier_size_) {
    held_.emplace(bytes, size);
    return true;
  }
  return pass_on() && output_.write(bytes, size);
}

bool unchanged_csv::pass_on() {
  earlier_size_.reset();
  if (!held_) return true;
  const std::string rows = std::move(*held_);
  held_.reset();
  return output_.write(rows.data(), rows.size());
}

bool unchanged_csv::kept() const {
  if (!earlier_size_) return false;
  const std::string_view rows = held_ ? std::string_view(*held_) : std::string_view();
  std::FILE* const earlier = std::fopen(path_.c_str(), "rb");
  if (earlier == nullptr) return false;
  std::setvbuf(earlier, nullptr, _IONBF, 0);
  std::string bytes(rows.size() + 1, '\0');  // one more, to see that it ends there
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), earlier);
  const bool same = std::ferror(earlier) == 0 && std::string_view(bytes.data(), got) == rows;
  std::fclose(earlier);
  return same && file_calls::mark_written_now(path_.c_str());
}

}  // namespace pluckrow
