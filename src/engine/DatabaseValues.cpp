#include "engine/DatabaseValues.h"

#include "engine/TextLayout.h"
#include "core/Errors.h"
#include "db/Dao.h"

namespace ostrivo {

QueryCursor::QueryCursor(const QString& database, const QString& sql)
    : database_(db::dbEngine().OpenDatabase(database)), records_(database_->OpenRecordset(sql, 2))
{
}

QueryCursor::~QueryCursor()
{
    try {
        close();
    } catch (...) {
        // Closing releases memory only; nothing to report from a destructor.
    }
}

bool QueryCursor::findFirst(const QString& criteria)
{
    records_->FindFirst(criteria);
    return !records_->NoMatch();
}

bool QueryCursor::findNext(const QString& criteria)
{
    records_->FindNext(criteria);
    return !records_->NoMatch();
}

LooseValue QueryCursor::value(const QString& column) const
{
    const db::Variant& v = records_->Fields().Item(column).Value();
    switch (v.kind()) {
    case db::Variant::Kind::Null:
        return LooseValue::null();
    case db::Variant::Kind::Number:
        return LooseValue::number(v.text());
    case db::Variant::Kind::Text:
        return LooseValue::fromText(v.text());
    case db::Variant::Kind::Binary:
        break;
    }
    throw Error(err::TypeMismatch, QStringLiteral("Tipo non corrispondente: la colonna %1 contiene dati binari").arg(column));
}

void QueryCursor::close()
{
    records_.reset();
    if (database_) {
        database_->Close();
        database_.reset();
    }
}

QString plainText(const LooseValue& value)
{
    switch (value.kind) {
    case LooseValue::Kind::Null:
        return {};
    case LooseValue::Kind::Number: {
        QString text = value.text;
        text.replace(QLatin1Char('.'), QLatin1Char(','));
        return text;
    }
    case LooseValue::Kind::Text:
        break;
    }
    return value.text;
}

QString storedDateText(const LooseValue& value)
{
    if (value.kind == LooseValue::Kind::Null)
        return {};
    return showStoredDate(plainText(value));
}

std::optional<Decimal4> factorValue(const LooseValue& value, const QString& column)
{
    if (value.kind == LooseValue::Kind::Null)
        return std::nullopt;
    if (value.kind == LooseValue::Kind::Number) {
        if (auto exact = Decimal4::parse(value.text.trimmed()))
            return exact;
    } else {
        if (auto italian = parseItalianNumber(value.text))
            return italian;
        if (auto plain = Decimal4::parse(value.text.trimmed()))
            return plain;
    }
    throw Error(err::TypeMismatch,
                QStringLiteral("Tipo non corrispondente: il valore %1 della colonna %2 non è un numero")
                    .arg(quoteInput(value.text), column));
}

}  // namespace ostrivo
