// Any bytes as a template that is about to be printed (its first line taken as the entered
// values): the check the print run makes before printing must list problems, never crash; and a
// template it accepts must not fail to print for a reason it could have seen. The print runs in
// a folder with no database, so the only failures it may meet are the databases' (errors 3000 and
// up, which need the file to be seen).
#include "engine/ParameterFilter.h"
#include "engine/PrintRun.h"
#include "core/Cp1252.h"
#include "print/RecordingPrinter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace ostrivo;

namespace {

// The print of a template the check accepted.
void printAccepted(const QStringList& lines, const QString& values)
{
    static QTemporaryDir folder;
    static const bool entered = QDir::setCurrent(folder.path());
    if (!entered)
        return;
    QFile file(QStringLiteral("fuzz.vn3"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    file.write(encodeCp1252(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    file.close();
    RecordingPrinter printer(QStringLiteral("PDF"));
    try {
        PrintRun(printer, QStringLiteral("fuzz.vn3"), values).run();
    } catch (const PrintFailure& f) {
        if (f.number() < 3000) {
            std::fprintf(stderr, "the check accepted a template that the print refuses: %s\n", f.what());
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QStringList lines =
        splitLines(decodeCp1252(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    const QString values = lines.isEmpty() ? QString() : lines.takeFirst();
    try {
        const bool accepted = checkForPrint(QStringLiteral("fuzz.vn3"), lines, &values).empty();
        checkForPrint(QStringLiteral("fuzz.vn3"), lines);
        if (accepted)
            printAccepted(lines, values);
    } catch (const Error&) {
    }
    for (const QString& line : lines) {
        PrintParameter p{1, QStringLiteral("C"), line.left(2), line.mid(2, 4), line.mid(6), 1};
        try {
            filterLiteral(p);
            checkRelationQuotes(line, {p});
            replaceRelationPlaceholders(line, {p});
        } catch (const Error&) {
        }
    }
    return 0;
}
