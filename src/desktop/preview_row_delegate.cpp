#include "desktop/preview_row_delegate.h"

#include <QAbstractItemView>

namespace norvane {

QSize PreviewRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  if (!view) return QStyledItemDelegate::sizeHint(option, index);
  if (m_height <= 0 || option.font != m_font) {
    const QSize measured = QStyledItemDelegate::sizeHint(option, index);
    // An empty entry is not a line of text; the next one is measured instead.
    if (index.data(Qt::DisplayRole).toString().isEmpty()) return measured;
    m_height = measured.height();
    m_font = option.font;
  }
  return QSize(view->viewport()->width(), m_height);
}

}  // namespace norvane
