// Writes a generated log for timing whole programs:
// make_log LINES FILE [absolute|log-file|untimed].
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "log_generator.h"

int main(int argc, char** argv) {
  using pluckrow::bench::log_layout;
  const std::string_view layout_name = argc == 4 ? argv[3] : "absolute";
  const log_layout layout = layout_name == "log-file"  ? log_layout::log_file
                            : layout_name == "untimed" ? log_layout::untimed
                                                       : log_layout::absolute;
  if ((argc != 3 && argc != 4) || (layout == log_layout::absolute && layout_name != "absolute")) {
    std::fputs("usage: pluckrow_make_log LINES FILE [absolute|log-file|untimed]\n", stderr);
    return 1;
  }
  const std::string log =
      pluckrow::bench::generate_log(std::strtoull(argv[1], nullptr, 10), 1, layout);
  std::FILE* file = std::fopen(argv[2], "wb");
  const bool written =
      file != nullptr && std::fwrite(log.data(), 1, log.size(), file) == log.size();
  return file != nullptr && std::fclose(file) == 0 && written ? 0 : 1;
}
