#pragma once

#include <QListWidget>
#include <QObject>
#include <QString>
#include <QStringList>

namespace norvane {

// Keeps a list widget equal to a list that a source object announces through three kinds of
// change (its first entry went, an entry was appended, it holds these entries now), so that a
// change touches one or two rows rather than the whole list.
template <class Source>
void FollowList(Source* source, QListWidget* list, void (Source::*frontRemoved)(),
                void (Source::*appended)(const QString&),
                void (Source::*reset)(const QStringList&)) {
  QObject::connect(source, frontRemoved, list, [list] { delete list->takeItem(0); });
  QObject::connect(source, appended, list, [list](const QString& text) { list->addItem(text); });
  QObject::connect(source, reset, list, [list](const QStringList& texts) {
    list->clear();
    list->addItems(texts);
  });
}

}  // namespace norvane
