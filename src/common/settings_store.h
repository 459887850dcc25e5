#pragma once

#include <QString>

namespace norvane {

// The per-user settings store: organisation and application "Norvane", section "Settings",
// every value a text. Each write reaches the store before the call returns.
QString GetSetting(const QString& key, const QString& defaultValue);
void SaveSetting(const QString& key, const QString& value);

// For values that change many times a second (the statistics counters): GetSetting sees the
// value at once and the settings file gets it within a second, or at FlushSettings, which
// the main window runs when it closes. Writing the file takes two disk syncs, which would
// otherwise cost the crawl more than the page itself.
void SaveSettingSoon(const QString& key, const QString& value);
void FlushSettings();

// The integer value of a stored setting; the default's value when the stored text is no whole
// number or lies outside [minimum, maximum].
int GetIntSetting(const QString& key, int defaultValue, int minimum, int maximum);

}  // namespace norvane
