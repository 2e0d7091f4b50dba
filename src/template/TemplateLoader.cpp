#include "template/TemplateFiles.h"

#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/Records.h"
#include "template/TemplateElements.h"
#include "template/TemplateReader.h"
#include "template/TypeTable.h"

#include <QHash>
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
            else if (const auto kind = elementKindOf(section))
                element(*kind, line, anchor);
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

    // The designer reads every line of the file, the last one too; its tables end at
    // "[FINE TABELLA]" with at most MaxColonne columns, and it keeps products as they were read.
    void element(ElementKind kind, const Record& line, const QString& anchor)
    {
        switch (kind) {
        case ElementKind::Picture:
            return image(line);
        case ElementKind::Grid:
            return grid(line);
        case ElementKind::Field:
            return field(line);
        case ElementKind::Text:
            return text(line);
        case ElementKind::Table:
            return table(line);
        case ElementKind::Product:
            return product(line, anchor);
        }
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
        model_.ElencoParametri(n, ParameterAttr::FieldName) = p.column;
        model_.ElencoParametri(n, ParameterAttr::Operator) = p.op;
        keepTypeCode(p.typeWord, model_.ElencoParametri(n, ParameterAttr::TypeCode), model_.ElencoParametri.kept(n));
        model_.ElencoParametri(n, ParameterAttr::DefaultValue) = p.defaultValue;
        model_.ElencoParametri(n, ParameterAttr::Prompt) = p.prompt;
    }

    // A known word gives its code; another word leaves the code and is kept to be written back.
    static void keepTypeCode(const QString& word, QString& code, KeptTypeWord& kept)
    {
        const QString known = typeCodeForWord(word);
        if (known.isEmpty())
            kept.typeWord = word;
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
            model_.CampiDB(n, FieldAttr::Database) = record.database;
            model_.CampiDB(n, FieldAttr::Table) = record.table;
            model_.CampiDB(n, FieldAttr::FieldName) = record.column;
            keepTypeCode(record.typeWord, model_.CampiDB(n, FieldAttr::TypeCode), model_.CampiDB.kept(n));
            model_.CampiDB(n, FieldAttr::X) = decimalText(record.x);
            model_.CampiDB(n, FieldAttr::Y) = decimalText(record.y);
            model_.CampiDB(n, FieldAttr::Width) = decimalText(record.width);
            model_.CampiDB(n, FieldAttr::FontName) = record.fontName;
            model_.CampiDB(n, FieldAttr::FontSize) = decimalText(record.fontSize);
            model_.CampiDB(n, FieldAttr::Relation) = record.relation;
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
        const TableElement block = readTableLines(reader_, lineA, TableEnd::FineTabella, VN3Routine::MaxColonne);
        const auto source = sourceOf(reader_, block);
        std::vector<Record> lines;
        std::vector<ColumnRecord> columns;
        for (int k = 0; k < block.columns; ++k) {
            const Record& line = lines.emplace_back(reader_.recordAt(block.columnLine(k)));
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

        model_.Tabelle(n, TableAttr::Title) = placement.title;
        model_.Tabelle(n, TableAttr::FontName) = placement.fontName;
        model_.Tabelle(n, TableAttr::FontSize) = placement.fontSize;
        model_.Tabelle(n, TableAttr::Database) = source.database;
        model_.Tabelle(n, TableAttr::Table) = source.table;
        model_.Tabelle(n, TableAttr::Ordering) = source.ordering;
        model_.Tabelle(n, TableAttr::Filter) = source.filter;
        model_.Tabelle.kept(n).untitled = placement.title.isEmpty();

        for (std::size_t k = 0; k < columns.size(); ++k) {
            const ColumnRecord& column = columns[k];
            const int j = static_cast<int>(k) + 1;
            onLine(lines[k], [&] {
                model_.ColonneTabella(n, j, ColumnAttr::Title) = column.title;
                model_.ColonneTabella(n, j, ColumnAttr::FieldName) = column.field;
                model_.ColonneTabella(n, j, ColumnAttr::ColumnWidth) = decimalText(column.width);
                model_.ColonneTabella(n, j, ColumnAttr::FieldWidth) = decimalText(column.chars);
                const double width = number(column.width);
                title.width += width;
                body.width += width;
                keepTypeCode(column.typeWord, model_.ColonneTabella(n, j, ColumnAttr::TypeCode),
                             model_.ColonneTabella.kept(n, j));
                model_.ColonneTabella(n, j, ColumnAttr::Total) = column.total;
                model_.ColonneTabella(n, j, ColumnAttr::Relation) = column.relation;
            });
        }
    }

    void product(const Record& first, const QString& anchor)
    {
        const ProductElement block = readProductLines(reader_, first);
        ProductBlockLines kept{anchor, {first.text}};
        for (int k = 0; k < block.factors; ++k)
            kept.records << reader_.recordAt(block.factorLine(k)).text;
        model_.productBlocks.push_back(std::move(kept));
    }

    TemplateReader& reader_;
    VN3Routine& model_;
    CanvasModel& canvas_;
    QHash<QString, QString> pictures_;
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

}  // namespace ostrivo
