#include "core/Files.h"
#include "core/OutputFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>

#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

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

// A temporary that a killed run left goes at the next run on that file; one a live run writes,
// and a file of the user's named like one, stay. Extended attributes go with the content.
TEST(OutputFile, TheNextRunRemovesWhatAKilledOneLeft)
{
    test::ScopedCurrentDir dir;
    const auto output = [] { return std::make_unique<OutputFile>(QStringLiteral("o.pdf"), QStringLiteral("il file PDF")); };
    if (const pid_t child = ::fork(); child == 0) {
        output().release()->openForWriting();
        ::_exit(0);  // as a kill: nothing is removed
    } else {
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    }
    test::writeFile(QStringLiteral(".o.pdf.backup"), "mio");
    test::writeFile(QStringLiteral("o.pdf"), "vecchio");
    const bool attributes = ::setxattr("o.pdf", "user.ostrivo", "1", 1, 0) == 0;
    auto temporaries = [] { return QDir().entryList({QStringLiteral(".o.pdf.*")}, QDir::Files | QDir::Hidden); };
    ASSERT_EQ(temporaries().size(), 2);
    const auto live = output();
    live->openForWriting();
    const auto next = output();
    next->openForWriting();
    next->commit();
    EXPECT_EQ(temporaries().size(), 2);  // the live one and the user's
    EXPECT_TRUE(temporaries().contains(QStringLiteral(".o.pdf.backup")));
    EXPECT_TRUE(test::readFile(QStringLiteral("o.pdf")).isEmpty());
    EXPECT_TRUE(!attributes || ::getxattr("o.pdf", "user.ostrivo", nullptr, 0) == 1);
}
