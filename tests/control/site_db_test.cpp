// Sites in the database, on SQLite and PostgreSQL (each in a database of its own, apart from the
// tests that roll back): a drawing saved and loaded back the same, a save that fails changing
// nothing stored, the gate of the long operations, shapes loaded in any row order, change
// messages, and the site's links to attributes across saves.
#include <windows.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "automation/PersistDB.h"
#include "control/ShapeMap.h"
#include "control/ViewportList.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/AttributeGroupData.h"
#include "model/AttributeGroupMap.h"
#include "model/AttributeType.h"
#include "model/AttributeTypeMap.h"
#include "model/AttributeValue.h"
#include "model/ShapeAttributeMap.h"
#include "model/ShapeAttributes.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "model/Ellipse.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/Shape.h"
#include "model/Text.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/OdbcTransaction.h"
#include "persistence/sql/IdReservationSql.h"
#include "tests/support/ImageTestSupport.h"

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// The databases of these tests: whole sites are saved and stay there.
std::vector<DbTarget> SiteTargets()
{
    return {{"SQLite", SqlDialect::SQLite, "YVEX_SITES", "", ""},
            {"PostgreSQL", SqlDialect::PostgreSQL, EnvOr("YVEX_PG_DSN", "YVEX_PG") + "_SITES",
             EnvOr("YVEX_PG_USER", "yvex"), EnvOr("YVEX_PG_PASSWORD", "yvex")}};
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Waits (pumping) until no long operation runs; false after the time given.
bool WaitIdle(CControlCore& control, DWORD milliseconds = 60000)
{
    const DWORD start = GetTickCount();
    while (!control.IsIdle()) {
        Pump();
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(5);
    }
    // The worker ends after it gave the gate back.
    Sleep(20);
    Pump();
    return true;
}

std::string Format(const char* templ, long value)
{
    char text[1024];
    snprintf(text, sizeof text, templ, value);
    return text;
}

long Scalar(SQLHSTMT hstmt, const std::string& query)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(query.c_str())), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(r)) << query << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    long value = -1;
    if (SQL_SUCCEEDED(r) && SQL_SUCCEEDED(SQLFetch(hstmt)))
        value = ColumnLong(hstmt, 1);
    Drain(hstmt);
    return value;
}

void Raw(SQLHSTMT hstmt, const std::string& text)
{
    SQLRETURN r = SQLExecDirect(hstmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())), SQL_NTS);
    ASSERT_TRUE(r == SQL_SUCCESS || r == SQL_NO_DATA || r == SQL_SUCCESS_WITH_INFO)
        << text << ": " << OdbcDiagnosticsText(SQL_HANDLE_STMT, hstmt, "", false);
    SQLFreeStmt(hstmt, SQL_CLOSE);
}

// The rows that a site owns, table by table: what a save writes and a delete removes.
std::string StoredRows(SQLHSTMT hstmt, int siteId)
{
    static const char* const queries[] = {
        "select count(*) from shapes where siteID = %ld",
        "select count(*) from points where siteID = %ld",
        "select count(*) from shapePoints sp, shapes s where s.shapeID = sp.shapeID and s.siteID = %ld",
        "select count(*) from vertexes v, shapePoints sp, shapes s where v.shapePointID = sp.shapePointID and "
        "sp.shapeID = s.shapeID and s.siteID = %ld",
        "select count(*) from groupShapes g, shapes s where g.shapeID = s.shapeID and s.siteID = %ld",
        "select count(*) from polylineShapes p, shapes s where p.shapeID = s.shapeID and s.siteID = %ld",
        "select count(*) from lineShapes l, shapes s where l.shapeID = s.shapeID and s.siteID = %ld",
        "select count(*) from drawingSettings where siteID = %ld",
        "select count(*) from viewPorts where siteID = %ld",
        "select count(*) from shapeAttributes a, shapes s where a.shapeID = s.shapeID and s.siteID = %ld",
        "select count(*) from sites where siteID = %ld",
        "select sum(x) + sum(y) from points where siteID = %ld",
    };
    std::ostringstream out;
    for (const char* q : queries)
        out << Scalar(hstmt, Format(q, siteId)) << ' ';
    return out.str();
}

CShape* NewShape(CYVEXControl& c, int type, CGroup* parent)
{
    CShape* shape = c.GetShapeMap().CreateShape(type, true, true);
    EXPECT_NE(shape, nullptr);
    if (shape && parent)
        parent->AddChild(shape, nullptr, 1, false);
    return shape;
}

void AddPoints(CYVEXControl& c, CShape* shape, std::initializer_list<std::pair<float, float>> points)
{
    for (const auto& p : points)
        EXPECT_EQ(shape->AddPointById(c.CreatePoint(p.first, p.second), CShape::kAppend, true), S_OK);
}

// A named picture of four colours in the drawing's image resources, shown by an image in the
// root group.
CImage* AddPicture(CYVEXControl& c, const char* name, COLORREF corner)
{
    const std::vector<BYTE> bytes = imagetest::MakeQuadrants(16, 0x0000FF, 0x00FF00, 0xFF0000, corner);
    CImageResource* resource = c.GetImageResourceMap().CreateResource(0, bytes.data(), bytes.size(), 0.1f, true);
    EXPECT_NE(resource, nullptr);
    if (!resource)
        return nullptr;
    resource->SetName(name);
    LONG shapeId = 0;
    EXPECT_EQ(c.AddImageShape(c.GetRootGroup(), resource->GetId(), 20.0f, 30.0f, 48.0f, 32.0f, false, &shapeId), S_OK);
    return dynamic_cast<CImage*>(c.FindShape(shapeId));
}

// The last image among the root group's shapes, if any.
CImage* LastImageOf(CYVEXControl& c)
{
    CImage* found = nullptr;
    for (CShape* shape : c.GetRootGroup()->Children())
        if (auto* image = dynamic_cast<CImage*>(shape))
            found = image;
    return found;
}

// The picture of a resource as encoded in its own format.
std::vector<BYTE> EncodedPicture(CImageResource& resource)
{
    std::vector<BYTE> bytes;
    HGLOBAL block = resource.GetDataInFormat(0);
    if (!block)
        return bytes;
    if (const auto* data = static_cast<const BYTE*>(GlobalLock(block))) {
        bytes.assign(data, data + GlobalSize(block));
        GlobalUnlock(block);
    }
    GlobalFree(block);
    return bytes;
}

long ImageRowsNamed(SQLHSTMT hstmt, const std::string& name)
{
    // The names of these tests have no quotes.
    return Scalar(hstmt, "select count(*) from imageResources where name = '" + name + "'");
}

// A drawing of every kind the model stores today: groups three levels deep, a second layer, a
// polyline with vertex data, a rectangle on that layer, a line with arrows, and a drawing setting
// whose name has a quote.
void BuildDrawing(CYVEXControl& c)
{
    CGroup* root = c.GetRootGroup();
    CLayer* walls = static_cast<CLayer*>(NewShape(c, stLayer, nullptr));
    walls->SetName("Walls");
    c.GetLayersGroup()->AppendChild(walls, 1);

    auto* outer = static_cast<CGroup*>(NewShape(c, stGroup, root));
    outer->SetName(L"Outer");
    auto* middle = static_cast<CGroup*>(NewShape(c, stGroup, outer));
    middle->SetName(L"Middle");
    auto* inner = static_cast<CGroup*>(NewShape(c, stGroup, middle));
    inner->SetName(L"Inner");

    auto* polyline = static_cast<CPolyline*>(NewShape(c, stPolyline, inner));
    AddPoints(c, polyline, {{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 12.5f}});
    polyline->SetPenColor(0x0000FF);
    CVertexRecord* vertex = polyline->GetVertexAt(1);
    vertex->bulge = 0.5f;
    vertex->startWidth = 2.0f;
    vertex->name = "corner 'B'";

    CShape* rectangle = NewShape(c, stRectangle, root);
    AddPoints(c, rectangle, {{-5.0f, 5.0f}, {5.0f, 5.0f}, {5.0f, -5.0f}, {-5.0f, -5.0f}});
    rectangle->SetLayer(walls);
    rectangle->SetPenWeight(1.5f);

    CShape* line = NewShape(c, stLine, outer);
    AddPoints(c, line, {{1.0f, 2.0f}, {3.0f, 4.0f}});
    line->SetFirstArrowType(0x202);
    line->SetSecondArrowType(1);

    CDrawingSettingRecord* setting = c.GetDrawingSettingMap().CreateSetting(
        "O'Brien's plan", 0.35f, 0x00FF00, 0x0000FF, 3, 0, 1, 5.0f, 6.0f, 1, 2.5f, 2.5f, 1.0f, -1.0f, 20.0f, 1.0f, 3.0f,
        1, c);
    ASSERT_NE(setting, nullptr);
    setting->Layer = walls;
    setting->SetFontAlignType(0x10006);
}

// What a drawing holds, independent of the shape IDs it was given: every tree of the drawing
// written out with kinds, names, styles, points, vertex data and layers (by their place among
// the layers).
std::string Describe(CYVEXControl& c)
{
    std::ostringstream out;
    CGroup* layers = c.GetLayersGroup();
    auto layerIndex = [layers](CShape* layer) {
        const auto& children = layers->Children();
        auto it = std::find(children.begin(), children.end(), layer);
        return it == children.end() ? -1 : static_cast<int>(it - children.begin());
    };
    std::function<void(CShape*, int)> describe = [&](CShape* shape, int depth) {
        out << std::string(static_cast<size_t>(depth) * 2, ' ') << shape->GetShapeType();
        if (shape->IsGroup() && shape->GetShapeType() == stGroup) {
            const std::wstring& name = static_cast<CGroup*>(shape)->GetName();
            out << " '" << std::string(name.begin(), name.end()) << "'";
        }
        out << " colour " << shape->GetPenColor() << " weight " << shape->GetPenWeight() << " layer "
            << layerIndex(shape->GetLayer()) << " arrows " << shape->GetFirstArrowType() << "/"
            << shape->GetSecondArrowType() << " points";
        for (CPointRecord* p : shape->GetPoints())
            out << " (" << p->x << "," << p->y << ")";
        if (auto* polyline = dynamic_cast<CPolyline*>(shape))
            for (const CVertexRecord& v : polyline->GetVertices())
                out << " [" << v.bulge << " " << v.startWidth << " " << v.endWidth << " '" << v.name << "']";
        if (auto* ellipse = dynamic_cast<CEllipse*>(shape))
            out << " axis (" << ellipse->GetMajorX() << "," << ellipse->GetMajorY() << ") ratio "
                << ellipse->GetMinorRatio() << " normal " << ellipse->GetExtrusionZ() << " angles "
                << ellipse->GetStartAngle() << "/" << ellipse->GetEndAngle();
        if (auto* text = dynamic_cast<CText*>(shape))
            out << " text '" << text->GetText() << "' type " << text->GetTextType() << " height " << text->GetHeight()
                << " turned " << text->GetRotation() << " font '" << text->GetFontNameA() << "'";
        if (auto* reference = dynamic_cast<CReference*>(shape)) {
            const CGroup* block = reference->GetBlock();
            const std::wstring name = block ? block->GetName() : L"(no block)";
            out << " block '" << std::string(name.begin(), name.end()) << "' scales " << reference->GetXScale() << "/"
                << reference->GetYScale() << " turned " << reference->GetRotationAngle();
        }
        out << "\n";
        if (shape->IsGroup())
            for (CShape* child : static_cast<CGroup*>(shape)->Children())
                describe(child, depth + 1);
    };
    describe(c.GetRootGroup(), 0);
    out << "layers " << layers->GetShapeCount() << "\n";
    return out.str();
}

class SiteDbTest : public testing::TestWithParam<DbTarget>
{
protected:
    bool Sqlite() const { return GetParam().dialect == SqlDialect::SQLite; }
    // A trigger of the test's own that makes the database refuse inserts into a table whose new
    // row meets the condition; dropped again by AllowInserts.
    void RefuseInserts(const std::string& table, const std::string& condition)
    {
        const std::string trigger = "refuse_" + table;
        if (Sqlite()) {
            Raw(db.hstmt, "create trigger " + trigger + " before insert on " + table + " when new." + condition +
                              " begin select raise(abort, 'refused'); end");
        } else {
            Raw(db.hstmt, "create or replace function " + trigger +
                              "() returns trigger as $$ begin raise exception 'refused'; end $$ language plpgsql");
            Raw(db.hstmt, "create trigger " + trigger + " before insert on " + table + " for each row when (new." +
                              condition + ") execute procedure " + trigger + "()");
        }
    }
    void AllowInserts(const std::string& table)
    {
        Raw(db.hstmt, "drop trigger refuse_" + table + (Sqlite() ? std::string() : " on " + table));
    }
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        Attach(*control);
    }
    void Attach(CYVEXControl& c)
    {
        c.SetDataSource(GetParam().dataSource);
        c.SetUserName(GetParam().user);
        c.SetPassword(GetParam().password);
    }
    // A new site of the drawing in `c`, saved in the foreground.
    int SaveNew(CYVEXControl& c, const char* name)
    {
        int siteId = 0;
        EXPECT_EQ(c.InsertSiteRow(name, &siteId), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(c.StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
        return siteId;
    }

    MessageBoxRecorder boxes;
    DbConnection db;
    ControlRef control;
};

} // namespace

// Groups three levels deep, layers, vertex data and a setting named with a quote come back the
// same; a second save removes the nested groups' rows pass by pass and writes the same rows.
TEST_P(SiteDbTest, ASiteSavesAndLoadsBackTheSame)
{
    BuildDrawing(*control);
    const std::string drawn = Describe(*control);
    const int siteId = SaveNew(*control, "Round trip");
    ASSERT_GT(siteId, 0);
    EXPECT_EQ(control->GetSiteId(), siteId);
    EXPECT_TRUE(control->IsIdle());
    const std::string stored = StoredRows(db.hstmt, siteId);
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from groupShapes g, shapes s where g.shapeID = s.shapeID "
                                      "and s.siteID = %ld and g.name = 'Inner'", siteId)),
              1);

    // Saved again: the old rows go (the groups need a pass per level) and the same rows come.
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(StoredRows(db.hstmt, siteId), stored);

    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Describe(*other), drawn);
    EXPECT_EQ(other->GetSiteId(), siteId);
    EXPECT_EQ(other->GetSiteRecord().GetName(), "Round trip");
    EXPECT_EQ(other->GetProgressPercent(), 100);

    CDrawingSettingRecord* setting = other->GetDrawingSettingMap().FindByName("O'Brien's plan");
    ASSERT_NE(setting, nullptr);
    EXPECT_FLOAT_EQ(setting->GridXSpace, 5.0f);
    EXPECT_FLOAT_EQ(setting->SnapBaseY, -1.0f);
    EXPECT_EQ(setting->PenColor, 0x00FF00u);
    EXPECT_EQ(setting->GetFontAlignType(), 0x10006u);
    ASSERT_NE(setting->Layer, nullptr);
    EXPECT_EQ(setting->Layer->GetParent(), other->GetLayersGroup());
    // The current setting's row comes back as "DEFAULT", and its values stand in the current one.
    EXPECT_NE(other->GetDrawingSettingMap().FindByName("DEFAULT"), nullptr);
    EXPECT_STREQ(other->GetCurrentDrawingSetting()->GetName(), "CURRENT");

    // Loaded and saved again, the site keeps its rows, but for the stored current setting, which
    // is a named setting ("DEFAULT") of the loaded drawing: the count of settings settles there.
    ASSERT_EQ(other->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    const std::string settled = StoredRows(db.hstmt, siteId);
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from drawingSettings where siteID = %ld", siteId)), 3);
    ControlRef third;
    Attach(*third);
    ASSERT_EQ(third->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Describe(*third), drawn);
    EXPECT_EQ(third->GetDrawingSettingMap().GetCount(), 3);
    ASSERT_EQ(third->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(StoredRows(db.hstmt, siteId), settled);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Circles, arcs, ellipses and texts keep their geometry and wording, and a block reference
// comes back tied to its block, showing the block's shapes where it places them.
TEST_P(SiteDbTest, CurvesTextsAndReferencesComeBack)
{
    CGroup* root = control->GetRootGroup();
    CShape* circle = NewShape(*control, stCircle, root);
    AddPoints(*control, circle, {{10.0f, 20.0f}});
    static_cast<CEllipse*>(circle)->SetMajorAxis(5.0f, 0.0f);
    CShape* arc = NewShape(*control, stArc, root);
    AddPoints(*control, arc, {{-10.0f, 0.0f}});
    static_cast<CEllipse*>(arc)->SetMajorAxis(0.0f, 7.0f);
    static_cast<CEllipse*>(arc)->SetAngles(30.0f, 150.0f);
    auto* ellipse = static_cast<CEllipse*>(NewShape(*control, stEllipse, root));
    AddPoints(*control, ellipse, {{40.0f, -5.0f}});
    ellipse->SetMajorAxis(6.0f, 8.0f);
    ellipse->SetMinorRatio(0.5f);
    ellipse->SetExtrusionZ(-1.0f);
    ellipse->SetAngles(10.0f, 200.0f);
    auto* text = static_cast<CText*>(NewShape(*control, stText, root));
    AddPoints(*control, text, {{0.0f, 50.0f}});
    const std::string words = "A 'quoted' plan,\nin two lines";
    text->StoreText(words.c_str(), static_cast<int>(words.size()));
    text->SetFontNameA("Arial");
    text->SetHeight(2.5f);
    text->SetRotation(30.0);

    // A block of a circle and a line about its origin, placed twice: scaled, and turned.
    auto* block = static_cast<CGroup*>(NewShape(*control, stGroup, control->GetLibraryGroup()));
    block->SetName(L"Marker");
    CShape* ring = NewShape(*control, stCircle, block);
    AddPoints(*control, ring, {{0.0f, 0.0f}});
    static_cast<CEllipse*>(ring)->SetMajorAxis(2.0f, 0.0f);
    CShape* bar = NewShape(*control, stLine, block);
    AddPoints(*control, bar, {{-3.0f, 0.0f}, {3.0f, 0.0f}});
    LONG scaled = 0, turned = 0;
    ASSERT_EQ(control->AddReference(root->GetId(), block->GetId(), &scaled, false, 100.0f, 0.0f), S_OK);
    ASSERT_EQ(control->AddReference(root->GetId(), block->GetId(), &turned, false, 100.0f, 50.0f), S_OK);
    auto* first = static_cast<CReference*>(control->FindShape(scaled));
    first->SetXScale(2.0f, true);
    first->SetYScale(3.0f, true);
    static_cast<CReference*>(control->FindShape(turned))->SetRotationAngle(90.0, true);
    const std::string drawn = Describe(*control);
    ASSERT_NE(drawn.find("block 'Marker' scales 2/3"), std::string::npos) << drawn;

    const int siteId = SaveNew(*control, "Curves");
    ASSERT_GT(siteId, 0);
    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Describe(*other), drawn);
    for (CShape* shape : other->GetRootGroup()->Children()) {
        if (auto* reference = dynamic_cast<CReference*>(shape)) {
            ASSERT_NE(reference->GetBlock(), nullptr);
            EXPECT_EQ(reference->GetBlock()->GetParent(), other->GetLibraryGroup());
            EXPECT_EQ(reference->GetShapeCount(), 2);
        }
    }
    ASSERT_EQ(other->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
}

// An image keeps its picture through the database: the picture's row is written with the site,
// the image's row names it, and a fresh control loading the site shows the same picture. Saves
// that follow, from either control, rewrite that row instead of adding one.
TEST_P(SiteDbTest, AnImageComesBackWithItsPicture)
{
    // A row of this picture left by an earlier run would be taken as the picture's row.
    Raw(db.hstmt, "delete from imageResources where name = 'site picture'");
    CImage* image = AddPicture(*control, "site picture", 0x00FFFF);
    ASSERT_NE(image, nullptr);
    CImageResource* resource = image->GetImageResource();
    ASSERT_NE(resource, nullptr);
    const std::vector<BYTE> picture = EncodedPicture(*resource);
    ASSERT_FALSE(picture.empty());
    const long rowsBefore = Scalar(db.hstmt, "select count(*) from imageResources");

    const int siteId = SaveNew(*control, "Pictures");
    ASSERT_GT(siteId, 0);
    const int row = resource->GetDatabaseId();
    ASSERT_GT(row, 0);
    EXPECT_EQ(ImageRowsNamed(db.hstmt, "site picture"), 1);
    EXPECT_EQ(Scalar(db.hstmt, Format("select width * 1000 + height from imageResources where imageResourceID = %ld",
                                      row)),
              16016);
    EXPECT_EQ(Scalar(db.hstmt, Format("select ImageResourceID from ImageShapes where ShapeID = %ld",
                                      image->GetDatabaseId())),
              row);

    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(resource->GetDatabaseId(), row);
    EXPECT_EQ(Scalar(db.hstmt, "select count(*) from imageResources"), rowsBefore + 1);

    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CImage* loaded = LastImageOf(*other);
    ASSERT_NE(loaded, nullptr);
    EXPECT_FLOAT_EQ(loaded->GetWidth(), 48.0f);
    EXPECT_FLOAT_EQ(loaded->GetHeight(), 32.0f);
    CImageResource* shown = loaded->GetImageResource();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->IsLoaded());
    EXPECT_EQ(shown->GetDatabaseId(), row);
    EXPECT_EQ(shown->GetName(), "site picture");
    EXPECT_EQ(shown->GetWidth(), 16u);
    EXPECT_EQ(shown->GetHeight(), 16u);
    EXPECT_EQ(EncodedPicture(*shown), picture);

    // The loaded drawing saved again rewrites the same row.
    ASSERT_EQ(other->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Scalar(db.hstmt, "select count(*) from imageResources"), rowsBefore + 1);
    EXPECT_EQ(Scalar(db.hstmt, Format("select ImageResourceID from ImageShapes where ShapeID = %ld",
                                      loaded->GetDatabaseId())),
              row);
    ASSERT_EQ(other->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
    // Pictures are shared between sites and outlive them.
    EXPECT_EQ(ImageRowsNamed(db.hstmt, "site picture"), 1);
    Raw(db.hstmt, Format("delete from imageResources where imageResourceID = %ld", row));
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Pictures of every format the control stores come back with the site in their own format.
TEST_P(SiteDbTest, PicturesOfEveryStoredFormatComeBack)
{
    struct Case
    {
        int format;
        const char* name;
    };
    static const Case cases[] = {
        {irtJPEG, "format jpeg"}, {irtGIF, "format gif"}, {irtTIFF, "format tiff"}, {irtPNG, "format png"}};
    const std::vector<BYTE> bmp = imagetest::MakeQuadrants(16, 0x0000FF, 0x00FF00, 0xFF0000, 0x808080);
    CImageResource source(0, bmp.data(), bmp.size(), 0.1f, -1);
    std::map<std::string, int> formatOf;
    for (const Case& c : cases) {
        Raw(db.hstmt, std::string("delete from imageResources where name = '") + c.name + "'");
        HGLOBAL encoded = source.GetDataInFormat(c.format);
        ASSERT_NE(encoded, nullptr) << c.name;
        CImageResource* resource = control->GetImageResourceMap().CreateResource(
            0, GlobalLock(encoded), GlobalSize(encoded), 0.1f, true);
        GlobalUnlock(encoded);
        GlobalFree(encoded);
        ASSERT_NE(resource, nullptr) << c.name;
        ASSERT_EQ(resource->GetFormat(), c.format) << c.name;
        resource->SetName(c.name);
        LONG shapeId = 0;
        ASSERT_EQ(control->AddImageShape(control->GetRootGroup(), resource->GetId(), 0.0f, 0.0f, 16.0f, 16.0f, false,
                                         &shapeId),
                  S_OK);
        formatOf[c.name] = c.format;
    }
    const int siteId = SaveNew(*control, "Picture formats");
    ASSERT_GT(siteId, 0) << TakeErrorInfo().description;

    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    std::map<std::string, int> loaded;
    for (CShape* shape : other->GetRootGroup()->Children())
        if (auto* image = dynamic_cast<CImage*>(shape)) {
            CImageResource* resource = image->GetImageResource();
            ASSERT_NE(resource, nullptr) << "an image lost its picture";
            EXPECT_EQ(resource->GetWidth(), 16u) << resource->GetName();
            loaded[resource->GetName()] = resource->GetFormat();
        }
    EXPECT_EQ(loaded, formatOf);
    ASSERT_EQ(other->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
    for (const Case& c : cases)
        Raw(db.hstmt, std::string("delete from imageResources where name = '") + c.name + "'");
}

// A picture that came without a name (from memory, as a paste brings one) does not keep the site
// from being saved: it is stored under a name made from its ID and comes back with the site.
TEST_P(SiteDbTest, AnUnnamedPictureIsSavedUnderItsID)
{
    const std::vector<BYTE> bytes = imagetest::MakeQuadrants(16, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456);
    LONG shapeId = 0;
    ASSERT_EQ(control->AddImageFromData(control->GetRootGroup(), bytes.data(), bytes.size(), 20.0f, 30.0f, 48.0f, 32.0f,
                                        false, &shapeId),
              S_OK);
    auto* image = dynamic_cast<CImage*>(control->FindShape(shapeId));
    ASSERT_NE(image, nullptr);
    CImageResource* resource = image->GetImageResource();
    ASSERT_NE(resource, nullptr);
    ASSERT_FALSE(resource->HasName());
    const std::string name = "Image" + std::to_string(resource->GetId());
    Raw(db.hstmt, ("delete from imageResources where name = '" + name + "'").c_str());

    const int siteId = SaveNew(*control, "Unnamed picture");
    ASSERT_GT(siteId, 0) << TakeErrorInfo().description;
    const int row = resource->GetDatabaseId();
    ASSERT_GT(row, 0);
    EXPECT_EQ(ImageRowsNamed(db.hstmt, name), 1);

    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CImage* loaded = LastImageOf(*other);
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->GetImageResource(), nullptr);
    EXPECT_EQ(loaded->GetImageResource()->GetDatabaseId(), row);
    EXPECT_EQ(EncodedPicture(*loaded->GetImageResource()), EncodedPicture(*resource));
    ASSERT_EQ(other->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
    Raw(db.hstmt, Format("delete from imageResources where imageResourceID = %ld", row));
}

// A row the database refuses fails the save: the stored site stays as it was, the drawing keeps
// the database IDs of those rows, and the save goes through once the row is acceptable.
TEST_P(SiteDbTest, ARefusedRowFailsTheSaveAndChangesNothingStored)
{
    const bool sqlite = GetParam().dialect == SqlDialect::SQLite;
    struct Case
    {
        const char* label;
        const char* table;
        const char* condition;
    };
    const Case cases[] = {
        {"a shape", "shapes", "Tag = 666"},
        {"a drawing setting", "drawingSettings", "Name = 'refused'"},
        {"a picture", "imageResources", "name = 'refused'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ControlRef drawing;
        Attach(*drawing);
        BuildDrawing(*drawing);
        const int siteId = SaveNew(*drawing, "Refusals");
        const std::string stored = StoredRows(db.hstmt, siteId);
        std::map<int, int> ids;
        for (const auto& entry : drawing->GetShapeMap().Shapes())
            ids[entry.first] = entry.second->GetDatabaseId();

        // The drawing changes, with one row the database refuses. The new picture's row is
        // written before the refused one (or is the refused one) and goes with the rest.
        CShape* extra = NewShape(*drawing, stRectangle, drawing->GetRootGroup());
        AddPoints(*drawing, extra, {{100.0f, 100.0f}, {200.0f, 100.0f}});
        const bool picture = c.table == std::string("imageResources");
        const std::string pictureName = picture ? "refused" : std::string("picture of ") + c.table;
        const std::string storedName = picture ? "accepted" : pictureName;
        Raw(db.hstmt, "delete from imageResources where name = '" + storedName + "'");
        CImage* image = AddPicture(*drawing, pictureName.c_str(), 0x000080);
        ASSERT_NE(image, nullptr);
        CImageResource* resource = image->GetImageResource();
        ASSERT_NE(resource, nullptr);
        if (c.table == std::string("shapes"))
            extra->SetTag(666);
        else if (!picture)
            drawing->GetDrawingSettingMap().CreateSetting("refused", 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1, 0,
                                                          *drawing);
        const std::string trigger = std::string("refuse_") + c.table;
        if (sqlite) {
            Raw(db.hstmt, "create trigger " + trigger + " before insert on " + c.table + " when new." + c.condition +
                              " begin select raise(abort, 'refused'); end");
        } else {
            Raw(db.hstmt, "create or replace function " + trigger +
                              "() returns trigger as $$ begin raise exception 'refused'; end $$ language plpgsql");
            Raw(db.hstmt, "create trigger " + trigger + " before insert on " + c.table + " for each row when (new." +
                              c.condition + ") execute procedure " + trigger + "()");
        }
        MessageBoxRecorder::Clear();
        const HRESULT failed = drawing->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr);
        if (sqlite)
            Raw(db.hstmt, "drop trigger " + trigger);
        else
            Raw(db.hstmt, "drop trigger " + trigger + " on " + c.table);
        EXPECT_TRUE(FAILED(failed));
        EXPECT_NE(TakeErrorInfo().description.find("refused"), std::string::npos);
        EXPECT_FALSE(MessageBoxRecorder::Boxes().empty()) << "the failure is shown";
        EXPECT_TRUE(drawing->IsIdle());
        EXPECT_EQ(StoredRows(db.hstmt, siteId), stored);
        for (const auto& entry : drawing->GetShapeMap().Shapes()) {
            if (ids.count(entry.first)) {
                EXPECT_EQ(entry.second->GetDatabaseId(), ids[entry.first]) << "shape " << entry.first;
            }
        }
        EXPECT_EQ(drawing->GetShapeMap().FindByDbId(ids[drawing->GetRootGroup()->GetId()]), drawing->GetRootGroup());
        // The picture names no row: it has none.
        EXPECT_EQ(ImageRowsNamed(db.hstmt, pictureName), 0);
        EXPECT_EQ(resource->GetDatabaseId(), 0);

        // Acceptable again: the save goes through.
        if (c.table == std::string("shapes"))
            extra->SetTag(1);
        else if (picture)
            resource->SetName("accepted");
        else
            drawing->GetDrawingSettingMap().FindByName("refused")->SetName("accepted");
        ASSERT_EQ(drawing->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
        EXPECT_NE(StoredRows(db.hstmt, siteId), stored);
        EXPECT_EQ(ImageRowsNamed(db.hstmt, storedName), 1);
        EXPECT_GT(resource->GetDatabaseId(), 0);
        EXPECT_EQ(Scalar(db.hstmt, Format("select ImageResourceID from ImageShapes where ShapeID = %ld",
                                          image->GetDatabaseId())),
                  resource->GetDatabaseId());
        ASSERT_EQ(drawing->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
        Raw(db.hstmt, "delete from imageResources where name = '" + storedName + "'");
    }
}

// The site's attribute model goes with its rows: groups (one the child of the other), their types
// and the values and groups of its shapes are stored under the shapes' new rows on every save; a
// shape that left the drawing takes its rows along, a group given to another site as well stays
// for that site, and a deleted site leaves none behind.
TEST_P(SiteDbTest, AttributesFollowTheShapesAndGoWithTheSite)
{
    BuildDrawing(*control);
    CShape* kept = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, kept, {{0, 0}, {1, 1}});
    CShape* dropped = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, dropped, {{2, 2}, {3, 3}});
    CAttributeGroupMap* groups = control->GetAttributeGroupMap();
    CAttributeGroupData* openings = groups->Create(0, 0, L"Openings");
    CAttributeGroupData* doors = groups->Create(0, 0, L"Doors");
    ASSERT_EQ(doors->SetParentGroup(openings), S_OK);
    CAttributeType* width = doors->GetTypes().Create(-1, 0, L"Width", L"%d", L"Width?");
    CAttributeType* label = openings->GetTypes().Create(-1, 0, L"Label", L"", L"");
    for (CShape* shape : {kept, dropped}) {
        shape->GetAttributeGroups().Insert(doors, -1);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = shape == kept ? 90 : 60;
        ASSERT_NE(shape->GetAttributes().Create(width->GetId(), 0, value), nullptr);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(L"O'Brien's door");
        ASSERT_NE(shape->GetAttributes().Create(label->GetId(), 0, value), nullptr) << "a type of the parent group";
        VariantClear(&value);
    }
    const int siteId = SaveNew(*control, "Attributes");
    const long keptRow = kept->GetDatabaseId();
    const long droppedRow = dropped->GetDatabaseId();
    const auto countOf = [&](const char* query, long id) { return Scalar(db.hstmt, Format(query, id)); };
    EXPECT_EQ(countOf("select count(*) from SiteAttributes where SiteID = %ld", siteId), 2);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributes where ShapeID = %ld", keptRow), 2);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributeGroups where ShapeID = %ld", keptRow), 1);
    EXPECT_EQ(countOf("select count(*) from AttributeGroups where ParentGroupID = %ld", openings->GetDatabaseId()), 1);

    // Saved again with every new ID shifted, and one shape less: the rows follow, the dropped
    // shape's values go.
    const long shift = Scalar(db.hstmt, "select max(shapeID) from shapes") + 1;
    Raw(db.hstmt, Format("insert into shapes (shapeID, scenarioID, siteID) values (%ld, 0, -1)", shift));
    ASSERT_EQ(control->DeleteShapeByID(dropped->GetId(), 0, 0), S_OK);
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    Raw(db.hstmt, Format("delete from shapes where shapeID = %ld", shift));
    ASSERT_NE(kept->GetDatabaseId(), keptRow);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributes where ShapeID = %ld", kept->GetDatabaseId()), 2);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributes where ShapeID = %ld", keptRow), 0);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributes where ShapeID = %ld", droppedRow), 0);
    EXPECT_EQ(countOf("select count(*) from SiteAttributes where SiteID = %ld", siteId), 2);
    EXPECT_EQ(Scalar(db.hstmt, "select count(*) from Attributes where VarCharField = 'O''Brien''s door'"), 1);

    // What comes back: the groups with their parent, the types and the values of the shape.
    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CShape* back = other->GetShapeMap().FindByDbId(kept->GetDatabaseId());
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->GetAttributeGroups().GetCount(), 1);
    auto* backDoors = static_cast<CAttributeGroupData*>(back->GetAttributeGroups().GetAt(0));
    EXPECT_EQ(backDoors->GetName(), L"Doors");
    ASSERT_NE(backDoors->GetParent(), nullptr);
    EXPECT_EQ(backDoors->GetParent()->GetName(), L"Openings");
    CAttributeType* backWidth = other->GetAttributeTypeMap()->FindByName(L"Width");
    CAttributeType* backLabel = other->GetAttributeTypeMap()->FindByName(L"Label");
    ASSERT_NE(backWidth, nullptr);
    ASSERT_NE(backLabel, nullptr);
    EXPECT_EQ(backWidth->GetPrompt(), L"Width?");
    ASSERT_NE(back->GetAttributes().FindValue(backWidth->GetId()), nullptr);
    EXPECT_EQ(back->GetAttributes().FindValue(backWidth->GetId())->GetValue().lVal, 90);
    ASSERT_NE(back->GetAttributes().FindValue(backLabel->GetId()), nullptr);
    EXPECT_STREQ(back->GetAttributes().FindValue(backLabel->GetId())->GetValue().bstrVal, L"O'Brien's door");

    // A group given to another site too stays for it when this site goes; the rest goes.
    const long shared = doors->GetDatabaseId();
    Raw(db.hstmt, Format("insert into SiteAttributes (SiteID, AttributeGroupID, ScenarioID) values (-7, %ld, 0)", shared));
    const long keptNow = kept->GetDatabaseId();
    const long parentRow = openings->GetDatabaseId();
    ASSERT_EQ(control->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(StoredRows(db.hstmt, siteId), "0 0 0 0 0 0 0 0 0 0 0 0 ");
    EXPECT_EQ(countOf("select count(*) from ShapeAttributes where ShapeID = %ld", keptNow), 0);
    EXPECT_EQ(countOf("select count(*) from ShapeAttributeGroups where ShapeID = %ld", keptNow), 0);
    EXPECT_EQ(countOf("select count(*) from SiteAttributes where SiteID = %ld", siteId), 0);
    EXPECT_EQ(Scalar(db.hstmt, "select count(*) from Attributes where VarCharField = 'O''Brien''s door'"), 0);
    EXPECT_EQ(countOf("select count(*) from AttributeGroups where AttributeGroupID = %ld", shared), 1);
    EXPECT_EQ(countOf("select count(*) from AttributeTypes where AttributeGroupID = %ld", shared), 1);
    EXPECT_EQ(countOf("select count(*) from AttributeGroups where AttributeGroupID = %ld", parentRow), 0);
    Raw(db.hstmt, Format("delete from AttributeTypes where AttributeGroupID = %ld", shared));
    Raw(db.hstmt, Format("delete from AttributeGroups where AttributeGroupID = %ld", shared));
    Raw(db.hstmt, "delete from SiteAttributes where SiteID = -7");
    EXPECT_EQ(control->GetSiteId(), 0);
}

// Rows read in an order that puts a child before its group: the group is fetched on its own and
// its later row refreshes it, so every row makes one shape.
TEST_P(SiteDbTest, AChildBeforeItsParentLoadsOnce)
{
    int siteId = 0;
    ASSERT_EQ(control->InsertSiteRow("Child first", &siteId), S_OK);
    // Rows come ordered by their group's ID: the polyline's group (3) comes before the group of
    // that group (7), whose group is the root (1).
    const long base = 700000 + siteId * 10;
    auto shapeRow = [&](long id, int number, int type, long parent) {
        std::ostringstream sql;
        sql << "insert into shapes (shapeID, scenarioID, penWeight, penColor, tag, number, linePatternScale, zOrder, "
               "hatchColor, flags, shapeTypeID, siteID, linePatternID, groupShapeID) values ("
            << id << ", 0, 0, 0, 0, " << number << ", 1, " << id << ", 0, 3, " << type << ", " << siteId << ", 12, "
            << (parent ? std::to_string(parent) : std::string("NULL")) << ")";
        Raw(db.hstmt, sql.str());
    };
    shapeRow(base + 1, 0, stGroup, 0);
    shapeRow(base + 7, 12, stGroup, base + 1);
    shapeRow(base + 3, 13, stGroup, base + 7);
    shapeRow(base + 5, 14, stPolyline, base + 3);
    Raw(db.hstmt, Format("insert into groupShapes (shapeID, scenarioID, name) values (%ld, 0, 'Middle')", base + 3));

    ASSERT_EQ(control->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CShapeMap& map = control->GetShapeMap();
    CShape* polyline = map.FindByDbId(base + 5);
    CShape* middle = map.FindByDbId(base + 3);
    CShape* outer = map.FindByDbId(base + 7);
    ASSERT_TRUE(polyline && middle && outer);
    EXPECT_EQ(polyline->GetParent(), middle);
    EXPECT_EQ(middle->GetParent(), outer);
    EXPECT_EQ(outer->GetParent(), control->GetRootGroup());
    EXPECT_EQ(static_cast<CGroup*>(middle)->GetName(), L"Middle");
    int made = 0;
    for (const auto& entry : map.Shapes())
        if (entry.first >= 12)
            ++made;
    EXPECT_EQ(made, 3);
    ASSERT_EQ(control->DeleteSiteFromDB(siteId, true), S_OK);
}

// The loader's layer rows: names and the three switches of each layer.
TEST_P(SiteDbTest, LayerRowsNameAndSwitchTheLayers)
{
    CLayer* walls = static_cast<CLayer*>(NewShape(*control, stLayer, nullptr));
    control->GetLayersGroup()->AppendChild(walls, 1);
    const int siteId = SaveNew(*control, "Layers");
    const long row = walls->GetDatabaseId();
    Raw(db.hstmt, Format("delete from layerShapes where shapeID = %ld", row));
    Raw(db.hstmt, Format("delete from layerSettings where layerShapeID = %ld", row));
    Raw(db.hstmt, Format("insert into layerShapes (shapeID, scenarioID, name) values (%ld, 0, 'Walls')", row));
    Raw(db.hstmt, "insert into layerSettings (layerSettingID, scenarioID, \"on\", \"enable\", \"select\", "
                  "layerShapeID) values (" + std::to_string(880000 + row) + ", 0, 0, 1, 0, " + std::to_string(row) + ")");
    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CShape* loaded = other->GetShapeMap().FindByDbId(row);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->GetShapeType(), stLayer);
    EXPECT_EQ(static_cast<CLayer*>(loaded)->GetName(), "Walls");
    EXPECT_FALSE(loaded->HasState(CShape::stVisible));
    EXPECT_TRUE(loaded->HasState(CShape::stEnabled));
    EXPECT_TRUE(loaded->HasState(CShape::stNotSelectable));
    ASSERT_EQ(other->DeleteSiteFromDB(siteId, true), S_OK);
}

// Only one long operation at a time: of starts made at once from several threads while a load
// runs, one gets through and the others are refused with the busy message.
TEST_P(SiteDbTest, ConcurrentStartsRunOneOperation)
{
    BuildDrawing(*control);
    // Enough rows for the first load to outlast the other starts.
    for (int i = 0; i < 400; ++i) {
        CShape* line = NewShape(*control, stLine, control->GetRootGroup());
        AddPoints(*control, line, {{static_cast<float>(i), 0.0f}, {static_cast<float>(i), 1.0f}});
    }
    const int siteId = SaveNew(*control, "Gate");
    for (int round = 0; round < 2; ++round) {
        ControlRef loader;
        Attach(*loader);
        std::atomic<int> admitted{0}, refused{0}, ready{0};
        std::vector<std::thread> threads;
        for (int i = 0; i < 6; ++i)
            threads.emplace_back([&] {
                ++ready;
                while (ready.load() < 6) {
                }
                const HRESULT hr = loader->StartLoadSiteFromDB(siteId, 0);
                (hr == S_OK ? admitted : refused)++;
            });
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(admitted.load(), 1);
        EXPECT_EQ(refused.load(), 5);
        EXPECT_EQ(loader->GetLastErrorText(), "Operation is in progress.");
        EXPECT_EQ(loader->GetLastErrorCode(), 1);
        // A start on this thread while the load runs is refused too.
        if (!loader->IsIdle()) {
            EXPECT_EQ(loader->StartSaveSiteToDB(siteId, 0, nullptr), S_FALSE);
        }
        ASSERT_TRUE(WaitIdle(*loader));
        EXPECT_EQ(Describe(*loader), Describe(*control));
    }
}

// Two drawings saved at the same moment, each on its own worker and connection: the second
// session's key ranges meet the first's uncommitted ones, and it reads the counters again and
// retries instead of failing. Both sites end saved and load back whole.
TEST_P(SiteDbTest, TwoSessionsSavingAtOnceBothSucceed)
{
    ControlRef first, second;
    CYVEXControl* drawings[] = {first.Get(), second.Get()};
    for (CYVEXControl* c : drawings) {
        Attach(*c);
        BuildDrawing(*c);
        for (int i = 0; i < 200; ++i) {
            CShape* line = NewShape(*c, stLine, c->GetRootGroup());
            AddPoints(*c, line, {{static_cast<float>(i), 0.0f}, {static_cast<float>(i), 1.0f}});
        }
    }
    const std::string drawn = Describe(*first);
    for (int round = 0; round < 3; ++round) {
        int sites[2] = {};
        ASSERT_EQ(first->InsertSiteRow("Together A", &sites[0]), S_OK) << TakeErrorInfo().description;
        ASSERT_EQ(second->InsertSiteRow("Together B", &sites[1]), S_OK) << TakeErrorInfo().description;
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(drawings[i]->StartSaveSiteToDB(sites[i], 0, nullptr), S_OK);
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(WaitIdle(*drawings[i]));
            EXPECT_EQ(drawings[i]->GetSiteId(), sites[i]) << "round " << round << ": save " << i << " failed";
            EXPECT_EQ(drawings[i]->IsDirty(), S_FALSE);
        }
        EXPECT_EQ(StoredRows(db.hstmt, sites[0]), StoredRows(db.hstmt, sites[1]));
        for (int site : sites) {
            ControlRef reader;
            Attach(*reader);
            ASSERT_EQ(reader->StartLoadSiteFromDB(site, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
            EXPECT_EQ(Describe(*reader), drawn) << "site " << site;
        }
    }
    std::string shown;
    for (const RecordedBox& box : boxes.Boxes())
        shown += box.caption + ": " + box.text + "\n";
    EXPECT_EQ(shown, "") << "a retried attempt shows nothing";
}

// Another session of the control that saves at the moment this one has read the largest IDs:
// it takes the range lock as a save does and writes a shape row just above the largest ID,
// where this save's range begins. Each attempt of the save meets one.
struct RivalSaves
{
    DbTarget target;
    int siteId = 0;
    std::mutex lock;
    std::vector<std::thread> threads;
    std::atomic<int> arrived{0};
    std::atomic<int> stored{0};

    static void OnCountersRead(void* context)
    {
        auto* self = static_cast<RivalSaves*>(context);
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard<std::mutex> hold(self->lock);
        ++self->arrived;
        self->threads.emplace_back([self, done] {
            DbConnection rival;
            if (rival.Open(self->target) == S_OK) {
                COdbcTransaction transaction(rival);
                if (SUCCEEDED(transaction.Begin(IID_NULL)) &&
                    SUCCEEDED(rival.Exec(IID_NULL, IdReservationSql::LockRanges))) {
                    SQLFreeStmt(rival.hstmt, SQL_CLOSE);
                    const std::string insert = "insert into Shapes (ShapeID, ScenarioID, ShapeTypeID, SiteID) "
                                               "select max(ShapeID) + 1, 0, 7, " + std::to_string(self->siteId) +
                                               " from Shapes";
                    if (SUCCEEDED(rival.ExecDirect(IID_NULL, insert.c_str())) &&
                        SUCCEEDED(transaction.Commit(IID_NULL)))
                        ++self->stored;
                }
            }
            *done = true;
        });
        // A rival that the lock keeps waiting writes after this save has ended.
        for (int i = 0; i < 30 && !*done; ++i)
            Sleep(10);
    }
    void Join()
    {
        for (std::thread& t : threads)
            t.join();
        threads.clear();
    }
};

// Whatever other sessions save meanwhile, a save stores the whole drawing and says so: rivals
// that write at the moment the save has read the largest IDs wait for its range lock; before
// it, each of the save's attempts met a rival's key until the attempts ran out, the failure's
// box was shown, and the drawing kept the new site's ID with nothing stored under it.
TEST_P(SiteDbTest, RivalSavesMeetingEveryAttemptLeaveTheSaveWhole)
{
    BuildDrawing(*control);
    const std::string drawn = Describe(*control);
    const int alone = SaveNew(*control, "Alone");
    const std::string stored = StoredRows(db.hstmt, alone);
    int siteId = 0, rivalSite = 0;
    ASSERT_EQ(control->InsertSiteRow("Rivalled", &siteId), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(control->InsertSiteRow("Rival", &rivalSite), S_OK) << TakeErrorInfo().description;
    RivalSaves rivals;
    rivals.target = GetParam();
    rivals.siteId = rivalSite;
    CControlCore::SetIdCountersReadHook(&RivalSaves::OnCountersRead, &rivals);
    const HRESULT saved = control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr);
    CControlCore::SetIdCountersReadHook(nullptr, nullptr);
    rivals.Join();
    EXPECT_EQ(saved, S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(rivals.arrived.load(), 1) << "the save was tried again";
    EXPECT_EQ(rivals.stored.load(), rivals.arrived.load()) << "every rival's row is stored too";
    EXPECT_EQ(StoredRows(db.hstmt, siteId), stored);
    std::string shown;
    for (const RecordedBox& box : boxes.Boxes())
        shown += box.caption + ": " + box.text + "\n";
    EXPECT_EQ(shown, "");
    ControlRef reader;
    Attach(*reader);
    ASSERT_EQ(reader->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Describe(*reader), drawn);
    Raw(db.hstmt, Format("delete from Shapes where SiteID = %ld", rivalSite));
    for (int site : {alone, siteId, rivalSite})
        EXPECT_EQ(control->DeleteSiteFromDB(site, true), S_OK);
}

// A drawing saved into a database file of its own comes back whole from it into another
// control; both controls keep their own data source, and a file saved twice holds two sites. The
// copy into the file leaves the drawing's own rows as they were (its site, its database IDs, its
// modified flag), and a drawing read from a file names no rows of the site database: its save
// there makes a site of its own and overwrites none.
TEST_P(SiteDbTest, ASiteGoesIntoADatabaseFileAndComesBack)
{
    char dir[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    const std::string path = std::string(dir) + "yvex_site_file_" + std::to_string(GetCurrentProcessId()) + "_" +
                             GetParam().label + ".db";
    DeleteFileA(path.c_str());
    BuildDrawing(*control);
    AddPicture(*control, "filed picture", 0x404040);
    control->GetSiteRecord().SetName("Filed");
    const int own = SaveNew(*control, "Filed");
    std::map<int, int> ids;
    for (const auto& entry : control->GetShapeMap().Shapes())
        ids[entry.first] = entry.second->GetDatabaseId();
    CShape* later = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, later, {{7.0f, 7.0f}, {8.0f, 8.0f}});
    control->SetModified(true);
    const std::string drawn = Describe(*control);
    ASSERT_EQ(control->StartSaveSiteToFile(path.c_str(), 1), S_OK);
    ASSERT_TRUE(WaitIdle(*control));
    EXPECT_EQ(control->GetDataSource(), GetParam().dataSource);
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(control->GetSiteId(), own) << "the drawing's site is still its own";
    EXPECT_EQ(control->IsDirty(), S_OK) << "and it is still unsaved there";
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (ids.count(entry.first))
            EXPECT_EQ(entry.second->GetDatabaseId(), ids[entry.first]) << "shape " << entry.first;
    EXPECT_EQ(later->GetDatabaseId(), 0);
    // Saved to its site now, the new line goes where it belongs.
    const long before = Scalar(db.hstmt, Format("select count(*) from shapes where siteID = %ld", own));
    ASSERT_EQ(control->StartSaveSiteToDB(control->GetSiteId(), DXFMODE_FOREGROUND, nullptr), S_OK)
        << TakeErrorInfo().description;
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from shapes where siteID = %ld", own)), before + 1);

    // One site in the file: it is taken without asking.
    ControlRef reader;
    Attach(*reader);
    ASSERT_EQ(reader->StartLoadSiteFromFile(path.c_str(), 1, 0), S_OK);
    ASSERT_TRUE(WaitIdle(*reader));
    EXPECT_EQ(Describe(*reader), drawn);
    EXPECT_EQ(reader->GetSiteRecord().GetName(), "Filed");
    EXPECT_EQ(reader->GetDataSource(), GetParam().dataSource);
    EXPECT_EQ(reader->GetSiteId(), 0) << "the file's site is no site of the database";
    for (const auto& entry : reader->GetShapeMap().Shapes())
        EXPECT_EQ(entry.second->GetDatabaseId(), 0) << "shape " << entry.first;
    const CImage* picture = LastImageOf(*reader);
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture->GetImageResource(), nullptr);
    EXPECT_EQ(picture->GetImageResource()->GetDatabaseId(), 0);
    // Its save makes a new site of its own.
    const int fromFile = SaveNew(*reader, "From the file");
    EXPECT_EQ(reader->GetSiteId(), fromFile);
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from sites where name = 'From the file' and siteID = %ld",
                                      fromFile)),
              1);

    // A second save makes a second site there; loading it by its ID needs no choice either.
    ASSERT_EQ(control->StartSaveSiteToFile(path.c_str(), 1), S_OK);
    ASSERT_TRUE(WaitIdle(*control));
    ControlRef second;
    Attach(*second);
    ASSERT_EQ(second->StartLoadSiteFromFile(path.c_str(), 1, 2), S_OK);
    ASSERT_TRUE(WaitIdle(*second));
    EXPECT_EQ(Describe(*second), drawn);
    EXPECT_TRUE(boxes.Boxes().empty());
    for (const char* suffix : {"", "-wal", "-shm"})
        DeleteFileA((path + suffix).c_str());
}

// get_progress with nothing running and nothing counted answers 0; a file type other than the
// one database file type is refused and leaves the data source alone.
TEST_P(SiteDbTest, IdleProgressAndWrongFileType)
{
    LONG percent = -1;
    ASSERT_EQ(control->get_progress(&percent), S_OK);
    EXPECT_EQ(percent, 0);
    EXPECT_EQ(control->StartSaveSiteToFile("C:\\x.db", 2), E_INVALIDARG);
    EXPECT_EQ(control->GetDataSource(), GetParam().dataSource);
    EXPECT_TRUE(control->IsIdle());
}


// A hatch pattern of the site's own that a rolled-back save had written comes back new: the next
// save writes its row (the rolled-back one is gone), and a fresh control finds the pattern on its
// shape. A row the save wrote that is missing later fails the save instead of leaving shapes
// naming nothing.
TEST_P(SiteDbTest, AHatchPatternOfARolledBackSaveIsWrittenAgain)
{
    BuildDrawing(*control);
    CImage* image = AddPicture(*control, "brick picture", 0x008000);
    ASSERT_NE(image, nullptr);
    const int builtIn = CHatchPatternMap::kLastBuiltIn;
    const int patternId = control->GetHatchPatternMap().AddPattern("Brick", "red", image->GetImageResourceId());
    ASSERT_GT(patternId, builtIn);
    CHatchPattern* pattern = control->GetHatchPatternMap().Find(patternId);
    CShape* wall = NewShape(*control, stRectangle, control->GetRootGroup());
    AddPoints(*control, wall, {{0.0f, 0.0f}, {4.0f, 0.0f}, {4.0f, 2.0f}, {0.0f, 2.0f}});
    wall->SetHatchPatternId(patternId);
    wall->SetTag(77);
    CShape* refused = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, refused, {{9.0f, 9.0f}, {8.0f, 8.0f}});
    refused->SetTag(666);
    int siteId = 0;
    ASSERT_EQ(control->InsertSiteRow("Patterns", &siteId), S_OK) << TakeErrorInfo().description;

    RefuseInserts("shapes", "Tag = 666");
    const HRESULT failed = control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr);
    AllowInserts("shapes");
    ASSERT_TRUE(FAILED(failed));
    EXPECT_EQ(pattern->GetDatabaseId(), 0) << "the pattern's row went with the rolled-back save";

    refused->SetTag(1);
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    const int stored = pattern->GetDatabaseId();
    ASSERT_GT(stored, builtIn);
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from HatchPatterns where HatchPatternID = %ld", stored)), 1);
    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CShape* loaded = nullptr;
    for (CShape* shape : other->GetRootGroup()->Children())
        if (shape->GetTag() == 77)
            loaded = shape;
    ASSERT_NE(loaded, nullptr);
    const CHatchPattern* found = other->GetHatchPatternMap().Find(loaded->GetHatchPatternId());
    ASSERT_NE(found, nullptr) << "the wall lost its pattern";
    EXPECT_EQ(found->GetName(), std::string("Brick"));

    // The row goes behind the control's back: the update finds nothing, and the save says so.
    const std::string rows = StoredRows(db.hstmt, siteId);
    Raw(db.hstmt, Format("delete from HatchPatterns where HatchPatternID = %ld", stored));
    MessageBoxRecorder::Clear();
    EXPECT_TRUE(FAILED(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr)));
    EXPECT_EQ(TakeErrorInfo().description, "The hatch pattern's row is missing.");
    EXPECT_EQ(StoredRows(db.hstmt, siteId), rows);
    EXPECT_EQ(pattern->GetDatabaseId(), stored);
    ASSERT_EQ(control->DeleteSiteFromDB(siteId, true), S_OK) << TakeErrorInfo().description;
}

// A load that fails half-way leaves part of the other site in the drawing: the control names no
// site afterwards (a save must not write the mixture over the site that was there) and its
// drawing is marked changed. A load that does not start keeps the site.
TEST_P(SiteDbTest, AFailedLoadLeavesNoSite)
{
    BuildDrawing(*control);
    const int kept = SaveNew(*control, "Kept");
    ControlRef broken;
    Attach(*broken);
    BuildDrawing(*broken);
    const int brokenId = SaveNew(*broken, "Broken");
    // A shape whose group is a row nobody has.
    const long row = Scalar(db.hstmt, "select max(ShapeID) from Shapes") + 1;
    Raw(db.hstmt, Format(("insert into Shapes (ShapeID, ScenarioID, ShapeTypeID, SiteID, GroupShapeID, Number, Tag) "
                          "values (%ld, 0, 1, " + std::to_string(brokenId) + ", 999999999, 40, 0)").c_str(),
                         row));
    ASSERT_EQ(control->IsDirty(), S_FALSE);
    MessageBoxRecorder::Clear();
    EXPECT_TRUE(FAILED(control->StartLoadSiteFromDB(brokenId, DXFMODE_FOREGROUND)));
    EXPECT_EQ(control->GetSiteId(), 0) << "the site that was there is no longer named";
    EXPECT_EQ(control->IsDirty(), S_OK);
    EXPECT_TRUE(control->IsIdle());
    Raw(db.hstmt, Format("delete from Shapes where ShapeID = %ld", row));

    // Refused before it starts (a site that is none), a load keeps the site and the drawing.
    ASSERT_EQ(control->StartLoadSiteFromDB(kept, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    control->SetModified(false);
    const std::string drawn = Describe(*control);
    const long none = Scalar(db.hstmt, "select max(SiteID) from Sites") + 1000;
    EXPECT_EQ(control->StartLoadSiteFromDB(static_cast<int>(none), DXFMODE_FOREGROUND), DISP_E_EXCEPTION);
    EXPECT_EQ(TakeErrorInfo().description, "Site not found.");
    EXPECT_EQ(control->GetLastErrorText(), "Site not found.");
    EXPECT_EQ(control->GetSiteId(), kept);
    EXPECT_EQ(Describe(*control), drawn);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    EXPECT_TRUE(control->IsIdle());
}

// Numbers keep what they are: a coordinate far below the old six decimals reads back the same, a
// pen weight of 0 that does not scale stays unscaled, and a value that is no number (which the
// database would have read as a column's name) is stored as none rather than failing the save.
// A coordinate that is no number does not get in at all.
TEST_P(SiteDbTest, NumbersComeBackAsTheyWere)
{
    CShape* fine = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, fine, {{1e-7f, -2.5e-8f}, {123456.78f, 0.1f}});
    fine->SetTag(1);
    fine->SetStateBits(CShape::stScalePenWeight, false);
    fine->SetPenWeight(0.0f);
    CShape* scaled = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, scaled, {{0.0f, 0.0f}, {1.0f, 1.0f}});
    scaled->SetTag(2);
    scaled->SetStateBits(CShape::stScalePenWeight, true);
    scaled->SetPenWeight(0.0f);
    CShape* odd = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, odd, {{0.0f, 0.0f}, {1.0f, 1.0f}});
    odd->SetTag(3);
    odd->SetLinePatternScale(std::numeric_limits<float>::infinity());
    odd->SetZOrder(std::numeric_limits<float>::quiet_NaN(), false);
    const int siteId = SaveNew(*control, "Numbers");
    ASSERT_EQ(control->GetSiteId(), siteId) << "the save went through";

    ControlRef other;
    Attach(*other);
    ASSERT_EQ(other->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    std::map<int, CShape*> byTag;
    for (CShape* shape : other->GetRootGroup()->Children())
        byTag[shape->GetTag()] = shape;
    ASSERT_EQ(byTag.size(), 3u);
    CShape* back = byTag[1];
    ASSERT_EQ(back->GetPointCount(), 2);
    EXPECT_EQ(back->GetPoints().GetAt(0)->x, 1e-7f);
    EXPECT_EQ(back->GetPoints().GetAt(0)->y, -2.5e-8f);
    EXPECT_EQ(back->GetPoints().GetAt(1)->x, 123456.78f);
    EXPECT_EQ(back->GetPoints().GetAt(1)->y, 0.1f);
    EXPECT_FALSE(back->HasState(CShape::stScalePenWeight)) << "an unscaled weight of 0 came back scaled";
    EXPECT_EQ(back->GetPenWeight(), 0.0f);
    EXPECT_TRUE(byTag[2]->HasState(CShape::stScalePenWeight));
    EXPECT_EQ(byTag[2]->GetPenWeight(), 0.0f);
    EXPECT_TRUE(std::isfinite(byTag[3]->GetLinePatternScale()));

    float x = std::numeric_limits<float>::quiet_NaN(), y = 1.0f;
    LONG point = 0;
    EXPECT_EQ(control->CreatePoint(&x, &y, &point), E_INVALIDARG);
    EXPECT_EQ(point, 0);
    LONG lineId = 0;
    const size_t shapes = control->GetShapeMap().Shapes().size();
    EXPECT_EQ(control->AddLine(control->GetRootGroup(), 0.0f, std::numeric_limits<float>::infinity(), 1.0f, 1.0f, &lineId),
              E_INVALIDARG);
    EXPECT_EQ(lineId, 0);
    EXPECT_EQ(control->GetShapeMap().Shapes().size(), shapes);
}

// One shape saved alone (IShape::SaveToDB) after another session wrote rows: it takes IDs above
// theirs (its control's counters were read before), in one transaction; a refused row leaves
// none of its rows and its IDs as they were.
TEST_P(SiteDbTest, AShapeSavedAloneTakesFreeIdsInOneTransaction)
{
    BuildDrawing(*control);
    const int siteId = SaveNew(*control, "Alone");
    ControlRef elsewhere;
    Attach(*elsewhere);
    BuildDrawing(*elsewhere);
    for (int i = 0; i < 20; ++i) {
        CShape* line = NewShape(*elsewhere, stLine, elsewhere->GetRootGroup());
        AddPoints(*elsewhere, line, {{static_cast<float>(i), 0.0f}, {static_cast<float>(i), 1.0f}});
    }
    SaveNew(*elsewhere, "Elsewhere");

    CShape* added = NewShape(*control, stPolyline, control->GetRootGroup());
    AddPoints(*control, added, {{0.0f, 0.0f}, {5.0f, 5.0f}, {10.0f, 0.0f}});
    added->SetTag(4242);
    ASSERT_EQ(control->SaveShapeToDB(added, 0), S_OK) << TakeErrorInfo().description;
    ASSERT_GT(added->GetDatabaseId(), 0);
    EXPECT_EQ(Scalar(db.hstmt, Format("select SiteID from Shapes where ShapeID = %ld", added->GetDatabaseId())), siteId);
    EXPECT_EQ(Scalar(db.hstmt, Format("select count(*) from ShapePoints where ShapeID = %ld", added->GetDatabaseId())), 3);
    ControlRef reader;
    Attach(*reader);
    ASSERT_EQ(reader->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    EXPECT_NE(reader->GetShapeMap().FindByDbId(added->GetDatabaseId()), nullptr);

    // A refused point row: none of the shape's rows stays, and it names none.
    CShape* second = NewShape(*control, stLine, control->GetRootGroup());
    AddPoints(*control, second, {{3.0f, 3.0f}, {7777.0f, 7.0f}});
    second->SetTag(4343);
    RefuseInserts("points", "X = 7777");
    MessageBoxRecorder::Clear();
    const HRESULT refused = control->SaveShapeToDB(second, 0);
    AllowInserts("points");
    EXPECT_TRUE(FAILED(refused));
    const std::string ofSecond = "select count(*) from Shapes where Tag = 4343 and SiteID = " + std::to_string(siteId);
    EXPECT_EQ(Scalar(db.hstmt, ofSecond), 0);
    EXPECT_EQ(second->GetDatabaseId(), 0);
    for (CPointRecord* p : second->GetPoints())
        EXPECT_EQ(p->GetDatabaseId(), 0);
    EXPECT_EQ(control->SaveShapeToDB(second, 0), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(Scalar(db.hstmt, ofSecond), 1);
}

INSTANTIATE_TEST_SUITE_P(Databases, SiteDbTest, testing::ValuesIn(SiteTargets()), TargetName());
