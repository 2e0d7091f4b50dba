#include "app/PrintRequest.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <stdexcept>

using namespace ostrivo;

namespace {

// Sets or unsets PCLocal for the life of the object.
class ScopedPcLocal {
public:
    explicit ScopedPcLocal(const char* value)
        : had_(qEnvironmentVariableIsSet("PCLocal")), old_(qgetenv("PCLocal"))
    {
        if (value)
            qputenv("PCLocal", value);
        else
            qunsetenv("PCLocal");
    }
    ~ScopedPcLocal()
    {
        if (had_)
            qputenv("PCLocal", old_);
        else
            qunsetenv("PCLocal");
    }

private:
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST(PrintRequest, FileNameIsVarnil3ThenPcLocalThenPss)
{
    {
        ScopedPcLocal pc("PC2");
        EXPECT_EQ(printRequestFileName(), QStringLiteral("Varnil3PC2.pss"));
    }
    {
        ScopedPcLocal pc("Sala Colazioni");
        EXPECT_EQ(printRequestFileName(), QStringLiteral("Varnil3Sala Colazioni.pss"));
    }
    {
        ScopedPcLocal pc(nullptr);
        EXPECT_EQ(printRequestFileName(), QStringLiteral("Varnil3.pss"));
    }
    {
        ScopedPcLocal pc("");
        EXPECT_EQ(printRequestFileName(), QStringLiteral("Varnil3.pss"));
    }
}

TEST(PrintRequest, CrLfLines)
{
    const PrintRequest r = parsePrintRequest("C:\\Report\\arrivi.vn3\r\n01/05/2024\r\nROSSI\r\n");
    EXPECT_EQ(r.templatePath, QStringLiteral("C:\\Report\\arrivi.vn3"));
    EXPECT_EQ(r.values, (QStringList{QStringLiteral("01/05/2024"), QStringLiteral("ROSSI")}));
}

TEST(PrintRequest, LfLinesAndALastLineWithoutLineEnd)
{
    const PrintRequest lf = parsePrintRequest("arrivi.vn3\n12\nROSSI\n");
    EXPECT_EQ(lf.templatePath, QStringLiteral("arrivi.vn3"));
    EXPECT_EQ(lf.values, (QStringList{QStringLiteral("12"), QStringLiteral("ROSSI")}));

    const PrintRequest open = parsePrintRequest("arrivi.vn3\r\n12\r\nROSSI");
    EXPECT_EQ(open.values, (QStringList{QStringLiteral("12"), QStringLiteral("ROSSI")}));

    const PrintRequest onlyTemplate = parsePrintRequest("arrivi.vn3");
    EXPECT_EQ(onlyTemplate.templatePath, QStringLiteral("arrivi.vn3"));
    EXPECT_TRUE(onlyTemplate.values.isEmpty());
}

TEST(PrintRequest, EmptyLinesAreEmptyValuesAndBlanksAreKept)
{
    const PrintRequest r = parsePrintRequest("arrivi.vn3\r\n\r\n ROSSI \r\n\r\n");
    EXPECT_EQ(r.values, (QStringList{QString(), QStringLiteral(" ROSSI "), QString()}));
}

TEST(PrintRequest, EmptyFile)
{
    const PrintRequest r = parsePrintRequest(QByteArray());
    EXPECT_TRUE(r.templatePath.isEmpty());
    EXPECT_TRUE(r.values.isEmpty());
}

TEST(PrintRequest, ThirtyValuesAreKeptAndLaterLinesIgnored)
{
    QByteArray bytes = "modulo.vn3\r\n";
    for (int k = 1; k <= 33; ++k)
        bytes += "v" + QByteArray::number(k) + "\r\n";
    const PrintRequest r = parsePrintRequest(bytes);
    ASSERT_EQ(r.values.size(), 30);
    EXPECT_EQ(r.values.first(), QStringLiteral("v1"));
    EXPECT_EQ(r.values.last(), QStringLiteral("v30"));

    VN3Routine model;
    applyPrintRequest(r, model);
    EXPECT_EQ(model.ValoriRichiesta(30), QStringLiteral("v30"));
}

TEST(PrintRequest, Windows1252Bytes)
{
    // "città" and "Forlì", the euro sign and the acute accent as Windows writes them.
    const PrintRequest r = parsePrintRequest("C:\\Report\\citt\xE0.vn3\r\nForl\xEC\r\n\x80 10\r\nL\xB4" "ALBERGO\r\n");
    EXPECT_EQ(r.templatePath, QStringLiteral("C:\\Report\\citt\u00E0.vn3"));
    EXPECT_EQ(r.values, (QStringList{QStringLiteral("Forl\u00EC"), QStringLiteral("\u20AC 10"), QStringLiteral("L\u00B4ALBERGO")}));
}

TEST(PrintRequest, ApplyClearsEarlierValues)
{
    VN3Routine model;
    for (int k = 1; k <= 30; ++k)
        model.ValoriRichiesta(k) = QStringLiteral("vecchio");
    applyPrintRequest(parsePrintRequest("nuovo.vn3\r\n\r\nDUE\r\n"), model);
    EXPECT_EQ(model.NomeModulo, QStringLiteral("nuovo.vn3"));
    EXPECT_EQ(model.ValoriRichiesta(1), QString());
    EXPECT_EQ(model.ValoriRichiesta(2), QStringLiteral("DUE"));
    for (int k = 3; k <= 30; ++k)
        EXPECT_EQ(model.ValoriRichiesta(k), QString()) << k;
}

// The start-up decision against files in a temporary current directory.
class PrintRequestStartUp : public ::testing::Test {
protected:
    test::ScopedCurrentDir dir;
    ScopedPcLocal pc{"PC2"};
    VN3Routine model;
    int prints = 0;
    QString printedTemplate;
    QString printedValue2;

    std::optional<int> handle(const std::function<void()>& extra = {})
    {
        return handlePrintRequest(model, [&] {
            ++prints;
            printedTemplate = model.NomeModulo;
            printedValue2 = model.ValoriRichiesta(2);
            if (extra)
                extra();
        });
    }
};

TEST_F(PrintRequestStartUp, NoRequestMeansDesignerMode)
{
    // A request for another workstation is not ours.
    test::writeFile(QStringLiteral("Varnil3.pss"), "modulo.vn3\r\n");
    test::writeTemplate(QStringLiteral("modulo.vn3"), {QStringLiteral("[TESTA]")});
    EXPECT_FALSE(handle().has_value());
    EXPECT_EQ(prints, 0);
    EXPECT_TRUE(QFile::exists(QStringLiteral("Varnil3.pss")));
    EXPECT_TRUE(model.NomeModulo.isEmpty());
}

TEST_F(PrintRequestStartUp, ExistingTemplateIsPrintedWithTheValuesAndTheFileDeleted)
{
    test::writeTemplate(QStringLiteral("arrivi.vn3"), {QStringLiteral("[TESTA]")});
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "arrivi.vn3\r\n12\r\nROSSI");
    EXPECT_EQ(handle(), std::optional<int>(0));
    EXPECT_EQ(prints, 1);
    EXPECT_EQ(printedTemplate, QStringLiteral("arrivi.vn3"));
    EXPECT_EQ(printedValue2, QStringLiteral("ROSSI"));
    EXPECT_EQ(model.ValoriRichiesta(1), QStringLiteral("12"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("Varnil3PC2.pss")));
}

TEST_F(PrintRequestStartUp, TemplateByAbsolutePath)
{
    QDir().mkdir(QStringLiteral("modelli"));
    const QString path = dir.file(QStringLiteral("modelli/arrivi.vn3"));
    test::writeTemplate(path, {QStringLiteral("[TESTA]")});
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), path.toUtf8() + "\n");
    EXPECT_EQ(handle(), std::optional<int>(0));
    EXPECT_EQ(printedTemplate, path);
}

TEST_F(PrintRequestStartUp, MissingTemplatePrintsNothingAndStillDeletesTheFile)
{
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "manca.vn3\r\n1\r\n");
    EXPECT_EQ(handle(), std::optional<int>(0));
    EXPECT_EQ(prints, 0);
    EXPECT_FALSE(QFile::exists(QStringLiteral("Varnil3PC2.pss")));
}

TEST_F(PrintRequestStartUp, EmptyRequestOrAFolderNamedLikeTheTemplatePrintsNothing)
{
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "");
    EXPECT_EQ(handle(), std::optional<int>(0));
    EXPECT_FALSE(QFile::exists(QStringLiteral("Varnil3PC2.pss")));

    QDir().mkdir(QStringLiteral("cartella.vn3"));
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "cartella.vn3\r\n");
    EXPECT_EQ(handle(), std::optional<int>(0));
    EXPECT_EQ(prints, 0);
    EXPECT_FALSE(QFile::exists(QStringLiteral("Varnil3PC2.pss")));
}

TEST_F(PrintRequestStartUp, AFailedPrintStillDeletesTheFileAndEndsWithStatus1)
{
    test::writeTemplate(QStringLiteral("arrivi.vn3"), {QStringLiteral("[TESTA]")});
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "arrivi.vn3\r\n");
    EXPECT_EQ(handle([] { throw std::runtime_error("stampante sparita"); }), std::optional<int>(1));
    EXPECT_EQ(prints, 1);
    EXPECT_FALSE(QFile::exists(QStringLiteral("Varnil3PC2.pss")));
}

TEST_F(PrintRequestStartUp, AFolderNamedLikeTheRequestIsNoRequest)
{
    test::writeTemplate(QStringLiteral("arrivi.vn3"), {QStringLiteral("[TESTA]")});
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("Varnil3PC2.pss")));
    test::writeFile(QStringLiteral("Varnil3PC2.pss/dentro.txt"), "arrivi.vn3\r\n");
    // Designer mode, at this start and the next, and nothing inside it is touched.
    for (int start = 1; start <= 2; ++start)
        EXPECT_FALSE(handle().has_value()) << start;
    EXPECT_EQ(prints, 0);
    EXPECT_TRUE(model.NomeModulo.isEmpty());
    EXPECT_TRUE(QFile::exists(QStringLiteral("Varnil3PC2.pss/dentro.txt")));
}

TEST_F(PrintRequestStartUp, ARequestThatIsNoFileOrTooLargeIsDeletedUnreadWithStatus1)
{
    test::writeTemplate(QStringLiteral("arrivi.vn3"), {QStringLiteral("[TESTA]")});
    const QByteArray name = QFile::encodeName(QStringLiteral("Varnil3PC2.pss"));
    const std::vector<std::function<void()>> requests = {
        [&] { ASSERT_EQ(::mkfifo(name.constData(), 0600), 0); },  // would block a reader for ever
        [&] { ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), QStringLiteral("Varnil3PC2.pss"))); },  // never ends
        [&] { test::writeFile(QStringLiteral("Varnil3PC2.pss"), "arrivi.vn3\r\n" + QByteArray(17 * 1024 * 1024, 'x')); },
    };
    for (const auto& make : requests) {
        make();
        EXPECT_EQ(handle(), std::optional<int>(1));
        EXPECT_EQ(prints, 0);
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("Varnil3PC2.pss")) || QFileInfo(QStringLiteral("Varnil3PC2.pss")).isSymLink());
    }
}

// Bytes that are no UTF-8 (PCLocal, the template named by a request) never stand for another
// file's name: status 1 and a message.
TEST_F(PrintRequestStartUp, NamesThatAreNotUtf8AreNeverTakenForOthers)
{
    // The request is Windows-1252: the template's name holds the same bytes as the file's.
    ::close(::open("arriv\xE9.vn3", O_WRONLY | O_CREAT, 0644));
    test::writeFile(QStringLiteral("Varnil3PC2.pss"), "arriv\xE9.vn3\r\n");
    EXPECT_EQ(handle(), std::optional<int>(1));

    test::writeTemplate(QStringLiteral("arrivi.vn3"), {QStringLiteral("[TESTA]")});
    test::writeFile(QStringLiteral("Varnil3PC\uFFFD.pss"), "arrivi.vn3\r\n");  // what the name decodes to
    ::close(::open("Varnil3PC\xFF.pss", O_WRONLY | O_CREAT, 0644));
    ScopedPcLocal undecodable("PC\xFF");
    EXPECT_EQ(handle(), std::optional<int>(1));
    EXPECT_EQ(prints, 0);
    EXPECT_NE(::access("Varnil3PC\xFF.pss", F_OK), 0);
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("Varnil3PC\uFFFD.pss")));
}
