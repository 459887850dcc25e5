#include "harvest/page_steps.h"

#include <QFile>

#include "common/app_folder.h"
#include "common/event_yield.h"
#include "common/text_file.h"
#include "harvest/fax_scan.h"
#include "harvest/fax_scan_page.h"
#include "harvest/harvest_host.h"
#include "harvest/link_extraction.h"
#include "harvest/page_fetcher.h"
#include "store/spider_database.h"

namespace norvane {
std::string PageFilePath(const char* stem, int16_t n) {
  return QFile::encodeName(
             AppFile(QLatin1String(stem) + QString::number(n) + QStringLiteral(".txt")))
      .toStdString();
}

PageSteps::PageSteps(HarvestHost& host, const PageFetcher& fetcher)
    : m_host(host), m_fetcher(fetcher) {}

void PageSteps::SavePage(const std::string& body, int16_t n) {
  if (!m_host.harvesting()) return;
  // The socket may start its next page while this one is worked on (a Stop and Resume in a
  // yield), and the search string may move on (the queue ran dry on another socket): the page
  // keeps its own address and the search string it was fetched for.
  const FetchSlot& slot = m_fetcher.slot(n);
  const PageAddress& address = m_fetcher.pageAddress(n);
  // A secure page is stored with its numbers as it is queued: with its scheme.
  const Page page{
      n, address,
      (address.secure ? QString(kSecureScheme) : QString()) + slot.strHost + slot.strPath,
      m_host.currentSearch()};

  m_host.setPanelText(2, QStringLiteral("Saving to HTML"));
  YieldToEvents();
  WriteFileBytes(PageFilePath("html", n), body + "\r\n");
  YieldToEvents();
  const std::string withoutBreaks = RemoveLineBreaks(body);
  // The page's store operations go in one transaction from one yield to the next.
  m_host.database().beginBatch();
  GetLinks(page, body);
  // html2<n>.txt holds the body without its line breaks until the fax step replaces it with
  // the plain text; written once, with whichever content it keeps.
  const bool converted = m_host.harvesting() && GetFaxes(page, withoutBreaks);
  m_host.database().endBatch();
  if (!converted) WriteFileBytes(PageFilePath("html2", n), withoutBreaks + "\r\n");
}

void PageSteps::yieldOutsideBatch() {
  if (!YieldDue()) return;
  SpiderDatabase& db = m_host.database();
  db.endBatch();
  YieldToEvents();
  db.beginBatch();
}

void PageSteps::GetLinks(const Page& page, const std::string& body) {
  if (!m_host.harvesting()) return;
  m_host.setPanelText(2, QStringLiteral("Getting Links"));
  yieldOutsideBatch();
  SpiderDatabase& db = m_host.database();
  const UrlRules rules = m_fetcher.urlRules();
  // The lines of html<n>.txt as the file holds them (the body and a closing CR LF): a line ends
  // at CR or CR LF, a lone LF stays in it.
  for (std::size_t from = 0; from < body.size();) {
    std::size_t end = body.find('\r', from);
    if (end == std::string::npos) end = body.size();
    const std::string_view line = std::string_view(body).substr(from, end - from);
    from = end + ((end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1);
    yieldOutsideBatch();
    if (const auto link = ExtractLineLink(line)) {
      std::optional<QString> resolved =
          ResolveLink(QString::fromLatin1(*link), page.address, rules);
      // WebsiteKnown normalises the website as the store keeps it; the pages read are recorded
      // by the address the fetcher makes of that form.
      if (resolved && !db.WebsiteKnown(*resolved, m_host.queuePreview()) &&
          !m_host.alreadyRead(DecomposePageAddress(*resolved, rules).url)) {
        QString& website = *resolved;
        m_host.RecordStatistic(Statistics::kWebsiteFound);
        db.AddWebsite(website);
      }
    }
    if (!m_host.harvesting()) break;
  }
  m_host.setPanelText(2, QString());
}

bool PageSteps::GetFaxes(const Page& page, const std::string& bodyWithoutBreaks) {
  m_host.setPanelText(2, QStringLiteral("Getting Faxes"));
  if (!m_host.harvesting()) return false;
  yieldOutsideBatch();

  // html2<n>.txt read line by line and joined is the body without its line breaks; the
  // converter's text replaces it.
  // The converter yields for every character; reading the clock that often cost as much as
  // the conversion, so only every 64th character asks whether the yield interval is over
  // (when every yield runs, each one does).
  const bool everyYieldRuns = YieldInterval().count() <= 0;
  unsigned characters = 0;
  const std::string converted =
      ConvertUnbrokenPageForFaxScan(bodyWithoutBreaks, [this, everyYieldRuns, &characters] {
        if (everyYieldRuns || ++characters % 64 == 0) yieldOutsideBatch();
      });
  const bool written = WriteFileBytes(PageFilePath("html2", page.n), converted);

  FaxScanHooks hooks;
  hooks.faxKnown = [this](std::string& fax) {
    QString stored = QString::fromLatin1(fax);
    return m_host.database().FaxExists(stored);
  };
  hooks.store = [this, &page](const FoundFax& found) { storeFax(page, found.fax, found.location); };
  hooks.yieldLine = [this] { yieldOutsideBatch(); };
  ScanFaxText(converted, m_host.allowInternational(), hooks);

  m_host.setPanelText(2, QString());
  // The next take runs events of its own.
  m_host.database().endBatch();
  // A socket that was given other work meanwhile keeps it.
  if (m_host.harvesting() && !m_fetcher.isFetching(page.n)) m_host.TakeNextWebsite(page.n);
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
  m_host.showStoredFax(number + QStringLiteral(" | ") + region);
  if (m_host.foundFaxSoundOn()) {
    // The sound blocks the window for its length; the file stays free meanwhile.
    db.endBatch();
    m_host.playWave(AppFile(QStringLiteral("sounds/foundfax.wav")));
    db.beginBatch();
  }
  m_host.RecordStatistic(Statistics::kFaxStored);
  m_host.setPanelText(
      3, QStringLiteral("Found ") + QString::number(lFaxCount) + QStringLiteral(" faxes"));
  yieldOutsideBatch();
}

}  // namespace norvane
