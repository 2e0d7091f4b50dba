#pragma once

#include "platform/Errors.h"
#include "platform/printer/Printer.h"

#include <QPrinter>
#include <QString>
#include <QStringList>

#include <memory>


namespace ostrivo {

// The name of our PDF printer: always offered, first in every list, ours even where a system
// queue has the same name.
QString pdfPrinterName();

// "PDF" first, then the system printers in their order, without a second "PDF" or repeats.
QStringList printerList(const QStringList& systemPrinters);
// The system default when there is one, else "PDF".
QString defaultPrinterFrom(const QString& systemDefault);

// printerList and defaultPrinterFrom of the system printers (CUPS where it runs).
QStringList availablePrinters();
QString defaultPrinter();

// A printer name that is neither "PDF" nor a system printer. The message lists the printers there are.
class UnknownPrinterError : public Error {
public:
    UnknownPrinterError(QString name, QStringList available);
    const QString& name() const noexcept { return name_; }
    const QStringList& available() const noexcept { return available_; }

private:
    QString name_;
    QStringList available_;
};

// The printer to print on. "PDF" writes pdfOutputPath (empty: QtPrinter::DefaultPdfFile in the
// current directory) and ignores
// settings; a system printer uses settings when given (the QPrinter the printer dialog set up),
// else its own defaults. Throws UnknownPrinterError for any other name.
std::unique_ptr<Printer> makePrinter(const QString& name, const QString& pdfOutputPath = {},
                                     std::unique_ptr<QPrinter> settings = nullptr);

// The absolute path of the PDF file a printer of makePrinter writes; empty for a system printer.
QString pdfFileOf(const Printer& printer);

}  // namespace ostrivo
