// What the fax table costs on a big spider.mdb (built by store_scale_bench): the real window,
// offscreen, from opening to its first rows painted, then a sort by each column and a filter,
// and the resident memory it adds. One figure per line.
//
//   QT_QPA_PLATFORM=offscreen fax_table_bench --dir DIR
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <cstdio>

#include "app/windows/frm_fax_table.h"
#include "bench_figures.h"
#include "store/spider_database.h"

using norvane::bench::Print;
using norvane::bench::ResidentMiB;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString dir;
  for (int k = 1; k + 1 < argc; k += 2)
    if (QByteArray(argv[k]) == "--dir") dir = QString::fromLocal8Bit(argv[k + 1]);
  if (dir.isEmpty()) {
    std::fprintf(stderr, "usage: fax_table_bench --dir DIR (with DIR/spider.mdb)\n");
    return 2;
  }
  norvane::SpiderDatabase store(dir + QStringLiteral("/spider.mdb"));
  if (!store.open()) return 1;
  const double base = ResidentMiB();
  QElapsedTimer clock;
  clock.start();
  auto* table = new norvane::frmFaxTable(store);
  table->show();
  // Painted: the view has asked for the rows it shows.
  table->grdFaxes->viewport()->repaint();
  Print("fax table: open and paint its first rows", clock.nsecsElapsed() / 1e6, "ms");
  Print("rows listed", table->shownCount(), "");
  Print("resident added by the window", ResidentMiB() - base, "MiB");
  const char* names[] = {"sort by number", "sort by region", "sort by website", "sort by search",
                         "sort by date"};
  for (int column = 0; column < norvane::frmFaxTable::kColumnCount; ++column) {
    clock.start();
    table->grdFaxes->sortByColumn(column, Qt::AscendingOrder);
    table->grdFaxes->viewport()->repaint();
    Print(names[column], clock.nsecsElapsed() / 1e6, "ms");
  }
  for (const char* filter : {"j", "je", "jersey", "555-12", ""}) {
    clock.start();
    table->txtFilter->setText(QString::fromLatin1(filter));
    // On a big table the filter waits for a pause in the typing, which this figure includes.
    const auto* rows = static_cast<norvane::FaxTableModel*>(table->grdFaxes->model());
    while (rows->listing().filter != table->txtFilter->text())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    table->grdFaxes->viewport()->repaint();
    Print(qPrintable(QStringLiteral("filter \"%1\" (%2 rows)")
                         .arg(QLatin1String(filter))
                         .arg(table->shownCount())),
          clock.nsecsElapsed() / 1e6, "ms");
  }
  clock.start();
  table->grdFaxes->scrollToBottom();
  table->grdFaxes->viewport()->repaint();
  Print("scroll to the last rows", clock.nsecsElapsed() / 1e6, "ms");
  Print("resident added at the end", ResidentMiB() - base, "MiB");
  delete table;
  return 0;
}
