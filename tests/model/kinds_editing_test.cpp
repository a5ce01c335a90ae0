// The interactive editing hooks of the polyline and line kinds as the control's mouse handlers
// drive them: creation press by press (polylines, rectangles, lines), OnAddPoint with its veto,
// dragging points (orthogonal outlines, Bezier anchors, protection locks), closing an outline by
// dropping its end onto its start, and the end of the edit.
#include <gtest/gtest.h>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Line.h"
#include "model/Polyline.h"
#include "model/ShapeStateMap.h"
#include "YVEX_h.h"
#include "tests/support/PathShape.h"
#include "tests/support/StorageTestSupport.h"

namespace {

// A control with a host behind it: the point events are recorded and answered, and the end of an
// operation is noted.
class EditingControl : public CControlCore
{
public:
    bool EventsEnabled() const override { return events; }
    bool FireAddPoint(int pointId) override
    {
        added.push_back(pointId);
        if (removeOnAdd) {
            GetShapeMap().RemoveShape(removeOnAdd);
            removed.reset(removeOnAdd);
            removeOnAdd = nullptr;
        }
        return proceed;
    }
    bool FireDeletePoint(int pointId) override
    {
        deleted.push_back(pointId);
        return proceed;
    }
    void EndInteractiveOperation(bool commit) override { ended.push_back(commit); }

    bool events = true;
    bool proceed = true;
    CShape* removeOnAdd = nullptr;
    std::unique_ptr<CShape> removed;
    std::vector<int> added, deleted;
    std::vector<bool> ended;
};

struct Editing
{
    Editing()
    {
        root = MakeFixedGroup(control, BASE_ID);
        control.SetRootId(BASE_ID);
        const int first = 20;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
        // One world unit a pixel: the closing test measures in pixels.
        drawtest::SetPixelView(control, 200);
    }
    template <class T>
    T* Make(int type, std::initializer_list<CRealPoint> points, DWORD flags = 0)
    {
        CShape* shape = control.GetShapeMap().CreateShape(type, true, true);
        int index = 0;
        for (const CRealPoint& p : points)
            shape->SetPointCoords(3, p.x, p.y, index++);
        root->AddChild(shape, nullptr, 1, false);
        if (auto* polyline = dynamic_cast<CPolyline*>(shape))
            polyline->SetFlags(polyline->GetFlags() | flags);
        return static_cast<T*>(shape);
    }
    // The control makes the shape its edit target and lets it start the edit.
    void Begin(CShape* shape, int mode, int picked)
    {
        control.GetEditState().editedShape = shape;
        shape->StartEdit(mode, picked, nullptr);
    }
    int Picked(CShape* shape) { return control.GetShapeStateMap().GetValue(shape->GetId()); }
    EditingControl control;
    CGroup* root;
};

std::vector<CRealPoint> PointsOf(const CShape& shape)
{
    std::vector<CRealPoint> out;
    for (const CPointRecord* p : shape.GetPoints())
        out.emplace_back(p->x, p->y);
    return out;
}

void ExpectPoints(const CShape& shape, std::vector<CRealPoint> expected)
{
    const std::vector<CRealPoint> got = PointsOf(shape);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x, expected[i].x, 1e-4) << "point " << i;
        EXPECT_NEAR(got[i].y, expected[i].y, 1e-4) << "point " << i;
    }
}

} // namespace

// Press, move, press, move, press, end: the points pressed, without the one that followed the
// cursor; OnAddPoint for each point put in.
TEST(PolylineEditing, CreatedPressByPress)
{
    Editing e;
    auto* p = e.Make<CPolyline>(stPolyline, {});
    e.Begin(p, EDSH_NEWPOINT, 0);
    ASSERT_EQ(p->OnEditMouseDown(10, 10, nullptr), 1);
    EXPECT_EQ(p->GetPointCount(), 2);
    EXPECT_EQ(e.Picked(p), 1);
    EXPECT_EQ(e.control.added.size(), 1u);
    EXPECT_EQ(p->OnEditDrag(50, 10), 1);
    ExpectPoints(*p, {{10, 10}, {50, 10}});
    ASSERT_EQ(p->OnEditMouseDown(50, 10, nullptr), 1);
    EXPECT_EQ(e.Picked(p), 2);
    p->OnEditDrag(50, 40);
    ASSERT_EQ(p->OnEditMouseDown(50, 40, nullptr), 1);
    EXPECT_EQ(p->GetPointCount(), 4);
    EXPECT_EQ(e.control.added.size(), 3u);
    ASSERT_EQ(p->EndEdit(true), 1);
    ExpectPoints(*p, {{10, 10}, {50, 10}, {50, 40}});
    EXPECT_EQ(p->GetVertices().size(), 3u);
    // The outline is complete: the control's commit may go ahead.
    EXPECT_EQ(e.control.GetEditState().editMode, EDSH_POINT);
    EXPECT_EQ(e.control.ended, std::vector<bool>{true});

    // Ended while the last point still follows the cursor elsewhere: that point goes.
    auto* q = e.Make<CPolyline>(stPolyline, {});
    e.Begin(q, EDSH_NEWPOINT, 0);
    q->OnEditMouseDown(0, 0, nullptr);
    q->OnEditDrag(30, 0);
    q->OnEditMouseDown(30, 0, nullptr);
    q->OnEditDrag(30, 20);
    ASSERT_EQ(q->EndEdit(true), 1);
    ExpectPoints(*q, {{0, 0}, {30, 0}});

    // A point put into an existing outline follows the cursor until the press.
    auto* r = e.Make<CPolyline>(stPolyline, {{0, 0}, {10, 0}});
    e.Begin(r, EDSH_NEWPOINT, 1);
    EXPECT_EQ(r->GetPointCount(), 3);
    EXPECT_EQ(e.Picked(r), 1);
    r->OnEditDrag(5, 5);
    ExpectPoints(*r, {{0, 0}, {5, 5}, {10, 0}});
    r->OnEditMouseDown(5, 5, nullptr);
    ASSERT_EQ(r->EndEdit(true), 1);
    ExpectPoints(*r, {{0, 0}, {5, 5}, {10, 0}});

    // With fewer than two points the edit stays open.
    auto* empty = e.Make<CPolyline>(stPolyline, {});
    e.Begin(empty, EDSH_NEWPOINT, 0);
    const size_t ended = e.control.ended.size();
    EXPECT_EQ(empty->EndEdit(true), 0);
    EXPECT_EQ(e.control.ended.size(), ended);
    EXPECT_EQ(e.control.GetEditState().editMode, EDSH_NEWPOINT);
}

// The host refuses the first point: the polyline stays empty. A host that deletes the shape in
// its handler ends the press.
TEST(PolylineEditing, OnAddPointVetoAndDeletion)
{
    Editing e;
    auto* p = e.Make<CPolyline>(stPolyline, {});
    e.Begin(p, EDSH_NEWPOINT, 0);
    e.control.proceed = false;
    EXPECT_EQ(p->OnEditMouseDown(10, 10, nullptr), 1);
    EXPECT_EQ(p->GetPointCount(), 0);
    EXPECT_EQ(e.control.added.size(), 1u);

    e.control.proceed = true;
    auto* gone = e.Make<CPolyline>(stPolyline, {});
    e.Begin(gone, EDSH_NEWPOINT, 0);
    e.root->RemoveChild(gone);
    e.control.removeOnAdd = gone;
    EXPECT_EQ(gone->OnEditMouseDown(10, 10, nullptr), 0);

    // Without a host listening nothing is asked.
    e.control.events = false;
    auto* quiet = e.Make<CPolyline>(stPolyline, {});
    e.Begin(quiet, EDSH_NEWPOINT, 0);
    const size_t asked = e.control.added.size();
    EXPECT_EQ(quiet->OnEditMouseDown(5, 5, nullptr), 1);
    EXPECT_EQ(quiet->GetPointCount(), 2);
    EXPECT_EQ(e.control.added.size(), asked);
}

// The first press with the rectangle tool makes three points, picks the third and switches to
// point editing; the drag spans the rectangle from the press to the cursor.
TEST(PolylineEditing, RectangleFromOnePressAndADrag)
{
    Editing e;
    auto* r = e.Make<CPolyline>(stRectangle, {});
    e.Begin(r, EDSH_NEWPOINT, 0);
    ASSERT_EQ(r->OnEditMouseDown(10, 10, nullptr), 1);
    ExpectPoints(*r, {{10, 10}, {11, 10}, {10, 9}});
    EXPECT_EQ(e.Picked(r), 2);
    EXPECT_EQ(e.control.GetEditState().editMode, EDSH_POINT);
    EXPECT_EQ(e.control.added.size(), 3u);
    ASSERT_EQ(r->OnEditDrag(60, 40), 1);
    ASSERT_EQ(r->GetPointCount(), 4);
    // Four corners, each side horizontal or vertical, spanning (10, 10) to (60, 40).
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(r->IsOrthoAt(i), 1) << i;
    EXPECT_NEAR(r->GetArea(), 50.0 * 30.0, 1e-3);
    float l, t, rr, b;
    ASSERT_EQ(r->GetBoundingRect(&l, &t, &rr, &b), S_OK);
    EXPECT_EQ(l, 10.0f);
    EXPECT_EQ(b, 10.0f);
    EXPECT_EQ(rr, 60.0f);
    EXPECT_EQ(t, 40.0f);
    // Dragged on, the opposite corner stays where the press was.
    r->OnEditDrag(30, 70);
    ASSERT_EQ(r->GetBoundingRect(&l, &t, &rr, &b), S_OK);
    EXPECT_NEAR(l, 10.0f, 1e-4);
    EXPECT_NEAR(b, 10.0f, 1e-4);
    EXPECT_NEAR(rr, 30.0f, 1e-4);
    EXPECT_NEAR(t, 70.0f, 1e-4);
    // The next press ends it.
    EXPECT_EQ(r->OnEditMouseDown(30, 70, nullptr), 1);
    EXPECT_EQ(e.control.ended, std::vector<bool>{true});
}

// Dropping the end of an open outline onto its start and pressing closes it and takes the doubled
// end point out.
TEST(PolylineEditing, ClosedByDroppingTheEndOntoTheStart)
{
    Editing e;
    auto* p = e.Make<CPolyline>(stPolyline, {{0, 0}, {40, 0}, {40, 40}, {0, 40}});
    e.Begin(p, EDSH_POINT, 3);
    p->OnEditDrag(1, 2);
    ExpectPoints(*p, {{0, 0}, {40, 0}, {40, 40}, {1, 2}});
    ASSERT_EQ(p->OnEditMouseDown(1, 2, nullptr), 1);
    EXPECT_TRUE(p->IsClosed());
    ExpectPoints(*p, {{0, 0}, {40, 0}, {40, 40}});
    EXPECT_EQ(e.control.ended, std::vector<bool>{true});

    // Too far from the start (beyond the pen and 3 pixels): it stays open.
    auto* q = e.Make<CPolyline>(stPolyline, {{0, 0}, {40, 0}, {40, 40}, {0, 40}});
    e.Begin(q, EDSH_POINT, 3);
    q->OnEditDrag(6, 0);
    q->OnEditMouseDown(6, 0, nullptr);
    EXPECT_FALSE(q->IsClosed());
    EXPECT_EQ(q->GetPointCount(), 4);
}

// Dragging keeps an orthogonal outline orthogonal, carries a Bezier anchor's control points and
// follows the protection locks.
TEST(PolylineEditing, DragsKeepTheForm)
{
    Editing e;
    auto* stairs = e.Make<CPolyline>(stPolyline, {{0, 0}, {10, 0}, {10, 10}, {20, 10}}, pfOrtho);
    e.Begin(stairs, EDSH_POINT, 2);
    ASSERT_EQ(stairs->OnEditDrag(15, 12), 1);
    ExpectPoints(*stairs, {{0, 0}, {15, 0}, {15, 12}, {20, 12}});
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(stairs->IsOrthoAt(i), 1) << i;

    auto* curve = e.Make<CPolyline>(stPolyline, {{0, 0}, {2, 2}, {8, 2}, {10, 0}, {12, -2}, {18, -2}, {20, 0}}, pfBezier);
    e.Begin(curve, EDSH_POINT, 3);
    ASSERT_EQ(curve->OnEditDrag(10, 5), 1);
    ExpectPoints(*curve, {{0, 0}, {2, 2}, {8, 7}, {10, 5}, {12, 3}, {18, -2}, {20, 0}});

    // A locked width holds x on the bounding rectangle's vertical edges.
    auto* locked = e.Make<CPolyline>(stPolyline, {{0, 0}, {10, 0}, {10, 10}});
    locked->PutProtectionFlag(sdbfWidth, true);
    e.Begin(locked, EDSH_POINT, 2);
    locked->OnEditDrag(14, 12);
    ExpectPoints(*locked, {{0, 0}, {10, 0}, {10, 12}});
}

// A line: two presses make it (OnAddPoint for the first, and for the second when the edit ends,
// where a refusal keeps the edit open); dragging an end under an aspect lock keeps the direction.
TEST(LineEditing, CreationAndDrags)
{
    Editing e;
    auto* line = e.Make<CLine>(stLine, {});
    e.Begin(line, EDSH_NEWPOINT, 0);
    ASSERT_EQ(line->OnEditMouseDown(10, 10, nullptr), 1);
    ExpectPoints(*line, {{10, 10}, {10, 10}});
    EXPECT_EQ(e.control.GetEditState().editMode, EDSH_POINT);
    EXPECT_EQ(e.Picked(line), 1);
    EXPECT_EQ(e.control.added, std::vector<int>{line->GetPoints().GetAt(0)->GetPointId()});
    line->OnEditDrag(50, 30);
    ExpectPoints(*line, {{10, 10}, {50, 30}});
    e.control.proceed = false;
    EXPECT_EQ(line->OnEditMouseDown(50, 30, nullptr), 1);
    EXPECT_TRUE(e.control.ended.empty()) << "refused: the edit stays open";
    e.control.proceed = true;
    EXPECT_EQ(line->OnEditMouseDown(50, 30, nullptr), 1);
    EXPECT_EQ(e.control.ended, std::vector<bool>{true});
    EXPECT_EQ(e.control.added.back(), line->GetPoints().GetAt(1)->GetPointId());

    struct Case
    {
        const char* what;
        DWORD locks;
        CRealPoint to;
        CRealPoint expected;
    };
    const Case cases[] = {
        {"free", 0, {30, 0}, {30, 0}},
        {"aspect keeps the direction", sdbfAspect, {30, 0}, {30, 15}},
        {"rotation keeps the direction", sdbfRotation, {4, 20}, {40, 20}},
        {"width holds x", sdbfWidth, {30, 0}, {10, 0}},
        {"height holds y", sdbfHeight, {30, 0}, {30, 5}},
        {"width and height: refused", sdbfWidth | sdbfHeight, {30, 0}, {10, 5}},
        {"height and aspect: refused", sdbfHeight | sdbfAspect, {30, 0}, {10, 5}},
    };
    for (const Case& c : cases) {
        auto* l = e.Make<CLine>(stLine, {{0, 0}, {10, 5}});
        l->PutProtectionFlag(c.locks, true);
        e.Begin(l, EDSH_POINT, 1);
        EXPECT_EQ(l->OnEditDrag(c.to.x, c.to.y), 1) << c.what;
        ExpectPoints(*l, {{0, 0}, c.expected});
    }
    // The midpoint handle stands for a move of the whole line.
    auto* selected = e.Make<CLine>(stLine, {{0, 0}, {40, 20}});
    selected->SetSelected(true);
    int index = 5;
    ASSERT_EQ(selected->AlignPointTo(20, 10, &index, nullptr), 1);
    EXPECT_EQ(index, -1);
    ASSERT_EQ(selected->AlignPointTo(40, 20, &index, nullptr), 1);
    EXPECT_EQ(index, 1);
}

// Duplicate points go at the end of a creation only as far as the host lets them.
TEST(PolylineEditing, DuplicateRemovalAsksTheHost)
{
    Editing e;
    auto* p = e.Make<CPolyline>(stPolyline, {{0, 0}, {5, 5}, {5, 5}, {9, 0}});
    e.control.proceed = false;
    EXPECT_EQ(p->RemoveDuplicatePoints(), 0);
    EXPECT_EQ(p->GetPointCount(), 4);
    EXPECT_EQ(e.control.deleted.size(), 1u);
    e.control.proceed = true;
    EXPECT_EQ(p->RemoveDuplicatePoints(), 1);
    ExpectPoints(*p, {{0, 0}, {5, 5}, {9, 0}});
}
