#pragma once

#include "template/ControlSet.h"
#include "core/TemplateColor.h"
#include "template/VN3Routine.h"

#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace ostrivo {

// What a label or picture box on the canvas holds, in page units.
struct CanvasControl {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    QString caption;
    QString fontName;
    double fontSize = 0;
    TemplateColor foreColor;
    bool visible = false;
    QString picture;       // Pic1: the file whose picture it shows; empty for none
    bool operator==(const CanvasControl&) const = default;
};

// A line of the grid, in page units.
struct GridLine {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
    bool visible = false;
    bool operator==(const GridLine&) const = default;
};

// The picture file an image control shows for a template's picture name: the file found as the
// print run finds it (relative to the current directory, case aside) when it decodes; otherwise
// an empty text, and the control stays without a picture.
QString pictureToShow(const QString& name);

// How the print run draws a [GRIGLIA] record: "R" a box, "L" a line, any other letter nothing.
// A rectangle made in the designer is a box.
enum class GridKind { Box, Line, Ignored };
GridKind gridKind(const GridShape& shape);

// The corners of a [GRIGLIA] record, in the order the file holds them, from the box a Label2
// member shows: a line runs from (x1, y1) to (x2, y2).
struct GridCorners {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};
GridCorners gridCorners(const CanvasControl& box, const GridShape& shape);

// The grid's light grey.
constexpr TemplateColor kGridColor = TemplateColor::rgb(192, 192, 192);

// The grid has one line per page unit, counted in a 16-bit integer: a page is 1 to 1000 units
// each way.
constexpr int kMinPageUnits = 1;
constexpr int kMaxPageUnits = 1000;

// The caption of database field object n: "Campo DB (n)".
QString fieldCaption(int n);

// The control sets that hold template objects.
enum class CanvasSet {
    Label1,  // texts, also "Data_oggi" and "ora_adesso"
    Label2,  // rectangles
    Label3,  // database fields
    Label4,  // table title bars
    Label5,  // table bodies, same index as their title bar
    Pic1,    // images
};

struct CanvasRef {
    CanvasSet set = CanvasSet::Label1;
    int index = 0;
    bool operator==(const CanvasRef&) const = default;
};

// The kind code of the objects of a set ("T", "R", "C", "A", "I"); a table body answers for its
// table.
QString kindCode(CanvasSet set);
std::optional<CanvasSet> setForKindCode(const QString& code);

// The designer's canvas as plain data: Picture1's place on the window (twips), its inner scale in
// page units, the grid Line2 and the object sets with their stacking order. A value: a load fills
// a copy and swaps it in. The window only paints it and turns events into calls.
class CanvasModel {
public:
    CanvasModel();

    // Picture1's outer place and size, in twips.
    QRect canvasTwips() const { return canvasTwips_; }
    // Its inner coordinate system: so many page units across and down.
    double scaleWidth() const { return scaleWidth_; }
    double scaleHeight() const { return scaleHeight_; }

    ControlSet<GridLine>& Line2() { return line2_; }
    const ControlSet<GridLine>& Line2() const { return line2_; }
    ControlSet<CanvasControl>& controls(CanvasSet set);
    const ControlSet<CanvasControl>& controls(CanvasSet set) const;
    CanvasControl& control(CanvasRef ref) { return controls(ref.set)(ref.index); }
    const CanvasControl& control(CanvasRef ref) const { return controls(ref.set)(ref.index); }
    bool exists(CanvasRef ref) const { return controls(ref.set).exists(ref.index); }

    // Creates a member from the set's hidden pattern (its size, font, colour and caption; hidden,
    // behind every other object). Throws when the member exists.
    CanvasControl& load(CanvasRef ref);
    // Removes a member; one that does not exist is skipped.
    void unload(CanvasRef ref);
    void bringToFront(CanvasRef ref);
    // Objects from the back to the front; the grid lies beneath them all.
    const std::vector<CanvasRef>& stackingOrder() const { return stacking_; }

    // The visible object a press at (x, y) page units lands on: the frontmost whose box holds the
    // point. Table bodies answer nothing: they move with their title bar. A box narrower or lower
    // than the pick size is taken as that wide or high about its middle, so that lines and boxes
    // shrunk to nothing can still be pressed.
    std::optional<CanvasRef> objectAt(double x, double y, double pickWidth = 0, double pickHeight = 0) const;
    // The same rule with the box as the caller draws it: the frontmost visible object, table bodies
    // aside, for which holds is true.
    std::optional<CanvasRef> frontmost(const std::function<bool(const CanvasControl&)>& holds) const;

    // The canvas set-up: place and size by Orientamento (another value leaves them), the inner
    // scale from LarghezzaPagina and AltezzaPagina, and a new grid counted in NumLineeGriglia.
    void setUp(VN3Routine& model);
    // Removes every object member from 1 up to the model's counters, kind by kind; members
    // already removed are skipped.
    void removeObjects(const VN3Routine& model);

    bool operator==(const CanvasModel&) const = default;

private:
    void updatePatterns();

    QRect canvasTwips_{2940, 340, 6500, 8300};
    double scaleWidth_ = 80;
    double scaleHeight_ = 75;
    ControlSet<GridLine> line2_;
    std::vector<ControlSet<CanvasControl>> sets_;
    std::vector<CanvasRef> stacking_;
};

// Clears the designer for a new page: every object removed, the canvas set up for the model's
// page, the object counters at 0 and the object lists emptied (TestoAttivo, RettangoloAttivo,
// DatabaseRif, TabellaRif and NumParametri keep their values). Start-up, "Nuovo" and a loaded
// page block all go through it.
void PulisciPagina(VN3Routine& model, CanvasModel& canvas);

}  // namespace ostrivo
