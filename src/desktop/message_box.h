#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace norvane {

// Every message box of the program goes through here, so tests can answer them. A box shows
// the product name as its title, like the desktop's plain message boxes, unless a title is given.
class MessageBox {
 public:
  // Shows a modal box and returns the button clicked. A question that deletes names the
  // answer that keeps the data as `defaultButton`, so Enter never deletes. While a test has queued
  // answers, the box is not shown: the next queued answer is returned and the text is recorded.
  static QMessageBox::StandardButton show(
      QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
      QMessageBox::StandardButtons buttons = QMessageBox::Ok,
      QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
      const QString& title = QString());

  // Tests: from now on no box is shown. Each box takes the next queued answer, or "Ok" (else
  // "No", else "Cancel") when none is queued, and its text is recorded.
  static void setTestMode(bool on);
  // Tests: answer the next box with this button instead of showing it (turns test mode on).
  static void setNextAnswer(QMessageBox::StandardButton answer);
  // Tests: the texts of the boxes answered from the queue, oldest first; clears the record.
  static QStringList takeShownTexts();
  // Tests: the titles of the same boxes (the product name for untitled ones); clears the record.
  static QStringList takeShownTitles();
  // Tests: forget queued answers and recorded texts; test mode stays as it is.
  static void reset();
};

}  // namespace norvane
