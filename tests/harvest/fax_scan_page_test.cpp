#include "harvest/faxes/fax_scan_page.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStringList>
#include <algorithm>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "areacodes/area_code_directory.h"
#include "common/text_file.h"
#include "found_faxes.h"
#include "support/temp_app_folder.h"

namespace norvane {
namespace {

struct PageCase {
  const char* name;
  std::string body;
  std::vector<std::string> faxes;
  friend void PrintTo(const PageCase& c, std::ostream* os) { *os << c.name; }
};

class PageStepsTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageStepsTest, StoresNumbersOfTheReceivedBody) {
  const PageCase& c = GetParam();
  EXPECT_EQ(FaxesOf(FindFaxesInPage(c.body, true)), c.faxes);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageStepsTest,
    ::testing::Values(
        PageCase{"Paragraph",
                 "<html><body><p>Tel 201-555-0100<br>Fax: (201) 555-0123</p></body></html>",
                 {"1-201-555-0123"}},
        // The line breaks of the body are removed before the conversion, so a number broken
        // over two source lines is read whole.
        PageCase{"NumberOverSourceLines",
                 "<body>\r\nFax: 201-555-\r\n0123\n</body>",
                 {"1-201-555-0123"}},
        // Every "fax" starts a line of its own before conversion, but the converter turns that
        // break into a space: both numbers share one line and only the first is read.
        PageCase{
            "TwoOnOneLine", "<body>Fax 201-555-0123 fax 202-555-0199</body>", {"1-201-555-0123"}},
        PageCase{"TwoParagraphs",
                 "<body><p>Fax 201-555-0123<p>FAX +44 20 7946 0958</body>",
                 {"1-201-555-0123", "+44-20-7946-0958"}},
        PageCase{"EntitiesDecoded",
                 "<body>Fax&nbsp;201&#45;555&#45;0123 &amp; more</body>",
                 {"1-201-555-0123"}},
        PageCase{"NonBreakingSpacesBetweenDigits",
                 "<body>Fax 201&nbsp;555&nbsp;0123</body>",
                 {"+2015550123"}},
        // Letters after a number of fewer than ten digits count against it: six leave it
        // stored, the seventh (the limit) rules it out.
        PageCase{
            "NumberThenSixLetters", "<body><p>Fax 201-555-012 abcdef</p></body>", {"+201-555-012"}},
        PageCase{"NumberThenTheLetterLimit", "<body><p>Fax 201-555-012 abcdefg</p></body>", {}},
        PageCase{"NumberThenTheLetterLimitWithinATag",
                 "<body><p>Fax 201-555-012 <b>abc</b>defg</p></body>",
                 {}},
        PageCase{"NoBody", "<html>Fax 201-555-0123</html>", {}},
        PageCase{"NoFax", "<body>Phone 201-555-0123</body>", {}}, PageCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageSteps, ConvertedTextEndsWithTheFileLineBreak) {
  std::string converted = ConvertPageForFaxScan("<body>Fax 1</body>");
  ASSERT_GE(converted.size(), 2u);
  EXPECT_EQ(converted.substr(converted.size() - 2), "\r\n");
  EXPECT_NE(converted.find("fax 1"), std::string::npos) << converted;
  EXPECT_EQ(ConvertPageForFaxScan(""), "\r\n");
}

TEST(PageSteps, InternationalNumbersLeftOutWhenNotAllowed) {
  const std::string body = "<body><p>Fax +44 20 7946 0958<p>Fax 201.555.0123</body>";
  std::vector<FoundFax> all = FindFaxesInPage(body, true);
  std::vector<FoundFax> us = FindFaxesInPage(body, false);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].location, std::string(kUnknownInternational));
  ASSERT_EQ(us.size(), 1u);
  EXPECT_EQ(us[0], all[1]);
}

// The two stored forms as the scan makes them. North-American: "1-" and "NNN-NNN-NNNN", where
// cutting a longer number back to twelve characters checks only the dash places, so a dash
// may stand among the last four (a Swiss "043 499 18 61" becomes "1-043-499-18-6").
// International: one "+", digits and single dashes, no dash at the end.
bool HasOnly(const std::string& text, std::string_view allowed) {
  return text.find_first_not_of(allowed) == std::string::npos;
}

bool IsStoredForm(const std::string& fax) {
  if (fax.starts_with("1-") && fax.size() == 14 && IsUsNumber(fax)) {
    return HasOnly(fax, "0123456789-+");
  }
  return std::count(fax.begin(), fax.end(), '+') == 1 && HasOnly(fax, "0123456789-+") &&
         fax.find_first_of("0123456789") != std::string::npos &&
         fax.find("--") == std::string::npos && fax.back() != '-';
}

TEST(CorpusPages, EveryStoredNumberHasAStoredForm) {
  const QString corpus = testing::CorpusDir();
  if (corpus.isEmpty()) GTEST_SKIP() << "no corpus folder";
  const QStringList pages = QDir(corpus + "/pages").entryList({"*.html"}, QDir::Files);
  if (pages.isEmpty()) GTEST_SKIP() << "no pages in the corpus";
  int pagesWithNumbers = 0;
  for (const QString& name : pages) {
    std::string body;
    ASSERT_TRUE(ReadFileBytes((corpus + "/pages/" + name).toStdString(), body));
    std::vector<FoundFax> all = FindFaxesInPage(body, true);
    std::vector<FoundFax> usOnly = FindFaxesInPage(body, false);
    for (const FoundFax& found : all) {
      EXPECT_TRUE(IsStoredForm(found.fax)) << name.toStdString() << ": " << found.fax;
    }
    // Leaving out international numbers changes nothing else: the North-American numbers are
    // the same, in the same order.
    auto next = all.begin();
    for (const FoundFax& found : usOnly) {
      EXPECT_TRUE(found.fax.starts_with("1-")) << name.toStdString() << ": " << found.fax;
      next = std::find(next, all.end(), found);
      ASSERT_NE(next, all.end()) << name.toStdString() << ": " << found.fax;
      ++next;
    }
    if (!all.empty()) ++pagesWithNumbers;
  }
  EXPECT_GT(pagesWithNumbers, 0);
}

}  // namespace
}  // namespace norvane
