#pragma once

#include <QString>

#include "store/sqlite_connection.h"

namespace norvane {

// The three tables of a fresh spider.mdb. Dates are text "yyyy-MM-dd HH:mm:ss", which sorts
// chronologically. Returns false when any table could not be created; nothing is then kept.
bool CreateSpiderTables(SqliteConnection& db);

// Case-blind indexes on the columns the lookups compare, so a lookup does not walk the table.
// Only indexes are added (never a table or column), and a failure (a table or column that an
// older file lacks, a read-only file) is ignored: the lookups work without them.
void AddLookupIndexes(SqliteConnection& db);

// The table `visited` (website, search) of the pages read under each search string, with its
// lookup index, when the file lacks it. Older programs read a file with or without it. False
// when it could not be made (a read-only file): the skipping of pages read then has no table.
bool AddVisitedTable(SqliteConnection& db);

// The table `result_sites` (site, search, queued, taken) of the sites a search found, which the
// crawl stays on, with the pages it queued and took of each (and its index by site), when the
// file lacks it. False when it could not be made.
bool AddResultSitesTable(SqliteConnection& db);

// The local date and time to the second, in the stored form.
QString StoredNow();

}  // namespace norvane
