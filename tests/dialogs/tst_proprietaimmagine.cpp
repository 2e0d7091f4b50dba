#include "dialogs/ProprietaImmagine.h"
#include "core/ScriptedDialogs.h"
#include "template/CanvasModel.h"
#include "template/VN3Routine.h"

#include "support/FormTestSupport.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace ostrivo;

class TestProprietaImmagine : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::ScopedCurrentDir> dir_;
    VN3Routine model_;
    CanvasModel canvas_;
    ScriptedDialogs dialogs_;
    QString logo_;

    CanvasControl& picture() { return canvas_.control({CanvasSet::Pic1, 1}); }
    std::unique_ptr<ProprietaImmagine> open() { return std::make_unique<ProprietaImmagine>(model_, canvas_, 1, dialogs_); }

private slots:
    void init()
    {
        dir_ = std::make_unique<test::ScopedCurrentDir>();
        model_ = VN3Routine();
        canvas_ = CanvasModel();
        dialogs_ = ScriptedDialogs();
        QDir().mkdir(dir_->file(QStringLiteral("modelli")));
        model_.NomeModulo = dir_->file(QStringLiteral("modelli/menu.vn3"));
        canvas_.load({CanvasSet::Pic1, 1}).picture = QStringLiteral("SS01.jpg");
        model_.Immagini(1) = QStringLiteral("SS01.jpg");
        logo_ = dir_->file(QStringLiteral("logo.jpg"));
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        QVERIFY(image.save(logo_));
        test::writeFile(dir_->file(QStringLiteral("finto.jpg")), "non sono un'immagine");
    }
    void cleanup() { dir_.reset(); }

    void form()
    {
        auto d = open();
        QCOMPARE(d->windowTitle(), QStringLiteral("Proprietà immagine"));
        QCOMPARE(test::formProblems(*d), QStringList());
        QCOMPARE(test::tabSequence(d->Text1(), 4), QList<QWidget*>({d->Text1(), d->T(0), d->T(1), d->T(2)}));
        QCOMPARE(d->Text1()->text(), QStringLiteral("SS01.jpg"));
        QCOMPARE(d->Text1()->maxLength(), 100);
        // A stored path longer than the box takes is shown whole.
        model_.Immagini(1) = QString(140, QLatin1Char('p'));
        QCOMPARE(open()->Text1()->text(), model_.Immagini(1));
    }

    // Only "Ok" writes the path and shows the picture; a cancelled file dialog changes nothing.
    void browseThenCloseWith_data()
    {
        QTest::addColumn<QStringList>("answers");  // "" for a cancelled file dialog
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        const QString logo = QStringLiteral("<logo>");
        QTest::newRow("chosen, Ok") << QStringList{logo} << true << logo << logo;
        QTest::newRow("chosen, Annulla") << QStringList{logo} << false << logo << "SS01.jpg";
        QTest::newRow("cancelled, Annulla") << QStringList{""} << false << "SS01.jpg" << "SS01.jpg";
        QTest::newRow("chosen then cancelled, Ok") << QStringList{logo, ""} << true << logo << logo;
    }
    void browseThenCloseWith()
    {
        QFETCH(QStringList, answers);
        QFETCH(bool, ok);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        shown.replace(QStringLiteral("<logo>"), logo_);
        stored.replace(QStringLiteral("<logo>"), logo_);
        // The picture the image already shows is a real one, so "Ok" may close.
        const QString before = dir_->file(QStringLiteral("SS01.jpg"));
        QVERIFY(QFile::copy(logo_, before));
        auto d = open();
        for (const QString& answer : answers) {
            dialogs_.answerFile(answer.isEmpty() ? std::nullopt : std::optional(logo_));
            QTest::mouseClick(d->T(0), Qt::LeftButton);
        }
        QCOMPARE(d->Text1()->text(), shown);
        QCOMPARE(model_.Immagini(1), QStringLiteral("SS01.jpg"));  // nothing before the user confirms
        QTest::mouseClick(d->T(ok ? 1 : 2), Qt::LeftButton);
        QCOMPARE(model_.Immagini(1), stored);
        QCOMPARE(picture().picture, stored);
        const FileRequest& request = dialogs_.fileRequests().front();
        QCOMPARE(request.filter, QStringLiteral("Picture (*.jpg,*.bmp)|*.jpg;*.bmp;"));
        QCOMPARE(request.initialDir, dir_->file(QStringLiteral("modelli")));
        QVERIFY(dialogs_.allAnswered());
    }

    void okRefusesWhatIsNoPicture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("named");
        QTest::newRow("not a picture") << "finto.jpg" << "finto.jpg";
        QTest::newRow("missing") << "manca.bmp" << "manca.bmp";
        QTest::newRow("empty") << "" << "Sfoglia";
    }
    void okRefusesWhatIsNoPicture()
    {
        QFETCH(QString, path);
        QFETCH(QString, named);
        auto d = open();
        d->Text1()->setText(path);
        QTest::mouseClick(d->T(1), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Rejected));
        QCOMPARE(dialogs_.messages().size(), std::size_t(1));
        QVERIFY2(dialogs_.messages()[0].text.contains(named), qPrintable(dialogs_.messages()[0].text));
        QCOMPARE(model_.Immagini(1), QStringLiteral("SS01.jpg"));
        QCOMPARE(picture().picture, QStringLiteral("SS01.jpg"));
        // The dialog is still usable: a real picture is taken.
        d->Text1()->setText(logo_);
        QTest::mouseClick(d->T(1), Qt::LeftButton);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(model_.Immagini(1), logo_);
    }
};

QTEST_MAIN(TestProprietaImmagine)
#include "tst_proprietaimmagine.moc"
