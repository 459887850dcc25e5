#pragma once

#include <QString>
#include <QtGlobal>

// The request side of the search-engine pass: what is sent to which engine, and how many
// domains a pass wants. Plain functions over texts, so the tests need no window.
namespace norvane {

inline const QString kGoogle = QStringLiteral("Google");
inline const QString kYahoo = QStringLiteral("Yahoo");
inline const QString kBing = QStringLiteral("Bing");

// strQuery: the search string, with " fax" appended when asked, spaces written as "+". Every
// other character that would change the meaning of the request ("&", "#", "+", "%", ...) or is
// not plain ASCII is percent-encoded, so the engine receives the search string as typed.
QString BuildSearchQuery(const QString& search, bool addFax);

// lWanted from the index of "How Many Results?" (-1 when nothing is chosen).
qint32 WantedDomains(int resultCountIndex);

// strEngine from the text of "Which Search Type?" ("Google Search", "Yahoo Search", "Bing
// Search"); any other text keeps the previous engine, and Google when there was none.
QString EngineFromSearchType(const QString& searchTypeText, const QString& previousEngine);

// The address of the result page at lStart (1, then raised by ResultsPageStep per page). Google
// counts its offset from 0, Yahoo and Bing from 1. `secure` ("Secure Sites and Redirects"): the
// engines are asked over https, Yahoo's web search in place of its directory; Bing is asked the
// same way either way, over http when `secure` is off.
QString ResultPageUrl(const QString& engine, const QString& query, qint32 lStart,
                      bool secure = false);
qint32 ResultsPageStep(const QString& engine, bool secure = false);

}  // namespace norvane
