// The history of changes, the canvas's keys, the trash and the print question, without a window.

#include "designer/DesignerCommands.h"
#include "core/ScriptedDialogs.h"
#include "template/TemplateFiles.h"

#include "support/TestSupport.h"

#include <QFile>
#include <functional>
#include <map>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

const CanvasRef kText{CanvasSet::Label1, 1}, kBox{CanvasSet::Label2, 1}, kTable{CanvasSet::Label4, 1};

// modulo.vn3 open: a text, a rectangle, a table; the parameter editor's stand-in adds a parameter.
struct Designer {
    test::ScopedCurrentDir dir;
    VN3Routine model;
    CanvasModel canvas;
    ScriptedDialogs dialogs;
    DesignerCommands commands{model, canvas, dialogs,
                              {[](VN3Routine&) {}, [](VN3Routine& m) { m.ElencoParametri(1, ParameterAttr::FieldName) = QStringLiteral("N"); }}};
    EditHistory& history = commands.history();

    Designer()
    {
        test::writeTemplate(dir.file(QStringLiteral("modulo.vn3")),
                            QStringLiteral("[TESTA]|1|80,75,|a.mdb,T,|[GRIGLIA]|R,1.00,8.00,9.00,12.00,|[TESTO]|"
                                           "Ciao,6,2,Arial,10,0,|[TABELLA]|T,1,20,40,Arial,8,|a.mdb,T,,,|"
                                           "C,N,5,Str,N,,5,|[FINE TABELLA]|[FINE]")
                                .split(QLatin1Char('|')));
        commands.start();
        EXPECT_TRUE(commands.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
    }
    QString text() { return templateText(model, canvas); }
    void select(CanvasRef ref) { pressObject(model, canvas, ref, PressButton::Left); }
    // As the window drags: one step from the press to the release.
    void drag(CanvasRef ref, std::initializer_list<double> moves)
    {
        select(ref);
        history.begin(QStringLiteral("drag"));
        for (double x : moves)
            dragObject(model, canvas, ref, x, 0);
        history.commit();
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) { commands.canvasKey(canvasKey(k, modifiers)); }
    void answer(MessageAnswer a = MessageAnswer::Yes) { dialogs.answerMessage(a); }
};

}  // namespace

TEST(EditHistory, UndoAndRedoOfEachEditGiveBackTheTemplate)
{
    using Edit = std::function<void(Designer&)>;
    const auto insert = [](const char* kind) -> Edit { return [=](Designer& d) { d.commands.insertObject(QString::fromUtf8(kind)); }; };
    const std::tuple<const char*, Edit, int> cases[] = {
        {"drag, many moves", [](Designer& d) { d.drag(kText, {100, 300, 500}); }, 1},
        {"drag of a table and its body", [](Designer& d) { d.drag(kTable, {200}); }, 1},
        {"size button", [](Designer& d) { d.select(kBox); d.commands.resizeObject(SizeStep::Higher); }, 1},
        {"insert text", insert("TESTO"), 1}, {"insert field", insert("CAMPO DB"), 1}, {"insert table", insert("TABELLA"), 1},
        {"insert image", insert("IMMAGINI"), 1}, {"parameter editor", insert("PARAMETRI"), 1},
        {"delete", [](Designer& d) { d.select(kTable); d.answer(); d.commands.deleteObject(); }, 1},
        {"property dialog", [](Designer& d) { d.history.record({}, [&] { d.canvas.control(kText).fontSize = 14; }); }, 1},
        {"arrow keys", [](Designer& d) { d.select(kText); d.key(Qt::Key_Left); d.key(Qt::Key_Down, Qt::KeypadModifier); }, 2},
        {"shift and arrows", [](Designer& d) { d.select(kBox); d.key(Qt::Key_Right, Qt::ShiftModifier); d.key(Qt::Key_Up, Qt::ShiftModifier); }, 2},
        {"delete key", [](Designer& d) { d.select(kText); d.answer(); d.key(Qt::Key_Delete); }, 1},
        // Nothing changed: no step.
        {"a press", [](Designer& d) { d.drag(kText, {}); }, 0},
        {"a move under a unit", [](Designer& d) { d.drag(kText, {10}); }, 0},
        {"a dialog closed unchanged", [](Designer& d) { d.history.record({}, [] {}); }, 0},
        {"delete answered no", [](Designer& d) { d.select(kText); d.answer(MessageAnswer::No); d.key(Qt::Key_Delete); }, 0},
        {"a text's height", [](Designer& d) { d.select(kText); d.key(Qt::Key_Down, Qt::ShiftModifier); }, 0},
        {"arrows with nothing current", [](Designer& d) { d.key(Qt::Key_Right); }, 0},
    };
    for (const auto& [name, edit, steps] : cases) {
        SCOPED_TRACE(name);
        Designer d;
        const std::pair<QString, CanvasModel> before{d.text(), d.canvas};
        edit(d);
        const std::pair<QString, CanvasModel> after{d.text(), d.canvas};
        EXPECT_EQ(d.history.stack().count(), steps);
        for (int i = 0; i < steps; ++i)
            d.history.undo();
        EXPECT_TRUE(std::pair(d.text(), d.canvas) == before);
        EXPECT_FALSE(d.commands.changed());
        for (int i = 0; i < steps; ++i)
            d.history.redo();
        EXPECT_TRUE(std::pair(d.text(), d.canvas) == after);
    }
}

// The unsaved question follows the clean point: what was opened or last saved. Opening and
// "Nuovo" start a new history.
TEST(EditHistory, UndoingToTheFileIsNoChange)
{
    const std::pair<const char*, bool> cases[] = {// e: arrow key, s: "Salva" as altro.vn3, u: undo, r: redo, o: open, n: "Nuovo"
                                                  {"e", true},     {"eu", false},  {"eur", true},   {"eeuu", false}, {"esu", true},
                                                  {"esur", false}, {"eus", false}, {"eeuo", false}, {"euen", false}};
    for (const auto& [steps, changed] : cases) {
        SCOPED_TRACE(steps);
        Designer d;
        d.select(kText);
        for (const char* s = steps; *s; ++s) {
            if (*s == 's')
                d.dialogs.answerFile(d.dir.file(QStringLiteral("altro")));
            if (*s == 'n')
                d.answer(MessageAnswer::No);
            const std::map<char, std::function<void()>> run = {
                {'e', [&] { d.key(Qt::Key_Right); }},  {'s', [&] { d.commands.save(); }},
                {'u', [&] { d.history.undo(); }},      {'r', [&] { d.history.redo(); }},
                {'o', [&] { d.commands.openTemplate(d.dir.file(QStringLiteral("modulo.vn3"))); }},
                {'n', [&] { d.commands.newTemplate(); }}};
            run.at(*s)();
        }
        EXPECT_EQ(d.commands.changed(), changed);
        EXPECT_EQ(d.history.isClean(), !changed);
        EXPECT_EQ(d.history.canUndo() || d.history.canRedo(), !strpbrk(steps, "on"));
        if (changed)
            d.answer(MessageAnswer::Cancel);
        EXPECT_EQ(d.commands.confirmClose(), !changed);
        // Undo brings back the template, never an earlier file name.
        EXPECT_EQ(d.model.NomeModulo.endsWith(QStringLiteral("altro.vn3")), strchr(steps, 's') != nullptr);
    }
}

// Keys are a one-unit drag and the size buttons, on the object just inserted too.
TEST(DesignerKeys, KeysActAsTheDragAndTheSizeButtons)
{
    Designer keyed, dragged, none;
    keyed.select(kTable);
    keyed.key(Qt::Key_Right);
    keyed.key(Qt::Key_Up, Qt::ShiftModifier);
    keyed.commands.insertObject(QStringLiteral("RETTANGOLI"));
    keyed.key(Qt::Key_Right, Qt::ShiftModifier);
    dragged.drag(kTable, {80});
    dragged.commands.resizeObject(SizeStep::Lower);
    dragged.commands.insertObject(QStringLiteral("RETTANGOLI"));
    dragged.commands.resizeObject(SizeStep::Wider);
    EXPECT_EQ(keyed.text(), dragged.text());
    EXPECT_EQ(canvasKey(Qt::Key_Left, Qt::ControlModifier), CanvasKey{});

    none.commands.insertObject({});
    ASSERT_EQ(none.dialogs.messages().size(), 1u);
    EXPECT_EQ(none.dialogs.messages()[0].text, QStringLiteral("Scegliere il tipo di oggetto da inserire"));
}

TEST(DesignerCommandsAdded, PrintAsksToSaveUnsavedEdits)
{
    // The answer (none: nothing edited, nothing asked), whether the print goes on, whether saved.
    const std::tuple<std::optional<MessageAnswer>, bool, bool> cases[] = {
        {std::nullopt, true, false}, {MessageAnswer::Yes, true, true}, {MessageAnswer::No, true, false}, {MessageAnswer::Cancel, false, false}};
    for (const auto& [answer, prints, saved] : cases) {
        Designer d;
        const QByteArray file = test::readFile(d.model.NomeModulo);
        if (answer) {
            d.drag(kText, {400});
            d.answer(*answer);
        }
        EXPECT_EQ(d.commands.confirmPrint(), prints);
        ASSERT_EQ(d.dialogs.messages().size(), answer ? 1u : 0u);
        if (answer) {
            EXPECT_EQ(d.dialogs.messages()[0].text, QStringLiteral("Salvare le modifiche a modulo.vn3 prima di stampare?"));
        }
        EXPECT_EQ(test::readFile(d.model.NomeModulo) != file, saved);
    }
}

TEST(DesignerCommandsAdded, DeleteTemplateMovesTheTemplateToTheTrash)
{
    for (const bool trash : {true, false}) {
        Designer d;
        // The trash lies in the data folder; a file where that folder would be leaves no trash.
        test::writeTemplate(d.dir.file(QStringLiteral("file")), {});
        const QString data = d.dir.file(trash ? QStringLiteral("dati") : QStringLiteral("file/dati"));
        const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME");
        qputenv("HOME", d.dir.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        d.answer();
        d.commands.deleteTemplate();
        qputenv("HOME", home);
        qputenv("XDG_DATA_HOME", dataHome);

        const auto& messages = d.dialogs.messages();
        ASSERT_EQ(messages.size(), trash ? 2u : 1u);
        EXPECT_EQ(messages[0].text.contains(QStringLiteral("definitivamente")), !trash);
        EXPECT_EQ(messages.back().text.contains(QStringLiteral("spostato nel cestino")), trash);
        EXPECT_FALSE(QFile::exists(d.dir.file(QStringLiteral("modulo.vn3"))));
        EXPECT_EQ(QFile::exists(data + QStringLiteral("/Trash/files/modulo.vn3")), trash);
    }
}
