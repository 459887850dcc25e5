#pragma once

#include <QString>
#include <functional>

namespace norvane {

// Shows a short notice on the desktop through the freedesktop notification service on the
// session bus. When no session bus or no such service is there, nothing is shown: false.
bool ShowDesktopNotice(const QString& title, const QString& body);

// Tests: notices go to this function instead of the desktop; an empty function restores it.
using DesktopNoticeSink = std::function<void(const QString& title, const QString& body)>;
void SetDesktopNoticeSink(DesktopNoticeSink sink);

}  // namespace norvane
