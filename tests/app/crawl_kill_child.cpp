// A crawl in a process of its own, for the test that kills it: it prints each number as soon
// as the store has it, so the test knows what must survive the kill.
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QSettings>
#include <cstdio>

#include "app/form1.h"
#include "common/app_folder.h"
#include "harvest/page_fetcher.h"

namespace {

class ReportingForm : public norvane::Form1 {
 public:
  void RecordStatistic(int kind) override {
    Form1::RecordStatistic(kind);
    // The fax-found event comes after the number reached the store.
    if (kind == 2 && List3->count() > 0) {
      std::printf("STORED %s\n",
                  qPrintable(List3->item(List3->count() - 1)->text().section(' ', 0, 0)));
      std::fflush(stdout);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 3) return 2;
  const QString folder = QString::fromLocal8Bit(argv[1]);
  norvane::SetAppFolder(folder);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder + "/settings");
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder + "/settings");

  ReportingForm form;
  form.Form_Load();
  for (QCheckBox* box : {form.chkAudioEmail, form.chkAudioNext, form.chkAudioFinished})
    box->setChecked(false);
  form.fetcher().setConnectTo(QStringLiteral("127.0.0.1"), quint16(QString(argv[2]).toUInt()));
  form.cmdDoSearch_Click();
  std::printf("STARTED\n");
  std::fflush(stdout);
  return QApplication::exec();
}
