// The designer's commands without a window: the dialog seam's fake answers the questions and the
// file dialogs, and stand-ins take the place of the new-page dialog and the parameter editor.

#include "designer/DesignerCommands.h"
#include "designer/DesignerEdits.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/TemplateFiles.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

const QStringList kTemplate = {
    QStringLiteral("[TESTA]"),         QStringLiteral("1"),
    QStringLiteral("80,75,"),          QStringLiteral("archivio.mdb,Prenotazioni,"),
    QStringLiteral("[PARAMETRI]"),     QStringLiteral("[IMMAGINI]"),
    QStringLiteral("[GRIGLIA]"),       QStringLiteral("R,1.00,8.00,79.00,12.00,"),
    QStringLiteral("[CAMPI]"),         QStringLiteral("[TESTO]"),
    QStringLiteral("Ciao,60,2,Arial,10,0,"),
    QStringLiteral("[TABELLA]"),       QStringLiteral("[FINE]"),
};

class DesignerCommandsTest : public ::testing::Test {
protected:
    DesignerCommandsTest()
        : commands(model, canvas, dialogs,
                   DesignerWindows{[this](VN3Routine& m) {
                                       ++newPageShown;
                                       if (nextPage) {
                                           m.Orientamento = QStringLiteral("Orizzontale");
                                           m.LarghezzaPagina = 120;
                                           m.AltezzaPagina = 60;
                                       }
                                   },
                                   [this](VN3Routine&) { ++parametersShown; }})
    {
        commands.start();
        test::writeTemplate(dir.file(QStringLiteral("modulo.vn3")), kTemplate);
    }

    // Opens modulo.vn3 and moves its text: a template with a file and a change.
    void openAndChange()
    {
        ASSERT_TRUE(commands.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
        ASSERT_FALSE(commands.changed());
        pressObject(model, canvas, {CanvasSet::Label1, 1}, PressButton::Left);
        dragObject(model, canvas, {CanvasSet::Label1, 1}, 400, 0);
        ASSERT_TRUE(commands.changed());
    }
    QByteArray onDisk(const QString& name = QStringLiteral("modulo.vn3")) { return test::readFile(dir.file(name)); }

    test::ScopedCurrentDir dir;
    VN3Routine model;
    CanvasModel canvas;
    ScriptedDialogs dialogs;
    int newPageShown = 0;
    int parametersShown = 0;
    bool nextPage = false;
    DesignerCommands commands;
};

}  // namespace

TEST_F(DesignerCommandsTest, SaveNamesTheFileAndSavesNothingWhenCancelled)
{
    struct Case {
        const char* name;
        std::optional<const char*> chosen;  // none: the dialog is cancelled
        const char* offered;
        const char* saved;  // empty: nothing saved
    } cases[] = {
        {"report1", "report1.vn3", "report1.vn3", "report1.vn3"},
        {"REPORT.VN3", "REPORT.VN3.vn3", "REPORT.VN3.vn3", "REPORT.VN3.vn3"},
        {"Nuovo.vn3", "altro", "Nuovo.vn3", "altro.vn3"},
        {"Nuovo.vn3", std::nullopt, "Nuovo.vn3", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScopedCurrentDir folder;
        ScriptedDialogs asked;
        DesignerCommands save(model, canvas, asked, {});
        model.NomeModulo = QString::fromUtf8(c.name);
        asked.answerFile(c.chosen ? std::optional<QString>(QString::fromUtf8(*c.chosen)) : std::nullopt);
        const bool saved = *c.saved != 0;
        EXPECT_EQ(save.save(), saved);

        ASSERT_EQ(asked.fileRequests().size(), 1u);
        const FileRequest& request = asked.fileRequests()[0];
        EXPECT_EQ(request.action, FileRequest::Action::Save);
        EXPECT_EQ(request.initialDir, QStringLiteral(".\\"));
        EXPECT_EQ(request.fileName, QString::fromUtf8(c.offered));
        EXPECT_EQ(request.filter, QStringLiteral("Report 3.0 Ostrivo (*.vn3)|") + QString::fromUtf8(c.offered));
        EXPECT_EQ(QDir().entryList(QDir::Files), saved ? QStringList{QString::fromUtf8(c.saved)} : QStringList{});
        EXPECT_EQ(model.NomeModulo, QString::fromUtf8(saved ? c.saved : c.name));
        EXPECT_EQ(save.title(), QStringLiteral("Gestore report Ostrivo 3.0 - ") + model.NomeModulo);
        if (saved) {
            EXPECT_EQ(test::readFile(QString::fromUtf8(c.saved)), templateText(model, canvas).toLatin1());
            EXPECT_FALSE(save.changed());
        }
    }
}

TEST_F(DesignerCommandsTest, AFailedSaveNamesTheFileAndKeepsTheTemplate)
{
    const QByteArray original = onDisk();
    openAndChange();
    const QString target = dir.file(QStringLiteral("manca/nuovo.vn3"));
    dialogs.answerFile(target);
    EXPECT_FALSE(commands.save());
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Salva"));
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("nuovo.vn3"))) << dialogs.messages()[0].text.toStdString();
    EXPECT_EQ(model.NomeModulo, dir.file(QStringLiteral("modulo.vn3")));
    EXPECT_TRUE(commands.changed());
    EXPECT_EQ(onDisk(), original);
    EXPECT_FALSE(QDir(dir.file(QStringLiteral("manca"))).exists());
}

TEST_F(DesignerCommandsTest, OpenLoadsOrKeepsTheOpenTemplate)
{
    test::writeTemplate(dir.file(QStringLiteral("rotto.vn3")),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("a.mdb,T,"),
                         QStringLiteral("[TESTO]"), QStringLiteral("senza campi")});
    struct Case {
        const char* name;
        std::optional<const char*> chosen;
        bool opens;
        const char* message;  // what the message names, when there is one
    } cases[] = {
        {"cancelled", std::nullopt, false, nullptr},
        {"malformed", "rotto.vn3", false, "rotto.vn3"},
        {"missing", "manca.vn3", false, "manca.vn3"},
        {"good", "modulo.vn3", true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs asked;
        DesignerCommands open(model, canvas, asked, {});
        open.start();
        insertObject(model, canvas, QStringLiteral("RETTANGOLI"), asked);
        const QString before = templateText(model, canvas);
        // The open template is unsaved: the question comes first.
        asked.answerMessage(MessageAnswer::No);
        asked.answerFile(c.chosen ? std::optional<QString>(dir.file(QString::fromUtf8(*c.chosen))) : std::nullopt);
        open.chooseAndOpen();

        ASSERT_EQ(asked.fileRequests().size(), 1u);
        const FileRequest& request = asked.fileRequests()[0];
        EXPECT_EQ(request.action, FileRequest::Action::Open);
        EXPECT_EQ(request.initialDir, QStringLiteral(".\\"));
        EXPECT_EQ(request.filter, QStringLiteral("Report 3.0 Ostrivo (*.vn3)|*.vn3"));
        EXPECT_EQ(request.fileName, QString());
        ASSERT_EQ(asked.messages().size(), c.message ? 2u : 1u);
        if (c.message) {
            EXPECT_EQ(asked.messages()[1].title, QStringLiteral("Apri"));
            EXPECT_TRUE(asked.messages()[1].text.contains(QString::fromUtf8(c.message))) << asked.messages()[1].text.toStdString();
        }
        if (c.opens) {
            EXPECT_EQ(model.NomeModulo, dir.file(QStringLiteral("modulo.vn3")));
            EXPECT_EQ(canvas.control({CanvasSet::Label1, 1}).caption, QStringLiteral("Ciao"));
            EXPECT_FALSE(open.changed());
        } else {
            // Nothing of the file, and the template as it was, name and all.
            EXPECT_EQ(model.NomeModulo, QStringLiteral("Nuovo.vn3"));
            EXPECT_EQ(templateText(model, canvas), before);
            EXPECT_TRUE(open.changed());
        }
    }
    EXPECT_EQ(newPageShown, 0);
}

TEST_F(DesignerCommandsTest, DeleteTemplateDeletesOnlyOnYes)
{
    struct Case {
        const char* name;
        bool opened;  // else the never saved "Nuovo.vn3", with a file of that name about
        MessageAnswer answer;
        bool deleted;
    } cases[] = {
        {"no keeps file and template", true, MessageAnswer::No, false},
        {"yes deletes and starts anew", true, MessageAnswer::Yes, true},
        {"a template never saved owns no file", false, MessageAnswer::Yes, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        newPageShown = 0;
        test::writeTemplate(dir.file(QStringLiteral("modulo.vn3")), kTemplate);
        test::writeTemplate(dir.file(QStringLiteral("Nuovo.vn3")), kTemplate);
        commands.start();
        if (c.opened)
            openAndChange();
        const QString name = model.NomeModulo;
        const QString file = dir.file(c.opened ? QStringLiteral("modulo.vn3") : QStringLiteral("Nuovo.vn3"));
        ScriptedDialogs& asked = dialogs;
        const std::size_t askedBefore = asked.messages().size();
        asked.answerMessage(c.answer);
        commands.deleteTemplate();

        // One question only: after a deletion nothing offers to save the deleted file. A message
        // tells where the file went.
        ASSERT_EQ(asked.messages().size(), askedBefore + (c.deleted ? 2 : 1));
        const MessageRequest& question = asked.messages()[askedBefore];
        EXPECT_EQ(question.title, QStringLiteral("Cancella modulo"));
        EXPECT_EQ(question.text, QStringLiteral("Confermi la cancellazione del modulo di stampa?"));
        EXPECT_EQ(question.defaultAnswer, MessageAnswer::No);
        EXPECT_EQ(QFile::exists(file), !c.deleted);
        const bool yes = c.answer == MessageAnswer::Yes;
        EXPECT_EQ(newPageShown, yes ? 1 : 0);
        EXPECT_EQ(model.NomeModulo, yes ? QStringLiteral("Nuovo.vn3") : name);
        EXPECT_EQ(canvas.exists({CanvasSet::Label1, 1}), !yes);
    }
}

// "Nuovo", "Apri" and closing ask before unsaved changes are lost; "Sì" saves first.
// Another program's change to the file since it was opened or last saved is not lost silently.
TEST_F(DesignerCommandsTest, AFileChangedByAnotherProgramIsOverwrittenOnlyOnYes)
{
    const struct {
        const char* name;
        bool savedFirst;   // the change comes after a save, not after the open
        bool touchedOnly;  // a new time, the same content
        std::optional<MessageAnswer> answer;  // none: nothing is asked
    } cases[] = {{"changed after the open, no", false, false, MessageAnswer::No},
                 {"changed after the open, yes", false, false, MessageAnswer::Yes},
                 {"changed after a save, no", true, false, MessageAnswer::No},
                 {"only touched", true, true, std::nullopt}};
    const QString file = dir.file(QStringLiteral("modulo.vn3"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeTemplate(file, kTemplate);
        ScriptedDialogs asked;
        DesignerCommands designer(model, canvas, asked, {});
        ASSERT_TRUE(designer.openTemplate(file));
        dragObject(model, canvas, {CanvasSet::Label1, 1}, 400, 0);
        if (c.savedFirst) {
            asked.answerFile(file);
            ASSERT_TRUE(designer.save());
        }
        if (c.touchedOnly) {
            QFile touched(file);
            ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
            touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        } else {
            test::writeFile(file, "[TESTA]\r\nscritto da un altro programma\r\n");
        }
        const QByteArray before = onDisk();
        if (c.answer)
            asked.answerMessage(*c.answer);
        asked.answerFile(file);
        const bool written = !c.answer || *c.answer == MessageAnswer::Yes;
        EXPECT_EQ(designer.save(), written);
        EXPECT_EQ(onDisk(), written ? templateText(model, canvas).toLatin1() : before);
        ASSERT_EQ(asked.messages().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(asked.messages()[0].text,
                      QStringLiteral("Il file modulo.vn3 è stato modificato da un altro programma. Sovrascriverlo?"));
            EXPECT_EQ(asked.messages()[0].defaultAnswer, MessageAnswer::No);
        }
    }
}

TEST_F(DesignerCommandsTest, UnsavedChangesAreOfferedForSaving)
{
    enum class Command { NewTemplate, Open, Close };
    struct Case {
        const char* name;
        Command command;
        MessageAnswer answer;
        bool goesOn;
        bool saved;
    } cases[] = {
        {"new template, yes", Command::NewTemplate, MessageAnswer::Yes, true, true},
        {"new template, no", Command::NewTemplate, MessageAnswer::No, true, false},
        {"new template, cancel", Command::NewTemplate, MessageAnswer::Cancel, false, false},
        {"open, yes", Command::Open, MessageAnswer::Yes, true, true},
        {"open, cancel", Command::Open, MessageAnswer::Cancel, false, false},
        {"close, yes", Command::Close, MessageAnswer::Yes, true, true},
        {"close, no", Command::Close, MessageAnswer::No, true, false},
        {"close, cancel", Command::Close, MessageAnswer::Cancel, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeTemplate(dir.file(QStringLiteral("modulo.vn3")), kTemplate);
        const QByteArray original = onDisk();
        newPageShown = 0;
        ScriptedDialogs asked;
        DesignerCommands designer(model, canvas, asked, {[this](VN3Routine&) { ++newPageShown; }, {}});
        designer.start();
        ASSERT_TRUE(designer.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
        dragObject(model, canvas, {CanvasSet::Label1, 1}, 400, 0);
        const QString changedText = templateText(model, canvas);
        asked.answerMessage(c.answer);
        if (c.command == Command::Open && c.goesOn)
            asked.answerFile(std::nullopt);
        bool closes = false;
        switch (c.command) {
        case Command::NewTemplate:
            designer.newTemplate();
            break;
        case Command::Open:
            designer.chooseAndOpen();
            break;
        case Command::Close:
            closes = designer.confirmClose();
            break;
        }
        ASSERT_EQ(asked.messages().size(), 1u);
        const MessageRequest& question = asked.messages()[0];
        EXPECT_EQ(question.text, QStringLiteral("Salvare le modifiche a modulo.vn3?"));
        EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
        // A template with a file saves to it without a dialog.
        EXPECT_EQ(asked.fileRequests().size(), c.command == Command::Open && c.goesOn ? 1u : 0u);
        EXPECT_EQ(onDisk(), c.saved ? changedText.toLatin1() : original);
        if (c.command == Command::NewTemplate) {
            EXPECT_EQ(newPageShown, c.goesOn ? 1 : 0);
        }
        if (c.command == Command::Close) {
            EXPECT_EQ(closes, c.goesOn);
        }
        if (!c.goesOn) {
            EXPECT_EQ(templateText(model, canvas), changedText);
            EXPECT_TRUE(designer.changed());
        }
    }
}

TEST_F(DesignerCommandsTest, ANeverSavedTemplateIsSavedThroughTheDialog)
{
    insertObject(model, canvas, QStringLiteral("TESTO"), dialogs);
    // "Sì", then the save dialog cancelled: the command stops.
    dialogs.answerMessage(MessageAnswer::Yes);
    dialogs.answerFile(std::nullopt);
    EXPECT_FALSE(commands.confirmClose());
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Salvare le modifiche a Nuovo.vn3?"));
    // "Sì", then a name: saved there, and the new page comes.
    dialogs.answerMessage(MessageAnswer::Yes);
    dialogs.answerFile(dir.file(QStringLiteral("primo")));
    commands.newTemplate();
    EXPECT_EQ(onDisk(QStringLiteral("primo.vn3")).count("<inserire testo>"), 1);
    EXPECT_EQ(newPageShown, 1);
    EXPECT_TRUE(dialogs.allAnswered());
}

TEST_F(DesignerCommandsTest, NothingIsAskedWhenNothingChanged)
{
    ASSERT_TRUE(commands.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
    // A press and a move that moves nothing are no change.
    pressObject(model, canvas, {CanvasSet::Label1, 1}, PressButton::Left);
    dragObject(model, canvas, {CanvasSet::Label1, 1}, 10, 10);
    EXPECT_FALSE(commands.changed());
    EXPECT_TRUE(commands.confirmClose());
    nextPage = true;
    commands.newTemplate();
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(DesignerCommandsTest, NewTemplateClearsForThePageTheDialogLeft)
{
    ASSERT_TRUE(commands.openTemplate(dir.file(QStringLiteral("modulo.vn3"))));
    pressObject(model, canvas, {CanvasSet::Label1, 1}, PressButton::Left);
    nextPage = true;
    commands.newTemplate();
    EXPECT_EQ(newPageShown, 1);
    EXPECT_EQ(model.NomeModulo, QStringLiteral("Nuovo.vn3"));
    EXPECT_EQ(canvas.canvasTwips(), QRect(750, 1300, 10900, 6500));
    EXPECT_EQ(model.NumLineeGriglia, 120 + 60 + 2);
    EXPECT_TRUE(canvas.stackingOrder().empty());
    EXPECT_EQ(model.NumTesti, 0);
    // The reference database stays for the next template.
    EXPECT_EQ(model.DatabaseRif, QStringLiteral("archivio.mdb"));
    EXPECT_FALSE(commands.changed());
}

TEST_F(DesignerCommandsTest, InsertingParametersOpensTheEditor)
{
    commands.insertObject(QStringLiteral("PARAMETRI"));
    EXPECT_EQ(parametersShown, 1);
    EXPECT_TRUE(canvas.stackingOrder().empty());
    commands.insertObject(QStringLiteral("ORA"));
    EXPECT_EQ(canvas.control({CanvasSet::Label1, 1}).caption, QStringLiteral("ora_adesso"));
    EXPECT_TRUE(commands.changed());
}
