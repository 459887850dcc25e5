#include "app/windows/frm_about.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/windows/artwork.h"
#include "common/version_info.h"
#include "desktop/design_fonts.h"
#include "desktop/product_page.h"
#include "desktop/twips.h"
#include "desktop/window_keys.h"

namespace norvane {
namespace {

QFont Verdana(double points, bool bold) {
  return DesignFont(points, bold);
}

}  // namespace

frmAbout::frmAbout(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint) {
  setObjectName(QStringLiteral("frmAbout"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFont(Verdana(8.25, false));
  setFixedSize(TwipsToPixels(7455), TwipsToPixels(2535));

  Picture1 = new QLabel(this);
  Picture1->setObjectName(QStringLiteral("Picture1"));
  PlaceInTwips(Picture1, 0, 0, 7515, 1035);
  Picture1->setPixmap(LogoStrip(Picture1->width(), Picture1->height()));
  Label1 = new QLabel(Picture1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(Verdana(14.25, true));
  Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
  PlaceInTwips(Label1, 120, 300, 5655, 435);

  auto row = [this](double top, const QString& caption, const char* valueName) {
    auto* label = new QLabel(caption, this);
    label->setFont(Verdana(12, true));
    PlaceInTwips(label, 180, top, 2295, 315);
    auto* value = new QLabel(this);
    value->setObjectName(QLatin1String(valueName));
    PlaceInTwips(value, 2580, top, 4635, 315);
    return value;
  };
  lblVersion = row(1260, QStringLiteral("Version:"), "lblVersion");
  lblCompany = row(1680, QStringLiteral("Owned By:"), "lblCompany");
  lblWebsite = row(2100, QStringLiteral("Website:"), "lblWebsite");
  lblWebsite->setStyleSheet(QStringLiteral("color: blue;"));
  lblWebsite->setCursor(Qt::PointingHandCursor);
  lblWebsite->installEventFilter(this);
  CloseOnEscape(this);
}

void frmAbout::Form_Load() {
  const QString product = QString::fromUtf8(version::kProductName);
  setWindowTitle(QStringLiteral("About ") + product);
  Label1->setText(product);
  lblCompany->setText(QString::fromUtf8(version::kCompanyName));
  lblVersion->setText(QStringLiteral("%1.%2").arg(version::kMajor).arg(version::kMinor));
  lblWebsite->setText(QString::fromUtf8(version::kComments));
  CenterOnScreen(this);
}

void frmAbout::lblWebsite_Click() {
  OpenProductPage(this);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lblWebsite && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    lblWebsite_Click();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace norvane
