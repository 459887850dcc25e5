#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <map>
#include <string>

namespace norvane {

// The queued websites beyond the preview that the polite take has read from the table, kept
// between takes. With many sockets the first rows of the queue are mostly on hosts that fetch
// at their limit already; reading and splitting the same rows again at every take would cost
// more than the fetches. The rows are held in queue order (the table's row ids) and grouped by
// site (scheme and host), so that a take looks at each site once instead of at every row, and
// reads the table only past the last row it holds. The table stays the truth: a website taken
// from it is deleted there and forgotten here.
class QueueAhead {
 public:
  struct Row {
    qint64 row = 0;
    QString website;
    std::string path;  // with its query, as robots.txt rules match it
  };
  // The rows of one site, in queue order.
  struct Site {
    QString host;    // lower case, for the limits per host
    QString origin;  // scheme and host, for the robots.txt rules
    QList<Row> rows;
    // How many of the first rows robots.txt is known to allow: the rules of a site do not
    // change within a search string, so each row is matched once.
    mutable qsizetype allowedRows = 0;
  };

  // A row read from the table, after every row held.
  void add(qint64 row, const QString& website, const QString& host, const QString& origin,
           std::string path);
  // Rows up to `row` have been read (some are passed over and not held).
  void readUpTo(qint64 row);
  // Forgets the first row held for this website (taken, or deleted from the table); false when
  // none is held.
  bool remove(const QString& website);
  void clear();

  // The row the next read of the table starts after. It never passes a row of the table that is
  // neither held nor passed over: when the last rows held go, a new row may get their ids.
  qint64 lastRead() const { return m_lastRead; }
  qsizetype size() const { return qsizetype(m_origins.size()); }
  bool isEmpty() const { return m_origins.empty(); }
  const QHash<QString, Site>& sites() const { return m_sites; }

 private:
  QHash<QString, Site> m_sites;            // by origin
  QHash<QString, QList<qint64>> m_rowsOf;  // the rows of each website, in queue order
  std::map<qint64, QString> m_origins;     // the origin of each row held
  qint64 m_lastRead = 0;
};

}  // namespace norvane
