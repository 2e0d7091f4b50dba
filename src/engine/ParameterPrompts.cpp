#include "engine/ParameterPrompts.h"

#include "engine/ParameterFilter.h"
#include "template/Helpers.h"
#include "template/Records.h"
#include "template/TemplateReader.h"

#include <QDate>
#include <QRegularExpression>

namespace ostrivo {

std::vector<ParameterPrompt> readParameterPrompts(const QString& path)
{
    std::vector<ParameterPrompt> prompts;
    TemplateReader reader(path);
    reader.forEachRecord([&](const QString& section, const Record& record) {
        if (section != QLatin1String("[PARAMETRI]"))
            return;
        if (static_cast<int>(prompts.size()) >= kMaxPrintParameters) {
            reader.fail(err::SubscriptOutOfRange, record.line,
                        QStringLiteral("il modello ha più di %1 parametri").arg(kMaxPrintParameters));
        }
        const auto fields = readRecord<ParameterRecord>(reader, record);
        ParameterPrompt p;
        p.column = fields.column;
        p.prompt = fields.prompt;
        p.op = fields.op;
        p.defaultValue = fields.defaultValue;
        p.typeWord = fields.typeWord;
        p.line = record.line;
        prompts.push_back(p);
    });
    return prompts;
}

std::optional<QString> operatorWord(const QString& op)
{
    static const std::pair<const char*, const char*> words[] = {
        {"=", " uguale a "}, {"<", " inferiore a "}, {">", " superiore a "}, {"<=", " fino a "},
        {">=", " da "},      {"<>", " diverso da "}, {"In", " include "},    {"No", " non include "},
    };
    for (const auto& [code, word] : words) {
        if (op == QLatin1String(code))
            return QString::fromLatin1(word);
    }
    return std::nullopt;
}

QString initialValue(const ParameterPrompt& prompt, const QString& requestValue)
{
    if (!requestValue.isEmpty())
        return requestValue;
    if (prompt.defaultValue != kNoDefault)
        return prompt.defaultValue;
    return {};
}

namespace {

QString normaliseOne(QString value, const QString& typeWord)
{
    if (typeWord == QLatin1String("Str"))
        return NormalizzaValore(value, mode::Text);
    if (typeWord == QLatin1String("Num"))
        return NormalizzaValore(value, mode::Number);
    if (typeWord == QLatin1String("Cur"))
        return NormalizzaValore(value, mode::Currency);
    if (typeWord == QLatin1String("Date")) {
        QString text = NormalizzaValore(value, mode::Text);
        return CompletaData(text);
    }
    return value;
}

}  // namespace

QString normaliseTypedValue(const QString& value, const QString& typeWord, const QString& op)
{
    if (op == QLatin1String("In") || op == QLatin1String("No")) {
        QStringList items = value.split(QLatin1Char(';'));
        for (QString& item : items) {
            if (!item.trimmed().isEmpty())
                item = normaliseOne(item, typeWord);
        }
        return items.join(QLatin1Char(';'));
    }
    return normaliseOne(value, typeWord);
}

namespace {

std::optional<QString> itemForList(const QString& item, const QString& typeWord)
{
    if (!item.contains(QLatin1Char(',')))
        return item;
    // The print run reads every type but these two as a number.
    if (typeWord == QLatin1String("Str") || typeWord == QLatin1String("Date"))
        return std::nullopt;
    return sqlNumber(item);
}

}  // namespace

std::optional<QString> valueForList(const QString& value, const QString& typeWord, const QString& op)
{
    if (op == QLatin1String("In") || op == QLatin1String("No")) {
        QStringList items = value.split(QLatin1Char(';'));
        for (QString& item : items) {
            const std::optional<QString> fixed = itemForList(item, typeWord);
            if (!fixed)
                return std::nullopt;
            item = *fixed;
        }
        return items.join(QLatin1Char(';'));
    }
    return itemForList(value, typeWord);
}

std::optional<QString> valueOnOk(const QString& boxText, const QString& typeWord, const QString& op)
{
    QString value = boxText.trimmed();
    // A "Str" value keeps its case and its apostrophes: relations and texts take it as typed.
    if (typeWord == QLatin1String("Num") || typeWord == QLatin1String("Cur") || typeWord == QLatin1String("Date"))
        value = normaliseTypedValue(value, typeWord, op).trimmed();
    return valueForList(value, typeWord, op);
}

namespace {

std::optional<QString> itemMismatch(const QString& item, const QString& typeWord)
{
    const QString value = item.trimmed();
    if (value.isEmpty())
        return std::nullopt;
    if (typeWord == QLatin1String("Num") || typeWord == QLatin1String("Cur")) {
        if (!value.contains(QRegularExpression(QStringLiteral("[0-9]"))))
            return QStringLiteral("non è un numero");
    } else if (typeWord == QLatin1String("Date")) {
        // The print reads the day, the month and the year at these places.
        static const QRegularExpression form(QStringLiteral("^[0-9]{2}/[0-9]{2}/[0-9]{4}$"));
        const QString date = normaliseOne(value, typeWord);
        if (!form.match(date).hasMatch() || !QDate::fromString(date, QStringLiteral("dd/MM/yyyy")).isValid())
            return QStringLiteral("non è una data esistente scritta gg/mm/aaaa");
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> typeMismatch(const QString& value, const QString& typeWord, const QString& op)
{
    const bool list = op == QLatin1String("In") || op == QLatin1String("No");
    for (const QString& item : list ? value.split(QLatin1Char(';')) : QStringList{value}) {
        if (auto why = itemMismatch(item, typeWord))
            return why;
    }
    return std::nullopt;
}

}  // namespace ostrivo
