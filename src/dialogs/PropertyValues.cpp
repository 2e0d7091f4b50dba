#include "dialogs/PropertyValues.h"

#include "dialogs/ListLines.h"
#include "core/FieldTypes.h"
#include "template/CanvasModel.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/VN3Routine.h"

#include <QRegularExpression>
#include <limits>

namespace ostrivo {

namespace {

constexpr int kNameWidth = 50;
constexpr int kFirstFontSize = 6;
constexpr int kLastFontSize = 20;
// Beyond these the print run stops reading: it prints at most 54 columns of a table and asks for
// at most 10 parameters.
constexpr int kPrintedColumns = 54;
constexpr int kAskedParameters = 10;

static_assert(columnCount<ColumnAttr>() == std::size(kColumnPlaces));
static_assert(columnCount<ParameterAttr>() == kParameterValues);

QString typeName(int code)
{
    switch (code) {
    case db::type::Boolean:
        return QStringLiteral("boolean");
    case db::type::Byte:
        return QStringLiteral("byte");
    case db::type::Integer:
        return QStringLiteral("integer");
    case db::type::Long:
        return QStringLiteral("long integer");
    case db::type::Currency:
        return QStringLiteral("currency");
    case db::type::Single:
        return QStringLiteral("single");
    case db::type::Double:
        return QStringLiteral("double");
    case db::type::Date:
        return QStringLiteral("date");
    case db::type::Text:
        return QStringLiteral("text");
    case db::type::LongBinary:
        return QStringLiteral("long binary");
    case db::type::Memo:
        return QStringLiteral("memo");
    default:
        return {};
    }
}

QString typeText(int shownCode, int code)
{
    const QString name = typeName(code);
    if (name.isEmpty())
        return QString::number(code);
    return QString::number(shownCode).rightJustified(3, QLatin1Char(' ')) + QStringLiteral(" - ") + name;
}

}  // namespace

QString fieldTypeText(int code)
{
    return typeText(code, code);
}

QString listTypeText(int code)
{
    return typeText(code == db::type::Byte ? db::type::Integer : code, code);
}

QString typeCodeOfText(const QString& text)
{
    return text.left(3).trimmed();
}

QString paddedFieldName(const QString& name)
{
    return name.leftJustified(kNameWidth, QLatin1Char(' '));
}

QStringList fontSizeEntries()
{
    QStringList sizes;
    for (int size = kFirstFontSize; size <= kLastFontSize; ++size)
        sizes << QString::number(size);
    return sizes;
}

QString defaultFontSize()
{
    return QStringLiteral("8");
}

QStringList operatorEntries()
{
    return {QStringLiteral("=   uguale"),
            QStringLiteral("<   minore di"),
            QStringLiteral(">   maggiore di"),
            QStringLiteral("<=  minore o uguale a"),
            QStringLiteral(">=  maggiore o uguale a"),
            QStringLiteral("<>  diverso da"),
            QStringLiteral("In  include"),
            QStringLiteral("No  non include")};
}

QString appendToOrdering(const QString& ordering, const QString& fieldEntry)
{
    const QString field = fieldEntry.trimmed();
    if (ordering.contains(field))
        return ordering;
    if (ordering.trimmed().isEmpty())
        return field;
    return ordering + QLatin1Char('-') + field;
}

QString storedPosition(double value)
{
    QString italian = formatTwoDecimals(value);
    italian.replace(QLatin1Char('.'), QLatin1Char(','));
    return NormalizzaValore(italian, mode::DecimalPoint);
}

std::optional<qint64> colorFromText(const QString& text)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*-?\\d{1,10}\\s*$"));
    if (!whole.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.trimmed().toLongLong();
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return value;
}

QString textRefusal(const TextProperties& p)
{
    if (!colorFromText(p.color))
        return QStringLiteral("Il colore \"%1\" non è un numero intero: sceglierlo cliccando sulla casella del colore.")
            .arg(p.color);
    return {};
}

void storeTextProperties(CanvasControl& label, const TextProperties& p)
{
    label.caption = p.caption;
    label.fontName = p.fontName;
    label.fontSize = leadingNumber(p.fontSize);
    if (const auto color = colorFromText(p.color))
        label.foreColor = TemplateColor(*color);
}

QString fieldRefusal(const FieldProperties& p)
{
    if (p.database.trimmed().isEmpty())
        return QStringLiteral("Manca il database del campo: sceglierlo con \"sfoglia\" (un campo senza database non "
                              "viene salvato).");
    if (p.table.isEmpty() || p.field.trimmed().isEmpty())
        return QStringLiteral("Scegliere la tabella e il campo da stampare.");
    if (leadingNumberText(p.width).isEmpty())
        return QStringLiteral("La larghezza \"%1\" non è un numero.").arg(p.width);
    return {};
}

void storeFieldProperties(VN3Routine& model, int row, CanvasControl& label, const FieldProperties& p)
{
    using F = FieldAttr;
    const double width = leadingNumber(p.width);
    auto& list = model.CampiDB;
    list(row, F::Database) = p.database;
    list(row, F::Table) = p.table;
    list(row, F::FieldName) = p.field.trimmed();
    list(row, F::TypeCode) = p.typeText;
    list(row, F::X) = storedPosition(label.left);
    list(row, F::Y) = storedPosition(label.top);
    list(row, F::Width) = formatShortest(width);
    list(row, F::FontName) = p.fontName;
    list(row, F::FontSize) = p.fontSize;
    list(row, F::Relation) = p.relation;
    label.width = width;
}

QString tableRefusal(const TableProperties& p)
{
    if (p.title.trimmed().isEmpty())
        return QStringLiteral("Scrivere il titolo della tabella: una tabella senza titolo non viene salvata.");
    return {};
}

void storeTable(VN3Routine& model, int table, const TableProperties& p, const std::vector<QStringList>& columns)
{
    using T = TableAttr;
    model.Tabelle(table, T::Title) = p.title;
    model.Tabelle(table, T::FontName) = p.fontName;
    model.Tabelle(table, T::FontSize) = p.fontSize;
    model.Tabelle(table, T::Database) = p.database;
    model.Tabelle(table, T::Table) = p.table;
    model.Tabelle(table, T::Ordering) = p.ordering;
    model.Tabelle(table, T::Filter) = p.filter;
    // Rows after the last column are emptied, or a longer earlier list would come back.
    for (int j = 1; j <= VN3Routine::MaxColonne; ++j) {
        const QStringList values = j <= static_cast<int>(columns.size()) ? columns[static_cast<std::size_t>(j - 1)]
                                                                         : QStringList();
        for (const ColumnAttr a : everyColumn<ColumnAttr>())
            model.ColonneTabella(table, j, a) = values.value(linePlace(a));
    }
}

std::vector<QStringList> storedColumns(const VN3Routine& model, int table)
{
    std::vector<QStringList> columns;
    for (int j = 1; j <= VN3Routine::MaxColonne && !model.ColonneTabella(table, j, ColumnAttr::Title).isEmpty(); ++j) {
        QStringList values;
        for (const ColumnAttr a : everyColumn<ColumnAttr>())
            values << model.ColonneTabella(table, j, a);
        columns.push_back(values);
    }
    return columns;
}

LineOutcome columnFromBoxes(const ColumnBoxes& b, int linesAfter)
{
    LineOutcome out;
    const QString title = b.title.trimmed();
    const QString field = b.field.trimmed();
    if (title.isEmpty()) {
        out.refusal = QStringLiteral("Scrivere il titolo della colonna: una colonna senza titolo nasconderebbe "
                                     "le colonne che la seguono.");
    } else if (field.size() > kColumnPlaces[linePlace(ColumnAttr::FieldName)]) {
        out.refusal = QStringLiteral("Il campo \"%1\" ha un nome di più di %2 caratteri: una colonna non può "
                                     "contenerlo.")
                          .arg(field, QString::number(kColumnPlaces[linePlace(ColumnAttr::FieldName)]));
    } else if (linesAfter > VN3Routine::MaxColonne) {
        out.refusal = QStringLiteral("Una tabella ha al massimo %1 colonne.").arg(VN3Routine::MaxColonne);
    } else if (linesAfter > kPrintedColumns) {
        out.warning = QStringLiteral("La tabella ha %1 colonne: una tabella di più di %2 colonne non può essere "
                                     "stampata.")
                          .arg(linesAfter)
                          .arg(kPrintedColumns);
    }
    if (!out.refusal.isEmpty())
        return out;
    // A field named like a date is a date, whatever the database stores.
    const QString type = b.field.startsWith(QLatin1String("Data")) ? QString::number(db::type::Date)
                                                                    : typeCodeOfText(b.typeText);
    out.values = {title, field, b.columnWidth.trimmed(), b.fieldWidth.trimmed(), type, b.total.left(1),
                  b.relation.trimmed()};
    return out;
}

LineOutcome parameterFromBoxes(const ParameterBoxes& b, int rowsAfter)
{
    LineOutcome out;
    const QString column = b.column.trimmed();
    const QString prompt = b.prompt.trimmed();
    const QString op = b.operatorText.left(2).trimmed();
    if (column.isEmpty()) {
        out.refusal = QStringLiteral("Scegliere il campo del database su cui filtra il parametro.");
    } else if (column.size() > kParameterPlaces[linePlace(ParameterAttr::FieldName)]) {
        out.refusal = QStringLiteral("Il campo \"%1\" ha un nome di più di %2 caratteri: un parametro non può "
                                     "contenerlo.")
                          .arg(column, QString::number(kParameterPlaces[linePlace(ParameterAttr::FieldName)]));
    } else if (prompt.size() > kParameterPlaces[linePlace(ParameterAttr::Prompt)]) {
        out.refusal = QStringLiteral("Il testo di richiesta ha %1 caratteri: al massimo %2.")
                          .arg(prompt.size())
                          .arg(kParameterPlaces[linePlace(ParameterAttr::Prompt)]);
    } else if (op.isEmpty()) {
        out.refusal = QStringLiteral("Scegliere l'operatore del parametro.");
    } else if (rowsAfter > VN3Routine::MaxParametri) {
        out.refusal = QStringLiteral("Un modulo ha al massimo %1 parametri.").arg(VN3Routine::MaxParametri);
    } else if (rowsAfter > kAskedParameters) {
        out.warning = QStringLiteral("I parametri sono %1: la stampa ne chiede e ne usa al massimo %2.")
                          .arg(rowsAfter)
                          .arg(kAskedParameters);
    }
    if (!out.refusal.isEmpty())
        return out;
    out.values = {column,
                  prompt,
                  op,
                  b.defaultValue.left(kParameterPlaces[linePlace(ParameterAttr::DefaultValue)]).trimmed(),
                  typeCodeOfText(b.typeText),
                  b.table.trimmed(),
                  b.database.left(kParameterPlaces[kReferenceDatabasePlace]).trimmed()};
    return out;
}

std::vector<QStringList> storedParameters(const VN3Routine& model)
{
    std::vector<QStringList> rows;
    for (int i = 1; i <= VN3Routine::MaxParametri && !model.ElencoParametri(i, ParameterAttr::FieldName).isEmpty(); ++i) {
        QStringList values;
        for (const ParameterAttr c : everyColumn<ParameterAttr>())
            values << model.ElencoParametri(i, c);
        rows.push_back(values);
    }
    return rows;
}

void storeParameters(VN3Routine& model, const QString& database, const QString& table,
                     const std::vector<QStringList>& rows)
{
    model.DatabaseRif = database;
    model.TabellaRif = table;
    // Every row's texts are rewritten, those after the last emptied; what a row keeps from the
    // file stays with its number.
    for (int i = 1; i <= VN3Routine::MaxParametri; ++i) {
        const QStringList values = i <= static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(i - 1)]
                                                                      : QStringList();
        for (const ParameterAttr c : everyColumn<ParameterAttr>())
            model.ElencoParametri(i, c) = values.value(linePlace(c));
    }
}

}  // namespace ostrivo
