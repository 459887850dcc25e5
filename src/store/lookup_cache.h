#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace norvane {

// The `website` column of the websites table, held in memory so that WebsiteKnown, asked for
// every link of every page, needs no statement. It counts rows per text (the table may hold a
// text twice, and DeleteWebsite removes one row), and folds letter case as the table's lookups
// do (SQLite's NOCASE: the ASCII letters only), so it answers exactly as the lookup would.
// The store keeps it in step with every row it adds or deletes and throws it away when it may
// differ from the file (a change another program made, a transaction that did not commit);
// it is filled again from the table on the next question.
class WebsiteMirror {
 public:
  bool loaded() const { return m_loaded; }
  // Forgets every row; the next question fills it again.
  void invalidate();
  // Starts over with an empty table, known to be empty.
  void clearLoaded();
  void add(const QString& website);
  // A row by its key (see Key).
  void addKey(const QByteArray& key);
  void remove(const QString& website);
  bool contains(const QString& website) const;

  // The text as the lookups compare it: UTF-8, ASCII letters in lower case.
  static QByteArray Key(const QString& website);
  // The same for a text already in UTF-8.
  static QByteArray FoldKey(QByteArray utf8);

 private:
  QHash<QByteArray, int> m_rows;
  bool m_loaded = false;
};

}  // namespace norvane
