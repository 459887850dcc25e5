// Runs the built norvane-tool as a process on files in a temporary folder.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSslSocket>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "areacodes/area_code_directory.h"
#include "common/text_file.h"
#include "common/version_info.h"
#include "search/result_pages.h"
#include "store/spider_database.h"
#include "support/temp_app_folder.h"
#include "support/test_certificates.h"
#include "support/test_http_server.h"
#include "support/wait_for.h"
#include "text/html_to_text.h"

namespace norvane {
namespace {

using namespace std::string_literals;

struct ToolRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

ToolRun RunTool(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(NORVANE_TOOL_PATH), arguments);
  ToolRun run;
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
    ADD_FAILURE() << "norvane-tool did not finish normally";
    return run;
  }
  run.exitCode = process.exitCode();
  run.out = process.readAllStandardOutput().toStdString();
  run.err = process.readAllStandardError().toStdString();
  return run;
}

class ToolTest : public ::testing::Test {
 protected:
  QString WriteFile(const QString& name, const std::string& bytes) {
    const QString path = m_dir.filePath(name);
    EXPECT_TRUE(WriteFileBytes(path.toStdString(), bytes));
    return path;
  }
  QTemporaryDir m_dir;
};

std::string RegionOf(std::string number) {
  return LookupAreaCode(number);
}

TEST_F(ToolTest, Html2TextWritesWhatTheConverterWritesToItsFile) {
  const std::vector<std::string> pages = {
      "<html><head><title>Acme</title></head><body><p>Tel 555-0100<br>Fax 555-0101</p>"
      "<table><tr><td>A</td><td>B</td></tr></table></body></html>",
      "<body>bytes \0 \xA0\xE9\x96 &nbsp;&eacute;&#8217; end\r\nnext\rline\n</body>"s,
      "",
      "no tags at all\r\n",
  };
  for (std::size_t i = 0; i < pages.size(); ++i) {
    const QString path = WriteFile(QString("page%1.html").arg(i), pages[i]);
    const std::string written = m_dir.filePath(QString("page%1.txt").arg(i)).toStdString();
    HtmlToText(pages[i], written);
    std::string expected;
    ASSERT_TRUE(ReadFileBytes(written, expected));
    ToolRun run = RunTool({"html2text", path});
    EXPECT_EQ(run.exitCode, 0) << i << run.err;
    EXPECT_EQ(run.out, expected) << i;
    EXPECT_EQ(run.err, "") << i;
  }
}

TEST_F(ToolTest, Html2TextMatchesConverterOnCorpusPages) {
  const QString corpus = testing::CorpusDir();
  const QStringList pages =
      corpus.isEmpty() ? QStringList()
                       : QDir(corpus + "/pages").entryList({"*.html"}, QDir::Files, QDir::Name);
  if (pages.isEmpty()) GTEST_SKIP() << "no corpus pages";
  for (int i = 0; i < pages.size() && i < 5; ++i) {
    const QString path = corpus + "/pages/" + pages[i];
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path.toStdString(), bytes));
    ToolRun run = RunTool({"html2text", path});
    EXPECT_EQ(run.exitCode, 0) << pages[i].toStdString();
    EXPECT_TRUE(run.out == HtmlToText(bytes, std::string()) + "\r\n") << pages[i].toStdString();
  }
}

TEST_F(ToolTest, FaxesListsNumbersWithRegions) {
  const QString path = WriteFile(
      "page.html",
      "<html><body>\r\n<p>Phone 212-555-0100</p>\r\n<p>Fax: (201) 555-0123</p>\r\n"
      "<p>International fax +44 20 7946 0958</p>\r\n<p>FAX 201.555.0123</p></body></html>\r\n");
  const std::string us = "1-201-555-0123\t" + RegionOf("201-555-0123") + "\n";
  const std::string international = "+44-20-7946-0958\tUnknown/International\n";
  ASSERT_EQ(RegionOf("201-555-0123").substr(0, 4), "NJ  ");

  ToolRun all = RunTool({"faxes", path});
  EXPECT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(all.out, us + international);

  ToolRun usOnly = RunTool({"faxes", path, "--no-international"});
  EXPECT_EQ(usOnly.exitCode, 0) << usOnly.err;
  EXPECT_EQ(usOnly.out, us);
  EXPECT_EQ(RunTool({"faxes", "--no-international", path}).out, us);
}

TEST_F(ToolTest, ThoroughFaxesReadNumbersInTheCountryOfThePage) {
  // A British page: its own address names the country of the national form, unless --page
  // names another.
  const QString path = WriteFile(
      "uk.html",
      "<html><head><link rel=\"canonical\" href=\"https://www.example.co.uk/contact\"></head>"
      "<body><p>Tel 020 7946 0957</p><table><tr><td>Fax</td><td>020 7946 0958</td></tr>"
      "<tr><td>US office fax</td><td>(201) 555-0123</td></tr></table></body></html>");
  const std::string us = "1-201-555-0123\t" + RegionOf("201-555-0123") + "\n";
  ToolRun run = RunTool({"faxes", "--thorough", path});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "+44-20-7946-0958\tLondon, United Kingdom\n" + us);
  EXPECT_EQ(RunTool({"faxes", "--thorough", "--no-international", path}).out, us);
  // Read as a North-American page, the national form is no valid number.
  EXPECT_EQ(RunTool({"faxes", "--thorough", "--page", "www.example.com", path}).out, us);
  EXPECT_EQ(RunTool({"faxes", "--page", "www.example.com", path}).exitCode, 2);
  EXPECT_EQ(RunTool({"faxes", "--thorough", path, "--page"}).exitCode, 2);
}

TEST_F(ToolTest, FaxesOfPageWithoutNumbersPrintsNothing) {
  ToolRun run = RunTool({"faxes", WriteFile("plain.html", "<body>Fax us a letter</body>")});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
}

TEST_F(ToolTest, AreaCodePrintsRegionText) {
  ToolRun run = RunTool({"areacode", "1-201-555-0123"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, RegionOf("201-555-0123") + "\n");
  EXPECT_EQ(run.out.substr(0, 4), "NJ  ");
  EXPECT_EQ(RunTool({"areacode", "+44-20-7946-0958"}).out, "Unknown/International\n");
  EXPECT_EQ(RunTool({"areacode", "2015550123"}).out, "Unknown/International\n");
}

TEST_F(ToolTest, ResultsListsTheDomainsOnePassQueuesFromAPage) {
  const struct {
    QString html;
    std::string out;
  } cases[] = {
      {testing::GoogleResultPage({"www.acme.com", "WWW.BIG.COM", "www.acme.com", "acme.org",
                                  "www.plumb.co.uk", "a.b.c.net"}),
       "acme.com\nBIG.COM\nacme.org\n"},
      {testing::YahooResultPage({"www.pipes.com", "members.tripod.net/~x", "www.drains.gov"}),
       "pipes.com\ntripod.net\n"},
      {"<body>no links</body>", ""},
      {"", ""},
  };
  int i = 0;
  for (const auto& c : cases) {
    const QString path = WriteFile(QString("serp%1.html").arg(i++), c.html.toStdString());
    ToolRun run = RunTool({"results", path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(ToolTest, ResultsSecureListsWhatTheSecurePassQueues) {
  const struct {
    QString html;
    std::string out;
  } cases[] = {
      {testing::SecureResultPage("Yahoo", {"www.acme.com", "en.wiki.org"}),
       "https://acme.com\nhttps://wiki.org\n"},
      {"<a href=\"/url?q=http://www.acme.net/\">x</a><a href=\"https://www.google.com/\">",
       "acme.net\n"},
      {"<body>no links</body>", ""},
  };
  int i = 0;
  for (const auto& c : cases) {
    const QString path = WriteFile(QString("secure%1.html").arg(i++), c.html.toStdString());
    ToolRun run = RunTool({"results", "--secure", path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, c.out);
    // Without the option the classic pass finds none of them: a line naming an engine is
    // skipped whole, and https links are not read.
    EXPECT_EQ(RunTool({"results", path}).out, "");
  }
}

TEST_F(ToolTest, VersionPrintsTheProgramsVersion) {
  for (const char* option : {"--version", "-v"}) {
    ToolRun run = RunTool({option});
    EXPECT_EQ(run.exitCode, 0) << option;
    EXPECT_EQ(run.out, "norvane-tool " + std::to_string(version::kMajor) + "." +
                           std::to_string(version::kMinor) + "\n")
        << option;
  }
}

TEST_F(ToolTest, HelpPrintsUsage) {
  ToolRun run = RunTool({"--help"});
  EXPECT_EQ(run.exitCode, 0);
  for (const char* word :
       {"html2text", "faxes", "--no-international", "areacode", "results", "--secure"}) {
    EXPECT_NE(run.out.find(word), std::string::npos) << word;
  }
}

TEST_F(ToolTest, ErrorsGiveOneLineAndExitCode) {
  const QString page = WriteFile("page.html", "<body>Fax 201-555-0123</body>");
  struct Case {
    QStringList arguments;
    int exitCode;
  };
  const std::vector<Case> cases = {
      {{}, 2},
      {{"convert", page}, 2},
      {{"html2text"}, 2},
      {{"html2text", page, page}, 2},
      {{"faxes"}, 2},
      {{"faxes", page, "--us-only"}, 2},
      {{"faxes", page, page}, 2},
      {{"areacode"}, 2},
      {{"areacode", "201-555-0123", "212-555-0100"}, 2},
      {{"html2text", m_dir.filePath("missing.html")}, 1},
      {{"faxes", m_dir.filePath("missing.html")}, 1},
      {{"html2text", m_dir.path()}, 1},
      {{"faxes", m_dir.path()}, 1},
      {{"results"}, 2},
      {{"results", page, page}, 2},
      {{"results", m_dir.filePath("missing.html")}, 1},
      {{"results", m_dir.path()}, 1},
      {{"results", "--secure"}, 2},
      {{"results", "--secur", page}, 2},
      {{"results", "--secure", page, page}, 2},
  };
  for (const Case& c : cases) {
    const std::string label = c.arguments.join(' ').toStdString();
    ToolRun run = RunTool(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << label;
    EXPECT_EQ(run.out, "") << label;
    ASSERT_FALSE(run.err.empty()) << label;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << label << ": " << run.err;
  }
}

TEST_F(ToolTest, ResolveSecureGivesTheSecureForm) {
  const struct {
    bool secure;
    const char* page;
    const char* link;
    const char* out;
  } cases[] = {
      {true, "https://example.org/a/b.html", "c.html", "https://example.org/a/c.html\n"},
      {true, "https://example.org/a/b.html", "//other.org/x", "https://other.org/x\n"},
      {true, "example.org/a/b.html", "HTTPS://other.org", "https://other.org/\n"},
      {true, "https://example.org/a/b.html", "http://other.org/x", "other.org/x\n"},
      {true, "example.org/a/b.html", "c.html", "example.org/a/c.html\n"},
      // Without --secure the crawl queues no secure link: nothing is written.
      {false, "example.org/a/b.html", "https://other.org/x", ""},
  };
  for (const auto& c : cases) {
    QStringList args = {QStringLiteral("resolve")};
    if (c.secure) args << QStringLiteral("--secure");
    args << QLatin1String(c.page) << QLatin1String(c.link);
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.exitCode, 0) << c.page << " + " << c.link;
    EXPECT_EQ(run.out, c.out) << c.page << " + " << c.link;
  }
}

TEST_F(ToolTest, LinksAndResolveShowWhatTheCrawlQueues) {
  // One link a line, lines ending in CR LF, CR or LF (a lone LF does not end a line).
  const QString page = WriteFile(QStringLiteral("page.html"),
                                 "<a href=\"a.html\">a</a>\r\n<a href='b.html'><a href=c.html>\r"
                                 "<img href=\"x.jpg\">\n<a href=\"d.html\">\r\nno link\r\n"
                                 "<A HREF=/e.html>");
  const ToolRun links = RunTool({QStringLiteral("links"), page});
  EXPECT_EQ(links.exitCode, 0);
  EXPECT_EQ(links.out, "a.html\nb.html\n/e.html\n");
  // With --all every link of the page, in page order, as written; --polite leaves nofollow out.
  const ToolRun all = RunTool({QStringLiteral("links"), QStringLiteral("--all"), page});
  EXPECT_EQ(all.exitCode, 0);
  EXPECT_EQ(all.out, "a.html\nb.html\nc.html\nd.html\n/e.html\n");
  const QString marked = WriteFile(QStringLiteral("marked.html"),
                                   "<a href=\" x.html?a=1&amp;b=2#top \">x</a>\n"
                                   "<a rel=nofollow href=y.html>y</a><a href=#z>z</a>");
  EXPECT_EQ(RunTool({QStringLiteral("links"), QStringLiteral("--all"), marked}).out,
            "x.html?a=1&b=2\ny.html\n");
  EXPECT_EQ(RunTool({QStringLiteral("links"), QStringLiteral("--all"), QStringLiteral("--polite"),
                     marked})
                .out,
            "x.html?a=1&b=2\n");
  EXPECT_EQ(RunTool({QStringLiteral("links"), QStringLiteral("--polite"), marked}).exitCode, 2);
  EXPECT_EQ(RunTool({QStringLiteral("links"), QStringLiteral("--every"), marked}).exitCode, 2);

  const struct {
    const char* page;
    const char* link;
    const char* website;
  } cases[] = {
      {"example.org/a/b.html", "../c.html", "example.org/c.html"},
      {"http://example.org/a/b.html", "/c.html", "example.org/c.html"},
      {"example.org/a/", "c.html", "example.org/c.html"},
      {"example.org", "http://other.org", "other.org/"},
  };
  for (const auto& c : cases) {
    const ToolRun run =
        RunTool({QStringLiteral("resolve"), QLatin1String(c.page), QLatin1String(c.link)});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string(c.website) + "\n") << c.page << " + " << c.link;
  }
  EXPECT_EQ(RunTool({QStringLiteral("resolve"), QStringLiteral("only-one")}).exitCode, 2);
  EXPECT_EQ(RunTool({QStringLiteral("resolve"), QStringLiteral("--secure"), QStringLiteral("a")})
                .exitCode,
            2);
  EXPECT_EQ(RunTool({QStringLiteral("resolve"), QStringLiteral("--safe"), QStringLiteral("a"),
                     QStringLiteral("b")})
                .exitCode,
            2);
  EXPECT_EQ(RunTool({QStringLiteral("links"), m_dir.filePath(QStringLiteral("missing"))}).exitCode,
            1);
}

TEST_F(ToolTest, ExportWritesTheStoredNumbersOfTheApplicationFolder) {
  {
    SpiderDatabase db(m_dir.filePath(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    for (const char* number : {"1-201-555-0100", "1-303-555-0101"}) {
      QString fax = QLatin1String(number);
      QString search = QStringLiteral("plumbers, Denver");
      db.AddFax(fax, QStringLiteral("example.com"), search, QStringLiteral("CO  Denver "));
    }
  }
  const QString dir = m_dir.path();
  struct Case {
    QStringList args;  // before FILE
    int exitCode;
    std::string file;  // what FILE holds; for "-" what is written out
  };
  const Case cases[] = {
      {{"--app-dir", dir}, 0, "1-201-555-0100;1-303-555-0101;\r\n"},
      {{"--app-dir", dir, "--separator", "\\t"}, 0, "1-201-555-0100\t1-303-555-0101\t\r\n"},
      {{"--separator", ", ", "--app-dir", dir}, 0, "1-201-555-0100, 1-303-555-0101, \r\n"},
      {{"--app-dir", dir, "--csv"}, 0, "number,region,website,search,date\r\n"},
      {{"--app-dir", m_dir.filePath(QStringLiteral("none"))}, 1, ""},
      {{"--app-dir", dir, "--csv", "--separator", ";"}, 2, ""},
      {{"--app-dir"}, 2, ""},
      {{"--app-dir", dir, "--tab"}, 2, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    for (const bool toStdout : {false, true}) {
      const QString file =
          toStdout ? QStringLiteral("-") : m_dir.filePath(QStringLiteral("out%1.txt").arg(++n));
      const ToolRun run =
          RunTool(QStringList{QStringLiteral("export")} + c.args + QStringList{file});
      EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString() << run.err;
      if (c.exitCode != 0) {
        EXPECT_FALSE(run.err.empty());
        continue;
      }
      std::string written = run.out;
      if (!toStdout) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::ReadOnly)) << c.args.join(' ').toStdString();
        written = out.readAll().toStdString();
      }
      if (c.args.contains(QStringLiteral("--csv"))) {
        EXPECT_EQ(written.rfind(c.file, 0), 0u) << written;
        EXPECT_NE(written.find("1-303-555-0101,CO  Denver ,example.com,\"plumbers, Denver\",20"),
                  std::string::npos)
            << written;
      } else {
        EXPECT_EQ(written, c.file) << c.args.join(' ').toStdString();
      }
    }
  }
  // With no spider.mdb in the folder nothing is made there.
  QTemporaryDir empty;
  EXPECT_EQ(RunTool({QStringLiteral("export"), QStringLiteral("--app-dir"), empty.path(),
                     QStringLiteral("-")})
                .exitCode,
            1);
  EXPECT_FALSE(QFile::exists(empty.filePath(QStringLiteral("spider.mdb"))));
}

// fetch runs against servers in this process, so the event loop turns while the tool runs.
TEST(ToolFetch, PrintsThePageTheCrawlWouldReceive) {
  if (!QSslSocket::supportsSsl()) GTEST_SKIP() << "no TLS backend";
  testing::TestCertificates certificates;
  ASSERT_TRUE(certificates.ok()) << certificates.error().toStdString();
  const auto identity = certificates.issue({QStringLiteral("s.test")});
  const auto wrong = certificates.issueForWrongHost();
  ASSERT_TRUE(identity && wrong);
  testing::TestHttpServer plain;
  testing::TestHttpServer tls(*identity);
  testing::TestHttpServer wrongTls(*wrong);
  plain.setChunkedPage(QStringLiteral("c.test/"), {"Fax: (201) 55", "5-0001"});
  plain.setRedirect(QStringLiteral("r.test/a"), 301, "https://s.test/b");
  tls.setRedirect(QStringLiteral("s.test/b"), 302, "c.html");
  tls.setPage(QStringLiteral("s.test/c.html"), "<p>secure</p>");
  wrongTls.setPage(QStringLiteral("s.test/"), "<p>never</p>");

  const struct {
    QStringList args;
    bool wrongCertificate;
    int exitCode;
    std::string out;
    std::string err;  // each address fetched
  } cases[] = {
      {{"c.test"}, false, 0, "Fax: (201) 555-0001", "c.test\n"},
      {{"--secure", "r.test/a"},
       false,
       0,
       "<p>secure</p>",
       "r.test/a\nhttps://s.test/b\nhttps://s.test/c.html\n"},
      // Without the option the redirect's empty body is the page.
      {{"r.test/a"}, false, 0, "", "r.test/a\n"},
      {{"--secure", "https://s.test/"},
       true,
       1,
       "",
       "https://s.test\nnorvane-tool: gave up on https://s.test/ (Certificate error: s.test)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NORVANE_CONNECT_TO", "127.0.0.1:" + QString::number(plain.port()));
    env.insert("NORVANE_CONNECT_TO_TLS",
               "127.0.0.1:" + QString::number((c.wrongCertificate ? wrongTls : tls).port()));
    env.insert("NORVANE_CA_FILE", certificates.caFile());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(NORVANE_TOOL_PATH), QStringList{"fetch"} + c.args);
    ASSERT_TRUE(testing::WaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), c.exitCode);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), c.out);
    EXPECT_EQ(process.readAllStandardError().toStdString(), c.err);
  }
  EXPECT_TRUE(wrongTls.requests().isEmpty());
}

}  // namespace
}  // namespace norvane
