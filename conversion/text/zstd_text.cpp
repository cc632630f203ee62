#include <zstd.h>

#include "conversion/text/compressed_text.h"

namespace pluckrow {
namespace {

// zstd frames one after another, skippable frames among them, each checked
// against its checksum when it has one.
class zstd_decoder final : public byte_source {
 public:
  explicit zstd_decoder(std::unique_ptr<byte_source> compressed)
      : input_(std::move(compressed)), context_(ZSTD_createDCtx()) {
    done_ = context_ == nullptr;
    if (done_) fail();
  }
  ~zstd_decoder() override { ZSTD_freeDCtx(context_); }

 private:
  std::size_t produce(char* into, std::size_t size) override {
    ZSTD_outBuffer out{into, size, 0};
    while (out.pos == 0 && !done_) {
      const bool more = input_.at_hand();
      if (!more && hint_ == 0) {
        // The last frame ended with the archive.
        done_ = true;
        if (input_.failed()) fail();
        break;
      }
      ZSTD_inBuffer in{input_.data(), input_.size(), 0};
      hint_ = ZSTD_decompressStream(context_, &out, &in);
      input_.consume(in.pos);
      if (ZSTD_isError(hint_) != 0 || (!more && out.pos == 0)) {
        // Damaged data, or the archive ends within a frame.
        done_ = true;
        fail();
      }
    }
    return out.pos;
  }

  compressed_bytes input_;
  ZSTD_DCtx* context_;
  // What ZSTD_decompressStream last returned: 0 when a frame has just ended.
  std::size_t hint_ = 1;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<byte_source> zstd_text(std::unique_ptr<byte_source> compressed) {
  return std::make_unique<zstd_decoder>(std::move(compressed));
}

}  // namespace pluckrow
