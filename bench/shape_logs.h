// Logs of every line shape candump writes (the catalogue of line_shapes.h,
// as candump writes its fields), for timing the whole program on each: one
// shape a log, as real recordings are, and "messy", every shape mixed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pluckrow::bench {

// The names of the shapes, such as "ta", "ta-29bit", "l-remote" or "messy".
std::vector<std::string_view> shape_names();

// `lines` lines of the shape `name`; empty for an unknown name.
std::string generate_shape_log(std::string_view name, std::size_t lines);

}  // namespace pluckrow::bench
