#include "common/remove_every.h"

namespace norvane {

QString RemoveEveryOccurrence(const QString& text, const QStringMatcher& fragment) {
  qsizetype hit = fragment.indexIn(text);
  if (hit < 0) return text;
  const qsizetype length = fragment.pattern().size();
  QString out;
  out.reserve(text.size());
  qsizetype from = 0;
  for (; hit >= 0; hit = fragment.indexIn(text, from)) {
    out += QStringView(text).mid(from, hit - from);
    from = hit + length;
  }
  out += QStringView(text).mid(from);
  return out;
}

}  // namespace norvane
