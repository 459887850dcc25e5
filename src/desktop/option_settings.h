#pragma once

#include "common/settings_keys.h"

class QCheckBox;
class QComboBox;
class QWidget;

namespace norvane {

// Option widgets kept in the settings store under their own names.

// The combo's stored list index; a value that is no number or lies outside the combo's items
// gives the key's default.
void RestoreComboIndex(QComboBox* combo, const SettingKey& key);

// Every check box of settings::kCheckBoxes found below `window` takes its stored check value.
void RestoreCheckBoxes(QWidget* window);

// The check box writes its check value (1 or 0) under its name whenever the user clicks it.
void SaveCheckBoxOnClick(QCheckBox* box);

}  // namespace norvane
