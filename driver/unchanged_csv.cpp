#include "driver/unchanged_csv.h"

#include <cstdio>
#include <cstring>

#include "driver/file_calls.h"

namespace pluckrow {

bool unchanged_csv::hold(const char* bytes, std::size_t size) {
  if (!held_.empty() || size != earlier_size_) return false;
  held_.assign(bytes, size);
  return true;
}

bool unchanged_csv::kept(const std::string& path) const {
  std::FILE* const earlier = std::fopen(path.c_str(), "rb");
  if (earlier == nullptr) return false;
  std::setvbuf(earlier, nullptr, _IONBF, 0);
  std::string bytes(held_.size() + 1, '\0');  // one more, to see that it ends there
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), earlier);
  const bool same = std::ferror(earlier) == 0 && got == held_.size() &&
                    std::memcmp(bytes.data(), held_.data(), got) == 0;
  std::fclose(earlier);
  return same && file_calls::mark_written_now(path.c_str());
}

}  // namespace pluckrow
