// The designer beyond its original window: the preview, the progress of a long print, the window
// that grows and the page that zooms.
#include "designer/PageCanvas.h"
#include "designer/Varnel3DT.h"
#include "engine/widgets/PreviewWindow.h"
#include "engine/widgets/PrintProgress.h"
#include "core/ScriptedDialogs.h"
#include "print/PreviewSink.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"
#include "support/WidgetTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTest>

using namespace ostrivo;

class TestDesignerView : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ScopedCurrentDir> dir_;
    std::unique_ptr<VN3Routine> model_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<Varnel3DT> window_;

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

    Varnel3DT& designer()
    {
        window_ = std::make_unique<Varnel3DT>(*model_, *dialogs_);
        window_->startDesigner();
        return *window_;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<test::ScopedCurrentDir>();
        model_ = std::make_unique<VN3Routine>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
    }
    void cleanup()
    {
        window_.reset();
        dialogs_.reset();
        model_.reset();
        dir_.reset();
    }

    // "Anteprima" prints what the designer holds, never saved: the text just inserted is on the
    // page; "Salva PDF..." writes those pages where the user says.
    void previewShowsTheUnsavedTemplateAndSavesItsPdf()
    {
        Varnel3DT& w = designer();
        w.Combo1()->setCurrentIndex(w.Combo1()->findText(QStringLiteral("TESTO")));
        w.runCommand(Varnel3DT::InserisciOggetto);
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
                    label = preview->pageLabel()->text();
                    saved = preview->savePdf();
                });
                return;
            }
            modal.close();
        });
        QTest::mouseClick(w.previewButton(), Qt::LeftButton);
        QCOMPARE(watcher.seen(), QStringList{QStringLiteral("ostrivo::PreviewWindow")});
        QVERIFY2(texts.contains(QStringLiteral("<inserire testo>")), qPrintable(texts.join(QLatin1Char('|'))));
        QCOMPARE(label, QStringLiteral("Pagina 1 di 1"));
        QVERIFY(saved);
        QVERIFY(test::readFile(dir_->file(QStringLiteral("anteprima.pdf"))).startsWith("%PDF"));
        QVERIFY(dialogs_->messages().back().text.startsWith(QStringLiteral("PDF salvato in ")));
        QVERIFY(dialogs_->allAnswered());
        // Nothing was saved: the designer still has its changes.
        QCOMPARE(model_->NomeModulo, QStringLiteral("Nuovo.vn3"));
        QVERIFY(w.commands().changed());
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
