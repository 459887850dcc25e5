#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

#include "harvest/control/url_rules.h"
#include "harvest/page/link_extraction.h"

namespace norvane {

// The work on a received page that needs neither the store nor the window: the links of its
// lines resolved, its text converted for the fax scan, and the numbers the scan finds in that
// text. The page steps then replay it line by line with the store look-ups, status texts and
// yields where they stood, so that a page gives the same rows, files and statistics as when the
// steps did the work themselves.
struct PreparedPage {
  struct Link {
    std::size_t line = 0;  // which line of html<n>.txt holds it
    QString website;       // resolved against the page
    QString readAddress;   // the address the fetcher makes of it, as pages read are recorded
    QString text;          // what the page shows of it; empty in the classic reading
  };
  struct Fax {
    std::size_t line = 0;   // which line of the converted text holds it
    std::string fax;        // in stored form
    std::string location;   // its region text
    bool storable = false;  // the letters around it allow storing it
  };

  std::string withoutBreaks;  // the body with every CR and LF removed
  std::size_t bodyLines = 0;  // the lines of html<n>.txt the link step walks
  std::vector<Link> links;
  bool convertedWritten = false;  // html2<n>.txt took the converted text
  // How often the conversion would have yielded (once per character of its input).
  std::size_t conversionYields = 0;
  std::size_t textLines = 0;  // the lines of the converted text the fax scan walks
  std::vector<Fax> faxes;
};

// A received page and what its preparation needs, taken when the socket closed.
struct PageJob {
  std::string body;
  PageAddress address;
  UrlRules rules;
  bool allowInternational = false;
  // The thorough fax scan instead of the classic one; the converted text is made and written
  // either way.
  bool thoroughFaxScan = false;
  // The socket's page files: html<n>.txt takes the body and a CR LF, html2<n>.txt the converted
  // text. A page that is not worked on to its fax step (a Stop came first) has html2<n>.txt
  // written again with the body without its line breaks.
  std::string htmlFile;
  std::string textFile;
  // How the page's links are read.
  LinkReading reading;
};

// Touches nothing but its job and the job's two files.
PreparedPage PreparePage(PageJob job);

}  // namespace norvane
