// What the fax table costs on a big spider.mdb (built by store_scale_bench): the real window,
// offscreen, from opening to its first rows painted, then a sort by each column and a filter,
// and the resident memory it adds. One figure per line. The store lists the rows on a thread of
// its own, so each step has three figures: its first rows painted, its whole listing read, and
// the longest time the window's thread went without handling its events meanwhile (a timer
// ticks every few milliseconds; the freeze is the longest gap between two ticks, less the
// interval, so a loaded machine adds to it).
//
//   QT_QPA_PLATFORM=offscreen fax_table_bench --dir DIR [--main-window]
//
// --main-window first starts the program's main window on DIR (its spider.mdb, with settings
// of its own in a temporary folder) and prints how long it took to show and the resident
// memory then; the fax table is then the one of that window.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/form1.h"
#include "app/windows/frm_fax_table.h"
#include "bench_figures.h"
#include "common/app_folder.h"
#include "desktop/message_box.h"
#include "store/spider_database.h"

using norvane::FaxTableModel;
using norvane::frmFaxTable;
using norvane::bench::Print;
using norvane::bench::ResidentMiB;

namespace {

// The longest gap between two ticks of a timer on the window's thread since reset().
class FreezeMeter {
 public:
  static constexpr int kTickMs = 5;
  FreezeMeter() {
    QObject::connect(&m_ticks, &QTimer::timeout, [this] {
      m_longestNs = std::max(m_longestNs, m_sinceTick.nsecsElapsed());
      m_sinceTick.start();
    });
    m_ticks.setTimerType(Qt::PreciseTimer);
    m_ticks.start(kTickMs);
    reset();
  }
  void reset() {
    m_longestNs = 0;
    m_sinceTick.start();
  }
  double longestFreezeMs() const {
    return std::max(0.0, std::max(m_longestNs, m_sinceTick.nsecsElapsed()) / 1e6 - kTickMs);
  }

 private:
  QTimer m_ticks;
  QElapsedTimer m_sinceTick;
  qint64 m_longestNs = 0;
};

FaxTableModel* RowsOf(frmFaxTable* table) {
  return static_cast<FaxTableModel*>(table->grdFaxes->model());
}

// Runs `step` from the window's event loop and prints when its first rows were painted, when
// its whole listing was read, and the longest freeze meanwhile. The step may make the table.
void Measure(const QString& what, frmFaxTable*& table, FreezeMeter& meter,
             const std::function<void()>& step, const std::function<bool()>& stepDone = {}) {
  QElapsedTimer clock;
  double firstMs = -1;
  bool stepped = false;
  QMetaObject::Connection painted;
  QTimer::singleShot(0, [&] {
    meter.reset();
    clock.start();
    step();
    stepped = true;
    painted = QObject::connect(RowsOf(table), &FaxTableModel::reloaded, [&] {
      if (firstMs >= 0) return;
      table->grdFaxes->viewport()->repaint();
      firstMs = clock.nsecsElapsed() / 1e6;
    });
  });
  while (!stepped || (stepDone && !stepDone()) || RowsOf(table)->reading())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  const double wholeMs = clock.nsecsElapsed() / 1e6;
  QObject::disconnect(painted);
  if (firstMs < 0) {  // nothing listed anew
    table->grdFaxes->viewport()->repaint();
    firstMs = clock.nsecsElapsed() / 1e6;
  }
  Print(qPrintable(what + QStringLiteral(": first rows painted")), firstMs, "ms");
  Print(qPrintable(what + QStringLiteral(": listed whole")), wholeMs, "ms");
  Print(qPrintable(what + QStringLiteral(": longest freeze")), meter.longestFreezeMs(), "ms");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QString dir;
  bool mainWindow = false;
  for (int k = 1; k < argc; ++k) {
    if (QByteArray(argv[k]) == "--main-window") mainWindow = true;
    if (QByteArray(argv[k]) == "--dir" && k + 1 < argc) dir = QString::fromLocal8Bit(argv[++k]);
  }
  if (dir.isEmpty()) {
    std::fprintf(stderr,
                 "usage: fax_table_bench --dir DIR [--main-window] (with DIR/spider.mdb)\n");
    return 2;
  }
  // The user's own settings stay untouched.
  QTemporaryDir settingsDir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane"))
      .setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
  std::unique_ptr<norvane::Form1> form;
  std::unique_ptr<norvane::SpiderDatabase> ownStore;
  norvane::SpiderDatabase* store = nullptr;
  if (mainWindow) {
    norvane::SetAppFolder(dir);
    norvane::MessageBox::setTestMode(true);
    QElapsedTimer start;
    start.start();
    form = std::make_unique<norvane::Form1>();
    form->Form_Load();
    form->show();
    QApplication::processEvents();
    Print("main window: start and show", start.nsecsElapsed() / 1e6, "ms");
    Print("resident with the main window shown", ResidentMiB(), "MiB");
    store = &form->database();
  } else {
    ownStore = std::make_unique<norvane::SpiderDatabase>(dir + QStringLiteral("/spider.mdb"));
    if (!ownStore->open()) return 1;
    store = ownStore.get();
  }
  const double base = ResidentMiB();
  FreezeMeter meter;
  frmFaxTable* table = nullptr;
  Measure(QStringLiteral("open"), table, meter, [&] {
    table = new frmFaxTable(*store);
    table->show();
  });
  Print("rows listed", table->shownCount(), "");
  Print("resident added by the window", ResidentMiB() - base, "MiB");
  const char* names[] = {"sort by number", "sort by region", "sort by website", "sort by search",
                         "sort by date"};
  for (int column = 0; column < frmFaxTable::kColumnCount; ++column)
    Measure(QLatin1String(names[column]), table, meter,
            [&] { table->grdFaxes->sortByColumn(column, Qt::AscendingOrder); });
  for (const char* filter : {"j", "je", "jersey", "555-12", ""}) {
    Measure(QStringLiteral("filter \"%1\"").arg(QLatin1String(filter)), table, meter,
            [&] { table->txtFilter->setText(QString::fromLatin1(filter)); });
    Print("  rows", table->shownCount(), "");
  }
  // Letters typed faster than a listing: each abandons the one before.
  Measure(
      QStringLiteral("typed \"jersey\" a letter each 50 ms"), table, meter,
      [&] {
        table->txtFilter->clear();
        for (int k = 1; k <= 6; ++k)
          QTimer::singleShot(50 * k, table, [table, k] {
            table->txtFilter->setText(QStringLiteral("jersey").left(k));
          });
      },
      [&] { return table->txtFilter->text() == QLatin1String("jersey"); });
  Print("  rows", table->shownCount(), "");
  QElapsedTimer clock;
  clock.start();
  table->grdFaxes->scrollToBottom();
  table->grdFaxes->viewport()->repaint();
  Print("scroll to the last rows", clock.nsecsElapsed() / 1e6, "ms");
  Print("resident added at the end", ResidentMiB() - base, "MiB");
  Print("resident at the end", ResidentMiB(), "MiB");
  delete table;
  return 0;
}
