#include "template/CanvasModel.h"

#include "core/Files.h"
#include "template/Numbers.h"

#include <QImageReader>
#include <algorithm>
#include <array>

namespace ostrivo {

namespace {

constexpr std::array kSets = {CanvasSet::Label1, CanvasSet::Label2, CanvasSet::Label3,
                              CanvasSet::Label4, CanvasSet::Label5, CanvasSet::Pic1};

std::size_t slot(CanvasSet set)
{
    return static_cast<std::size_t>(set);
}

// The hidden pattern of each set: its physical size in twips (new objects keep it, whatever the
// page's scale), caption and font.
struct Pattern {
    int widthTwips;
    int heightTwips;
    const char* caption;
};

constexpr std::array<Pattern, kSets.size()> kPatterns = {{
    {852, 264, ""},                             // Label1
    {1944, 1020, ""},                           // Label2
    {1776, 264, ""},                            // Label3
    {3960, 240, ""},                            // Label4
    {3960, 1200, "Area colonne della tabella"}, // Label5
    {1608, 1104, ""},                           // Pic1
}};

}  // namespace

QString pictureToShow(const QString& name)
{
    const QString path = resolveExistingFile(name);
    if (path.isEmpty())
        return {};
    // Decoded whole: a file cut short passes a look at its header and still shows nothing.
    QImageReader reader(path);
    return reader.read().isNull() ? QString() : path;
}

GridKind gridKind(const GridShape& shape)
{
    if (!shape.kind || *shape.kind == QLatin1String("R"))
        return GridKind::Box;
    if (*shape.kind == QLatin1String("L"))
        return GridKind::Line;
    return GridKind::Ignored;
}

GridCorners gridCorners(const CanvasControl& box, const GridShape& shape)
{
    const double right = box.left + box.width;
    const double bottom = box.top + box.height;
    GridCorners corners{box.left, box.top, right, bottom};
    if (shape.rightToLeft)
        std::swap(corners.x1, corners.x2);
    if (shape.bottomToTop)
        std::swap(corners.y1, corners.y2);
    return corners;
}

QString fieldCaption(int n)
{
    return QStringLiteral("Campo DB (%1)").arg(n);
}

QString kindCode(CanvasSet set)
{
    switch (set) {
    case CanvasSet::Label1:
        return QStringLiteral("T");
    case CanvasSet::Label2:
        return QStringLiteral("R");
    case CanvasSet::Label3:
        return QStringLiteral("C");
    case CanvasSet::Label4:
    case CanvasSet::Label5:
        return QStringLiteral("A");
    case CanvasSet::Pic1:
        return QStringLiteral("I");
    }
    return {};
}

std::optional<CanvasSet> setForKindCode(const QString& code)
{
    for (CanvasSet set : {CanvasSet::Label1, CanvasSet::Label2, CanvasSet::Label3, CanvasSet::Label4, CanvasSet::Pic1}) {
        if (kindCode(set) == code)
            return set;
    }
    return std::nullopt;
}

CanvasModel::CanvasModel() : sets_(kSets.size())
{
    for (CanvasSet set : kSets) {
        CanvasControl& pattern = sets_[slot(set)].pattern();
        pattern.caption = QString::fromUtf8(kPatterns[slot(set)].caption);
        pattern.fontName = QStringLiteral("Arial");
        pattern.fontSize = 8;
    }
    updatePatterns();
}

ControlSet<CanvasControl>& CanvasModel::controls(CanvasSet set)
{
    return sets_[slot(set)];
}

const ControlSet<CanvasControl>& CanvasModel::controls(CanvasSet set) const
{
    return sets_[slot(set)];
}

CanvasControl& CanvasModel::load(CanvasRef ref)
{
    CanvasControl& control = controls(ref.set).load(ref.index);
    stacking_.insert(stacking_.begin(), ref);
    return control;
}

void CanvasModel::unload(CanvasRef ref)
{
    controls(ref.set).unload(ref.index);
    std::erase(stacking_, ref);
}

void CanvasModel::bringToFront(CanvasRef ref)
{
    if (!exists(ref))
        return;
    std::erase(stacking_, ref);
    stacking_.push_back(ref);
}

std::optional<CanvasRef> CanvasModel::objectAt(double x, double y, double pickWidth, double pickHeight) const
{
    // [start, start + size) along one axis, widened about its middle to the pick size.
    auto holds = [](double at, double start, double size, double pick) {
        if (size < pick) {
            start -= (pick - size) / 2;
            size = pick;
        }
        return at >= start && at < start + size;
    };
    return frontmost([&](const CanvasControl& c) {
        return holds(x, c.left, c.width, pickWidth) && holds(y, c.top, c.height, pickHeight);
    });
}

std::optional<CanvasRef> CanvasModel::frontmost(const std::function<bool(const CanvasControl&)>& holds) const
{
    for (auto it = stacking_.rbegin(); it != stacking_.rend(); ++it) {
        if (it->set == CanvasSet::Label5)
            continue;
        const CanvasControl& c = control(*it);
        if (c.visible && holds(c))
            return *it;
    }
    return std::nullopt;
}

void CanvasModel::updatePatterns()
{
    // A pattern's page-unit size follows the scale, as a control's size in scale units does.
    for (CanvasSet set : kSets) {
        CanvasControl& pattern = sets_[slot(set)].pattern();
        const Pattern& p = kPatterns[slot(set)];
        pattern.width = canvasTwips_.width() > 0 ? p.widthTwips * scaleWidth_ / canvasTwips_.width() : 0;
        pattern.height = canvasTwips_.height() > 0 ? p.heightTwips * scaleHeight_ / canvasTwips_.height() : 0;
    }
}

void CanvasModel::setUp(VN3Routine& model)
{
    if (model.Orientamento == QLatin1String("Verticale"))
        canvasTwips_ = QRect(2940, 340, 6500, 8300);
    else if (model.Orientamento == QLatin1String("Orizzontale"))
        canvasTwips_ = QRect(750, 1300, 10900, 6500);
    scaleWidth_ = model.LarghezzaPagina;
    scaleHeight_ = model.AltezzaPagina;
    updatePatterns();

    // The previous grid goes first, so that every member is created afresh.
    for (int i = 1; i <= model.NumLineeGriglia; ++i)
        line2_.unload(i);
    model.NumLineeGriglia = 0;
    auto add = [&](double x1, double y1, double x2, double y2) {
        const int n = model.NumLineeGriglia + 1;
        line2_.load(n) = {x1, y1, x2, y2, true};
        model.NumLineeGriglia = toInt16(n);
    };
    // The lines run to the canvas's outer size value, beyond the page, so they reach its edges.
    for (int i = 0; i <= model.LarghezzaPagina; ++i)
        add(i, 0, i, canvasTwips_.height());
    const std::int64_t rows = roundHalfEven(model.AltezzaPagina);
    for (std::int64_t i = 0; i <= rows; ++i)
        add(0, static_cast<double>(i), canvasTwips_.width(), static_cast<double>(i));
}

void CanvasModel::removeObjects(const VN3Routine& model)
{
    auto remove = [&](CanvasSet set, int count) {
        for (int i = 1; i <= count; ++i)
            unload({set, i});
    };
    remove(CanvasSet::Label1, model.NumTesti);
    for (int i = 1; i <= model.NumTabelle; ++i) {
        unload({CanvasSet::Label4, i});
        unload({CanvasSet::Label5, i});
    }
    remove(CanvasSet::Label3, model.NumCampi);
    remove(CanvasSet::Pic1, model.NumImmagini);
    remove(CanvasSet::Label2, model.NumRettangoli);
}

void PulisciPagina(VN3Routine& model, CanvasModel& canvas)
{
    canvas.removeObjects(model);
    canvas.setUp(model);
    model.clearCanvasLists();
}

}  // namespace ostrivo
