// Fuzz target: on arbitrary bytes the matcher (the grammar matcher, or the
// exact matcher for a line the grammar declines) must agree with the
// reference field for field, the grammar must assign nothing where it
// declines, and a whole conversion must give the reference conversion's
// rows (a compressed log must convert, whatever its damage, and an archive
// of several logs gives none). Besides the
// input itself, a line of one of candump's shapes drawn
// from its first bytes is checked; the stored corpus holds logs of every
// shape candump writes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "conversion/convert.h"
#include "conversion/log_line.h"
#include "conversion/matching/line_grammar.h"
#include "conversion/text/line_reader.h"
#include "conversion/text/log_text.h"
#include "line_shapes.h"
#include "reference.h"
#include "stream_sink.h"

namespace {

using pluckrow::frame_record;

void check_line(std::string_view line) {
  const frame_record before{-7.25, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  frame_record matched = before;
  frame_record exact = before;
  frame_record grammar = before;
  const int count = pluckrow::parse_log_line(line, matched);
  const int exact_count = pluckrow::reference::match(line, exact);
  pluckrow::line_match match{};
  const bool taken = pluckrow::match_candump_line(line, grammar, match);
  if (count != exact_count || std::memcmp(&matched, &exact, sizeof exact) != 0 ||
      (!taken && std::memcmp(&grammar, &before, sizeof before) != 0)) {
    std::fprintf(stderr, "matchers disagree on \"%s\": %d vs %d fields\n",
                 pluckrow::reference::escaped(line).c_str(), count, exact_count);
    std::abort();
  }
}

// The rows of `log` converted from memory; sets `whole` when it was read
// to its end without failure.
std::string convert(std::string_view log, bool& whole) {
  std::FILE* input = fmemopen(const_cast<char*>(log.data()), log.size(), "r");
  char* rows = nullptr;
  std::size_t size = 0;
  std::FILE* output = open_memstream(&rows, &size);
  frame_record record{};
  const pluckrow::log_text opened = pluckrow::open_log_text(input);
  whole = opened.text != nullptr && pluckrow::convert_log(*opened.text, output, record).status ==
                                        pluckrow::convert_status::converted;
  std::fclose(input);
  std::fclose(output);
  std::string text(rows, size);
  std::free(rows);
  return text;
}

// Whether `bytes` start as a gzip, zstd (or its skippable frame), xz or
// bzip2 archive does.
bool compressed(std::string_view bytes) {
  return bytes.starts_with("\x1F\x8B") || bytes.starts_with("\x28\xB5\x2F\xFD") ||
         (bytes.size() >= 4 && (bytes[0] & 0xF0) == 0x50 && bytes.substr(1, 3) == "\x2A\x4D\x18") ||
         bytes.starts_with(
             "\xFD"
             "7zXZ") ||
         bytes.starts_with("BZh");
}

// A line of one of candump's shapes, drawn from the input's first bytes: a
// seed, a shape, and where to cut the varied line, which may end up mutated
// or crossed with another shape.
std::string shape_line(const std::uint8_t* data) {
  std::uint32_t seed;
  std::memcpy(&seed, data, sizeof seed);
  pluckrow::test::line_generator generator(seed);
  const auto& shape = pluckrow::test::shapes[data[4] % std::size(pluckrow::test::shapes)];
  std::string line = data[5] % 4 == 1 ? pluckrow::test::crossed(generator)
                                      : generator.varied(shape.make(generator));
  if (data[5] % 4 == 0) line = generator.mutated(line);
  const std::size_t newline = line.find('\n');
  const std::size_t length = newline == line.npos ? line.size() : newline + 1;
  return line.substr(0, data[6] == 0xFF ? length : std::min<std::size_t>(length, data[6]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 7) check_line(pluckrow::test::exact_block(shape_line(data)).view());
  // The input's first line, as the reader would give it.
  const std::size_t newline = bytes.find('\n');
  const std::size_t length = newline == bytes.npos ? bytes.size() : newline + 1;
  check_line(bytes.substr(0, std::min(length, pluckrow::max_line_bytes)));
  // A compressed log must convert, whatever its damage, and a UTF-16 one
  // too: the conversion test checks their rows. A plain log must give the
  // reference's rows; one with a UTF-8 mark, those of the text after it.
  bool whole = false;
  if (compressed(bytes) || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    convert(bytes, whole);
  } else if (!bytes.empty()) {
    frame_record record{};
    const std::string_view text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes;
    const std::string expected = pluckrow::reference::rows(text, record);
    const std::string rows = convert(bytes, whole);
    // An archive of several logs is refused whole, and only what bears an
    // archive's mark may be: a zip's, a 7z's, or a tar header's "ustar".
    const bool marked = bytes.starts_with("PK") || bytes.starts_with("7z") ||
                        (bytes.size() > 262 && bytes.substr(257, 5) == "ustar");
    if (marked && !whole && rows.empty()) return 0;
    if (rows != expected || !whole) {
      std::fprintf(stderr, "conversion differs from the reference\n");
      std::abort();
    }
  }
  return 0;
}
