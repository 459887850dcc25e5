#include "search/engine_page_check.h"

#include <QUrl>

#include "search/secure_result_extraction.h"

namespace norvane {

QString EngineUnreachedReason(bool loaded, const QString& loadError, const QUrl& location) {
  if (!loaded) return loadError.isEmpty() ? QStringLiteral("the page did not load") : loadError;
  if (!IsEngineHost(location.host()))
    return QStringLiteral("the answer came from %1, not from the search engine")
        .arg(location.host().isEmpty() ? location.toString() : location.host());
  return QString();
}

QString EngineUnreachedMessage(const QString& reason) {
  return QStringLiteral(
             "The search engine could not be reached: %1.\n\nThe search string stays in the "
             "list. Check the internet connection and click Start again.")
      .arg(reason);
}

}  // namespace norvane
