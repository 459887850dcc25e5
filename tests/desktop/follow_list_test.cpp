// A list widget made to show a new list of texts keeps the rows that did not change.
#include <gtest/gtest.h>

#include <QListWidget>

#include "desktop/follow_list.h"

namespace norvane {
namespace {

QStringList Shown(const QListWidget& list) {
  QStringList texts;
  for (int r = 0; r < list.count(); ++r) texts << list.item(r)->text();
  return texts;
}

TEST(FollowListTest, ShowsTheNewTextsAndKeepsTheRowsOutsideTheChange) {
  const struct {
    QStringList before, after;
    QList<int> kept;  // rows of `before` whose items must still be shown (same objects)
  } cases[] = {
      {{"a", "b", "c"}, {"a", "b", "c"}, {0, 1, 2}},
      {{"a", "b", "c"}, {"a", "c"}, {0, 2}},               // one removed in the middle
      {{"a", "b", "c"}, {"a", "x", "b", "c"}, {0, 1, 2}},  // one inserted
      {{"a", "b", "c", "d"}, {"c", "a", "b", "d"}, {3}},   // one moved to the front
      {{"a", "b"}, {}, {}},
      {{}, {"a", "b"}, {}},
      {{"a", "a", "a"}, {"a", "a"}, {0, 1}},  // repeated texts
      {{"a", "b"}, {"x", "y", "z"}, {}},
  };
  for (const auto& c : cases) {
    QListWidget list;
    ShownTexts shown(&list);
    shown.show(c.before);
    QList<QListWidgetItem*> items;
    for (int r = 0; r < list.count(); ++r) items << list.item(r);
    shown.show(c.after);
    EXPECT_EQ(Shown(list), c.after) << c.before.join(',').toStdString();
    for (int r : c.kept) {
      EXPECT_GE(list.row(items[r]), 0) << c.before.join(',').toStdString() << " row " << r;
    }
  }
}

TEST(FollowListTest, FrontRemovalsAndAppendsMixWithWholeLists) {
  QListWidget list;
  ShownTexts shown(&list);
  shown.show({"a", "b"});
  shown.append("c");
  shown.removeFront();
  EXPECT_EQ(Shown(list), QStringList({"b", "c"}));
  shown.show({"b", "x", "c"});
  EXPECT_EQ(Shown(list), QStringList({"b", "x", "c"}));
  shown.removeFront();
  shown.removeFront();
  shown.removeFront();
  shown.removeFront();  // one more than it holds
  EXPECT_EQ(list.count(), 0);
}

}  // namespace
}  // namespace norvane
