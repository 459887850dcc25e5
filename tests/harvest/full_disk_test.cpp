// The crawl on a disk that fills up: it stops and says so, keeps its queue, and goes on with
// Resume once there is room again. The application folder is a small tmpfs of its own, mounted
// for the test (it needs the right to mount, which root has; elsewhere the test is skipped).
#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "crawl_fixture.h"

namespace norvane::testing {
namespace {

// A tmpfs of `bytes` over a folder for as long as it lives.
class SmallDisk {
 public:
  SmallDisk(const QString& folder, qint64 bytes) : m_folder(folder.toLocal8Bit()) {
    const QByteArray options = "size=" + QByteArray::number(bytes);
    m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, options.constData()) == 0;
    if (!m_mounted) m_error = std::strerror(errno);
  }
  ~SmallDisk() {
    // Detached: a file the crawl still holds open must not keep it mounted.
    if (m_mounted) ::umount2(m_folder.constData(), MNT_DETACH);
  }
  bool mounted() const { return m_mounted; }
  const char* error() const { return m_error; }

 private:
  QByteArray m_folder;
  bool m_mounted = false;
  const char* m_error = "";
};

// Writes a file until the disk takes no more.
void FillDisk(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  const QByteArray block(4096, 'f');
  while (file.write(block) == block.size() && file.flush()) {
  }
}

TEST_F(CrawlTest, FullDiskStopsTheCrawlKeepsTheQueueAndResumeGoesOnOnceThereIsRoom) {
  SmallDisk disk(folder.path(), 2 * 1024 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();

  // With the placeholder seedQueue puts first, the start's preview holds the whole queue.
  constexpr int kPages = 19;
  QStringList queue;
  for (int p = 0; p < kPages; ++p) {
    const QString website = QStringLiteral("full.test/p%1.html").arg(p);
    server.setPage(website,
                   "<html><body>Fax: (201) 555-" + QByteArray::number(1000 + p) + "</body></html>");
    queue << website;
  }
  seedQueue(queue);
  server.setResponseDelay(20);
  auto crawl = startCrawler(20);
  QStringList messages;
  QObject::connect(crawl.get(), &HarvestController::storeFaultReported,
                   [&](const QString& text) { messages << text; });
  const QString filler = folder.file(QStringLiteral("filler"));
  FillDisk(filler);

  crawl->StartSearch();
  ASSERT_TRUE(WaitFor([&] { return !crawl->bHarvesting && !crawl->buttons().stop; }, 15000));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.first().startsWith(QStringLiteral("The disk of ") +
                                          QDir::toNativeSeparators(folder.path()) +
                                          QStringLiteral(" is full")))
      << messages.first().toStdString();
  EXPECT_EQ(crawl->panelText(2), QStringLiteral("disk full"));
  EXPECT_EQ(crawl->panelText(1), QStringLiteral("Stopped"));
  // It stopped at the first number it could not keep, before the sockets took more pages.
  EXPECT_LE(server.requests().size(), kSocketCount);
  EXPECT_EQ(crawl->database().CountFaxes(), 0);
  // Every page not yet read is still queued, in the table or in the preview.
  QStringList queued = crawl->queuePreview();
  queued += crawl->database().QueuedWebsites(kPages * 2);
  for (const QString& website : queue)
    EXPECT_TRUE(queued.contains(website)) << website.toStdString();
  ASSERT_TRUE(crawl->buttons().resume);

  ASSERT_TRUE(QFile::remove(filler));
  crawl->Resume();
  ASSERT_TRUE(WaitFor([&] { return dry(*crawl); }, 30000));
  EXPECT_EQ(crawl->database().CountFaxes(), kPages);
  EXPECT_EQ(crawl->database().fault(), StoreFault::None);
  EXPECT_EQ(messages.size(), 1);
}

}  // namespace
}  // namespace norvane::testing
