#pragma once

#include <QString>
#include <initializer_list>
#include <optional>

class QComboBox;
class QLineEdit;

namespace ostrivo {

class PlatformDialogs;

// The pick lists of tables and fields that the dialogs fill from a database. A database that
// cannot be read is told to the user in a message titled `title`; the dialog stays usable.

// Replaces the entries of `list` by the tables of the database; false when it cannot be read.
bool fillTables(QComboBox* list, const QString& database, PlatformDialogs& dialogs, const QString& title);

// Replaces the entries of each list by the fields of the table, padded, each with its type code;
// nothing is selected. False when they cannot be read.
bool fillFields(std::initializer_list<QComboBox*> lists, const QString& database, const QString& table,
                PlatformDialogs& dialogs, const QString& title);

// The type code that came with the chosen field; nothing for a kept entry or no choice.
std::optional<int> chosenFieldType(const QComboBox* list);

// Selects a stored table in `list`, or keeps it as an entry of its own where the database does not
// list it (telling the user when it listed the tables but not this one). True when the database
// has the table, so its fields can be listed.
bool showStoredTable(QComboBox* list, const QString& table, const QString& database, bool tablesListed,
                     PlatformDialogs& dialogs, const QString& title);

// "sfoglia": the user chooses a database file; the box shows it and `tables` lists its tables,
// with the focus. `chosen` is the file chosen last in this opening, which the file dialog offers
// again. A cancelled file dialog changes nothing. True when a file was chosen.
bool browseDatabase(QLineEdit* box, QComboBox* tables, QString& chosen, PlatformDialogs& dialogs, const QString& title);

}  // namespace ostrivo
