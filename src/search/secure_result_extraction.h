#pragma once

#include <QString>
#include <QStringList>

class QUrl;

// The reading of today's result pages, for passes with "Secure Sites and Redirects" on: links
// written as https://, wrapped in the engine's redirects (/url?q=https://..., RU=https%3a%2f%2f...)
// or percent-encoded. The host reduction, the accepted labels and the seen test are those of
// result_extraction.h.
namespace norvane {

// The lines of one result page: the percent-encoded schemes ("http%3a%2f%2f", "https%3a%2f%2f",
// "http%3a//", "https%3a//", any letter case) written as "http://" and "https://", then a line
// break (CR LF) put before every "http://" and "https://" (letter case ignored, written in small
// letters), read back as the work file gives lines.
QStringList SplitSecureResultLines(const QString& html);

// The host a line links to: the text after its leading "http://" or "https://" up to the first
// character that cannot be part of a host name. Empty when the line starts with neither scheme.
QString LinkHost(const QString& line);

// Whether a host belongs to a search engine: its pages, images, caches, translations and
// redirects. Compared by whole labels, so "www.google.co.uk" and "s.yimg.com" are, while
// "googlewatch.com" is not.
bool IsEngineHost(const QString& host);

// A line names a candidate site: it starts with "http://" or "https://", its host is no engine's,
// and it mentions ".org", ".net" or ".com" somewhere.
bool SecureLineQualifies(const QString& line);

// The domain a line adds to a pass that has accepted `found` so far, or an empty text: the
// line's host reduced as AcceptedDomain reduces it, with the same tests.
QString SecureAcceptedDomain(const QString& line, const QString& found);

// What the pass queues for a domain accepted from a line: the crawl's secure form
// "https://" + domain when the line's link was https, the domain alone otherwise.
QString QueuedWebsite(const QString& domain, const QString& line);

// Every website a fresh secure pass queues from one page, in order, as it queues them.
QStringList ExtractSecureWebsites(const QString& html);

// Whether a page at `location` is the engine asking the user something (a consent page, a robot
// check) rather than showing results: the location is not the engine's result path ("/search"
// on the engine's own host), or the page links to no result at all.
bool ShowsEnginePrompt(const QString& engine, const QUrl& location, const QString& html);

}  // namespace norvane
