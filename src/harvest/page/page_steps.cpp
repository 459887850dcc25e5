#include "harvest/page/page_steps.h"

#include <QFile>

#include "common/app_folder.h"
#include "common/event_yield.h"
#include "common/text_file.h"
#include "harvest/control/harvest_host.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/page/prepared_page.h"
#include "store/spider_database.h"

namespace norvane {
std::string PageFilePath(const char* stem, int16_t n) {
  return QFile::encodeName(
             AppFile(QLatin1String(stem) + QString::number(n) + QStringLiteral(".txt")))
      .toStdString();
}

PageSteps::PageSteps(HarvestHost& host, const PageFetcher& fetcher)
    : m_host(host), m_fetcher(fetcher) {}

PageSteps::~PageSteps() = default;

PageSteps::Page PageSteps::pageOf(int16_t n) const {
  // The socket may start its next page while this one is worked on (a Stop and Resume in a
  // yield), and the search string may move on (the queue ran dry on another socket): the page
  // keeps its own address and the search string it was fetched for.
  const FetchSlot& slot = m_fetcher.slot(n);
  const PageAddress& address = m_fetcher.pageAddress(n);
  // A secure page is stored with its numbers as it is queued: with its scheme.
  return Page{n, address,
              (address.secure ? QString(kSecureScheme) : QString()) + slot.strHost + slot.strPath,
              m_host.currentSearch()};
}

void PageSteps::SavePage(std::string body, int16_t n) {
  if (!m_host.harvesting()) return;
  const Page page = pageOf(n);
  // Pure work, without a yield: the page files, the links, the text, the fax scan.
  const PreparedPage prepared =
      PreparePage(PageJob{std::move(body), page.address, m_fetcher.urlRules(),
                          m_host.allowInternational(), m_host.thoroughFaxScan(),
                          PageFilePath("html", n), PageFilePath("html2", n), m_host.linkReading()});
  // html<n>.txt was written as the page was prepared.
  m_host.setPanelText(2, QStringLiteral("Saving to HTML"));
  YieldToEvents();
  YieldToEvents();
  bool converted = false;
  {
    // The page's store operations go in one transaction from one yield to the next.
    const SpiderDatabase::Batch batch(m_host.database());
    GetLinks(prepared);
    // html2<n>.txt holds the plain text once the fax step is reached, and the body without its
    // line breaks when a Stop came first or the plain text could not be written.
    converted = m_host.harvesting() && GetFaxes(page, prepared);
  }
  if (!converted) WriteFileBytes(PageFilePath("html2", n), prepared.withoutBreaks, "\r\n");
}

void PageSteps::yieldOutsideBatch() {
  if (!YieldDue()) return;
  const SpiderDatabase::BatchPause pause(m_host.database());
  YieldToEvents();
}

void PageSteps::GetLinks(const PreparedPage& prepared) {
  if (!m_host.harvesting()) return;
  m_host.setPanelText(2, QStringLiteral("Getting Links"));
  yieldOutsideBatch();
  SpiderDatabase& db = m_host.database();
  auto link = prepared.links.begin();
  const bool everyYieldRuns = YieldInterval().count() <= 0;
  for (std::size_t line = 0; line < prepared.bodyLines; ++line) {
    const bool linked = link != prepared.links.end() && link->line == line;
    // A line without a link was done as the page was prepared; only when every yield runs does its
    // yield make a difference (the interval cannot pass on it), and asking the clock for every
    // line cost more than the line.
    if (everyYieldRuns || linked) yieldOutsideBatch();
    // A line holds one link in the classic reading, any number when every link is read: a
    // yield, and a Stop in it, come between them.
    for (bool first = true; link != prepared.links.end() && link->line == line;
         ++link, first = false) {
      if (!first) yieldOutsideBatch();
      if (!first && !m_host.harvesting()) break;
      QString website = link->website;
      // WebsiteKnown normalises the website as the store keeps it; the pages read are recorded
      // by the address the fetcher makes of that form.
      if (m_host.linkOnSites(website, link->text) &&
          !db.WebsiteKnown(website, m_host.queuePreview()) &&
          !m_host.alreadyRead(link->readAddress)) {
        m_host.RecordStatistic(Statistics::kWebsiteFound);
        if (!m_host.queueLinkAhead(website, link->text)) db.AddWebsite(website);
      }
    }
    if (!m_host.harvesting()) break;
  }
  m_host.setPanelText(2, QString());
}

bool PageSteps::GetFaxes(const Page& page, const PreparedPage& prepared) {
  m_host.setPanelText(2, QStringLiteral("Getting Faxes"));
  if (!m_host.harvesting()) return false;
  yieldOutsideBatch();

  // The conversion was done as the page was prepared: its yields are replayed one by one only
  // when every yield runs, otherwise one stands for them all.
  const bool everyYieldRuns = YieldInterval().count() <= 0;
  if (everyYieldRuns) {
    for (std::size_t k = 0; k < prepared.conversionYields; ++k) yieldOutsideBatch();
  } else if (prepared.conversionYields > 0) {
    yieldOutsideBatch();
  }
  // html2<n>.txt took the converted text as the page was prepared.
  const bool written = prepared.convertedWritten;

  // The scan asks the store about every number before it weighs the letters around it.
  auto fax = prepared.faxes.begin();
  for (std::size_t line = 0; line < prepared.textLines; ++line) {
    const bool numbered = fax != prepared.faxes.end() && fax->line == line;
    if (everyYieldRuns || numbered) yieldOutsideBatch();
    for (; fax != prepared.faxes.end() && fax->line == line; ++fax) {
      QString stored = QString::fromLatin1(fax->fax);
      if (!m_host.database().FaxExists(stored) && fax->storable)
        storeFax(page, fax->fax, fax->location);
    }
  }

  m_host.setPanelText(2, QString());
  // The next take runs events of its own. A socket that was given other work meanwhile keeps it.
  if (m_host.harvesting() && !m_fetcher.isFetching(page.n)) {
    const SpiderDatabase::BatchPause pause(m_host.database());
    m_host.TakeNextWebsite(page.n);
  }
  return written;
}

void PageSteps::storeFax(const Page& page, const std::string& fax, const std::string& location) {
  const QString number = QString::fromLatin1(fax);
  const QString region = QString::fromLatin1(location);
  QString stored = number;
  QString search = page.search;
  SpiderDatabase& db = m_host.database();
  db.AddFax(stored, page.website, search, region);
  // A number that did not reach spider.mdb is neither counted nor shown; the store has said
  // what is wrong with the file.
  if (!db.lastChangeStored()) return YieldToEvents();
  if (lFaxCount < INT32_MAX) ++lFaxCount;
  m_host.showStoredFax(FaxListEntry(number, region));
  if (m_host.foundFaxSoundOn()) {
    // The sound blocks the window for its length; the file stays free meanwhile.
    const SpiderDatabase::BatchPause pause(db);
    m_host.playWave(AppFile(QStringLiteral("sounds/foundfax.wav")));
  }
  m_host.RecordStatistic(Statistics::kFaxStored);
  m_host.setPanelText(
      3, QStringLiteral("Found ") + QString::number(lFaxCount) + QStringLiteral(" faxes"));
  yieldOutsideBatch();
}

}  // namespace norvane
