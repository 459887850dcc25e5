#include "app/windows/artwork.h"

#include <QLinearGradient>
#include <QPainter>

#include "common/version_info.h"
#include "desktop/program_icon.h"

namespace norvane {
namespace {

void PaintBackground(QPainter& p, const QRect& area) {
  QLinearGradient gradient(area.topLeft(), area.bottomRight());
  gradient.setColorAt(0, QColor(0x14, 0x3d, 0x6e));
  gradient.setColorAt(1, QColor(0x2f, 0x7c, 0xc9));
  p.fillRect(area, gradient);
}

}  // namespace

QPixmap SplashPicture(int width, int height) {
  QPixmap pixmap(width, height);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintBackground(p, pixmap.rect());
  // Faint lines of digits in the background, like a list of numbers.
  p.setPen(QColor(255, 255, 255, 28));
  QFont digits(QStringLiteral("DejaVu Sans Mono"));
  digits.setPixelSize(std::max(8, height / 20));
  p.setFont(digits);
  for (int row = 0; row < 20; ++row) {
    p.drawText(QPoint(width / 2, (row + 1) * height / 20),
               QStringLiteral("1-%1-555-%2").arg(201 + row * 37).arg(1000 + row * 311));
  }
  const int iconSize = std::min(128, height / 3);
  p.drawImage(QRect(width / 12, height / 3 - iconSize / 2, iconSize, iconSize),
              ProgramIconImage(128));
  p.setPen(Qt::white);
  QFont title(QStringLiteral("Verdana"));
  title.setBold(true);
  title.setPixelSize(std::max(12, height / 7));
  p.setFont(title);
  const QRect textArea(width / 12 + iconSize + width / 24, 0, width, height * 2 / 3);
  p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(version::kProductName));
  QFont small(QStringLiteral("Verdana"));
  small.setPixelSize(std::max(8, height / 22));
  p.setFont(small);
  p.drawText(QRect(width / 12, height * 2 / 3, width * 10 / 12, height / 3 - height / 12),
             Qt::AlignLeft | Qt::AlignBottom,
             QStringLiteral("Version %1.%2\n%3\n%4")
                 .arg(version::kMajor)
                 .arg(version::kMinor)
                 .arg(QString::fromUtf8(version::kCompanyName))
                 .arg(QString::fromUtf8(version::kComments)));
  return pixmap;
}

QPixmap LogoStrip(int width, int height) {
  QPixmap pixmap(width, height);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  PaintBackground(p, pixmap.rect());
  const int iconSize = std::max(16, height - 12);
  p.drawImage(QRect(width - iconSize - 12, (height - iconSize) / 2, iconSize, iconSize),
              ProgramIconImage(128));
  return pixmap;
}

}  // namespace norvane
