// The search for the end of the header block while a response arrives: 16 MiB that never hold
// one, in pieces of 16 KiB (and 64 KiB), searched after every piece the way the crawl does.
// "FromStart" is the search the crawl made before it resumed where the last search ended; it
// stays here as the yardstick.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "harvest/fetch/http_response.h"

namespace {

constexpr std::size_t kResponseBytes = 16 * 1024 * 1024;

// Header-like lines with CR LF endings but no blank line: the worst case for the search,
// which has to look at every line end.
std::string ResponseWithoutHeaderEnd() {
  std::string data = "HTTP/1.1 200 OK\r\n";
  while (data.size() < kResponseBytes) data += "X-Filler: abcdefghijklmnopqrstuvwxyz\r\n";
  data.resize(kResponseBytes);
  return data;
}

template <bool kResume>
void BM_HeaderSearch(benchmark::State& state) {
  const std::string response = ResponseWithoutHeaderEnd();
  const std::size_t piece = std::size_t(state.range(0));
  for (auto _ : state) {
    std::string received;
    std::size_t resumeFrom = 0;
    bool found = false;
    for (std::size_t at = 0; at < response.size(); at += piece) {
      received.append(response, at, piece);
      found = kResume ? norvane::FindHeaderEndResuming(received, resumeFrom).has_value()
                      : norvane::FindHeaderEnd(received).has_value();
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(response.size()));
}

BENCHMARK_TEMPLATE(BM_HeaderSearch, true)
    ->Name("BM_HeaderSearchResumed")
    ->Arg(16 * 1024)
    ->Arg(64 * 1024)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_HeaderSearch, false)
    ->Name("BM_HeaderSearchFromStart")
    ->Arg(16 * 1024)
    ->Arg(64 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
