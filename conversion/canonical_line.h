// The fast path of the line matcher: the line exactly as candump prints it.
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

}  // namespace pluckrow
