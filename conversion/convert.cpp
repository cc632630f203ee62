#include "conversion/convert.h"

#include <cstring>
#include <memory>
#include <string_view>

#include "conversion/line_reader.h"

namespace pluckrow {
namespace {

constexpr std::size_t output_block_bytes = std::size_t{256} * 1024;

// Collects rows and hands them to the stream a block at a time.
class row_writer {
 public:
  explicit row_writer(std::FILE* output)
      : output_(output), block_(std::make_unique_for_overwrite<char[]>(output_block_bytes)) {}

  bool append(std::int32_t held_value, std::int16_t sample) {
    if (output_block_bytes - used_ < max_row_bytes && !flush()) return false;
    used_ += format_row(held_value, sample, block_.get() + used_);
    return true;
  }

  bool flush() {
    const bool written = std::fwrite(block_.get(), 1, used_, output_) == used_;
    used_ = 0;
    return written;
  }

 private:
  std::FILE* output_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
};

std::int32_t held_value_of(const frame_record& record) {
  return static_cast<std::int8_t>(record.data0 & 0xFF);
}

std::int16_t sample_of(const frame_record& record) {
  return static_cast<std::int16_t>(((record.data1 & 0xFF) << 8) | (record.data2 & 0xFF));
}

}  // namespace

std::size_t format_row(std::int32_t held_value, std::int16_t sample, char* out) {
  char text[max_row_bytes + 1];
  const int length = std::snprintf(text, sizeof text, "%d,%f\n", held_value,
                                   static_cast<double>(sample) * sample_scale);
  std::memcpy(out, text, static_cast<std::size_t>(length));
  return static_cast<std::size_t>(length);
}

convert_status convert_log(std::FILE* input, std::FILE* output, frame_record& record) {
  line_reader reader(input);
  row_writer rows(output);
  std::int32_t held_value = initial_held_value;
  std::string_view line;
  while (reader.next(line)) {
    const int assigned = parse_log_line(line, record);
    if (record.identifier == held_identifier && assigned > data0_index) {
      held_value = held_value_of(record);
    } else if (record.identifier == sample_identifier && assigned > data2_index) {
      if (!rows.append(held_value, sample_of(record))) return convert_status::write_failed;
    }
  }
  const bool flushed = rows.flush();
  if (reader.failed()) return convert_status::read_failed;
  return flushed ? convert_status::converted : convert_status::write_failed;
}

}  // namespace pluckrow
