#include <QApplication>

#include "app/form1.h"
#include "common/app_folder.h"
#include "common/version_info.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setOrganizationName(QString::fromUtf8(norvane::version::kProductName));
  QApplication::setApplicationVersion(
      QStringLiteral("%1.%2").arg(norvane::version::kMajor).arg(norvane::version::kMinor));
  norvane::SetAppFolder(norvane::ResolveAppFolder(QApplication::arguments()));

  norvane::Form1 form;
  form.Form_Load();
  form.show();
  return QApplication::exec();
}
