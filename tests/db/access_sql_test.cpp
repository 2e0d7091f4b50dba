#include "DbTestSupport.h"
#include "core/Errors.h"
#include "db/AccessSql.h"
#include "db/SelectShape.h"

#include <gtest/gtest.h>

using namespace ostrivo;
using namespace ostrivo::db;

namespace {
QString t(const char* sql)
{
    return translateAccessSql(QString::fromUtf8(sql));
}
}  // namespace

TEST(AccessSql, TheEnginesOwnSqlPassesUnchanged)
{
    const char* sql = "Select * From Movimenti where NumeroHotel = 1 and DataMovimento >= '20250101' "
                      "Order by DataMovimento,Progressivo;";
    EXPECT_EQ(t(sql), QString::fromUtf8(sql));
    EXPECT_EQ(t("SELECT Count(*) FROM t WHERE a <> 2 AND b IS NULL"),
              QStringLiteral("SELECT Count(*) FROM t WHERE a <> 2 AND b IS NULL"));
    EXPECT_EQ(t("x = 'D''Angelo'"), QStringLiteral("x = 'D''Angelo'"));
    EXPECT_EQ(t("a*2 >= 1.5e3"), QStringLiteral("a*2 >= 1.5e3"));
    // Access has no comments: the engines must see two minus signs, a division and a product.
    EXPECT_EQ(t("x = 5--3"), QStringLiteral("x = 5- -3"));
    EXPECT_EQ(t("x = 6/*2*/3"), QStringLiteral("x = 6/ *2* /3"));
    EXPECT_EQ(t("x = '--' And y = x'00'"), QStringLiteral("x = '--' And y = x '00'"));
}

TEST(AccessSql, DoubleQuotedTextsBecomeSingleQuoted)
{
    EXPECT_EQ(t("Cognome = \"Rossi\""), QStringLiteral("Cognome = 'Rossi'"));
    EXPECT_EQ(t("Cognome = \"D'Angelo\""), QStringLiteral("Cognome = 'D''Angelo'"));
    EXPECT_EQ(t("Nome = \"Il \"\"Faro\"\"\""), QStringLiteral("Nome = 'Il \"Faro\"'"));
}

TEST(AccessSql, BracketedNamesBecomeQuotedIdentifiers)
{
    EXPECT_EQ(t("Select * From [Order Details] Where [Order Details].[Unit Price] > 10"),
              QStringLiteral("Select * From \"Order Details\" Where \"Order Details\".\"Unit Price\" > 10"));
    EXPECT_EQ(t("Select * From [Umsätze]"), QStringLiteral("Select * From \"Umsätze\""));
    EXPECT_EQ(t("[a\"b] = 1"), QStringLiteral("\"a\"\"b\" = 1"));
    EXPECT_EQ(t("x = '[not a name]'"), QStringLiteral("x = '[not a name]'"));
}

TEST(AccessSql, TrueAndFalseAreMinusOneAndZero)
{
    EXPECT_EQ(t("Pagato = True and Chiuso = false"), QStringLiteral("Pagato = -1 and Chiuso = 0"));
    EXPECT_EQ(t("x = 'True'"), QStringLiteral("x = 'True'"));
    EXPECT_EQ(t("t.True = 1"), QStringLiteral("t.True = 1"));
    EXPECT_EQ(t("[True] = 1"), QStringLiteral("\"True\" = 1"));
}

TEST(AccessSql, DateLiteralsBecomeTheTextDatesAreKeptAs)
{
    EXPECT_EQ(t("DataOra >= #12/31/2024#"), QStringLiteral("DataOra >= '2024-12-31 00:00:00'"));
    EXPECT_EQ(t("DataOra < #2024-02-29 13:45:30#"), QStringLiteral("DataOra < '2024-02-29 13:45:30'"));
    EXPECT_EQ(accessDateLiteral(QStringLiteral("1/2/24 1:05 PM")), QStringLiteral("2024-01-02 13:05:00"));
    EXPECT_EQ(accessDateLiteral(QStringLiteral("1/2/99")), QStringLiteral("1999-01-02 00:00:00"));
    EXPECT_EQ(accessDateLiteral(QStringLiteral("12:00:00 AM")), QStringLiteral("1899-12-30 00:00:00"));
    EXPECT_EQ(accessDateLiteral(QStringLiteral("6/15/1850 12:00")), QStringLiteral("1850-06-15 12:00:00"));
    EXPECT_EQ(accessDateLiteral(QStringLiteral("2/30/2024")), QString());
    EXPECT_EQ(accessDateLiteral(QStringLiteral("13:61")), QString());
    EXPECT_EQ(accessDateLiteral(QStringLiteral("yesterday")), QString());
}

TEST(AccessSql, LikePatternsUseTheEnginesWildcards)
{
    EXPECT_EQ(t("Cognome Like 'ROSS*'"), QStringLiteral("Cognome Like 'ROSS%'"));
    EXPECT_EQ(t("Cognome NOT LIKE \"R?ssi\""), QStringLiteral("Cognome NOT LIKE 'R_ssi'"));
    EXPECT_EQ(translateLikePattern(QStringLiteral("##*")), QStringLiteral("[0-9][0-9]%"));
    EXPECT_EQ(translateLikePattern(QStringLiteral("50%_x")), QStringLiteral("50[%][_]x"));
    EXPECT_EQ(translateLikePattern(QStringLiteral("[*]a[!b-d]?")), QStringLiteral("[*]a[!b-d]_"));
    EXPECT_EQ(translateLikePattern(QStringLiteral("a[b")), QStringLiteral("a[[]b"));
    // A computed pattern is translated as the query runs.
    EXPECT_EQ(t("Cognome Like 'RO' & '*' And x = 1"),
              QStringLiteral("Cognome Like access_pattern((COALESCE('RO', '') || COALESCE('*', ''))) And x = 1"));
    EXPECT_EQ(t("a Like [b]"), QStringLiteral("a Like access_pattern(\"b\")"));
    // Outside a Like, * and ? stay.
    EXPECT_EQ(t("Select * From t Where a = '*'"), QStringLiteral("Select * From t Where a = '*'"));
}

TEST(AccessSql, AmpersandConcatenatesReadingNullAsEmpty)
{
    EXPECT_EQ(t("Cognome & ' ' & Nome = 'Rossi Mario'"),
              QStringLiteral("(COALESCE(Cognome, '') || COALESCE(' ', '') || COALESCE(Nome, '')) = 'Rossi Mario'"));
    EXPECT_EQ(t("Select a+1 & Left(b, 2) As c From t"),
              QStringLiteral("Select (COALESCE(a+1, '') || COALESCE(Left(b, 2), '')) As c From t"));
    EXPECT_EQ(t("x = -[a b] & t.c"), QStringLiteral("x = (COALESCE(-\"a b\", '') || COALESCE(t.c, ''))"));
    EXPECT_EQ(t("x = 'a&b'"), QStringLiteral("x = 'a&b'"));
}

TEST(AccessSql, MalformedLiteralsAreSyntaxErrorsNamingTheSql)
{
    for (const char* sql : {"x = 'open", "x = \"open", "Select * From [Order Details", "d = #2/30/2024#", "d = #12/1",
                            "x = $$a$$", "x = $1", "x = `a`"}) {
        try {
            t(sql);
            ADD_FAILURE() << "accepted: " << sql;
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.number(), err::QuerySyntax);
            EXPECT_EQ(e.sql(), QString::fromUtf8(sql));
            EXPECT_TRUE(e.description().contains(QString::fromUtf8(sql)));
        }
    }
}

TEST(SelectShape, SimpleQueriesAreTakenApart)
{
    const auto s = parseSelectShape(QStringLiteral(
        "Select * From Movimenti where NumeroHotel = 1 and DataMovimento >= '20250101' Order by DataMovimento,Progressivo DESC;"));
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->columns, QStringLiteral("*"));
    EXPECT_EQ(s->table, QStringLiteral("Movimenti"));
    EXPECT_EQ(s->qualifier, QStringLiteral("Movimenti"));
    EXPECT_EQ(s->where, QStringLiteral("NumeroHotel = 1 and DataMovimento >= '20250101'"));
    EXPECT_EQ(s->orderBy, QStringLiteral("DataMovimento,Progressivo DESC"));
    EXPECT_EQ(s->orderColumns, QStringList({QStringLiteral("DataMovimento"), QStringLiteral("Progressivo")}));
    EXPECT_EQ(s->orderDescending, QList<bool>({false, true}));

    const auto q = parseSelectShape(QStringLiteral("SELECT a, \"b c\" FROM \"Order Details\" AS od WHERE x IN (SELECT y FROM z) ORDER BY od.a"));
    ASSERT_TRUE(q.has_value());
    EXPECT_EQ(q->table, QStringLiteral("Order Details"));
    EXPECT_EQ(q->qualifier, QStringLiteral("od"));
    EXPECT_EQ(q->tableText, QStringLiteral("\"Order Details\" AS od"));
    EXPECT_EQ(q->orderColumns, QStringList({QStringLiteral("a")}));

    const auto e = parseSelectShape(QStringLiteral("select * from t order by a + 1"));
    ASSERT_TRUE(e.has_value());
    EXPECT_TRUE(e->orderColumns.isEmpty());  // not plain names: no index for it
}

TEST(SelectShape, OtherFormsAreNotSimple)
{
    for (const char* sql : {"SELECT * FROM a, b", "SELECT * FROM a JOIN b ON a.x = b.x", "SELECT DISTINCT x FROM a",
                            "SELECT x FROM a GROUP BY x", "SELECT x FROM a UNION SELECT x FROM b",
                            "SELECT * FROM (SELECT * FROM a)", "SELECT * FROM a LIMIT 3", "SELECT 1",
                            "SELECT * FROM a; DELETE FROM a", "UPDATE a SET x = 1", "SELECT * FROM a WHERE"}) {
        EXPECT_FALSE(parseSelectShape(QString::fromUtf8(sql)).has_value()) << sql;
    }
}

TEST(SelectShape, StandaloneExpressions)
{
    EXPECT_TRUE(isStandaloneExpression(QStringLiteral("a = 1 and (b = ')' or c in (1, 2))")));
    EXPECT_TRUE(isStandaloneExpression(QStringLiteral("x = '--' and y = '/*;'")));
    EXPECT_FALSE(isStandaloneExpression(QStringLiteral("1) OR (1")));
    EXPECT_FALSE(isStandaloneExpression(QStringLiteral("(1")));
    EXPECT_FALSE(isStandaloneExpression(QStringLiteral("1 = 1; DELETE FROM t")));
    EXPECT_FALSE(isStandaloneExpression(QStringLiteral("1 = 1) ORDER BY x --")));
    EXPECT_FALSE(isStandaloneExpression(QStringLiteral("1 = 1 /* x */")));
}

TEST(SelectShape, EqualityColumnsOfTheTopLevelAndTerms)
{
    EXPECT_EQ(equalityColumns(QStringLiteral("NumeroHotel = 1 and (DataArrivo >= '2024' and \"Camera\" = 12)")),
              QStringList({QStringLiteral("Camera"), QStringLiteral("NumeroHotel")}));
    EXPECT_EQ(equalityColumns(QStringLiteral("a = 1 or b = 2")), QStringList());
    EXPECT_EQ(equalityColumns(QStringLiteral("x BETWEEN 1 AND 2 AND 'k' = y")), QStringList({QStringLiteral("y")}));
    EXPECT_EQ(referencedNames(QStringLiteral("a = 'b' and \"c d\" > x.e")),
              QStringList({QStringLiteral("a"), QStringLiteral("and"), QStringLiteral("c d"), QStringLiteral("x"),
                           QStringLiteral("e")}));
}

TEST(AccessSql, ThePostgresOutputKeepsAccessMeanings)
{
    struct Case {
        const char* access;
        const char* server;
    };
    const Case cases[] = {
        {"Select * From Clienti Where NumeroHotel = 1", "select * from clienti where numerohotel = 1"},
        {"Select * From [Order Details] Where [Unit Price] > 10", "select * from \"order details\" where \"unit price\" > 10"},
        {"SELECT * FROM UMSÄTZE", "select * from umsätze"},
        {"Cognome = \"D'Angelo\"", "cognome = 'D''Angelo'"},                      // texts keep their case
        {"Pagato = True And Chiuso = False", "pagato = -1 and chiuso = 0"},
        {"Cognome & ', ' & Nome", "concat(cognome, ', ', nome)"},
        {"NumeroHotel & '' = '1'", "concat(numerohotel, '') = '1'"},
        {"DataOra >= #12/31/2024 1:05 PM#", "dataora >= '2024-12-31 13:05:00'"},
        {"Cognome Like 'ROSS*'", "cognome like '^ross.*$'"},
        {"Cognome Not Like 'R?ss[!a-c]#'", "cognome not like '^r.ss[^a-c][0-9]$'"},
        {"Nome Like 'a.b(c)*'", "nome like '^a\\.b\\(c\\).*$'"},
        {"Cognome Like Citta & '*'", "cognome like ostrivo.like_pattern(concat(citta, '*'))"},
        {"Select * From t Order by Cognome, Camera Desc;",
         "select * from t order by ostrivo.sort_key(cognome) NULLS FIRST, ostrivo.sort_key(camera) DESC NULLS LAST;"},
        {"Select * From t Where a In (Select b From u Order by b) Order by 2",
         "select * from t where a in (select b from u order by b) order by 2 NULLS FIRST"},
        {"CodiceCliente = 5--3 Or x = 1/*2*/", "codicecliente = 5- -3 or x = 1/ *2* /"},
        {"Cognome = E'\\' Or Nome = U&'x'", "cognome = e '\\' or nome = concat(u, 'x')"},  // no escape strings
    };
    for (const Case& c : cases)
        EXPECT_EQ(translateAccessSqlForPostgres(QString::fromUtf8(c.access)), QString::fromUtf8(c.server)) << c.access;
}
