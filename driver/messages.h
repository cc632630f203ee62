// Everything the program says, and its exit statuses. Messages go to
// standard error only; standard output is never written.
#pragma once

#include <string>
#include <string_view>

namespace pluckrow::messages {

// A path as every message and the progress line print it: its control
// characters (bytes 0x01 to 0x1F and 0x7F) escaped, as \n, \t, \r or \x1b,
// so that no name can forge a message line or steer the terminal; every
// other byte as it is.
inline std::string printable(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
    } else if (c == '\n' || c == '\t' || c == '\r') {
      out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
    } else {
      out += "\\x";
      out += "0123456789abcdef"[byte >> 4];
      out += "0123456789abcdef"[byte & 0xF];
    }
  }
  return out;
}

inline constexpr char usage[] = "usage: pluckrow file1 file2 file3 ...\n";

// %s is the argument, printed as `printable` gives it.
inline constexpr char cannot_open[] = "SKIP: cannot open %s\n";
inline constexpr char cannot_read[] = "SKIP: cannot read %s\n";
// %s is the argument, then the archive's kind ("tar").
inline constexpr char archive[] =
    "SKIP: cannot read %s: a %s archive holds several logs; unpack it first\n";
// %s is the output name.
inline constexpr char cannot_create[] = "SKIP: cannot create %s\n";
inline constexpr char cannot_write[] = "SKIP: cannot write %s\n";

// Why a log gave no row, after its conversion: %s is the argument (printable),
// then the other interfaces seen.
inline constexpr char no_can0_frames_but[] = "NOTE: %s: no can0 frames (frames on %.*s)\n";
inline constexpr char no_candump_lines[] =
    "NOTE: %s: no can0 frames (no line in a candump layout)\n";
// %s is the argument, then how many can0 frames it held, and "s" or "".
inline constexpr char only_extended_frames[] =
    "NOTE: %s: no samples (%s can0 frame%s, all with 29-bit identifiers)\n";
inline constexpr char no_sample_frames[] =
    "NOTE: %s: no samples (%s can0 frame%s, none of them 0x102 with 3 or more bytes)\n";

// Skipped files do not change the exit status: batch callers rely on 0.
inline constexpr int exit_done = 0;
inline constexpr int exit_usage = 1;

}  // namespace pluckrow::messages
