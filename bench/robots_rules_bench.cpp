// Cost of the polite crawl's robots.txt work at its limits: reading a file of the largest size
// read, and asking it about one path, with plain rules and with rules full of "*".

#include <benchmark/benchmark.h>

#include <string>

#include "harvest/polite/robots_rules.h"

namespace {

// Rules until the size limit: "Disallow: /dir<n>/page" or, with stars, "/*a*a*...*b".
std::string LargestFile(bool stars) {
  std::string body = "User-agent: *\n";
  for (int n = 0; body.size() < norvane::kRobotsMaxBytes; ++n) {
    body += "Disallow: ";
    if (stars) {
      body += "/";
      for (int i = 0; i < 20; ++i) body += "*a";
      body += "*b" + std::to_string(n);
    } else {
      body += "/dir" + std::to_string(n) + "/page";
    }
    body += "\n";
  }
  return body;
}

void BM_ParseLargestFile(benchmark::State& state) {
  const std::string body = LargestFile(state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(norvane::ParseRobotsTxt(body));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ParseLargestFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A path no rule matches, so every rule is tried: the worst a page of the crawl can cost.
void BM_AllowsAgainstLargestFile(benchmark::State& state) {
  const norvane::RobotsRules rules = norvane::ParseRobotsTxt(LargestFile(state.range(0) != 0));
  const std::string path = "/" + std::string(static_cast<std::size_t>(state.range(1)), 'a');
  for (auto _ : state) benchmark::DoNotOptimize(rules.allows(path));
}
BENCHMARK(BM_AllowsAgainstLargestFile)
    ->Args({0, 100})
    ->Args({1, 100})
    ->Args({1, 2000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
