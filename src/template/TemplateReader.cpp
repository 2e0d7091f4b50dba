#include "template/TemplateReader.h"

#include "platform/Cp1252.h"
#include "platform/Files.h"
#include "template/Helpers.h"

namespace ostrivo {

namespace {

QStringList readTemplateLines(const QString& path)
{
    QByteArray bytes;
    try {
        bytes = readInputFile(path, kMaxTextInputBytes);
    } catch (const InputFileError& e) {
        throw TemplateError(e.number(), path, 0, QStringLiteral("impossibile leggere il modello di stampa: %1").arg(e.problem()));
    }
    QStringList lines = splitLines(decodeCp1252(bytes));
    bytes.clear();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i).size() > kMaxTemplateLine)
            throw TemplateError(err::InvalidArgument, path, static_cast<int>(i) + 1,
                                QStringLiteral("la riga è lunga %1 caratteri: più di %2 non ne ha nessun modello valido")
                                    .arg(lines.at(i).size())
                                    .arg(kMaxTemplateLine));
    }
    return lines;
}

}  // namespace

TemplateReader::TemplateReader(const QString& path) : fileName_(path), lines_(readTemplateLines(path)) {}

TemplateReader::TemplateReader(const QString& name, const QStringList& lines) : fileName_(name), lines_(lines) {}

Record TemplateReader::nextLine(const QString& expected)
{
    if (atEnd()) {
        fail(err::InputPastEndOfFile, lineNumber() + 1,
             QStringLiteral("il file finisce qui, mentre era atteso %1").arg(expected));
    }
    Record record{lines_.at(next_), static_cast<int>(next_ + 1)};
    ++next_;
    return record;
}

QString TemplateReader::field(const Record& record, int n) const
{
    try {
        return EstraiCampo(record.text, n);
    } catch (const MissingFieldError&) {
        fail(err::InvalidArgument, record.line,
             QStringLiteral("attesi almeno %1 campi terminati da virgola in %2").arg(n).arg(quoteInput(record.text)));
    }
}

void TemplateReader::requireFields(const Record& record, int n) const
{
    field(record, n);
}

void TemplateReader::fail(int number, int line, const QString& problem) const
{
    throw TemplateError(number, fileName_, line, problem);
}

void TemplateReader::forEachRecord(const RecordHandler& handler, LastLine lastLine, const Record* current,
                                   const QString& initialSection)
{
    QString section = initialSection;
    Record line;
    if (current) {
        line = *current;
    } else {
        if (atEnd())
            return;
        line = nextLine(QString());
    }
    for (;;) {
        if (lastLine == LastLine::NeverInterpreted && atEnd())
            return;
        if (isSectionLine(line.text))
            section = line.text;
        else
            handler(section, line);
        if (atEnd())
            return;
        line = nextLine(QString());
    }
}

TableBlock TemplateReader::readTableBlock(const Record& placement, TableEnd end, int maxColumns)
{
    TableBlock block;
    block.placement = placement;
    const QString terminator = QStringLiteral("\"[FINE TABELLA]\"");
    block.source = nextLine(QStringLiteral("il record della sorgente della tabella"));
    if (isSectionLine(block.source.text)) {
        fail(err::InvalidArgument, block.source.line,
             QStringLiteral("atteso il record della sorgente della tabella, trovato %1").arg(quoteInput(block.source.text)));
    }
    for (;;) {
        Record line = nextLine(terminator);
        const bool ends = end == TableEnd::AnySection ? isSectionLine(line.text)
                                                      : line.text == QLatin1String("[FINE TABELLA]");
        if (ends) {
            block.terminator = line;
            return block;
        }
        if (static_cast<int>(block.columns.size()) >= maxColumns) {
            fail(err::SubscriptOutOfRange, line.line,
                 QStringLiteral("la tabella ha più di %1 colonne").arg(maxColumns));
        }
        block.columns.push_back(line);
    }
}

ProductBlock TemplateReader::readProductBlock(const Record& first, int maxFactors)
{
    ProductBlock block;
    block.first = first;
    for (;;) {
        Record line = nextLine(QStringLiteral("\"[/*]\""));
        if (line.text == QLatin1String("[/*]")) {
            block.terminator = line;
            return block;
        }
        if (static_cast<int>(block.factors.size()) >= maxFactors) {
            fail(err::SubscriptOutOfRange, line.line,
                 QStringLiteral("il prodotto ha più di %1 fattori").arg(maxFactors));
        }
        block.factors.push_back(line);
    }
}

}  // namespace ostrivo
