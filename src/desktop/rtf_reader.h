#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QTextDocument;

namespace norvane {

// The rich text the help file uses, read from RTF: paragraphs of runs with bold, italic,
// underline, font size, centring, indents and tab stops. Everything else (font and colour tables,
// pictures, document information, any group marked "\*", unknown control words) is skipped.
struct RtfRun {
  QString text;  // a line break inside a paragraph is U+2028
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int halfPoints = 24;  // font size in half points, as RTF counts it

  bool sameFormat(const RtfRun& other) const {
    return bold == other.bold && italic == other.italic && underline == other.underline &&
           halfPoints == other.halfPoints;
  }
};

struct RtfParagraph {
  QList<RtfRun> runs;
  bool centered = false;
  // In twips, as RTF gives them: "\liN" the left indent of every line, "\fiN" the first
  // line's indent from there (negative for a hanging indent, whose wrapped lines line up at
  // the left indent), "\txN" tab stops measured from the left edge.
  int leftIndent = 0;
  int firstIndent = 0;
  QList<int> tabStops;
  QString text() const;
};

struct RtfDocument {
  QList<RtfParagraph> paragraphs;
  QString plainText() const;  // paragraphs joined by "\n", for tests and searching
};

// Reads RTF bytes. Any input is accepted: unbalanced braces, truncated control words, huge
// numbers and stray bytes are read as far as they make sense; the reader never fails, and its
// time and memory grow linearly with the input. Text bytes are Windows-1252; "\uN" gives a
// Unicode character and skips the "\ucN" replacement characters after it.
RtfDocument ReadRtf(const QByteArray& bytes);

// Replaces the contents of a text document with the read document.
void FillTextDocument(const RtfDocument& rtf, QTextDocument* document);

// Windows-1252 byte to character (the bytes 0x80 to 0x9F that the code page leaves unused
// give themselves).
QChar Cp1252Char(unsigned char byte);

}  // namespace norvane
