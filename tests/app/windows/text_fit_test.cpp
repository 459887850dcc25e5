// Every caption, item and status text of the windows fits its widget at the design size, in
// the font the program picks on this desktop.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

#include "app/form1_fixture.h"
#include "app/windows/frm_about.h"
#include "desktop/design_fonts.h"
#include "export/frm_export.h"
#include "store/store_fault.h"

namespace norvane::testing {
namespace {

// What the windows write into the status panels, as the crawl and the search window do.
const QMap<int, QStringList> kPanelTexts = {
    {1,
     {"Stopped", "Downloading: http://www.example-company.com/contact.html",
      "Downloading: www.example-company.com/contact.html (123456)",
      "Finished: www.example-company.com/contact.html",
      "1234 numbers written to /home/user/Documents/export.txt"}},
    {2,
     {"Saving to HTML", "Getting Links", "Getting Faxes", "No more websites queued",
      "Not enough results", StoreFaultPanelText(StoreFault::CannotWrite),
      StoreFaultPanelText(StoreFault::InUse), StoreFaultPanelText(StoreFault::NotADatabase),
      StoreFaultPanelText(StoreFault::CannotOpen), "Engine not reached",
      "No page could be fetched"}},
    {3,
     {"Found 99999 faxes", "Trying next search", "Try a different search", "Add more search terms",
      "Check the connection"}}};

QString Describe(const QWidget* w, const QString& text, int need, int room) {
  return QStringLiteral("%1 \"%2\": needs %3 px, has %4")
      .arg(w->objectName(), text)
      .arg(need)
      .arg(room);
}

// The rectangle a label draws its text in, in its parent's coordinates.
QRect LabelTextRect(const QLabel* label) {
  const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
  const QRect inside =
      label->contentsRect().adjusted(label->indent() > 0 ? label->indent() : 0, 0, 0, 0);
  return label->fontMetrics().boundingRect(inside, flags, label->text()).translated(label->pos());
}

QStringList UnfitTexts(QWidget* window, const QList<QLabel*>& panels) {
  QStringList unfit;
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(window) || w->inherits("QAbstractItemView") || w->width() == 0) continue;
    const QFontMetrics fm = w->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(w); label && !panels.contains(label)) {
      if (label->text().isEmpty() || !label->pixmap().isNull()) continue;
      const QRect drawn = LabelTextRect(label);
      const QRect box = label->contentsRect().translated(label->pos());
      if (!box.contains(drawn)) unfit << Describe(w, label->text(), drawn.width(), box.width());
      // Nothing else may lie over the text (a combo over a label's second line).
      for (QObject* o : w->parentWidget()->children()) {
        auto* sibling = qobject_cast<QWidget*>(o);
        if (!sibling || sibling == w || !sibling->isVisibleTo(window)) continue;
        const auto* other = qobject_cast<QLabel*>(sibling);
        const QRect cover = other ? LabelTextRect(other) : sibling->geometry();
        if (cover.intersects(drawn))
          unfit << Describe(w, label->text() + " under " + sibling->objectName(), 0, 0);
      }
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
      if (box->sizeHint().width() > box->width())
        unfit << Describe(w, box->text(), box->sizeHint().width(), box->width());
    } else if (auto* button = qobject_cast<QToolButton*>(w); button && !button->text().isEmpty()) {
      const int need = fm.horizontalAdvance(button->text()) + 6;
      if (need > button->width()) unfit << Describe(w, button->text(), need, button->width());
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QStringList texts{combo->lineEdit()->placeholderText()};
      for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
      const QLineEdit* edit = combo->lineEdit();
      const int room =
          edit->width() - 2 * 2 - edit->textMargins().left() - edit->textMargins().right();
      for (const QString& text : texts) {
        if (edit->fontMetrics().horizontalAdvance(text) > room)
          unfit << Describe(w, text, edit->fontMetrics().horizontalAdvance(text), room);
      }
    } else if (auto* frame = qobject_cast<QGroupBox*>(w)) {
      QFont bold = frame->font();
      const int need = QFontMetrics(bold).horizontalAdvance(frame->title()) + 16;
      if (need > frame->width()) unfit << Describe(w, frame->title(), need, frame->width());
    }
  }
  for (QLabel* panel : panels) {
    const int number = panel->objectName().mid(5).toInt();
    const int room = panel->contentsRect().width() - panel->indent();
    for (const QString& text : kPanelTexts.value(number)) {
      const int need = panel->fontMetrics().horizontalAdvance(text);
      if (need > room) unfit << Describe(panel, text, need, room);
    }
  }
  return unfit;
}

TEST_F(Form1Test, EveryTextFitsAtTheDesignSize) {
  auto form = start();
  form->show();
  form->mnuAboutItem->trigger();
  form->Command2->click();
  QList<QLabel*> panels;
  for (int i = 1; i <= 4; ++i)
    panels << form->StatusBar1->findChild<QLabel*>(QStringLiteral("Panel%1").arg(i));
  ASSERT_FALSE(panels.contains(nullptr));
  const QStringList unfit = UnfitTexts(form.get(), panels) + UnfitTexts(form->exportWindow(), {}) +
                            UnfitTexts(form->aboutWindow(), {});
  EXPECT_TRUE(unfit.isEmpty()) << QFontInfo(form->font()).family().toStdString() << ":\n"
                               << unfit.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
}  // namespace norvane::testing
