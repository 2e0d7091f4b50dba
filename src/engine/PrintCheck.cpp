#include "engine/PrintCheck.h"

#include "engine/PrintedElements.h"
#include "template/Helpers.h"

#include <functional>

namespace ostrivo {

namespace {

// Parameter n as the print run reads it; with values, with its value (which must be there).
PrintParameter parameterOf(const TemplateReader& reader, const Record& record, int n, const QString* values)
{
    PrintParameter p;
    p.number = n;
    p.line = record.line;
    const auto fields = readRecord<ParameterRecord>(reader, record, 3);
    p.column = fields.column;
    p.op = fields.op;
    p.typeWord = fields.typeWord;
    if (!values)
        return p;
    try {
        p.rawValue = EstraiCampo(*values, n);
    } catch (const MissingFieldError&) {
        reader.fail(err::InvalidArgument, record.line,
                    QStringLiteral("manca il valore del parametro %1 (%2)").arg(n).arg(p.column));
    }
    return p;
}

// Lays a table out with no rows and draws nothing: the geometry the template's numbers give
// (column places, frame, totals row) must be computable before any row is read.
class NoTableSink final : public TableSink {
public:
    void setFont(const QString&, double) override {}
    void text(Decimal4, Decimal4, const QString&, bool) override {}
    void line(Decimal4, Decimal4, Decimal4, Decimal4, TemplateColor) override {}
    void newPage(bool) override {}
};

void checkTableGeometry(const TableDesign& design)
{
    NoTableSink sink;
    TableLayout layout(design, sink);
    layout.begin();
    layout.finish();
}

// The problems found so far. Past kMaxCheckProblems the check stops: a file of nothing but bad
// lines must not make a list of messages many times its size.
class Problems {
public:
    struct TooMany {};

    explicit Problems(std::vector<TemplateProblem>& list) : list_(list) {}

    void note(const Error& e, int line)
    {
        list_.push_back({problemLine(e, line), problemText(e)});
        if (list_.size() >= kMaxCheckProblems) {
            list_.push_back({list_.back().line, QStringLiteral("troppi problemi: la verifica si ferma a questa riga")});
            throw TooMany{};
        }
    }

    // Runs one check; a problem is listed and the reading goes on.
    void check(int line, const std::function<void()>& check)
    {
        try {
            check();
        } catch (const Error& e) {
            note(e, line);
        }
    }

    std::size_t size() const { return list_.size(); }

private:
    std::vector<TemplateProblem>& list_;
};

// Every element read as the print run reads it before drawing it.
class ElementCheck {
public:
    ElementCheck(const TemplateReader& reader, const std::vector<PrintParameter>& parameters, const QString* values,
                 Problems& problems)
        : reader_(reader), parameters_(parameters), values_(values), problems_(problems)
    {
    }

    void operator()(const PictureElement& e) { problems_.check(e.line, [&] { printedPicture(reader_, e); }); }
    void operator()(const GridElement& e) { problems_.check(e.line, [&] { printedGrid(reader_, e); }); }
    void operator()(const TextElement& e) { problems_.check(e.line, [&] { printedText(reader_, e); }); }
    void operator()(const FieldElement& e)
    {
        problems_.check(e.line, [&] {
            const PrintedField field = printedField(reader_, e, parameters_);
            if (values_ && !field.fields.relation.trimmed().isEmpty())
                replaceRelationPlaceholders(field.fields.relation, parameters_);
        });
    }
    void operator()(const ProductElement& e)
    {
        problems_.check(e.line, [&] { printedProduct(reader_, e); });
        for (int k = 0; k < e.factors; ++k)
            problems_.check(e.factorLine(k), [&] { factorOf(reader_, e, k); });
    }
    // The geometry is laid out only when every record of the table reads.
    void operator()(const TableElement& e)
    {
        const std::size_t before = problems_.size();
        problems_.check(e.sourceLine(), [&] { sourceOf(reader_, e); });
        for (int j = 0; j < e.columns; ++j)
            problems_.check(e.columnLine(j), [&] { columnOf(reader_, e, j); });
        if (problems_.size() == before)
            problems_.check(e.line, [&] { checkTableGeometry(tableDesign(reader_, e)); });
    }

private:
    const TemplateReader& reader_;
    const std::vector<PrintParameter>& parameters_;
    const QString* values_;
    Problems& problems_;
};

void readAndCheck(CheckedTemplate& result, TemplateReader& reader, const QString* values, bool keepElements,
                  const MetElement& met)
{
    Problems problems(result.problems);
    TemplateElements& read = result.read;
    try {
        read.page = readPrintHeader(reader, read.parameterLines);
    } catch (const Error& e) {
        problems.note(e, reader.lineNumber());
        return;
    }
    for (std::size_t i = 0; i < read.parameterLines.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const Record record = reader.recordAt(read.parameterLines[i]);
        if (n > kMaxPrintParameters) {
            problems.check(record.line, [&] {
                reader.fail(err::SubscriptOutOfRange, record.line,
                            QStringLiteral("il modello ha più di %1 parametri").arg(kMaxPrintParameters));
            });
            break;
        }
        problems.check(record.line, [&] {
            const PrintParameter p = parameterOf(reader, record, n, values);
            if (values)
                filterLiteral(p);
            result.parameters.push_back(p);
        });
    }
    ElementCheck check(reader, result.parameters, values, problems);
    try {
        readElements(reader, ElementReading::PrintRun, [&](const TemplateElement& element) {
            if (keepElements)
                read.elements.push_back(element);
            std::visit(check, element);
            if (met)
                met(reader, element);
        });
    } catch (const Error& e) {
        if (const auto* broken = dynamic_cast<const TemplateError*>(&e))
            read.broken = *broken;
        problems.note(e, reader.lineNumber());
    }
}

}  // namespace

int problemLine(const Error& e, int fallback)
{
    if (const auto* t = dynamic_cast<const TemplateError*>(&e); t && t->line() > 0)
        return t->line();
    return fallback;
}

QString problemText(const Error& e)
{
    if (const auto* t = dynamic_cast<const TemplateError*>(&e))
        return t->problem();
    return e.description();
}

namespace {

CheckedTemplate readChecked(const QString& name, const TemplateLines& lines, const QString* values, bool keepElements,
                            const MetElement& met = {})
{
    CheckedTemplate result;
    TemplateReader reader(name, lines);
    try {
        readAndCheck(result, reader, values, keepElements, met);
    } catch (const Problems::TooMany&) {
    }
    return result;
}

}  // namespace

CheckedTemplate readForPrint(const QString& name, const TemplateLines& lines, const QString* values)
{
    return readChecked(name, lines, values, true);
}

std::vector<TemplateProblem> checkForPrint(const QString& name, const TemplateLines& lines, const QString* values,
                                           const MetElement& met)
{
    return readChecked(name, lines, values, false, met).problems;
}

}  // namespace ostrivo
