// Pages per second of the printer named "PDF" (the printer front with its Qt sink, driven op by op
// as the engine drives it) against the floor: the same trace painted by the same painting code
// straight onto QPdfWriter. Also the cost of a trace tap on top.
//
//   bench_pdf_replay [--pages N] [--runs R]

#include "TraceReplay.h"

#include "print/PrintOp.h"
#include "print/Printer.h"
#include "print/QtPrintSink.h"
#include "print/TraceSink.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>
#include <malloc.h>

using namespace ostrivo;

namespace {

// A report of table pages: a header, a table of 40 rows by 6 columns with its grid, a totals row.
std::vector<PrintOp> syntheticTrace(int pages)
{
    std::vector<PrintOp> ops;
    const QString arial = QStringLiteral("Arial");
    const QString courier = QStringLiteral("Courier New");
    const qint64 grey = 12632256;
    const double columns[] = {2, 14, 30, 44, 56, 68, 78};
    const int rows = 40;
    int row = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            ops.push_back(PrintOp::newPage(page));
        ops.push_back(PrintOp::orientation(page, 1));
        ops.push_back(PrintOp::scale(page, 80, 75));
        ops.push_back(PrintOp::textAt(page, 2, 1, QStringLiteral("Riepilogo prenotazioni - Hotel Bellavista"), arial, 14, 0));
        ops.push_back(PrintOp::textAt(page, 60, 2, QStringLiteral("07/12/2026"), arial, 10, 0));
        ops.push_back(PrintOp::box(page, 1, 6, 79, 8, 0));
        const char* const headings[] = {"Numero", "Cliente", "Arrivo", "Partenza", "Camera", "Importo"};
        for (int c = 0; c < 6; ++c)
            ops.push_back(PrintOp::textAt(page, columns[c], 6.4, QString::fromLatin1(headings[c]), arial, 9, 0));
        for (int r = 0; r < rows; ++r, ++row) {
            const double y = 8.4 + r * 1.5;
            ops.push_back(PrintOp::textAt(page, columns[0], y, QString::number(100000 + row), courier, 9, 0));
            ops.push_back(PrintOp::textAt(page, columns[1], y, QStringLiteral("Rossi Mario %1").arg(row % 97), arial, 9, 0));
            ops.push_back(PrintOp::textAt(page, columns[2], y, QStringLiteral("%1/12/2026").arg(1 + row % 28, 2, 10, QLatin1Char('0')), arial, 9, 0));
            ops.push_back(PrintOp::textAt(page, columns[3], y, QStringLiteral("%1/01/2027").arg(1 + row % 28, 2, 10, QLatin1Char('0')), arial, 9, 0));
            ops.push_back(PrintOp::textAt(page, columns[4], y, QString::number(100 + row % 250), arial, 9, 0));
            ops.push_back(PrintOp::textAt(page, columns[5], y, QStringLiteral("  %1,50").arg(1000 + row % 9000), courier, 9, 0));
            ops.push_back(PrintOp::line(page, 1, y + 1.4, 79, y + 1.4, grey));
        }
        const double bottom = 8.4 + rows * 1.5;
        for (const double x : columns)
            ops.push_back(PrintOp::line(page, x - 0.5, 6, x - 0.5, bottom, grey));
        ops.push_back(PrintOp::textAt(page, columns[4], bottom + 0.5, QStringLiteral("Totale"), arial, 9, 0));
        ops.push_back(PrintOp::textAt(page, columns[5], bottom + 0.5, QStringLiteral("123.456,50"), courier, 9, 0));
    }
    ops.push_back(PrintOp::end(pages));
    return ops;
}

double seconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int intArgument(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::max(1, std::atoi(argv[i + 1]));
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv)
{
    // The allocator settings of the program's main (src/app/main.cpp): measured as it prints.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pages = intArgument(argc, argv, "--pages", 1000);
    const int runs = intArgument(argc, argv, "--runs", 5);

    QTemporaryDir dir;
    const std::vector<PrintOp> ops = syntheticTrace(pages);
    const QString printerPdf = dir.filePath(QStringLiteral("printer.pdf"));
    const QString rawPdf = dir.filePath(QStringLiteral("raw.pdf"));
    const QString tracedPdf = dir.filePath(QStringLiteral("traced.pdf"));

    // Best of the runs, the two sides alternating so that neither gets the warmer caches.
    double printer = 1e30;
    double raw = 1e30;
    double traced = 1e30;
    for (int run = 0; run < runs; ++run) {
        raw = std::min(raw, seconds([&] { bench::replayTraceToPdf(ops, rawPdf); }));
        printer = std::min(printer, seconds([&] {
            Printer target(std::make_unique<QtPrintSink>(printerPdf));
            replayOps(ops, target);
        }));
        traced = std::min(traced, seconds([&] {
            Printer target(std::make_unique<QtPrintSink>(tracedPdf));
            target.addTap(std::make_unique<TraceSink>(dir.filePath(QStringLiteral("trace.jsonl"))));
            replayOps(ops, target);
        }));
    }

    std::printf("bench_pdf_replay: %d pages, %zu ops, best of %d runs\n", pages, ops.size(), runs);
    std::printf("  PagePainter on QPdfWriter (floor): %8.1f pages/s  (%.3f s, %.1f MB)\n", pages / raw, raw,
                QFileInfo(rawPdf).size() / 1e6);
    std::printf("  Printer, Qt sink \"PDF\":          %8.1f pages/s  (%.3f s, %.1f MB)\n", pages / printer, printer,
                QFileInfo(printerPdf).size() / 1e6);
    std::printf("  the same with a trace tap:        %8.1f pages/s  (%.3f s)\n", pages / traced, traced);
    std::printf("  Printer time / floor time:        %8.2f\n", printer / raw);
    std::printf("  traced time / floor time:          %8.2f\n", traced / raw);
    return 0;
}
