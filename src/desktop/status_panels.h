#pragma once

#include <QString>
#include <array>

#include "desktop/deferred_call.h"

class QLabel;
class QStatusBar;

namespace norvane {

// The text panels of a status bar, numbered from 1. They are placed by hand rather than by the
// bar's layout, so their widths never hold the window at a minimum size.
class StatusPanels {
 public:
  static constexpr int kMaxPanels = 4;

  explicit StatusPanels(QStatusBar* bar);

  // Appends one panel with default properties; a bar already holding four is left as it is.
  void add();
  QString text(int panel) const;  // "" for a panel that does not exist; the text last set
  void setText(int panel, const QString& text);
  // While on, the panels show their texts at most DeferredCall's interval late. The crawl sets
  // several texts for every page, thousands a second, and each one shown costs a text layout;
  // nobody reads them faster than that. Turning it off shows the last texts at once.
  void setDeferred(bool deferred);
  // Lays the panels side by side from the left edge, with these widths in twips.
  void setWidths(const std::array<double, kMaxPanels>& twips);

 private:
  QLabel* panel(int panel) const;
  void show();

  QStatusBar* m_bar;
  std::array<QLabel*, kMaxPanels> m_panels{};
  std::array<QString, kMaxPanels> m_texts;
  DeferredCall* m_showLater;
};

}  // namespace norvane
