#include "support/PdfText.h"

#include "support/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace ostrivo::test {

namespace {

QString unescapeXml(QString text)
{
    static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
    QString result;
    qsizetype from = 0;
    for (auto it = numeric.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        result += text.mid(from, m.capturedStart() - from);
        const char32_t code = m.captured(2).toUInt(nullptr, m.captured(1).isEmpty() ? 10 : 16);
        result += QString::fromUcs4(&code, 1);
        from = m.capturedEnd();
    }
    result += text.mid(from);
    result.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    result.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    result.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    result.replace(QStringLiteral("&apos;"), QStringLiteral("'"));
    result.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return result;
}

}  // namespace

bool havePdfToText()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

std::vector<PdfWord> pdfWords(const QString& pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression tag(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                         m.captured(4).toDouble(), unescapeXml(m.captured(5))});
    }
    // Reading order by lines: pdftotext keeps column blocks together, a report reads across.
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.page != b.page ? a.page < b.page : a.yMin < b.yMin;
    });
    for (std::size_t start = 0; start < words.size();) {
        std::size_t end = start + 1;
        while (end < words.size() && words[end].page == words[start].page && words[end].yMin - words[start].yMin < 2)
            ++end;
        std::stable_sort(words.begin() + static_cast<std::ptrdiff_t>(start), words.begin() + static_cast<std::ptrdiff_t>(end),
                         [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
        start = end;
    }
    return words;
}

namespace {
constexpr double kA4Short = 595.276;
constexpr double kA4Long = 841.89;
constexpr double kMargin = 5.0 / 25.4 * 72.0;
}  // namespace

double PdfPageMap::unitWidth() const
{
    return ((landscape ? kA4Long : kA4Short) - 2 * kMargin) / unitsWide;
}

double PdfPageMap::unitHeight() const
{
    return ((landscape ? kA4Short : kA4Long) - 2 * kMargin) / unitsHigh;
}

double PdfPageMap::x(double units) const
{
    return kMargin + units * unitWidth();
}

double PdfPageMap::y(double units) const
{
    return kMargin + units * unitHeight();
}

RunResult runBinary(const QStringList& arguments, const QString& workingDirectory, int timeoutMs,
                    const std::function<void()>& inChild)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(binaryPath(), arguments);
    RunResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("timed out");
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

}  // namespace ostrivo::test
