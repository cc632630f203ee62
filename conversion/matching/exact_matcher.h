// The exact matcher: formatted input itself (std::sscanf) with the
// directives of `log_line_pattern`. It is the truth for the `-ta` layout's
// lines, reads every line the grammar matcher declines, and reads for the
// grammar the two fields of candump's other layouts that are the pattern's
// own: an odd time stamp in seconds, and a print line's tail that is not as
// candump prints it.
#pragma once

#include <string_view>

#include "conversion/matching/frame_record.h"

namespace pluckrow {

// Matches `line` (at most `max_line_bytes`, the newline included when the
// read reached it; a NUL ends it) with the whole pattern and returns the
// number of fields assigned.
int match_exactly(std::string_view line, frame_record& record);

// The pattern's directives from the identifier on ("%03X   [%d]  %02X
// ..."), matched on `tail` (the line from where its identifier would
// stand): returns how many of the identifier and the fields after it were
// assigned, 0 when none.
int match_pattern_tail(std::string_view tail, frame_record& record);

// The pattern's time stamp directives, " (%lf)", matched at the start of
// `line`: returns the position in `line` after the ")" and sets `value`,
// or returns nullptr where they fail.
const char* match_pattern_time_stamp(std::string_view line, double& value);

}  // namespace pluckrow
