#pragma once

#include "template/Helpers.h"
#include "template/Numbers.h"

#include <QString>
#include <memory>
#include <optional>

namespace ostrivo {

namespace db {
class Database;
class Recordset;
}  // namespace db

// One query of the print run: the database opened by its name as the template gives it, a dynaset
// on the SQL, and finds on a criterion. Closed at the end of its scope in every case.
class QueryCursor {
public:
    QueryCursor(const QString& database, const QString& sql);
    ~QueryCursor();
    QueryCursor(const QueryCursor&) = delete;
    QueryCursor& operator=(const QueryCursor&) = delete;

    // FindFirst / FindNext; false when no record matches (NoMatch).
    bool findFirst(const QString& criteria);
    bool findNext(const QString& criteria);
    // The value of a column of the current record.
    LooseValue value(const QString& column) const;
    void close();

private:
    std::unique_ptr<db::Database> database_;
    std::unique_ptr<db::Recordset> records_;
};

// A value as text, as it is printed in a text or date field: a null is empty, a number takes the
// Italian decimal comma, a text stays as stored.
QString plainText(const LooseValue& value);

// A stored date "yyyymmdd" shown as "dd/mm/yyyy"; a null is empty.
QString storedDateText(const LooseValue& value);

// A product factor as a fixed-point decimal; none for a null. A text that is no number is a type
// mismatch naming the column.
std::optional<Decimal4> factorValue(const LooseValue& value, const QString& column);

}  // namespace ostrivo
