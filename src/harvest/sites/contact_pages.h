#pragma once

#include <QString>

namespace norvane {

// Which pages of a site the crawl takes first when it stays on the sites a search found: the
// pages that name a contact, location, office, directory, staff or imprint page (where a
// business puts its fax number), then the site's home page, then the rest.
enum class PageRank { Contact = 0, Home = 1, Other = 2 };

// Whether a word (any letter case, accents ignored) names such a page, in English or one of
// the common European languages: "Contact", "Kontakt", "Impressum", "Contatti", "Standorte",
// "nous-contacter" is two words, of which "contacter" names one.
bool NamesContactPage(const QString& text);

// The rank of a queued website (host and path, any scheme) that a link with `linkText` (empty
// when not known) points to. The address's path and query are read word by word, as is the
// link text. The home page is the path "/" (or none), or a single "index.*", "default.*" or
// "home.*".
PageRank RankOfPage(const QString& website, const QString& linkText = {});

}  // namespace norvane
