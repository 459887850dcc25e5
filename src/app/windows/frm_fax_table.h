#pragma once

#include <QList>
#include <QWidget>
#include <functional>

#include "app/windows/fax_table_model.h"
#include "store/fax_row.h"

class QLabel;
class QLineEdit;
class QTableView;
class QTimer;
class QToolButton;

namespace norvane {

class SpiderDatabase;

// Every stored number with its region, website, search string and date, read through the store:
// sortable by each column, narrowed by a filter that matches any column, with the selected rows
// copied as tab-separated text and the shown rows exported as CSV. Not modal. The store sorts
// and filters, and the rows are read as they come into view (FaxTableModel).
class frmFaxTable : public QWidget {
  Q_OBJECT

 public:
  using enum FaxTableModel::Column;

  // The save dialog of "Export CSV...": given the offered path, the chosen one, or an empty text
  // when the user cancels.
  using SaveDialog = std::function<QString(QWidget* parent, const QString& offeredPath)>;
  // Tests: answers the save dialog instead of showing it; an empty function restores it.
  static void setSaveDialog(SaveDialog dialog);

  explicit frmFaxTable(SpiderDatabase& database, QWidget* parent = nullptr);

  int shownCount() const;
  // The rows asked for last (filter, sort, refresh) are still being read; the rows shown are
  // (partly) those of the listing before.
  bool reading() const { return m_rows->reading(); }
  int storedCount() const;
  // The shown rows in the order shown.
  QList<FaxRow> shownRows() const;
  // The selected rows in the order shown, a line each, their fields separated by tabs.
  QString selectedRowsText() const;

  QLineEdit* txtFilter = nullptr;
  QLabel* lblCount = nullptr;
  QTableView* grdFaxes = nullptr;
  QToolButton* cmdCopy = nullptr;
  QToolButton* cmdExportCsv = nullptr;

 public slots:
  // Reads the table again, keeping the filter, the sort order and the selected numbers.
  void refresh();
  // A number was stored (or the numbers deleted): refreshes shortly, once for a burst of them.
  void faxStored();
  void cmdCopy_Click();       // "Copy": the selected rows to the clipboard
  void cmdExportCsv_Click();  // "Export CSV...": the shown rows to a file

 protected:
  void showEvent(QShowEvent* event) override;
  // The window's place and the column widths are kept for the next time.
  void closeEvent(QCloseEvent* event) override;

 private:
  void showCount();
  // The columns fitted to the rows in view, once, unless the user's widths were restored.
  void fitColumns();
  // The selection is kept by row id while the rows are listed again.
  void rememberSelection();
  void restoreSelection();

  SpiderDatabase& m_database;
  FaxTableModel* m_rows = nullptr;
  QList<qint64> m_selectedIds;
  bool m_restorePending = false;  // m_selectedIds wait for the rest of a listing
  QTimer* m_refreshSoon = nullptr;
  bool m_columnsSized = false;  // restored, or fitted at the first show
};

// The fax table of the owner window: shown and raised, loaded first when it is not open. It
// follows the owner's List3, so it refreshes whenever a number is stored or the numbers deleted.
frmFaxTable* ShowFaxTable(QWidget* owner, SpiderDatabase& database);
// The owner's open fax table, or null.
frmFaxTable* FindFaxTable(QWidget* owner);

}  // namespace norvane
