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
  QString text = QLatin1String(kFaxCsvHeader) + QLatin1String("\r\n");
  for (const FaxRow& row : rows) {
    const QStringList fields = {CsvField(row.fax), CsvField(row.location), CsvField(row.website),
                                CsvField(row.search), CsvField(row.date)};
    text += fields.join(QLatin1Char(',')) + QLatin1String("\r\n");
  }
  return text.toUtf8();
}

}  // namespace norvane
