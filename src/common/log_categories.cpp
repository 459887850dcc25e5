#include "common/log_categories.h"

namespace norvane {

// Info and above would be on by default: every line is written at debug level, so nothing is
// written until QT_LOGGING_RULES asks for it.
Q_LOGGING_CATEGORY(lcCrawl, "norvane.crawl", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPolite, "norvane.polite", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStore, "norvane.store", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSearch, "norvane.search", QtInfoMsg)

}  // namespace norvane
