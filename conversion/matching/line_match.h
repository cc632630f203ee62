// How a match of a line ends, as every matcher of a line gives it: where the
// line ends, how many fields it assigned, and where it left the frame path.
#pragma once

#include "conversion/matching/frame_record.h"

namespace pluckrow {

// Whether a match computes the value of a line's time stamp in seconds. No
// row shows it and the conversion never reads it, so the conversion's
// matches skip that arithmetic on the lines candump writes and leave NaN in
// the field; the fields assigned and their count are the same either way.
enum class time_stamps { computed, skipped };

// A line matched where it lies: where it ends (past its newline, or where
// it was cut at the read limit) and how many leading fields of
// `frame_record` it assigned, 0 to `all_fields`; a line assigned a field
// exactly when the count is greater than the field's index.
struct line_match {
  const char* end;
  int assigned;
  // Where the match left the frame path, for the note on an empty CSV: on a
  // line that stops before "can0" (another interface's frame, or no frame
  // at all), where an interface's name would stand, for
  // `other_interface_of`; on a can0 frame whose identifier has 29 bits, where
  // it stands, as the matcher that read it knows; nullptr for other lines.
  const char* left_frame_path = nullptr;

  bool extended_identifier() const {
    return assigned > identifier_index && left_frame_path != nullptr;
  }
};

}  // namespace pluckrow
