#include "print/PrintOp.h"

#include "core/Errors.h"
#include "print/Printer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace ostrivo {

PrintOp PrintOp::orientation(int page, int value)
{
    PrintOp op;
    op.kind = Kind::Orientation;
    op.page = page;
    op.value = value;
    return op;
}

PrintOp PrintOp::scale(int page, double width, double height)
{
    PrintOp op;
    op.kind = Kind::Scale;
    op.page = page;
    op.width = width;
    op.height = height;
    return op;
}

PrintOp PrintOp::textAt(int page, double x, double y, QString text, QString font, double size, TemplateColor color)
{
    PrintOp op;
    op.kind = Kind::Text;
    op.page = page;
    op.x = x;
    op.y = y;
    op.text = std::move(text);
    op.font = std::move(font);
    op.size = size;
    op.color = color;
    return op;
}

static PrintOp segment(PrintOp::Kind kind, int page, double x1, double y1, double x2, double y2, TemplateColor color)
{
    PrintOp op;
    op.kind = kind;
    op.page = page;
    op.x1 = x1;
    op.y1 = y1;
    op.x2 = x2;
    op.y2 = y2;
    op.color = color;
    return op;
}

PrintOp PrintOp::line(int page, double x1, double y1, double x2, double y2, TemplateColor color)
{
    return segment(Kind::Line, page, x1, y1, x2, y2, color);
}

PrintOp PrintOp::box(int page, double x1, double y1, double x2, double y2, TemplateColor color)
{
    return segment(Kind::Box, page, x1, y1, x2, y2, color);
}

PrintOp PrintOp::picture(int page, QString file, double x, double y, double width, double height)
{
    PrintOp op;
    op.kind = Kind::Picture;
    op.page = page;
    op.file = std::move(file);
    op.x = x;
    op.y = y;
    op.width = width;
    op.height = height;
    return op;
}

PrintOp PrintOp::newPage(int page)
{
    PrintOp op;
    op.kind = Kind::NewPage;
    op.page = page;
    return op;
}

PrintOp PrintOp::end(int pages)
{
    PrintOp op;
    op.kind = Kind::End;
    op.pages = pages;
    return op;
}

namespace {

const char* kindName(PrintOp::Kind kind)
{
    switch (kind) {
    case PrintOp::Kind::Orientation: return "orientation";
    case PrintOp::Kind::Scale: return "scale";
    case PrintOp::Kind::Text: return "text";
    case PrintOp::Kind::Line: return "line";
    case PrintOp::Kind::Box: return "box";
    case PrintOp::Kind::Picture: return "picture";
    case PrintOp::Kind::NewPage: return "newpage";
    case PrintOp::Kind::End: return "end";
    }
    return "";
}

}  // namespace

QString printOpKindName(PrintOp::Kind kind)
{
    return QString::fromLatin1(kindName(kind));
}

namespace {

// Builds one JSON object, key by key, in the order the keys are added.
class JsonLine {
public:
    explicit JsonLine(PrintOp::Kind kind)
    {
        out_.reserve(160);
        out_ += "{\"op\":\"";
        out_ += kindName(kind);
        out_ += '"';
    }

    void number(const char* key, double value)
    {
        if (!std::isfinite(value))
            throw Error(err::InvalidArgument,
                        QStringLiteral("Valore non finito in \"%1\": non rappresentabile nella traccia")
                            .arg(QLatin1String(key)));
        if (value == 0)
            value = 0;  // no "-0" in the trace
        this->key(key);
        appendShortest(value);
    }

    void integer(const char* key, qint64 value)
    {
        this->key(key);
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, result.ptr - buffer);
    }

    void string(const char* key, const QString& value)
    {
        this->key(key);
        out_ += '"';
        static const char hex[] = "0123456789abcdef";
        const QChar* const begin = value.constData();
        for (const QChar* p = begin; p != begin + value.size(); ++p) {
            const char16_t c = p->unicode();
            switch (c) {
            case u'"': out_ += "\\\""; continue;
            case u'\\': out_ += "\\\\"; continue;
            case u'\b': out_ += "\\b"; continue;
            case u'\f': out_ += "\\f"; continue;
            case u'\n': out_ += "\\n"; continue;
            case u'\r': out_ += "\\r"; continue;
            case u'\t': out_ += "\\t"; continue;
            default: break;
            }
            if (c >= 0x20 && c < 0x7f) {
                out_ += char(c);
                continue;
            }
            // Pure ASCII whatever the reader's encoding; surrogate pairs come out as two escapes.
            const char escape[] = {'\\', 'u', hex[(c >> 12) & 0xf], hex[(c >> 8) & 0xf],
                                   hex[(c >> 4) & 0xf], hex[c & 0xf]};
            out_.append(escape, sizeof escape);
        }
        out_ += '"';
    }

    QByteArray take()
    {
        out_ += '}';
        return QByteArray(out_.data(), qsizetype(out_.size()));
    }

private:
    // The shortest digits that read back to the same double (to_chars), laid out as JavaScript
    // writes numbers: plain decimals from 1e-6 up to 1e21, exponent notation beyond.
    void appendShortest(double value)
    {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
        std::string_view text(buffer, result.ptr - buffer);
        if (text.front() == '-') {
            out_ += '-';
            text.remove_prefix(1);
        }
        const auto e = text.find('e');
        std::string digits;
        for (const char c : text.substr(0, e)) {
            if (c != '.')
                digits += c;
        }
        int exponent = 0;
        std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), exponent);
        const int k = int(digits.size());
        const int n = exponent + 1;  // the value is 0.digits times 10^n
        if (k <= n && n <= 21) {
            out_ += digits;
            out_.append(n - k, '0');
        } else if (0 < n && n <= 21) {
            out_.append(digits.data(), n);
            out_ += '.';
            out_.append(digits.data() + n, k - n);
        } else if (-6 < n && n <= 0) {
            out_ += "0.";
            out_.append(-n, '0');
            out_ += digits;
        } else {
            out_ += digits[0];
            if (k > 1) {
                out_ += '.';
                out_.append(digits.data() + 1, k - 1);
            }
            out_ += 'e';
            out_ += n - 1 < 0 ? '-' : '+';
            out_ += std::to_string(std::abs(n - 1));
        }
    }

    void key(const char* name)
    {
        out_ += ",\"";
        out_ += name;
        out_ += "\":";
    }

    std::string out_;
};

}  // namespace

QByteArray printOpToJson(const PrintOp& op)
{
    JsonLine line(op.kind);
    switch (op.kind) {
    case PrintOp::Kind::Orientation:
        line.integer("page", op.page);
        line.integer("value", op.value);
        break;
    case PrintOp::Kind::Scale:
        line.integer("page", op.page);
        line.number("width", op.width);
        line.number("height", op.height);
        break;
    case PrintOp::Kind::Text:
        line.integer("page", op.page);
        line.number("x", op.x);
        line.number("y", op.y);
        line.string("text", op.text);
        line.string("font", op.font);
        line.number("size", op.size);
        line.integer("color", op.color.value());
        break;
    case PrintOp::Kind::Line:
    case PrintOp::Kind::Box:
        line.integer("page", op.page);
        line.number("x1", op.x1);
        line.number("y1", op.y1);
        line.number("x2", op.x2);
        line.number("y2", op.y2);
        line.integer("color", op.color.value());
        break;
    case PrintOp::Kind::Picture:
        line.integer("page", op.page);
        line.string("file", op.file);
        line.number("x", op.x);
        line.number("y", op.y);
        line.number("width", op.width);
        line.number("height", op.height);
        break;
    case PrintOp::Kind::NewPage:
        line.integer("page", op.page);
        break;
    case PrintOp::Kind::End:
        line.integer("pages", op.pages);
        break;
    }
    return line.take();
}

namespace {

[[noreturn]] void badLine(const QString& problem)
{
    throw Error(err::InvalidArgument, problem);
}

class JsonFields {
public:
    explicit JsonFields(QJsonObject object) : object_(std::move(object)) {}

    QJsonValue field(const char* key) const
    {
        const QJsonValue value = object_.value(QLatin1String(key));
        if (value.isUndefined())
            badLine(QStringLiteral("manca la chiave \"%1\"").arg(QLatin1String(key)));
        return value;
    }

    double number(const char* key) const
    {
        const QJsonValue value = field(key);
        if (!value.isDouble())
            badLine(QStringLiteral("\"%1\" non è un numero").arg(QLatin1String(key)));
        return value.toDouble();
    }

    qint64 integer(const char* key) const
    {
        const double value = number(key);
        // 2^53: beyond it a JSON number no longer names one integer.
        if (value != std::floor(value) || std::fabs(value) > 9007199254740992.0)
            badLine(QStringLiteral("\"%1\" non è un numero intero").arg(QLatin1String(key)));
        return field(key).toInteger(static_cast<qint64>(value));
    }

    int smallInteger(const char* key) const
    {
        const qint64 value = integer(key);
        if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
            badLine(QStringLiteral("\"%1\" è fuori intervallo").arg(QLatin1String(key)));
        return static_cast<int>(value);
    }

    QString string(const char* key) const
    {
        const QJsonValue value = field(key);
        if (!value.isString())
            badLine(QStringLiteral("\"%1\" non è un testo").arg(QLatin1String(key)));
        return value.toString();
    }

private:
    QJsonObject object_;
};

}  // namespace

PrintOp printOpFromJson(QByteArrayView line)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        badLine(QStringLiteral("JSON non valido (%1, carattere %2)").arg(parseError.errorString()).arg(parseError.offset + 1));
    if (!document.isObject())
        badLine(QStringLiteral("la riga non è un oggetto JSON"));
    const JsonFields f(document.object());
    const QString name = f.string("op");

    // Field by field in the trace's key order, so that the first missing key is the one named.
    PrintOp op;
    if (name == QLatin1String("orientation")) {
        op.kind = PrintOp::Kind::Orientation;
        op.page = f.smallInteger("page");
        op.value = f.smallInteger("value");
    } else if (name == QLatin1String("scale")) {
        op.kind = PrintOp::Kind::Scale;
        op.page = f.smallInteger("page");
        op.width = f.number("width");
        op.height = f.number("height");
    } else if (name == QLatin1String("text")) {
        op.kind = PrintOp::Kind::Text;
        op.page = f.smallInteger("page");
        op.x = f.number("x");
        op.y = f.number("y");
        op.text = f.string("text");
        op.font = f.string("font");
        op.size = f.number("size");
        op.color = f.integer("color");
    } else if (name == QLatin1String("line") || name == QLatin1String("box")) {
        op.kind = name == QLatin1String("line") ? PrintOp::Kind::Line : PrintOp::Kind::Box;
        op.page = f.smallInteger("page");
        op.x1 = f.number("x1");
        op.y1 = f.number("y1");
        op.x2 = f.number("x2");
        op.y2 = f.number("y2");
        op.color = f.integer("color");
    } else if (name == QLatin1String("picture")) {
        op.kind = PrintOp::Kind::Picture;
        op.page = f.smallInteger("page");
        op.file = f.string("file");
        op.x = f.number("x");
        op.y = f.number("y");
        op.width = f.number("width");
        op.height = f.number("height");
    } else if (name == QLatin1String("newpage")) {
        op.kind = PrintOp::Kind::NewPage;
        op.page = f.smallInteger("page");
    } else if (name == QLatin1String("end")) {
        op.kind = PrintOp::Kind::End;
        op.pages = f.smallInteger("pages");
    } else {
        badLine(QStringLiteral("operazione sconosciuta \"%1\"").arg(name));
    }
    return op;
}

std::vector<PrintOp> readTrace(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(err::FileNotFound, QStringLiteral("Impossibile aprire la traccia \"%1\": %2").arg(path, file.errorString()));
    std::vector<PrintOp> ops;
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty())
            continue;
        try {
            ops.push_back(printOpFromJson(line));
        } catch (const Error& e) {
            throw Error(e.number(), QStringLiteral("%1, riga %2: %3").arg(path, QString::number(lineNumber), e.description()));
        }
    }
    if (file.error() != QFileDevice::NoError)
        throw Error(err::PathFileAccess, QStringLiteral("Errore di lettura della traccia \"%1\": %2").arg(path, file.errorString()));
    return ops;
}

void writeTrace(const QString& path, const std::vector<PrintOp>& ops)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(err::PathFileAccess, QStringLiteral("Impossibile scrivere la traccia \"%1\": %2").arg(path, file.errorString()));
    for (const PrintOp& op : ops) {
        QByteArray line = printOpToJson(op);
        line += '\n';
        if (file.write(line) != line.size())
            throw Error(err::PathFileAccess, QStringLiteral("Impossibile scrivere la traccia \"%1\": %2").arg(path, file.errorString()));
    }
    if (!file.flush())
        throw Error(err::PathFileAccess, QStringLiteral("Impossibile scrivere la traccia \"%1\": %2").arg(path, file.errorString()));
}

void replayOps(const std::vector<PrintOp>& ops, Printer& printer, const PictureLoader& loader,
               const std::function<bool(int page)>& onPage)
{
    for (const PrintOp& op : ops) {
        switch (op.kind) {
        case PrintOp::Kind::Orientation:
            printer.setOrientation(op.value);
            break;
        case PrintOp::Kind::Scale:
            printer.setScale(op.width, op.height);
            break;
        case PrintOp::Kind::Text:
            printer.setFontName(op.font);
            printer.setFontSize(op.size);
            printer.setTextColor(op.color);
            printer.setPosition(op.x, op.y);
            printer.printText(op.text);
            break;
        case PrintOp::Kind::Line:
            printer.drawLine(op.x1, op.y1, op.x2, op.y2, op.color);
            break;
        case PrintOp::Kind::Box:
            printer.drawBox(op.x1, op.y1, op.x2, op.y2, op.color);
            break;
        case PrintOp::Kind::Picture: {
            const QImage picture = loader ? loader(op.file) : QImage(op.file);
            if (picture.isNull())
                throw Error(err::InvalidPicture, QStringLiteral("Impossibile caricare l'immagine \"%1\"").arg(op.file));
            printer.paintPicture(op.file, picture, op.x, op.y, op.width, op.height);
            break;
        }
        case PrintOp::Kind::NewPage:
            printer.newPage();
            if (onPage && !onPage(op.page))
                throw Error(err::UserInterrupt);
            break;
        case PrintOp::Kind::End:
            printer.endDocument();
            break;
        }
    }
}

}  // namespace ostrivo
