#pragma once

#include <QByteArray>
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

// A key whose value is bytes kept as base64 text: a window's place and size, a table's columns.
struct BytesSettingKey {
  const char* name;

  QString key() const { return QLatin1String(name); }
  QByteArray read() const {
    return QByteArray::fromBase64(GetSetting(key(), QString()).toLatin1());
  }
  void write(const QByteArray& value) const {
    SaveSetting(key(), QString::fromLatin1(value.toBase64()));
  }
};

// A key whose value is a text, empty when nothing is stored.
struct TextSettingKey {
  const char* name;

  QString key() const { return QLatin1String(name); }
  QString read() const { return GetSetting(key(), QString()); }
  void write(const QString& value) const { SaveSetting(key(), value); }
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
// "Web" > "Secure Sites and Redirects", "Skip Pages Already Read" and "Polite Crawl".
inline constexpr SettingKey mnuSecureWeb{"mnuSecureWeb", 1};
inline constexpr SettingKey mnuSkipRead{"mnuSkipRead", 1};
inline constexpr SettingKey mnuPolite{"mnuPolite", 1};
// "Web" > "Thorough Fax Scan", on until the user turns it off.
inline constexpr SettingKey mnuThoroughScan{"mnuThoroughScan", 1};
// "Web" > "Connections": how many sockets the crawl runs side by side.
inline constexpr SettingKey crawlConnections{"crawlConnections", 10};
// "Web" > "All Links of a Page".
inline constexpr SettingKey mnuAllLinks{"mnuAllLinks", 1};
// "Web" > "Stay on Result Sites", and "Web" > "Pages per Site" (a number of pages, 0: no limit).
inline constexpr SettingKey mnuStaySites{"mnuStaySites", 1};
inline constexpr SettingKey sitePageLimit{"sitePageLimit", 50};

// Where the windows were left: size, position and maximised state, and the fax table's columns.
inline constexpr BytesSettingKey Form1Geometry{"Form1Geometry"};
inline constexpr BytesSettingKey frmFaxTableGeometry{"frmFaxTableGeometry"};
inline constexpr BytesSettingKey grdFaxesColumns{"grdFaxesColumns"};
// The export window's last choice of kind (its list index), and the folder last written to.
inline constexpr SettingKey frmExportCombo1{"frmExportCombo1", -1};
inline constexpr TextSettingKey frmExportFolder{"frmExportFolder"};

// The option check boxes of the main window, each stored under its own name.
inline constexpr SettingKey kCheckBoxes[] = {chkAuto,       chkAddFax,    chkNonUS,
                                             chkAudioEmail, chkAudioNext, chkAudioFinished};
}  // namespace settings

}  // namespace norvane
