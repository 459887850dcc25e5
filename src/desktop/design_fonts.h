#pragma once

#include <QFont>
#include <QString>

namespace norvane {

// The windows are drawn for Verdana. A Debian desktop has no Verdana, and the family it gets
// instead (DejaVu Sans) is wider, which cuts captions and status texts at the design sizes.
// Where the design's family is missing, the design's text is set in DejaVu Sans Condensed
// (fonts-dejavu-extra) a little smaller, the size at which every caption and status text of
// the program fits its widget.
inline constexpr const char* kDesignFamily = "Verdana";
inline constexpr const char* kFallbackFamily = "DejaVu Sans Condensed";
inline constexpr double kFallbackPointsLess = 0.75;

// The design's font: the family at the size when it is installed, else the fallback.
QFont DesignFont(double points, bool bold = false);

// For fonts made elsewhere by the name "Verdana" (or "MS Sans Serif"): the fallback family
// takes their place when they are missing. Run once the application object exists.
void InstallDesignFontFallbacks();

}  // namespace norvane
