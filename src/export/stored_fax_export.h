#pragma once

#include <QString>
#include <optional>

#include "store/fax_listing.h"

namespace norvane {

class SpiderDatabase;

// How an export file holds the numbers: every field as CSV (fax_csv.h), or each number followed
// by the separator (fax_export.h).
struct ExportFormat {
  bool csv = false;
  QString separator;
};

// Writes the stored numbers of the listing to the file at path (replacing it as
// WriteExportFile does), a row at a time straight from the query, so that a million numbers
// are neither held in memory nor wait for the whole table to be read. The count written; none
// when the file could not be written whole or the table could not be read to its end.
std::optional<qsizetype> ExportStoredFaxes(SpiderDatabase& store, const FaxListing& listing,
                                           const QString& path, const ExportFormat& format);

}  // namespace norvane
