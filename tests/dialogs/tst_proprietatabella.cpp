#include "dialogs/ProprietaTabella.h"
#include "dialogs/PropertyValues.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/FormTestSupport.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace ostrivo;

class TestProprietaTabella : public QObject {
    Q_OBJECT

private:
    VN3Routine model_;
    CanvasModel canvas_;
    ScriptedDialogs dialogs_;
    QString hotel_;

    std::unique_ptr<ProprietaTabella> open() { return std::make_unique<ProprietaTabella>(model_, canvas_, 1, dialogs_); }
    std::unique_ptr<ProprietaTabella> shown()
    {
        auto d = open();
        if (!d->load())
            return nullptr;
        d->show();
        if (!QTest::qWaitForWindowExposed(d.get()))
            return nullptr;
        return d;
    }
    void setTable(const QStringList& row)
    {
        for (const TableAttr c : everyColumn<TableAttr>())
            model_.Tabelle(1, c) = row.value(static_cast<int>(c) - 1);
    }
    QStringList table() const
    {
        QStringList row;
        for (const TableAttr c : everyColumn<TableAttr>())
            row << model_.Tabelle(1, c);
        return row;
    }
    void setColumns(int count)
    {
        for (int j = 1; j <= count; ++j) {
            const QStringList values = {QStringLiteral("Colonna %1").arg(j), "Camera", "6", "4", "3", "N", ""};
            for (const ColumnAttr a : everyColumn<ColumnAttr>())
                model_.ColonneTabella(1, j, a) = values[static_cast<int>(a) - 1];
        }
    }
    static void clickLine(QListWidget* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    // Fills the column boxes as the user does and presses the insert button.
    static void placeColumn(ProprietaTabella& d, const QString& title, const QString& field, const QString& width)
    {
        d.Text1(4)->setText(title);
        QVERIFY(test::pick(d.Combo1(4), field));
        d.Text1(6)->setText(width);
        d.Text1(7)->setText(QStringLiteral("8"));
        QTest::mouseClick(d.T(1), Qt::LeftButton);
    }

private slots:
    void init()
    {
        OSTRIVO_QSKIP_WITHOUT_TEST_DATA();
        model_ = VN3Routine();
        canvas_ = CanvasModel();
        dialogs_ = ScriptedDialogs();
        hotel_ = test::testDataFile(QStringLiteral("hotel.mdb"));
        model_.DatabaseRif = hotel_;
        canvas_.load({CanvasSet::Label4, 1}).caption = QStringLiteral("Tabella ()");
        model_.Tabelle(1, TableAttr::Title) = QStringLiteral("Titolo");
    }

    void newTableForm()
    {
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(d->windowTitle(), QStringLiteral("Inserimento/Modifica tabella"));
        QCOMPARE(test::formProblems(*d), QStringList());
        QCOMPARE(test::tabSequence(d->Text1(0), 21),
                 QList<QWidget*>({d->Text1(0), d->Combo1(0), d->Combo1(1), d->T(0), d->Combo1(2), d->Text1(2), d->Combo1(3),
                                  d->Text1(3), d->Text1(4), d->Combo1(4), d->Text1(6), d->Text1(7), d->Combo1(5), d->Text1(8),
                                  d->List1(), d->T(1), d->T(2), d->T(3), d->T(4), d->T(5), d->T(6)}));
        QCOMPARE(d->Text1(0)->text(), QString());
        QCOMPARE(d->Text1(1)->text(), hotel_);
        QVERIFY(test::entries(d->Combo1(2)).contains(QStringLiteral("msysdata")));
        QCOMPARE(d->Combo1(0)->currentIndex(), -1);
        QCOMPARE(d->Combo1(1)->currentText(), QStringLiteral("8"));
        QCOMPARE(test::entries(d->Combo1(5)), QStringList({"N", "S"}));
        QCOMPARE(d->Combo1(5)->currentText(), QStringLiteral("N"));
        QCOMPARE(d->List1()->count(), 0);
        QCOMPARE(d->T(1)->text(), QStringLiteral("inserisci"));
        QCOMPARE(d->List1()->font().family(), QStringLiteral("Courier New"));
    }

    void withoutDatabaseAndTitleNothingOpens()
    {
        model_.DatabaseRif.clear();
        model_.Tabelle(1, TableAttr::Title).clear();
        QVERIFY(!open()->load());
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
        QCOMPARE(dialogs_.messages()[0].title, QStringLiteral("Inserimento tabella"));
        QCOMPARE(dialogs_.messages()[0].text, QStringLiteral("E' necessario impostare il database di riferimento!"));
        // A title is enough to go on; with no database to read, nothing is reported.
        model_.Tabelle(1, TableAttr::Title) = QStringLiteral("Titolo");
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(d->Text1(1)->text(), QString());
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
    }

    // A table still titled "Titolo" shows what was set, so that "Ok" keeps it; "Ok" needs a title.
    void placeholderTitleTableKeepsItsSetUp()
    {
        setTable({"Titolo", "Arial", "9", hotel_, "Prenotazioni", "Camera", "Pagato = True"});
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(d->Text1(0)->text(), QString());
        QCOMPARE(d->Combo1(2)->currentText(), QStringLiteral("Prenotazioni"));
        QCOMPARE(d->Text1(2)->text(), QStringLiteral("Camera"));
        QTest::mouseClick(d->T(2), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QVERIFY(dialogs_.messages().back().text.contains(QStringLiteral("titolo")));
        QCOMPARE(model_.Tabelle(1, TableAttr::Title), QStringLiteral("Titolo"));
        QTest::keyClicks(d->Text1(0), QStringLiteral("Arrivi"));
        QTest::mouseClick(d->T(2), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(table(), QStringList({"Arrivi", "Arial", "9", hotel_, "Prenotazioni", "Camera", "Pagato = True"}));
        QCOMPARE(canvas_.control({CanvasSet::Label4, 1}).caption, QStringLiteral("Arrivi"));
    }

    void keysAndPicks()
    {
        auto d = shown();
        QVERIFY(d);
        QVERIFY(test::pick(d->Combo1(2), QStringLiteral("Prenotazioni")));
        QCOMPARE(d->focusWidget(), d->Combo1(3));
        for (const char* field : {"Camera", "Persone", "Camera"})
            QVERIFY(test::pick(d->Combo1(3), QString::fromLatin1(field)));
        QCOMPARE(d->Text1(2)->text(), QStringLiteral("Camera-Persone"));
        QVERIFY(test::pick(d->Combo1(4), QStringLiteral("Persone")));
        QCOMPARE(d->Text1(5)->text(), QStringLiteral("  3 - byte"));
        QCOMPARE(d->focusWidget(), d->Text1(6));

        const std::pair<QWidget*, QWidget*> moves[] = {
            {d->Text1(0), d->Combo1(0)}, {d->Text1(2), d->Text1(3)},  {d->Text1(3), d->Text1(4)},
            {d->Text1(4), d->Combo1(4)}, {d->Text1(6), d->Text1(7)},  {d->Text1(7), d->Combo1(5)},
            {d->Text1(8), d->T(1)},      {d->Combo1(5), d->Text1(8)},
        };
        for (const auto& [from, to] : moves) {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_Return);
            QCOMPARE(d->focusWidget(), to);
        }
        QCOMPARE(d->List1()->count(), 0);  // Enter never pressed a button
        QCOMPARE(d->result(), int(QDialog::Rejected));
    }

    void columnsAreEditedInTheListAndStoredOnOk()
    {
        setColumns(5);  // rows that a shorter list must not bring back
        setTable({"Arrivi", "Arial", "9", hotel_, "Prenotazioni", "", ""});
        auto d = shown();
        QVERIFY(d);
        QCOMPARE(d->List1()->count(), 5);
        for (int k = 0; k < 5; ++k) {
            d->List1()->setCurrentRow(0);
            QTest::mouseClick(d->T(5), Qt::LeftButton);
        }
        QCOMPARE(d->List1()->count(), 0);
        placeColumn(*d, QStringLiteral("Arrivo"), QStringLiteral("DataArrivo"), QStringLiteral("10"));
        placeColumn(*d, QStringLiteral("Persone"), QStringLiteral("Persone"), QStringLiteral("4"));
        QCOMPARE(d->List1()->count(), 2);
        const QString arrival = d->List1()->item(0)->text();
        QCOMPARE(arrival.size(), 164);
        QCOMPARE(arrival.mid(58, 3), QStringLiteral("8  "));  // named like a date

        // A click makes the line the one "modifica" replaces.
        clickLine(d->List1(), 0);
        QCOMPARE(d->T(1)->text(), QStringLiteral("modifica"));
        QCOMPARE(d->Text1(4)->text(), QStringLiteral("Arrivo"));
        QCOMPARE(d->Combo1(4)->currentText().trimmed(), QStringLiteral("DataArrivo"));
        QCOMPARE(d->focusWidget(), d->Text1(4));
        d->Text1(4)->setText(QStringLiteral("Arrivo il"));
        QVERIFY(test::pick(d->Combo1(5), QStringLiteral("S")));
        QTest::mouseClick(d->T(1), Qt::LeftButton);
        QCOMPARE(d->T(1)->text(), QStringLiteral("inserisci"));
        QCOMPARE(d->List1()->count(), 2);
        QCOMPARE(d->List1()->item(0)->text().left(9), QStringLiteral("Arrivo il"));

        // A moved line counts as chosen.
        d->List1()->setCurrentRow(0);
        QTest::mouseClick(d->T(4), Qt::LeftButton);
        QCOMPARE(d->List1()->item(1)->text().left(9), QStringLiteral("Arrivo il"));
        QCOMPARE(d->List1()->currentRow(), 1);
        QCOMPARE(d->T(1)->text(), QStringLiteral("modifica"));
        QCOMPARE(d->Text1(4)->text(), QStringLiteral("Arrivo il"));
        // Deleting leaves no selection; "modifica" then adds the line.
        QTest::mouseClick(d->T(5), Qt::LeftButton);
        QCOMPARE(d->List1()->count(), 1);
        QCOMPARE(d->T(1)->text(), QStringLiteral("modifica"));
        QTest::mouseClick(d->T(1), Qt::LeftButton);
        QCOMPARE(d->List1()->count(), 2);

        QTest::mouseClick(d->T(2), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(storedColumns(model_, 1),
                 std::vector<QStringList>({{"Persone", "Persone", "4", "8", "3", "N", ""},
                                           {"Arrivo il", "DataArrivo", "10", "8", "8", "S", ""}}));
        QCOMPARE(model_.ColonneTabella(1, 3, ColumnAttr::FieldName), QString());
    }

    void insertRefusals_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("linesAfter");
        QTest::addColumn<QString>("told");
        QTest::newRow("empty title") << 0 << "  " << 0 << "titolo";
        QTest::newRow("61st column") << 60 << "Altra" << 60 << "60";
        QTest::newRow("55th column") << 54 << "Altra" << 55 << "54";
        QTest::newRow("54th column") << 53 << "Altra" << 54 << "";
    }
    void insertRefusals()
    {
        QFETCH(int, columns);
        QFETCH(QString, title);
        QFETCH(int, linesAfter);
        QFETCH(QString, told);
        setTable({"Arrivi", "Arial", "9", hotel_, "Prenotazioni", "", ""});
        setColumns(columns);
        auto d = open();
        QVERIFY(d->load());
        placeColumn(*d, title, QStringLiteral("Camera"), QStringLiteral("6"));
        QCOMPARE(d->List1()->count(), linesAfter);
        OSTRIVO_COMPARE_TOLD(dialogs_, told);
    }

    // Confirmed untouched, a table keeps every value, also those the lists or the column places
    // cannot hold; a table the database no longer lists is told.
    void untouchedOkKeepsTheTable()
    {
        const QStringList row = {"Arrivi", "Fantasia Inesistente", "22", hotel_, "Ospiti", "Camera", "Pagato = True"};
        setTable(row);
        const QStringList wide = {"Titolo di colonna di trentacinque c", "Importo", "100", "120", "5", "S",
                                  QString(130, QLatin1Char('r'))};
        for (const ColumnAttr a : everyColumn<ColumnAttr>())
            model_.ColonneTabella(1, 1, a) = wide[static_cast<int>(a) - 1];
        auto d = open();
        QVERIFY(d->load());
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
        QVERIFY(dialogs_.messages()[0].text.contains(QStringLiteral("Ospiti")));
        QTest::mouseClick(d->T(2), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(table(), row);
        QCOMPARE(storedColumns(model_, 1), std::vector<QStringList>({wide}));
    }

    void exitStoresNothing()
    {
        setTable({"Arrivi", "Arial", "9", hotel_, "Prenotazioni", "Camera", ""});
        setColumns(3);
        const std::vector<QStringList> before = storedColumns(model_, 1);
        auto d = open();
        QVERIFY(d->load());
        d->Text1(0)->setText(QStringLiteral("Altro"));
        d->List1()->setCurrentRow(0);
        QTest::mouseClick(d->T(5), Qt::LeftButton);
        QTest::mouseClick(d->T(6), Qt::LeftButton);
        QCOMPARE(table(), QStringList({"Arrivi", "Arial", "9", hotel_, "Prenotazioni", "Camera", ""}));
        QCOMPARE(storedColumns(model_, 1), before);
    }
};

QTEST_MAIN(TestProprietaTabella)
#include "tst_proprietatabella.moc"
