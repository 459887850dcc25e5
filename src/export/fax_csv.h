#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "store/fax_row.h"

namespace norvane {

// The columns of the CSV export, in order, as its header row names them.
inline constexpr const char* kFaxCsvHeader = "number,region,website,search,date";

// One CSV field (RFC 4180): quoted when it holds a comma, a double quote, a CR or an LF, with
// each double quote doubled; as it is otherwise.
QString CsvField(const QString& text);

// The CSV file of the rows: the header row, then one record a row (number, region, website,
// search, date), every record ended by CR LF, in UTF-8.
QByteArray FaxCsvBytes(const QList<FaxRow>& rows);
// The header row and one record of that file, for writing it a row at a time.
QByteArray FaxCsvHeaderBytes();
QByteArray FaxCsvRecordBytes(const FaxRow& row);

}  // namespace norvane
