#pragma once

#include "print/PrinterCatalogue.h"
#include "print/QtPrintSink.h"

#include <QPrinter>

namespace ostrivo {

// printerList and defaultPrinterFrom of the system printers (CUPS where it runs).
QStringList availablePrinters();
QString defaultPrinter();

// A QPrinter as the device QtPrintSink paints a system printer's job on.
std::unique_ptr<PrinterDevice> printerDevice(std::unique_ptr<QPrinter> printer);

// The printer to print on. "PDF" writes pdfOutputPath (empty: QtPrintSink::DefaultPdfFile in the
// current directory) and ignores settings; a system printer uses settings when given (the
// QPrinter the printer dialog set up), else its own defaults. Throws UnknownPrinterError for any
// other name.
std::unique_ptr<Printer> makePrinter(const QString& name, const QString& pdfOutputPath = {},
                                     std::unique_ptr<QPrinter> settings = nullptr);

}  // namespace ostrivo
