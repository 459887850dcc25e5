#include "export/stored_fax_export.h"

#include "export/fax_csv.h"
#include "export/fax_export.h"
#include "store/spider_database.h"

namespace norvane {

std::optional<qsizetype> ExportStoredFaxes(SpiderDatabase& store, const FaxListing& listing,
                                           const QString& path, const ExportFormat& format) {
  ExportFile file(path);
  if (format.csv) file.write(FaxCsvHeaderBytes());
  qsizetype written = 0;
  const bool read = store.ForEachFax(listing, [&](const FaxRow& row) {
    ++written;
    return file.write(format.csv ? FaxCsvRecordBytes(row)
                                 : ExportEntryBytes(row.fax, format.separator));
  });
  if (!format.csv) file.write(kExportFileEnd);
  if (!file.finish() || !read) return std::nullopt;
  return written;
}

}  // namespace norvane
