#pragma once

#include <QString>
#include <QStringMatcher>

namespace norvane {

// Removes every occurrence of the matcher's pattern (in the matcher's letter case rule) in one
// left-to-right pass: text that comes together only after a removal is not removed again by the
// same pass ("hthttp://tp://" keeps "http://"). A text without one is handed back shared, not
// copied. The website and link rules ask it of every link, so the matchers are built once.
QString RemoveEveryOccurrence(const QString& text, const QStringMatcher& fragment);

}  // namespace norvane
