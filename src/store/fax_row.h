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

}  // namespace norvane
