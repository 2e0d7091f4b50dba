#include "platform/printer/PrinterCatalogue.h"

#include "platform/printer/QtPrinter.h"

#include <QPrinter>
#include <QPrinterInfo>

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

QStringList availablePrinters()
{
    return printerList(QPrinterInfo::availablePrinterNames());
}

QString defaultPrinter()
{
    return defaultPrinterFrom(QPrinterInfo::defaultPrinterName());
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

std::unique_ptr<Printer> makePrinter(const QString& name, const QString& pdfOutputPath,
                                     std::unique_ptr<QPrinter> settings)
{
    if (name == pdfPrinterName())
        return std::make_unique<QtPrinter>(pdfOutputPath);

    const QStringList systemPrinters = QPrinterInfo::availablePrinterNames();
    if (!systemPrinters.contains(name))
        throw UnknownPrinterError(name, printerList(systemPrinters));
    if (!settings)
        settings = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    else if (settings->printerName() != name)
        settings->setPrinterName(name);
    return std::make_unique<QtPrinter>(std::move(settings), name);
}

QString pdfFileOf(const Printer& printer)
{
    const auto* qt = dynamic_cast<const QtPrinter*>(&printer);
    return qt ? qt->outputPath() : QString();
}

}  // namespace ostrivo
