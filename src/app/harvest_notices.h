#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace norvane {

class HarvestController;

// Tells the desktop, with the numbers found, when a harvest ends or moves on to the next search
// string while the main window is not the active one: a harvest left to run overnight ends
// silently otherwise, unless the sound is on.
class HarvestNotices : public QObject {
 public:
  // passRunning: whether a search pass is under way (a harvest that stops to start the next
  // search string's pass has not ended).
  HarvestNotices(QWidget* window, HarvestController& controller, std::function<bool()> passRunning);

 private:
  void harvestStopped();
  void searchStringRemoved(int row);
  void tell(const QString& title, const QString& body);
  QString numbersFound() const;

  QWidget* m_window;
  HarvestController& m_controller;
  std::function<bool()> m_passRunning;
};

// Shows the controller's warnings (a store fault, a failure) in message boxes over the window.
void ShowHarvestWarnings(QWidget* window, HarvestController* controller);

}  // namespace norvane
