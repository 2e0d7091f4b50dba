#include "print/widgets/SystemPrinters.h"

#include <QPrinterInfo>

namespace ostrivo {

namespace {

class QPrinterDevice final : public PrinterDevice {
public:
    explicit QPrinterDevice(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

    QPagedPaintDevice& device() override { return *printer_; }
    QString name() const override { return printer_->printerName(); }
    void beginJob() override { printer_->setFullPage(true); }
    bool failed() const override { return printer_->printerState() == QPrinter::Error; }

private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace

std::unique_ptr<PrinterDevice> printerDevice(std::unique_ptr<QPrinter> printer)
{
    if (!printer)
        return nullptr;
    return std::make_unique<QPrinterDevice>(std::move(printer));
}

QStringList availablePrinters()
{
    return printerList(QPrinterInfo::availablePrinterNames());
}

QString defaultPrinter()
{
    return defaultPrinterFrom(QPrinterInfo::defaultPrinterName());
}

std::unique_ptr<Printer> makePrinter(const QString& name, const QString& pdfOutputPath,
                                     std::unique_ptr<QPrinter> settings)
{
    if (name == pdfPrinterName())
        return makePdfPrinter(pdfOutputPath);

    const QStringList systemPrinters = QPrinterInfo::availablePrinterNames();
    if (!systemPrinters.contains(name))
        throw UnknownPrinterError(name, printerList(systemPrinters));
    if (!settings)
        settings = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    else if (settings->printerName() != name)
        settings->setPrinterName(name);
    return std::make_unique<Printer>(std::make_unique<QtPrintSink>(printerDevice(std::move(settings)), name));
}

}  // namespace ostrivo
