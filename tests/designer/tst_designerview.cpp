// The designer beyond its original window: the preview, the progress of a long print, the window
// that grows and the page that zooms.
#include "designer/CanvasView.h"
#include "designer/PageCanvas.h"
#include "designer/Varnel3DT.h"
#include "engine/widgets/PreviewWindow.h"
#include "engine/widgets/PrintProgress.h"
#include "core/ScriptedDialogs.h"
#include "print/PreviewSink.h"
#include "template/VN3Routine.h"

#include "support/DesignerTestSupport.h"
#include "support/TestSupport.h"
#include "support/WidgetTestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

using namespace ostrivo;

class TestDesignerView : public test::DesignerTestBase {
    Q_OBJECT

private:
    // Runs action on the preview once its print has ended, then closes it.
    static void whenPrinted(PreviewWindow& preview, std::function<void()> action)
    {
        QPointer<PreviewWindow> window(&preview);
        QTimer::singleShot(10, [window, action] {
            if (!window)
                return;
            if (!window->pages().ended()) {
                whenPrinted(*window, action);
                return;
            }
            action();
            window->close();
        });
    }

private slots:
    void init() { start(); }
    void cleanup() { end(); }

    // "Anteprima" prints what the designer holds, never saved: the text just inserted is on the
    // page; "Salva PDF..." writes those pages where the user says.
    void previewShowsTheUnsavedTemplateAndSavesItsPdf()
    {
        Varnel3DT& w = designer();
        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("TESTO")));
        w.runCommand(Varnel3DT::InsertObject);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        dialogs_->answerFile(dir_->file(QStringLiteral("anteprima")));
        dialogs_->answerMessage(MessageAnswer::No);
        QStringList texts;
        QString label;
        bool saved = false;
        test::ModalWatcher watcher([&](QWidget& modal) {
            if (auto* preview = qobject_cast<PreviewWindow*>(&modal)) {
                whenPrinted(*preview, [&, preview] {
                    for (const PrintOp& op : preview->pages().ops())
                        texts << op.text;
                    label = preview->pageLabel()->text() + QLatin1Char('|') + preview->windowTitle();
                    saved = preview->savePdf();
                });
                return;
            }
            modal.close();
        });
        QTest::mouseClick(w.previewButton(), Qt::LeftButton);
        QCOMPARE(watcher.seen(), QStringList{QStringLiteral("ostrivo::PreviewWindow")});
        QVERIFY2(texts.contains(QStringLiteral("<inserire testo>")), qPrintable(texts.join(QLatin1Char('|'))));
        QCOMPARE(label, QStringLiteral("Pagina 1 di 1|Anteprima - Nuovo.vn3 (1 pagina)"));
        QVERIFY(saved);
        QVERIFY(test::readFile(dir_->file(QStringLiteral("anteprima.pdf"))).startsWith("%PDF"));
        QVERIFY(dialogs_->messages().back().text.startsWith(QStringLiteral("PDF salvato in ")));
        QVERIFY(dialogs_->allAnswered());
        // Nothing was saved: the designer still has its changes.
        QCOMPARE(model_->NomeModulo, QStringLiteral("Nuovo.vn3"));
        QVERIFY(w.commands().changed());
    }

    void dragMovesTheSameUnitsAtEveryZoom_data()
    {
        QTest::addColumn<int>("percent");
        for (int percent : {50, 100, 200, 400})
            QTest::addRow("%d %%", percent) << percent;
    }

    // Pointer offsets are read in twips at the scale shown: 3.5 units right and 1.5 down of the
    // corner (284 and 166 twips) move a rectangle 3 units right and 2 down whatever the zoom.
    void dragMovesTheSameUnitsAtEveryZoom()
    {
        QFETCH(int, percent);
        Varnel3DT& w = designer();
        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("RETTANGOLI")));
        w.runCommand(Varnel3DT::InsertObject);
        const QSize normal = w.Picture1()->size();
        w.setZoom(percent);
        QCOMPARE(w.zoomBox()->currentText(), QStringLiteral("%1 %").arg(percent));
        PageCanvas* canvas = w.Picture1();
        QCOMPARE(canvas->width(), qRound(normal.width() * percent / 100.0));
        QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->toPixels(0.5, 0.5).toPoint());
        const QPointF to = canvas->toPixels(3.5, 1.5);
        QMouseEvent move(QEvent::MouseMove, to, canvas->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        const CanvasControl& moved = w.canvasModel().control({CanvasSet::Label2, 1});
        QCOMPARE(moved.left, 3.0);
        QCOMPARE(moved.top, 2.0);
    }

    // Ctrl with the wheel, Ctrl++ and Ctrl+- step the scale; Ctrl+0 brings back the original one.
    void keysAndWheelZoom()
    {
        Varnel3DT& w = designer();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(w.zoom(), 125);
        QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(w.zoom(), 75);
        QTest::keyClick(&w, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(w.zoom(), 100);
        // Two notches over the page (the area takes what the canvas leaves).
        QWidget* area = w.canvasView()->viewport();
        const QPointF at = w.Picture1()->mapTo(area, w.Picture1()->rect().center());
        QWheelEvent wheel(at, area->mapToGlobal(at), {}, QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &wheel);
        QCOMPARE(w.zoom(), 150);
    }

    // Grown, the window keeps the column at its right edge and gives the rest to the page; its
    // size and zoom come back in the next session.
    void windowGrowsAndIsRemembered()
    {
        QSettings settings(dir_->file(QStringLiteral("designer.ini")), QSettings::IniFormat);
        {
            Varnel3DT& w = designer();
            w.useSettings(&settings);
            const QRect nuovo = w.SSCommand1(Varnel3DT::NewTemplate)->geometry();
            const QRect canvas = w.Picture1()->geometry();
            const int viewWidth = w.canvasView()->width();
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.resize(w.size() + QSize(300, 200));
            QTRY_COMPARE(w.SSCommand1(Varnel3DT::NewTemplate)->geometry(), nuovo.translated(300, 0));
            QCOMPARE(w.canvasView()->width(), viewWidth + 300);
            QCOMPARE(w.Picture1()->geometry(), canvas);
            w.setZoom(200);
            QVERIFY(w.close());
        }
        window_.reset();
        Varnel3DT& again = designer();
        again.useSettings(&settings);
        QCOMPARE(again.zoom(), 200);
        QCOMPARE(again.size(), Varnel3DT(*model_, *dialogs_).size() + QSize(300, 200));
    }

    // The window comes once the print has run long enough; "Interrompi" stops it at its next page.
    void progressShowsAndStops()
    {
        PrintProgress progress(nullptr, 0);
        QVERIFY(progress.pageBegun(2));
        QVERIFY(progress.isVisible());
        QCOMPARE(progress.heading()->text(), QStringLiteral("Stampa in corso: pagina 2"));
        QTest::mouseClick(progress.stopButton(), Qt::LeftButton);
        QVERIFY(progress.stopped());
        // It stays until the print has ended, so that nothing else starts meanwhile.
        QVERIFY(progress.isVisible());
        QVERIFY(!progress.pageBegun(3));
    }
};

QTEST_MAIN(TestDesignerView)
#include "tst_designerview.moc"
