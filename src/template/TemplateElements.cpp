#include "template/TemplateElements.h"

#include "template/Numbers.h"

namespace ostrivo {

std::optional<ElementKind> elementKindOf(const QString& section)
{
    if (section == kImmagini)
        return ElementKind::Picture;
    if (section == kGriglia)
        return ElementKind::Grid;
    if (section == kCampi)
        return ElementKind::Field;
    if (section == kTesto)
        return ElementKind::Text;
    if (section == kProdotto)
        return ElementKind::Product;
    if (section == kTabella)
        return ElementKind::Table;
    return std::nullopt;
}

int lineOf(const TemplateElement& element)
{
    return std::visit([](const auto& e) { return e.line; }, element);
}

ProductElement readProductLines(TemplateReader& reader, const Record& first)
{
    const ProductBlock block = reader.readProductBlock(first, kMaxProductFactors);
    return {first.line, static_cast<int>(block.factors.size())};
}

TableElement readTableLines(TemplateReader& reader, const Record& placement, TableEnd end, int maxColumns)
{
    const TableBlock block = reader.readTableBlock(placement, end, maxColumns);
    return {placement.line, static_cast<int>(block.columns.size())};
}

PageBlock readPrintHeader(TemplateReader& reader, std::vector<int>& parameterLines)
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
    const Record parametersLine = reader.nextLine(QStringLiteral("\"[PARAMETRI]\""));
    if (parametersLine.text != kParametri)
        reader.fail(err::InvalidArgument, parametersLine.line,
                    QStringLiteral("atteso \"[PARAMETRI]\" dopo le tre righe di \"[TESTA]\", trovato \"%1\"")
                        .arg(parametersLine.text));
    // The parameters run to the next section line, where the body starts.
    while (!reader.atEnd()) {
        if (TemplateReader::isSectionLine(reader.recordAt(reader.lineNumber() + 1).text))
            break;
        parameterLines.push_back(reader.nextLine(QString()).line);
    }
    return page;
}

void readElements(TemplateReader& reader, ElementReading how, const std::function<void(const TemplateElement&)>& met)
{
    if (reader.atEnd())
        return;
    const Record first = reader.nextLine(QString());
    reader.forEachRecord(
        [&](const QString& section, const Record& record) {
            const auto kind = elementKindOf(section);
            if (!kind)
                return;
            switch (*kind) {
            case ElementKind::Picture:
                return met(PictureElement{record.line});
            case ElementKind::Grid:
                return met(GridElement{record.line});
            case ElementKind::Field:
                return met(FieldElement{record.line});
            case ElementKind::Text:
                return met(TextElement{record.line});
            case ElementKind::Product:
                return met(readProductLines(reader, record));
            case ElementKind::Table:
                if (how == ElementReading::PrintRun)
                    met(readTableLines(reader, record, TableEnd::AnySection, kMaxPrintColumns));
                return;
            }
        },
        LastLine::NeverInterpreted, &first);
}

TemplateElements readTemplateElements(TemplateReader& reader, ElementReading how)
{
    TemplateElements read;
    try {
        read.page = readPrintHeader(reader, read.parameterLines);
        readElements(reader, how, [&](const TemplateElement& element) { read.elements.push_back(element); });
    } catch (const TemplateError& e) {
        read.broken = e;
    }
    return read;
}

}  // namespace ostrivo
