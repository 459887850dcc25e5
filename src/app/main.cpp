#include <QApplication>

#include "app/windows/frm_splash.h"
#include "common/app_folder.h"
#include "common/version_info.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setOrganizationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setApplicationVersion(
      QStringLiteral("%1.%2").arg(norvane::version::kMajor).arg(norvane::version::kMinor));
  norvane::SetAppFolder(norvane::ResolveAppFolder(QApplication::arguments()));
  // An installed program reads its help and sounds from the application folder like any other
  // file, so they are copied there from the installed data folder when missing.
  norvane::CopyMissingDataFiles(norvane::InstalledDataFolder(), norvane::AppFolder());

  // The splash loads the main window, which ends the program when it closes.
  norvane::frmSplash splash;
  splash.show();
  splash.Form_Load();
  return QApplication::exec();
}
