#include <lzma.h>

#include "conversion/text/compressed_text.h"

namespace pluckrow {
namespace {

// The most memory an xz stream may ask for: what `xz -9` needs (a 64 MiB
// dictionary), so that no header can make the process take more.
constexpr std::uint64_t memory_limit = std::uint64_t{72} << 20;

// xz streams one after another, with their padding, each block checked.
class xz_decoder final : public byte_source {
 public:
  explicit xz_decoder(std::unique_ptr<byte_source> compressed) : input_(std::move(compressed)) {
    done_ = lzma_stream_decoder(&stream_, memory_limit, LZMA_CONCATENATED) != LZMA_OK;
    if (done_) fail();
  }
  ~xz_decoder() override { lzma_end(&stream_); }

 private:
  std::size_t produce(char* into, std::size_t size) override {
    stream_.next_out = reinterpret_cast<std::uint8_t*>(into);
    stream_.avail_out = size;
    while (stream_.avail_out == size && !done_) {
      const bool more = input_.at_hand();
      stream_.next_in = input_.data();
      stream_.avail_in = input_.size();
      // Told that the input ended, the decoder checks that the last stream
      // is whole.
      const lzma_ret result = lzma_code(&stream_, more ? LZMA_RUN : LZMA_FINISH);
      input_.consume(input_.size() - stream_.avail_in);
      if (result == LZMA_STREAM_END) {
        done_ = true;
        if (input_.failed()) fail();
      } else if (result != LZMA_OK) {
        done_ = true;
        fail();
      }
    }
    return size - stream_.avail_out;
  }

  compressed_bytes input_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<byte_source> xz_text(std::unique_ptr<byte_source> compressed) {
  return std::make_unique<xz_decoder>(std::move(compressed));
}

}  // namespace pluckrow
