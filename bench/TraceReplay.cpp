#include "TraceReplay.h"

#include "core/TemplateColor.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <stdexcept>

namespace ostrivo::bench {

namespace {

struct Font {
    QFont font;
    double ascent = 0;
};

}  // namespace

void replayTraceToPdf(const std::vector<PrintOp>& ops, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter));
    QPainter painter;
    const double dpi = 1200;
    const double margin = 5.0 / 25.4 * 72;

    QRectF area;  // points
    double unitsX = 1;
    double unitsY = 1;
    int orientation = 1;
    bool begun = false;
    bool pagePending = false;
    QHash<QString, Font> fonts;
    QHash<QString, QImage> pictures;

    auto startPage = [&] {
        if (begun && !pagePending)
            return;
        writer.setPageOrientation(orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (!begun) {
            if (!painter.begin(&writer))
                throw std::runtime_error("cannot paint on " + path.toStdString());
            begun = true;
        } else {
            writer.newPage();
        }
        pagePending = false;
        area = writer.pageLayout().fullRect(QPageLayout::Point).adjusted(margin, margin, -margin, -margin);
    };
    auto map = [&](double x, double y) {
        return QPointF((area.left() + x * area.width() / unitsX) * dpi / 72,
                       (area.top() + y * area.height() / unitsY) * dpi / 72);
    };
    const QPen thin(Qt::black, 0.25 * dpi / 72);

    for (const PrintOp& op : ops) {
        switch (op.kind) {
        case PrintOp::Kind::Orientation:
            orientation = op.value;
            break;
        case PrintOp::Kind::Scale:
            unitsX = op.width;
            unitsY = op.height;
            break;
        case PrintOp::Kind::Text: {
            startPage();
            const QString key = op.font + QLatin1Char('\x1f') + QString::number(op.size);
            auto it = fonts.find(key);
            if (it == fonts.end()) {
                QFont font;
                font.setFamilies({op.font});
                font.setPointSizeF(op.size);
                font.setKerning(false);
                font.setHintingPreference(QFont::PreferNoHinting);
                it = fonts.insert(key, Font{font, QFontMetricsF(font, &writer).ascent()});
            }
            painter.setFont(it->font);
            painter.setPen(op.color.toQColor());
            const QPointF at = map(op.x, op.y);
            painter.drawText(QPointF(at.x(), at.y() + it->ascent), op.text);
            break;
        }
        case PrintOp::Kind::Line: {
            startPage();
            QPen pen = thin;
            pen.setColor(op.color.toQColor());
            painter.setPen(pen);
            painter.drawLine(QLineF(map(op.x1, op.y1), map(op.x2, op.y2)));
            break;
        }
        case PrintOp::Kind::Box: {
            startPage();
            QPen pen = thin;
            pen.setColor(op.color.toQColor());
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(map(op.x1, op.y1), map(op.x2, op.y2)).normalized());
            break;
        }
        case PrintOp::Kind::Picture: {
            startPage();
            auto it = pictures.find(op.file);
            if (it == pictures.end())
                it = pictures.insert(op.file, QImage(op.file));
            painter.drawImage(QRectF(map(op.x, op.y), map(op.x + op.width, op.y + op.height)).normalized(), *it);
            break;
        }
        case PrintOp::Kind::NewPage:
            startPage();
            pagePending = true;
            break;
        case PrintOp::Kind::End:
            startPage();
            break;
        }
    }
    startPage();
    if (!painter.end())
        throw std::runtime_error("cannot finish " + path.toStdString());
}

}  // namespace ostrivo::bench
