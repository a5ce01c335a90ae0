// Shapes, their points, vertices and groups as database rows, written into both databases of the
// test run. Every test works in a transaction that is rolled back, on tables it empties first.
#include "tests/support/DbTestSupport.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Text.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Layer.h"
#include "model/Line.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/Shape.h"
#include "persistence/sql/SessionSql.h"
#include "YVEX_h.h"
#include "tests/support/ImageTestSupport.h"

namespace {

void Raw(SQLHSTMT hstmt, const char* text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_NO_DATA)
        << text << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

// One row of a query, as texts (NULL as "NULL"); empty when there is none.
std::vector<std::string> Row(SQLHSTMT hstmt, const char* query)
{
    std::vector<std::string> row;
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query)), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(r)) << query << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    if (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(hstmt))) {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(hstmt, &columns);
        for (SQLSMALLINT c = 1; c <= columns; ++c) {
            bool isNull = false;
            const std::string text = ColumnText(hstmt, static_cast<SQLUSMALLINT>(c), &isNull);
            row.push_back(isNull ? "NULL" : text);
        }
    }
    Drain(hstmt);
    return row;
}

long Count(SQLHSTMT hstmt, const char* query)
{
    const std::vector<std::string> row = Row(hstmt, query);
    return row.empty() ? -1 : std::atol(row[0].c_str());
}

double Real(const std::string& text) { return std::atof(text.c_str()); }

// Asks the database for new IDs.
const DWORD kIdsFromDatabase = 0x1;

class ShapeRowsTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
        for (const char* table :
             {"Shapes", "Points", "ShapePoints", "LinkedPoints", "GroupShapes", "Vertexes", "LineShapes", "PolylineShapes",
              "EllipseShapes", "LayerShapes", "LayerSettings", "ReferenceShapes", "ImageShapes", "TextShapes"}) {
            const std::string text = std::string("delete from ") + table;
            Raw(db.hstmt, text.c_str());
        }
        control.SetScenarioId(5);
        // The drawing's own shapes start above the fixed groups and prototypes (2 to 11).
        const int first = 20;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    }
    void TearDown() override { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    // A shape of the factory with points at the given places.
    CShape* Make(int type, std::initializer_list<CRealPoint> points)
    {
        CShape* shape = control.GetShapeMap().CreateShape(type, true, true);
        int index = 0;
        for (const CRealPoint& p : points)
            shape->SetPointCoords(3, p.x, p.y, index++);
        return shape;
    }

    MessageBoxRecorder boxes;
    DbConnection db;
    CControlCore control;
};

} // namespace

TEST_P(ShapeRowsTest, ASaveInsertsAndASecondSaveUpdates)
{
    SQLHSTMT h = db.hstmt;
    CShape* shape = Make(stRectangle, {{1, 2}, {3, 4}});
    shape->SetPenWeight(2.0f);
    shape->SetStateBits(CShape::stScalePenWeight, false);
    shape->SetLinePatternId(0);
    shape->SetHatchPatternId(30); // a pattern of the site's own that no pattern map knows
    shape->SetTag(44);
    shape->SetZOrder(CShape::kUnsetZOrder, false);

    ASSERT_EQ(shape->SaveToDB(db, 7, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    // An empty table: the first ID is 1.
    EXPECT_EQ(shape->GetDatabaseId(), 1);
    EXPECT_EQ(shape->GetLinePatternId(), 12); // an ID out of range is stored (and kept) as 12
    const std::vector<std::string> row = Row(
        h, "select ShapeID, ScenarioID, PenWeight, Tag, Number, ShapeTypeID, SiteID, LinePatternID, GroupShapeID, "
           "HatchPatternID, LayerShapeID, ZOrder from Shapes");
    ASSERT_EQ(row.size(), 12u);
    EXPECT_EQ(row[0], "1");
    EXPECT_EQ(row[1], "5");
    EXPECT_EQ(Real(row[2]), -2.0); // weight 2, not scaled with the view
    EXPECT_EQ(row[3], "44");
    EXPECT_EQ(row[4], std::to_string(shape->GetId()));
    // The shape's own kind (a reload builds a rectangle again), not its class's (polyline, 6).
    EXPECT_EQ(row[5], "2");
    EXPECT_EQ(row[6], "7");
    EXPECT_EQ(row[7], "12");
    EXPECT_EQ(row[8], "NULL");
    EXPECT_EQ(row[9], "NULL");
    EXPECT_EQ(row[10], "NULL");
    EXPECT_EQ(Real(row[11]), 1.0); // a Z order never set takes the new ID
    EXPECT_EQ(shape->GetZOrder(), 1.0f);
    EXPECT_EQ(Count(h, "select count(*) from Points where ScenarioID = 5 and SiteID = 7"), 2);
    EXPECT_EQ(Count(h, "select count(*) from ShapePoints where ShapeID = 1"), 2);
    EXPECT_EQ(Row(h, "select Number from ShapePoints sp join Points p on p.PointID = sp.PointID where p.X = 3.0"),
              std::vector<std::string>{"1"});

    // Again, moved: one update, no second shapePoints row, the points keep the scenario.
    shape->SetPointCoords(3, 9, 8, 1);
    control.SetScenarioId(6);
    ASSERT_EQ(shape->SaveToDB(db, 7, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from Shapes"), 1);
    EXPECT_EQ(Count(h, "select count(*) from ShapePoints"), 2);
    EXPECT_EQ(Count(h, "select count(*) from Points where X = 9.0 and Y = 8.0"), 1);
    EXPECT_EQ(Count(h, "select count(*) from Points where ScenarioID = 6"), 2);
    EXPECT_EQ(Count(h, "select count(*) from Shapes where ScenarioID = 6"), 1);
}

TEST_P(ShapeRowsTest, CountersGiveTheIdsWithoutAskingTheDatabase)
{
    SQLHSTMT h = db.hstmt;
    control.GetShapeMap().SetNextDbShapeId(40);
    control.GetPointPool().SetNextDatabaseId(70);
    control.GetDbIdCounters().shapePoint = 90;
    CShape* first = Make(stPolyline, {{0, 0}, {1, 1}});
    ASSERT_EQ(first->SaveToDB(db, 1, 0, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(first->GetDatabaseId(), 40);
    EXPECT_EQ(control.GetShapeMap().GetNextDbShapeId(), 41);
    EXPECT_EQ(first->GetPoints().GetAt(1)->GetDatabaseId(), 71);
    EXPECT_EQ(control.GetPointPool().GetNextDatabaseId(), 72);
    EXPECT_EQ(control.GetDbIdCounters().shapePoint, 92);
    EXPECT_EQ(Count(h, "select count(*) from ShapePoints where ShapePointID in (90, 91) and ShapeID = 40"), 2);

    // A point followed by a second shape: one linkedPoints row, once.
    CShape* second = Make(stPolyline, {{5, 5}});
    ASSERT_EQ(second->LinkPoint(first->GetPoints().GetAt(0)->GetPointId()), 1);
    ASSERT_EQ(second->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(second->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Row(h, "select ShapeID, PointID from LinkedPoints"),
              (std::vector<std::string>{std::to_string(second->GetDatabaseId()), "70"}));
    EXPECT_EQ(Count(h, "select count(*) from LinkedPoints"), 1);
}

TEST_P(ShapeRowsTest, AGroupStoresItsChildrenAndABoundName)
{
    SQLHSTMT h = db.hstmt;
    auto* group = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
    group->SetName(L"O'Brien's \"plan\"; drop table Shapes");
    CShape* child = Make(stPolyline, {{1, 1}});
    ASSERT_EQ(group->AddChild(child, nullptr, 1, false), 0);
    auto* unnamed = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
    CLayer* layer = static_cast<CLayer*>(control.GetShapeMap().CreateShape(stLayer, true, true));
    ASSERT_EQ(layer->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    child->SetLayer(layer);

    ASSERT_EQ(group->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(unnamed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    const std::string groupId = std::to_string(group->GetDatabaseId());
    EXPECT_EQ(Row(h, ("select Name, ScenarioID from GroupShapes where ShapeID = " + groupId).c_str()),
              (std::vector<std::string>{"O'Brien's \"plan\"; drop table Shapes", "5"}));
    // A group without a name stores the text NULL, not an SQL null.
    EXPECT_EQ(Row(h, ("select Name from GroupShapes where ShapeID = " + std::to_string(unnamed->GetDatabaseId())).c_str()),
              std::vector<std::string>{"NULL"});
    // The child's row follows its group's and names it and its layer.
    EXPECT_EQ(Row(h, ("select GroupShapeID, LayerShapeID from Shapes where ShapeID = " +
                      std::to_string(child->GetDatabaseId())).c_str()),
              (std::vector<std::string>{groupId, std::to_string(layer->GetDatabaseId())}));
    EXPECT_GT(child->GetDatabaseId(), group->GetDatabaseId());

    group->SetName(L"renamed");
    ASSERT_EQ(group->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Row(h, ("select Name from GroupShapes where ShapeID = " + groupId).c_str()),
              std::vector<std::string>{"renamed"});
    EXPECT_EQ(Count(h, ("select count(*) from GroupShapes where ShapeID = " + groupId).c_str()), 1);
}

TEST_P(ShapeRowsTest, VerticesStoreTheirRowsOnTheirShapePoints)
{
    SQLHSTMT h = db.hstmt;
    auto* polyline = static_cast<CPolyline*>(Make(stPolyline, {{0, 0}, {4, 0}, {4, 3}}));
    ASSERT_EQ(polyline->GetVertices().size(), 3u);
    ASSERT_EQ(polyline->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    CVertexRecord* plain = polyline->FindVertexOfPoint(polyline->GetPoints().GetAt(0)->GetPointId());
    CVertexRecord* named = polyline->FindVertexOfPoint(polyline->GetPoints().GetAt(1)->GetPointId());
    ASSERT_TRUE(plain && named);

    // A vertex with default data that was never stored writes nothing.
    EXPECT_EQ(plain->SaveToDB(db, 1, 5, kIdsFromDatabase), S_FALSE);
    named->name = "it's \"B\"";
    named->bulge = 0.5f;
    named->startWidth = 2.0f;
    ASSERT_EQ(named->SaveToDB(db, 1, 5, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(named->databaseId, 1);
    const std::vector<std::string> row =
        Row(h, "select v.Name, v.Bulge, v.StartWidth, v.EndWidth, sp.Number from Vertexes v join ShapePoints sp on "
               "sp.ShapePointID = v.ShapePointID");
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[0], "it's \"B\"");
    EXPECT_EQ(Real(row[1]), 0.5);
    EXPECT_EQ(Real(row[2]), 2.0);
    EXPECT_EQ(Real(row[3]), -1.0);
    EXPECT_EQ(row[4], "1");

    named->name = "O'Neil";
    ASSERT_EQ(named->SaveToDB(db, 1, 5, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Row(h, "select Name from Vertexes"), std::vector<std::string>{"O'Neil"});
    EXPECT_EQ(Count(h, "select count(*) from Vertexes"), 1);
    EXPECT_EQ(Count(h, "select count(*) from ShapePoints"), 3);

    // A vertex of a polyline that is not stored has nothing to hang on.
    auto* unsaved = static_cast<CPolyline*>(Make(stPolyline, {{0, 0}, {1, 0}}));
    CVertexRecord* first = unsaved->FindVertexOfPoint(unsaved->GetPoints().GetAt(0)->GetPointId());
    first->bulge = 1.0f;
    EXPECT_EQ(first->SaveToDB(db, 1, 5, kIdsFromDatabase), E_FAIL);
}

TEST_P(ShapeRowsTest, AFailedStatementEndsTheSaveAndKeepsTheOldIds)
{
    SQLHSTMT h = db.hstmt;
    int id = 0;
    EXPECT_EQ(CShape::NextIdFromDatabase(db, "shapeID", "no_such_table", &id), E_FAIL);
    EXPECT_FALSE(TakeErrorInfo().description.empty());
    boxes.Clear();

    // A row of that ID is there already: the insert fails and the shape stays unsaved.
    Raw(h, "insert into Shapes (ShapeID, ScenarioID) values (3, 0)");
    control.GetShapeMap().SetNextDbShapeId(3);
    CShape* shape = Make(stPolyline, {{1, 1}});
    EXPECT_EQ(shape->SaveToDB(db, 1, 0, 0), DISP_E_EXCEPTION);
    EXPECT_EQ(shape->GetDatabaseId(), 0);
    EXPECT_EQ(shape->GetPoints().GetAt(0)->GetDatabaseId(), 0);

    // Not stored at all: without the persistent bit, and the prototypes.
    shape->SetStateBits(CShape::stPersistent, false);
    EXPECT_EQ(shape->SaveToDB(db, 1, 0, kIdsFromDatabase), S_FALSE);
    const int prototypeId = DEFAULT_LINE_ID;
    CShape* prototype = control.GetShapeMap().CreateShape(stPolyline, true, true, &prototypeId);
    EXPECT_EQ(prototype->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK);
    EXPECT_EQ(prototype->GetDatabaseId(), 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, ShapeRowsTest, testing::ValuesIn(AllTargets()), TargetName());

// The kind rows follow every save: none for a line or polyline with nothing of its own, inserted
// once there is something (an arrow), updated again when it goes (the arrows then NULL).
TEST_P(ShapeRowsTest, KindRowsFollowEachSave)
{
    SQLHSTMT h = db.hstmt;
    struct Case
    {
        const char* what;
        int type;
        const char* table;
    };
    for (const Case& c : {Case{"line", stLine, "LineShapes"}, Case{"polyline", stPolyline, "PolylineShapes"}}) {
        SCOPED_TRACE(c.what);
        CShape* shape = Make(c.type, {{0, 0}, {10, 5}});
        const std::string arrows = std::string("select FirstArrowTypeID, SecondArrowTypeID from ") + c.table;
        const std::string count = std::string("select count(*) from ") + c.table;
        ASSERT_EQ(shape->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(Count(h, "select count(*) from Shapes"), 1);
        EXPECT_EQ(Count(h, count.c_str()), 0);

        shape->SetFirstArrowType(atArrowVT);
        shape->SetSecondArrowType(atCircleFilled);
        ASSERT_EQ(shape->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(Row(h, (arrows + " where ShapeID = " + std::to_string(shape->GetDatabaseId())).c_str()),
                  (std::vector<std::string>{"2", "515"}));

        shape->SetFirstArrowType(atNone);
        shape->SetSecondArrowType(atNone);
        ASSERT_EQ(shape->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(Row(h, arrows.c_str()), (std::vector<std::string>{"NULL", "NULL"}));
        EXPECT_EQ(Count(h, count.c_str()), 1);
        EXPECT_EQ(Count(h, "select count(*) from Shapes"), 1);
        EXPECT_EQ(Count(h, "select count(*) from GroupShapes"), 0); // lines and polylines are no groups
        Raw(h, "delete from Shapes");
    }
}

// A tapered polyline keeps both widths, in memory and in its row; a closed one, a rectangle and
// their vertices store their form in the Shapes row and their data in Vertexes rows.
TEST_P(ShapeRowsTest, PolylineWidthsFormAndVertices)
{
    SQLHSTMT h = db.hstmt;
    auto* tapered = static_cast<CPolyline*>(Make(stPolyline, {{0, 0}, {10, 0}}));
    tapered->SetDefaultWidths(0.0f, 2.5f);
    ASSERT_EQ(tapered->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(tapered->GetDefStartWidth(), 0.0f);
    EXPECT_EQ(tapered->GetDefEndWidth(), 2.5f);
    const std::string id = std::to_string(tapered->GetDatabaseId());
    const std::vector<std::string> row =
        Row(h, ("select DefStartWidth, DefEndWidth, ScenarioID from PolylineShapes where ShapeID = " + id).c_str());
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(Real(row[0]), 0.0);
    EXPECT_EQ(Real(row[1]), 2.5);
    EXPECT_EQ(row[2], "5");

    auto* closed = static_cast<CPolyline*>(Make(stPolygon, {{0, 0}, {4, 0}, {4, 3}}));
    closed->GetVertexAt(1)->bulge = 0.5f;
    CShape* rectangle = Make(stRectangle, {{0, 0}, {4, 0}, {4, 3}, {0, 3}});
    for (CShape* s : {static_cast<CShape*>(closed), rectangle})
        ASSERT_EQ(s->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    auto flags = [&](CShape* s) {
        return Count(h, ("select Flags from Shapes where ShapeID = " + std::to_string(s->GetDatabaseId())).c_str());
    };
    EXPECT_EQ(flags(closed) & 0x1C, sdbfClosed);
    EXPECT_EQ(flags(rectangle) & 0x1C, sdbfClosed | sdbfOrtho);
    EXPECT_EQ(flags(tapered) & 0x1C, 0);
    // The bulged vertex has its row on its shapePoints row; the default ones none.
    EXPECT_EQ(Count(h, "select count(*) from Vertexes"), 1);
    EXPECT_EQ(Row(h, "select sp.Number from Vertexes v join ShapePoints sp on sp.ShapePointID = v.ShapePointID"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(Real(Row(h, "select Bulge from Vertexes")[0]), 0.5);
    EXPECT_EQ(closed->GetVertexAt(1)->databaseId, 1);
    EXPECT_GT(closed->GetVertexAt(1)->shapePointId, 0);

    // Saved again: updates only.
    closed->GetVertexAt(1)->bulge = -0.5f;
    ASSERT_EQ(closed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from Vertexes"), 1);
    EXPECT_EQ(Real(Row(h, "select Bulge from Vertexes")[0]), -0.5);
    EXPECT_EQ(Count(h, "select count(*) from PolylineShapes"), 3);
}

// An image's row names its size, turn and the picture's database identity; a second save updates
// it; an image whose picture the site does not hold is refused.
TEST_P(ShapeRowsTest, ImageRowsFollowEachSave)
{
    SQLHSTMT h = db.hstmt;
    imagetest::EnsureGdiplus();
    const std::vector<BYTE> bmp = imagetest::MakeBmp(8, 4, [](int, int) { return RGB(1, 2, 3); });
    CImageResourceMap& map = control.GetImageResourceMap();
    CImageResource* picture = map.CreateResource(0, bmp.data(), bmp.size(), 1.0f, true);
    ASSERT_NE(picture, nullptr);
    map.SetDatabaseId(33, picture->GetId());
    auto* image = static_cast<CImage*>(Make(stImage, {{1, 2}}));
    image->SetSize(80.5f, -40.25f);
    image->SetRotation(30);
    image->SetImageResourceId(picture->GetId());
    ASSERT_EQ(image->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    const std::string query =
        "select ShapeID, ScenarioID, Width, Height, RotationAngle, ImageResourceID from ImageShapes";
    std::vector<std::string> row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 6u);
    EXPECT_EQ(row[0], std::to_string(image->GetDatabaseId()));
    EXPECT_EQ(row[1], "5");
    EXPECT_EQ(Real(row[2]), 80.5);
    EXPECT_EQ(Real(row[3]), -40.25);
    EXPECT_EQ(Real(row[4]), 30.0);
    EXPECT_EQ(row[5], "33");

    map.SetDatabaseId(34, picture->GetId());
    image->SetRotation(200);
    ASSERT_EQ(image->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from ImageShapes"), 1);
    row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 6u);
    EXPECT_EQ(Real(row[4]), 200.0);
    EXPECT_EQ(row[5], "34");

    auto* without = static_cast<CImage*>(Make(stImage, {{0, 0}}));
    EXPECT_EQ(without->SaveToDB(db, 1, 0, kIdsFromDatabase), E_FAIL);
    EXPECT_EQ(Count(h, "select count(*) from ImageShapes"), 1);
}

// A text's row holds the text byte for byte (no terminating NUL: PostgreSQL's text cannot hold
// one) and its face name bound, NULL when it has none; a second save updates the row, and a text
// emptied since leaves none in it.
TEST_P(ShapeRowsTest, TextRowsHoldTheTextAsItIs)
{
    SQLHSTMT h = db.hstmt;
    const bool postgres = GetParam().dialect == SqlDialect::PostgreSQL;
    // The stored text as the server has it: its bytes and their number.
    auto stored = [&](CText* text, std::string* value, bool* noFont) {
        const std::string query = std::string("select Text, ") +
                                  (postgres ? "octet_length(Text)" : "length(cast(Text as blob))") +
                                  ", FontName, Type, AlignType, Height, Width, XScale, RotationAngle, Charset "
                                  "from TextShapes where ShapeID = " +
                                  std::to_string(text->GetDatabaseId());
        SQLRETURN r = SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.c_str())), SQL_NTS);
        EXPECT_TRUE(SQL_SUCCEEDED(r)) << OdbcDiagnosticsText(SQL_HANDLE_STMT, h, "", false);
        std::vector<std::string> rest;
        long bytes = -1;
        if (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(h))) {
            char buffer[8192] = {};
            SQLLEN indicator = 0;
            SQLGetData(h, 1, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
            *value = indicator == SQL_NULL_DATA ? std::string("NULL") : std::string(buffer, static_cast<size_t>(indicator));
            bytes = ColumnLong(h, 2);
            // A column is read once: the face name's NULL is told with its value.
            bool isNull = false;
            rest.push_back(ColumnText(h, 3, &isNull));
            *noFont = isNull;
            for (SQLUSMALLINT c = 4; c <= 10; ++c)
                rest.push_back(ColumnText(h, c));
        }
        Drain(h);
        EXPECT_EQ(bytes, static_cast<long>(value->size()));
        return rest;
    };
    auto* named = static_cast<CText*>(Make(stText, {{1, 2}}));
    const std::string text = "It's \"quoted\" ' and\r\ntwo lines; drop table Shapes; --";
    named->SetTextType(ttANSI);
    named->StoreText(text.c_str(), static_cast<int>(text.size()));
    named->SetFontNameA("O'Brien Sans");
    named->SetHeight(2.5f);
    named->SetRotation(45);
    named->SetAlignType(0x6);
    named->SetCharset(238);
    ASSERT_EQ(named->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    std::string value;
    bool noFont = true;
    std::vector<std::string> rest = stored(named, &value, &noFont);
    EXPECT_EQ(value, text);
    ASSERT_EQ(rest.size(), 8u);
    EXPECT_FALSE(noFont);
    EXPECT_EQ(rest[0], "O'Brien Sans");
    EXPECT_EQ(rest[1], std::to_string(ttANSI));
    EXPECT_EQ(rest[2], "6");
    EXPECT_EQ(Real(rest[3]), 2.5);
    EXPECT_EQ(Real(rest[6]), 45.0);
    EXPECT_EQ(rest[7], "238");

    // Without a face name: NULL; updated with a new text.
    auto* unnamed = static_cast<CText*>(Make(stText, {{0, 0}}));
    unnamed->SetFontName(nullptr);
    unnamed->StoreText("{\\rtf1 first}", -1);
    ASSERT_EQ(unnamed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    unnamed->StoreText("{\\rtf1 second}", -1);
    unnamed->SetHeight(7.0f);
    ASSERT_EQ(unnamed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    rest = stored(unnamed, &value, &noFont);
    EXPECT_EQ(value, "{\\rtf1 second}");
    EXPECT_TRUE(noFont);
    EXPECT_EQ(Count(h, "select count(*) from TextShapes"), 2);

    // Emptied: no text in the row either.
    unnamed->StoreText("", 0);
    unnamed->SetHeight(9.0f);
    ASSERT_EQ(unnamed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    const std::vector<std::string> emptied =
        Row(h, ("select Text, Height from TextShapes where ShapeID = " + std::to_string(unnamed->GetDatabaseId())).c_str());
    ASSERT_EQ(emptied.size(), 2u);
    EXPECT_EQ(emptied[0], "NULL");
    EXPECT_EQ(Real(emptied[1]), 9.0);
}

// An arc's EllipseShapes row holds its geometry after the insert and after an update.
TEST_P(ShapeRowsTest, EllipseRowsFollowEachSave)
{
    SQLHSTMT h = db.hstmt;
    auto* arc = static_cast<CEllipse*>(Make(stArc, {{1, 2}}));
    arc->SetMajorAxis(3, 4);
    arc->SetMinorRatio(0.5f);
    arc->SetAngles(10, 100);
    arc->SetExtrusionZ(-1);
    ASSERT_EQ(arc->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    const std::string query = "select MinorRatio, ZExtrusion, StartAngle, EndAngle, MajorX, MajorY, ScenarioID from "
                              "EllipseShapes where ShapeID = " +
                              std::to_string(arc->GetDatabaseId());
    std::vector<std::string> row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 7u);
    const double inserted[6] = {0.5, -1, 10, 100, 3, 4};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Real(row[static_cast<size_t>(i)]), inserted[i]) << i;
    EXPECT_EQ(row[6], "5");
    EXPECT_EQ(Count(h, "select ShapeTypeID from Shapes"), stArc);

    arc->Rotate(0, 0, 90, nullptr, false);
    arc->SetAngles(20, 200);
    ASSERT_EQ(arc->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from EllipseShapes"), 1);
    row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 7u);
    EXPECT_EQ(Real(row[2]), 20.0);
    EXPECT_EQ(Real(row[3]), 200.0);
    EXPECT_NEAR(Real(row[4]), -4.0, 1e-5);
    EXPECT_NEAR(Real(row[5]), 3.0, 1e-5);
    EXPECT_EQ(Count(h, "select count(*) from GroupShapes"), 0); // an ellipse is no group
}

// A layer's LayerShapes row keeps its name as given (bound: O'Brien), "NULL" without one; its
// LayerSettings row its switches. Each save takes the next LayerSettingID, on an update too.
TEST_P(ShapeRowsTest, LayerRowsFollowEachSave)
{
    SQLHSTMT h = db.hstmt;
    control.GetDbIdCounters().layerSetting = 7;
    auto* layer = static_cast<CLayer*>(Make(stLayer, {}));
    layer->SetName("O'Brien");
    layer->SetSelectable(false);
    ASSERT_EQ(layer->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    const std::string id = std::to_string(layer->GetDatabaseId());
    EXPECT_EQ(Row(h, ("select Name, ScenarioID from LayerShapes where ShapeID = " + id).c_str()),
              (std::vector<std::string>{"O'Brien", "5"}));
    EXPECT_EQ(Row(h, "select * from LayerSettings"), (std::vector<std::string>{"7", "5", "1", "1", "0", id}));
    EXPECT_EQ(control.GetDbIdCounters().layerSetting, 8);

    layer->SetName("O'Brien'); drop table Shapes; --");
    layer->SetVisible(false);
    layer->SetSelectable(true);
    ASSERT_EQ(layer->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Row(h, "select Name from LayerShapes"), std::vector<std::string>{"O'Brien'); drop table Shapes; --"});
    EXPECT_EQ(Row(h, "select * from LayerSettings"), (std::vector<std::string>{"7", "5", "0", "1", "1", id}));
    EXPECT_EQ(control.GetDbIdCounters().layerSetting, 9);
    EXPECT_EQ(Count(h, "select count(*) from Shapes"), 1);

    // Rows gone from beside a stored layer are made again.
    Raw(h, "delete from LayerShapes");
    Raw(h, "delete from LayerSettings");
    ASSERT_EQ(layer->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from LayerShapes"), 1);
    EXPECT_EQ(Row(h, "select * from LayerSettings"), (std::vector<std::string>{"9", "5", "0", "1", "1", id}));

    CShape* unnamed = Make(stLayer, {});
    ASSERT_EQ(unnamed->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Row(h, ("select Name from LayerShapes where ShapeID = " + std::to_string(unnamed->GetDatabaseId())).c_str()),
              std::vector<std::string>{"NULL"});
    EXPECT_EQ(Row(h, ("select LayerSettingID from LayerSettings where LayerShapeID = " +
                      std::to_string(unnamed->GetDatabaseId()))
                         .c_str()),
              std::vector<std::string>{"10"});
}

// A reference's ReferenceShapes row names its block, which is saved first; the copies of the
// block are not stored. Without a block there is nothing to name.
TEST_P(ShapeRowsTest, ReferenceRowsFollowEachSave)
{
    SQLHSTMT h = db.hstmt;
    auto* block = static_cast<CGroup*>(Make(stGroup, {}));
    block->SetName(L"Door");
    CShape* line = Make(stLine, {{0, 0}, {1, 3}});
    block->AddChild(line, nullptr, 1, false);
    auto* reference = static_cast<CReference*>(Make(stReference, {{10, 0}}));
    reference->SetXScale(2, false);
    reference->SetRotationAngle(30, false);
    ASSERT_EQ(reference->ResolveBlock(block, true, true, false), 0);
    reference->ApplyTransform(true);
    ASSERT_EQ(reference->GetShapeCount(), 1);
    ASSERT_EQ(reference->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    ASSERT_GE(block->GetDatabaseId(), 1);
    EXPECT_EQ(Count(h, "select count(*) from Shapes"), 3); // block, its line, the reference
    EXPECT_EQ(Row(h, "select Name from GroupShapes"), std::vector<std::string>{"Door"});
    const std::string query = "select XScale, YScale, RotationAngle, BlockGroupShapeID, ScenarioID from "
                              "ReferenceShapes where ShapeID = " +
                              std::to_string(reference->GetDatabaseId());
    std::vector<std::string> row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(Real(row[0]), 2.0);
    EXPECT_EQ(Real(row[1]), 1.0);
    EXPECT_EQ(Real(row[2]), 30.0);
    EXPECT_EQ(row[3], std::to_string(block->GetDatabaseId()));
    EXPECT_EQ(row[4], "5");

    reference->SetYScale(3, true);
    reference->SetRotationAngle(45, true);
    ASSERT_EQ(reference->SaveToDB(db, 1, 0, kIdsFromDatabase), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Count(h, "select count(*) from ReferenceShapes"), 1);
    EXPECT_EQ(Count(h, "select count(*) from Shapes"), 3);
    row = Row(h, query.c_str());
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(Real(row[1]), 3.0);
    EXPECT_EQ(Real(row[2]), 45.0);

    CShape* unlinked = Make(stReference, {{0, 0}});
    EXPECT_EQ(unlinked->SaveToDB(db, 1, 0, kIdsFromDatabase), E_FAIL);
    EXPECT_EQ(Count(h, "select count(*) from ReferenceShapes"), 1);
}
