// Speed of the page thread's work on one received page (PreparePage: both page files written,
// the links resolved, the text converted and scanned for faxes) over the real pages of the
// corpus.

#include <benchmark/benchmark.h>

#include "corpus_pages.h"

#include <filesystem>
#include <string>
#include <vector>

#include "harvest/prepared_page.h"
#include "harvest/url_rules.h"

namespace {

using norvane::bench::CorpusPagesOrSkip;
using norvane::bench::TotalBytes;

// The page files go to a folder of their own on the same disk as the program's files would.
std::string PageFolder() {
  static const std::string folder = [] {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "norvane_prepare_page_bench";
    std::filesystem::create_directories(path);
    return path.string();
  }();
  return folder;
}

norvane::PageJob JobFor(const std::string& body, bool secure) {
  const norvane::UrlRules rules{secure};
  const QString website = secure ? QStringLiteral("https://www.example.com/dir/sub/page.html")
                                 : QStringLiteral("www.example.com/dir/sub/page.html");
  return norvane::PageJob{body,
                          norvane::DecomposePageAddress(website, rules),
                          rules,
                          true,
                          PageFolder() + "/html1.txt",
                          PageFolder() + "/html21.txt"};
}

void BM_PreparePageCorpus(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  const bool secure = state.range(0) != 0;
  std::size_t links = 0;
  std::size_t faxes = 0;
  for (auto _ : state) {
    links = 0;
    faxes = 0;
    for (const std::string& body : pages) {
      norvane::PreparedPage page = norvane::PreparePage(JobFor(body, secure));
      links += page.links.size();
      faxes += page.faxes.size();
      benchmark::DoNotOptimize(page);
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(pages)));
  state.counters["pages"] = static_cast<double>(pages.size());
  state.counters["links"] = static_cast<double>(links);
  state.counters["faxes"] = static_cast<double>(faxes);
  state.counters["s/page"] = benchmark::Counter(
      static_cast<double>(state.iterations() * pages.size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_PreparePageCorpus)->Arg(0)->Arg(1)->ArgName("secure")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
