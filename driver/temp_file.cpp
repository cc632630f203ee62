#include "driver/temp_file.h"

#include <chrono>
#include <cstdint>

#include "driver/file_calls.h"
#include "driver/interruption.h"

namespace pluckrow {
namespace {

// The temporary's name in the folder; the X are made unique.
constexpr char temporary_name[] = ".pluckrow-XXXXXX.tmp";
constexpr std::size_t unique_part = 6;
constexpr std::size_t after_unique_part = 4;  // ".tmp"

// Fills the X of `name` and creates it, never over an existing file.
std::FILE* create_exclusively(std::string& name) {
  static std::uint64_t seed =
      file_calls::process_id() << 32 ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::size_t unique_start = name.size() - after_unique_part - unique_part;
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 6364136223846793005u + 1442695040888963407u;  // Knuth's LCG
    for (std::size_t i = 0; i < unique_part; ++i) {
      name[unique_start + i] = "0123456789abcdefghijklmnopqrstuvwxyz"[(seed >> (6 * i + 16)) % 36];
    }
    bool exists = false;
    if (std::FILE* const file = file_calls::create_new(name.c_str(), exists)) return file;
    if (!exists) return nullptr;
  }
  return nullptr;
}

}  // namespace

bool temp_file::create(const std::string& path) {
  // In the folder of `path`, as the path names it.
  std::string name = path.substr(0, file_calls::name_start(path)) + temporary_name;
  const interruptions_held held;
  stream_ = create_exclusively(name);
  if (stream_ == nullptr) return false;
  std::setvbuf(stream_, nullptr, _IONBF, 0);
  name_ = std::move(name);
  remove_on_interruption(name_.c_str());
  return true;
}

bool temp_file::commit(const std::string& path) {
  const bool closed = std::fclose(stream_) == 0;
  stream_ = nullptr;
  // An interruption from here waits until the file is in place, or gone.
  const interruptions_held held;
  remove_on_interruption(nullptr);
  const bool replaced = closed && file_calls::replace(name_.c_str(), path.c_str());
  if (!replaced) file_calls::remove(name_.c_str());
  name_.clear();
  return replaced;
}

void temp_file::remove() {
  if (stream_ == nullptr) return;
  std::fclose(stream_);
  stream_ = nullptr;
  const interruptions_held held;
  remove_on_interruption(nullptr);
  file_calls::remove(name_.c_str());
  name_.clear();
}

}  // namespace pluckrow
