// One line of a candump log of interface can0 with absolute time stamps, as
// `candump -ta` prints it, and the record it is read into:
//
//    (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77
//
// A line is matched with the standard formatted-input rules of
// `log_line_pattern`: runs of white space match any white space (or none),
// widths count signs and 0x prefixes, the time stamp takes every strtod form,
// matching ends at the first NUL and text after the eighth byte is ignored.
// A line the pattern gives up on before the bracketed length is read in
// candump's other layouts, as the grammar matcher (line_grammar.h) defines
// them.
#pragma once

#include <string_view>

#include "conversion/matching/line_match.h"

namespace pluckrow {

// Matches the line at the start of `text` and assigns the fields it
// matched, in order, up to the first directive that fails; later fields
// keep their values. `text` runs from the line's start to its newline or
// past it, or holds the line's first `max_line_bytes` and no newline; what
// lies past the line is never read as part of it. The grammar matcher
// (line_grammar.h) takes the lines candump writes; every other line goes
// to the exact matcher (exact_matcher.h). Each line is matched once.
line_match match_log_line(std::string_view text, frame_record& record,
                          time_stamps wanted = time_stamps::computed);

// The interface a line of another interface names (vcan0), or empty: for
// a line whose match stopped before "can0", and only when its caller needs
// the name, which it then reads once.
std::string_view other_interface_of(const line_match& line);

// Whether a line that may have been cut where it was read (a log's last
// line, without its newline, while the log is still being written) shows
// its whole frame: in candump's print layouts, as many two-digit bytes as
// its bracketed length says. Other lines are taken as they are: the
// log-file layout's bytes are read in pairs.
bool shows_whole_frame(std::string_view line);

// `match_log_line` for one line: the text of at most `max_line_bytes`, the
// newline included when the read reached it. Returns the number of fields
// assigned.
int parse_log_line(std::string_view line, frame_record& record);

}  // namespace pluckrow
