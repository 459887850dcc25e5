#include "common/app_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "common/version_info.h"

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
    chosen = IsWritableFolder(programFolder) && InstalledDataFolder().isEmpty()
                 ? programFolder
                 : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  }
  QDir().mkpath(chosen);
  return QDir(chosen).absolutePath();
}

QString InstalledDataFolder() {
  const QString folder = QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                                         QLatin1String(version::kInstalledDataFolder));
  return QFileInfo(folder).isDir() ? folder : QString();
}

QStringList CopyMissingDataFiles(const QString& dataFolder, const QString& appFolder) {
  QStringList copied;
  if (dataFolder.isEmpty() || !QFileInfo(dataFolder).isDir()) return copied;
  QStringList names{QStringLiteral("Help.rtf")};
  const QDir sounds(dataFolder + QStringLiteral("/sounds"));
  for (const QString& sound : sounds.entryList({QStringLiteral("*.wav")}, QDir::Files))
    names << QStringLiteral("sounds/") + sound;
  for (const QString& name : names) {
    const QString from = dataFolder + QLatin1Char('/') + name;
    const QString to = appFolder + QLatin1Char('/') + name;
    if (!QFileInfo(from).isFile() || QFileInfo::exists(to)) continue;
    QDir().mkpath(QFileInfo(to).absolutePath());
    // An installed file is read-only; the user's copy should be theirs to replace.
    if (QFile::copy(from, to)) {
      QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
      copied << name;
    }
  }
  return copied;
}

QString AppFile(const QString& name) {
  return AppFolder() + QLatin1Char('/') + name;
}

}  // namespace norvane
