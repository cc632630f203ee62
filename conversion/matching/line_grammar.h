// The grammar matcher: candump's whole line grammar in one pass, for the
// lines candump writes of any interface, in any of its layouts:
//
//   [white space] [time stamp] interface [-x block] identifier body
//
// time stamp   "(seconds)" (-ta, -td, -tz, -l), "(date)" (-tA) or none
// interface    any name; only can0 goes on to a frame
// -x block     "RX - -", "TX B E"...
// identifier   3 hex digits (11-bit) or 8 (29-bit)
// body         the print layout's "[len]", 0 to 64 bytes and what candump
//              prints after them (-a's ASCII column, "remote request"...),
//              or the log-file layout's "#" or "##" and a flags digit, bytes
//              with "." and "_" and a DLC digit, "#R", " R" or " T"
//
// It is the one definition of every layout but `-ta`'s. There the truth is
// the pattern with formatted input's rules: on a line of that layout it
// proves, it assigns exactly what the exact matcher (exact_matcher.h)
// assigns, bit for bit, partial assignments included: a 29-bit identifier
// assigns the time stamp and the identifier's first three digits, another
// interface the time stamp alone. Any other such line is left to the exact
// matcher, with nothing assigned. The other layouts read the fields they
// share with the pattern (a time stamp in seconds, the print layout's tail
// from the identifier on) as the pattern does: where these are not as
// candump prints them, through the exact matcher's formatted input.
#pragma once

#include <string_view>

#include "conversion/matching/line_match.h"

namespace pluckrow {

// Matches the line at the start of `text` (as `match_log_line` takes it).
// On a line of the grammar assigns its fields, sets `match` and returns
// true; otherwise assigns nothing and returns false.
bool match_candump_line(std::string_view text, frame_record& record, line_match& match,
                        time_stamps wanted = time_stamps::computed);

// The interface named at `at` by a frame line of another interface, "can1"
// in "can1  102   [8]  ..." or "can1 102#...": a letter, then up to 14
// letters, digits, "_", "-" or "."; then an identifier and "#" or "[", or
// -x's block, before `end`. Empty for any other text.
std::string_view interface_named(const char* at, const char* end);

}  // namespace pluckrow
