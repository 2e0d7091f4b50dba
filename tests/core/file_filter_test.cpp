#include "core/Dialogs.h"

#include <gtest/gtest.h>

using namespace ostrivo;

// Each entry shows the patterns it filters by once, in the brackets Qt reads them from.
TEST(FileFilter, ShowsThePatternsThatFilterOnce)
{
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {"Report 3.0 Ostrivo (*.vn3)|*.vn3", "Report 3.0 Ostrivo (*.vn3)"},
        {"Report 3.0 Ostrivo (*.vn3)|ospiti.vn3", "Report 3.0 Ostrivo (ospiti.vn3)"},
        {"Microsoft Access (*.mdb)|*.mdb", "Microsoft Access (*.mdb)"},
        {"Picture (*.jpg,*.bmp)|*.jpg;*.bmp;", "Picture (*.jpg *.bmp)"},
        {"Testo|*.txt|Tutti (*.*)|*.*", "Testo (*.txt);;Tutti (*.*)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qtFileFilter(QString::fromUtf8(c.filter)).toStdString(), c.qt) << c.filter;
}
