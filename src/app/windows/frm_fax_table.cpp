#include "app/windows/frm_fax_table.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "common/settings_keys.h"
#include "desktop/column_fit.h"
#include "desktop/message_box.h"
#include "desktop/window_geometry.h"
#include "desktop/window_keys.h"
#include "export/export_folder.h"
#include "export/fax_csv.h"
#include "export/fax_export.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

constexpr int kRefreshDelayMs = 300;
// No column is cut narrower than this when they are fitted to the window.
constexpr int kNarrowestColumn = 60;

frmFaxTable::SaveDialog& Dialog() {
  static frmFaxTable::SaveDialog dialog;
  return dialog;
}

// A field of a copied row: a tab or line break inside it would split the row.
QString CopiedField(QString text) {
  for (QChar c : {QLatin1Char('\t'), QLatin1Char('\r'), QLatin1Char('\n')})
    text.replace(c, QLatin1Char(' '));
  return text;
}

}  // namespace

void frmFaxTable::setSaveDialog(SaveDialog dialog) {
  Dialog() = std::move(dialog);
}

frmFaxTable::frmFaxTable(SpiderDatabase& database, QWidget* parent)
    : QWidget(parent, Qt::Window), m_database(database) {
  setObjectName(QStringLiteral("frmFaxTable"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Fax Table"));
  resize(900, 500);

  m_rows = new QStandardItemModel(0, kColumnCount, this);
  m_rows->setHorizontalHeaderLabels({QStringLiteral("Number"), QStringLiteral("Region"),
                                     QStringLiteral("Website"), QStringLiteral("Search"),
                                     QStringLiteral("Date")});
  m_shown = new QSortFilterProxyModel(this);
  m_shown->setSourceModel(m_rows);
  m_shown->setFilterKeyColumn(-1);  // any column
  m_shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
  m_shown->setSortCaseSensitivity(Qt::CaseInsensitive);
  // Sorted once a refresh has read every row, not again for each row it adds.
  m_shown->setDynamicSortFilter(false);

  auto* filterLabel = new QLabel(QStringLiteral("Filter:"), this);
  txtFilter = new QLineEdit(this);
  txtFilter->setObjectName(QStringLiteral("txtFilter"));
  txtFilter->setClearButtonEnabled(true);
  txtFilter->setPlaceholderText(QStringLiteral("Text in any column"));
  filterLabel->setBuddy(txtFilter);
  lblCount = new QLabel(this);
  lblCount->setObjectName(QStringLiteral("lblCount"));

  grdFaxes = new QTableView(this);
  grdFaxes->setObjectName(QStringLiteral("grdFaxes"));
  grdFaxes->setModel(m_shown);
  grdFaxes->setSortingEnabled(true);
  grdFaxes->sortByColumn(kDate, Qt::DescendingOrder);  // newest first
  grdFaxes->setSelectionBehavior(QAbstractItemView::SelectRows);
  grdFaxes->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grdFaxes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdFaxes->setAlternatingRowColors(true);
  grdFaxes->setWordWrap(false);  // one line a row: a long field ends in "..."
  grdFaxes->verticalHeader()->hide();
  grdFaxes->horizontalHeader()->setStretchLastSection(true);

  cmdCopy = new QToolButton(this);
  cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
  cmdCopy->setText(QStringLiteral("Copy"));
  cmdCopy->setToolTip(QStringLiteral("Copy the selected rows as tab-separated text"));
  cmdExportCsv = new QToolButton(this);
  cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
  cmdExportCsv->setText(QStringLiteral("Export CSV..."));
  cmdExportCsv->setToolTip(QStringLiteral("Write the shown rows to a CSV file"));
  cmdExportCsv->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  cmdExportCsv->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

  auto* top = new QHBoxLayout;
  top->addWidget(filterLabel);
  top->addWidget(txtFilter, 1);
  top->addWidget(lblCount);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(cmdCopy);
  bottom->addWidget(cmdExportCsv);
  bottom->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(grdFaxes, 1);
  layout->addLayout(bottom);

  m_refreshSoon = new QTimer(this);
  m_refreshSoon->setSingleShot(true);
  m_refreshSoon->setInterval(kRefreshDelayMs);
  connect(m_refreshSoon, &QTimer::timeout, this, &frmFaxTable::refresh);
  connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
    m_shown->setFilterFixedString(text);
    showCount();
  });
  connect(cmdCopy, &QToolButton::clicked, this, &frmFaxTable::cmdCopy_Click);
  connect(cmdExportCsv, &QToolButton::clicked, this, &frmFaxTable::cmdExportCsv_Click);
  auto* copyKey =
      new QShortcut(QKeySequence::Copy, grdFaxes, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(copyKey, &QShortcut::activated, this, &frmFaxTable::cmdCopy_Click);
  CloseOnEscape(this);
  refresh();
  RestoreWindowGeometry(this, settings::frmFaxTableGeometry);
  // The widths the user left; otherwise they are fitted to the rows when first shown.
  m_columnsSized = grdFaxes->horizontalHeader()->restoreState(settings::grdFaxesColumns.read());
}

void frmFaxTable::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (m_columnsSized) return;
  m_columnsSized = true;
  layout()->activate();
  grdFaxes->resizeColumnsToContents();
  // Every column in view: a long region or website is cut, with its whole text as a tooltip.
  QHeaderView* header = grdFaxes->horizontalHeader();
  QList<int> needed;
  for (int c = 0; c < kColumnCount; ++c) needed << header->sectionSize(c);
  const QList<int> widths =
      FitColumnWidths(needed, grdFaxes->viewport()->width(), kNarrowestColumn);
  for (int c = 0; c < kColumnCount; ++c) header->resizeSection(c, widths[c]);
}

void frmFaxTable::closeEvent(QCloseEvent* event) {
  SaveWindowGeometry(this, settings::frmFaxTableGeometry);
  settings::grdFaxesColumns.write(grdFaxes->horizontalHeader()->saveState());
  QWidget::closeEvent(event);
}

void frmFaxTable::refresh() {
  m_refreshSoon->stop();
  std::set<QString> selected;
  for (const QModelIndex& index : grdFaxes->selectionModel()->selectedRows())
    selected.insert(index.data().toString());

  const QList<FaxRow> stored = m_database.ReadAllFaxes();
  m_rows->removeRows(0, m_rows->rowCount());
  m_rows->setRowCount(static_cast<int>(stored.size()));
  for (int r = 0; r < stored.size(); ++r) {
    const FaxRow& row = stored[r];
    const QString fields[kColumnCount] = {row.fax, row.location, row.website, row.search, row.date};
    for (int c = 0; c < kColumnCount; ++c) {
      auto* item = new QStandardItem(fields[c]);
      // The whole text of a field the column may cut.
      if (c == kRegion || c == kWebsite || c == kSearch) item->setToolTip(fields[c]);
      m_rows->setItem(r, c, item);
    }
  }
  m_shown->invalidate();
  m_shown->sort(m_shown->sortColumn(), m_shown->sortOrder());

  QItemSelection keep;
  for (int r = 0; r < m_shown->rowCount() && !selected.empty(); ++r) {
    const QModelIndex first = m_shown->index(r, 0);
    if (selected.count(first.data().toString()))
      keep.select(first, m_shown->index(r, kColumnCount - 1));
  }
  grdFaxes->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
  showCount();
}

void frmFaxTable::faxStored() {
  if (!m_refreshSoon->isActive()) m_refreshSoon->start();
}

int frmFaxTable::shownCount() const {
  return m_shown->rowCount();
}

int frmFaxTable::storedCount() const {
  return m_rows->rowCount();
}

void frmFaxTable::showCount() {
  lblCount->setText(QStringLiteral("%1 of %2 numbers shown").arg(shownCount()).arg(storedCount()));
}

FaxRow frmFaxTable::rowAt(int proxyRow) const {
  auto field = [&](int column) { return m_shown->index(proxyRow, column).data().toString(); };
  FaxRow row;
  row.fax = field(kNumber);
  row.location = field(kRegion);
  row.website = field(kWebsite);
  row.search = field(kSearch);
  row.date = field(kDate);
  return row;
}

QList<FaxRow> frmFaxTable::shownRows() const {
  QList<FaxRow> rows;
  rows.reserve(shownCount());
  for (int r = 0; r < shownCount(); ++r) rows << rowAt(r);
  return rows;
}

QString frmFaxTable::selectedRowsText() const {
  QList<int> rows;
  for (const QModelIndex& index : grdFaxes->selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  QString text;
  for (int r : rows) {
    const FaxRow row = rowAt(r);
    text += QStringList{CopiedField(row.fax), CopiedField(row.location), CopiedField(row.website),
                        CopiedField(row.search), CopiedField(row.date)}
                .join(QLatin1Char('\t')) +
            QLatin1Char('\n');
  }
  return text;
}

void frmFaxTable::cmdCopy_Click() {
  const QString text = selectedRowsText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void frmFaxTable::cmdExportCsv_Click() {
  const QString offered = QDir(ExportFolder()).filePath(QStringLiteral("faxes.csv"));
  const QString target =
      Dialog() ? Dialog()(this, offered)
               : QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), offered,
                                              QStringLiteral("CSV files (*.csv);;All files (*)"));
  if (target.isEmpty()) return;
  const QList<FaxRow> rows = shownRows();
  if (!WriteExportFile(target, FaxCsvBytes(rows))) {
    MessageBox::show(this, QStringLiteral("The file could not be written:\n\n") + target,
                     QMessageBox::Warning);
    return;
  }
  RememberExportFolder(target);
  lblCount->setText(ExportDoneText(rows.size(), QDir::toNativeSeparators(target)));
}

frmFaxTable* FindFaxTable(QWidget* owner) {
  return owner ? owner->findChild<frmFaxTable*>(QStringLiteral("frmFaxTable"),
                                                Qt::FindDirectChildrenOnly)
               : nullptr;
}

frmFaxTable* ShowFaxTable(QWidget* owner, SpiderDatabase& database) {
  frmFaxTable* table = FindFaxTable(owner);
  if (!table) {
    table = new frmFaxTable(database, owner);
    // The preview of the newest numbers changes whenever the crawl stores one and when the
    // numbers are deleted, so the table follows it.
    if (auto* preview = owner->findChild<QListWidget*>(QStringLiteral("List3"))) {
      QAbstractItemModel* model = preview->model();
      for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        QObject::connect(model, signal, table, &frmFaxTable::faxStored);
      QObject::connect(model, &QAbstractItemModel::modelReset, table, &frmFaxTable::faxStored);
    }
  }
  table->show();
  table->raise();
  table->activateWindow();
  return table;
}

}  // namespace norvane
