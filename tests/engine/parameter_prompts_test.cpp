#include "engine/ParameterFilter.h"
#include "engine/ParameterPrompts.h"
#include "core/Errors.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace ostrivo;

TEST(ParameterPrompts, OperatorWords)
{
    EXPECT_EQ(operatorWord(QStringLiteral("=")), QStringLiteral(" uguale a "));
    EXPECT_EQ(operatorWord(QStringLiteral("<")), QStringLiteral(" inferiore a "));
    EXPECT_EQ(operatorWord(QStringLiteral(">")), QStringLiteral(" superiore a "));
    EXPECT_EQ(operatorWord(QStringLiteral("<=")), QStringLiteral(" fino a "));
    EXPECT_EQ(operatorWord(QStringLiteral(">=")), QStringLiteral(" da "));
    EXPECT_EQ(operatorWord(QStringLiteral("<>")), QStringLiteral(" diverso da "));
    EXPECT_EQ(operatorWord(QStringLiteral("In")), QStringLiteral(" include "));
    EXPECT_EQ(operatorWord(QStringLiteral("No")), QStringLiteral(" non include "));
    for (const char* other : {"IN", "in", "no", " =", "= ", "", "=>", "Like"})
        EXPECT_FALSE(operatorWord(QString::fromLatin1(other)).has_value()) << other;
}

TEST(ParameterPrompts, InitialValue)
{
    ParameterPrompt p;
    p.defaultValue = QStringLiteral("5");
    EXPECT_EQ(initialValue(p, QStringLiteral("7")), QStringLiteral("7"));
    EXPECT_EQ(initialValue(p, QString()), QStringLiteral("5"));
    EXPECT_EQ(initialValue(p, QStringLiteral(" ")), QStringLiteral(" "));  // not empty: taken as it is
    p.defaultValue = QStringLiteral("<nessuno>");
    EXPECT_EQ(initialValue(p, QString()), QString());
    EXPECT_EQ(initialValue(p, QStringLiteral("x")), QStringLiteral("x"));
    p.defaultValue = QStringLiteral("<NESSUNO>");
    EXPECT_EQ(initialValue(p, QString()), QStringLiteral("<NESSUNO>"));
}

TEST(ParameterPrompts, EnterNormalisation)
{
    const QString eq = QStringLiteral("=");
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("010524"), QStringLiteral("Date"), eq), QStringLiteral("01/05/2024"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral(" 01052024 "), QStringLiteral("Date"), eq), QStringLiteral("01/05/2024"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("1/5/2024"), QStringLiteral("Date"), eq), QStringLiteral("1//5//2024"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("1/05/24"), QStringLiteral("Date"), eq), QStringLiteral("1/05/24"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("l'albergo"), QStringLiteral("Str"), eq), QStringLiteral("L\u00B4ALBERGO"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("12a,5"), QStringLiteral("Num"), eq), QStringLiteral("12,5"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("abc"), QStringLiteral("Num"), eq), QStringLiteral("0"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("1234.50"), QStringLiteral("Cur"), eq), QStringLiteral("1.234,50"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("abc"), QStringLiteral("str"), eq), QStringLiteral("abc"));
    // "In" and "No": item by item, the ";" kept.
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("1a; 2b;3"), QStringLiteral("Num"), QStringLiteral("In")), QStringLiteral("1;2;3"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("rossi;bianchi"), QStringLiteral("Str"), QStringLiteral("No")),
              QStringLiteral("ROSSI;BIANCHI"));
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("010524;311299"), QStringLiteral("Date"), QStringLiteral("In")),
              QStringLiteral("01/05/2024;31/12/1999"));
    // Under any other operator the ";" is one more character, which a number drops.
    EXPECT_EQ(normaliseTypedValue(QStringLiteral("1;2"), QStringLiteral("Num"), eq), QStringLiteral("12"));
}

TEST(ParameterPrompts, ValueForListKeepsValuesWithoutComma)
{
    for (const char* type : {"Str", "Num", "Cur", "Date", "Boh"}) {
        EXPECT_EQ(valueForList(QStringLiteral("01/05/2024"), QString::fromLatin1(type), QStringLiteral("=")),
                  QStringLiteral("01/05/2024"));
        EXPECT_EQ(valueForList(QString(), QString::fromLatin1(type), QStringLiteral("In")), QString());
    }
}

TEST(ParameterPrompts, ValueForListGivesNumbersTheirPointForm)
{
    const QString eq = QStringLiteral("=");
    EXPECT_EQ(valueForList(QStringLiteral("1.234,50"), QStringLiteral("Cur"), eq), QStringLiteral("1234.50"));
    EXPECT_EQ(valueForList(QStringLiteral("-12,5"), QStringLiteral("Num"), eq), QStringLiteral("-12.5"));
    EXPECT_EQ(valueForList(QStringLiteral("12,"), QStringLiteral("Num"), eq), QStringLiteral("12"));
    EXPECT_EQ(valueForList(QStringLiteral("12,5"), QStringLiteral("Boh"), eq), QStringLiteral("12.5"));
    EXPECT_EQ(valueForList(QStringLiteral("1,5;2;3,25"), QStringLiteral("Num"), QStringLiteral("In")), QStringLiteral("1.5;2;3.25"));
    EXPECT_EQ(valueForList(QStringLiteral("1,5;2"), QStringLiteral("Cur"), QStringLiteral("No")), QStringLiteral("1.5;2"));
}

TEST(ParameterPrompts, ValueForListRefusesACommaNoNumberExplains)
{
    const QString eq = QStringLiteral("=");
    EXPECT_FALSE(valueForList(QStringLiteral("Rossi, Mario"), QStringLiteral("Str"), eq));
    EXPECT_FALSE(valueForList(QStringLiteral("12,5"), QStringLiteral("Str"), eq));
    EXPECT_FALSE(valueForList(QStringLiteral("01,05,2024"), QStringLiteral("Date"), eq));
    EXPECT_FALSE(valueForList(QStringLiteral("12,5 kg"), QStringLiteral("Num"), eq));
    EXPECT_FALSE(valueForList(QStringLiteral("1,2,3"), QStringLiteral("Num"), eq));
    EXPECT_FALSE(valueForList(QStringLiteral("ROSSI;BIANCHI, M"), QStringLiteral("Str"), QStringLiteral("In")));
    // "1,5;2" is no number under "=".
    EXPECT_FALSE(valueForList(QStringLiteral("1,5;2"), QStringLiteral("Num"), eq));
}

namespace {

// A box as "Ok" finds it, what Ok hands on, and the literal the filter then compares with.
struct OkCase {
    const char* type;
    const char* op;
    const char* box;
    std::optional<QString> listed;  // nothing: refused
    const char* literal;
};

void PrintTo(const OkCase& c, std::ostream* os)
{
    *os << c.type << ' ' << c.op << " \"" << c.box << '"';
}

class ValueOnOk : public ::testing::TestWithParam<OkCase> {};

}  // namespace

TEST_P(ValueOnOk, MeansWhatEnterWouldHaveMade)
{
    const OkCase& c = GetParam();
    const QString type = QString::fromUtf8(c.type);
    const QString op = QString::fromUtf8(c.op);
    const QString box = QString::fromUtf8(c.box);
    const std::optional<QString> listed = valueOnOk(box, type, op);
    ASSERT_EQ(listed, c.listed);
    if (!listed)
        return;
    PrintParameter parameter;
    parameter.number = 1;
    parameter.column = QStringLiteral("X");
    parameter.op = op;
    parameter.typeWord = type;
    parameter.rawValue = *listed;
    EXPECT_EQ(filterLiteral(parameter), QString::fromUtf8(c.literal));
    // Confirming the box with Enter first changes nothing, except for a text, which Enter capitalises.
    if (type != QLatin1String("Str")) {
        EXPECT_EQ(valueOnOk(normaliseTypedValue(box, type, op), type, op), listed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ParameterPrompts, ValueOnOk,
    ::testing::Values(
        OkCase{"Cur", "=", "1.500", QStringLiteral("1500.00"), "1500.00"},
        OkCase{"Cur", "=", "1.234,50", QStringLiteral("1234.50"), "1234.50"},
        OkCase{"Cur", "=", "12,5", QStringLiteral("12.50"), "12.50"},
        OkCase{"Cur", "=", "1234.50", QStringLiteral("1234.50"), "1234.50"},
        OkCase{"Cur", "In", "1.500; 12,5", QStringLiteral("1500.00;12.50"), "(1500.00, 12.50)"},
        OkCase{"Date", ">=", "010524", QStringLiteral("01/05/2024"), "'20240501'"},
        OkCase{"Date", ">=", "01/05/2024", QStringLiteral("01/05/2024"), "'20240501'"},
        OkCase{"Date", "No", "010524;311299", QStringLiteral("01/05/2024;31/12/1999"), "('20240501', '19991231')"},
        OkCase{"Date", "=", "01,05,2024", std::nullopt, ""},
        OkCase{"Num", "=", " 12a,5 ", QStringLiteral("12.5"), "12.5"},
        OkCase{"Num", "=", "", QStringLiteral("0"), "0"},
        OkCase{"Num", "=", "1,2,3", std::nullopt, ""},
        OkCase{"Str", "=", " l'albergo ", QStringLiteral("l'albergo"), "'L\u00B4ALBERGO'"},
        OkCase{"Str", "=", "Rossi, Mario", std::nullopt, ""},
        OkCase{"Boh", "=", " 12,5 ", QStringLiteral("12.5"), "12.5"}));

TEST(ParameterPrompts, ReadingTheTemplate)
{
    test::ScopedCurrentDir dir;
    test::writeTemplate(QStringLiteral("t.vn3"),
                        {QStringLiteral("[TESTA]"), QStringLiteral("1"), QStringLiteral("80,75,"), QStringLiteral("d.db,T,"),
                         QStringLiteral("[PARAMETRI]"), QStringLiteral("ARRIVO,>=,Date,<nessuno>,Data arrivo,"),
                         QStringLiteral("N,In,Num,1;2,Camere,extra,"), QStringLiteral("[FINE]")});
    const std::vector<ParameterPrompt> prompts = readParameterPrompts(QStringLiteral("t.vn3"));
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[0].prompt, QStringLiteral("Data arrivo"));
    EXPECT_EQ(prompts[0].op, QStringLiteral(">="));
    EXPECT_EQ(prompts[0].typeWord, QStringLiteral("Date"));
    EXPECT_EQ(prompts[0].defaultValue, QStringLiteral("<nessuno>"));
    EXPECT_EQ(prompts[0].line, 6);
    EXPECT_EQ(prompts[1].defaultValue, QStringLiteral("1;2"));
    EXPECT_EQ(prompts[1].line, 7);

    EXPECT_THROW(readParameterPrompts(QStringLiteral("manca.vn3")), TemplateError);
}

// Only a value that cannot be of its type is refused: no value, and one that Enter would make
// right, are not.
TEST(ParameterPrompts, TypeMismatchRefusesOnlyValuesThatCannotBeTheirType)
{
    const struct {
        const char* type;
        const char* op;
        const char* value;
        bool refused;
    } cases[] = {
        {"Date", ">=", "32/13/2024", true}, {"Date", ">=", "29/02/2023", true}, {"Date", ">=", "abc", true},
        {"Date", ">=", "1/5/2024", true},   {"Date", "In", "01/05/2024;31/04/2024", true},
        {"Date", ">=", "29/02/2024", false}, {"Date", ">=", " 010524 ", false}, {"Date", ">=", "", false},
        {"Date", "No", "01/05/2024; ", false},
        {"Num", "=", "abc", true},          {"Cur", "=", "xyz", true},          {"Num", "In", "1;x", true},
        {"Num", "=", " 12a,5 ", false},     {"Cur", "=", "1.234,50", false},    {"Num", "=", " ", false},
        {"Str", "=", "abc", false},         {"Boh", "=", "abc", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typeMismatch(QString::fromUtf8(c.value), QString::fromUtf8(c.type), QString::fromUtf8(c.op)).has_value(),
                  c.refused)
            << c.type << ' ' << c.op << " \"" << c.value << '"';
    }
}
