#include "print/PreviewSink.h"

#include "core/Errors.h"
#include "print/PagePainter.h"
#include "print/PageImageSink.h"
#include "print/Printer.h"

namespace ostrivo {

namespace {

// One page as one image, laid out as PageImageSink and the PDF writer lay out theirs.
struct OnePage final : PageSurface {
    explicit OnePage(double dotsPerInch) : dotsPerInch(dotsPerInch) {}

    bool beginFirstPage(QPainter& painter, int orientation) override
    {
        paperPoints = pdfPaperPoints(orientation);
        image = blankPageImage(paperPoints, dotsPerInch);
        return !image.isNull() && painter.begin(&image);
    }
    // A page of its own never begins a second one.
    bool beginNextPage(QPainter&, int) override { return false; }
    QRectF paper() const override { return paperPoints; }
    QRectF printable() const override { return pdfPrintablePoints(paperPoints); }

    double dotsPerInch;
    QRectF paperPoints;
    QImage image;
};

bool draws(PrintOp::Kind kind)
{
    return kind != PrintOp::Kind::Orientation && kind != PrintOp::Kind::Scale;
}

}  // namespace

void PreviewSink::submit(const PrintOp& op, const QImage* picture)
{
    if (op.kind == PrintOp::Kind::NewPage) {
        pages_.back().endOp = ops_.size();
        Page next;
        next.firstOp = ops_.size() + 1;
        next.orientation = orientation_;
        next.scaleWidth = scaleWidth_;
        next.scaleHeight = scaleHeight_;
        pages_.push_back(next);
    } else if (op.kind == PrintOp::Kind::Orientation) {
        orientation_ = op.value;
    } else if (op.kind == PrintOp::Kind::Scale) {
        scaleWidth_ = op.width;
        scaleHeight_ = op.height;
    }
    ops_.push_back(op);
    pictureOf_.push_back(picture ? static_cast<int>(pictures_.size()) : -1);
    if (picture)
        pictures_.push_back(*picture);
    pages_.back().endOp = ops_.size();
}

QSizeF PreviewSink::paperPoints(int page) const
{
    const Page& p = pages_.at(static_cast<std::size_t>(page - 1));
    // A page takes the orientation in force at its first drawing, as PagePainter begins it.
    int orientation = p.orientation;
    for (std::size_t i = p.firstOp; i < p.endOp && !draws(ops_[i].kind); ++i) {
        if (ops_[i].kind == PrintOp::Kind::Orientation)
            orientation = ops_[i].value;
    }
    return pdfPaperPoints(orientation).size();
}

QImage PreviewSink::paintPage(int page, double dotsPerInch) const
{
    const Page& p = pages_.at(static_cast<std::size_t>(page - 1));
    OnePage surface(dotsPerInch);
    {
        PagePainter painter(surface, QStringLiteral("l'anteprima"));
        if (p.orientation != 0)
            painter.apply(PrintOp::orientation(page, p.orientation), nullptr);
        if (p.scaleWidth > 0 && p.scaleHeight > 0)
            painter.apply(PrintOp::scale(page, p.scaleWidth, p.scaleHeight), nullptr);
        for (std::size_t i = p.firstOp; i < p.endOp; ++i) {
            const PrintOp& op = ops_[i];
            if (op.kind == PrintOp::Kind::NewPage || op.kind == PrintOp::Kind::End)
                continue;
            const int picture = pictureOf_[i];
            painter.apply(op, picture >= 0 ? &pictures_[static_cast<std::size_t>(picture)] : nullptr);
        }
        if (!painter.finish())
            throw Error(err::PrinterError, QStringLiteral("Impossibile disegnare la pagina %1 dell'anteprima").arg(page));
    }
    return surface.image;
}

void PreviewSink::replay(Printer& printer, const std::function<bool(int page)>& onPage) const
{
    // The pictures in the order their ops come, exactly as they were drawn.
    std::size_t next = 0;
    const PictureLoader loader = [&](const QString&) { return next < pictures_.size() ? pictures_[next++] : QImage(); };
    try {
        replayOps(ops_, printer, loader, onPage);
    } catch (...) {
        printer.abortDocument();
        throw;
    }
}

}  // namespace ostrivo
