// The harvest controller: the handlers of "Start", "Stop", "Resume" and "Next", and the website
// queue that feeds the ten sockets.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QToolButton>

#include "app/form1.h"
#include "common/app_folder.h"
#include "common/event_yield.h"
#include "desktop/message_box.h"
#include "desktop/play_wave.h"
#include "harvest/page_fetcher.h"
#include "harvest/page_steps.h"
#include "harvest/url_rules.h"

namespace norvane {
namespace {}  // namespace

void Form1::playSound(const char* name) {
  PlayWave(AppFile(QStringLiteral("sounds/") + QLatin1String(name)));
}

// Steps 1 to 6 of Start: false when a choice is missing (the user has been told).
bool Form1::StartChecks() {
  cmdResume->setEnabled(false);
  cmdViewDatabase->setEnabled(false);
  Command2->setEnabled(false);
  Command3->setEnabled(false);
  m_database->DeleteAllWebsites();
  if (chkAudioNext->isChecked()) playSound("nextsearch.wav");

  struct Check {
    bool missing;
    const char* message;
    QWidget* focus;
  };
  const Check checks[] = {
      {List1->count() == 0, "Please enter at least one search term before begining your search.",
       Text1},
      {Combo1->currentIndex() == -1, "Please enter a search type before begining your search.",
       Combo1},
      {Combo2->currentIndex() == -1,
       "Please select the number of search results to retrieve before begining your search.",
       Combo2},
  };
  for (const Check& check : checks) {
    if (!check.missing) continue;
    MessageBox::show(this, QLatin1String(check.message));
    check.focus->setFocus();
    return false;
  }
  return true;
}

void Form1::Command1_Click() {
  if (!StartChecks()) return;
  txtSearch->setText(List1->item(0)->text());
  LoadSearchWindow();
}

void Form1::StartNextSearch() {
  if (!StartChecks()) return;
  UnloadSearchWindow();
  txtSearch->setText(List1->item(0)->text());
  LoadSearchWindow();
}

void Form1::cmdDoSearch_Click() {
  bHarvesting = true;
  for (QWidget* w : {static_cast<QWidget*>(cmdViewDatabase), static_cast<QWidget*>(Command2),
                     static_cast<QWidget*>(Command3), static_cast<QWidget*>(cmdResume),
                     static_cast<QWidget*>(Command1)})
    w->setEnabled(false);
  cmdStop->setEnabled(true);
  if (List1->count() > 1) cmdNextSearch->setEnabled(true);
  lAdvanceCount = 0;
  if (List2->count() == 0) m_database->LoadWebsiteList();
  m_parked.fill(true);
  const int k = std::min(List2->count(), 9);
  for (int16_t i = 0; i <= k; ++i) TakeNextWebsite(i);
}

void Form1::TakeNextWebsite(int16_t i) {
  if (!bHarvesting) return;
  if (lAdvanceCount < INT32_MAX) ++lAdvanceCount;
  if (lAdvanceCount > lAdvanceAfter && chkAuto->isChecked()) {
    lAdvanceCount = 0;
    cmdNextSearch_Click();
    // On the last search string with "Continue Until Stopped" the harvest goes on, and so
    // does this socket.
    if (!bHarvesting) return;
  }
  YieldToEvents();
  // Another take gave this socket work while the events ran.
  if (m_fetcher->isFetching(i)) return;

  // Entry 0 is the website handed out last; it makes way for the next one.
  if (List2->count() > 0) delete List2->takeItem(0);
  // Links found since the list ran short are in the table.
  if (List2->count() == 0) {
    QString w = m_database->FirstQueuedWebsite();
    if (!w.isEmpty()) {
      m_database->DeleteWebsite(w);
      List2->addItem(w);
    }
  }
  while (true) {
    if (List2->count() == 0) return parkSocket(i);
    if (AcceptQueuedEntry(List2->item(0)->text())) break;
    delete List2->takeItem(0);
    moveNextQueuedWebsite();
  }
  strURL = List2->item(0)->text();
  moveNextQueuedWebsite();
  if (!bHarvesting) return;
  m_parked[i] = false;
  m_fetcher->StartFetch(i, strURL);
  wakeParkedSockets();
}

// Every take moves one website from the table to the end of List2, so the list keeps its
// length while the table shrinks. An empty table adds nothing: an empty entry would reach
// StartFetch as a website without a host.
void Form1::moveNextQueuedWebsite() {
  QString w = NextQueuedWebsite();
  if (w.isEmpty()) return;
  m_database->DeleteWebsite(w);
  List2->addItem(w);
}

// A socket with nothing to fetch waits. When no socket has anything left either, the queue has
// run dry and the exhausted-queue handling decides what comes next.
void Form1::parkSocket(int16_t i) {
  if (m_fetcher->isFetching(i)) return;
  m_parked[i] = true;
  if (!bHarvesting) return;
  if (std::all_of(m_parked.begin(), m_parked.end(), [](bool parked) { return parked; }))
    NextQueuedWebsite();
}

void Form1::wakeParkedSockets() {
  if (!bHarvesting) return;
  // Entry 0 of List2 is taken already; with the table empty only the rest can be handed out.
  int available = List2->count() - 1;
  for (int16_t j = 0; j < kSocketCount; ++j) {
    if (!m_parked[j]) continue;
    if (available <= 0) {
      if (m_database->FirstQueuedWebsite().isEmpty()) return;
      available = kSocketCount;
    }
    --available;
    m_parked[j] = false;
    QMetaObject::invokeMethod(
        this,
        [this, j] {
          if (bHarvesting && !m_fetcher->isFetching(j)) TakeNextWebsite(j);
        },
        Qt::QueuedConnection);
  }
}

QString Form1::NextQueuedWebsite() {
  const QString first = m_database->FirstQueuedWebsite();
  if (!first.isEmpty()) return first;

  if (List1->count() >= 2) {
    StopQueueEmpty();
    QString search = List1->item(0)->text();
    m_database->DeleteSearch(search);
    delete List1->takeItem(0);
    m_database->DeleteAllWebsites();
    applyNextButtonRule();
    StartNextSearch();
    return QString();
  }
  if (List2->count() > 0 && bHarvesting && List2->item(0)->text().isEmpty()) List2->clear();
  if (List2->count() > 0) return QString();
  const int last = cmbLastSearch->currentIndex();
  if (last != 0 && last != -1) {
    if (chkAudioFinished->isChecked()) playSound("finished.wav");
    return QString();
  }
  StopQueueEmpty();
  return QString();
}

void Form1::stopHarvest(const QString& panel2, const QString& panel3) {
  bHarvesting = false;
  cmdStop->setEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(Command1), static_cast<QWidget*>(cmdViewDatabase),
                     static_cast<QWidget*>(Command2), static_cast<QWidget*>(Command3)})
    w->setEnabled(true);
  applyNextButtonRule();
  if (m_database->CountWebsites() > 0) cmdResume->setEnabled(true);
  m_fetcher->CloseAll();
  m_parked.fill(true);
  pb1->setValue(pb1->maximum());
  setPanelText(1, QStringLiteral("Stopped"));
  setPanelText(2, panel2);
  setPanelText(3, panel3);
  setPanelText(4, QString());
  if (chkAudioFinished->isChecked()) playSound("finished.wav");
}

void Form1::StopQueueEmpty() {
  stopHarvest(QStringLiteral("No more websites queued"), QStringLiteral("Try a different search"));
}

void Form1::cmdStop_Click() {
  stopHarvest(QString(), QString());
}

void Form1::cmdResume_Click() {
  cmdResume->setEnabled(false);
  cmdDoSearch_Click();
}

void Form1::cmdNextSearch_Click() {
  if (List1->count() < 2) {
    const int last = cmbLastSearch->currentIndex();
    if (last != -1 && last != 0) {
      if (chkAudioFinished->isChecked()) playSound("finished.wav");
      return;
    }
    cmdStop_Click();
    return;
  }
  cmdStop_Click();
  QString search = List1->item(0)->text();
  m_database->DeleteSearch(search);
  delete List1->takeItem(0);
  m_database->DeleteAllWebsites();
  applyNextButtonRule();
  Command1_Click();
}

void Form1::applyNextButtonRule() {
  cmdNextSearch->setEnabled(bHarvesting && List1->count() > 1);
}

// HarvestHost.

void Form1::setProgressValue(int value) {
  // The bar refuses a value outside its range, and so the value is ignored.
  pb1->setValue(value);
}

void Form1::SavePage(const std::string& body, int16_t i) {
  m_pageSteps->SavePage(body, i);
}

QString Form1::currentSearch() const {
  return List1->count() > 0 ? List1->item(0)->text() : QString();
}

bool Form1::allowInternational() const {
  return chkNonUS->isChecked();
}

bool Form1::foundFaxSoundOn() const {
  return chkAudioEmail->isChecked();
}

int Form1::faxPreviewCount() const {
  return List3->count();
}

void Form1::removeFirstFaxPreview() {
  if (List3->count() > 0) delete List3->takeItem(0);
}

void Form1::appendFaxPreview(const QString& entry) {
  List3->addItem(entry);
}

void Form1::playWave(const QString& path) {
  PlayWave(path);
}

}  // namespace norvane
