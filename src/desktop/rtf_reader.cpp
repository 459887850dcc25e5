#include "desktop/rtf_reader.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <array>
#include <vector>

namespace norvane {
namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Destinations whose text is not part of the document.
constexpr std::array<const char*, 30> kSkippedDestinations = {
    "fonttbl",  "colortbl",  "stylesheet", "info",      "pict",         "object",
    "header",   "headerl",   "headerr",    "headerf",   "footer",       "footerl",
    "footerr",  "footerf",   "fldinst",    "themedata", "listtable",    "listoverridetable",
    "rsidtbl",  "generator", "filetbl",    "revtbl",    "latentstyles", "datastore",
    "xmlnstbl", "footnote",  "bkmkstart",  "bkmkend",   "nonshppict",   "shp"};

// The formatting and reading state of one group; "{" copies it, "}" returns to the outer one.
struct GroupState {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int halfPoints = 24;
  bool centered = false;
  int leftIndent = 0;  // twips
  int firstIndent = 0;
  QList<int> tabStops;
  bool skip = false;  // inside a skipped destination
  int unicodeSkip = 1;
};

// Indents and tab stops beyond a page's width are clamped; a paragraph keeps a bounded number
// of tab stops.
constexpr long long kMaxTwips = 31680;  // 22 inches
constexpr qsizetype kMaxTabStops = 64;
int Twips(long long value) {
  return static_cast<int>(std::clamp(value, -kMaxTwips, kMaxTwips));
}

// Groups nested deeper than this are read with the state of the deepest kept group, so
// memory stays bounded for any input.
constexpr size_t kMaxDepth = 256;

class Reader {
 public:
  explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {
    m_doc.paragraphs.append(RtfParagraph{});
  }

  RtfDocument read() {
    const qsizetype n = m_bytes.size();
    while (m_at < n) {
      const char c = m_bytes[m_at++];
      if (c == '{') {
        openGroup();
      } else if (c == '}') {
        closeGroup();
      } else if (c == '\\') {
        control();
      } else if (c == '\r' || c == '\n' || c == '\0') {
        // Line breaks in RTF source are not text.
      } else {
        character(Cp1252Char(static_cast<unsigned char>(c)));
      }
    }
    if (m_doc.paragraphs.size() > 1 && m_doc.paragraphs.last().runs.isEmpty()) {
      m_doc.paragraphs.removeLast();
    }
    return std::move(m_doc);
  }

 private:
  GroupState& state() { return m_stack.back(); }

  void openGroup() {
    m_pendingSkip = 0;
    if (m_stack.size() < kMaxDepth) {
      m_stack.push_back(m_stack.back());
    } else {
      ++m_overflow;
    }
  }

  void closeGroup() {
    m_pendingSkip = 0;
    if (m_overflow > 0) {
      --m_overflow;
    } else if (m_stack.size() > 1) {
      m_stack.pop_back();
    }
  }

  void control() {
    if (m_at >= m_bytes.size()) return;
    const char c = m_bytes[m_at];
    if (IsLetter(c)) {
      controlWord();
      return;
    }
    ++m_at;
    switch (c) {
      case '\\':
      case '{':
      case '}':
        character(QLatin1Char(c));
        break;
      case '~':
        character(QChar(0x00A0));
        break;
      case '_':
        character(QLatin1Char('-'));
        break;
      case '*':
        state().skip = true;
        break;
      case '\'':
        hexByte();
        break;
      case '\r':
      case '\n':
        paragraph();
        break;
      default:
        break;  // "\-" and unknown symbols
    }
  }

  void hexByte() {
    int value = 0;
    for (int i = 0; i < 2; ++i) {
      if (m_at >= m_bytes.size()) return;
      const int digit = HexValue(m_bytes[m_at]);
      if (digit < 0) return;
      value = value * 16 + digit;
      ++m_at;
    }
    character(Cp1252Char(static_cast<unsigned char>(value)));
  }

  void controlWord() {
    const qsizetype start = m_at;
    while (m_at < m_bytes.size() && IsLetter(m_bytes[m_at]) && m_at - start < 32) ++m_at;
    const QByteArray word = m_bytes.mid(start, m_at - start);
    // Skip the rest of an over-long word so it is not read as text.
    while (m_at < m_bytes.size() && IsLetter(m_bytes[m_at])) ++m_at;

    bool hasParam = false;
    bool negative = false;
    long long param = 0;
    if (m_at < m_bytes.size() && m_bytes[m_at] == '-' && m_at + 1 < m_bytes.size() &&
        IsDigit(m_bytes[m_at + 1])) {
      negative = true;
      ++m_at;
    }
    while (m_at < m_bytes.size() && IsDigit(m_bytes[m_at])) {
      hasParam = true;
      if (param < 1'000'000'000) param = param * 10 + (m_bytes[m_at] - '0');
      ++m_at;
    }
    if (negative) param = -param;
    if (m_at < m_bytes.size() && m_bytes[m_at] == ' ') ++m_at;
    apply(word, hasParam, param);
  }

  void apply(const QByteArray& word, bool hasParam, long long param) {
    GroupState& s = state();
    const bool on = !hasParam || param != 0;
    if (word == "par") {
      paragraph();
    } else if (word == "line") {
      character(QChar(0x2028));
    } else if (word == "tab") {
      character(QLatin1Char('\t'));
    } else if (word == "b") {
      s.bold = on;
    } else if (word == "i") {
      s.italic = on;
    } else if (word == "ul") {
      s.underline = on;
    } else if (word == "ulnone") {
      s.underline = false;
    } else if (word == "fs") {
      if (hasParam && param > 0) s.halfPoints = static_cast<int>(std::min<long long>(param, 400));
    } else if (word == "plain") {
      s.bold = s.italic = s.underline = false;
      s.halfPoints = 24;
    } else if (word == "pard") {
      s.centered = false;
      s.leftIndent = s.firstIndent = 0;
      s.tabStops.clear();
    } else if (word == "li") {
      if (hasParam) s.leftIndent = Twips(param);
    } else if (word == "fi") {
      if (hasParam) s.firstIndent = Twips(param);
    } else if (word == "tx") {
      if (hasParam && s.tabStops.size() < kMaxTabStops) s.tabStops.append(Twips(param));
    } else if (word == "qc") {
      s.centered = true;
    } else if (word == "ql" || word == "qr" || word == "qj") {
      s.centered = false;
    } else if (word == "uc") {
      if (hasParam) s.unicodeSkip = static_cast<int>(std::clamp<long long>(param, 0, 16));
    } else if (word == "u") {
      if (!hasParam) return;
      long long code = param < 0 ? param + 65536 : param;
      if (code <= 0 || code > 0xFFFF) code = 0xFFFD;
      character(QChar(static_cast<char16_t>(code)), /*fromUnicode=*/true);
      m_pendingSkip = s.unicodeSkip;
    } else if (word == "bin") {
      // Binary data: never text, skipped by its length.
      if (hasParam && param > 0) m_at = std::min<qsizetype>(m_bytes.size(), m_at + param);
    } else if (word == "emdash") {
      character(QChar(0x2014));
    } else if (word == "endash") {
      character(QChar(0x2013));
    } else if (word == "bullet") {
      character(QChar(0x2022));
    } else if (word == "lquote") {
      character(QChar(0x2018));
    } else if (word == "rquote") {
      character(QChar(0x2019));
    } else if (word == "ldblquote") {
      character(QChar(0x201C));
    } else if (word == "rdblquote") {
      character(QChar(0x201D));
    } else if (IsSkippedDestination(word)) {
      s.skip = true;
    }
  }

  void paragraph() {
    if (state().skip) return;
    m_pendingSkip = 0;
    RtfParagraph next;
    m_doc.paragraphs.append(next);
  }

  void character(QChar ch, bool fromUnicode = false) {
    if (!fromUnicode && m_pendingSkip > 0) {
      --m_pendingSkip;
      return;
    }
    const GroupState& s = state();
    if (s.skip) return;
    RtfParagraph& p = m_doc.paragraphs.last();
    if (p.runs.isEmpty()) {
      p.centered = s.centered;
      p.leftIndent = s.leftIndent;
      p.firstIndent = s.firstIndent;
      p.tabStops = s.tabStops;
    }
    RtfRun run;
    run.bold = s.bold;
    run.italic = s.italic;
    run.underline = s.underline;
    run.halfPoints = s.halfPoints;
    if (p.runs.isEmpty() || !p.runs.last().sameFormat(run)) p.runs.append(run);
    p.runs.last().text.append(ch);
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  static int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  static bool IsSkippedDestination(const QByteArray& word) {
    return std::any_of(kSkippedDestinations.begin(), kSkippedDestinations.end(),
                       [&](const char* name) { return word == name; });
  }

  const QByteArray& m_bytes;
  qsizetype m_at = 0;
  std::vector<GroupState> m_stack{GroupState{}};
  size_t m_overflow = 0;
  int m_pendingSkip = 0;
  RtfDocument m_doc;
};

}  // namespace

QChar Cp1252Char(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return QChar(kCp1252High[byte - 0x80]);
  return QChar(static_cast<char16_t>(byte));
}

QString RtfParagraph::text() const {
  QString out;
  for (const RtfRun& run : runs) out += run.text;
  return out;
}

QString RtfDocument::plainText() const {
  QStringList lines;
  for (const RtfParagraph& p : paragraphs) lines << p.text();
  return lines.join(QLatin1Char('\n'));
}

RtfDocument ReadRtf(const QByteArray& bytes) {
  return Reader(bytes).read();
}

void FillTextDocument(const RtfDocument& rtf, QTextDocument* document) {
  document->clear();
  QTextCursor cursor(document);
  bool first = true;
  for (const RtfParagraph& p : rtf.paragraphs) {
    QTextBlockFormat block;
    block.setAlignment(p.centered ? Qt::AlignHCenter : Qt::AlignLeft);
    // Twips to the document's pixels at 96 dots per inch. A first line may start left of the
    // other lines, not left of the page.
    block.setLeftMargin(std::max(0, p.leftIndent) / 15.0);
    block.setTextIndent(std::max(p.firstIndent, -std::max(0, p.leftIndent)) / 15.0);
    QList<QTextOption::Tab> tabs;
    for (int stop : p.tabStops) {
      if (stop > 0) tabs.append(QTextOption::Tab(stop / 15.0, QTextOption::LeftTab));
    }
    block.setTabPositions(tabs);
    if (first) {
      cursor.setBlockFormat(block);
      first = false;
    } else {
      cursor.insertBlock(block);
    }
    for (const RtfRun& run : p.runs) {
      QTextCharFormat format;
      format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
      format.setFontItalic(run.italic);
      format.setFontUnderline(run.underline);
      format.setFontPointSize(run.halfPoints / 2.0);
      cursor.insertText(run.text, format);
    }
  }
}

}  // namespace norvane
