#include "template/TemplateFiles.h"

#include "core/Cp1252.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/Records.h"
#include "template/TemplateReader.h"
#include "template/TypeTable.h"

#include <charconv>
#include <cmath>

namespace ostrivo {

namespace {

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
QString typeWordFor(const QString& code, const KeptTypeWord& kept)
{
    const QString word = typeWordForCode(code);
    if (!word.isEmpty())
        return word;
    if (code.isEmpty() && kept.typeWord)
        return *kept.typeWord;
    return QStringLiteral("Str");
}

// A row of a list is in use when it holds a text or a word kept from the file. Rows are written up
// to the last in use, so that an empty row between filled ones keeps the numbering of the rest.
template <typename Column, typename At, typename Kept>
int lastRowInUse(int rows, const At& at, const Kept& kept)
{
    for (int i = rows; i >= 1; --i) {
        if (kept(i).typeWord)
            return i;
        for (const Column c : everyColumn<Column>()) {
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
        using P = ParameterAttr;
        auto& list = model_.ElencoParametri;
        const int last = lastRowInUse<P>(VN3Routine::MaxParametri, list, [&](int i) { return list.kept(i); });
        for (int i = 1; i <= last; ++i) {
            // The name as it is written: read back, it must give the same type.
            if (list(i, P::FieldName).trimmed().startsWith(QLatin1String("Data")))
                list(i, P::TypeCode) = QStringLiteral("8");
            record(ParameterRecord{list(i, P::FieldName).trimmed(), list(i, P::Operator).trimmed(),
                                   typeWordFor(list(i, P::TypeCode).trimmed(), list.kept(i)),
                                   list(i, P::DefaultValue).trimmed(), list(i, P::Prompt).trimmed()},
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
        using F = FieldAttr;
        auto& rows = model_.CampiDB;
        for (int i = 1; i <= std::min<int>(model_.NumCampi, VN3Routine::MaxCampi); ++i) {
            if (rows(i, F::Database).trimmed().isEmpty())
                continue;
            if (rows(i, F::FieldName).trimmed().startsWith(QLatin1String("Data")))
                rows(i, F::TypeCode) = QStringLiteral("8");
            record(FieldRecord{savedFileName(rows(i, F::Database).trimmed()), rows(i, F::Table).trimmed(),
                               rows(i, F::FieldName).trimmed(), typeWordFor(rows(i, F::TypeCode).trimmed(), rows.kept(i)),
                               inRange(shortestOf(rows(i, F::X))), inRange(shortestOf(rows(i, F::Y))),
                               inRange(shortestOf(rows(i, F::Width))), rows(i, F::FontName).trimmed(),
                               inRange(shortestOf(rows(i, F::FontSize))), rows(i, F::Relation).trimmed()},
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
        using T = TableAttr;
        using C = ColumnAttr;
        const auto& rows = model_.Tabelle;
        for (int i = 1; i <= VN3Routine::MaxTabelle; ++i) {
            const bool drawn = exists(CanvasSet::Label4, i) && exists(CanvasSet::Label5, i);
            if (!drawn || (rows(i, T::Title).isEmpty() && !rows.kept(i).untitled))
                continue;
            const CanvasControl& title = control(CanvasSet::Label4, i);
            const CanvasControl& body = control(CanvasSet::Label5, i);
            const QString what = QStringLiteral("la tabella %1").arg(i);
            const std::int64_t bottom = roundHalfAway(title.top) + roundHalfAway(body.height) + 2;
            record(TablePlacementRecord{rows(i, T::Title).trimmed(), inRange(integerForm(title.left)),
                                        inRange(integerForm(title.top)), inRange(QString::number(bottom)),
                                        rows(i, T::FontName).trimmed(), shortestOf(rows(i, T::FontSize))},
                   what);
            record(TableSourceRecord{savedFileName(rows(i, T::Database).trimmed()), rows(i, T::Table).trimmed(),
                                     rows(i, T::Ordering).trimmed(), rows(i, T::Filter).trimmed()},
                   what);
            const auto& columns = model_.ColonneTabella;
            const auto column = [&](int j, C a) -> const QString& { return columns(i, j, a); };
            const int last = lastRowInUse<C>(VN3Routine::MaxColonne, column, [&](int j) { return columns.kept(i, j); });
            for (int j = 1; j <= last; ++j) {
                // A title may open with "[": the table reader takes every line up to "[FINE TABELLA]".
                record(ColumnRecord{column(j, C::Title).trimmed(), column(j, C::FieldName).trimmed(),
                                    inRange(shortestOf(column(j, C::ColumnWidth))),
                                    typeWordFor(column(j, C::TypeCode).trimmed(), columns.kept(i, j)),
                                    column(j, C::Total).trimmed(), column(j, C::Relation).trimmed(),
                                    inRange(shortestOf(column(j, C::FieldWidth)))},
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
