// The ODBC session through real connections to both databases: connecting by data source name,
// failures as COM error info and message boxes, SQL_NO_DATA as success, long data in pieces,
// names with quotes bound instead of formatted, numbers whatever the locale, rows read in blocks.
#include <cctype>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include "tests/support/DbTestSupport.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ImageResourceSql.h"
#include "persistence/sql/SessionSql.h"
#include "persistence/sql/ShapeKindSql.h"
#include "persistence/sql/ShapeLoadSql.h"
#include "persistence/sql/SiteDeleteSql.h"
#include "persistence/sql/SiteLoadSql.h"
#include "persistence/sql/SiteSql.h"

namespace {

// A site ID of this process, away from the other tests' rows.
int TestSiteId(int n)
{
    return 700000 + static_cast<int>(GetCurrentProcessId() % 10000) * 10 + n;
}

class SessionTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
    }
    MessageBoxRecorder boxes;
    DbConnection db;
};

} // namespace

// Runs first (plain tests run before parameterised ones): the login check is a process-wide
// state. A named data source is checked again on every connection; the default one once.
TEST(LoginCheck, PassesOnceForTheDefaultDataSource)
{
    MessageBoxRecorder boxes;
    ASSERT_FALSE(OdbcLoginsChecked());
    {
        DbConnection named;
        ASSERT_EQ(named.Open(PostgresTarget()), S_OK) << TakeErrorInfo().description;
    }
    EXPECT_FALSE(OdbcLoginsChecked());
    {
        DbConnection byDefault;
        ASSERT_EQ(byDefault.Open(SqliteTarget()), S_OK) << TakeErrorInfo().description;
    }
    EXPECT_TRUE(OdbcLoginsChecked());
    EXPECT_TRUE(MessageBoxRecorder::Boxes().empty());
}

TEST(Connect, AnUnknownDataSourceGivesTheDriverManagersText)
{
    MessageBoxRecorder boxes;
    COdbcSession session;
    session.dataSource = "NoSuchYvexDataSource";
    session.userName = "u";
    session.password = "p";
    HRESULT hr = session.Connect(IID_NULL);
    EXPECT_EQ(hr, static_cast<HRESULT>(0x80020009));
    ErrorInfoText info = TakeErrorInfo();
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.source, "YVEXControl");
    EXPECT_NE(info.description.find("Data source name not found"), std::string::npos) << info.description;
    EXPECT_FALSE(session.IsConnected());
    EXPECT_EQ(session.Statement(), nullptr);
    EXPECT_EQ(session.Connection(), nullptr) << "a failed connection keeps no handle";

    // One box per diagnostic record, error style, no owner.
    std::vector<RecordedBox> shown = MessageBoxRecorder::Boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown[0].text.find("Data source name not found"), std::string::npos);
    EXPECT_EQ(shown[0].style, static_cast<UINT>(MB_ICONERROR | MB_TASKMODAL));

    // The quiet form reports by message box only.
    MessageBoxRecorder::Clear();
    COdbcSession quiet;
    quiet.dataSource = "NoSuchYvexDataSource";
    EXPECT_FALSE(quiet.ConnectQuietly());
    EXPECT_FALSE(quiet.IsConnected());
    shown = MessageBoxRecorder::Boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().caption, "Failed to connect (DSN: 'NoSuchYvexDataSource').");
}

TEST(Connect, AWrongPasswordIsRefusedWithTheServersText)
{
    MessageBoxRecorder boxes;
    DbTarget target = PostgresTarget();
    target.password += "-wrong";
    DbConnection db;
    EXPECT_EQ(db.Open(target), DISP_E_EXCEPTION);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_NE(info.description.find("password authentication failed"), std::string::npos) << info.description;
}

TEST(Connect, TheDefaultDatabaseHasItsSchemaOnFirstUse)
{
    // The test run's default data source points at a new, empty file.
    MessageBoxRecorder boxes;
    DbConnection db;
    ASSERT_EQ(db.Open(SqliteTarget()), S_OK) << TakeErrorInfo().description;
    ASSERT_STATEMENT_OK(db, SiteLoadSql::LoadUnits);
    int units = 0;
    while (SQL_SUCCEEDED(SQLFetch(db.hstmt)))
        ++units;
    Drain(db.hstmt);
    EXPECT_EQ(units, 21);
}

TEST_P(SessionTest, TellsTheDialectOfItsDatabase)
{
    EXPECT_EQ(db.Dialect(), GetParam().dialect);

    COdbcSession session;
    session.dataSource = GetParam().dataSource;
    session.userName = GetParam().user;
    session.password = GetParam().password;
    ASSERT_EQ(session.Connect(IID_NULL), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(session.Dialect(), GetParam().dialect);
    session.Disconnect();
    EXPECT_FALSE(session.IsConnected());
    EXPECT_EQ(session.Dialect(), SqlDialect::SqlServer);   // forgotten with the connection
}

TEST_P(SessionTest, AnEmptyDeleteAnswersNoDataAndSucceeds)
{
    std::string text;
    ASSERT_TRUE(db.Format(SiteDeleteSql::DeleteSite, text, {-424242}));
    SQLRETURN r = SQLExecDirect(db.hstmt, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
    EXPECT_EQ(r, SQL_NO_DATA);
    SQLFreeStmt(db.hstmt, SQL_CLOSE);
    EXPECT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, text.c_str()), S_OK);
    EXPECT_EQ(db.Exec(IID_NULL, SiteDeleteSql::DeleteSite, {-424242}), S_OK);
    EXPECT_TRUE(MessageBoxRecorder::Boxes().empty());
}

TEST_P(SessionTest, AFailedStatementBecomesErrorInfoAndOneBoxPerRecord)
{
    EXPECT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, "select NoSuchColumn from Sites"), DISP_E_EXCEPTION);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_EQ(info.source, "YVEXControl");
    ASSERT_EQ(info.description.compare(0, 3, "\n: "), 0) << info.description;
    std::string lower = info.description;
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(lower.find("nosuchcolumn"), std::string::npos) << info.description;
    std::vector<RecordedBox> shown = MessageBoxRecorder::Boxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Execution Failed");
    EXPECT_EQ(info.description, "\n: " + shown[0].text);
}

TEST_P(SessionTest, SqlServerOnlyStepsAreSkippedNotFailed)
{
    // The dirty-read setting of shape loads means something else in each dialect; SQL
    // Server's own text would only warn on PostgreSQL, and a warning counts as a failure.
    EXPECT_EQ(db.Exec(IID_NULL, SessionSql::ReadUncommitted), S_OK)
        << TakeErrorInfo().description;
    EXPECT_EQ(db.Exec(IID_NULL, SessionSql::SetNoCount), S_OK);
    if (GetParam().dialect == SqlDialect::PostgreSQL) {
        EXPECT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, SessionSql::ReadUncommitted.sqlServer),
                  DISP_E_EXCEPTION);
        EXPECT_NE(TakeErrorInfo().description.find("SET TRANSACTION"), std::string::npos);
    }
}

TEST_P(SessionTest, LongDataGoesInPiecesAndComesBackWhole)
{
    ASSERT_EQ(OdbcDataPieces(2500), (std::vector<size_t>{1024, 1024, 452}));
    std::vector<unsigned char> content(2500);
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>((i * 7 + i / 256) & 0xFF);   // NULs included
    std::string text(2500, ' ');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + i % 26);
    const int resource = TestSiteId(1), shape = TestSiteId(2);   // and shape + 1

    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    ASSERT_STATEMENT_OK(db, ImageResourceSql::InsertImageResource, {resource, 0, 50, 50, 1, 8},
                        {OdbcParam::LongBinary(content.data(), content.size()), OdbcParam::Text("long")});
    ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertTextWithText, {1, 0, 10.0, 0.0, 1.0, 0.0, shape, 0, 0},
                        {OdbcParam::LongText(text.data(), text.size()), OdbcParam::Text("Arial")});
    // The one-parameter form.
    std::string justText = "insert into TextShapes (ShapeID, Text) values (" + std::to_string(shape + 1) + ", ?)";
    SQLRETURN r = OdbcExecDirectWithData(db.hstmt, justText.c_str(), text.data(), text.size(), false);
    EXPECT_EQ(OdbcCheckResult(IID_NULL, db.hstmt, r, "Execution Failed", ""), S_OK) << TakeErrorInfo().description;

    ASSERT_STATEMENT_OK(db, ImageResourceSql::LoadImageResource, {resource});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(db.hstmt)));
    EXPECT_EQ(ColumnBytes(db.hstmt, 3), content);
    Drain(db.hstmt);
    std::string select = "select ShapeID, Text from TextShapes where ShapeID in (" + std::to_string(shape) +
                         ", " + std::to_string(shape + 1) + ")";
    ASSERT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, select.c_str()), S_OK);
    int rows = 0;
    while (SQL_SUCCEEDED(SQLFetch(db.hstmt))) {
        ++rows;
        EXPECT_EQ(ColumnText(db.hstmt, 2), text);
    }
    EXPECT_EQ(rows, 2);
    Drain(db.hstmt);
    ASSERT_STATEMENT_OK(db, SessionSql::RollbackTransaction);
}

TEST_P(SessionTest, NamesWithQuotesAreStoredAndReadBackUnchanged)
{
    const char* names[] = {"O'Brien", "'); delete from Sites; --", "M\xfcller [Stra\xdf" "e] 100%", ""};
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    int n = 0;
    for (const char* name : names) {
        int site = TestSiteId(n++);
        ASSERT_STATEMENT_OK(db, SiteSql::InsertSite, {site, 0, -1.0, 1.0, 1.0, -1.0, -1.0, 1.0,
                            1.0, -1.0, 0, 50.0, 1.0, 1}, {OdbcParam::Text(name)});
        ASSERT_STATEMENT_OK(db, SiteSql::LoadSite, {site});
        ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(db.hstmt)));
        EXPECT_EQ(ColumnText(db.hstmt, 1), name);
        Drain(db.hstmt);
    }
    // Found by name, matched without regard to case, as SQL Server matches it.
    ASSERT_STATEMENT_OK(db, SiteSql::ListSitesByName, {}, {OdbcParam::Text("o'brien")});
    std::vector<std::string> found;
    while (SQL_SUCCEEDED(SQLFetch(db.hstmt)))
        found.push_back(ColumnText(db.hstmt, 2));
    Drain(db.hstmt);
    EXPECT_EQ(found, (std::vector<std::string>{"O'Brien"}));
    ASSERT_STATEMENT_OK(db, SiteSql::CountShapes, {TestSiteId(0)});
    Drain(db.hstmt);
    ASSERT_STATEMENT_OK(db, SessionSql::RollbackTransaction);
}

TEST_P(SessionTest, NumbersAreWrittenWithAPointUnderACommaLocale)
{
    const char* locale = nullptr;
    for (const char* name : {"German_Germany.1252", "German", "de-DE"})
        if ((locale = setlocale(LC_ALL, name)) != nullptr)
            break;
    ASSERT_NE(locale, nullptr);
    const int site = TestSiteId(7);
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    HRESULT hr = db.Exec(IID_NULL, SiteSql::InsertSite,
        {site, 0, -1.5, 2.25, 3.125, -4.75, -1.0, 1.0, 1.0, -1.0, 0, 50.5, 1.0, 1},
        {OdbcParam::Text("comma")});
    setlocale(LC_ALL, "C");
    ASSERT_EQ(hr, S_OK) << TakeErrorInfo().description;
    ASSERT_STATEMENT_OK(db, SiteSql::LoadSite, {site});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(db.hstmt)));
    EXPECT_DOUBLE_EQ(ColumnDouble(db.hstmt, 2), -1.5);
    EXPECT_DOUBLE_EQ(ColumnDouble(db.hstmt, 3), 2.25);
    EXPECT_DOUBLE_EQ(ColumnDouble(db.hstmt, 4), 3.125);
    EXPECT_DOUBLE_EQ(ColumnDouble(db.hstmt, 5), -4.75);
    EXPECT_DOUBLE_EQ(ColumnDouble(db.hstmt, 11), 50.5);
    Drain(db.hstmt);
    ASSERT_STATEMENT_OK(db, SessionSql::RollbackTransaction);
}

// Rows read a block at a time are the rows read one by one, whether the last block is full,
// partly filled or the result empty; the statement reads one row per fetch again afterwards.
TEST_P(SessionTest, RowsReadInBlocksAreTheRowsReadOneByOne)
{
    const SQLULEN block = 4;
    const int site = TestSiteId(8);
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    int inserted = 0;
    for (int count : {0, 1, 3, 4, 5, 11}) {
        // Rows up to `count` for the site; every third X is NULL and reads as the fallback.
        for (; inserted < count; ++inserted) {
            const std::string x = inserted % 3 == 2 ? "NULL" : std::to_string(inserted) + ".5";
            const std::string insert = "insert into Points (PointID, ScenarioID, X, Y, SiteID) values (" +
                                       std::to_string(site * 100 + inserted) + ", 0, " + x + ", 0, " +
                                       std::to_string(site) + ")";
            ASSERT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, insert.c_str()), S_OK) << TakeErrorInfo().description;
        }
        const std::string select =
            "select PointID, X from Points where SiteID = " + std::to_string(site) + " order by PointID";
        ASSERT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, select.c_str()), S_OK) << TakeErrorInfo().description;
        std::vector<std::pair<int, double>> rows;
        {
            COdbcRow row(db.hstmt);
            ASSERT_TRUE(row.FetchInBlocks(block)) << count;
            ASSERT_TRUE(row.BindInt(1));
            ASSERT_TRUE(row.BindDouble(2));
            while (row.Fetch())
                rows.emplace_back(row.Int(1), row.Double(2, -1.0));
            EXPECT_TRUE(row.EndedCleanly()) << count;
            row.Finish();
        }
        std::vector<std::pair<int, double>> expected;
        for (int i = 0; i < count; ++i)
            expected.emplace_back(site * 100 + i, i % 3 == 2 ? -1.0 : i + 0.5);
        EXPECT_EQ(rows, expected) << count;

        ASSERT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, select.c_str()), S_OK) << TakeErrorInfo().description;
        int single = 0;
        while (SQL_SUCCEEDED(SQLFetch(db.hstmt))) {
            EXPECT_EQ(ColumnLong(db.hstmt, 1), site * 100 + single) << count;
            ++single;
        }
        EXPECT_EQ(single, count);
        Drain(db.hstmt);
    }
    ASSERT_STATEMENT_OK(db, SessionSql::RollbackTransaction);
}

INSTANTIATE_TEST_SUITE_P(Databases, SessionTest, testing::ValuesIn(AllTargets()), TargetName());
