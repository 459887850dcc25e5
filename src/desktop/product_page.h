#pragma once

#include <QString>

namespace norvane {

// The product web address as the browser gets it: "http://" is put in front unless the address
// already holds "http://" or "https://" somewhere, in any letter case.
QString ProductPageAddress(const QString& address);

// Opens the product web address from the version information in the desktop's browser.
// Every failure is ignored.
void OpenProductPage();

}  // namespace norvane
