// The text of a compressed log, decompressed as it is read: each format's
// decoder is a byte source over the source of the compressed bytes.
// Concatenated members, frames and streams read as one text. Damage (a cut
// archive, a corrupt block, a bad checksum) ends the text where the decoder
// finds it, as a failure. Each decoder holds one block of compressed input
// and its own window, whatever the size of the log.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

#include "conversion/text/byte_source.h"

namespace pluckrow {

// Each takes the compressed bytes from their first.
std::unique_ptr<byte_source> gzip_text(std::unique_ptr<byte_source> compressed);
std::unique_ptr<byte_source> zstd_text(std::unique_ptr<byte_source> compressed);
std::unique_ptr<byte_source> xz_text(std::unique_ptr<byte_source> compressed);
std::unique_ptr<byte_source> bzip2_text(std::unique_ptr<byte_source> compressed);

// The compressed input of a decoder, a block at a time.
class compressed_bytes {
 public:
  explicit compressed_bytes(std::unique_ptr<byte_source> source)
      : source_(std::move(source)), block_(new unsigned char[block_bytes]) {}

  // Refills the block when every byte of it is used; returns whether any
  // unread byte is at hand.
  bool at_hand() {
    if (begin_ == end_) {
      end_ = source_->read(reinterpret_cast<char*>(block_.get()), block_bytes);
      begin_ = 0;
    }
    return begin_ != end_;
  }
  unsigned char* data() const { return block_.get() + begin_; }
  std::size_t size() const { return end_ - begin_; }
  void consume(std::size_t count) { begin_ += count; }
  // Whether the compressed bytes ended on a read error.
  bool failed() const { return source_->failed(); }

 private:
  static constexpr std::size_t block_bytes = std::size_t{128} * 1024;

  std::unique_ptr<byte_source> source_;
  std::unique_ptr<unsigned char[]> block_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace pluckrow
