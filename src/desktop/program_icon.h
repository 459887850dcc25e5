#pragma once

#include <QIcon>

namespace norvane {

// The program icon, drawn at 128, 64, 48, 32 and 16 pixels so every window size gets a sharp one.
QIcon ProgramIcon();

}  // namespace norvane
