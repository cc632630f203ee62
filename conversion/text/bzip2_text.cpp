#include <bzlib.h>

#include "conversion/text/compressed_text.h"

namespace pluckrow {
namespace {

// bzip2 streams one after another (pbzip2 writes several), each block
// checked against its CRC.
class bzip2_decoder final : public byte_source {
 public:
  explicit bzip2_decoder(std::unique_ptr<byte_source> compressed) : input_(std::move(compressed)) {
    started_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
    done_ = !started_;
    if (done_) fail();
  }
  ~bzip2_decoder() override {
    if (started_) BZ2_bzDecompressEnd(&stream_);
  }

 private:
  std::size_t produce(char* into, std::size_t size) override {
    std::size_t produced = 0;
    while (produced == 0 && !done_) {
      const bool more = input_.at_hand();
      if (stream_ended_) {
        // Another stream may follow, and nothing else may.
        if (!more) {
          done_ = true;
          if (input_.failed()) fail();
          break;
        }
        BZ2_bzDecompressEnd(&stream_);
        stream_ = {};
        started_ = BZ2_bzDecompressInit(&stream_, 0, 0) == BZ_OK;
        stream_ended_ = false;
      }
      if (!started_) {
        done_ = true;
        fail();
        break;
      }
      stream_.next_in = reinterpret_cast<char*>(input_.data());
      stream_.avail_in = static_cast<unsigned>(input_.size());
      stream_.next_out = into;
      stream_.avail_out = static_cast<unsigned>(size);
      const int result = BZ2_bzDecompress(&stream_);
      input_.consume(input_.size() - stream_.avail_in);
      produced = size - stream_.avail_out;
      stream_ended_ = result == BZ_STREAM_END;
      if ((result != BZ_OK && result != BZ_STREAM_END) ||
          (!more && produced == 0 && !stream_ended_)) {
        // Damaged data, or the archive ends within a stream.
        done_ = true;
        fail();
      }
    }
    return produced;
  }

  compressed_bytes input_;
  bz_stream stream_{};
  bool started_ = false;
  bool stream_ended_ = false;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<byte_source> bzip2_text(std::unique_ptr<byte_source> compressed) {
  return std::make_unique<bzip2_decoder>(std::move(compressed));
}

}  // namespace pluckrow
