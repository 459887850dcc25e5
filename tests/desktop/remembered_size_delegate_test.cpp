// The fax preview's entries measure as the default delegate measures them, also when a text
// comes again, when the font changes, and past the number of sizes remembered.
#include "desktop/remembered_size_delegate.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QScrollBar>
#include <QTest>

namespace norvane {
namespace {

TEST(RememberedSizeDelegateTest, SizesAreTheDefaultDelegatesWhateverCameBefore) {
  const QString longEntry = QStringLiteral("1-201-555-0123 | ") + QString(120, QLatin1Char('W'));
  const struct {
    const char* name;
    QStringList entries;
    int pointSize;  // the font of the second pass
  } cases[] = {
      {"short and long", {QStringLiteral("1-201-555-0123 | New Jersey"), longEntry}, 9},
      {"a text again", {longEntry, QStringLiteral("x"), longEntry}, 9},
      {"larger font", {QStringLiteral("1-212-555-0100 | New York"), longEntry}, 24},
      {"more texts than remembered",
       [] {
         QStringList many;
         for (int k = 0; k < 600; ++k) many << QString(k % 90 + 1, QLatin1Char('m'));
         return many;
       }(),
       9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QListWidget list;
    list.resize(200, 150);
    auto* delegate = new RememberedSizeDelegate(&list);
    list.setItemDelegate(delegate);
    list.addItems(c.entries);
    list.show();
    QTest::qWait(1);
    QStyledItemDelegate plain;
    for (int pass = 0; pass < 2; ++pass) {
      if (pass == 1) {
        QFont font = list.font();
        font.setPointSize(c.pointSize);
        list.setFont(font);
      }
      QStyleOptionViewItem option;
      option.initFrom(&list);
      option.widget = &list;
      option.font = list.font();
      for (int row = 0; row < list.count(); ++row) {
        const QModelIndex index = list.model()->index(row, 0);
        EXPECT_EQ(delegate->sizeHint(option, index), plain.sizeHint(option, index)) << row;
      }
    }
  }
  // A long entry still scrolls the list sideways, as with the default delegate.
  QListWidget list;
  list.resize(200, 150);
  list.setItemDelegate(new RememberedSizeDelegate(&list));
  list.addItem(longEntry);
  list.show();
  QTest::qWait(1);
  EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
}

}  // namespace
}  // namespace norvane
