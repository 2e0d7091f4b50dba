#include "engine/widgets/StampaModulo.h"

#include "engine/PrintInputs.h"
#include "engine/PrintRun.h"
#include "core/Files.h"
#include "print/QtPrintSink.h"
#include "core/Dialogs.h"
#include "core/Shell.h"
#include "print/widgets/SystemPrinters.h"
#include "print/widgets/PrinterDialog.h"

#include <QFile>
#include <QPrinter>

namespace ostrivo {

void StampaModulo(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath,
                  const QString& valoriParametri)
{
    if (!QFile::exists(templatePath))
        return;
    std::optional<PrinterChoice> choice = choosePrinter(parent);
    if (!choice)
        return;
    const QString title = QStringLiteral("Stampa");
    try {
        // The PDF goes to the current folder: never over a file the print reads.
        if (choice->name == pdfPrinterName()) {
            if (const auto conflict = outputOverInput({QString(QtPrintSink::DefaultPdfFile)}, printInputFiles(templatePath))) {
                dialogs.message(notice(title, *conflict, MessageIcon::Critical));
                return;
            }
        }
        std::unique_ptr<Printer> printer = makePrinter(choice->name, QString(), std::move(choice->settings));
        PrintSettings settings;
        settings.onElementError = [&](const Error& e) { dialogs.message(notice(title, elementErrorText(e))); };
        PrintRun run(*printer, templatePath, valoriParametri, settings);
        run.run();
        // The printer named "PDF" wrote a file: show that one.
        if (const QString pdf = pdfFileOf(*printer); !pdf.isEmpty())
            openWithDefaultViewer(pdf);
    } catch (const Error& e) {
        dialogs.message(notice(title, e.description(), MessageIcon::Critical));
    }
}

}  // namespace ostrivo
