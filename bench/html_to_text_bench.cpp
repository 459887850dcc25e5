// Speed of the HTML-to-text converter over the real pages of the corpus, in page bytes per second.

#include <benchmark/benchmark.h>

#include "corpus_pages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "text/html_to_text.h"

namespace {

using norvane::bench::CorpusPagesOrSkip;
using norvane::bench::TotalBytes;

void BM_HtmlToTextCorpus(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  const std::size_t pageBytes = TotalBytes(pages);
  std::size_t textBytes = 0;
  for (auto _ : state) {
    textBytes = 0;
    for (const std::string& page : pages) {
      std::string text = norvane::HtmlToText(page, "");
      textBytes += text.size();
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageBytes));
  state.counters["pages"] = static_cast<double>(pages.size());
  state.counters["text_bytes"] = static_cast<double>(textBytes);
}
BENCHMARK(BM_HtmlToTextCorpus)->Unit(benchmark::kMillisecond);

// The same with a yield callback, as the crawl runs it.
void BM_HtmlToTextCorpusWithYield(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  const std::size_t pageBytes = TotalBytes(pages);
  std::size_t yields = 0;
  const norvane::YieldFn yield = [&yields] { ++yields; };
  for (auto _ : state) {
    for (const std::string& page : pages) {
      benchmark::DoNotOptimize(norvane::HtmlToText(page, "", yield));
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pageBytes));
  benchmark::DoNotOptimize(yields);
}
BENCHMARK(BM_HtmlToTextCorpusWithYield)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
