#pragma once

#include "engine/PrintRun.h"
#include "print/widgets/PrinterDialog.h"

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace ostrivo {

class PlatformDialogs;
class Printer;

// The print run as the program shows it: when the template exists, the printer dialog; then the
// run on the chosen printer, element errors of continuation pages in "Stampa" message boxes, a
// failure in one message naming the template's line (message boxes through dialogs); for the printer named "PDF", the file it
// wrote opened with the default viewer. Cancelling the printer dialog prints nothing. The entry
// "Anteprima" of the printer dialog shows the pages instead (showPreview).
void StampaModulo(QWidget* parent, PlatformDialogs& dialogs, const QString& templatePath,
                  const QString& valoriParametri);

// Draws a whole job on printer: a print run, or the replay of a preview. settings carries the
// progress of the print (onPage) and where element errors go.
using PrintJob = std::function<void(Printer& printer, const PrintSettings& settings)>;

// What to do with the PDF file once written, when the print was short enough to show no progress.
enum class PdfEnd { OpenAtOnce, AskToOpen };

// Prints job on the printer chosen (pdfPath for the printer named "PDF": empty is catering.pdf in
// the current directory), never over one of inputs, the files the print reads. A print that runs
// longer than about half a second shows PrintProgress; "Interrompi" stops it at its next page and
// nothing is printed or written. Errors go to "Stampa" message boxes. A PDF written is opened
// with the default viewer, or, after a long print or with AskToOpen, the program says where it is
// and asks whether to open it. Returns whether the job was printed.
bool printOnChoice(QWidget* parent, PlatformDialogs& dialogs, PrinterChoice choice, const QString& pdfPath,
                   const QStringList& inputs, const PrintJob& job, PdfEnd pdfEnd = PdfEnd::OpenAtOnce);

}  // namespace ostrivo
