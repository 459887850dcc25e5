#include "harvest/faxes/fax_labels.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "harvest/ascii_text.h"

namespace norvane {

namespace {

enum class WordKind { Other, Fax, ShortFax, Phone, Connector };

struct Word {
  std::size_t start = 0;
  std::size_t end = 0;
  WordKind kind = WordKind::Other;
};

// The ASCII letter a Latin letter with an accent is written without ("é" -> "e"); 0 for other
// code points. Covers U+00C0 to U+00FF, the accents of the five languages read.
char FoldLatin(unsigned codePoint) {
  static constexpr char kBase[] =
      "AAAAAAACEEEEIIII"   // U+00C0
      "DNOOOOO*OUUUUYTs"   // U+00D0
      "aaaaaaaceeeeiiii"   // U+00E0
      "dnooooo/ouuuuyty";  // U+00F0
  if (codePoint < 0xC0 || codePoint > 0xFF) return 0;
  const char base = kBase[codePoint - 0xC0];
  return (base == '*' || base == '/') ? 0 : ascii::Lower(base);
}

// The letters of the word that starts at `at`, folded to lower-case ASCII; the end of the word.
std::size_t ReadWord(std::string_view text, std::size_t at, std::string& folded) {
  folded.clear();
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (ascii::IsAlpha(static_cast<char>(c))) {
      folded.push_back(ascii::Lower(static_cast<char>(c)));
      ++at;
    } else if ((c & 0xE0) == 0xC0 && at + 1 < text.size()) {
      const unsigned codePoint =
          ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[at + 1]) & 0x3Fu);
      const char base = FoldLatin(codePoint);
      if (base == 0) break;
      folded.push_back(base);
      at += 2;
    } else {
      break;
    }
  }
  return at;
}

bool OneOf(std::string_view word, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words) {
    if (word == w) return true;
  }
  return false;
}

// "F:", "F." or "F 450 ..." (a letter alone before a number). The text before a number ends
// where the number begins, so a letter followed by spaces alone stands before it.
bool StandsForLabel(std::string_view rest) {
  if (rest.empty()) return false;
  if (rest[0] == ':' || rest[0] == '.') return true;
  if (rest[0] != ' ') return false;
  const std::size_t next = rest.find_first_not_of(' ');
  return next == std::string_view::npos || ascii::IsDigit(rest[next]) || rest[next] == '(' ||
         rest[next] == '+';
}

WordKind Classify(std::string_view word, std::string_view rest) {
  const char next = rest.empty() ? '\0' : rest[0];
  // "Faxing", "Fairfax" and "Halifax" are no labels; the compounds of German and the French
  // and Italian names are.
  if (OneOf(word,
            {"fax",           "faxe",       "faxes",     "faxnr",     "faxno",       "faxnum",
             "faxnumber",     "faxnummer",  "faxnumero", "faxline",   "telefax",     "telefaxnr",
             "telefaxnummer", "telefaxe",   "telec",     "telecopie", "telecopieur", "telecopier",
             "telecopy",      "telecopies", "facsimile", "facsimil",  "facsimiles",  "fac"}))
    return word == "fac" ? (next == '-' ? WordKind::Fax : WordKind::Other) : WordKind::Fax;
  if (word == "fx" || (word == "f" && StandsForLabel(rest))) return WordKind::ShortFax;
  if (OneOf(word,
            {"phone",       "phones",  "telephone", "telephones",    "tel",       "tele",
             "tels",        "telefon", "telefono",  "telefonnummer", "telefonnr", "telephonique",
             "ph",          "phn",     "tlf",       "tfno",          "tfn",       "fon",
             "mobile",      "mobil",   "mob",       "cell",          "cellular",  "cellphone",
             "cellulare",   "handy",   "movil",     "celular",       "portable",  "voice",
             "tty",         "tdd",     "call",      "sms",           "whatsapp",  "hotline",
             "switchboard", "toll",    "tollfree",  "tfnr",          "telnr"}))
    return WordKind::Phone;
  if (word.size() == 1 && StandsForLabel(rest) && OneOf(word, {"p", "t", "m", "c", "o"}))
    return WordKind::Phone;
  if (OneOf(word, {"or", "and", "et", "ou", "und", "oder", "y", "o", "e", "u"}))
    return WordKind::Connector;
  return WordKind::Other;
}

std::vector<Word> Words(std::string_view text) {
  std::vector<Word> words;
  std::string folded;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = ReadWord(text, at, folded);
    if (end == at) {
      ++at;
      continue;
    }
    words.push_back({at, end, Classify(folded, text.substr(end))});
    at = end;
  }
  return words;
}

bool IsLabel(WordKind kind, bool shortFaxLabels) {
  return kind == WordKind::Fax || kind == WordKind::Phone ||
         (kind == WordKind::ShortFax && shortFaxLabels);
}

bool HasDigit(std::string_view text) {
  for (char c : text) {
    if (ascii::IsDigit(c)) return true;
  }
  return false;
}

bool OnlySeparators(std::string_view between) {
  for (char c : between) {
    if (ascii::IsAlnum(c)) return false;
  }
  return true;
}

}  // namespace

NumberLabel LabelBefore(std::string_view before, bool shortFaxLabels, std::size_t* labelEnd) {
  const std::vector<Word> words = Words(before);
  std::size_t last = words.size();
  while (last > 0 && !IsLabel(words[last - 1].kind, shortFaxLabels)) --last;
  if (last == 0) return NumberLabel::None;
  if (labelEnd) *labelEnd = words[last - 1].end;
  // Walk back over the labels joined to the last one.
  bool fax = false;
  std::size_t at = last - 1;
  while (true) {
    fax = fax || words[at].kind != WordKind::Phone;
    std::size_t previous = at;
    if (previous > 0 && words[previous - 1].kind == WordKind::Connector) --previous;
    if (previous == 0 || !IsLabel(words[previous - 1].kind, shortFaxLabels)) break;
    // Other words end the group on their own; a digit or a colon between two labels ends it
    // too ("Fax: Toll-free: 800 ..." labels a toll-free phone).
    const std::string_view between =
        before.substr(words[previous - 1].end, words[at].start - words[previous - 1].end);
    if (HasDigit(between) || between.find(':') != std::string_view::npos) break;
    at = previous - 1;
  }
  return fax ? NumberLabel::Fax : NumberLabel::Phone;
}

bool FaxLabelAfter(std::string_view after, bool numberFollows) {
  std::size_t at = 0;
  bool bracketed = false;
  while (at < after.size() &&
         std::string_view(" \t-,:([/").find(after[at]) != std::string_view::npos) {
    bracketed = bracketed || after[at] == '(' || after[at] == '[';
    ++at;
  }
  std::string folded;
  const std::size_t end = ReadWord(after, at, folded);
  if (end == at) return false;
  if (Classify(folded, after.substr(end)) != WordKind::Fax) return false;
  if (bracketed) return true;
  std::size_t rest = end;
  while (rest < after.size() && (after[rest] == ' ' || after[rest] == '.')) ++rest;
  if (rest < after.size() && after[rest] == ':') return false;
  // "555-0100 Fax 555-0101": the word belongs to the number after it.
  return !(numberFollows && OnlySeparators(after.substr(end)));
}

bool HasPhoneLabel(std::string_view text) {
  for (const Word& word : Words(text)) {
    if (word.kind == WordKind::Phone) return true;
  }
  return false;
}

FaxMention MentionOfFax(std::string_view text) {
  // Asked of every block of a page: only the letters a label begins with are looked at, found by
  // memchr (reading every character cost a third of the thorough scan), and of them only those
  // that begin a word as a label does ("fa...", "fx", "f" alone, "te...", "t\xc3\xa9...").
  static constexpr char kFirstLetters[] = {'f', 'F', 't', 'T'};
  const auto find = [text](char letter, std::size_t from) {
    const void* found =
        from < text.size() ? std::memchr(text.data() + from, letter, text.size() - from) : nullptr;
    return found ? std::size_t(static_cast<const char*>(found) - text.data())
                 : std::string_view::npos;
  };
  std::array<std::size_t, std::size(kFirstLetters)> next{};
  for (std::size_t k = 0; k < next.size(); ++k) next[k] = find(kFirstLetters[k], 0);
  FaxMention mention = FaxMention::None;
  std::string folded;
  std::size_t wordEnd = 0;  // the end of the last word read
  while (true) {
    const auto nearest = std::min_element(next.begin(), next.end());
    const std::size_t at = *nearest;
    if (at == std::string_view::npos) break;
    *nearest = find(kFirstLetters[nearest - next.begin()], at + 1);
    if (at < wordEnd || (at > 0 && ascii::IsAlpha(text[at - 1]))) continue;
    const char first = ascii::Lower(text[at]);
    const char second = at + 1 < text.size() ? ascii::Lower(text[at + 1]) : '\0';
    const bool mayBeLabel = first == 'f' ? !ascii::IsAlpha(second) || second == 'a' || second == 'x'
                                         : second == 'e' || second == '\xc3';
    if (!mayBeLabel) continue;
    wordEnd = ReadWord(text, at, folded);
    const std::string_view word = folded;
    const bool mayBeFax = word.size() <= 2 || word.find("fax") != std::string_view::npos ||
                          word.starts_with("fac") || word.starts_with("telec");
    const WordKind kind = mayBeFax ? Classify(word, text.substr(wordEnd)) : WordKind::Other;
    if (kind == WordKind::Fax) return FaxMention::Label;
    if (kind == WordKind::ShortFax) mention = FaxMention::ShortLabel;
  }
  return mention;
}

bool MayMentionFax(std::string_view body) {
  // The stems every fax label of the five languages holds ("telefax" holds "fax"); the French
  // "t\xe9l\xe9c" in Windows-1252, UTF-8 and as entities.
  static constexpr std::string_view kStems[] = {"fax",
                                                "facs",
                                                "fac-sim",
                                                "telec",
                                                "t\xe9l\xe9"
                                                "c",
                                                "t\xc3\xa9l\xc3\xa9"
                                                "c",
                                                "t&eacute;l&eacute;c"};
  for (std::size_t at = 0; at + 1 < body.size(); ++at) {
    // Setting bit 5 lowers "F" and "T" and turns no other byte into "f" or "t".
    const char c = static_cast<char>(body[at] | 0x20);
    if (c != 'f' && c != 't') continue;
    // Most "f" and "t" of a page start none of the stems: the byte after tells at once.
    const char next = ascii::Lower(body[at + 1]);
    if (c == 't' && next != 'e' && next != '\xe9' && next != '\xc3' && next != '&') continue;
    if (c == 'f' && next != 'a' && next != ':' && next != '.' && next != ' ') continue;
    for (std::string_view stem : kStems) {
      if (at + stem.size() <= body.size() &&
          ascii::EqualsIgnoringCase(body.substr(at, stem.size()), stem))
        return true;
    }
    // "F:", "F." or "F" standing alone before a number.
    if (c == 'f' && at + 2 < body.size() && (at == 0 || !ascii::IsAlnum(body[at - 1])) &&
        (((body[at + 1] == ':' || body[at + 1] == '.') &&
          (body[at + 2] == ' ' || body[at + 2] == '&' || body[at + 2] == '(' ||
           body[at + 2] == '+' || ascii::IsDigit(body[at + 2]))) ||
         (body[at + 1] == ' ' && (ascii::IsDigit(body[at + 2]) || body[at + 2] == '('))))
      return true;
  }
  return false;
}

}  // namespace norvane
