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
#include <QSet>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/settings_keys.h"
#include "desktop/column_fit.h"
#include "desktop/message_box.h"
#include "desktop/window_geometry.h"
#include "desktop/window_keys.h"
#include "export/export_folder.h"
#include "export/fax_export.h"
#include "export/stored_fax_export.h"
#include "store/spider_database.h"

namespace norvane {
namespace {

constexpr int kRefreshDelayMs = 300;
// A refresh lists every row again (a fraction of a second for a million numbers, on the listing
// thread): while the crawl stores numbers, the table waits this many times as long as its last
// refresh took, so that refreshing never takes more than a fifth of a core.
constexpr int kRefreshCostFactor = 4;
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

  m_rows = new FaxTableModel(database, this);
  connect(m_rows, &FaxTableModel::aboutToReload, this, &frmFaxTable::rememberSelection);
  connect(m_rows, &FaxTableModel::reloaded, this, &frmFaxTable::restoreSelection);
  connect(m_rows, &FaxTableModel::reloaded, this, [this] {
    if (isVisible()) fitColumns();
  });

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
  grdFaxes->setModel(m_rows);
  // Newest first. Sorting lists the rows, so the order is set before sorting is enabled, which
  // lists them once.
  grdFaxes->horizontalHeader()->setSortIndicator(kDate, Qt::DescendingOrder);
  grdFaxes->setSortingEnabled(true);
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
  // Applied as it is typed: the listing of each letter abandons the one before.
  connect(txtFilter, &QLineEdit::textChanged, m_rows, &FaxTableModel::setFilter);
  connect(cmdCopy, &QToolButton::clicked, this, &frmFaxTable::cmdCopy_Click);
  connect(cmdExportCsv, &QToolButton::clicked, this, &frmFaxTable::cmdExportCsv_Click);
  auto* copyKey =
      new QShortcut(QKeySequence::Copy, grdFaxes, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(copyKey, &QShortcut::activated, this, &frmFaxTable::cmdCopy_Click);
  CloseOnEscape(this);
  RestoreWindowGeometry(this, settings::frmFaxTableGeometry);
  // The widths the user left; otherwise they are fitted to the rows when first shown.
  m_columnsSized = grdFaxes->horizontalHeader()->restoreState(settings::grdFaxesColumns.read());
}

void frmFaxTable::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The first rows may still be on their way: fitted to them as they come.
  if (m_rows->rowCount() > 0 || !m_rows->reading()) fitColumns();
}

void frmFaxTable::fitColumns() {
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
  m_rows->reload();
  m_refreshSoon->setInterval(
      int(std::max<qint64>(kRefreshDelayMs, kRefreshCostFactor * m_rows->lastListingMs())));
}

void frmFaxTable::rememberSelection() {
  // A listing abandoned before its rest came leaves the selection of the rows before it to
  // restore, of which its first rows showed only a part.
  if (m_restorePending) return;
  m_restorePending = true;
  m_selectedIds.clear();
  for (const QModelIndex& index : grdFaxes->selectionModel()->selectedRows())
    m_selectedIds << m_rows->idAt(index.row());
}

void frmFaxTable::restoreSelection() {
  QItemSelection keep;
  if (!m_selectedIds.isEmpty()) {
    const QSet<qint64> selected(m_selectedIds.cbegin(), m_selectedIds.cend());
    const QList<qint64>& ids = m_rows->ids();
    // Runs of selected rows become one range each: a selection of every row stays one range.
    for (int r = 0; r < ids.size(); ++r) {
      if (!selected.contains(ids[r])) continue;
      int last = r;
      while (last + 1 < ids.size() && selected.contains(ids[last + 1])) ++last;
      keep.select(m_rows->index(r, 0), m_rows->index(last, kColumnCount - 1));
      r = last;
    }
  }
  grdFaxes->selectionModel()->select(keep, QItemSelectionModel::ClearAndSelect);
  // The first rows of a listing come before the rest, which may hold more of the selection.
  if (m_rows->reading()) return;
  m_restorePending = false;
  m_selectedIds.clear();
  showCount();
}

void frmFaxTable::faxStored() {
  if (!m_refreshSoon->isActive()) m_refreshSoon->start();
}

int frmFaxTable::shownCount() const {
  return m_rows->rowCount();
}

int frmFaxTable::storedCount() const {
  return m_rows->storedCount();
}

void frmFaxTable::showCount() {
  lblCount->setText(QStringLiteral("%1 of %2 numbers shown").arg(shownCount()).arg(storedCount()));
}

QList<FaxRow> frmFaxTable::shownRows() const {
  QList<FaxRow> rows;
  rows.reserve(shownCount());
  for (int r = 0; r < shownCount(); ++r) rows << m_rows->rowAt(r);
  return rows;
}

QString frmFaxTable::selectedRowsText() const {
  QList<int> rows;
  for (const QModelIndex& index : grdFaxes->selectionModel()->selectedRows()) rows << index.row();
  std::sort(rows.begin(), rows.end());
  QString text;
  for (int r : rows) {
    const FaxRow row = m_rows->rowAt(r);
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
  // The rows of the shown listing, straight from the store to the file.
  const std::optional<qsizetype> written =
      ExportStoredFaxes(m_database, m_rows->listing(), target, ExportFormat{true, {}});
  if (!written) {
    MessageBox::show(this, QStringLiteral("The file could not be written:\n\n") + target,
                     QMessageBox::Warning);
    return;
  }
  RememberExportFolder(target);
  lblCount->setText(ExportDoneText(*written, QDir::toNativeSeparators(target)));
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
