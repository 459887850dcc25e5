#include "harvest/sites/contact_pages.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace norvane {
namespace {

// Words that begin with one of these name a contact page: "contacts", "contactez", "contacto",
// "kontaktformular", "contatti", "standorte", "locations", "offices", "impressum".
constexpr QLatin1String kPrefixes[] = {
    QLatin1String("contact"),   QLatin1String("kontakt"),         QLatin1String("contat"),
    QLatin1String("impressum"), QLatin1String("imprint"),         QLatin1String("location"),
    QLatin1String("standort"),  QLatin1String("office"),          QLatin1String("directory"),
    QLatin1String("staff"),     QLatin1String("mitarbeiter"),     QLatin1String("ansprechpartner"),
    QLatin1String("anfahrt"),   QLatin1String("wegbeschreibung"), QLatin1String("kapcsolat"),
    QLatin1String("yhteystie"), QLatin1String("iletisim"),        QLatin1String("localiza"),
    QLatin1String("ubicaci"),   QLatin1String("oficina"),         QLatin1String("uffic"),
    QLatin1String("bureau"),    QLatin1String("legal"),           QLatin1String("colofon"),
    QLatin1String("vestiging"), QLatin1String("sedes"),           QLatin1String("recapiti"),
    QLatin1String("epikoinon"),
};
// Whole words that name one, too short or too common to take as the start of a longer word:
// "team", "equipe" and "mentions" (the French imprint, "mentions legales"), "sedi" (Italian
// offices), "touch" ("get in touch"), "find us" in French and Spanish.
constexpr QLatin1String kWords[] = {
    QLatin1String("team"),     QLatin1String("equipe"),  QLatin1String("equipo"),
    QLatin1String("mentions"), QLatin1String("sedi"),    QLatin1String("sede"),
    QLatin1String("touch"),    QLatin1String("trouver"), QLatin1String("donde"),
    QLatin1String("reach"),
};

// The first letters of the words above, one bit for each of a to z: most words of a link's
// path and text begin with none of them, or are too short to be one.
constexpr quint32 FirstLetters() {
  quint32 mask = 0;
  for (const QLatin1String word : kPrefixes) mask |= 1u << (word.front().toLatin1() - 'a');
  for (const QLatin1String word : kWords) mask |= 1u << (word.front().toLatin1() - 'a');
  return mask;
}
constexpr qsizetype ShortestWord() {
  qsizetype shortest = kWords[0].size();
  for (const QLatin1String word : kPrefixes) shortest = std::min(shortest, word.size());
  for (const QLatin1String word : kWords) shortest = std::min(shortest, word.size());
  return shortest;
}

// Lower case without accents: "Contáctenos" reads "contactenos". ASCII text is left as it is:
// the words are compared without regard to the case of its letters.
QString Plain(const QString& text) {
  if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
    return text;
  const QString decomposed = text.toLower().normalized(QString::NormalizationForm_D);
  QString out;
  out.reserve(decomposed.size());
  for (const QChar c : decomposed)
    if (c.category() != QChar::Mark_NonSpacing) out += c;
  return out;
}

bool WordNamesContactPage(QStringView word) {
  if (word.size() < ShortestWord()) return false;
  const char16_t first = word.front().unicode() | 0x20;  // ASCII lower case
  if (first < 'a' || first > 'z' || !(FirstLetters() & (1u << (first - 'a')))) return false;
  for (const QLatin1String prefix : kPrefixes)
    if (word.startsWith(prefix, Qt::CaseInsensitive)) return true;
  for (const QLatin1String whole : kWords)
    if (word.compare(whole, Qt::CaseInsensitive) == 0) return true;
  return false;
}

// The path and query of a website text, without its scheme and host; "" for a host alone.
QString PathOf(const QString& website) {
  qsizetype from = QStringView(website).indexOf(u"://");
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
  const QString decoded =
      path.contains(QLatin1Char('%')) ? QUrl::fromPercentEncoding(path.toUtf8()) : path;
  if (NamesContactPage(decoded) || (!linkText.isEmpty() && NamesContactPage(linkText)))
    return PageRank::Contact;
  return IsHomePath(path) ? PageRank::Home : PageRank::Other;
}

}  // namespace norvane
