#include "text/html_to_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace norvane {
namespace {

// Hostile pages: each repeats a pattern that makes some look-ahead rescan the rest of the page
// when done naively. Built to about `size` bytes.
struct HostilePage {
  std::string what;
  std::string head;
  std::string unit;
  std::string tail;
};

const std::vector<HostilePage>& HostilePages() {
  static const std::string end = "</body></html>";
  static const std::vector<HostilePage> pages = {
      {"rows without /TR", "<body>x<table>", "<tr><td>abc ", end},
      {"rows closed once at the end", "<body>x<table>", "<tr>", "<td>a</td></tr></table>" + end},
      {"cells without /TD broken by BR", "<body>x<table>", "<tr><td>ab<br>", end},
      {"cells without /TD or /TR", "<body>x<table>", "<tr><td>", "</table>" + end},
      {"nested tables", "<body>x", "<table><tr><td>", end},
      {"row markup without text", "<body>x<table><tr>", "<b></b>", "<td>a</td></tr>" + end},
      {"long comment full of dashes and >", "<body>x<!--", "- > -- > -> ", "-->y" + end},
      // The page ends on the "-->" that every comment finds.
      {"comments ending only at the last character", "<body>x", "<!--a-", "->"},
      {"many comment starts outside the body", "", "<!--", end},
      {"many comment starts in the body", "<body>x", "<!--", end},
      {"many &", "<body>x", "&", end},
      {"many & with ;", "<body>x", "&a&;b;&", end},
      {"white space after tags", "<body>x", "<b>       \r\n  ", "y" + end},
      {"many titles", "", "<title>ab", end},
      {"many scripts with dashes", "<body>x", "<script>a-- -", end},
  };
  return pages;
}

std::string Build(const HostilePage& page, std::size_t size) {
  std::string text = page.head;
  while (text.size() + page.tail.size() < size) text += page.unit;
  return text + page.tail;
}

HtmlToTextWork WorkFor(const std::string& page) {
  HtmlToTextWork work;
  HtmlToText(page, "", {}, &work);
  return work;
}

// Counts the positions every look-ahead examines: for eight times the page, at most about
// eight times the work, and never more than a few times the page length.
TEST(HtmlToTextLinearWork, HostilePagesCostWorkInProportionToTheirLength) {
  constexpr std::size_t kSmall = 100'000;
  for (const HostilePage& hostile : HostilePages()) {
    SCOPED_TRACE(hostile.what);
    const std::string small = Build(hostile, kSmall);
    const std::string large = Build(hostile, 8 * kSmall);
    const HtmlToTextWork smallWork = WorkFor(small);
    const HtmlToTextWork largeWork = WorkFor(large);
    const double smallTotal = static_cast<double>(small.size() + smallWork.lookAheadPositions);
    const double largeTotal = static_cast<double>(large.size() + largeWork.lookAheadPositions);
    EXPECT_LT(largeTotal / smallTotal, 10.0);
    EXPECT_LE(largeWork.lookAheadPositions, 12 * large.size());
    EXPECT_LE(largeWork.rowMeasurePositions, 4 * large.size() + 2 * 65536);
  }
}

// The counters count real work: one row measurement covers its row.
TEST(HtmlToTextLinearWork, CountersSeeTheRowMeasurement) {
  const std::string row = "<tr><td>" + std::string(1000, 'a') + "</td></tr>";
  HtmlToTextWork work;
  HtmlToText("<body>x<table>" + row + "</table></body></html>", "", {}, &work);
  EXPECT_GE(work.rowMeasurePositions, 1000u);
  EXPECT_LE(work.rowMeasurePositions, row.size());
  EXPECT_GE(work.lookAheadPositions, work.rowMeasurePositions);
}

double FastestSeconds(const std::function<void()>& run) {
  double best = 1e9;
  for (int k = 0; k < 3; ++k) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The same by the clock, which also catches work the counters do not see; the margin is wide
// because the machine is shared.
TEST(HtmlToTextLinearWork, HostilePagesTakeTimeInProportionToTheirLength) {
  constexpr std::size_t kSmall = 100'000;
  std::vector<std::string> small;
  std::vector<std::string> large;
  for (const HostilePage& hostile : HostilePages()) {
    small.push_back(Build(hostile, kSmall));
    large.push_back(Build(hostile, 8 * kSmall));
  }
  std::size_t sink = 0;
  const auto convertAll = [&sink](const std::vector<std::string>& pages) {
    for (const std::string& page : pages) sink += HtmlToText(page, "").size();
  };
  const double smallSeconds = FastestSeconds([&] { convertAll(small); });
  const double largeSeconds = FastestSeconds([&] { convertAll(large); });
  EXPECT_GT(sink, 0u);
  EXPECT_LT(largeSeconds / smallSeconds, 30.0)
      << "small " << smallSeconds << " s, large " << largeSeconds << " s";
}

}  // namespace
}  // namespace norvane
