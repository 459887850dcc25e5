#pragma once

#include <QString>
#include <cstdint>

namespace norvane {

// The options the crawl and the search pass read, as the main window's option widgets hold
// them. The window hands a fresh copy to the controller whenever one of them changes.
struct HarvestOptions {
  bool autoAdvance = false;              // chkAuto ticked
  int32_t advanceAfter = 10000;          // lAdvanceAfter, from cmbAdvance
  bool continueAfterLastSearch = false;  // cmbLastSearch on "Continue Until Stopped"
  bool soundOnFax = true;                // chkAudioEmail
  bool soundOnNextSearch = true;         // chkAudioNext
  bool soundOnFinished = true;           // chkAudioFinished
  bool allowInternational = true;        // chkNonUS
  bool addFaxToSearches = true;          // chkAddFax
  int searchTypeIndex = -1;              // Combo1, -1 when nothing is chosen
  QString searchTypeText;                // Combo1's text
  int resultCountIndex = -1;             // Combo2, -1 when nothing is chosen
  // The "Web" menu. The window's items are on by default; off here, so that a controller made
  // without a window crawls the classic plain-HTTP way unless told otherwise.
  bool secureWeb = false;        // "Secure Sites and Redirects"
  bool skipPagesRead = false;    // "Skip Pages Already Read"
  bool politeCrawl = false;      // "Polite Crawl"
  int connections = 10;          // "Connections": sockets side by side
  bool allLinks = false;         // "All Links of a Page"
  bool staySites = false;        // "Stay on Result Sites"
  int sitePageLimit = 50;        // "Pages per Site"; 0: no limit
  bool thoroughFaxScan = false;  // "Thorough Fax Scan"
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
