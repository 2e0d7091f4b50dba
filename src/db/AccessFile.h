#pragma once

#include "db/RowWriter.h"

#include <QString>
#include <memory>

namespace ostrivo::db {

// Access .mdb (Jet 3, Jet 4) and .accdb files, read through libmdb's row level: every value
// exactly as stored (Null apart from "", Currency and Decimal digits, dates before 1900, binary
// values with leading zero bytes, memos of any length). Throws DatabaseError (err::NotADatabase)
// when libmdb cannot open the file.
std::unique_ptr<TableSource> openAccessFile(const QString& path);

// The Date/Time value stored as days since 1899-12-30 as "yyyy-MM-dd HH:mm:ss" (to the nearest
// second); empty outside the years 100 to 9999.
QString accessDateText(double days);

}  // namespace ostrivo::db
