#include "desktop/program_icon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace norvane {
namespace {

// A sheet of paper coming out of a fax machine, in the program's blue.
QImage DrawIcon(int size) {
  QImage pixmap(size, size, QImage::Format_ARGB32_Premultiplied);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 16.0;
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f, 0x5f, 0xa8));
  p.drawRoundedRect(QRectF(1 * s, 7 * s, 14 * s, 8 * s), 1.5 * s, 1.5 * s);
  p.setBrush(Qt::white);
  p.setPen(QPen(QColor(0x33, 0x33, 0x33), std::max<qreal>(1.0, 0.6 * s)));
  p.drawRect(QRectF(4 * s, 1 * s, 8 * s, 9 * s));
  p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), std::max<qreal>(1.0, 0.7 * s)));
  for (int line = 0; line < 3; ++line) {
    const qreal y = (3 + 2 * line) * s;
    p.drawLine(QPointF(5.5 * s, y), QPointF(10.5 * s, y));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xb1, 0x34));
  p.drawEllipse(QRectF(11.5 * s, 11.5 * s, 2 * s, 2 * s));
  p.end();
  return pixmap;
}

}  // namespace

QImage ProgramIconImage(int size) {
  return DrawIcon(size);
}

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QIcon result;
    for (int size : {128, 64, 48, 32, 16}) result.addPixmap(QPixmap::fromImage(DrawIcon(size)));
    return result;
  }();
  return icon;
}

}  // namespace norvane
