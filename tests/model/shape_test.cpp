// The shape base class: defaults, copies, points, protection, Z order, transforms and the
// editing hooks.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <memory>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "control/ViewportRecord.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/LinkedPointMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "model/ShapeStateMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

namespace {
// A recorder that keeps what it is asked to record, in order, with the point's presence in its
// shape at that moment.
struct RecordingRecorder : CUndoRecorder
{
    explicit RecordingRecorder(CControlCore* control) : CUndoRecorder(control) {}
    HRESULT RecordShape(int kind, CShape* shape, bool) override
    {
        log.push_back("shape " + std::to_string(kind) + " " + std::to_string(shape->GetId()));
        return S_OK;
    }
    HRESULT RecordPoint(int kind, CPointRecord* point, bool) override
    {
        log.push_back("point " + std::to_string(kind) + " " + std::to_string(point->GetPointId()));
        return S_OK;
    }
    std::vector<std::string> log;
};

// A control whose editing machinery is watched.
struct WatchedControl : CControlCore
{
    int StartEditShape(CShape* shape, int command, int arg1, int) override
    {
        started.push_back({shape->GetId(), command, arg1});
        return 1;
    }
    void EndInteractiveOperation(bool commit) override { ended.push_back(commit); }
    struct Start
    {
        int id, command, index;
    };
    std::vector<Start> started;
    std::vector<bool> ended;
};

// A shape that shows its points as handles, as the drawable kinds do.
struct HandleShape : CShape
{
    using CShape::CShape;
    int GetHandlePoints(CRealPoint* points, int capacity) override
    {
        const int n = GetPointCount();
        if (!points)
            return n;
        for (int i = 0; i < n && i < capacity; ++i)
            points[i] = *GetPoints().GetAt(i);
        return n < capacity ? n : capacity;
    }
    int OnPointsChanged(CPointRecord* point, float x, float y) override
    {
        ++changes;
        return refuse ? 0 : CShape::OnPointsChanged(point, x, y);
    }
    int changes = 0;
    bool refuse = false;
};

int AddPoint(CControlCore& control, CShape& shape, float x, float y)
{
    const int id = control.CreatePoint(x, y);
    EXPECT_EQ(shape.AddPointById(id, CShape::kAppend, true), S_OK);
    return id;
}

std::wstring ErrorDescription()
{
    IErrorInfo* info = nullptr;
    std::wstring text;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR description = nullptr;
        info->GetDescription(&description);
        if (description)
            text = description;
        SysFreeString(description);
        info->Release();
    }
    return text;
}

CGroup* MakeGroup(CControlCore& control, int id)
{
    auto* group = new CGroup(id, &control);
    control.GetShapeMap().Insert(group);
    return group;
}
} // namespace

TEST(Shape, Defaults)
{
    CControlCore control;
    CShape shape(17, &control);
    EXPECT_EQ(shape.GetZOrder(), 17.0f);
    EXPECT_EQ(shape.GetLinePatternId(), 0x4000);
    EXPECT_EQ(shape.GetHatchPatternId(), 0x4000);
    EXPECT_EQ(shape.GetPenColor(), 0x20000000u);
    EXPECT_EQ(shape.GetHatchColor(), 0x20000000u);
    EXPECT_EQ(shape.GetState(), 0x213u);
    EXPECT_EQ(shape.GetProtectionFlags(), 0u);
    EXPECT_EQ(shape.GetDatabaseId(), 0);
    EXPECT_EQ(shape.GetShapeType(), 0);
    EXPECT_EQ(shape.GetPenWeight(), 0.0f);
    EXPECT_EQ(shape.GetLinePatternScale(), 1.0f);
    EXPECT_EQ(shape.GetHatchPatternScale(), 1.0f);
    EXPECT_EQ(shape.GetTag(), 0);
    EXPECT_EQ(shape.GetParent(), nullptr);
    EXPECT_EQ(shape.GetArea(), -1.0);
    EXPECT_FALSE(shape.IsGroup());
    EXPECT_EQ(shape.GetClassShapeType(), 0);
    CLSID clsid;
    shape.GetCoClassId(&clsid);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_Shape));
    EXPECT_EQ(shape.GetProtectionFlagsMasked(0xFFFFFFFF), 3u); // visible and enabled
}

TEST(Shape, CopyIsUnselectedWithNewPointsAndNoDatabaseId)
{
    CControlCore control;
    CShape source(20, &control);
    const int p1 = AddPoint(control, source, 1, 2);
    const int p2 = AddPoint(control, source, 3, 4);
    source.SetSelected(true);
    source.SetDatabaseId(55);
    source.SetTag(9);
    source.SetPenColor(0x123456);
    source.SetZOrder(4.5f, false);
    source.SetProtectionFlagsMasked(sdbfRotation | sdbfXpos, CShape::kProtectionMask);

    CShape copy(21, source);
    EXPECT_FALSE(copy.HasState(CShape::stSelected));
    EXPECT_EQ(copy.GetDatabaseId(), 0);
    EXPECT_EQ(copy.GetId(), 21);
    EXPECT_EQ(copy.GetTag(), 9);
    EXPECT_EQ(copy.GetPenColor(), 0x123456u);
    EXPECT_EQ(copy.GetZOrder(), 4.5f);
    EXPECT_EQ(copy.GetProtectionFlags(), static_cast<DWORD>(sdbfRotation | sdbfXpos));
    ASSERT_EQ(copy.GetPointCount(), 2);
    const CPointRecord* c1 = copy.GetPoints().GetAt(0);
    const CPointRecord* c2 = copy.GetPoints().GetAt(1);
    EXPECT_NE(c1->GetPointId(), p1);
    EXPECT_NE(c2->GetPointId(), p2);
    EXPECT_EQ(c1->x, 1);
    EXPECT_EQ(c2->y, 4);
    EXPECT_EQ(c1->GetOwners(), (std::set<int>{21}));
    EXPECT_EQ(control.GetPointPool().Find(p1)->GetOwners(), (std::set<int>{20}));
}

TEST(Shape, PointsByIdAndTheirUseCounts)
{
    CControlCore control;
    CShape a(30, &control), b(31, &control);
    const int id = control.CreatePoint(5, 5);
    EXPECT_EQ(a.AddPointById(id, CShape::kAppend, false), S_OK);
    EXPECT_EQ(a.AddPointById(id, CShape::kAppend, false), S_FALSE); // once only
    EXPECT_EQ(a.GetPointCount(), 1);
    EXPECT_EQ(b.AddPointById(id, 7, false), S_OK); // an index beyond the end appends
    EXPECT_EQ(a.AddPointById(4711, CShape::kAppend, false), E_FAIL);
    LONG uses = 0;
    control.GetPointPool().GetUseCount(id, &uses);
    EXPECT_EQ(uses, 2);
    EXPECT_EQ(control.GetPointPool().Find(id)->GetOwners(), (std::set<int>{30, 31}));

    // Removal records the point first, then releases this shape's use.
    auto recorder = std::make_unique<RecordingRecorder>(&control);
    RecordingRecorder* log = recorder.get();
    control.SetUndoRecorder(std::move(recorder));
    EXPECT_EQ(a.RemovePointById(999, true, 0), 0);
    EXPECT_EQ(a.RemovePointById(id, true, 0), 1);
    EXPECT_EQ(log->log, (std::vector<std::string>{"point 5 " + std::to_string(id)}));
    EXPECT_EQ(a.GetPointCount(), 0);
    ASSERT_NE(control.GetPointPool().Find(id), nullptr); // b still uses it
    EXPECT_EQ(b.RemovePointById(id, false, 0), 1);
    EXPECT_EQ(control.GetPointPool().Find(id), nullptr);
    EXPECT_EQ(log->log.size(), 1u);
}

TEST(Shape, SetPointCoordsGrowsTheListUpToTheIndex)
{
    CControlCore control;
    CShape shape(40, &control);
    AddPoint(control, shape, 0, 0);
    AddPoint(control, shape, 1, 1);
    const size_t before = control.GetPointPool().GetCount();
    EXPECT_EQ(shape.SetPointCoords(3, 7, 8, 5), 1);
    ASSERT_EQ(shape.GetPointCount(), 6);
    EXPECT_EQ(control.GetPointPool().GetCount(), before + 4);
    for (int i = 2; i < 6; ++i) {
        EXPECT_EQ(shape.GetPoints().GetAt(i)->x, 7) << i;
        EXPECT_EQ(shape.GetPoints().GetAt(i)->y, 8) << i;
    }
    EXPECT_EQ(shape.SetPointCoords(1, 9, 99, 0), 1); // x only
    EXPECT_EQ(shape.GetPoints().GetAt(0)->x, 9);
    EXPECT_EQ(shape.GetPoints().GetAt(0)->y, 0);
    EXPECT_EQ(shape.SetPointCoords(2, 0, -3, -1), 1); // a negative index: one more point
    EXPECT_EQ(shape.GetPointCount(), 7);
    EXPECT_EQ(shape.GetPoints().GetAt(6)->y, -3);
}

// Where the protection refuses the new points, the index never exists: the call is refused,
// nothing is written past the end and no point is left behind in the pool.
TEST(Shape, SetPointCoordsRefusesAnIndexItCannotReach)
{
    CControlCore control;
    CPolyline* rectangle = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
    ASSERT_NE(rectangle, nullptr);
    AddPoint(control, *rectangle, 0, 0);
    AddPoint(control, *rectangle, 10, 5);
    rectangle->SetProtectionFlagsMasked(sdbfWidth, CShape::kProtectionMask);
    const size_t before = control.GetPointPool().GetCount();
    EXPECT_EQ(rectangle->SetPointCoords(3, 50, 2, 4), 0); // would widen a width-locked shape
    EXPECT_EQ(rectangle->GetPointCount(), 2);
    EXPECT_EQ(control.GetPointPool().GetCount(), before);
    EXPECT_EQ(rectangle->SetPointCoords(3, 5, 2, 2), 1); // inside the width: allowed
    EXPECT_EQ(rectangle->GetPointCount(), 3);

    // Both positions locked: no axis is left, nothing moves, nothing grows.
    rectangle->SetProtectionFlagsMasked(sdbfXpos | sdbfYpos, CShape::kProtectionMask);
    EXPECT_EQ(rectangle->SetPointCoords(3, 1, 1, 0), 0);
    EXPECT_EQ(rectangle->GetPoints().GetAt(0)->x, 0);
    EXPECT_EQ(rectangle->SetPointCoords(3, 1, 1, 9), 0);
    EXPECT_EQ(rectangle->GetPointCount(), 3);
}

TEST(Shape, ProtectionFlagsMasked)
{
    CControlCore control;
    CShape shape(50, &control);
    struct Step
    {
        DWORD value, mask;
        DWORD expectAll; // GetProtectionFlagsMasked(-1) afterwards
    } steps[] = {
        {0x0, 0x2, 0x1},                      // hide
        {0x2, 0x2, 0x3},                      // show
        {0x0, 0x1, 0x2},                      // disable
        {0x3 | 0x400, 0xFE3, 0x403},          // enable + rotation lock
        {0x900, 0x900, 0xD03},                // deletion and x position join the rotation lock
        {0xFFFFFFFF, 0xC0000, 0xC0D03},       // the leader bits
        {0x0, 0xFE0, 0xC0003},                // all protection bits off
    };
    for (const Step& s : steps) {
        EXPECT_EQ(shape.SetProtectionFlagsMasked(s.value, s.mask), 1);
        EXPECT_EQ(shape.GetProtectionFlagsMasked(0xFFFFFFFF), s.expectAll) << std::hex << s.value << "/" << s.mask;
    }
    EXPECT_EQ(shape.GetProtectionFlagsMasked(0x400), 0u);
    shape.PutProtectionFlag(sdbfAspect, true);
    EXPECT_TRUE(shape.HasProtectionFlag(sdbfAspect));
    EXPECT_EQ(shape.GetProtectionFlagsMasked(0xFE0), static_cast<DWORD>(sdbfAspect));
}

TEST(Shape, OperationLocks)
{
    CControlCore control;
    struct Case
    {
        DWORD flags;
        int points;
        int operation;
        bool locked;
    } cases[] = {
        {sdbfXpos, 2, EDSH_MOVE, false},
        {sdbfXpos | sdbfYpos, 2, EDSH_MOVE, true},
        {sdbfXpos | sdbfYpos, 2, EDSH_ALIGN_SHAPE, true},
        {sdbfWidth | sdbfHeight | sdbfXpos | sdbfYpos, 2, EDSH_POINT, true},
        {sdbfWidth | sdbfHeight | sdbfXpos | sdbfYpos, 3, EDSH_POINT, false},
        {sdbfWidth | sdbfXpos | sdbfYpos, 2, EDSH_POINT, false}, // width alone is no size lock
        {sdbfWidth, 1, EDSH_NEWPOINT, true},
        {sdbfWidth, 2, EDSH_NEWPOINT, false},
        {sdbfRotation, 2, EDSH_ROTATE, true},
        {sdbfWidth | sdbfHeight, 2, EDSH_SCALE, true},
        {sdbfWidth | sdbfAspect, 2, EDSH_FLIP_SHAPE, true},
        {sdbfAspect, 2, EDSH_SCALE, false},
        {sdbfWidth | sdbfHeight, 3, EDSH_DELETEPOINT, true},
        {sdbfWidth | sdbfHeight, 4, EDSH_DELETEPOINT, false},
        {sdbfDeletion, 2, EDSH_REMOVE, true},
        {0xFE0, 2, EDSH_TEXT, false},
    };
    int id = 100;
    for (const Case& c : cases) {
        CShape shape(id++, &control);
        for (int i = 0; i < c.points; ++i)
            AddPoint(control, shape, static_cast<float>(i), 0);
        shape.SetProtectionFlagsMasked(c.flags, CShape::kProtectionMask);
        EXPECT_EQ(shape.IsOperationLocked(c.operation), c.locked)
            << "flags " << std::hex << c.flags << " operation " << std::dec << c.operation;
    }
}

TEST(Shape, ProtectionRefusesTransformsWithAccessDenied)
{
    CControlCore control;
    CShape shape(60, &control);
    AddPoint(control, shape, 0, 0);
    AddPoint(control, shape, 10, 10);
    shape.SetProtectionFlagsMasked(sdbfXpos | sdbfYpos | sdbfRotation, CShape::kProtectionMask);
    EXPECT_EQ(shape.Shift(5, 5, nullptr, false), E_ACCESSDENIED);
    EXPECT_EQ(shape.Rotate(0, 0, 45, nullptr, false), 0);
    EXPECT_EQ(shape.FlipVertical(nullptr, nullptr), 0);
    EXPECT_EQ(shape.GetPoints().GetAt(1)->x, 10);
    EXPECT_EQ(shape.Shift(5, 5, nullptr, true), S_OK); // forced
    EXPECT_EQ(shape.GetPoints().GetAt(1)->x, 15);

    const int id = control.CreatePoint(1, 1);
    EXPECT_EQ(shape.AddPointById(id, CShape::kAppend, false), E_ACCESSDENIED);
    EXPECT_EQ(shape.GetPointCount(), 2);
    EXPECT_EQ(shape.AddPointById(id, CShape::kAppend, true), S_OK);

    // Only x locked: the move keeps y.
    CShape half(61, &control);
    AddPoint(control, half, 0, 0);
    half.SetProtectionFlagsMasked(sdbfXpos, CShape::kProtectionMask);
    EXPECT_EQ(half.Shift(5, 6, nullptr, false), S_OK);
    EXPECT_EQ(half.GetPoints().GetAt(0)->x, 0);
    EXPECT_EQ(half.GetPoints().GetAt(0)->y, 6);
}

TEST(Shape, ScaleProtectionAdjustsTheFactors)
{
    CControlCore control;
    CShape shape(70, &control);
    struct Case
    {
        DWORD flags;
        float kx, ky;
        int refused;
        float ax, ay;
    } cases[] = {
        {0, 2, 3, 0, 2, 3},
        {sdbfWidth | sdbfHeight, 2, 2, 1, 0, 0},
        {sdbfAspect | sdbfWidth, 2, 2, 1, 0, 0},
        {sdbfAspect, 2, -3, 0, -3, -3},
        {sdbfAspect, 3, 2, 0, 3, 3},
        {sdbfAspect, 2, 1, 0, 2, 2},
        {sdbfWidth, 2, 1, 1, 0, 0},
        {sdbfWidth, -2, 3, 0, -1, 3},
        {sdbfHeight, 2, -0.5f, 0, 2, -1},
    };
    for (const Case& c : cases) {
        shape.SetProtectionFlagsMasked(c.flags, CShape::kProtectionMask);
        float kx = c.kx, ky = c.ky;
        EXPECT_EQ(shape.ApplyScaleProtection(&kx, &ky), c.refused) << std::hex << c.flags;
        if (!c.refused) {
            EXPECT_EQ(kx, c.ax) << std::hex << c.flags;
            EXPECT_EQ(ky, c.ay) << std::hex << c.flags;
        }
    }
}

// A size-locked shape scaled by 2 keeps its size and moves its centre as scaling would.
TEST(Shape, LockedScaleMovesTheCentreOnly)
{
    CControlCore control;
    CShape shape(71, &control);
    AddPoint(control, shape, 10, 10);
    AddPoint(control, shape, 20, 14);
    shape.SetProtectionFlagsMasked(sdbfWidth | sdbfHeight, CShape::kProtectionMask);
    EXPECT_EQ(shape.Scale(0, 0, 2, 2, nullptr, false), S_OK);
    float l, t, r, b;
    ASSERT_EQ(shape.GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_FLOAT_EQ(r - l, 10);
    EXPECT_FLOAT_EQ(t - b, 4);
    EXPECT_FLOAT_EQ((l + r) / 2, 30); // centre (15, 12) scaled about the origin
    EXPECT_FLOAT_EQ((t + b) / 2, 24);

    // Width locked only: x keeps its extent, y scales.
    CShape wide(72, &control);
    AddPoint(control, wide, 10, 10);
    AddPoint(control, wide, 20, 14);
    wide.SetProtectionFlagsMasked(sdbfWidth, CShape::kProtectionMask);
    EXPECT_EQ(wide.Scale(0, 0, 2, 2, nullptr, false), S_OK);
    ASSERT_EQ(wide.GetBoundingRect(&l, &t, &r, &b), S_OK);
    EXPECT_FLOAT_EQ(r - l, 10);
    EXPECT_FLOAT_EQ(t - b, 8);
    EXPECT_FLOAT_EQ((l + r) / 2, 30);

    // Size locked and the position locked too: nothing can happen.
    CShape stuck(73, &control);
    AddPoint(control, stuck, 10, 10);
    AddPoint(control, stuck, 20, 14);
    stuck.SetProtectionFlagsMasked(sdbfWidth | sdbfHeight | sdbfXpos | sdbfYpos, CShape::kProtectionMask);
    EXPECT_EQ(stuck.Scale(0, 0, 2, 2, nullptr, false), E_ACCESSDENIED);
    EXPECT_EQ(stuck.GetPoints().GetAt(0)->x, 10);
}

TEST(Shape, ScaleAdjustsPenWeightAndHatchScale)
{
    CControlCore control;
    CShape shape(74, &control);
    AddPoint(control, shape, 1, 1);
    AddPoint(control, shape, 3, 5);
    shape.SetPenWeight(2);
    EXPECT_EQ(shape.Scale(1, 1, 3, -4, nullptr, false), S_OK);
    EXPECT_EQ(shape.GetPenWeight(), 6.0f);
    EXPECT_EQ(shape.GetHatchPatternScale(), 3.0f);
    EXPECT_EQ(shape.GetPoints().GetAt(1)->x, 7);
    EXPECT_EQ(shape.GetPoints().GetAt(1)->y, -15);
}

TEST(Shape, RotationByWholeTurnsTouchesNothing)
{
    CControlCore control;
    CShape shape(80, &control);
    AddPoint(control, shape, 0.3f, 0.7f);
    struct Case
    {
        double degrees;
        float x, y; // after the rotation about (0, 0), from (1, 0)
    } cases[] = {{360, 1, 0}, {720, 1, 0}, {-360, 1, 0}, {370, 0.98480775f, 0.17364818f}, {90, 0, 1}};
    for (const Case& c : cases) {
        CPointRecord* p = shape.GetPoints().GetAt(0);
        p->x = 1;
        p->y = 0;
        EXPECT_EQ(shape.Rotate(0, 0, c.degrees, nullptr, false), 1);
        EXPECT_NEAR(p->x, c.x, 1e-6) << c.degrees;
        EXPECT_NEAR(p->y, c.y, 1e-6) << c.degrees;
    }
}

TEST(Shape, FlipsMirrorAboutTheBoundsOrTheGivenAxis)
{
    CControlCore control;
    CShape shape(81, &control);
    AddPoint(control, shape, 0, 0);
    AddPoint(control, shape, 4, 2);
    EXPECT_EQ(shape.FlipHorizontal(nullptr, nullptr), 1);
    EXPECT_EQ(shape.GetPoints().GetAt(0)->x, 4);
    EXPECT_EQ(shape.GetPoints().GetAt(1)->x, 0);
    const float axis = 10;
    EXPECT_EQ(shape.FlipVertical(nullptr, &axis), 1);
    EXPECT_EQ(shape.GetPoints().GetAt(1)->y, 18);
    CShape empty(82, &control);
    EXPECT_EQ(empty.FlipVertical(nullptr, nullptr), 0); // no bounds
}

// Two shapes share a point: transforming both with one visited set moves it once, and the other
// user of a moved point is told about the move.
TEST(Shape, ASharedPointMovesOnce)
{
    CControlCore control;
    HandleShape a(90, &control), b(91, &control);
    control.GetShapeMap().Insert(&a);
    control.GetShapeMap().Insert(&b);
    const int shared = control.CreatePoint(1, 1);
    a.AddPointById(shared, CShape::kAppend, true);
    b.AddPointById(shared, CShape::kAppend, true);
    AddPoint(control, b, 5, 5);

    std::set<int> visited;
    EXPECT_EQ(a.Shift(10, 0, &visited, false), S_OK);
    EXPECT_EQ(b.Shift(10, 0, &visited, false), S_OK);
    EXPECT_EQ(control.GetPointPool().Find(shared)->x, 11);
    EXPECT_EQ(b.GetPoints().GetAt(1)->x, 15);
    EXPECT_EQ(visited.size(), 2u);
    EXPECT_EQ(b.changes, 1); // told by a

    // Scaling and rotating follow the same rule.
    visited.clear();
    a.Scale(0, 0, 2, 2, &visited, false);
    b.Scale(0, 0, 2, 2, &visited, false);
    EXPECT_EQ(control.GetPointPool().Find(shared)->x, 22);
    visited.clear();
    a.Rotate(0, 0, 180, &visited, false);
    b.Rotate(0, 0, 180, &visited, false);
    EXPECT_NEAR(control.GetPointPool().Find(shared)->x, -22, 1e-4);

    // A user that refuses the move keeps the point where it was.
    b.refuse = true;
    a.Shift(1, 0, nullptr, false);
    EXPECT_NEAR(control.GetPointPool().Find(shared)->x, -22, 1e-4);
    control.GetShapeMap().RemoveShape(&a);
    control.GetShapeMap().RemoveShape(&b);
}

TEST(Shape, LinkedPointsAndTheirIndex)
{
    CControlCore control;
    CShape owner(95, &control), connector(96, &control);
    const int id = AddPoint(control, owner, 2, 3);
    EXPECT_EQ(connector.LinkPoint(4711), 0);
    EXPECT_EQ(connector.LinkPoint(id), 1);
    EXPECT_EQ(connector.LinkPoint(id), 1); // already linked
    EXPECT_EQ(connector.GetLinkedPoints().GetCount(), 1);
    EXPECT_EQ(connector.GetLinkTokens().size(), 1u);
    EXPECT_TRUE(control.GetLinkedPointMap().Contains(id, 96));
    std::set<int> ids;
    EXPECT_EQ(connector.CollectLinkedPointIds(ids), 1);
    EXPECT_EQ(ids, (std::set<int>{id}));

    // The connector's linked point moves with the connector's transforms too.
    EXPECT_EQ(connector.Shift(1, 1, nullptr, false), S_OK);
    EXPECT_EQ(control.GetPointPool().Find(id)->x, 3);

    EXPECT_EQ(connector.UnlinkPoint(id), 0);
    EXPECT_EQ(connector.UnlinkPoint(id), 1);
    EXPECT_FALSE(control.GetLinkedPointMap().Contains(id, 96));
    EXPECT_EQ(connector.GetLinkTokens().size(), 0u);

    // A shape that goes releases its own and its linked points.
    auto temporary = std::make_unique<CShape>(97, &control);
    temporary->LinkPoint(id);
    const int own = AddPoint(control, *temporary, 0, 0);
    LONG uses = 0;
    control.GetPointPool().GetUseCount(id, &uses);
    EXPECT_EQ(uses, 2);
    temporary.reset();
    EXPECT_EQ(control.GetPointPool().Find(own), nullptr);
    control.GetPointPool().GetUseCount(id, &uses);
    EXPECT_EQ(uses, 1);
    EXPECT_EQ(control.GetLinkedPointMap().Count(id), 0);

    // Copying linked points makes new ones at the same places.
    CShape linker(99, &control), copyOfLinker(100, &control);
    linker.LinkPoint(id);
    EXPECT_EQ(copyOfLinker.CopyPointsFrom(linker), 1);
    EXPECT_NE(copyOfLinker.GetLinkedPoints().GetAt(0)->GetPointId(), id);
    EXPECT_EQ(copyOfLinker.GetLinkedPoints().GetAt(0)->y, 4);
}

TEST(Shape, ZOrderAndBringToFront)
{
    CControlCore control;
    CGroup* group = MakeGroup(control, 200);
    CShape* a = new CShape(201, &control);
    CShape* b = new CShape(202, &control);
    CShape* c = new CShape(203, &control);
    for (CShape* s : {a, b, c}) {
        control.GetShapeMap().Insert(s);
        ASSERT_EQ(group->AddChild(s, nullptr, 0, false), 0);
    }
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{a, b, c}));
    CShape orphan(204, &control);
    EXPECT_EQ(orphan.BringToFront(), E_FAIL);
    EXPECT_EQ(orphan.SendToBack(), E_FAIL);
    EXPECT_EQ(c->BringToFront(), S_OK); // already last
    EXPECT_EQ(c->GetZOrder(), 203.0f);
    EXPECT_EQ(a->BringToFront(), S_OK);
    EXPECT_EQ(a->GetZOrder(), 204.0f);
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{b, c, a}));
    EXPECT_EQ(a->SendToBack(), S_OK);
    EXPECT_EQ(a->GetZOrder(), 201.0f);
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{a, b, c}));

    // The same value without re-sort does nothing; a re-sort puts the shape after its equals.
    c->SetZOrder(202.0f, false);
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{a, b, c}));
    a->SetZOrder(202.0f, true);
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{b, c, a}));
}

TEST(Shape, PrototypePenColourRecoloursTheDefaultShapes)
{
    CControlCore control;
    CGroup* defaults = MakeGroup(control, DEFAULT_SHAPES_ID);
    CShape* general = new CShape(DEFAULT_SHAPE_ID, &control);
    CShape* text = new CShape(DEFAULT_TEXT_ID, &control);
    CShape* other = new CShape(300, &control);
    for (CShape* s : {general, text, other})
        control.GetShapeMap().Insert(s);
    defaults->AddChild(general, nullptr, 0, false);
    defaults->AddChild(text, nullptr, 0, false);
    general->SetPenColor(0x7F123456); // masked when stored
    EXPECT_EQ(general->GetPenColor(), 0x60123456u);
    EXPECT_EQ(text->GetPenColor(), 0x60123456u);
    EXPECT_EQ(other->GetPenColor(), 0x20000000u);
    text->SetPenColor(0xFF); // only the general prototype passes its colour on
    EXPECT_EQ(general->GetPenColor(), 0x60123456u);
}

TEST(Shape, LayerByIdAndErrors)
{
    CControlCore control;
    CShape shape(400, &control);
    CShape* layer = control.GetShapeMap().CreateShape(stLayer, true, true);
    CShape* notLayer = control.GetShapeMap().CreateShape(stDummy, true, true);
    EXPECT_EQ(shape.SetLayerShapeId(layer->GetId()), S_OK);
    EXPECT_EQ(shape.GetLayer(), layer);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(shape.SetLayerShapeId(123456), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorDescription(), L"Wrong identifier.");
    EXPECT_EQ(shape.SetLayerShapeId(notLayer->GetId()), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorDescription(), L"Wrong shape type.");
    EXPECT_EQ(shape.GetLayer(), layer);

    // A hidden layer hides the shape; a disabled layer disables it.
    EXPECT_TRUE(shape.IsVisible());
    layer->SetVisible(false);
    EXPECT_FALSE(shape.IsVisible());
    layer->SetVisible(true);
    EXPECT_TRUE(shape.IsEnabled());
    layer->SetProtectionFlagsMasked(0, sdbfEnabled);
    EXPECT_FALSE(shape.IsEnabled());
    layer->SetProtectionFlagsMasked(sdbfEnabled, sdbfEnabled);
    control.SetIdle(false); // a long operation runs
    EXPECT_FALSE(shape.IsEnabled());
}

TEST(Shape, SourceSiteOfStoredShapes)
{
    CControlCore control;
    CGroup* parent = MakeGroup(control, 500);
    CShape* child = new CShape(501, &control);
    control.GetShapeMap().Insert(child);
    parent->AddChild(child, nullptr, 0, false);
    int site = 0;
    EXPECT_EQ(child->SetSourceSiteId(3), E_FAIL); // not stored
    CShape orphan(502, &control);
    EXPECT_EQ(orphan.GetSourceSiteId(&site), S_FALSE);
    EXPECT_EQ(site, -65535);
    parent->SetDatabaseId(77);
    EXPECT_EQ(parent->SetSourceSiteId(5), S_OK);
    EXPECT_EQ(child->GetSourceSiteId(&site), S_OK); // through the parent
    EXPECT_EQ(site, 5);
}

TEST(Shape, AlignPointOntoTheBoundingRectangle)
{
    CControlCore control;
    CShape box(600, &control);
    AddPoint(control, box, 0, 10);
    AddPoint(control, box, 20, 0);
    CPolyline* line = static_cast<CPolyline*>(control.GetShapeMap().CreateShape(stPolyline, true, true));
    const int start = AddPoint(control, *line, 30, 5);
    const int end = AddPoint(control, *line, 12, 7);
    CPointRecord* moving = control.GetPointPool().Find(end);

    EXPECT_EQ(box.AlignPoint(end, 0, paNone), S_OK);
    EXPECT_EQ(moving->x, 12);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(box.AlignPoint(4711, 0, paBoundingRectCorner), DISP_E_EXCEPTION);
    EXPECT_EQ(ErrorDescription(), L"Wrong identifier.");
    EXPECT_EQ(box.AlignPoint(end, 4711, paBoundingRectCorner), DISP_E_EXCEPTION);
    EXPECT_EQ(box.AlignPoint(end, box.GetId(), paBoundingRectCorner), DISP_E_EXCEPTION); // not its point
    EXPECT_EQ(box.AlignPoint(end, 0, paBorder), 1);                                       // the kinds' business

    EXPECT_EQ(box.AlignPoint(end, 0, paBoundingRectCorner), S_OK);
    EXPECT_EQ(moving->x, 20);
    EXPECT_EQ(moving->y, 10);
    moving->x = 11;
    moving->y = 4;
    EXPECT_EQ(box.AlignPoint(end, 0, paBoundingRectLineCenter), S_OK);
    EXPECT_EQ(moving->x, 10); // the bottom side's midpoint
    EXPECT_EQ(moving->y, 0);
    moving->x = 12;
    moving->y = 7;
    // From the line's first point (30, 5) to (12, 7): the crossing with the right side.
    EXPECT_EQ(box.AlignPoint(end, line->GetId(), paBoundingRectIntersection), S_OK);
    EXPECT_FLOAT_EQ(moving->x, 20);
    EXPECT_NEAR(moving->y, 5 + 2 * (10.0 / 18), 1e-4);
    (void)start;
}

// The view maps its centre to the middle of the client area; its world area is centred there.
TEST(ViewportRecord, MappingAndTheVisibleWorldArea)
{
    CControlCore control;
    CViewportRecord& view = control.GetCurrentViewport();
    view.scale = 2.0f;
    view.zoom = 1.5;
    view.SetClientArea(SIZE{3000, 1500}, nullptr); // logical units (0.1 mm)
    view.SetCenter(10, 20);
    EXPECT_FLOAT_EQ(view.width, 1000.0f);
    EXPECT_FLOAT_EQ(view.height, 500.0f);
    const CRealRect area = view.GetVisibleWorldRect();
    EXPECT_FLOAT_EQ(area.left, -490.0f);
    EXPECT_FLOAT_EQ(area.right, 510.0f);
    EXPECT_FLOAT_EQ(area.top, 270.0f);
    EXPECT_FLOAT_EQ(area.bottom, -230.0f);
    const CRealPointD centreLogical = view.WorldToLogical(10, 20);
    EXPECT_NEAR(centreLogical.x, 1500, 1e-9);
    EXPECT_NEAR(centreLogical.y, -750, 1e-9);
    // Pixels and back.
    const POINT p = view.WorldToDevice(CRealPoint(100, -50));
    const CRealPointD w = view.DeviceToWorld(p.x, p.y);
    const double worldPerPixel = view.horzSize10 / (view.horzRes * view.GetScaleFactor());
    EXPECT_NEAR(w.x, 100, worldPerPixel);
    EXPECT_NEAR(w.y, -50, worldPerPixel * view.vertSize10 / view.horzSize10 * view.horzRes / view.vertRes + 1e-9);
}

TEST(Shape, AlignPointToFindsTheHandleOfASelectedShape)
{
    CControlCore control;
    CViewportRecord& view = control.GetCurrentViewport();
    view.SetClientArea(SIZE{2000, 1000}, nullptr);
    view.SetCenter(0, 0);
    HandleShape shape(700, &control);
    AddPoint(control, shape, 0, 0);
    AddPoint(control, shape, 100, 50);
    int index = -9;
    CRealPoint at;
    EXPECT_EQ(shape.AlignPointTo(100, 50, &index, &at), 0); // not selected
    shape.SetSelected(true);
    EXPECT_EQ(shape.AlignPointTo(100.2f, 50.2f, &index, &at), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(at.x, 100);
    EXPECT_EQ(shape.AlignPointTo(60, 50, &index, &at), 0);
}

TEST(Shape, GridSnapOfADraggedPoint)
{
    CControlCore control;
    CDrawingSettingRecord* setting = control.GetCurrentDrawingSetting();
    ASSERT_NE(setting, nullptr);
    setting->GridXSpace = setting->GridYSpace = 10;
    setting->SnapBaseX = 3;
    setting->SnapBaseY = 0;
    CRealPoint out;
    control.SnapPointToGrid(CRealPoint(14, 14), &out);
    EXPECT_EQ(out.x, 13);
    EXPECT_EQ(out.y, 10);
    control.SnapPointToGrid(CRealPoint(19, 16), &out);
    EXPECT_EQ(out.x, 23);
    EXPECT_EQ(out.y, 20);

    CShape shape(800, &control);
    AddPoint(control, shape, 1, 1);
    AddPoint(control, shape, 13, 20);
    CRealPoint p(20, 20);
    shape.MovePointSnapped(p, 1, false); // snapping off: unchanged
    EXPECT_EQ(p.x, 20);
    setting->SnapToGrid = 1;
    // Move mode with a start point: the drag follows the first point already on the grid.
    const CRealPoint start(10, 10);
    shape.StartEdit(EDSH_MOVE, 0, &start);
    EXPECT_EQ(control.GetShapeStateMap().GetValue(800), 1);
    EXPECT_TRUE(control.GetEditState().dragActive);
    // Dragging by (4, 3) puts point 1 at (17, 23); snapped (13, 20): the point comes back by (-4, -3).
    p = CRealPoint(14, 13);
    shape.MovePointSnapped(p, 1, false);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 10);
    p = CRealPoint(14, 13);
    shape.MovePointSnapped(p, 1, true); // ortho along x: only y is corrected
    EXPECT_EQ(p.x, 14);
    EXPECT_EQ(p.y, 10);
    p = CRealPoint(14, 14);
    shape.MovePointSnapped(p, -1, false); // no point: the point itself snaps
    EXPECT_EQ(p.x, 13);
    shape.StartEdit(EDSH_POINT, 4, nullptr);
    EXPECT_EQ(control.GetShapeStateMap().GetValue(800), 4);
    EXPECT_FALSE(control.GetEditState().dragActive);
}

TEST(Shape, EditingHooksDriveAMoveFromTheTracker)
{
    WatchedControl control;
    CShape* shape = control.GetShapeMap().CreateShape(stDummy, true, true);
    AddPoint(control, *shape, 0, 0);
    AddPoint(control, *shape, 10, 10);
    CShape tracker(9999, *shape); // the state before the edit

    CEditState& edit = control.GetEditState();
    edit.editedShape = shape;
    edit.tracker = &tracker;
    edit.editMode = EDSH_MOVE;
    EXPECT_EQ(shape->IsEditTarget(), 1);
    shape->StartEdit(EDSH_MOVE, 0, nullptr);
    EXPECT_EQ(shape->OnEditMouseDown(2, 3, nullptr), 1); // the first press starts the drag
    EXPECT_TRUE(edit.dragActive);
    control.ClearPendingRedraw();
    EXPECT_EQ(shape->OnEditDrag(7, 3), 1);
    EXPECT_EQ(shape->GetPoints().GetAt(1)->x, 15);
    EXPECT_EQ(shape->OnEditDrag(4, 5), 1); // from the tracker again, not cumulative
    EXPECT_EQ(shape->GetPoints().GetAt(1)->x, 12);
    EXPECT_EQ(shape->GetPoints().GetAt(1)->y, 12);
    EXPECT_EQ(control.GetPendingRedraw(), static_cast<DWORD>(rfCopyBuf | rfCopyMarkers));

    edit.editMode = EDSH_ROTATE;
    edit.dragStart = CRealPoint(0, 0);
    EXPECT_EQ(shape->OnEditDrag(0, 5), 1); // 90 degrees about the drag start
    EXPECT_NEAR(shape->GetPoints().GetAt(1)->x, -10, 1e-4);
    EXPECT_NEAR(shape->GetPoints().GetAt(1)->y, 10, 1e-4);

    edit.editMode = EDSH_SCALE;
    EXPECT_EQ(shape->OnEditDrag(20, 0), 1); // distance 20 over the tracker's extent 10: twice
    EXPECT_NEAR(shape->GetPoints().GetAt(1)->x, 20, 1e-4);
    EXPECT_NEAR(shape->GetPoints().GetAt(1)->y, 20, 1e-4);

    EXPECT_EQ(shape->OnEditMouseDown(1, 1, nullptr), 1); // the second press ends the edit
    ASSERT_EQ(control.ended.size(), 1u);
    EXPECT_TRUE(control.ended[0]);
    EXPECT_FALSE(edit.dragActive);
    EXPECT_EQ(shape->OnEditMouseUp(0, 0), 1);
    EXPECT_FALSE(control.ended[1]);

    edit.editedShape = nullptr;
    EXPECT_EQ(shape->OnEditDrag(1, 1), 0);
    EXPECT_EQ(shape->OnEditMouseUp(0, 0), 0);
}

TEST(Shape, PressOnAHandleStartsThePointEdit)
{
    WatchedControl control;
    control.GetCurrentViewport().SetClientArea(SIZE{2000, 1000}, nullptr);
    control.GetCurrentViewport().SetCenter(0, 0);
    auto* shape = new HandleShape(900, &control);
    control.GetShapeMap().Insert(shape);
    AddPoint(control, *shape, 0, 0);
    const int second = AddPoint(control, *shape, 30, 40);
    shape->SetSelected(true);
    EXPECT_EQ(shape->OnEditMouseDown(30, 40, nullptr), 1);
    ASSERT_EQ(control.started.size(), 1u);
    EXPECT_EQ(control.started[0].command, EDSH_POINT);
    EXPECT_EQ(control.started[0].index, 1);
    EXPECT_EQ(control.GetEditState().pickedPointId, second);

    std::map<int, int> selection;
    EXPECT_EQ(shape->OnEditMouseDown(0, 0, &selection), 0);
    EXPECT_EQ(selection.at(900), 0);
    EXPECT_EQ(control.started.size(), 1u);
}

TEST(Shape, SmallServices)
{
    CControlCore control;
    HandleShape shape(1000, &control);
    AddPoint(control, shape, 0, 0);
    AddPoint(control, shape, 1, 1);
    EXPECT_NEAR(shape.GetAngle(), M_PI / 4, 1e-9);
    EXPECT_EQ(shape.SetAngle(M_PI / 2), 1);
    EXPECT_NEAR(shape.GetAngle(), M_PI / 2, 1e-5);
    EXPECT_EQ(shape.HasPointAt(0.5f, 1.20710678f), 1); // a corner moved by the rotation
    EXPECT_EQ(shape.HasPointAt(5, 5), 0);

    shape.NotifyChange(EDSH_MOVE);
    shape.NotifyChange(EDSH_TEXT);
    EXPECT_EQ(shape.GetReferenceLocks(), 0x41u);

    CShapeStats stats;
    EXPECT_EQ(shape.CountStats(stats), 1);
    EXPECT_EQ(stats.points, 2);
    EXPECT_EQ(stats.shapes, 1);
    shape.SetStateBits(CShape::stPersistent, false);
    EXPECT_EQ(shape.CountStats(stats), 0);

    shape.SetPenWeight(3);
    shape.SetLinePatternId(12);
    shape.SetPenColor(0xFF);
    shape.ResetToByLayer();
    EXPECT_EQ(shape.GetPenWeight(), 0.0f);
    EXPECT_EQ(shape.GetLinePatternId(), 0x4000);
    EXPECT_EQ(shape.GetPenColor(), 0x20000000u);

    shape.SetPenWeight(2);
    EXPECT_DOUBLE_EQ(shape.GetDevicePenWidth(), 2 * control.GetCurrentViewport().GetScaleFactor());
    shape.SetStateBits(CShape::stScalePenWeight, false);
    EXPECT_DOUBLE_EQ(shape.GetDevicePenWidth(), 20.0); // the pen cache's width factor

    std::string dump;
    shape.DumpDebugText(dump);
    EXPECT_EQ(dump.rfind("\t ShapeID = 1000,\t\tpoint[0] = ", 0), 0u) << dump;
    shape.SetDatabaseId(5);
    EXPECT_EQ(shape.ClearDatabaseId(), 1);
    EXPECT_EQ(shape.GetDatabaseId(), 0);
}
