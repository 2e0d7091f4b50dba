#include "core/Files.h"
#include "core/OutputFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace ostrivo;

TEST(Files, NameThatDiffersOnlyInCaseIsFound)
{
    test::ScopedCurrentDir dir;
    QDir().mkdir(QStringLiteral("Immagini"));
    test::writeFile(QStringLiteral("Archivio.MDB"), "x");
    test::writeFile(QStringLiteral("Immagini/Logo.JPG"), "x");
    EXPECT_EQ(resolveExistingFile(QStringLiteral("Archivio.MDB")), QStringLiteral("Archivio.MDB"));
    EXPECT_EQ(resolveExistingFile(QStringLiteral("archivio.mdb")), QStringLiteral("Archivio.MDB"));
    EXPECT_EQ(resolveExistingFile(QStringLiteral("immagini/logo.jpg")), QStringLiteral("Immagini/Logo.JPG"));
    EXPECT_TRUE(fileExists(dir.file(QStringLiteral("ARCHIVIO.mdb"))));
    EXPECT_FALSE(fileExists(QStringLiteral("archivio.mdbx")));
    EXPECT_FALSE(fileExists(QStringLiteral("immagini")));  // a folder is not a file
    EXPECT_FALSE(fileExists(QString()));
}

// U+FFFD is what Qt makes of bytes that are no UTF-8: such a name would write another file.
TEST(OutputFile, ANameWithTheReplacementCharacterIsRefused)
{
    test::ScopedCurrentDir dir;
    OutputFile file(QStringLiteral("x\uFFFD.pdf"), QStringLiteral("il file PDF"));
    EXPECT_THROW(file.openForWriting(), Error);
    EXPECT_TRUE(QDir().entryList(QDir::Files | QDir::Hidden).isEmpty());
}
