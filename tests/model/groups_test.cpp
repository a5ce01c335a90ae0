// Groups: bounds, handles, transforms with shared points and locks, style propagation, names;
// the shape-ID list, the selection and the highlight groups.
#include "tests/support/DrawingTestSupport.h"
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include "control/UndoRecorder.h"
#include "model/HighlightGroup.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Reference.h"
#include "model/SelectionGroup.h"
#include "model/ShapeIdGroup.h"
#include "model/ShapeStateMap.h"

using namespace drawtest;

namespace {
CGroup* NewGroup(CControlCore& control, int id)
{
    auto* group = new CGroup(id, &control);
    control.GetShapeMap().Insert(group);
    return group;
}

PathShape* NewLine(CControlCore& control, int id, float x0, float y0, float x1, float y1)
{
    auto* line = new PathShape(id, &control, stLine);
    AddPoint(control, *line, x0, y0);
    AddPoint(control, *line, x1, y1);
    control.GetShapeMap().Insert(line);
    return line;
}

CRealRect Bounds(CShape& shape, HRESULT* result = nullptr)
{
    CRealRect r;
    const HRESULT hr = shape.GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom);
    if (result)
        *result = hr;
    return r;
}

void ExpectRect(const CRealRect& r, float l, float t, float rt, float b)
{
    EXPECT_FLOAT_EQ(r.left, l);
    EXPECT_FLOAT_EQ(r.top, t);
    EXPECT_FLOAT_EQ(r.right, rt);
    EXPECT_FLOAT_EQ(r.bottom, b);
}
} // namespace

TEST(GroupGeometry, BoundsOfEmptyGroupsAndReferences)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    HRESULT hr;
    Bounds(*group, &hr);
    EXPECT_EQ(hr, E_FAIL) << "no points, no children";
    AddPoint(control, *group, 5, 5);
    ExpectRect(Bounds(*group), 5, 5, 5, 5);
    EXPECT_TRUE(group->IsExtentCached());

    // Invisible children count for nothing: the own points answer and the cache stays invalid.
    PathShape* a = NewLine(control, 101, 0, 10, 20, 30);
    group->AddChild(a, nullptr, 0, false);
    a->SetVisible(false);
    ExpectRect(Bounds(*group), 5, 5, 5, 5);
    EXPECT_FALSE(group->IsExtentCached());
    a->SetVisible(true);
    ExpectRect(Bounds(*group), 0, 30, 20, 5);
    a->SetPointCoords(1, 40, 0, 1);
    EXPECT_FALSE(group->IsExtentCached()) << "a child's change drops the parent's cache";
    ExpectRect(Bounds(*group), 0, 30, 40, 5);

    // A reference shows its children only: its own (insertion) point and, unless the control
    // asks for them or all children are attributes, its attribute texts are left out.
    CGroup* reference = NewGroup(control, 110);
    reference->SetShapeType(stReference);
    root->AddChild(reference, nullptr, 0, false);
    AddPoint(control, *reference, -100, -100);
    PathShape* body = NewLine(control, 111, 0, 0, 10, 10);
    PathShape* label = NewLine(control, 112, 50, 50, 60, 60);
    label->attribute = true;
    reference->AddChild(body, nullptr, 0, false);
    reference->AddChild(label, nullptr, 0, false);
    ExpectRect(Bounds(*reference), 0, 10, 10, 0);
    control.SetControlFlags(control.GetControlFlags() | controlReferenceBoundsWithAttribs);
    ExpectRect(Bounds(*reference), 0, 60, 60, 0);
    control.SetControlFlags(control.GetControlFlags() & ~static_cast<DWORD>(controlReferenceBoundsWithAttribs));
    CRealRect all;
    reference->GetBoundingRectEx(&all.left, &all.top, &all.right, &all.bottom, nullptr, 1);
    ExpectRect(all, 0, 60, 60, 0);
    reference->RemoveChild(body);
    // Only attributes left: they count.
    ExpectRect(Bounds(*reference), 50, 60, 60, 50);
}

// Nine handles: corners, centre, edge midpoints; each handle drags about its opposite one.
TEST(GroupGeometry, HandlesScaleAboutTheOppositeHandle)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    group->AddChild(NewLine(control, 101, 0, 0, 100, 50), nullptr, 0, false);
    CRealPoint h[9];
    ASSERT_EQ(group->GetHandlePoints(nullptr, 0), 9);
    ASSERT_EQ(group->GetHandlePoints(h, 9), 9);
    EXPECT_EQ(h[0].x, 0);
    EXPECT_EQ(h[0].y, 50);
    EXPECT_EQ(h[2].x, 100);
    EXPECT_EQ(h[2].y, 0);
    EXPECT_EQ(h[4].x, 50);
    EXPECT_EQ(h[5].y, 50);
    EXPECT_EQ(h[8].x, 0);
    struct Case
    {
        int handle;
        float tx, ty;
        float kx, ky, fx, fy;
    } cases[] = {
        {4, -50, 75, 3.0f, 3.0f, 100, 0},   // the centre scales about corner 2
        {0, -100, 100, 2.0f, 2.0f, 100, 0},
        {1, 200, 100, 2.0f, 2.0f, 0, 0},
        {5, 70, 100, 1.0f, 2.0f, 50, 0},    // top midpoint about the bottom midpoint
        {7, 70, -50, 1.0f, 2.0f, 50, 50},
        {6, 200, 10, 2.0f, 1.0f, 0, 25},    // right midpoint about the left one
        {8, -100, 10, 2.0f, 1.0f, 100, 25},
    };
    for (const Case& c : cases) {
        float kx = 0, ky = 0;
        CRealPoint fixed;
        ASSERT_EQ(group->ComputeHandleScale(CRealPoint(c.tx, c.ty), c.handle, &kx, &ky, &fixed, true), 1);
        EXPECT_FLOAT_EQ(kx, c.kx) << c.handle;
        EXPECT_FLOAT_EQ(ky, c.ky) << c.handle;
        EXPECT_FLOAT_EQ(fixed.x, c.fx) << c.handle;
        EXPECT_FLOAT_EQ(fixed.y, c.fy) << c.handle;
    }
    // A group inside the library, or a fixed group, has no handles.
    CGroup* library = NewGroup(control, LIBRARY_ID);
    CGroup* block = NewGroup(control, 120);
    library->AddChild(block, nullptr, 0, false);
    EXPECT_EQ(block->GetHandlePoints(nullptr, 0), 0);
}

// A point shared by two members moves once; a locked group refuses a shift and nothing moves.
TEST(GroupGeometry, TransformsMoveSharedPointsOnceAndHonourLocks)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    PathShape* a = NewLine(control, 101, 0, 0, 10, 0);
    auto* b = new PathShape(102, &control, stLine);
    control.GetShapeMap().Insert(b);
    const int shared = a->GetPoints().GetAt(1)->GetPointId();
    ASSERT_EQ(b->AddPointById(shared, CShape::kAppend, true), S_OK);
    AddPoint(control, *b, 10, 10);
    group->AddChild(a, nullptr, 0, false);
    group->AddChild(b, nullptr, 0, false);
    // A third shape follows the shared point as a linked point.
    PathShape* connector = NewLine(control, 103, 50, 50, 60, 60);
    root->AddChild(connector, nullptr, 0, false);
    connector->LinkPoint(shared);

    EXPECT_EQ(group->Shift(5, 1, nullptr, false), S_OK);
    const CPointRecord* p = control.GetPointPool().Find(shared);
    EXPECT_FLOAT_EQ(p->x, 15);
    EXPECT_FLOAT_EQ(p->y, 1);
    ExpectRect(Bounds(*b), 15, 11, 15, 1);

    EXPECT_EQ(group->Scale(0, 0, 2, 2, nullptr, false), S_OK);
    EXPECT_FLOAT_EQ(p->x, 30);
    EXPECT_FLOAT_EQ(p->y, 2);
    ExpectRect(Bounds(*group), 10, 22, 30, 2);

    // Flipping mirrors every member about the group's own axis, not each member's.
    EXPECT_EQ(group->FlipHorizontal(nullptr, nullptr), 1);
    ExpectRect(Bounds(*group), 10, 22, 30, 2);
    EXPECT_FLOAT_EQ(p->x, 10);

    group->SetProtectionFlagsMasked(sdbfXpos | sdbfYpos, sdbfXpos | sdbfYpos);
    const CRealRect before = Bounds(*group);
    EXPECT_EQ(group->Shift(7, 7, nullptr, false), E_ACCESSDENIED);
    const CRealRect after = Bounds(*group);
    ExpectRect(after, before.left, before.top, before.right, before.bottom);
    EXPECT_EQ(group->Shift(7, 7, nullptr, true), S_OK) << "forced";
    EXPECT_FLOAT_EQ(p->x, 17);
}

TEST(GroupGeometry, PointsAnglesAndAlignment)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    PathShape* a = NewLine(control, 101, 0, 0, 10, 10);
    PathShape* b = NewLine(control, 102, 40, 20, 60, 20);
    group->AddChild(a, nullptr, 0, false);
    group->AddChild(b, nullptr, 0, false);
    CRealPoint p;
    int count = -1;
    EXPECT_EQ(group->GetNthPoint(3, &p, 0, &count), 1);
    EXPECT_EQ(p.x, 60);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(group->GetNthPoint(4, &p, 0, &count), 0);
    EXPECT_NEAR(group->GetAngle(), a->GetAngle(), 1e-12);
    EXPECT_EQ(group->HasPointAt(40, 20), 1) << "through the children";
    EXPECT_EQ(group->HasPointAt(41, 20), 0);

    // A plain group selects as a unit and is not aligned; the selection aligns its members.
    EXPECT_EQ(group->AlignTo(0), 0);
    CSelectionGroup selection(SELECTION_ID, &control);
    selection.AddChild(a, nullptr, 0, false);
    selection.AddChild(b, nullptr, 0, false);
    EXPECT_EQ(selection.AlignTo(0), 1);
    EXPECT_FLOAT_EQ(Bounds(*b).left, 0);
    EXPECT_EQ(selection.AlignTo(2), 1);
    EXPECT_FLOAT_EQ(Bounds(*a).top, 20);
    EXPECT_FLOAT_EQ(Bounds(*b).top, 20);
    EXPECT_EQ(selection.AlignTo(4), 1);
    EXPECT_FLOAT_EQ(Bounds(*b).left + Bounds(*b).right, Bounds(*a).left + Bounds(*a).right);
}

// Style changes of a group reach the children on its layer: going by layer turns by-block
// children by layer; a concrete value turns by-layer children by block.
TEST(GroupChildren, StylePropagationAndVisibility)
{
    CControlCore control;
    CLayer* base = new CLayer(BASE_LAYER, &control);
    control.GetShapeMap().Insert(base);
    CLayer* other = new CLayer(50, &control);
    control.GetShapeMap().Insert(other);
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    PathShape* byLayer = NewLine(control, 101, 0, 0, 1, 1);
    PathShape* byBlock = NewLine(control, 102, 0, 0, 1, 1);
    PathShape* foreign = NewLine(control, 103, 0, 0, 1, 1);
    byLayer->SetLayer(base);
    byBlock->SetLayer(base);
    foreign->SetLayer(other);
    byBlock->SetPenColor(0x40000000);
    foreign->SetPenColor(0x20000000);
    for (CShape* s : {static_cast<CShape*>(byLayer), static_cast<CShape*>(byBlock), static_cast<CShape*>(foreign)})
        group->AddChild(s, nullptr, 0, false);

    group->SetPenColor(0x0000FF);
    EXPECT_EQ(byLayer->GetPenColor(), 0x40000000u);
    EXPECT_EQ(byBlock->GetPenColor(), 0x40000000u);
    EXPECT_EQ(foreign->GetPenColor(), 0x20000000u) << "another layer keeps its value";
    group->SetPenColor(0x20000000);
    EXPECT_EQ(byLayer->GetPenColor(), 0x20000000u);
    EXPECT_EQ(byBlock->GetPenColor(), 0x20000000u);
    group->SetLinePatternId(5);
    EXPECT_EQ(byLayer->GetLinePatternId(), 0x8000);

    // Visibility: passed on; a group is visible only with a visible child.
    group->SetVisible(false);
    EXPECT_FALSE(byLayer->IsVisible());
    group->SetVisible(true);
    EXPECT_TRUE(group->IsVisible());
    for (CShape* s : group->Children())
        s->SetVisible(false);
    EXPECT_FALSE(group->IsVisible());
    group->SetSelected(true);
    EXPECT_TRUE(byLayer->HasState(CShape::stSelected));
}

TEST(GroupChildren, BlockNamesAreValidAndUniqueInTheLibrary)
{
    CControlCore control;
    CGroup* library = NewGroup(control, LIBRARY_ID);
    CGroup* first = NewGroup(control, 100);
    library->AddChild(first, nullptr, 0, false);
    first->SetName(L"my block!");
    EXPECT_EQ(first->GetBlockName(), "myblock");
    EXPECT_EQ(first->GetName(), L"my block!");
    CGroup* second = NewGroup(control, 101);
    library->AddChild(second, nullptr, 0, false);
    second->SetName(L"myblock");
    EXPECT_EQ(second->GetBlockName(), "myblock1");
    CGroup* third = NewGroup(control, 102);
    library->AddChild(third, nullptr, 0, false);
    third->SetName(L"myblock");
    EXPECT_EQ(third->GetBlockName(), "myblock2");
    // Renaming keeps its own name out of the comparison.
    third->SetName(L"myblock2");
    EXPECT_EQ(third->GetBlockName(), "myblock2");
    EXPECT_EQ(library->FindChildByName(L"myblock"), second);
    EXPECT_EQ(library->FindChildByName(L"none"), nullptr);
    // The fixed and prototype IDs get no block name.
    CGroup fixed(DEFAULT_SHAPE_ID, &control);
    fixed.SetName(L"Default");
    EXPECT_EQ(fixed.GetBlockName(), "");
}

TEST(GroupChildren, RemovalByKindAndTheKindQuery)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* inner = NewGroup(control, 100);
    root->AddChild(inner, nullptr, 0, false);
    PathShape* line = NewLine(control, 101, 0, 0, 1, 1);
    inner->AddChild(line, nullptr, 0, false);
    root->AddChild(NewLine(control, 102, 0, 0, 1, 1), nullptr, 0, false);
    const std::set<int> lines = {stLine};
    const std::set<int> texts = {stText};
    // A line deep inside is found; a group without one below it does not end the search.
    CGroup* empty = NewGroup(control, 103);
    root->MoveChildToHead(inner->GetId());
    root->AddChild(empty, nullptr, 0, false);
    root->MoveChildToHead(empty->GetId());
    EXPECT_EQ(root->HasNoChildOfTypes(lines, true, 0), 0);
    EXPECT_EQ(root->HasNoChildOfTypes(texts, true, 0), 1);
    EXPECT_EQ(inner->HasNoChildOfTypes(lines, false, 0), 0);
    EXPECT_EQ(root->RemoveChildrenOfTypes(lines, true), 0);
    EXPECT_EQ(control.FindShape(101), nullptr);
    EXPECT_EQ(control.FindShape(102), nullptr);
    EXPECT_EQ(inner->GetShapeCount(), 0);
    EXPECT_EQ(root->HasNoChildOfTypes(lines, true, 0), 1);
}

namespace {
// A text of a kind (TextTypes), as far as the kind query asks.
struct KindText : CShape
{
    KindText(int id, CControlCore* control, int kind) : CShape(id, control), kind(kind) { m_shapeType = stText; }
    int GetTextType() override { return kind; }
    int kind;
};
} // namespace

// With a kind value, texts answer by their text kind and polylines by their flags; without one,
// any shape of the types counts.
TEST(GroupChildren, TheKindQueryComparesTextKindsAndPolylineFlags)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* inner = NewGroup(control, 100);
    root->AddChild(inner, nullptr, 0, false);
    auto* label = new KindText(101, &control, ttLabel);
    control.GetShapeMap().Insert(label);
    inner->AddChild(label, nullptr, 0, false);
    CShape* polygon = control.GetShapeMap().CreateShape(stPolygon, true, true);
    root->AddChild(polygon, nullptr, 0, false);
    const std::set<int> texts = {stText};
    const std::set<int> polylines = {stPolyline};
    struct Case
    {
        const std::set<int>* types;
        bool recursive;
        int kind;
        int none; // the answer: 1 when no such child
    } cases[] = {
        {&texts, true, ttLabel, 0},  {&texts, true, ttAttrib, 1}, {&texts, true, 0, 0},
        {&texts, false, ttLabel, 1}, {&polylines, false, pfClosed, 0}, {&polylines, false, pfClosed | pfOrtho, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(root->HasNoChildOfTypes(*c.types, c.recursive, c.kind), c.none)
            << (c.types == &texts ? "texts" : "polylines") << " recursive " << c.recursive << " kind " << c.kind;
    EXPECT_EQ(inner->HasNoChildOfTypes(texts, false, ttLabel), 0);
}

// The shape-ID list holds shapes without owning them.
TEST(ShapeIdGroup, ListsWithoutOwning)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    PathShape* line = NewLine(control, 101, 0, 0, 1, 1);
    line->SetZOrder(7, false);
    root->AddChild(line, nullptr, 0, false);
    auto* list = new CShapeIdGroup(HIGHLIGHTS_ID, &control);
    control.GetShapeMap().Insert(list);
    int index = -1;
    EXPECT_EQ(list->AddChild(line, &index, 0, false), 0);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(list->AddChild(line, &index, 0, false), 1) << "once only";
    EXPECT_EQ(list->GetShapeCount(), 1);
    EXPECT_EQ(line->GetParent(), root);
    EXPECT_EQ(line->GetZOrder(), 7.0f);
    // Clearing the list leaves the shape where it is.
    list->Clear(false);
    EXPECT_EQ(list->GetShapeCount(), 0);
    EXPECT_EQ(control.FindShape(101), line);
    EXPECT_EQ(root->IndexOfChild(101), 0);
    // A listed shape deleted through the control leaves the list.
    list->AddChild(line, nullptr, 0, false);
    EXPECT_EQ(list->RemoveChildAt(0, true), 0);
    EXPECT_EQ(control.FindShape(101), nullptr);
    EXPECT_EQ(list->GetShapeCount(), 0);
    EXPECT_EQ(list->RemoveChildAt(0, false), 1);
    PathShape* other = NewLine(control, 102, 0, 0, 1, 1);
    root->AddChild(other, nullptr, 0, false);
    list->AddChild(other, nullptr, 0, false);
    EXPECT_EQ(control.DeleteShapeByID(102, 0, 0), S_OK);
    EXPECT_EQ(list->GetShapeCount(), 0);
    EXPECT_EQ(list->RemoveChild(other), 1);
}

namespace {
// A control whose host is watched: events on, the proceed answer chosen by the test, redraw
// requests counted, and a window when the test gives one.
struct HostedControl : CControlCore
{
    bool EventsEnabled() const override { return events; }
    bool FireBringShapeToFront(int id) override
    {
        fired.push_back("front " + std::to_string(id));
        return proceed;
    }
    bool FireSendShapeToBack(int id) override
    {
        fired.push_back("back " + std::to_string(id));
        return proceed;
    }
    void RequestRedraw(DWORD flags, CShape* target) override
    {
        ++redraws;
        CControlCore::RequestRedraw(flags, target);
    }
    HWND GetControlWindow() const override { return window; }
    bool events = true;
    bool proceed = true;
    int redraws = 0;
    HWND window = nullptr;
    std::vector<std::string> fired;
};

// An undo recorder that keeps what it was asked, in order.
struct LoggingRecorder : CUndoRecorder
{
    explicit LoggingRecorder(CControlCore* control) : CUndoRecorder(control) {}
    HRESULT OpenOperation(int kind) override
    {
        log.push_back("open " + std::to_string(kind));
        return S_OK;
    }
    HRESULT CloseOperation(bool commit) override
    {
        log.push_back(commit ? "commit" : "close");
        return S_OK;
    }
    HRESULT RecordShape(int kind, CShape* shape, bool) override
    {
        log.push_back("record " + std::to_string(kind) + " " + std::to_string(shape->GetId()));
        return S_OK;
    }
    HRESULT EndCurrentUnit(bool keep) override
    {
        log.push_back(keep ? "end keep" : "discard history");
        return S_OK;
    }
    HRESULT DiscardCurrentUnit() override
    {
        log.push_back("drop");
        return S_OK;
    }
    std::vector<std::string> log;
};

CSelectionGroup* NewSelection(CControlCore& control)
{
    auto* selection = new CSelectionGroup(SELECTION_ID, &control);
    control.GetShapeMap().Insert(selection);
    return selection;
}
} // namespace

// Adding toggles; a selected group stands for what it holds; the list stays in Z order.
TEST(SelectionGroup, TogglingContainmentAndZOrder)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    PathShape* x = NewLine(control, 101, 0, 0, 1, 1);
    PathShape* y = NewLine(control, 102, 0, 0, 1, 1);
    group->AddChild(x, nullptr, 0, false);
    group->AddChild(y, nullptr, 0, false);
    PathShape* z = NewLine(control, 103, 0, 0, 1, 1);
    root->AddChild(z, nullptr, 0, false);
    CSelectionGroup* selection = NewSelection(control);

    int index = -5;
    EXPECT_EQ(selection->AddChild(x, &index, 0, false), 0);
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(x->HasState(CShape::stSelected));
    EXPECT_EQ(selection->AddChild(x, &index, 0, false), 0);
    EXPECT_EQ(index, -1);
    EXPECT_FALSE(x->HasState(CShape::stSelected)) << "adding a selected shape deselects it";
    EXPECT_EQ(selection->GetShapeCount(), 0);

    selection->AddChild(x, nullptr, 0, false);
    selection->AddChild(group, nullptr, 0, false);
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{group})) << "the group replaces what it holds";
    EXPECT_TRUE(x->HasState(CShape::stSelected));
    selection->AddChild(y, nullptr, 0, false);
    EXPECT_EQ(selection->GetShapeCount(), 1) << "held through the listed group";
    EXPECT_EQ(selection->AddChild(selection, nullptr, 0, false), static_cast<int>(E_INVALIDARG));

    // Ascending Z, equals after equals.
    selection->AddChild(z, nullptr, 0, false);
    PathShape* w = NewLine(control, 104, 0, 0, 1, 1);
    root->AddChild(w, nullptr, 0, false);
    w->SetZOrder(101.5f, false);
    selection->AddChild(w, &index, 0, false);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{group, w, z}));

    // Clearing deselects; removing all does not.
    selection->Clear(false);
    EXPECT_FALSE(z->HasState(CShape::stSelected));
    EXPECT_FALSE(x->HasState(CShape::stSelected));
    EXPECT_EQ(control.FindShape(103), z);
    selection->AddWithChildren(group);
    EXPECT_EQ(selection->GetShapeCount(), 1);
    selection->RemoveAll();
    EXPECT_TRUE(group->HasState(CShape::stSelected));
    EXPECT_EQ(selection->GetShapeCount(), 0);
}

// Inside a batch (a rubber band, Select All) the selection answers each addition from an index
// of what it lists: step by step the same results, positions, order and selected marks as the
// scans outside one, from any list the batch starts with, and after the list changed meanwhile
// by other means.
TEST(SelectionGroup, ABatchAddsAsTheScansDo)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    // outer { inner { v }, x }, z, w, and a reference r { t } to the block b { m }.
    CGroup* outer = NewGroup(control, 100);
    CGroup* inner = NewGroup(control, 101);
    PathShape* v = NewLine(control, 102, 0, 0, 1, 1);
    PathShape* x = NewLine(control, 103, 0, 0, 1, 1);
    PathShape* z = NewLine(control, 104, 0, 0, 1, 1);
    PathShape* w = NewLine(control, 105, 0, 0, 1, 1);
    root->AddChild(outer, nullptr, 0, false);
    outer->AddChild(inner, nullptr, 0, false);
    inner->AddChild(v, nullptr, 0, false);
    outer->AddChild(x, nullptr, 0, false);
    root->AddChild(z, nullptr, 0, false);
    root->AddChild(w, nullptr, 0, false);
    w->SetZOrder(z->GetZOrder(), false);  // equal Z: after z
    CGroup* library = NewGroup(control, LIBRARY_ID);
    CGroup* block = NewGroup(control, 110);
    library->AddChild(block, nullptr, 0, false);
    PathShape* m = NewLine(control, 111, 0, 0, 1, 1);
    block->AddChild(m, nullptr, 0, false);
    auto* r = new CReference(120, &control);
    control.GetShapeMap().Insert(r);
    root->AddChild(r, nullptr, 0, false);
    ASSERT_EQ(r->SetBlockGroupShapeID(block->GetId()), 1);
    PathShape* t = NewLine(control, 121, 0, 0, 1, 1);
    r->AddChild(t, nullptr, 0, false);
    const std::map<char, CShape*> shapes = {{'o', outer}, {'i', inner}, {'v', v}, {'x', x}, {'z', z},
                                            {'w', w},     {'b', block}, {'m', m}, {'r', r}, {'t', t}};
    CSelectionGroup* selection = NewSelection(control);

    // A letter adds its shape, '-' takes the first listed entry out through RemoveChildAt, '|'
    // opens the batch (the steps before it run outside).
    const char* sequences[] = {"vxv|ovx", "|vxvoxio", "oi|vxzw", "|zwzwxz", "mr|m", "|rmtr", "tr|rt",
                               "|iv-o", "xo|-vx-o", "|v-iv-", "bm|rbm", "|wzbr-m"};
    for (const char* sequence : sequences) {
        auto run = [&](bool batched) {
            selection->Clear(false);
            for (const auto& s : shapes)
                s.second->SetSelected(false);
            std::vector<std::string> trace;
            std::unique_ptr<CSelectionGroup::AddBatch> batch;
            for (const char* c = sequence; *c; ++c) {
                if (*c == '|') {
                    if (batched)
                        batch = std::make_unique<CSelectionGroup::AddBatch>(selection);
                    continue;
                }
                std::string step(1, *c);
                if (*c == '-') {
                    step += " " + std::to_string(selection->RemoveChildAt(0, false));
                } else {
                    int index = -7;
                    step += " " + std::to_string(selection->AddChild(shapes.at(*c), &index, 0, false));
                    step += " at " + std::to_string(index);
                }
                step += ":";
                for (CShape* listed : selection->Children())
                    step += " " + std::to_string(listed->GetId());
                step += "; selected";
                for (const auto& s : shapes)
                    if (s.second->HasState(CShape::stSelected))
                        step += std::string(" ") + s.first;
                trace.push_back(step);
            }
            return trace;
        };
        const std::vector<std::string> scanned = run(false);
        EXPECT_EQ(run(true), scanned) << sequence;
    }

    // A rectangle's pick marks the selection and everything it lists (a listed group's members
    // too) once it is done, as marking them after each shape did.
    selection->Clear(false);
    selection->SetSelected(false);
    selection->AddChild(outer, nullptr, 0, false);
    v->SetSelected(false);
    EXPECT_TRUE(selection->SelectInRect(CRealRect(-1, 2, 2, -1), z));
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{outer, z}));
    EXPECT_TRUE(selection->HasState(CShape::stSelected));
    EXPECT_TRUE(v->HasState(CShape::stSelected)) << "marked again through its listed group";
    selection->Clear(false);
}

TEST(SelectionGroup, PickByPointAndByRectangle)
{
    HostedControl control;
    SetPixelView(control, 150);
    CGroup* root = NewGroup(control, BASE_ID);
    control.SetActiveGroup(root);
    PathShape* below = MakeBox(control, 101, 10, 100, 60, 50, 0x00C000);
    PathShape* above = MakeBox(control, 102, 40, 80, 90, 30, 0x00C000);
    root->AddChild(below, nullptr, 0, false);
    root->AddChild(above, nullptr, 0, false);
    CSelectionGroup* selection = NewSelection(control);
    const POINT both = control.GetCurrentViewport().WorldToDevice(CRealPoint(50, 60));
    const float px = static_cast<float>(both.x), py = static_cast<float>(both.y);

    EXPECT_TRUE(selection->SelectAtPoint(px, py, root, true));
    EXPECT_EQ(selection->GetShapeCount(), 0) << "a test selects nothing";
    EXPECT_EQ(control.GetEditState().hitShapes.size(), 2u);
    control.GetEditState().hitShapes.clear();

    EXPECT_TRUE(selection->SelectAtPoint(px, py, root, false));
    EXPECT_EQ(selection->GetShapeCount(), 2);
    selection->Clear(false);
    control.SetControlFlags(control.GetControlFlags() | controlSelectOnlyTopmostShape);
    EXPECT_TRUE(selection->SelectAtPoint(px, py, root, false));
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{above}));
    selection->Clear(false);
    control.SetControlFlags(control.GetControlFlags() & ~static_cast<DWORD>(controlSelectOnlyTopmostShape));
    control.SetControlFlags(control.GetControlFlags() | controlSelectOnlyTopmostPolyline);
    EXPECT_TRUE(selection->SelectAtPoint(px, py, root, false));
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{above})) << "a rectangle is of the polyline family";
    selection->Clear(false);
    control.SetControlFlags(2);
    // Nothing inside the container being worked in is picked.
    control.GetEditState().containerShape = above;
    selection->SelectAtPoint(px, py, root, false);
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{below}));
    control.GetEditState().containerShape = nullptr;
    selection->Clear(false);
    const POINT none = control.GetCurrentViewport().WorldToDevice(CRealPoint(150, 130));
    EXPECT_FALSE(selection->SelectAtPoint(static_cast<float>(none.x), static_cast<float>(none.y), root, false));

    // By rectangle: what lies inside is toggled in; a plain group as a whole; the active root
    // is walked, not taken.
    CGroup* group = NewGroup(control, 103);
    root->AddChild(group, nullptr, 0, false);
    group->AddChild(MakeBox(control, 104, 120, 140, 130, 130, 0), nullptr, 0, false);
    EXPECT_TRUE(selection->SelectInRect(CRealRect(0, 101, 70, 40), root));
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{below}));
    selection->Clear(false);
    EXPECT_TRUE(selection->SelectInRect(CRealRect(0, 150, 200, 0), root));
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{below, above, group}));
    selection->Clear(false);
    CLayer* locked = new CLayer(200, &control);
    control.GetShapeMap().Insert(locked);
    locked->SetSelectable(false);
    above->SetLayer(locked);
    selection->SelectInRect(CRealRect(0, 150, 200, 0), root);
    EXPECT_EQ(selection->Children(), (std::vector<CShape*>{below, group}));
}

// Bring to front and send to back with one undo operation and the events; a host answering
// proceed = false gets the old Z back and no undo unit stays.
TEST(SelectionGroup, ZOrderWithEventsAndUndo)
{
    HostedControl control;
    auto recorder = std::make_unique<LoggingRecorder>(&control);
    LoggingRecorder* log = recorder.get();
    control.SetUndoRecorder(std::move(recorder));
    CGroup* root = NewGroup(control, BASE_ID);
    PathShape* a = NewLine(control, 101, 0, 0, 1, 1);
    PathShape* b = NewLine(control, 102, 0, 0, 1, 1);
    PathShape* c = NewLine(control, 103, 0, 0, 1, 1);
    for (CShape* s : {static_cast<CShape*>(a), static_cast<CShape*>(b), static_cast<CShape*>(c)})
        root->AddChild(s, nullptr, 0, false);
    CSelectionGroup* selection = NewSelection(control);
    selection->AddChild(a, nullptr, 0, false);

    control.proceed = false;
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 1);
    EXPECT_EQ(a->GetZOrder(), 101.0f);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{a, b, c}));
    EXPECT_EQ(control.fired, (std::vector<std::string>{"front 101"}));
    EXPECT_EQ(log->log, (std::vector<std::string>{"open 6", "record 6 101", "drop", "close"}));
    EXPECT_FALSE(control.IsModified());

    control.proceed = true;
    log->log.clear();
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 0);
    EXPECT_EQ(a->GetZOrder(), 104.0f);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{b, c, a}));
    EXPECT_EQ(log->log, (std::vector<std::string>{"open 6", "record 6 101", "end keep", "commit"}));
    EXPECT_TRUE(control.IsModified());

    // Without firing the change simply counts.
    control.fired.clear();
    EXPECT_EQ(selection->SendSelectionToBack(false, false), 0);
    EXPECT_EQ(a->GetZOrder(), 101.0f);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{a, b, c}));
    EXPECT_TRUE(control.fired.empty());
    // Events switched off by the host: no event either.
    control.events = false;
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 0);
    EXPECT_TRUE(control.fired.empty());
    // The shape-base forms through the selection.
    EXPECT_EQ(selection->SendToBack(), S_OK);
    EXPECT_EQ(root->Children().front(), a);
    selection->Clear(false);
    EXPECT_EQ(selection->BringToFront(), S_FALSE) << "nothing selected";
}

TEST(SelectionGroup, CountsLocksAndCombinedProtection)
{
    CControlCore control;
    CGroup* root = NewGroup(control, BASE_ID);
    PathShape* a = NewLine(control, 101, 0, 0, 1, 1);
    PathShape* b = NewLine(control, 102, 0, 0, 1, 1);
    root->AddChild(a, nullptr, 0, false);
    root->AddChild(b, nullptr, 0, false);
    CSelectionGroup* selection = NewSelection(control);
    selection->AddChild(a, nullptr, 0, false);
    selection->AddChild(b, nullptr, 0, false);
    EXPECT_EQ(selection->RemoveIds(nullptr), -1);
    EXPECT_EQ(selection->CollectBlockedIds(EDSH_MOVE, nullptr), -1);

    a->SetProtectionFlagsMasked(sdbfXpos | sdbfYpos | sdbfRotation, sdbfXpos | sdbfYpos | sdbfRotation);
    std::set<int> blocked;
    EXPECT_EQ(selection->CollectBlockedIds(EDSH_MOVE, &blocked), 1);
    EXPECT_EQ(blocked, (std::set<int>{101}));
    // Geometry locks combine as "all", the other bits as "any".
    b->SetProtectionFlagsMasked(sdbfRotation, sdbfRotation);
    const DWORD mask = 0xFFF;
    const DWORD flags = selection->GetProtectionFlagsMasked(mask);
    EXPECT_EQ(flags & (sdbfXpos | sdbfYpos), 0u);
    EXPECT_EQ(flags & sdbfRotation, static_cast<DWORD>(sdbfRotation));
    EXPECT_EQ(flags & (sdbfVisible | sdbfEnabled), static_cast<DWORD>(sdbfVisible | sdbfEnabled));
    selection->SetProtectionFlagsMasked(0, sdbfEnabled);
    EXPECT_EQ(selection->GetProtectionFlagsMasked(sdbfEnabled), 0u);
    EXPECT_FALSE(a->HasState(CShape::stEnabled));
    EXPECT_EQ(selection->CountOperable(false), 0);
    selection->SetProtectionFlagsMasked(sdbfEnabled, sdbfEnabled);
    EXPECT_EQ(selection->CountOperable(false), 2);
    b->SetVisible(false);
    EXPECT_EQ(selection->CountOperable(false), 1);

    std::set<int> ids = {102, 999};
    EXPECT_EQ(selection->RemoveIds(&ids), 1);
    EXPECT_FALSE(b->HasState(CShape::stSelected));
    selection->MarkChildren(false);
    EXPECT_FALSE(a->HasState(CShape::stPersistent));
    selection->MarkChildren(true);
    EXPECT_TRUE(a->HasState(CShape::stPersistent));
}

// The dotted overlay covers the filled selected shapes in the highlight colour, below 300
// selected shapes.
TEST(SelectionGroup, OverlayOverFilledShapesBelowTheLimit)
{
    CControlCore control;
    Canvas canvas(200, 150);
    SetPixelView(control, 150);
    CGroup* root = NewGroup(control, BASE_ID);
    CSelectionGroup* selection = NewSelection(control);
    const COLORREF highlight = 0x0000FF;
    CDrawContext context = Context(canvas.Dc(), CDrawContext::dcMarks);
    context.highlightColour = highlight;
    context.markColour = 0xFF0000;

    PathShape* box = MakeBox(control, 100, 20, 120, 80, 60, 0x00C000);
    root->AddChild(box, nullptr, 0, false);
    selection->AddChild(box, nullptr, 0, false);
    selection->DrawInContext(context);
    const RECT red = canvas.ColourExtent(highlight);
    const POINT tl = control.GetCurrentViewport().WorldToDevice(CRealPoint(20, 120));
    const POINT br = control.GetCurrentViewport().WorldToDevice(CRealPoint(80, 60));
    ASSERT_GE(red.right, 0) << "overlay drawn";
    EXPECT_GE(red.left, tl.x - 1);
    EXPECT_LE(red.right, br.x + 1);
    EXPECT_GE(red.top, tl.y - 1);
    EXPECT_LE(red.bottom, br.y + 1);
    const int area = (br.x - tl.x) * (br.y - tl.y);
    EXPECT_GT(canvas.Count(highlight), area / 8) << "a quarter of the pattern's pixels";
    EXPECT_LT(canvas.Count(highlight), area / 2);

    // An unfilled shape gets no overlay.
    canvas.Clear();
    selection->Clear(false);
    PathShape* line = NewLine(control, 101, 10, 10, 100, 100);
    root->AddChild(line, nullptr, 0, false);
    selection->AddChild(line, nullptr, 0, false);
    selection->DrawInContext(context);
    EXPECT_EQ(canvas.Count(highlight), 0);
    selection->Clear(false);

    // 299 selected: drawn; 300: not.
    int id = 1000;
    for (int i = 0; i < 300; ++i) {
        const float x = 5.0f + (i % 20) * 10.0f, y = 145.0f - (i / 20) * 10.0f;
        PathShape* small = MakeBox(control, id++, x, y, x + 8, y - 8, 0x00C000);
        root->AddChild(small, nullptr, 0, false);
        if (i < 299)
            selection->AddChild(small, nullptr, 0, false);
    }
    canvas.Clear();
    selection->DrawInContext(context);
    EXPECT_GT(canvas.Count(highlight), 0);
    selection->AddChild(control.FindShape(id - 1), nullptr, 0, false);
    ASSERT_EQ(selection->GetShapeCount(), CSelectionGroup::kOverlayLimit);
    canvas.Clear();
    selection->DrawInContext(context);
    EXPECT_EQ(canvas.Count(highlight), 0);
}

namespace {
HostedControl* g_timerControl = nullptr;
LRESULT CALLBACK TimerWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && g_timerControl && g_timerControl->HandleTimer(static_cast<UINT_PTR>(wParam)))
        return 0;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND MakeTimerWindow()
{
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TimerWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"YvexBlinkTest";
        atom = RegisterClassW(&wc);
    }
    return CreateWindowExW(0, L"YvexBlinkTest", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

void PumpFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}
} // namespace

// The highlight pen, the shading of texts, and what the off phase of a blink shows.
TEST(HighlightGroup, PenShadingAndBlinkPhases)
{
    HostedControl control;
    HWND window = MakeTimerWindow();
    ASSERT_NE(window, nullptr);
    control.window = window;
    g_timerControl = &control;
    Canvas canvas(200, 150);
    SetPixelView(control, 150);
    auto* highlights = new CHighlightGroup(HIGHLIGHTS_ID, &control);
    control.GetShapeMap().Insert(highlights);
    EXPECT_EQ(control.GetHighlightGroup(), highlights);
    EXPECT_EQ(highlights->GetBlinkTimeout(), 500);
    EXPECT_EQ(highlights->GetBlinkType(), btAlternate);
    EXPECT_EQ(highlights->GetShadeType(), shLight);
    highlights->SetBlinkTimeout(50);
    EXPECT_EQ(highlights->GetBlinkTimeout(), 100);
    highlights->SetBlinkTimeout(250);
    EXPECT_EQ(highlights->GetBlinkTimeout(), 250);
    CLSID clsid = {};
    highlights->GetCoClassId(&clsid);
    EXPECT_TRUE(clsid == CLSID_HighlightGroupShape);

    // A pen by layer highlights in RGB (200, 0, 0).
    PathShape* line = NewLine(control, 101, 20, 75, 180, 75);
    highlights->AddChild(line, nullptr, 0, false);
    CDrawContext context = Context(canvas.Dc());
    EXPECT_EQ(highlights->Draw(context), 1);
    const COLORREF red200 = RGB(200, 0, 0);
    EXPECT_GT(canvas.Count(red200), 20);
    EXPECT_EQ(canvas.Count(0x000000), 0);
    EXPECT_EQ(context.flags, 0u) << "flags and pen restored";
    EXPECT_EQ(context.pen, nullptr);

    // A text is shaded over its bounds in the highlight colour.
    canvas.Clear();
    highlights->RemoveAll();
    auto* text = new PathShape(102, &control, stText);
    AddPoint(control, *text, 40, 120);
    AddPoint(control, *text, 100, 80);
    control.GetShapeMap().Insert(text);
    highlights->AddChild(text, nullptr, 0, false);
    highlights->SetShadeType(shDark);
    highlights->Draw(context);
    const RECT shaded = canvas.ColourExtent(red200);
    const POINT tl = control.GetCurrentViewport().WorldToDevice(CRealPoint(40, 120));
    const POINT br = control.GetCurrentViewport().WorldToDevice(CRealPoint(100, 80));
    EXPECT_NEAR(shaded.left, tl.x, 2);
    EXPECT_NEAR(shaded.right, br.x, 2);
    const int area = (br.x - tl.x) * (br.y - tl.y);
    EXPECT_GT(canvas.Count(red200), area / 3) << "the checkerboard covers half";

    // Blinking: the timer of the window toggles the phase; the off phase draws the shape
    // plainly (alternate) or not at all (simple).
    highlights->RemoveAll();
    highlights->AddChild(line, nullptr, 0, false);
    highlights->SetBlinkTimeout(100);
    highlights->SetBlinking(true);
    EXPECT_EQ(highlights->GetBlinkTimer(), CHighlightGroup::kBlinkTimerId);
    const int redrawsBefore = control.redraws;
    int toggles = 0;
    int phase = highlights->GetBlinkPhase();
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 800 && toggles < 3) {
        PumpFor(20);
        if (highlights->GetBlinkPhase() != phase) {
            phase = highlights->GetBlinkPhase();
            ++toggles;
        }
    }
    EXPECT_GE(toggles, 3);
    EXPECT_GE(control.redraws - redrawsBefore, 3);
    EXPECT_FALSE(highlights->OnBlinkTimer(77)) << "another timer";
    // Stop in the off phase.
    while (highlights->GetBlinkPhase() != 0 && GetTickCount() - start < 3000)
        PumpFor(20);
    ASSERT_EQ(highlights->GetBlinkPhase(), 0);
    KillTimer(window, highlights->GetBlinkTimer());
    canvas.Clear();
    highlights->Draw(context);
    EXPECT_EQ(canvas.Count(red200), 0);
    EXPECT_GT(canvas.Count(0x000000), 20) << "alternate: drawn plainly";
    highlights->SetBlinkType(btSimple);
    canvas.Clear();
    highlights->Draw(context);
    EXPECT_EQ(canvas.InkExtent().right, -1) << "simple: nothing";
    highlights->SetBlinking(true);

    // The last shape leaving stops the timer, blinking stays armed; a new shape restarts it.
    highlights->RemoveChild(line);
    EXPECT_EQ(highlights->GetBlinkTimer(), 0u);
    EXPECT_TRUE(highlights->GetBlinkOn());
    highlights->AddChild(line, nullptr, 0, false);
    EXPECT_NE(highlights->GetBlinkTimer(), 0u);
    // A click in the control clears the blinking highlight; the shape stays.
    control.HandleLButtonDown();
    EXPECT_EQ(highlights->GetShapeCount(), 0);
    EXPECT_FALSE(highlights->GetBlinkOn());
    EXPECT_EQ(highlights->GetBlinkTimer(), 0u);
    EXPECT_EQ(control.FindShape(101), line);

    g_timerControl = nullptr;
    DestroyWindow(window);
}

// A plain group under a point edit is resized by dragging one of its handles about the opposite
// handle; starting the edit records the group for undo by the handle's kind.
TEST(GroupEditing, ResizeByHandleAndUndoKinds)
{
    HostedControl control;
    auto recorder = std::make_unique<LoggingRecorder>(&control);
    LoggingRecorder* log = recorder.get();
    log->Resume(); // recording on, as with an undo manager
    control.SetUndoRecorder(std::move(recorder));
    CGroup* root = NewGroup(control, BASE_ID);
    CGroup* group = NewGroup(control, 100);
    root->AddChild(group, nullptr, 0, false);
    group->AddChild(NewLine(control, 101, 0, 0, 100, 50), nullptr, 0, false);

    group->StartEdit(EDSH_POINT, 4, nullptr);
    group->StartEdit(EDSH_POINT, 2, nullptr);
    group->StartEdit(EDSH_POINT, -1, nullptr);
    EXPECT_EQ(log->log, (std::vector<std::string>{"record " + std::to_string(opMove) + " 100",
                                                  "record " + std::to_string(opScale) + " 100"}));

    // Drag corner 2 (right, bottom) from (100, 0) to (150, -25): the group grows by 1.5 in both
    // directions about corner 0 (left, top).
    CEditState& edit = control.GetEditState();
    edit.editedShape = group;
    edit.editMode = EDSH_POINT;
    control.GetShapeStateMap().SetValue(group->GetId(), 2);
    EXPECT_EQ(group->OnEditDrag(150, -25), 1);
    ExpectRect(Bounds(*group), 0, 50, 150, -25);
    EXPECT_TRUE(edit.hasEditAnchor);
    EXPECT_FLOAT_EQ(edit.editAnchor.x, 100);
    // A second drag of the same handle continues from where it is now.
    EXPECT_EQ(group->OnEditDrag(200, 0), 1);
    const CRealRect resized = Bounds(*group);
    EXPECT_NEAR(resized.right, 200, 1e-3);
    EXPECT_NEAR(resized.bottom, 0, 1e-3);
    EXPECT_NEAR(resized.top, 50, 1e-3);
    // A press while resizing ends the edit.
    EXPECT_EQ(group->OnEditMouseDown(10, 10, nullptr), 1);
    edit = CEditState();
}

// Double clicks find the text to edit: a label of a reference, or a text of the drawing.
TEST(GroupEditing, FindEditableTextAtAPoint)
{
    CControlCore control;
    SetPixelView(control, 150);
    CGroup* root = NewGroup(control, BASE_ID);
    control.SetActiveGroup(root);
    auto* text = new PathShape(101, &control, stText);
    AddPoint(control, *text, 10, 100);
    AddPoint(control, *text, 50, 80);
    control.GetShapeMap().Insert(text);
    root->AddChild(text, nullptr, 0, false);
    CGroup* reference = NewGroup(control, 102);
    reference->SetShapeType(stReference);
    root->AddChild(reference, nullptr, 0, false);
    auto* label = new PathShape(103, &control, stText);
    label->attribute = true;
    AddPoint(control, *label, 100, 100);
    AddPoint(control, *label, 140, 80);
    control.GetShapeMap().Insert(label);
    reference->AddChild(label, nullptr, 0, false);
    auto* body = new PathShape(104, &control, stText);
    AddPoint(control, *body, 100, 60);
    AddPoint(control, *body, 140, 40);
    control.GetShapeMap().Insert(body);
    reference->AddChild(body, nullptr, 0, false);

    auto at = [&](float x, float y) {
        const POINT p = control.GetCurrentViewport().WorldToDevice(CRealPoint(x, y));
        return std::make_pair(static_cast<float>(p.x), static_cast<float>(p.y));
    };
    auto p = at(30, 90);
    EXPECT_EQ(root->FindEditableAt(p.first, p.second, 1), text);
    std::vector<CShape*> hits;
    EXPECT_EQ(root->CollectHitShapes(p.first, p.second, hits), 1);
    p = at(120, 90);
    EXPECT_EQ(root->FindEditableAt(p.first, p.second, 0), nullptr) << "the reference is on top; no descent";
    EXPECT_EQ(root->FindEditableAt(p.first, p.second, 1), label);
    p = at(120, 50);
    EXPECT_EQ(root->FindEditableAt(p.first, p.second, 1), nullptr) << "a plain text inside a reference";
}

// The root leaves out what lies wholly outside the target's clip box, and only that: inside each
// clip rectangle the picture is the one a drawing of everything gives, pixel for pixel, also
// after a shape moved, one was removed and one was added; shapes far outside are not drawn.
TEST(GroupDrawing, RootDrawsWhatTheClipBoxShows)
{
    const int w = 640, h = 480;
    PixelDrawing f(w, h);
    CGroup* root = NewGroup(f.control, BASE_ID);
    f.control.SetRootId(BASE_ID);
    std::vector<PathShape*> shapes;
    auto add = [&](PathShape* shape) {
        root->AddChild(shape, nullptr, 0, false);
        shapes.push_back(shape);
        return shape;
    };
    // A lattice of short lines and boxes, and thick lines lying just outside the clip
    // rectangles' edges whose strokes reach into them.
    int id = 100;
    for (int y = 10; y < h; y += 40)
        for (int x = 10; x < w; x += 40) {
            add(NewLine(f.control, id++, x, y, x + 25, y + 12))->SetPenColor(0x0000C0);
            PathShape* box = add(new PathShape(id++, &f.control, stRectangle, true));
            AddPoint(f.control, *box, x + 5, y + 30);
            AddPoint(f.control, *box, x + 30, y + 30);
            AddPoint(f.control, *box, x + 30, y + 20);
            f.control.GetShapeMap().Insert(box);
        }
    PathShape* thick = add(NewLine(f.control, id++, 96, 60, 96, 200));
    thick->SetPenWeight(40);
    thick->SetPenColor(0x00A000);
    PathShape* thick2 = add(NewLine(f.control, id++, 100, 204, 220, 204));
    thick2->SetPenWeight(30);
    thick2->SetPenColor(0xA00000);

    Canvas whole(w, h);
    auto drawAll = [&] {
        whole.Clear();
        CDrawContext context = Context(whole.Dc());
        root->DrawInContext(context);
    };
    // Device rectangles of the clip; world y runs up, so the device's top is the world's top.
    const RECT clips[] = {{100, 40, 200, 120}, {0, 0, 60, 50}, {500, 380, 640, 480}, {101, 20, 180, 60},
                          {0, 0, w, h}, {300, 200, 301, 201}};
    auto compare = [&](const char* when) {
        drawAll();
        for (const RECT& clip : clips) {
            for (PathShape* shape : shapes)
                shape->draws = 0;
            f.canvas.Clear();
            HRGN region = CreateRectRgn(clip.left, clip.top, clip.right, clip.bottom);
            SelectClipRgn(f.canvas.Dc(), region);
            CDrawContext context = Context(f.canvas.Dc());
            root->DrawInContext(context);
            SelectClipRgn(f.canvas.Dc(), nullptr);
            DeleteObject(region);
            int differ = 0;
            for (int y = clip.top; y < clip.bottom; ++y)
                for (int x = clip.left; x < clip.right; ++x)
                    differ += f.canvas.Pixel(x, y) != whole.Pixel(x, y);
            EXPECT_EQ(differ, 0) << when << ": clip " << clip.left << "," << clip.top;
            // A shape of a thin pen 120 pixels or more outside the clip is not drawn (a thick
            // pen widens what counts as inside); every shape is drawn when the clip is the whole
            // canvas.
            for (PathShape* shape : shapes) {
                CRealRect r;
                if (FAILED(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom)))
                    continue;
                const POINT tl = f.Pixel(r.left, r.top), br = f.Pixel(r.right, r.bottom);
                const bool distant = br.x < clip.left - 120 || tl.x > clip.right + 120 || br.y < clip.top - 120 ||
                                 tl.y > clip.bottom + 120;
                if (distant && shape->GetPenWeight() < 2) {
                    EXPECT_EQ(shape->draws, 0) << when << ": shape " << shape->GetId();
                }
                if (clip.right - clip.left == w) {
                    EXPECT_EQ(shape->draws, 1) << when << ": shape " << shape->GetId();
                }
            }
        }
    };
    compare("as made");
    // A move: the first line goes into the first clip rectangle from far away.
    ASSERT_EQ(shapes[0]->SetPointCoords(3, 150, 170, 1), 1);
    compare("after a move");
    root->RemoveChild(thick2);
    shapes.erase(std::find(shapes.begin(), shapes.end(), thick2));
    add(NewLine(f.control, id++, 20, 150, 600, 150))->SetPenWeight(12);
    compare("after a removal and an addition");
}
