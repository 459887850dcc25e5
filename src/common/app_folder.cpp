#include "common/app_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace norvane {
namespace {
QString& Folder() {
  static QString folder;
  return folder;
}

bool IsWritableFolder(const QString& path) {
  QFileInfo info(path);
  return info.isDir() && info.isWritable();
}
}  // namespace

QString AppFolder() {
  if (Folder().isEmpty()) Folder() = QDir::currentPath();
  return Folder();
}

void SetAppFolder(const QString& folder) {
  Folder() = QDir::cleanPath(folder);
}

QString ResolveAppFolder(const QStringList& arguments) {
  QString chosen;
  const qsizetype at = arguments.indexOf(QStringLiteral("--app-dir"));
  if (at >= 0 && at + 1 < arguments.size()) {
    chosen = arguments.at(at + 1);
  } else if (const QString env = qEnvironmentVariable("NORVANE_APP_DIR"); !env.isEmpty()) {
    chosen = env;
  } else {
    const QString programFolder = QCoreApplication::applicationDirPath();
    chosen = IsWritableFolder(programFolder)
                 ? programFolder
                 : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  }
  QDir().mkpath(chosen);
  return QDir(chosen).absolutePath();
}

QString AppFile(const QString& name) {
  return AppFolder() + QLatin1Char('/') + name;
}

}  // namespace norvane
