// Views of the drawing and the site record they are measured against: the mapping of a view
// record (sizes, fit, scroll positions, limits check), the viewport list, views as DXF VPORT
// entries and as Viewports records; the site's draft limits and the drawing header's units.
#include <gtest/gtest.h>
#include "tests/support/TestPaths.h"
#include <windows.h>
#include <cmath>
#include <cstdlib>
#include <string>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/SiteRecord.h"
#include "interchange/DrawingHeader.h"
#include "model/Shape.h"
#include "control/ViewportList.h"
#include "control/ViewportRecord.h"
#include "interchange/DxfFile.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

namespace {


std::string OutputFile(const char* name)
{
    const std::string dir = WinPath("YVEX_BINARY_DIR", "tests/control/out");
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir + "\\" + name;
}

// A view of a window of the given pixel size showing the world rectangle around the centre.
void ShowView(CViewportRecord& view, SIZE pixels, float cx, float cy, float height)
{
    view.SetClientSize(pixels, true);
    view.SetCenter(cx, cy);
    view.SetHeight(height);
}

// Opens a DXF file and stops after the name group of its VPORT table.
bool OpenAtVportTable(CDxfFile& dxf, const std::string& path)
{
    if (!dxf.Open(path.c_str(), true))
        return false;
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 0 && std::string(dxf.GetText()) == "TABLE") {
            if (dxf.ReadGroup() && dxf.GetCode() == 2 && std::string(dxf.GetText()) == "VPORT")
                return true;
        }
    }
    return false;
}

// Writes groups as an ASCII DXF file: a TABLES section whose VPORT table is `entries`.
void WriteVportFile(const std::string& path, const std::vector<std::pair<int, std::string>>& entries)
{
    std::string text = "  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nVPORT\n 70\n1\n";
    for (const auto& g : entries)
        text += std::to_string(g.first) + "\n" + g.second + "\n";
    text += "  0\nENDTAB\n  0\nENDSEC\n  0\nEOF\n";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

} // namespace

TEST(ViewportRecord, SizesScaleAndFit)
{
    CControlCore control;
    CViewportRecord view(&control);
    // Before the window is known the sizes are only stored.
    view.SetHeight(50.0f);
    EXPECT_EQ(view.height, 50.0f);
    // 0 and NaN change nothing; a negative height is taken.
    view.SetClientSize(SIZE{400, 300}, true);
    const float before = view.height;
    view.SetHeight(0.0f);
    EXPECT_EQ(view.height, before);
    view.SetHeight(std::nanf(""));
    EXPECT_EQ(view.height, before);
    view.SetWidth(0.0f);
    view.SetHeight(-5.0f);
    EXPECT_EQ(view.height, -5.0f);

    // A window twice as wide as high and a square view: the height decides, the width follows.
    CViewportRecord square(&control);
    square.height = 100.0f;
    square.width = 100.0f;
    square.SetClientSize(SIZE{400, 200}, true);
    EXPECT_NEAR(square.height, 100.0f, 0.01f);
    EXPECT_NEAR(square.width, 200.0f, 0.5f);
    EXPECT_NEAR(square.zoom, square.clientSize.cy / 100.0, 1e-6);
}

TEST(ViewportRecord, ScrollPositionsWorldRectAndAssign)
{
    CControlCore control;
    CViewportRecord view(&control);
    ShowView(view, SIZE{400, 300}, 0.0f, 0.0f, 1000.0f);
    const CRealRect limits(-2000.0f, 2000.0f, 2000.0f, -2000.0f);
    // Position 0 puts the limits' left and top edges at the client's edges.
    view.SetScrollPositionX(0, limits);
    view.SetScrollPositionY(0, limits);
    const POINT corner = view.WorldToDevice(CRealPoint(-2000.0f, 2000.0f));
    EXPECT_EQ(corner.x, 0);
    EXPECT_EQ(corner.y, 0);
    // The centre follows: recomputing the origin from it changes nothing.
    const POINT origin = view.origin;
    view.RecomputeOrigin();
    EXPECT_NEAR(view.origin.x, origin.x, 1);
    EXPECT_NEAR(view.origin.y, origin.y, 1);
    const CWorldRect world = view.GetWorldRect();
    const CRealRect visible = view.GetVisibleWorldRect();
    EXPECT_NEAR(world.left, -2000.0, 1.0);
    EXPECT_NEAR(world.top, 2000.0, 1.0);
    EXPECT_NEAR(world.left, visible.left, 1e-3);
    EXPECT_NEAR(world.bottom, visible.bottom, 1e-2);

    // Assign takes the view but not the identity.
    CViewportRecord other(&control);
    other.ID = 7;
    other.databaseID = 70;
    other.name = "other";
    view.name = "source";
    other.Assign(view);
    EXPECT_EQ(other.ID, 7);
    EXPECT_EQ(other.databaseID, 70);
    EXPECT_EQ(other.name, "source");
    EXPECT_EQ(other.center.x, view.center.x);
    EXPECT_NEAR(other.width, view.width, 0.01f);
    CViewportRecord copy(view);
    EXPECT_EQ(copy.ID, 0);
    EXPECT_EQ(copy.name, "source");
}

// Where a rectangle stands against draft limits of +-2000.
// Device pixels to world coordinates in place: the top-left pixel is the origin taken back by the
// scale and zoom, y turned upwards; a rectangle converts both corners, a null pointer is skipped.
TEST(ViewportRecord, DeviceToWorldInPlace)
{
    CControlCore control;
    CViewportRecord view(&control);
    ShowView(view, SIZE{400, 300}, 120.0f, -40.0f, 500.0f);
    const double factor = static_cast<double>(view.scale) * view.zoom;
    float x = 0.0f, y = 0.0f;
    view.DeviceToWorld(&x, &y);
    EXPECT_NEAR(x, -view.origin.x / factor, 1e-3);
    EXPECT_NEAR(y, -view.origin.y / factor, 1e-3);
    // The middle of the client area is the view's centre.
    float cx = 200.0f, cy = 150.0f;
    view.DeviceToWorld(&cx, &cy);
    EXPECT_NEAR(cx, 120.0f, 2.0f);
    EXPECT_NEAR(cy, -40.0f, 2.0f);
    float only = 0.0f;
    view.DeviceToWorld(&only, nullptr);
    EXPECT_NEAR(only, x, 1e-3);
    CRealRect rect(0.0f, 0.0f, 400.0f, 300.0f);
    view.DeviceToWorldRect(&rect);
    EXPECT_NEAR(rect.left, x, 1e-3);
    EXPECT_NEAR(rect.top, y, 1e-3);
    EXPECT_NEAR(rect.right - rect.left, view.width, 1.0f);
    EXPECT_NEAR(rect.top - rect.bottom, view.height, 1.0f);
    view.DeviceToWorldRect(nullptr);
}

TEST(ViewportRecord, CheckZoomRectAgainstTheLimits)
{
    const CRealRect limits(-2000.0f, 2000.0f, 2000.0f, -2000.0f);
    const struct {
        CWorldRect rect;
        int expected;
    } cases[] = {
        {{-2000, 2000, 2000, -2000}, 0},          // the limits themselves
        {{-15000, 15000, 15000, -15000}, 0},      // within ten times around the lower-left corner
        {{0, 0.001, 0.001, 0}, 3},                // below a millionth of the limits
        {{0, 100, 0.002, 0}, 3},                  // one side too small is enough
        {{-50000, 50000, 50000, -50000}, 2},      // more than ten times in both directions
        {{-50000, 100, 50000, 0}, 1},             // too wide only, and outside
        {{100000, 100010, 100010, 100000}, 1},    // far away
    };
    for (const auto& c : cases)
        EXPECT_EQ(CViewportRecord::CheckZoomRect(c.rect, limits), c.expected)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    // A limit extent of 0 counts as 2000.
    EXPECT_EQ(CViewportRecord::CheckZoomRect(CWorldRect{0, 100, 100, 0}, CRealRect()), 0);
    EXPECT_EQ(CViewportRecord::CheckZoomRect(CWorldRect{0, 0.001, 0.001, 0}, CRealRect()), 3);

    // The view's own rectangle through the control's site record.
    CControlCore control;
    ShowView(control.GetCurrentViewport(), SIZE{400, 300}, 0.0f, 0.0f, 3000.0f);
    const CWorldRect r = control.GetCurrentViewport().GetWorldRect();
    EXPECT_EQ(control.GetCurrentViewport().IsViewInLimits(), 0) << r.left << " " << r.top << " " << r.right << " " << r.bottom;
}

TEST(ViewportList, CurrentViewFirstNamedViewsOwned)
{
    CControlCore control;
    CViewportList& list = control.GetViewportList();
    CViewportRecord& current = control.GetCurrentViewport();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0), &current);
    EXPECT_EQ(list.FindByID(1), &current);

    // A stored view numbered like the current one gets an ID of its own.
    auto* stored = new CViewportRecord(&control);
    stored->ID = 1;
    stored->name = "DEFAULT";
    list.Add(stored);
    EXPECT_EQ(stored->ID, 2);
    EXPECT_EQ(list.FindByID(1), &current);
    auto* unnamed = new CViewportRecord(&control);
    unnamed->name = "";
    list.Add(unnamed);
    EXPECT_EQ(list.FindByName("DEFAULT"), stored);
    EXPECT_EQ(list.FindByName(nullptr), unnamed);
    EXPECT_EQ(list.FindByName(""), unnamed);
    EXPECT_EQ(list.FindByName("none"), nullptr);

    // The current view is the control's: the list never deletes it.
    EXPECT_EQ(list.DeleteByID(1), 0);
    EXPECT_EQ(list.DeleteAt(0), 0);
    EXPECT_EQ(list.DeleteByID(unnamed->ID), 1);
    EXPECT_EQ(list.DeleteByID(99), 0);
    list.DeleteAll(false);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0), &current);

    // Zoom previous: what was remembered comes back, and the view before it is remembered.
    ShowView(current, SIZE{400, 300}, 0.0f, 0.0f, 100.0f);
    EXPECT_FALSE(list.RestorePreviousView(current)) << "nothing remembered";
    EXPECT_TRUE(list.RememberView(current, 5));
    EXPECT_FALSE(list.RememberView(current, 0)) << "the same rectangle";
    const CWorldRect first = current.GetWorldRect();
    current.ZoomToRect(500, 600, 700, 400, 1.0);
    EXPECT_FALSE(list.RememberView(current, 5)) << "the same tag";
    EXPECT_TRUE(list.RestorePreviousView(current));
    const CWorldRect back = current.GetWorldRect();
    EXPECT_NEAR(back.left, first.left, 0.5);
    EXPECT_NEAR(back.top, first.top, 0.5);
    // The view before the restore was remembered in turn.
    EXPECT_TRUE(list.RestorePreviousView(current));
    EXPECT_NEAR(current.center.x, 600.0f, 0.5f);
    EXPECT_NEAR(current.center.y, 500.0f, 0.5f);
}

// The VPORT table written and read again: the active view sets the current view and adds
// nothing; a named view comes back with its centre, however far its target lies.
TEST(ViewportDxf, TableRoundTrip)
{
    const std::string path = OutputFile("views.dxf");
    {
        CControlCore control;
        ShowView(control.GetCurrentViewport(), SIZE{400, 300}, 30.0f, 40.0f, 200.0f);
        auto* named = new CViewportRecord(&control);
        named->name = "PLAN";
        named->center = CRealPoint(110.0f, -20.0f);
        named->height = 50.0f;
        named->width = 75.0f;
        named->target[0] = 15.0f;
        named->target[1] = -5.0f;
        control.GetViewportList().Add(named);
        control.GetCurrentDrawingSetting()->GridXSpace = 25.0f;
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(path.c_str(), false));
        ASSERT_TRUE(dxf.WriteStringGroup(0, "SECTION") && dxf.WriteStringGroup(2, "TABLES") &&
                    dxf.WriteStringGroup(0, "TABLE") && dxf.WriteStringGroup(2, "VPORT") && dxf.WriteIntGroup(70, 2));
        ASSERT_TRUE(control.GetViewportList().WriteDxfTable(dxf));
        ASSERT_TRUE(dxf.WriteStringGroup(0, "ENDTAB") && dxf.WriteStringGroup(0, "ENDSEC") && dxf.WriteStringGroup(0, "EOF"));
        EXPECT_EQ(control.GetCurrentViewport().name, "CURRENT") << "written as *ACTIVE, kept its name";
        dxf.Close();
    }
    CControlCore control;
    control.GetCurrentViewport().SetClientSize(SIZE{400, 300}, true);
    CDxfFile dxf;
    ASSERT_TRUE(OpenAtVportTable(dxf, path));
    const int settingsBefore = control.GetDrawingSettingMap().GetCount();
    ASSERT_TRUE(control.GetViewportList().ReadDxfTable(dxf));
    CViewportList& list = control.GetViewportList();
    ASSERT_EQ(list.GetCount(), 2) << "the active view adds nothing";
    const CViewportRecord& current = control.GetCurrentViewport();
    EXPECT_EQ(current.name, "CURRENT");
    EXPECT_FLOAT_EQ(current.center.x, 30.0f);
    EXPECT_FLOAT_EQ(current.center.y, 40.0f);
    EXPECT_NEAR(current.height, 200.0f, 0.01f);
    EXPECT_GT(current.clientSize.cy, 0) << "still shown in the window it was";
    const POINT middle = current.WorldToDevice(current.center);
    EXPECT_NEAR(middle.x, 200, 1) << "the centre in the middle of the window";
    EXPECT_NEAR(middle.y, 150, 1);
    EXPECT_EQ(control.GetCurrentDrawingSetting()->GridXSpace, 25.0f) << "setting 1 took the active view's grid";
    CViewportRecord* plan = list.FindByName("PLAN");
    ASSERT_NE(plan, nullptr);
    EXPECT_FLOAT_EQ(plan->center.x, 110.0f);
    EXPECT_FLOAT_EQ(plan->center.y, -20.0f);
    EXPECT_FLOAT_EQ(plan->height, 50.0f);
    EXPECT_NEAR(plan->width, 75.0f, 1e-3);
    EXPECT_FLOAT_EQ(plan->target[0], 15.0f);
    ASSERT_NE(plan->drawingSetting, nullptr) << "the named view carries its grid and snap";
    EXPECT_EQ(plan->drawingSetting->GridXSpace, 25.0f);
    EXPECT_EQ(control.GetDrawingSettingMap().GetCount(), settingsBefore + 1) << "only the named view's setting stays";
}

// Entries written by another program: the group order is free (the aspect before the height),
// and a table with only the active view changes the current view alone.
TEST(ViewportDxf, ForeignEntries)
{
    const std::string path = OutputFile("active_only.dxf");
    WriteVportFile(path, {{0, "VPORT"}, {2, "*ACTIVE"}, {70, "0"}, {12, "5.0"}, {22, "6.0"},
                          {41, "2.0"}, {40, "10.0"}, {999, "a comment"}});
    CControlCore control;
    CDxfFile dxf;
    ASSERT_TRUE(OpenAtVportTable(dxf, path));
    ASSERT_TRUE(control.GetViewportList().ReadDxfTable(dxf));
    EXPECT_EQ(control.GetViewportList().GetCount(), 1);
    const CViewportRecord& current = control.GetCurrentViewport();
    EXPECT_FLOAT_EQ(current.center.x, 5.0f);
    EXPECT_FLOAT_EQ(current.height, 10.0f);
    EXPECT_FLOAT_EQ(current.width, 20.0f) << "the aspect read before the height still gives the width";
    // The table goes on after the viewport list: the next group is the section's end.
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_STREQ(dxf.GetText(), "ENDSEC");

    // A table whose first entry is not a VPORT is left alone.
    const std::string other = OutputFile("not_vport.dxf");
    WriteVportFile(other, {{0, "LAYER"}, {2, "0"}});
    CDxfFile second;
    ASSERT_TRUE(OpenAtVportTable(second, other));
    ASSERT_TRUE(control.GetViewportList().ReadDxfTable(second));
    ASSERT_TRUE(second.ReadGroup());
    EXPECT_STREQ(second.GetText(), "LAYER");
}

// The VPORT table of a drawing that ezdxf wrote (its active view is "*Active").
TEST(ViewportDxf, ReadsTheTableOfAnotherWriter)
{
    CControlCore control;
    CDxfFile dxf;
    ASSERT_TRUE(OpenAtVportTable(dxf, WinPath("YVEX_SOURCE_DIR", "tests/fixtures/dxf/views_r2000.dxf")));
    ASSERT_TRUE(control.GetViewportList().ReadDxfTable(dxf));
    ASSERT_EQ(control.GetViewportList().GetCount(), 2);
    const CViewportRecord& current = control.GetCurrentViewport();
    EXPECT_FLOAT_EQ(current.center.x, 100.0f);
    EXPECT_FLOAT_EQ(current.center.y, 50.0f);
    EXPECT_FLOAT_EQ(current.height, 80.0f);
    const CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting();
    EXPECT_EQ(setting->GridXSpace, 20.0f);
    EXPECT_EQ(setting->GridYSpace, 25.0f);
    EXPECT_EQ(setting->SnapXSpace, 4.0f);
    EXPECT_EQ(setting->SnapBaseY, 2.0f);
    EXPECT_EQ(setting->SnapToGrid, 1);
    EXPECT_EQ(setting->ShowGrid, 0);
    EXPECT_STREQ(setting->GetName(), "CURRENT");
    const CViewportRecord* detail = control.GetViewportList().FindByName("DETAIL");
    ASSERT_NE(detail, nullptr);
    // The centre is stored relative to the target (1, 2).
    EXPECT_FLOAT_EQ(detail->center.x, 11.0f);
    EXPECT_FLOAT_EQ(detail->center.y, 22.0f);
    EXPECT_FLOAT_EQ(detail->height, 30.0f);
    EXPECT_FLOAT_EQ(detail->width, 60.0f);
}

// Views as Viewports records: all of them out, and back into another drawing by name (the
// current view "CURRENT" included) or as new views.
TEST(ViewportTables, RecordsRoundTrip)
{
    CDataTableSet tables(1);
    {
        CControlCore control;
        ShowView(control.GetCurrentViewport(), SIZE{400, 300}, 1.0f, 2.0f, 60.0f);
        auto* named = new CViewportRecord(&control);
        named->name = "SIDE";
        named->center = CRealPoint(7.0f, 8.0f);
        named->height = 9.0f;
        named->width = 10.0f;
        named->databaseID = 33;
        control.GetViewportList().Add(named);
        ASSERT_EQ(control.GetViewportList().ExchangeTables(&tables, 0, 0), S_OK);
        ASSERT_EQ(tables.Viewports()->GetCount(), 2u);
        for (const auto& r : tables.Viewports()->GetRecords()) {
            EXPECT_EQ(r.second.siteID, 0);
            EXPECT_EQ(r.second.DatabaseID, 0) << "database IDs travel only when identifiers are kept";
        }
        // A key already used in the set is refused.
        EXPECT_EQ(control.GetViewportList().ExchangeTables(&tables, DXFMODE_USE_YVEX_IDENTIFIERS, 0), E_ACCESSDENIED);
    }
    CControlCore control;
    control.GetCurrentViewport().SetClientSize(SIZE{400, 300}, true);
    ASSERT_EQ(control.GetViewportList().ExchangeTables(&tables, DXFMODE_LOAD, 0), S_OK);
    CViewportList& list = control.GetViewportList();
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_FLOAT_EQ(control.GetCurrentViewport().center.x, 1.0f) << "found by its name";
    const CViewportRecord* side = list.FindByName("SIDE");
    ASSERT_NE(side, nullptr);
    EXPECT_FLOAT_EQ(side->center.y, 8.0f);
    EXPECT_FLOAT_EQ(side->height, 9.0f);
    EXPECT_FLOAT_EQ(side->width, 10.0f);
    // Loading the same set again finds the views through the set's ID mapping: nothing is added.
    ASSERT_EQ(list.ExchangeTables(&tables, DXFMODE_LOAD, 0), S_OK);
    EXPECT_EQ(list.GetCount(), 2);
    // One record by its key; a missing key is refused.
    EXPECT_EQ(list.ExchangeTables(&tables, DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 999), E_ACCESSDENIED);
    CDataTableSet empty(0);
    EXPECT_EQ(list.ExchangeTables(&empty, 0, 0), S_FALSE);
}

// The site record: limits at +-2000 to start with, growing only where a point or a shape lies
// strictly outside; and the header's choice of units among the available ones.
TEST(SiteRecord, DraftLimitsGrowOutwardOnly)
{
    CControlCore control;
    CSiteRecord& site = control.GetSiteRecord();
    const CRealRect start = site.GetDraftLimits();
    EXPECT_EQ(start.left, -2000.0f);
    EXPECT_EQ(start.top, 2000.0f);
    EXPECT_EQ(start.right, 2000.0f);
    EXPECT_EQ(start.bottom, -2000.0f);
    EXPECT_EQ(site.GetGridLimits().bottom, -2000.0f);
    EXPECT_EQ(site.GetImageScale(), 1.0f);

    const int inside = control.CreatePoint(10.0f, 20.0f);
    EXPECT_FALSE(site.GrowDraftLimits(inside, true));
    const int left = control.CreatePoint(-2500.0f, 0.0f);
    EXPECT_TRUE(site.GrowDraftLimits(left, true));
    CRealRect grown = site.GetDraftLimits();
    EXPECT_EQ(grown.left, -2500.0f);
    EXPECT_EQ(grown.top, 2000.0f);
    EXPECT_EQ(grown.right, 2000.0f);
    EXPECT_EQ(grown.bottom, -2000.0f);
    EXPECT_FALSE(site.GrowDraftLimits(99999, true)) << "no such point";
    EXPECT_FALSE(site.GrowDraftLimits(99999, false)) << "no such shape";

    // A shape takes its bounding rectangle in.
    CShape* shape = control.GetShapeMap().CreateShape(stPolyline, true, true);
    shape->SetPointCoords(3, 0.0f, 3000.0f, 0);
    shape->SetPointCoords(3, 2100.0f, -10.0f, 1);
    EXPECT_TRUE(site.GrowDraftLimits(shape->GetId(), false));
    grown = site.GetDraftLimits();
    EXPECT_EQ(grown.top, 3000.0f);
    EXPECT_EQ(grown.right, 2100.0f);
    EXPECT_EQ(grown.bottom, -2000.0f);
    site.ResetDraftLimits();
    EXPECT_EQ(site.GetDraftLimits().left, -2000.0f);

    // A copy has no name; an assignment keeps the name it had.
    site.SetName("Plant");
    site.SetScenarioId(4);
    CSiteRecord copy(site);
    EXPECT_EQ(copy.GetName(), "");
    EXPECT_EQ(copy.GetScenarioId(), 0);
    CSiteRecord assigned;
    assigned.SetName("Kept");
    assigned = site;
    EXPECT_EQ(assigned.GetName(), "Kept");
    EXPECT_EQ(assigned.GetDraftLimits().left, -2000.0f);
}

TEST(DrawingHeader, UnitsAmongTheAvailableOnes)
{
    CDrawingHeader header;
    EXPECT_EQ(header.GetUnitId(), 4) << "millimetres";
    EXPECT_EQ(header.versionText, "AC1009");
    header.SetUnitId(2);
    EXPECT_EQ(header.GetUnitId(), 2) << "no set of available units: any unit";
    header.availableUnits = {4, 6};
    EXPECT_EQ(header.GetUnitId(), 6) << "feet is not available: meters";
    header.SetUnitId(2);
    EXPECT_EQ(header.unit, 6);
    header.availableUnits = {1, 4};
    EXPECT_EQ(header.ChooseAvailableUnit(3), 1) << "inches first";
    header.availableUnits = {9};
    EXPECT_EQ(header.ChooseAvailableUnit(3), 0);
    header.SetVersionByName("AC1012");
    EXPECT_EQ(header.versionIndex, 2);
    header.SetVersionByName("AC1018");
    EXPECT_EQ(header.versionIndex, 0);
    // A copy starts without available units, ortho mode and pen-weight scaling.
    header.orthoMode = 1;
    header.SetVersionByName("AC1012");
    CDrawingHeader copy(header);
    EXPECT_TRUE(copy.availableUnits.empty());
    EXPECT_EQ(copy.orthoMode, 0);
    EXPECT_EQ(copy.versionText, "AC1012");
}
