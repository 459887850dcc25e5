#pragma once

#include <QWidget>
#include <cmath>

namespace norvane {

// Window designs are given in twips, 15 to a pixel at 96 dots per inch.
inline int TwipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / 15.0));
}

inline void PlaceInTwips(QWidget* widget, double left, double top, double width, double height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

// Moves a top-level window to the middle of the screen it is on (or the primary screen).
void CenterOnScreen(QWidget* window);

}  // namespace norvane
