#include "engine/NamedFiles.h"

#include "engine/Pictures.h"
#include "core/Files.h"
#include "db/Dao.h"

#include <QRegularExpression>

namespace ostrivo {

namespace {

// A field or a table column reads its database column with these type words only; any other
// prints nothing.
bool readsColumn(const QString& typeWord)
{
    return typeWord == QLatin1String("Num") || typeWord == QLatin1String("Cur") || typeWord == QLatin1String("Date") ||
           typeWord == QLatin1String("Str");
}

// The column names of a table's ordering: the print joins them with "," after "Order by", so a
// name the table lacks fails the print. A name may be bracketed and followed by ASC or DESC.
QStringList orderingColumns(const QString& ordering)
{
    static const QRegularExpression direction(QStringLiteral("\\s+(ASC|DESC)$"), QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (QString name : ordering.split(QLatin1Char('-'))) {
        name = name.trimmed().remove(direction).trimmed();
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
            name = name.mid(1, name.size() - 2);
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

}  // namespace

NamedFilesCheck::NamedFilesCheck() = default;

// Record sets close before the databases they read.
NamedFilesCheck::~NamedFilesCheck()
{
    tables_.clear();
}

void NamedFilesCheck::check(const TemplateReader& reader, const TemplateElement& element)
{
    // The list stops where the template check stops: a template of nothing but missing files
    // does not make a message for each of its lines.
    if (problems_.size() + warnings_.size() >= kMaxCheckProblems)
        return;
    try {
        if (const auto* e = std::get_if<PictureElement>(&element)) {
            picture(reader, *e);
        } else if (const auto* e = std::get_if<FieldElement>(&element)) {
            const FieldRecord f = fieldsOf(reader, *e);
            const db::FieldCollection* fields = table(f.database, f.table, e->line);
            if (readsColumn(f.typeWord))
                column(fields, f.column, e->line);
        } else if (const auto* e = std::get_if<ProductElement>(&element)) {
            // Every factor is read, whatever the product's type word.
            for (int k = 0; k < e->factors; ++k) {
                const FactorRecord f = factorOf(reader, *e, k);
                column(table(f.database, f.table, e->factorLine(k)), f.column, e->factorLine(k));
            }
        } else if (const auto* e = std::get_if<TableElement>(&element)) {
            const TableSourceRecord source = sourceOf(reader, *e);
            const db::FieldCollection* fields = table(source.database, source.table, e->sourceLine());
            for (const QString& name : orderingColumns(source.ordering))
                column(fields, name, e->sourceLine());
            for (int j = 0; j < e->columns; ++j) {
                const ColumnRecord c = columnOf(reader, *e, j);
                if (readsColumn(c.typeWord))
                    column(fields, c.field, e->columnLine(j));
            }
        }
    } catch (const TemplateError&) {
    }
}

void NamedFilesCheck::picture(const TemplateReader& reader, const PictureElement& element)
{
    const QString file = fieldsOf(reader, element).file;
    if (!pictures_.emplace(file, true).second)
        return;
    const QString path = resolveExistingFile(file);
    QString problem;
    if (path.isEmpty()) {
        if (const auto kind = notARegularFile(file))
            problem = *kind;
        else
            warnings_.push_back({element.line, missingPictureWarning(file)});
    } else {
        // Decoded small: whether it reads, not how it looks.
        readPicture(path, QSize(64, 64), &problem);
    }
    if (!problem.isEmpty())
        problems_.push_back({element.line, unreadablePictureMessage(file, problem)});
}

const db::FieldCollection* NamedFilesCheck::table(const QString& database, const QString& table, int line)
{
    const auto key = std::make_pair(database, table);
    if (const auto known = tables_.find(key); known != tables_.end())
        return known->second ? &known->second->Fields() : nullptr;
    std::unique_ptr<db::Recordset>& records = tables_[key];
    auto opened = databases_.find(database);
    if (opened == databases_.end()) {
        opened = databases_.emplace(database, nullptr).first;
        try {
            opened->second = db::dbEngine().OpenDatabase(database);
        } catch (const Error& e) {
            problem(line, e);
        }
    }
    if (!opened->second)
        return nullptr;
    try {
        records = opened->second->OpenRecordset(QStringLiteral("Select * From ") + table, 2);
    } catch (const Error& e) {
        problem(line, e);
        return nullptr;
    }
    return &records->Fields();
}

void NamedFilesCheck::column(const db::FieldCollection* fields, const QString& column, int line)
{
    if (!fields)
        return;
    try {
        fields->Item(column);
    } catch (const Error& e) {
        problem(line, e);
    }
}

void NamedFilesCheck::problem(int line, const Error& e)
{
    problems_.push_back({line, e.description()});
}

}  // namespace ostrivo
