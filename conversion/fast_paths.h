// The fast paths of the line matcher: a line exactly as `candump -ta can0`,
// `candump can0` and `candump -l can0` write it. Each assigns all it reads or
// nothing, and leaves every other line to the exact matcher.
#pragma once

#include <string_view>

#include "conversion/log_line.h"

namespace pluckrow {

// Matches only the canonical line, spaced as candump spaces it:
//
//    (1436509053.850870)  can0  102   [8]  00 11 22 33 44 55 66 77
//
// leading spaces, a parenthesised time stamp of plain digits around a point,
// ")  can0  ", three hex digits, "   [", a length of one or two digits,
// "]  ", and eight two-digit hex bytes separated by single spaces; anything
// may follow the eighth byte. On such a line it assigns every field exactly
// as the standard matcher would and returns the end of the eighth byte. On
// any other line it assigns nothing and returns nullptr, so that every
// partial match is left to the standard matcher.
//
// `text` may run on past the end of the line: the canonical line holds no
// newline, so a match never takes in more than its own line.
const char* match_canonical_line(std::string_view text, frame_record& record);

// The same line as candump prints it without a time stamp, which the exact
// matcher reads with `no_time_stamp`:
//
//   can0  102   [8]  00 11 22 33 44 55 66 77
const char* match_untimed_line(std::string_view text, frame_record& record);

// The log-file layout as `candump -l can0` writes it, which the exact
// matcher reads in other_layouts.cpp:
//
//   (1436509053.850870) can0 102#0000830000000000
//
// the time stamp as above, ") can0 ", three hex digits, "#", up to eight
// bytes and the newline. On such a line at the start of `text` (which may
// run on past it) assigns what the exact matcher would, sets `assigned` and
// returns the end of the line, past its newline; otherwise assigns nothing
// and returns nullptr.
const char* match_log_file_line(std::string_view text, frame_record& record, int& assigned);

}  // namespace pluckrow
