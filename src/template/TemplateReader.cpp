#include "template/TemplateReader.h"

#include "core/Cp1252.h"
#include "core/Files.h"
#include "template/Helpers.h"

#include <algorithm>

namespace ostrivo {

namespace {

TemplateLines readTemplateLines(const QString& path)
{
    QByteArray bytes;
    try {
        bytes = readInputFile(path, kMaxTextInputBytes);
    } catch (const InputFileError& e) {
        throw TemplateError(e.number(), path, 0, QStringLiteral("impossibile leggere il modello di stampa: %1").arg(e.problem()));
    }
    TemplateLines lines = TemplateLines::fromBytes(std::move(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.length(i) > kMaxTemplateLine)
            throw TemplateError(err::InvalidArgument, path, static_cast<int>(i) + 1,
                                QStringLiteral("la riga è lunga %1 caratteri: più di %2 non ne ha nessun modello valido")
                                    .arg(lines.length(i))
                                    .arg(kMaxTemplateLine));
    }
    return lines;
}

}  // namespace

TemplateLines::TemplateLines() : data_(std::make_shared<Data>(Data{QByteArray(), {0}})) {}

TemplateLines::TemplateLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encodeCp1252(line) + '\n';
    *this = fromBytes(std::move(bytes));
}

TemplateLines TemplateLines::fromBytes(QByteArray bytes)
{
    Data data;
    const qsizetype n = bytes.size();
    // Counted first: a vector grown line by line would briefly hold twice what it keeps.
    data.starts.reserve(static_cast<std::size_t>(bytes.count('\n') + bytes.count('\r')) + 2);
    for (qsizetype i = 0; i < n;) {
        data.starts.push_back(static_cast<std::uint32_t>(i));
        while (i < n && bytes.at(i) != '\n' && bytes.at(i) != '\r')
            ++i;
        if (i < n && bytes.at(i) == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        ++i;  // past the line end; a last line without one ends with the bytes
    }
    data.starts.push_back(static_cast<std::uint32_t>(n));
    data.bytes = std::move(bytes);
    TemplateLines lines;
    lines.data_ = std::make_shared<const Data>(std::move(data));
    return lines;
}

QByteArrayView TemplateLines::bytes(qsizetype i) const
{
    const auto from = static_cast<qsizetype>(data_->starts.at(static_cast<std::size_t>(i)));
    auto to = static_cast<qsizetype>(data_->starts.at(static_cast<std::size_t>(i) + 1));
    const QByteArray& all = data_->bytes;
    // Lines hold no line-end character: what ends the slice is its line end.
    if (to > from && all.at(to - 1) == '\n')
        --to;
    if (to > from && all.at(to - 1) == '\r')
        --to;
    return QByteArrayView(all).sliced(from, to - from);
}

QString TemplateLines::at(qsizetype i) const
{
    const QByteArrayView line = bytes(i);
    return decodeCp1252(QByteArray::fromRawData(line.data(), line.size()));
}

QStringList TemplateLines::toStringList() const
{
    QStringList lines;
    lines.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        lines << at(i);
    return lines;
}

TemplateReader::TemplateReader(const QString& path) : fileName_(path), lines_(readTemplateLines(path)) {}

TemplateReader::TemplateReader(const QString& name, TemplateLines lines) : fileName_(name), lines_(std::move(lines)) {}

Record TemplateReader::nextLine(const QString& expected)
{
    // Named at the file's last line: a line past the end is none the user could look up.
    if (atEnd()) {
        fail(err::InputPastEndOfFile, std::max(lineNumber(), 1),
             QStringLiteral("il file finisce qui, mentre era atteso %1").arg(expected));
    }
    Record record{lines_.at(next_), static_cast<int>(next_ + 1)};
    ++next_;
    return record;
}

Record TemplateReader::pageBlockStart()
{
    const Record first = nextLine(QStringLiteral("\"[TESTA]\""));
    if (first.text != kTesta)
        fail(err::InvalidArgument, first.line,
             QStringLiteral("il modello deve cominciare con \"[TESTA]\", trovato \"%1\"").arg(first.text));
    return first;
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
    // The first section line among the columns: a table never closed stops there.
    Record stop;
    for (;;) {
        if (atEnd()) {
            if (stop.line > 0)
                fail(err::InvalidArgument, stop.line,
                     QStringLiteral("atteso %1 per la tabella della riga %2, trovato %3")
                         .arg(terminator)
                         .arg(placement.line)
                         .arg(quoteInput(stop.text)));
            fail(err::InputPastEndOfFile, std::max(lineNumber(), 1),
                 QStringLiteral("il file finisce qui, mentre era atteso %1 per la tabella della riga %2")
                     .arg(terminator)
                     .arg(placement.line));
        }
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
        if (stop.line == 0 && isSectionLine(line.text))
            stop = line;
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
