// The designer's edits on the canvas model, without a window: presses, drags, the size buttons,
// inserting and deleting objects.

#include "designer/DesignerEdits.h"
#include "designer/NuovoMD.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/CanvasTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

constexpr CanvasSet T = CanvasSet::Label1;
constexpr CanvasSet R = CanvasSet::Label2;
constexpr CanvasSet C = CanvasSet::Label3;
constexpr CanvasSet A = CanvasSet::Label4;
constexpr CanvasSet Body = CanvasSet::Label5;
constexpr CanvasSet I = CanvasSet::Pic1;

struct Box {
    double left, top, width, height;
};

// A designer with an empty page of the given size and objects placed by hand.
struct Page {
    VN3Routine model;
    CanvasModel canvas;
    ScriptedDialogs dialogs;

    explicit Page(qint16 width = 80, double height = 75)
    {
        model.LarghezzaPagina = width;
        model.AltezzaPagina = height;
        PulisciPagina(model, canvas);
    }
    CanvasControl& place(CanvasSet set, int n, Box box, const QString& caption = {})
    {
        CanvasControl& c = test::place(canvas, {set, n}, box.left, box.top, box.width, box.height);
        c.caption = caption;
        return c;
    }
    // A table: its title bar and its body, 2 units below it as a load places it.
    void placeTable(int n, Box title, double bodyHeight)
    {
        place(A, n, title, QStringLiteral("Elenco"));
        place(Body, n, {title.left, title.top + 2, title.width, bodyHeight});
        model.Tabelle(n, TableAttr::Title) = QStringLiteral("Elenco");
        model.NumTabelle = static_cast<qint16>(std::max<int>(model.NumTabelle, n));
    }
    const CanvasControl& at(CanvasSet set, int n) const { return canvas.control({set, n}); }
    void makeCurrent(CanvasSet set, int n) { pressObject(model, canvas, {set, n}, PressButton::Left); }
};

Readout readout(const char* x, const char* y)
{
    return {QString::fromUtf8(x), QString::fromUtf8(y)};
}

}  // namespace

TEST(DesignerEdits, DragStepsByWholeUnitsFromTwipOffsets)
{
    struct Case {
        const char* name;
        CanvasSet set;
        Box start;
        double x, y;  // pointer offset, twips
        qint16 pageWidth;
        double pageHeight;
        double left, top;
        std::optional<Readout> readout;
    } cases[] = {
        {"text follows the pointer", T, {10, 5, 9, 2}, 200, 100, 80, 75, 12, 6, readout("PosX 12,00", "PosY 6,00")},
        {"pointer just left steps back", T, {10, 5, 9, 2}, -1, 0, 80, 75, 9, 5, readout("PosX 9,00", "PosY 5,00")},
        {"pointer just above steps up", R, {10, 5, 9, 2}, 0, -1, 80, 75, 10, 4, readout("PosX 10,00", "PosY 4,00")},
        {"fractions snap down", R, {3.7, 4.2, 5, 5}, 10, 10, 80, 75, 3, 4, readout("PosX 3,00", "PosY 4,00")},
        {"field snaps to nearest", C, {10.4, 7.5, 12, 2}, 0, 0, 80, 75, 10, 8, readout("PosX 10,00", "PosY 8,00")},
        {"field halves away from zero", C, {-2.5, 3, 12, 2}, 0, 0, 80, 75, -3, 3, readout("PosX -3,00", "PosY 3,00")},
        {"image keeps its fraction", I, {10.4, 2.25, 10, 5}, 80, 0, 80, 75, 11.4, 2.25, std::nullopt},
        {"landscape page divides by its own size", T, {0, 0, 4, 2}, 239, 119, 120, 60, 1, 1, readout("PosX 1,00", "PosY 1,00")},
        {"no bounds past the page", T, {79, 74, 4, 2}, 400, 300, 80, 75, 84, 78, readout("PosX 84,00", "PosY 78,00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page(c.pageWidth, c.pageHeight);
        page.place(c.set, 3, c.start);
        page.model.CampiDB(3, FieldAttr::Database) = QStringLiteral("archivio.mdb");
        EXPECT_EQ(dragObject(page.model, page.canvas, {c.set, 3}, c.x, c.y), c.readout);
        EXPECT_DOUBLE_EQ(page.at(c.set, 3).left, c.left);
        EXPECT_DOUBLE_EQ(page.at(c.set, 3).top, c.top);
        // A field's place is kept where the save reads it; no other row is touched.
        if (c.set == C) {
            EXPECT_EQ(page.model.CampiDB(3, FieldAttr::X), QString::number(c.left));
            EXPECT_EQ(page.model.CampiDB(3, FieldAttr::Y), QString::number(c.top));
        } else {
            EXPECT_EQ(page.model.CampiDB(3, FieldAttr::X), QString());
        }
    }
}

TEST(DesignerEdits, DraggedTableKeepsItsBodyThreeUnitsBelow)
{
    Page page;
    page.placeTable(1, {2, 20, 7, 2}, 38);
    // The first move, even one that moves nothing, puts the body 3 units below the title.
    dragObject(page.model, page.canvas, {A, 1}, 0, 0);
    EXPECT_DOUBLE_EQ(page.at(Body, 1).top, 23);
    EXPECT_EQ(dragObject(page.model, page.canvas, {A, 1}, 160, 80), readout("PosX 4,00", "PosY 21,00"));
    EXPECT_DOUBLE_EQ(page.at(Body, 1).left, 4);
    EXPECT_DOUBLE_EQ(page.at(Body, 1).top, 24);
    // The body does not move on its own.
    EXPECT_EQ(dragObject(page.model, page.canvas, {Body, 1}, 800, 800), std::nullopt);
    EXPECT_DOUBLE_EQ(page.at(Body, 1).left, 4);
}

TEST(DesignerEdits, PressesMakeTheObjectCurrentWithItsOwnKind)
{
    struct Case {
        const char* name;
        CanvasSet set;
        PressButton button;
        const char* kind;  // after a left press on rectangle 1
        int index;
        bool readout;
        bool dialog;
    } cases[] = {
        {"left on a text", T, PressButton::Left, "T", 2, true, false},
        {"left on a field", C, PressButton::Left, "C", 2, true, false},
        {"left on an image leaves the readout", I, PressButton::Left, "I", 2, false, false},
        // A right press used to keep the kind of the last left press: the size buttons then acted
        // on a rectangle 2 instead of the text pressed.
        {"right on a text opens its dialog", T, PressButton::Right, "T", 2, false, true},
        {"right on a table opens its dialog", A, PressButton::Right, "A", 2, false, true},
        {"right on a rectangle opens nothing", R, PressButton::Right, "R", 2, false, false},
        {"middle button does nothing", T, PressButton::Other, "R", 1, false, false},
        {"a table body takes no press", Body, PressButton::Left, "R", 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        page.place(R, 1, {0, 0, 5, 5});
        page.place(c.set, 2, {1.5, 2, 5, 2});
        page.makeCurrent(R, 1);
        const PressOutcome outcome = pressObject(page.model, page.canvas, {c.set, 2}, c.button);
        EXPECT_EQ(page.model.TipoOggettoCorrente, QString::fromLatin1(c.kind));
        EXPECT_EQ(page.model.OggettoCorrente, c.index);
        EXPECT_EQ(outcome.readout.has_value(), c.readout);
        if (c.readout) {
            EXPECT_EQ(*outcome.readout, readout("PosX 1,50", "PosY 2,00"));
        }
        EXPECT_EQ(outcome.openPropertyDialog, c.dialog);
    }
}

TEST(DesignerEdits, SizeButtonsResizeTheCurrentObject)
{
    struct Case {
        const char* name;
        CanvasSet set;
        Box start;
        std::vector<SizeStep> steps;
        double width, height;
        double bodyWidth = 0, bodyHeight = 0;  // tables
    } cases[] = {
        {"rectangle higher then narrower", R, {1, 1, 10, 4}, {SizeStep::Higher, SizeStep::Narrower}, 9, 5},
        {"text ignores the height buttons", T, {1, 1, 9, 2.4}, {SizeStep::Higher, SizeStep::Lower, SizeStep::Wider}, 10, 2.4},
        {"field ignores the height buttons", C, {1, 1, 12.4, 2.4}, {SizeStep::Lower, SizeStep::Wider}, 13.4, 2.4},
        {"image sizes are not rounded", I, {1, 1, 10.5, 5.5}, {SizeStep::Narrower, SizeStep::Higher}, 9.5, 6.5},
        {"table widens title and body, heightens the body", A, {2, 20, 7, 2},
         {SizeStep::Wider, SizeStep::Higher, SizeStep::Higher}, 8, 2, 8, 40},
        {"no size below zero", R, {1, 1, 0.5, 1}, {SizeStep::Narrower, SizeStep::Narrower, SizeStep::Lower}, 0, 0},
        {"and it grows again from zero", I, {1, 1, 0.25, 1}, {SizeStep::Narrower, SizeStep::Wider}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Page page;
        if (c.set == A)
            page.placeTable(1, c.start, 38);
        else
            page.place(c.set, 1, c.start);
        page.makeCurrent(c.set, 1);
        for (SizeStep step : c.steps)
            resizeCurrentObject(page.model, page.canvas, step);
        EXPECT_DOUBLE_EQ(page.at(c.set, 1).width, c.width);
        EXPECT_DOUBLE_EQ(page.at(c.set, 1).height, c.height);
        EXPECT_DOUBLE_EQ(page.at(c.set, 1).left, c.start.left);
        EXPECT_DOUBLE_EQ(page.at(c.set, 1).top, c.start.top);
        if (c.set == A) {
            EXPECT_DOUBLE_EQ(page.at(Body, 1).width, c.bodyWidth);
            EXPECT_DOUBLE_EQ(page.at(Body, 1).height, c.bodyHeight);
        }
        // A field's width is kept, rounded, where the save reads it.
        EXPECT_EQ(page.model.CampiDB(1, FieldAttr::Width), c.set == C ? QStringLiteral("13") : QString());
    }
}

TEST(DesignerEdits, SizeButtonsActOnTheObjectLastPressed)
{
    Page page;
    page.place(R, 1, {0, 0, 10, 4});
    page.place(T, 1, {20, 20, 5, 2});
    page.place(C, 1, {30, 30, 5, 2});
    // Nothing current: nothing changes.
    EXPECT_FALSE(resizeCurrentObject(page.model, page.canvas, SizeStep::Wider));
    page.makeCurrent(R, 1);
    pressObject(page.model, page.canvas, {T, 1}, PressButton::Right);
    EXPECT_TRUE(resizeCurrentObject(page.model, page.canvas, SizeStep::Wider));
    EXPECT_DOUBLE_EQ(page.at(T, 1).width, 6);
    EXPECT_DOUBLE_EQ(page.at(R, 1).width, 10);
    // A deleted current object is no longer there to resize.
    page.makeCurrent(C, 1);
    page.canvas.unload({C, 1});
    EXPECT_FALSE(resizeCurrentObject(page.model, page.canvas, SizeStep::Wider));
    EXPECT_EQ(page.model.CampiDB(1, FieldAttr::Width), QString());
}

TEST(DesignerEdits, InsertCreatesEachKindAtTheTopLeftInFront)
{
    struct Case {
        const char* kind;
        CanvasSet set;
        const char* caption;
    } cases[] = {
        {"TESTO", T, "<inserire testo>"},  {"DATA", T, "Data_oggi"}, {"ORA", T, "ora_adesso"},
        {"RETTANGOLI", R, ""},             {"CAMPO DB", C, "Campo DB (3)"}, {"TABELLA", A, "Tabella ()"},
        {"IMMAGINI", I, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        test::ScopedCurrentDir dir;
        Page page;
        // Two of each before, deleted ones too: the new one is number 3.
        page.model.NumTesti = page.model.NumRettangoli = page.model.NumCampi = page.model.NumTabelle =
            page.model.NumImmagini = 2;
        page.place(R, 9, {0, 0, 50, 50});
        const std::optional<CanvasRef> made = insertObject(page.model, page.canvas, QString::fromLatin1(c.kind), page.dialogs);
        ASSERT_EQ(made, (CanvasRef{c.set, 3}));
        const CanvasControl& o = page.at(c.set, 3);
        EXPECT_TRUE(o.visible);
        EXPECT_EQ(o.left, 0);
        EXPECT_EQ(o.top, 0);
        EXPECT_EQ(o.caption, QString::fromUtf8(c.caption));
        // The pattern's size, in the page's units.
        EXPECT_DOUBLE_EQ(o.width, page.canvas.controls(c.set).pattern().width);
        EXPECT_GT(o.width, 0);
        EXPECT_EQ(page.canvas.stackingOrder().back(), (CanvasRef{c.set == A ? Body : c.set, 3}));
        EXPECT_TRUE(page.dialogs.messages().empty());
        EXPECT_EQ(page.model.TestoAttivo(3), c.set == T ? QStringLiteral("S") : QString());
        EXPECT_EQ(page.model.RettangoloAttivo(3), c.set == R ? QStringLiteral("S") : QString());
        EXPECT_EQ(page.model.Immagini(3), c.set == I ? QStringLiteral("SS01.jpg") : QString());
        EXPECT_EQ(page.model.Tabelle(3, TableAttr::Title), c.set == A ? QStringLiteral("Titolo") : QString());
        // A field's row is written by its dialog, not here.
        EXPECT_EQ(page.model.CampiDB(3, FieldAttr::Database), QString());
        if (c.set == A) {
            EXPECT_EQ(page.at(Body, 3).top, 2);
            EXPECT_EQ(page.at(Body, 3).left, 0);
        }
    }
}

TEST(DesignerEdits, InsertBeyondAListsCapacityIsRefused)
{
    struct Case {
        const char* kind;
        qint16 VN3Routine::*counter;
        int capacity;
        const char* reached;
    } cases[] = {
        {"TESTO", &VN3Routine::NumTesti, 500, "500 testi: non se ne possono inserire altri."},
        {"ORA", &VN3Routine::NumTesti, 500, "500 testi: non se ne possono inserire altri."},
        {"RETTANGOLI", &VN3Routine::NumRettangoli, 500, "500 rettangoli: non se ne possono inserire altri."},
        {"CAMPO DB", &VN3Routine::NumCampi, 200, "200 campi database: non se ne possono inserire altri."},
        {"IMMAGINI", &VN3Routine::NumImmagini, 100, "100 immagini: non se ne possono inserire altre."},
        {"TABELLA", &VN3Routine::NumTabelle, 10, "10 tabelle: non se ne possono inserire altre."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Page page;
        page.model.*c.counter = static_cast<qint16>(c.capacity - 1);
        ASSERT_TRUE(insertObject(page.model, page.canvas, QString::fromLatin1(c.kind), page.dialogs));
        EXPECT_EQ(page.model.*c.counter, c.capacity);
        const auto objects = page.canvas.stackingOrder().size();
        EXPECT_EQ(insertObject(page.model, page.canvas, QString::fromLatin1(c.kind), page.dialogs), std::nullopt);
        EXPECT_EQ(page.model.*c.counter, c.capacity);
        EXPECT_EQ(page.canvas.stackingOrder().size(), objects);
        ASSERT_EQ(page.dialogs.messages().size(), 1u);
        EXPECT_EQ(page.dialogs.messages()[0].title, QStringLiteral("Inserisci oggetto"));
        EXPECT_TRUE(page.dialogs.messages()[0].text.contains(QString::fromLatin1(c.reached)))
            << page.dialogs.messages()[0].text.toStdString();
    }
}

TEST(DesignerEdits, InsertOfAnUnknownKindDoesNothing)
{
    Page page;
    for (const char* kind : {"testo", "", "PARAMETRI", "TESTO "})
        EXPECT_EQ(insertObject(page.model, page.canvas, QString::fromLatin1(kind), page.dialogs), std::nullopt);
    EXPECT_TRUE(page.canvas.stackingOrder().empty());
    EXPECT_EQ(page.model.NumTesti, 0);
}

TEST(DesignerEdits, DeleteAsksByKindAndOnlyYesDeletes)
{
    struct Case {
        CanvasSet set;
        const char* question;
        MessageAnswer answer;
    } cases[] = {
        {T, "Confermi la cancellazione del testo \r\n'Totale'?", MessageAnswer::Yes},
        {T, "Confermi la cancellazione del testo \r\n'Totale'?", MessageAnswer::No},
        {C, "Confermi la cancellazione del campo \r\n'Totale'?", MessageAnswer::Yes},
        {I, "Confermi la cancellazione dell'immagine \r\n'logo.jpg'?", MessageAnswer::Yes},
        {R, "Confermi la cancellazione del rettangolo?", MessageAnswer::Yes},
        {A, "Confermi la cancellazione della tabella?", MessageAnswer::Yes},
        {A, "Confermi la cancellazione della tabella?", MessageAnswer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question);
        Page page;
        if (c.set == A)
            page.placeTable(2, {0, 0, 5, 2}, 10);
        else
            page.place(c.set, 2, {0, 0, 5, 2}, QStringLiteral("Totale"));
        page.model.TestoAttivo(2) = page.model.RettangoloAttivo(2) = QStringLiteral("S");
        page.model.CampiDB(2, FieldAttr::Database) = QStringLiteral("archivio.mdb");
        page.model.Immagini(2) = QStringLiteral("logo.jpg");
        page.model.Tabelle(2, TableAttr::Title) = QStringLiteral("Elenco");
        page.makeCurrent(c.set, 2);
        const VN3Routine before = page.model;
        page.dialogs.answerMessage(c.answer);

        const bool yes = c.answer == MessageAnswer::Yes;
        EXPECT_EQ(deleteCurrentObject(page.model, page.canvas, page.dialogs), yes);
        ASSERT_EQ(page.dialogs.messages().size(), 1u);
        const MessageRequest& asked = page.dialogs.messages()[0];
        EXPECT_EQ(asked.title, QStringLiteral("Cancella oggetto"));
        EXPECT_EQ(asked.text, QString::fromUtf8(c.question));
        EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
        EXPECT_EQ(asked.icon, MessageIcon::Question);
        EXPECT_EQ(asked.defaultAnswer, MessageAnswer::No);

        EXPECT_EQ(page.canvas.exists({c.set, 2}), !yes);
        if (c.set == A) {
            EXPECT_EQ(page.canvas.exists({Body, 2}), !yes);
        }
        // Only the deleted object's entry is emptied; nothing is current after a deletion.
        auto emptied = [&](const QString& now, const QString& was, CanvasSet set) {
            EXPECT_EQ(now, yes && set == c.set ? QString() : was);
        };
        emptied(page.model.TestoAttivo(2), before.TestoAttivo(2), T);
        emptied(page.model.RettangoloAttivo(2), before.RettangoloAttivo(2), R);
        emptied(page.model.CampiDB(2, FieldAttr::Database), before.CampiDB(2, FieldAttr::Database), C);
        emptied(page.model.Immagini(2), before.Immagini(2), I);
        emptied(page.model.Tabelle(2, TableAttr::Title), before.Tabelle(2, TableAttr::Title), A);
        EXPECT_EQ(page.model.OggettoCorrente, yes ? 0 : 2);
        EXPECT_EQ(page.model.TipoOggettoCorrente, yes ? QString() : kindCode(c.set));
        // A second click asks nothing more after a deletion.
        if (yes) {
            EXPECT_FALSE(deleteCurrentObject(page.model, page.canvas, page.dialogs));
            EXPECT_EQ(page.dialogs.messages().size(), 1u);
        }
    }
}

// "Ok" of the new-page dialog: the page as it is kept, or refused when a side is outside 1..1000.
TEST(NewPage, OkKeepsThePageOrRefusesIt)
{
    struct Case {
        const char* orientation;
        const char* height;
        const char* width;
        std::optional<NewPage> page;
        bool heightRefused;
    } cases[] = {
        {"Orizzontale", "60", "120", NewPage{QStringLiteral("Orizzontale"), 120, 60}, false},
        {"", "75.5", "80.5", NewPage{QString(), 80, 75.5}, false},
        {"Verticale", "75", "81.5", NewPage{QStringLiteral("Verticale"), 82, 75}, false},
        {"Verticale", "1000", "1000.5", NewPage{QStringLiteral("Verticale"), 1000, 1000}, false},
        {"Verticale", "1", "0.6", NewPage{QStringLiteral("Verticale"), 1, 1}, false},
        {"Verticale", "10,5", "12abc", NewPage{QStringLiteral("Verticale"), 12, 10}, false},
        {"Verticale", "0", "80", std::nullopt, true},
        {"Verticale", "1000.01", "80", std::nullopt, true},
        {"Verticale", "", "80", std::nullopt, true},
        {"Verticale", "75", "1001", std::nullopt, false},
        {"Verticale", "75", "0.5", std::nullopt, false},
        {"Verticale", "75", "-80", std::nullopt, false},
        {"Verticale", "75", "40000", std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.height << " by " << c.width);
        const NewPageResult r = readNewPage(QString::fromUtf8(c.orientation), QString::fromUtf8(c.height),
                                            QString::fromUtf8(c.width));
        ASSERT_EQ(r.page.has_value(), c.page.has_value()) << r.problem.toStdString();
        if (c.page) {
            EXPECT_EQ(r.page->Orientamento, c.page->Orientamento);
            EXPECT_EQ(r.page->LarghezzaPagina, c.page->LarghezzaPagina);
            EXPECT_EQ(r.page->AltezzaPagina, c.page->AltezzaPagina);
        } else {
            EXPECT_EQ(r.heightRefused, c.heightRefused);
            EXPECT_TRUE(r.problem.contains(QString::fromUtf8(c.heightRefused ? c.height : c.width))) << r.problem.toStdString();
        }
    }
}
