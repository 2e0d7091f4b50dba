#include "template/TemplateElements.h"

#include <gtest/gtest.h>

using namespace ostrivo;

namespace {

// The elements as "kind@line", blocks with their count of factors or columns, then where the
// reading broke off.
QString described(const TemplateElements& read)
{
    QStringList parts;
    for (const int line : read.parameterLines)
        parts << QStringLiteral("param@%1").arg(line);
    for (const TemplateElement& element : read.elements) {
        const QString kind = std::visit(
            [](const auto& e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, ProductElement>)
                    return QStringLiteral("product(%1)").arg(e.factors);
                else if constexpr (std::is_same_v<E, TableElement>)
                    return QStringLiteral("table(%1)").arg(e.columns);
                else if constexpr (std::is_same_v<E, PictureElement>)
                    return QStringLiteral("picture");
                else if constexpr (std::is_same_v<E, GridElement>)
                    return QStringLiteral("grid");
                else if constexpr (std::is_same_v<E, FieldElement>)
                    return QStringLiteral("field");
                else
                    return QStringLiteral("text");
            },
            element);
        parts << QStringLiteral("%1@%2").arg(kind).arg(lineOf(element));
    }
    if (read.broken)
        parts << QStringLiteral("broken@%1").arg(read.broken->line());
    return parts.join(QLatin1Char(' '));
}

const QStringList kHeader = {"[TESTA]", "1", "80,75,", "t.db,T,", "[PARAMETRI]"};

struct Case {
    const char* name;
    QStringList body;  // after the header, whose lines are 1 to 5
    ElementReading how;
    const char* expected;
    QStringList header = kHeader;
};

class ElementReader : public ::testing::TestWithParam<Case> {};

}  // namespace

TEST_P(ElementReader, ReadsTheElementsOfEachSection)
{
    const Case& c = GetParam();
    TemplateReader reader(QStringLiteral("t.vn3"), QStringList(c.header) << c.body);
    EXPECT_EQ(described(readTemplateElements(reader, c.how)), QString::fromUtf8(c.expected));
}

namespace {

const QStringList kEveryKind = {"A,=,Num,1,a,", "[IMMAGINI]", "p,", "[GRIGLIA]", "g,", "[CAMPI]", "f,", "[*]", "x,",
                                "f1,", "f2,", "[/*]", "y,", "[/*]", "[TESTO]", "t,", "[TABELLA]", "a,", "b,", "c1,",
                                "c2,", "[FINE TABELLA]", "[FINE]"};

const Case kCases[] = {
    {"EveryKindInFileOrder", kEveryKind, ElementReading::PrintRun,
     "param@6 picture@8 grid@10 field@12 product(2)@14 product(0)@18 text@21 table(2)@23"},
    {"TheRedrawSkipsTables", kEveryKind, ElementReading::PageRedraw,
     "param@6 picture@8 grid@10 field@12 product(2)@14 product(0)@18 text@21"},
    // A table ends at any section line, which the run takes as its end: the section stays
    // [TABELLA]. The redraw, which skips a table line by line, reads the texts of that section.
    {"ARunsTableEndsAtAnySectionLine", {"[TABELLA]", "a,", "b,", "c,", "[TESTO]", "t,", "u,", "c,", "[FINE]"},
     ElementReading::PrintRun, "table(1)@7 table(1)@11"},
    {"ARedrawReadsThatSection", {"[TABELLA]", "a,", "b,", "c,", "[TESTO]", "t,", "u,", "c,", "[FINE]"},
     ElementReading::PageRedraw, "text@11 text@12 text@13"},
    {"TheLastLineIsNeverInterpreted", {"[TESTO]", "t,", "u,"}, ElementReading::PrintRun, "text@7"},
    {"OtherSectionsAreSkipped", {"[ALTRO]", "t,", "[FINE TABELLA]", "u,", "[FINE]"}, ElementReading::PrintRun, ""},
    {"AProductWithoutItsEnd", {"[TESTO]", "t,", "[*]", "x,", "f,"}, ElementReading::PageRedraw, "text@7 broken@10"},
    {"ATableOfTooManyColumns",
     QStringList{"[TABELLA]", "a,", "b,"} << QStringList(kMaxPrintColumns + 1, QStringLiteral("c,")) << "[FINE]",
     ElementReading::PrintRun, "broken@63"},
    {"TooManyColumnsAreNoMatterForTheRedraw",
     QStringList{"[TABELLA]", "a,", "b,"} << QStringList(kMaxPrintColumns + 1, QStringLiteral("c,")) << "[FINE]",
     ElementReading::PageRedraw, ""},
    {"APageBlockThatIsNotFirst", {"[TESTO]", "t,", "[FINE]"}, ElementReading::PrintRun, "broken@1",
     {"[TESTO]", "1", "80,75,", "t.db,T,", "[PARAMETRI]"}},
    {"AnOrientationOtherThanOneOrTwo", {"[FINE]"}, ElementReading::PrintRun, "broken@2",
     {"[TESTA]", "3", "80,75,", "t.db,T,", "[PARAMETRI]"}},
    {"APageOfNoSize", {"[FINE]"}, ElementReading::PrintRun, "broken@3", {"[TESTA]", "1", "0,75,", "t.db,T,", "[PARAMETRI]"}},
    {"NoParametersLine", {"[FINE]"}, ElementReading::PageRedraw, "broken@5", {"[TESTA]", "1", "80,75,", "t.db,T,", "[TESTO]"}},
};

}  // namespace

INSTANTIATE_TEST_SUITE_P(Cases, ElementReader, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });
