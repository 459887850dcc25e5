#pragma once

#include <QIcon>
#include <QImage>

namespace norvane {

// The program icon, drawn at 128, 64, 48, 32 and 16 pixels so every window size gets a sharp one.
QIcon ProgramIcon();

// One size of the program icon as an image, for the icon files installed with the program.
QImage ProgramIconImage(int size);

}  // namespace norvane
