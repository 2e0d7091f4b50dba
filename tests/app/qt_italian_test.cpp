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

    QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel |
                             QDialogButtonBox::Save | QDialogButtonBox::Ok);
    const std::pair<QDialogButtonBox::StandardButton, const char*> captions[] = {
        {QDialogButtonBox::Yes, "&Sì"}, {QDialogButtonBox::No, "&No"}, {QDialogButtonBox::Cancel, "Annulla"},
        {QDialogButtonBox::Save, "Salva"}, {QDialogButtonBox::Ok, "OK"}};
    for (const auto& [button, caption] : captions)
        EXPECT_EQ(buttons.button(button)->text(), QString::fromUtf8(caption));

    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QStringList labels;
    for (const QLabel* label : files.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("Cerca in:"))) << labels.join(QLatin1Char('|')).toStdString();
}
