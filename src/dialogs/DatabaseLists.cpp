#include "dialogs/DatabaseLists.h"

#include "core/Errors.h"
#include "db/Dao.h"

#include <memory>

namespace ostrivo {

namespace {

// Closes the database however the reading ends.
struct OpenDatabase {
    explicit OpenDatabase(const QString& path) : db(db::dbEngine().Workspaces().Item(0).OpenDatabase(path)) {}
    ~OpenDatabase()
    {
        try {
            db->Close();
        } catch (const Error&) {
            // Closing releases the file; what went wrong while reading is what the caller reports.
        }
    }
    OpenDatabase(const OpenDatabase&) = delete;
    OpenDatabase& operator=(const OpenDatabase&) = delete;
    std::unique_ptr<db::Database> db;
};

}  // namespace

QStringList databaseTables(const QString& path)
{
    OpenDatabase open(path);
    const db::TableDefCollection& tables = open.db->TableDefs();
    QStringList names;
    for (int k = 0; k < tables.Count(); ++k) {
        const QString name = tables.Item(k).Name();
        if (!name.startsWith(QLatin1String("MSys")))
            names << name;
    }
    return names;
}

std::vector<DatabaseField> tableFields(const QString& path, const QString& table)
{
    OpenDatabase open(path);
    const db::FieldCollection& fields = open.db->TableDefs().Item(table).Fields();
    std::vector<DatabaseField> result;
    for (int k = 0; k < fields.Count(); ++k)
        result.push_back({fields.Item(k).Name(), fields.Item(k).Type()});
    return result;
}

}  // namespace ostrivo
