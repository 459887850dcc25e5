#include "desktop/status_panels.h"

#include <QLabel>
#include <QStatusBar>
#include <algorithm>

#include "desktop/twips.h"

namespace norvane {

void StatusPanels::add() {
  const auto next = std::find(m_panels.begin(), m_panels.end(), nullptr);
  if (next == m_panels.end()) return;
  auto* panel = new QLabel(m_bar);
  panel->setObjectName(QStringLiteral("Panel%1").arg(next - m_panels.begin() + 1));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setIndent(3);
  panel->show();
  *next = panel;
}

QLabel* StatusPanels::panel(int panel) const {
  return panel < 1 || panel > kMaxPanels ? nullptr : m_panels[panel - 1];
}

QString StatusPanels::text(int number) const {
  const QLabel* p = panel(number);
  return p ? p->text() : QString();
}

void StatusPanels::setText(int number, const QString& text) {
  if (QLabel* p = panel(number)) p->setText(text);
}

void StatusPanels::setWidths(const std::array<double, kMaxPanels>& twips) {
  double left = 0;
  for (int i = 0; i < kMaxPanels; ++i) {
    if (m_panels[i]) {
      m_panels[i]->setGeometry(TwipsToPixels(left), 0, std::max(0, TwipsToPixels(twips[i])),
                               m_bar->height());
    }
    left += twips[i];
  }
}

}  // namespace norvane
