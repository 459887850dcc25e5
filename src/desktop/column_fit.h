#pragma once

#include <QList>

namespace norvane {

// The widths that make every column of a table show within `available` pixels: columns that
// need little keep what they need, and the widest are cut to one common width (their text is
// then elided). When the columns need no more than `available`, they keep their widths; when
// even `minimum` each does not fit, every column gets `minimum`.
QList<int> FitColumnWidths(const QList<int>& needed, int available, int minimum);

}  // namespace norvane
