#pragma once

#include <QString>

namespace norvane {

// What keeps spider.mdb from holding the harvest, as the store finds it when it opens the file
// and whenever a change cannot be stored.
enum class StoreFault {
  None,
  CannotWrite,   // read-only file or folder, or a file that cannot be created
  DiskFull,      // the disk that holds it has no room left for what is stored
  InUse,         // another program holds a lock on it
  NotADatabase,  // other bytes than a database, or a folder of that name
  CannotOpen,    // anything else that keeps it from being read
};

// The message that says once what is wrong with the file and where it is.
QString StoreFaultMessage(StoreFault fault, const QString& filePath);
// The short form the status bar shows while the fault lasts; empty for None.
QString StoreFaultPanelText(StoreFault fault);

}  // namespace norvane
