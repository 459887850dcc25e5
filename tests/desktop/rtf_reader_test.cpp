// The RTF reader on the help file's features, on malformed input, and on the real help file.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <vector>

#include "desktop/rtf_reader.h"

namespace norvane {
namespace {

TEST(RtfReaderTest, ReadsTextAndEscapes) {
  struct Case {
    const char* rtf;
    const char16_t* text;
  };
  const Case cases[] = {
      {R"({\rtf1 Hello world})", u"Hello world"},
      {R"({\rtf1 one\par two\par})", u"one\ntwo"},
      {R"({\rtf1 a\par\par b})", u"a\n\nb"},
      {R"({\rtf1 a\line b\tab c})", u"a\u2028b\tc"},
      {R"({\rtf1 \{braces\} and \\ backslash})", u"{braces} and \\ backslash"},
      {R"({\rtf1 caf\'e9 \'80 \'93q\'94})", u"café € “q”"},
      {R"({\rtf1 \u8594? arrow})", u"→ arrow"},
      {R"({\rtf1\uc2 \u8364xx euro})", u"€ euro"},
      {R"({\rtf1\uc0 \u-3913 x})", u"\uF0B7x"},
      {R"({\rtf1 \u233\'3f!})", u"é!"},
      {R"({\rtf1 a\~b\_c\-d})", u"a\u00A0b-cd"},
      {R"({\rtf1 \ldblquote x\rdblquote \emdash\bullet})", u"“x”—•"},
      {"{\\rtf1 line\r\nbreaks\nin source}", u"linebreaksin source"},
      {R"({\rtf1{\fonttbl{\f0 Verdana;}}{\colortbl;\red0;}{\info{\title T}}Body})", u"Body"},
      {R"({\rtf1{\*\generator Writer;}{\*\unknown{nested text}}Shown})", u"Shown"},
      {R"({\rtf1 \unknownword12 kept \bin3 xyzafter})", u"kept after"},
      {R"({\rtf1 {\pict\pngblip 89504e47}pic})", u"pic"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadRtf(QByteArray(c.rtf)).plainText(), QString::fromUtf16(c.text)) << c.rtf;
  }
}

TEST(RtfReaderTest, KeepsFormattingPerRun) {
  const RtfDocument doc = ReadRtf(
      R"({\rtf1\pard\qc\fs36\b Title\b0\par\pard\fs20 plain {\i italic} \ul under\ulnone  {\b\fs28 big}\plain  reset\par})");
  ASSERT_EQ(doc.paragraphs.size(), 2);
  const RtfParagraph& title = doc.paragraphs[0];
  EXPECT_TRUE(title.centered);
  ASSERT_EQ(title.runs.size(), 1);
  EXPECT_TRUE(title.runs[0].bold);
  EXPECT_EQ(title.runs[0].halfPoints, 36);

  struct Run {
    const char* text;
    bool bold, italic, underline;
    int halfPoints;
  };
  const Run expected[] = {{"plain ", false, false, false, 20}, {"italic", false, true, false, 20},
                          {" ", false, false, false, 20},      {"under", false, false, true, 20},
                          {" ", false, false, false, 20},      {"big", true, false, false, 28},
                          {" reset", false, false, false, 24}};
  const RtfParagraph& body = doc.paragraphs[1];
  EXPECT_FALSE(body.centered);
  ASSERT_EQ(body.runs.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const RtfRun& run = body.runs[static_cast<int>(i)];
    EXPECT_EQ(run.text, QLatin1String(expected[i].text)) << i;
    EXPECT_EQ(run.bold, expected[i].bold) << i;
    EXPECT_EQ(run.italic, expected[i].italic) << i;
    EXPECT_EQ(run.underline, expected[i].underline) << i;
    EXPECT_EQ(run.halfPoints, expected[i].halfPoints) << i;
  }
}

TEST(RtfReaderTest, MalformedInputNeverFailsAndStaysLinear) {
  const QByteArray cases[] = {
      "",
      "no rtf at all",
      "{",
      "}}}}text{{{",
      "\\",
      "{\\rtf1 trailing\\",
      "{\\rtf1 \\'",
      "{\\rtf1 \\'4",
      "{\\rtf1 \\'zz ok}",
      "{\\rtf1 \\u}",
      "{\\rtf1 \\u99999999999999999999 x}",
      "{\\rtf1 \\u-99999999999999999 x}",
      "{\\rtf1 \\fs-5 \\fs999999999999 x}",
      "{\\rtf1 \\uc99999999 \\u65 abc}",
      "{\\rtf1 \\bin99999999999}",
      "{\\rtf1 \\bin-5 x}",
      "{\\rtf1 \\" + QByteArray(100000, 'a') + " x}",
      "{\\rtf1 \\fs" + QByteArray(100000, '9') + " x}",
      QByteArray(200000, '{') + "deep" + QByteArray(200000, '}'),
      QByteArray(200000, '}') + "shallow",
      QByteArray("\0\xff\x80{\\*}", 8),
  };
  for (const QByteArray& input : cases) {
    QElapsedTimer timer;
    timer.start();
    const RtfDocument doc = ReadRtf(input);
    EXPECT_LT(timer.elapsed(), 2000) << input.left(40).toStdString();
    QTextDocument text;
    FillTextDocument(doc, &text);
  }
  EXPECT_EQ(ReadRtf("{\\rtf1 \\'zz ok}").plainText(), QStringLiteral("zz ok"));
  EXPECT_EQ(ReadRtf(QByteArray(200000, '{') + "deep").plainText(), QStringLiteral("deep"));
  EXPECT_EQ(ReadRtf(QByteArray(2000, '}') + "shallow").plainText(), QStringLiteral("shallow"));

  // Random bytes drawn from the characters RTF gives meaning to.
  const char alphabet[] = "{}\\'*uclbinpartfs0123456789- ab\r\n";
  QRandomGenerator random(20261208);
  for (int round = 0; round < 300; ++round) {
    QByteArray input;
    const int length = random.bounded(1, 400);
    for (int i = 0; i < length; ++i) input += alphabet[random.bounded(int(sizeof alphabet) - 1)];
    QTextDocument text;
    FillTextDocument(ReadRtf(input), &text);
  }
}

TEST(RtfReaderTest, HelpFileReadsAsFormattedText) {
  QFile file(QStringLiteral(NORVANE_HELP_RTF));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const RtfDocument doc = ReadRtf(file.readAll());
  const QString text = doc.plainText();
  for (const char* topic : {"Start", "Stop", "Resume", "Next", "Export Fax Numbers",
                            "Show at Startup", "spider.mdb", "Auto Search Advance"}) {
    EXPECT_TRUE(text.contains(QLatin1String(topic))) << topic;
  }
  // Nothing of the tables or control words leaks into the text.
  for (const char* leak : {"Verdana", "\\", "{", "red0", "Norvane Help"}) {
    EXPECT_FALSE(text.contains(QLatin1String(leak))) << leak;
  }
  ASSERT_FALSE(doc.paragraphs.isEmpty());
  EXPECT_TRUE(doc.paragraphs[0].centered);
  EXPECT_TRUE(doc.paragraphs[0].runs[0].bold);
  // The definitions hang: their wrapped lines start where their text does.
  int hanging = 0;
  for (const RtfParagraph& p : doc.paragraphs) {
    if (p.text().startsWith(QLatin1String("Start\t")) ||
        p.text().startsWith(QLatin1String("Export Fax Numbers\t")) ||
        p.text().startsWith(QLatin1String("Polite Crawl\t"))) {
      EXPECT_GT(p.leftIndent, 0) << p.text().toStdString();
      EXPECT_EQ(p.firstIndent, -p.leftIndent) << p.text().toStdString();
      EXPECT_EQ(p.tabStops, QList<int>{p.leftIndent}) << p.text().toStdString();
      ++hanging;
    }
  }
  EXPECT_EQ(hanging, 3);
  EXPECT_FALSE(text.contains(QLatin1String("cannot be deleted while a harvest runs")));
  for (const char* item : {"Secure Sites and Redirects", "Skip Pages Already Read", "Polite Crawl",
                           "https://host/path", "Retry-After", "Fax Table", "CSV"}) {
    EXPECT_TRUE(text.contains(QLatin1String(item))) << item;
  }
}

TEST(RtfReaderTest, KeepsIndentsAndTabStopsPerParagraph) {
  struct Case {
    const char* rtf;
    int paragraph;
    int left;
    int first;
    QList<int> tabs;
  };
  const Case cases[] = {
      {R"({\rtf1 plain})", 0, 0, 0, {}},
      {R"({\rtf1\li1500\fi-1500\tx1500 Start\tab text})", 0, 1500, -1500, {1500}},
      {R"({\rtf1\li720 a\par b})", 1, 720, 0, {}},  // paragraph properties carry on
      {R"({\rtf1\li720\tx100\tx200 a\par\pard b})", 1, 0, 0, {}},
      {R"({\rtf1\li720 a\par\pard\tx300 b})", 1, 0, 0, {300}},
      {R"({\rtf1{\li900 in group}\par after})", 1, 0, 0, {}},
      {R"({\rtf1\li99999999\fi-99999999 huge})", 0, 31680, -31680, {}},
      {R"({\rtf1\li\fi x})", 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    const RtfDocument doc = ReadRtf(QByteArray(c.rtf));
    ASSERT_GT(doc.paragraphs.size(), c.paragraph) << c.rtf;
    const RtfParagraph& p = doc.paragraphs[c.paragraph];
    EXPECT_EQ(p.leftIndent, c.left) << c.rtf;
    EXPECT_EQ(p.firstIndent, c.first) << c.rtf;
    // As vectors: Qt compares two empty lists of ints with memcmp on null data, which the
    // undefined-behaviour sanitizer rightly refuses.
    EXPECT_EQ(std::vector<int>(p.tabStops.cbegin(), p.tabStops.cend()),
              std::vector<int>(c.tabs.cbegin(), c.tabs.cend()))
        << c.rtf;
  }
}

// A hanging indent as the help window lays it out: the term at the left edge, its text after
// the tab and every wrapped line at the same indent.
TEST(RtfReaderTest, WrappedLinesKeepTheirHangingIndent) {
  const QByteArray rtf =
      R"({\rtf1\pard\li1500\fi-1500\tx1500{\b Start}\tab Choose a search type and how many )"
      R"(results you want, then click Start; the websites found are queued and crawled.\par})";
  QTextDocument document;
  FillTextDocument(ReadRtf(rtf), &document);
  document.setTextWidth(300);
  document.documentLayout();  // lays the document out
  const QTextBlock block = document.begin();
  QTextLayout* layout = block.layout();
  ASSERT_GE(layout->lineCount(), 3);
  const qreal indent = 1500 / 15.0;
  const QTextLine first = layout->lineAt(0);
  EXPECT_NEAR(first.x(), 0, 1);
  const int afterTab = block.text().indexOf(QLatin1Char('\t')) + 1;
  EXPECT_NEAR(first.cursorToX(afterTab), indent, 1);
  for (int i = 1; i < layout->lineCount(); ++i) EXPECT_NEAR(layout->lineAt(i).x(), indent, 1) << i;
}

}  // namespace
}  // namespace norvane
