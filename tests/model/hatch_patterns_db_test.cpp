// The site's hatch patterns as HatchPatterns rows, and the hatch column of the shapes that use them,
// on both databases of the test run. Every test works in a transaction that is rolled back.
#include "tests/support/DbTestSupport.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/HatchPatternMap.h"
#include "model/Shape.h"
#include "persistence/sql/SessionSql.h"
#include "tests/support/ImageTestSupport.h"
#include "YVEX_h.h"

namespace {

// Every row of a query as texts (NULL as "NULL").
std::vector<std::vector<std::string>> RowsOf(SQLHSTMT hstmt, const std::string& query)
{
    std::vector<std::vector<std::string>> rows;
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.c_str())), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(r)) << query << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(hstmt, &columns);
    while (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(hstmt))) {
        std::vector<std::string> row;
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            bool isNull = false;
            const std::string text = ColumnText(hstmt, static_cast<SQLUSMALLINT>(c), &isNull);
            row.push_back(isNull ? "NULL" : text);
        }
        rows.push_back(row);
    }
    Drain(hstmt);
    return rows;
}

using Rows = std::vector<std::vector<std::string>>;

class HatchRowsTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        imagetest::EnsureGdiplus();
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
        Exec("delete from HatchPatterns");
        Exec("delete from Shapes");
    }
    void TearDown() override { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    void Exec(const std::string& text) { ASSERT_EQ(OdbcExecDirect(IID_NULL, db.hstmt, text.c_str()), S_OK) << text; }

    // A picture of the control's image resources, stored under the database ID when it is above 0.
    // Pictures of different sizes are different pictures whatever their colours.
    static int AddImage(CControlCore& control, int side, int databaseId)
    {
        const std::vector<BYTE> bytes = imagetest::MakeQuadrants(side, 0x0000FF, 0x00FF00, 0xFF0000, 0);
        CImageResource* image =
            control.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
        EXPECT_NE(image, nullptr);
        if (!image)
            return 0;
        if (databaseId > 0)
            control.GetImageResourceMap().SetDatabaseId(databaseId, image->GetId());
        return image->GetId();
    }

    MessageBoxRecorder boxes;
    DbConnection db;
    CControlCore control;
};

} // namespace

// New patterns take the IDs above the table's largest, and never a built-in's: on an empty table
// (whose maximum reads as NULL) the first is 28.
TEST_P(HatchRowsTest, NewPatternsTakeTheNextIds)
{
    SQLHSTMT h = db.hstmt;
    CHatchPatternMap& map = control.GetHatchPatternMap();
    const int red = map.AddPattern("Red", "First", AddImage(control, 8, 7));
    const int blue = map.AddPattern("Blue", "Second", AddImage(control, 9, 8));
    ASSERT_EQ(red, 28);
    ASSERT_EQ(blue, 29);
    ASSERT_EQ(map.Save(db, 0, 0, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(map.Find(red)->GetDatabaseId(), 28);
    EXPECT_EQ(map.Find(blue)->GetDatabaseId(), 29);
    EXPECT_EQ(map.GetMaxDatabaseId(), 29);
    EXPECT_EQ(RowsOf(h, "select HatchPatternID, Name, Description, ImageResourceID from HatchPatterns order by 1"),
              (Rows{{"28", "Red", "First", "7"}, {"29", "Blue", "Second", "8"}}));

    // A table whose largest ID is 40.
    Exec("delete from HatchPatterns");
    Exec("insert into HatchPatterns (HatchPatternID, Name, Description, ImageResourceID) values (40, 'x', 'y', 99)");
    CControlCore other;
    CHatchPatternMap& next = other.GetHatchPatternMap();
    const int first = next.AddPattern("One", "", AddImage(other, 10, 9));
    const int second = next.AddPattern("Two", "", AddImage(other, 11, 10));
    ASSERT_TRUE(first > 0 && second > 0);
    ASSERT_EQ(next.Save(db, 0, 0, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(next.Find(first)->GetDatabaseId(), 41);
    EXPECT_EQ(next.Find(second)->GetDatabaseId(), 42);

    // A stored pattern is updated, not inserted again.
    next.Find(first)->SetName("One again");
    ASSERT_EQ(next.Save(db, 0, 0, first), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(RowsOf(h, "select Name from HatchPatterns where HatchPatternID = 41"), (Rows{{"One again"}}));
    EXPECT_EQ(RowsOf(h, "select count(*) from HatchPatterns"), (Rows{{"3"}}));
}

// Names and descriptions go to the database as they are, quotes and commas included, and read back
// the same.
TEST_P(HatchRowsTest, TextsRoundTrip)
{
    const char* name = "O'Brien's \"tiles\"";
    const char* description = "Glazed, 10' x 10'; drop table Shapes --";
    const int image = AddImage(control, 8, 12);
    const int id = control.GetHatchPatternMap().AddPattern(name, description, image);
    ASSERT_EQ(control.GetHatchPatternMap().Save(db, 0, 0, 0), S_OK) << TakeErrorInfo().description;

    CControlCore reader;
    const int there = AddImage(reader, 8, 12);
    CHatchPatternMap& map = reader.GetHatchPatternMap();
    ASSERT_EQ(map.Load(db, 0), S_OK) << TakeErrorInfo().description;
    const CHatchPattern* loaded = map.FindByStoredId(control.GetHatchPatternMap().Find(id)->GetDatabaseId());
    ASSERT_NE(loaded, nullptr);
    EXPECT_STREQ(loaded->GetName(), name);
    EXPECT_EQ(loaded->GetDescription(), description);
    EXPECT_EQ(loaded->GetImageResourceId(), there);
    EXPECT_FALSE(loaded->IsLoadedForBrowsing());
}

// Only image patterns are the site's own: a row above the built-ins without an image is passed
// over. Browsing marks what it loads, keeps the image's database ID, and PurgeMarked takes it.
TEST_P(HatchRowsTest, LoadReadsImagePatterns)
{
    Exec("insert into HatchPatterns (HatchPatternID, Name, Description, ImageResourceID) values (30, 'bare', 'no image', NULL)");
    Exec("insert into HatchPatterns (HatchPatternID, Name, Description, ImageResourceID) values (31, 'tiles', 'image', 12)");
    const int image = AddImage(control, 8, 12);
    CHatchPatternMap& map = control.GetHatchPatternMap();
    ASSERT_EQ(map.Load(db, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(map.FindByStoredId(30), nullptr);
    ASSERT_NE(map.FindByStoredId(31), nullptr);
    EXPECT_EQ(map.FindByStoredId(31)->GetImageResourceId(), image);
    EXPECT_EQ(map.Patterns().size(), 28u);
    // Loading again finds the same pattern.
    ASSERT_EQ(map.Load(db, 0), S_OK);
    EXPECT_EQ(map.Patterns().size(), 28u);

    CControlCore browser;
    CHatchPatternMap& browsed = browser.GetHatchPatternMap();
    ASSERT_EQ(browsed.Load(db, 0, true), S_OK) << TakeErrorInfo().description;
    const CHatchPattern* pattern = browsed.FindByStoredId(31);
    ASSERT_NE(pattern, nullptr);
    EXPECT_TRUE(pattern->IsLoadedForBrowsing());
    EXPECT_EQ(pattern->GetImageResourceId(), 12);
    EXPECT_EQ(browsed.PurgeMarked(), 1);
    EXPECT_EQ(browsed.Patterns().size(), 27u);
}

// A shape's hatch column: a built-in as its ID, a site pattern as the pattern's database ID, NULL
// for a pattern never stored; the site's load finds the pattern through its shapes.
TEST_P(HatchRowsTest, ShapesStoreTheirPatternsDatabaseId)
{
    SQLHSTMT h = db.hstmt;
    const int first = 20;
    control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    Exec("insert into HatchPatterns (HatchPatternID, Name, Description, ImageResourceID) values (40, 'x', 'y', 99)");
    CHatchPatternMap& map = control.GetHatchPatternMap();
    const int stored = map.AddPattern("Stored", "", AddImage(control, 8, 5));
    const int unsaved = map.AddPattern("Unsaved", "", AddImage(control, 9, 0));
    ASSERT_TRUE(stored > 0 && unsaved > 0);
    ASSERT_EQ(map.Save(db, 0, 0, 0), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(map.Find(stored)->GetDatabaseId(), 41);
    EXPECT_EQ(map.Find(unsaved)->GetDatabaseId(), 0); // its image has no row yet

    struct Case
    {
        int pattern;
        const char* column;
    } cases[] = {{stored, "41"}, {unsaved, "NULL"}, {hpAnsi31, "3"}, {hpByLayer, "16384"}};
    for (const Case& c : cases) {
        CShape* shape = control.GetShapeMap().CreateShape(stDummy, true, true);
        shape->SetHatchPatternId(c.pattern);
        ASSERT_EQ(shape->SaveToDB(db, 7, 0, 1), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(RowsOf(h, "select HatchPatternID from Shapes where ShapeID = " + std::to_string(shape->GetDatabaseId())),
                  (Rows{{c.column}}))
            << c.pattern;
    }

    // The patterns of site 7's shapes: the stored one.
    CControlCore reader;
    AddImage(reader, 8, 5);
    ASSERT_EQ(reader.GetHatchPatternMap().Load(db, 7), S_OK) << TakeErrorInfo().description;
    ASSERT_NE(reader.GetHatchPatternMap().FindByStoredId(41), nullptr);
    EXPECT_STREQ(reader.GetHatchPatternMap().FindByStoredId(41)->GetName(), "Stored");
    EXPECT_EQ(reader.GetHatchPatternMap().FindByStoredId(40), nullptr);
}

// A row another session wrote for the same image gives the pattern its ID: it is updated.
TEST_P(HatchRowsTest, ARowOfTheImageIsTakenOver)
{
    SQLHSTMT h = db.hstmt;
    Exec("insert into HatchPatterns (HatchPatternID, Name, Description, ImageResourceID) values (33, 'old', 'old', 12)");
    CHatchPatternMap& map = control.GetHatchPatternMap();
    const int id = map.AddPattern("New", "new", AddImage(control, 8, 12));
    ASSERT_EQ(map.Save(db, 0, 0, id), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(map.Find(id)->GetDatabaseId(), 33);
    EXPECT_EQ(RowsOf(h, "select HatchPatternID, Name, Description from HatchPatterns"), (Rows{{"33", "New", "new"}}));
}

INSTANTIATE_TEST_SUITE_P(Databases, HatchRowsTest, testing::ValuesIn(AllTargets()), TargetName());
