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
  const Page page{n, m_fetcher.pageAddress(n), slot.strHost + slot.strPath, m_host.currentSearch()};

  m_host.setPanelText(2, QStringLiteral("Saving to HTML"));
  YieldToEvents();
  WriteFileBytes(PageFilePath("html", n), body + "\r\n");
  YieldToEvents();
  const std::string withoutBreaks = RemoveLineBreaks(body);
  GetLinks(page, body);
  // html2<n>.txt holds the body without its line breaks until the fax step replaces it with
  // the plain text; written once, with whichever content it keeps.
  if (!m_host.harvesting() || !GetFaxes(page, withoutBreaks))
    WriteFileBytes(PageFilePath("html2", n), withoutBreaks + "\r\n");
}

void PageSteps::GetLinks(const Page& page, const std::string& body) {
  if (!m_host.harvesting()) return;
  m_host.setPanelText(2, QStringLiteral("Getting Links"));
  YieldToEvents();
  SpiderDatabase& db = m_host.database();
  // The lines of html<n>.txt as the file holds them (the body and a closing CR LF): a line ends
  // at CR or CR LF, a lone LF stays in it.
  for (std::size_t from = 0; from < body.size();) {
    std::size_t end = body.find('\r', from);
    if (end == std::string::npos) end = body.size();
    const std::string_view line = std::string_view(body).substr(from, end - from);
    from = end + ((end + 1 < body.size() && body[end + 1] == '\n') ? 2 : 1);
    YieldToEvents();
    if (const auto link = ExtractLineLink(line)) {
      QString website = ResolveLink(QString::fromLatin1(*link), page.address);
      if (!db.WebsiteKnown(website, m_host.queuePreview())) {
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
  YieldToEvents();

  // html2<n>.txt read line by line and joined is the body without its line breaks; the
  // converter's text replaces it.
  const std::string converted =
      ConvertUnbrokenPageForFaxScan(bodyWithoutBreaks, [] { YieldToEvents(); });
  const bool written = WriteFileBytes(PageFilePath("html2", page.n), converted);

  FaxScanHooks hooks;
  hooks.faxKnown = [this](std::string& fax) {
    QString stored = QString::fromLatin1(fax);
    return m_host.database().FaxExists(stored);
  };
  hooks.store = [this, &page](const FoundFax& found) { storeFax(page, found.fax, found.location); };
  hooks.yieldLine = [] { YieldToEvents(); };
  ScanFaxText(converted, m_host.allowInternational(), hooks);

  m_host.setPanelText(2, QString());
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
  if (m_host.foundFaxSoundOn()) m_host.playWave(AppFile(QStringLiteral("sounds/foundfax.wav")));
  m_host.RecordStatistic(Statistics::kFaxStored);
  m_host.setPanelText(
      3, QStringLiteral("Found ") + QString::number(lFaxCount) + QStringLiteral(" faxes"));
  YieldToEvents();
}

}  // namespace norvane
