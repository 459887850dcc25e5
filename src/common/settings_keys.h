#pragma once

#include <QString>

#include "common/settings_store.h"

namespace norvane {

// A key of the settings section with the value it takes when nothing (or nothing valid) is
// stored. Keys are the names of the widgets or counters they hold.
struct SettingKey {
  const char* name;
  int defaultValue;

  QString key() const { return QLatin1String(name); }
  // The stored whole number in [minimum, maximum], or the default.
  int read(int minimum, int maximum) const {
    return GetIntSetting(key(), defaultValue, minimum, maximum);
  }
  bool readChecked() const { return read(0, 1) == 1; }
  void write(int value) const { SaveSetting(key(), QString::number(value)); }
};

// Every key of the settings section, in one place.
namespace settings {
inline constexpr SettingKey Combo1{"Combo1", -1};
inline constexpr SettingKey Combo2{"Combo2", -1};
inline constexpr SettingKey chkAuto{"chkAuto", 0};
inline constexpr SettingKey chkAddFax{"chkAddFax", 1};
inline constexpr SettingKey chkNonUS{"chkNonUS", 1};
inline constexpr SettingKey chkAudioEmail{"chkAudioEmail", 1};
inline constexpr SettingKey chkAudioNext{"chkAudioNext", 1};
inline constexpr SettingKey chkAudioFinished{"chkAudioFinished", 1};
inline constexpr SettingKey cmbAdvance{"cmbAdvance", 2};
inline constexpr SettingKey cmbLastSearch{"cmbLastSearch", 0};
inline constexpr SettingKey lHistEmailFound{"lHistEmailFound", 0};
inline constexpr SettingKey lHistWebScanned{"lHistWebScanned", 0};
inline constexpr SettingKey showHelp{"showHelp", 1};
// "Web" > "Thorough Fax Scan", on until the user turns it off.
inline constexpr SettingKey mnuThoroughScan{"mnuThoroughScan", 1};

// The option check boxes of the main window, each stored under its own name.
inline constexpr SettingKey kCheckBoxes[] = {chkAuto,       chkAddFax,    chkNonUS,
                                             chkAudioEmail, chkAudioNext, chkAudioFinished};
}  // namespace settings

}  // namespace norvane
