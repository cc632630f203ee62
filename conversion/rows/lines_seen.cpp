#include "conversion/rows/lines_seen.h"

#include <algorithm>
#include <cstring>

#include "conversion/log_line.h"
#include "conversion/matching/characters.h"

namespace pluckrow {

void lines_seen::off_frame_slowly(const line_match& line, std::string_view text) {
  const std::string_view name = other_interface_of(line);
  if (name.empty()) {
    if (!unreadable_) {
      const std::string_view whole =
          text.substr(0, static_cast<std::size_t>(line.end - text.data()));
      unreadable_ = !std::all_of(whole.begin(), whole.end(), is_space);
    }
    return;
  }
  add_interface(name);
  if (name.size() < 8 && line.end - name.data() >= 8) {
    last_name_mask_ = ~std::uint64_t{0} >> (8 * (7 - name.size()));
    last_name_ = load_eight(name.data()) & last_name_mask_;
  }
}

void lines_seen::add_interface(std::string_view name) {
  if (interfaces_ > max_interfaces) return;
  const std::string_view listed(names_, names_size_);
  for (std::size_t at = 0; at < listed.size();) {
    const std::size_t comma = std::min(listed.find(',', at), listed.size());
    if (listed.substr(at, comma - at) == name) return;
    at = comma + 2;
  }
  const std::string_view added = interfaces_ == max_interfaces ? std::string_view("...") : name;
  if (interfaces_ > 0) names_[names_size_++] = ',', names_[names_size_++] = ' ';
  std::memcpy(names_ + names_size_, added.data(), added.size());
  names_size_ += added.size();
  ++interfaces_;
}

}  // namespace pluckrow
