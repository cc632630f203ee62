// What a log's lines were besides frames to act on, for the note that
// explains an empty CSV. Counted only on lines that left the frame path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "conversion/matching/characters.h"
#include "conversion/matching/line_match.h"
#include "conversion/matching/swar.h"

namespace pluckrow {

// What a log's lines were, as far as an empty CSV needs explaining: how
// many lines were can0 frames and whether all of those had 29-bit
// identifiers, which other interfaces' frames it held, and whether it held
// text in no candump layout. Fixed size: no allocation.
class lines_seen {
 public:
  // A line that assigned no identifier: no can0 frame; `earlier_lines`
  // came before it. Once a can0 frame has been seen, no note will be
  // written: the line is only counted. Logs of another interface repeat
  // its name on every line: one word compared answers for all but the
  // first.
  void off_frame(const line_match& line, std::string_view text, std::size_t earlier_lines) {
    if (off_frame_lines_++ < earlier_lines) return;
    const char* const name = line.left_frame_path;
    if (name != nullptr && line.end - name >= 8 &&
        (load_eight(name) & last_name_mask_) == last_name_) {
      return;
    }
    // Comments and blank lines, where no name starts, tell only whether
    // the log holds text in no layout: once that is known, nothing.
    if (unreadable_ && (name == nullptr || name == line.end || !starts_interface_name(*name))) {
      return;
    }
    off_frame_slowly(line, text);
  }
  // After the last line: how many lines the log had, and whether each can0
  // frame that wrote no row had a 29-bit identifier, as its matcher marked it.
  void read_all(std::size_t lines, bool only_extended_frames) {
    can0_frames_ = lines - off_frame_lines_;
    only_extended_frames_ = only_extended_frames;
  }

  std::size_t can0_frames() const { return can0_frames_; }
  // Whether every can0 frame that wrote no row had a 29-bit identifier:
  // every can0 frame, in a log that gave no row.
  bool only_extended_frames() const { return only_extended_frames_; }
  // Up to `max_interfaces` names in the order first seen, ", " between
  // them, and ", ..." when there were more.
  std::string_view other_interfaces() const { return {names_, names_size_}; }
  bool unreadable_lines() const { return unreadable_; }

  static constexpr int max_interfaces = 3;

 private:
  void off_frame_slowly(const line_match& line, std::string_view text);
  void add_interface(std::string_view name);

  std::size_t off_frame_lines_ = 0;
  std::size_t can0_frames_ = 0;
  bool only_extended_frames_ = false;
  bool unreadable_ = false;
  int interfaces_ = 0;
  char names_[max_interfaces * 17 + 5];  // names of at most 15, ", " and ", ..."
  std::size_t names_size_ = 0;
  // The last interface's name of at most 7 characters and the blank after
  // it, as `load_eight` reads them, and which of those bytes to compare.
  std::uint64_t last_name_ = 1;
  std::uint64_t last_name_mask_ = 0;
};

}  // namespace pluckrow
