#pragma once

#include <QFont>
#include <QSize>
#include <QStyledItemDelegate>

namespace norvane {

// Draws the entries of a one-line preview list as the default delegate does, but measures them
// without laying out their text: every entry is one line of the list's font, as wide as the
// list's view. A crawl preview changes with every website taken, and its view measures an entry
// at every change; shaping that entry's text was a tenth of the window's work per page. The
// entries never need a horizontal scroll bar: a text longer than the view ends in "…".
class PreviewRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  mutable QFont m_font;      // the font the height was measured in
  mutable int m_height = 0;  // one line's height in it; 0 before the first measure
};

}  // namespace norvane
