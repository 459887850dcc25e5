// The crawl's page steps with "Thorough Fax Scan" on: the numbers the thorough scan finds are
// stored, counted, shown and named, on short and long pages alike; with it off the
// classic scan stores what it always stored.

#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "areacodes/area_code_directory.h"
#include "crawl_fixture.h"
#include "harvest/page/page_steps.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, ThoroughScanStoresEachFaxOfThePageOnceWithItsRegion) {
  // A label in the cell before, a number followed by "(fax)", a fax link, a phone number and
  // the same fax again; padded to 256 KiB when `longPage` is set.
  const std::string numbers =
      "<table><tr><td>Phone</td><td>(614) 292-6446</td></tr>"
      "<tr><td>Fax</td><td>(614) 292-6447</td></tr></table>"
      "<p>Sales: 707.665.9184 (fax)</p><a href=\"fax:+442079460958\">fax us</a>"
      "<p>Fax: 614-292-6447</p>";
  const struct {
    const char* name;
    bool thorough;
    bool longPage;
    QStringList faxes;
  } cases[] = {
      {"thorough, at once", true, false, {"1-614-292-6447", "1-707-665-9184", "+44-20-7946-0958"}},
      {"thorough, long page", true, true, {"1-614-292-6447", "1-707-665-9184", "+44-20-7946-0958"}},
      // The classic scan reads the line after "Fax" and the "fax us" of the link, which the
      // converter joined with the next paragraph's "Fax:" number.
      {"classic", false, false, {"1-614-292-6447"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempAppFolder caseFolder;
    {
      SpiderDatabase db(AppFile(QStringLiteral("spider.mdb")));
      ASSERT_TRUE(db.open());
      QString search = QStringLiteral("clinics");
      db.AddSearch(search);
    }
    options.continueAfterLastSearch = true;
    options.thoroughFaxScan = c.thorough;
    auto crawl = startCrawler();
    crawl->bHarvesting = true;
    std::string page = "<html><body>";
    if (c.longPage) page += std::string(256 * 1024, ' ');
    page += numbers + "</body></html>";
    crawl->SavePage(page, 0);
    WaitFor([&] { return crawl->database().ReadAllFaxes().size() >= c.faxes.size(); }, 5000);
    QTest::qWait(20);

    const QList<FaxRow> rows = crawl->database().ReadAllFaxes();
    ASSERT_EQ(rows.size(), c.faxes.size());
    for (int k = 0; k < rows.size(); ++k) {
      EXPECT_EQ(rows[k].fax, c.faxes[k]);
      EXPECT_EQ(rows[k].search, QStringLiteral("clinics"));
      std::string fax = rows[k].fax.toStdString();
      if (fax.starts_with("1-")) {
        EXPECT_EQ(rows[k].location, QString::fromLatin1(LookupAreaCode(fax)));
      } else {
        EXPECT_EQ(rows[k].location, QStringLiteral("London, United Kingdom"));
      }
    }
    const qsizetype count = c.faxes.size();
    EXPECT_EQ(crawl->statistics().lSessionFaxes, count);
    EXPECT_EQ(crawl->pageSteps().lFaxCount, count);
    EXPECT_EQ(crawl->panelText(3), QStringLiteral("Found %1 faxes").arg(count));
    ASSERT_EQ(crawl->faxPreview().size(), count);
    EXPECT_EQ(crawl->faxPreview().last(),
              rows.last().fax + QStringLiteral(" | ") + rows.last().location);

    // The same page again stores nothing more.
    crawl->SavePage(page, 1);
    QTest::qWait(c.longPage ? 200 : 20);
    EXPECT_EQ(crawl->database().ReadAllFaxes().size(), count);
    EXPECT_EQ(crawl->statistics().lSessionFaxes, count);
    crawl.reset();
  }
}

}  // namespace
}  // namespace norvane::testing
