#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace norvane {

// The fields of a stored number, in the order the fax table shows them.
enum class FaxField { kFax, kLocation, kWebsite, kSearch, kDate };

// Which stored numbers a listing holds and in which order: the fax table's filter and sort,
// answered by SQLite (a WHERE and an ORDER BY) so that a file of a million numbers is never read
// whole into memory.
struct FaxListing {
  // Rows where any field holds this text, the letter case of ASCII letters ignored; every row
  // when it is empty.
  QString filter;
  // No field: insertion order.
  std::optional<FaxField> sortField;
  bool descending = false;
};

// How a long listing reports as it reads: `first` gets the first `firstRows` ids as soon as they
// are read (a window shows them while the rest is read), and `keepGoing` is asked every few
// thousand steps of SQLite, so that a listing nobody waits for any more ends at once.
struct FaxListingProgress {
  int firstRows = 0;
  std::function<void(const QList<qint64>&)> first;
  std::function<bool()> keepGoing;
};

}  // namespace norvane
