#include "desktop/remembered_size_delegate.h"

namespace norvane {

QSize RememberedSizeDelegate::sizeHint(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
  if (option.font != m_font) {
    m_sizes.clear();
    m_font = option.font;
  }
  const QString text = index.data(Qt::DisplayRole).toString();
  if (const auto known = m_sizes.constFind(text); known != m_sizes.cend()) return *known;
  const QSize size = QStyledItemDelegate::sizeHint(option, index);
  if (m_sizes.size() >= kRemembered) m_sizes.clear();
  m_sizes.insert(text, size);
  return size;
}

}  // namespace norvane
