// The reference conversion the tests compare against: the simplest code that
// follows the rules, with std::sscanf and std::snprintf as the truth,
// written apart from the program and sharing nothing with it but the record.
#pragma once

#include <string>
#include <string_view>

#include "conversion/matching/frame_record.h"

namespace pluckrow::reference {

// std::sscanf with the literal pattern on the line as a C string; returns the
// count it reports (EOF as 0). A line it stops on before "[" is read in
// candump's other layouts by code of its own. On MinGW, whose scanf
// misrounds some decimal numbers, the time stamp is the exactly rounded
// strtod value instead.
int match(std::string_view line, frame_record& record);

// The rows of one log: each log line matched on its first 1013 bytes, a row
// "%d,%f\n" for a line that assigned identifier 0x102 and bytes 1 and 2.
std::string rows(std::string_view log, frame_record& record);

// Text with control and non-ASCII bytes escaped, for failure messages.
std::string escaped(std::string_view text);

}  // namespace pluckrow::reference
