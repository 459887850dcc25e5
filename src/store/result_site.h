#pragma once

#include <QString>

namespace norvane {

// One of the sites a search found, which the crawl stays on ("Stay on Result Sites"), with how
// many of its pages the crawl queued and took; a row of the table `result_sites`.
struct ResultSite {
  QString site;  // a registrable domain, such as "example.co.uk"
  int queued = 0;
  int taken = 0;
  bool operator==(const ResultSite&) const = default;
};

}  // namespace norvane
