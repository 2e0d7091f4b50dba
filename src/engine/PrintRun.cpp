#include "engine/PrintRun.h"

#include "engine/DatabaseValues.h"
#include "engine/Pictures.h"
#include "engine/TableLayout.h"
#include "engine/TextLayout.h"
#include "core/Files.h"
#include "print/PrintOpBuilder.h"
#include "print/Printer.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/Records.h"

#include <limits>
#include <optional>

namespace ostrivo {

namespace {

constexpr int kMaxPrintColumns = 54;
constexpr int kMaxFactors = kMaxProductFactors;

const Decimal4 kFieldLineStep = *Decimal4::parse(u"1.2");

struct PageBlock {
    int orientation = 1;
    double width = 0;
    double height = 0;
};

// The page block from the first line, then the "[PARAMETRI]" line right after it.
PageBlock readPageBlock(TemplateReader& reader)
{
    PageBlock page;
    reader.pageBlockStart();
    const Record orientation = reader.nextLine(QStringLiteral("l'orientamento della pagina"));
    const double value = leadingNumber(orientation.text);
    if (value != 1 && value != 2)
        reader.fail(err::InvalidPropertyValue, orientation.line,
                    QStringLiteral("orientamento \"%1\" non valido: atteso 1 (verticale) o 2 (orizzontale)")
                        .arg(orientation.text));
    page.orientation = static_cast<int>(value);
    const Record sizeLine = reader.nextLine(QStringLiteral("larghezza e altezza della pagina"));
    const auto size = readRecord<PageSizeRecord>(reader, sizeLine);
    page.width = leadingNumber(size.width);
    page.height = leadingNumber(size.height);
    if (!(page.width > 0) || !(page.height > 0))
        reader.fail(err::InvalidPropertyValue, sizeLine.line,
                    QStringLiteral("larghezza e altezza della pagina devono essere maggiori di zero: \"%1\"").arg(sizeLine.text));
    reader.nextLine(QStringLiteral("la riga del database di riferimento"));
    const Record parametri = reader.nextLine(QStringLiteral("\"[PARAMETRI]\""));
    if (parametri.text != kParametri)
        reader.fail(err::InvalidArgument, parametri.line,
                    QStringLiteral("atteso \"[PARAMETRI]\" dopo le tre righe di \"[TESTA]\", trovato \"%1\"")
                        .arg(parametri.text));
    return page;
}

// The parameter records up to the next section line, which is returned (none at the end).
std::optional<Record> readParameterRecords(TemplateReader& reader, std::vector<Record>& records)
{
    while (!reader.atEnd()) {
        Record line = reader.nextLine(QString());
        if (TemplateReader::isSectionLine(line.text))
            return line;
        records.push_back(line);
    }
    return std::nullopt;
}

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

void tooManyParameters(const TemplateReader& reader, const Record& record)
{
    reader.fail(err::SubscriptOutOfRange, record.line,
                QStringLiteral("il modello ha più di %1 parametri").arg(kMaxPrintParameters));
}

// An image coordinate: written with two decimals, read through the currency mode as an Italian
// number; a text that mode leaves with a plain "." is read as a plain decimal.
Decimal4 imageNumber(const QString& field)
{
    QString value = field;
    const QString normalized = NormalizzaValore(value, mode::Valuta);
    if (const auto italian = parseItalianNumber(normalized))
        return *italian;
    return leadingDecimal(normalized);
}

QString noLineBreaks(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// ---- the elements, read as the print run draws them ----
// The check and the print run read every element through these: whatever the print would refuse
// in a template, the check refuses too.

// A font size as the printer takes it; a text that is none is named as written ("NaN", "1e308").
double fontSizeOf(const QString& field)
{
    const double size = leadingNumber(field);
    if (!PrintOpBuilder::isValidFontSize(size))
        throw Error(err::InvalidPropertyValue, QStringLiteral("dimensione del carattere %1 non valida: da più di 0 a %2 punti")
                                                   .arg(quoteInput(field), QString::number(PrintOpBuilder::MaxFontSize)));
    return size;
}

struct TextElement {
    QString text;
    Decimal4 x;
    Decimal4 y;
    QString fontName;
    double fontSize = 0;
    TemplateColor color;
};

TextElement readTextElement(const TemplateReader& reader, const Record& record)
{
    const auto r = readRecord<TextRecord>(reader, record);
    return {r.text, leadingDecimal(r.x), leadingDecimal(r.y), r.fontName, fontSizeOf(r.fontSize), colorField(r.color)};
}

struct GridElement {
    QString kind;
    Decimal4 x1;
    Decimal4 y1;
    Decimal4 x2;
    Decimal4 y2;
};

GridElement readGridElement(const TemplateReader& reader, const Record& record)
{
    const auto r = readRecord<GridRecord>(reader, record);
    return {r.kind, leadingDecimal(r.x1), leadingDecimal(r.y1), leadingDecimal(r.x2), leadingDecimal(r.y2)};
}

struct ImageElement {
    QString file;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    Decimal4 height;
};

ImageElement readImageElement(const TemplateReader& reader, const Record& record)
{
    const auto r = readRecord<ImageRecord>(reader, record);
    return {r.file, imageNumber(r.x), imageNumber(r.y), imageNumber(r.width), imageNumber(r.height)};
}

struct FieldElement {
    FieldRecord record;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    double fontSize = 0;
};

// The parameters give the placeholders of the relation their types.
FieldElement readFieldElement(const TemplateReader& reader, const Record& record,
                              const std::vector<PrintParameter>& parameters)
{
    const auto r = readRecord<FieldRecord>(reader, record);
    FieldElement field{r, leadingDecimal(r.x), leadingDecimal(r.y), leadingDecimal(r.width), fontSizeOf(r.fontSize)};
    if (!r.relation.trimmed().isEmpty())
        checkRelationQuotes(r.relation, parameters);
    return field;
}

struct ProductElement {
    QString typeWord;
    Decimal4 x;
    Decimal4 y;
    Decimal4 width;
    QString fontName;
    double fontSize = 0;
};

ProductElement readProductElement(const TemplateReader& reader, const Record& record)
{
    const auto r = readRecord<ProductRecord>(reader, record);
    return {r.typeWord, leadingDecimal(r.x), leadingDecimal(r.y), leadingDecimal(r.width), r.fontName, fontSizeOf(r.fontSize)};
}

TableDesign readTableDesign(const TemplateReader& reader, const TableBlock& block)
{
    const auto a = readRecord<TablePlacementRecord>(reader, block.placement);
    TableDesign design;
    design.title = a.title;
    design.x = leadingDecimal(a.x);
    design.y0 = leadingDecimal(a.y);
    design.bottom = leadingDecimal(a.bottom);
    design.fontName = a.fontName;
    design.fontSize = fontSizeOf(a.fontSize);
    for (const Record& line : block.columns) {
        const auto c = readRecord<ColumnRecord>(reader, line);
        design.columns.push_back({c.title, c.field, leadingDecimal(c.width), c.typeWord, c.total, leadingDecimal(c.chars)});
    }
    return design;
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

}  // namespace

// ---- failures and messages ----

static QString failureMessage(const Error& cause, const QString& file, int line)
{
    const QString text = problemText(cause);
    if (line > 0)
        return QStringLiteral("%1, riga %2: %3 n. %4").arg(file, QString::number(line), text, QString::number(cause.number()));
    return QStringLiteral("%1: %2 n. %3").arg(file, text, QString::number(cause.number()));
}

PrintFailure::PrintFailure(const Error& cause, QString templateFile, int line)
    : Error(cause.number(), failureMessage(cause, templateFile, line)), templateFile_(std::move(templateFile)), line_(line)
{
}

QString stampaMessage(const Error& error)
{
    return error.description() + QStringLiteral(" n. ") + QString::number(error.number());
}

// ---- the check the print run makes before printing ----

std::vector<TemplateProblem> checkForPrint(const QString& name, const TemplateLines& lines, const QString* values)
{
    std::vector<TemplateProblem> problems;
    TemplateReader reader(name, lines);
    // Past kMaxCheckProblems the check stops: a file of nothing but bad lines must not make a
    // list of messages many times its size.
    struct TooMany {};
    auto note = [&](const Error& e, int line) {
        problems.push_back({problemLine(e, line), problemText(e)});
        if (problems.size() >= kMaxCheckProblems) {
            problems.push_back({problems.back().line,
                                QStringLiteral("troppi problemi: la verifica si ferma a questa riga")});
            throw TooMany{};
        }
    };
    // Runs one check; a problem is listed and the reading goes on.
    auto checked = [&](int line, const std::function<void()>& check) {
        try {
            check();
        } catch (const Error& e) {
            note(e, line);
        }
    };
    // Reads the template as the print run does, noting every problem.
    auto checkAll = [&] {
        std::optional<Record> current;
        std::vector<PrintParameter> parameters;
        try {
            readPageBlock(reader);
            std::vector<Record> records;
            current = readParameterRecords(reader, records);
            for (std::size_t i = 0; i < records.size(); ++i) {
                const int n = static_cast<int>(i) + 1;
                if (n > kMaxPrintParameters) {
                    checked(records[i].line, [&] { tooManyParameters(reader, records[i]); });
                    break;
                }
                checked(records[i].line, [&] {
                    const PrintParameter p = parameterOf(reader, records[i], n, values);
                    if (values)
                        filterLiteral(p);
                    parameters.push_back(p);
                });
            }
        } catch (const Error& e) {
            note(e, reader.lineNumber());
            return;
        }
        if (!current)
            return;

        try {
            reader.forEachRecord(
                [&](const QString& section, const Record& record) {
                    if (section == kTabella) {
                        const TableBlock block = reader.readTableBlock(record, TableEnd::AnySection, kMaxPrintColumns);
                        const std::size_t before = problems.size();
                        checked(block.source.line, [&] { readRecord<TableSourceRecord>(reader, block.source); });
                        for (const Record& line : block.columns)
                            checked(line.line, [&] { readRecord<ColumnRecord>(reader, line); });
                        if (problems.size() == before)
                            checked(record.line, [&] { checkTableGeometry(readTableDesign(reader, block)); });
                    } else if (section == kProdotto) {
                        const ProductBlock block = reader.readProductBlock(record, kMaxFactors);
                        checked(record.line, [&] { readProductElement(reader, record); });
                        for (const Record& factor : block.factors)
                            checked(factor.line, [&] { readRecord<FactorRecord>(reader, factor); });
                    } else if (section == kImmagini) {
                        checked(record.line, [&] { readImageElement(reader, record); });
                    } else if (section == kGriglia) {
                        checked(record.line, [&] { readGridElement(reader, record); });
                    } else if (section == kCampi) {
                        checked(record.line, [&] {
                            const FieldElement field = readFieldElement(reader, record, parameters);
                            if (values && !field.record.relation.trimmed().isEmpty())
                                replaceRelationPlaceholders(field.record.relation, parameters);
                        });
                    } else if (section == kTesto) {
                        checked(record.line, [&] { readTextElement(reader, record); });
                    }
                },
                LastLine::NeverInterpreted, &*current);
        } catch (const Error& e) {
            note(e, reader.lineNumber());
        }
    };
    try {
        checkAll();
    } catch (const TooMany&) {
    }
    return problems;
}

// ---- the table sink ----

class EngineTableSink : public TableSink {
public:
    explicit EngineTableSink(PrintRun& run) : run_(run) {}

    void setFont(const QString& name, double size) override
    {
        run_.printer_.setFontName(name);
        run_.printer_.setFontSize(size);
    }
    void text(Decimal4 x, Decimal4 y, const QString& text, bool cell) override
    {
        if (cell)
            run_.printer_.setTextColor(0);
        run_.printer_.setPosition(x.toDouble(), y.toDouble());
        run_.printer_.printText(text);
    }
    void line(Decimal4 x1, Decimal4 y1, Decimal4 x2, Decimal4 y2, TemplateColor color) override
    {
        run_.printer_.drawLine(x1.toDouble(), y1.toDouble(), x2.toDouble(), y2.toDouble(), color);
    }
    void newPage(bool betweenRows) override { run_.newPage(betweenRows); }

private:
    PrintRun& run_;
};

// ---- the print run ----

PrintRun::PrintRun(Printer& printer, QString templatePath, QString valoriParametri, PrintSettings settings)
    : printer_(printer), templatePath_(std::move(templatePath)), values_(std::move(valoriParametri)),
      settings_(std::move(settings))
{
}

void PrintRun::readHeaderAndParameters(TemplateReader& reader, bool setPrinter)
{
    const PageBlock page = readPageBlock(reader);
    pageUnits_ = QSizeF(page.width, page.height);
    landscape_ = page.orientation == 2;
    if (setPrinter) {
        printer_.setOrientation(page.orientation);
        printer_.setScale(page.width, page.height);
    }
}

void PrintRun::run()
{
    int currentLine = 0;
    try {
        lines_ = TemplateReader(templatePath_).lines();
        const auto problems = checkForPrint(templatePath_, lines_, &values_);
        if (!problems.empty()) {
            currentLine = problems.front().line;
            throw TemplateError(err::InvalidArgument, templatePath_, problems.front().line, problems.front().message);
        }

        TemplateReader reader(templatePath_, lines_);
        readHeaderAndParameters(reader, true);
        std::vector<Record> records;
        const std::optional<Record> current = readParameterRecords(reader, records);
        parameters_.clear();
        for (std::size_t i = 0; i < records.size(); ++i)
            parameters_.push_back(parameterOf(reader, records[i], static_cast<int>(i) + 1, &values_));
        filtro_ = buildFiltroParametri(parameters_);

        if (current) {
            reader.forEachRecord(
                [&](const QString& section, const Record& record) {
                    currentLine = record.line;
                    if (section == kTabella) {
                        printTable(reader, reader.readTableBlock(record, TableEnd::AnySection, kMaxPrintColumns));
                    } else if (section == kProdotto) {
                        const ProductBlock block = reader.readProductBlock(record, kMaxFactors);
                        if (!drawnOnPage_.count(record.line))
                            drawProduct(reader, block);
                    } else if (!drawnOnPage_.count(record.line)) {
                        drawElement(reader, section, record);
                    }
                },
                LastLine::NeverInterpreted, &*current);
        }
        currentLine = 0;  // the end of the job belongs to no line
        printer_.endDocument();
    } catch (const Error& e) {
        printer_.abortDocument();
        throw PrintFailure(e, templatePath_, problemLine(e, currentLine));
    } catch (const std::exception& e) {
        printer_.abortDocument();
        throw PrintFailure(Error(err::InvalidArgument, QString::fromLocal8Bit(e.what())), templatePath_, currentLine);
    }
}

void PrintRun::DisegnaPagina()
{
    redrawing_ = true;
    try {
        TemplateReader reader(templatePath_, lines_);
        readHeaderAndParameters(reader, true);
        std::vector<Record> records;
        const std::optional<Record> current = readParameterRecords(reader, records);
        if (records.size() > static_cast<std::size_t>(kMaxPrintParameters))
            tooManyParameters(reader, records[kMaxPrintParameters]);
        if (current) {
            reader.forEachRecord(
                [&](const QString& section, const Record& record) {
                    if (section == kProdotto) {
                        drawProduct(reader, reader.readProductBlock(record, kMaxFactors));
                        drawnOnPage_.insert(record.line);
                    } else if (section == kImmagini || section == kGriglia || section == kCampi || section == kTesto) {
                        drawElement(reader, section, record);
                        drawnOnPage_.insert(record.line);
                    }
                },
                LastLine::NeverInterpreted, &*current);
        }
    } catch (const Error& e) {
        if (e.number() != err::CancelledDialog)
            reportElementError(e);
    }
    redrawing_ = false;
}

void PrintRun::reportElementError(const Error& e)
{
    ++elementErrors_;
    if (settings_.onElementError)
        settings_.onElementError(e);
}

void PrintRun::newPage(bool betweenRows)
{
    printer_.newPage();
    ++page_;
    if (settings_.onPage && !settings_.onPage(page_))
        throw Error(err::UserInterrupt);
    drawnOnPage_.clear();
    if (betweenRows)
        DisegnaPagina();
}

void PrintRun::drawElement(TemplateReader& reader, const QString& section, const Record& record)
{
    if (section == kImmagini)
        drawImage(reader, record);
    else if (section == kGriglia)
        drawGrid(reader, record);
    else if (section == kCampi)
        drawField(reader, record);
    else if (section == kTesto)
        drawText(reader, record);
}

void PrintRun::drawImage(TemplateReader& reader, const Record& record)
{
    const ImageElement image = readImageElement(reader, record);
    const QString& file = image.file;
    const Decimal4 x = image.x;
    const Decimal4 y = image.y;
    const Decimal4 width = image.width;
    const Decimal4 height = image.height;
    const QString path = resolveExistingFile(file);
    QString problem;
    QImage picture;
    if (!path.isEmpty()) {
        // Read at the size it prints at: a large photo costs no more memory than the page.
        const QSizeF inches = printer_.printableInches();
        const QSize pixels = picturePixels(QSizeF(width.toDouble(), height.toDouble()), pageUnits_,
                                           landscape_ ? inches.transposed() : inches);
        picture = readPicture(path, pixels, &problem);
    } else if (const auto kind = notARegularFile(file)) {
        problem = *kind;
    } else {
        return;  // a missing picture is not an error
    }
    if (picture.isNull()) {
        // The picture is left out; the report goes on, and ends as printed with errors.
        reportElementError(Error(err::InvalidPicture, QStringLiteral("Immagine non valida: \"%1\": %2").arg(file, problem)));
        return;
    }
    printer_.paintPicture(file, picture, x.toDouble(), y.toDouble(), width.toDouble(), height.toDouble());
}

void PrintRun::drawGrid(TemplateReader& reader, const Record& record)
{
    const GridElement grid = readGridElement(reader, record);
    const double x1 = grid.x1.toDouble();
    const double y1 = grid.y1.toDouble();
    const double x2 = grid.x2.toDouble();
    const double y2 = grid.y2.toDouble();
    if (grid.kind == QLatin1String("R"))
        printer_.drawBox(x1, y1, x2, y2, 0);
    else if (grid.kind == QLatin1String("L"))
        printer_.drawLine(x1, y1, x2, y2, 0);
}

void PrintRun::drawField(TemplateReader& reader, const Record& record)
{
    const FieldElement element = readFieldElement(reader, record, parameters_);
    const FieldRecord& field = element.record;
    const QString& column = field.column;
    const QString& type = field.typeWord;
    const Decimal4 x = element.x;
    Decimal4 y = element.y;
    const Decimal4 width = element.width;
    const double size = element.fontSize;
    const QString& relation = field.relation;

    const QString condition =
        relation.trimmed().isEmpty() ? filtro_ : replaceRelationPlaceholders(relation, parameters_);
    QueryCursor cursor(field.database, QStringLiteral("Select * From ") + field.table + QStringLiteral(" Where ") + condition);
    if (!cursor.findFirst(QStringLiteral("NumeroHotel = 1")))
        return;

    printer_.setFontName(field.fontName);
    printer_.setFontSize(size);
    printer_.setTextColor(0);
    auto print = [&](const QString& text) {
        printer_.setPosition(x.toDouble(), y.toDouble());
        printer_.printText(text);
    };
    if (type == QLatin1String("Num") || type == QLatin1String("Cur")) {
        print(formatNumberField(cursor.value(column), type, width));
    } else if (type == QLatin1String("Date")) {
        print(storedDateText(cursor.value(column)));
    } else if (type == QLatin1String("Str")) {
        const CutText cut = cutIntoLines(noLineBreaks(plainText(cursor.value(column))), width, false);
        for (const QString& line : cut.completed) {
            print(line);
            y += kFieldLineStep;
        }
        print(cut.last);
    }
    cursor.close();
}

void PrintRun::drawProduct(TemplateReader& reader, const ProductBlock& block)
{
    const ProductElement first = readProductElement(reader, block.first);
    const QString& type = first.typeWord;
    const Decimal4 x = first.x;
    const Decimal4 y = first.y;
    const Decimal4 width = first.width;
    const QString& font = first.fontName;
    const double size = first.fontSize;

    std::optional<Decimal4> product;
    bool unknown = false;  // a null factor leaves the product unknown: nothing is printed
    for (const Record& line : block.factors) {
        const auto factor = readRecord<FactorRecord>(reader, line);
        QueryCursor cursor(factor.database, QStringLiteral("Select * From ") + factor.table + QStringLiteral(" Where ") + filtro_);
        if (cursor.findFirst(QStringLiteral("NumeroHotel = 1"))) {
            const std::optional<Decimal4> value = factorValue(cursor.value(factor.column), factor.column);
            if (!value)
                unknown = true;
            else
                product = product ? *product * *value : *value;
        }
        cursor.close();
    }
    if (unknown || !product || product->isZero())
        return;
    if (type != QLatin1String("Num") && type != QLatin1String("Cur"))
        return;
    printer_.setFontName(font);
    printer_.setFontSize(size);
    printer_.setTextColor(0);
    printer_.setPosition(x.toDouble(), y.toDouble());
    printer_.printText(formatNumberField(LooseValue::number(product->toString()), type, width));
}

void PrintRun::drawText(TemplateReader& reader, const Record& record)
{
    const TextElement fields = readTextElement(reader, record);
    QString text = replaceTextPlaceholders(fields.text, parameters_);
    const Decimal4 x = fields.x;
    const Decimal4 y = fields.y;
    const QString& font = fields.fontName;
    const double size = fields.fontSize;
    const TemplateColor color = fields.color;
    if (text == QLatin1String("Data_oggi"))
        text = settings_.now.toString(QStringLiteral("dd/MM/yyyy"));
    else if (text == QLatin1String("ora_adesso"))
        text = settings_.now.toString(QStringLiteral("hh:mm"));
    printer_.setFontName(font);
    printer_.setFontSize(size);
    printer_.setTextColor(color);
    printer_.setPosition(x.toDouble(), y.toDouble());
    printer_.printText(text);
}

void PrintRun::printTable(TemplateReader& reader, const TableBlock& block)
{
    const TableDesign design = readTableDesign(reader, block);
    const auto source = readRecord<TableSourceRecord>(reader, block.source);
    const QString& database = source.database;
    const QString& table = source.table;
    const QString ordering = SostituisciCarattere(source.ordering, QStringLiteral("-"), QStringLiteral(","));
    const QString& condition = source.filter;

    EngineTableSink sink(*this);
    TableLayout layout(design, sink);
    layout.begin();

    QString sql = QStringLiteral("Select * From ") + table + QStringLiteral(" where ") + filtro_;
    if (!condition.trimmed().isEmpty())
        sql += QStringLiteral(" and ") + condition;
    // Without an ordering the query keeps its natural order (an empty "Order by" is no SQL).
    if (!ordering.trimmed().isEmpty())
        sql += QStringLiteral(" Order by ") + ordering;
    sql += QLatin1Char(';');
    QueryCursor cursor(database, sql);
    const QString criteria = QStringLiteral("NumeroHotel = 1 and ") + filtro_;

    std::vector<CutText> cells(design.columns.size());
    for (bool found = cursor.findFirst(criteria); found; found = cursor.findNext(criteria)) {
        for (std::size_t j = 0; j < design.columns.size(); ++j) {
            const TableColumnDesign& column = design.columns[j];
            CutText& cell = cells[j];
            cell.completed.clear();
            if (column.typeWord == QLatin1String("Null")) {
                cell.last = column.chars.roundHalfEven() > 0 ? QStringLiteral(" ") : QString();
            } else if (column.typeWord == QLatin1String("Str")) {
                cell = cutIntoLines(plainText(cursor.value(column.field)), column.chars, true);
            } else if (column.typeWord == QLatin1String("Num") || column.typeWord == QLatin1String("Cur")) {
                cell.last = formatNumberField(cursor.value(column.field), column.typeWord, column.chars);
            } else if (column.typeWord == QLatin1String("Date")) {
                cell.last = storedDateText(cursor.value(column.field));
            } else {
                cell.last.clear();  // a type word the format does not know shows nothing
            }
        }
        layout.addRow(cells);
    }
    cursor.close();
    layout.finish();
}

}  // namespace ostrivo
