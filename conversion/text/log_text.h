// The text of an opened log, however it is stored: plain, after a UTF-8
// byte-order mark, in UTF-16, or compressed with gzip, zstd, xz or bzip2.
// The format is told once, here, by the log's first bytes, never by its
// name; everything after reads the text alone.
#pragma once

#include <cstdio>
#include <memory>

#include "conversion/text/byte_source.h"

namespace pluckrow {

struct log_text {
  // The text, or nullptr when the log is an archive of several files.
  std::unique_ptr<byte_source> text;
  // That archive's kind ("tar", "zip", "7z"), or nullptr. A tar archive is
  // told after decompression, so that a .tar.gz is one too.
  const char* archive = nullptr;
};

// `observer`, where given, is told of every block read from `log`.
log_text open_log_text(std::FILE* log, read_observer* observer = nullptr);

}  // namespace pluckrow
