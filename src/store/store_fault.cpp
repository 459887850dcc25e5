#include "store/store_fault.h"

#include <QDir>
#include <QFileInfo>

namespace norvane {

QString StoreFaultMessage(StoreFault fault, const QString& filePath) {
  const QFileInfo info(filePath);
  const QString where =
      info.fileName() + QStringLiteral(" in ") + QDir::toNativeSeparators(info.absolutePath());
  switch (fault) {
    case StoreFault::None:
      return QString();
    case StoreFault::CannotWrite:
      return where + QStringLiteral(
                         " cannot be written: numbers found now will not be kept. Make the file "
                         "and its folder writable, then start the program again.");
    case StoreFault::DiskFull:
      return QStringLiteral("The disk of ") + QDir::toNativeSeparators(info.absolutePath()) +
             QStringLiteral(" is full: ") + info.fileName() +
             QStringLiteral(
                 " cannot take the websites and numbers found now. Make room on the disk, then "
                 "click Resume to go on.");
    case StoreFault::InUse:
      return where + QStringLiteral(
                         " is in use by another program: numbers found while it is will not be "
                         "kept. Close the other program to go on storing them.");
    case StoreFault::NotADatabase:
      return where + QStringLiteral(
                         " is not a database: no search string, website or number can be kept. "
                         "Move it out of the folder and start the program again to begin with "
                         "an empty one.");
    case StoreFault::CannotOpen:
      return where +
             QStringLiteral(" cannot be opened: no search string, website or number can be kept.");
  }
  return QString();
}

QString StoreFaultPanelText(StoreFault fault) {
  // In the order of StoreFault.
  static constexpr const char* kTexts[] = {"",
                                           "spider.mdb read-only",
                                           "disk full",
                                           "spider.mdb in use",
                                           "spider.mdb no database",
                                           "spider.mdb unreadable"};
  return QString::fromLatin1(kTexts[int(fault)]);
}

}  // namespace norvane
