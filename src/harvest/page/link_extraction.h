#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/html_tokenizer.h"

namespace norvane {

// True when a link is one the crawl never follows: scripts, mail, media, images, style sheets,
// PDF files and anything with a fragment. A plain substring test in any letter case, so
// ".jsp" pages (".js") and fragments ("#") are dropped too.
bool LinkFilterDrops(std::string_view link);

// The link of one line of a page: the value of the line's first "href=" (any case), with a
// quote or apostrophe right after it dropped, up to the first apostrophe, double quote or ">",
// or to the end of the line. Nothing when the line has no "href=" or the filter drops the link.
std::optional<std::string> ExtractLineLink(std::string_view line);

// How the crawl reads the links of a page.
struct LinkReading {
  // "All Links of a Page": every link as a browser reads the page. Off: the first "href=" of
  // each line, a line ending only at a CR.
  bool allLinks = false;
  // Links marked rel="nofollow" are taken too ("Polite Crawl" off).
  bool followNofollow = true;
};

struct PageLink {
  std::string link;        // as written: references decoded, spaces trimmed, fragment cut
  std::size_t offset = 0;  // where its tag begins in the page
  // What the page shows of an <a> link: its text up to "</a>" (white space run together, at
  // most kLinkTextMax bytes), or its title when it holds no text.
  std::string text;
};

inline constexpr std::size_t kLinkTextMax = 80;

// A link's text as the page shows it: UTF-8 when its bytes are, else one byte a character.
QString ShownLinkText(const std::string& bytes);

struct PageLinks {
  std::vector<PageLink> links;  // in page order
  // The first <base href> of the page, as its links are; empty when there is none.
  std::string base;
};

// Every link of a page as an HTML5 tokenizer reads it: the href of each <a> and <area> outside
// comments, scripts, styles and templates, the src of each <frame> and <iframe>, and the first
// <base href>. A link that was only a fragment (or empty) is none. Nofollow links only when
// `followNofollow`. The link filter is not applied here.
PageLinks ExtractPageLinks(std::string_view page, bool followNofollow);

// ExtractPageLinks token by token, for a pass over the page that another reader shares.
class PageLinkReader {
 public:
  explicit PageLinkReader(bool followNofollow) : m_followNofollow(followNofollow) {}
  void read(const HtmlToken& token);
  PageLinks finish();  // after the page's last token

 private:
  void endAnchor();
  void readAnchorText(std::string_view text);

  static constexpr std::size_t kNone = std::size_t(-1);
  PageLinks m_out;
  bool m_followNofollow;
  bool m_baseSeen = false;
  int m_templateDepth = 0;       // a template's contents are not part of the page
  std::size_t m_anchor = kNone;  // the index of the <a> whose text is being read
  std::string m_anchorTitle;
  bool m_spaceDue = false;
};

// The filter of the links read the browser's way, by the link's scheme and path, not its host
// or query: true for the schemes javascript, mailto, tel, fax and data (and any other that is
// neither http nor https), and for a path ending in the extension of a file that is no page:
// images, style sheets, scripts, media, fonts, archives, programs and documents such as ".pdf".
// ".jsp" and ".json" pages and hosts holding ".ra" are kept.
bool PageLinkFilterDrops(std::string_view link);

// The links of a page the crawl takes in the all-links reading: those the filter keeps, in page
// order, before they are resolved.
std::vector<PageLink> TakenPageLinks(std::string_view page, bool followNofollow);

}  // namespace norvane
