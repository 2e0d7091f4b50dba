#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

namespace ostrivo::db {

struct ImportOptions {
    bool replace = false;  // a table that exists on the server is dropped and copied again
    QStringList tables;    // the tables to copy (names ignore case); empty: every table
};

// Where a table's copy stands: every 5,000 rows and at its end while it is copied, and once more
// for each table, `copied`, when the whole import is committed.
struct ImportProgress {
    QString table;
    std::int64_t rows = 0;
    std::int64_t totalRows = 0;
    std::int64_t bytes = 0;  // of the values sent
    double seconds = 0;      // since the table's copy began
    bool copied = false;
};

// Copies the tables of an Access or SQLite file into the PostgreSQL database named by a
// connection file: every value exactly, each row's place, and the Access names and type codes for
// the listing. All the tables are copied in one transaction: a failure, or the end of the
// process, at any moment leaves the server as it was. The source is only read. Before anything
// is written the whole request is checked: an unknown table, two tables (or two columns of one)
// whose names differ only in case, or a table that exists on the server without `replace`,
// throws DatabaseError and changes nothing. System tables ("MSys...") are listed but not copied.
// Returns the tables copied, in the source's order, with their rows.
std::vector<ImportProgress> importDatabase(const QString& source, const QString& destination, const ImportOptions& options,
                                           const std::function<void(const ImportProgress&)>& progress = {});

}  // namespace ostrivo::db
