#include "export/fax_csv.h"

#include <QStringList>

namespace norvane {

QString CsvField(const QString& text) {
  if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
      !text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n'))) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray FaxCsvBytes(const QList<FaxRow>& rows) {
  QByteArray bytes = FaxCsvHeaderBytes();
  for (const FaxRow& row : rows) bytes += FaxCsvRecordBytes(row);
  return bytes;
}

QByteArray FaxCsvHeaderBytes() {
  return QByteArray(kFaxCsvHeader) + "\r\n";
}

QByteArray FaxCsvRecordBytes(const FaxRow& row) {
  const QStringList fields = {CsvField(row.fax), CsvField(row.location), CsvField(row.website),
                              CsvField(row.search), CsvField(row.date)};
  return (fields.join(QLatin1Char(',')) + QLatin1String("\r\n")).toUtf8();
}

}  // namespace norvane
