// The schema against the statements: every statement of every table runs on both databases,
// the columns that loaders read by position stand where they read them, every insert meets a
// primary key, and deleting a site removes its rows and nothing else.
#include <cstring>
#include <map>
#include <set>
#include <gtest/gtest.h>
#include "tests/support/DbTestSupport.h"
#include "tests/support/StatementTables.h"
#include "persistence/EmbeddedDatabase.h"

namespace {

// Sample fragments for the templates whose %s are names; every other %s is an optional ID.
const std::map<std::string, std::vector<std::vector<const char*>>>& FragmentSamples()
{
    static const std::map<std::string, std::vector<std::vector<const char*>>> samples = {
        {"SessionSql.NextId", {{"shapeID", "shapes"}, {"pointID", "points"},
                               {"shapePointID", "shapePoints"}, {"linkedPointID", "linkedPoints"},
                               {"VertexID", "Vertexes"}, {"LayerSettingID", "LayerSettings"}}},
        {"IdReservationSql.InsertPlaceholder", {{"LayerShapes", "ShapeID"}, {"Attributes", "AttributeID"},
                                                {"AttributeGroups", "AttributeGroupID"},
                                                {"AttributeTypes", "AttributeTypeID"}}},
        {"IdReservationSql.DeletePlaceholder", {{"Attributes", "AttributeID"},
                                                {"AttributeGroups", "AttributeGroupID"},
                                                {"AttributeTypes", "AttributeTypeID"}}},
        {"IdReservationSql.InsertKeyedPlaceholder", {{"LayerSettings", "LayerSettingID", "LayerShapeID"},
                                                     {"Points", "PointID", "SiteID"}}},
        {"IdReservationSql.InsertLinkPlaceholder", {{"ShapePoints", "ShapePointID"},
                                                    {"LinkedPoints", "LinkedPointID"}}},
        // Its %s is the date of a value.
        {"AttributeLinkSql.InsertAttribute", {{"'2001-02-03'"}, {"NULL"}}},
    };
    static bool withReleaseOrder = false;
    if (!withReleaseOrder) {
        auto& release = const_cast<std::map<std::string, std::vector<std::vector<const char*>>>&>(samples)
            ["IdReservationSql.DeletePlaceholder"];
        for (size_t i = 0; i < IdReservationSql::ReleaseOrderCount; ++i)
            release.push_back({IdReservationSql::ReleaseOrder[i].table, IdReservationSql::ReleaseOrder[i].column});
        withReleaseOrder = true;
    }
    return samples;
}

// The statements whose first parameter is long data sent at execution.
bool FirstParamIsLongText(const std::string& name)
{
    return name == "ShapeKindSql.InsertTextWithText" || name == "ShapeKindSql.UpdateTextWithText";
}

bool FirstParamIsLongBinary(const std::string& name)
{
    return name == "ImageResourceSql.InsertImageResource" || name == "ImageResourceSql.UpdateImageResource";
}

// Statements that frame the others here, run in their own test.
bool IsTransactionControl(const SqlStatement* s)
{
    return s == &SessionSql::BeginTransaction || s == &SessionSql::CommitTransaction ||
           s == &SessionSql::RollbackTransaction;
}

size_t CountMarks(const std::string& text)
{
    size_t n = 0;
    bool literal = false;
    for (char c : text) {
        if (c == '\'')
            literal = !literal;
        else if (c == '?' && !literal)
            ++n;
    }
    return n;
}

// The conversions of a template, in order ('d', 'f', 's').
std::string Conversions(const char* templ)
{
    std::string kinds;
    for (const char* p = templ; *p; ++p)
        if (*p == '%' && p[1]) {
            if (p[1] != '%')
                kinds += p[1];
            ++p;
        }
    return kinds;
}

// The integer every sample statement takes: above the keys that the other tests of the run commit
// into the same databases (their saves number rows from 1), within a small integer's range.
constexpr int kSampleInteger = 30007;

std::vector<std::vector<SqlValue>> SampleValues(const SqlStatement& s, const char* templ)
{
    std::string kinds = Conversions(templ);
    std::vector<std::vector<const char*>> variants = {{}};
    auto it = FragmentSamples().find(s.name);
    if (it != FragmentSamples().end())
        variants = it->second;
    std::vector<std::vector<SqlValue>> result;
    for (const auto& fragments : variants) {
        std::vector<SqlValue> values;
        size_t f = 0;
        for (char k : kinds) {
            if (k == 'd')
                values.emplace_back(kSampleInteger);
            else if (k == 'f')
                values.emplace_back(1.5);
            else
                values.emplace_back(SqlRaw(f < fragments.size() ? fragments[f++] : std::to_string(kSampleInteger)));
        }
        result.push_back(values);
    }
    return result;
}

void Raw(SQLHSTMT hstmt, const char* text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
    ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_NO_DATA)
        << text << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

class SchemaTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        ASSERT_EQ(db.Dialect(), GetParam().dialect);
    }
    // Everything a test writes goes in one transaction that is rolled back.
    void Begin() { ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction); }
    void Rollback() { EXPECT_STATEMENT_OK(db, SessionSql::RollbackTransaction); }

    MessageBoxRecorder boxes;
    DbConnection db;
};

} // namespace

TEST_P(SchemaTest, EveryStatementRunsAndEveryInsertMeetsAPrimaryKey)
{
    const SqlDialect dialect = GetParam().dialect;
    std::set<std::string> notRun;
    std::set<std::string> expectedNotRun = {"SessionSql.SetNoCount", "SessionSql.CheckLogins"};
    if (dialect == SqlDialect::SQLite) {
        expectedNotRun.insert("SessionSql.ReadUncommitted");
        // Its immediate transaction holds the write lock already.
        expectedNotRun.insert("MessengerSql.LockQueue");
        expectedNotRun.insert("IdReservationSql.LockRanges");
    }
    const std::string longText(2500, 'T');
    const std::vector<unsigned char> longBinary(2500, 0xB5);
    size_t run = 0;

    Begin();
    for (const SqlStatementList& list : AllStatementLists()) {
        for (const SqlStatement* s : list) {
            if (IsTransactionControl(s))
                continue;
            const char* templ = s->TemplateFor(dialect);
            if (!templ) {
                notRun.insert(s->name);
                continue;
            }
            std::string text;
            ASSERT_TRUE(s->TextFor(dialect, text));
            std::vector<OdbcParam> params;
            for (size_t i = 0; i < CountMarks(text); ++i) {
                if (i == 0 && FirstParamIsLongText(s->name))
                    params.push_back(OdbcParam::LongText(longText.data(), longText.size()));
                else if (i == 0 && FirstParamIsLongBinary(s->name))
                    params.push_back(OdbcParam::LongBinary(longBinary.data(), longBinary.size()));
                else
                    params.push_back(OdbcParam::Text("O'Brien"));
            }
            bool insert = strncmp(text.c_str() + strspn(text.c_str(), " \t\n"), "insert", 6) == 0;
            for (const std::vector<SqlValue>& values : SampleValues(*s, templ)) {
                Raw(db.hstmt, "SAVEPOINT yvex_statement");
                HRESULT hr = db.Exec(IID_NULL, *s, values, params);
                EXPECT_EQ(hr, S_OK) << s->name << ": " << TakeErrorInfo().description;
                Drain(db.hstmt);
                if (insert && hr == S_OK) {
                    // The same row again: the table's key refuses it.
                    hr = db.Exec(IID_NULL, *s, values, params);
                    EXPECT_EQ(hr, DISP_E_EXCEPTION) << s->name << " took a duplicate key";
                    // The database's own text, also when parameters were bound.
                    std::string why = TakeErrorInfo().description;
                    EXPECT_EQ(why.find("Unknown"), std::string::npos) << s->name << ": " << why;
                    Drain(db.hstmt);
                }
                Raw(db.hstmt, "ROLLBACK TO SAVEPOINT yvex_statement");
                ++run;
            }
        }
    }
    Rollback();
    EXPECT_EQ(notRun, expectedNotRun);
    EXPECT_GT(run, 150u);
}

TEST_P(SchemaTest, PositionReadColumnsStandWhereTheLoadersReadThem)
{
    SQLHSTMT h = db.hstmt;
    Begin();
    // A shape with a distinct value in every column, its point, a vertex and a link.
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape,
                        {901, 3, -2.5, 0x40000001, 44, 12, 5, 50.25, 7.5, 0x20000000, 6, 801,
                         SqlRaw("12"), SqlRaw("900"), SqlRaw("30"), SqlRaw("899")});
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertPoint, {501, 3, 801, 10.5, -20.25});
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertShapePoint, {601, 3, 901, 501, 0});
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertVertex, {701, 3, 0x123456, -1.0, 2.5, 0.25, 9, 77, 13, 601},
                        {OdbcParam::Text("V'1")});
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertLinkedPoint, {401, 3, 902, 501});

    ASSERT_STATEMENT_OK(db, ShapeLoadSql::ShapesOne, {901});
    EXPECT_EQ(ColumnNames(h), (std::vector<std::string>{"shapeid", "scenarioid", "penweight",
        "pencolor", "tag", "number", "linepatternscale", "zorder", "hatchcolor", "flags",
        "shapetypeid", "siteid", "linepatternid", "groupshapeid", "hatchpatternid", "layershapeid"}));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 901);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 3), -2.5);
    EXPECT_EQ(ColumnLong(h, 4), 0x40000001);
    EXPECT_EQ(ColumnLong(h, 5), 44);
    EXPECT_EQ(ColumnLong(h, 6), 12);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 7), 50.25);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 8), 7.5);
    EXPECT_EQ(ColumnLong(h, 9), 0x20000000);
    EXPECT_EQ(ColumnLong(h, 10), 5);
    EXPECT_EQ(ColumnLong(h, 11), 6);
    EXPECT_EQ(ColumnLong(h, 12), 801);
    EXPECT_EQ(ColumnLong(h, 13), 12);
    EXPECT_EQ(ColumnLong(h, 14), 900);
    EXPECT_EQ(ColumnLong(h, 15), 30);
    EXPECT_EQ(ColumnLong(h, 16), 899);
    Drain(h);

    // Point rows: shape, point, (scenario), X, Y.
    ASSERT_STATEMENT_OK(db, ShapeLoadSql::ShapePointsOne, {901});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 901);
    EXPECT_EQ(ColumnLong(h, 2), 501);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 4), 10.5);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 5), -20.25);
    Drain(h);

    // Vertex rows: shape, point, then the Vertexes columns from VertexID on.
    ASSERT_STATEMENT_OK(db, ShapeLoadSql::VertexesOne, {901});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 901);
    EXPECT_EQ(ColumnLong(h, 2), 501);
    EXPECT_EQ(ColumnLong(h, 3), 701);
    EXPECT_EQ(ColumnText(h, 5), "V'1");
    EXPECT_EQ(ColumnLong(h, 6), 0x123456);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 7), -1.0);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 8), 2.5);
    EXPECT_DOUBLE_EQ(ColumnDouble(h, 9), 0.25);
    EXPECT_EQ(ColumnLong(h, 10), 9);
    EXPECT_EQ(ColumnLong(h, 11), 77);
    EXPECT_EQ(ColumnLong(h, 12), 13);
    Drain(h);

    // Links to the shape's points: linkedPoints.*, linking shape in 3, point in 4.
    ASSERT_STATEMENT_OK(db, ShapeLoadSql::PointLinksOne, {901});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 401);
    EXPECT_EQ(ColumnLong(h, 3), 902);
    EXPECT_EQ(ColumnLong(h, 4), 501);
    Drain(h);

    // imageResources.*: ID, scenario, content, name.
    const unsigned char picture[] = {'G', 'I', 'F', 0, 1, 2, 0xFF};
    ASSERT_STATEMENT_OK(db, ImageResourceSql::InsertImageResource, {301, 3, 16, 8, -12345, 5},
                        {OdbcParam::LongBinary(picture, sizeof picture), OdbcParam::Text("pic")});
    ASSERT_STATEMENT_OK(db, ImageResourceSql::LoadImageResource, {301});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 301);
    EXPECT_EQ(ColumnLong(h, 2), 3);
    EXPECT_EQ(ColumnBytes(h, 3), std::vector<unsigned char>(picture, picture + sizeof picture));
    EXPECT_EQ(ColumnText(h, 4), "pic");
    Drain(h);

    // messages.*: ID, type; parameters.*: the integer in 4, the text in 8.
    ASSERT_STATEMENT_OK(db, MessengerSql::InsertMessage, {61, 2, 5});
    ASSERT_STATEMENT_OK(db, MessengerSql::MarkMessageSent, {61});
    ASSERT_STATEMENT_OK(db, MessengerSql::InsertParameter, {71, 61, 4242});
    ASSERT_STATEMENT_OK(db, MessengerSql::SelectNewMessages, {60, 9});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 61);
    EXPECT_EQ(ColumnLong(h, 2), 2);
    Drain(h);
    ASSERT_STATEMENT_OK(db, MessengerSql::SelectParameters, {61});
    EXPECT_EQ(ColumnNames(h).size(), 9u);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 3), 3);
    EXPECT_EQ(ColumnLong(h, 4), 4242);
    bool isNull = false;
    ColumnText(h, 8, &isNull);
    EXPECT_TRUE(isNull);
    Drain(h);

    // HatchPatterns h.*: ID, name, description, image.
    ASSERT_STATEMENT_OK(db, HatchPatternSql::InsertPattern, {30, 301},
                        {OdbcParam::Text("Bricks"), OdbcParam::Text("Red [bricks]")});
    ASSERT_STATEMENT_OK(db, HatchPatternSql::LoadSitePatterns, {801});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 30);
    EXPECT_EQ(ColumnText(h, 2), "Bricks");
    EXPECT_EQ(ColumnText(h, 3), "Red [bricks]");
    EXPECT_EQ(ColumnLong(h, 4), 301);
    Drain(h);

    // The attribute views read by position.
    Raw(h, "insert into AttributeGroups (AttributeGroupID, ScenarioID, Name, ParentGroupID) values (21, 3, 'G', 20)");
    Raw(h, "insert into SiteAttributes (SiteID, AttributeGroupID) values (801, 21)");
    Raw(h, "insert into AttributeTypes (AttributeTypeID, Name, Format, Prompt, ValueType, AttributeGroupID) "
           "values (31, 'N', 'F', 'P', 8, 21)");
    ASSERT_STATEMENT_OK(db, AttributeSql::GroupsSelect, {801});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 21);
    EXPECT_EQ(ColumnText(h, 3), "G");
    EXPECT_EQ(ColumnLong(h, 4), 20);
    Drain(h);
    ASSERT_STATEMENT_OK(db, AttributeSql::TypesSelect, {801});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 31);
    EXPECT_EQ(ColumnText(h, 2), "N");
    EXPECT_EQ(ColumnText(h, 3), "F");
    EXPECT_EQ(ColumnText(h, 4), "P");
    EXPECT_EQ(ColumnLong(h, 5), 8);
    EXPECT_EQ(ColumnLong(h, 6), 21);
    Drain(h);
    Rollback();
}

TEST_P(SchemaTest, ShapesOfASiteComeParentsFirst)
{
    SQLHSTMT h = db.hstmt;
    Begin();
    // A child with a lower Z order than its top-level parent; top-level shapes come first.
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {911, 0, 1.0, 0, 0, 13, 1, 1.0, 1.0, 0, 1, 802,
                        SqlRaw("NULL"), SqlRaw("910"), SqlRaw("NULL"), SqlRaw("NULL")});
    ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {910, 0, 1.0, 0, 0, 12, 1, 1.0, 5.0, 0, 8, 802,
                        SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw("NULL")});
    ASSERT_STATEMENT_OK(db, ShapeLoadSql::ShapesSite, {802});
    std::vector<long> order;
    while (SQL_SUCCEEDED(SQLFetch(h)))
        order.push_back(ColumnLong(h, 1));
    Drain(h);
    EXPECT_EQ(order, (std::vector<long>{910, 911}));
    Rollback();
}

TEST_P(SchemaTest, UnitsHoldTheUnitTable)
{
    SQLHSTMT h = db.hstmt;
    ASSERT_STATEMENT_OK(db, SiteLoadSql::LoadUnits);
    struct Unit {
        std::string name;
        float english, metric;
        long system;
    };
    std::map<long, Unit> units;
    while (SQL_SUCCEEDED(SQLFetch(h))) {
        float english = 0, metric = 0;
        SQLLEN n = 0;
        SQLGetData(h, 3, SQL_C_FLOAT, &english, 0, &n);
        SQLGetData(h, 4, SQL_C_FLOAT, &metric, 0, &n);
        units[ColumnLong(h, 1)] = {ColumnText(h, 2), english, metric, ColumnLong(h, 5)};
    }
    Drain(h);
    ASSERT_EQ(units.size(), 21u);
    struct Row {
        long id;
        const char* name;
        float english, metric;
        long system;
    } rows[] = {
        {0, "Unitless", 1.0f, 1.0f, 1},         {1, "Inches", 1.0f, 2.54f, 0},
        {3, "Miles", 63360.0f, 160900.0f, 0},   {4, "Millimeters", 0.0393701f, 0.1f, 1},
        {8, "Microinches", 0.000001f, 0.00000254f, 0},
        {12, "Nanometers", 0.00000393701f, 0.000000001f, 1},
        {17, "Gigameters", 39370100.0f, 100000000.0f, 1},
        {18, "AstronomicalUnits", 1.0f, 1.0f, 1}, {20, "Parsecs", 1.0f, 1.0f, 1},
    };
    for (const Row& r : rows) {
        const Unit& u = units[r.id];
        EXPECT_EQ(u.name, r.name);
        EXPECT_FLOAT_EQ(u.english, r.english) << r.name;
        EXPECT_FLOAT_EQ(u.metric, r.metric) << r.name;
        EXPECT_EQ(u.system, r.system) << r.name;
    }
}

TEST_P(SchemaTest, DeletingASiteRemovesItsRowsAndNoOthers)
{
    SQLHSTMT h = db.hstmt;
    Begin();
    // Two sites, each with a layer, a group holding a line with an arrow, an ellipse in the
    // group, points and a vertex; site 812's rows must survive the delete of site 811.
    for (int site : {811, 812}) {
        int b = site * 10;   // IDs of this site: b+1 layer, b+2 group, b+3 line, b+4 ellipse
        ASSERT_STATEMENT_OK(db, SiteSql::InsertSite, {site, 0, -1.0, 1.0, 1.0, -1.0, -1.0, 1.0, 1.0,
                            -1.0, 0, 50.0, 1.0, 1}, {OdbcParam::Text("site")});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {b + 1, 0, 1.0, 0, 0, 1, 1, 1.0, 1.0, 0, 9, site,
                            SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw("NULL")});
        ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertLayer, {b + 1, 0}, {OdbcParam::Text("0")});
        ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertLayerSetting, {b + 1, 0, 1, 1, 1, b + 1});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {b + 2, 0, 1.0, 0, 0, 12, 1, 1.0, 1.0, 0, 8, site,
                            SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw("NULL"), SqlRaw(std::to_string(b + 1))});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertGroup, {b + 2, 0}, {OdbcParam::Text("g")});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {b + 3, 0, 1.0, 0, 0, 13, 1, 1.0, 1.0, 0, 1, site,
                            SqlRaw("NULL"), SqlRaw(std::to_string(b + 2)), SqlRaw("NULL"),
                            SqlRaw(std::to_string(b + 1))});
        ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertLine, {b + 3, 0, SqlRaw("1"), SqlRaw("NULL")});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertShape, {b + 4, 0, 1.0, 0, 0, 14, 1, 1.0, 1.0, 0, 5, site,
                            SqlRaw("NULL"), SqlRaw(std::to_string(b + 2)), SqlRaw("NULL"),
                            SqlRaw(std::to_string(b + 1))});
        ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertEllipse, {b + 4, 0, 0.5, 1.0, 0.0, 360.0, 5.0, 0.0});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertPoint, {b + 5, 0, site, 1.0, 2.0});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertShapePoint, {b + 6, 0, b + 3, b + 5, 0});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertLinkedPoint, {b + 7, 0, b + 4, b + 5});
        ASSERT_STATEMENT_OK(db, ShapeSql::InsertVertex, {b + 8, 0, 0, -1.0, -1.0, 0.0, 0, 0, 12, b + 6},
                            {OdbcParam::Text("")});
        ASSERT_STATEMENT_OK(db, DrawingSettingSql::InsertDrawingSetting,
                            {b + 9, 0, 0.0, 0, 1, 0, 0, 40.0, 40.0, 10.0, 10.0, 0.0, 0.0, 50.0, 2.0,
                             0, 0, 0, site, 16384, SqlRaw(std::to_string(b + 1)), SqlRaw("NULL"),
                             2.0, 1, 20.0, 0, 0},
                            {OdbcParam::Text("CURRENT"), OdbcParam::Text("Arial")});
        ASSERT_STATEMENT_OK(db, ViewportSql::InsertViewport, {b + 9, 0, 0.0, 0.0, 100.0, 100.0, site},
                            {OdbcParam::Text("DEFAULT")});
    }

    // The delete body's passes: one level of the tree per pass, until no shape is left.
    auto countShapes = [&](int site) {
        EXPECT_STATEMENT_OK(db, SiteSql::CountShapes, {site});
        long n = SQL_SUCCEEDED(SQLFetch(h)) ? ColumnLong(h, 1) : -1;
        Drain(h);
        return n;
    };
    const SqlStatement* pass[] = {
        &SiteDeleteSql::DeleteDrawingSettings, &SiteDeleteSql::DeleteVertexesOfPoints,
        &SiteDeleteSql::DeleteVertexesOfShapes, &SiteDeleteSql::DeleteShapePointsOfPoints,
        &SiteDeleteSql::DeleteShapePointsOfShapes, &SiteDeleteSql::DeleteLinkedPointsOfPoints,
        &SiteDeleteSql::DeleteLinkedPointsOfShapes, &SiteDeleteSql::DeletePoints};
    int passes = 0;
    while (countShapes(811) > 0 && passes < 5) {
        ++passes;
        for (const SqlStatement* s : pass)
            EXPECT_STATEMENT_OK(db, *s, {811});
        for (size_t i = 0; i < SiteDeleteSql::KindRowDeleteCount; ++i)
            EXPECT_STATEMENT_OK(db, *SiteDeleteSql::KindRowDeletes[i], {811});
        EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteGroupRows, {811});
        EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteLayerSettings, {811});
        EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteLayerRows, {811});
        EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteShapes, {811});
    }
    // Lines and ellipses first, then the group, then the layer that the others were on.
    EXPECT_EQ(passes, 3);
    EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteViewports, {811});
    EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteIncludedSites, {811});
    EXPECT_STATEMENT_OK(db, SiteDeleteSql::DeleteSite, {811});

    auto count = [&](const std::string& table, const char* column, int from, int to) {
        std::string text = "select count(*) from " + table + " where " + column + " between " +
                           std::to_string(from) + " and " + std::to_string(to);
        SQLExecDirect(h, reinterpret_cast<SQLCHAR*>(&text[0]), SQL_NTS);
        long n = SQL_SUCCEEDED(SQLFetch(h)) ? ColumnLong(h, 1) : -1;
        Drain(h);
        return n;
    };
    struct Table {
        const char* table;
        const char* column;
        long rowsOfASite;
    } tables[] = {{"Sites", "SiteID", 1}, {"Shapes", "ShapeID", 4}, {"Points", "PointID", 1},
                  {"ShapePoints", "ShapePointID", 1}, {"LinkedPoints", "LinkedPointID", 1},
                  {"Vertexes", "VertexID", 1}, {"LineShapes", "ShapeID", 1},
                  {"EllipseShapes", "ShapeID", 1}, {"GroupShapes", "ShapeID", 1},
                  {"LayerShapes", "ShapeID", 1}, {"LayerSettings", "LayerSettingID", 1},
                  {"drawingSettings", "DrawingSettingID", 1}, {"viewPorts", "ViewPortID", 1}};
    for (const Table& t : tables) {
        bool site = strcmp(t.table, "Sites") == 0;
        EXPECT_EQ(count(t.table, t.column, site ? 811 : 8110, site ? 811 : 8119), 0) << t.table;
        EXPECT_EQ(count(t.table, t.column, site ? 812 : 8120, site ? 812 : 8129), t.rowsOfASite)
            << t.table;
    }
    Rollback();
}

TEST_P(SchemaTest, ImageUsesAreCountedWithoutHatchPatterns)
{
    SQLHSTMT h = db.hstmt;
    Begin();
    ASSERT_STATEMENT_OK(db, ShapeKindSql::InsertImage, {921, 0, 10.0, 10.0, 0.0, 5});
    ASSERT_STATEMENT_OK(db, ImageResourceSql::CountUses, {5, 5});
    ASSERT_TRUE(SQL_SUCCEEDED(SQLFetch(h)));
    EXPECT_EQ(ColumnLong(h, 1), 1);
    Drain(h);
    Rollback();
}

TEST_P(SchemaTest, ACommittedMessageIsSeenByAnotherSession)
{
    const int id = 990000 + static_cast<int>(GetCurrentProcessId() % 9000);
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    ASSERT_STATEMENT_OK(db, MessengerSql::InsertMessage, {id, 1, 3});
    ASSERT_STATEMENT_OK(db, SessionSql::RollbackTransaction);
    ASSERT_STATEMENT_OK(db, SessionSql::BeginTransaction);
    ASSERT_STATEMENT_OK(db, MessengerSql::InsertMessage, {id, 1, 3});
    ASSERT_STATEMENT_OK(db, MessengerSql::MarkMessageSent, {id});
    ASSERT_STATEMENT_OK(db, SessionSql::CommitTransaction);

    DbConnection other;
    ASSERT_EQ(other.Open(GetParam()), S_OK);
    ASSERT_STATEMENT_OK(other, MessengerSql::SelectNewMessages, {id - 1, 99999});
    std::vector<long> seen;
    while (SQL_SUCCEEDED(SQLFetch(other.hstmt)))
        seen.push_back(ColumnLong(other.hstmt, 1));
    Drain(other.hstmt);
    EXPECT_EQ(seen, (std::vector<long>{id}));   // once: the rolled-back row is not there
    EXPECT_STATEMENT_OK(db, IdReservationSql::DeletePlaceholder, {SqlRaw("messages"), SqlRaw("messageID"), id});
}

INSTANTIATE_TEST_SUITE_P(Databases, SchemaTest, testing::ValuesIn(AllTargets()), TargetName());

// The schema a new embedded database receives, straight on a fresh SQLite file.
TEST(EmbeddedSchema, AFreshSqliteFileGetsTheSchemaOnce)
{
    const char* dir = getenv("YVEX_BINARY_DIR");
    ASSERT_NE(dir, nullptr);
    std::string file = std::string(dir) + "/tests/persistence/fresh-" +
                       std::to_string(GetCurrentProcessId()) + ".sqlite";
    std::string connect = "DRIVER={SQLite3};Database=" + file + ";";
    SQLHENV henv = nullptr;
    SQLHDBC hdbc = nullptr;
    SQLHSTMT hstmt = nullptr;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv)));
    SQLSetEnvAttr(henv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), SQL_IS_INTEGER);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv, &hdbc)));
    SQLSMALLINT n = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(hdbc, nullptr, reinterpret_cast<SQLCHAR*>(&connect[0]),
                                               SQL_NTS, nullptr, 0, &n, SQL_DRIVER_NOPROMPT)))
        << OdbcDiagnosticsText(SQL_HANDLE_DBC, hdbc, "", false);
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt)));

    auto scalar = [&](const char* text) {
        SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text)), SQL_NTS);
        long v = SQL_SUCCEEDED(SQLFetch(hstmt)) ? ColumnLong(hstmt, 1) : -1;
        Drain(hstmt);
        return v;
    };
    EXPECT_EQ(scalar("select count(*) from sqlite_master"), 0);
    EXPECT_EQ(EnsureEmbeddedSchema(hdbc, hstmt), S_OK);
    size_t tables = 0, views = 0;
    for (const std::string& s : EmbeddedSchemaStatements()) {
        tables += s.compare(0, 13, "CREATE TABLE ") == 0;
        views += s.compare(0, 12, "CREATE VIEW ") == 0;
    }
    EXPECT_GE(tables, 30u);
    EXPECT_EQ(scalar("select count(*) from sqlite_master where type = 'table'"), static_cast<long>(tables));
    EXPECT_EQ(scalar("select count(*) from sqlite_master where type = 'view'"), static_cast<long>(views));
    EXPECT_EQ(scalar("select count(*) from Units"), 21);
    // A second connection finds it in place and adds nothing.
    EXPECT_EQ(EnsureEmbeddedSchema(hdbc, hstmt), S_OK);
    EXPECT_EQ(scalar("select count(*) from Units"), 21);

    SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
    SQLDisconnect(hdbc);
    SQLFreeHandle(SQL_HANDLE_DBC, hdbc);
    SQLFreeHandle(SQL_HANDLE_ENV, henv);
}
