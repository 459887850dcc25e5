#include "harvest/polite/queue_ahead.h"

#include <algorithm>

namespace norvane {

void QueueAhead::add(qint64 row, const QString& website, const QString& host, const QString& origin,
                     std::string path) {
  // Rows come in queue order; one read twice is held once.
  if (!m_origins.empty() && row <= m_origins.rbegin()->first) return;
  Site& site = m_sites[origin];
  if (site.rows.isEmpty()) {
    site.host = host;
    site.origin = origin;
  }
  site.rows.append(Row{row, website, std::move(path)});
  m_rowsOf[website].append(row);
  m_origins.emplace(row, origin);
  readUpTo(row);
}

void QueueAhead::readUpTo(qint64 row) {
  m_lastRead = std::max(m_lastRead, row);
}

bool QueueAhead::remove(const QString& website) {
  const auto rows = m_rowsOf.find(website);
  if (rows == m_rowsOf.end()) return false;
  const qint64 row = rows->takeFirst();
  if (rows->isEmpty()) m_rowsOf.erase(rows);
  const auto held = m_origins.find(row);
  const auto site = m_sites.find(held->second);
  QList<Row>& siteRows = site->rows;
  const auto at = std::lower_bound(siteRows.begin(), siteRows.end(), row,
                                   [](const Row& r, qint64 id) { return r.row < id; });
  const qsizetype index = at - siteRows.begin();
  siteRows.erase(at);
  if (index < site->allowedRows) --site->allowedRows;
  if (siteRows.isEmpty()) m_sites.erase(site);
  const bool wasLast = std::next(held) == m_origins.end();
  m_origins.erase(held);
  // SQLite gives a new row the id after the greatest one in the table, which may be that of a
  // row just deleted: the next read starts after the last row still held.
  if (wasLast) m_lastRead = m_origins.empty() ? 0 : m_origins.rbegin()->first;
  return true;
}

void QueueAhead::clear() {
  m_sites.clear();
  m_rowsOf.clear();
  m_origins.clear();
  m_lastRead = 0;
}

}  // namespace norvane
