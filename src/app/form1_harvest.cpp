// The main window's side of the harvest: the buttons forward to the controller, and the
// controller's signals drive the buttons, the preview lists, the status bar and the counters.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>

#include "app/form1.h"
#include "app/harvest_notices.h"
#include "app/preview_lists.h"
#include "desktop/message_box.h"
#include "desktop/play_wave.h"

namespace norvane {
void Form1::connectController() {
  HarvestController* c = m_controller.get();
  connect(c, &HarvestController::panelTextChanged, this, &Form1::setPanelText);
  // The bar refuses a value outside its range; the controller passes on only those it keeps.
  connect(c, &HarvestController::progressChanged, pb1, &QProgressBar::setValue);
  connect(c, &HarvestController::buttonChanged, this, [this](HarvestButton button, bool enabled) {
    // In the order of HarvestButton.
    const QList<QToolButton*> widgets[] = {
        {Command1}, {cmdStop}, {cmdResume}, {cmdNextSearch}, {cmdViewDatabase, Command2, Command3}};
    for (QToolButton* b : widgets[int(button)]) b->setEnabled(enabled);
    if (button != HarvestButton::Stop) return;  // enabled exactly while the harvest runs
    m_panels->setDeferred(enabled);
    m_statsLater->setDeferred(enabled);
  });
  m_statsLater = new DeferredCall(this, [this] { StatsD(); });
  connect(c, &HarvestController::statisticsChanged, m_statsLater, &DeferredCall::request);
  FollowPreviews(c, List2, List3);
  connect(c, &HarvestController::searchAppended, List1,
          [this](const QString& search) { List1->addItem(search); });
  connect(c, &HarvestController::searchRemoved, List1, [this](int row) {
    delete List1->takeItem(row);
    // Like a fresh list: the next "Delete" needs a new selection.
    List1->setCurrentRow(-1);
  });
  connect(c, &HarvestController::soundRequested, this, [](const QString& path) { PlayWave(path); });
  connect(c, &HarvestController::messageRequested, this,
          [this](const QString& text, StartChoice choice) {
            MessageBox::show(this, text);
            QWidget* focus = choice == StartChoice::SearchString ? static_cast<QWidget*>(Text1)
                             : choice == StartChoice::SearchType ? static_cast<QWidget*>(Combo1)
                                                                 : static_cast<QWidget*>(Combo2);
            focus->setFocus();
          });
  ShowHarvestWarnings(this, c);
  connect(c, &HarvestController::searchTextChanged, txtSearch, &QLineEdit::setText);
  connect(txtSearch, &QLineEdit::textChanged, c, &HarvestController::setCurrentSearchText);
  c->setCurrentSearchText(txtSearch->text());
  connect(c, &HarvestController::searchWindowLoadRequested, this, &Form1::LoadSearchWindow);
  connect(c, &HarvestController::searchWindowUnloadRequested, this, &Form1::UnloadSearchWindow);
  applyButtons(c->buttons());
  new HarvestNotices(this, *c, [this] { return searchWindow() != nullptr; });
}

void Form1::applyButtons(const HarvestButtons& b) {
  Command1->setEnabled(b.start);
  cmdStop->setEnabled(b.stop);
  cmdResume->setEnabled(b.resume);
  cmdNextSearch->setEnabled(b.next);
  for (QToolButton* button : {cmdViewDatabase, Command2, Command3}) button->setEnabled(b.faxData);
}

void Form1::Command1_Click() {
  m_controller->Start();
}

void Form1::cmdDoSearch_Click() {
  m_controller->StartSearch();
}

void Form1::cmdStop_Click() {
  m_controller->Stop();
}

void Form1::cmdResume_Click() {
  m_controller->Resume();
}

void Form1::cmdNextSearch_Click() {
  m_controller->Next();
}

}  // namespace norvane
