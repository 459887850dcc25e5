#include "desktop/status_panels.h"

#include <QLabel>
#include <QStatusBar>
#include <algorithm>

#include "desktop/twips.h"

namespace norvane {

StatusPanels::StatusPanels(QStatusBar* bar)
    : m_bar(bar), m_showLater(new DeferredCall(bar, [this] { show(); })) {}

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
  return panel(number) ? m_texts[number - 1] : QString();
}

void StatusPanels::setText(int number, const QString& text) {
  QLabel* p = panel(number);
  if (!p) return;
  m_texts[number - 1] = text;
  m_showLater->request();
}

void StatusPanels::setDeferred(bool deferred) {
  m_showLater->setDeferred(deferred);
}

void StatusPanels::show() {
  for (int i = 0; i < kMaxPanels; ++i) {
    if (m_panels[i]) m_panels[i]->setText(m_texts[i]);
  }
}

void StatusPanels::setWidths(const std::array<double, kMaxPanels>& twips) {
  double left = 0;
  for (int i = 0; i < kMaxPanels; ++i) {
    if (m_panels[i]) {
      // A fixed size: a panel whose size may change asks the bar to lay itself out again at
      // every text, which for the crawl's texts (several per page) cost more than the texts.
      m_panels[i]->setFixedSize(std::max(0, TwipsToPixels(twips[i])), m_bar->height());
      m_panels[i]->move(TwipsToPixels(left), 0);
    }
    left += twips[i];
  }
}

}  // namespace norvane
