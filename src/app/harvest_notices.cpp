#include "app/harvest_notices.h"

#include <QTimer>
#include <QWidget>

#include "desktop/desktop_notice.h"
#include "desktop/message_box.h"
#include "harvest/control/harvest_controller.h"

namespace norvane {

HarvestNotices::HarvestNotices(QWidget* window, HarvestController& controller,
                               std::function<bool()> passRunning)
    : QObject(window),
      m_window(window),
      m_controller(controller),
      m_passRunning(std::move(passRunning)) {
  // "Stop" is enabled exactly while the harvest runs.
  connect(&controller, &HarvestController::buttonChanged, this,
          [this](HarvestButton button, bool enabled) {
            if (button != HarvestButton::Stop || enabled) return;
            // Looked at once the stop's own work is done: a move to the next search string
            // stops the harvest and starts a pass, and is told as such.
            QTimer::singleShot(0, this, &HarvestNotices::harvestStopped);
          });
  connect(&controller, &HarvestController::searchRemoved, this,
          &HarvestNotices::searchStringRemoved);
  connect(&controller, &HarvestController::failureReported, this, [this](const QString& text) {
    tell(QStringLiteral("Harvest stopped"), text.section(QLatin1Char('\n'), 0, 0));
  });
}

void HarvestNotices::harvestStopped() {
  if (m_controller.bHarvesting || m_passRunning()) return;
  const QString why = m_controller.panelText(2);
  tell(QStringLiteral("Harvest finished"),
       numbersFound() + (why.isEmpty() ? QString() : QStringLiteral(" ") + why + "."));
}

void HarvestNotices::searchStringRemoved(int row) {
  const QStringList& searches = m_controller.searchStrings();
  // Only the current search string makes way for the next one.
  if (row != 0 || searches.isEmpty()) return;
  tell(QStringLiteral("Next search string"),
       QStringLiteral("Now searching for \"%1\". ").arg(searches.first()) + numbersFound());
}

QString HarvestNotices::numbersFound() const {
  const int32_t found = m_controller.faxCount();
  return found == 1 ? QStringLiteral("1 fax number found.")
                    : QStringLiteral("%1 fax numbers found.").arg(found);
}

void HarvestNotices::tell(const QString& title, const QString& body) {
  if (m_window->isActiveWindow()) return;
  ShowDesktopNotice(title, body);
}

void ShowHarvestWarnings(QWidget* window, HarvestController* controller) {
  // Through the event loop: a fault met at start is told once the window is in view.
  for (const auto signal :
       {&HarvestController::storeFaultReported, &HarvestController::failureReported}) {
    QObject::connect(
        controller, signal, window,
        [window](const QString& text) { MessageBox::show(window, text, QMessageBox::Warning); },
        Qt::QueuedConnection);
  }
}

}  // namespace norvane
