#include "desktop/set_top_most.h"

#include <QWidget>

namespace norvane {

void SetTopMost(QWidget* window, bool on) {
  if (!window) return;
  // Changing a window flag hides a shown window and may let the window manager place it
  // anew, so the geometry and visibility are put back.
  const bool visible = window->isVisible();
  const QRect geometry = window->geometry();
  window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) {
    window->setGeometry(geometry);
    window->show();
  }
}

}  // namespace norvane
