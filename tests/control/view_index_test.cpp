// What a click, a rubber band and a repaint of part of the view find in a hosted control: the
// root answers them from a grid of its children's extents, which must give the same shapes in the
// same order, and the same pixels, as a walk of every child, after each way the drawing changes.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "tests/support/TestPaths.h"
#include "control/PopupMenuHook.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/SelectionGroup.h"
#include <functional>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

class ViewIndex : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        m_previous = SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return 0; });
        PixelView(0.0f, 0.0f);
        ASSERT_EQ(control->CreateUndoManager(), S_OK);
        CGroup* root = control->GetRootGroup();
        // The left half: a lattice of short lines and boxes, a circle, a text and a plain group
        // of two lines. The right half is kept for what the operations put there.
        for (int y = -110; y <= 110; y += 30)
            for (int x = -150; x < -10; x += 30) {
                ASSERT_EQ(control->AddLine(root, float(x), float(y), x + 12.0f, y + 6.0f, nullptr), S_OK);
                ASSERT_EQ(control->AddRectangle(root, x + 2.0f, y + 20.0f, x + 14.0f, y + 12.0f, nullptr), S_OK);
            }
        ASSERT_EQ(control->AddCircle(root, -60.0f, 0.0f, 25.0f, nullptr), S_OK);
        ASSERT_EQ(control->AddText(root, L"grid", -100.0f, 50.0f, 0, 0.0f, 10.0f, 0, 0.0f, 1.0f, nullptr), S_OK);
        LONG group = 0;
        ASSERT_EQ(control->AddGroup(root, stGroup, &group), S_OK);
        auto* members = static_cast<CGroup*>(control->FindShape(group));
        ASSERT_NE(members, nullptr);
        ASSERT_EQ(control->AddLine(members, -40.0f, -60.0f, -20.0f, -40.0f, nullptr), S_OK);
        ASSERT_EQ(control->AddLine(members, -30.0f, -70.0f, -30.0f, -30.0f, nullptr), S_OK);
        // The shapes the operations take: far to the right, and a thin line just above the view
        // box (40, 40)-(100, 80) that a thick pen makes reach into it.
        ASSERT_EQ(control->AddLine(root, 130.0f, -100.0f, 150.0f, -90.0f, &m_mover), S_OK);
        ASSERT_EQ(control->AddLine(root, 20.0f, 100.0f, 140.0f, 100.0f, &m_turner), S_OK);
        ASSERT_EQ(control->AddLine(root, 130.0f, 20.0f, 150.0f, 24.0f, &m_pointOwner), S_OK);
        ASSERT_EQ(control->AddLine(root, 50.0f, 100.0f, 90.0f, 100.0f, &m_thin), S_OK);
        Repaint();
    }
    void TearDown() override
    {
        SetPopupMenuHandler(m_previous);
        HostedControl::TearDown();
    }

    POINT Device(float x, float y) { return control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y)); }
    void Send(UINT msg, WPARAM keys, POINT p) { SendMessageW(m_wnd, msg, keys, MAKELPARAM(p.x, p.y)); }
    ycom::ComPtr<IOleUndoManager> Manager()
    {
        ycom::ComPtr<IUnknown> unknown;
        ycom::ComPtr<IOleUndoManager> manager;
        if (SUCCEEDED(control->get_OleUndoManager(unknown.Put())) && unknown)
            unknown->QueryInterface(IID_IOleUndoManager, manager.PutVoid());
        return manager;
    }

    // Points and world rectangles to try: fixed ones where the operations put shapes, and a
    // lattice over what the drawing now covers.
    std::vector<CRealPoint> Points()
    {
        std::vector<CRealPoint> points = {{-150, -110}, {-144, -107}, {-60, 25},  {-35, 25},   {-30, -50},
                                          {140, -95},   {60, -45},    {80, 50},   {80, 100},   {140, 22},
                                          {60, 2},      {0, 0},       {70, 90},   {-100, 55}};
        CRealRect all;
        if (SUCCEEDED(control->GetRootGroup()->GetBoundingRect(&all.left, &all.top, &all.right, &all.bottom)))
            for (int i = 0; i <= 8; ++i)
                for (int j = 0; j <= 8; ++j)
                    points.emplace_back(all.left + (all.right - all.left) * i / 8.0f,
                                        all.bottom + (all.top - all.bottom) * j / 8.0f);
        return points;
    }
    std::vector<CRealRect> Views()
    {
        std::vector<CRealRect> views = {{40, 80, 100, 40},   {-155, 120, -100, 60}, {50, -30, 110, -60},
                                        {120, -85, 155, -105}, {70, 60, 90, 45},     {-160, 120, 160, -120}};
        CRealRect all;
        if (SUCCEEDED(control->GetRootGroup()->GetBoundingRect(&all.left, &all.top, &all.right, &all.bottom))) {
            const float mx = (all.left + all.right) / 2, my = (all.top + all.bottom) / 2;
            views.push_back({all.left, all.top, mx, my});
            views.push_back({mx, my, all.right, all.bottom});
        }
        return views;
    }

    // Every point's hits and every rectangle's selection and picture, from the root and from a
    // walk of its children, side by side.
    void Compare(const std::string& when)
    {
        CGroup* root = control->GetRootGroup();
        auto* selection = static_cast<CSelectionGroup*>(control->GetSelectionGroup());
        ASSERT_NE(selection, nullptr);
        CEditState& edit = control->GetEditState();
        const DWORD flags = control->GetControlFlags();
        const std::vector<CShape*> children = root->Children();
        for (const CRealPoint& at : Points()) {
            const POINT p = Device(at.x, at.y);
            const float px = float(p.x), py = float(p.y);
            std::vector<CShape*> indexed, walked;
            root->CollectHitShapes(px, py, indexed);
            for (CShape* child : children)
                if (child->HitTest(px, py))
                    walked.push_back(child);
            EXPECT_EQ(indexed, walked) << when << ": hits at " << at.x << ", " << at.y;
            // What a click marks, topmost first.
            edit.hitShapes.clear();
            selection->SelectAtPoint(px, py, root, true);
            indexed = edit.hitShapes;
            edit.hitShapes.clear();
            for (auto it = children.rbegin(); it != children.rend(); ++it) {
                if (!selection->SelectAtPoint(px, py, *it, true))
                    continue;
                const int type = (*it)->GetShapeType();
                if ((flags & controlSelectOnlyTopmostShape) ||
                    ((flags & controlSelectOnlyTopmostPolyline) &&
                     (type == stRectangle || type == stPolyline || type == stPolygon)))
                    break;
            }
            walked = edit.hitShapes;
            edit.hitShapes.clear();
            EXPECT_EQ(indexed, walked) << when << ": a click at " << at.x << ", " << at.y;
        }
        drawtest::Canvas drawn(m_client.right, m_client.bottom), each(m_client.right, m_client.bottom);
        for (const CRealRect& view : Views()) {
            selection->Clear(false);
            selection->SelectInRect(view, root);
            const std::vector<CShape*> banded = selection->Children();
            selection->Clear(false);
            for (CShape* child : children)
                selection->SelectInRect(view, child);
            EXPECT_EQ(banded, selection->Children()) << when << ": a rubber band over " << view.left << ", " << view.top;
            selection->Clear(false);

            const POINT a = Device(view.left, view.top), b = Device(view.right, view.bottom);
            const RECT clip = {std::max<LONG>(0, std::min(a.x, b.x)), std::max<LONG>(0, std::min(a.y, b.y)),
                               std::min<LONG>(m_client.right, std::max(a.x, b.x) + 1),
                               std::min<LONG>(m_client.bottom, std::max(a.y, b.y) + 1)};
            auto paint = [&](drawtest::Canvas& canvas, const std::function<void(CDrawContext&)>& draw) {
                canvas.Clear();
                HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
                SelectClipRgn(canvas.Dc(), region);
                CDrawContext context = drawtest::Context(canvas.Dc());
                draw(context);
                SelectClipRgn(canvas.Dc(), nullptr);
                DeleteObject(region);
            };
            paint(drawn, [&](CDrawContext& context) { root->DrawInContext(context); });
            paint(each, [&](CDrawContext& context) {
                for (CShape* child : children)
                    child->DrawInContext(context);
            });
            int differ = 0, ink = 0;
            for (LONG y = clip.top; y < clip.bottom; ++y)
                for (LONG x = clip.left; x < clip.right; ++x) {
                    differ += drawn.Pixel(x, y) != each.Pixel(x, y);
                    ink += each.Pixel(x, y) != 0xFFFFFF;
                }
            EXPECT_EQ(differ, 0) << when << ": the picture of " << view.left << ", " << view.top << " (" << ink
                                 << " pixels of ink)";
        }
    }

    LONG m_mover = 0, m_turner = 0, m_pointOwner = 0, m_thin = 0;
    PopupMenuHandler m_previous = nullptr;
};

} // namespace

// Each row changes the drawing as a user or a host does, and brings a shape to where a grid left
// as it was would not look for it (or takes one away); after each, the answers are compared.
TEST_F(ViewIndex, AnswersAsAWalkOfEveryShapeAfterEachChange)
{
    // Each row is compared before it too, so that it starts from a grid built for the drawing
    // as it was.
    const struct Row
    {
        const char* what;
        std::function<void()> change;
    } rows[] = {
        {"an addition", [&] { ASSERT_EQ(control->AddLine(control->GetRootGroup(), 55, -40, 75, -50, nullptr), S_OK); }},
        {"a move with the mouse",
         [&] {
             // The line at (130, -100)-(150, -90) follows the pointer 80 units left and 50 up.
             const POINT start = Device(140, -95), to = Device(60, -45);
             Send(WM_MOUSEMOVE, 0, start);
             ASSERT_EQ(control->EditShapeEx(m_mover, EDSH_MOVE, 0, -1), S_OK);
             Send(WM_MOUSEMOVE, 0, to);
             Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
             Send(WM_LBUTTONUP, 0, to);
             CRealRect r;
             ASSERT_EQ(control->FindShape(m_mover)->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom), S_OK);
             ASSERT_LT(r.right, 100.0f);
         }},
        {"an undo of the move", [&] { ASSERT_EQ(Manager()->UndoTo(nullptr), S_OK); }},
        {"a redo of the move", [&] { ASSERT_EQ(Manager()->RedoTo(nullptr), S_OK); }},
        {"a turn", [&] { ASSERT_EQ(control->EditShapeEx(m_turner, EDSH_ROTATE, 0, 90), S_OK); }},
        {"a point shifted",
         [&] {
             float dx = -80.0f, dy = -20.0f;
             const int point = control->FindShape(m_pointOwner)->GetPoints().GetAt(0)->GetPointId();
             ASSERT_EQ(control->ShiftPoint(point, &dx, &dy), S_OK);
         }},
        {"a thicker pen", [&] { control->FindShape(m_thin)->SetPenWeight(60.0f); }},
        {"a deletion", [&] { ASSERT_EQ(control->DeleteShapeByID(m_thin, 0, 0), S_OK); }},
        {"a load replacing the drawing",
         [&] {
             const std::string path = WinPath("YVEX_SOURCE_DIR", "tests/fixtures/dxf/drawing_r12.dxf");
             ASSERT_EQ(control->StartDxfLoad(path.c_str(), DXFMODE_QUIET | DXFMODE_FOREGROUND), S_OK);
             for (int i = 0; i < 1000 && !control->IsIdle(); ++i) {
                 hosttest::PumpMessages();
                 Sleep(5);
             }
             control->WaitForWorkers();
             hosttest::PumpMessages();
             ASSERT_GT(control->GetRootGroup()->GetShapeCount(), 5);
             ASSERT_EQ(control->FindShape(m_mover), nullptr) << "the drawing was replaced";
             ASSERT_EQ(control->ZoomAll(), S_OK);
         }},
    };
    for (const Row& row : rows) {
        Compare(std::string("before ") + row.what);
        row.change();
        Repaint();
        Compare(std::string("after ") + row.what);
    }
}
