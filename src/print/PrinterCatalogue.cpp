#include "print/PrinterCatalogue.h"

#include "print/QtPrintSink.h"


#include <utility>

namespace ostrivo {

QString pdfPrinterName()
{
    return QStringLiteral("PDF");
}

QStringList printerList(const QStringList& systemPrinters)
{
    QStringList names{pdfPrinterName()};
    for (const QString& name : systemPrinters) {
        if (!name.isEmpty() && !names.contains(name))
            names.push_back(name);
    }
    return names;
}

QString defaultPrinterFrom(const QString& systemDefault)
{
    return systemDefault.isEmpty() ? pdfPrinterName() : systemDefault;
}

static QString unknownPrinterMessage(const QString& name, const QStringList& available)
{
    return QStringLiteral("Stampante \"%1\" non trovata. Stampanti disponibili: %2")
        .arg(name, available.join(QStringLiteral(", ")));
}

UnknownPrinterError::UnknownPrinterError(QString name, QStringList available)
    : Error(err::InvalidArgument, unknownPrinterMessage(name, available)),
      name_(std::move(name)), available_(std::move(available))
{
}

std::unique_ptr<Printer> makePdfPrinter(const QString& pdfOutputPath)
{
    return std::make_unique<Printer>(std::make_unique<QtPrintSink>(pdfOutputPath));
}

QString pdfFileOf(const Printer& printer)
{
    const auto* qt = dynamic_cast<const QtPrintSink*>(&printer.output());
    return qt ? qt->outputPath() : QString();
}

}  // namespace ostrivo
