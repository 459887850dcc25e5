#pragma once

#include <QFont>
#include <QHash>
#include <QSize>
#include <QString>
#include <QStyledItemDelegate>

namespace norvane {

// Draws and measures the entries of a list of plain text entries exactly as the default delegate
// does, but measures each text only once. The fax preview's view measures all its entries
// whenever one comes or goes, which is at every stored number; shaping the same texts again
// each time was a twentieth of the window's work in a crawl that finds many numbers.
class RememberedSizeDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  // Far more than the preview holds, so the newest texts are always there; when it is full the
  // sizes are measured afresh.
  static constexpr qsizetype kRemembered = 256;
  mutable QFont m_font;  // the font the sizes were measured in
  mutable QHash<QString, QSize> m_sizes;
};

}  // namespace norvane
