#pragma once

#include <QString>

namespace norvane {

// One stored number as the export reads it: every field of a row of the faxes table.
struct FaxRow {
  QString fax;
  QString date;  // as stored: local time "yyyy-MM-dd HH:mm:ss" for rows the program added
  QString website;
  QString search;
  QString location;
};

// A number's entry in the fax preview (List3), as the crawl shows it and the store reloads it.
inline QString FaxListEntry(const QString& fax, const QString& location) {
  return fax + QStringLiteral(" | ") + location;
}

}  // namespace norvane
