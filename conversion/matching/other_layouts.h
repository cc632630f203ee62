// candump's layouts of a can0 frame other than the `-ta` print layout:
//
//   (1436509053.850870) can0 102#0000830000000000     candump -l, -L, -f
//   (0.000500)   can0 102##4000083 R                  CAN FD, -tz, -x, padded name
//   (1436509053.850870) can0 102#0000830000000000_E   raw DLC after 8 bytes
//     can0  102   [8]  00 00 83 00 00 00 00 00        print layout, no -t
//    (2015-07-10 08:57:33.850870)  can0  102   [8]  00 00 83 ...   -tA
//    (1436509053.850870)  can0  RX - -  102   [8]  00 00 83 ...   -x
//
// Each differs from the `-ta` layout before the "[", so a line is read in
// them only after the standard matcher has stopped before the bracketed
// length. The print layouts are matched from the identifier on with the
// standard rules. The log-file layout takes a 3-digit (11-bit) identifier,
// "#" or "##" and a flags digit, pairs of hex digits (at most 8, or 64 for
// CAN FD; one "." may stand before each byte), then white space or the end.
// Remote frames, 29-bit identifiers and malformed frames are not read.
#pragma once

#include "conversion/matching/frame_record.h"

namespace pluckrow {

// Reads `text`, a line ended by a NUL (as the exact matcher holds it), in
// the layouts above. Returns
// the number of fields assigned in the standard order, the time stamp
// counted (`no_time_stamp` where the line prints none in seconds); or 0,
// having assigned nothing, when the line is in none of them or is a frame
// they do not read.
int read_other_layout(const char* text, frame_record& record);

}  // namespace pluckrow
