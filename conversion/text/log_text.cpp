#include "conversion/text/log_text.h"

#include <string_view>
#include <utility>

#include "conversion/text/compressed_text.h"
#include "conversion/text/utf16_text.h"

namespace pluckrow {
namespace {

using decoder = std::unique_ptr<byte_source> (*)(std::unique_ptr<byte_source>);

bool is_gzip(std::string_view b) { return b.starts_with("\x1F\x8B"); }
// A zstd frame, or a skippable frame (magic 0x184D2A50 to 0x184D2A5F).
bool is_zstd(std::string_view b) {
  return b.starts_with("\x28\xB5\x2F\xFD") ||
         (b.size() >= 4 && (b[0] & 0xF0) == 0x50 && b.substr(1, 3) == "\x2A\x4D\x18");
}
bool is_xz(std::string_view b) {
  return b.starts_with(
      std::string_view("\xFD"
                       "7zXZ\0",
                       6));
}
bool is_bzip2(std::string_view b) {
  return b.size() >= 4 && b.starts_with("BZh") && b[3] >= '1' && b[3] <= '9';
}

// Each format's magic number with its decoder.
constexpr struct {
  bool (*starts)(std::string_view first_bytes);
  decoder text;
} compressions[] = {
    {is_gzip, gzip_text}, {is_zstd, zstd_text}, {is_xz, xz_text}, {is_bzip2, bzip2_text}};

// A tar header of any format (v7, ustar, GNU): a checksum that holds, the
// sum of the header's bytes with its own field as blanks, unsigned as POSIX
// sums them or signed as old tars did. Text holds one by chance only where
// its bytes 148 to 155 spell that sum in octal.
bool is_tar(std::string_view b) {
  constexpr std::size_t header = 512, checksum_at = 148, checksum_size = 8;
  if (b.size() < header) return false;
  unsigned sum = 0;
  int signed_sum = 0;
  for (std::size_t i = 0; i < header; ++i) {
    const bool in_field = i >= checksum_at && i < checksum_at + checksum_size;
    const char byte = in_field ? ' ' : b[i];
    sum += static_cast<unsigned char>(byte);
    signed_sum += static_cast<signed char>(byte);
  }
  unsigned stored = 0;
  std::size_t i = checksum_at;
  while (i < checksum_at + checksum_size && b[i] == ' ') ++i;
  const std::size_t digits_from = i;
  for (; i < checksum_at + checksum_size && b[i] >= '0' && b[i] <= '7'; ++i) {
    stored = stored * 8 + static_cast<unsigned>(b[i] - '0');
  }
  // The digits end the field, or a NUL or blank ends them.
  const bool ended = i == checksum_at + checksum_size || b[i] == '\0' || b[i] == ' ';
  return i > digits_from && ended && (stored == sum || static_cast<int>(stored) == signed_sum);
}
// A zip's first local header, or an empty zip's end record.
bool is_zip(std::string_view b) { return b.starts_with("PK\3\4") || b.starts_with("PK\5\6"); }
bool is_7z(std::string_view b) { return b.starts_with("7z\xBC\xAF\x27\x1C"); }

constexpr struct {
  const char* name;
  bool (*starts)(std::string_view first_bytes);
} archives[] = {{"tar", is_tar}, {"zip", is_zip}, {"7z", is_7z}};

// Drops the first `count` bytes of `source`, already peeked at.
void skip(byte_source& source, std::size_t count) {
  char mark[3];
  source.read(mark, count);
}

}  // namespace

log_text open_log_text(std::FILE* log, read_observer* observer) {
  std::unique_ptr<byte_source> bytes = std::make_unique<file_source>(log, observer);
  const std::string_view first_bytes = bytes->peek(6);
  for (const auto& format : compressions) {
    if (!format.starts(first_bytes)) continue;
    bytes = format.text(std::move(bytes));
    break;
  }
  // Several logs in one text would mix their frames into one CSV.
  const std::string_view head = bytes->peek(byte_source::max_peek);
  for (const auto& archive : archives) {
    if (archive.starts(head)) return {nullptr, archive.name};
  }
  // A byte-order mark is not text: after a UTF-8 one the bytes are read as
  // they are, after a UTF-16 one (LE or BE) the text is read as UTF-8.
  const std::string_view mark = bytes->peek(3);
  if (mark.starts_with("\xEF\xBB\xBF")) {
    skip(*bytes, 3);
  } else if (mark.starts_with("\xFF\xFE") || mark.starts_with("\xFE\xFF")) {
    const bool big_endian = mark[0] == '\xFE';
    skip(*bytes, 2);
    bytes = std::make_unique<utf16_text>(std::move(bytes), big_endian);
  }
  return {std::move(bytes)};
}

}  // namespace pluckrow
