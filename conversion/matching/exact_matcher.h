// The exact matcher: the line read with the standard formatted-input rules
// of `log_line_pattern` (std::sscanf itself), then, where that stops before
// the bracketed length, in candump's other layouts (other_layouts.h). It is
// the truth for every line, and reads the lines the grammar matcher does not
// take.
#pragma once

#include <string_view>

#include "conversion/matching/frame_record.h"

namespace pluckrow {

// Matches `line` (at most `max_line_bytes`, the newline included when the
// read reached it; a NUL ends it) and returns the number of fields
// assigned, as `parse_log_line` does.
int match_exactly(std::string_view line, frame_record& record);

}  // namespace pluckrow
