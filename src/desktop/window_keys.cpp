#include "desktop/window_keys.h"

#include <QShortcut>
#include <QWidget>

namespace norvane {

void CloseOnEscape(QWidget* window) {
  auto* escape = new QShortcut(Qt::Key_Escape, window);
  escape->setObjectName(QStringLiteral("closeOnEscape"));
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

}  // namespace norvane
