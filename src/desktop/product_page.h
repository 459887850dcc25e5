#pragma once

#include <QString>

class QWidget;

namespace norvane {

// The product web address as the browser gets it: "http://" is put in front unless the address
// already holds "http://" or "https://" somewhere, in any letter case.
QString ProductPageAddress(const QString& address);

// Opens the product web address from the version information in the desktop's browser. When
// the desktop has no browser to start, a message gives the address to open by hand.
void OpenProductPage(QWidget* parent = nullptr);

}  // namespace norvane
