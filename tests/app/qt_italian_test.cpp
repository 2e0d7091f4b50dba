// Qt's own dialogs speak Italian once its translations are installed.

#include "app/Translations.h"

#include <QPushButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <gtest/gtest.h>

using namespace ostrivo;

TEST(QtItalian, QtsDialogsSpeakItalian)
{
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    ASSERT_TRUE(installQtItalian(*application)) << "qtbase_it is not installed (qt6-translations-l10n)";

    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Sì"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Annulla"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), QStringLiteral("Salva"));
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* label : files.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Cerca in:"))) << labels.join(QLatin1Char('|')).toStdString();
}
