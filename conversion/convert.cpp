#include "conversion/convert.h"

#include <array>
#include <cstring>
#include <string_view>

#include "conversion/line_reader.h"

namespace pluckrow {
namespace {

// `sample_scale` is a float widened to double: a 24-bit integer over 2^31.
constexpr std::uint64_t scale_numerator = 0xFA232D;
constexpr int scale_shift = 31;
static_assert(sample_scale ==
              static_cast<double>(scale_numerator) / (std::uint64_t{1} << scale_shift));

// Collects rows and hands them to the sink a block at a time. The block is
// held in the writer itself, so that a small log costs no allocation.
class row_writer {
 public:
  explicit row_writer(row_sink& output) : output_(output) {}

  bool append(std::int8_t held_value, std::int16_t sample) {
    if (sizeof block_ - used_ < max_row_bytes && !flush()) return false;
    used_ += format_row(held_value, sample, block_ + used_);
    return true;
  }

  bool flush() {
    if (used_ == 0) return true;
    const bool written = output_.write(block_, used_);
    any_ = true;
    used_ = 0;
    return written;
  }

  // Whether a row was handed to the sink.
  bool any() const { return any_; }

 private:
  row_sink& output_;
  char block_[64 * 1024];
  std::size_t used_ = 0;
  bool any_ = false;
};

// "00" to "99", two characters a value (fmt's digits2).
constexpr std::array<char, 200> digit_pairs = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

char* write_pair(char* at, unsigned value) {
  std::memcpy(at, &digit_pairs[2 * value], 2);
  return at + 2;
}

// Rows hold random signs and digit counts, so the two helpers below avoid
// branches: they store more than they keep, and the characters written next
// cover the spare ones. Both stay within `max_row_bytes` of the row's start.

// Writes a minus sign kept only when `negative`.
char* write_sign(char* at, bool negative) {
  *at = '-';
  return at + negative;
}

// Writes `value` (below 1000) in decimal without leading zeros, storing
// three characters.
char* write_below_1000(char* at, unsigned value) {
  const char* const pair = &digit_pairs[2 * (value % 100)];
  const char digits[6] = {static_cast<char>('0' + value / 100), pair[0], pair[1]};
  const unsigned count = 1u + (value >= 10) + (value >= 100);
  std::memcpy(at, digits + 3 - count, 3);
  return at + count;
}

std::int8_t held_value_of(const frame_record& record) {
  return static_cast<std::int8_t>(record.data0 & 0xFF);
}

std::int16_t sample_of(const frame_record& record) {
  return static_cast<std::int16_t>(((record.data1 & 0xFF) << 8) | (record.data2 & 0xFF));
}

}  // namespace

std::size_t format_row(std::int8_t held_value, std::int16_t sample, char* out) {
  char* at = write_sign(out, held_value < 0);
  at = write_below_1000(at, static_cast<unsigned>(held_value < 0 ? -held_value : held_value));
  *at++ = ',';
  at = write_sign(at, sample < 0);
  // The product is exactly magnitude * scale_numerator / 2^31 in double (it
  // needs at most 39 bits), so %f's correctly rounded six decimals are this
  // integer quotient rounded to nearest. Ties would need 2^24 to divide the
  // sample, so rounding half up is rounding half to even here.
  const auto magnitude = static_cast<std::uint64_t>(sample < 0 ? -sample : sample);
  const std::uint64_t micros =
      (magnitude * scale_numerator * 1'000'000 + (std::uint64_t{1} << (scale_shift - 1))) >>
      scale_shift;
  at = write_below_1000(at, static_cast<unsigned>(micros / 1'000'000));
  *at++ = '.';
  const auto fraction = static_cast<unsigned>(micros % 1'000'000);
  at = write_pair(at, fraction / 10'000);
  at = write_pair(at, fraction / 100 % 100);
  at = write_pair(at, fraction % 100);
  std::memcpy(at, row_end.data(), row_end.size());
  at += row_end.size();
  return static_cast<std::size_t>(at - out);
}

log_conversion convert_log(byte_source& log, row_sink& output, frame_record& record) {
  line_reader reader(log);
  row_writer rows(output);
  log_conversion result{convert_status::converted, false, {}};
  std::int8_t held_value = initial_held_value;
  std::size_t lines = 0;
  for (std::string_view text; reader.next_text(text); ++lines) {
    const line_match line = match_log_line(text, record);
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
    }
  }
  const bool flushed = rows.flush();
  result.wrote_rows = rows.any();
  result.lines.read_all(lines);
  if (reader.failed()) {
    result.status = convert_status::read_failed;
  } else if (!flushed) {
    result.status = convert_status::write_failed;
  }
  return result;
}

}  // namespace pluckrow
