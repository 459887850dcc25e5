// One click on "Start": a local engine's results are queued, the crawl stores the fax numbers of
// the local sites, the queue runs dry and the next search string is taken up.
#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <QUrlQuery>

#include "desktop/message_box.h"
#include "form1_fixture.h"
#include "local_web.h"
#include "result_pages.h"
#include "search/form3.h"
#include "support/qt_printers.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

// The engine knows 40 sites for "plumbers" and 3 for "roofers"; every site shows one fax number
// made from its own number and links nowhere, so the crawl's queue runs dry.
LocalWeb::Reply EngineAndSites(const QUrl& url) {
  if (url.host() == "www.google.com" && url.path() == "/search") {
    const QUrlQuery query(url);
    if (query.queryItemValue("start") != "0") {
      return LocalWeb::page("<html><body>No more results.</body></html>");
    }
    const QString q = query.queryItemValue("q");
    if (q == "plumbers") return LocalWeb::page(GoogleResultPage(Firms(40)).toUtf8());
    if (q == "roofers") return LocalWeb::page(GoogleResultPage(Firms(3, 501)).toUtf8());
    return LocalWeb::page("<html><body>No results.</body></html>");
  }
  static const QRegularExpression kFirm("^firm(\\d{3})\\.com$");
  const QRegularExpressionMatch firm = kFirm.match(url.host());
  if (firm.hasMatch() && url.path() == "/") {
    return LocalWeb::page("<html><body><h1>Firm " + firm.captured(1).toLatin1() +
                          "</h1><p>Phone: 201-555-1" + firm.captured(1).toLatin1() +
                          "<br>Fax: 201-555-0" + firm.captured(1).toLatin1() +
                          "</p></body></html>");
  }
  return LocalWeb::Reply{};
}

using EndToEndTest = Form1Test;

TEST_F(EndToEndTest, OneClickRunsSearchCrawlAndTheNextSearchString) {
  MessageBox::setTestMode(true);
  store("showHelp", "0");
  TestWeb().takeRequests();
  TestWeb().takeProxiedRequests();
  TestWeb().setHandler(EngineAndSites);
  seed({"plumbers", "roofers"}, {});
  auto form = start();
  form->Combo1->setCurrentIndex(0);
  form->Combo2->setCurrentIndex(0);
  for (QCheckBox* box :
       {form->chkAddFax, form->chkAudioEmail, form->chkAudioNext, form->chkAudioFinished}) {
    box->setChecked(false);
  }

  QTest::mouseClick(form->Command1, Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return form->panelText(3) == "Add more search terms"; }, 60000));
  ASSERT_TRUE(WaitFor([&] { return form->searchWindow() == nullptr; }));

  // Twenty sites wait in the table once Start Search has filled its list; every take moves one
  // more, and the take that finds the table empty stops the crawl. The pages finished before
  // that take have had their numbers stored under "plumbers"; a page still being scanned then
  // finishes its scan under the search string that is current by then.
  const QList<FaxRow> faxes = form->database().ReadAllFaxes();
  EXPECT_LE(faxes.size(), 39);
  int plumbers = 0;
  static const QRegularExpression kSite("firm(\\d{3})\\.com");
  for (const FaxRow& row : faxes) {
    const QRegularExpressionMatch site = kSite.match(row.website);
    ASSERT_TRUE(site.hasMatch()) << row.website.toStdString();
    EXPECT_EQ(row.fax, "1-201-555-0" + site.captured(1));
    if (row.search == "plumbers") {
      ++plumbers;
    } else {
      EXPECT_EQ(row.search, "roofers");
    }
  }
  EXPECT_GE(plumbers, 10);

  // Only the browser went through the proxy; the crawl asked each site itself.
  const QStringList requests = TestWeb().takeRequests();
  const QStringList proxied = TestWeb().takeProxiedRequests();
  EXPECT_EQ(proxied.filter("firm").size(), 0);
  EXPECT_GE(requests.filter("firm").size(), 10);
  EXPECT_EQ(proxied.filter("www.google.com/search"), requests.filter("www.google.com/search"));

  // The queue ran dry: "plumbers" is gone and "roofers" got its own pass, which found too few.
  QStringList engineRequests = requests.filter("www.google.com/search");
  for (QString& request : engineRequests) request = QUrl(request).query();
  const QString fixed = "num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=";
  EXPECT_EQ(engineRequests,
            (QStringList{fixed + "0&sa=N&q=plumbers", fixed + "100&sa=N&q=plumbers",
                         fixed + "0&sa=N&q=roofers", fixed + "100&sa=N&q=roofers"}));
  EXPECT_EQ(items(form->List1), QStringList{"roofers"});
  EXPECT_EQ(form->panelText(1), "Stopped");
  EXPECT_EQ(form->panelText(2), "Not enough results");
  EXPECT_FALSE(form->controller().bHarvesting);
  EXPECT_EQ(form->database().CountWebsites(), 3);
  EXPECT_EQ(form->searchWindowLoads(), 2);
  EXPECT_TRUE(MessageBox::takeShownTexts().isEmpty());
  TestWeb().setHandler({});
  form.reset();
  EXPECT_EQ(items(start()->List1), QStringList{"roofers"});
  MessageBox::setTestMode(false);
}

}  // namespace
}  // namespace norvane::testing
