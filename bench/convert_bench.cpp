// Matcher and row throughput: the matcher against std::sscanf, the row
// formatter against snprintf, and whole conversions, on a generated log.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "conversion/convert.h"
#include "conversion/log_line.h"
#include "conversion/text/line_reader.h"
#include "log_generator.h"
#include "stream_sink.h"

namespace {

using pluckrow::bench::log_layout;

// The same 200,000 frames in each layout.
const std::string& test_log(log_layout layout = log_layout::absolute) {
  static const std::string logs[] = {
      pluckrow::bench::generate_log(200'000, 1, log_layout::absolute),
      pluckrow::bench::generate_log(200'000, 1, log_layout::log_file),
      pluckrow::bench::generate_log(200'000, 1, log_layout::untimed)};
  return logs[static_cast<int>(layout)];
}

std::vector<std::string_view> test_lines() {
  std::vector<std::string_view> lines;
  std::string_view rest = test_log();
  while (!rest.empty()) {
    const std::size_t length = rest.find('\n') + 1;
    lines.push_back(rest.substr(0, length));
    rest.remove_prefix(length);
  }
  return lines;
}

// std::sscanf with the pattern alone, on the line as a C string: the
// straightforward matcher the program's is measured against.
int match_with_sscanf(std::string_view line, pluckrow::frame_record& record) {
  char text[pluckrow::max_line_bytes + 1];
  const std::size_t size = std::min(line.size(), pluckrow::max_line_bytes);
  std::memcpy(text, line.data(), size);
  text[size] = '\0';
  return std::sscanf(text, pluckrow::log_line_pattern, &record.time_stamp, &record.identifier,
                     &record.length, &record.data0, &record.data1, &record.data2, &record.data3,
                     &record.data4, &record.data5, &record.data6, &record.data7);
}

template <int (*match)(std::string_view, pluckrow::frame_record&)>
void match_lines(benchmark::State& state) {
  const std::vector<std::string_view> lines = test_lines();
  pluckrow::frame_record record{};
  for (auto _ : state) {
    for (const std::string_view line : lines) benchmark::DoNotOptimize(match(line, record));
    benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(test_log().size()));
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(match_lines<pluckrow::parse_log_line>)->Name("match/grammar");
BENCHMARK(match_lines<match_with_sscanf>)->Name("match/sscanf");

void rows_format_row(benchmark::State& state) {
  char row[pluckrow::max_row_bytes];
  for (auto _ : state) {
    for (int sample = -32768; sample < 32768; ++sample) {
      benchmark::DoNotOptimize(pluckrow::format_row(-8, static_cast<std::int16_t>(sample), row));
    }
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(rows_format_row)->Name("rows/format_row");

void rows_snprintf(benchmark::State& state) {
  char row[64];
  for (auto _ : state) {
    for (int sample = -32768; sample < 32768; ++sample) {
      benchmark::DoNotOptimize(
          std::snprintf(row, sizeof row, "%d,%f\n", -8, sample * pluckrow::sample_scale));
    }
  }
  state.SetItemsProcessed(state.iterations() * 65536);
}
BENCHMARK(rows_snprintf)->Name("rows/snprintf");

// The whole conversion from memory to memory: reading, matching and rows,
// for the log of layout `state.range(0)`.
void convert_in_memory(benchmark::State& state) {
  std::string log = test_log(static_cast<log_layout>(state.range(0)));
  std::string rows(log.size(), '\0');
  for (auto _ : state) {
    std::FILE* input = fmemopen(log.data(), log.size(), "r");
    std::FILE* output = fmemopen(rows.data(), rows.size(), "w");
    pluckrow::frame_record record{};
    pluckrow::file_source text(input);
    benchmark::DoNotOptimize(pluckrow::convert_log(text, output, record).status);
    std::fclose(input);
    std::fclose(output);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(log.size()));
}
BENCHMARK(convert_in_memory)
    ->Name("convert/whole")
    ->ArgName("layout")
    ->Arg(static_cast<int>(log_layout::absolute))
    ->Arg(static_cast<int>(log_layout::log_file))
    ->Arg(static_cast<int>(log_layout::untimed));

}  // namespace

BENCHMARK_MAIN();
