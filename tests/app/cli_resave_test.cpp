// `resave` and the designer's part of `check`, run as the program with no display at all.
#include "support/PdfText.h"
#include "support/TestSupport.h"
#include "template/TemplateFiles.h"

#include <QDir>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ostrivo;

namespace {

QStringList lines(const QString& text)
{
    return text.split(QLatin1Char('\n'));
}

// The environment of a server: no display of any kind.
class NoDisplay {
public:
    NoDisplay()
    {
        for (const char* name : kNames) {
            saved_.push_back(qgetenv(name));
            qunsetenv(name);
        }
    }
    ~NoDisplay()
    {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (!saved_[i].isNull())
                qputenv(kNames[i], saved_[i]);
        }
    }

private:
    static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<QByteArray> saved_;
};

}  // namespace

TEST(CliResave, WritesWhatTheDesignerSavesOrNothing)
{
    test::ScopedCurrentDir dir;
    NoDisplay server;
    const QStringList good = lines(QStringLiteral("[TESTA]\n1\n80,75,\nC:\\Dati\\t.db,Righe,\n[PARAMETRI]\n[TESTO]\na,2.5,1,Arial,8,0,\n"
                                                  "[GRIGLIA]\nL,9,1,1,1,\n[ALTRO]\nx,\n[FINE]"));
    const QStringList withPicture = lines(QStringLiteral("[TESTA]\n1\n80,75,\n,,\n[PARAMETRI]\n[IMMAGINI]\nlogo.png,1,1,5,5,\n[FINE]"));
    const QStringList bad = lines(QStringLiteral("[TESTA]\n1\n80,75,\n,,\n[PARAMETRI]\n[TESTO]\ncorto,1,2,\n[FINE]"));
    struct Case {
        const char* name;
        QStringList file;  // written as t.vn3 before the run
        QStringList arguments;
        int exitCode;
        const char* message;  // in stderr
        const char* written;  // the file that must hold the designer's save; "" for none
        bool readOnly = false;  // t.vn3 has mode 444 (as root, the program runs as another user)
        const char* input = "";  // a file the template names, written before the run; kept as it was
    };
    const Case cases[] = {
        {"in place", good, {QStringLiteral("t.vn3")}, 0, "", "t.vn3"},
        {"to another file", good, {QStringLiteral("t.vn3"), QStringLiteral("--output"), QStringLiteral("nuovo.vn3")}, 0, "", "nuovo.vn3"},
        {"a malformed template", bad, {QStringLiteral("t.vn3"), QStringLiteral("--output"), QStringLiteral("nuovo.vn3")}, 1,
         "t.vn3, riga 7: ", ""},
        {"a malformed template in place", bad, {QStringLiteral("t.vn3")}, 1, "campi", ""},
        {"a template that may not be written", good, {QStringLiteral("t.vn3")}, 1, "\"t.vn3\": accesso negato", "", true},
        {"a missing template", good, {QStringLiteral("manca.vn3")}, 1, "manca.vn3", ""},
        {"no template", good, {}, 2, "resave", ""},
        {"two templates", good, {QStringLiteral("t.vn3"), QStringLiteral("u.vn3")}, 2, "u.vn3", ""},
        {"an output without its name", good, {QStringLiteral("t.vn3"), QStringLiteral("--output")}, 2, "--output", ""},
        {"an unknown option", good, {QStringLiteral("t.vn3"), QStringLiteral("--force")}, 2, "--force", ""},
        {"an output over a picture the template names", withPicture,
         {QStringLiteral("t.vn3"), QStringLiteral("--output"), QStringLiteral("logo.png")}, 2, "logo.png", "", false, "logo.png"},
    };
    for (const Case& c : cases) {
        for (const QString& name : QDir().entryList(QDir::Files))
            QFile::remove(name);
        test::writeTemplate(QStringLiteral("t.vn3"), c.file);
        const QByteArray before = test::readFile(QStringLiteral("t.vn3"));
        const QString input = QString::fromUtf8(c.input);
        if (!input.isEmpty())
            test::writeFile(input, QByteArrayLiteral("not a template"));
        std::function<void()> asAnotherUser;
        if (c.readOnly) {
            ASSERT_EQ(::chmod("t.vn3", 0444), 0);
            // Root writes whatever the mode says: the folder is opened to a user who may not.
            if (::geteuid() == 0) {
                ASSERT_EQ(::chmod(".", 0777), 0);
                asAnotherUser = [] {
                    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                        ::_exit(99);
                };
            }
        }
        const test::RunResult run =
            test::runBinary(QStringList{QStringLiteral("resave")} + c.arguments, dir.path(), 120000, asAnotherUser);
        ::chmod(".", 0700);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.message))) << c.name << ": " << run.err.toStdString();

        const QString written = QString::fromUtf8(c.written);
        if (!written.isEmpty()) {
            VN3Routine model;
            CanvasModel canvas;
            PulisciPagina(model, canvas);
            test::writeTemplate(QStringLiteral("atteso.vn3"), c.file);
            CaricaModulo(QStringLiteral("atteso.vn3"), model, canvas);
            SalvaModulo(QStringLiteral("atteso.vn3"), model, canvas);
            EXPECT_EQ(test::readFile(written), test::readFile(QStringLiteral("atteso.vn3"))) << c.name;
            EXPECT_NE(test::readFile(written), before) << c.name << ": the save changed nothing";
        }
        if (written != QLatin1String("t.vn3")) {
            EXPECT_EQ(test::readFile(QStringLiteral("t.vn3")), before) << c.name;
        }
        // No temporary file is left, and a failure writes no output.
        if (!input.isEmpty()) {
            EXPECT_EQ(test::readFile(input), QByteArrayLiteral("not a template")) << c.name;
        }
        QStringList files = {QStringLiteral("t.vn3")};
        if (!input.isEmpty())
            files << input;
        if (!written.isEmpty())
            files << QStringLiteral("atteso.vn3") << written;
        files.removeDuplicates();
        files.sort();
        EXPECT_EQ(QDir().entryList(QDir::Files, QDir::Name), files) << c.name;
    }
}

// `check` lists what the designer would refuse to open, where the print run has no objection.
TEST(CliCheck, ListsWhatTheDesignerWouldRefuse)
{
    test::ScopedCurrentDir dir;
    QStringList texts = lines(QStringLiteral("[TESTA]\n1\n80,75,\n,,\n[PARAMETRI]\n[TESTO]"));
    for (int i = 0; i < 501; ++i)
        texts << QStringLiteral("a,1,1,Arial,8,0,");
    texts << QStringLiteral("[FINE]");
    struct Case {
        const char* name;
        QStringList file;
        const char* expected;
    };
    const Case cases[] = {
        {"a page too large for the designer's grid", lines(QStringLiteral("[TESTA]\n1\n2000,75,\n,,\n[PARAMETRI]\n[FINE]")), "t.vn3:3: "},
        {"a 501st text", texts, "t.vn3:507: "},
    };
    for (const Case& c : cases) {
        test::writeTemplate(QStringLiteral("t.vn3"), c.file);
        const test::RunResult run = test::runBinary({QStringLiteral("check"), QStringLiteral("t.vn3")}, dir.path());
        EXPECT_EQ(run.exitCode, 1) << c.name;
        const QStringList out = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(out.size(), 1) << c.name << ": " << run.out.toStdString();
        EXPECT_TRUE(out[0].startsWith(QString::fromUtf8(c.expected))) << c.name << ": " << out[0].toStdString();
    }
}
