#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace norvane::testing {

// Presses `key` on every modal window that opens while this object lives, as a user at the
// keyboard would, and records the text of each message box so pressed.
class ModalKeyPresser {
 public:
  explicit ModalKeyPresser(Qt::Key key) : m_key(key) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { pressOnModal(); });
    m_timer.start(10);
  }
  const QStringList& texts() const { return m_texts; }

 private:
  void pressOnModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_last) return;
    m_last = modal;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) m_texts << box->text();
    QTest::keyClick(modal, m_key);
  }

  Qt::Key m_key;
  QTimer m_timer;
  QPointer<QWidget> m_last;
  QStringList m_texts;
};

}  // namespace norvane::testing
