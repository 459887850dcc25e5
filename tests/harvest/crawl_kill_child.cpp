// A crawl in a process of its own, for the test that kills it: it prints each number as soon
// as the store has it, so the test knows what must survive the kill. It runs the crawl
// controller alone, as nothing of the crawl needs a window.
#include <QCoreApplication>
#include <QSettings>
#include <cstdio>

#include "common/app_folder.h"
#include "harvest/control/harvest_controller.h"
#include "harvest/fetch/page_fetcher.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 3) return 2;
  const QString folder = QString::fromLocal8Bit(argv[1]);
  norvane::SetAppFolder(folder);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder + "/settings");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder + "/settings");

  norvane::HarvestController controller(norvane::AppFile(QStringLiteral("spider.mdb")));
  norvane::HarvestOptions options;
  options.turnWebMenuOff();
  options.soundOnFax = options.soundOnNextSearch = options.soundOnFinished = false;
  controller.setOptions(options);
  controller.LoadCounters();
  controller.Load();
  // The number-stored event comes after the number reached the store.
  QObject::connect(&controller, &norvane::HarvestController::numberStored, [&] {
    std::printf("STORED %s\n", qPrintable(controller.faxPreview().last().section(' ', 0, 0)));
    std::fflush(stdout);
  });
  controller.fetcher().setConnectTo(QStringLiteral("127.0.0.1"),
                                    quint16(QString(argv[2]).toUInt()));
  controller.StartSearch();
  std::printf("STARTED\n");
  std::fflush(stdout);
  return QCoreApplication::exec();
}
