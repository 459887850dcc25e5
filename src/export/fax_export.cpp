#include "export/fax_export.h"

#include <QFile>

#include "common/file_names.h"

namespace norvane {

QString ExportSeparator(int comboIndex, bool spaceBetween) {
  switch (comboIndex) {
    case static_cast<int>(ExportChoice::kTab):
      return QStringLiteral("\t");
    case static_cast<int>(ExportChoice::kLineFeed):
      return QStringLiteral("\r\n");
    default:
      return spaceBetween ? QStringLiteral("; ") : QStringLiteral(";");
  }
}

QByteArray ExportFileBytes(const QStringList& faxes, const QString& separator) {
  QString text;
  for (const QString& fax : faxes) text += fax + separator;
  text += QStringLiteral("\r\n");
  return text.toLatin1();
}

bool WriteExportFile(const QString& path, const QByteArray& bytes) {
  if (FileExists(path)) QFile::remove(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  const bool written = file.write(bytes) == bytes.size();
  return file.flush() && written;
}

}  // namespace norvane
