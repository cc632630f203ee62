#include "conversion/convert.h"

#include "conversion/rows/row_writer.h"
#include "conversion/text/line_reader.h"

namespace pluckrow {
namespace {

std::int8_t held_value_of(const frame_record& record) {
  return static_cast<std::int8_t>(record.data0 & 0xFF);
}

std::int16_t sample_of(const frame_record& record) {
  return static_cast<std::int16_t>(((record.data1 & 0xFF) << 8) | (record.data2 & 0xFF));
}

}  // namespace

log_conversion convert_log(byte_source& log, row_sink& output, frame_record& record) {
  line_reader reader(log, shows_whole_frame);
  row_writer rows(output);
  log_conversion result{convert_status::converted, false, {}};
  std::int8_t held_value = initial_held_value;
  std::size_t lines = 0;
  // Whether every can0 frame so far that wrote no row had a 29-bit
  // identifier: asked of such a frame only while it holds, so a log of
  // 11-bit frames pays one test of a register a line.
  bool only_extended_frames = true;
  for (std::string_view text; reader.next_text(text); ++lines) {
    const line_match line = match_log_line(text, record, time_stamps::skipped);
    reader.consume(line.end);
    // Which of the two a line is varies line by line: the held value is
    // chosen without a branch, and only a row takes one.
    const bool holds = (record.identifier == held_identifier) & (line.assigned > data0_index);
    held_value = holds ? held_value_of(record) : held_value;
    if ((record.identifier == sample_identifier) & (line.assigned > data2_index)) {
      if (!rows.append(held_value, sample_of(record))) {
        result.status = convert_status::write_failed;
        return result;
      }
    } else if (line.assigned <= identifier_index) [[unlikely]] {
      result.lines.off_frame(line, text, lines);
    } else if (only_extended_frames) [[unlikely]] {
      only_extended_frames = line.extended_identifier();
    }
  }
  const bool flushed = rows.flush();
  result.wrote_rows = rows.any();
  result.lines.read_all(lines, only_extended_frames);
  if (reader.failed()) {
    result.status = convert_status::read_failed;
  } else if (!flushed) {
    result.status = convert_status::write_failed;
  }
  return result;
}

}  // namespace pluckrow
