// The program as main() runs it, on the folder of --app-dir, closed through File > Exit once
// its main window is up (with "crawl", while the search window's browser is loading), so the
// test can time how long the process takes to end after the click.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <cstdio>

#include "app/form1.h"
#include "app/program_start.h"
#include "app/windows/frm_splash.h"

int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 4) return 2;
  const bool crawl = args[1] == QLatin1String("crawl");
  const QString folder = args[3];
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder + "/settings");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder + "/settings");

  QTimer poll;
  int phase = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    norvane::Form1* form = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* splash = qobject_cast<norvane::frmSplash*>(top)) form = splash->mainWindow();
    }
    if (!form || !form->isVisible()) return;
    if (phase == 0 && crawl) {
      form->Combo1->setCurrentIndex(0);
      form->Combo2->setCurrentIndex(0);
      form->Text1->setText(QStringLiteral("plumbers"));
      form->cmdAdd_Click();
      form->Command1_Click();
    }
    // Time for the browser to get going before the close.
    if (++phase < (crawl ? 40 : 2)) return;
    poll.stop();
    std::printf("CLOSING\n");
    std::fflush(stdout);
    form->mnuFileItem->trigger();
  });
  poll.start(50);
  return norvane::RunProgram();
}
