#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace ostrivo {

// What the property dialogs read from a database: each call opens it through the database engine,
// reads, and closes it again; nothing stays open while a dialog waits. Failures throw
// DatabaseError (file, table and reason).

struct DatabaseField {
    QString name;
    int type = 0;
};

// The tables in the engine's order, without the engine's own: those whose name begins with "MSys"
// (compared exactly, so "msysdata" is listed).
QStringList databaseTables(const QString& path);
// The fields of a table, in the table's order.
std::vector<DatabaseField> tableFields(const QString& path, const QString& table);

}  // namespace ostrivo
