// Interactive edits of a hosted control as a host starts and ends them (EditShapeEx, EndDraw) and
// as the user finishes them with the mouse: what they do to the shapes, the events in order, the
// undo kinds they record and the exact state a cancel leaves; and what a click, a rubber band and
// a repaint of part of the view find after each kind of edit.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "tests/support/TestPaths.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "model/TextEditorDialog.h"
#include "persistence/DrawingSettingRecord.h"
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// Event IDs of _IYVEXControlEvents.
enum : DISPID {
    kShiftShape = 10,
    kChangeSelection = 12,
    kBeginEditShape = 17,
    kEndEditShape = 18,
    kCancel = 24,
    kControlReady = 59,
};

// A sink that answers OnShiftShape with a displacement of its own in x.
class ShiftAnswerSink : public hosttest::EventSink
{
public:
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* e,
                        UINT* arg) override
    {
        const HRESULT hr = EventSink::Invoke(id, iid, lcid, flags, p, result, e, arg);
        // OnShiftShape(ID, pdx, pdy, bProceed): the arguments come last first.
        if (id == kShiftShape && p->cArgs == 4 && p->rgvarg[2].vt == (VT_R4 | VT_BYREF))
            *p->rgvarg[2].pfltVal = dx;
        return hr;
    }
    float dx = 0.0f;
};

std::vector<CRealPoint> PointsOf(CShape* shape)
{
    std::vector<CRealPoint> points;
    for (CPointRecord* p : shape->GetPoints())
        points.push_back(*p);
    return points;
}

std::vector<int> PointIdsOf(CShape* shape)
{
    std::vector<int> ids;
    for (CPointRecord* p : shape->GetPoints())
        ids.push_back(p->GetPointId());
    return ids;
}

CRealRect Bounds(CShape* shape)
{
    CRealRect r;
    EXPECT_EQ(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom), S_OK);
    return r;
}

// The events of the listed kinds, in order.
std::vector<DISPID> Only(const EventSink& sink, std::initializer_list<DISPID> kinds)
{
    std::vector<DISPID> ids;
    for (const auto& call : sink.calls)
        if (std::find(kinds.begin(), kinds.end(), call.id) != kinds.end())
            ids.push_back(call.id);
    return ids;
}

class Editing : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        m_previous = SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return 0; });
        PixelView(0.0f, 0.0f);
        ASSERT_EQ(control->CreateUndoManager(), S_OK);
        ASSERT_EQ(control->AddRectangle(control->GetRootGroup(), 0.0f, 4.0f, 10.0f, 0.0f, &m_rect), S_OK);
    }
    void TearDown() override
    {
        SetPopupMenuHandler(m_previous);
        HostedControl::TearDown();
    }
    // A closed polygon with points at the places given.
    CPolyline* Polygon(std::initializer_list<CRealPoint> points)
    {
        auto* shape = static_cast<CPolyline*>(control->GetShapeMap().CreateShape(stPolygon, true, true));
        int index = 0;
        for (const CRealPoint& p : points)
            shape->SetPointCoords(3, p.x, p.y, index++);
        shape->SetFlags(shape->GetFlags() | pfClosed);
        control->GetRootGroup()->AddChild(shape, nullptr, 1, false);
        return shape;
    }
    POINT Device(float x, float y) { return control->GetCurrentViewport().WorldToDevice(CRealPoint(x, y)); }
    void Send(UINT msg, WPARAM keys, POINT p) { SendMessageW(m_wnd, msg, keys, MAKELPARAM(p.x, p.y)); }
    int LastOperation()
    {
        YVEXOperation op = opChange;
        EXPECT_EQ(control->get_LastOperation(&op), S_OK);
        return op;
    }
    ycom::ComPtr<IOleUndoManager> Manager()
    {
        ycom::ComPtr<IUnknown> unknown;
        ycom::ComPtr<IOleUndoManager> manager;
        if (SUCCEEDED(control->get_OleUndoManager(unknown.Put())) && unknown)
            unknown->QueryInterface(IID_IOleUndoManager, manager.PutVoid());
        return manager;
    }
    int UndoableCount()
    {
        ycom::ComPtr<IOleUndoManager> manager = Manager();
        ycom::ComPtr<IEnumOleUndoUnits> units;
        if (!manager || FAILED(manager->EnumUndoable(units.Put())) || !units)
            return -1;
        int count = 0;
        IOleUndoUnit* unit = nullptr;
        while (units->Next(1, &unit, nullptr) == S_OK) {
            unit->Release();
            ++count;
        }
        return count;
    }
    HRESULT Undo()
    {
        ycom::ComPtr<IOleUndoManager> manager = Manager();
        return manager ? manager->UndoTo(nullptr) : E_FAIL;
    }
    VARIANT_BOOL EndDraw(bool commit)
    {
        VARIANT_BOOL result = VARIANT_FALSE;
        EXPECT_EQ(control->EndDraw(commit ? VARIANT_TRUE : VARIANT_FALSE, &result), S_OK);
        return result;
    }
    CShape* Rect() { return control->FindShape(m_rect); }
    // A polyline from (0, 20) to (10, 20) taking new points, one put down at (10, 30) by a click:
    // a fourth point follows the pointer.
    CShape* PolylineWithPointPutDown()
    {
        LONG id = 0;
        EXPECT_EQ(control->AddPolyline(control->GetRootGroup(), 0.0f, 20.0f, 10.0f, 20.0f, &id), S_OK);
        EXPECT_EQ(control->EditShapeEx(id, EDSH_NEWPOINT, 0, 2), S_OK);
        const POINT at = Device(10.0f, 30.0f);
        Send(WM_MOUSEMOVE, 0, at);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, at);
        Send(WM_LBUTTONUP, 0, at);
        return control->FindShape(id);
    }

    LONG m_rect = 0;
    PopupMenuHandler m_previous = nullptr;
};

// A hosted control with a drawing on the left half of its view and the shapes that the operations
// of the test below take on the right.
class ViewIndex : public Editing
{
protected:
    void SetUp() override
    {
        Editing::SetUp();
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
        // Labels with leaders, drawn in the overlay pass: one of the group (to its nearer side) and
        // one of the drawing itself (to the nearest point of its extent, wherever that lies).
        const struct {
            CGroup* parent;
            const wchar_t* text;
            float x, y;
        } labels[] = {{members, L"pair", -45.0f, -95.0f}, {root, L"whole", -135.0f, -125.0f}};
        for (const auto& l : labels) {
            LONG id = 0;
            ASSERT_EQ(control->AddText(l.parent, l.text, l.x, l.y, 0, 0.0f, 6.0f, 0, 0.0f, 1.0f, &id), S_OK);
            auto* label = static_cast<CText*>(control->FindShape(id));
            ASSERT_NE(label, nullptr);
            label->SetType(ttLabel);
            label->SetProtectionFlagsMasked(0x80000, sdbfLabelLeader);
            ASSERT_TRUE(label->HasLeader());
        }
        // The shapes the operations take: far to the right, and a thin line just above the view
        // box (40, 40)-(100, 80) that a thick pen makes reach into it.
        ASSERT_EQ(control->AddLine(root, 130.0f, -100.0f, 150.0f, -90.0f, &m_mover), S_OK);
        ASSERT_EQ(control->AddLine(root, 20.0f, 100.0f, 140.0f, 100.0f, &m_turner), S_OK);
        ASSERT_EQ(control->AddLine(root, 130.0f, 20.0f, 150.0f, 24.0f, &m_pointOwner), S_OK);
        ASSERT_EQ(control->AddLine(root, 50.0f, 100.0f, 90.0f, 100.0f, &m_thin), S_OK);
        // A block of a line and a circle, shown by two references: one low in the middle with an
        // attribute text well to its right, one on the right that the operations move.
        LONG block = 0;
        ASSERT_EQ(control->AddGroup(control->GetLibraryGroup(), stGroup, &block), S_OK);
        m_block = block;
        auto* members2 = static_cast<CGroup*>(control->FindShape(block));
        ASSERT_NE(members2, nullptr);
        members2->SetName(L"Post");
        ASSERT_EQ(control->AddLine(members2, 0.0f, 0.0f, 10.0f, 5.0f, nullptr), S_OK);
        ASSERT_EQ(control->AddCircle(members2, 5.0f, 0.0f, 4.0f, nullptr), S_OK);
        ASSERT_EQ(control->AddReference(root->GetId(), block, &m_tagged, false, 20.0f, -100.0f), S_OK);
        ASSERT_EQ(control->AddReference(root->GetId(), block, &m_posted, false, 110.0f, 60.0f), S_OK);
        auto* tagged = static_cast<CGroup*>(control->FindShape(m_tagged));
        ASSERT_NE(tagged, nullptr);
        LONG tag = 0;
        ASSERT_EQ(control->AddText(tagged, L"tag", 60.0f, -115.0f, 0, 0.0f, 6.0f, 0, 0.0f, 1.0f, &tag), S_OK);
        static_cast<CText*>(control->FindShape(tag))->SetType(ttAttrib);
        ASSERT_TRUE(control->FindShape(tag)->IsAttributeOrLabel());
        Repaint();
    }
    // Points and world rectangles to try: fixed ones where the operations put shapes, and a
    // lattice over what the drawing now covers.
    std::vector<CRealPoint> Points()
    {
        std::vector<CRealPoint> points = {{-150, -110}, {-144, -107}, {-60, 25},  {-35, 25},   {-30, -50},
                                          {140, -95},   {60, -45},    {80, 50},   {80, 100},   {140, 22},
                                          {60, 2},      {0, 0},       {70, 90},   {-100, 55},  {25, -98},
                                          {62, -113},   {115, 60},    {55, 52}};
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
                                        {120, -85, 155, -105}, {70, 60, 90, 45},     {-160, 120, 160, -120},
                                        {15, -90, 45, -108},  {15, -90, 70, -120},  {105, 70, 125, 50}};
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
        // The root's extent, kept between changes, against the union of its visible children's,
        // without and with the attributes of references.
        for (DWORD extentFlags : {0u, 1u}) {
            CRealRect walked, kept;
            bool any = false;
            for (CShape* child : children) {
                CRealRect c;
                if (child->HasState(CShape::stNoExtents) || !child->IsVisible() ||
                    FAILED(child->GetBoundingRectEx(&c.left, &c.top, &c.right, &c.bottom, nullptr, extentFlags)))
                    continue;
                walked = any ? CRealRect(std::min(walked.left, c.left), std::max(walked.top, c.top),
                                         std::max(walked.right, c.right), std::min(walked.bottom, c.bottom))
                             : c;
                any = true;
            }
            ASSERT_TRUE(any) << when;
            ASSERT_EQ(root->GetBoundingRectEx(&kept.left, &kept.top, &kept.right, &kept.bottom, nullptr, extentFlags), S_OK)
                << when;
            EXPECT_EQ(kept.left, walked.left) << when << ": the drawing's extent, flags " << extentFlags;
            EXPECT_EQ(kept.top, walked.top) << when << ": the drawing's extent, flags " << extentFlags;
            EXPECT_EQ(kept.right, walked.right) << when << ": the drawing's extent, flags " << extentFlags;
            EXPECT_EQ(kept.bottom, walked.bottom) << when << ": the drawing's extent, flags " << extentFlags;
        }
        // The root draws its overlays (the labels' leaders) while it is the active group.
        ASSERT_EQ(control->GetActiveGroupID(), root->GetId()) << when;
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
            // As the window paints too: each shape's size checked, tiny ones drawn simplified
            // (the root takes the children's extents from its grid then). The root's own check
            // is left out there: in a view far out the whole drawing is one tiny figure.
            for (bool sizeCheck : {false, true}) {
                paint(drawn, [&](CDrawContext& context) {
                    context.sizeCheck = sizeCheck;
                    if (sizeCheck)
                        root->Draw(context);
                    else
                        root->DrawInContext(context);
                    root->DrawOverlay(context);
                });
                paint(each, [&](CDrawContext& context) {
                    context.sizeCheck = sizeCheck;
                    for (CShape* child : children)
                        child->DrawInContext(context);
                    for (CShape* child : children)
                        child->DrawOverlay(context);
                });
                int differ = 0, ink = 0;
                for (LONG y = clip.top; y < clip.bottom; ++y)
                    for (LONG x = clip.left; x < clip.right; ++x) {
                        differ += drawn.Pixel(x, y) != each.Pixel(x, y);
                        ink += each.Pixel(x, y) != 0xFFFFFF;
                    }
                EXPECT_EQ(differ, 0) << when << ": the picture of " << view.left << ", " << view.top << " (" << ink
                                     << " pixels of ink, size check " << sizeCheck << ")";
            }
        }
    }

    LONG m_mover = 0, m_turner = 0, m_pointOwner = 0, m_thin = 0;
    LONG m_block = 0, m_tagged = 0, m_posted = 0;
};

} // namespace

// The immediate types run to their end at once, fire no OnBeginEditShape, and record the undo
// kind of their type; undoing one puts the shape back.
TEST_F(Editing, ImmediateEditsAndTheirUndoKinds)
{
    const auto before = PointsOf(Rect());
    {
        EventSink sink;
        Connection connection(control->GetControllingUnknown(), &sink);
        // Turned by 90 degrees about its middle (5, 2), the 10 x 4 rectangle stands 4 x 10.
        ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_ROTATE, 0, 90), S_OK);
        const CRealRect r = Bounds(Rect());
        EXPECT_NEAR(r.left, 3.0f, 1e-4f);
        EXPECT_NEAR(r.right, 7.0f, 1e-4f);
        EXPECT_NEAR(r.bottom, -3.0f, 1e-4f);
        EXPECT_NEAR(r.top, 7.0f, 1e-4f);
        EXPECT_EQ(control->GetControlState(), 0u) << "nothing runs on";
        EXPECT_EQ(LastOperation(), opRotate);
        EXPECT_EQ(Only(sink, {kBeginEditShape, kEndEditShape, kChangeSelection, kControlReady}),
                  std::vector<DISPID>({kEndEditShape, kChangeSelection, kControlReady}));
        EXPECT_EQ(sink.calls.back().ints, std::vector<LONG>({0})) << "OnControlReady(0)";
    }
    ASSERT_EQ(Undo(), S_OK);
    const auto undone = PointsOf(Rect());
    ASSERT_EQ(undone.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_NEAR(undone[i].x, before[i].x, 1e-4f);
        EXPECT_NEAR(undone[i].y, before[i].y, 1e-4f);
    }

    // Flipped upside down about its middle height, a triangle's apex goes from the top to the bottom.
    CPolyline* triangle = Polygon({{0, 0}, {10, 0}, {0, 4}});
    ASSERT_EQ(control->EditShapeEx(triangle->GetId(), EDSH_FLIP_SHAPE, 0, sfdUpsideDown), S_OK);
    const std::vector<CRealPoint> expected = {{0, 4}, {10, 4}, {0, 0}};
    const auto flipped = PointsOf(triangle);
    ASSERT_EQ(flipped.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(flipped[i].x, expected[i].x, 1e-5f) << i;
        EXPECT_NEAR(flipped[i].y, expected[i].y, 1e-5f) << i;
    }
    EXPECT_EQ(LastOperation(), opScale);
}

// A host and the user finish a move: the host hears the displacement first and may change it, and
// the commit goes on in the order OnShiftShape, OnEndEditShape, OnChangeSelection, OnControlReady.
TEST_F(Editing, MoveCommitsWithTheHostsDisplacement)
{
    ShiftAnswerSink sink;
    sink.dx = 7.0f;
    Connection connection(control->GetControllingUnknown(), &sink);
    const POINT start = Device(2.0f, 2.0f);
    Send(WM_MOUSEMOVE, 0, start);
    // Anchored at the pointer, the shape follows it until the next press.
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_MOVE, 0, -1), S_OK);
    EXPECT_EQ(control->GetControlState(), static_cast<DWORD>(csUserEdit));
    const POINT to = {start.x + 5, start.y};
    Send(WM_MOUSEMOVE, 0, to);
    const float moved = Bounds(Rect()).left;
    EXPECT_NEAR(moved, 5.0f, 0.01f) << "5 pixels are 5 units";
    Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
    Send(WM_LBUTTONUP, 0, to);
    EXPECT_EQ(control->GetControlState(), 0u);
    EXPECT_EQ(Only(sink, {kShiftShape, kEndEditShape, kChangeSelection, kControlReady}),
              std::vector<DISPID>({kShiftShape, kEndEditShape, kChangeSelection, kControlReady}));
    const auto shift = std::find_if(sink.calls.begin(), sink.calls.end(), [](const auto& c) { return c.id == kShiftShape; });
    ASSERT_NE(shift, sink.calls.end());
    EXPECT_EQ(shift->ints[0], m_rect);
    EXPECT_NEAR(shift->floats[0], moved, 1e-4f) << "the displacement offered";
    EXPECT_NEAR(shift->floats[1], 0.0f, 1e-4f);
    const CRealRect r = Bounds(Rect());
    EXPECT_NEAR(r.left, 7.0f, 1e-4f) << "the host's displacement stands";
    EXPECT_NEAR(r.bottom, 0.0f, 1e-4f);
    EXPECT_EQ(LastOperation(), opMove);
    ASSERT_EQ(control->GetSelectionGroup()->GetShapeCount(), 1);
    EXPECT_EQ(control->GetSelectionGroup()->GetChildAt(0), Rect()) << "the moved shape is selected";
    EXPECT_EQ(control->IsDirty(), S_OK);
}

// A host that deletes the moved shape while it hears OnShiftShape, and answers with a
// displacement of its own, ends the move: the control touches the shape no more.
TEST_F(Editing, AHostDeletesTheMovedShapeInOnShiftShape)
{
    ShiftAnswerSink sink;
    sink.dx = 7.0f;
    sink.onEvent = [&](const hosttest::EventSink::Call& call) {
        if (call.id == kShiftShape)
            EXPECT_EQ(control->DeleteShapeByID(m_rect, 0, 0), S_OK);
    };
    Connection connection(control->GetControllingUnknown(), &sink);
    const POINT start = Device(2.0f, 2.0f);
    Send(WM_MOUSEMOVE, 0, start);
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_MOVE, 0, -1), S_OK);
    const POINT to = {start.x + 5, start.y};
    Send(WM_MOUSEMOVE, 0, to);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
    Send(WM_LBUTTONUP, 0, to);
    EXPECT_EQ(Only(sink, {kShiftShape}), std::vector<DISPID>({kShiftShape}));
    EXPECT_EQ(Rect(), nullptr);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    EXPECT_EQ(control->GetEditState().tracker, nullptr);
    EXPECT_EQ(control->GetControlState(), 0u);
    // The control goes on: another shape moves.
    LONG other = 0;
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 20.0f, 0.0f, 30.0f, 0.0f, &other), S_OK);
    sink.onEvent = nullptr;
    ASSERT_EQ(control->EditShapeEx(other, EDSH_MOVE, 0, 0), S_OK);
    EXPECT_TRUE(EndDraw(true));
}

// A cancel puts back exactly what was there: the moved points, and of a polygon that took new
// points exactly the points it had. A finish is refused while the shape still takes points.
TEST_F(Editing, CancelRestoresExactly)
{
    const auto rect = PointsOf(Rect());
    Send(WM_MOUSEMOVE, 0, Device(1.0f, 1.0f));
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_MOVE, 0, -1), S_OK);
    Send(WM_MOUSEMOVE, 0, Device(8.3f, -3.1f));
    ASSERT_NE(PointsOf(Rect())[0].x, rect[0].x) << "the drag moved it";
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
    const auto back = PointsOf(Rect());
    ASSERT_EQ(back.size(), rect.size());
    for (size_t i = 0; i < rect.size(); ++i) {
        EXPECT_EQ(back[i].x, rect[i].x);
        EXPECT_EQ(back[i].y, rect[i].y);
    }

    CPolyline* polygon = Polygon({{20, 0}, {30, 0}, {30, 10}, {20, 10}});
    const auto ids = PointIdsOf(polygon);
    const auto points = PointsOf(polygon);
    ASSERT_EQ(control->EditShapeEx(polygon->GetId(), EDSH_NEWPOINT, 0, 2), S_OK);
    Send(WM_MOUSEMOVE, 0, Device(26.0f, 14.0f));
    EXPECT_EQ(polygon->GetPointCount(), 5) << "one point follows the pointer";
    EXPECT_EQ(EndDraw(true), VARIANT_FALSE) << "still taking points";
    EXPECT_EQ(control->GetControlState(), static_cast<DWORD>(csUserEdit));
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
    EXPECT_EQ(PointIdsOf(polygon), ids);
    const auto restored = PointsOf(polygon);
    for (size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(restored[i].x, points[i].x);
        EXPECT_EQ(restored[i].y, points[i].y);
    }
    EXPECT_EQ(control->GetControlState(), 0u);
}

// A host's veto of the start leaves no undo unit; a second start cancels the first edit with
// OnCancel; an edit started to be deleted on cancel goes without a word when the host ends it.
TEST_F(Editing, VetoSecondStartAndDeleteOnCancel)
{
    const int units = UndoableCount();
    {
        EventSink refusing(VARIANT_FALSE);
        Connection connection(control->GetControllingUnknown(), &refusing);
        ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_MOVE, 0, 0), S_OK);
        EXPECT_EQ(control->GetControlState(), 0u);
        EXPECT_EQ(UndoableCount(), units);
        EXPECT_EQ(Only(refusing, {kBeginEditShape}), std::vector<DISPID>({kBeginEditShape}));
    }

    LONG line = 0;
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 20, 0, 30, 0, &line), S_OK);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_SCALE, 0, 0), S_OK);
    ASSERT_EQ(control->EditShapeEx(line, EDSH_MOVE, EDFLG_DELETE_ON_CANCEL, 0), S_OK);
    EXPECT_EQ(Only(sink, {kBeginEditShape, kCancel}), std::vector<DISPID>({kBeginEditShape, kCancel, kBeginEditShape}));
    EXPECT_EQ(control->GetControlState(), static_cast<DWORD>(csUserEdit | csUserCreate));

    const size_t heard = sink.calls.size();
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
    EXPECT_EQ(control->FindShape(line), nullptr);
    EXPECT_EQ(sink.calls.size(), heard) << "no events for an end the host asked for";
    EXPECT_NE(Rect(), nullptr);
    VARIANT_BOOL nothing = VARIANT_TRUE;
    EXPECT_EQ(control->EndDraw(VARIANT_TRUE, &nothing), S_OK);
    EXPECT_EQ(nothing, VARIANT_FALSE) << "nothing left to end";
}

// Unknown IDs are reported; the text edit needs a text (or a reference's text) to edit; the
// edits by the selection menu start on the selection.
TEST_F(Editing, ErrorsTargetsAndMenuCommands)
{
    EXPECT_EQ(control->EditShapeEx(4711, EDSH_MOVE, 0, 0), DISP_E_EXCEPTION);
    ycom::ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    BSTR text = nullptr;
    info->GetDescription(&text);
    EXPECT_STREQ(text, L"Shape not found.");
    SysFreeString(text);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_TEXT, 0, 0), S_OK);
    EXPECT_EQ(control->GetControlState(), 0u);
    EXPECT_TRUE(Only(sink, {kBeginEditShape}).empty()) << "no text, no start";

    // Rotate Left on the selection menu turns the selected rectangle by 90 degrees.
    CGroup* selection = control->GetSelectionGroup();
    selection->AddChild(Rect(), nullptr, 0, false);
    static UINT s_command;
    s_command = miRotateLeft;
    SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return s_command; });
    const POINT on = Device(5.0f, 2.0f);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, on);
    Send(WM_RBUTTONUP, 0, on);
    const CRealRect r = Bounds(Rect());
    EXPECT_NEAR(r.right - r.left, 4.0f, 1e-4f);
    EXPECT_NEAR(r.top - r.bottom, 10.0f, 1e-4f);
    EXPECT_EQ(LastOperation(), opRotate);

    // Delete removes the selection, undoably.
    s_command = miDelete;
    Send(WM_RBUTTONDOWN, MK_RBUTTON, on);
    Send(WM_RBUTTONUP, 0, on);
    EXPECT_EQ(Rect(), nullptr);
    EXPECT_EQ(LastOperation(), opDelete);
    EXPECT_EQ(selection->GetShapeCount(), 0);
}

// The label texts of a block reference are hidden, never deleted; a host that refuses the hiding
// keeps them as they were.
TEST_F(Editing, RemovingReferenceTextsHidesThem)
{
    auto* reference = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stReference, true, true));
    control->GetRootGroup()->AddChild(reference, nullptr, 1, false);
    auto* label = static_cast<CText*>(control->GetShapeMap().CreateShape(stText, true, true));
    label->SetType(ttLabel);
    reference->AppendChild(label, 1);
    ASSERT_EQ(label->GetParent(), reference);
    ASSERT_TRUE(label->IsReferenceChild());
    const int id = label->GetId();
    CGroup* selection = control->GetSelectionGroup();

    for (const VARIANT_BOOL answer : {VARIANT_FALSE, VARIANT_TRUE}) {
        selection->AddChild(label, nullptr, 0, false);
        EventSink sink(answer);
        Connection connection(control->GetControllingUnknown(), &sink);
        EXPECT_EQ(control->StartEditShape(selection, EDSH_REMOVE, 0, 0), answer ? 1 : E_ACCESSDENIED);
        ASSERT_EQ(control->FindShape(id), label) << "kept, answer " << answer;
        EXPECT_EQ(label->IsVisible(), answer == VARIANT_FALSE) << answer;
        EXPECT_EQ(control->GetControlState(), 0u);
        selection->Clear(false);
    }
}

// Dragging a shape 3 pixels or more moves the selection with it (2 do nothing); dragging 5
// pixels from empty space draws a rubber band that selects what lies inside it, keeping the
// selection with Ctrl. Neither rectangle of the rubber band nor of a zoom window changes what
// there is to save.
TEST_F(Editing, DragsMoveAndRubberBandsSelect)
{
    LONG second = 0;
    ASSERT_EQ(control->AddRectangle(control->GetRootGroup(), 20.0f, 4.0f, 30.0f, 0.0f, &second), S_OK);
    auto drag = [&](CRealPoint from, int dx, int dy, WPARAM keys = 0) {
        const POINT a = Device(from.x, from.y);
        const POINT b = {a.x + dx, a.y + dy};
        Send(WM_LBUTTONDOWN, keys | MK_LBUTTON, a);
        Send(WM_MOUSEMOVE, keys | MK_LBUTTON, b);
        Send(WM_LBUTTONUP, keys, b);
    };
    auto selected = [&]() {
        std::vector<int> ids;
        for (CShape* s : control->GetSelectionGroup()->Children())
            ids.push_back(s->GetId());
        std::sort(ids.begin(), ids.end());
        return ids;
    };

    const struct {
        int dx;
        float left;
    } moves[] = {{2, 0.0f}, {3, 3.0f}, {-3, 0.0f}};
    for (const auto& m : moves) {
        const CRealRect r = Bounds(Rect());
        drag(CRealPoint((r.left + r.right) / 2, 2.0f), m.dx, 0);
        EXPECT_NEAR(Bounds(Rect()).left, m.left, 0.01f) << m.dx;
        EXPECT_EQ(control->GetControlState(), 0u) << m.dx;
    }
    EXPECT_EQ(selected(), std::vector<int>({m_rect}));
    EXPECT_EQ(LastOperation(), opMove);

    const struct {
        bool dirty;
        CRealPoint from;
        int dx, dy;
        WPARAM keys;
        std::vector<int> selected;
    } bands[] = {
        {true, {-5.0f, 8.0f}, 20, 12, 0, {m_rect}},
        {false, {18.0f, 8.0f}, 15, 12, MK_CONTROL, {m_rect, second}},
        {true, {18.0f, 8.0f}, 15, 12, 0, {second}},
        {false, {-5.0f, 8.0f}, 4, 4, 0, {}},  // 4 pixels draw no band: a click clears
    };
    for (const auto& b : bands) {
        control->SetModified(b.dirty);
        drag(b.from, b.dx, b.dy, b.keys);
        EXPECT_EQ(selected(), b.selected) << b.from.x << " keys " << b.keys;
        EXPECT_EQ(control->IsDirty(), b.dirty ? S_OK : S_FALSE) << "the band leaves the flag as it was";
        EXPECT_EQ(control->GetControlState(), 0u);
    }

    // The zoom window takes two clicks, its corners in any order.
    control->SetModified(true);
    ASSERT_EQ(control->ZoomWindow(VARIANT_TRUE, 0, 0, 0, 0), S_OK);
    EXPECT_TRUE(control->IsZoomingByWindow());
    for (const CRealPoint& corner : {CRealPoint(4.0f, -6.0f), CRealPoint(-4.0f, 6.0f)}) {
        const POINT p = Device(corner.x, corner.y);
        Send(WM_MOUSEMOVE, 0, p);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, p);
        Send(WM_LBUTTONUP, 0, p);
    }
    EXPECT_FALSE(control->IsZoomingByWindow());
    const CWorldRect v = control->GetCurrentViewport().GetWorldRect();
    // The corners are clicked to the nearest pixel, a unit each.
    EXPECT_NEAR((v.left + v.right) / 2, 0.0, 1.0);
    EXPECT_NEAR((v.top + v.bottom) / 2, 0.0, 1.0);
    EXPECT_NEAR(std::min(v.right - v.left, v.top - v.bottom), 12.0, 1.0) << "the window's height fills the view";
    EXPECT_EQ(control->IsDirty(), S_OK);
}

// A double click ends a polyline taking new points, keeping the point it was made on.
TEST_F(Editing, DoubleClickEndsAPolyline)
{
    CShape* polyline = PolylineWithPointPutDown();
    ASSERT_NE(polyline, nullptr);
    const POINT at = Device(10.0f, 30.0f);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    Send(WM_LBUTTONUP, 0, at);
    EXPECT_EQ(control->GetControlState(), 0u);
    ASSERT_EQ(polyline->GetPointCount(), 3);
    const CRealPoint last = *polyline->GetPoints().GetAt(2);
    EXPECT_NEAR(last.x, 10.0f, 0.6f);
    EXPECT_NEAR(last.y, 30.0f, 0.6f);
    EXPECT_EQ(LastOperation(), opCreate);
}

// The host reaches the context menu only while it is shown.
TEST_F(Editing, ContextMenuOnlyWhileShown)
{
    IMenuCollection* menu = reinterpret_cast<IMenuCollection*>(1);
    EXPECT_EQ(control->get_ContextMenu(&menu), S_FALSE);
    EXPECT_EQ(menu, nullptr);
    EXPECT_EQ(control->get_ContextMenu(nullptr), E_POINTER);
}

// While a polyline takes new points, the edit menu's Delete Point takes back the one put down
// last; the pointer's point stays with the pointer.
TEST_F(Editing, EditMenuTakesBackThePointPutDownLast)
{
    CShape* polyline = PolylineWithPointPutDown();
    ASSERT_NE(polyline, nullptr);
    ASSERT_EQ(polyline->GetPointCount(), 4);
    const int putDown = polyline->GetPoints().GetAt(2)->GetPointId();

    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return miDeletePoint; });
    const POINT menu = Device(20.0f, 40.0f);
    Send(WM_MOUSEMOVE, 0, menu);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, menu);
    Send(WM_RBUTTONUP, 0, menu);
    ASSERT_EQ(polyline->GetPointCount(), 3);
    EXPECT_EQ(polyline->GetPoints().GetAt(1)->x, 10.0f);
    EXPECT_EQ(polyline->GetPoints().GetAt(1)->y, 20.0f);
    const auto deleted = std::find_if(sink.calls.begin(), sink.calls.end(), [](const auto& c) { return c.id == 7; });
    ASSERT_NE(deleted, sink.calls.end()) << "OnDeletePoint";
    EXPECT_EQ(deleted->ints[0], putDown);
    EXPECT_EQ(control->GetControlState(), static_cast<DWORD>(csUserEdit)) << "the edit goes on";
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
    EXPECT_EQ(polyline->GetPointCount(), 2);
}

// Each edit shows its cursor, from the system or from the control's resources, and every end
// goes back to the arrow.
TEST_F(Editing, EditCursors)
{
    const HCURSOR arrow = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    const struct {
        int type;
        LPCWSTR system;  // null: a cursor of the control's own
    } edits[] = {
        {EDSH_MOVE, reinterpret_cast<LPCWSTR>(IDC_SIZEALL)},
        {EDSH_POINT, nullptr},
        {EDSH_ROTATE, nullptr},
        {EDSH_SCALE, nullptr},
    };
    std::vector<HCURSOR> own;
    for (const auto& e : edits) {
        ASSERT_EQ(control->EditShapeEx(m_rect, static_cast<EditShapeTypes>(e.type), 0, 0), S_OK);
        const HCURSOR cursor = control->GetEditCursor();
        if (e.system) {
            EXPECT_EQ(cursor, LoadCursorW(nullptr, e.system)) << e.type;
        } else {
            EXPECT_NE(cursor, nullptr) << e.type;
            EXPECT_NE(cursor, arrow) << e.type;
            EXPECT_EQ(std::find(own.begin(), own.end(), cursor), own.end()) << "a cursor of its own, " << e.type;
            own.push_back(cursor);
        }
        EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
        EXPECT_EQ(control->GetEditCursor(), arrow) << e.type;
    }
    ASSERT_EQ(control->ZoomWindow(VARIANT_TRUE, 0, 0, 0, 0), S_OK);
    EXPECT_NE(control->GetEditCursor(), arrow) << "the zoom window's cursor";
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
}

namespace {
// A sink that refuses one event and lets every other go on.
class RefuseOneSink : public hosttest::EventSink
{
public:
    explicit RefuseOneSink(DISPID refused) : refused(refused) {}
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* e,
                        UINT* arg) override
    {
        const HRESULT hr = EventSink::Invoke(id, iid, lcid, flags, p, result, e, arg);
        if (id == refused && p->cArgs > 0 && p->rgvarg[0].vt == (VT_BOOL | VT_BYREF))
            *p->rgvarg[0].pboolVal = VARIANT_FALSE;
        return hr;
    }
    DISPID refused;
};
} // namespace

// OnShiftPoint, OnShiftShape and OnEndEditShape share one proceed flag: refusing any of them
// refuses the edit, which goes back exactly, records nothing and ends without OnEndEditShape.
TEST_F(Editing, RefusedEndsRollBack)
{
    const DISPID kShiftPoint = 8;
    const struct {
        int type;
        int lParam;
        DISPID refused;
    } cases[] = {
        {EDSH_POINT, 2, kShiftPoint},
        {EDSH_MOVE, -1, kShiftShape},
        {EDSH_MOVE, -1, kEndEditShape},
    };
    for (const auto& c : cases) {
        const auto before = PointsOf(Rect());
        const int units = UndoableCount();
        const int last = LastOperation();
        RefuseOneSink sink(c.refused);
        Connection connection(control->GetControllingUnknown(), &sink);
        Send(WM_MOUSEMOVE, 0, Device(10.0f, 0.0f));
        ASSERT_EQ(control->EditShapeEx(m_rect, static_cast<EditShapeTypes>(c.type), 0, c.lParam), S_OK);
        const POINT to = Device(14.0f, -3.0f);
        Send(WM_MOUSEMOVE, 0, to);
        ASSERT_NE(PointsOf(Rect())[2].x, before[2].x) << c.type;
        Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
        Send(WM_LBUTTONUP, 0, to);
        EXPECT_EQ(control->GetControlState(), 0u) << c.type;
        const auto after = PointsOf(Rect());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(after[i].x, before[i].x) << c.type << " point " << i;
            EXPECT_EQ(after[i].y, before[i].y) << c.type << " point " << i;
        }
        const auto heard = Only(sink, {kShiftPoint, kShiftShape, kEndEditShape});
        EXPECT_EQ(heard.back(), c.refused) << "nothing after the refusal, " << c.type;
        EXPECT_EQ(UndoableCount(), units) << c.type;
        EXPECT_EQ(LastOperation(), last) << c.type;
    }
}

// With snapping on, a move snaps through the shape: the shape's own point that lies on the grid
// lands on the grid point nearest to where the drag takes it.
TEST_F(Editing, AMoveSnapsThroughTheShape)
{
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    ASSERT_NE(setting, nullptr);
    setting->SnapToGrid = 1;
    setting->GridXSpace = setting->GridYSpace = 10.0f;
    setting->SnapBaseX = setting->SnapBaseY = 0.0f;
    Send(WM_MOUSEMOVE, 0, Device(0.0f, 4.0f));
    // Anchored at its first point (0, 4), which is off the grid; (10, 0) is on it.
    ASSERT_EQ(control->EditShapeEx(m_rect, EDSH_MOVE, 0, 1), S_OK);
    // The drag takes (10, 0) to about (34, 3): it lands on (30, 0).
    Send(WM_MOUSEMOVE, 0, Device(24.0f, 7.0f));
    const CRealRect r = Bounds(Rect());
    EXPECT_NEAR(r.left, 20.0f, 1e-4f);
    EXPECT_NEAR(r.bottom, 0.0f, 1e-4f);
    EXPECT_EQ(EndDraw(false), VARIANT_TRUE);
    setting->SnapToGrid = 0;
}

// A press on a point where a selected polyline's corner and a selected line's end meet picks
// both: they follow the pointer together, and the next press puts them down, announcing each
// point, as one undoable edit.
TEST_F(Editing, SeveralPickedPointsFollowThePointer)
{
    LONG polyline = 0, line = 0;
    ASSERT_EQ(control->AddPolyline(control->GetRootGroup(), 20.0f, 20.0f, 40.0f, 20.0f, &polyline), S_OK);
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 40.0f, 20.0f, 40.0f, 40.0f, &line), S_OK);
    CGroup* selection = control->GetSelectionGroup();
    selection->AddChild(control->FindShape(polyline), nullptr, 0, false);
    selection->AddChild(control->FindShape(line), nullptr, 0, false);
    const int cornerId = control->FindShape(polyline)->GetPoints().GetAt(1)->GetPointId();
    const int endId = control->FindShape(line)->GetPoints().GetAt(0)->GetPointId();
    const int units = UndoableCount();
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);

    const POINT from = Device(40.0f, 20.0f), to = Device(50.0f, 30.0f);
    Send(WM_MOUSEMOVE, 0, from);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Send(WM_LBUTTONUP, 0, from);
    ASSERT_EQ(control->GetEditState().editedShape, selection) << "both points picked";
    ASSERT_EQ(control->GetEditState().editMode, EDSH_POINT);
    ASSERT_EQ(selection->GetShapeCount(), 2);
    Send(WM_MOUSEMOVE, 0, to);
    // The world point of the pixel the pointer went to.
    const CRealPoint at = control->GetEditState().mousePosition;
    ASSERT_NEAR(at.x, 50.0f, 1.0f);
    ASSERT_NEAR(at.y, 30.0f, 1.0f);
    auto expectPoints = [&](const char* when) {
        const struct {
            LONG shape;
            std::vector<CRealPoint> points;
        } moved[] = {
            {polyline, {{20, 20}, at}},
            {line, {at, {40, 40}}},
        };
        for (const auto& m : moved) {
            const auto points = PointsOf(control->FindShape(m.shape));
            ASSERT_EQ(points.size(), m.points.size()) << when;
            for (size_t i = 0; i < points.size(); ++i) {
                EXPECT_NEAR(points[i].x, m.points[i].x, 1e-3f) << when << " shape " << m.shape << " point " << i;
                EXPECT_NEAR(points[i].y, m.points[i].y, 1e-3f) << when << " shape " << m.shape << " point " << i;
            }
        }
    };
    expectPoints("while dragged");
    Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
    Send(WM_LBUTTONUP, 0, to);
    EXPECT_EQ(control->GetControlState(), 0u);
    expectPoints("put down");
    std::vector<LONG> shifted;
    for (const auto& call : sink.calls)
        if (call.id == cetOnShiftPoint)
            shifted.push_back(call.ints[0]);
    std::sort(shifted.begin(), shifted.end());
    std::vector<LONG> expected = {cornerId, endId};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shifted, expected);
    EXPECT_EQ(UndoableCount(), units + 1) << "one undoable edit";
    EXPECT_EQ(LastOperation(), opMove);
    ASSERT_EQ(Undo(), S_OK);
    const auto lineBack = PointsOf(control->FindShape(line));
    EXPECT_NEAR(lineBack[0].x, 40.0f, 1e-4f) << "the line's end goes back";
    EXPECT_NEAR(lineBack[0].y, 20.0f, 1e-4f);
    const auto polylineBack = PointsOf(control->FindShape(polyline));
    ASSERT_EQ(polylineBack.size(), 2u);
    EXPECT_NEAR(polylineBack[1].x, 40.0f, 1e-4f) << "the polyline's corner goes back";
    EXPECT_NEAR(polylineBack[1].y, 20.0f, 1e-4f);
}

namespace {

// The control's text editor as a test runs it: Run gives the rich text a new word (or is
// cancelled) and counts its runs.
class ScriptedTextEditor : public CTextEditorDialog
{
public:
    static int runs;
    static int answer;
    void SetText(const char* text, int) override { m_text = text ? text : ""; }
    void SetText(const wchar_t* text, int format) override
    {
        std::string narrow;
        for (const wchar_t* c = text; c && *c; ++c)
            narrow += static_cast<char>(*c);
        SetText(narrow.c_str(), format);
    }
    void SetAutoClose(bool) override {}
    int Run(HWND, int) override
    {
        ++runs;
        if (answer == trAccepted)
            m_text = "{\\rtf1\\ansi edited}";
        return answer;
    }
    const char* GetText(int* length) override
    {
        if (length)
            *length = static_cast<int>(m_text.size());
        return m_text.c_str();
    }
    const wchar_t* GetTextW() override
    {
        m_wide.assign(m_text.begin(), m_text.end());
        return m_wide.c_str();
    }

private:
    std::string m_text;
    std::wstring m_wide;
};
int ScriptedTextEditor::runs = 0;
int ScriptedTextEditor::answer = CTextEditorDialog::trAccepted;

} // namespace

// A rich text is edited in the text's own editor rather than in the plain in-place editor: the
// edit is announced once, has ended when EditShapeEx returns, and is one undoable change; a
// cancelled editor changes nothing.
TEST_F(Editing, RichTextGoesToItsOwnEditor)
{
    SetTextEditorDialogMaker([]() -> std::unique_ptr<CTextEditorDialog> { return std::make_unique<ScriptedTextEditor>(); });
    struct MakerReset {
        ~MakerReset() { SetTextEditorDialogMaker(nullptr); }
    } reset;
    // No outside program: the control's own editor.
    ASSERT_EQ(control->put_TextEditorName(nullptr), S_OK);
    auto* text = static_cast<CText*>(control->GetShapeMap().CreateShape(stText, true, true));
    text->AddPointById(control->CControlCore::CreatePoint(0.0f, 0.0f), CShape::kAppend, true);
    text->SetType(ttRTF);
    text->SetTextBytes("{\\rtf1\\ansi before}", -1);
    control->GetRootGroup()->AddChild(text, nullptr, 1, false);
    const std::string before = text->GetText();
    ASSERT_NE(before.find("before"), std::string::npos);
    control->SetModified(false);

    const struct {
        int answer;
        const char* word;
        bool changed;
    } cases[] = {{CTextEditorDialog::trCancelled, "before", false}, {CTextEditorDialog::trAccepted, "edited", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        ScriptedTextEditor::answer = c.answer;
        ScriptedTextEditor::runs = 0;
        const int units = UndoableCount();
        EventSink sink;
        Connection connection(control->GetControllingUnknown(), &sink);
        ASSERT_EQ(control->EditShapeEx(text->GetId(), EDSH_TEXT, 0, 0), S_OK);
        EXPECT_EQ(ScriptedTextEditor::runs, 1);
        EXPECT_NE(text->GetText().find(c.word), std::string::npos) << text->GetText();
        EXPECT_EQ(control->GetInPlaceEdit(), nullptr) << "no plain editor";
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
        EXPECT_EQ(control->GetControlState(), 0u);
        ASSERT_EQ(Only(sink, {kBeginEditShape}).size(), 1u) << "announced once";
        const auto begin = std::find_if(sink.calls.begin(), sink.calls.end(), [](const auto& call) { return call.id == kBeginEditShape; });
        EXPECT_EQ(begin->ints, std::vector<LONG>({text->GetId(), EDSH_TEXT}));
        EXPECT_EQ(UndoableCount(), units + (c.changed ? 1 : 0));
        EXPECT_EQ(control->IsDirty(), c.changed ? S_OK : S_FALSE);
    }
    EXPECT_EQ(LastOperation(), opProperties);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(text->GetText(), before);
}

// The root answers a click, a rubber band and a repaint of part of the view from a grid of its
// children's extents: the same shapes in the same order, and the same pixels, as a walk of every
// child. Each row changes the drawing as a user or a host does, and brings a shape to where a
// grid left as it was would not look for it (or takes one away); after each, the answers are
// compared.
TEST_F(ViewIndex, AnswersAsAWalkOfEveryShapeAfterEachChange)
{
    // A shape moved with the mouse by a user who grabs it at `start` and lets go at `to`; its
    // extent then ends left of `right`.
    auto moveWithMouse = [&](LONG id, POINT start, POINT to, float right) {
        Send(WM_MOUSEMOVE, 0, start);
        ASSERT_EQ(control->EditShapeEx(id, EDSH_MOVE, 0, -1), S_OK);
        Send(WM_MOUSEMOVE, 0, to);
        Send(WM_LBUTTONDOWN, MK_LBUTTON, to);
        Send(WM_LBUTTONUP, 0, to);
        CRealRect r;
        ASSERT_EQ(control->FindShape(id)->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom), S_OK);
        ASSERT_LT(r.right, right);
    };
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
             moveWithMouse(m_mover, Device(140, -95), Device(60, -45), 100.0f);
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
        {"a shape hidden", [&] { ASSERT_EQ(control->FindShape(m_pointOwner)->SetVisibleRecorded(false), 0); }},
        {"a deletion", [&] { ASSERT_EQ(control->DeleteShapeByID(m_thin, 0, 0), S_OK); }},
        {"a rubber band with the mouse",
         [&] {
             // From an empty place over the moved line and the added one; the band's rectangle
             // changes at each step, the drawing not.
             const POINT from = Device(44, -33), to = Device(82, -56);
             Send(WM_MOUSEMOVE, 0, from);
             Send(WM_LBUTTONDOWN, MK_LBUTTON, from);
             for (int k = 1; k <= 4; ++k)
                 Send(WM_MOUSEMOVE, MK_LBUTTON, {from.x + (to.x - from.x) * k / 4, from.y + (to.y - from.y) * k / 4});
             Send(WM_LBUTTONUP, 0, to);
             const std::vector<CShape*> selected = control->GetSelectionGroup()->Children();
             EXPECT_EQ(selected.size(), 2u);
             EXPECT_NE(std::find(selected.begin(), selected.end(), control->FindShape(m_mover)), selected.end());
             control->GetSelectionGroup()->Clear(false);
         }},
        {"a reference moved with the mouse",
         [&] {
             // The reference at (110, 56)-(120, 65) follows the pointer 60 units left and 10 down.
             moveWithMouse(m_posted, Device(115, 60), Device(55, 50), 70.0f);
         }},
        {"an undo of the reference's move", [&] { ASSERT_EQ(Manager()->UndoTo(nullptr), S_OK); }},
        {"a redo of the reference's move", [&] { ASSERT_EQ(Manager()->RedoTo(nullptr), S_OK); }},
        {"the block turned, and its references with it",
         [&] {
             CRealRect before, after;
             CShape* reference = control->FindShape(m_tagged);
             ASSERT_EQ(reference->GetBoundingRect(&before.left, &before.top, &before.right, &before.bottom), S_OK);
             ASSERT_EQ(control->EditShapeEx(m_block, EDSH_ROTATE, 0, 90), S_OK);
             ASSERT_EQ(reference->GetBoundingRect(&after.left, &after.top, &after.right, &after.bottom), S_OK);
             ASSERT_NE(after.right - after.left, before.right - before.left) << "the reference shows the turn";
         }},
        {"an undo of the block's turn", [&] { ASSERT_EQ(Manager()->UndoTo(nullptr), S_OK); }},
        {"a redo of the block's turn", [&] { ASSERT_EQ(Manager()->RedoTo(nullptr), S_OK); }},
        {"a view far out, where the shapes are a few pixels wide",
         [&] { ASSERT_EQ(control->ZoomWindow(VARIANT_FALSE, -4000, 3000, 4000, -3000), S_OK); }},
        {"references counting their attributes",
         [&] { control->SetControlFlags(control->GetControlFlags() | controlReferenceBoundsWithAttribs); }},
        {"a view where the tagged reference is small without its attribute and not with it",
         [&] { ASSERT_EQ(control->ZoomWindow(VARIANT_FALSE, -225, 170, 225, -170), S_OK); }},
        {"references leaving their attributes out again",
         [&] { control->SetControlFlags(control->GetControlFlags() & ~controlReferenceBoundsWithAttribs); }},
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
