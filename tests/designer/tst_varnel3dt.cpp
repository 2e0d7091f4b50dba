#include "designer/NuovoMD.h"
#include "designer/PageCanvas.h"
#include "designer/Varnel3DT.h"
#include "engine/widgets/InsParametri.h"
#include "print/widgets/PrinterDialog.h"
#include "core/ScriptedDialogs.h"
#include "template/VN3Routine.h"

#include "support/CanvasTestSupport.h"
#include "support/DesignerTestSupport.h"
#include "support/TestSupport.h"
#include "support/WidgetTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace ostrivo;

namespace {

using test::ModalWatcher;
using test::px;
using test::twipsRect;

// The grey of the grid.
bool isGridGrey(QRgb pixel)
{
    return qRed(pixel) == 192 && qGreen(pixel) == 192 && qBlue(pixel) == 192;
}

// Runs of grid grey along a line of pixels: a row at y, or a column at x.
int greyRuns(const QImage& image, int at, bool row)
{
    int runs = 0;
    bool inRun = false;
    const int length = row ? image.width() : image.height();
    for (int i = 0; i < length; ++i) {
        const bool grey = isGridGrey(row ? image.pixel(i, at) : image.pixel(at, i));
        if (grey && !inRun)
            ++runs;
        inRun = grey;
    }
    return runs;
}

int greyRunsInRow(const QImage& image, int y)
{
    return greyRuns(image, y, true);
}

int greyRunsInColumn(const QImage& image, int x)
{
    return greyRuns(image, x, false);
}

// The main window's form in twips (left, top, width, height), written here once from the form and
// checked against the window: where it places each control and what it shows there.
struct FormPlace {
    const char* name;
    QWidget* (*control)(const Varnel3DT&);
    QRect twips;
};
const FormPlace kMainWindowForm[] = {
    {"Picture2(0)", [](const Varnel3DT& w) -> QWidget* { return w.Picture2(0); }, {336, 84, 630, 570}},
    {"Picture2(1)", [](const Varnel3DT& w) -> QWidget* { return w.Picture2(1); }, {336, 1092, 630, 570}},
    {"Picture2(2)", [](const Varnel3DT& w) -> QWidget* { return w.Picture2(2); }, {84, 588, 630, 570}},
    {"Picture2(3)", [](const Varnel3DT& w) -> QWidget* { return w.Picture2(3); }, {588, 588, 630, 570}},
    {"Label6(0)", [](const Varnel3DT& w) -> QWidget* { return w.Label6(0); }, {1512, 168, 1104, 264}},
    {"Label6(1)", [](const Varnel3DT& w) -> QWidget* { return w.Label6(1); }, {1512, 420, 1104, 264}},
    {"Nuovo", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::NewTemplate); }, {12852, 168, 2028, 432}},
    {"Apri", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::Open); }, {12852, 672, 2028, 432}},
    {"Salva", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::Save); }, {12852, 1176, 2028, 432}},
    {"Stampa", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::Print); }, {12852, 1680, 2028, 432}},
    {"Cancella", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::DeleteTemplate); }, {12852, 2436, 2028, 432}},
    {"Combo1", [](const Varnel3DT& w) -> QWidget* { return w.Combo1(); }, {12852, 6720, 2028, 288}},
    {"Inserisci oggetto", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::InsertObject); },
     {12852, 7056, 2028, 432}},
    {"Cancella oggetto", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::DeleteObject); },
     {12852, 7560, 2028, 432}},
    {"Esci", [](const Varnel3DT& w) -> QWidget* { return w.SSCommand1(Varnel3DT::Exit); }, {12852, 8064, 2028, 432}},
};
const QRect kCommandFrame(12600, 84, 2532, 8664);
constexpr int kSeparatorX = 12348, kSeparatorBottom = 8820;

}  // namespace

// Receives the URLs the program asks the desktop to open, so that no viewer starts.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

class TestVarnel3DT : public test::DesignerTestBase {
    Q_OBJECT

private:
    // "t.vn3": one "Num" parameter with a default and a text that shows it, over an empty table.
    void openOneParameterTemplate()
    {
        test::createSqliteDatabase(QStringLiteral("dati.db"), QStringLiteral("CREATE TABLE Righe (NumeroHotel INTEGER, N INTEGER);"));
        test::writeTemplate(QStringLiteral("t.vn3"), {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"),
                                                      QStringLiteral("dati.db,Righe,"), QStringLiteral("[PARAMETRI]"),
                                                      QStringLiteral("N,>=,Num,1,Dal numero,"), QStringLiteral("[TESTO]"),
                                                      QStringLiteral("Dal <PARAM1>,1,1,Arial,10,0,"), QStringLiteral("[FINE]")});
        model_->NomeModulo = QStringLiteral("t.vn3");
    }


private slots:
    void init() { start(); }
    void cleanup() { end(); }

    void titleKindsAndNewTemplate()
    {
        model_->NumTesti = 4;
        model_->NumCampi = 2;
        model_->CampiDB(1, FieldAttr::Database) = QStringLiteral("vecchio");
        Varnel3DT& w = designer();
        QCOMPARE(w.windowTitle(), QStringLiteral("Gestore report Ostrivo 3.0 - Nuovo.vn3"));
        QCOMPARE(model_->NomeModulo, QStringLiteral("Nuovo.vn3"));
        QCOMPARE(model_->Orientamento, QStringLiteral("Verticale"));
        QCOMPARE(model_->LarghezzaPagina, qint16(80));
        QCOMPARE(model_->AltezzaPagina, 75.0);
        QCOMPARE(model_->NumTesti, qint16(0));
        QCOMPARE(model_->NumCampi, qint16(0));
        QCOMPARE(model_->CampiDB(1, FieldAttr::Database), QString());

        QStringList kinds;
        for (int i = 0; i < w.Combo1()->count(); ++i)
            kinds << w.Combo1()->itemText(i);
        QCOMPARE(kinds, (QStringList{QStringLiteral("PARAMETRI"), QStringLiteral("CAMPO DB"), QStringLiteral("TESTO"),
                                     QStringLiteral("TABELLA"), QStringLiteral("IMMAGINI"), QStringLiteral("RETTANGOLI"),
                                     QStringLiteral("DATA"), QStringLiteral("ORA")}));
        QVERIFY(!w.Combo1()->isEditable());
        // No kind is chosen before the user picks one.
        QCOMPARE(w.Combo1()->currentIndex(), -1);
        QCOMPARE(w.Combo1()->currentText(), QString());

        // A second start-up does not list the kinds twice.
        w.startDesigner();
        QCOMPARE(w.Combo1()->count(), 8);
    }

    void commandCaptionsByIndex()
    {
        Varnel3DT& w = designer();
        const QStringList captions = {QStringLiteral("Nuovo"),  QStringLiteral("Salva"), QStringLiteral("Cancella"),
                                      QStringLiteral("Stampa"), QStringLiteral("Inserisci oggetto"),
                                      QStringLiteral("Cancella oggetto"), QStringLiteral("Esci"), QStringLiteral("Apri")};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(w.SSCommand1(i)->text(), captions.at(i));
            QVERIFY(w.SSCommand1(i)->isEnabled());
        }
    }

    void layoutInTwips()
    {
        Varnel3DT& w = designer();
        for (const FormPlace& place : kMainWindowForm) {
            const QRect at = twipsRect(w, place.twips.x(), place.twips.y(), place.twips.width(), place.twips.height());
            QWidget* control = place.control(w);
            QVERIFY2(control->geometry() == at, place.name);
            // It is what the window shows there, over the canvas too.
            QVERIFY2(w.childAt(at.center()) == control || control->isAncestorOf(w.childAt(at.center())), place.name);
        }
        // Everything lies inside the window, the column inside its frame, right of the separator.
        const QRect frame = twipsRect(w, kCommandFrame.x(), kCommandFrame.y(), kCommandFrame.width(), kCommandFrame.height());
        for (int i = 0; i < 8; ++i)
            QVERIFY(frame.contains(w.SSCommand1(i)->geometry()));
        QVERIFY(frame.contains(w.Combo1()->geometry()));
        QVERIFY(w.rect().contains(frame));
        QVERIFY(w.rect().contains(w.Picture1()->geometry()));
        QVERIFY(w.Picture1()->geometry().right() < twipsRect(w, kSeparatorX, 0, 0, 0).left());
        // The window starts at its original size, and may grow from it but not shrink.
        QCOMPARE(w.size(), twipsRect(w, 0, 0, 15300, 9100).size());
        QCOMPARE(w.minimumSize(), w.size());
    }

    void separatorAndFrameAreDrawn()
    {
        Varnel3DT& w = designer();
        const QImage image = w.grab().toImage();
        const QRect frame = twipsRect(w, kCommandFrame.x(), kCommandFrame.y(), kCommandFrame.width(), kCommandFrame.height());
        const int separatorX = twipsRect(w, kSeparatorX, 0, 0, 0).left();
        const QColor separator = image.pixelColor(separatorX, twipsRect(w, 0, 4000, 0, 0).top());
        QVERIFY2(separator.red() < 200 && separator == image.pixelColor(separatorX, twipsRect(w, 0, kSeparatorBottom - 120, 0, 0).top()),
                 qPrintable(separator.name()));
        // Below its end the separator is not drawn.
        QVERIFY(image.pixelColor(separatorX, twipsRect(w, 0, kSeparatorBottom + 80, 0, 0).top()) != separator);
        QCOMPARE(image.pixelColor(frame.left(), frame.center().y()), QColor(Qt::black));
        QCOMPARE(image.pixelColor(frame.center().x(), frame.top()), QColor(Qt::black));
    }

    void fonts()
    {
        Varnel3DT& w = designer();
        for (int i = 0; i < 8; ++i) {
            const QFont font = w.SSCommand1(i)->font();
            QCOMPARE(font.families().value(0), QStringLiteral("Bodoni MT"));
            QVERIFY(font.bold());
            QCOMPARE(font.pointSizeF(), 10.5);
        }
        const QFontInfo shown(w.SSCommand1(0)->font());
        if (QFontDatabase::hasFamily(QStringLiteral("Bodoni MT"))) {
            QCOMPARE(shown.family(), QStringLiteral("Bodoni MT"));
        } else {
            // A serif face stands in, never the application's default sans face.
            QVERIFY2(shown.family() != QStringLiteral("Bodoni MT"), qPrintable(shown.family()));
            QVERIFY2(QFontDatabase::hasFamily(shown.family()), qPrintable(shown.family()));
            if (QFontDatabase::hasFamily(QStringLiteral("Liberation Serif")))
                QCOMPARE(shown.family(), QStringLiteral("Liberation Serif"));
        }
        QVERIFY(shown.bold());

        for (QWidget* boldArial : {static_cast<QWidget*>(w.Label6(0)), static_cast<QWidget*>(w.Label6(1)),
                                   static_cast<QWidget*>(w.Combo1())}) {
            QCOMPARE(boldArial->font().family(), QStringLiteral("Arial"));
            QVERIFY(boldArial->font().bold());
        }
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QVERIFY(!w.font().bold());
    }

    void readoutStartsWithPosXAndPosY()
    {
        Varnel3DT& w = designer();
        QCOMPARE(w.Label6(0)->text(), QStringLiteral("PosX"));
        QCOMPARE(w.Label6(1)->text(), QStringLiteral("PosY"));
    }

    void sizeButtonsAreWhiteTrianglesOnDarkSquares()
    {
        Varnel3DT& w = designer();
        // Where the centre of the white area lies from the button's centre, by direction.
        const QPointF expected[] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
        for (int i = 0; i < 4; ++i) {
            const QImage image = w.Picture2(i)->grab().toImage();
            QVERIFY(!image.isNull());
            const QColor corner = image.pixelColor(1, 1);
            QVERIFY2(corner.lightness() < 100, qPrintable(corner.name()));
            QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::white));
            double sx = 0, sy = 0;
            int whites = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixelColor(x, y) == QColor(Qt::white)) {
                        sx += x;
                        sy += y;
                        ++whites;
                    }
                }
            }
            QVERIFY(whites > image.width() * image.height() / 10);
            // The centroid of a triangle lies a third of the way from its base to its tip.
            const QPointF offset(sx / whites - (image.width() - 1) / 2.0, sy / whites - (image.height() - 1) / 2.0);
            const double along = offset.x() * expected[i].x() + offset.y() * expected[i].y();
            const double across = offset.x() * expected[i].y() - offset.y() * expected[i].x();
            QVERIFY2(along > 1.5 && std::abs(across) < 1.0,
                     qPrintable(QStringLiteral("button %1: %2, %3").arg(i).arg(offset.x()).arg(offset.y())));
        }
    }

    void scratchPictureBoxIsInsideTheCanvasAndHidden()
    {
        Varnel3DT& w = designer();
        QVERIFY(w.Picture3());
        QCOMPARE(w.Picture3()->parentWidget(), static_cast<QWidget*>(w.Picture1()));
        QVERIFY(w.Picture3()->isHidden());
    }

    void portraitCanvasAndGrid()
    {
        Varnel3DT& w = designer();
        QCOMPARE(w.canvasModel().canvasTwips(), QRect(2940, 340, 6500, 8300));
        QCOMPARE(w.Picture1()->geometry(), twipsRect(w, 2940, 340, 6500, 8300));
        QCOMPARE(w.canvasModel().scaleWidth(), 80.0);
        QCOMPARE(w.canvasModel().scaleHeight(), 75.0);
        QCOMPARE(model_->NumLineeGriglia, qint16(157));
        QCOMPARE(w.canvasModel().Line2().size(), 157);

        int vertical = 0, horizontal = 0;
        w.canvasModel().Line2().forEach([&](int index, const GridLine& line) {
            QVERIFY(line.visible);
            if (index <= 81) {
                ++vertical;
                QCOMPARE(line.x1, double(index - 1));
                QCOMPARE(line.x2, double(index - 1));
                QCOMPARE(line.y1, 0.0);
                QCOMPARE(line.y2, 8300.0);  // the canvas's outer height, past the page
            } else {
                ++horizontal;
                QCOMPARE(line.y1, double(index - 82));
                QCOMPARE(line.x1, 0.0);
                QCOMPARE(line.x2, 6500.0);
            }
        });
        QCOMPARE(vertical, 81);
        QCOMPARE(horizontal, 76);
        // The grid is data painted by the canvas, not 157 widgets.
        QVERIFY(w.Picture1()->findChildren<QWidget*>().size() < 10);
        // A unit across is 81.25 twips, one down about 110.7.
        QCOMPARE(6500.0 / w.canvasModel().scaleWidth(), 81.25);
    }

    void landscapeCanvasAndGrid()
    {
        Varnel3DT& w = designer();
        model_->Orientamento = QStringLiteral("Orizzontale");
        model_->LarghezzaPagina = 110;
        model_->AltezzaPagina = 80;
        w.setUpCanvas();
        QCOMPARE(w.canvasModel().canvasTwips(), QRect(750, 1300, 10900, 6500));
        QCOMPARE(w.Picture1()->geometry(), twipsRect(w, 750, 1300, 10900, 6500));
        QCOMPARE(model_->NumLineeGriglia, qint16(110 + 80 + 2));
        // The portrait grid is gone, not left behind under the new one.
        QCOMPARE(w.canvasModel().Line2().size(), 192);
        QCOMPARE(w.canvasModel().Line2()(192).y1, 80.0);
        QCOMPARE(w.canvasModel().Line2()(192).x2, 10900.0);
        QCOMPARE(w.canvasModel().Line2()(111).y2, 6500.0);

        // The canvas reaches under the "down" button, which stays in front, seen and pressed.
        const QPoint corner = w.Picture2(1)->geometry().bottomRight() - QPoint(2, 2);
        QVERIFY(w.Picture1()->geometry().contains(corner));
        QCOMPARE(w.childAt(corner), static_cast<QWidget*>(w.Picture2(1)));
        QVERIFY(w.grab().toImage().pixelColor(corner).lightness() < 100);
    }

    void otherOrientationLeavesTheCanvasAndRedrawsTheGrid()
    {
        Varnel3DT& w = designer();
        model_->Orientamento = QString();
        model_->LarghezzaPagina = 20;
        model_->AltezzaPagina = 10.4;
        w.setUpCanvas();
        QCOMPARE(w.canvasModel().canvasTwips(), QRect(2940, 340, 6500, 8300));
        QCOMPARE(w.Picture1()->geometry(), twipsRect(w, 2940, 340, 6500, 8300));
        QCOMPARE(model_->NumLineeGriglia, qint16(20 + 10 + 2));
        model_->AltezzaPagina = 10.6;
        w.setUpCanvas();
        QCOMPARE(model_->NumLineeGriglia, qint16(20 + 11 + 2));
    }

    void gridIsPaintedFromTheModel()
    {
        Varnel3DT& w = designer();
        QImage image = w.Picture1()->grab().toImage();
        QCOMPARE(image.size(), w.Picture1()->size());
        QCOMPARE(image.pixelColor(image.width() / 2 + 1, image.height() / 2 + 1).name(), QStringLiteral("#ffffff"));
        // Half a unit down and half a unit across: between grid lines. The lines at 0 lie under
        // the canvas's border, the last ones on or past its far edge.
        const int midRow = qRound(0.5 * image.height() / 75.0);
        const int midColumn = qRound(0.5 * image.width() / 80.0);
        QCOMPARE(greyRunsInRow(image, midRow), 79);
        QCOMPARE(greyRunsInColumn(image, midColumn), 74);

        // Hiding members of Line2 hides them on the canvas.
        for (int i = 2; i <= 41; ++i)
            w.canvasModel().Line2()(i).visible = false;
        image = w.Picture1()->grab().toImage();
        QCOMPARE(greyRunsInRow(image, midRow), 39);
        QCOMPARE(greyRunsInColumn(image, midColumn), 74);

        model_->Orientamento = QStringLiteral("Orizzontale");
        model_->LarghezzaPagina = 110;
        model_->AltezzaPagina = 80;
        w.setUpCanvas();
        image = w.Picture1()->grab().toImage();
        QCOMPARE(image.size(), w.Picture1()->size());
        QCOMPARE(greyRunsInRow(image, qRound(0.5 * image.height() / 80.0)), 109);
        QCOMPARE(greyRunsInColumn(image, qRound(0.5 * image.width() / 110.0)), 79);
    }

    void pageWithoutSizeShowsAnEmptyCanvas()
    {
        Varnel3DT& w = designer();
        model_->LarghezzaPagina = 0;
        model_->AltezzaPagina = 0;
        w.setUpCanvas();
        QCOMPARE(model_->NumLineeGriglia, qint16(2));
        const QImage image = w.Picture1()->grab().toImage();
        QCOMPARE(greyRunsInRow(image, image.height() / 2), 0);
        QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), QColor(Qt::white));
    }

    // Buttons, list and canvas reach the designer's edits and commands, and the canvas repaints.
    void editsAreWiredToTheCanvasAndButtons()
    {
        Varnel3DT& w = designer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        PageCanvas* canvas = w.Picture1();
        const CanvasRef text{CanvasSet::Label1, 1};
        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("TESTO")));
        QTest::mouseClick(w.SSCommand1(Varnel3DT::InsertObject), Qt::LeftButton);
        QVERIFY(w.canvasModel().exists(text));
        // The new object is current, and the current object is outlined.
        QCOMPARE(model_->TipoOggettoCorrente, QStringLiteral("T"));
        const QImage outlined = canvas->grab().toImage();
        model_->TipoOggettoCorrente.clear();
        QVERIFY(canvas->grab().toImage() != outlined);

        QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->toPixels(0.5, 0.5).toPoint());
        QCOMPARE(model_->TipoOggettoCorrente, QStringLiteral("T"));
        QCOMPARE(w.Label6(0)->text(), QStringLiteral("PosX 0,00"));
        QCOMPARE(canvas->grab().toImage(), outlined);

        auto moveTo = [&](QPointF at, Qt::MouseButtons held) {
            QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
            QApplication::sendEvent(canvas, &move);
        };
        // 3.5 units right of its corner is 284 twips: three whole steps.
        moveTo(canvas->toPixels(3.5, 0.5), Qt::LeftButton);
        QCOMPARE(w.canvasModel().control(text).left, 3.0);
        QCOMPARE(w.Label6(0)->text(), QStringLiteral("PosX 3,00"));
        // Left of the canvas the pressed object still takes the moves.
        moveTo(QPointF(-40, canvas->toPixels(0, 0.5).y()), Qt::LeftButton);
        QVERIFY(w.canvasModel().control(text).left < 3.0);
        const double left = w.canvasModel().control(text).left;
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(1, 1));
        moveTo(canvas->toPixels(40, 40), Qt::LeftButton);
        QCOMPARE(w.canvasModel().control(text).left, left);

        const double width = w.canvasModel().control(text).width;
        QTest::mouseClick(w.Picture2(3), Qt::LeftButton);
        QCOMPARE(w.canvasModel().control(text).width, width + 1);

        dialogs_->answerMessage(MessageAnswer::Yes);
        QTest::mouseClick(w.SSCommand1(Varnel3DT::DeleteObject), Qt::LeftButton);
        QVERIFY(!w.canvasModel().exists(text));

        // A right press selects with the object's own kind.
        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("RETTANGOLI")));
        QTest::mouseClick(w.SSCommand1(Varnel3DT::InsertObject), Qt::LeftButton);
        QTest::mouseClick(canvas, Qt::RightButton, {}, canvas->toPixels(1, 1).toPoint());
        QCOMPARE(model_->TipoOggettoCorrente, QStringLiteral("R"));

        // Closing with unsaved changes asks; "Annulla" keeps the window.
        dialogs_->answerMessage(MessageAnswer::Cancel);
        QTest::mouseClick(w.SSCommand1(Varnel3DT::Exit), Qt::LeftButton);
        QVERIFY(w.isVisible());
        QCOMPARE(dialogs_->messages().back().text, QStringLiteral("Salvare le modifiche a Nuovo.vn3?"));
        dialogs_->answerMessage(MessageAnswer::No);
        QVERIFY(w.close());
        QVERIFY(dialogs_->allAnswered());
    }

    // The canvas's keys, the history's buttons and keys, a command key.
    void keysAndHistory()
    {
        Varnel3DT& w = designer();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QPushButton* undo = w.undoButton();
        // In the column between "Cancella" and the kind list, greyed with nothing to do.
        QVERIFY(undo->geometry().top() > w.SSCommand1(Varnel3DT::DeleteTemplate)->geometry().bottom());
        QVERIFY(w.redoButton()->geometry().top() > undo->geometry().bottom());
        QVERIFY(w.redoButton()->geometry().bottom() < w.Combo1()->geometry().top() && !undo->isEnabled());

        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("RETTANGOLI")));
        QTest::mouseClick(w.SSCommand1(Varnel3DT::InsertObject), Qt::LeftButton);
        PageCanvas* canvas = w.Picture1();
        auto left = [&] { return w.canvasModel().control({CanvasSet::Label2, 1}).left; };
        QTest::keyClick(canvas, Qt::Key_Right);  // the new object moves, the keys stay on the canvas
        QVERIFY(left() == 1 && canvas->hasFocus());
        QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->toPixels(1.5, 0.5).toPoint());
        QMouseEvent move(QEvent::MouseMove, canvas->toPixels(6.5, 0.5), canvas->mapToGlobal(canvas->toPixels(6.5, 0.5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->toPixels(6.5, 0.5).toPoint());
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);  // the whole drag
        QCOMPARE(left(), 1.0);
        QTest::mouseClick(undo, Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(&w, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(left(), 6.0);

        dialogs_->answerFile(dir_->file(QStringLiteral("salvato")));
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(QStringLiteral("salvato.vn3")));
    }

    // Texts in their colour, rectangles, pictures scaled into their boxes.
    void paintsTheTemplatesObjects()
    {
        Varnel3DT& w = designer();
        QImage blue(8, 8, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(QStringLiteral("blu.png")));
        CanvasModel& model = w.canvasModel();
        CanvasControl& text = test::place(model, {CanvasSet::Label1, 1}, 2, 2, 8, 3);
        text.caption = QStringLiteral("MMMMMMMM");
        text.fontName = QStringLiteral("Arial");
        text.fontSize = 20;
        text.foreColor = 255;  // red in the low byte
        test::place(model, {CanvasSet::Label2, 1}, 10, 20, 20, 10);
        test::place(model, {CanvasSet::Pic1, 1}, 40, 40, 20, 10).picture = QStringLiteral("blu.png");
        // "L" records are lines from the first corner to the second, which may lie above it.
        test::place(model, {CanvasSet::Label2, 2}, 10, 60, 20, 10);
        model_->gridShapes(2) = GridShape{QStringLiteral("L"), false, true};

        const QImage image = w.Picture1()->grab().toImage();
        auto pixel = [&](double x, double y) { return image.pixelColor(w.Picture1()->toPixels(x, y).toPoint()); };
        int red = 0;
        for (int y = qRound(w.Picture1()->toPixels(0, 2).y()); y < qRound(w.Picture1()->toPixels(0, 5).y()); ++y) {
            for (int x = qRound(w.Picture1()->toPixels(2, 0).x()); x < qRound(w.Picture1()->toPixels(10, 0).x()); ++x) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        QCOMPARE(pixel(10, 25.5), QColor(Qt::black));
        QCOMPARE(pixel(20.5, 25.5), QColor(Qt::white));
        for (QPointF inside : {QPointF(40.3, 40.3), QPointF(50, 45), QPointF(59.7, 49.7)})
            QCOMPARE(pixel(inside.x(), inside.y()), QColor(Qt::blue));
        QVERIFY(pixel(60.5, 45) != QColor(Qt::blue));
        QVERIFY(pixel(50, 50.5) != QColor(Qt::blue));
        auto blackNear = [&](double x, double y) {
            const QPoint at = w.Picture1()->toPixels(x, y).toPoint();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (image.pixelColor(at + QPoint(dx, dy)) == QColor(Qt::black))
                        return true;
            return false;
        };
        QVERIFY(blackNear(15, 67.5));
        QVERIFY(blackNear(25, 62.5));
        QVERIFY(!blackNear(15, 62.5));
        QVERIFY(!blackNear(10, 65));
    }

    // A caption is cut at its object's edges, and a press finds the object where it is seen.
    void captionsStayInTheirBoxes_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("points");
        QTest::newRow("text at 30 pt") << int(CanvasSet::Label1) << QStringLiteral("Dodici lettere") << 30.0;
        QTest::newRow("field") << int(CanvasSet::Label3) << QStringLiteral("Campo DB (1)") << 8.0;
        QTest::newRow("table title") << int(CanvasSet::Label4) << QStringLiteral("Tabella (Elenco ospiti)") << 8.0;
        QTest::newRow("table body") << int(CanvasSet::Label5) << QString() << 8.0;
        QTest::newRow("picture not found") << int(CanvasSet::Pic1) << QStringLiteral("logo_che_manca.jpg") << 8.0;
    }
    void captionsStayInTheirBoxes()
    {
        QFETCH(int, set);
        QFETCH(QString, caption);
        QFETCH(double, points);
        Varnel3DT& w = designer();
        const CanvasRef ref{CanvasSet(set), 1};
        CanvasControl& c = test::place(w.canvasModel(), ref, 10, 10, 3, 3);
        c.fontSize = points;
        if (ref.set == CanvasSet::Pic1)
            c.picture = caption;
        else if (!caption.isEmpty())
            c.caption = caption;
        PageCanvas* canvas = w.Picture1();
        const QRect box(canvas->toPixels(10, 10).toPoint(), canvas->toPixels(13, 13).toPoint());
        const QImage image = canvas->grab().toImage();
        int outside = 0;
        for (int y = 1; y < image.height() - 1; ++y)
            for (int x = 1; x < image.width() - 1; ++x)
                outside += !box.adjusted(-2, -2, 2, 2).contains(x, y) && image.pixel(x, y) != qRgb(255, 255, 255) &&
                           !isGridGrey(image.pixel(x, y));
        QCOMPARE(outside, 0);
        // Table bodies take no presses.
        const std::optional<CanvasRef> inside = canvas->objectAt(box.bottomRight() - QPoint(2, 2));
        QCOMPARE(inside.has_value(), ref.set != CanvasSet::Label5);
        QVERIFY(!inside || *inside == ref);
        QVERIFY(!canvas->objectAt(box.bottomRight() + QPoint(2, -2)));
    }

    // It opens on the template's orientation and its sizes, every caption whole beside its box.
    void nuovoMDOpensOnTheTemplatesOrientation_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("shown");  // orientation, height, width
        QTest::newRow("none yet") << QString() << QStringList{"Verticale", "75", "80"};
        QTest::newRow("portrait") << QStringLiteral("Verticale") << QStringList{"Verticale", "75", "80"};
        QTest::newRow("landscape") << QStringLiteral("Orizzontale") << QStringList{"Orizzontale", "60", "120"};
    }
    void nuovoMDOpensOnTheTemplatesOrientation()
    {
        QFETCH(QString, current);
        QFETCH(QStringList, shown);
        model_->Orientamento = current;
        NuovoMD dialog(*model_, *dialogs_);
        QCOMPARE((QStringList{dialog.Combo1()->currentText(), dialog.Text1(0)->text(), dialog.Text1(1)->text()}), shown);
        for (int i = 0; i < 3; ++i) {
            const QLabel* caption = dialog.Label1(i);
            QVERIFY2(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->contentsRect().width(),
                     qPrintable(caption->text()));
            QVERIFY(caption->geometry().right() < dialog.Combo1()->geometry().left());
        }
        QVERIFY(dialog.rect().contains(dialog.Combo1()->geometry()));
    }

    void nuovoMDPresetsEnterAndLimits()
    {
        ScriptedDialogs asked;
        NuovoMD dialog(*model_, asked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Nuovo modulo"));

        dialog.Combo1()->setCurrentIndex(1);
        emit dialog.Combo1()->activated(1);
        QCOMPARE(dialog.Text1(0)->text(), QStringLiteral("60"));
        QCOMPARE(dialog.Text1(1)->text(), QStringLiteral("120"));
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.Text1(0)));

        dialog.Text1(1)->setText(QStringLiteral("1O0"));
        QTest::keyClick(dialog.Text1(1), Qt::Key_Return);
        QCOMPARE(dialog.Text1(1)->text(), QStringLiteral("10"));
        QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.SSCommand1()));

        // Refused: a message, the dialog stays open and nothing is stored.
        dialog.Text1(0)->setText(QStringLiteral("0"));
        QTest::mouseClick(dialog.SSCommand1(), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(asked.messages().size(), std::size_t(1));
        QCOMPARE(asked.messages()[0].title, QStringLiteral("Nuovo modulo"));
        QCOMPARE(model_->AltezzaPagina, 75.0);

        dialog.Text1(0)->setText(QStringLiteral("75.5"));
        dialog.Text1(1)->setText(QStringLiteral("80.5"));
        QTest::mouseClick(dialog.SSCommand1(), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(model_->AltezzaPagina, 75.5);
        QCOMPARE(model_->LarghezzaPagina, qint16(80));
        QCOMPARE(model_->Orientamento, QStringLiteral("Orizzontale"));
    }

    void exitClosesTheWindow()
    {
        Varnel3DT& w = designer();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mouseClick(w.SSCommand1(Varnel3DT::Exit), Qt::LeftButton);
        QVERIFY(!w.isVisible());
    }

    void printCancelledInTheParameterDialogPrintsNothing()
    {
        Varnel3DT& w = designer();
        openOneParameterTemplate();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ModalWatcher watcher([](QWidget& modal) {
            if (auto* dialog = qobject_cast<InsParametri*>(&modal))
                dialog->T(1)->click();
            else
                modal.close();
        });
        QTest::mouseClick(w.SSCommand1(Varnel3DT::Print), Qt::LeftButton);
        QCOMPARE(watcher.seen(), QStringList{QStringLiteral("ostrivo::InsParametri")});
        QCOMPARE(model_->ValoriParametri, QStringLiteral("Null"));
        QVERIFY(!QFile::exists(QStringLiteral("catering.pdf")));
        QVERIFY(w.isVisible());
    }

    void printPrintsOnPdfAndOpensIt()
    {
        Varnel3DT& w = designer();
        UrlRecorder viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        openOneParameterTemplate();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        ModalWatcher watcher([](QWidget& modal) {
            if (auto* dialog = qobject_cast<InsParametri*>(&modal)) {
                dialog->Text1(1)->setText(QStringLiteral("42"));
                dialog->T(0)->click();
            } else if (auto* printers = qobject_cast<PrinterDialog*>(&modal)) {
                printers->selectPrinter(QStringLiteral("PDF"));
                printers->accept();
            } else {
                modal.close();
            }
        });
        w.runCommand(Varnel3DT::Print);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(watcher.seen(), (QStringList{QStringLiteral("ostrivo::InsParametri"), QStringLiteral("ostrivo::PrinterDialog")}));
        QCOMPARE(model_->ValoriParametri, QStringLiteral("42,"));
        QVERIFY(QFile::exists(QStringLiteral("catering.pdf")));
        QVERIFY(test::readFile(QStringLiteral("catering.pdf")).startsWith("%PDF"));
        QCOMPARE(viewer.opened.size(), 1);
        QCOMPARE(viewer.opened.at(0), QUrl::fromLocalFile(dir_->file(QStringLiteral("catering.pdf"))));
        // Printing saves nothing and leaves the designer as it was.
        QCOMPARE(model_->NomeModulo, QStringLiteral("t.vn3"));
        QVERIFY(w.isVisible());
    }

    void printOfANeverSavedTemplateNamesItAndPrintsNothing()
    {
        Varnel3DT& w = designer();
        ModalWatcher watcher([](QWidget& modal) { modal.close(); });
        w.runCommand(Varnel3DT::Print);
        QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().join(QLatin1Char(' '))));
        QCOMPARE(dialogs_->messages().size(), 1u);
        const QString message = dialogs_->messages().front().text;
        QVERIFY2(message.contains(QStringLiteral("Nuovo.vn3")), qPrintable(message));
        QVERIFY(!QFile::exists(QStringLiteral("catering.pdf")));
    }
};

QTEST_MAIN(TestVarnel3DT)
#include "tst_varnel3dt.moc"
