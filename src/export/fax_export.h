#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

namespace norvane {

// The separator choices of the export window, in the order of its list, and the CSV file after
// them (fax_csv.h), which has no separator.
enum class ExportChoice { kSemicolon = 0, kTab = 1, kLineFeed = 2, kCsv = 3 };

// The text written after every number: ";" (with a space when spaceBetween is ticked) for no
// choice or the semicolon choice, a tab, or CR LF. The space applies to the semicolon only.
QString ExportSeparator(int comboIndex, bool spaceBetween);

// The file name a save dialog offers for a choice, and the filter it shows: a .csv file for the
// CSV choice, a .txt file for the others (and for no choice).
QString ExportFileName(int comboIndex);
QString ExportFileFilter(int comboIndex);

// What the window says once a file is written: "N numbers written to FILE".
QString ExportDoneText(qsizetype numbers, const QString& file);

// "Put a space between each entry" applies to the semicolon choice (or no choice) only.
bool SpaceChoiceApplies(int comboIndex);

// The bytes of an export file: every number followed by the separator, the last one too, then
// CR LF. Numbers are 8-bit text; a character outside it becomes "?".
QByteArray ExportFileBytes(const QStringList& faxes, const QString& separator);
// One number of an export file with its separator, and the end of the file.
QByteArray ExportEntryBytes(const QString& fax, const QString& separator);
inline constexpr char kExportFileEnd[] = "\r\n";

// An export file written piece by piece, so that a million rows go from the query to the disk
// without being held in memory. Opening replaces the file at path: an existing file of that
// name is deleted first (when it cannot be deleted, the bytes are added to its end).
class ExportFile {
 public:
  explicit ExportFile(const QString& path);
  // False once any write failed: the path cannot be opened (a folder, a folder that takes no
  // files) or the disk is full.
  bool write(const QByteArray& bytes);
  // Writes what is buffered and closes the file; whether every byte reached it.
  bool finish();

 private:
  QFile m_file;
  bool m_written = false;
};

// The whole file at once, as ExportFile writes it.
bool WriteExportFile(const QString& path, const QByteArray& bytes);

}  // namespace norvane
