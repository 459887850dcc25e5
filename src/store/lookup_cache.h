#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace norvane {

// The latest answers of one lookup of the store (is this website queued, was this page read),
// so that the crawl, which asks for every link of every page, needs no statement for a text it
// asked about or stored lately. It holds answers, not the table: it stays small however big the
// file grows, and a text it does not hold is looked up in the table's index. Texts are folded
// as the lookups compare them (SQLite's NOCASE: the ASCII letters only), so it answers exactly
// as the lookup would. The store keeps it in step with its own changes and empties it when the
// file may differ (another program's change, a transaction that did not commit).
// Without it the crawl on the loopback bench, pages of today's size, read 0.85 times the pages a
// second at 1.18 times the CPU per page (medians of eight pairs of runs taken in turn).
class LookupCache {
 public:
  // Answers beyond this many make it start over: a crawl asks about the links of the last few
  // dozen pages again and again, and rarely about older ones.
  static constexpr qsizetype kMaxAnswers = 1 << 16;

  // The answer held for the text; none when it must be looked up.
  std::optional<bool> known(const QString& text) const;
  // The table's answer for the text.
  void remember(const QString& text, bool present);
  // A row with the text was stored: it is present.
  void added(const QString& text) { remember(text, true); }
  // A row with the text was deleted: others with the same text may remain.
  void removed(const QString& text) { m_answers.remove(Key(text)); }
  void clear() { m_answers = {}; }
  qsizetype size() const { return m_answers.size(); }

  // The text as the lookups compare it: UTF-8, ASCII letters in lower case.
  static QByteArray Key(const QString& text);

 private:
  QHash<QByteArray, bool> m_answers;
};

}  // namespace norvane
