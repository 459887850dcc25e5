#pragma once

#include <QString>

class QUrl;

// Whether a page the browser finished is one the search engine itself served. Only such pages
// are read for results: the browser's own error page, an error answer of the engine, or a page
// from some other host (a network's login page, say) would otherwise be read as an empty result
// page, and the pass would move on as if the search string had found nothing.
namespace norvane {

// Why the page at `location` is not the engine's, or an empty text when it is. `loaded`: the
// browser reported a successful load; `loadError`: its reason when it did not (may be empty).
QString EngineUnreachedReason(bool loaded, const QString& loadError, const QUrl& location);

// The message shown when a pass ends because the engine could not be reached.
QString EngineUnreachedMessage(const QString& reason);

}  // namespace norvane
