#include "engine/StampaModulo.h"

#include "engine/PrintRun.h"
#include "platform/Shell.h"
#include "platform/printer/PrinterCatalogue.h"
#include "platform/printer/PrinterDialog.h"

#include <QFile>
#include <QMessageBox>
#include <QPrinter>

namespace ostrivo {

void StampaModulo(QWidget* parent, const QString& templatePath, const QString& valoriParametri)
{
    if (!QFile::exists(templatePath))
        return;
    std::optional<PrinterChoice> choice = choosePrinter(parent);
    if (!choice)
        return;
    const QString title = QStringLiteral("Stampa");
    try {
        std::unique_ptr<Printer> printer = makePrinter(choice->name, QString(), std::move(choice->settings));
        PrintSettings settings;
        settings.onElementError = [&](const Error& e) { QMessageBox::warning(parent, title, stampaMessage(e)); };
        PrintRun run(*printer, templatePath, valoriParametri, settings);
        run.run();
        // The printer named "PDF" wrote a file: show that one.
        if (const QString pdf = pdfFileOf(*printer); !pdf.isEmpty())
            openWithDefaultViewer(pdf);
    } catch (const Error& e) {
        QMessageBox::critical(parent, title, e.description());
    }
}

}  // namespace ostrivo
