#include "export/export_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "common/settings_keys.h"

namespace norvane {

QString ExportFolder() {
  const QString last = settings::frmExportFolder.read();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

void RememberExportFolder(const QString& writtenFile) {
  settings::frmExportFolder.write(QFileInfo(writtenFile).absolutePath());
}

}  // namespace norvane
