// The main window's side of the search strings and of the search window: the "Searches" frame's
// handlers, and what the search window reads and sets here.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QShortcut>
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
  // Delete in the list does what the delete button does, with the same questions.
  auto* deleteKey =
      new QShortcut(QKeySequence::Delete, List1, nullptr, nullptr, Qt::WidgetShortcut);
  connect(deleteKey, &QShortcut::activated, this, &Form1::cmbDel_Click);
}

void Form1::cmdAdd_Click() {
  m_controller->AddSearchString(Text1->text());
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
  HarvestController& c = *m_controller;
  switch (DeletionFor(selected, List1->count(), c.bHarvesting, cmdResume->isEnabled())) {
    case SearchDeletion::Nothing:
      break;
    case SearchDeletion::AskForSelection:
      MessageBox::show(this, kSelectSearchToDelete);
      break;
    case SearchDeletion::DeleteEntry:
      c.RemoveSearchString(selected);
      break;
    case SearchDeletion::RefuseCurrent:
      MessageBox::show(this, kCannotDeleteCurrent);
      break;
    case SearchDeletion::ConfirmDeleteCurrent:
      if (MessageBox::show(this, kConfirmDeleteCurrent, QMessageBox::NoIcon,
                           QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel,
                           kConfirmDeleteTitle) == QMessageBox::Ok) {
        c.AbandonCurrentSearchString();
      }
      break;
    case SearchDeletion::DeleteCurrent:
      c.RemoveSearchString(0);
      break;
  }
}

void Form1::LoadSearchWindow() {
  ++m_searchWindowLoads;
  // A window left from an earlier pass would go on with the search string it was loaded for.
  UnloadSearchWindow();
  auto* window = new Form3(*m_controller, m_searchEngine, this);
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
}  // namespace norvane
