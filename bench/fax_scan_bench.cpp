// Speed of the fax scan over the real pages of the corpus: the recognition alone over converted
// text, the whole page steps from the received body, and the thorough scan.

#include <benchmark/benchmark.h>

#include "corpus_pages.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "common/text_file.h"
#include "harvest/faxes/fax_scan.h"
#include "harvest/faxes/fax_scan_page.h"
#include "harvest/faxes/thorough_fax_scan.h"

namespace {

using norvane::bench::CorpusPagesOrSkip;
using norvane::bench::TotalBytes;

std::size_t TotalSize(const std::vector<std::string>& texts) {
  std::size_t total = 0;
  for (const std::string& text : texts) total += text.size();
  return total;
}

void BM_FaxScanConvertedText(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  std::vector<std::string> converted;
  for (const std::string& body : pages) {
    converted.push_back(norvane::ConvertPageForFaxScan(body));
  }
  std::size_t numbers = 0;
  for (auto _ : state) {
    numbers = 0;
    for (const std::string& text : converted) {
      std::vector<norvane::FoundFax> found = norvane::FindFaxes(text, true);
      numbers += found.size();
      benchmark::DoNotOptimize(found);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize(converted)));
  state.counters["pages"] = static_cast<double>(converted.size());
  state.counters["numbers"] = static_cast<double>(numbers);
  state.counters["page_bytes/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * TotalSize(pages)), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FaxScanConvertedText)->Unit(benchmark::kMillisecond);

// The fax step from the received body: the classic scan (conversion and scan), or with
// thorough:1 the thorough scan alone (tokenizer, labels, the phone-number library), which runs
// beside the conversion when "Thorough Fax Scan" is on.
void BM_FaxPageSteps(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  const bool thorough = state.range(0) != 0;
  std::size_t numbers = 0;
  for (auto _ : state) {
    numbers = 0;
    for (const std::string& body : pages) {
      std::vector<norvane::FoundFax> found =
          thorough ? norvane::FindFaxesThoroughly(body, "www.example.com", true)
                   : norvane::FindFaxesInPage(body, true);
      numbers += found.size();
      benchmark::DoNotOptimize(found);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize(pages)));
  state.counters["pages"] = static_cast<double>(pages.size());
  state.counters["numbers"] = static_cast<double>(numbers);
}
BENCHMARK(BM_FaxPageSteps)->Arg(0)->Arg(1)->ArgName("thorough")->Unit(benchmark::kMillisecond);

// The line-break steps alone, which run on the whole received body before the converter.
void BM_FaxPageLineBreakSteps(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  for (auto _ : state) {
    for (const std::string& body : pages) {
      std::string text = norvane::BreakBeforeFax(norvane::RemoveLineBreaks(body));
      benchmark::DoNotOptimize(text);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalSize(pages)));
}
BENCHMARK(BM_FaxPageLineBreakSteps)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
