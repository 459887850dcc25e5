#include "common/settings_store.h"

#include <QSettings>

namespace norvane {
namespace {
constexpr auto kOrganisation = "Norvane";
constexpr auto kApplication = "Norvane";
constexpr auto kSection = "Settings";

QString Path(const QString& key) {
  return QLatin1String(kSection) + QLatin1Char('/') + key;
}
}  // namespace

QString GetSetting(const QString& key, const QString& defaultValue) {
  QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
  return settings.value(Path(key), defaultValue).toString();
}

void SaveSetting(const QString& key, const QString& value) {
  QSettings settings{QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)};
  settings.setValue(Path(key), value);
  settings.sync();
}

int GetIntSetting(const QString& key, int defaultValue, int minimum, int maximum) {
  bool ok = false;
  const qlonglong value = GetSetting(key, QString::number(defaultValue)).trimmed().toLongLong(&ok);
  if (!ok || value < minimum || value > maximum) return defaultValue;
  return static_cast<int>(value);
}

}  // namespace norvane
