#include "desktop/follow_list.h"

#include <algorithm>

namespace norvane {

void ShownTexts::removeFront() {
  if (m_shown.isEmpty()) return;
  m_shown.removeFirst();
  delete m_list->takeItem(0);
}

void ShownTexts::append(const QString& text) {
  m_shown << text;
  m_list->addItem(text);
}

void ShownTexts::show(const QStringList& texts) {
  // The widget may have been filled before it was followed.
  if (m_shown.size() != m_list->count()) {
    m_list->clear();
    m_shown.clear();
  }
  const qsizetype shown = m_shown.size();
  const qsizetype wanted = texts.size();
  qsizetype start = 0;
  while (start < shown && start < wanted && m_shown[start] == texts[start]) ++start;
  qsizetype end = 0;  // rows equal at the end, after the common start
  while (end < shown - start && end < wanted - start &&
         m_shown[shown - 1 - end] == texts[wanted - 1 - end])
    ++end;
  // The rows in between: reused where both have one, then removed or added.
  const qsizetype oldMiddle = shown - start - end;
  const qsizetype newMiddle = wanted - start - end;
  const qsizetype reused = std::min(oldMiddle, newMiddle);
  for (qsizetype r = start; r < start + reused; ++r) m_list->item(int(r))->setText(texts[r]);
  for (qsizetype r = oldMiddle - reused; r > 0; --r) delete m_list->takeItem(int(start + reused));
  if (newMiddle > reused)
    m_list->insertItems(int(start + reused), texts.mid(start + reused, newMiddle - reused));
  m_shown = texts;
}

}  // namespace norvane
