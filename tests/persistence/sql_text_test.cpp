// The statement texts without a database: filling templates whatever the locale, PostgreSQL's
// name quoting, the statement tables' own rules and the small helpers of the ODBC layer.
#include <clocale>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <set>
#include <gtest/gtest.h>
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "persistence/SqlStatement.h"
#include "persistence/SqlValue.h"
#include "persistence/sql/AttributeSql.h"
#include "persistence/sql/ShapeLoadSql.h"
#include "tests/support/StatementTables.h"

namespace {

// A locale whose numbers have a decimal comma, as a host may set one; empty when the runtime
// knows none of the names.
std::string SetCommaLocale()
{
    for (const char* name : {"German_Germany.1252", "German", "de-DE", "de_DE", "French"}) {
        const char* set = setlocale(LC_ALL, name);
        if (set) {
            char probe[32];
            snprintf(probe, sizeof probe, "%f", 1.5);
            if (strchr(probe, ','))
                return set;
        }
    }
    setlocale(LC_ALL, "C");
    return {};
}

} // namespace

TEST(FormatSql, FillsIntegersRealsAndFragments)
{
    std::string out;
    ASSERT_TRUE(FormatSql(out, "values (%d, %f, %s, %d)", {7, -2.0f, SqlRaw("NULL"), -5}));
    EXPECT_EQ(out, "values (7, -2, NULL, -5)");
    // A colour with the by-block bit is written as "%d" writes its 32 bits.
    ASSERT_TRUE(FormatSql(out, "%d", {0xC0000000u}));
    EXPECT_EQ(out, "-1073741824");
    ASSERT_TRUE(FormatSql(out, "%f|%f|%f", {0.1, 1e9, 3}));
    EXPECT_EQ(out, "0.1|1000000000|3");
    ASSERT_TRUE(FormatSql(out, "100%% %d", {1}));
    EXPECT_EQ(out, "100% 1");
}

// A real keeps every digit it needs to read back the same (printf's six decimals made 1e-7 a 0),
// a float the digits of a float; a value that is not a number, or infinite, is NULL, never "nan"
// or "inf", which a database reads as a column's name.
TEST(FormatSql, RealsKeepTheirPrecisionAndNonNumbersAreNull)
{
    struct Case {
        SqlValue value;
        const char* text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {1e-7, "0.0000001"},
        {-4.5e-9, "-0.0000000045"},
        {0.1f, "0.1"},
        {123456.78f, "123456.78"},
        {1.0 / 3.0, "0.3333333333333333"},
        {-1e-30, "-0.000000000000000000000000000001"},
        {nan, "NULL"},
        {static_cast<float>(nan), "NULL"},
        {inf, "NULL"},
        {-inf, "NULL"},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(FormatSql(out, "%f", {c.value}));
        EXPECT_EQ(out, c.text);
        // What the text says is the value itself.
        if (std::string(c.text) != "NULL")
            EXPECT_EQ(c.value.single() ? static_cast<double>(std::strtof(out.c_str(), nullptr)) : std::strtod(out.c_str(), nullptr),
                      c.value.single() ? static_cast<double>(static_cast<float>(c.value.real())) : c.value.real());
    }
}

TEST(FormatSql, RefusesTemplatesThatDoNotFitTheValues)
{
    std::string out = "left over";
    EXPECT_FALSE(FormatSql(out, "%d, %d", {1}));        // too few
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(FormatSql(out, "%d", {1, 2}));          // too many
    EXPECT_FALSE(FormatSql(out, "%d", {1.5}));           // a real where an integer goes
    EXPECT_FALSE(FormatSql(out, "%s", {1}));             // a number where a fragment goes
    EXPECT_FALSE(FormatSql(out, "%d", {SqlRaw("1")}));
    EXPECT_FALSE(FormatSql(out, "%x", {1}));             // nothing else is a template's
    EXPECT_FALSE(FormatSql(out, nullptr, {}));
}

TEST(FormatSql, NumbersKeepTheirPointUnderACommaLocale)
{
    std::string locale = SetCommaLocale();
    ASSERT_FALSE(locale.empty()) << "no decimal-comma locale to test with";
    char printed[32];
    snprintf(printed, sizeof printed, "%f", 2.25);
    EXPECT_STREQ(printed, "2,250000");   // what printf would have put into the SQL
    std::string out;
    EXPECT_TRUE(FormatSql(out, "x = %f, y = %f", {2.25, -0.5f}));
    EXPECT_EQ(out, "x = 2.25, y = -0.5");
    EXPECT_EQ(FormatSqlReal(1234567.125), "1234567.125");
    setlocale(LC_ALL, "C");
}

TEST(QuoteNamesForPostgres, QuotesBracketedNamesInLowerCaseOutsideLiterals)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"select [ShapeID], [On] from [LayerSettings]", "select \"shapeid\", \"on\" from \"layersettings\""},
        {"update [Vertexes] set [Name] = ?", "update \"vertexes\" set \"name\" = ?"},
        {"select 'a [b]' , [C]", "select 'a [b]' , \"c\""},
        {"select 'it''s [x]' from [T]", "select 'it''s [x]' from \"t\""},
        {"no names", "no names"},
        {"[unclosed", "[unclosed"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QuoteNamesForPostgres(c.in), c.out) << c.in;
}

TEST(OdbcHelpers, OptionalIdsAndDataPieces)
{
    EXPECT_EQ(SqlIdOrNull(0), "NULL");
    EXPECT_EQ(SqlIdOrNull(-5), "NULL");
    EXPECT_EQ(SqlIdOrNull(17), "17");
    std::string out;
    EXPECT_TRUE(FormatSql(out, "%s, %s", {SqlOptionalId(0), SqlOptionalId(42)}));
    EXPECT_EQ(out, "NULL, 42");
    EXPECT_EQ(OdbcDataPieces(2500), (std::vector<size_t>{1024, 1024, 452}));
    EXPECT_EQ(OdbcDataPieces(2048), (std::vector<size_t>{1024, 1024}));
    EXPECT_EQ(OdbcDataPieces(1), (std::vector<size_t>{1}));
    EXPECT_EQ(OdbcDataPieces(0), (std::vector<size_t>{0}));
}

TEST(OdbcHelpers, ResultChecks)
{
    // SQL_NO_DATA (an update or delete that matched nothing) is success; a result with
    // information is not.
    EXPECT_EQ(OdbcCheckResult(IID_NULL, nullptr, SQL_SUCCESS, "c", ""), S_OK);
    EXPECT_EQ(OdbcCheckResult(IID_NULL, nullptr, SQL_NO_DATA, "c", ""), S_OK);
    EXPECT_EQ(OdbcCheckResult(IID_NULL, nullptr, SQL_SUCCESS, "c", "forced"), DISP_E_EXCEPTION);
    EXPECT_EQ(OdbcExecDirect(IID_NULL, nullptr, "select 1"), DISP_E_EXCEPTION);
    EXPECT_EQ(COdbcSession().Dialect(), SqlDialect::SqlServer) << "a session that never connected";
}

// What a failed statement's state says: a refused key (another session took the ID) or a
// transaction the server gave up in a deadlock; both send a save to another attempt.
TEST(OdbcHelpers, FailureKinds)
{
    struct Case {
        SqlDialect dialect;
        const char* state;
        long native;
        bool key;
        bool conflict;
    };
    const Case cases[] = {
        {SqlDialect::SQLite, "HY000", 19, true, false},
        {SqlDialect::SQLite, "S1000", 19, true, false},
        {SqlDialect::SQLite, "HY000", 5, false, false},
        {SqlDialect::PostgreSQL, "23505", 7, true, false},
        {SqlDialect::PostgreSQL, "40P01", 7, false, true},
        {SqlDialect::PostgreSQL, "40001", 7, false, true},
        {SqlDialect::PostgreSQL, "42601", 7, false, false},
        {SqlDialect::SqlServer, "23000", 2627, true, false},
        {SqlDialect::SqlServer, "23000", 2601, true, false},
        {SqlDialect::SqlServer, "23000", 547, false, false},
        {SqlDialect::SqlServer, "40001", 1205, false, true},
        {SqlDialect::SqlServer, "40001", 3960, false, false},
    };
    for (const Case& c : cases) {
        OdbcFailure failure;
        std::strncpy(failure.state, c.state, sizeof failure.state - 1);
        failure.native = c.native;
        failure.dialect = c.dialect;
        EXPECT_EQ(OdbcIsKeyViolation(failure), c.key) << c.state << " " << c.native;
        EXPECT_EQ(OdbcIsTransientConflict(failure), c.conflict) << c.state << " " << c.native;
    }
}

TEST(StatementTables, NamesAreUniqueAndUserTextIsNeverFormatted)
{
    std::set<std::string> names;
    size_t count = 0;
    for (const SqlStatementList& list : AllStatementLists()) {
        EXPECT_GT(list.count, 0u) << list.purpose;
        for (const SqlStatement* s : list) {
            ++count;
            EXPECT_TRUE(names.insert(s->name).second) << "twice: " << s->name;
            for (SqlDialect d : {SqlDialect::SqlServer, SqlDialect::SQLite, SqlDialect::PostgreSQL}) {
                const char* t = s->TemplateFor(d);
                if (!t)
                    continue;
                // Text is bound ('?'), never formatted into a literal.
                EXPECT_EQ(strstr(t, "'%s'"), nullptr) << s->name;
                std::string text;
                ASSERT_TRUE(s->TextFor(d, text));
                if (d == SqlDialect::PostgreSQL) {
                    EXPECT_EQ(text.find('['), std::string::npos) << s->name;
                    EXPECT_EQ(text.find("(NOLOCK)"), std::string::npos) << s->name;
                }
                if (d != SqlDialect::SqlServer) {
                    // SQL Server's "delete T from T" and "insert T (" are its own.
                    std::string lower = text;
                    for (char& c : lower)
                        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
                    EXPECT_EQ(lower.find("delete from"), lower.find("delete")) << s->name;
                    EXPECT_EQ(lower.find("insert into"), lower.find("insert")) << s->name;
                }
            }
        }
    }
    EXPECT_GT(count, 150u);
}

TEST(StatementTables, ShapeQueriesByKindAndScope)
{
    using namespace ShapeLoadSql;
    EXPECT_EQ(ShapeQuery(0, ScopeSite), &ShapesSite);
    EXPECT_EQ(ShapeQuery(0, ScopeGroup), &ShapesGroup);
    EXPECT_EQ(ShapeQuery(1, ScopeGroup), &ShapePointsOne);    // no group text of its own
    EXPECT_EQ(ShapeQuery(5, ScopeGroup), &LayerSettingsOne);
    EXPECT_EQ(ShapeQuery(3, ScopeSite), nullptr);
    EXPECT_EQ(ShapeQuery(3, ScopeGroup), &PointLinksOne);
    EXPECT_EQ(ShapeQuery(14, ScopeShape), nullptr);
    EXPECT_EQ(ShapeQuery(15, ScopeSite), nullptr);
    EXPECT_EQ(ShapeQuery(16, ScopeGroup), &VertexesGroup);
    EXPECT_EQ(ShapeQuery(17, ScopeShape), &LinesOne);
    EXPECT_EQ(ShapeQuery(18, ScopeSite), nullptr);
    EXPECT_EQ(ShapeQuery(-1, ScopeSite), nullptr);
    EXPECT_EQ(ShapeQuery(0, 3), nullptr);

    using namespace AttributeSql;
    EXPECT_EQ(&AttributeQuery(LoadAttributes, 2, false), &AttributesShapeSelect);
    EXPECT_EQ(&AttributeQuery(LoadAttributes, 3, true), &AttributesTreeCount);
    EXPECT_EQ(&AttributeQuery(LoadShapeGroups, 0, false), &ShapeGroupsSiteSelect);
    EXPECT_EQ(&AttributeQuery(LoadGroups, 2, true), &GroupsCount);   // site-wide whatever the scope
}
