// The main window's side of the search strings and of the search window: the "Searches" frame's
// handlers, and what the search window reads and sets here.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QToolButton>

#include "app/form1.h"
#include "desktop/message_box.h"
#include "search/form3.h"
#include "search/search_list.h"

namespace norvane {

namespace {
constexpr int kEnterKey = 13;
}  // namespace

void Form1::connectSearchHandlers() {
  connect(cmdAdd, &QToolButton::clicked, this, &Form1::cmdAdd_Click);
  connect(cmbDel, &QToolButton::clicked, this, &Form1::cmbDel_Click);
  connect(Text1, &QLineEdit::returnPressed, this, [this] { Text1_KeyPress(kEnterKey); });
}

void Form1::cmdAdd_Click() {
  // No test on the text: an empty text or a repeated one is added like any other.
  const QString typed = Text1->text();
  List1->addItem(typed);
  QString stored = typed;
  database().AddSearch(stored);
  applyNextButtonRule();
  Text1->clear();
}

void Form1::Text1_KeyPress(int KeyAscii) {
  if (KeyAscii != kEnterKey) return;
  cmdAdd_Click();
  Text1->clear();
}

void Form1::cmbDel_Click() {
  const QListWidgetItem* current = List1->currentItem();
  const int selected = current && current->isSelected() ? List1->currentRow() : -1;
  auto removeEntry = [this](int row) {
    QString search = List1->item(row)->text();
    database().DeleteSearch(search);
    delete List1->takeItem(row);
    // Like a fresh list: the next "Delete" needs a new selection.
    List1->setCurrentRow(-1);
  };

  switch (DeletionFor(selected, List1->count(), bHarvesting, cmdResume->isEnabled())) {
    case SearchDeletion::Nothing:
      break;
    case SearchDeletion::AskForSelection:
      MessageBox::show(this, kSelectSearchToDelete);
      break;
    case SearchDeletion::DeleteEntry:
      removeEntry(selected);
      break;
    case SearchDeletion::RefuseCurrent:
      MessageBox::show(this, kCannotDeleteCurrent);
      break;
    case SearchDeletion::ConfirmDeleteCurrent:
      if (MessageBox::show(this, kConfirmDeleteCurrent, QMessageBox::NoIcon,
                           QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::NoButton,
                           kConfirmDeleteTitle) == QMessageBox::Ok) {
        cmdResume->setEnabled(false);
        QString search = List1->item(0)->text();
        database().DeleteSearch(search);
        // The backlog belongs to the abandoned search; the entry goes even if the table stays.
        database().DeleteAllWebsites();
        delete List1->takeItem(0);
        List1->setCurrentRow(-1);
      }
      break;
    case SearchDeletion::DeleteCurrent:
      removeEntry(0);
      break;
  }
  applyNextButtonRule();
}

void Form1::LoadSearchWindow() {
  ++m_searchWindowLoads;
  // A window left from an earlier pass would go on with the search string it was loaded for.
  UnloadSearchWindow();
  auto* window = new Form3(*this, m_searchEngine, this);
  m_searchWindow = window;
  window->Form_Load();
  m_searchEngine = window->strEngine;
  window->show();
}

void Form1::UnloadSearchWindow() {
  if (m_searchWindow) m_searchWindow->Unload();
  m_searchWindow = nullptr;
}

Form3* Form1::searchWindow() const {
  return m_searchWindow && !m_searchWindow->isUnloaded() ? m_searchWindow.data() : nullptr;
}

QString Form1::currentSearchText() const {
  return txtSearch->text();
}

bool Form1::addFaxToSearches() const {
  return chkAddFax->isChecked();
}

int Form1::resultCountIndex() const {
  return Combo2->currentIndex();
}

QString Form1::searchTypeText() const {
  return Combo1->currentText();
}

bool Form1::secureWeb() const {
  return mnuSecureWeb->isChecked();
}

int Form1::searchStringCount() const {
  return List1->count();
}

void Form1::removeCurrentSearchString() {
  if (List1->count() > 0) delete List1->takeItem(0);
}

void Form1::setStatusPanel(int panel, const QString& text) {
  setPanelText(panel, text);
}

bool Form1::deleteAllWebsites() {
  return database().DeleteAllWebsites();
}

void Form1::addWebsite(const QString& website) {
  QString site = website;
  database().AddWebsite(site);
}

void Form1::recordStatistic(int kind) {
  RecordStatistic(kind);
}

void Form1::startSearch() {
  cmdDoSearch_Click();
}

void Form1::startNextSearch() {
  StartNextSearch();
}

}  // namespace norvane
