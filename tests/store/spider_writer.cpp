// A child process for the crash test: stores rows one operation at a time into the file named on
// its command line and prints the number of each finished round, until it is killed.
#include <QCoreApplication>
#include <cstdio>

#include "store/spider_database.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) return 2;
  norvane::SpiderDatabase db(QString::fromLocal8Bit(argv[1]));
  if (!db.open()) return 3;
  for (int round = 0; round < 1000000; ++round) {
    QString fax = QStringLiteral("1-212-%1").arg(round, 8, 10, QLatin1Char('0'));
    QString search = QStringLiteral("search %1").arg(round);
    QString site = QStringLiteral("site%1.example").arg(round);
    db.AddFax(fax, site, search, QStringLiteral("New York"));
    db.AddWebsite(site);
    db.AddSearch(search);
    std::printf("%d\n", round);
    std::fflush(stdout);
  }
  return 0;
}
