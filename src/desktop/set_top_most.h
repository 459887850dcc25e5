#pragma once

class QWidget;

namespace norvane {

// Puts a window into the band of windows kept above all others (on true) or takes it out (on
// false), keeping its position, size and visibility.
void SetTopMost(QWidget* window, bool on);

}  // namespace norvane
