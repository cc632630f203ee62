#include "conversion/text/compressed_text.h"

#ifdef PLUCKROW_WITH_ISAL
#include <isa-l/igzip_lib.h>
#else
#include <zlib.h>
#endif

namespace pluckrow {
namespace {

// gzip members one after another (cat a.gz b.gz, pigz, bgzip), each
// checked against its CRC-32 and length.
class gzip_decoder final : public byte_source {
 public:
  explicit gzip_decoder(std::unique_ptr<byte_source> compressed) : input_(std::move(compressed)) {
#ifdef PLUCKROW_WITH_ISAL
    isal_inflate_init(&state_);
    state_.crc_flag = ISAL_GZIP;
#else
    inflateInit2(&stream_, 16 + MAX_WBITS);  // gzip wrapper only
#endif
  }
#ifndef PLUCKROW_WITH_ISAL
  ~gzip_decoder() override { inflateEnd(&stream_); }
#endif

 private:
  std::size_t produce(char* into, std::size_t size) override {
    std::size_t produced = 0;
    while (produced == 0 && !done_) {
      const bool more = input_.at_hand();
      if (member_ended_) {
        // Another member may follow, and nothing else may.
        if (!more) {
          done_ = true;
          if (input_.failed()) fail();
          break;
        }
        start_member();
      }
      const std::size_t offered = input_.size();
      int left;
      const bool damaged = !inflate(into + produced, size - produced, produced, left);
      input_.consume(offered - static_cast<std::size_t>(left));
      if (damaged || (!more && produced == 0 && !member_ended_)) {
        // Damaged data, or the archive ends within a member.
        done_ = true;
        fail();
      }
    }
    return produced;
  }

#ifdef PLUCKROW_WITH_ISAL
  void start_member() {
    isal_inflate_reset(&state_);
    state_.crc_flag = ISAL_GZIP;
    member_ended_ = false;
  }

  // Decodes input_'s unread bytes into `out`; adds what it wrote to
  // `produced` and sets `left` to the input bytes left unread. Returns
  // false on damaged data.
  bool inflate(char* out, std::size_t room, std::size_t& produced, int& left) {
    state_.next_in = input_.data();
    state_.avail_in = static_cast<std::uint32_t>(input_.size());
    state_.next_out = reinterpret_cast<std::uint8_t*>(out);
    state_.avail_out = static_cast<std::uint32_t>(room);
    const int result = isal_inflate(&state_);
    produced += room - state_.avail_out;
    left = static_cast<int>(state_.avail_in);
    member_ended_ = state_.block_state == ISAL_BLOCK_FINISH;
    return result >= 0;
  }

  inflate_state state_;
#else
  void start_member() {
    inflateReset(&stream_);
    member_ended_ = false;
  }

  bool inflate(char* out, std::size_t room, std::size_t& produced, int& left) {
    stream_.next_in = input_.data();
    stream_.avail_in = static_cast<uInt>(input_.size());
    stream_.next_out = reinterpret_cast<Bytef*>(out);
    stream_.avail_out = static_cast<uInt>(room);
    const int result = ::inflate(&stream_, Z_NO_FLUSH);
    produced += room - stream_.avail_out;
    left = static_cast<int>(stream_.avail_in);
    member_ended_ = result == Z_STREAM_END;
    return result == Z_OK || result == Z_STREAM_END || result == Z_BUF_ERROR;
  }

  z_stream stream_{};
#endif

  compressed_bytes input_;
  bool member_ended_ = false;
  bool done_ = false;
};

}  // namespace

std::unique_ptr<byte_source> gzip_text(std::unique_ptr<byte_source> compressed) {
  return std::make_unique<gzip_decoder>(std::move(compressed));
}

}  // namespace pluckrow
