#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/CanvasTestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

using test::place;

// Clearing removes every object up to the counters, skips members deleted before, empties the
// object lists and keeps what the clearing leaves alone; the model and canvas are values.
TEST(CanvasModel, PulisciPaginaClearsObjectsAndKeepsTheReferences)
{
    VN3Routine model;
    CanvasModel canvas;
    PulisciPagina(model, canvas);
    place(canvas, {CanvasSet::Label1, 1}, 1, 1, 5, 2);
    place(canvas, {CanvasSet::Label1, 2}, 1, 1, 5, 2);
    place(canvas, {CanvasSet::Label4, 1}, 1, 1, 5, 2);
    place(canvas, {CanvasSet::Label5, 1}, 1, 3, 5, 2);
    canvas.unload({CanvasSet::Label1, 1});  // deleted in the designer: a hole
    model.NumTesti = 2;
    model.NumTabelle = 1;
    model.TestoAttivo(2) = QStringLiteral("S");
    model.Tabelle(1, TableAttr::Title) = QStringLiteral("Elenco");
    model.ElencoParametri(1, ParameterAttr::FieldName) = QStringLiteral("Camera");
    model.DatabaseRif = QStringLiteral("archivio.mdb");

    const VN3Routine before = model;
    const CanvasModel canvasBefore = canvas;
    PulisciPagina(model, canvas);

    EXPECT_TRUE(canvas.stackingOrder().empty());
    EXPECT_FALSE(canvas.exists({CanvasSet::Label1, 2}));
    EXPECT_FALSE(canvas.exists({CanvasSet::Label5, 1}));
    EXPECT_EQ(model.NumTesti, 0);
    EXPECT_EQ(model.NumTabelle, 0);
    EXPECT_TRUE(model.Tabelle(1, TableAttr::Title).isEmpty());
    EXPECT_TRUE(model.ElencoParametri(1, ParameterAttr::FieldName).isEmpty());
    EXPECT_EQ(model.TestoAttivo(2), QStringLiteral("S"));
    EXPECT_EQ(model.DatabaseRif, QStringLiteral("archivio.mdb"));
    EXPECT_EQ(model.NumLineeGriglia, 80 + 75 + 2);
    // The copies taken before are untouched.
    EXPECT_EQ(before.Tabelle(1, TableAttr::Title), QStringLiteral("Elenco"));
    EXPECT_TRUE(canvasBefore.exists({CanvasSet::Label4, 1}));
    EXPECT_EQ(canvasBefore.stackingOrder().size(), 3u);
}

// A new member keeps its pattern's physical size whatever the page's scale.
TEST(CanvasModel, NewMembersKeepThePatternsPhysicalSize)
{
    VN3Routine model;
    CanvasModel canvas;
    PulisciPagina(model, canvas);
    const CanvasControl portrait = canvas.load({CanvasSet::Pic1, 1});
    model.NumImmagini = 1;
    model.Orientamento = QStringLiteral("Orizzontale");
    model.LarghezzaPagina = 120;
    model.AltezzaPagina = 60;
    PulisciPagina(model, canvas);
    const CanvasControl landscape = canvas.load({CanvasSet::Pic1, 1});
    auto twipsWide = [](const CanvasControl& c, double units, int twips) { return c.width * twips / units; };
    auto twipsHigh = [](const CanvasControl& c, double units, int twips) { return c.height * twips / units; };
    EXPECT_DOUBLE_EQ(twipsWide(portrait, 80, 6500), twipsWide(landscape, 120, 10900));
    EXPECT_DOUBLE_EQ(twipsHigh(portrait, 75, 8300), twipsHigh(landscape, 60, 6500));
    EXPECT_FALSE(landscape.visible);
}

// Presses land on the frontmost visible object; table bodies and hidden members answer nothing.
TEST(CanvasModel, ObjectAtFindsTheFrontmost)
{
    CanvasModel canvas;
    place(canvas, {CanvasSet::Label2, 1}, 0, 0, 20, 20);
    place(canvas, {CanvasSet::Label1, 1}, 5, 5, 4, 2);
    place(canvas, {CanvasSet::Label5, 1}, 0, 10, 30, 5);
    place(canvas, {CanvasSet::Label3, 1}, 15, 0, 4, 2).visible = false;
    struct Case {
        double x, y;
        std::optional<CanvasRef> expected;
    } cases[] = {
        {6, 6, CanvasRef{CanvasSet::Label1, 1}},
        {1, 1, CanvasRef{CanvasSet::Label2, 1}},
        {1, 12, CanvasRef{CanvasSet::Label2, 1}},  // through the table body
        {25, 12, std::nullopt},
        {16, 1, CanvasRef{CanvasSet::Label2, 1}},  // the hidden field lets the press through
        {20, 20, std::nullopt},                    // right and bottom edges are outside
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(canvas.objectAt(c.x, c.y), c.expected);
    }
    canvas.bringToFront({CanvasSet::Label2, 1});
    EXPECT_EQ(canvas.objectAt(6, 6), (CanvasRef{CanvasSet::Label2, 1}));
}

// Boxes with no width or height (a line, a box shrunk to nothing) take presses within the pick
// size about them; larger boxes keep their edges.
TEST(CanvasModel, ObjectAtPicksThinBoxesWithinThePickSize)
{
    CanvasModel canvas;
    place(canvas, {CanvasSet::Label2, 1}, 10, 10, 0, 20);   // upright line at x 10
    place(canvas, {CanvasSet::Label2, 2}, 30, 10, 20, 0);   // flat line at y 10
    place(canvas, {CanvasSet::Label2, 3}, 60, 10, 10, 10);
    struct Case {
        double x, y;
        std::optional<CanvasRef> expected;
    } cases[] = {
        {10.2, 15, CanvasRef{CanvasSet::Label2, 1}}, {9.8, 15, CanvasRef{CanvasSet::Label2, 1}},
        {10.6, 15, std::nullopt},                    {40, 9.8, CanvasRef{CanvasSet::Label2, 2}},
        {40, 10.6, std::nullopt},                    {59.8, 15, std::nullopt},
        {60, 15, CanvasRef{CanvasSet::Label2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(canvas.objectAt(c.x, c.y, 1, 1), c.expected);
    }
    EXPECT_EQ(canvas.objectAt(10.2, 15), std::nullopt);
}
