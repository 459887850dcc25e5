#include "desktop/option_settings.h"

#include <QCheckBox>
#include <QComboBox>

namespace norvane {

void RestoreComboIndex(QComboBox* combo, const SettingKey& key) {
  combo->setCurrentIndex(key.read(-1, combo->count() - 1));
}

void RestoreCheckBoxes(QWidget* window) {
  for (const SettingKey& key : settings::kCheckBoxes) {
    if (auto* box = window->findChild<QCheckBox*>(key.key())) box->setChecked(key.readChecked());
  }
}

void SaveCheckBoxOnClick(QCheckBox* box) {
  QObject::connect(box, &QCheckBox::clicked, box, [box] {
    SaveSetting(box->objectName(), QString::number(box->isChecked() ? 1 : 0));
  });
}

}  // namespace norvane
