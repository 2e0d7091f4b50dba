#pragma once

// Helpers of the printer tests: a GUI application for fonts and painting, and the poppler tools
// that read back what we print.

#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace ostrivo::test {

// Painting and fonts need an application object; it lives until the process ends.
inline void ensureGuiApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "test_platform";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

// The output of a tool, or nothing when it is not installed; a failing run fails the test.
inline std::optional<QString> runTool(const QString& program, const QStringList& arguments)
{
    const std::optional<ProgramRun> run = runProgram(program, arguments, 60000);
    if (!run)
        return std::nullopt;
    if (!run->ok) {
        ADD_FAILURE() << program.toStdString() << " failed: " << run->err.toStdString();
        return QString();
    }
    return QString::fromUtf8(run->out);
}

inline bool haveTool(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

#define OSTRIVO_REQUIRE_TOOL(program)                                                           \
    do {                                                                                        \
        if (!::ostrivo::test::haveTool(QStringLiteral(program)))                                \
            GTEST_SKIP() << program " (poppler-utils) is not installed; skipping the PDF check"; \
    } while (0)

struct PdfWord {
    int page = 0;  // from 1
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
    QString text;
};

struct PdfPage {
    double width = 0;
    double height = 0;
};

struct PdfText {
    std::vector<PdfPage> pages;
    std::vector<PdfWord> words;

    std::vector<PdfWord> find(const QString& text) const
    {
        std::vector<PdfWord> found;
        for (const PdfWord& word : words) {
            if (word.text == text)
                found.push_back(word);
        }
        return found;
    }
};

// Every word of a PDF with its box, in points from the top-left corner of its page.
inline PdfText readPdfText(const QString& pdf)
{
    PdfText result;
    const auto html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!html)
        return result;
    static const QRegularExpression pageRe(QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression wordRe(
        QStringLiteral(R"re(<word xMin="([\d.-]+)" yMin="([\d.-]+)" xMax="([\d.-]+)" yMax="([\d.-]+)">(.*?)</word>)re"));
    const QStringList lines = html->split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (const auto page = pageRe.match(line); page.hasMatch()) {
            result.pages.push_back({page.captured(1).toDouble(), page.captured(2).toDouble()});
            continue;
        }
        if (const auto word = wordRe.match(line); word.hasMatch()) {
            result.words.push_back({int(result.pages.size()), word.captured(1).toDouble(), word.captured(2).toDouble(),
                                    word.captured(3).toDouble(), word.captured(4).toDouble(),
                                    QTextDocumentFragment::fromHtml(word.captured(5)).toPlainText()});
        }
    }
    return result;
}

// The page sizes pdfinfo reports, in points (width, height), page by page.
inline std::vector<PdfPage> readPdfPageSizes(const QString& pdf)
{
    std::vector<PdfPage> pages;
    const auto info = runTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                          QStringLiteral("9999"), pdf});
    if (!info)
        return pages;
    static const QRegularExpression sizeRe(QStringLiteral(R"re(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)re"));
    auto it = sizeRe.globalMatch(*info);
    while (it.hasNext()) {
        const auto match = it.next();
        pages.push_back({match.captured(1).toDouble(), match.captured(2).toDouble()});
    }
    return pages;
}

// The font names pdffonts lists.
inline QStringList readPdfFonts(const QString& pdf)
{
    QStringList names;
    const auto table = runTool(QStringLiteral("pdffonts"), {pdf});
    if (!table)
        return names;
    const QStringList lines = table->split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (int i = 2; i < lines.size(); ++i)  // after the heading and the rule
        names.push_back(lines[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
    return names;
}

// The files of a folder, hidden ones included.
inline QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

}  // namespace ostrivo::test
