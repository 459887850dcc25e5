#pragma once

#include <QHash>
#include <QRectF>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace norvane {

// Window designs are given in twips, 15 to a pixel at 96 dots per inch.
inline constexpr double kTwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline void PlaceInTwips(QWidget* widget, double left, double top, double width, double height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

// The design geometry of a window's widgets, kept in twips so that a layout rule can change it
// in twips and floating point, and applied in pixels.
class TwipsGeometry {
 public:
  void place(QWidget* widget, double left, double top, double width, double height) {
    m_twips[widget] = QRectF(left, top, width, height);
    apply(widget);
  }
  QRectF& operator[](QWidget* widget) { return m_twips[widget]; }
  void apply(QWidget* widget) const {
    const QRectF r = m_twips.value(widget);
    // A tiny window gives negative sizes; the widget then shrinks to nothing instead of failing.
    widget->setGeometry(TwipsToPixels(r.left()), TwipsToPixels(r.top()),
                        std::max(0, TwipsToPixels(r.width())),
                        std::max(0, TwipsToPixels(r.height())));
  }

 private:
  QHash<QWidget*, QRectF> m_twips;
};

// Moves a top-level window to the middle of the screen it is on (or the primary screen).
void CenterOnScreen(QWidget* window);

}  // namespace norvane
