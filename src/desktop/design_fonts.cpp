#include "desktop/design_fonts.h"

#include <QFontDatabase>

namespace norvane {
namespace {

bool HasDesignFamily() {
  static const bool has = QFontDatabase::hasFamily(QLatin1String(kDesignFamily));
  return has;
}

}  // namespace

QFont DesignFont(double points, bool bold) {
  QFont font(QLatin1String(HasDesignFamily() ? kDesignFamily : kFallbackFamily));
  font.setPointSizeF(HasDesignFamily() ? points : points - kFallbackPointsLess);
  font.setBold(bold);
  return font;
}

void InstallDesignFontFallbacks() {
  for (const char* family : {kDesignFamily, "MS Sans Serif"}) {
    if (!QFontDatabase::hasFamily(QLatin1String(family)))
      QFont::insertSubstitution(QLatin1String(family), QLatin1String(kFallbackFamily));
  }
}

}  // namespace norvane
