// A robots.txt and a path, split at the first NUL: parsing and matching end in bounded time,
// and what the matcher answers keeps the promises the polite crawl relies on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "harvest/polite/robots_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find('\0');
  const std::string_view body = input.substr(0, cut);
  const std::string_view path =
      cut == std::string_view::npos ? std::string_view("/") : input.substr(cut + 1);

  const norvane::RobotsRules rules = norvane::ParseRobotsTxt(body);
  (void)rules.allows(path);
  FUZZ_CHECK(rules.allows("/robots.txt"));
  if (const auto delay = rules.crawlDelay())
    FUZZ_CHECK(delay->count() >= 0 && *delay <= norvane::kMaxCrawlDelay);
  (void)norvane::RobotsRulesForResponse(input).allows(path);

  for (char c : norvane::NormaliseRobotsPath(path)) FUZZ_CHECK(c > ' ' && c < '\x7f');

  // A path written as a rule matches itself: Disallow refuses it, an Allow as long wins.
  const bool plain = !path.empty() && path.front() == '/' &&
                     path.find_first_of("\r\n#*$") == std::string_view::npos;
  if (plain && norvane::NormaliseRobotsPath(path) != "/robots.txt") {
    const std::string rule = "User-agent: *\nDisallow: " + std::string(path) + "\n";
    FUZZ_CHECK(!norvane::ParseRobotsTxt(rule).allows(path));
    FUZZ_CHECK(norvane::ParseRobotsTxt(rule + "Allow: " + std::string(path) + "\n").allows(path));
  }
  return 0;
}
