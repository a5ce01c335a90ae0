// The next database IDs of points and shapes, read from both databases of the test run. Every
// change happens inside a transaction that is rolled back.
#include "tests/support/DbTestSupport.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/PointPool.h"
#include "persistence/sql/SessionSql.h"

namespace {

void Raw(SQLHSTMT hstmt, const char* text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_NO_DATA)
        << text << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

class DatabaseIdTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    }
    void TearDown() override { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    MessageBoxRecorder boxes;
    DbConnection db;
};

} // namespace

TEST_P(DatabaseIdTest, NextIdsFollowTheLargestAndStartAtOne)
{
    CControlCore control;
    CPointPool& pool = control.GetPointPool();
    CShapeMap& map = control.GetShapeMap();

    Raw(db.hstmt, "insert into Points (PointID, ScenarioID, X, Y, SiteID) values (1500000000, 0, 1.0, 2.0, 0)");
    Raw(db.hstmt, "insert into Shapes (ShapeID, ScenarioID) values (1400000000, 0)");
    ASSERT_EQ(pool.LoadNextDatabaseId(db), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(pool.GetNextDatabaseId(), 1500000001);
    ASSERT_EQ(map.ReadNextDbId(db), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(map.GetNextDbShapeId(), 1400000001);

    // Empty tables answer NULL: the first ID is 1, whatever came before.
    Raw(db.hstmt, "delete from Points");
    Raw(db.hstmt, "delete from Shapes");
    ASSERT_EQ(pool.LoadNextDatabaseId(db), S_OK);
    EXPECT_EQ(pool.GetNextDatabaseId(), 1);
    ASSERT_EQ(map.ReadNextDbId(db), S_OK);
    EXPECT_EQ(map.GetNextDbShapeId(), 1);

    // A largest ID of 0 or below also gives 1.
    Raw(db.hstmt, "insert into Points (PointID, ScenarioID, X, Y, SiteID) values (-7, 0, 0.0, 0.0, 0)");
    ASSERT_EQ(pool.LoadNextDatabaseId(db), S_OK);
    EXPECT_EQ(pool.GetNextDatabaseId(), 1);
}

TEST_P(DatabaseIdTest, AFailedStatementIsReturnedWithItsErrorInfo)
{
    CControlCore control;
    Raw(db.hstmt, "rollback transaction");
    db.Disconnect();
    // A session whose connection is gone: nothing runs, the failure is reported.
    EXPECT_TRUE(FAILED(control.GetPointPool().LoadNextDatabaseId(db)));
    ASSERT_EQ(db.Open(GetParam()), S_OK);
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
}

INSTANTIATE_TEST_SUITE_P(Databases, DatabaseIdTest, testing::ValuesIn(AllTargets()), TargetName());
