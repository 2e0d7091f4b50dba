#include "TraceReplay.h"

#include "print/PagePainter.h"

#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>

#include <stdexcept>

namespace ostrivo::bench {

void replayTraceToPdf(const std::vector<PrintOp>& ops, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    const double margin = 5.0 / 25.4 * 72;
    PagedSurface surface(writer, [margin](const QPageLayout& page) {
        return page.fullRect(QPageLayout::Point).adjusted(margin, margin, -margin, -margin);
    });
    PagePainter painter(surface, path);
    QHash<QString, QImage> pictures;
    for (const PrintOp& op : ops) {
        const QImage* picture = nullptr;
        if (op.kind == PrintOp::Kind::Picture) {
            auto it = pictures.find(op.file);
            if (it == pictures.end())
                it = pictures.insert(op.file, QImage(op.file));
            picture = &*it;
        }
        painter.apply(op, picture);
    }
    if (!painter.finish())
        throw std::runtime_error("cannot finish " + path.toStdString());
}

}  // namespace ostrivo::bench
