#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>

#include "store/background_fax_listing.h"
#include "store/fax_listing.h"
#include "store/fax_row.h"

namespace norvane {

class SpiderDatabase;

// The rows of the fax table, read from the store as they are shown: the store lists the row
// ids of the numbers the filter keeps in the order of the sort (SQLite's WHERE and ORDER BY)
// on a thread of its own, and the rows themselves are read a page at a time when the view asks
// for them. The rows listed before stay in view until the new listing's first rows come, and
// the rest of the listing follows when it is read; a file of a million numbers so shows its
// first rows at once, filtering or sorting never stops the window, and the model holds a few
// pages in memory, not the table. Columns in the order of the Column enum below.
class FaxTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNumber, kRegion, kWebsite, kSearch, kDate, kColumnCount };
  // Rows read in one go, and how many such pages are kept.
  static constexpr int kPageRows = 256;
  static constexpr int kPagesKept = 64;

  explicit FaxTableModel(SpiderDatabase& database, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  // The view's header sorts through this; the rows are listed again in the new order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Rows where any column holds the text (ASCII letter case ignored); every row when empty.
  void setFilter(const QString& text);
  // Lists the rows again (numbers stored or deleted), keeping the filter and the sort.
  void reload();
  // A listing asked for is still being read: the rows shown are (partly) those of the last one.
  bool reading() const { return m_lister->busy(); }

  // Every stored number, whatever the filter, as of the last listing read.
  int storedCount() const { return m_storedCount; }
  FaxRow rowAt(int row) const;
  qint64 idAt(int row) const { return m_ids.value(row, -1); }
  const QList<qint64>& ids() const { return m_ids; }
  // The filter and sort asked for last (the rows may still be those of the one before).
  const FaxListing& listing() const { return m_listing; }
  // How long the last listing took to read, in milliseconds.
  qint64 lastListingMs() const { return m_lastListingMs; }

 signals:
  // Around every new listing, so that the window can keep the selection of rows by their ids:
  // aboutToReload once, before its first rows replace the rows shown; reloaded after they do,
  // and again once the rest of them follow (reading() is false then).
  void aboutToReload();
  void reloaded();

 private:
  const QList<FaxRow>& page(int number) const;
  void replaceRows(const QList<qint64>& ids);
  void showFirstRows(const QList<qint64>& ids);
  void showListed(const QList<qint64>& ids, int storedCount, qint64 milliseconds);

  SpiderDatabase& m_database;
  BackgroundFaxListing* m_lister = nullptr;
  FaxListing m_listing;
  bool m_firstRowsShown = false;  // of the listing being read
  QList<qint64> m_ids;
  int m_storedCount = 0;
  qint64 m_lastListingMs = 0;
  mutable QHash<int, QList<FaxRow>> m_pages;
  mutable QList<int> m_pageUse;  // the pages held, the one used last at the end
};

}  // namespace norvane
