#include "template/TemplateFiles.h"

#include "core/Cp1252.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/Records.h"
#include "template/TemplateReader.h"
#include "template/TypeTable.h"

#include <QHash>
#include <charconv>
#include <cmath>
#include <limits>

namespace ostrivo {

namespace {

// The sections a save writes, in its order.
const QStringList& writtenSections()
{
    static const QStringList sections = {kTesta, kParametri, kImmagini, kGriglia, kCampi, kTesto, kTabella, kFine};
    return sections;
}

// Beyond this no position, size or width fits the print run's fixed-point numbers.
constexpr double kLargestNumber = 1e14;

// ---- loading ----

class Loader {
public:
    Loader(TemplateReader& reader, VN3Routine& model, CanvasModel& canvas)
        : reader_(reader), model_(model), canvas_(canvas)
    {
    }

    void run()
    {
        model_.NumParametri = 0;
        readPageBlock();
        QString section = kTesta;
        QString anchor = kTesta;
        while (!reader_.atEnd()) {
            const Record line = reader_.nextLine(QString());
            if (TemplateReader::isSectionLine(line.text)) {
                section = line.text;
                if (writtenSections().contains(section))
                    anchor = section;
                continue;
            }
            if (section == kParametri)
                parameter(line);
            else if (section == kImmagini)
                image(line);
            else if (section == kGriglia)
                grid(line);
            else if (section == kCampi)
                field(line);
            else if (section == kTesto)
                text(line);
            else if (section == kTabella)
                table(line);
            else if (section == kProdotto)
                product(line, anchor);
            else if (section == kTesta)
                misplacedPageLine(line);
            // Every reader skips the records of other sections.
        }
    }

private:
    // Runs the reading of one record; a number that cannot be held names the record's line.
    template <typename F>
    auto onLine(const Record& record, F&& read)
    {
        try {
            return read();
        } catch (const TemplateError&) {
            throw;
        } catch (const Error& e) {
            reader_.fail(e.number(), record.line, QStringLiteral("%1 nel record \"%2\"").arg(e.description(), record.text));
        }
    }

    double number(const QString& field) const
    {
        const double value = leadingNumber(field);
        if (std::abs(value) >= kLargestNumber)
            throw Error(err::Overflow, QStringLiteral("il numero \"%1\" è fuori misura").arg(field));
        return value;
    }

    QString decimalText(const QString& field) const { return formatShortest(number(field)); }

    Record pageLine(const QString& expected)
    {
        const Record line = reader_.nextLine(expected);
        if (TemplateReader::isSectionLine(line.text)) {
            reader_.fail(err::InvalidArgument, line.line,
                         QStringLiteral("il blocco \"[TESTA]\" ha tre righe: attesa %1, trovato \"%2\"").arg(expected, line.text));
        }
        return line;
    }

    void readPageBlock()
    {
        reader_.pageBlockStart();
        const Record orientation = pageLine(QStringLiteral("l'orientamento della pagina"));
        const Record size = pageLine(QStringLiteral("la larghezza e l'altezza della pagina"));
        const Record source = pageLine(QStringLiteral("il database e la tabella di riferimento"));

        model_.Orientamento = onLine(orientation, [&] { return number(orientation.text); }) == 1
                                  ? QStringLiteral("Verticale")
                                  : QStringLiteral("Orizzontale");
        onLine(size, [&] {
            const auto page = readRecord<PageSizeRecord>(reader_, size);
            const double width = number(page.width);
            const double height = number(page.height);
            const std::int64_t columns = roundHalfEven(width);
            if (columns < kMinPageUnits || columns > kMaxPageUnits || !(height >= kMinPageUnits && height <= kMaxPageUnits)) {
                reader_.fail(err::InvalidPropertyValue, size.line,
                             QStringLiteral("la pagina è di %1 per %2 unità: larghezza e altezza vanno da %3 a %4 unità")
                                 .arg(formatShortest(width), formatShortest(height))
                                 .arg(kMinPageUnits)
                                 .arg(kMaxPageUnits));
            }
            model_.LarghezzaPagina = toInt16(columns);
            model_.AltezzaPagina = height;
        });
        const auto reference = readRecord<PageSourceRecord>(reader_, source);
        model_.DatabaseRif = reference.database;
        model_.TabellaRif = reference.table;
        PulisciPagina(model_, canvas_);
    }

    // A record in the page block's section after its three lines: a second page block would
    // clear what was read before it, which the print run prints.
    [[noreturn]] void misplacedPageLine(const Record& line)
    {
        reader_.fail(err::InvalidArgument, line.line,
                     QStringLiteral("riga in più nel blocco \"[TESTA]\": la pagina si imposta una volta sola, con le tre "
                                    "righe che seguono la prima riga del modello; trovato \"%1\"")
                         .arg(line.text));
    }

    // The index of the next object of a list, or TemplateError when the list is full. (A file that
    // fails leaves the counters of a copy that is thrown away.)
    int nextIndex(qint16& counter, int capacity, const Record& record, const QString& objects)
    {
        if (counter >= capacity) {
            reader_.fail(err::SubscriptOutOfRange, record.line,
                         QStringLiteral("un modello contiene al massimo %1 %2").arg(capacity).arg(objects));
        }
        counter = static_cast<qint16>(counter + 1);
        return counter;
    }

    // A new canvas object, shown in front of those read before it.
    CanvasControl& create(CanvasSet set, int index)
    {
        CanvasControl& control = canvas_.load({set, index});
        control.visible = true;
        canvas_.bringToFront({set, index});
        return control;
    }

    void parameter(const Record& line)
    {
        const int n = nextIndex(model_.NumParametri, VN3Routine::MaxParametri, line, QStringLiteral("parametri"));
        const auto p = readRecord<ParameterRecord>(reader_, line);
        model_.ElencoParametri(n, 1) = p.column;
        model_.ElencoParametri(n, 3) = p.op;
        keepTypeCode(p.typeWord, model_.ElencoParametri(n, 5), model_.parameterTypeWords(n));
        model_.ElencoParametri(n, 4) = p.defaultValue;
        model_.ElencoParametri(n, 2) = p.prompt;
    }

    // A known word gives its code; another word leaves the code and is kept to be written back.
    static void keepTypeCode(const QString& word, QString& code, std::optional<QString>& keptWord)
    {
        const QString known = typeCodeForWord(word);
        if (known.isEmpty())
            keptWord = word;
        else
            code = known;
    }

    void image(const Record& line)
    {
        const int n = nextIndex(model_.NumImmagini, VN3Routine::MaxImmagini, line, QStringLiteral("immagini"));
        const auto record = readRecord<ImageRecord>(reader_, line);
        onLine(line, [&] {
            model_.Immagini(n) = record.file;
            CanvasControl& c = create(CanvasSet::Pic1, n);
            c.picture = picture(record.file);
            c.left = number(record.x);
            c.top = number(record.y);
            c.width = number(record.width);
            c.height = number(record.height);
        });
    }

    // Templates name the same picture many times: each file is decoded once a load.
    QString picture(const QString& name)
    {
        auto it = pictures_.find(name);
        if (it == pictures_.end())
            it = pictures_.insert(name, pictureToShow(name));
        return *it;
    }

    void grid(const Record& line)
    {
        const int n = nextIndex(model_.NumRettangoli, VN3Routine::MaxRettangoli, line, QStringLiteral("rettangoli e linee"));
        const auto record = readRecord<GridRecord>(reader_, line);
        onLine(line, [&] {
            const double x1 = number(record.x1);
            const double y1 = number(record.y1);
            const double x2 = number(record.x2);
            const double y2 = number(record.y2);
            CanvasControl& c = create(CanvasSet::Label2, n);
            c.left = std::min(x1, x2);
            c.top = std::min(y1, y2);
            c.width = x2 < x1 ? x1 - x2 : x2 - x1;
            c.height = y2 < y1 ? y1 - y2 : y2 - y1;
            model_.RettangoloAttivo(n) = QStringLiteral("S");
            model_.gridShapes(n) = GridShape{record.kind, x2 < x1, y2 < y1, std::array{c.left, c.top, c.width, c.height},
                                             {std::max(x1, x2), std::max(y1, y2)}};
        });
    }

    void field(const Record& line)
    {
        const int n = nextIndex(model_.NumCampi, VN3Routine::MaxCampi, line, QStringLiteral("campi di database"));
        const auto record = readRecord<FieldRecord>(reader_, line);
        onLine(line, [&] {
            model_.CampiDB(n, 1) = record.database;
            model_.CampiDB(n, 2) = record.table;
            model_.CampiDB(n, 3) = record.column;
            keepTypeCode(record.typeWord, model_.CampiDB(n, 4), model_.fieldTypeWords(n));
            model_.CampiDB(n, 5) = decimalText(record.x);
            model_.CampiDB(n, 6) = decimalText(record.y);
            model_.CampiDB(n, 7) = decimalText(record.width);
            model_.CampiDB(n, 8) = record.fontName;
            model_.CampiDB(n, 9) = decimalText(record.fontSize);
            model_.CampiDB(n, 10) = record.relation;
            CanvasControl& c = create(CanvasSet::Label3, n);
            c.left = number(record.x);
            c.top = number(record.y);
            c.width = number(record.width);
            c.fontName = record.fontName;
            c.fontSize = number(record.fontSize);
            c.caption = fieldCaption(n);
        });
    }

    void text(const Record& line)
    {
        const int n = nextIndex(model_.NumTesti, VN3Routine::MaxTesti, line, QStringLiteral("testi"));
        const auto record = readRecord<TextRecord>(reader_, line);
        onLine(line, [&] {
            const TemplateColor color = colorField(record.color);
            CanvasControl& c = create(CanvasSet::Label1, n);
            c.left = number(record.x);
            c.top = number(record.y);
            c.caption = record.text;
            c.fontName = record.fontName;
            c.fontSize = number(record.fontSize);
            c.foreColor = color;
            // One page unit per character, whatever the font.
            c.width = static_cast<double>(record.text.size());
            model_.TestoAttivo(n) = QStringLiteral("S");
        });
    }

    void table(const Record& lineA)
    {
        const int n = nextIndex(model_.NumTabelle, VN3Routine::MaxTabelle, lineA, QStringLiteral("tabelle"));
        const auto placement = readRecord<TablePlacementRecord>(reader_, lineA);
        struct Place {
            double x, y, bottom;
        };
        const Place place = onLine(lineA, [&] {
            return Place{number(placement.x), number(placement.y), number(placement.bottom)};
        });
        const TableBlock block = reader_.readTableBlock(lineA, TableEnd::FineTabella, VN3Routine::MaxColonne);
        const auto source = readRecord<TableSourceRecord>(reader_, block.source);
        std::vector<ColumnRecord> columns;
        for (const Record& line : block.columns) {
            // A section line among the columns: the table was not closed before it.
            if (TemplateReader::isSectionLine(line.text) && splitFields(line.text).size() < fieldCount<ColumnRecord>()) {
                reader_.fail(err::InvalidArgument, line.line,
                             QStringLiteral("atteso \"[FINE TABELLA]\" per la tabella della riga %1, trovato \"%2\"")
                                 .arg(lineA.line)
                                 .arg(line.text));
            }
            columns.push_back(readRecord<ColumnRecord>(reader_, line));
        }

        CanvasControl& title = create(CanvasSet::Label4, n);
        title.left = place.x;
        title.top = place.y;
        title.width = 1;
        title.caption = placement.title;
        CanvasControl& body = create(CanvasSet::Label5, n);
        body.left = place.x;
        body.top = place.y + 2;
        // May be negative: a bottom above the body's top is kept as it was read.
        body.height = place.bottom - std::floor(body.top);
        body.width = 1;

        model_.Tabelle(n, 1) = placement.title;
        model_.Tabelle(n, 2) = placement.fontName;
        model_.Tabelle(n, 3) = placement.fontSize;
        model_.Tabelle(n, 4) = source.database;
        model_.Tabelle(n, 5) = source.table;
        model_.Tabelle(n, 6) = source.ordering;
        model_.Tabelle(n, 7) = source.filter;
        model_.untitledTables(n) = placement.title.isEmpty();

        for (std::size_t k = 0; k < columns.size(); ++k) {
            const ColumnRecord& column = columns[k];
            const int j = static_cast<int>(k) + 1;
            onLine(block.columns[k], [&] {
                model_.ColonneTabella(n, j, 1) = column.title;
                model_.ColonneTabella(n, j, 2) = column.field;
                model_.ColonneTabella(n, j, 3) = decimalText(column.width);
                model_.ColonneTabella(n, j, 4) = decimalText(column.chars);
                const double width = number(column.width);
                title.width += width;
                body.width += width;
                keepTypeCode(column.typeWord, model_.ColonneTabella(n, j, 5), model_.columnTypeWords(n, j));
                model_.ColonneTabella(n, j, 6) = column.total;
                model_.ColonneTabella(n, j, 7) = column.relation;
            });
        }
    }

    void product(const Record& first, const QString& anchor)
    {
        const ProductBlock block = reader_.readProductBlock(first, kMaxProductFactors);
        ProductBlockLines kept{anchor, {first.text}};
        for (const Record& factor : block.factors)
            kept.records << factor.text;
        model_.productBlocks.push_back(std::move(kept));
    }

    TemplateReader& reader_;
    VN3Routine& model_;
    CanvasModel& canvas_;
    QHash<QString, QString> pictures_;
};

// ---- saving ----

// The two-decimal form of a sum the file computes in single precision: the single's own shortest
// decimal, rounded at the second decimal.
QString twoDecimalsOfSingle(double a, double b)
{
    const float sum = static_cast<float>(a) + static_cast<float>(b);
    if (!std::isfinite(sum))
        return formatTwoDecimals(a + b);
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, sum).ptr;
    double shortest = 0;
    std::from_chars(buffer, end, shortest);
    return formatTwoDecimals(shortest);
}

// The name a record keeps of a database or picture path: the file's name alone, or, where the
// path ends in a folder separator and names no file, the path as it was read (an empty name would
// read back as no file, and the next save would drop the record).
QString savedFileName(const QString& path)
{
    const QString name = NomeFileDaPercorso(path);
    return name.trimmed().isEmpty() ? path : name;
}

QString integerForm(double value)
{
    return QString::number(roundHalfAway(value));
}

QString shortestOf(const QString& text)
{
    return formatShortest(leadingNumber(text));
}

// The type word a record gets: the word of a listed code; while the code is empty, the word read
// from the file; otherwise "Str".
QString typeWordFor(const QString& code, const std::optional<QString>& keptWord)
{
    const QString word = typeWordForCode(code);
    if (!word.isEmpty())
        return word;
    if (code.isEmpty() && keptWord)
        return *keptWord;
    return QStringLiteral("Str");
}

// A row of a list is in use when it holds a text or a word kept from the file. Rows are written up
// to the last in use, so that an empty row between filled ones keeps the numbering of the rest.
template <typename At, typename Kept>
int lastRowInUse(int rows, int columns, const At& at, const Kept& kept)
{
    for (int i = rows; i >= 1; --i) {
        if (kept(i))
            return i;
        for (int c = 1; c <= columns; ++c) {
            if (!at(i, c).trimmed().isEmpty())
                return i;
        }
    }
    return 0;
}

class Writer {
public:
    Writer(VN3Routine& model, const CanvasModel& canvas) : model_(model), canvas_(canvas) {}

    void write()
    {
        pageBlock();
        parameters();
        images();
        rectangles();
        fields();
        texts();
        tables();
        lines << kFine;
        productsAfter(kFine);
    }

    QStringList lines;
    // The first value that would not read back as it is: the file must not be written.
    std::optional<QString> problem;

private:
    enum class Opening { Record, MayOpenWithBracket };

    // A number the loader reads back within its size limit. Rounding can carry a value just
    // inside the limit past it: then the template is not saved (it would not open again).
    QString inRange(QString text)
    {
        if (!outOfRange_ && std::abs(leadingNumber(text)) >= kLargestNumber)
            outOfRange_ = text;
        return text;
    }

    template <typename R>
    void record(const R& fields, const QString& what, Opening opening = Opening::Record)
    {
        const QString line = recordLine(fields);
        if (!problem && outOfRange_)
            problem = QStringLiteral("%1: il numero %2 è fuori misura, il modello non si riaprirebbe").arg(what, *outOfRange_);
        outOfRange_.reset();
        if (!problem) {
            for (const auto member : R::fields()) {
                const QString& value = fields.*member;
                if (value.contains(QLatin1Char(','))) {
                    problem = QStringLiteral("%1: \"%2\" contiene una virgola, che nel modello separa i campi").arg(what, value);
                } else if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))) {
                    problem = QStringLiteral("%1: \"%2\" va a capo, e nel modello ogni record sta su una riga").arg(what, value);
                } else if (const auto c = firstUnencodableCp1252(value)) {
                    problem = QStringLiteral("%1: il carattere U+%2 di \"%3\" non si può salvare (codifica Windows-1252)")
                                  .arg(what)
                                  .arg(static_cast<uint>(*c), 4, 16, QLatin1Char('0'))
                                  .arg(value);
                }
                if (problem)
                    break;
            }
            if (!problem && opening == Opening::Record && TemplateReader::isSectionLine(line))
                problem = QStringLiteral("%1: \"%2\" comincia con \"[\", che nel modello apre una sezione").arg(what, line);
        }
        lines << line;
    }

    void productsAfter(const QString& section)
    {
        for (const ProductBlockLines& block : model_.productBlocks) {
            if (block.afterSection != section)
                continue;
            lines << kProdotto << block.records << kFineProdotto;
        }
    }

    bool exists(CanvasSet set, int i) const { return canvas_.exists({set, i}); }
    const CanvasControl& control(CanvasSet set, int i) const { return canvas_.control({set, i}); }

    void pageBlock()
    {
        lines << kTesta;
        lines << (model_.Orientamento.trimmed() == QLatin1String("Verticale") ? QStringLiteral("1") : QStringLiteral("2"));
        const QString what = QStringLiteral("la pagina");
        record(PageSizeRecord{QString::number(model_.LarghezzaPagina), formatShortest(model_.AltezzaPagina)}, what);
        record(PageSourceRecord{savedFileName(model_.DatabaseRif), model_.TabellaRif}, what);
        productsAfter(kTesta);
    }

    void parameters()
    {
        lines << kParametri;
        auto& list = model_.ElencoParametri;
        const int last = lastRowInUse(VN3Routine::MaxParametri, 5, list,
                                      [&](int i) { return model_.parameterTypeWords(i).has_value(); });
        for (int i = 1; i <= last; ++i) {
            // The name as it is written: read back, it must give the same type.
            if (list(i, 1).trimmed().startsWith(QLatin1String("Data")))
                list(i, 5) = QStringLiteral("8");
            record(ParameterRecord{list(i, 1).trimmed(), list(i, 3).trimmed(),
                                   typeWordFor(list(i, 5).trimmed(), model_.parameterTypeWords(i)),
                                   list(i, 4).trimmed(), list(i, 2).trimmed()},
                   QStringLiteral("il parametro %1").arg(i));
        }
        productsAfter(kParametri);
    }

    void images()
    {
        lines << kImmagini;
        for (int i = 1; i <= std::min<int>(model_.NumImmagini, VN3Routine::MaxImmagini); ++i) {
            if (model_.Immagini(i).trimmed().isEmpty() || !exists(CanvasSet::Pic1, i))
                continue;
            const CanvasControl& c = control(CanvasSet::Pic1, i);
            record(ImageRecord{savedFileName(model_.Immagini(i)), inRange(formatTwoDecimals(c.left)),
                               inRange(formatTwoDecimals(c.top)), inRange(formatTwoDecimals(c.width)),
                               inRange(formatTwoDecimals(c.height))},
                   QStringLiteral("l'immagine %1").arg(i));
        }
        productsAfter(kImmagini);
    }

    void rectangles()
    {
        lines << kGriglia;
        for (int i = 1; i <= std::min<int>(model_.NumRettangoli, VN3Routine::MaxRettangoli); ++i) {
            if (model_.RettangoloAttivo(i) != QLatin1String("S") || !exists(CanvasSet::Label2, i))
                continue;
            const CanvasControl& c = control(CanvasSet::Label2, i);
            const GridShape& shape = model_.gridShapes(i);
            QString near[2] = {inRange(formatTwoDecimals(c.left)), inRange(formatTwoDecimals(c.top))};
            const bool asRead = shape.readBox == std::array{c.left, c.top, c.width, c.height};
            QString far[2] = {inRange(asRead ? formatTwoDecimals(shape.readFar[0]) : twoDecimalsOfSingle(c.left, c.width)),
                              inRange(asRead ? formatTwoDecimals(shape.readFar[1]) : twoDecimalsOfSingle(c.top, c.height))};
            if (shape.rightToLeft)
                std::swap(near[0], far[0]);
            if (shape.bottomToTop)
                std::swap(near[1], far[1]);
            record(GridRecord{shape.kind.value_or(QStringLiteral("R")), near[0], near[1], far[0], far[1]},
                   QStringLiteral("il rettangolo %1").arg(i));
        }
        productsAfter(kGriglia);
    }

    void fields()
    {
        lines << kCampi;
        auto& rows = model_.CampiDB;
        for (int i = 1; i <= std::min<int>(model_.NumCampi, VN3Routine::MaxCampi); ++i) {
            if (rows(i, 1).trimmed().isEmpty())
                continue;
            if (rows(i, 3).trimmed().startsWith(QLatin1String("Data")))
                rows(i, 4) = QStringLiteral("8");
            record(FieldRecord{savedFileName(rows(i, 1).trimmed()), rows(i, 2).trimmed(), rows(i, 3).trimmed(),
                               typeWordFor(rows(i, 4).trimmed(), model_.fieldTypeWords(i)), inRange(shortestOf(rows(i, 5))),
                               inRange(shortestOf(rows(i, 6))), inRange(shortestOf(rows(i, 7))), rows(i, 8).trimmed(),
                               inRange(shortestOf(rows(i, 9))), rows(i, 10).trimmed()},
                   QStringLiteral("il campo di database %1").arg(i));
        }
        productsAfter(kCampi);
    }

    void texts()
    {
        lines << kTesto;
        for (int i = 1; i <= std::min<int>(model_.NumTesti, VN3Routine::MaxTesti); ++i) {
            if (model_.TestoAttivo(i) != QLatin1String("S") || !exists(CanvasSet::Label1, i))
                continue;
            const CanvasControl& c = control(CanvasSet::Label1, i);
            record(TextRecord{c.caption, inRange(integerForm(c.left)), inRange(integerForm(c.top)), c.fontName,
                              inRange(integerForm(c.fontSize)),
                              QString::number(c.foreColor.value())},
                   QStringLiteral("il testo %1").arg(i));
        }
        productsAfter(kTesto);
    }

    void tables()
    {
        lines << kTabella;
        const auto& rows = model_.Tabelle;
        for (int i = 1; i <= VN3Routine::MaxTabelle; ++i) {
            const bool drawn = exists(CanvasSet::Label4, i) && exists(CanvasSet::Label5, i);
            if (!drawn || (rows(i, 1).isEmpty() && !model_.untitledTables(i)))
                continue;
            const CanvasControl& title = control(CanvasSet::Label4, i);
            const CanvasControl& body = control(CanvasSet::Label5, i);
            const QString what = QStringLiteral("la tabella %1").arg(i);
            const std::int64_t bottom = roundHalfAway(title.top) + roundHalfAway(body.height) + 2;
            record(TablePlacementRecord{rows(i, 1).trimmed(), inRange(integerForm(title.left)), inRange(integerForm(title.top)),
                                        inRange(QString::number(bottom)), rows(i, 2).trimmed(), shortestOf(rows(i, 3))},
                   what);
            record(TableSourceRecord{savedFileName(rows(i, 4).trimmed()), rows(i, 5).trimmed(), rows(i, 6).trimmed(),
                                     rows(i, 7).trimmed()},
                   what);
            const auto& columns = model_.ColonneTabella;
            const auto column = [&](int j, int a) -> const QString& { return columns(i, j, a); };
            const int last = lastRowInUse(VN3Routine::MaxColonne, 7, column,
                                          [&](int j) { return model_.columnTypeWords(i, j).has_value(); });
            for (int j = 1; j <= last; ++j) {
                // A title may open with "[": the table reader takes every line up to "[FINE TABELLA]".
                record(ColumnRecord{column(j, 1).trimmed(), column(j, 2).trimmed(), inRange(shortestOf(column(j, 3))),
                                    typeWordFor(column(j, 5).trimmed(), model_.columnTypeWords(i, j)),
                                    column(j, 6).trimmed(), column(j, 7).trimmed(), inRange(shortestOf(column(j, 4)))},
                       QStringLiteral("la colonna %1 della tabella %2").arg(j).arg(i), Opening::MayOpenWithBracket);
            }
            lines << kFineTabella;
        }
        productsAfter(kTabella);
    }

    VN3Routine& model_;
    const CanvasModel& canvas_;
    std::optional<QString> outOfRange_;  // of the record being built
};

}  // namespace

void CaricaModulo(const QString& path, VN3Routine& model, CanvasModel& canvas)
{
    TemplateReader reader(path);
    CaricaModulo(reader, model, canvas);
}

void CaricaModulo(TemplateReader& reader, VN3Routine& model, CanvasModel& canvas)
{
    VN3Routine loaded = model;
    CanvasModel shown = canvas;
    Loader(reader, loaded, shown).run();
    loaded.NomeModulo = reader.fileName();
    // An index of the template that was open would name another object of this one.
    loaded.OggettoCorrente = 0;
    loaded.TipoOggettoCorrente.clear();
    model = std::move(loaded);
    canvas = std::move(shown);
}

QString templateText(VN3Routine& model, const CanvasModel& canvas)
{
    Writer writer(model, canvas);
    writer.write();
    return writer.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

std::optional<QString> unsavableValue(VN3Routine& model, const CanvasModel& canvas)
{
    Writer writer(model, canvas);
    writer.write();
    return writer.problem;
}

void SalvaModulo(const QString& path, VN3Routine& model, const CanvasModel& canvas)
{
    Writer writer(model, canvas);
    writer.write();
    if (writer.problem) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("Impossibile salvare il modello \"%1\": %2").arg(path, *writer.problem));
    }
    writeCp1252Lines(path, writer.lines);
}

}  // namespace ostrivo
