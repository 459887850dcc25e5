#pragma once

#include <QString>
#include <array>

class QLabel;
class QStatusBar;

namespace norvane {

// The text panels of a status bar, numbered from 1. They are placed by hand rather than by the
// bar's layout, so their widths never hold the window at a minimum size.
class StatusPanels {
 public:
  static constexpr int kMaxPanels = 4;

  explicit StatusPanels(QStatusBar* bar) : m_bar(bar) {}

  // Appends one panel with default properties; a bar already holding four is left as it is.
  void add();
  QString text(int panel) const;  // "" for a panel that does not exist
  void setText(int panel, const QString& text);
  // Lays the panels side by side from the left edge, with these widths in twips.
  void setWidths(const std::array<double, kMaxPanels>& twips);

 private:
  QLabel* panel(int panel) const;

  QStatusBar* m_bar;
  std::array<QLabel*, kMaxPanels> m_panels{};
};

}  // namespace norvane
