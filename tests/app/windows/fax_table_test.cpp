// File > Fax Table on a real spider.mdb: sorting, the filter, the counts, copying, the CSV
// export and following the numbers the crawl stores.
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QTableView>
#include <algorithm>
#include <functional>

#include "app/form1_fixture.h"
#include "app/windows/frm_fax_table.h"
#include "desktop/message_box.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

class FaxTableTest : public Form1Test {
 protected:
  void SetUp() override {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    // number, website, search, region
    const char* rows[][4] = {{"1-201-555-0100", "acme.example", "plumbers", "NJ  Newark "},
                             {"1-303-555-0101", "rocky.example/contact", "roofers", "CO  Denver "},
                             {"1-212-555-0102", "big.example", "plumbers, NY", "NY  New York "}};
    for (auto& row : rows) {
      QString fax = QLatin1String(row[0]);
      QString search = QLatin1String(row[2]);
      db.AddFax(fax, QLatin1String(row[1]), search, QLatin1String(row[3]));
    }
  }
  void TearDown() override { frmFaxTable::setSaveDialog({}); }

  // The rows are listed on a thread of the store's: waits until the listing asked for last is
  // shown whole.
  static bool Listed(const frmFaxTable* table) {
    return WaitFor([table] { return !table->reading(); });
  }

  static QStringList column(const frmFaxTable& table, int c) {
    QStringList out;
    for (const FaxRow& row : table.shownRows())
      out << QStringList{row.fax, row.location, row.website, row.search, row.date}[c];
    return out;
  }
};

TEST_F(FaxTableTest, OpensFromTheFileMenuNotModalAndOnce) {
  auto form = start();
  auto* item = form->findChild<QAction*>(QStringLiteral("mnuFaxTable"));
  ASSERT_NE(item, nullptr);
  const auto* file = form->menuBar()->findChild<QMenu*>(QStringLiteral("mnuFile"));
  EXPECT_EQ(file->actions(), QList<QAction*>({item, form->mnuFileItem}));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text().remove(QLatin1Char('&')), QStringLiteral("Fax Table"));
  item->trigger();
  frmFaxTable* table = FindFaxTable(form.get());
  ASSERT_NE(table, nullptr);
  ASSERT_TRUE(Listed(table));
  EXPECT_TRUE(table->isVisible());
  EXPECT_FALSE(table->isModal());
  item->trigger();
  EXPECT_EQ(form->findChildren<frmFaxTable*>().size(), 1);
  EXPECT_EQ(table->lblCount->text(), QStringLiteral("3 of 3 numbers shown"));
}

TEST_F(FaxTableTest, SortsByEveryColumnAndFiltersOnAny) {
  auto form = start();
  frmFaxTable* table = ShowFaxTable(form.get(), form->database());
  struct Sort {
    int column;
    Qt::SortOrder order;
    QStringList numbers;
  };
  const Sort sorts[] = {
      {frmFaxTable::kNumber,
       Qt::AscendingOrder,
       {"1-201-555-0100", "1-212-555-0102", "1-303-555-0101"}},
      {frmFaxTable::kRegion,
       Qt::AscendingOrder,
       {"1-303-555-0101", "1-201-555-0100", "1-212-555-0102"}},
      {frmFaxTable::kWebsite,
       Qt::DescendingOrder,
       {"1-303-555-0101", "1-212-555-0102", "1-201-555-0100"}},
      {frmFaxTable::kSearch,
       Qt::AscendingOrder,
       {"1-201-555-0100", "1-212-555-0102", "1-303-555-0101"}},
  };
  for (const Sort& s : sorts) {
    table->grdFaxes->sortByColumn(s.column, s.order);
    ASSERT_TRUE(Listed(table));
    EXPECT_EQ(column(*table, frmFaxTable::kNumber), s.numbers) << s.column;
  }
  // Dates the same second sort as equal; the newest-first sort must at least keep every row.
  table->grdFaxes->sortByColumn(frmFaxTable::kDate, Qt::DescendingOrder);
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(table->shownCount(), 3);

  struct Filter {
    const char* text;
    int shown;
  };
  const Filter filters[] = {{"", 3},         {"plumbers", 2}, {"DENVER", 1}, {"/contact", 1},
                            {"555-0102", 1}, {"20", 3},       {"nowhere", 0}};
  table->grdFaxes->sortByColumn(frmFaxTable::kNumber, Qt::AscendingOrder);
  for (const Filter& f : filters) {
    table->txtFilter->setText(QLatin1String(f.text));
    ASSERT_TRUE(Listed(table));
    EXPECT_EQ(table->shownCount(), f.shown) << f.text;
    EXPECT_EQ(table->lblCount->text(), QStringLiteral("%1 of 3 numbers shown").arg(f.shown))
        << f.text;
  }
}

TEST_F(FaxTableTest, RowsStayInViewWhileTheNextListingIsReadAndTheLastLettersWin) {
  auto form = start();
  frmFaxTable* table = ShowFaxTable(form.get(), form->database());
  ASSERT_TRUE(Listed(table));
  // Typed faster than the listings come: the rows of the letters before never land last.
  for (const char* typed : {"p", "pl", "plu", "plumbers", "plumbers,", "plumbers, NY"}) {
    table->txtFilter->setText(QLatin1String(typed));
    EXPECT_TRUE(table->reading()) << typed;
    EXPECT_EQ(table->shownCount(), 3) << typed;  // the rows before, until the new ones come
  }
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(column(*table, frmFaxTable::kNumber), QStringList({"1-212-555-0102"}));
  EXPECT_EQ(table->lblCount->text(), QStringLiteral("1 of 3 numbers shown"));
  QTest::qWait(100);  // and nothing of them arrives afterwards
  EXPECT_EQ(table->shownCount(), 1);
}

TEST_F(FaxTableTest, CopiesSelectedRowsAndExportsTheShownOnes) {
  auto form = start();
  frmFaxTable* table = ShowFaxTable(form.get(), form->database());
  table->grdFaxes->sortByColumn(frmFaxTable::kNumber, Qt::AscendingOrder);
  ASSERT_TRUE(Listed(table));
  table->grdFaxes->selectRow(2);
  table->grdFaxes->selectionModel()->select(
      table->grdFaxes->model()->index(0, 0),
      QItemSelectionModel::Select | QItemSelectionModel::Rows);
  table->cmdCopy->click();
  const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3);  // two rows, in the order shown, and the end
  EXPECT_TRUE(lines[0].startsWith(
      QStringLiteral("1-201-555-0100\tNJ  Newark \tacme.example\tplumbers\t20")));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1-303-555-0101\tCO  Denver \t")));
  EXPECT_EQ(lines[0].count(QLatin1Char('\t')), 4);

  table->txtFilter->setText(QStringLiteral("plumbers"));
  ASSERT_TRUE(Listed(table));
  const QString target = folder.file(QStringLiteral("shown.csv"));
  QString offered;
  frmFaxTable::setSaveDialog([&](QWidget*, const QString& path) {
    offered = path;
    return target;
  });
  table->cmdExportCsv->click();
  // Not the application folder, which is hidden for an installed program.
  EXPECT_EQ(QFileInfo(offered).fileName(), QStringLiteral("faxes.csv"));
  EXPECT_NE(QFileInfo(offered).absolutePath(), folder.path());
  EXPECT_EQ(table->lblCount->text(), QStringLiteral("2 numbers written to ") + target);
  table->cmdExportCsv->click();  // the folder just written to comes next
  EXPECT_EQ(offered, folder.file(QStringLiteral("faxes.csv")));
  QFile file(target);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QList<QByteArray> records = file.readAll().split('\n');
  ASSERT_EQ(records.size(), 4);
  EXPECT_EQ(records[0], QByteArray("number,region,website,search,date\r"));
  EXPECT_TRUE(records[1].startsWith("1-201-555-0100,NJ  Newark ,acme.example,plumbers,"));
  EXPECT_TRUE(records[2].startsWith("1-212-555-0102,NY  New York ,big.example,\"plumbers, NY\","));

  // A file that cannot be written is reported, not passed over.
  MessageBox::setTestMode(true);
  MessageBox::reset();
  frmFaxTable::setSaveDialog([&](QWidget*, const QString&) { return folder.path(); });
  table->cmdExportCsv->click();
  EXPECT_EQ(MessageBox::takeShownTexts().size(), 1);
  MessageBox::setTestMode(false);
}

TEST_F(FaxTableTest, FollowsStoredAndDeletedNumbersKeepingTheSelection) {
  auto form = start();
  frmFaxTable* table = ShowFaxTable(form.get(), form->database());
  table->grdFaxes->sortByColumn(frmFaxTable::kNumber, Qt::AscendingOrder);
  ASSERT_TRUE(Listed(table));
  table->grdFaxes->selectRow(1);  // 1-212-555-0102
  // The crawl stores a number and puts it into the preview.
  QString fax = QStringLiteral("1-200-555-0199");
  QString search = QStringLiteral("plumbers");
  form->database().AddFax(fax, QStringLiteral("new.example"), search, QStringLiteral("NJ"));
  emit form->controller().faxAppended(fax);
  ASSERT_TRUE(WaitFor([&] { return table->storedCount() == 4; })) << table->storedCount();
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(column(*table, frmFaxTable::kNumber).first(), fax);
  EXPECT_EQ(table->selectedRowsText().section(QLatin1Char('\t'), 0, 0),
            QStringLiteral("1-212-555-0102"));

  form->controller().DeleteAllFaxes();
  ASSERT_TRUE(WaitFor([&] { return table->storedCount() == 0; })) << table->storedCount();
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(table->lblCount->text(), QStringLiteral("0 of 0 numbers shown"));
}

TEST_F(FaxTableTest, ManyPagesOfRowsKeepTheirOrderAndTheSelectionAcrossSortsAndRefreshes) {
  // Rows over several of the pages the table reads at a time.
  constexpr int kRows = FaxTableModel::kPageRows * 2 + 45;
  {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    db.beginBatch();
    for (int i = 0; i < kRows; ++i) {
      QString fax = QStringLiteral("1-609-555-%1").arg(i, 4, 10, QLatin1Char('0'));
      QString search = i % 2 ? QStringLiteral("odd") : QStringLiteral("even");
      db.AddFax(fax, QStringLiteral("site%1.example").arg(i), search, QStringLiteral("NJ"));
    }
    db.endBatch();
  }
  auto form = start();
  frmFaxTable* table = ShowFaxTable(form.get(), form->database());
  ASSERT_TRUE(Listed(table));
  ASSERT_EQ(table->storedCount(), kRows + 3);
  table->grdFaxes->sortByColumn(frmFaxTable::kNumber, Qt::DescendingOrder);
  ASSERT_TRUE(Listed(table));
  const QStringList numbers = column(*table, frmFaxTable::kNumber);
  ASSERT_EQ(numbers.size(), kRows + 3);
  QStringList sorted = numbers;
  std::sort(sorted.begin(), sorted.end(), std::greater<>());
  EXPECT_EQ(numbers, sorted);
  EXPECT_EQ(table->grdFaxes->model()->index(kRows - 1, frmFaxTable::kWebsite).data().toString(),
            QStringLiteral("site0.example"));

  // Two numbers on different pages, selected; kept when the order and the rows change.
  auto select = [&](const QString& fax) {
    const int row = column(*table, frmFaxTable::kNumber).indexOf(fax);
    ASSERT_GE(row, 0) << fax.toStdString();
    table->grdFaxes->selectionModel()->select(
        table->grdFaxes->model()->index(row, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
  };
  auto selected = [&] {
    QStringList out;
    for (const QString& line :
         table->selectedRowsText().split(QLatin1Char('\n'), Qt::SkipEmptyParts))
      out << line.section(QLatin1Char('\t'), 0, 0);
    return out;
  };
  select(QStringLiteral("1-609-555-0003"));
  select(QStringLiteral("1-609-555-0500"));
  table->grdFaxes->sortByColumn(frmFaxTable::kNumber, Qt::AscendingOrder);
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(selected(), QStringList({"1-609-555-0003", "1-609-555-0500"}));
  table->txtFilter->setText(QStringLiteral("even"));
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(table->shownCount(), (kRows + 1) / 2);
  EXPECT_EQ(selected(), QStringList({"1-609-555-0500"}));
  table->txtFilter->clear();
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(table->shownCount(), kRows + 3);

  // Every row selected stays so after a refresh, as one range.
  table->grdFaxes->selectAll();
  table->refresh();
  ASSERT_TRUE(Listed(table));
  EXPECT_EQ(table->grdFaxes->selectionModel()->selection().size(), 1);
  EXPECT_EQ(selected().size(), kRows + 3);
}

TEST_F(FaxTableTest, AllFiveColumnsShowWithALongRegionCutAndItsTextAsTooltip) {
  const QString longRegion = QStringLiteral("NJ  ") + QString(60, QLatin1Char('x')) +
                             QStringLiteral(" Newark, Jersey City, Elizabeth and Bayonne ");
  {
    SpiderDatabase db(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    QString fax = QStringLiteral("1-201-555-0199");
    QString search = QStringLiteral("dentists");
    db.AddFax(fax, QStringLiteral("long.example"), search, longRegion);
  }
  auto form = start();
  form->findChild<QAction*>(QStringLiteral("mnuFaxTable"))->trigger();
  frmFaxTable* table = FindFaxTable(form.get());
  ASSERT_TRUE(QTest::qWaitForWindowExposed(table));
  ASSERT_TRUE(Listed(table));
  const QHeaderView* header = table->grdFaxes->horizontalHeader();
  const int room = table->grdFaxes->viewport()->width();
  for (int c = 0; c < frmFaxTable::kColumnCount; ++c) {
    EXPECT_GE(header->sectionSize(c), 40) << c;
    EXPECT_LE(header->sectionViewportPosition(c) + header->sectionSize(c), room) << c;
  }
  // The filter matches only what the user can see a column of.
  table->txtFilter->setText(QStringLiteral("Bayonne"));
  ASSERT_TRUE(Listed(table));
  ASSERT_EQ(table->shownCount(), 1);
  const QModelIndex region = table->grdFaxes->model()->index(0, frmFaxTable::kRegion);
  EXPECT_EQ(region.data(Qt::ToolTipRole).toString(), longRegion);
  EXPECT_LT(header->sectionSize(frmFaxTable::kRegion),
            table->grdFaxes->fontMetrics().horizontalAdvance(longRegion));
}

TEST_F(FaxTableTest, PlaceSizeAndColumnWidthsAreKept) {
  auto form = start();
  auto open = [&form] {
    form->findChild<QAction*>(QStringLiteral("mnuFaxTable"))->trigger();
    frmFaxTable* table = FindFaxTable(form.get());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(table));
    return table;
  };
  frmFaxTable* table = open();
  table->resize(640, 420);
  table->grdFaxes->horizontalHeader()->resizeSection(frmFaxTable::kWebsite, 123);
  table->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(FindFaxTable(form.get()), nullptr);
  // Kept across a restart of the program as well.
  form.reset();
  form = start();
  table = open();
  EXPECT_EQ(table->size(), QSize(640, 420));
  EXPECT_EQ(table->grdFaxes->horizontalHeader()->sectionSize(frmFaxTable::kWebsite), 123);
}

}  // namespace
}  // namespace norvane::testing
