#include "desktop/message_box.h"

#include <QApplication>
#include <QList>

namespace norvane {
namespace {

struct Answers {
  QList<QMessageBox::StandardButton> queued;
  QStringList shown;
  QStringList titles;
  // In test mode a box with no queued answer is answered at once rather than blocking a
  // headless run.
  bool testing = false;
};

Answers& answers() {
  static Answers a;
  return a;
}

}  // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, const QString& text,
                                             QMessageBox::Icon icon,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton,
                                             const QString& title) {
  Answers& a = answers();
  const QString shownTitle = title.isEmpty() ? QApplication::applicationName() : title;
  if (a.testing) {
    a.shown << text;
    a.titles << shownTitle;
    if (!a.queued.isEmpty()) return a.queued.takeFirst();
    if (buttons.testFlag(QMessageBox::Ok)) return QMessageBox::Ok;
    if (buttons.testFlag(QMessageBox::No)) return QMessageBox::No;
    return QMessageBox::Cancel;
  }
  QMessageBox box(icon, shownTitle, text, buttons, parent);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) {
  answers().testing = true;
  answers().queued << answer;
}

void MessageBox::setTestMode(bool on) {
  answers().testing = on;
}

QStringList MessageBox::takeShownTexts() {
  QStringList texts;
  texts.swap(answers().shown);
  return texts;
}

QStringList MessageBox::takeShownTitles() {
  QStringList titles;
  titles.swap(answers().titles);
  return titles;
}

void MessageBox::reset() {
  answers().queued.clear();
  answers().shown.clear();
  answers().titles.clear();
}

}  // namespace norvane
