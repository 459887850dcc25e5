#pragma once

#include <QLoggingCategory>

namespace norvane {

// The program's log lines, one category per concern. Each is off by default and turned on with
// QT_LOGGING_RULES, for example QT_LOGGING_RULES="norvane.*=true" (see the README).
Q_DECLARE_LOGGING_CATEGORY(lcCrawl)   // "norvane.crawl": fetches given up, redirects followed
Q_DECLARE_LOGGING_CATEGORY(lcPolite)  // "norvane.polite": robots.txt decisions, hosts held back
Q_DECLARE_LOGGING_CATEGORY(lcStore)   // "norvane.store": store operations that failed
Q_DECLARE_LOGGING_CATEGORY(lcSearch)  // "norvane.search": search result pages read

}  // namespace norvane
