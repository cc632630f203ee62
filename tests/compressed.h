// Logs compressed by the libraries the program reads them with, as gzip,
// zstd, xz and bzip2 write them: the tests need no compression tool.
#pragma once

#include <string>
#include <string_view>

#ifdef PLUCKROW_WITH_ISAL
#include <isa-l/igzip_lib.h>
#else
#include <zlib.h>
#endif
#include <bzlib.h>
#include <lzma.h>
#include <zstd.h>

namespace pluckrow::test {

// The formats the program reads; xz at -9 has a 64 MiB window.
inline const std::vector<std::string> read_formats = {"gzip", "zstd", "xz", "xz -9", "bzip2"};

// `text` as one gzip member, zstd frame (with its checksum), xz stream (at
// the default level or at -9) or bzip2 stream.
inline std::string compressed(std::string_view format, std::string_view text) {
  std::string out(text.size() + text.size() / 2 + 1024, '\0');
  std::size_t size = 0;
  auto* const in = reinterpret_cast<const unsigned char*>(text.data());
  auto* const to = reinterpret_cast<unsigned char*>(out.data());
  if (format == "gzip") {
#ifdef PLUCKROW_WITH_ISAL
    isal_zstream stream;
    isal_deflate_stateless_init(&stream);
    stream.gzip_flag = IGZIP_GZIP;
    stream.end_of_stream = 1;
    stream.next_in = const_cast<unsigned char*>(in);
    stream.avail_in = static_cast<std::uint32_t>(text.size());
    stream.next_out = to;
    stream.avail_out = static_cast<std::uint32_t>(out.size());
    if (isal_deflate_stateless(&stream) == COMP_OK) size = stream.total_out;
#else
    z_stream stream{};
    deflateInit2(&stream, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = const_cast<unsigned char*>(in);
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = to;
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) == Z_STREAM_END) size = stream.total_out;
    deflateEnd(&stream);
#endif
  }
  if (format == "zstd") {
    ZSTD_CCtx* const context = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    size = ZSTD_compress2(context, to, out.size(), in, text.size());
    ZSTD_freeCCtx(context);
  }
  if (format.starts_with("xz")) {
    lzma_easy_buffer_encode(format == "xz" ? 6 : 9, LZMA_CHECK_CRC64, nullptr, in, text.size(), to,
                            &size, out.size());
  }
  if (format == "bzip2") {
    auto length = static_cast<unsigned>(out.size());
    BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(text.data()),
                             static_cast<unsigned>(text.size()), 9, 0, 0);
    size = length;
  }
  out.resize(size);
  return out;
}

}  // namespace pluckrow::test
