// The designer's template files: loading into the model and the canvas, saving, and the round trip
// that must never change what the print run prints.
#include "template/TemplateFiles.h"

#include "TemplateGenerator.h"
#include "app/PrintCommand.h"
#include "engine/PrintRun.h"
#include "core/Cp1252.h"
#include "print/RecordingPrinter.h"
#include "template/TemplateReader.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

const QStringList kWorkedExample = test::workedExampleTemplate();

QStringList split(const QString& lines)
{
    return lines.split(QLatin1Char('\n'));
}

// A template: the page block of a portrait 80 by 75 page, then the given lines.
QStringList templ(const QString& body)
{
    return split(QStringLiteral("[TESTA]\n1\n80,75,\nt.db,Righe,") + (body.isEmpty() ? QString() : QLatin1Char('\n') + body));
}

QStringList withoutLastEmpty(QStringList lines)
{
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The designer's two values, as at start-up.
struct Designer {
    Designer() { PulisciPagina(model, canvas); }

    void open(const QStringList& lines, const QString& name = QStringLiteral("t.vn3"))
    {
        test::writeTemplate(name, lines);
        CaricaModulo(name, model, canvas);
    }
    QStringList saved() { return withoutLastEmpty(split(templateText(model, canvas).remove(QLatin1Char('\r')))); }
    const CanvasControl& at(CanvasSet set, int i) const { return canvas.control({set, i}); }

    VN3Routine model;
    CanvasModel canvas;
};

QString boxOf(const CanvasControl& c)
{
    return QStringLiteral("%1 %2 %3 %4").arg(c.left).arg(c.top).arg(c.width).arg(c.height);
}

}  // namespace

TEST(TemplateFiles, WorkedExampleLoadsIntoItsObjectsAndSavesBackByteForByte)
{
    test::ScopedCurrentDir dir;
    Designer d;
    d.open(kWorkedExample, QStringLiteral("esempio.vn3"));
    const VN3Routine& m = d.model;
    EXPECT_EQ(m.NomeModulo, QStringLiteral("esempio.vn3"));
    EXPECT_EQ(m.Orientamento, QStringLiteral("Verticale"));
    ASSERT_EQ(m.NumParametri, 1);
    EXPECT_EQ(m.ElencoParametri(1, ParameterAttr::TypeCode), QStringLiteral("8"));
    ASSERT_EQ(m.NumImmagini, 1);
    EXPECT_EQ(boxOf(d.at(CanvasSet::Pic1, 1)), QStringLiteral("2 1 10 5"));
    ASSERT_EQ(m.NumRettangoli, 1);
    EXPECT_EQ(boxOf(d.at(CanvasSet::Label2, 1)), QStringLiteral("1 8 78 4"));
    ASSERT_EQ(m.NumCampi, 1);
    EXPECT_EQ(d.at(CanvasSet::Label3, 1).caption, QStringLiteral("Campo DB (1)"));
    ASSERT_EQ(m.NumTesti, 1);
    EXPECT_EQ(d.at(CanvasSet::Label1, 1).caption, QStringLiteral("Data_oggi"));
    EXPECT_EQ(d.at(CanvasSet::Label1, 1).width, 9);
    ASSERT_EQ(m.NumTabelle, 1);
    EXPECT_EQ(d.at(CanvasSet::Label4, 1).width, 1 + 6);
    const CanvasControl& body = d.at(CanvasSet::Label5, 1);
    EXPECT_EQ(body.top, 22);
    EXPECT_EQ(body.top + body.height, 60);
    EXPECT_EQ(body.width, 7);

    SalvaModulo(QStringLiteral("copia.vn3"), d.model, d.canvas);
    EXPECT_EQ(test::readFile(QStringLiteral("copia.vn3")), test::readFile(QStringLiteral("esempio.vn3")));
}

// What the loader builds, one probe a case.
TEST(TemplateFiles, LoadingBuildsTheObjectsAndKeepsWhatTheDesignerDoesNotEdit)
{
    test::ScopedCurrentDir dir;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QStringLiteral("Logo.png")));
    test::writeFile(QStringLiteral("rotta.png"), QByteArray("\x89PNG\r\n\x1a\n not a picture"));

    using Probe = std::function<QString(const Designer&)>;
    struct Case {
        const char* name;
        QStringList lines;
        Probe probe;
        QString expected;
    };
    const auto text1 = [](const Designer& d) { return d.at(CanvasSet::Label1, 1); };
    const auto stacking = [](const Designer& d) {
        QStringList order;
        for (const CanvasRef& ref : d.canvas.stackingOrder())
            order << kindCode(ref.set) + QString::number(ref.index);
        return order.join(QLatin1Char(' '));
    };
    const auto orientation = [](const Designer& d) { return d.model.Orientamento; };
    const Case cases[] = {
        {"a text is one unit wide per character, whatever its size", templ(QStringLiteral("[TESTO]\nDodici lett.,1,1,Arial,20,0,")),
         [&](const Designer& d) { return QString::number(text1(d).width); }, QStringLiteral("12")},
        {"a page width of 80.5 rounds to even", split(QStringLiteral("[TESTA]\n1\n80.5,29.7,\n,,")),
         [](const Designer& d) { return QStringLiteral("%1 %2").arg(d.model.LarghezzaPagina).arg(d.model.AltezzaPagina); },
         QStringLiteral("80 29.7")},
        {"a page width of 81.5 rounds to even", split(QStringLiteral("[TESTA]\n1\n81.5,75,\n,,")),
         [](const Designer& d) { return QString::number(d.model.LarghezzaPagina); }, QStringLiteral("82")},
        {"a landscape page places the canvas", split(QStringLiteral("[TESTA]\n2\n120,60,\n,,")),
         [](const Designer& d) {
             const QRect r = d.canvas.canvasTwips();
             return QStringLiteral("%1 %2 %3 %4 %5").arg(d.model.Orientamento).arg(r.top()).arg(r.left()).arg(r.width()).arg(r.height());
         },
         QStringLiteral("Orizzontale 1300 750 10900 6500")},
        {"orientation 0 is landscape", split(QStringLiteral("[TESTA]\n0\n80,75,\n,,")), orientation, QStringLiteral("Orizzontale")},
        {"orientation 3 is landscape", split(QStringLiteral("[TESTA]\n3\n80,75,\n,,")), orientation, QStringLiteral("Orizzontale")},
        {"an empty orientation is landscape", split(QStringLiteral("[TESTA]\n\n80,75,\n,,")), orientation, QStringLiteral("Orizzontale")},
        {"a table without columns is one unit wide",
         templ(QStringLiteral("[TABELLA]\nT,2,20.5,60,Arial,8,\nt.db,Righe,,,\n[FINE TABELLA]")),
         [](const Designer& d) {
             return boxOf(d.at(CanvasSet::Label4, 1)).section(QLatin1Char(' '), 0, 2) + QStringLiteral(" / ") +
                    boxOf(d.at(CanvasSet::Label5, 1));
         },
         QStringLiteral("2 20.5 1 / 2 22.5 1 38")},
        {"database fields are captioned by their number",
         templ(QStringLiteral("[CAMPI]\na,T,C,Num,1,1,5,Arial,8,,\nb,T,C,Txt,2.5,3,6,Arial,9,N = 1,")),
         [](const Designer& d) {
             return d.at(CanvasSet::Label3, 2).caption + QLatin1Char(' ') + boxOf(d.at(CanvasSet::Label3, 2)).section(QLatin1Char(' '), 0, 2) +
                    QLatin1Char(' ') + d.model.CampiDB(2, FieldAttr::TypeCode) + QLatin1Char('/') + d.model.CampiDB.kept(2).typeWord.value_or(QStringLiteral("-"));
         },
         QStringLiteral("Campo DB (2) 2.5 3 6 /Txt")},
        {"corners in reverse order show the box between them",
         templ(QStringLiteral("[GRIGLIA]\nL,79.00,12.00,1.00,8.00,")),
         [](const Designer& d) {
             const GridShape& s = d.model.gridShapes(1);
             return boxOf(d.at(CanvasSet::Label2, 1)) + QStringLiteral(" %1 %2 %3").arg(*s.kind).arg(s.rightToLeft).arg(s.bottomToTop);
         },
         QStringLiteral("1 8 78 4 L 1 1")},
        {"a line is drawn from its first corner", templ(QStringLiteral("[GRIGLIA]\nL,5,20,30,2,")),
         [](const Designer& d) {
             const GridCorners c = gridCorners(d.at(CanvasSet::Label2, 1), d.model.gridShapes(1));
             return QStringLiteral("%1 %2 %3 %4 %5").arg(c.x1).arg(c.y1).arg(c.x2).arg(c.y2).arg(gridKind(d.model.gridShapes(1)) == GridKind::Line);
         },
         QStringLiteral("5 20 30 2 1")},
        {"objects stack in reading order",
         templ(QStringLiteral("[TESTO]\na,1,1,Arial,8,0,\n[IMMAGINI]\nx.jpg,1,1,1,1,\n[TABELLA]\nT,1,1,9,Arial,8,\nt.db,R,,,\n[FINE TABELLA]\n[GRIGLIA]\nR,1,1,2,2,")),
         stacking, QStringLiteral("T1 I1 A1 A1 R1")},
        {"a picture found without regard to case shows", templ(QStringLiteral("[IMMAGINI]\nlogo.PNG,1,1,5,5,")),
         [](const Designer& d) { return QFileInfo(d.at(CanvasSet::Pic1, 1).picture).fileName() + QLatin1Char(' ') + d.model.Immagini(1); },
         QStringLiteral("Logo.png logo.PNG")},
        {"a missing picture leaves the object without one", templ(QStringLiteral("[IMMAGINI]\nmanca.jpg,1,1,5,5,")),
         [](const Designer& d) { return QStringLiteral("[%1] %2").arg(d.at(CanvasSet::Pic1, 1).picture, d.model.Immagini(1)); },
         QStringLiteral("[] manca.jpg")},
        {"a picture that does not decode leaves the object without one", templ(QStringLiteral("[IMMAGINI]\nrotta.png,1,1,5,5,")),
         [](const Designer& d) { return QStringLiteral("[%1] %2").arg(d.at(CanvasSet::Pic1, 1).picture).arg(d.model.NumImmagini); },
         QStringLiteral("[] 1")},
        {"type words outside the type table are kept, their code left empty",
         templ(QStringLiteral("[PARAMETRI]\nA,=,Intero,1,P,\n[TABELLA]\nT,1,1,9,Arial,8,\nt.db,R,,,\nC,C,5,Null,N,,5,\n[FINE TABELLA]")),
         [](const Designer& d) {
             return QStringLiteral("[%1]%2 [%3]%4").arg(d.model.ElencoParametri(1, ParameterAttr::TypeCode), *d.model.ElencoParametri.kept(1).typeWord,
                                                       d.model.ColonneTabella(1, 1, ColumnAttr::TypeCode), *d.model.ColonneTabella.kept(1, 1).typeWord);
         },
         QStringLiteral("[]Intero []Null")},
        {"a system colour stays negative", templ(QStringLiteral("[TESTO]\na,1,1,Arial,8,-2147483640,")),
         [&](const Designer& d) { return QString::number(text1(d).foreColor.value()); }, QStringLiteral("-2147483640")},
        {"product blocks are kept with the section they followed",
         templ(QStringLiteral("[TESTO]\na,1,1,Arial,8,0,\n[*]\np,p,p,Num,1,1,5,Arial,8,\nt.db,Righe,N,\n[/*]\n[ALTRO]\nx,\n[*]\nq,q,q,Cur,2,2,5,Arial,8,\n[/*]")),
         [](const Designer& d) {
             QStringList kept;
             for (const ProductBlockLines& b : d.model.productBlocks)
                 kept << b.afterSection + QLatin1Char(':') + b.records.join(QLatin1Char('|'));
             return kept.join(QLatin1Char(' '));
         },
         QStringLiteral("[TESTO]:p,p,p,Num,1,1,5,Arial,8,|t.db,Righe,N, [TESTO]:q,q,q,Cur,2,2,5,Arial,8,")},
    };
    for (const Case& c : cases) {
        Designer d;
        d.open(c.lines);
        EXPECT_EQ(c.probe(d), c.expected) << c.name;
    }
}

namespace {

QStringList repeated(const QString& head, const QString& record, int count, const QString& tail = QString())
{
    QStringList lines = templ(head);
    for (int i = 0; i < count; ++i)
        lines << record;
    if (!tail.isEmpty())
        lines << split(tail);
    return lines;
}

}  // namespace

// A malformed file names its line and what was expected, and the designer keeps what was open.
TEST(TemplateFiles, AMalformedFileIsRefusedWithItsLineAndChangesNothing)
{
    test::ScopedCurrentDir dir;
    QDir().mkdir(QStringLiteral("cartella.vn3"));
    struct Case {
        const char* name;
        QStringList lines;  // empty: the file named below is opened as it is
        int line;
        const char* problem;
        QString path = QStringLiteral("rotto.vn3");
    };
    const QString table = QStringLiteral("[TABELLA]\nT,1,1,9,Arial,8,\nt.db,Righe,,,");
    const Case cases[] = {
        {"an empty file", {QString()}, 1, "\"[TESTA]\""},
        {"a file that does not begin with its page block", split(QStringLiteral("[PARAMETRI]\n[TESTA]\n1\n80,75,\n,,")), 1, "[TESTA]"},
        {"a page block cut short", split(QStringLiteral("[TESTA]\n1\n[PARAMETRI]")), 3, "tre righe"},
        {"a page with too few fields", split(QStringLiteral("[TESTA]\n1\n80,\n,,")), 3, "campi"},
        {"a page no unit wide", split(QStringLiteral("[TESTA]\n1\n0.4,75,\n,,")), 3, "da 1 a 1000"},
        {"a page 1001 units high", split(QStringLiteral("[TESTA]\n1\n80,1001,\n,,")), 3, "da 1 a 1000"},
        {"a page that rounds to 1001 units wide", split(QStringLiteral("[TESTA]\n1\n1000.6,75,\n,,")), 3, "da 1 a 1000"},
        {"a fourth line in the page block", templ(QStringLiteral("altro,\n[PARAMETRI]")), 5, "[TESTA]"},
        {"a second page block", templ(QStringLiteral("[TESTO]\na,1,1,Arial,8,0,\n[TESTA]\n1\n80,75,\n,,")), 8, "[TESTA]"},
        {"a text with too few fields", templ(QStringLiteral("[TESTO]\ncorto,1,2,")), 6, "campi"},
        {"a column with too few fields", templ(table + QStringLiteral("\nC,C,5,Str,N,\n[FINE TABELLA]")), 8, "campi"},
        {"a table that runs into [FINE]", templ(table + QStringLiteral("\nC,C,5,Str,N,,5,\n[FINE]")), 9, "riga 6, trovato \"[FINE]\""},
        {"a table that runs to the end", templ(table + QStringLiteral("\nC,C,5,Str,N,,5,")), 8, "riga 6"},
        {"a table without its source", templ(QStringLiteral("[TABELLA]\nT,1,1,9,Arial,8,")), 6, "sorgente"},
        {"a table closed by another section", templ(table + QStringLiteral("\nC,C,5,Str,N,,5,\n[TESTO]\na,1,1,Arial,8,0,\n[FINE TABELLA]")), 9,
         "[FINE TABELLA]"},
        {"a product block without its end", templ(QStringLiteral("[*]\np,p,p,Num,1,1,5,Arial,8,\nt.db,Righe,N,")), 7, "[/*]"},
        {"a 31st parameter", repeated(QStringLiteral("[PARAMETRI]"), QStringLiteral("N,=,Num,1,P,"), 31), 36, "30 parametri"},
        {"a 101st image", repeated(QStringLiteral("[IMMAGINI]"), QStringLiteral("x.jpg,1,1,1,1,"), 101), 106, "100 immagini"},
        {"a 501st rectangle", repeated(QStringLiteral("[GRIGLIA]"), QStringLiteral("R,1,1,2,2,"), 501), 506, "500 rettangoli"},
        {"a 201st field", repeated(QStringLiteral("[CAMPI]"), QStringLiteral("a,T,C,Num,1,1,5,Arial,8,,"), 201), 206, "200 campi"},
        {"a 501st text", repeated(QStringLiteral("[TESTO]"), QStringLiteral("a,1,1,Arial,8,0,"), 501), 506, "500 testi"},
        {"an 11th table",
         repeated(QStringLiteral("[TABELLA]"), QStringLiteral("T,1,1,9,Arial,8,\nt.db,Righe,,,\n[FINE TABELLA]"), 11),
         6 + 10 * 3, "10 tabelle"},
        {"a 61st column", repeated(table, QStringLiteral("C,C,1,Str,N,,1,"), 61, QStringLiteral("[FINE TABELLA]")), 8 + 60,
         "60 colonne"},
        {"a colour beyond 32 bits", templ(QStringLiteral("[TESTO]\na,1,1,Arial,8,4294967296,")), 6, "32 bit"},
        {"a position beyond any page", templ(QStringLiteral("[GRIGLIA]\nR,1e20,1,2,2,")), 6, "fuori misura"},
        {"a file that does not exist", {}, 0, "impossibile aprire", QStringLiteral("manca.vn3")},
        {"a folder", {}, 0, "è una cartella", QStringLiteral("cartella.vn3")},
    };
    for (const Case& c : cases) {
        Designer d;
        d.open(kWorkedExample, QStringLiteral("buono.vn3"));
        const QString before = templateText(d.model, d.canvas);
        const auto stacking = d.canvas.stackingOrder();
        if (!c.lines.isEmpty())
            test::writeTemplate(c.path, c.lines);
        try {
            CaricaModulo(c.path, d.model, d.canvas);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const TemplateError& e) {
            EXPECT_EQ(e.file(), c.path) << c.name;
            EXPECT_EQ(e.line(), c.line) << c.name << ": " << e.description().toStdString();
            EXPECT_TRUE(e.problem().contains(QString::fromUtf8(c.problem))) << c.name << ": " << e.description().toStdString();
        }
        EXPECT_EQ(d.model.NomeModulo, QStringLiteral("buono.vn3")) << c.name;
        EXPECT_EQ(templateText(d.model, d.canvas), before) << c.name;
        EXPECT_EQ(d.canvas.stackingOrder(), stacking) << c.name;
    }
}

// What a save writes for a file that was opened: the number forms, the "Data" rules, and what
// the designer keeps without editing it; opened again, the save writes the same.
TEST(TemplateFiles, SavingAnOpenedFileWritesEachRecordInItsForm)
{
    test::ScopedCurrentDir dir;
    struct Case {
        const char* name;
        QString body;      // after the page block, in the file
        QString expected;  // the saved lines from "[PARAMETRI]" to "[FINE]" and after
    };
    const QString empty = QStringLiteral("[PARAMETRI]\n[IMMAGINI]\n[GRIGLIA]\n[CAMPI]\n[TESTO]\n[TABELLA]\n[FINE]");
    const auto only = [&](const QString& section, const QString& records) {
        QString lines = empty;
        return lines.replace(section, section + QLatin1Char('\n') + records);
    };
    const Case cases[] = {
        {"every section line, also without records", QString(), empty},
        {"rectangle corners in two decimals", QStringLiteral("[GRIGLIA]\nR,1,8,79,12,"),
         only(QStringLiteral("[GRIGLIA]"), QStringLiteral("R,1.00,8.00,79.00,12.00,"))},
        {"kind letters and corner order as read",
         QStringLiteral("[GRIGLIA]\nL,79.00,12.00,1.00,8.00,\nX,1.00,8.50,2.25,3.00,\nL,5.00,5.00,5.00,20.00,"),
         only(QStringLiteral("[GRIGLIA]"), QStringLiteral("L,79.00,12.00,1.00,8.00,\nX,1.00,8.50,2.25,3.00,\nL,5.00,5.00,5.00,20.00,"))},
        {"texts at whole units, halves away from zero, caption untouched",
         QStringLiteral("[TESTO]\n  spazi ,2.5,-2.5,Arial,10.5,255,\nData_oggi,60.4,2,Arial,10,0,"),
         only(QStringLiteral("[TESTO]"), QStringLiteral("  spazi ,3,-3,Arial,11,255,\nData_oggi,60,2,Arial,10,0,"))},
        {"field numbers in their shortest form, names without folders",
         QStringLiteral("[CAMPI]\nC:\\Dati\\t.db,Righe,N,Num,5.50,010,30.0,Arial,10.0,N = 1,"),
         only(QStringLiteral("[CAMPI]"), QStringLiteral("t.db,Righe,N,Num,5.5,10,30,Arial,10,N = 1,"))},
        {"columns named Data are dates, data is not",
         QStringLiteral("[PARAMETRI]\nDataArrivo,>=,Str,<nessuno>,Dal,\ndataPartenza,<=,Str,<nessuno>,Al,\n[CAMPI]\nt.db,Righe,DataNascita,Num,1,1,5,Arial,8,,"),
         only(QStringLiteral("[PARAMETRI]"), QStringLiteral("DataArrivo,>=,Date,<nessuno>,Dal,\ndataPartenza,<=,Str,<nessuno>,Al,"))
             .replace(QStringLiteral("[CAMPI]"), QStringLiteral("[CAMPI]\nt.db,Righe,DataNascita,Date,1,1,5,Arial,8,,"))},
        {"type words outside the type table as read",
         QStringLiteral("[PARAMETRI]\nN,=,Intero,1,P,\n,,,,,\n[CAMPI]\nt.db,Righe,N,Txt,1,1,5,Arial,8,,\n[TABELLA]\nT,1,1,9,Arial,8,\nt.db,Righe,,,\nC,N,5,Null,N,,5,\nD,N,5,,N,,5,\n[FINE TABELLA]"),
         QStringLiteral("[PARAMETRI]\nN,=,Intero,1,P,\n,,,,,\n[IMMAGINI]\n[GRIGLIA]\n[CAMPI]\nt.db,Righe,N,Txt,1,1,5,Arial,8,,\n[TESTO]\n[TABELLA]\n"
                        "T,1,1,9,Arial,8,\nt.db,Righe,,,\nC,N,5,Null,N,,5,\nD,N,5,,N,,5,\n[FINE TABELLA]\n[FINE]")},
        {"columns after one without a title, a table without a title",
         QStringLiteral("[TABELLA]\n,1,1,9,Arial,8,\nt.db,Righe,,,\nA,N,5,Num,N,,5,\n,N,0,Num,N,,0,\nC,N,5,Num,S,,5,\n[FINE TABELLA]"),
         only(QStringLiteral("[TABELLA]"), QStringLiteral(",1,1,9,Arial,8,\nt.db,Righe,,,\nA,N,5,Num,N,,5,\n,N,0,Num,N,,0,\nC,N,5,Num,S,,5,\n[FINE TABELLA]"))},
        {"a table's bottom from its rounded top and body",
         QStringLiteral("[TABELLA]\nT,2.4,20.6,60,Arial,8.0,\nC:\\Dati\\t.db,Righe,N-Importo,N > 0,\n[FINE TABELLA]"),
         only(QStringLiteral("[TABELLA]"), QStringLiteral("T,2,21,61,Arial,8,\nt.db,Righe,N-Importo,N > 0,\n[FINE TABELLA]"))},
        {"images in two decimals, names without folders", QStringLiteral("[IMMAGINI]\nC:\\Immagini\\logo.jpg,2,1.005,10.5,5,"),
         only(QStringLiteral("[IMMAGINI]"), QStringLiteral("logo.jpg,2.00,1.01,10.50,5.00,"))},
        {"sections in the writer's order, product blocks after their section, lines after the end dropped",
         QStringLiteral("[TESTO]\na,1,1,Arial,8,0,\n[*]\np,p,p,Num,1,1,5,Arial,8,\nt.db,Righe,N,\n[/*]\n[*]\nq,q,q,Cur,1,1,5,Arial,8,\nt.db,Righe,Importo,\n[/*]\n"
                        "[GRIGLIA]\nR,1,1,2,2,\n[FINE]\nx,\n[*]\nr,r,r,Num,1,1,5,Arial,8,\n[/*]\n[ALTRO]\ny,"),
         QStringLiteral("[PARAMETRI]\n[IMMAGINI]\n[GRIGLIA]\nR,1.00,1.00,2.00,2.00,\n[CAMPI]\n[TESTO]\na,1,1,Arial,8,0,\n[*]\np,p,p,Num,1,1,5,Arial,8,\nt.db,Righe,N,\n[/*]\n"
                        "[*]\nq,q,q,Cur,1,1,5,Arial,8,\nt.db,Righe,Importo,\n[/*]\n[TABELLA]\n[FINE]\n[*]\nr,r,r,Num,1,1,5,Arial,8,\n[/*]")},
    };
    for (const Case& c : cases) {
        Designer d;
        d.open(templ(c.body));
        const QStringList saved = d.saved();
        EXPECT_EQ(saved, split(QStringLiteral("[TESTA]\n1\n80,75,\nt.db,Righe,\n") + c.expected)) << c.name;
        Designer again;
        again.open(saved, QStringLiteral("salvato.vn3"));
        EXPECT_EQ(again.saved(), saved) << c.name;
    }
}

// What a save writes for what the designer did: one change to the opened worked example a case.
TEST(TemplateFiles, SavingWritesWhatTheDesignerChanged)
{
    test::ScopedCurrentDir dir;
    struct Case {
        const char* name;
        std::function<void(VN3Routine&, CanvasModel&)> change;
        QStringList present;  // lines the save holds
        QStringList absent;   // lines it does not
    };
    const auto addTable = [](VN3Routine& m, CanvasModel& c, int n, const QString& title) {
        m.NumTabelle = static_cast<qint16>(n);
        m.Tabelle(n, TableAttr::Title) = title;
        c.load({CanvasSet::Label4, n}).top = 30;
        CanvasControl& body = c.load({CanvasSet::Label5, n});
        body.top = 32;
        body.height = 8;
    };
    const Case cases[] = {
        {"\"Verticale\" followed by spaces is portrait", [](VN3Routine& m, CanvasModel&) { m.Orientamento = QStringLiteral("Verticale  "); },
         {QStringLiteral("[TESTA]\n1")}, {}},
        {"any other orientation is landscape", [](VN3Routine& m, CanvasModel&) { m.Orientamento.clear(); },
         {QStringLiteral("[TESTA]\n2")}, {}},
        {"a deleted text, rectangle, field and image are not written",
         [](VN3Routine& m, CanvasModel& c) {
             m.TestoAttivo(1).clear();
             c.unload({CanvasSet::Label1, 1});
             m.RettangoloAttivo(1).clear();
             c.unload({CanvasSet::Label2, 1});
             m.CampiDB(1, FieldAttr::Database).clear();
             c.unload({CanvasSet::Label3, 1});
             m.Immagini(1).clear();
             c.unload({CanvasSet::Pic1, 1});
         },
         {QStringLiteral("[IMMAGINI]\n[GRIGLIA]\n[CAMPI]\n[TESTO]\n[TABELLA]")}, {}},
        {"a deleted table between filled ones is skipped, the tables after it are saved",
         [&](VN3Routine& m, CanvasModel& c) {
             addTable(m, c, 2, QString());
             c.unload({CanvasSet::Label4, 2});
             c.unload({CanvasSet::Label5, 2});
             addTable(m, c, 3, QStringLiteral("Terza"));
         },
         {QStringLiteral("[FINE TABELLA]\nTerza,0,30,40,,0,\n,,,,\n[FINE TABELLA]\n[FINE]")}, {}},
        {"a table made in the designer and left without a title holds no table",
         [&](VN3Routine& m, CanvasModel& c) { addTable(m, c, 2, QString()); }, {QStringLiteral("[FINE TABELLA]\n[FINE]")}, {}},
        {"a column with nothing in it ends the columns",
         [](VN3Routine& m, CanvasModel&) {
             m.ColonneTabella(1, 3, ColumnAttr::Title) = QStringLiteral("Terza");
             m.ColonneTabella(1, 3, ColumnAttr::ColumnWidth) = QStringLiteral("4");
         },
         {QStringLiteral("Camera,Camera,6,Num,N,,4,\n,,0,Str,,,0,\nTerza,,4,Str,,,0,\n[FINE TABELLA]")}, {}},
        {"a type code outside the type table is written \"Str\"",
         [](VN3Routine& m, CanvasModel&) {
             m.ColonneTabella(1, 1, ColumnAttr::TypeCode) = QStringLiteral("9");
             m.ElencoParametri(1, ParameterAttr::FieldName) = QStringLiteral("Arrivo");
             m.ElencoParametri(1, ParameterAttr::TypeCode) = QStringLiteral("15");
         },
         {QStringLiteral("Camera,Camera,6,Str,N,,4,"), QStringLiteral("Arrivo,>=,Str,<nessuno>,Dalla data,")}, {}},
        {"a rectangle made in the designer is a box; its far corner is a single-precision sum",
         [](VN3Routine& m, CanvasModel& c) {
             m.NumRettangoli = 2;
             m.RettangoloAttivo(2) = QStringLiteral("S");
             CanvasControl& r = c.load({CanvasSet::Label2, 2});
             r.left = 16777216;
             r.width = 1;
             r.height = 0.125;
         },
         {QStringLiteral("R,16777216.00,0.00,16777216.00,0.13,")}, {}},
        {"a parameter row between filled ones keeps the numbering of the rest",
         [](VN3Routine& m, CanvasModel&) {
             m.ElencoParametri(3, ParameterAttr::FieldName) = QStringLiteral("Camera");
             m.ElencoParametri(3, ParameterAttr::TypeCode) = QStringLiteral("4");
         },
         {QStringLiteral("DataArrivo,>=,Date,<nessuno>,Dalla data,\n,,Str,,,\nCamera,,Num,,,\n[IMMAGINI]")}, {}},
    };
    for (const Case& c : cases) {
        Designer d;
        d.open(kWorkedExample);
        c.change(d.model, d.canvas);
        const QString saved = templateText(d.model, d.canvas).remove(QLatin1Char('\r'));
        for (const QString& lines : c.present)
            EXPECT_TRUE(saved.contains(lines + QLatin1Char('\n'))) << c.name << "\n" << saved.toStdString();
        for (const QString& lines : c.absent)
            EXPECT_FALSE(saved.contains(lines)) << c.name;
        // Objects left after deletions are numbered from 1 again, in their old order.
        Designer reloaded;
        reloaded.open(split(saved), QStringLiteral("di nuovo.vn3"));
        EXPECT_EQ(reloaded.saved(), withoutLastEmpty(split(saved))) << c.name;
    }
}

// A save that cannot be made names the file and the reason, and leaves the old file whole.
TEST(TemplateFiles, AFailedSaveLeavesTheOldFileWhole)
{
    test::ScopedCurrentDir dir;
    QDir().mkdir(QStringLiteral("cartella.vn3"));
    struct Case {
        const char* name;
        std::function<void(VN3Routine&, CanvasModel&)> change;
        QString path;
        const char* reason;
    };
    const auto caption = [](const QString& text) {
        return [text](VN3Routine&, CanvasModel& c) { c.control({CanvasSet::Label1, 1}).caption = text; };
    };
    const Case cases[] = {
        {"a comma in a text", caption(QStringLiteral("uno, due")), QStringLiteral("t.vn3"), "virgola"},
        {"a text on two lines", caption(QStringLiteral("uno\ndue")), QStringLiteral("t.vn3"), "riga"},
        {"a text that opens with \"[\"", caption(QStringLiteral("[nota]")), QStringLiteral("t.vn3"), "sezione"},
        {"a character Windows-1252 cannot store", caption(QStringLiteral("uno \u2192 due")), QStringLiteral("t.vn3"), "Windows-1252"},
        {"a folder in the file's place", [](VN3Routine&, CanvasModel&) {}, QStringLiteral("cartella.vn3"), ""},
        {"a folder that does not exist", [](VN3Routine&, CanvasModel&) {}, QStringLiteral("manca/t.vn3"), ""},
        {"a position that rounds past what opens",
         [](VN3Routine&, CanvasModel& c) { c.control({CanvasSet::Label1, 1}).top = -99999999999999.5; }, QStringLiteral("t.vn3"),
         "fuori misura"},
    };
    for (const Case& c : cases) {
        Designer d;
        d.open(kWorkedExample);
        const QByteArray before = test::readFile(QStringLiteral("t.vn3"));
        c.change(d.model, d.canvas);
        try {
            SalvaModulo(c.path, d.model, d.canvas);
            ADD_FAILURE() << c.name << ": saved";
        } catch (const Error& e) {
            EXPECT_TRUE(e.description().contains(c.path)) << c.name << ": " << e.description().toStdString();
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(c.reason))) << c.name << ": " << e.description().toStdString();
            EXPECT_GT(e.description().size(), QStringLiteral("Impossibile scrivere il file \"%1\": ").arg(c.path).size()) << c.name;
        }
        EXPECT_EQ(test::readFile(QStringLiteral("t.vn3")), before) << c.name;
        EXPECT_EQ(QDir().entryList(QDir::Files).size(), 1) << c.name << ": a temporary file was left";
    }
}

namespace {

const char* kRows = R"(
CREATE TABLE Righe (NumeroHotel INTEGER, N INTEGER, Descrizione TEXT, Importo NUMERIC, Giorno TEXT);
INSERT INTO Righe VALUES (1, 1, 'prima riga', 12.5, '20240105'), (1, 2, 'seconda, più lunga della colonna', 3, '20240210'),
  (1, 3, NULL, -4.25, NULL), (2, 9, 'altro albergo', 1, '20240101');
)";

// What the print run draws for a template file: its operations, and how it ended.
QStringList printTrace(const QString& path)
{
    RecordingPrinter printer(QStringLiteral("PDF"));
    PrintSettings settings;
    settings.now = QDateTime(QDate(2026, 12, 7), QTime(9, 5));
    QStringList trace;
    try {
        PrintRun run(printer, path, valuesWithDefaults(path, nullptr), settings);
        run.run();
    } catch (const Error& e) {
        trace << QStringLiteral("failed: %1").arg(e.number());
    }
    for (const PrintOp& op : printer.ops())
        trace << QString::fromUtf8(printOpToJson(op));
    return trace;
}

}  // namespace

// For every template of the corpus, s = save(open(x)) is written the same by a second save and by
// a save of s opened again; where x has its sections in the writer's order and its texts and
// tables at whole units, x and s print the same.
TEST(TemplateFiles, OpeningAndSavingIsAFixedPointThatPrintsTheSame)
{
    test::ScopedCurrentDir dir;
    QString rows = QString::fromUtf8(kRows);
    for (int i = 10; i < 70; ++i)
        rows += QStringLiteral("INSERT INTO Righe VALUES (1, %1, 'riga %1', %1.5, '202403%2');").arg(i).arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
    test::createSqliteDatabase(QStringLiteral("t.db"), rows);
    test::createSqliteDatabase(QStringLiteral("piccolo.db"), QString::fromUtf8(kRows));
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QStringLiteral("logo.png")));

    struct Entry {
        QString name;
        QStringList lines;
        bool printsTheSame;
    };
    const QString params = QStringLiteral("[PARAMETRI]\nN,>=,Num,0,Dal numero,\n");
    std::vector<Entry> corpus = {
        {QStringLiteral("worked example"), kWorkedExample, true},
        {QStringLiteral("every kind of element"),
         templ(params + QStringLiteral("[IMMAGINI]\nlogo.png,2.00,1.00,10.00,5.00,\nmanca.jpg,20.00,1.00,5.00,5.00,\n"
                                       "[GRIGLIA]\nR,1.00,8.00,79.00,12.00,\nL,79.00,14.00,1.00,14.00,\nX,1.00,1.00,9.00,9.00,\nL,5.00,20.00,30.00,2.00,\n"
                                       "[CAMPI]\nt.db,Righe,Descrizione,Str,5,10,12.5,Arial,10,,\nt.db,Righe,Importo,Cur,5,12,10,Arial,10,N = 1,\n"
                                       "t.db,Righe,Giorno,Date,5,14,10,Times New Roman,9,,\nt.db,Righe,N,Txt,5,16,10,Arial,9,,\n"
                                       "[*]\np,p,p,Cur,40,16,12,Arial,9,\nt.db,Righe,Importo,\nt.db,Righe,N,\n[/*]\n"
                                       "[TESTO]\nDal n. <PARAM1>,2,2,Arial,12,255,\nData_oggi,60,2,Arial,10,0,\nora_adesso,70,2,Courier New,8,-2147483640,\n"
                                       "[TABELLA]\nElenco,2,20,60,Arial,8,\nt.db,Righe,N,N < 5,\nN.,N,4,Num,N,,3,\nDescrizione,Descrizione,20,Str,N,,18,\n"
                                       "Importo,Importo,10,Cur,S,,9,\nVuota,N,3,Null,N,,3,\nGiorno,Giorno,10,Date,N,,10,\n[FINE TABELLA]\n[FINE]")),
         true},
        {QStringLiteral("landscape, a decimal height, Italian texts"),
         split(QStringLiteral("[TESTA]\n2\n120,29.7,\nC:\\Dati\\t.db,Righe,\n[PARAMETRI]\n[IMMAGINI]\n[GRIGLIA]\n[CAMPI]\n"
                              "[TESTO]\nPiù è così: 10 €,2,2,Arial,12,0,\n  spazi  ,2,5,Arial,12,0,\n[TABELLA]\n[FINE]")),
         true},
        {QStringLiteral("a table over several pages redraws the fixed elements"),
         templ(params + QStringLiteral("[IMMAGINI]\n[GRIGLIA]\nR,1.00,1.00,79.00,8.00,\n[CAMPI]\nt.db,Righe,Descrizione,Str,40,3,20,Arial,8,N = 1,\n"
                                       "[TESTO]\nIntestazione,2,2,Arial,12,0,\n[TABELLA]\nMovimenti,2,10,40,Arial,8,\nt.db,Righe,N,,\n"
                                       "N.,N,5,Num,N,,4,\nImporto,Importo,10,Cur,S,,9,\n[FINE TABELLA]\n"
                                       "Secondo,2,45,70,Arial,8,\nt.db,Righe,Giorno-N,N > 60,\nGiorno,Giorno,10,Date,N,,10,\n[FINE TABELLA]\n"
                                       "[*]\np,p,p,Num,60,70,8,Arial,9,\nt.db,Righe,N,\n[/*]\n[FINE]")),
         true},
        {QStringLiteral("product blocks after several sections and after the end"),
         templ(params + QStringLiteral("[*]\na,a,a,Num,1,1,5,Arial,8,\nt.db,Righe,N,\n[/*]\n[IMMAGINI]\n[*]\nb,b,b,Cur,1,3,8,Arial,8,\nt.db,Righe,Importo,\nt.db,Righe,Importo,\n[/*]\n"
                                       "[GRIGLIA]\n[CAMPI]\n[TESTO]\nx,1,10,Arial,8,0,\n[TABELLA]\n[*]\nc,c,c,Num,1,5,5,Arial,8,\nt.db,Righe,N,\n[/*]\n[FINE]\n"
                                       "[*]\nd,d,d,Num,1,7,5,Arial,8,\nt.db,Righe,N,\n[/*]")),
         true},
        {QStringLiteral("tables without a title, columns after one without a title"),
         templ(params + QStringLiteral("[IMMAGINI]\n[GRIGLIA]\n[CAMPI]\n[TESTO]\n[TABELLA]\n,2,5,30,Arial,8,\nt.db,Righe,N,N < 4,\n"
                                       "A,N,5,Num,N,,4,\n,Descrizione,10,Str,N,,9,\nC,Importo,8,Cur,S,,8,\n[FINE TABELLA]\n[FINE]")),
         true},
    };
    corpus.push_back({QStringLiteral("the demo"), TemplateReader(test::sourceDir() + QStringLiteral("/examples/demo.vn3.in")).lines().toStringList(), false});
    TemplateShape small;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        small.parameters = static_cast<int>(seed % 3);
        small.images = static_cast<int>(seed % 5);
        small.rectangles = static_cast<int>(seed * 3);
        small.fields = static_cast<int>(seed * 2 % 11);
        small.texts = static_cast<int>(seed * 4);
        small.tables = static_cast<int>(seed % 4);
        small.columns = static_cast<int>(seed % 7) + 1;
        small.productBlocks = static_cast<int>(seed % 4);
        small.oddities = seed % 2 == 0;
        corpus.push_back({QStringLiteral("generated %1").arg(seed), generateTemplate(small, seed), true});
    }
    TemplateShape printable;
    printable.parameters = 10;
    printable.columns = 54;
    printable.productBlocks = 6;
    printable.oddities = true;
    printable.database = QStringLiteral("piccolo.db");  // every table on one page
    corpus.push_back({QStringLiteral("generated, as large as the print run prints"), generateTemplate(printable, 99), true});
    TemplateShape full;
    full.productBlocks = 3;
    corpus.push_back({QStringLiteral("generated at every capacity"), generateTemplate(full, 7), true});
    corpus.push_back({QStringLiteral("generated at every capacity, with oddities"), generateTemplate(TemplateShape{.oddities = true}, 8), true});

    for (const Entry& entry : corpus) {
        SCOPED_TRACE(entry.name.toStdString());
        Designer d;
        d.open(entry.lines, QStringLiteral("x.vn3"));
        SalvaModulo(QStringLiteral("s.vn3"), d.model, d.canvas);
        SalvaModulo(QStringLiteral("s2.vn3"), d.model, d.canvas);
        const QByteArray s = test::readFile(QStringLiteral("s.vn3"));
        EXPECT_EQ(test::readFile(QStringLiteral("s2.vn3")), s);
        EXPECT_EQ(encodeCp1252(templateText(d.model, d.canvas)), s);

        Designer again;
        again.open(splitLines(decodeCp1252(s)), QStringLiteral("s.vn3"));
        SalvaModulo(QStringLiteral("ss.vn3"), again.model, again.canvas);
        EXPECT_EQ(test::readFile(QStringLiteral("ss.vn3")), s);
        if (entry.printsTheSame) {
            EXPECT_EQ(printTrace(QStringLiteral("s.vn3")), printTrace(QStringLiteral("x.vn3")));
        }
    }

    // The designer-files fuzz target's corpus, what it found included: a file that opens is saved
    // as a fixed point, or refused by the save.
    const QDir found(test::sourceDir() + QStringLiteral("/fuzz/corpus/designer_files"));
    for (const QString& name : found.entryList(QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        Designer d;
        try {
            CaricaModulo(found.filePath(name), d.model, d.canvas);
        } catch (const TemplateError&) {
            continue;
        }
        if (unsavableValue(d.model, d.canvas))
            continue;
        const QString s = templateText(d.model, d.canvas);
        Designer again;
        TemplateReader reader(QStringLiteral("s.vn3"), splitLines(s));
        EXPECT_NO_THROW(CaricaModulo(reader, again.model, again.canvas));
        EXPECT_EQ(templateText(again.model, again.canvas), s);
    }
}
