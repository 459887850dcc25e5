#include "desktop/open_or_tell.h"

#include <QDir>

#include "desktop/message_box.h"
#include "desktop/open_url.h"

namespace norvane {

QString CannotOpenText(const QUrl& url) {
  if (url.isLocalFile()) {
    return QStringLiteral("No file manager was found to open the folder. Open it by hand:\n\n") +
           QDir::toNativeSeparators(url.toLocalFile());
  }
  return QStringLiteral("No web browser was found to open the address. Open it by hand:\n\n") +
         url.toString();
}

bool OpenOrTell(QWidget* parent, const QUrl& url) {
  if (OpenUrl(url)) return true;
  MessageBox::show(parent, CannotOpenText(url), QMessageBox::Information);
  return false;
}

}  // namespace norvane
