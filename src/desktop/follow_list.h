#pragma once

#include <QListWidget>
#include <QObject>
#include <QString>
#include <QStringList>

namespace norvane {

// What a list widget shows, kept beside it as plain strings: comparing with a new list then
// costs no item reads. Changes touch only the rows between the longest common start and end,
// because the crawl announces a whole new queue when one entry moved or was inserted, and
// rebuilding (or even reading) every row each time cost a tenth of the crawl's CPU at 100
// connections.
class ShownTexts : public QObject {
 public:
  explicit ShownTexts(QListWidget* list) : QObject(list), m_list(list) {}
  void removeFront();
  void append(const QString& text);
  void show(const QStringList& texts);

 private:
  QListWidget* m_list;
  QStringList m_shown;
};

// Keeps a list widget equal to a list that a source object announces through three kinds of
// change (its first entry went, an entry was appended, it holds these entries now).
template <class Source>
void FollowList(Source* source, QListWidget* list, void (Source::*frontRemoved)(),
                void (Source::*appended)(const QString&),
                void (Source::*reset)(const QStringList&)) {
  auto* shown = new ShownTexts(list);
  shown->show({});
  QObject::connect(source, frontRemoved, shown, [shown] { shown->removeFront(); });
  QObject::connect(source, appended, shown, [shown](const QString& text) { shown->append(text); });
  QObject::connect(source, reset, shown, [shown](const QStringList& texts) { shown->show(texts); });
}

}  // namespace norvane
