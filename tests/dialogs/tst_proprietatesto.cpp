#include "dialogs/PropertyDialogs.h"
#include "dialogs/ProprietaTesto.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/FormTestSupport.h"
#include "support/WidgetTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ostrivo;

class TestProprietaTesto : public QObject {
    Q_OBJECT

private:
    VN3Routine model_;
    CanvasModel canvas_;
    ScriptedDialogs dialogs_;

    CanvasControl& label() { return canvas_.control({CanvasSet::Label1, 1}); }
    std::unique_ptr<ProprietaTesto> open() { return std::make_unique<ProprietaTesto>(model_, canvas_, 1, dialogs_); }

    void setLabel(const QString& caption, const QString& font, double size, qint64 color)
    {
        label().caption = caption;
        label().fontName = font;
        label().fontSize = size;
        label().foreColor = TemplateColor(color);
    }

private slots:
    void init()
    {
        canvas_ = CanvasModel();
        dialogs_ = ScriptedDialogs();
        canvas_.load({CanvasSet::Label1, 1});
        setLabel(QStringLiteral("Benvenuti"), QStringLiteral("Arial"), 10, 255);
    }

    void form()
    {
        auto d = open();
        QCOMPARE(d->windowTitle(), QStringLiteral("Proprietà del testo"));
        QCOMPARE(test::formProblems(*d), QStringList());
        QCOMPARE(test::tabSequence(d->Text1(0), 7),
                 QList<QWidget*>({d->Text1(0), d->Combo1(0), d->Combo1(1), d->Text1(3), d->T(0), d->T(1), d->Text1(1)}));
        QCOMPARE(test::entries(d->Combo1(0)), dialogs_.fontNames());
        QCOMPARE(d->Combo1(1)->count(), 15);
        QCOMPARE(d->Text1(0)->maxLength(), 50);
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("255"));
        QCOMPARE(d->Text1(1)->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(d->T(0)->text(), QStringLiteral("Ok"));
        QCOMPARE(d->T(1)->text(), QStringLiteral("Annulla"));
    }

    // "Ok" on an untouched dialog changes nothing, also what the lists do not offer.
    void untouchedOkKeepsTheLabel_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("font");
        QTest::addColumn<double>("size");
        QTest::addColumn<qint64>("color");
        QTest::addColumn<QString>("shownFont");
        QTest::addColumn<QString>("shownSize");
        QTest::newRow("listed") << "Benvenuti" << "Times New Roman" << 12.0 << qint64(65280) << "Times New Roman" << "12";
        QTest::newRow("font not installed") << "Menu" << "Fantasia Inesistente" << 10.0 << qint64(0) << "Fantasia Inesistente" << "10";
        QTest::newRow("no font") << "Menu" << "" << 10.0 << qint64(0) << "" << "10";
        QTest::newRow("size over 20") << "Menu" << "Arial" << 22.0 << qint64(0) << "Arial" << "22";
        QTest::newRow("size with a fraction") << "Menu" << "Arial" << 8.5 << qint64(0) << "Arial" << "8.5";
        QTest::newRow("caption over 50") << QString(60, QLatin1Char('c')) << "Arial" << 8.0 << qint64(0) << "Arial" << "8";
        QTest::newRow("system colour") << "Menu" << "Arial" << 8.0 << qint64(-2147483640LL) << "Arial" << "8";
    }
    void untouchedOkKeepsTheLabel()
    {
        QFETCH(QString, caption);
        QFETCH(QString, font);
        QFETCH(double, size);
        QFETCH(qint64, color);
        QFETCH(QString, shownFont);
        QFETCH(QString, shownSize);
        setLabel(caption, font, size, color);
        const CanvasControl before = label();
        auto d = open();
        QCOMPARE(d->Text1(0)->text(), caption);
        QCOMPARE(d->Combo1(0)->currentText(), shownFont);
        QCOMPARE(d->Combo1(1)->currentText(), shownSize);
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(label().caption, before.caption);
        QCOMPARE(label().fontName, before.fontName);
        QCOMPARE(label().fontSize, before.fontSize);
        QCOMPARE(label().foreColor.value(), before.foreColor.value());
    }

    void placeholdersKeepTheirText_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("locked");
        QTest::newRow("date") << "Data_oggi" << true;
        QTest::newRow("time") << "ora_adesso" << true;
        QTest::newRow("not exactly") << "Data_oggi " << false;
        QTest::newRow("text") << "Benvenuti" << false;
    }
    void placeholdersKeepTheirText()
    {
        QFETCH(QString, caption);
        QFETCH(bool, locked);
        label().caption = caption;
        auto d = open();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QCOMPARE(d->Text1(0)->isEnabled(), !locked);
        QCOMPARE(d->focusWidget(), locked ? static_cast<QWidget*>(d->Combo1(0)) : d->Text1(0));
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("14")));
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(label().caption, caption);
        QCOMPARE(label().fontSize, 14.0);
    }

    void choicesReachTheLabelOnOkOnly_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("Ok") << true;
        QTest::newRow("Annulla") << false;
    }
    void choicesReachTheLabelOnOkOnly()
    {
        QFETCH(bool, ok);
        const CanvasControl before = label();
        auto d = open();
        d->Text1(0)->selectAll();
        QTest::keyClicks(d->Text1(0), QStringLiteral("Conto n. 12"));
        QVERIFY(test::pick(d->Combo1(0), QStringLiteral("Times New Roman")));
        QCOMPARE(d->Text1(0)->font().family(), QStringLiteral("Times New Roman"));
        QVERIFY(test::pick(d->Combo1(1), QStringLiteral("16")));
        QCOMPARE(d->Text1(0)->font().pointSizeF(), 16.0);
        dialogs_.answerColor(TemplateColor::rgb(0, 255, 0));
        QTest::mouseClick(d->Text1(3), Qt::LeftButton);
        QCOMPARE(dialogs_.colorRequests(), std::vector<TemplateColor>{TemplateColor(255)});
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("65280"));
        QCOMPARE(d->Text1(1)->palette().color(QPalette::Base), QColor(0, 255, 0));

        QTest::mouseClick(d->T(ok ? 0 : 1), Qt::LeftButton);
        QCOMPARE(d->result(), int(ok ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(label().caption, ok ? QStringLiteral("Conto n. 12") : before.caption);
        QCOMPARE(label().fontName, ok ? QStringLiteral("Times New Roman") : before.fontName);
        QCOMPARE(label().fontSize, ok ? 16.0 : before.fontSize);
        QCOMPARE(label().foreColor.value(), ok ? qint64(65280) : before.foreColor.value());
    }

    // A right press opens the dialog of the object's kind; rectangles, table bodies and objects
    // no longer there open nothing, and a field or table without a database to read only tells.
    void rightPressOpens_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("told");
        QTest::newRow("text") << int(CanvasSet::Label1) << "ostrivo::ProprietaTesto" << "";
        QTest::newRow("image") << int(CanvasSet::Pic1) << "ostrivo::ProprietaImmagine" << "";
        QTest::newRow("rectangle") << int(CanvasSet::Label2) << "" << "";
        QTest::newRow("table body") << int(CanvasSet::Label5) << "" << "";
        QTest::newRow("field without reference database") << int(CanvasSet::Label3) << "" << "Inserimento campi";
        QTest::newRow("table without database or title") << int(CanvasSet::Label4) << "" << "Inserimento tabella";
    }
    void rightPressOpens()
    {
        QFETCH(int, set);
        QFETCH(QString, opened);
        QFETCH(QString, told);
        const CanvasRef ref{CanvasSet(set), 2};
        QVERIFY(!openPropertyDialog(nullptr, model_, canvas_, ref, dialogs_));  // not there
        canvas_.load(ref);
        test::ModalWatcher closer([](QWidget& modal) { static_cast<QDialog&>(modal).reject(); });
        QVERIFY(!openPropertyDialog(nullptr, model_, canvas_, ref, dialogs_));
        QCOMPARE(closer.seen(), opened.isEmpty() ? QStringList() : QStringList{opened});
        QCOMPARE(dialogs_.messages().size(), std::size_t(told.isEmpty() ? 0 : 1));
        if (!told.isEmpty())
            QCOMPARE(dialogs_.messages()[0].title, told);
    }

    void colourBox()
    {
        auto d = open();
        // A cancelled colour dialog keeps the colour.
        dialogs_.answerColor(std::nullopt);
        QTest::mouseClick(d->Text1(3), Qt::LeftButton);
        QCOMPARE(d->Text1(3)->text(), QStringLiteral("255"));
        // A typed colour shows at once.
        d->Text1(3)->clear();
        QTest::keyClicks(d->Text1(3), QStringLiteral("16711680"));
        QCOMPARE(d->Text1(1)->palette().color(QPalette::Base), QColor(0, 0, 255));
        // A colour that is not a number is refused; the dialog stays open and nothing is stored.
        d->Text1(3)->clear();
        QTest::keyClicks(d->Text1(3), QStringLiteral("blu"));
        QTest::mouseClick(d->T(0), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
        QCOMPARE(dialogs_.messages()[0].title, ProprietaTesto::caption());
        QCOMPARE(label().foreColor.value(), qint64(255));
    }
};

QTEST_MAIN(TestProprietaTesto)
#include "tst_proprietatesto.moc"
