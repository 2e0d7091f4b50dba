// What a print may write and read: outputs never replace an input or a device, a failed run leaves
// nothing half written, and inputs that are no regular file, or too large, end with a message.
#include "support/PdfText.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ostrivo;

namespace {

const QStringList kTemplate = {
    QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("dati.db,Clienti,"),
    QStringLiteral("[PARAMETRI]"), QStringLiteral("[IMMAGINI]"), QStringLiteral("logo.png,2.00,1.00,10.00,5.00,"),
    QStringLiteral("[CAMPI]"), QStringLiteral("dati.db,Clienti,Nome,Str,10,10,30,Arial,10,,"), QStringLiteral("[FINE]")};

class CliOutputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::writeTemplate(dir.file(QStringLiteral("t.vn3")), kTemplate);
        test::createSqliteDatabase(dir.file(QStringLiteral("dati.db")),
                                   QStringLiteral("CREATE TABLE Clienti (NumeroHotel INTEGER, Nome TEXT);"
                                                  "INSERT INTO Clienti VALUES (1, 'Maria');"));
        QImage logo(40, 20, QImage::Format_RGB32);
        logo.fill(Qt::red);
        ASSERT_TRUE(logo.save(dir.file(QStringLiteral("logo.png"))));
    }

    // "--template NAME" first among the options prints that template instead of t.vn3.
    test::RunResult print(QStringList options) const
    {
        QString name = QStringLiteral("t.vn3");
        if (options.value(0) == QLatin1String("--template")) {
            name = options.at(1);
            options.remove(0, 2);
        }
        return test::runBinary(QStringList{QStringLiteral("print"), name} + options, dir.path(), 30000);
    }

    QByteArray bytes(const QString& name) const { return test::readFile(dir.file(name)); }

    test::ScopedCurrentDir dir;
};

}  // namespace

// Each output that is the same file as an input, or as the other output, is refused before
// anything is written: exit 2, every file as it was, no output made.
TEST_F(CliOutputs, AnOutputThatIsAnInputIsRefused)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("t.vn3"), dir.file(QStringLiteral("collegamento.vn3"))));
    // A table whose source line is missing: what follows names the inputs all the same.
    QStringList broken = kTemplate.mid(0, 5);
    broken << QStringLiteral("[TABELLA]") << QStringLiteral("Titolo,10,10,60,Arial,10,") << kTemplate.mid(7, 2)
           << QStringLiteral("[IMMAGINI]") << QStringLiteral("LOGO.PNG,2.00,1.00,10.00,5.00,") << QStringLiteral("[FINE]");
    test::writeTemplate(dir.file(QStringLiteral("rotto.vn3")), broken);
    const QStringList inputs = {QStringLiteral("t.vn3"), QStringLiteral("dati.db"), QStringLiteral("logo.png"),
                                QStringLiteral("rotto.vn3")};
    const struct {
        const char* name;
        QStringList options;
    } cases[] = {
        {"trace onto a database named after a broken table",
         {QStringLiteral("--template"), QStringLiteral("rotto.vn3"), QStringLiteral("--trace"), QStringLiteral("dati.db")}},
        {"trace onto a picture named after a broken table",
         {QStringLiteral("--template"), QStringLiteral("rotto.vn3"), QStringLiteral("--trace"), QStringLiteral("logo.png")}},
        {"trace onto the template", {QStringLiteral("--trace"), QStringLiteral("t.vn3")}},
        {"PDF onto the template", {QStringLiteral("--output"), QStringLiteral("t.vn3")}},
        {"PDF onto a link to the template", {QStringLiteral("--output"), QStringLiteral("collegamento.vn3")}},
        {"PDF onto the database", {QStringLiteral("--output"), QStringLiteral("dati.db")}},
        {"trace onto the picture", {QStringLiteral("--output"), QStringLiteral("a.pdf"), QStringLiteral("--trace"),
                                    dir.file(QStringLiteral("logo.png"))}},
        {"both outputs one file", {QStringLiteral("--output"), QStringLiteral("x.pdf"), QStringLiteral("--trace"),
                                   QStringLiteral("./x.pdf")}},
    };
    std::vector<QByteArray> before;
    for (const QString& input : inputs)
        before.push_back(bytes(input));
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);
    for (const auto& c : cases) {
        const test::RunResult run = print(c.options);
        EXPECT_EQ(run.exitCode, 2) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("stesso file"))) << c.name << ": " << run.err.toStdString();
        for (qsizetype i = 0; i < inputs.size(); ++i)
            EXPECT_EQ(bytes(inputs[i]), before[static_cast<std::size_t>(i)]) << c.name << ": " << inputs[i].toStdString();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), filesBefore) << c.name;
    }
}

TEST_F(CliOutputs, ADeviceOrPipeIsWrittenInPlaceAndNeverReplaced)
{
    // A pipe with a reader receives the whole PDF and stays a pipe.
    const QByteArray fifo = QFile::encodeName(dir.file(QStringLiteral("uscita")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int keepOpen = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);  // a reader is there from now on
    ASSERT_GE(keepOpen, 0);
    QByteArray received;
    std::thread reader([&] {
        const int fd = ::open(fifo.constData(), O_RDONLY);
        char chunk[4096];
        for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
            received.append(chunk, n);
        ::close(fd);
    });
    test::RunResult run = print({QStringLiteral("--output"), QStringLiteral("uscita")});
    ::close(keepOpen);
    if (run.exitCode != 0) {  // the reader still waits for a writer
        const int unblock = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        ::close(unblock);
    }
    reader.join();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(received.startsWith("%PDF-")) << received.left(20).toStdString();
    EXPECT_TRUE(received.trimmed().endsWith("%%EOF"));
    struct stat info {};
    ASSERT_EQ(::stat(fifo.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A pipe nobody reads is a failure that blocks nothing; a full device says so, naming it.
    run = print({QStringLiteral("--output"), QStringLiteral("uscita")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("nessun programma legge"))) << run.err.toStdString();
    if (QFileInfo::exists(QStringLiteral("/dev/full"))) {
        run = print({QStringLiteral("--output"), QStringLiteral("/dev/full")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("\"/dev/full\": spazio su disco esaurito"))) << run.err.toStdString();
    }
}

TEST_F(CliOutputs, AReplacedOutputKeepsItsPermissionBits)
{
    test::writeFile(dir.file(QStringLiteral("vecchio.pdf")), "vecchio");
    test::writeFile(dir.file(QStringLiteral("vecchia.jsonl")), "vecchia");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file(QStringLiteral("vecchio.pdf"))).constData(), 0604), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.file(QStringLiteral("vecchia.jsonl"))).constData(), 0640), 0);
    const test::RunResult run = print({QStringLiteral("--output"), QStringLiteral("vecchio.pdf"), QStringLiteral("--trace"),
                                       QStringLiteral("vecchia.jsonl")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(bytes(QStringLiteral("vecchio.pdf")).startsWith("%PDF-"));
    EXPECT_TRUE(bytes(QStringLiteral("vecchia.jsonl")).startsWith("{\"op\":"));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(QStringLiteral("vecchio.pdf"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    ASSERT_EQ(::stat(QFile::encodeName(dir.file(QStringLiteral("vecchia.jsonl"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(CliOutputs, AFailedPrintLeavesItsTraceAndNoPdf)
{
    QStringList lines = kTemplate;
    lines.insert(lines.size() - 1, QStringLiteral("manca.mdb,Clienti,Nome,Str,10,12,30,Arial,10,,"));
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")), lines);
    const test::RunResult run = print({QStringLiteral("--output"), QStringLiteral("o.pdf"), QStringLiteral("--trace"),
                                       QStringLiteral("o.jsonl")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("o.pdf"))));
    // The trace goes up to the failure: the picture and the first field were drawn.
    const QByteArray trace = bytes(QStringLiteral("o.jsonl"));
    EXPECT_TRUE(trace.contains("\"op\":\"picture\"")) << trace.toStdString();
    EXPECT_TRUE(trace.contains("\"text\":\"Maria\"")) << trace.toStdString();
    EXPECT_FALSE(trace.contains("\"op\":\"end\""));
    // Nothing else is left in the folder: no temporary file.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

// Inputs that are no regular file, or larger than any template, end with a message naming them:
// never a hang, an abort or a line-less message for a line too long.
TEST_F(CliOutputs, InputsThatCannotBeReadEndWithAMessage)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("pipe.vn3"))).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.file(QStringLiteral("zero.vn3"))));
    test::writeFile(dir.file(QStringLiteral("enorme.vn3")), QByteArray(17 * 1024 * 1024, 'a'));
    test::writeFile(dir.file(QStringLiteral("lunga.vn3")), "[TESTA]\r\n1\r\n" + QByteArray(70000, 'x') + "\r\n");
    const struct {
        const char* file;
        const char* says;
    } cases[] = {
        {"pipe.vn3", "pipe.vn3: impossibile leggere il modello di stampa: è una pipe"},
        {"zero.vn3", "zero.vn3: impossibile leggere il modello di stampa: è un dispositivo"},
        {"enorme.vn3", "enorme.vn3: impossibile leggere il modello di stampa: il file è più grande di 16 MB"},
        {"lunga.vn3", "lunga.vn3:3: la riga è lunga 70000 caratteri"},
    };
    for (const auto& c : cases) {
        const QString file = QString::fromUtf8(c.file);
        const QString says = QString::fromUtf8(c.says);
        test::RunResult run = test::runBinary({QStringLiteral("check"), file}, dir.path(), 20000);
        EXPECT_EQ(run.exitCode, 1) << c.file << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(says)) << c.file << ": " << run.out.toStdString();
        run = test::runBinary({QStringLiteral("print"), file, QStringLiteral("--output"), QStringLiteral("o.pdf")}, dir.path(),
                              20000);
        EXPECT_EQ(run.exitCode, 1) << c.file << ": " << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << c.file;
    }
    // A database that is a pipe fails the print; a picture that is one, or no picture at all, is
    // an element error: the report is printed without it, with exit 3.
    QFile::remove(dir.file(QStringLiteral("dati.db")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("dati.db"))).constData(), 0600), 0);
    test::RunResult run = print({QStringLiteral("--output"), QStringLiteral("o.pdf")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("è una pipe"))) << run.err.toStdString();
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")), kTemplate.mid(0, 7) + QStringList{QStringLiteral("[FINE]")});
    for (const char* picture : {"pipe", "broken"}) {
        QFile::remove(dir.file(QStringLiteral("logo.png")));
        if (QByteArray(picture) == "pipe")
            ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file(QStringLiteral("logo.png"))).constData(), 0600), 0);
        else
            test::writeFile(dir.file(QStringLiteral("logo.png")), "\x89PNG\r\n\x1a\n not really");
        run = print({QStringLiteral("--output"), QStringLiteral("o.pdf")});
        EXPECT_EQ(run.exitCode, 3) << picture << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("logo.png"))) << picture << ": " << run.err.toStdString();
        EXPECT_TRUE(bytes(QStringLiteral("o.pdf")).startsWith("%PDF-")) << picture;
    }
    // A missing picture is left out without an error, and said with its line.
    QFile::remove(dir.file(QStringLiteral("logo.png")));
    run = print({QStringLiteral("--output"), QStringLiteral("o.pdf")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.startsWith(QStringLiteral("t.vn3:7: avviso: ")) && run.err.contains(QStringLiteral("\"logo.png\"")))
        << run.err.toStdString();
}

// Names that are no UTF-8 are refused as they are given: never decoded into another file's name.
TEST_F(CliOutputs, ANameThatIsNotUtf8IsRefused)
{
    // What each name would become, decoded.
    test::writeFile(dir.file(QStringLiteral("x\uFFFD.pdf")), "altro");
    ASSERT_TRUE(QFile::copy(dir.file(QStringLiteral("t.vn3")), dir.file(QStringLiteral("Citt\uFFFD.vn3"))));
    const struct {
        const char* arguments;  // as printf(1) takes them
        const char* says;
    } cases[] = {
        {"t.vn3 --output x\\377.pdf", "\"x\\xFF.pdf\": l'argomento non è testo UTF-8"},
        {"Citt\\340.vn3 --output o.pdf", "\"Citt\\xE0.vn3\": l'argomento non è testo UTF-8"},
    };
    for (const auto& c : cases) {
        QProcess shell;  // hands the program the bytes as they are
        shell.setWorkingDirectory(dir.path());
        shell.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec \"$0\" print $(printf '%1')").arg(QString::fromUtf8(c.arguments)),
                     test::binaryPath()});
        ASSERT_TRUE(shell.waitForFinished(30000));
        EXPECT_EQ(shell.exitCode(), 2) << c.arguments;
        EXPECT_TRUE(QString::fromUtf8(shell.readAllStandardError()).contains(QString::fromUtf8(c.says))) << c.arguments;
        EXPECT_EQ(bytes(QStringLiteral("x\uFFFD.pdf")), "altro") << c.arguments;
        EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("o.pdf")))) << c.arguments;
    }
}

// A picture larger than the image loader's limit prints, read at the size it prints at.
// An interlaced 8-bit RGB PNG of one colour: Qt writes none.
static QByteArray interlacedPng(int width, int height)
{
    auto bigEndian = [](quint32 n) {
        const char bytes[] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
        return QByteArray(bytes, 4);
    };
    auto chunk = [&](const QByteArray& body) {
        quint32 crc = 0xFFFFFFFF;
        for (const char b : body) {
            crc ^= static_cast<unsigned char>(b);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        return bigEndian(static_cast<quint32>(body.size() - 4)) + body + bigEndian(~crc);
    };
    QByteArray rows;
    const int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& [x0, y0, dx, dy] : passes) {
        const int columns = (width - x0 + dx - 1) / dx;
        for (int y = y0; y < height && columns > 0; y += dy)
            rows += '\0' + QByteArray(columns * 3, '\x40');
    }
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR" + bigEndian(width) + bigEndian(height) + QByteArray("\x08\x02\x00\x00\x01", 5)) +
           chunk("IDAT" + qCompress(rows).mid(4)) + chunk("IEND");
}

// A picture larger than the image loader's limit prints, read at the size it prints at, whatever
// kind of PNG it is.
TEST_F(CliOutputs, ALargePictureIsReadAtItsPrintedSize)
{
    if (!test::runProgram(QStringLiteral("pdfimages"), {QStringLiteral("-v")}))
        GTEST_SKIP() << "pdfimages (poppler-utils) is not installed";
    const struct {
        const char* kind;
        QImage::Format format;  // Format_Invalid: interlaced
    } cases[] = {{"8-bit RGB", QImage::Format_RGB32}, {"16-bit", QImage::Format_RGBA64}, {"grey", QImage::Format_Grayscale8},
                 {"palette", QImage::Format_Indexed8}, {"interlaced", QImage::Format_Invalid}};
    for (const auto& c : cases) {
        QImage photo(1600, 1200, c.format == QImage::Format_Invalid ? QImage::Format_RGB32 : c.format);
        if (c.format == QImage::Format_Indexed8) {
            photo.setColorTable({qRgb(0, 100, 0)});
            photo.fill(0);
        } else {
            photo.fill(Qt::darkGreen);
        }
        if (c.format == QImage::Format_Invalid)
            test::writeFile(dir.file(QStringLiteral("logo.png")), interlacedPng(1600, 1200));
        else
            ASSERT_TRUE(photo.save(dir.file(QStringLiteral("logo.png")))) << c.kind;
        // The loader's limit, lowered so that the photo is past it whole (1.9 MB at least) as an
        // 8000 x 8000 photo is past the default.
        qputenv("QT_IMAGEIO_MAXALLOC", "1");
        const test::RunResult run = print({QStringLiteral("--output"), QStringLiteral("o.pdf")});
        qunsetenv("QT_IMAGEIO_MAXALLOC");
        ASSERT_EQ(run.exitCode, 0) << c.kind << ": " << run.err.toStdString();
        const auto list = test::runProgram(QStringLiteral("pdfimages"), {QStringLiteral("-list"), dir.file(QStringLiteral("o.pdf"))});
        ASSERT_TRUE(list && list->ok);
        // The photo is read at the size it prints at: about an inch wide, of the printed rectangle's
        // shape (10 by 5 units of an 80 by 75 page, the page 200 by 287 mm).
        static const QRegularExpression image(QStringLiteral("^\\s*1\\s+\\d+\\s+image\\s+(\\d+)\\s+(\\d+)"),
                                              QRegularExpression::MultilineOption);
        const auto m = image.match(QString::fromUtf8(list->out));
        ASSERT_TRUE(m.hasMatch()) << c.kind << ": " << list->out.toStdString();
        const double width = m.captured(1).toDouble();
        const double height = m.captured(2).toDouble();
        EXPECT_GE(width, 150) << c.kind;
        EXPECT_LE(width, 600) << c.kind;
        EXPECT_NEAR(width / height, (10.0 / 80 * 200) / (5.0 / 75 * 287), 0.01) << c.kind;
    }
}

// The page count goes to stderr as the print runs, on a terminal only: a script that reads
// stderr gets nothing but messages.
TEST_F(CliOutputs, PagesAreCountedOnATerminalOnly)
{
    QString rows;
    for (int i = 0; i < 200; ++i)
        rows += QStringLiteral("INSERT INTO Clienti VALUES (1, 'Cliente %1');").arg(i);
    test::createSqliteDatabase(dir.file(QStringLiteral("dati.db")), rows);
    test::writeTemplate(dir.file(QStringLiteral("t.vn3")),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("dati.db,Clienti,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("[TABELLA]"), QStringLiteral("Clienti,2,2,40,Arial,9,"),
                         QStringLiteral("dati.db,Clienti,Nome,,"), QStringLiteral("Nome,Nome,20,Str,N,,20,"),
                         QStringLiteral("[FINE TABELLA]"), QStringLiteral("[FINE]")});
    const test::RunResult piped = print({QStringLiteral("--output"), QStringLiteral("out.pdf")});
    ASSERT_EQ(piped.exitCode, 0) << piped.err.toStdString();
    EXPECT_EQ(piped.err, QString());

    // script(1) gives the program a terminal and copies what it shows.
    if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty())
        GTEST_SKIP() << "script (util-linux) is not installed; the terminal's count is not checked";
    QProcess terminal;
    terminal.setWorkingDirectory(dir.path());
    terminal.start(QStringLiteral("script"), {QStringLiteral("-qec"), QStringLiteral("'%1' print t.vn3 --output tty.pdf").arg(test::binaryPath()),
                                              QStringLiteral("/dev/null")});
    ASSERT_TRUE(terminal.waitForFinished(60000));
    const QString shown = QString::fromUtf8(terminal.readAllStandardOutput());
    ASSERT_EQ(terminal.exitCode(), 0) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("\rpagina 2"))) << shown.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\r\\d+ pagine\\r?\\n")).match(shown).hasMatch()) << shown.toStdString();
}

// Started elsewhere, a command reads the template's names from the template's folder and writes
// the outputs the user named where it started; an output is refused as the file it is.
TEST_F(CliOutputs, TheTemplatesNamesAreReadFromItsFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("altrove")));
    const QString elsewhere = dir.file(QStringLiteral("altrove"));
    const struct {
        const char* arguments;
        int exitCode;
        const char* written;  // in the folder started in
    } cases[] = {
        {"print ../t.vn3 --output o.pdf --trace o.jsonl", 0, "o.pdf"},
        {"print ../t.vn3 --output dati.db", 0, "dati.db"},
        {"print ../t.vn3 --output ../dati.db", 2, ""},
        {"check ../t.vn3", 0, ""},
        {"resave ../t.vn3 --output copia.vn3", 0, "copia.vn3"},
    };
    for (const auto& c : cases) {
        const test::RunResult run = test::runBinary(QString::fromLatin1(c.arguments).split(QLatin1Char(' ')), elsewhere, 30000);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << ": " << run.err.toStdString() << run.out.toStdString();
        if (*c.written) {
            EXPECT_TRUE(QFileInfo::exists(elsewhere + QLatin1Char('/') + QString::fromLatin1(c.written))) << c.arguments;
        }
    }
    const QByteArray trace = test::readFile(elsewhere + QStringLiteral("/o.jsonl"));
    EXPECT_TRUE(trace.contains("\"op\":\"picture\"")) << trace.toStdString();
    EXPECT_TRUE(trace.contains("\"text\":\"Maria\"")) << trace.toStdString();
    EXPECT_TRUE(bytes(QStringLiteral("dati.db")).startsWith("SQLite format 3"));
}
