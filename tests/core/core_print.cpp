// Prints a template to PDF with the core libraries alone: the program's print path needs no
// widget. Linked against ostrivo_engine only; CTest also checks that the binary does not load
// Qt Widgets or Qt PrintSupport.
#include "engine/PrintRun.h"
#include "print/PrinterCatalogue.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("t.vn3"));
    QFile file(templatePath);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write("[TESTA]\r\n1\r\n80,75,\r\n,,\r\n[PARAMETRI]\r\n[TESTO]\r\nciao,1,1,Arial,10,0,\r\n[FINE]\r\n");
    file.close();
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    try {
        auto printer = ostrivo::makePdfPrinter(pdf);
        ostrivo::PrintRun(*printer, templatePath, QString()).run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QFile out(pdf);
    return out.open(QIODevice::ReadOnly) && out.read(5) == "%PDF-" ? 0 : 1;
}
