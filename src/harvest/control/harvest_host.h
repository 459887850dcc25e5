#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

#include "common/statistics.h"
#include "harvest/page/link_extraction.h"

namespace norvane {

class SpiderDatabase;

// What the fetcher and the page steps need of the crawl controller: the harvesting flag, the
// status panels, the progress, the statistics, the options the page steps read, the queue and
// fax previews, sounds, and TakeNextWebsite that keeps each socket busy. HarvestController
// implements it; nothing here is a widget.
class HarvestHost {
 public:
  virtual ~HarvestHost() = default;

  virtual bool harvesting() const = 0;                            // bHarvesting
  virtual void setPanelText(int panel, const QString& text) = 0;  // panels 1 to 4
  // pb1: a value outside the bar's range is ignored, as the bar ignores it.
  virtual void setProgressValue(int value) = 0;
  virtual void RecordStatistic(Statistics::Kind kind) = 0;
  virtual void TakeNextWebsite(int16_t i) = 0;
  // A whole page the socket received, counted already; the socket is free.
  virtual void SavePage(std::string body, int16_t i) = 0;
  // Sees every whole response before it is counted and saved; true when the host took it (the
  // polite crawl's robots.txt, an answer asking to wait) and starts the socket's next take
  // itself.
  virtual bool TakeOverResponse(int16_t /*i*/, const std::string& /*received*/) { return false; }

  // For the page steps.
  virtual SpiderDatabase& database() = 0;
  virtual const QStringList& queuePreview() const = 0;  // List2: queued, out of the table
  virtual QString currentSearch() const = 0;            // List1 entry 0
  virtual bool allowInternational() const = 0;          // chkNonUS
  virtual bool foundFaxSoundOn() const = 0;             // chkAudioEmail
  // How the page steps read a page's links: the classic way unless the host says otherwise.
  virtual LinkReading linkReading() const { return {}; }
  // "Thorough Fax Scan"; a host without the option scans the classic way.
  virtual bool thoroughFaxScan() const { return false; }
  // A number the page steps stored, for the fax preview (List3).
  virtual void showStoredFax(const QString& entry) = 0;
  virtual void playWave(const QString& path) = 0;

  // "Skip Pages Already Read": whether the address (a website as DecomposePageAddress gives its
  // url) was fetched under the current search string, and the record that it was. A host that
  // does not skip answers false and records nothing.
  virtual bool alreadyRead(const QString& /*address*/) { return false; }
  virtual void recordRead(const QString& /*address*/) {}

  // "Stay on Result Sites": whether a link a page names may be queued at all (it leads onto one
  // of the search's sites, which has room for another page); `linkText` as below. A host that
  // does not stay on them answers true.
  virtual bool linkOnSites(const QString& /*website*/, const QString& /*linkText*/) {
    return true;
  }
  // A link that passed every test (website as WebsiteKnown normalised it), before it is queued;
  // `linkText` is what the page shows of the link, empty when not known. True when the host
  // queued it itself (ahead of other pages); false leaves it to the table's end.
  virtual bool queueLinkAhead(const QString& /*website*/, const QString& /*linkText*/) {
    return false;
  }
};

}  // namespace norvane
