#include "desktop/window_geometry.h"

#include <QWidget>

#include "common/settings_keys.h"

namespace norvane {

void RestoreWindowGeometry(QWidget* window, const BytesSettingKey& key) {
  const QByteArray stored = key.read();
  if (!stored.isEmpty()) window->restoreGeometry(stored);
}

void SaveWindowGeometry(const QWidget* window, const BytesSettingKey& key) {
  key.write(window->saveGeometry());
}

}  // namespace norvane
