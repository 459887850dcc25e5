#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace norvane::testing {

// A fresh application folder and a fresh settings store for one test; both vanish with it.
class TempAppFolder {
 public:
  TempAppFolder();
  ~TempAppFolder();
  QString path() const { return m_dir.path(); }
  QString file(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

 private:
  QTemporaryDir m_dir;
  QTemporaryDir m_settingsDir;
};

// The corpus folder beside the checkout, or an empty text when it is absent.
QString CorpusDir();

}  // namespace norvane::testing
