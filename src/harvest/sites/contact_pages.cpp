#include "harvest/sites/contact_pages.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <array>

namespace norvane {
namespace {

// Words that begin with one of these name a contact page: "contacts", "contactez", "contacto",
// "kontaktformular", "contatti", "standorte", "locations", "offices", "impressum".
constexpr std::array kPrefixes = {
    "contact",   "kontakt",         "contat",    "impressum", "imprint",     "location",
    "standort",  "office",          "directory", "staff",     "mitarbeiter", "ansprechpartner",
    "anfahrt",   "wegbeschreibung", "kapcsolat", "yhteystie", "iletisim",    "localiza",
    "ubicaci",   "oficina",         "uffic",     "bureau",    "legal",       "colofon",
    "vestiging", "sedes",           "recapiti",  "epikoinon",
};
// Whole words that name one, too short or too common to take as the start of a longer word:
// "team", "equipe" and "mentions" (the French imprint, "mentions legales"), "sedi" (Italian
// offices), "touch" ("get in touch"), "find us" in French and Spanish.
constexpr std::array kWords = {
    "team", "equipe", "equipo", "mentions", "sedi", "sede", "touch", "trouver", "donde", "reach",
};

// Lower case without accents: "Contáctenos" reads "contactenos".
QString Plain(const QString& text) {
  // Most addresses and link texts are ASCII, with no accents to take off: decomposing them cost
  // a twentieth of the crawl's CPU per page.
  if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
    return text.toLower();
  const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
  QString out;
  out.reserve(decomposed.size());
  for (const QChar c : decomposed)
    if (c.category() != QChar::Mark_NonSpacing) out += c;
  return out;
}

bool WordNamesContactPage(QStringView word) {
  for (const char* prefix : kPrefixes)
    if (word.startsWith(QLatin1String(prefix))) return true;
  for (const char* whole : kWords)
    if (word == QLatin1String(whole)) return true;
  return false;
}

// The path and query of a website text, without its scheme and host; "" for a host alone.
QString PathOf(const QString& website) {
  qsizetype from = website.indexOf(QLatin1String("://"));
  from = from < 0 ? 0 : from + 3;
  const qsizetype slash = website.indexOf(QLatin1Char('/'), from);
  const qsizetype query = website.indexOf(QLatin1Char('?'), from);
  const qsizetype start = slash < 0 ? query : (query < 0 ? slash : std::min(slash, query));
  return start < 0 ? QString() : website.mid(start);
}

bool IsHomePath(const QString& path) {
  if (path.isEmpty() || path == QLatin1String("/")) return true;
  if (path.indexOf(QLatin1Char('/'), 1) >= 0 || path.contains(QLatin1Char('?'))) return false;
  const QString name = path.mid(1).toLower();
  for (const char* stem : {"index.", "default.", "home."})
    if (name.startsWith(QLatin1String(stem))) return true;
  return false;
}

}  // namespace

bool NamesContactPage(const QString& text) {
  const QString plain = Plain(text);
  qsizetype start = -1;
  for (qsizetype k = 0; k <= plain.size(); ++k) {
    const bool inWord = k < plain.size() && plain[k].isLetter();
    if (inWord && start < 0) start = k;
    if (!inWord && start >= 0) {
      if (WordNamesContactPage(QStringView(plain).mid(start, k - start))) return true;
      start = -1;
    }
  }
  return false;
}

PageRank RankOfPage(const QString& website, const QString& linkText) {
  const QString path = PathOf(website);
  const QString decoded = QUrl::fromPercentEncoding(path.toUtf8());
  if (NamesContactPage(decoded) || (!linkText.isEmpty() && NamesContactPage(linkText)))
    return PageRank::Contact;
  return IsHomePath(path) ? PageRank::Home : PageRank::Other;
}

}  // namespace norvane
