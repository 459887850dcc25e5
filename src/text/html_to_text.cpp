#include "text/html_to_text.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "text/entity_decoder.h"

namespace norvane {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// The caller's yield runs once per this many input positions instead of once per character.
constexpr std::size_t kYieldEvery = 4096;
// A row measurement gives up (and calls the row long) after this many positions...
constexpr std::size_t kRowScanLimit = 65536;
// ...and all measurements of a page together examine at most this many times its length (plus
// one measurement's worth), so a page full of unclosed rows cannot cost the square of its length.
constexpr std::size_t kRowBudgetPerByte = 4;

constexpr long kWrapColumn = 75;
constexpr long kShortRowLimit = 65;
// Any count at or above the short-row limit; a cell holding P or BR makes the row long.
constexpr long kCellWithBreak = 66;
// The look-ahead after "&" that decides whether an entity name follows.
constexpr std::size_t kEntityLookAhead = 7;

constexpr char kBullet = '\x95';
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kBlankLine = "\r\n\r\n";

unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// upperName is written in capitals; the text may be in any case.
bool EqualsNoCase(std::string_view text, std::string_view upperName) {
  if (text.size() != upperName.size()) return false;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (UpperAscii(text[k]) != upperName[k]) return false;
  }
  return true;
}

bool StartsNoCase(std::string_view text, std::string_view upperPrefix) {
  return text.size() >= upperPrefix.size() &&
         EqualsNoCase(text.substr(0, upperPrefix.size()), upperPrefix);
}

// A tag named X: the text is X, or X followed by a space and anything.
bool IsTagNamed(std::string_view text, std::string_view upperName) {
  return StartsNoCase(text, upperName) &&
         (text.size() == upperName.size() || text[upperName.size()] == ' ');
}

// Whether RemoveSpaces(text) begins with upperPrefix, without building it.
bool StartsIgnoringSpaces(std::string_view text, std::string_view upperPrefix) {
  std::size_t matched = 0;
  for (char c : text) {
    if (matched == upperPrefix.size()) return true;
    if (c == ' ') continue;
    if (UpperAscii(c) != upperPrefix[matched]) return false;
    ++matched;
  }
  return matched == upperPrefix.size();
}

// Whether RemoveSpaces(text) equals upperName, without building it.
bool EqualsIgnoringSpaces(std::string_view text, std::string_view upperName) {
  std::size_t matched = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (matched == upperName.size() || UpperAscii(c) != upperName[matched]) return false;
    ++matched;
  }
  return matched == upperName.size();
}

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == kNone) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Bytes that body text writes one for one: everything above the space except the characters
// with rules of their own.
constexpr std::array<bool, 256> MakePlainTable() {
  std::array<bool, 256> plain{};
  for (int c = 33; c < 256; ++c) plain[c] = c != '<' && c != '-' && c != '&';
  return plain;
}
constexpr std::array<bool, 256> kPlain = MakePlainTable();

// The first characters of the tags the converter acts on, in either case: "!--", BODY, BR, LI,
// OL, OPTION, P, SCRIPT, TABLE, TD, TH, TITLE, TR, UL.
constexpr std::array<bool, 256> MakeRuledTagFirstTable() {
  std::array<bool, 256> ruled{};
  for (char c : std::string_view("BLOPSTU")) {
    ruled[static_cast<unsigned char>(c)] = true;
    ruled[static_cast<unsigned char>(c - 'A' + 'a')] = true;
  }
  ruled['!'] = true;
  return ruled;
}
constexpr std::array<bool, 256> kRuledTagFirst = MakeRuledTagFirstTable();

class Converter {
 public:
  Converter(std::string_view html, const YieldFn& yield)
      : m_html(html),
        m_last(html.empty() ? 0 : html.size() - 1),
        m_rowBudget(kRowBudgetPerByte * html.size() + kRowScanLimit),
        m_yield(yield) {}

  std::string Run();
  HtmlToTextWork work() const { return m_work; }

 private:
  enum class Step { kGoOn, kFinish };

  Step ReadTag();
  Step LookPastWhiteSpace();
  void ApplyOpeningTag(std::string_view tag);
  void ApplyClosingTag(std::string_view tag);
  void CopyTitle();
  bool MeasureRowIsShort(std::size_t from);
  Step TextCharacter();
  void TextRun();
  void Space();
  Step CommentEnd();
  void Entity();

  void Write(std::string_view text) { m_out.append(text); }
  void ClearBreakFlags() {
    m_lastWasSpace = false;
    m_lineDone = false;
    m_paragraphDone = false;
  }
  void BlankLine() {
    Write(kBlankLine);
    m_column = 0;
  }
  // First position of c in [from, to), or `to` when there is none.
  std::size_t Find(char c, std::size_t from, std::size_t to) const {
    if (from >= to) return to;
    const void* hit = std::memchr(m_html.data() + from, c, to - from);
    return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - m_html.data()) : to;
  }

  const std::string_view m_html;
  // Index of the last character. Reaching it ends a tag, a title, a row measurement or the
  // white-space look-ahead; only the comment-end search and the entity look-ahead see it.
  const std::size_t m_last;
  std::size_t m_rowBudget;
  const YieldFn& m_yield;
  HtmlToTextWork m_work;

  std::string m_out;
  std::size_t m_pos = 0;
  // A run of text stops after this position: the next yield is due there (the last character
  // when nothing yields).
  std::size_t m_runEnd = 0;
  // Wider than 16 bits so that a long word or list cannot overflow them.
  long m_column = 0;
  bool m_inBody = false;
  bool m_inScript = false;
  bool m_inComment = false;
  bool m_textSeen = false;
  bool m_lastWasSpace = false;
  bool m_paragraphDone = false;
  bool m_lineDone = false;
  bool m_shortRow = false;
  bool m_cellStarted = false;
  bool m_inOrderedList = false;
  long m_itemNumber = 0;
  // Set once a comment-end search found its "-->" only at the last character: where that
  // "-->" begins. Later searches would scan the same tail again, so they are answered from it.
  std::size_t m_commentEndDashAtLast = kNone;
};

std::string Converter::Run() {
  if (m_html.empty()) return m_out;
  m_out.reserve(m_html.size());
  const bool yields = static_cast<bool>(m_yield);
  m_runEnd = yields ? kYieldEvery : m_last;
  for (m_pos = 0; m_pos <= m_last; ++m_pos) {
    const char c = m_html[m_pos];
    if (c == '<' && !m_inComment) {
      if (ReadTag() == Step::kFinish) break;
    } else if (m_inBody) {
      if (TextCharacter() == Step::kFinish) break;
    } else {
      // Outside the body text does nothing and comments cannot start: go to the next tag.
      m_pos = Find('<', m_pos + 1, m_html.size()) - 1;
    }
    if (yields && m_pos >= m_runEnd) {
      m_yield();
      m_runEnd = m_pos + kYieldEvery;
    }
  }
  return m_out;
}

Converter::Step Converter::ReadTag() {
  const std::size_t start = m_pos + 1;
  std::size_t end;
  if (m_html.substr(start, 3) == "!--") {
    // The tag ends right after "!--"; the main step then passes over the next character.
    end = start + 3;
    if (end >= m_last) return Step::kFinish;
  } else {
    end = Find('>', start, m_last);
    if (end >= m_last) return Step::kFinish;
    if (Byte(m_html[end + 1]) < 32) m_lastWasSpace = true;
  }
  m_pos = end;
  const std::string_view tag = TrimSpaces(m_html.substr(start, end - start));

  if (LookPastWhiteSpace() == Step::kFinish) return Step::kFinish;
  if (!tag.empty() && tag.front() == '/') {
    ApplyClosingTag(tag);
  } else {
    ApplyOpeningTag(tag);
  }
  return Step::kGoOn;
}

// Decides whether white space after a tag still writes its single space: not when it holds a
// line break or other control character last, nor when another tag follows it.
Converter::Step Converter::LookPastWhiteSpace() {
  std::size_t j = m_pos + 1;
  if (j >= m_last) return Step::kFinish;
  if (Byte(m_html[j]) > 32) return Step::kGoOn;
  const std::size_t from = j;
  char lastWhite = 0;
  Step step = Step::kGoOn;
  for (;;) {
    const char c = m_html[j];
    if (c == '<') {
      m_lastWasSpace = true;
      break;
    }
    if (Byte(c) > 32) {
      if (lastWhite != ' ') m_lastWasSpace = true;
      break;
    }
    lastWhite = c;
    if (++j >= m_last) {
      step = Step::kFinish;
      break;
    }
  }
  m_work.lookAheadPositions += j - from + 1;
  return step;
}

void Converter::ApplyOpeningTag(std::string_view tag) {
  // Most tags have no rule here (A, DIV, IMG, META...); their first letter tells at once.
  if (tag.empty() || !kRuledTagFirst[Byte(tag.front())]) return;
  if (StartsNoCase(tag, "TITLE")) {
    CopyTitle();
  } else if (StartsNoCase(tag, "BODY")) {
    if (!m_inScript) m_inBody = true;
  } else if (IsTagNamed(tag, "P")) {
    if (!m_inScript && m_textSeen && !m_paragraphDone && !m_inComment) {
      BlankLine();
      m_paragraphDone = true;
    }
  } else if (IsTagNamed(tag, "TR")) {
    if (!m_inScript) {
      m_shortRow = MeasureRowIsShort(m_pos + 1);
      Write(kLineBreak);
      m_column = 0;
      m_lineDone = true;
      m_cellStarted = false;
    }
  } else if (IsTagNamed(tag, "TD") || IsTagNamed(tag, "TH")) {
    if (m_shortRow) {
      if (m_cellStarted) Write("   ");
      m_cellStarted = true;
    } else {
      Write(kLineBreak);
      m_lineDone = true;
    }
  } else if (EqualsNoCase(tag, "BR") || StartsNoCase(tag, "TABLE")) {
    if (m_textSeen && !m_lineDone) {
      Write(kLineBreak);
      m_column = 0;
      m_lineDone = true;
    }
  } else if (IsTagNamed(tag, "OPTION")) {
    Write("\r\n\t");
    m_column = 0;
  } else if (IsTagNamed(tag, "SCRIPT")) {
    m_inScript = true;
  } else if (StartsNoCase(tag, "!--")) {
    if (m_inBody) m_inComment = true;
  } else if (IsTagNamed(tag, "OL")) {
    m_inOrderedList = true;
    BlankLine();
  } else if (IsTagNamed(tag, "UL")) {
    BlankLine();
  } else if (IsTagNamed(tag, "LI")) {
    Write(kLineBreak);
    m_column = 0;
    if (m_inOrderedList) {
      ++m_itemNumber;
      Write(std::to_string(m_itemNumber));
      Write(". ");
    } else {
      m_out += kBullet;
      m_out += ' ';
    }
    m_column += 2;
  }
}

void Converter::ApplyClosingTag(std::string_view tag) {
  const std::size_t named = tag.find_first_not_of(' ', 1);
  if (named == kNone || !kRuledTagFirst[Byte(tag[named])]) return;
  if (StartsIgnoringSpaces(tag, "/SCRIPT")) m_inScript = false;
  if (!m_textSeen) return;
  if (StartsIgnoringSpaces(tag, "/OL")) {
    m_inOrderedList = false;
    if (!m_paragraphDone) {
      BlankLine();
      m_paragraphDone = true;
    }
    m_itemNumber = 0;
  } else if (StartsIgnoringSpaces(tag, "/UL")) {
    if (!m_paragraphDone) {
      BlankLine();
      m_paragraphDone = true;
    }
  }
}

// Copies the title as it stands, up to the next "<", which is then read as a tag.
void Converter::CopyTitle() {
  const std::size_t from = m_pos + 1;
  const std::size_t to = Find('<', from, m_last);
  Write(m_html.substr(from, to - from));
  if (!m_inComment && !m_inScript) Write(kBlankLine);
  m_column = 0;
  m_paragraphDone = true;
  m_pos = to - 1;
}

// Whether the row starting at `from` is short: its cells hold fewer than 65 characters and no
// P or BR. Reaching the end of the page, or the row's share of the scan budget, makes it long.
bool Converter::MeasureRowIsShort(std::size_t from) {
  const std::size_t stop = std::min(m_last, from + std::min(kRowScanLimit, m_rowBudget));
  std::size_t j = from;
  long count = 0;
  std::string_view lookTag;
  bool isShort = false;
  for (;;) {
    if (j >= stop) break;
    if (m_html[j] == '<') {
      const std::size_t tagStart = ++j;
      j = Find('>', j, stop);
      if (j >= stop) break;
      lookTag = m_html.substr(tagStart, j - tagStart);
    }
    if (EqualsNoCase(lookTag, "/TR") || EqualsNoCase(lookTag, "/TABLE")) {
      isShort = count < kShortRowLimit;
      break;
    }
    if (IsTagNamed(lookTag, "TABLE")) break;
    if (IsTagNamed(lookTag, "TD") || IsTagNamed(lookTag, "TH")) {
      // The cell: every character counts, tags do not, until "/TD", P or BR. The look-ahead
      // tag stays a cell tag when the cell ends at P or BR, so text after it counts again.
      for (;;) {
        const std::size_t textStart = j + 1;
        j = Find('<', textStart, stop);
        count += static_cast<long>(j - textStart);
        if (j >= stop) break;
        const std::size_t tagStart = ++j;
        j = Find('>', j, stop);
        if (j >= stop) break;
        const std::string_view cellTag = m_html.substr(tagStart, j - tagStart);
        if (EqualsIgnoringSpaces(cellTag, "/TD")) {
          lookTag = {};
          break;
        }
        if (IsTagNamed(cellTag, "P") || IsTagNamed(cellTag, "BR")) {
          count = kCellWithBreak;
          break;
        }
      }
      if (j >= stop) break;
    }
    if (j >= stop) break;
    ++j;
  }
  // Positions from..stop-1 when the scan gave up, from..j when it decided at j.
  const std::size_t examined = (j < stop ? j + 1 : stop) - from;
  m_rowBudget -= std::min(m_rowBudget, examined);
  m_work.rowMeasurePositions += examined;
  m_work.lookAheadPositions += examined;
  return isShort;
}

Converter::Step Converter::TextCharacter() {
  const char c = m_html[m_pos];
  if (kPlain[Byte(c)] || Byte(c) <= 32) {
    TextRun();
    return Step::kGoOn;
  }
  switch (c) {
    case '<':  // only inside a comment
      return Step::kGoOn;
    case '-':
      if (!m_textSeen) return Step::kGoOn;
      if (m_inComment) return CommentEnd();
      m_out += '-';
      ClearBreakFlags();
      ++m_column;
      return Step::kGoOn;
    case '&':
      Entity();
      return Step::kGoOn;
    default:  // every other character is a text run's
      return Step::kGoOn;
  }
}

// Words and the white space between them, up to the next character with a rule of its own (or
// the next yield), acting as each character would one by one: white space writes one space for
// a run, control characters count as text. What is written as it stands in the page (words and
// the single spaces between them) is appended a line at a time, not a word at a time.
void Converter::TextRun() {
  const bool writes = !m_inComment && !m_inScript;
  std::size_t pos = m_pos;
  std::size_t copyFrom = pos;  // the page's bytes from here to pos are yet to be written
  const auto copy = [&] {
    if (writes && pos > copyFrom) Write(m_html.substr(copyFrom, pos - copyFrom));
  };
  for (;;) {
    const unsigned char c = Byte(m_html[pos]);
    if (kPlain[c]) {
      std::size_t end = pos + 1;
      while (end <= m_last && kPlain[Byte(m_html[end])]) ++end;
      m_textSeen = true;
      if (writes) {
        ClearBreakFlags();
        m_column += static_cast<long>(end - pos);
      }
      pos = end;
    } else if (c == ' ' && !m_lastWasSpace) {
      // Space() for a space that writes itself.
      m_lastWasSpace = true;
      ++pos;
      if (++m_column >= kWrapColumn) {
        copy();
        copyFrom = pos;
        Write(kLineBreak);
        m_column = 0;
      }
    } else if (c <= 32) {
      copy();
      if (c != ' ') m_textSeen = true;
      if (c != 31) Space();
      copyFrom = ++pos;
    } else {
      break;
    }
    if (pos > m_last || pos > m_runEnd) break;
  }
  copy();
  m_pos = pos - 1;
}

// White space writes one space for a run, and wraps the line once it reaches the wrap column.
void Converter::Space() {
  if (m_lastWasSpace) return;
  if (!m_inComment && !m_inScript) m_out += ' ';
  m_lastWasSpace = true;
  if (++m_column >= kWrapColumn) {
    Write(kLineBreak);
    m_column = 0;
  }
}

// At a "-" inside a comment: the comment ends at the first ">" whose text from here, without
// spaces, ends in "-->".
Converter::Step Converter::CommentEnd() {
  if (m_commentEndDashAtLast != kNone) {
    // Every ">" before the last character already failed for an earlier start; the last one
    // still succeeds while its "-->" lies wholly after this start.
    if (m_pos > m_commentEndDashAtLast) return Step::kFinish;
    m_inComment = false;
    return Step::kGoOn;
  }
  // The last three characters other than spaces, newest first, and where the oldest one is.
  char newest = 0, middle = 0, oldest = 0;
  std::size_t middleAt = kNone, oldestAt = kNone, newestAt = kNone;
  for (std::size_t k = m_pos;; ++k) {
    const char c = m_html[k];
    if (c != ' ') {
      oldest = middle;
      oldestAt = middleAt;
      middle = newest;
      middleAt = newestAt;
      newest = c;
      newestAt = k;
      if (c == '>' && middle == '-' && oldest == '-') {
        m_work.lookAheadPositions += k - m_pos + 1;
        m_inComment = false;
        if (k < m_last) {
          m_pos = k;
        } else {
          m_commentEndDashAtLast = oldestAt;
        }
        return Step::kGoOn;
      }
    }
    if (k >= m_last) {
      m_work.lookAheadPositions += k - m_pos + 1;
      return Step::kFinish;
    }
  }
}

void Converter::Entity() {
  const std::size_t from = m_pos + 1;
  const std::size_t to = std::min(from + kEntityLookAhead, m_html.size());
  const std::string_view window = m_html.substr(from, to - from);
  m_work.lookAheadPositions += window.size();
  const std::size_t semicolon = window.find(';');
  if (semicolon != kNone && window.find('&') == kNone) {
    m_pos = from + semicolon;
    if (m_inComment || m_inScript) return;
    const std::string decoded = DecodeEntity(window.substr(0, semicolon));
    Write(decoded);
    ClearBreakFlags();
    m_column += static_cast<long>(decoded.size());
    return;
  }
  if (m_inComment || m_inScript) return;
  m_out += '&';
  ClearBreakFlags();
  ++m_column;
}

// Overwrites the file and then cuts it to the new length rather than truncating it to zero
// first: on ext4 a file truncated to zero and rewritten is flushed to disk when it is closed
// (the "replace by truncate" safeguard), a disk write for every page the crawl converts.
void ReplaceFileBytes(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += std::size_t(n);
  }
  // After a failed write the file holds what was written, nothing of the old content. A failed
  // cut is let pass as a failed write is (glibc's fortified headers warn on a plain (void) cast).
  [[maybe_unused]] const int cut = ::ftruncate(fd, off_t(done));
  ::close(fd);
}

}  // namespace

std::string HtmlToText(std::string_view html, const std::string& filePath, const YieldFn& yield) {
  return HtmlToText(html, filePath, yield, nullptr);
}

std::string HtmlToText(std::string_view html, const std::string& filePath, const YieldFn& yield,
                       HtmlToTextWork* work) {
  Converter converter(html, yield);
  std::string text = converter.Run();
  if (work) {
    const HtmlToTextWork done = converter.work();
    work->lookAheadPositions += done.lookAheadPositions;
    work->rowMeasurePositions += done.rowMeasurePositions;
  }
  if (!filePath.empty()) {
    ReplaceFileBytes(filePath, text + std::string(kLineBreak));
  }
  return text;
}

std::string RemoveSpaces(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != ' ') result += c;
  }
  return result;
}

}  // namespace norvane
