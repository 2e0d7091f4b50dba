#include "core/Cp1252.h"

#include "core/Errors.h"
#include "core/OutputFile.h"

#include <array>

namespace ostrivo {

namespace {

// Code points of bytes 0x80..0x9F; the undefined bytes keep their own code.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> encodeChar(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}

QString describeChar(char32_t c)
{
    QString hex = QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return QStringLiteral("\"%1\" (U+%2)").arg(QString::fromUcs4(&c, 1), hex);
}

}  // namespace

QString decodeCp1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x80 && b < 0xA0)
            text.append(QChar(kHighControls[b - 0x80]));
        else
            text.append(QChar(b));
    }
    return text;
}

std::optional<char32_t> firstUnencodableCp1252(const QString& text)
{
    for (char32_t c : text.toUcs4()) {
        if (!encodeChar(c))
            return c;
    }
    return std::nullopt;
}

QByteArray encodeCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (char32_t c : text.toUcs4()) {
        const auto b = encodeChar(c);
        if (!b) {
            throw Error(err::InvalidArgument,
                        QStringLiteral("Il carattere %1 non si può salvare nel file (codifica Windows-1252)")
                            .arg(describeChar(c)));
        }
        bytes.append(*b);
    }
    return bytes;
}

QStringList splitLines(const QString& content)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = content.at(i);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            lines.append(content.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && content.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(content.mid(start));
    return lines;
}

void writeCp1252Lines(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encodeCp1252(line);
        bytes += "\r\n";
    }
    // Like every output: a device or a pipe is written into, never replaced; a replaced file keeps
    // its permission bits.
    OutputFile file(path, QStringLiteral("il file"));
    file.openForWriting();
    file.write(bytes);
    file.checkWritten();
    file.commit();
}

}  // namespace ostrivo
