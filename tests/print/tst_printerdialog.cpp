#include "print/widgets/SystemPrinters.h"
#include "print/widgets/PrinterDialog.h"

#include <QApplication>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QScopeGuard>
#include <QTimer>

#include <functional>

using namespace ostrivo;

namespace {

// Runs action on the printer dialog once it is shown modally (by exec()).
void whenDialogShows(std::function<void(PrinterDialog&)> action)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (auto* dialog = qobject_cast<PrinterDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(*dialog);
        }
    });
    timer->start();
}

QPushButton* button(QWidget& dialog, const char* name)
{
    auto* found = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

QListWidget* list(QWidget& dialog)
{
    return dialog.findChild<QListWidget*>(QStringLiteral("printerList"));
}

void select(QWidget& dialog, const QString& name)
{
    const auto items = list(dialog)->findItems(name, Qt::MatchExactly);
    QVERIFY(!items.isEmpty());
    list(dialog)->setCurrentItem(items.first());
}

}  // namespace

class TestPrinterDialog : public QObject {
    Q_OBJECT

private slots:
    void captionsAreItalian()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio")}, QStringLiteral("Ufficio"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Stampa"));
        QCOMPARE(button(dialog, "okButton")->text(), QStringLiteral("Ok"));
        QCOMPARE(button(dialog, "cancelButton")->text(), QStringLiteral("Annulla"));
        QCOMPARE(button(dialog, "propertiesButton")->text(), QStringLiteral("Proprietà..."));
    }

    // "Anteprima" stands below "PDF" when offered; it is no printer, even beside a queue of that name.
    void previewEntryIsOfferedBelowPdf()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Anteprima"), QStringLiteral("Sala")}, QStringLiteral("Sala"));
        dialog.offerPreview();
        dialog.offerPreview();
        QCOMPARE(list(dialog)->item(1)->text(), QStringLiteral("Anteprima"));
        QCOMPARE(dialog.printers(), (QStringList{QStringLiteral("PDF"), QStringLiteral("Anteprima"), QStringLiteral("Sala")}));
        list(dialog)->setCurrentRow(1);
        QVERIFY(!button(dialog, "propertiesButton")->isEnabled());
        const PrinterChoice preview = dialog.takeChoice();
        QVERIFY(preview.preview);
        QCOMPARE(preview.name, QString());
        list(dialog)->setCurrentRow(2);
        QCOMPARE(dialog.takeChoice().name, QStringLiteral("Anteprima"));
    }

    void listsPdfFirstAndSelectsTheDefault()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio"), QStringLiteral("PDF"), QStringLiteral("Sala")},
                             QStringLiteral("Sala"));
        QCOMPARE(dialog.printers(),
                 (QStringList{QStringLiteral("PDF"), QStringLiteral("Ufficio"), QStringLiteral("Sala")}));
        QCOMPARE(dialog.selectedPrinter(), QStringLiteral("Sala"));
        QVERIFY(button(dialog, "propertiesButton")->isEnabled());
        select(dialog, QStringLiteral("PDF"));
        QCOMPARE(dialog.selectedPrinter(), QStringLiteral("PDF"));
        QVERIFY(!button(dialog, "propertiesButton")->isEnabled());
        select(dialog, QStringLiteral("Ufficio"));
        QVERIFY(button(dialog, "propertiesButton")->isEnabled());
    }

    void withoutPrintersPdfIsListedAndSelected()
    {
        PrinterDialog none(QStringList{}, QString());
        QCOMPARE(none.printers(), QStringList{QStringLiteral("PDF")});
        QCOMPARE(none.selectedPrinter(), QStringLiteral("PDF"));
        QVERIFY(!button(none, "propertiesButton")->isEnabled());
        QVERIFY(button(none, "okButton")->isEnabled());

        // A default that is not listed leaves "PDF" selected.
        PrinterDialog stale(QStringList{QStringLiteral("Ufficio")}, QStringLiteral("Dismessa"));
        QCOMPARE(stale.selectedPrinter(), QStringLiteral("PDF"));
    }

    void systemCatalogueIsShown()
    {
        PrinterDialog dialog;
        QCOMPARE(dialog.printers(), availablePrinters());
        QCOMPARE(dialog.selectedPrinter(), defaultPrinter());
    }

    void okReturnsTheSelection()
    {
        whenDialogShows([](PrinterDialog& dialog) { button(dialog, "okButton")->click(); });
        const auto choice = choosePrinter(nullptr);
        QVERIFY(choice.has_value());
        QCOMPARE(choice->name, defaultPrinter());

        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio"), QStringLiteral("Sala")}, QStringLiteral("Sala"));
        whenDialogShows([](PrinterDialog& shown) {
            select(shown, QStringLiteral("Ufficio"));
            QTest::mouseClick(button(shown, "okButton"), Qt::LeftButton);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.takeChoice().name, QStringLiteral("Ufficio"));
    }

    void doubleClickChoosesThePrinter()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio")}, QString());
        whenDialogShows([](PrinterDialog& shown) {
            QListWidget* printers = list(shown);
            QListWidgetItem* item = printers->findItems(QStringLiteral("Ufficio"), Qt::MatchExactly).first();
            printers->setCurrentItem(item);
            emit printers->itemDoubleClicked(item);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.selectedPrinter(), QStringLiteral("Ufficio"));
    }

    void cancelReturnsNothing()
    {
        whenDialogShows([](PrinterDialog& dialog) { QTest::mouseClick(button(dialog, "cancelButton"), Qt::LeftButton); });
        QVERIFY(!choosePrinter(nullptr).has_value());
    }

    void closeReturnsNothing()
    {
        whenDialogShows([](PrinterDialog& dialog) { dialog.close(); });
        QVERIFY(!choosePrinter(nullptr).has_value());
    }

    void escapeReturnsNothing()
    {
        whenDialogShows([](PrinterDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QVERIFY(!choosePrinter(nullptr).has_value());
    }

    void confirmedSettingsGoWithTheChoice()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio"), QStringLiteral("Sala")}, QStringLiteral("Sala"));
        int edits = 0;
        QWidget* editorParent = nullptr;
        bool confirm = true;
        dialog.setSettingsEditor([&](QPrinter& printer, QWidget* parent) {
            ++edits;
            editorParent = parent;
            if (!confirm)
                return false;
            printer.setPageOrientation(QPageLayout::Landscape);
            printer.setCopyCount(printer.copyCount() + 1);
            return true;
        });

        button(dialog, "propertiesButton")->click();
        QCOMPARE(edits, 1);
        QCOMPARE(editorParent, &dialog);
        QVERIFY(dialog.settingsFor(QStringLiteral("Sala")));

        // Cancelled settings of another printer are not kept.
        confirm = false;
        select(dialog, QStringLiteral("Ufficio"));
        button(dialog, "propertiesButton")->click();
        QCOMPARE(edits, 2);
        QVERIFY(!dialog.settingsFor(QStringLiteral("Ufficio")));

        // "PDF" has no settings: the button is off and the editor is never called.
        select(dialog, QStringLiteral("PDF"));
        QVERIFY(!button(dialog, "propertiesButton")->isEnabled());
        dialog.editSettings();
        QCOMPARE(edits, 2);

        // Back on "Sala" the kept settings are edited further, not started afresh.
        confirm = true;
        select(dialog, QStringLiteral("Sala"));
        button(dialog, "propertiesButton")->click();
        QCOMPARE(edits, 3);
        PrinterChoice choice = dialog.takeChoice();
        QCOMPARE(choice.name, QStringLiteral("Sala"));
        QVERIFY(choice.settings);
        QCOMPARE(choice.settings->pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(choice.settings->copyCount(), 3);
    }

    void pdfChoiceCarriesNoSettings()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Sala")}, QStringLiteral("Sala"));
        dialog.setSettingsEditor([](QPrinter&, QWidget*) { return true; });
        button(dialog, "propertiesButton")->click();
        select(dialog, QStringLiteral("PDF"));
        const PrinterChoice choice = dialog.takeChoice();
        QCOMPARE(choice.name, QStringLiteral("PDF"));
        QVERIFY(!choice.settings);
    }

    void keyboardOnlyFocusStartsOnTheListAndEnterChooses()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio"), QStringLiteral("Sala")}, QStringLiteral("Sala"));
        whenDialogShows([](PrinterDialog& shown) {
            // A failed check returns early: the dialog must still end.
            const auto end = qScopeGuard([&shown] {
                if (shown.isVisible())
                    shown.reject();
            });
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list(shown)));
            // Home selects "PDF", Down the next printer; Enter in the list chooses the selection.
            QTest::keyClick(list(shown), Qt::Key_Home);
            QCOMPARE(shown.selectedPrinter(), QStringLiteral("PDF"));
            QTest::keyClick(list(shown), Qt::Key_Down);
            QCOMPARE(shown.selectedPrinter(), QStringLiteral("Ufficio"));
            QTest::keyClick(list(shown), Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.takeChoice().name, QStringLiteral("Ufficio"));
    }

    void enterWithoutPrintersChoosesPdf()
    {
        PrinterDialog dialog(QStringList{}, QString());
        whenDialogShows([](PrinterDialog&) { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.takeChoice().name, QStringLiteral("PDF"));
    }

    void enterOnTheFocusedOkChooses()
    {
        PrinterDialog dialog(QStringList{QStringLiteral("Ufficio")}, QStringLiteral("Ufficio"));
        whenDialogShows([](PrinterDialog& shown) {
            button(shown, "okButton")->setFocus();
            QTest::keyClick(button(shown, "okButton"), Qt::Key_Return);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.takeChoice().name, QStringLiteral("Ufficio"));

        // Enter on a focused "Annulla" cancels.
        PrinterDialog other(QStringList{QStringLiteral("Ufficio")}, QStringLiteral("Ufficio"));
        whenDialogShows([](PrinterDialog& shown) {
            button(shown, "cancelButton")->setFocus();
            QTest::keyClick(button(shown, "cancelButton"), Qt::Key_Return);
        });
        QCOMPARE(other.exec(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TestPrinterDialog)
#include "tst_printerdialog.moc"
