#pragma once

#include <cstdint>

namespace norvane {

// The five counters shown under "Statistics". The session counters live for one run; the two
// historical ones are read from and written to the settings store by the crawl controller.
struct Statistics {
  // What RecordStatistic counts: the crawl finished a page, a website was queued (by the crawl
  // or the search pass), a number was stored.
  enum Kind : int16_t { kPageScanned = 0, kWebsiteFound = 1, kFaxStored = 2 };

  int32_t lSessionScanned = 0;
  int32_t lSessionFound = 0;
  int32_t lSessionFaxes = 0;
  int32_t lHistWebScanned = 0;
  int32_t lHistEmailFound = 0;

  // Counts one event. Counters stop at the 32-bit limit rather than wrap to a negative count.
  void record(int kind);
};

// lAdvanceAfter for a list index of cmbAdvance, or `current` for an index outside the list.
int32_t AdvanceAfterForIndex(int index, int32_t current);

}  // namespace norvane
