#pragma once

class QWidget;

namespace norvane {

struct BytesSettingKey;

// A window's size, position and maximised state, kept under `key` when it closes and put back
// before it is first shown. A stored place off every screen is moved back onto one, and a
// size below the window's minimum is raised to it.
void RestoreWindowGeometry(QWidget* window, const BytesSettingKey& key);
void SaveWindowGeometry(const QWidget* window, const BytesSettingKey& key);

}  // namespace norvane
