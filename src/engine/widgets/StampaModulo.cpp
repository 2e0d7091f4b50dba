#include "engine/widgets/StampaModulo.h"

#include "core/Dialogs.h"
#include "core/Files.h"
#include "core/Shell.h"
#include "engine/PrintInputs.h"
#include "engine/widgets/PreviewWindow.h"
#include "engine/widgets/PrintProgress.h"
#include "print/QtPrintSink.h"
#include "print/widgets/SystemPrinters.h"

#include <QDir>
#include <QFile>
#include <QPrinter>

namespace ostrivo {

namespace {

const QString kTitle = QStringLiteral("Stampa");

}  // namespace

bool printOnChoice(QWidget* parent, PlatformDialogs& dialogs, PrinterChoice choice, const QString& pdfPath,
                   const QStringList& inputs, const PrintJob& job, PdfEnd pdfEnd)
{
    QString pdf;
    bool longPrint = false;
    try {
        // The PDF never goes over a file the print reads.
        if (choice.name == pdfPrinterName()) {
            const QString output = pdfPath.isEmpty() ? QString(QtPrintSink::DefaultPdfFile) : pdfPath;
            if (const auto conflict = outputOverInput({output}, inputs)) {
                dialogs.message(notice(kTitle, *conflict, MessageIcon::Critical));
                return false;
            }
        }
        std::unique_ptr<Printer> printer = makePrinter(choice.name, pdfPath, std::move(choice.settings));
        PrintProgress progress(parent);
        PrintSettings settings;
        settings.onElementError = [&](const Error& e) { dialogs.message(notice(kTitle, elementErrorText(e))); };
        settings.onPage = [&](int page) { return progress.pageBegun(page); };
        job(*printer, settings);
        longPrint = progress.wasShown();
        pdf = pdfFileOf(*printer);
    } catch (const Error& e) {
        // A print the user stopped has nothing more to say.
        if (e.number() != err::UserInterrupt)
            dialogs.message(notice(kTitle, e.description(), MessageIcon::Critical));
        return false;
    }
    if (pdf.isEmpty())
        return true;
    if (!longPrint && pdfEnd == PdfEnd::OpenAtOnce) {
        openWithDefaultViewer(pdf);
        return true;
    }
    MessageRequest question =
        yesNoQuestion(kTitle, QStringLiteral("PDF salvato in %1\n\nAprirlo ora?").arg(QDir::toNativeSeparators(pdf)));
    question.icon = MessageIcon::Information;
    question.defaultAnswer = MessageAnswer::Yes;
    if (dialogs.message(question) == MessageAnswer::Yes)
        openWithDefaultViewer(pdf);
    return true;
}

void StampaModulo(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath,
                  const QString& valoriParametri)
{
    if (!QFile::exists(templatePath))
        return;
    std::optional<PrinterChoice> choice = choosePrinter(parent, true);
    if (!choice)
        return;
    if (choice->preview) {
        showPreview(parent, dialogs, templatePath, valoriParametri);
        return;
    }
    // The files the print reads; a template that cannot be read says so here.
    QStringList inputs;
    try {
        inputs = printInputFiles(templatePath);
    } catch (const Error& e) {
        dialogs.message(notice(kTitle, e.description(), MessageIcon::Critical));
        return;
    }
    printOnChoice(parent, dialogs, std::move(*choice), QString(), inputs,
                  [&](Printer& printer, const PrintSettings& settings) {
                      PrintRun run(printer, templatePath, valoriParametri, settings);
                      run.run();
                  });
}

}  // namespace ostrivo
