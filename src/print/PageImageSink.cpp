#include "print/PageImageSink.h"

#include "core/Errors.h"
#include "print/QtPrintSink.h"

#include <QPageLayout>
#include <QtMath>

#include <cmath>

namespace ostrivo {

QRectF pdfPaperPoints(int orientation)
{
    const auto turn = orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    return QPageLayout(QPageSize(QPageSize::A4), turn, QMarginsF()).fullRect(QPageLayout::Point);
}

QRectF pdfPrintablePoints(const QRectF& paper)
{
    const double margin = QtPrintSink::PdfMarginMillimetres / 25.4 * 72;
    return paper.adjusted(margin, margin, -margin, -margin);
}

QImage blankPageImage(const QRectF& paper, double dotsPerInch)
{
    QImage page(QSize(qCeil(paper.width() * dotsPerInch / 72), qCeil(paper.height() * dotsPerInch / 72)),
                QImage::Format_RGB32);
    if (page.isNull())
        return page;
    page.fill(Qt::white);
    const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    return page;
}

PageImageSink::PageImageSink(double dotsPerInch) : painter_(pages_, QStringLiteral("le immagini delle pagine"))
{
    if (!std::isfinite(dotsPerInch) || dotsPerInch <= 0 || dotsPerInch > 2400)
        throw Error(err::InvalidArgument, QStringLiteral("Risoluzione delle pagine non valida: %1").arg(dotsPerInch));
    pages_.dotsPerInch = dotsPerInch;
}

void PageImageSink::finish()
{
    if (!painter_.finish())
        throw Error(err::PrinterError, QStringLiteral("Impossibile completare le immagini delle pagine"));
}

void PageImageSink::abort()
{
    painter_.discard();
    pages_.images.clear();
}

bool PageImageSink::Pages::beginFirstPage(QPainter& painter, int orientation)
{
    paperPoints = pdfPaperPoints(orientation);
    QImage page = blankPageImage(paperPoints, dotsPerInch);
    if (page.isNull())
        return false;
    images.push_back(std::move(page));
    return painter.begin(&images.back());
}

bool PageImageSink::Pages::beginNextPage(QPainter& painter, int orientation)
{
    painter.end();
    return beginFirstPage(painter, orientation);
}

QRectF PageImageSink::Pages::printable() const
{
    return pdfPrintablePoints(paperPoints);
}

}  // namespace ostrivo
