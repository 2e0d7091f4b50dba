#include "dialogs/Parametri.h"
#include "dialogs/PropertyValues.h"
#include "core/ScriptedDialogs.h"
#include "template/VN3Routine.h"

#include "support/FormTestSupport.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace ostrivo;

class TestParametri : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ScopedCurrentDir> dir_;
    VN3Routine model_;
    ScriptedDialogs dialogs_;
    QString hotel_;

    std::unique_ptr<Parametri> open()
    {
        auto d = std::make_unique<Parametri>(model_, dialogs_);
        d->load();
        return d;
    }
    void setParameters(int count)
    {
        for (int i = 1; i <= count; ++i) {
            const QStringList row = {QStringLiteral("Camera"), QStringLiteral("Camera %1").arg(i), "=", "<nessuno>", "3"};
            for (const ParameterAttr c : everyColumn<ParameterAttr>())
                model_.ElencoParametri(i, c) = row[static_cast<int>(c) - 1];
        }
    }
    // Chooses a column and an operator and presses "inserisci".
    static void insert(Parametri& d, const QString& column, const QString& prompt, const QString& op)
    {
        if (!column.isEmpty())
            QVERIFY(test::pick(d.Combo1(1), column));
        d.Text1(1)->setText(prompt);
        QVERIFY(test::pick(d.Combo1(2), op));
        QTest::mouseClick(d.SSCommand1(6), Qt::LeftButton);
    }

private slots:
    void init()
    {
        OSTRIVO_QSKIP_WITHOUT_TEST_DATA();
        dir_ = std::make_unique<test::ScopedCurrentDir>();
        model_ = VN3Routine();
        dialogs_ = ScriptedDialogs();
        hotel_ = test::testDataFile(QStringLiteral("hotel.mdb"));
        model_.DatabaseRif = hotel_;
        model_.TabellaRif = QStringLiteral("Prenotazioni");
    }
    void cleanup() { dir_.reset(); }

    void form()
    {
        setParameters(2);
        auto d = open();
        QCOMPARE(d->windowTitle(), QStringLiteral("Inserimento/Modifica parametri di stampa"));
        QCOMPARE(test::formProblems(*d), QStringList());
        QCOMPARE(test::tabSequence(d->SSCommand1(0), 13),
                 QList<QWidget*>({d->SSCommand1(0), d->Combo1(0), d->Combo1(1), d->Text1(1), d->Combo1(2), d->Text1(3),
                                  d->SSCommand1(6), d->List1(), d->SSCommand1(1), d->SSCommand1(2), d->SSCommand1(3),
                                  d->SSCommand1(5), d->SSCommand1(4)}));
        QCOMPARE(d->Text1(0)->text(), hotel_);
        QCOMPARE(d->Combo1(0)->currentText(), QStringLiteral("Prenotazioni"));
        QVERIFY(test::entries(d->Combo1(1)).contains(QStringLiteral("DataArrivo")));
        QCOMPARE(test::entries(d->Combo1(2)).size(), 8);
        QCOMPARE(d->Combo1(2)->currentIndex(), -1);
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("<nessuno>"));
        QCOMPARE(d->List1()->count(), 2);
        QCOMPARE(d->List1()->item(1)->text().mid(21, 8), QStringLiteral("Camera 2"));
        QCOMPARE(d->List1()->item(1)->text().mid(90, 12), QStringLiteral("Prenotazioni"));
    }

    void rowsAreMadeFromTheBoxesAndStoredOnOk()
    {
        auto d = open();
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("DataArrivo")));
        QCOMPARE(d->Text1(2)->text(), QStringLiteral(" 10 - text"));
        QCOMPARE(d->focusWidget(), d->Text1(1));
        QTest::keyClicks(d->Text1(1), QStringLiteral("Dalla data"));
        QTest::keyClick(d->Text1(1), Qt::Key_Return);
        QCOMPARE(d->focusWidget(), d->Combo1(2));
        QVERIFY(test::pick(d->Combo1(2), QStringLiteral(">=  maggiore o uguale a")));
        QCOMPARE(d->focusWidget(), d->Text1(3));
        QTest::keyClick(d->Text1(3), Qt::Key_Return);
        QCOMPARE(d->focusWidget(), d->SSCommand1(6));
        QCOMPARE(d->List1()->count(), 0);  // Enter in a box pressed nothing
        QTest::mouseClick(d->SSCommand1(6), Qt::LeftButton);
        QCOMPARE(d->List1()->count(), 1);
        QCOMPARE(d->List1()->item(0)->text().left(89),
                 QStringLiteral("DataArrivo           Dalla data") + QString(41, QLatin1Char(' ')) +
                     QStringLiteral(">= <nessuno>  10 "));

        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("Persone")));
        QCOMPARE(d->Text1(2)->text(), QStringLiteral("  3 - byte"));
        d->Text1(3)->setText(QStringLiteral("2"));
        insert(*d, QStringLiteral("Persone"), QStringLiteral("Persone"), QStringLiteral("=   uguale"));
        // The second row goes first.
        d->List1()->setCurrentRow(1);
        QTest::mouseClick(d->SSCommand1(2), Qt::LeftButton);
        QCOMPARE(d->List1()->currentRow(), 0);
        QTest::mouseClick(d->SSCommand1(1), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(storedParameters(model_), std::vector<QStringList>({{"Persone", "Persone", "=", "2", "3"},
                                                                     {"DataArrivo", "Dalla data", ">=", "<nessuno>", "10"}}));
        QCOMPARE(model_.DatabaseRif, hotel_);
        QCOMPARE(model_.TabellaRif, QStringLiteral("Prenotazioni"));
    }

    void insertRefusals_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("rowsAfter");
        QTest::addColumn<QString>("told");
        QTest::newRow("no column") << 0 << "" << 0 << "campo";
        QTest::newRow("31st row") << 30 << "Camera" << 30 << "30";
        QTest::newRow("11th row") << 10 << "Camera" << 11 << "10";
        QTest::newRow("10th row") << 9 << "Camera" << 10 << "";
    }
    void insertRefusals()
    {
        QFETCH(int, rows);
        QFETCH(QString, column);
        QFETCH(int, rowsAfter);
        QFETCH(QString, told);
        setParameters(rows);
        auto d = open();
        insert(*d, column, QStringLiteral("Camera"), QStringLiteral("=   uguale"));
        QCOMPARE(d->List1()->count(), rowsAfter);
        OSTRIVO_COMPARE_TOLD(dialogs_, told);
    }

    // What the user did not change stays: a reference table the database does not list (told when
    // the database was read), rows with values longer than their places.
    void untouchedOkKeepsTheReferences_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("told");
        QTest::newRow("listed") << "<hotel>" << "Prenotazioni" << "";
        QTest::newRow("table no longer listed") << "<hotel>" << "Ospiti" << "Ospiti";
        QTest::newRow("database that cannot be read") << "manca.mdb" << "Prenotazioni" << "manca.mdb";
        QTest::newRow("no database") << "" << "Prenotazioni" << "";
    }
    void untouchedOkKeepsTheReferences()
    {
        QFETCH(QString, database);
        QFETCH(QString, table);
        QFETCH(QString, told);
        database.replace(QStringLiteral("<hotel>"), hotel_);
        model_.DatabaseRif = database;
        model_.TabellaRif = table;
        const QStringList wide = {"CodiceClientePrincipale", QString(60, QLatin1Char('p')), "In", "1;2;3;4;5;6;7", "4"};
        for (const ParameterAttr c : everyColumn<ParameterAttr>())
            model_.ElencoParametri(1, c) = wide[static_cast<int>(c) - 1];
        auto d = open();
        OSTRIVO_COMPARE_TOLD(dialogs_, told);
        QTest::mouseClick(d->SSCommand1(1), Qt::LeftButton);
        QCOMPARE(model_.DatabaseRif, database);
        QCOMPARE(model_.TabellaRif, table);
        QCOMPARE(storedParameters(model_), std::vector<QStringList>({wide}));
    }

    void browseAndExit()
    {
        setParameters(3);
        const QString copy = dir_->file(QStringLiteral("copia.mdb"));
        QVERIFY(QFile::copy(hotel_, copy));
        auto d = open();
        dialogs_.answerFile(std::nullopt);
        QTest::mouseClick(d->SSCommand1(0), Qt::LeftButton);
        QCOMPARE(d->Text1(0)->text(), hotel_);
        dialogs_.answerFile(copy);
        QTest::mouseClick(d->SSCommand1(0), Qt::LeftButton);
        QCOMPARE(d->Text1(0)->text(), copy);
        QCOMPARE(dialogs_.fileRequests()[1].filter, QStringLiteral("Microsoft Access (*.mdb)|*.mdb"));
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Clienti")));
        d->List1()->setCurrentRow(0);
        QTest::mouseClick(d->SSCommand1(5), Qt::LeftButton);
        QCOMPARE(d->List1()->count(), 2);
        QTest::mouseClick(d->SSCommand1(4), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(model_.DatabaseRif, hotel_);
        QCOMPARE(model_.TabellaRif, QStringLiteral("Prenotazioni"));
        QCOMPARE(storedParameters(model_).size(), std::size_t(3));
    }
};

QTEST_MAIN(TestParametri)
#include "tst_parametri.moc"
