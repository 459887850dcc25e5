#include "export/fax_export.h"

#include <QFile>
#include <QFileInfo>

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

QString ExportFileName(int comboIndex) {
  return comboIndex == static_cast<int>(ExportChoice::kCsv) ? QStringLiteral("faxes.csv")
                                                            : QStringLiteral("export.txt");
}

QString ExportFileFilter(int comboIndex) {
  return comboIndex == static_cast<int>(ExportChoice::kCsv)
             ? QStringLiteral("CSV files (*.csv);;All files (*)")
             : QStringLiteral("Text files (*.txt);;All files (*)");
}

QString ExportDoneText(qsizetype numbers, const QString& file) {
  return QStringLiteral("%1 %2 written to %3")
      .arg(numbers)
      .arg(numbers == 1 ? QStringLiteral("number") : QStringLiteral("numbers"), file);
}

bool SpaceChoiceApplies(int comboIndex) {
  return comboIndex == -1 || comboIndex == static_cast<int>(ExportChoice::kSemicolon);
}

QByteArray ExportFileBytes(const QStringList& faxes, const QString& separator) {
  QString text;
  for (const QString& fax : faxes) text += fax + separator;
  text += QStringLiteral("\r\n");
  return text.toLatin1();
}

bool WriteExportFile(const QString& path, const QByteArray& bytes) {
  // Only a normal file is replaced: a device such as /dev/full, which the lookup also lists,
  // is written to as it stands, never deleted.
  if (FileExists(path) && QFileInfo(path).isFile()) QFile::remove(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
  // A full disk shows only when the buffer reaches the file, at the flush or the close.
  bool written = file.write(bytes) == bytes.size();
  written = file.flush() && written;
  file.close();
  return written && file.error() == QFileDevice::NoError;
}

}  // namespace norvane
