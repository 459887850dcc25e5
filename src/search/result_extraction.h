#pragma once

#include <QString>
#include <QStringList>

// The reading side of the search-engine pass: how a result page's HTML is cut into lines, which
// lines name a linked site, and which domain a line yields. Plain functions over texts, shared
// by the search window and norvane-tool.
namespace norvane {

// The lines of one result page, exactly as the work file gives them back: every "http%3a//"
// written as "http://", a line break (CR LF) put before every "http://" (letter case ignored,
// written in small letters), the text closed by CR LF, then read line by line (a line ends at
// CR or CR LF; a lone LF stays in the line).
QStringList SplitResultLines(const QString& html);

// The lines of a text as the work file gives them back: a line ends at CR or CR LF; a lone LF
// stays in the line.
QStringList WorkFileLines(const QString& text);

// A line names a candidate site: it starts with "http://", mentions neither engine's own domain
// nor "yimg", and mentions ".org", ".net" or ".com" somewhere.
bool LineQualifies(const QString& line);

// The host of a qualifying line with its first label removed when it has three or more labels:
// "http://www.acme.com/x" gives "acme.com"; a two-label host ("acme.com") stays whole.
QString CandidateFromLine(const QString& line);

// Whether the candidate's top-level label (the text after its first dot) is com, org, net or gov
// written in small letters, in capitals, or with only the first letter capital.
bool HasAcceptedLabel(const QString& candidate);

// The domain a line adds to a pass that has accepted `found` so far (all accepted names joined),
// or an empty text when the line adds nothing: it does not qualify, its label is not accepted,
// it holds "<", ">" or "mailto:", it is the empty-link leftover "ttp:.com", or it occurs in
// `found` (letter case ignored).
QString AcceptedDomain(const QString& line, const QString& found);

// The tests of AcceptedDomain after the line's candidate is built: the candidate itself, or an
// empty text when its label is not accepted, it holds "<", ">" or "mailto:", it is "ttp:.com"
// or it occurs in `found`.
QString AcceptedCandidate(const QString& candidate, const QString& found);

// Every domain a fresh pass accepts from one page, in order.
QStringList ExtractDomains(const QString& html);

}  // namespace norvane
