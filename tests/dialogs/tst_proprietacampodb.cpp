#include "dialogs/ProprietaCampoDB.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/FormTestSupport.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ostrivo;

namespace {

const QStringList kHotelTables = {"Catering", "Clienti", "Hotel", "Prenotazioni", "Tipi", "msysdata"};

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

}  // namespace

class TestProprietaCampoDB : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ScopedCurrentDir> dir_;
    VN3Routine model_;
    CanvasModel canvas_;
    ScriptedDialogs dialogs_;
    QString hotel_;

    CanvasControl& label() { return canvas_.control({CanvasSet::Label3, 1}); }
    std::unique_ptr<ProprietaCampoDB> open() { return std::make_unique<ProprietaCampoDB>(model_, canvas_, 1, dialogs_); }
    QStringList row()
    {
        QStringList values;
        for (const FieldAttr c : everyColumn<FieldAttr>())
            values << model_.CampiDB(1, c);
        return values;
    }
    void setRow(const QStringList& values)
    {
        for (const FieldAttr c : everyColumn<FieldAttr>())
            model_.CampiDB(1, c) = values.value(static_cast<int>(c) - 1);
    }
    // A field set before, as the loader leaves it.
    QStringList storedRow() const
    {
        return {hotel_, "Clienti", "Cognome", "10", "12.5", "4", "30", "Arial", "10", "NumeroHotel = <PARAM1>"};
    }

private slots:
    void init()
    {
        OSTRIVO_QSKIP_WITHOUT_TEST_DATA();
        dir_ = std::make_unique<test::ScopedCurrentDir>();
        model_ = VN3Routine();
        canvas_ = CanvasModel();
        dialogs_ = ScriptedDialogs();
        hotel_ = test::testDataFile(QStringLiteral("hotel.mdb"));
        model_.DatabaseRif = hotel_;
        model_.TabellaRif = QStringLiteral("Prenotazioni");
        CanvasControl& l = canvas_.load({CanvasSet::Label3, 1});
        l.left = 12.5;
        l.top = 4;
        l.width = 21.86;
    }
    void cleanup() { dir_.reset(); }

    void newFieldForm()
    {
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(d->windowTitle(), QStringLiteral("Inserimento/Modifica Campi database"));
        QCOMPARE(test::formProblems(*d), QStringList());
        QCOMPARE(test::tabSequence(d->Combo1(0), 9),
                 QList<QWidget*>({d->Combo1(0), d->Combo1(1), d->Combo1(2), d->Combo1(3), d->Text1(4), d->T(0), d->T(1),
                                  d->T(2), d->Text1(5)}));
        QCOMPARE(d->Text1(0)->text(), hotel_);
        QCOMPARE(d->Text1(1)->text(), QStringLiteral("Prenotazioni"));
        QCOMPARE(d->Text1(2)->text(), hotel_);
        QCOMPARE(sorted(test::entries(d->Combo1(0))), kHotelTables);
        QCOMPARE(d->Combo1(0)->currentIndex(), -1);
        QCOMPARE(d->Combo1(2)->currentIndex(), -1);
        QCOMPARE(d->Combo1(3)->currentText(), QStringLiteral("8"));
        QCOMPARE(d->Text1(5)->text(), QStringLiteral("21"));
        QCOMPARE(d->Text1(5)->maxLength(), 3);
        QCOMPARE(d->Text1(4)->maxLength(), 200);
        QCOMPARE(d->focusWidget(), d->Combo1(0));
        QCOMPARE(dialogs_.messages().size(), std::size_t(0));
    }

    void withoutAReferenceDatabaseNothingOpens_data()
    {
        QTest::addColumn<bool>("setBefore");
        QTest::newRow("new field") << false;
        QTest::newRow("field set before") << true;
    }
    void withoutAReferenceDatabaseNothingOpens()
    {
        QFETCH(bool, setBefore);
        if (setBefore)
            setRow(storedRow());
        const QStringList before = row();
        model_.DatabaseRif = QStringLiteral("   ");
        QVERIFY(!open()->load());
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
        QCOMPARE(dialogs_.messages()[0].title, QStringLiteral("Inserimento campi"));
        QCOMPARE(dialogs_.messages()[0].text, QStringLiteral("E' necessario impostare il database di riferimento!"));
        QCOMPARE(dialogs_.messages()[0].icon, MessageIcon::Warning);
        QCOMPARE(row(), before);
    }

    void choicesAreStoredOnOk()
    {
        auto d = open();
        QVERIFY(d->load());
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Prenotazioni")));
        QCOMPARE(d->focusWidget(), d->Combo1(1));
        QCOMPARE(d->Combo1(1)->itemText(0), QStringLiteral("NumeroHotel").leftJustified(50));
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("Persone")));
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("  2 - byte"));
        QCOMPARE(d->focusWidget(), d->Text1(5));
        d->Text1(5)->setText(QStringLiteral("12a"));
        QTest::keyClick(d->Text1(5), Qt::Key_Return);
        QCOMPARE(d->Text1(5)->text(), QStringLiteral("12"));
        QCOMPARE(d->focusWidget(), d->Combo1(2));
        QVERIFY(test::pick(d->Combo1(2), QStringLiteral("Courier New")));
        QCOMPARE(d->focusWidget(), d->Combo1(3));
        QVERIFY(test::pick(d->Combo1(3), QStringLiteral("12")));
        QCOMPARE(d->focusWidget(), d->Text1(4));
        QTest::keyClicks(d->Text1(4), QStringLiteral("NumeroPrenotazione = <PARAM1>"));
        QTest::keyClick(d->Text1(4), Qt::Key_Return);
        QCOMPARE(d->focusWidget(), d->T(0));
        QCOMPARE(d->result(), int(QDialog::Rejected));  // Enter in a box never presses "Ok"
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(row(), QStringList({hotel_, "Prenotazioni", "Persone", "  2 - byte", "12.50", "4.00", "12", "Courier New",
                                     "12", "NumeroPrenotazione = <PARAM1>"}));
        QCOMPARE(label().width, 12.0);
        QCOMPARE(label().left, 12.5);
    }

    // Reopened and confirmed untouched, a stored field keeps every value, also those the
    // database or the lists no longer offer; what is missing is told.
    void untouchedOkKeepsTheRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("told");  // a word of the one message expected, or empty
        QTest::newRow("as stored") << 0 << "" << "";
        QTest::newRow("font not installed") << 8 << "Fantasia Inesistente" << "";
        QTest::newRow("size over 20") << 9 << "22" << "";
        QTest::newRow("relation over 200") << 10 << QString(250, QLatin1Char('r')) << "";
        QTest::newRow("table no longer listed") << 2 << "Ospiti" << "Ospiti";
        QTest::newRow("field no longer listed") << 3 << "Soprannome" << "Soprannome";
        QTest::newRow("table named in another case") << 2 << "clienti" << "";
        QTest::newRow("database that cannot be read") << 1 << "manca.mdb" << "manca.mdb";
    }
    void untouchedOkKeepsTheRow()
    {
        QFETCH(int, column);
        QFETCH(QString, value);
        QFETCH(QString, told);
        QStringList stored = storedRow();
        if (column > 0)
            stored[column - 1] = value;
        setRow(stored);
        label().width = 12.5;
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(d->Combo1(0)->currentText(), stored[1]);
        QCOMPARE(d->Combo1(1)->currentText().trimmed(), stored[2]);
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("10"));  // the loader's bare code, until a field is chosen
        QCOMPARE(d->Text1(5)->text(), QStringLiteral("12.5"));
        QCOMPARE(d->Text1(4)->text(), stored[9]);
        OSTRIVO_COMPARE_TOLD(dialogs_, told);
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        stored[4] = QStringLiteral("12.50");
        stored[5] = QStringLiteral("4.00");
        stored[6] = QStringLiteral("12.5");
        QCOMPARE(row(), stored);
    }

    void browse_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::newRow("chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void browse()
    {
        QFETCH(bool, chosen);
        const QString copy = dir_->file(QStringLiteral("copia.mdb"));
        QVERIFY(QFile::copy(hotel_, copy));
        auto d = open();
        QVERIFY(d->load());
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Clienti")));
        dialogs_.answerFile(chosen ? std::optional(copy) : std::nullopt);
        QTest::mouseClick(d->T(2), Qt::LeftButton);
        QCOMPARE(dialogs_.fileRequests()[0].filter, QStringLiteral("Microsoft Access (*.mdb)|*.mdb"));
        QCOMPARE(dialogs_.fileRequests()[0].initialDir, QStringLiteral(".\\"));
        QCOMPARE(d->Text1(2)->text(), chosen ? copy : hotel_);
        // A new database lists its tables afresh; the fields stay until a table is chosen.
        QCOMPARE(d->Combo1(0)->currentIndex(), chosen ? -1 : d->Combo1(0)->findText(QStringLiteral("Clienti")));
        QCOMPARE(sorted(test::entries(d->Combo1(0))), kHotelTables);
        QVERIFY(d->Combo1(1)->count() > 0);
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Hotel")));
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("Nome")));
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(model_.CampiDB(1, FieldAttr::Database), chosen ? copy : hotel_);
        QCOMPARE(model_.CampiDB(1, FieldAttr::TypeCode), QStringLiteral(" 10 - text"));
    }

    void okRefusesAFieldThatCannotPrint_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("told");
        QTest::newRow("nothing chosen") << QStringList() << "tabella";
        QTest::newRow("blank database") << QStringList({"  ", "Clienti", "Cognome", "10", "1", "1", "30", "Arial", "10", ""})
                                        << "database";
    }
    void okRefusesAFieldThatCannotPrint()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, told);
        setRow(stored);
        auto d = open();
        QVERIFY(d->load());
        const int before = int(dialogs_.messages().size());
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(int(dialogs_.messages().size()), before + 1);
        QVERIFY2(dialogs_.messages().back().text.contains(told), qPrintable(dialogs_.messages().back().text));
        QCOMPARE(row(), stored.isEmpty() ? QStringList(10, QString()) : stored);
    }

    void cancelStoresNothing()
    {
        setRow(storedRow());
        auto d = open();
        QVERIFY(d->load());
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Hotel")));
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("Citta")));
        d->Text1(4)->setText(QStringLiteral("altro"));
        QTest::mouseClick(d->T(1), Qt::LeftButton);
        QCOMPARE(row(), storedRow());
        QCOMPARE(label().width, 21.86);
    }
};

QTEST_MAIN(TestProprietaCampoDB)
#include "tst_proprietacampodb.moc"
