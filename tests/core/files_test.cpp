#include "core/Files.h"
#include "core/OutputFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

#include <sys/stat.h>
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

// What each kind of target becomes: a regular file is replaced whole and keeps its mode, unless
// the run ends without commit; a link's file gets the content and the link stays; a device is
// written into, never replaced; a folder is refused before anything is written.
TEST(OutputFile, EachKindOfTargetGetsTheContentOnlyOnCommit)
{
    enum class Target { None, Regular, Link, Folder, Device };
    enum class End { Commit, Discard, Abandon };
    struct Case {
        const char* name;
        Target target;
        End end;
        bool refused;
        QByteArray content;  // of o.pdf (through the link) at the end
    };
    const Case cases[] = {
        {"new file", Target::None, End::Commit, false, "nuovo"},
        {"regular file replaced", Target::Regular, End::Commit, false, "nuovo"},
        {"discarded", Target::Regular, End::Discard, false, "vecchio"},
        {"abandoned", Target::Regular, End::Abandon, false, "vecchio"},
        {"link followed", Target::Link, End::Commit, false, "nuovo"},
        {"folder", Target::Folder, End::Commit, true, {}},
        {"device", Target::Device, End::Commit, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScopedCurrentDir dir;
        QString path = QStringLiteral("o.pdf");
        if (c.target == Target::Regular || c.target == Target::Link) {
            test::writeFile(QStringLiteral("o.pdf"), "vecchio");
            ASSERT_EQ(::chmod("o.pdf", 0640), 0);
        }
        if (c.target == Target::Link) {
            ASSERT_EQ(::symlink("o.pdf", "link.pdf"), 0);
            path = QStringLiteral("link.pdf");
        }
        if (c.target == Target::Folder)
            QDir().mkdir(path);
        if (c.target == Target::Device)
            path = QStringLiteral("/dev/null");
        {
            OutputFile file(path, QStringLiteral("il file PDF"));
            if (c.refused) {
                EXPECT_THROW(file.openForWriting(), Error);
                continue;
            }
            file.openForWriting();
            file.write("nuovo");
            if (c.end == End::Commit)
                file.commit();
            else if (c.end == End::Discard)
                file.discard();
        }
        struct stat info {};
        ASSERT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0);
        if (c.target == Target::Device) {
            EXPECT_TRUE(S_ISCHR(info.st_mode));
            continue;
        }
        EXPECT_EQ(test::readFile(QStringLiteral("o.pdf")), c.content);
        EXPECT_EQ(S_ISLNK(info.st_mode), c.target == Target::Link);
        if (c.target != Target::None) {
            ASSERT_EQ(::stat("o.pdf", &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0640u);
        }
        // No temporary is left beside the target, whatever the end.
        EXPECT_TRUE(QDir().entryList({QStringLiteral(".o.pdf.*")}, QDir::Files | QDir::Hidden).isEmpty());
    }
}
