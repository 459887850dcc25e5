// Speed of the preparation of one received page (PreparePage: both page files written,
// the links resolved, the text converted and scanned for faxes) over the real pages of the
// corpus, and over a page like those of the crawl bench's local web.

#include <benchmark/benchmark.h>

#include "corpus_pages.h"

#include <filesystem>
#include <string>
#include <vector>

#include "harvest/control/url_rules.h"
#include "harvest/page/link_extraction.h"
#include "harvest/page/prepared_page.h"
#include "text/html_tokenizer.h"

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

norvane::PageJob JobFor(const std::string& body, bool secure, bool allLinks,
                        bool thorough = false) {
  const norvane::UrlRules rules{secure};
  const QString website = secure ? QStringLiteral("https://www.example.com/dir/sub/page.html")
                                 : QStringLiteral("www.example.com/dir/sub/page.html");
  return norvane::PageJob{body,
                          norvane::DecomposePageAddress(website, rules),
                          rules,
                          true,
                          thorough,
                          PageFolder() + "/html1.txt",
                          PageFolder() + "/html21.txt",
                          norvane::LinkReading{allLinks, true}};
}

void BM_PreparePageCorpus(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const std::vector<std::string>& pages = *corpus;
  const bool secure = state.range(0) != 0;
  const bool allLinks = state.range(1) != 0;
  std::size_t links = 0;
  std::size_t faxes = 0;
  for (auto _ : state) {
    links = 0;
    faxes = 0;
    for (const std::string& body : pages) {
      norvane::PreparedPage page = norvane::PreparePage(JobFor(body, secure, allLinks));
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
BENCHMARK(BM_PreparePageCorpus)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"secure", "all"})
    ->Unit(benchmark::kMillisecond);

// The part of the page work that reads every link of a page (before the links are resolved),
// and the tokenizer alone beneath it.
void BM_PageLinksCorpus(benchmark::State& state) {
  const std::vector<std::string>* corpus = CorpusPagesOrSkip(state);
  if (!corpus) return;
  const bool tokensOnly = state.range(0) != 0;
  std::size_t count = 0;
  for (auto _ : state) {
    count = 0;
    for (const std::string& body : *corpus) {
      if (tokensOnly) {
        norvane::HtmlTokenizer tokenizer(body);
        while (tokenizer.next()) ++count;
      } else {
        count += norvane::TakenPageLinks(body, true).size();
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(*corpus)));
  state.counters[tokensOnly ? "tokens" : "links"] = static_cast<double>(count);
}
BENCHMARK(BM_PageLinksCorpus)->Arg(0)->Arg(1)->ArgName("tokens")->Unit(benchmark::kMillisecond);

// A page as bench/crawl_bench.sh generates them: about 9 KB of short lines, nine links of the
// kinds its web holds (root-relative, absolute, mailto:, javascript:, "#") and a fax number.
// The classic page ends its lines with CR LF and holds a link a line; today's (lf) ends them
// with LF alone and holds its menu on one line; a page of today's size (big, with BENCH_WEB=today)
// also has a footer of 92 links and 200 lines of text.
std::string CrawlWebPage(bool lf, bool big = false) {
  lf = lf || big;
  const std::string crlf = lf ? "\n" : "\r\n";
  const std::string item = lf ? "" : crlf;
  std::string out = "<html><head><title>h001.test page 3</title></head>" + crlf + "<body>" + crlf;
  out += "<h1>Plumbing and heating, h001.test page 3</h1>" + crlf;
  out += "<a href=\"#top\">top</a>" + crlf;
  for (int k = 0; k < 45; ++k)
    out += "<p>Line " + std::to_string(k) +
           ": our engineers service boilers, radiators and drains across the county since " +
           std::to_string(1950 + (28 + k) % 70) + ".</p>" + crlf;
  out += "<ul>" + item;
  out += "<li><a href=\"/p4.html\">next</a></li>" + item;
  out += "<li><a href=\"http://h002.test/p3.html\">neighbour</a></li>" + item;
  out += "<li><a href=\"http://h049.test/p10.html\">partner</a></li>" + item;
  out += "<li><a href=\"http://h093.test/p1.html\">supplier</a></li>" + item;
  out += "<li><a href=\"/\">home</a></li>" + item;
  out += "<li><a href=\"/p8.html\">services</a></li>" + item;
  out += "<li><a href=\"mailto:office@h001.test\">mail</a></li>" + item;
  out += "<li><a href=\"javascript:void(0)\">menu</a></li>" + item;
  out += "</ul>" + crlf;
  out += "<p>Phone (201) 555-7000, Fax: (201) 555-0028</p>" + crlf;
  if (big) {
    out += "<footer><nav>";
    for (int k = 0; k < 92; ++k)
      out += "<a href=\"" +
             std::string(k % 2 ? "http://h0" + std::to_string(10 + k) + ".test" : "") + "/p" +
             std::to_string(7 * k + 1) + ".html\">section " + std::to_string(k) + "</a> ";
    out += "</nav></footer>" + crlf;
  }
  for (int k = 45; k < (big ? 200 : 90); ++k)
    out += "<p>Line " + std::to_string(k) +
           ": free estimates, emergency call-outs and annual maintenance plans for homes and "
           "offices.</p>" +
           crlf;
  out += "</body></html>" + crlf;
  return out;
}

void BM_PreparePageCrawlWeb(benchmark::State& state) {
  const std::string body = CrawlWebPage(state.range(2) != 0, state.range(2) == 2);
  const bool secure = state.range(0) != 0;
  const bool allLinks = state.range(1) != 0;
  const bool thorough = state.range(3) != 0;
  std::size_t links = 0;
  for (auto _ : state) {
    norvane::PreparedPage page = norvane::PreparePage(JobFor(body, secure, allLinks, thorough));
    links = page.links.size();
    benchmark::DoNotOptimize(page);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
  state.counters["links"] = static_cast<double>(links);
}
BENCHMARK(BM_PreparePageCrawlWeb)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1, 2}, {0, 1}})
    ->ArgNames({"secure", "all", "lf", "thorough"})  // lf 2: a page of today's size
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
