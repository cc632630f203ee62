// Generates candump logs for the benchmarks: can0 frames of eight bytes, a
// third each of identifiers 0x101, 0x102 and others, in one of the layouts
// candump writes. The same seed gives the same frames in every layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pluckrow::bench {

enum class log_layout {
  absolute,  // candump -ta can0
  log_file,  // candump -l can0
  untimed,   // candump can0
};

std::string generate_log(std::size_t lines, std::uint32_t seed = 1,
                         log_layout layout = log_layout::absolute);

}  // namespace pluckrow::bench
