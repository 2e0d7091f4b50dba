// The designer's history of changes, its keys, the trash and the print question, through the
// commands without a window: the dialog seam's fake answers, stand-ins take the dialogs' places.

#include "designer/DesignerCommands.h"
#include "core/ScriptedDialogs.h"
#include "template/TemplateFiles.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

const CanvasRef kText{CanvasSet::Label1, 1}, kBox{CanvasSet::Label2, 1}, kTable{CanvasSet::Label4, 1};

struct Designer {
    test::ScopedCurrentDir dir;
    VN3Routine model;
    CanvasModel canvas;
    ScriptedDialogs dialogs;
    DesignerCommands commands{model, canvas, dialogs,
                              {[](VN3Routine&) {}, [](VN3Routine& m) { m.ElencoParametri(1, 1) = QStringLiteral("N"); }}};
    EditHistory& history = commands.history();

    Designer()
    {
        test::writeTemplate(dir.file(QStringLiteral("modulo.vn3")),
                            {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"),
                             QStringLiteral("a.mdb,T,"), QStringLiteral("[GRIGLIA]"), QStringLiteral("R,1.00,8.00,9.00,12.00,"),
                             QStringLiteral("[TESTO]"), QStringLiteral("Ciao,6,2,Arial,10,0,"), QStringLiteral("[TABELLA]"),
                             QStringLiteral("T,1,20,40,Arial,8,"), QStringLiteral("a.mdb,T,,,"),
                             QStringLiteral("C,N,5,Str,N,,5,"), QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
        commands.start();
        EXPECT_TRUE(commands.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
    }
    QString text() { return templateText(model, canvas); }
    void select(CanvasRef ref) { pressObject(model, canvas, ref, PressButton::Left); }
    // A drag as the window makes it: one step from the press to the release.
    void drag(CanvasRef ref, std::initializer_list<double> moves)
    {
        select(ref);
        history.begin(QStringLiteral("drag"));
        for (double x : moves)
            dragObject(model, canvas, ref, x, 0);
        history.commit();
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) { commands.canvasKey(canvasKey(k, modifiers)); }
};

struct EditCase {
    const char* name;
    std::function<void(Designer&)> edit;
    int steps;  // kept in the history
};

}  // namespace

TEST(EditHistory, UndoAndRedoOfEachEditGiveBackTheSavedText)
{
    const auto insert = [](const char* kind) { return [kind](Designer& d) { d.commands.inserisciOggetto(QString::fromUtf8(kind)); }; };
    const EditCase cases[] = {
        {"drag, many moves", [](Designer& d) { d.drag(kText, {100, 300, 500}); }, 1},
        {"drag of a table and its body", [](Designer& d) { d.drag(kTable, {200}); }, 1},
        {"size button", [](Designer& d) { d.select(kBox); d.commands.resizeObject(SizeStep::Higher); }, 1},
        {"insert text", insert("TESTO"), 1},
        {"insert field", insert("CAMPO DB"), 1},
        {"insert table", insert("TABELLA"), 1},
        {"insert image", insert("IMMAGINI"), 1},
        {"insert rectangle", insert("RETTANGOLI"), 1},
        {"insert date", insert("DATA"), 1},
        {"parameter editor", insert("PARAMETRI"), 1},
        {"delete", [](Designer& d) { d.select(kTable); d.dialogs.answerMessage(MessageAnswer::Yes); d.commands.cancellaOggetto(); }, 1},
        {"property dialog", [](Designer& d) { d.history.record(QStringLiteral("p"), [&] { d.canvas.control(kText).fontSize = 14; }); }, 1},
        {"arrow keys", [](Designer& d) { d.select(kText); d.key(Qt::Key_Left); d.key(Qt::Key_Down, Qt::KeypadModifier); }, 2},
        {"shift and arrows", [](Designer& d) { d.select(kBox); d.key(Qt::Key_Right, Qt::ShiftModifier); d.key(Qt::Key_Up, Qt::ShiftModifier); }, 2},
        {"delete key", [](Designer& d) { d.select(kText); d.dialogs.answerMessage(MessageAnswer::Yes); d.key(Qt::Key_Delete); }, 1},
        // Nothing changes: nothing is kept.
        {"a press", [](Designer& d) { d.drag(kText, {}); }, 0},
        {"a move under a unit", [](Designer& d) { d.drag(kText, {10}); }, 0},
        {"a dialog closed unchanged", [](Designer& d) { d.history.record(QStringLiteral("p"), [] {}); }, 0},
        {"delete answered no", [](Designer& d) { d.select(kText); d.dialogs.answerMessage(MessageAnswer::No); d.key(Qt::Key_Delete); }, 0},
        {"a text's height", [](Designer& d) { d.select(kText); d.key(Qt::Key_Down, Qt::ShiftModifier); }, 0},
        {"arrows with nothing current", [](Designer& d) { d.key(Qt::Key_Right); }, 0},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        Designer d;
        const QString before = d.text();
        const CanvasModel canvasBefore = d.canvas;
        c.edit(d);
        const QString after = d.text();
        const CanvasModel canvasAfter = d.canvas;
        EXPECT_EQ(d.history.stack().count(), c.steps);
        // A field says nothing to the file until its dialog fills it.
        EXPECT_EQ(!(canvasAfter == canvasBefore) || after != before, c.steps > 0);
        for (int i = 0; i < c.steps; ++i)
            d.history.undo();
        EXPECT_EQ(d.text(), before);
        EXPECT_TRUE(d.canvas == canvasBefore);
        EXPECT_FALSE(d.commands.changed());
        for (int i = 0; i < c.steps; ++i)
            d.history.redo();
        EXPECT_EQ(d.text(), after);
        EXPECT_TRUE(d.canvas == canvasAfter);
        EXPECT_TRUE(d.dialogs.allAnswered());
    }
}

// The unsaved question follows the clean point: what was opened or last saved.
TEST(EditHistory, UndoingToTheFileIsNoChange)
{
    struct Case {
        const char* steps;  // e: an arrow key, s: "Salva" as "altro.vn3", u: undo, r: redo
        bool changed;
    } cases[] = {
        {"e", true}, {"eu", false}, {"eur", true}, {"eeuu", false}, {"esu", true}, {"esur", false}, {"eus", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.steps);
        Designer d;
        d.select(kText);
        for (const char* s = c.steps; *s; ++s) {
            if (*s == 'e')
                d.key(Qt::Key_Right);
            if (*s == 's') {
                d.dialogs.answerFile(d.dir.file(QStringLiteral("altro")));
                ASSERT_TRUE(d.commands.salva());
            }
            if (*s == 'u')
                d.history.undo();
            if (*s == 'r')
                d.history.redo();
        }
        EXPECT_EQ(d.commands.changed(), c.changed);
        EXPECT_EQ(d.history.isClean(), !c.changed);
        if (c.changed)
            d.dialogs.answerMessage(MessageAnswer::Cancel);
        EXPECT_EQ(d.commands.confirmClose(), !c.changed);
        EXPECT_EQ(d.dialogs.messages().size(), c.changed ? 1u : 0u);
        // Undo brings back the template, never an earlier file name.
        if (strchr(c.steps, 's')) {
            EXPECT_EQ(d.model.NomeModulo, d.dir.file(QStringLiteral("altro.vn3")));
        }
    }
}

TEST(EditHistory, OpeningNewAndDeletingStartANewHistory)
{
    const std::function<void(Designer&)> commands[] = {
        [](Designer& d) { d.commands.openTemplate(d.dir.file(QStringLiteral("modulo.vn3"))); },
        [](Designer& d) { d.dialogs.answerMessage(MessageAnswer::No); d.commands.nuovo(); },
        [](Designer& d) { d.dialogs.answerMessage(MessageAnswer::Yes); d.commands.cancella(); },
    };
    for (const auto& command : commands) {
        Designer d;
        d.drag(kText, {400});
        d.history.undo();
        d.drag(kBox, {400});
        ASSERT_TRUE(d.history.canUndo());
        command(d);
        EXPECT_FALSE(d.history.canUndo());
        EXPECT_FALSE(d.history.canRedo());
        EXPECT_TRUE(d.history.isClean());
    }
}

TEST(DesignerKeys, ArrowsMoveShiftArrowsResizeDeleteDeletes)
{
    using A = CanvasKey::Action;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        CanvasKey expected;
    } cases[] = {
        {Qt::Key_Left, Qt::NoModifier, {A::Move, -1, 0}},
        {Qt::Key_Right, Qt::KeypadModifier, {A::Move, 1, 0}},
        {Qt::Key_Up, Qt::NoModifier, {A::Move, 0, -1}},
        {Qt::Key_Down, Qt::NoModifier, {A::Move, 0, 1}},
        // As the size button with the same triangle.
        {Qt::Key_Up, Qt::ShiftModifier, {A::Resize, 0, 0, SizeStep::Lower}},
        {Qt::Key_Down, Qt::ShiftModifier, {A::Resize, 0, 0, SizeStep::Higher}},
        {Qt::Key_Left, Qt::ShiftModifier, {A::Resize, 0, 0, SizeStep::Narrower}},
        {Qt::Key_Right, Qt::ShiftModifier, {A::Resize, 0, 0, SizeStep::Wider}},
        {Qt::Key_Delete, Qt::NoModifier, {A::Delete}},
        {Qt::Key_Delete, Qt::ShiftModifier, {}},
        {Qt::Key_Left, Qt::ControlModifier, {}},
        {Qt::Key_Z, Qt::NoModifier, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(canvasKey(c.key, c.modifiers), c.expected) << c.key << " " << c.modifiers.toInt();

    // A move is a drag of one unit; the size keys are the size buttons.
    Designer keyed, dragged, clicked;
    keyed.select(kTable);
    keyed.key(Qt::Key_Right);
    keyed.key(Qt::Key_Up, Qt::ShiftModifier);
    dragged.drag(kTable, {80});
    dragged.commands.resizeObject(SizeStep::Lower);
    EXPECT_EQ(keyed.text(), dragged.text());
}

TEST(DesignerCommandsAdded, TheInsertedObjectIsCurrent)
{
    for (const char* kind : {"TESTO", "TABELLA", "IMMAGINI", "RETTANGOLI", "CAMPO DB"}) {
        SCOPED_TRACE(kind);
        Designer d;
        const std::size_t before = d.canvas.stackingOrder().size();
        d.commands.inserisciOggetto(QString::fromUtf8(kind));
        ASSERT_EQ(d.canvas.stackingOrder().size(), before + (QByteArray(kind) == "TABELLA" ? 2 : 1));
        const CanvasRef front = d.canvas.stackingOrder().back();
        const CanvasRef title = front.set == CanvasSet::Label5 ? CanvasRef{CanvasSet::Label4, front.index} : front;
        EXPECT_EQ(currentObject(d.model, d.canvas), title);
    }
    Designer none;
    none.commands.inserisciOggetto({});
    ASSERT_EQ(none.dialogs.messages().size(), 1u);
    EXPECT_EQ(none.dialogs.messages()[0].text, QStringLiteral("Scegliere il tipo di oggetto da inserire"));
    EXPECT_FALSE(none.commands.changed());
}

TEST(DesignerCommandsAdded, StampaAsksToSaveUnsavedEdits)
{
    struct Case {
        const char* name;
        bool edited;
        MessageAnswer answer;
        bool prints;
        bool saved;
    } cases[] = {
        {"unchanged", false, MessageAnswer::Ok, true, false},
        {"yes saves and prints", true, MessageAnswer::Yes, true, true},
        {"no prints the file", true, MessageAnswer::No, true, false},
        {"cancel does nothing", true, MessageAnswer::Cancel, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Designer d;
        const QByteArray file = test::readFile(d.model.NomeModulo);
        if (c.edited) {
            d.drag(kText, {400});
            d.dialogs.answerMessage(c.answer);
        }
        EXPECT_EQ(d.commands.confirmPrint(), c.prints);
        EXPECT_EQ(d.dialogs.messages().size(), c.edited ? 1u : 0u);
        if (c.edited) {
            EXPECT_EQ(d.dialogs.messages()[0].text, QStringLiteral("Salvare le modifiche a modulo.vn3 prima di stampare?"));
            EXPECT_EQ(d.dialogs.messages()[0].buttons, MessageButtons::YesNoCancel);
        }
        EXPECT_EQ(test::readFile(d.model.NomeModulo) != file, c.saved);
        EXPECT_EQ(d.commands.changed(), c.edited && !c.saved);
    }
}

TEST(DesignerCommandsAdded, CancellaMovesTheTemplateToTheTrash)
{
    struct Case {
        const char* name;
        bool trash;
    } cases[] = {{"to the trash", true}, {"no trash: deleted for good", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Designer d;
        // The trash lies in the data folder; a file where that folder would be leaves no trash.
        test::writeTemplate(d.dir.file(QStringLiteral("file")), {});
        const QString data = d.dir.file(c.trash ? QStringLiteral("dati") : QStringLiteral("file/dati"));
        const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", d.dir.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        d.dialogs.answerMessage(MessageAnswer::Yes);
        d.commands.cancella();
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", dataHome);

        const auto& messages = d.dialogs.messages();
        ASSERT_EQ(messages.size(), c.trash ? 2u : 1u);
        EXPECT_EQ(messages[0].text.contains(QStringLiteral("definitivamente")), !c.trash);
        if (c.trash) {
            EXPECT_EQ(messages[1].text, QStringLiteral("Il modulo di stampa modulo.vn3 è stato spostato nel cestino."));
        }
        EXPECT_FALSE(QFile::exists(d.dir.file(QStringLiteral("modulo.vn3"))));
        EXPECT_EQ(QFile::exists(data + QStringLiteral("/Trash/files/modulo.vn3")), c.trash);
    }
}
