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

// Where a table's copy stands, after every few thousand rows and at its end.
struct ImportProgress {
    QString table;
    std::int64_t rows = 0;
    std::int64_t totalRows = 0;
    double seconds = 0;  // since the table's copy began
};

// Copies the tables of an Access or SQLite file into the PostgreSQL database named by a
// connection file: every value exactly, each row's place, and the Access names and type codes for
// the listing. Each table is copied in one transaction; the source is only read. Before anything
// is written the whole request is checked: an unknown table, or a table that exists on the
// server without `replace`, throws DatabaseError and changes nothing. System tables ("MSys...")
// are listed but not copied. Returns the tables copied, in the source's order, with their rows.
std::vector<ImportProgress> importDatabase(const QString& source, const QString& destination, const ImportOptions& options,
                                           const std::function<void(const ImportProgress&)>& progress = {});

}  // namespace ostrivo::db
