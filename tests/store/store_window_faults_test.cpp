// The program started on a spider.mdb that is missing, read-only, locked, no database, or in a
// folder that cannot be written: the real main window starts, shows what can be read, the store
// operations take their failure outcomes, and no stored row is lost.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <memory>

#include "app/form1_fixture.h"
#include "desktop/message_box.h"
#include "harvest/fetch/page_fetcher.h"
#include "store/lock_holder.h"
#include "store/spider_probe.h"
#include "support/test_http_server.h"
#include "support/wait_for.h"

namespace norvane::testing {
namespace {

// Root writes to read-only files and folders anyway. Cases that need the permissions to hold run
// again in a child process of this test program that gives up root before the test's folder is
// made; this base class does that in the child, before the fixture's members exist.
constexpr char kUnprivilegedVariable[] = "NORVANE_TEST_UNPRIVILEGED";

class DropRootInChild {
 protected:
  DropRootInChild() {
    // A failure leaves the child root; the test then reports it.
    if (geteuid() == 0 && qEnvironmentVariableIsSet(kUnprivilegedVariable)) {
      const gid_t nobody = 65534;
      if (setgroups(0, nullptr) == 0 && setgid(nobody) == 0) (void)!setuid(nobody);
    }
  }
};

enum class Fault {
  Missing,
  ReadOnlyFile,
  ReadOnlyFolder,
  ReadOnlyFolderWithoutFile,
  LockedForWriting,
  LockedExclusively,
  NotADatabase,
  FolderNamedSpider,
};

struct FaultCase {
  Fault fault;
  const char* name;
  bool seeded;    // the file holds the rows below
  bool readable;  // the program can read them
  bool writable;  // the program's changes are stored
  bool needsPermissions;
  StoreFault said;  // what the window says at start
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
};

const FaultCase kCases[] = {
    {Fault::Missing, "Missing", false, true, true, false, StoreFault::None},
    {Fault::ReadOnlyFile, "ReadOnlyFile", true, true, false, true, StoreFault::CannotWrite},
    {Fault::ReadOnlyFolder, "ReadOnlyFolder", true, true, false, true, StoreFault::CannotWrite},
    {Fault::ReadOnlyFolderWithoutFile, "ReadOnlyFolderWithoutFile", false, false, false, true,
     StoreFault::CannotWrite},
    {Fault::LockedForWriting, "LockedForWriting", true, true, false, false, StoreFault::InUse},
    {Fault::LockedExclusively, "LockedExclusively", true, false, false, false, StoreFault::InUse},
    {Fault::NotADatabase, "NotADatabase", false, false, false, false, StoreFault::NotADatabase},
    {Fault::FolderNamedSpider, "FolderNamedSpider", false, false, false, false,
     StoreFault::NotADatabase},
};

const QStringList kSearches = {QStringLiteral("plumbers"), QStringLiteral("roofers")};
const QStringList kWebsites = {QStringLiteral("a.com"), QStringLiteral("b.com"),
                               QStringLiteral("c.com")};
const QByteArray kGarbage = QByteArrayLiteral("Standard Jet DB\0\x01\x02 not SQLite at all\r\n");

class StoreFaultTest : private DropRootInChild,
                       public Form1Test,
                       public ::testing::WithParamInterface<FaultCase> {
 protected:
  void SetUp() override {
    MessageBox::setTestMode(true);
    MessageBox::reset();
  }
  void TearDown() override {
    lock.reset();
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (QFileInfo(path).isFile()) QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    MessageBox::setTestMode(false);
  }

  // Runs this test in a child process without root; false when this process should run it.
  bool delegatedToUnprivilegedChild() {
    if (!GetParam().needsPermissions || geteuid() != 0) return false;
    if (qEnvironmentVariableIsSet(kUnprivilegedVariable)) {
      ADD_FAILURE() << "could not give up root in the child";
      return true;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kUnprivilegedVariable), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(info->test_suite_name()), QLatin1String(info->name()))});
    EXPECT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return true;
  }

  void prepare() {
    const FaultCase& c = GetParam();
    if (c.seeded) seed(kSearches, kWebsites, 3);
    switch (c.fault) {
      case Fault::Missing:
        break;
      case Fault::ReadOnlyFile:
        ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup));
        break;
      case Fault::ReadOnlyFolder:
      case Fault::ReadOnlyFolderWithoutFile:
        ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        break;
      case Fault::LockedForWriting:
      case Fault::LockedExclusively:
        lock = std::make_unique<LockHolder>(path, c.fault == Fault::LockedExclusively, -1);
        ASSERT_TRUE(lock->locked());
        break;
      case Fault::NotADatabase: {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kGarbage);
        break;
      }
      case Fault::FolderNamedSpider:
        ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("spider.mdb")));
        break;
    }
  }

  std::unique_ptr<LockHolder> lock;
  QString path = folder.file(QStringLiteral("spider.mdb"));
};

TEST_P(StoreFaultTest, ProgramStartsAndKeepsEveryRow) {
  if (delegatedToUnprivilegedChild()) return;
  const FaultCase& c = GetParam();
  BusyTimeout wait(50);
  prepare();
  if (HasFatalFailure()) return;
  const bool shown = c.seeded && c.readable;
  {
    auto form = start();
    SpiderDatabase& db = form->database();
    EXPECT_EQ(items(form->List1), shown ? kSearches : QStringList());
    EXPECT_EQ(items(form->List2), shown ? kWebsites : QStringList());
    EXPECT_EQ(form->List3->count(), shown ? 3 : 0);
    EXPECT_EQ(form->cmdResume->isEnabled(), shown);

    // Lookups that cannot run count as "present" and "known", so nothing is stored twice.
    QString fax = QStringLiteral("1-212-555-0199");
    EXPECT_EQ(db.FaxExists(fax), !c.readable);
    QString site = QStringLiteral("new.example");
    EXPECT_EQ(db.WebsiteKnown(site), !c.readable);
    QString search = QStringLiteral("painters");
    EXPECT_TRUE(db.AddFax(fax, site, search, QStringLiteral("New York")));
    EXPECT_TRUE(db.AddWebsite(site));
    EXPECT_EQ(db.CountFaxes(), (shown ? 3 : 0) + (c.writable ? 1 : 0));
    EXPECT_EQ(db.FaxExists(fax), c.writable || !c.readable);
    // The one operation that reports failure.
    form->List2->clear();
    EXPECT_EQ(db.DeleteAllWebsites(), c.writable);
  }
  lock.reset();
  QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (QFileInfo(path).isFile()) QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

  const QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
  SpiderProbe probe(path);
  switch (c.fault) {
    case Fault::NotADatabase: {
      // Never taken over: the same bytes, and no journal or WAL file beside it.
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      EXPECT_EQ(file.readAll(), kGarbage);
      EXPECT_EQ(files, QStringList{"spider.mdb"});
      break;
    }
    case Fault::ReadOnlyFolderWithoutFile:
      EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
      break;
    case Fault::FolderNamedSpider:
      EXPECT_TRUE(files.isEmpty()) << files.join(' ').toStdString();
      EXPECT_TRUE(QDir(path).isEmpty());
      break;
    default: {
      EXPECT_EQ(probe.column(QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
      const QStringList faxes =
          probe.column(QStringLiteral("SELECT fax FROM faxes ORDER BY rowid"));
      QStringList expected;
      for (int i = 0; i < (c.seeded ? 3 : 0); ++i)
        expected << QStringLiteral("1-201-555-%1").arg(i, 4, 10, QLatin1Char('0'));
      if (c.writable) expected << QStringLiteral("1-212-555-0199");
      EXPECT_EQ(faxes, expected);
      EXPECT_EQ(probe.column(QStringLiteral("SELECT search FROM searches ORDER BY rowid")),
                c.seeded ? kSearches : QStringList());
      // Websites leave the table only when the move into the queue list could be stored.
      EXPECT_EQ(probe.column(QStringLiteral("SELECT website FROM websites ORDER BY rowid")),
                c.seeded && !c.writable ? kWebsites : QStringList());
      break;
    }
  }
}

// The window says once what is wrong and where, keeps it in panel 2, crawls the queue it could
// read without taking a website twice, and counts only the numbers that were stored.
TEST_P(StoreFaultTest, SaysOnceWhatIsWrongAndCountsOnlyStoredNumbers) {
  if (delegatedToUnprivilegedChild()) return;
  const FaultCase& c = GetParam();
  BusyTimeout wait(50);
  prepare();
  if (HasFatalFailure()) return;
  TestHttpServer web;
  for (const QString& site : kWebsites)
    web.setPage(site + QStringLiteral("/"), "<html><body><p>Fax: (312) 555-0147</p></body></html>");
  {
    auto form = start();
    QTest::qWait(20);  // the message comes once the window is in view
    const QStringList said =
        c.said == StoreFault::None ? QStringList() : QStringList{StoreFaultMessage(c.said, path)};
    EXPECT_EQ(MessageBox::takeShownTexts(), said);
    EXPECT_EQ(form->panelText(2), StoreFaultPanelText(c.said));
    if (form->List2->count() > 0) {
      HarvestController& crawl = form->controller();
      crawl.fetcher().setConnectTo(QStringLiteral("127.0.0.1"), web.port());
      crawl.RemoveSearchString(1);  // the queue running dry then ends the harvest
      const int32_t historical = crawl.statistics().lHistEmailFound;
      form->cmdResume->click();
      ASSERT_TRUE(WaitFor([&] { return !crawl.bHarvesting; }));
      QStringList asked;
      for (const auto& r : web.requests()) asked << r.host + r.path;
      asked.sort();
      EXPECT_EQ(asked, (QStringList{"b.com/", "c.com/"}));  // a.com is List2's entry 0
      EXPECT_EQ(form->List3->count(), 3);
      EXPECT_EQ(crawl.faxCount(), c.writable ? 1 : 0);
      EXPECT_EQ(crawl.statistics().lHistEmailFound, historical + (c.writable ? 1 : 0));
      EXPECT_EQ(form->panelText(2), StoreFaultPanelText(c.said));
      QTest::qWait(20);
      EXPECT_EQ(MessageBox::takeShownTexts(), QStringList());  // said once
    }
  }
  lock.reset();
  // Read, never changed: nothing beside it.
  if (c.fault == Fault::ReadOnlyFile || c.fault == Fault::ReadOnlyFolder) {
    EXPECT_EQ(
        QDir(folder.path()).entryList({QStringLiteral("spider.mdb*")}, QDir::Files | QDir::Hidden),
        QStringList{"spider.mdb"});
  }
}

// A fault met first during a run: said once, in view while it lasts, numbers not counted.
TEST_F(Form1Test, StoreFaultMetDuringARunIsSaidOnce) {
  MessageBox::setTestMode(true);
  MessageBox::reset();
  BusyTimeout wait(50);
  seed({QStringLiteral("plumbers")}, kWebsites);
  TestHttpServer web;
  for (const QString& site : kWebsites)
    web.setPage(site + QStringLiteral("/"), "<html><body><p>Fax: (312) 555-0147</p></body></html>");
  auto form = start();
  QTest::qWait(20);
  EXPECT_EQ(MessageBox::takeShownTexts(), QStringList());
  const QString path = folder.file(QStringLiteral("spider.mdb"));
  auto other = std::make_unique<LockHolder>(path, false, -1);
  ASSERT_TRUE(other->locked());
  HarvestController& crawl = form->controller();
  crawl.fetcher().setConnectTo(QStringLiteral("127.0.0.1"), web.port());
  form->cmdResume->click();
  ASSERT_TRUE(WaitFor([&] { return !crawl.bHarvesting; }));
  QTest::qWait(20);
  EXPECT_EQ(MessageBox::takeShownTexts(), QStringList{StoreFaultMessage(StoreFault::InUse, path)});
  EXPECT_EQ(form->panelText(2), QStringLiteral("spider.mdb in use"));
  EXPECT_EQ(web.requests().size(), 2);
  EXPECT_EQ(form->List3->count(), 0);
  EXPECT_EQ(crawl.faxCount(), 0);
  EXPECT_EQ(crawl.statistics().lHistEmailFound, 0);

  // Stored again once the lock is gone: panel 2 shows the crawl's text again. The same fault
  // met later is not said again.
  other.reset();
  crawl.AddSearchString(QStringLiteral("painters"));
  EXPECT_EQ(form->panelText(2), QStringLiteral("No more websites queued"));
  other = std::make_unique<LockHolder>(path, false, -1);
  crawl.AddSearchString(QStringLiteral("roofers"));
  EXPECT_EQ(form->panelText(2), QStringLiteral("spider.mdb in use"));
  QTest::qWait(20);
  EXPECT_EQ(MessageBox::takeShownTexts(), QStringList());
  MessageBox::setTestMode(false);
}

INSTANTIATE_TEST_SUITE_P(Faults, StoreFaultTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace norvane::testing
