#include "common/settings_store.h"

#include <QCoreApplication>
#include <QHash>
#include <QSettings>
#include <QTimer>

namespace norvane {
namespace {
constexpr auto kOrganisation = "Norvane";
constexpr auto kApplication = "Norvane";
constexpr auto kSection = "Settings";

constexpr int kSoonMilliseconds = 1000;

QString Path(const QString& key) {
  return QLatin1String(kSection) + QLatin1Char('/') + key;
}

// Values saved "soon" and not written yet.
QHash<QString, QString>& Pending() {
  static QHash<QString, QString> pending;
  return pending;
}
bool g_flushScheduled = false;
bool g_postRoutineAdded = false;

}  // namespace

QString GetSetting(const QString& key, const QString& defaultValue) {
  const auto pending = Pending().constFind(key);
  if (pending != Pending().constEnd()) return *pending;
  QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
  return settings.value(Path(key), defaultValue).toString();
}

void SaveSetting(const QString& key, const QString& value) {
  Pending().remove(key);
  QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
  settings.setValue(Path(key), value);
  settings.sync();
}

void SaveSettingSoon(const QString& key, const QString& value) {
  Pending().insert(key, value);
  if (!g_postRoutineAdded && QCoreApplication::instance()) {
    qAddPostRoutine(FlushSettings);
    g_postRoutineAdded = true;
  }
  if (g_flushScheduled) return;
  if (!QCoreApplication::instance()) return FlushSettings();
  g_flushScheduled = true;
  QTimer::singleShot(kSoonMilliseconds, QCoreApplication::instance(), FlushSettings);
}

void FlushSettings() {
  g_flushScheduled = false;
  if (Pending().isEmpty()) return;
  QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
  for (auto it = Pending().constBegin(); it != Pending().constEnd(); ++it)
    settings.setValue(Path(it.key()), it.value());
  Pending().clear();
  settings.sync();
}

int GetIntSetting(const QString& key, int defaultValue, int minimum, int maximum) {
  bool ok = false;
  const qlonglong value = GetSetting(key, QString::number(defaultValue)).trimmed().toLongLong(&ok);
  if (!ok || value < minimum || value > maximum) return defaultValue;
  return static_cast<int>(value);
}

}  // namespace norvane
