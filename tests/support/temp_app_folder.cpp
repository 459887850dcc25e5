#include "support/temp_app_folder.h"

#include <QDir>
#include <QSettings>

#include "common/app_folder.h"

namespace norvane::testing {

TempAppFolder::TempAppFolder() {
  SetAppFolder(m_dir.path());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

TempAppFolder::~TempAppFolder() = default;

QString CorpusDir() {
  QString dir = qEnvironmentVariable("NORVANE_CORPUS_DIR");
  if (dir.isEmpty()) dir = QStringLiteral(NORVANE_TEST_CORPUS_DIR);
  return (!dir.isEmpty() && QDir(dir).exists()) ? QDir(dir).absolutePath() : QString();
}

}  // namespace norvane::testing
