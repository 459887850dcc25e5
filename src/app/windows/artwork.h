#pragma once

#include <QPixmap>

namespace norvane {

// The pictures of the splash window and of the about window's logo strip, drawn from the
// program icon and the version information.
QPixmap SplashPicture(int width, int height);
QPixmap LogoStrip(int width, int height);

}  // namespace norvane
