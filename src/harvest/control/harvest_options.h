#pragma once

#include <QString>
#include <cstdint>

#include "common/settings_keys.h"

namespace norvane {

// The options the crawl and the search pass read, as the main window's option widgets hold
// them. The window hands a fresh copy to the controller whenever one of them changes.
struct HarvestOptions {
  bool autoAdvance = settings::chkAuto.defaultValue == 1;  // chkAuto ticked
  int32_t advanceAfter = 10000;          // lAdvanceAfter, from cmbAdvance ("10,000" by default)
  bool continueAfterLastSearch = false;  // cmbLastSearch on "Continue Until Stopped"
  bool soundOnFax = settings::chkAudioEmail.defaultValue == 1;          // chkAudioEmail
  bool soundOnNextSearch = settings::chkAudioNext.defaultValue == 1;    // chkAudioNext
  bool soundOnFinished = settings::chkAudioFinished.defaultValue == 1;  // chkAudioFinished
  bool allowInternational = settings::chkNonUS.defaultValue == 1;       // chkNonUS
  bool addFaxToSearches = settings::chkAddFax.defaultValue == 1;        // chkAddFax
  int searchTypeIndex = -1;   // Combo1, -1 when nothing is chosen
  QString searchTypeText;     // Combo1's text
  int resultCountIndex = -1;  // Combo2, -1 when nothing is chosen
  // The "Web" menu, as the window holds it at a first start.
  bool secureWeb = settings::mnuSecureWeb.defaultValue == 1;     // "Secure Sites and Redirects"
  bool skipPagesRead = settings::mnuSkipRead.defaultValue == 1;  // "Skip Pages Already Read"
  bool politeCrawl = settings::mnuPolite.defaultValue == 1;      // "Polite Crawl"
  int connections = settings::crawlConnections.defaultValue;  // "Connections": sockets side by side
  bool allLinks = settings::mnuAllLinks.defaultValue == 1;    // "All Links of a Page"
  bool staySites = settings::mnuStaySites.defaultValue == 1;  // "Stay on Result Sites"
  int sitePageLimit = settings::sitePageLimit.defaultValue;   // "Pages per Site"; 0: no limit
  bool thoroughFaxScan = settings::mnuThoroughScan.defaultValue == 1;  // "Thorough Fax Scan"

  // The classic crawl over plain http: every item of the "Web" menu off.
  void turnWebMenuOff() {
    secureWeb = skipPagesRead = politeCrawl = allLinks = staySites = thoroughFaxScan = false;
  }
};

// Which of the harvest's buttons are enabled. `faxData` stands for the three fax-number
// buttons ("View Fax Database", "Export Fax Numbers", "Delete All Fax Numbers"), which always
// change together.
struct HarvestButtons {
  bool start = true;
  bool stop = false;
  bool resume = false;
  bool next = false;
  bool faxData = true;
};

// One of those buttons; the three fax-number buttons count as one.
enum class HarvestButton { Start, Stop, Resume, Next, FaxData };

// Where a validation message of Start sends the focus.
enum class StartChoice { SearchString, SearchType, ResultCount };

}  // namespace norvane
