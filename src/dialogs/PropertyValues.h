#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace ostrivo {

class VN3Routine;
struct CanvasControl;

// What the property dialogs show and store, apart from their widgets.

// The type text of a database field type code: the code right-aligned in three characters, " - "
// and its name; a code outside the table is shown as its bare number. The field dialog shows a
// byte field as "  2 - byte"; the table and parameter dialogs show it as "  3 - byte", so their
// byte columns are stored with code 3, like integers.
QString fieldTypeText(int code);
QString listTypeText(int code);
// The code a type text stands for: its first three characters without blanks.
QString typeCodeOfText(const QString& typeText);

// A field name as the field lists show it: padded with blanks to 50 characters (a longer name
// unpadded).
QString paddedFieldName(const QString& name);

// The font sizes of the size lists: "6" to "20".
QStringList fontSizeEntries();
// The size every size list starts with.
QString defaultFontSize();
// The operators of the parameter editor; the first two characters, without blanks, are the code.
QStringList operatorEntries();

// The ordering picker: a field is appended to the ordering text with "-" unless the text already
// holds it anywhere.
QString appendToOrdering(const QString& ordering, const QString& fieldEntry);

// A position as a database field stores it: two decimals written the Italian way, then turned by
// NormalizzaValore mode 4 into the template's form (12.5 gives "12.50"), whatever the locale.
QString storedPosition(double value);

// The colour box as a template colour: a whole number within 32 bits (a system colour is
// negative); nothing for any other text.
std::optional<qint64> colorFromText(const QString& text);

// --- the text dialog -------------------------------------------------------------------------

struct TextProperties {
    QString caption;
    QString fontName;
    QString fontSize;
    QString color;
};
// Why "Ok" cannot store these; empty when it can.
QString textRefusal(const TextProperties& p);
void storeTextProperties(CanvasControl& label, const TextProperties& p);

// --- the database field dialog ---------------------------------------------------------------

struct FieldProperties {
    QString database;
    QString table;
    QString field;  // as listed, padded
    QString typeText;
    QString width;
    QString fontName;
    QString fontSize;
    QString relation;
};
QString fieldRefusal(const FieldProperties& p);
// Row `row` of CampiDB, and the label's width; its position is stored from the label as it stands.
void storeFieldProperties(VN3Routine& model, int row, CanvasControl& label, const FieldProperties& p);

// --- the table dialog ------------------------------------------------------------------------

struct TableProperties {
    QString title;
    QString fontName;
    QString fontSize;
    QString database;
    QString table;
    QString ordering;
    QString filter;
};
QString tableRefusal(const TableProperties& p);
// Row `table` of Tabelle and its columns; column rows after the last one are emptied.
void storeTable(VN3Routine& model, int table, const TableProperties& p, const std::vector<QStringList>& columns);
// The columns of a table as the model holds them: up to the first one without a title.
std::vector<QStringList> storedColumns(const VN3Routine& model, int table);

// The record an edit of a list produces, or why it is refused, or a warning that comes with it.
struct LineOutcome {
    QStringList values;
    QString refusal;
    QString warning;
};

// The entry boxes of a table column.
struct ColumnBoxes {
    QString title;
    QString field;  // as listed, padded
    QString typeText;
    QString columnWidth;
    QString fieldWidth;
    QString total;
    QString relation;
};
// The column "inserisci"/"modifica" makes; `linesAfter` is the list's length once it is placed.
LineOutcome columnFromBoxes(const ColumnBoxes& b, int linesAfter);

// --- the parameter editor --------------------------------------------------------------------

struct ParameterBoxes {
    QString column;  // as listed, padded
    QString prompt;
    QString operatorText;
    QString defaultValue;
    QString typeText;
    QString table;
    QString database;
};
LineOutcome parameterFromBoxes(const ParameterBoxes& b, int rowsAfter);
// The parameters as the model holds them: up to the first row without a column name.
std::vector<QStringList> storedParameters(const VN3Routine& model);
// ElencoParametri from the rows (column name, prompt, operator, default, type), DatabaseRif and
// TabellaRif.
void storeParameters(VN3Routine& model, const QString& database, const QString& table,
                     const std::vector<QStringList>& rows);

}  // namespace ostrivo
