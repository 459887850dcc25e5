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
  QByteArray bytes;
  for (const QString& fax : faxes) bytes += ExportEntryBytes(fax, separator);
  return bytes + kExportFileEnd;
}

QByteArray ExportEntryBytes(const QString& fax, const QString& separator) {
  return (fax + separator).toLatin1();
}

ExportFile::ExportFile(const QString& path) : m_file(path) {
  // Only a normal file is replaced: a device such as /dev/full, which the lookup also lists,
  // is written to as it stands, never deleted.
  if (FileExists(path) && QFileInfo(path).isFile()) QFile::remove(path);
  m_written = m_file.open(QIODevice::WriteOnly | QIODevice::Append);
}

bool ExportFile::write(const QByteArray& bytes) {
  m_written = m_written && m_file.write(bytes) == bytes.size();
  return m_written;
}

bool ExportFile::finish() {
  if (!m_file.isOpen()) return false;
  // A full disk shows only when the buffer reaches the file, at the flush or the close.
  m_written = m_file.flush() && m_written;
  m_file.close();
  return m_written && m_file.error() == QFileDevice::NoError;
}

bool WriteExportFile(const QString& path, const QByteArray& bytes) {
  ExportFile file(path);
  file.write(bytes);
  return file.finish();
}

}  // namespace norvane
