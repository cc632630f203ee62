// A regular file read in place: windows of it mapped into memory in turn,
// so that its bytes reach the line reader without the kernel's copy into a
// block, which is a third of a conversion's time.
//
// A file cut short while mapped reads as zeros past its new end in the
// page that holds it, and faults in the pages after. That fault is caught
// and the lost pages are replaced by zeros too. Zeros hold no newline, so
// a line that reaches them ends without one: before a row is written from
// such a line, `holds` tells whether the file still holds it, and the
// conversion ends before the first row it does not, as on a read error;
// the next window sees the shorter file in any case. On Windows nothing is
// mapped (a text-mode read changes the bytes), and `open` gives nullptr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "conversion/text/read_observer.h"

namespace pluckrow {

class mapped_file {
 public:
  // A few MiB of memory at most, and a mapping's cost spread over a
  // thousand or more lines.
  static constexpr std::size_t window_bytes = std::size_t{1} << 20;

  // As a window: `window_bytes` where this machine maps a page faster than
  // it copies one, and none elsewhere, asked when a file is first mapped.
  static constexpr std::size_t where_mapping_pays = SIZE_MAX;

  // The windows a log of `size` bytes is read in: none (it is copied in
  // blocks) below 128 KiB, which are copied faster than a window is mapped
  // and unmapped, and above, where mapping pays.
  static std::size_t window_for(std::uintmax_t size) {
    return size >= std::uintmax_t{128} << 10 ? where_mapping_pays : 0;
  }

  // The bytes of the file open as `descriptor` from `offset` on, in windows
  // of `window` bytes or more (whole pages, two at least), the first one
  // mapped; nullptr where the file is not a regular one, holds nothing past
  // `offset`, or does not map, or, for `where_mapping_pays`, where mapping
  // does not pay. `observer`, where given, is told of the bytes each window
  // maps past `told`, where it was told of those before.
  static std::unique_ptr<mapped_file> open(int descriptor, std::uint64_t offset, std::uint64_t told,
                                           std::size_t window, read_observer* observer);
  mapped_file(const mapped_file&) = delete;
  mapped_file& operator=(const mapped_file&) = delete;
  ~mapped_file();

  // The first window's bytes, from the offset on.
  std::string_view first() const {
    return {start_, length_ - static_cast<std::size_t>(start_ - base_)};
  }

  // The bytes from the last `kept` of the last view on, in the next window:
  // as many as it holds, or to the end of the file. At the end of the file,
  // or where the next window cannot be read (the file was cut short, a
  // mapping failed), the `kept` bytes alone, as the last window holds them.
  std::string_view next(std::size_t kept);

  // Whether the last view reaches the end of the file, as it was then.
  bool ended() const { return ended_; }
  // Whether the file was cut short while read, or a window did not map.
  bool failed() const;

  // Whether the file holds the bytes of the last view up to `line_end` as
  // they were read: false once it was cut short below it, or a page of the
  // window was lost.
  bool holds(const char* line_end) const;

 private:
  // Whether the pages of a file are read in place faster than the kernel
  // copies them, timed once a process on the file open as `descriptor`.
  static bool mapping_pays(int descriptor);

  mapped_file(int descriptor, std::size_t window, read_observer* observer)
      : descriptor_(descriptor), window_(window), observer_(observer) {}
  // Maps the window from the page that holds byte `from` of the file, where
  // the file now holds `size` bytes. Returns false, leaving the last window
  // as it was, when it does not map.
  bool map_window(std::uint64_t from, std::uint64_t size);

  int descriptor_;
  std::size_t window_;
  read_observer* observer_;
  char* base_ = nullptr;           // the window's first page
  std::size_t length_ = 0;         // its bytes
  std::uint64_t base_offset_ = 0;  // where it lies in the file
  const char* start_ = nullptr;    // the first byte of the first view
  std::uint64_t size_ = 0;         // the file's size as last seen
  std::uint64_t told_ = 0;         // where the observer was told of bytes up to
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace pluckrow
