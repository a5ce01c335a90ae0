// Views as rows of the viewPorts table, in both databases of the test run. Every test works in a
// transaction that is rolled back, on a table it empties first.
#include "tests/support/DbTestSupport.h"
#include "control/ControlCore.h"
#include "control/ViewportList.h"
#include "persistence/sql/SessionSql.h"

namespace {

class ViewportRowsTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
        ExecRaw(db.hstmt, "delete from viewPorts");
        control.SetScenarioId(3);
    }
    void TearDown() override { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    MessageBoxRecorder boxes;
    DbConnection db;
    CControlCore control;
};

} // namespace

// A site whose only view is the current one stores it as "DEFAULT", the first row of an empty
// table numbered 1; loading it back adds a view beside the current one.
TEST_P(ViewportRowsTest, TheCurrentViewAloneIsStoredAsDefault)
{
    CViewportRecord& current = control.GetCurrentViewport();
    current.center = CRealPoint(12.5f, -3.0f);
    current.width = 40.0f;
    current.height = 30.0f;
    ASSERT_EQ(control.GetViewportList().SaveToDB(db, 9), S_OK) << TakeErrorInfo().description;
    const auto rows = QueryRows(db.hstmt, "select viewPortID, Name, centerX, centerY, width, height, siteID, ScenarioID from viewPorts");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "1");
    EXPECT_EQ(rows[0][1], "DEFAULT");
    EXPECT_DOUBLE_EQ(std::atof(rows[0][2].c_str()), 12.5);
    EXPECT_DOUBLE_EQ(std::atof(rows[0][5].c_str()), 30.0);
    EXPECT_EQ(rows[0][6], "9");
    EXPECT_EQ(rows[0][7], "3");
    EXPECT_EQ(current.name, "CURRENT") << "the record keeps its own name";

    CControlCore other;
    ASSERT_EQ(other.GetViewportList().LoadFromDB(db, 9), S_OK) << TakeErrorInfo().description;
    CViewportList& list = other.GetViewportList();
    ASSERT_EQ(list.GetCount(), 2);
    CViewportRecord* loaded = list.FindByName("DEFAULT");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->databaseID, 1);
    EXPECT_NE(loaded, &other.GetCurrentViewport());
    EXPECT_EQ(list.FindByID(1), &other.GetCurrentViewport()) << "the current view keeps its ID";
    EXPECT_FLOAT_EQ(loaded->center.x, 12.5f);
    EXPECT_FLOAT_EQ(loaded->height, 30.0f);
    EXPECT_EQ(list.GetSourceSite(1), 9);
    // Another site's rows are not read.
    CControlCore third;
    ASSERT_EQ(third.GetViewportList().LoadFromDB(db, 10), S_OK);
    EXPECT_EQ(third.GetViewportList().GetCount(), 1);

    // Saved again, the loaded view is a row of its own (the current view stays out), numbered on.
    ASSERT_EQ(list.SaveToDB(db, 11), S_OK) << TakeErrorInfo().description;
    const auto again = QueryRows(db.hstmt, "select viewPortID, Name from viewPorts where siteID = 11");
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0][0], "2");
    EXPECT_EQ(again[0][1], "DEFAULT");
}

// Names are bound: quotes and statement text travel as data.
TEST_P(ViewportRowsTest, NamesAreBound)
{
    auto* named = new CViewportRecord(&control);
    named->name = "O'Brien'); delete from viewPorts; --";
    control.GetViewportList().Add(named);
    auto* second = new CViewportRecord(&control);
    second->name = "Second";
    control.GetViewportList().Add(second);
    ASSERT_EQ(control.GetViewportList().SaveToDB(db, 4), S_OK) << TakeErrorInfo().description;
    const auto rows = QueryRows(db.hstmt, "select Name from viewPorts order by viewPortID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], named->name);
    EXPECT_EQ(rows[1][0], "Second");
}

INSTANTIATE_TEST_SUITE_P(Databases, ViewportRowsTest, testing::ValuesIn(AllTargets()), TargetName());
