#include "desktop/product_page.h"

#include <QUrl>

#include "common/version_info.h"
#include "desktop/open_or_tell.h"

namespace norvane {

QString ProductPageAddress(const QString& address) {
  if (address.contains(QLatin1String("https://"), Qt::CaseInsensitive) ||
      address.contains(QLatin1String("http://"), Qt::CaseInsensitive)) {
    return address;
  }
  return QLatin1String("http://") + address;
}

void OpenProductPage(QWidget* parent) {
  const QString address = ProductPageAddress(QString::fromUtf8(version::kComments));
  OpenOrTell(parent, QUrl(address));
}

}  // namespace norvane
