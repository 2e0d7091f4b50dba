// Any bytes as a template file: the reader, the block readers and the value helpers must never
// crash, read out of bounds or write past a list; malformed input ends in ostrivo::Error only.
#include "core/Cp1252.h"
#include "template/Helpers.h"
#include "template/Numbers.h"
#include "template/TemplateReader.h"
#include "template/TypeTable.h"
#include "template/VN3Routine.h"

#include <cstddef>
#include <cstdint>

using namespace ostrivo;

namespace {

void exerciseHelpers(const QString& line)
{
    for (int mode = -1; mode <= 5; ++mode) {
        QString value = line;
        NormalizzaValore(value, mode);
    }
    QString date = line;
    CompletaData(date);
    NomeFileDaPercorso(line);
    SostituisciCarattere(line, line.left(1), line.right(1));
    typeWordForCode(line);
    typeCodeForWord(line);
    try {
        leadingNumber(line);
        leadingDecimal(line);
        parseItalianNumber(line);
        if (auto d = Decimal4::parse(line)) {
            (void)(*d * *d);
            (void)d->roundHalfEven();
        }
    } catch (const Error&) {
    }
}

void readLikeTheDesigner(TemplateReader& reader, VN3Routine& model)
{
    reader.forEachRecord([&](const QString& section, const Record& record) {
        exerciseHelpers(record.text);
        if (section == QLatin1String("[TESTA]")) {
            reader.nextLine(QStringLiteral("line 2"));
            reader.nextLine(QStringLiteral("line 3"));
        } else if (section == QLatin1String("[PARAMETRI]")) {
            const int n = model.NumParametri + 1;
            model.ElencoParametri(n, ParameterAttr::FieldName) = reader.field(record, 1);
            model.NumParametri = static_cast<qint16>(n);
        } else if (section == QLatin1String("[TESTO]")) {
            const int n = model.NumTesti + 1;
            model.TestoAttivo(n) = QStringLiteral("S");
            reader.field(record, 6);
            model.NumTesti = static_cast<qint16>(n);
        } else if (section == QLatin1String("[TABELLA]")) {
            const int n = model.NumTabelle + 1;
            model.Tabelle(n, TableAttr::Title) = reader.field(record, 1);
            const TableBlock block = reader.readTableBlock(record, TableEnd::FineTabella, VN3Routine::MaxColonne);
            int j = 0;
            for (const Record& column : block.columns)
                model.ColonneTabella(n, ++j, ColumnAttr::Title) = reader.field(column, 7);
            model.NumTabelle = static_cast<qint16>(n);
        }
    });
}

void readLikeThePrintRun(TemplateReader& reader)
{
    reader.forEachRecord(
        [&](const QString& section, const Record& record) {
            if (section == QLatin1String("[TABELLA]"))
                reader.readTableBlock(record, TableEnd::AnySection, 54);
            else if (section == QLatin1String("[*]"))
                reader.readProductBlock(record, 49);
            else
                reader.field(record, 5);
        },
        LastLine::NeverInterpreted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines = splitLines(decodeCp1252(QByteArray(reinterpret_cast<const char*>(data),
                                                                  static_cast<qsizetype>(size))));
    try {
        TemplateReader reader(QStringLiteral("fuzz.vn3"), lines);
        VN3Routine model;
        readLikeTheDesigner(reader, model);
    } catch (const Error&) {
    }
    try {
        TemplateReader reader(QStringLiteral("fuzz.vn3"), lines);
        readLikeThePrintRun(reader);
    } catch (const Error&) {
    }
    try {
        encodeCp1252(lines.join(QLatin1Char('\n')));
    } catch (const Error&) {
    }
    return 0;
}
