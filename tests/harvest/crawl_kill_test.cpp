// A crawl killed without warning loses no number the store had taken, and the next start opens
// the database cleanly and resumes the queue.
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QToolButton>
#include <set>

#include "crawl_fixture.h"

namespace norvane::testing {
namespace {

TEST_F(CrawlTest, KilledCrawlKeepsEveryStoredNumberAndResumes) {
  // A hub with 400 pages, each with a number of its own.
  QByteArray hub = "<html><body>\r\n";
  for (int p = 0; p < 400; ++p) {
    const QByteArray page = "p" + QByteArray::number(p) + ".html";
    hub += "<a href=\"" + page + "\">" + page + "</a>\r\n";
    server.setPage(QStringLiteral("kill.test/") + QString::fromLatin1(page),
                   "<html><body>Fax: (201) 555-" + QByteArray::number(1000 + p) + "</body></html>");
  }
  server.setPage(QStringLiteral("kill.test/"), hub + "</body></html>");
  seedQueue({QStringLiteral("kill.test")});

  QProcess child;
  child.start(QStringLiteral(NORVANE_KILL_CHILD), {folder.path(), QString::number(server.port())});
  ASSERT_TRUE(child.waitForStarted());
  QStringList reported;
  auto readReports = [&] {
    while (child.canReadLine()) {
      const QString line = QString::fromLatin1(child.readLine()).trimmed();
      if (line.startsWith(QLatin1String("STORED "))) reported << line.mid(7);
    }
  };
  ASSERT_TRUE(WaitFor(
      [&] {
        readReports();
        return reported.size() >= 25;
      },
      30000));
  child.kill();  // SIGKILL: no chance to close anything
  ASSERT_TRUE(child.waitForFinished());
  readReports();

  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("k"));
    db.setDatabaseName(folder.file(QStringLiteral("spider.mdb")));
    ASSERT_TRUE(db.open());
    QSqlQuery check(db);
    ASSERT_TRUE(check.exec(QStringLiteral("PRAGMA integrity_check")) && check.next());
    EXPECT_EQ(check.value(0).toString(), QStringLiteral("ok"));
    std::set<QString> inStore;
    QSqlQuery faxes(db);
    ASSERT_TRUE(faxes.exec(QStringLiteral("SELECT fax FROM faxes")));
    while (faxes.next()) inStore.insert(faxes.value(0).toString());
    for (const QString& fax : reported) EXPECT_TRUE(inStore.count(fax)) << fax.toStdString();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("k"));

  // The next start finds the websites left over and goes on with them.
  auto crawl = startCrawler();
  const int before = crawl->database().CountFaxes();
  ASSERT_TRUE(crawl->buttons().resume);
  crawl->Resume();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 30000));
  EXPECT_GT(crawl->database().CountFaxes(), before);
  std::set<QString> unique;
  for (const FaxRow& row : crawl->database().ReadAllFaxes())
    EXPECT_TRUE(unique.insert(row.fax).second) << row.fax.toStdString();
}

}  // namespace
}  // namespace norvane::testing
