#include "app/windows/fax_table_model.h"

#include <algorithm>

#include "store/spider_database.h"

namespace norvane {
namespace {

constexpr FaxField kFieldOfColumn[] = {FaxField::kFax, FaxField::kLocation, FaxField::kWebsite,
                                       FaxField::kSearch, FaxField::kDate};

QString Field(const FaxRow& row, int column) {
  switch (column) {
    case FaxTableModel::kNumber:
      return row.fax;
    case FaxTableModel::kRegion:
      return row.location;
    case FaxTableModel::kWebsite:
      return row.website;
    case FaxTableModel::kSearch:
      return row.search;
    default:
      return row.date;
  }
}

}  // namespace

FaxTableModel::FaxTableModel(SpiderDatabase& database, QObject* parent)
    : QAbstractTableModel(parent),
      m_database(database),
      m_lister(new BackgroundFaxListing(database.filePath(), this)) {
  m_listing.sortField = FaxField::kDate;  // newest first
  m_listing.descending = true;
  connect(m_lister, &BackgroundFaxListing::firstRows, this, &FaxTableModel::showFirstRows);
  connect(m_lister, &BackgroundFaxListing::listed, this, &FaxTableModel::showListed);
}

int FaxTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_ids.size());
}

int FaxTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant FaxTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= m_ids.size()) return {};
  const int column = index.column();
  // The whole text of a field the column may cut.
  const bool tip =
      role == Qt::ToolTipRole && (column == kRegion || column == kWebsite || column == kSearch);
  if (role != Qt::DisplayRole && !tip) return {};
  return Field(rowAt(index.row()), column);
}

QVariant FaxTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[] = {"Number", "Region", "Website", "Search", "Date"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumnCount)
    return QAbstractTableModel::headerData(section, orientation, role);
  return QLatin1String(kTitles[section]);
}

void FaxTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  m_listing.sortField = kFieldOfColumn[column];
  m_listing.descending = order == Qt::DescendingOrder;
  reload();
}

void FaxTableModel::setFilter(const QString& text) {
  if (text == m_listing.filter) return;
  m_listing.filter = text;
  reload();
}

void FaxTableModel::reload() {
  m_firstRowsShown = false;
  m_lister->start(m_listing);
}

void FaxTableModel::replaceRows(const QList<qint64>& ids) {
  beginResetModel();
  m_pages.clear();
  m_pageUse.clear();
  m_ids = ids;
  endResetModel();
}

void FaxTableModel::showFirstRows(const QList<qint64>& ids) {
  emit aboutToReload();
  replaceRows(ids);
  m_firstRowsShown = true;
  emit reloaded();
}

void FaxTableModel::showListed(const QList<qint64>& ids, int storedCount, qint64 milliseconds) {
  m_lastListingMs = milliseconds;
  m_storedCount = storedCount;
  // The rest of the rows whose first ones are shown (one read, so the same first ones) follow
  // them, which keeps the place in the view and the rows selected.
  const bool follows = m_firstRowsShown && ids.size() >= m_ids.size() &&
                       std::equal(m_ids.cbegin(), m_ids.cend(), ids.cbegin());
  if (follows) {
    if (ids.size() > m_ids.size()) {
      // A last page read short takes the rows that follow it when next asked for.
      if (m_ids.size() % kPageRows != 0) {
        const int last = int(m_ids.size() / kPageRows);
        m_pages.remove(last);
        m_pageUse.removeOne(last);
      }
      beginInsertRows({}, int(m_ids.size()), int(ids.size()) - 1);
      m_ids = ids;
      endInsertRows();
    }
  } else {
    if (!m_firstRowsShown) emit aboutToReload();
    replaceRows(ids);
  }
  m_firstRowsShown = false;
  emit reloaded();
}

FaxRow FaxTableModel::rowAt(int row) const {
  if (row < 0 || row >= m_ids.size()) return {};
  return page(row / kPageRows).value(row % kPageRows);
}

const QList<FaxRow>& FaxTableModel::page(int number) const {
  auto held = m_pages.constFind(number);
  if (held != m_pages.cend()) {
    if (m_pageUse.constLast() != number) {
      m_pageUse.removeOne(number);
      m_pageUse.append(number);
    }
    return *held;
  }
  if (m_pageUse.size() >= kPagesKept) m_pages.remove(m_pageUse.takeFirst());
  m_pageUse.append(number);
  return *m_pages.insert(
      number, m_database.ReadFaxRows(m_ids.mid(qsizetype(number) * kPageRows, kPageRows)));
}

}  // namespace norvane
