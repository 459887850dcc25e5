#include "common/file_names.h"

#include <QDir>
#include <QFileInfo>

namespace norvane {

QString FileNameOf(const QString& path) {
  const qsizetype cut =
      std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return cut < 0 ? path : path.mid(cut + 1);
}

bool FileExists(const QString& path) {
  const QString name = FileNameOf(path);
  if (name.isEmpty()) return false;
  const QString folder = path.left(path.size() - name.size());
  const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
  const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& file : files) {
    if (file.compare(name, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

}  // namespace norvane
