#pragma once

#include "core/Errors.h"
#include "print/Printer.h"

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

// The printer named "PDF", writing pdfOutputPath (empty: QtPrintSink::DefaultPdfFile in the current
// directory). System printers come from the gui library (makePrinter).
std::unique_ptr<Printer> makePdfPrinter(const QString& pdfOutputPath = {});

// The absolute path of the PDF file a printer writes; empty for a system printer.
QString pdfFileOf(const Printer& printer);

}  // namespace ostrivo
