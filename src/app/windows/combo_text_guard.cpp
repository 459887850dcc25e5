#include "app/windows/combo_text_guard.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace norvane {
namespace {

class ComboTextGuard : public QObject {
 public:
  explicit ComboTextGuard(QComboBox* combo) : QObject(combo), m_combo(combo) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) settle();
    return QObject::eventFilter(watched, event);
  }

 private:
  void settle() {
    const QString typed = m_combo->currentText();
    const int chosen = m_combo->currentIndex();
    if (chosen >= 0 && typed == m_combo->itemText(chosen)) return;
    if (chosen < 0 && typed.isEmpty()) return;
    const int match = m_combo->findText(typed, Qt::MatchFixedString);
    if (match >= 0) {
      m_combo->setCurrentIndex(match);
      m_combo->setEditText(m_combo->itemText(match));
      // The settings handlers listen to the choice the user makes, as Return would raise it.
      emit m_combo->activated(match);
    } else {
      m_combo->setEditText(chosen >= 0 ? m_combo->itemText(chosen) : QString());
    }
  }

  QComboBox* m_combo;
};

}  // namespace

void KeepComboTextToItems(QComboBox* combo) {
  if (!combo || !combo->isEditable()) return;
  auto* guard = new ComboTextGuard(combo);
  combo->installEventFilter(guard);
  combo->lineEdit()->installEventFilter(guard);
}

}  // namespace norvane
