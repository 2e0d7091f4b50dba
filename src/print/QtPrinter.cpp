#include "print/QtPrinter.h"

#include "core/OutputFile.h"

#include "core/Errors.h"
#include "print/PrintOpBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <functional>
#include <utility>
#include <vector>

namespace ostrivo {

namespace {

constexpr double PointsPerInch = 72.0;
constexpr double TwipsPerPoint = 20.0;
constexpr double PenPoints = 0.25;  // about one dot of a 300 dpi printer

// Paints ops on a paged device in device pixels from the paper's corner. Pages begin lazily, so
// that an orientation set before the first drawing of a page still applies to it.
class PageRenderer {
public:
    // The printable area of a page, in points from the paper's top-left corner.
    using PrintableArea = std::function<QRectF(const QPageLayout&)>;

    PageRenderer(QPagedPaintDevice& device, QString deviceLabel, PrintableArea area)
        : device_(device), label_(std::move(deviceLabel)), area_(std::move(area))
    {
    }

    ~PageRenderer()
    {
        if (painter_.isActive())
            painter_.end();
    }

    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    void apply(const PrintOp& op, const QImage* picture)
    {
        switch (op.kind) {
        case PrintOp::Kind::Orientation:
            orientation_ = op.value;
            break;
        case PrintOp::Kind::Scale:
            scaleWidth_ = op.width;
            scaleHeight_ = op.height;
            break;
        case PrintOp::Kind::Text:
            ensurePage();
            drawText(op);
            break;
        case PrintOp::Kind::Line:
            ensurePage();
            painter_.setPen(linePen(op.color));
            painter_.drawLine(QLineF(map(op.x1, op.y1), map(op.x2, op.y2)));
            break;
        case PrintOp::Kind::Box:
            ensurePage();
            painter_.setPen(linePen(op.color));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(QRectF(map(op.x1, op.y1), map(op.x2, op.y2)).normalized());
            break;
        case PrintOp::Kind::Picture:
            ensurePage();
            if (picture && op.width != 0 && op.height != 0)
                painter_.drawImage(QRectF(map(op.x, op.y), map(op.x + op.width, op.y + op.height)).normalized(), *picture);
            break;
        case PrintOp::Kind::NewPage:
            // The page being left exists even when nothing was drawn on it.
            ensurePage();
            newPagePending_ = true;
            break;
        case PrintOp::Kind::End:
            ensurePage();
            break;
        }
    }

    // Ends the document (one blank page when nothing was drawn); false when the painter fails.
    bool finish()
    {
        ensurePage();
        return painter_.end();
    }

    void discard()
    {
        if (painter_.isActive())
            painter_.end();
    }

private:
    void applyOrientation()
    {
        if (orientation_ == 0)
            return;  // never set: the device's own orientation stands
        device_.setPageOrientation(orientation_ == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
    }

    void ensurePage()
    {
        if (!begun_) {
            applyOrientation();
            if (!painter_.begin(&device_))
                throw Error(err::PrinterError, QStringLiteral("Impossibile avviare la stampa su %1").arg(label_));
            begun_ = true;
            painter_.setRenderHint(QPainter::SmoothPixmapTransform);
            dpiX_ = device_.logicalDpiX();
            dpiY_ = device_.logicalDpiY();
            updatePageGeometry();
        } else if (newPagePending_) {
            applyOrientation();
            if (!device_.newPage())
                throw Error(err::PrinterError, QStringLiteral("Impossibile iniziare una nuova pagina su %1").arg(label_));
            updatePageGeometry();
        }
        newPagePending_ = false;
    }

    void updatePageGeometry()
    {
        areaPoints_ = area_(device_.pageLayout());
    }

    QPointF map(double x, double y) const
    {
        const double width = scaleWidth_ > 0 ? scaleWidth_ : areaPoints_.width() * TwipsPerPoint;
        const double height = scaleHeight_ > 0 ? scaleHeight_ : areaPoints_.height() * TwipsPerPoint;
        const double xPoints = areaPoints_.left() + x * areaPoints_.width() / width;
        const double yPoints = areaPoints_.top() + y * areaPoints_.height() / height;
        return {xPoints * dpiX_ / PointsPerInch, yPoints * dpiY_ / PointsPerInch};
    }

    QPen linePen(TemplateColor color) const
    {
        const double width = PenPoints * (dpiX_ + dpiY_) / 2 / PointsPerInch;
        return QPen(color.toQColor(), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    }

    struct FontEntry {
        QFont font;
        double ascent = 0;
    };

    const FontEntry& font(const QString& name, double size)
    {
        const QString key = name + QLatin1Char('\x1f') + QString::number(size, 'g', 17);
        auto it = fonts_.find(key);
        if (it == fonts_.end()) {
            QFont font;
            // One family, never split at commas.
            font.setFamilies({name});
            font.setPointSizeF(size);
            // The old printer placed glyphs by their advances alone; kerning would move columns.
            font.setKerning(false);
            font.setHintingPreference(QFont::PreferNoHinting);
            const QFontMetricsF metrics(font, &device_);
            it = fonts_.insert(key, FontEntry{font, metrics.ascent()});
        }
        return it.value();
    }

    void drawText(const PrintOp& op)
    {
        const FontEntry& entry = font(op.font, op.size);
        painter_.setFont(entry.font);
        painter_.setPen(op.color.toQColor());
        const QPointF topLeft = map(op.x, op.y);
        painter_.drawText(QPointF(topLeft.x(), topLeft.y() + entry.ascent),
                          onPaper(op.text, entry.font, topLeft.x()).toString());
    }

    // A long text without the characters that would stand past the paper's right edge: nobody
    // sees them, and a page holds every glyph it is given until it ends (a line of 60,000
    // characters would cost it 2 MB). Glyphs are placed by their advances alone (no kerning).
    QStringView onPaper(QStringView text, const QFont& font, double left) const
    {
        if (text.size() <= kShortText)
            return text;
        const double right = device_.pageLayout().fullRect(QPageLayout::Point).width() * dpiX_ / PointsPerInch;
        const QFontMetricsF metrics(font, &device_);
        double x = left;
        qsizetype n = 0;
        while (n < text.size() && x <= right) {
            if (text[n].isHighSurrogate() && n + 1 < text.size()) {
                x += metrics.horizontalAdvance(text.sliced(n, 2).toString());
                n += 2;
            } else {
                x += metrics.horizontalAdvance(text[n]);
                ++n;
            }
        }
        return text.first(n);
    }

    static constexpr qsizetype kShortText = 256;

    QPagedPaintDevice& device_;
    QString label_;
    PrintableArea area_;
    QPainter painter_;
    bool begun_ = false;
    bool newPagePending_ = false;
    int orientation_ = 0;
    double scaleWidth_ = 0;
    double scaleHeight_ = 0;
    double dpiX_ = 72;
    double dpiY_ = 72;
    QRectF areaPoints_;
    QHash<QString, FontEntry> fonts_;
};

void requireGuiApplication()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw Error(err::PrinterError, QStringLiteral("La stampa richiede un'applicazione grafica (QGuiApplication)"));
}

}  // namespace

struct QtPrinter::Impl {
    QString deviceName;
    PrintOpBuilder builder;
    bool failed = false;
    bool closed = false;

    // The printer named "PDF".
    QString outputPath;
    std::unique_ptr<OutputFile> file;
    std::unique_ptr<QPdfWriter> writer;

    // A system printer: the ops wait for endDocument.
    std::unique_ptr<PrinterDevice> printer;
    std::vector<std::pair<PrintOp, QImage>> pending;

    std::unique_ptr<PageRenderer> renderer;

    bool isPdf() const { return !printer; }

    QString pdfLabel() const { return QStringLiteral("\"%1\"").arg(outputPath); }

    void openPdf()
    {
        file = std::make_unique<OutputFile>(outputPath, QStringLiteral("il file PDF"));
        try {
            file->openForWriting();
        } catch (...) {
            file.reset();
            throw;
        }
        writer = std::make_unique<QPdfWriter>(file.get());
        writer->setCreator(QStringLiteral("Gestore report Ostrivo 3.0"));
        writer->setResolution(1200);
        // Painting starts at the paper's corner; the 5 mm are the renderer's printable area.
        QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer->setPageLayout(layout);
        const double margin = PdfMarginMillimetres / 25.4 * PointsPerInch;
        renderer = std::make_unique<PageRenderer>(*writer, QStringLiteral("il file PDF ") + pdfLabel(),
                                                  [margin](const QPageLayout& page) {
                                                      return page.fullRect(QPageLayout::Point).adjusted(margin, margin, -margin, -margin);
                                                  });
    }

    void checkUsable() const
    {
        if (failed)
            throw Error(err::PrinterError,
                        QStringLiteral("La stampa su \"%1\" è stata interrotta da un errore precedente").arg(deviceName));
    }

    // Runs a step of the job; a failure discards the job and leaves the printer unusable.
    template <typename Step>
    void guarded(Step&& step)
    {
        checkUsable();
        try {
            step();
        } catch (...) {
            failed = true;
            discard();
            throw;
        }
    }

    void submit(const PrintOp& op, const QImage* picture)
    {
        guarded([&] {
            if (!isPdf()) {
                pending.emplace_back(op, picture ? *picture : QImage());
                return;
            }
            if (!renderer)
                openPdf();
            renderer->apply(op, picture);
            // A write error (a full disk) sticks to the file: stop at once rather than at the end.
            file->checkWritten();
        });
    }

    void finishPdf(const PrintOp& end)
    {
        if (!renderer)
            openPdf();
        renderer->apply(end, nullptr);
        if (!renderer->finish())
            throw Error(err::PrinterError, QStringLiteral("Impossibile completare il file PDF \"%1\"").arg(outputPath));
        renderer.reset();
        writer.reset();
        file->checkWritten();
        file->commit();
        file.reset();
    }

    void finishPrinter(const PrintOp& end)
    {
        printer->beginJob();
        const QString label = QStringLiteral("la stampante \"%1\"").arg(deviceName);
        renderer = std::make_unique<PageRenderer>(printer->device(), label, [](const QPageLayout& page) {
            return page.fullRect(QPageLayout::Point).marginsRemoved(page.margins(QPageLayout::Point));
        });
        for (const auto& [op, picture] : pending)
            renderer->apply(op, picture.isNull() ? nullptr : &picture);
        pending.clear();
        renderer->apply(end, nullptr);
        if (!renderer->finish() || printer->failed())
            throw Error(err::PrinterError, QStringLiteral("La stampa su \"%1\" non è riuscita").arg(deviceName));
        renderer.reset();
    }

    void discard()
    {
        if (renderer)
            renderer->discard();
        renderer.reset();
        writer.reset();
        file.reset();  // the temporary file goes with it
        pending.clear();
    }
};

QtPrinter::QtPrinter(const QString& pdfPath) : d_(std::make_unique<Impl>())
{
    requireGuiApplication();
    d_->deviceName = QStringLiteral("PDF");
    d_->outputPath = QFileInfo(pdfPath.isEmpty() ? QString(DefaultPdfFile) : pdfPath).absoluteFilePath();
}

QtPrinter::QtPrinter(std::unique_ptr<PrinterDevice> printer, QString deviceName) : d_(std::make_unique<Impl>())
{
    requireGuiApplication();
    if (!printer)
        throw Error(err::InvalidArgument, QStringLiteral("Stampante \"%1\" non configurata").arg(deviceName));
    d_->printer = std::move(printer);
    d_->deviceName = deviceName.isEmpty() ? d_->printer->name() : std::move(deviceName);
}

QtPrinter::~QtPrinter()
{
    // Destroyed without endDocument: the job is discarded, no file is left.
    d_->discard();
}

void QtPrinter::setOrientation(int orientation)
{
    d_->checkUsable();
    d_->submit(d_->builder.orientation(orientation), nullptr);
}

void QtPrinter::setScale(double width, double height)
{
    d_->checkUsable();
    d_->submit(d_->builder.scale(width, height), nullptr);
}

void QtPrinter::setFontName(const QString& name)
{
    d_->checkUsable();
    d_->builder.setFontName(name);
}

void QtPrinter::setFontSize(double points)
{
    d_->checkUsable();
    d_->builder.setFontSize(points);
}

void QtPrinter::setTextColor(TemplateColor color)
{
    d_->checkUsable();
    d_->builder.setTextColor(color);
}

void QtPrinter::setPosition(double x, double y)
{
    d_->checkUsable();
    d_->builder.setPosition(x, y);
}

void QtPrinter::printText(const QString& text)
{
    d_->checkUsable();
    d_->submit(d_->builder.text(text), nullptr);
}

void QtPrinter::drawLine(double x1, double y1, double x2, double y2, TemplateColor color)
{
    d_->checkUsable();
    d_->submit(d_->builder.line(x1, y1, x2, y2, color), nullptr);
}

void QtPrinter::drawBox(double x1, double y1, double x2, double y2, TemplateColor color)
{
    d_->checkUsable();
    d_->submit(d_->builder.box(x1, y1, x2, y2, color), nullptr);
}

void QtPrinter::paintPicture(const QString& file, const QImage& picture, double x, double y, double width,
                             double height)
{
    d_->checkUsable();
    d_->submit(d_->builder.picture(file, picture, x, y, width, height), &picture);
}

void QtPrinter::newPage()
{
    d_->checkUsable();
    d_->submit(d_->builder.newPage(), nullptr);
}

void QtPrinter::endDocument()
{
    d_->checkUsable();
    const PrintOp end = d_->builder.end();
    d_->guarded([&] {
        if (d_->isPdf())
            d_->finishPdf(end);
        else
            d_->finishPrinter(end);
    });
    d_->closed = true;
}

void QtPrinter::abortDocument()
{
    if (d_->closed)
        return;  // already sent
    d_->builder.abort();
    d_->discard();
}

QString QtPrinter::deviceName() const
{
    return d_->deviceName;
}

QSizeF QtPrinter::printableInches() const
{
    if (d_->isPdf())
        return Printer::printableInches();
    const QSizeF area = d_->printer->device().pageLayout().paintRect(QPageLayout::Inch).size();
    return area.width() <= area.height() ? area : area.transposed();
}

QString QtPrinter::outputPath() const
{
    return d_->outputPath;
}

}  // namespace ostrivo
