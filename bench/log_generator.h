// Generates canonical candump logs for the benchmarks: can0 frames of eight
// bytes, a third each of identifiers 0x101, 0x102 and others.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pluckrow::bench {

std::string generate_log(std::size_t lines, std::uint32_t seed = 1);

}  // namespace pluckrow::bench
