#include "app/windows/frm_splash.h"

#include <QLabel>
#include <QTimer>

#include "app/form1.h"
#include "app/windows/artwork.h"
#include "desktop/twips.h"

namespace norvane {

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmSplash"));
  setFixedSize(TwipsToPixels(7170), TwipsToPixels(4770));
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  PlaceInTwips(Image1, 0, 0, 7170, 4770);
  Image1->setPixmap(SplashPicture(Image1->width(), Image1->height()));
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  // The hand-over comes on the 75th tick. A 2 ms timer ticks every 10 to 16 ms on the desktop
  // the splash was drawn for, which holds it about a second; here timers keep their interval,
  // so the interval itself is what makes 75 ticks last about a second.
  Timer2->setTimerType(Qt::PreciseTimer);
  Timer2->setInterval(kSplashTickMilliseconds);
  connect(Timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
  CenterOnScreen(this);
}

frmSplash::~frmSplash() = default;

void frmSplash::Form_Load() {
  Timer2->start();
}

void frmSplash::Timer2_Timer() {
  intTemp = static_cast<int16_t>(intTemp + 2);
  if (intTemp != 150) return;
  Timer2->stop();
  m_main = std::make_unique<Form1>();
  m_main->setSplashWindow(this);
  m_main->Form_Load();
  m_main->show();
  hide();
}

}  // namespace norvane
