#include "engine/widgets/InsParametri.h"
#include "core/ScriptedDialogs.h"
#include "engine/ParameterPrompts.h"
#include "template/VN3Routine.h"

#include "support/TestSupport.h"
#include "support/WidgetTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace ostrivo;

namespace {

// A template whose [PARAMETRI] section holds the given lines, between two other sections.
void writeTemplateWithParameters(const QString& path, const QStringList& parameters)
{
    QStringList lines = {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"),
                         QStringLiteral("dati.db,Righe,"), QStringLiteral("[PARAMETRI]")};
    lines << parameters << QStringLiteral("[TESTO]") << QStringLiteral("Titolo,1,1,Arial,10,0,")
          << QStringLiteral("[FINE]");
    test::writeTemplate(path, lines);
}

using test::ModalWatcher;
using test::px;
using test::twipsRect;

}  // namespace

class TestInsParametri : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ScopedCurrentDir> dir_;
    VN3Routine model_;
    ScriptedDialogs dialogs_;

    // The one message shown, with its title.
    QString onlyMessage() const
    {
        if (dialogs_.messages().size() != 1)
            return QStringLiteral("%1 messages").arg(dialogs_.messages().size());
        const MessageRequest& m = dialogs_.messages().front();
        return m.title == QLatin1String("Inserimento parametri per la stampa") ? m.text : QStringLiteral("title ") + m.title;
    }

    std::vector<ParameterPrompt> prompts(const QStringList& parameters)
    {
        writeTemplateWithParameters(QStringLiteral("t.vn3"), parameters);
        model_.NomeModulo = QStringLiteral("t.vn3");
        return readParameterPrompts(model_.NomeModulo);
    }

    // Shows the dialog and waits until it has the keyboard.
    static void showActive(InsParametri& dialog)
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

    static void pressEnter()
    {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Return);
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<test::ScopedCurrentDir>();
        model_ = VN3Routine();
        dialogs_ = ScriptedDialogs();
    }
    void cleanup() { dir_.reset(); }

    void captionAndButtons()
    {
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("N,=,Num,1,Numero,")}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Inserimento parametri per la stampa"));
        QCOMPARE(dialog.T(0)->text(), QStringLiteral("Ok"));
        QCOMPARE(dialog.T(1)->text(), QStringLiteral("Annulla"));
        QCOMPARE(dialog.Label1(0)->text(), QStringLiteral("Label1"));
        QVERIFY(dialog.isModal());
    }

    // The form's twips, worked out by hand from its pattern row and its rule of growth, once.
    void layoutInTwipsGrowsDownwardsPerRow_data()
    {
        QTest::addColumn<QList<int>>("rowTops");
        QTest::addColumn<int>("buttonTop");
        QTest::addColumn<int>("innerHeight");
        QTest::newRow("one") << QList<int>{84} << 778 << 1519;
        QTest::newRow("three") << QList<int>{84, 388, 692} << 1326 << 2127;
        QTest::newRow("ten") << QList<int>{84, 388, 692, 996, 1300, 1604, 1908, 2212, 2516, 2820} << 3244 << 4255;
    }
    void layoutInTwipsGrowsDownwardsPerRow()
    {
        QFETCH(QList<int>, rowTops);
        QFETCH(int, buttonTop);
        QFETCH(int, innerHeight);
        const int rows = static_cast<int>(rowTops.size());
        QStringList lines;
        for (int n = 1; n <= rows; ++n)
            lines << QStringLiteral("C%1,=,Str,<nessuno>,Valore %1,").arg(n);
        InsParametri dialog(model_, dialogs_, prompts(lines));
        const QScreen* screen = dialog.screen();
        QVERIFY(screen);
        const double dx = screen->logicalDotsPerInchX();
        const double dy = screen->logicalDotsPerInchY();

        QCOMPARE(dialog.rowCount(), rows);
        QCOMPARE(dialog.Label1(0)->geometry(), twipsRect(168, 84, 3120, 264, dx, dy));
        QCOMPARE(dialog.Text1(0)->geometry(), twipsRect(3276, 84, 2868, 288, dx, dy));
        QVERIFY(dialog.Label1(0)->isHidden());
        QVERIFY(dialog.Text1(0)->isHidden());
        for (int n = 1; n <= rows; ++n) {
            const int top = rowTops.at(n - 1);
            QCOMPARE(dialog.Label1(n)->geometry(), twipsRect(168, top, 3120, 264, dx, dy));
            QCOMPARE(dialog.Text1(n)->geometry(), twipsRect(3276, top, 2868, 288, dx, dy));
            QVERIFY(!dialog.Label1(n)->isHidden());
            QVERIFY(!dialog.Text1(n)->isHidden());
        }
        QCOMPARE(dialog.T(0)->geometry(), twipsRect(336, buttonTop, 1440, 600, dx, dy));
        QCOMPARE(dialog.T(1)->geometry(), twipsRect(4452, buttonTop, 1440, 600, dx, dy));
        const QSize inner(px(6270, dx), px(innerHeight, dy));
        QCOMPARE(dialog.size(), inner);
        QCOMPARE(dialog.minimumSize(), inner);
        QCOMPARE(dialog.maximumSize(), inner);
        // Every button lies inside the dialog, below the last row.
        QVERIFY(dialog.rect().contains(dialog.T(1)->geometry()));
        QVERIFY(dialog.T(0)->geometry().top() >= dialog.Text1(rows)->geometry().bottom());
    }

    void promptWordsPerOperator()
    {
        InsParametri dialog(model_, dialogs_, prompts({
                                        QStringLiteral("A,=,Str,<nessuno>,Cliente,"),
                                        QStringLiteral("A,<,Num,<nessuno>,Importo,"),
                                        QStringLiteral("A,>,Num,<nessuno>,Importo,"),
                                        QStringLiteral("A,<=,Date,<nessuno>,Data,"),
                                        QStringLiteral("ARRIVO,>=,Date,<nessuno>,Data arrivo,"),
                                        QStringLiteral("A,<>,Str,<nessuno>,Citta,"),
                                        QStringLiteral("A,In,Num,<nessuno>,Camere,"),
                                        QStringLiteral("A,No,Num,<nessuno>,Camere,"),
                                        QStringLiteral("A,in,Num,<nessuno>,Minuscolo,"),
                                        QStringLiteral("A,=>,Num,<nessuno>,Ignoto,"),
                                    }));
        const QStringList expected = {
            QStringLiteral("Cliente uguale a "), QStringLiteral("Importo inferiore a "),
            QStringLiteral("Importo superiore a "), QStringLiteral("Data fino a "),
            QStringLiteral("Data arrivo da "), QStringLiteral("Citta diverso da "),
            QStringLiteral("Camere include "), QStringLiteral("Camere non include "),
            // Operators are compared exactly: these keep the pattern's caption.
            QStringLiteral("Label1"), QStringLiteral("Label1"),
        };
        QCOMPARE(dialog.rowCount(), expected.size());
        for (int n = 1; n <= dialog.rowCount(); ++n)
            QCOMPARE(dialog.Label1(n)->text(), expected.at(n - 1));
        QCOMPARE(model_.NumParametri, qint16(10));
    }

    void prefillTakesRequestThenDefaultThenEmpty()
    {
        model_.ValoriRichiesta(1) = QStringLiteral("7");
        model_.ValoriRichiesta(2) = QString();
        model_.ValoriRichiesta(4) = QStringLiteral("rossi");
        InsParametri dialog(model_, dialogs_, prompts({
                                        QStringLiteral("A,=,Num,5,Uno,"),
                                        QStringLiteral("B,=,Str,ABC,Due,"),
                                        QStringLiteral("C,=,Str,<nessuno>,Tre,"),
                                        QStringLiteral("D,=,Str,<nessuno>,Quattro,"),
                                        QStringLiteral("E,=,Str, <nessuno>,Cinque,"),
                                    }));
        QCOMPARE(dialog.Text1(1)->text(), QStringLiteral("7"));
        QCOMPARE(dialog.Text1(2)->text(), QStringLiteral("ABC"));
        QCOMPARE(dialog.Text1(3)->text(), QString());
        QCOMPARE(dialog.Text1(4)->text(), QStringLiteral("rossi"));
        // Only the exact word means "no default".
        QCOMPARE(dialog.Text1(5)->text(), QStringLiteral(" <nessuno>"));
    }

    void focusStartsOnTheFirstBoxAndTabFollowsTheRows()
    {
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("A,=,Str,uno,Uno,"), QStringLiteral("B,=,Str,due,Due,"),
                                             QStringLiteral("C,=,Str,tre,Tre,")}));
        showActive(dialog);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(1)));
        QTRY_COMPARE(dialog.Text1(1)->selectedText(), QStringLiteral("uno"));
        QTest::keyClick(dialog.Text1(1), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(2)));
        QTest::keyClick(dialog.Text1(2), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(3)));
        QTest::keyClick(dialog.Text1(3), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.T(0)));
    }

    void focusSelectsTheWholeTextAlsoAfterAClick()
    {
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("A,=,Str,uno,Uno,"), QStringLiteral("B,=,Str,secondo,Due,")}));
        showActive(dialog);
        QTest::mouseClick(dialog.Text1(2), Qt::LeftButton, {}, QPoint(3, dialog.Text1(2)->height() / 2));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(2)));
        QTRY_COMPARE(dialog.Text1(2)->selectedText(), QStringLiteral("secondo"));
        // Typing replaces the selected value.
        QTest::keyClicks(dialog.Text1(2), QStringLiteral("nuovo"));
        QCOMPARE(dialog.Text1(2)->text(), QStringLiteral("nuovo"));
    }

    void enterNormalisesByTypeAndMovesOn()
    {
        InsParametri dialog(model_, dialogs_, prompts({
                                        QStringLiteral("ARRIVO,>=,Date,<nessuno>,Data arrivo,"),
                                        QStringLiteral("NOME,=,Str,valore,Nome,"),
                                        QStringLiteral("N,>=,Num,<nessuno>,Numero,"),
                                        QStringLiteral("IMPORTO,<=,Cur,<nessuno>,Importo,"),
                                        QStringLiteral("CAMERA,In,Num,<nessuno>,Camere,"),
                                        QStringLiteral("GIORNO,No,Date,<nessuno>,Giorni,"),
                                        QStringLiteral("X,=,Boh,<nessuno>,Altro,"),
                                    }));
        QCOMPARE(dialog.Label1(1)->text(), QStringLiteral("Data arrivo da "));
        QCOMPARE(dialog.Text1(1)->text(), QString());
        showActive(dialog);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(1)));

        const QStringList typed = {QStringLiteral("010524"), QStringLiteral("l'albergo"), QStringLiteral("12a,5"),
                                   QStringLiteral("1234.50"), QStringLiteral("1a; 2b;3"), QStringLiteral("010524;311299"),
                                   QStringLiteral("  tale e quale ")};
        const QStringList normalised = {QStringLiteral("01/05/2024"), QStringLiteral("L\u00B4ALBERGO"),
                                        QStringLiteral("12,5"),       QStringLiteral("1.234,50"),
                                        QStringLiteral("1;2;3"),      QStringLiteral("01/05/2024;31/12/1999"),
                                        QStringLiteral("  tale e quale ")};
        for (int n = 1; n <= typed.size(); ++n) {
            QLineEdit* box = dialog.Text1(n);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box));
            box->selectAll();
            QTest::keyClicks(box, typed.at(n - 1));
            QCOMPARE(box->text(), typed.at(n - 1));
            pressEnter();
            QCOMPARE(box->text(), normalised.at(n - 1));
            QWidget* next = n < typed.size() ? static_cast<QWidget*>(dialog.Text1(n + 1)) : dialog.T(0);
            QCOMPARE(QApplication::focusWidget(), next);
            // Enter in a box never closes the dialog.
            QVERIFY(dialog.isVisible());
        }
        // Enter on the focused "Ok" presses it.
        pressEnter();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        // The amounts travel in point form: their decimal comma would split the list.
        QCOMPARE(model_.ValoriParametri,
                 QStringLiteral("01/05/2024,L\u00B4ALBERGO,12.5,1234.50,1;2;3,01/05/2024;31/12/1999,tale e quale,"));
        QCOMPARE(model_.NumParametri, qint16(7));
    }

    void keypadEnterWorksLikeReturn()
    {
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("ARRIVO,>=,Date,<nessuno>,Data arrivo,"),
                                             QStringLiteral("B,=,Str,<nessuno>,Due,")}));
        showActive(dialog);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(1)));
        QTest::keyClicks(dialog.Text1(1), QStringLiteral("31122024"));
        QTest::keyClick(dialog.Text1(1), Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(dialog.Text1(1)->text(), QStringLiteral("31/12/2024"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(dialog.Text1(2)));
    }

    void okGivesTheSameValuesWithOrWithoutEnter_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::newRow("straight to Ok") << false;
        QTest::newRow("Enter in every box, then Ok") << true;
    }
    void okGivesTheSameValuesWithOrWithoutEnter()
    {
        QFETCH(bool, enter);
        model_.ValoriRichiesta(1) = QStringLiteral("1.500");
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("IMPORTO,>=,Cur,<nessuno>,Importo,"),
                                             QStringLiteral("ARRIVO,>=,Date,010524,Data arrivo,"),
                                             QStringLiteral("N,=,Num,<nessuno>,Numero,")}));
        showActive(dialog);
        QTest::keyClicks(dialog.Text1(3), QStringLiteral("  12 "));
        if (enter) {
            dialog.Text1(1)->setFocus();
            for (int n = 1; n <= 3; ++n)
                pressEnter();
            QCOMPARE(dialog.Text1(1)->text(), QStringLiteral("1.500,00"));
        }
        QTest::mouseClick(dialog.T(0), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(model_.ValoriParametri, QStringLiteral("1500.00,01/05/2024,12,"));
    }

    // A print request may carry such a value: the dialog shows it, and "Ok" refuses it.
    void aValueThatWouldPrintWrongIsRefused_data()
    {
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("corrected");
        QTest::newRow("a comma in a text") << "NOME,=,Str,<nessuno>,Cliente," << "Rossi, Mario" << "Rossi Mario";
        QTest::newRow("a date that does not exist") << "ARRIVO,>=,Date,<nessuno>,Arrivo," << "32/13/2024" << "31/12/2024";
        QTest::newRow("a number that is none") << "N,=,Num,<nessuno>,Numero," << "abc" << "12";
    }
    void aValueThatWouldPrintWrongIsRefused()
    {
        QFETCH(QString, parameter);
        QFETCH(QString, request);
        QFETCH(QString, corrected);
        model_.ValoriRichiesta(1) = request;
        model_.ValoriRichiesta(3) = QStringLiteral("1.234,50");
        const auto rows = prompts({parameter, QStringLiteral("N,=,Num,<nessuno>,Numero,"), QStringLiteral("IMPORTO,>=,Cur,<nessuno>,Importo,")});
        InsParametri dialog(model_, dialogs_, rows);
        model_.ValoriParametri = QStringLiteral("Null");
        showActive(dialog);
        QCOMPARE(dialog.Text1(1)->text(), request);
        QTest::keyClicks(dialog.Text1(2), QStringLiteral("7"));
        QTest::mouseClick(dialog.T(0), Qt::LeftButton);
        QVERIFY2(onlyMessage().contains(rows.front().prompt), qPrintable(onlyMessage()));
        QVERIFY2(onlyMessage().contains(request), qPrintable(onlyMessage()));
        // The dialog stays, on the value to correct; nothing was handed on.
        QVERIFY(dialog.isVisible());
        QCOMPARE(model_.ValoriParametri, QStringLiteral("Null"));
        QTRY_COMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.Text1(1)));

        dialog.Text1(1)->setText(corrected);
        QTest::mouseClick(dialog.T(0), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(model_.ValoriParametri, corrected + QStringLiteral(",7,1234.50,"));
    }

    void twoValuesGiveTheListWithItsFinalComma()
    {
        model_.ValoriRichiesta(1) = QStringLiteral("12");
        model_.ValoriRichiesta(2) = QStringLiteral("ROSSI");
        prompts({QStringLiteral("N,=,Num,<nessuno>,Numero,"), QStringLiteral("NOME,=,Str,<nessuno>,Nome,")});
        ModalWatcher watcher([](QWidget& modal) {
            if (auto* dialog = qobject_cast<InsParametri*>(&modal))
                dialog->T(0)->click();
        });
        QCOMPARE(InsParametri::ask(model_, dialogs_), QStringLiteral("12,ROSSI,"));
        QCOMPARE(model_.ValoriParametri, QStringLiteral("12,ROSSI,"));
        QCOMPARE(watcher.seen(), QStringList{QStringLiteral("ostrivo::InsParametri")});
    }

    void cancelGivesNull()
    {
        prompts({QStringLiteral("N,=,Num,4,Numero,")});
        ModalWatcher watcher([](QWidget& modal) {
            if (auto* dialog = qobject_cast<InsParametri*>(&modal))
                QTest::mouseClick(dialog->T(1), Qt::LeftButton);
        });
        QCOMPARE(InsParametri::ask(model_, dialogs_), QStringLiteral("Null"));
        QCOMPARE(model_.ValoriParametri, QStringLiteral("Null"));
        QCOMPARE(model_.NumParametri, qint16(1));
    }

    void closeControlAndEscapeCountAsCancel_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("close control") << false;
        QTest::newRow("Escape") << true;
    }
    void closeControlAndEscapeCountAsCancel()
    {
        QFETCH(bool, escape);
        InsParametri dialog(model_, dialogs_, prompts({QStringLiteral("N,=,Num,4,Numero,")}));
        model_.ValoriParametri = QStringLiteral("4,");  // left over from an earlier print
        showActive(dialog);
        if (escape)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            QVERIFY(dialog.close());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(model_.ValoriParametri, QStringLiteral("Null"));
    }

    void withoutParametersOkAtOnce_data()
    {
        QTest::addColumn<bool>("section");
        QTest::newRow("no [PARAMETRI]") << false;
        QTest::newRow("empty [PARAMETRI]") << true;
    }
    void withoutParametersOkAtOnce()
    {
        QFETCH(bool, section);
        QStringList lines = {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral(",,")};
        if (section)
            lines << QStringLiteral("[PARAMETRI]");
        lines << QStringLiteral("[TESTO]") << QStringLiteral("Titolo,1,1,Arial,10,0,") << QStringLiteral("[FINE]");
        test::writeTemplate(QStringLiteral("t.vn3"), lines);
        model_.NomeModulo = QStringLiteral("t.vn3");
        model_.NumParametri = 4;
        model_.ValoriParametri = QStringLiteral("Null");
        ModalWatcher watcher([](QWidget& modal) { modal.close(); });
        QCOMPARE(InsParametri::ask(model_, dialogs_), QString());
        QCOMPARE(model_.ValoriParametri, QString());
        QCOMPARE(model_.NumParametri, qint16(0));
        QTest::qWait(50);
        QVERIFY2(watcher.seen().isEmpty(), qPrintable(watcher.seen().join(QLatin1Char(' '))));
    }

    void parametersInSeveralSectionsAndOnlyInThem()
    {
        test::writeTemplate(QStringLiteral("t.vn3"),
                            {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral(",,"),
                             QStringLiteral("[PARAMETRI]"), QStringLiteral("A,=,Str,<nessuno>,Primo,"), QStringLiteral("[TESTO]"),
                             QStringLiteral("B,=,Str,<nessuno>,Non un parametro,"), QStringLiteral("[PARAMETRI] "),
                             QStringLiteral("C,=,Str,<nessuno>,Nemmeno,"), QStringLiteral("[PARAMETRI]"),
                             QStringLiteral("D,<>,Str,<nessuno>,Secondo,"), QStringLiteral("[FINE]")});
        model_.NomeModulo = QStringLiteral("t.vn3");
        InsParametri dialog(model_, dialogs_, readParameterPrompts(model_.NomeModulo));
        QCOMPARE(dialog.rowCount(), 2);
        QCOMPARE(dialog.Label1(1)->text(), QStringLiteral("Primo uguale a "));
        QCOMPARE(dialog.Label1(2)->text(), QStringLiteral("Secondo diverso da "));
    }

    // A template the dialog cannot read is reported, naming the file and the line, and gives
    // "Null": nothing is printed.
    void unreadableTemplatesAreNamedAndGiveNull_data()
    {
        QTest::addColumn<QStringList>("parameters");  // empty: no file at all
        QTest::addColumn<QStringList>("named");
        QStringList eleven;
        for (int n = 1; n <= 11; ++n)
            eleven << QStringLiteral("C%1,=,Str,<nessuno>,Valore %1,").arg(n);
        QTest::newRow("never saved") << QStringList() << QStringList{QStringLiteral("Nuovo.vn3")};
        // The 11th parameter is line 16 of the file.
        QTest::newRow("eleven parameters") << eleven << QStringList{QStringLiteral("t.vn3"), QStringLiteral("16")};
        QTest::newRow("too few fields") << QStringList{QStringLiteral("A,=,Str,<nessuno>,Uno,"), QStringLiteral("B,=,Str,")}
                                        << QStringList{QStringLiteral("t.vn3"), QStringLiteral("riga 7")};
    }
    void unreadableTemplatesAreNamedAndGiveNull()
    {
        QFETCH(QStringList, parameters);
        QFETCH(QStringList, named);
        model_.NomeModulo = QStringLiteral("Nuovo.vn3");
        if (!parameters.isEmpty()) {
            writeTemplateWithParameters(QStringLiteral("t.vn3"), parameters);
            model_.NomeModulo = QStringLiteral("t.vn3");
        }
        model_.NumParametri = 3;
        QCOMPARE(InsParametri::ask(model_, dialogs_), QStringLiteral("Null"));
        QCOMPARE(model_.ValoriParametri, QStringLiteral("Null"));
        QCOMPARE(model_.NumParametri, qint16(0));
        for (const QString& name : named)
            QVERIFY2(onlyMessage().contains(name), qPrintable(onlyMessage()));
    }

    void tenParametersAreFine()
    {
        QStringList lines;
        for (int n = 1; n <= 10; ++n)
            lines << QStringLiteral("C%1,=,Str,<nessuno>,Valore %1,").arg(n);
        writeTemplateWithParameters(QStringLiteral("t.vn3"), lines);
        model_.NomeModulo = QStringLiteral("t.vn3");
        ModalWatcher okWatcher([](QWidget& modal) {
            if (auto* dialog = qobject_cast<InsParametri*>(&modal))
                dialog->T(0)->click();
            else
                modal.close();
        });
        QCOMPARE(InsParametri::ask(model_, dialogs_), QStringLiteral(",,,,,,,,,,"));
        QCOMPARE(okWatcher.seen(), QStringList{QStringLiteral("ostrivo::InsParametri")});
        QVERIFY(dialogs_.messages().empty());
    }
};

QTEST_MAIN(TestInsParametri)
#include "tst_insparametri.moc"
