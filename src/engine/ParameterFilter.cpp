#include "engine/ParameterFilter.h"

#include "core/Errors.h"
#include "db/AccessSql.h"
#include "template/Helpers.h"

#include <QRegularExpression>
#include <algorithm>
#include <functional>

namespace ostrivo {

namespace {

QString parameterName(const PrintParameter& p)
{
    return QStringLiteral("il parametro %1 (%2)").arg(p.number).arg(p.column);
}

[[noreturn]] void badValue(const PrintParameter& p, const QString& value, const QString& why)
{
    throw Error(err::TypeMismatch,
                QStringLiteral("%1: il valore %2 %3").arg(parameterName(p), quoteInput(value), why));
}

// One value converted by the type word, as the filter does for a single value.
QString convertOne(const PrintParameter& p, const QString& raw)
{
    QString value = raw;
    if (p.typeWord == QLatin1String("Str"))
        return quoteSql(NormalizzaValore(value, mode::Text));
    if (p.typeWord == QLatin1String("Date")) {
        const QString text = NormalizzaValore(value, mode::Text);
        return quoteSql(text.mid(6, 4) + text.mid(3, 2) + text.mid(0, 2));
    }
    QString number = raw.trimmed();
    if (p.typeWord == QLatin1String("Num"))
        number = NormalizzaValore(value, mode::Number);
    else if (p.typeWord == QLatin1String("Cur")) {
        // Digits, signs and marks only; the marks are read below.
        number.remove(QRegularExpression(QStringLiteral("[^0-9,.\\-]")));
        if (number.isEmpty())
            number = QStringLiteral("0");
    }
    if (const auto sql = sqlNumber(number))
        return *sql;
    badValue(p, raw, QStringLiteral("non è un numero"));
}

}  // namespace

QString quoteSql(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

std::optional<QString> sqlNumber(const QString& value)
{
    QString text = value.trimmed();
    if (text.contains(QLatin1Char(',')) && text.contains(QLatin1Char('.')))
        text.remove(QLatin1Char('.'));
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral("^-?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

QString filterLiteral(const PrintParameter& p)
{
    if (p.op == QLatin1String("In") || p.op == QLatin1String("No")) {
        QStringList items;
        for (const QString& item : p.rawValue.split(QLatin1Char(';'))) {
            if (!item.trimmed().isEmpty())
                items << convertOne(p, item.trimmed());
        }
        if (items.isEmpty()) {
            throw Error(err::InvalidArgument,
                        QStringLiteral("%1: nessun valore nell'elenco %2").arg(parameterName(p), quoteInput(p.rawValue)));
        }
        return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return convertOne(p, p.rawValue);
}

QString parameterFilter(const std::vector<PrintParameter>& parameters)
{
    QString filter = QStringLiteral("NumeroHotel = 1");
    for (const PrintParameter& p : parameters) {
        QString op = p.op;
        if (op == QLatin1String("In"))
            op = QStringLiteral("IN");
        else if (op == QLatin1String("No"))
            op = QStringLiteral("NOT IN");
        filter += QStringLiteral(" and ") + p.column + QLatin1Char(' ') + op + QLatin1Char(' ') + filterLiteral(p);
    }
    return filter;
}

namespace {

// Replaces the first "<PARAMn>" of each parameter, found in the original text, so that a value
// that itself holds a placeholder is never replaced again.
QString replacePlaceholders(const QString& text, const std::vector<PrintParameter>& parameters,
                            const std::function<QString(const PrintParameter&)>& literalOf, bool keepApart = false)
{
    struct Hit {
        qsizetype at;
        qsizetype length;
        QString literal;
    };
    std::vector<Hit> hits;
    for (const PrintParameter& p : parameters) {
        const QString placeholder = QStringLiteral("<PARAM%1>").arg(p.number);
        const qsizetype at = text.indexOf(placeholder);
        if (at >= 0)
            hits.push_back({at, placeholder.size(), literalOf(p)});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.at < b.at; });
    // In SQL a value stands apart from its neighbours, so that it never joins them into one token
    // ('a'<PARAM1> is no longer one text, x<PARAM1> no longer one name).
    const auto apart = [&](qsizetype at) { return keepApart && at >= 0 && at < text.size() && !text.at(at).isSpace(); };
    QString result;
    qsizetype from = 0;
    for (const Hit& hit : hits) {
        result += text.mid(from, hit.at - from);
        if (apart(hit.at - 1))
            result += QLatin1Char(' ');
        result += hit.literal;
        from = hit.at + hit.length;
        if (apart(from))
            result += QLatin1Char(' ');
    }
    return result + text.mid(from);
}

}  // namespace

void checkRelationQuotes(const QString& relation, const std::vector<PrintParameter>& parameters)
{
    // Read as the SQL translator reads it: a "'" inside [a'b] opens nothing.
    std::optional<std::vector<db::AccessSqlLiteral>> literals;
    for (const PrintParameter& p : parameters) {
        if (p.typeWord != QLatin1String("Str") && p.typeWord != QLatin1String("Date"))
            continue;
        const QString placeholder = QStringLiteral("<PARAM%1>").arg(p.number);
        const qsizetype at = relation.indexOf(placeholder);
        if (at < 0)
            continue;
        if (!literals) {
            try {
                literals = db::accessSqlLiterals(relation);
            } catch (const DatabaseError& e) {
                // The value's quotes could only make such a relation whole by becoming its SQL.
                throw Error(err::QuerySyntax, QStringLiteral("la relazione non si legge (%1): il segnaposto %2 non può "
                                                             "ricevervi un valore")
                                                  .arg(e.detail(), placeholder));
            }
        }
        for (const db::AccessSqlLiteral& literal : *literals) {
            if (at < literal.begin || at >= literal.end)
                continue;
            // (No date between # holds a placeholder: such a relation does not read.)
            const QString where = literal.kind == db::AccessSqlLiteral::Kind::Name
                                      ? QStringLiteral("tra parentesi quadre, dove il suo valore diventerebbe un nome: toglierle")
                                      : QStringLiteral("tra apici, ma gli apici al suo valore li mette il programma: toglierli");
            throw Error(err::QuerySyntax, QStringLiteral("il segnaposto %1 sta %2 dalla relazione").arg(placeholder, where));
        }
    }
}

QString replaceRelationPlaceholders(const QString& relation, const std::vector<PrintParameter>& parameters)
{
    return replacePlaceholders(relation, parameters, [](const PrintParameter& p) {
        if (p.typeWord == QLatin1String("Str") || p.typeWord == QLatin1String("Date"))
            return quoteSql(p.rawValue);
        if (const auto number = sqlNumber(p.rawValue))
            return *number;
        badValue(p, p.rawValue, QStringLiteral("non è un numero e non può stare nella relazione"));
    }, true);
}

QString replaceTextPlaceholders(const QString& text, const std::vector<PrintParameter>& parameters)
{
    return replacePlaceholders(text, parameters, [](const PrintParameter& p) { return p.rawValue; });
}

}  // namespace ostrivo
