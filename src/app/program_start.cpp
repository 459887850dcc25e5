#include "app/program_start.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

#include "app/command_line.h"
#include "app/form1.h"
#include "app/windows/frm_splash.h"
#include "common/app_folder.h"
#include "common/settings_store.h"
#include "common/version_info.h"
#include "desktop/design_fonts.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

// Where a fresh application folder takes its help file and sounds from: the installed data
// folder, or, where the program was built, the program's own folder, which holds both.
QString DataFilesSource() {
  const QString installed = InstalledDataFolder();
  if (!installed.isEmpty()) return installed;
  const QString programFolder = QCoreApplication::applicationDirPath();
  return QFileInfo::exists(programFolder + QStringLiteral("/Help.rtf")) ? programFolder : QString();
}

}  // namespace

int RunProgram() {
  QApplication::setApplicationName(QString::fromUtf8(version::kProductName));
  QApplication::setOrganizationName(QString::fromUtf8(version::kProductName));
  QApplication::setApplicationVersion(
      QStringLiteral("%1.%2").arg(version::kMajor).arg(version::kMinor));
  const QStringList options = ParseCommandLine(QApplication::arguments());
  InstallDesignFontFallbacks();
  SetAppFolder(ResolveAppFolder(options));
  // Every file is "application folder + name", so a folder that lacks the help file or the
  // sounds (a fresh --app-dir, the per-user folder of an installed program) gets them; a file
  // the user already has there is never replaced.
  CopyMissingDataFiles(DataFilesSource(), AppFolder());

  // The splash loads the main window, which ends the event loop when it closes.
  auto* splash = new frmSplash;
  splash->show();
  splash->Form_Load();
  const int exitCode = QApplication::exec();

  // The main window has unloaded every window and every change is already on disk: options
  // and counters are flushed here, and each store operation leaves the database complete. What
  // is left is the teardown of the browser engine, the sound system and the windows, which
  // takes a second or more on a desktop and saves nothing, so the process ends now.
  FlushSettings();
  if (Form1* form = splash->mainWindow()) form->database().close();
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace norvane
