#pragma once

#include "db/RowWriter.h"

#include <QString>
#include <memory>

namespace ostrivo::db {

// Any SQLite 3 file, opened read only: its tables are copied into the query engine as Access
// tables are, so that text compares the same way on both. Throws DatabaseError
// (err::NotADatabase) when SQLite cannot read the file.
std::unique_ptr<TableSource> openSqliteFile(const QString& path);

}  // namespace ostrivo::db
