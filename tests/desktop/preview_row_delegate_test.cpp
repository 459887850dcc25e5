// The queue preview's entries: one line of the list's font, as wide as the list, whatever their
// text; the default delegate gives the height they are drawn in.
#include "desktop/preview_row_delegate.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTest>

namespace norvane {
namespace {

TEST(PreviewRowDelegateTest, EntriesAreOneLineAsWideAsTheList) {
  const struct {
    const char* name;
    QString text;
    int pointSize;
  } cases[] = {
      {"short", QStringLiteral("a.com/"), 9},
      {"longer than the list",
       QStringLiteral("www.example.com/") + QString(300, QLatin1Char('x')) +
           QStringLiteral(".html"),
       9},
      {"larger font", QStringLiteral("a.com/"), 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QListWidget list;
    list.resize(200, 150);
    QFont font = list.font();
    font.setPointSize(c.pointSize);
    list.setFont(font);
    list.addItems({QStringLiteral("first.com/"), c.text});
    auto* delegate = new PreviewRowDelegate(&list);
    list.setItemDelegate(delegate);
    list.show();
    QTest::qWait(1);

    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    option.font = list.font();
    QStyledItemDelegate plain;
    for (int row = 0; row < list.count(); ++row) {
      const QModelIndex index = list.model()->index(row, 0);
      const QSize size = delegate->sizeHint(option, index);
      EXPECT_EQ(size.width(), list.viewport()->width()) << row;
      EXPECT_EQ(size.height(), plain.sizeHint(option, list.model()->index(0, 0)).height()) << row;
    }
    // Nothing to scroll sideways, and every entry is drawn at the same height.
    EXPECT_LE(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(list.visualItemRect(list.item(0)).height(),
              list.visualItemRect(list.item(1)).height());
  }
}

}  // namespace
}  // namespace norvane
