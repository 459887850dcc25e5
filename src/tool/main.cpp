// norvane-tool: the page conversion, the fax scan, the area-code lookup, the reading of search
// result pages and the export of the stored numbers from the command line, for checking pages
// by hand and for scripts.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <optional>

#include "areacodes/area_code_directory.h"
#include "common/app_folder.h"
#include "common/text_file.h"
#include "common/version_info.h"
#include "export/fax_csv.h"
#include "export/fax_export.h"
#include "harvest/control/harvest_host.h"
#include "harvest/control/url_rules.h"
#include "harvest/faxes/fax_scan_page.h"
#include "harvest/faxes/thorough_fax_scan.h"
#include "harvest/fetch/page_fetcher.h"
#include "harvest/page/link_extraction.h"
#include "search/result_extraction.h"
#include "search/secure_result_extraction.h"
#include "store/spider_database.h"
#include "text/html_to_text.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitIoError = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: norvane-tool COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  html2text FILE                    write the plain text of the page in FILE, as the\n"
    "                                    converter writes it to its file (ending in CR LF)\n"
    "  faxes FILE [--no-international]   list the fax numbers the harvest would store from the\n"
    "                                    received page body in FILE, one a line: the number,\n"
    "                                    a tab and its region\n"
    "  faxes --thorough [--page ADDRESS] FILE\n"
    "                                    the same with \"Thorough Fax Scan\" on; ADDRESS (the\n"
    "                                    page's website) gives the country of numbers written\n"
    "                                    without one, else the address the page names for\n"
    "                                    itself, else its language\n"
    "  areacode NUMBER                   write the region of a number such as 1-201-555-0123\n"
    "  results FILE                      list the domains a search pass would queue from the\n"
    "                                    result page (the body's HTML) in FILE, one a line,\n"
    "                                    in order, as they are stored\n"
    "  results --secure FILE             the same for a pass with \"Secure Sites and Redirects\"\n"
    "                                    on, each as it is queued: \"https://\" and the domain\n"
    "                                    when its link was https, the domain alone otherwise\n"
    "  links FILE                        list the link the crawl takes from each line of the\n"
    "                                    received page body in FILE, before it is resolved\n"
    "  links --all [--polite] FILE       list every link the crawl takes from the page body in\n"
    "                                    FILE with \"All Links of a Page\" on, in page order, as\n"
    "                                    written (references decoded, spaces trimmed, fragment\n"
    "                                    cut), before it is resolved; --polite: as with \"Polite\n"
    "                                    Crawl\" on, which leaves out rel=\"nofollow\" links\n"
    "  resolve [--secure] PAGE LINK      write the website the crawl queues for LINK found on\n"
    "                                    the page at PAGE (a website such as host/dir/page.html),\n"
    "                                    nothing when it queues none; --secure: as the crawl that\n"
    "                                    follows https websites (PAGE may begin with https://)\n"
    "  fetch [--secure] WEBSITE          fetch WEBSITE (such as host/dir/page.html) as the crawl\n"
    "                                    does and write the page body the page steps receive\n"
    "                                    (chunks decoded); each address fetched, redirects\n"
    "                                    included, goes to standard error, one a line; --secure:\n"
    "                                    as the crawl with \"Secure Sites and Redirects\" on\n"
    "                                    (WEBSITE may begin with https://). NORVANE_CONNECT_TO,\n"
    "                                    NORVANE_CONNECT_TO_TLS and NORVANE_CA_FILE apply. Exit\n"
    "                                    status 1 when the crawl would give the website up\n"
    "  export [--csv] [--separator TEXT] [--app-dir DIR] FILE\n"
    "                                    write the stored numbers of the application folder\n"
    "                                    (DIR, else the program's own) to FILE (\"-\": standard\n"
    "                                    output) as the export window does: each number\n"
    "                                    followed by TEXT (default \";\"; \\t, \\r, \\n and \\\\\n"
    "                                    stand for tab, CR, LF and backslash), then CR LF; or\n"
    "                                    with --csv a CSV file (number, region, website,\n"
    "                                    search, date) with a header row, in UTF-8\n"
    "  --help                            show this text\n"
    "  --version                         show the version\n";

class ToolError {
 public:
  ToolError(int exitCode, std::string message)
      : m_exitCode(exitCode), m_message(std::move(message)) {}
  int exitCode() const { return m_exitCode; }
  const std::string& message() const { return m_message; }

 private:
  int m_exitCode;
  std::string m_message;
};

[[noreturn]] void UsageError(const std::string& message) {
  throw ToolError(kExitUsage, message + " (see norvane-tool --help)");
}

std::string ReadPageFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw ToolError(kExitIoError, "cannot read " + path + ": is a folder");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError(kExitIoError, "cannot read " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw ToolError(kExitIoError, "cannot read " + path);
  return bytes;
}

void WriteOut(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
    throw ToolError(kExitIoError, "cannot write to standard output");
  }
}

int HtmlToTextCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) UsageError("html2text takes one FILE");
  const std::string page = ReadPageFile(args[0]);
  std::string text = norvane::HtmlToText(page, std::string());
  text.append("\r\n");
  WriteOut(text);
  return kExitOk;
}

int FaxesCommand(const std::vector<std::string>& args) {
  std::string file;
  bool allowInternational = true;
  bool thorough = false;
  std::optional<std::string> pageAddress;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-international") {
      allowInternational = false;
    } else if (arg == "--thorough") {
      thorough = true;
    } else if (arg == "--page") {
      if (i + 1 == args.size()) UsageError("--page needs an ADDRESS");
      pageAddress = args[++i];
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else if (file.empty()) {
      file = arg;
    } else {
      UsageError("faxes takes one FILE");
    }
  }
  if (file.empty()) UsageError("faxes needs a FILE");
  if (pageAddress && !thorough) UsageError("--page goes with --thorough");
  const std::string body = ReadPageFile(file);
  std::string out;
  const std::vector<norvane::FoundFax> faxes =
      thorough ? norvane::FindFaxesThoroughly(body, pageAddress.value_or(std::string()),
                                              allowInternational)
               : norvane::FindFaxesInPage(body, allowInternational);
  for (const norvane::FoundFax& found : faxes) {
    out += found.fax + '\t' + found.location + '\n';
  }
  WriteOut(out);
  return kExitOk;
}

int AreaCodeCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) UsageError("areacode takes one NUMBER");
  std::string number = args[0];
  WriteOut(norvane::LookupAreaCode(number) + '\n');
  return kExitOk;
}

int ResultsCommand(const std::vector<std::string>& args) {
  std::string file;
  bool secure = false;
  for (const std::string& arg : args) {
    if (arg == "--secure") {
      secure = true;
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else if (file.empty()) {
      file = arg;
    } else {
      UsageError("results takes one FILE");
    }
  }
  if (file.empty()) UsageError("results takes one FILE");
  const std::string page = ReadPageFile(file);
  // One byte a character both ways, so the names come out byte for byte as they stood.
  const QString html = QString::fromLatin1(page.data(), static_cast<qsizetype>(page.size()));
  std::string out;
  if (secure) {
    for (const QString& website : norvane::ExtractSecureWebsites(html)) {
      out += website.toLatin1().toStdString() + '\n';
    }
  } else {
    for (const QString& domain : norvane::ExtractDomains(html)) {
      out += norvane::SpiderDatabase::NormaliseWebsite(domain).toLatin1().toStdString() + '\n';
    }
  }
  WriteOut(out);
  return kExitOk;
}

int LinksCommand(const std::vector<std::string>& args) {
  bool all = false;
  bool polite = false;
  std::string file;
  for (const std::string& arg : args) {
    if (arg == "--all") {
      all = true;
    } else if (arg == "--polite") {
      polite = true;
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else if (!file.empty()) {
      UsageError("links takes one FILE");
    } else {
      file = arg;
    }
  }
  if (file.empty()) UsageError("links takes one FILE");
  if (polite && !all) UsageError("--polite goes with --all");
  std::string out;
  if (all) {
    for (const norvane::PageLink& link : norvane::TakenPageLinks(ReadPageFile(file), !polite))
      out += link.link + '\n';
    WriteOut(out);
    return kExitOk;
  }
  // The crawl reads the body as its page file holds it: followed by CR LF.
  const std::string body = ReadPageFile(file) + "\r\n";
  for (const std::string& line : norvane::SplitTextLines(body)) {
    if (const auto link = norvane::ExtractLineLink(line)) out += *link + '\n';
  }
  WriteOut(out);
  return kExitOk;
}

int ResolveCommand(const std::vector<std::string>& args) {
  norvane::UrlRules rules;
  std::vector<std::string> operands;
  for (const std::string& arg : args) {
    if (arg == "--secure") {
      rules.secure = true;
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.size() != 2) UsageError("resolve takes PAGE and LINK");
  const norvane::PageAddress page =
      norvane::DecomposePageAddress(QString::fromLocal8Bit(operands[0].c_str()), rules);
  const std::optional<QString> website =
      norvane::ResolveLink(QString::fromLocal8Bit(operands[1].c_str()), page, rules);
  if (website) WriteOut(website->toLocal8Bit().toStdString() + '\n');
  return kExitOk;
}

// The crawl's view of one fetch: the fetcher on socket 0 with a host that keeps the page it is
// handed, or notes that the crawl moved on without one (a time-out, a socket or certificate
// error, a redirect it does not follow).
class ToolFetchHost : public norvane::HarvestHost {
 public:
  bool harvesting() const override { return !m_done; }
  void setPanelText(int panel, const QString& text) override {
    if (panel == 1) m_lastStatus = text;
  }
  void setProgressValue(int) override {}
  void RecordStatistic(norvane::Statistics::Kind) override {}
  void TakeNextWebsite(int16_t) override { finish(); }
  void SavePage(std::string body, int16_t) override {
    m_body = std::move(body);
    finish();
  }
  norvane::SpiderDatabase& database() override { return m_unusedStore; }
  const QStringList& queuePreview() const override { return m_noQueue; }
  QString currentSearch() const override { return QString(); }
  bool allowInternational() const override { return true; }
  bool foundFaxSoundOn() const override { return false; }
  void showStoredFax(const QString&) override {}
  void playWave(const QString&) override {}
  void recordRead(const QString& address) override {
    std::fprintf(stderr, "%s\n", address.toLocal8Bit().constData());
  }

  void wait() {
    if (!m_done) m_loop.exec();
  }
  const std::optional<std::string>& body() const { return m_body; }
  const QString& lastStatus() const { return m_lastStatus; }

 private:
  void finish() {
    m_done = true;
    m_loop.quit();
  }

  bool m_done = false;
  std::optional<std::string> m_body;
  QString m_lastStatus;
  QStringList m_noQueue;
  norvane::SpiderDatabase m_unusedStore{QString()};  // never opened: a fetch stores nothing
  QEventLoop m_loop;
};

int FetchCommand(const std::vector<std::string>& args) {
  bool secure = false;
  std::optional<std::string> website;
  for (const std::string& arg : args) {
    if (arg == "--secure") {
      secure = true;
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else if (!website) {
      website = arg;
    } else {
      UsageError("fetch takes one WEBSITE");
    }
  }
  if (!website) UsageError("fetch needs a WEBSITE");
  static int argc = 1;
  static char name[] = "norvane-tool";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  ToolFetchHost host;
  norvane::PageFetcher fetcher(host);
  fetcher.setSecureWeb(secure);
  // The crawl stores websites normalised; the tool takes one as typed.
  QString url =
      norvane::SpiderDatabase::NormaliseWebsite(QString::fromLocal8Bit(website->c_str()), secure);
  fetcher.StartFetch(0, url);
  host.wait();
  if (!host.body()) {
    // Panel 1 says why only for a certificate; otherwise it still shows the download.
    const QString& status = host.lastStatus();
    const std::string why = status.startsWith(QLatin1String("Certificate error"))
                                ? " (" + status.toLocal8Bit().toStdString() + ")"
                                : std::string();
    throw ToolError(kExitIoError, "gave up on " + *website + why);
  }
  WriteOut(*host.body());
  return kExitOk;
}

// "\t", "\r", "\n" and "\\" in a separator typed on a command line.
QString DecodeSeparator(const std::string& text) {
  QString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += QChar::fromLatin1(text[i]);
      continue;
    }
    switch (text[++i]) {
      case 't':
        out += QLatin1Char('\t');
        break;
      case 'r':
        out += QLatin1Char('\r');
        break;
      case 'n':
        out += QLatin1Char('\n');
        break;
      case '\\':
        out += QLatin1Char('\\');
        break;
      default:
        out += QLatin1Char('\\') + QChar::fromLatin1(text[i]);
    }
  }
  return out;
}

int ExportCommand(const std::vector<std::string>& args) {
  bool csv = false;
  std::optional<std::string> separator;
  std::optional<std::string> appDir;
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--csv") {
      csv = true;
    } else if (arg == "--separator" || arg == "--app-dir") {
      if (i + 1 == args.size()) UsageError(arg + " needs a value");
      (arg == "--separator" ? separator : appDir) = args[++i];
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + arg);
    } else if (file.empty()) {
      file = arg;
    } else {
      UsageError("export takes one FILE");
    }
  }
  if (file.empty()) UsageError("export needs a FILE");
  if (csv && separator) UsageError("--csv takes no --separator");

  // The application folder is found as the program finds it, which needs the application's
  // names and object.
  static int argc = 1;
  static char name[] = "norvane-tool";
  static char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(norvane::version::kProductName));
  QCoreApplication::setOrganizationName(QString::fromUtf8(norvane::version::kProductName));
  QString folder;
  if (appDir) {
    folder = QString::fromLocal8Bit(appDir->c_str());
    if (!QFileInfo(folder).isDir()) throw ToolError(kExitIoError, "no folder " + *appDir);
  } else {
    folder = norvane::ResolveAppFolder({});
  }
  const QString database = QDir(folder).filePath(QStringLiteral("spider.mdb"));
  if (!QFileInfo(database).isFile()) {
    throw ToolError(kExitIoError, "no spider.mdb in " + folder.toLocal8Bit().toStdString());
  }
  norvane::SpiderDatabase store(database);
  if (!store.open()) {
    throw ToolError(kExitIoError, "cannot open " + database.toLocal8Bit().toStdString());
  }
  const QList<norvane::FaxRow> rows = store.ReadAllFaxes();
  QByteArray bytes;
  if (csv) {
    bytes = norvane::FaxCsvBytes(rows);
  } else {
    QStringList numbers;
    for (const norvane::FaxRow& row : rows) numbers << row.fax;
    bytes = norvane::ExportFileBytes(
        numbers, separator ? DecodeSeparator(*separator) : norvane::ExportSeparator(0, false));
  }
  if (file == "-") {
    WriteOut(std::string_view(bytes.constData(), std::size_t(bytes.size())));
  } else if (!norvane::WriteExportFile(QString::fromLocal8Bit(file.c_str()), bytes)) {
    throw ToolError(kExitIoError, "cannot write " + file);
  }
  return kExitOk;
}

int Run(const std::vector<std::string>& argv) {
  if (argv.empty()) UsageError("no command given");
  const std::string& command = argv[0];
  const std::vector<std::string> args(argv.begin() + 1, argv.end());
  if (command == "--help" || command == "-h" || command == "help") {
    WriteOut(kUsage);
    return kExitOk;
  }
  if (command == "--version" || command == "-v") {
    WriteOut("norvane-tool " + std::to_string(norvane::version::kMajor) + "." +
             std::to_string(norvane::version::kMinor) + "\n");
    return kExitOk;
  }
  if (command == "html2text") return HtmlToTextCommand(args);
  if (command == "faxes") return FaxesCommand(args);
  if (command == "areacode") return AreaCodeCommand(args);
  if (command == "results") return ResultsCommand(args);
  if (command == "links") return LinksCommand(args);
  if (command == "resolve") return ResolveCommand(args);
  if (command == "export") return ExportCommand(args);
  if (command == "fetch") return FetchCommand(args);
  UsageError("unknown command " + command);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int exitCode = Run(std::vector<std::string>(argv + 1, argv + argc));
    if (std::fflush(stdout) != 0) throw ToolError(kExitIoError, "cannot write to standard output");
    return exitCode;
  } catch (const ToolError& error) {
    std::fprintf(stderr, "norvane-tool: %s\n", error.message().c_str());
    return error.exitCode();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "norvane-tool: %s\n", error.what());
    return kExitIoError;
  }
}
