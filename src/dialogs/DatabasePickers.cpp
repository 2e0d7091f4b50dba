#include "dialogs/DatabasePickers.h"

#include "dialogs/DatabaseLists.h"
#include "dialogs/DialogForm.h"
#include "dialogs/PropertyValues.h"
#include "core/Dialogs.h"
#include "core/Errors.h"

#include <QComboBox>
#include <QLineEdit>

namespace ostrivo {

namespace {

constexpr int kTypeRole = Qt::UserRole;

FileRequest databaseFileRequest(const QString& fileName)
{
    FileRequest request;
    request.initialDir = QStringLiteral(".\\");
    request.filter = QStringLiteral("Microsoft Access (*.mdb)|*.mdb");
    request.fileName = fileName;
    return request;
}

}  // namespace

bool fillTables(QComboBox* list, const QString& database, PlatformDialogs& dialogs, const QString& title)
{
    fillList(list, {});
    try {
        fillList(list, databaseTables(database));
        return true;
    } catch (const Error& e) {
        reportProblem(dialogs, title,
                      QStringLiteral("Le tabelle del database \"%1\" non si possono leggere: %2").arg(database, e.description()));
        return false;
    }
}

bool fillFields(std::initializer_list<QComboBox*> lists, const QString& database, const QString& table,
                PlatformDialogs& dialogs, const QString& title)
{
    for (QComboBox* list : lists)
        fillList(list, {});
    std::vector<DatabaseField> fields;
    try {
        fields = tableFields(database, table);
    } catch (const Error& e) {
        reportProblem(dialogs, title,
                      QStringLiteral("I campi della tabella \"%1\" del database \"%2\" non si possono leggere: %3")
                          .arg(table, database, e.description()));
        return false;
    }
    for (QComboBox* list : lists) {
        for (const DatabaseField& f : fields)
            list->addItem(paddedFieldName(f.name), f.type);
        list->setCurrentIndex(-1);
    }
    return true;
}

std::optional<int> chosenFieldType(const QComboBox* list)
{
    const QVariant type = list->currentData(kTypeRole);
    if (!type.isValid())
        return std::nullopt;
    return type.toInt();
}

bool showStoredTable(QComboBox* list, const QString& table, const QString& database, bool tablesListed,
                     PlatformDialogs& dialogs, const QString& title)
{
    // The database engine finds a table whatever the case of its name.
    if (selectOrKeep(list, table) || offersIgnoringCase(list, table))
        return true;
    if (tablesListed && !table.isEmpty()) {
        reportProblem(dialogs, title,
                      QStringLiteral("La tabella \"%1\" non è più nel database \"%2\": resta memorizzata com'era.")
                          .arg(table, database));
    }
    return false;
}

bool browseDatabase(QLineEdit* box, QComboBox* tables, QString& chosen, PlatformDialogs& dialogs, const QString& title)
{
    const std::optional<QString> file = chosenExistingFile(dialogs, databaseFileRequest(chosen), title);
    if (!file)
        return false;
    chosen = *file;
    box->setText(*file);
    fillTables(tables, *file, dialogs, title);
    tables->setFocus();
    return true;
}

}  // namespace ostrivo
