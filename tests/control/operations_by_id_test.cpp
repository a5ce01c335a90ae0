// The control's operations by ID as a host drives them: deletions with their events and undo, point
// edits, new IDs for shapes and points, grouping; then a hosted control worked with the keyboard
// (nudging, the F9 switches) and the in-place text editor.
#include "tests/support/HostedControl.h"
#include "tests/support/DrawingTestSupport.h"
#include "tests/support/DxfTestSupport.h"
#include "control/InPlaceEdit.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "control/UndoUnit.h"
#include "interchange/DxfDocument.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/LinkedPointMap.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "ui/resource.h"
#include <commctrl.h>
#include <algorithm>
#include <cmath>
#include <cfloat>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// A sink whose answer to a cancellable event is decided per event: `decide` gets the DISPID and
// how many events of that ID came before.
class ScriptedSink : public EventSink
{
public:
    std::function<bool(DISPID, int)> decide = [](DISPID, int) { return true; };
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* e,
                        UINT* arg) override
    {
        answer = decide(id, m_seen[id]++) ? VARIANT_TRUE : VARIANT_FALSE;
        return EventSink::Invoke(id, iid, lcid, flags, p, result, e, arg);
    }
    int Count(DISPID id) const
    {
        auto it = m_seen.find(id);
        return it == m_seen.end() ? 0 : it->second;
    }
    std::vector<LONG> FirstInts(DISPID id) const
    {
        std::vector<LONG> ids;
        for (const Call& call : calls)
            if (call.id == id && !call.ints.empty())
                ids.push_back(call.ints[0]);
        return ids;
    }

private:
    std::map<DISPID, int> m_seen;
};

void ExpectAt(const CRealPoint& p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 1e-4);
    EXPECT_NEAR(p.y, y, 1e-4);
}

// A shape that refuses to follow its points (as a locked shape of another kind may).
class StubbornShape : public CShape
{
public:
    using CShape::CShape;
    int OnPointsChanged(CPointRecord*, float, float) override { return 0; }
};

// A control with its own undo manager and shapes made by the factory.
class Operations : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(control->CreateUndoManager(), S_OK); }

    CShape* Make(int type, std::vector<CRealPoint> points, CGroup* parent)
    {
        CShape* shape = control->GetShapeMap().CreateShape(type, true, true);
        EXPECT_NE(shape, nullptr);
        for (size_t i = 0; i < points.size(); ++i)
            shape->AddPointById(control->CControlCore::CreatePoint(points[i].x, points[i].y), CShape::kAppend, i > 0);
        if (parent)
            parent->AddChild(shape, nullptr, 0, false);
        return shape;
    }
    CGroup* Root() { return control->GetRootGroup(); }
    // A block "Door" in the library with a line, and references to it in the root.
    CGroup* MakeBlock()
    {
        auto* block = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stGroup, true, true));
        block->SetName(L"Door");
        control->GetLibraryGroup()->AddChild(block, nullptr, 1, false);
        Make(stLine, {{0, 0}, {1, 3}}, block);
        return block;
    }
    CReference* MakeReference(CGroup* block, CRealPoint at)
    {
        auto* reference = static_cast<CReference*>(Make(stReference, {at}, Root()));
        EXPECT_EQ(reference->ResolveBlock(block, true, true, false), 0);
        reference->ApplyTransform(true);
        return reference;
    }
    int PendingKind()
    {
        CUndoUnit* unit = control->GetUndoRecorder()->GetCurrentUnit();
        return unit ? unit->GetKind() : -1;
    }
    HRESULT Undo()
    {
        return control->GetUndoRecorder()->GetManager()->UndoTo(nullptr);
    }

    ControlRef control;
};

} // namespace

// A block goes after every reference that shows it, each with its own OnDeleteShape; a host
// that keeps one of them keeps the block too, and what stays still shows a live block.
TEST_F(Operations, DeletingABlockTakesItsReferencesFirst)
{
    struct Case {
        const char* name;
        int vetoedDeletion;  // the OnDeleteShape answered false (-1: none)
        HRESULT result;
        bool blockStays;
    } cases[] = {{"agreed", -1, S_OK, false}, {"second vetoed", 1, S_FALSE, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGroup* block = MakeBlock();
        CReference* first = MakeReference(block, {10, 0});
        CReference* second = MakeReference(block, {20, 0});
        const int blockId = block->GetId(), firstId = first->GetId(), secondId = second->GetId();
        ScriptedSink sink;
        sink.decide = [&](DISPID id, int nth) { return !(id == cetOnDeleteShape && nth == c.vetoedDeletion); };
        Connection connection(control->GetControllingUnknown(), &sink);
        EXPECT_EQ(control->DeleteShapeByID(blockId, 1, 0), c.result);
        const std::vector<LONG> asked = sink.FirstInts(cetOnDeleteShape);
        if (c.blockStays) {
            EXPECT_EQ(asked, std::vector<LONG>({firstId, secondId}));
            ASSERT_EQ(control->FindShape(blockId), block);
            ASSERT_EQ(control->FindShape(secondId), second);
            EXPECT_EQ(second->GetBlock(), block) << "the kept reference shows the kept block";
            EXPECT_EQ(block->GetReferrerList(), std::vector<CShape*>({second}));
            EXPECT_EQ(control->FindShape(firstId), nullptr);
            EXPECT_EQ(control->DeleteShapeTree(block, false, false), S_OK);
        } else {
            EXPECT_EQ(asked, std::vector<LONG>({firstId, secondId, blockId}));
            EXPECT_EQ(control->FindShape(blockId), nullptr);
            EXPECT_EQ(control->FindShape(secondId), nullptr);
        }
    }
}

// The user's deletion is recorded: undo brings the shape back. Refusals: a shape protected
// against deletion, a busy control, a read-only site; an unknown ID is an error.
TEST_F(Operations, DeleteShapeByIdRecordsAndRefuses)
{
    CShape* line = Make(stLine, {{0, 0}, {5, 5}}, Root());
    const int id = line->GetId();
    ASSERT_EQ(control->DeleteShapeByID(id, 0, 0), S_OK);
    EXPECT_EQ(control->FindShape(id), nullptr);
    ASSERT_EQ(Undo(), S_OK);
    ASSERT_NE(control->FindShape(id), nullptr);
    EXPECT_EQ(control->FindShape(id)->GetParent(), Root());

    CShape* kept = control->FindShape(id);
    kept->PutProtectionFlag(sdbfDeletion, true);
    EXPECT_EQ(control->DeleteShapeByID(id, 0, 0), S_FALSE);
    kept->PutProtectionFlag(sdbfDeletion, false);
    control->SetIdle(false);
    EXPECT_EQ(control->DeleteShapeByID(id, 0, 0), S_FALSE);
    control->SetIdle(true);
    control->SetReadOnly(true);
    EXPECT_EQ(control->DeleteShapeByID(id, 0, 0), S_FALSE);
    control->SetReadOnly(false);
    EXPECT_EQ(control->FindShape(id), kept);
    EXPECT_EQ(control->DeleteShapeByID(99999, 0, 0), DISP_E_EXCEPTION);
}

// A polygon point that other shapes still hold is recorded as a change of points; the last
// holder's point as a deletion. While a worker runs, neither form touches the point lists.
TEST_F(Operations, DeletingAPolygonPointRecordsByItsOtherHolders)
{
    CShape* polygon = Make(stPolygon, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, Root());
    const int shared = polygon->GetPoints().GetAt(0)->GetPointId();
    const int own = polygon->GetPoints().GetAt(2)->GetPointId();
    CShape* other = Make(stPolyline, {{50, 50}}, Root());
    ASSERT_EQ(other->AddPointById(shared, CShape::kAppend, true), S_OK);

    control->SetIdle(false);
    EXPECT_EQ(control->DeletePolylinePoint(polygon->GetId(), own), S_FALSE);
    EXPECT_EQ(control->DeletePolygonPoint(polygon->GetId(), own), S_FALSE);
    EXPECT_EQ(polygon->GetPointCount(), 4) << "nothing removed while busy";
    control->SetIdle(true);

    ASSERT_EQ(control->DeletePolygonPoint(polygon->GetId(), shared), S_OK);
    EXPECT_EQ(PendingKind(), opShapePoint);
    EXPECT_NE(control->GetPointPool().Find(shared), nullptr) << "the other polyline keeps it";
    ASSERT_EQ(control->DeletePolygonPoint(polygon->GetId(), own), S_OK);
    EXPECT_EQ(PendingKind(), opDelete);
    EXPECT_EQ(polygon->GetPointCount(), 2);

    // Lookups: shape first, then point, then the kind.
    CShape* line = Make(stLine, {{0, 0}, {1, 1}}, Root());
    const struct {
        int shape, point;
    } errors[] = {{99999, own}, {polygon->GetId(), 99999}, {line->GetId(), line->GetPoints().GetAt(0)->GetPointId()}};
    for (const auto& e : errors)
        EXPECT_EQ(control->DeletePolygonPoint(e.shape, e.point), DISP_E_EXCEPTION);
    // A point the shape does not hold.
    EXPECT_EQ(control->DeletePolylinePoint(polygon->GetId(), other->GetPoints().GetAt(0)->GetPointId()), S_FALSE);
}

// An existing point joins a rectangle, polyline or polygon at a 1-based place as one undo
// operation; a point held already, a refused look-up or another kind of shape leave nothing
// recorded and no operation open.
TEST_F(Operations, AnExistingPointJoinsAPolylineAsOneUndoOperation)
{
    CShape* line = Make(stLine, {{0, 0}, {10, 0}}, Root());
    CShape* rectangle = Make(stRectangle, {{0, 5}, {10, 5}, {10, 9}, {0, 9}}, Root());
    const int shared = line->GetPoints().GetAt(0)->GetPointId();
    const struct {
        int shape, point;
    } errors[] = {{99999, shared}, {rectangle->GetId(), 99999}, {line->GetId(), shared}};
    for (const auto& e : errors)
        EXPECT_EQ(control->AddPolylinePoint(e.shape, e.point, 1), DISP_E_EXCEPTION);
    ASSERT_EQ(control->AddPolylinePoint(rectangle->GetId(), shared, 2), S_OK);
    EXPECT_EQ(rectangle->GetPoints().IndexOf(shared), 1) << "before the second point";
    EXPECT_EQ(control->GetPointPool().Find(shared)->GetUseCount(), 2);
    EXPECT_EQ(control->AddPolylinePoint(rectangle->GetId(), shared, 4), S_FALSE) << "held already";
    EXPECT_EQ(control->GetUndoRecorder()->GetDepth(), 0) << "no operation left open";
    EXPECT_EQ(control->GetUndoRecorder()->GetLastOperation(), opShapePoint);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(rectangle->GetPoints().IndexOf(shared), -1) << "undone";
    EXPECT_EQ(rectangle->GetPointCount(), 4);
    EXPECT_EQ(line->GetPoints().IndexOf(shared), 0) << "the line keeps its point";
    // Beyond the end: last.
    ASSERT_EQ(control->AddPolylinePoint(rectangle->GetId(), shared, 99), S_OK);
    EXPECT_EQ(rectangle->GetPoints().IndexOf(shared), 4);
}

// A point that takes another ID keeps its users, their count and its database ID, and every list
// that named it (own points of two shapes, the linked points of a third, the linked-point index)
// names it under the new ID; undo gives the old ID back.
TEST_F(Operations, ChangingAPointIdCarriesEverythingOver)
{
    CShape* a = Make(stPolyline, {{0, 0}, {10, 0}}, Root());
    CShape* b = Make(stPolyline, {{0, 5}}, Root());
    CShape* follower = Make(stLine, {{3, 3}, {4, 4}}, Root());
    CPointRecord* point = a->GetPoints().GetAt(1);
    const int oldId = point->GetPointId();
    ASSERT_EQ(b->AddPointById(oldId, CShape::kAppend, true), S_OK);
    ASSERT_EQ(control->LinkPoint(follower->GetId(), oldId), S_OK);
    point->SetDatabaseId(77);
    control->GetPointPool().SetDatabaseId(77, *point);
    const LONG uses = point->GetUseCount();

    const int newId = 500;
    ASSERT_EQ(control->ChangePointID(oldId, newId), S_OK);
    CPointPool& pool = control->GetPointPool();
    EXPECT_EQ(pool.Find(oldId), nullptr);
    CPointRecord* moved = pool.Find(newId);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->GetUseCount(), uses);
    EXPECT_EQ(moved->GetOwners(), std::set<int>({a->GetId(), b->GetId(), follower->GetId()}));
    EXPECT_EQ(moved->GetDatabaseId(), 77);
    EXPECT_EQ(pool.FindByDatabaseId(77), moved);
    EXPECT_EQ(a->GetPoints().GetAt(1), moved);
    EXPECT_EQ(b->GetPoints().GetAt(1), moved);
    EXPECT_EQ(follower->GetLinkedPoints().IndexOf(newId), 0);
    EXPECT_TRUE(control->GetLinkedPointMap().Contains(newId, follower->GetId()));
    EXPECT_FALSE(control->GetLinkedPointMap().Contains(oldId, follower->GetId()));
    EXPECT_GT(pool.GetNextId(), newId);

    ASSERT_EQ(Undo(), S_OK);
    ASSERT_NE(pool.Find(oldId), nullptr);
    EXPECT_EQ(pool.Find(newId), nullptr);
    EXPECT_EQ(a->GetPoints().GetAt(1)->GetPointId(), oldId);
    EXPECT_EQ(follower->GetLinkedPoints().IndexOf(oldId), 0);

    EXPECT_EQ(control->ChangePointID(99999, 600), DISP_E_EXCEPTION) << "Point not found.";
    EXPECT_EQ(control->ChangePointID(oldId, a->GetPoints().GetAt(0)->GetPointId()), DISP_E_EXCEPTION)
        << "Duplicate resource ID.";
}

// A polyline's vertex records follow a point that takes another ID, and follow it back on undo:
// each names the live record, the VERTEX entities keep their coordinates and bulges, and removing
// the point afterwards takes its vertex record with it.
TEST_F(Operations, ChangingAPointIdKeepsThePolylinesVertices)
{
    auto* polyline = static_cast<CPolyline*>(Make(stPolyline, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, Root()));
    polyline->GetVertexAt(1)->bulge = 0.5f;
    polyline->GetVertexAt(2)->startWidth = 2.0f;
    const int oldId = polyline->GetPoints().GetAt(1)->GetPointId();
    const int newId = 700;
    CPointPool& pool = control->GetPointPool();
    auto vertexGroups = [&]() {
        std::vector<std::string> seen;
        for (const WrittenGroup& g : WrittenGroups([&](CDxfFile& dxf) {
                 for (const CVertexRecord& v : polyline->GetVertices())
                     const_cast<CVertexRecord&>(v).WriteDxf(dxf);
             }))
            if (g.code == 0 || g.code == 10 || g.code == 20 || g.code == 40 || g.code == 42)
                seen.push_back(std::to_string(g.code) + "=" + g.value);
        return seen;
    };
    const std::vector<std::string> before = vertexGroups();
    ASSERT_EQ(std::count(before.begin(), before.end(), "0=VERTEX"), 4);

    auto expectInStep = [&](int id, const char* when) {
        SCOPED_TRACE(when);
        ASSERT_EQ(polyline->GetVertices().size(), 4u);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(polyline->GetVertices()[static_cast<size_t>(i)].GetPoint(), polyline->GetPoints().GetAt(i));
        EXPECT_EQ(polyline->GetVertexAt(1)->GetPoint(), pool.Find(id));
        EXPECT_EQ(polyline->FindVertexOfPoint(id), polyline->GetVertexAt(1));
        EXPECT_FLOAT_EQ(polyline->GetVertexAt(1)->bulge, 0.5f);
        EXPECT_EQ(vertexGroups(), before);
    };
    ASSERT_EQ(control->ChangePointID(oldId, newId), S_OK);
    expectInStep(newId, "after the change");
    ASSERT_EQ(Undo(), S_OK);
    expectInStep(oldId, "after its undo");
    ASSERT_EQ(control->ChangePointID(oldId, newId), S_OK);

    // The point leaves with its own vertex record; the bulge stays on the vertex it belonged to.
    polyline->GetVertexAt(0)->bulge = 0.25f;
    ASSERT_EQ(polyline->RemovePointById(newId, false, 1), 1);
    ASSERT_EQ(polyline->GetPointCount(), 3);
    ASSERT_EQ(polyline->GetVertices().size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(polyline->GetVertices()[static_cast<size_t>(i)].GetPoint(), polyline->GetPoints().GetAt(i));
    EXPECT_FLOAT_EQ(polyline->GetVertexAt(0)->bulge, 0.25f);
    EXPECT_FLOAT_EQ(polyline->GetVertexAt(1)->startWidth, 2.0f);
    EXPECT_EQ(pool.Find(newId), nullptr);
}

// A shape that takes another ID keeps its parent; the fixed IDs never change; undo goes back.
TEST_F(Operations, ChangingAShapeId)
{
    auto* group = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    CShape* line = Make(stLine, {{0, 0}, {1, 1}}, group);
    const int oldId = line->GetId();
    ASSERT_EQ(control->ChangeShapeID(oldId, 900), S_OK);
    EXPECT_EQ(control->FindShape(900), line);
    EXPECT_EQ(control->FindShape(oldId), nullptr);
    EXPECT_EQ(line->GetParent(), group);
    EXPECT_EQ(line->GetPoints().GetAt(0)->GetOwners().count(900), 1u);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control->FindShape(oldId), line);
    EXPECT_EQ(line->GetParent(), group);

    EXPECT_EQ(control->ChangeShapeID(DEFAULT_TEXT_ID, 901), E_NOTIMPL);
    EXPECT_EQ(control->ChangeShapeID(oldId, group->GetId()), DISP_E_EXCEPTION);
    EXPECT_EQ(control->ChangeShapeID(oldId, oldId), S_OK);
}

// Linking twice asks the host once; a point move that a linked shape refuses leaves the point
// where it was.
TEST_F(Operations, LinkingAndMovingPoints)
{
    CShape* line = Make(stLine, {{0, 0}, {10, 0}}, Root());
    CShape* follower = Make(stLine, {{5, 5}, {6, 6}}, Root());
    const int pointId = line->GetPoints().GetAt(1)->GetPointId();
    ScriptedSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    EXPECT_EQ(control->LinkPoint(follower->GetId(), pointId), S_OK);
    EXPECT_EQ(control->LinkPoint(follower->GetId(), pointId), S_FALSE);
    EXPECT_EQ(sink.Count(cetOnLinkPoint), 1);
    EXPECT_EQ(control->UnlinkPoint(follower->GetId(), pointId), S_OK);
    EXPECT_EQ(control->UnlinkPoint(follower->GetId(), pointId), S_FALSE);

    float dx = 2, dy = 3;
    ASSERT_EQ(control->ShiftPoint(pointId, &dx, &dy), S_OK);
    ExpectAt(*line->GetPoints().GetAt(1), 12, 3);

    auto* stubborn = new StubbornShape(control->GetShapeMap().GetNextShapeId(), control.Get());
    control->GetShapeMap().Insert(stubborn);
    Root()->AddChild(stubborn, nullptr, 0, false);
    ASSERT_EQ(stubborn->LinkPoint(pointId), 1);
    EXPECT_EQ(control->ShiftPoint(pointId, &dx, &dy), E_ACCESSDENIED);
    ExpectAt(*line->GetPoints().GetAt(1), 12, 3); // the refused move is taken back
    EXPECT_EQ(control->ShiftPoint(99999, &dx, &dy), DISP_E_EXCEPTION);
}

// The whole drawing moves and scales through its points; the host may change the values, and a
// veto changes nothing. The owner walk starts at -100 and ends after the last owner.
TEST_F(Operations, WholeDrawingAndOwnerWalk)
{
    CShape* a = Make(stPolyline, {{1, 1}, {2, 2}}, Root());
    CShape* b = Make(stPolyline, {{4, 4}}, Root());
    CPointRecord* shared = a->GetPoints().GetAt(0);
    ASSERT_EQ(b->AddPointById(shared->GetPointId(), CShape::kAppend, true), S_OK);
    EXPECT_EQ(control->FindNextPointOwnerByID(shared, -100), a);
    EXPECT_EQ(control->FindNextPointOwnerByID(shared, a->GetId()), b);
    EXPECT_EQ(control->FindNextPointOwnerByID(shared, b->GetId()), nullptr);

    ScriptedSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    float xc = 1, yc = 1, kx = 2, ky = 3;
    ASSERT_EQ(control->ScaleDrawing(&xc, &yc, &kx, &ky), S_OK);
    ExpectAt(*a->GetPoints().GetAt(1), 3, 4);
    ExpectAt(*b->GetPoints().GetAt(0), 7, 10);
    EXPECT_EQ(sink.FirstInts(cetOnScaleShape), std::vector<LONG>({0x7FFFFFFF}));

    sink.setFloats = true;
    sink.floatAnswer = 10;  // the host moves by (10, 10) instead
    float dx = 1, dy = 1;
    ASSERT_EQ(control->ShiftDrawing(&dx, &dy), S_OK);
    ExpectAt(*a->GetPoints().GetAt(1), 13, 14);
    sink.setFloats = false;
    sink.decide = [](DISPID id, int) { return id != cetOnShiftShape; };
    EXPECT_EQ(control->ShiftDrawing(&dx, &dy), S_FALSE);
    ExpectAt(*a->GetPoints().GetAt(1), 13, 14);
    ASSERT_EQ(Undo(), S_OK);
    ExpectAt(*a->GetPoints().GetAt(1), 3, 4); // the accepted shift is undone, not the vetoed one
}

// Grouping the selection keeps the group where the first member stood: same parent, layer and
// Z order, and the group alone selected. A host refusing OnEndDraw gets the drawing back.
TEST_F(Operations, GroupingTheSelection)
{
    auto* parent = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    auto* layer = static_cast<CLayer*>(control->GetShapeMap().CreateShape(stLayer, true, true));
    control->GetLayersGroup()->AddChild(layer, nullptr, 0, false);
    CShape* first = Make(stLine, {{0, 0}, {1, 1}}, nullptr);
    CShape* second = Make(stLine, {{2, 2}, {3, 3}}, nullptr);
    first->SetZOrder(7.0f, false);
    second->SetZOrder(3.0f, false);
    first->SetLayer(layer);
    second->SetLayer(layer);
    parent->AddChild(first, nullptr, 0, false);
    parent->AddChild(second, nullptr, 0, false);
    auto* selection = static_cast<CSelectionGroup*>(control->GetSelectionGroup());

    for (bool refuse : {true, false}) {
        SCOPED_TRACE(refuse ? "refused" : "agreed");
        selection->Clear(false);
        selection->AddChild(first, nullptr, 0, false);
        selection->AddChild(second, nullptr, 0, false);
        ScriptedSink sink;
        sink.decide = [&](DISPID id, int) { return !(refuse && id == cetOnEndDraw); };
        Connection connection(control->GetControllingUnknown(), &sink);
        LONG groupId = 0;
        const HRESULT hr = control->GroupShapes(SELECTION_ID, VARIANT_TRUE, &groupId);
        if (refuse) {
            EXPECT_EQ(hr, S_FALSE);
            EXPECT_EQ(first->GetParent(), parent);
            EXPECT_EQ(second->GetParent(), parent);
            EXPECT_EQ(parent->GetShapeCount(), 2);
            continue;
        }
        ASSERT_EQ(hr, S_OK);
        CShape* group = control->FindShape(groupId);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->GetParent(), parent);
        EXPECT_EQ(group->GetLayer(), layer);
        EXPECT_EQ(group->GetZOrder(), 7.0f) << "the first member's Z order";
        EXPECT_EQ(first->GetParent(), group);
        EXPECT_EQ(second->GetParent(), group);
        ASSERT_EQ(selection->GetShapeCount(), 1);
        EXPECT_EQ(selection->GetChildAt(0), group);
        EXPECT_EQ(control->UnGroupShapes(groupId, VARIANT_FALSE), S_OK);
        EXPECT_EQ(control->FindShape(groupId), nullptr);
        EXPECT_EQ(first->GetParent(), parent);
    }
}

namespace {

std::wstring ErrorDescription()
{
    ycom::ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info)
        return L"";
    ycom::Bstr text;
    info->GetDescription(text.Put());
    return text.CStr() ? text.CStr() : L"";
}

std::vector<CShape*> ChildrenOf(CGroup* group) { return group->Children(); }

} // namespace

// A refused ungroup (OnEndEditShape) leaves the drawing as it was: the children back in the
// group in their order with what they drew "by block", the attribute texts of a reference still
// attributes, the group selected, and no step in the history.
TEST_F(Operations, ARefusedUngroupLeavesTheDrawingAsItWas)
{
    auto* group = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    group->SetPenColor(0x0000FF);
    group->SetLinePatternId(3);
    CShape* byBlock = Make(stLine, {{0, 0}, {5, 0}}, nullptr);
    byBlock->SetPenColor(static_cast<DWORD>(coByBlock));
    byBlock->SetLinePatternId(ltByBlock);
    group->AddChild(byBlock, nullptr, 0, false);
    CShape* plain = Make(stLine, {{0, 5}, {5, 5}}, group);
    const std::vector<CShape*> children = ChildrenOf(group);
    auto* selection = static_cast<CSelectionGroup*>(control->GetSelectionGroup());
    selection->AddChild(group, nullptr, 0, false);
    CUndoManager& manager = *CUndoManager::FromInterface(control->GetUndoRecorder()->GetManager());
    const size_t steps = manager.UndoStack().size();

    ScriptedSink sink;
    sink.decide = [](DISPID id, int) { return id != cetOnEndEditShape; };
    Connection connection(control->GetControllingUnknown(), &sink);
    EXPECT_EQ(control->UnGroupShapes(group->GetId(), VARIANT_TRUE), S_FALSE);
    ASSERT_EQ(control->FindShape(group->GetId()), group);
    EXPECT_EQ(ChildrenOf(group), children);
    EXPECT_EQ(byBlock->GetParent(), group);
    EXPECT_EQ(plain->GetParent(), group);
    EXPECT_EQ(byBlock->GetPenColor(), static_cast<DWORD>(coByBlock));
    EXPECT_EQ(byBlock->GetLinePatternId(), ltByBlock);
    ASSERT_EQ(selection->GetShapeCount(), 1);
    EXPECT_EQ(selection->GetChildAt(0), group);
    EXPECT_EQ(manager.UndoStack().size(), steps);
    EXPECT_EQ(control->GetUndoRecorder()->GetDepth(), 0);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr);

    // Agreed, the children leave with the group's values and the group goes.
    sink.decide = [](DISPID, int) { return true; };
    EXPECT_EQ(control->UnGroupShapes(group->GetId(), VARIANT_TRUE), S_OK);
    EXPECT_EQ(byBlock->GetParent(), Root());
    EXPECT_EQ(byBlock->GetPenColor(), 0x0000FFu);
    EXPECT_EQ(byBlock->GetLinePatternId(), 3);
}

// Deleting the selection that holds a block and a reference showing it: the block takes the
// reference with it, and the deletion goes on without it; one undo brings both back.
TEST_F(Operations, DeletingABlockWithItsReferenceInTheSelection)
{
    CGroup* block = MakeBlock();
    CReference* reference = MakeReference(block, {10, 0});
    CShape* other = Make(stLine, {{0, 9}, {9, 9}}, Root());
    const int blockId = block->GetId(), referenceId = reference->GetId(), otherId = other->GetId();
    auto* selection = static_cast<CSelectionGroup*>(control->GetSelectionGroup());
    for (CShape* s : {static_cast<CShape*>(block), static_cast<CShape*>(reference), other})
        selection->AddChild(s, nullptr, 0, false);
    ASSERT_EQ(control->EditShape(SELECTION_ID, EDSH_REMOVE, 0), S_OK);
    EXPECT_EQ(control->FindShape(blockId), nullptr);
    EXPECT_EQ(control->FindShape(referenceId), nullptr);
    EXPECT_EQ(control->FindShape(otherId), nullptr);
    EXPECT_EQ(selection->GetShapeCount(), 0);
    ASSERT_EQ(Undo(), S_OK);
    ASSERT_NE(control->FindShape(blockId), nullptr);
    ASSERT_NE(control->FindShape(otherId), nullptr);
    auto* back = dynamic_cast<CReference*>(control->FindShape(referenceId));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetBlock(), control->FindShape(blockId));
}

// A host may delete shapes while it hears the events of an operation that walks them: the
// operation finds its shapes again after every event and goes on with those that are left.
TEST_F(Operations, HostsThatDeleteShapesWhileHearingEvents)
{
    auto* selection = static_cast<CSelectionGroup*>(control->GetSelectionGroup());
    {
        SCOPED_TRACE("a group taken away while one of its selected children leaves the selection");
        auto* group = static_cast<CGroup*>(Make(stGroup, {}, Root()));
        CShape* a = Make(stLine, {{0, 0}, {1, 0}}, group);
        CShape* b = Make(stLine, {{0, 1}, {1, 1}}, group);
        CShape* c = Make(stLine, {{0, 2}, {1, 2}}, group);
        const std::vector<int> ids = {group->GetId(), a->GetId(), b->GetId(), c->GetId()};
        selection->AddChild(a, nullptr, 0, false);
        ScriptedSink sink;
        bool deleted = false;
        sink.onEvent = [&](const EventSink::Call& call) {
            if (call.id == cetOnChangeSelection && !deleted) {
                deleted = true;
                control->DeleteShapeByID(ids[0], 1, 0);
            }
        };
        Connection connection(control->GetControllingUnknown(), &sink);
        EXPECT_EQ(control->DeleteShapeByID(ids[0], 1, 0), S_OK);
        EXPECT_TRUE(deleted);
        for (int id : ids)
            EXPECT_EQ(control->FindShape(id), nullptr) << id;
    }
    {
        SCOPED_TRACE("a member not yet grouped deleted in OnChangeParent");
        selection->Clear(false);
        CShape* a = Make(stLine, {{0, 0}, {1, 0}}, Root());
        CShape* b = Make(stLine, {{0, 1}, {1, 1}}, Root());
        CShape* c = Make(stLine, {{0, 2}, {1, 2}}, Root());
        const int aId = a->GetId();
        for (CShape* s : {a, b, c})
            selection->AddChild(s, nullptr, 0, false);
        ScriptedSink sink;
        sink.onEvent = [&](const EventSink::Call& call) {
            if (call.id == cetOnChangeParent && control->FindShape(aId))
                control->DeleteShapeByID(aId, 0, 0);
        };
        Connection connection(control->GetControllingUnknown(), &sink);
        LONG groupId = 0;
        ASSERT_EQ(control->GroupShapes(SELECTION_ID, VARIANT_TRUE, &groupId), S_OK);
        auto* group = dynamic_cast<CGroup*>(control->FindShape(groupId));
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(control->FindShape(aId), nullptr);
        EXPECT_EQ(group->GetShapeCount(), 2);
        EXPECT_EQ(b->GetParent(), group);
        EXPECT_EQ(c->GetParent(), group);

        SCOPED_TRACE("a child not yet moved out deleted in OnChangeParent of the ungroup");
        const int cId = c->GetId();
        sink.onEvent = [&](const EventSink::Call& call) {
            if (call.id == cetOnChangeParent && control->FindShape(cId))
                control->DeleteShapeByID(cId, 0, 0);
        };
        ASSERT_EQ(control->UnGroupShapes(groupId, VARIANT_TRUE), S_OK);
        EXPECT_EQ(control->FindShape(groupId), nullptr);
        EXPECT_EQ(control->FindShape(cId), nullptr);
        EXPECT_EQ(b->GetParent(), Root());
    }
}

// ChangeParent moves a shape into another group after OnChangeParent: agreed it is one step that
// undo takes back; refused the shape stays where it was and the history is as it was. Unknown
// shapes and parents that are no groups are errors.
TEST_F(Operations, ChangingAParent)
{
    auto* group = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    CShape* line = Make(stLine, {{0, 0}, {3, 3}}, Root());
    CShape* other = Make(stLine, {{5, 5}, {6, 6}}, Root());
    const LONG groupId = group->GetId(), lineId = line->GetId();
    const struct {
        LONG parent, shape;
        const wchar_t* error;
    } errors[] = {{groupId, 99999, L"Shape not found."},
                  {99999, lineId, L"Shape not found."},
                  {other->GetId(), lineId, L"Shape is not a group."}};
    for (const auto& e : errors) {
        EXPECT_EQ(control->ChangeParent(e.parent, e.shape), DISP_E_EXCEPTION);
        EXPECT_EQ(ErrorDescription(), e.error);
    }
    CUndoManager& manager = *CUndoManager::FromInterface(control->GetUndoRecorder()->GetManager());
    LONG undone = 0;
    ASSERT_EQ(control->AddLine(Root(), 0, 20, 1, 20, &undone), S_OK);
    ASSERT_EQ(Undo(), S_OK); // that line's creation waits on the redo stack
    const size_t undoSteps = manager.UndoStack().size(), redoSteps = manager.RedoStack().size();
    ASSERT_EQ(redoSteps, 1u);

    ScriptedSink sink;
    sink.decide = [](DISPID id, int) { return id != cetOnChangeParent; };
    Connection connection(control->GetControllingUnknown(), &sink);
    EXPECT_EQ(control->ChangeParent(groupId, lineId), S_FALSE);
    EXPECT_EQ(line->GetParent(), Root());
    EXPECT_EQ(group->GetShapeCount(), 0);
    EXPECT_EQ(sink.FirstInts(cetOnChangeParent), std::vector<LONG>({groupId}));
    EXPECT_EQ(manager.UndoStack().size(), undoSteps);
    EXPECT_EQ(manager.RedoStack().size(), redoSteps);

    sink.decide = [](DISPID, int) { return true; };
    ASSERT_EQ(control->ChangeParent(groupId, lineId), S_OK);
    EXPECT_EQ(line->GetParent(), group);
    EXPECT_EQ(control->ChangeParent(groupId, lineId), S_FALSE) << "there already";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control->FindShape(lineId)->GetParent(), Root());
}

// The add operations by a group's ID reach the group of that ID; an ID no shape has and a shape
// that is no group are errors that add nothing.
TEST_F(Operations, AddingByAGroupsId)
{
    auto* group = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    CShape* line = Make(stLine, {{0, 0}, {3, 3}}, group);
    auto* source = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    Make(stLine, {{1, 1}, {2, 2}}, source);
    Make(stLine, {{3, 3}, {4, 4}}, source);
    LONG id = 0;
    ASSERT_EQ(control->AddGroupByID(group->GetId(), stGroup, &id), S_OK);
    EXPECT_EQ(control->FindShape(id)->GetParent(), group);
    ASSERT_EQ(control->AddCloneByID(group->GetId(), line->GetId(), &id), S_OK);
    EXPECT_EQ(control->FindShape(id)->GetParent(), group);
    EXPECT_NE(id, line->GetId());
    ASSERT_EQ(control->AddChildrenClonesByID(group->GetId(), source->GetId(), false), S_OK);
    EXPECT_EQ(group->GetShapeCount(), 5);

    const size_t shapes = control->GetShapeMap().Shapes().size();
    const struct {
        LONG target;
        const wchar_t* error;
    } errors[] = {{99999, L"Shape not found."}, {line->GetId(), L"Shape is not a group."}};
    for (const auto& e : errors) {
        EXPECT_EQ(control->AddGroupByID(e.target, stGroup, &id), DISP_E_EXCEPTION);
        EXPECT_EQ(ErrorDescription(), e.error);
        EXPECT_EQ(control->AddCloneByID(e.target, line->GetId(), &id), DISP_E_EXCEPTION);
        EXPECT_EQ(ErrorDescription(), e.error);
        EXPECT_EQ(control->AddChildrenClonesByID(e.target, source->GetId(), false), DISP_E_EXCEPTION);
        EXPECT_EQ(ErrorDescription(), e.error);
    }
    EXPECT_EQ(control->GetShapeMap().Shapes().size(), shapes);
}

// A new point joins a polyline before the 1-based index as one undo step, and undo takes the
// point away again. A failing AddPolylinePointAt leaves no point and no open operation: an
// unknown shape, a shape that is no polyline, a polyline whose points may not move.
TEST_F(Operations, ANewPointJoinsAPolylineOrLeavesNothing)
{
    CShape* polyline = Make(stPolyline, {{0, 0}, {10, 0}}, Root());
    CShape* line = Make(stLine, {{0, 5}, {10, 5}}, Root());
    CShape* locked = Make(stPolyline, {{0, 9}, {10, 9}}, Root());
    locked->PutProtectionFlag(sdbfXpos, true);
    locked->PutProtectionFlag(sdbfYpos, true);
    CUndoRecorder& recorder = *control->GetUndoRecorder();
    CUndoManager& manager = *CUndoManager::FromInterface(recorder.GetManager());

    LONG pointId = 0;
    ASSERT_EQ(control->AddPolylinePointAt(polyline->GetId(), 2, 5.0f, 3.0f, &pointId, false), S_OK);
    ASSERT_GT(pointId, 0);
    EXPECT_EQ(polyline->GetPoints().IndexOf(pointId), 1) << "before the second point";
    ExpectAt(*polyline->GetPoints().GetAt(1), 5, 3);
    EXPECT_EQ(recorder.GetDepth(), 0);
    const size_t steps = manager.UndoStack().size();
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(polyline->GetPointCount(), 2);
    EXPECT_EQ(control->GetPointPool().Find(pointId), nullptr) << "the point went with the step";
    EXPECT_EQ(manager.UndoStack().size(), steps - 1) << "one step";
    ASSERT_EQ(manager.RedoTo(nullptr), S_OK);
    EXPECT_EQ(polyline->GetPoints().IndexOf(pointId), 1);

    const size_t points = control->GetPointPool().GetCount();
    const size_t undoSteps = manager.UndoStack().size();
    DWORD parentState = 0;
    const struct {
        const char* name;
        int shape;
        HRESULT result;
        const wchar_t* error;
    } failures[] = {{"unknown shape", 99999, DISP_E_EXCEPTION, L"Shape not found."},
                    {"a line", line->GetId(), DISP_E_EXCEPTION, L"Shape is not a polyline."},
                    {"points locked", locked->GetId(), E_ACCESSDENIED, nullptr}};
    for (const auto& f : failures) {
        for (bool recorded : {true, false}) {
            SCOPED_TRACE(testing::Message() << f.name << (recorded ? "" : ", no undo"));
            pointId = 77;
            const HRESULT hr = recorded ? control->AddPolylinePointAt(f.shape, 1, 50.0f, 50.0f, &pointId, true)
                                        : control->AddPolylinePointAtNoUndo(f.shape, 1, 50.0f, 50.0f, &pointId, true);
            EXPECT_EQ(hr, f.result);
            if (f.error) {
                EXPECT_EQ(ErrorDescription(), f.error);
            }
            EXPECT_EQ(pointId, 0);
            EXPECT_EQ(control->GetPointPool().GetCount(), points) << "no point left behind";
            EXPECT_EQ(recorder.GetDepth(), 0) << "no operation left open";
            EXPECT_TRUE(recorder.GetOpenUnits().empty());
            EXPECT_EQ(manager.GetOpenParentState(&parentState), S_FALSE) << "the manager has none open";
            EXPECT_EQ(manager.UndoStack().size(), undoSteps);
            EXPECT_EQ(locked->GetPointCount(), 2);
        }
    }

    // Without undo of its own the point joins all the same.
    ASSERT_EQ(control->AddPolylinePointAtNoUndo(polyline->GetId(), 0, 20.0f, 0.0f, &pointId, false), S_OK);
    EXPECT_EQ(polyline->GetPoints().IndexOf(pointId), 3) << "index 0 appends";
    EXPECT_EQ(recorder.GetDepth(), 0);
}

// A block made from a group takes copies of its children into the library; with replace the
// group gives way to a reference. A copy that fails takes the block out of the map and the
// library before it goes, and the caller reads block ID 0.
TEST_F(Operations, CreatingABlock)
{
    auto* source = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    Make(stLine, {{0, 0}, {1, 1}}, source);
    Make(stLine, {{2, 0}, {3, 1}}, source);
    const int sourceId = source->GetId();
    LONG blockId = 0, referenceId = 0;
    ASSERT_EQ(control->CreateBlock(L"Door", &blockId, sourceId, &referenceId, FLT_MAX, FLT_MAX, true), S_OK);
    auto* block = dynamic_cast<CGroup*>(control->FindShape(blockId));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->GetParent(), control->GetLibraryGroup());
    EXPECT_EQ(block->GetName(), L"Door");
    EXPECT_EQ(block->GetShapeCount(), 2);
    EXPECT_EQ(control->FindShape(sourceId), nullptr) << "replaced";
    auto* reference = dynamic_cast<CReference*>(control->FindShape(referenceId));
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->GetBlock(), block);
    EXPECT_EQ(reference->GetParent(), Root());
    // The block's base point is the top left of its extents: the block lies below and right of
    // its origin, and the reference shows the copies where the group's shapes were.
    float left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(block->GetBoundingRect(&left, &top, &right, &bottom), S_OK);
    EXPECT_FLOAT_EQ(left, 0.0f);
    EXPECT_FLOAT_EQ(top, 0.0f);
    EXPECT_FLOAT_EQ(right, 3.0f);
    EXPECT_FLOAT_EQ(bottom, -1.0f);
    ASSERT_EQ(reference->GetBoundingRect(&left, &top, &right, &bottom), S_OK);
    EXPECT_FLOAT_EQ(left, 0.0f);
    EXPECT_FLOAT_EQ(top, 1.0f);
    EXPECT_FLOAT_EQ(right, 3.0f);
    EXPECT_FLOAT_EQ(bottom, 0.0f);

    auto* failing = static_cast<CGroup*>(Make(stGroup, {}, Root()));
    auto* stubborn = new StubbornShape(control->GetShapeMap().GetNextShapeId(), control.Get());
    control->GetShapeMap().Insert(stubborn);
    failing->AddChild(stubborn, nullptr, 0, false);
    const int libraryCount = control->GetLibraryGroup()->GetShapeCount();
    const int next = control->GetShapeMap().GetNextShapeId();
    blockId = -5;
    EXPECT_TRUE(FAILED(control->CreateBlock(L"Bad", &blockId, failing->GetId(), nullptr, 0, 0, false)));
    EXPECT_EQ(blockId, 0);
    EXPECT_EQ(control->FindShape(next), nullptr) << "no entry leads to the deleted block";
    EXPECT_EQ(control->GetLibraryGroup()->GetShapeCount(), libraryCount);
    EXPECT_EQ(control->CreateBlock(nullptr, &blockId, failing->GetId(), nullptr, 0, 0, false), S_OK)
        << "no name: nothing made";
    EXPECT_EQ(control->CreateBlock(L"X", nullptr, failing->GetId(), nullptr, 0, 0, false), E_POINTER);
}

// A block's contents lie about its base point: the pick point, or without one the left-top corner
// of the source; the reference that replaces the source stands on that point, so the picture
// stays where the source was.
TEST_F(Operations, ABlocksBasePoint)
{
    const struct {
        float pickX, pickY;
        CRealPoint base;
    } cases[] = {{1.0f, 1.0f, {1, 1}}, {FLT_MAX, FLT_MAX, {2, 7}}, {FLT_MAX, 5.0f, {2, 7}}, {-3.0f, 9.5f, {-3, 9.5f}}};
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        auto* source = static_cast<CGroup*>(Make(stGroup, {}, Root()));
        Make(stLine, {{2, 3}, {4, 7}}, source);
        const std::wstring name = L"Block" + std::to_wstring(n++);
        LONG blockId = 0, referenceId = 0;
        ASSERT_EQ(control->CreateBlock(name.c_str(), &blockId, source->GetId(), &referenceId, c.pickX, c.pickY, true), S_OK);
        auto* block = static_cast<CGroup*>(control->FindShape(blockId));
        ASSERT_NE(block, nullptr);
        ASSERT_EQ(block->GetShapeCount(), 1);
        const CShapePointList& points = block->GetChildAt(0)->GetPoints();
        ExpectAt(*points.GetAt(0), 2 - c.base.x, 3 - c.base.y);
        ExpectAt(*points.GetAt(1), 4 - c.base.x, 7 - c.base.y);
        auto* reference = static_cast<CReference*>(control->FindShape(referenceId));
        ASSERT_NE(reference, nullptr);
        ExpectAt(*reference->GetPoints().GetAt(0), c.base.x, c.base.y);
        float l, t, r, b;
        ASSERT_EQ(reference->GetBoundingRect(&l, &t, &r, &b), S_OK);
        ExpectAt(CRealPoint(l, b), 2, 3);
        ExpectAt(CRealPoint(r, t), 4, 7);
    }
}

// After a clear the default text becomes the rich "Default Text" in colours again, and the
// current layer goes when asked.
TEST_F(Operations, ReinitializingTheDrawing)
{
    auto* text = dynamic_cast<CText*>(control->FindShape(DEFAULT_TEXT_ID));
    ASSERT_NE(text, nullptr);
    ASSERT_NE(control->GetCurrentLayer(), nullptr);
    control->ReinitializeDrawing(true, true, true);
    text = dynamic_cast<CText*>(control->FindShape(DEFAULT_TEXT_ID));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetTextType(), ttRTF);
    EXPECT_EQ(text->GetPenColor(), 0xFF0000u);
    EXPECT_EQ(text->GetHeight(), 20.0f);
    const std::string& rtf = text->GetText();
    for (const char* part : {"\\ansicpg1251", "Arial", "\\lang1049", "\\fs20", "{\\cf1 D}", "{\\cf10 x}", "{\\cf11 t}"})
        EXPECT_NE(rtf.find(part), std::string::npos) << part;
    size_t colours = 0;
    for (size_t at = rtf.find("\\red"); at != std::string::npos; at = rtf.find("\\red", at + 1))
        ++colours;
    EXPECT_EQ(colours, 12u);
    EXPECT_EQ(control->GetCurrentLayer(), nullptr);
}

// The current view's stored drawing setting becomes the current setting, which keeps its name and
// its own place (ID) among the settings.
TEST_F(Operations, ApplyingTheSiteSettings)
{
    auto stored = std::make_unique<CDrawingSettingRecord>();
    stored->ShowGrid = 0;
    stored->GridXSpace = 7.0f;
    CDrawingSettingRecord* setting = stored.get();
    ASSERT_TRUE(control->GetDrawingSettingMap().Insert(std::move(stored), true));
    control->GetCurrentViewport().drawingSetting = setting;
    const char* currentName = control->GetCurrentDrawingSetting()->GetName();
    const std::string name = currentName ? currentName : "";
    control->ApplySiteSettings();
    CDrawingSettingRecord* current = control->GetCurrentDrawingSetting();
    EXPECT_EQ(current->GridXSpace, 7.0f);
    EXPECT_NE(current->ID, setting->ID);
    EXPECT_EQ(std::string(current->GetName() ? current->GetName() : ""), name);
    EXPECT_NE(current, setting);
}

// After a DXF load the links the file's extended data named are made again between the points the
// shapes became; the reader's lists are emptied.
TEST_F(Operations, RelinkingDxfPoints)
{
    CShape* owner = Make(stPolyline, {{0, 0}, {5, 5}}, Root());
    CShape* follower = Make(stLine, {{1, 1}, {2, 2}}, Root());
    CDxfDocument& document = control->GetDxfDocument();
    document.SelfPointsOf(owner->GetId()) = {901, 902};
    document.LinkedPointsOf(follower->GetId()) = {902, 777};
    ASSERT_EQ(control->RelinkDxfPoints(), S_OK);
    ASSERT_EQ(follower->GetLinkedPoints().GetCount(), 1);
    EXPECT_EQ(follower->GetLinkedPoints().GetAt(0), owner->GetPoints().GetAt(1));
    EXPECT_TRUE(document.SelfPoints().empty());
    EXPECT_TRUE(document.LinkedPoints().empty());
}

// Shapes the file carried as polygons come back as what the program's data says: an ellipse from
// its 36 vertices, an image on its quadrilateral, under the same ID in the same place.
TEST_F(Operations, RestoringDxfApproximations)
{
    const double kPi = 3.14159265358979;
    std::vector<CRealPoint> vertices;
    const double angle = 30 * kPi / 180;
    for (int i = 0; i < 36; ++i) {
        const double t = i * 2 * kPi / 36;
        const double x = 4 * std::cos(t), y = 2 * std::sin(t);
        vertices.push_back(CRealPoint(static_cast<float>(10 + x * std::cos(angle) - y * std::sin(angle)),
                                      static_cast<float>(5 + x * std::sin(angle) + y * std::cos(angle))));
    }
    CShape* ring = Make(stPolyline, vertices, Root());
    CShape* frame = Make(stPolyline, {{0, 0}, {6, 8}, {14, 2}, {8, -6}}, Root());
    const int ringId = ring->GetId(), frameId = frame->GetId();
    CShapeMap& map = control->GetShapeMap();
    ASSERT_NE(map.CreateReplacement(ringId, stEllipse), nullptr);
    ASSERT_NE(map.CreateReplacement(frameId, stImage), nullptr);
    ASSERT_NE(map.CreateReplacement(99999, stLine), nullptr);
    ASSERT_EQ(control->RestoreDxfApproximations(), S_OK);
    EXPECT_TRUE(map.Replacements().empty());
    EXPECT_EQ(control->FindShape(99999), nullptr);

    auto* ellipse = dynamic_cast<CEllipse*>(control->FindShape(ringId));
    ASSERT_NE(ellipse, nullptr);
    EXPECT_EQ(ellipse->GetParent(), Root());
    ASSERT_EQ(ellipse->GetPointCount(), 1);
    ExpectAt(*ellipse->GetPoints().GetAt(0), 10, 5);
    EXPECT_NEAR(std::hypot(ellipse->GetMajorX(), ellipse->GetMajorY()), 4.0, 1e-3);
    EXPECT_NEAR(ellipse->GetMinorRatio(), 0.5, 1e-3);
    EXPECT_NEAR(std::fmod(std::atan2(ellipse->GetMajorY(), ellipse->GetMajorX()) * 180 / kPi + 360, 180), 30, 1e-2);

    auto* image = dynamic_cast<CImage*>(control->FindShape(frameId));
    ASSERT_NE(image, nullptr);
    ExpectAt(*image->GetPoints().GetAt(0), 0, 0);
    EXPECT_NEAR(image->GetWidth(), 10.0, 1e-4);
    EXPECT_NEAR(image->GetHeight(), 10.0, 1e-4);
    EXPECT_NEAR(image->GetRotation(), std::atan2(8.0, 6.0) * 180 / kPi, 1e-3);
}

// DrawShape starts a creation in the target group: a polygon is closed whatever Param says; a
// hidden current layer or an unknown group starts nothing; a refused OnBeginDraw takes the new
// shape back.
TEST_F(Operations, DrawingAShape)
{
    const int before = static_cast<int>(control->GetShapeMap().Shapes().size());
    CLayer* layer = control->GetCurrentLayer();
    ASSERT_NE(layer, nullptr);
    layer->SetVisible(false);
    EXPECT_EQ(control->DrawShape(BASE_ID, stLine, 0), S_FALSE);
    layer->SetVisible(true);
    EXPECT_EQ(control->DrawShape(4711, stLine, 0), DISP_E_EXCEPTION);
    EXPECT_EQ(static_cast<int>(control->GetShapeMap().Shapes().size()), before);

    ScriptedSink sink;
    sink.decide = [](DISPID id, int nth) { return !(id == cetOnBeginDraw && nth == 1); };
    Connection connection(control->GetControllingUnknown(), &sink);
    LONG id = 0;
    ASSERT_EQ(control->BeginDrawShape(BASE_ID, stPolygon, 0, &id), S_OK);
    auto* polygon = dynamic_cast<CPolyline*>(control->FindShape(id));
    ASSERT_NE(polygon, nullptr);
    EXPECT_TRUE(polygon->GetFlags() & pfClosed);
    EXPECT_EQ(polygon->GetParent(), Root());
    EXPECT_EQ(control->GetEditState().editedShape, polygon);
    EXPECT_EQ(control->GetEditState().editMode, EDSH_NEWPOINT);

    const int next = control->GetShapeMap().GetNextShapeId();
    EXPECT_EQ(control->BeginDrawShape(BASE_ID, stLine, 0, &id), S_FALSE);
    EXPECT_EQ(id, 0);
    EXPECT_EQ(control->FindShape(next), nullptr) << "the refused creation is taken back";
}

// Default shapes by type: a type without an entry answers S_FALSE; an entry whose own-shape word
// is 0 switches every entry.
TEST_F(Operations, DefaultShapeSwitches)
{
    VARIANT_BOOL on = VARIANT_TRUE;
    EXPECT_EQ(control->IsDefaultShapeEnabled(static_cast<ShapeTypes>(stGroup), &on), S_FALSE);
    EXPECT_EQ(on, VARIANT_FALSE);
    ASSERT_EQ(control->EnableDefaultShape(stLine, VARIANT_TRUE), S_OK);
    for (ShapeTypes type : {stLine, stText, stCircle}) {
        ASSERT_EQ(control->IsDefaultShapeEnabled(type, &on), S_OK);
        EXPECT_EQ(on, VARIANT_TRUE);
    }
    EXPECT_EQ(control->IsDefaultShapeEnabled(stLine, nullptr), E_POINTER);
}

// ---- the hosted control and its keys ----

namespace {

class Keys : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        PixelView(0.0f, 0.0f);
    }
    // The key down with Ctrl and Shift as given, seen through GetKeyState on this thread.
    void Press(WPARAM key, bool ctrl = false, bool shift = false)
    {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        SendMessageW(m_wnd, WM_KEYDOWN, key, 1);
        state[VK_CONTROL] = state[VK_SHIFT] = 0;
        SetKeyboardState(state);
        hosttest::PumpMessages();
    }
};

} // namespace

// With a grid of 20 units shown at one pixel a unit, an arrow key moves the selection one grid
// cell; with nothing selected the key scrolls instead.
TEST_F(Keys, NudgingMovesOneGridCell)
{
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    setting->ShowGrid = 1;
    setting->SnapToGrid = 0;
    setting->GridXSpace = setting->GridYSpace = 20.0f;
    CShape* box = drawtest::MakeBox(*control, 40, 10.0f, 40.0f, 40.0f, 10.0f, 0x000000);
    control->GetRootGroup()->AddChild(box, nullptr, 1, false);
    EXPECT_FALSE(control->CanNudge()) << "nothing selected";
    control->GetSelectionGroup()->AddChild(box, nullptr, 0, false);
    ASSERT_TRUE(control->CanNudge());
    EXPECT_NEAR(control->NudgeStep(true), 20.0, 1e-6);
    Press(VK_RIGHT);
    EXPECT_NEAR(box->GetPoints().GetAt(0)->x, 30.0f, 1e-3);
    Press(VK_UP);
    EXPECT_NEAR(box->GetPoints().GetAt(0)->y, 60.0f, 1e-3);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "each press is a move of its own";
    EXPECT_FALSE(control->Nudge(1, 1)) << "one axis at a time";
}

// Without a grid the step follows the view's size by decades, on down below 0.05 units.
TEST_F(Keys, NudgeStepsFromTheView)
{
    control->GetCurrentDrawingSetting()->ShowGrid = 0;
    const struct {
        float pixelsPerUnit;  // the view shows client width / this units
        double step;
    } cases[] = {{1.0f, 100.0}, {100.0f, 0.5}, {400.0f, 0.1}, {2000.0f, 0.01}, {20000.0f, 0.001}};
    for (const auto& c : cases) {
        CViewportRecord& view = control->GetCurrentViewport();
        const double width = m_client.right / c.pixelsPerUnit;
        view.SetWidth(static_cast<float>(width));
        const CWorldRect area = view.GetWorldRect();
        SCOPED_TRACE(area.right - area.left);
        EXPECT_NEAR(control->NudgeStep(true), c.step, c.step * 1e-6);
    }
}

// F9 switches the grid, Shift+F9 snapping; a host that refuses OnEditDrawingSetting keeps the
// setting as it was.
TEST_F(Keys, FunctionNineSwitchesTheSettingUnlessRefused)
{
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    setting->ShowGrid = 1;
    setting->SnapToGrid = 0;
    ScriptedSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    Press(VK_F9);
    EXPECT_EQ(setting->ShowGrid, 0);
    Press(VK_F9, false, true);
    EXPECT_EQ(setting->SnapToGrid, 1);
    sink.decide = [](DISPID id, int) { return id != cetOnEditDrawingSetting; };
    Press(VK_F9);
    EXPECT_EQ(setting->ShowGrid, 0) << "vetoed";
    Press(VK_F9, false, true);
    EXPECT_EQ(setting->SnapToGrid, 1) << "vetoed";
    EXPECT_EQ(sink.Count(cetOnEditDrawingSetting), 4);
}

// Ctrl+A selects the root's children; Escape clears the selection.
TEST_F(Keys, SelectAllAndEscape)
{
    for (int i = 0; i < 3; ++i)
        control->GetRootGroup()->AddChild(drawtest::MakeBox(*control, 50 + i, i * 10.0f, 5.0f, i * 10.0f + 5, 0.0f, 0),
                                          nullptr, 1, false);
    ScriptedSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    Press('A', true);
    EXPECT_EQ(control->GetSelectionGroup()->GetShapeCount(), 3);
    EXPECT_EQ(sink.Count(cetOnChangeSelection), 1);
    Press('A', true, true);
    EXPECT_EQ(sink.Count(cetOnChangeSelection), 1) << "Ctrl+Shift+A is no shortcut";
    Press(VK_ESCAPE);
    EXPECT_EQ(control->GetSelectionGroup()->GetShapeCount(), 0);
}

// Block editing goes a level deeper into a group after OnSwitchRootID (a refusal leaves no level
// behind), shows the button that leaves it, and a level whose group went meanwhile is dropped on
// the way out.
TEST_F(Keys, BlockEditingLevels)
{
    auto* outer = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stGroup, true, true));
    control->GetRootGroup()->AddChild(outer, nullptr, 0, false);
    auto* inner = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stGroup, true, true));
    outer->AddChild(inner, nullptr, 0, false);
    ScriptedSink sink;
    sink.decide = [](DISPID id, int nth) { return !(id == cetOnSwitchRootID && nth == 0); };
    Connection connection(control->GetControllingUnknown(), &sink);

    EXPECT_EQ(control->BeginBlockEditing(outer, 0), 1);
    EXPECT_EQ(control->GetBlockEditingDepth(), 0) << "refused: no level left behind";
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);

    ASSERT_EQ(control->BeginBlockEditing(outer, 0), 1);
    EXPECT_EQ(control->GetBlockEditingDepth(), 1);
    EXPECT_EQ(control->GetRootGroup(), outer);
    ASSERT_NE(control->GetBlockButton(), nullptr);
    EXPECT_TRUE(IsWindowVisible(control->GetBlockButton()));
    EXPECT_EQ(GetDlgCtrlID(control->GetBlockButton()), 304);
    EXPECT_EQ(control->GetBlockTooltipText(), "Complete editing shape(Esc)");
    ASSERT_EQ(control->BeginBlockEditing(inner, 0), 1);
    EXPECT_EQ(control->GetBlockEditingDepth(), 2);

    // The outer group goes (with the inner one, the root) while its levels are open.
    ASSERT_EQ(control->DeleteShapeTree(outer, false, false), S_OK);
    control->LeaveBlockEditing();
    EXPECT_EQ(control->GetBlockEditingDepth(), 0) << "the dead level is dropped and the next one left";
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
    EXPECT_EQ(control->GetBlockButton(), nullptr);

    // The button's command leaves a level too.
    auto* again = static_cast<CGroup*>(control->GetShapeMap().CreateShape(stGroup, true, true));
    control->GetRootGroup()->AddChild(again, nullptr, 0, false);
    ASSERT_EQ(control->BeginBlockEditing(again, 0), 1);
    SendMessageW(m_wnd, WM_COMMAND, MAKEWPARAM(304, BN_CLICKED), reinterpret_cast<LPARAM>(control->GetBlockButton()));
    EXPECT_EQ(control->GetBlockEditingDepth(), 0);
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
}

namespace {

// A block "Door" of the library with a line from (0, 0) to (1, 3), and a reference to it at
// (10, 10) in the root.
struct DoorBlock {
    CGroup* block;
    CShape* line;
    CReference* reference;
};

DoorBlock MakeDoor(CYVEXControl& control)
{
    auto* block = static_cast<CGroup*>(control.GetShapeMap().CreateShape(stGroup, true, true));
    block->SetName(L"Door");
    control.GetLibraryGroup()->AddChild(block, nullptr, 1, false);
    CShape* line = control.GetShapeMap().CreateShape(stLine, true, true);
    line->AddPointById(control.CControlCore::CreatePoint(0.0f, 0.0f), CShape::kAppend, false);
    line->AddPointById(control.CControlCore::CreatePoint(1.0f, 3.0f), CShape::kAppend, true);
    block->AddChild(line, nullptr, 0, false);
    auto* reference = static_cast<CReference*>(control.GetShapeMap().CreateShape(stReference, true, true));
    reference->AddPointById(control.CControlCore::CreatePoint(10.0f, 10.0f), CShape::kAppend, false);
    control.GetRootGroup()->AddChild(reference, nullptr, 0, false);
    reference->ResolveBlock(block, true, true, false);
    reference->ApplyTransform(true);
    return DoorBlock{block, line, reference};
}

CRealRect BoundsOf(CShape* shape)
{
    CRealRect r;
    EXPECT_EQ(shape->GetBoundingRect(&r.left, &r.top, &r.right, &r.bottom), S_OK);
    return r;
}

} // namespace

// EDSH_BLOCK on a reference takes the view into its block after OnBeginEditShape(256) and
// OnSwitchRootID, with no edit left running; an edit made inside reaches the reference when the
// level is completed (OnUpdateReferences). A refused start opens no level; lParam 1 opens the
// reference itself.
TEST_F(Keys, BlockEditingThroughEditShapeEx)
{
    const DoorBlock door = MakeDoor(*control);
    const LONG referenceId = door.reference->GetId(), blockId = door.block->GetId();
    const CRealRect before = BoundsOf(door.reference);
    ExpectAt(CRealPoint(before.left, before.bottom), 10, 10);
    ScriptedSink sink;
    sink.decide = [](DISPID id, int nth) { return !(id == cetOnBeginEditShape && nth == 0); };
    Connection connection(control->GetControllingUnknown(), &sink);

    ASSERT_EQ(control->EditShapeEx(referenceId, EDSH_BLOCK, 0, 0), S_OK);
    EXPECT_EQ(control->GetBlockEditingDepth(), 0) << "refused: no level";
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
    EXPECT_EQ(sink.Count(cetOnSwitchRootID), 0);

    ASSERT_EQ(control->EditShapeEx(referenceId, EDSH_BLOCK, 0, 0), S_OK);
    EXPECT_EQ(control->GetBlockEditingDepth(), 1);
    EXPECT_EQ(control->GetRootGroup(), door.block);
    EXPECT_EQ(control->GetBlockTooltipText(), "Complete editing block(Esc)");
    EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "a level of the view, not an edit";
    EXPECT_EQ(control->GetControlState(), 0u);
    EXPECT_EQ(sink.FirstInts(cetOnSwitchRootID), std::vector<LONG>({blockId}));
    std::vector<std::vector<LONG>> begins;
    for (const auto& call : sink.calls)
        if (call.id == cetOnBeginEditShape)
            begins.push_back(call.ints);
    EXPECT_EQ(begins, (std::vector<std::vector<LONG>>{{referenceId, EDSH_BLOCK}, {referenceId, EDSH_BLOCK}}));

    // Inside, the line turns by a quarter about its middle (0.5, 1.5).
    ASSERT_EQ(control->EditShapeEx(door.line->GetId(), EDSH_ROTATE, 0, 90), S_OK);
    const CRealRect turned = BoundsOf(door.line);
    ExpectAt(CRealPoint(turned.left, turned.bottom), -1, 1);
    ASSERT_EQ(control->CompleteEditingBlock(), S_OK);
    EXPECT_EQ(control->GetBlockEditingDepth(), 0);
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
    EXPECT_EQ(control->GetBlockButton(), nullptr);
    std::vector<LONG> updated;
    for (const auto& call : sink.calls)
        if (call.id == cetOnUpdateReferences)
            updated = call.ints;
    EXPECT_EQ(updated, std::vector<LONG>({blockId, 1}));
    const CRealRect after = BoundsOf(door.reference);
    ExpectAt(CRealPoint(after.left, after.bottom), 9, 11);
    ExpectAt(CRealPoint(after.right, after.top), 12, 12);

    ASSERT_EQ(control->EditShapeEx(referenceId, EDSH_BLOCK, 0, 1), S_OK);
    EXPECT_EQ(control->GetRootGroup(), door.reference) << "lParam 1: the reference itself";
    EXPECT_EQ(control->GetBlockTooltipText(), "Complete editing shape(Esc)");
    ASSERT_EQ(control->CompleteEditingBlock(), S_OK);
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
}

// Moving a block's base point moves its contents the other way as one undoable move, between
// OnBeginEditShape(ID, 4) and OnEndEditShape; the block being the root, the view follows so the
// picture keeps its place. The corners and the centre come from the bounds. A refusal of either
// event leaves the block as it was (S_FALSE); only groups (a reference: its block) have one.
TEST_F(Keys, MovingABlocksBasePoint)
{
    ASSERT_EQ(control->CreateUndoManager(), S_OK);
    const DoorBlock door = MakeDoor(*control);
    ASSERT_EQ(control->EditShapeEx(door.reference->GetId(), EDSH_BLOCK, 0, 0), S_OK);
    ASSERT_EQ(control->GetRootGroup(), door.block);
    auto undo = [&]() { return control->GetUndoRecorder()->GetManager()->UndoTo(nullptr); };

    {
        ScriptedSink sink;
        Connection connection(control->GetControllingUnknown(), &sink);
        const CRealPoint centre = control->GetCurrentViewport().center;
        const POINT screenBefore = control->GetCurrentViewport().WorldToDevice(*door.line->GetPoints().GetAt(1));
        ASSERT_EQ(control->MoveGroupBasePoint(door.reference, 1.0f, 3.0f, CShape::kBaseAtPoint), S_OK);
        ExpectAt(*door.line->GetPoints().GetAt(0), -1, -3);
        ExpectAt(*door.line->GetPoints().GetAt(1), 0, 0);
        const CRealPoint now = control->GetCurrentViewport().center;
        ExpectAt(now, centre.x - 1, centre.y - 3);
        const POINT screenAfter = control->GetCurrentViewport().WorldToDevice(*door.line->GetPoints().GetAt(1));
        EXPECT_NEAR(screenAfter.x, screenBefore.x, 1);
        EXPECT_NEAR(screenAfter.y, screenBefore.y, 1);
        std::vector<DISPID> ids;
        for (const auto& call : sink.calls)
            if (call.id == cetOnBeginEditShape || call.id == cetOnEndEditShape)
                ids.push_back(call.id);
        EXPECT_EQ(ids, std::vector<DISPID>({cetOnBeginEditShape, cetOnEndEditShape}));
        EXPECT_EQ(sink.calls.front().ints, std::vector<LONG>({door.block->GetId(), EDSH_MOVE}));
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
        EXPECT_EQ(control->GetControlState(), 0u);
    }
    YVEXOperation last = opChange;
    ASSERT_EQ(control->get_LastOperation(&last), S_OK);
    EXPECT_EQ(last, opMove);
    ASSERT_EQ(undo(), S_OK);
    ExpectAt(*door.line->GetPoints().GetAt(0), 0, 0);
    ExpectAt(*door.line->GetPoints().GetAt(1), 1, 3);

    // The corner or centre named lands on the origin; the 1 x 3 line keeps its size.
    const struct {
        int mode;
        float left, bottom;
    } corners[] = {
        {CShape::kBaseAtLeftTop, 0, -3},   {CShape::kBaseAtLeftBottom, 0, 0}, {CShape::kBaseAtRightTop, -1, -3},
        {CShape::kBaseAtRightBottom, -1, 0}, {CShape::kBaseAtCentre, -0.5f, -1.5f}, {CShape::kBaseAtDefaultCorner, 0, -3},
    };
    for (const auto& c : corners) {
        SCOPED_TRACE(c.mode);
        ASSERT_EQ(control->MoveGroupBasePoint(door.block, 123.0f, 456.0f, c.mode), S_OK);
        const CRealRect r = BoundsOf(door.line);
        ExpectAt(CRealPoint(r.left, r.bottom), c.left, c.bottom);
        ExpectAt(CRealPoint(r.right, r.top), c.left + 1, c.bottom + 3);
    }

    const CRealRect kept = BoundsOf(door.line);
    for (DISPID refused : {cetOnBeginEditShape, cetOnEndEditShape}) {
        SCOPED_TRACE(refused);
        ScriptedSink sink;
        sink.decide = [refused](DISPID id, int) { return id != refused; };
        Connection connection(control->GetControllingUnknown(), &sink);
        const CRealPoint centre = control->GetCurrentViewport().center;
        EXPECT_EQ(control->MoveGroupBasePoint(door.block, 5.0f, 5.0f, CShape::kBaseAtPoint), S_FALSE);
        const CRealRect r = BoundsOf(door.line);
        ExpectAt(CRealPoint(r.left, r.bottom), kept.left, kept.bottom);
        ExpectAt(CRealPoint(r.right, r.top), kept.right, kept.top);
        ExpectAt(control->GetCurrentViewport().center, centre.x, centre.y);
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    }
    EXPECT_EQ(control->MoveGroupBasePoint(door.line, 1.0f, 1.0f, CShape::kBaseAtPoint), E_INVALIDARG);
    EXPECT_EQ(control->MoveGroupBasePoint(door.block, 1.0f, 1.0f, 77), E_INVALIDARG);

    // The canvas menu while the block is edited: its centre as the base point, then back out.
    static UINT s_command;
    const PopupMenuHandler previous = SetPopupMenuHandler([](HMENU, UINT, int, int, HWND) -> UINT { return s_command; });
    const POINT corner = {m_client.right - 5, m_client.bottom - 5};
    for (UINT command : {static_cast<UINT>(MI_BLOCK_BASE_CENTER), static_cast<UINT>(MI_COMPLETE)}) {
        s_command = command;
        SendMessageW(m_wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(corner.x, corner.y));
        SendMessageW(m_wnd, WM_RBUTTONUP, 0, MAKELPARAM(corner.x, corner.y));
        if (command == MI_BLOCK_BASE_CENTER) {
            const CRealRect r = BoundsOf(door.line);
            ExpectAt(CRealPoint(r.left, r.bottom), -0.5f, -1.5f);
        }
    }
    SetPopupMenuHandler(previous);
    EXPECT_EQ(control->GetBlockEditingDepth(), 0);
}

// The editor of a text without height is 1.3 text heights high (and 2 wider), in client pixels.
TEST_F(Keys, EditorOfATextWithoutHeight)
{
    auto* text = static_cast<CText*>(control->GetShapeMap().CreateShape(stText, true, true));
    text->AddPointById(control->CControlCore::CreatePoint(0.0f, 0.0f), CShape::kAppend, true);
    text->SetType(ttANSI);
    text->SetHeight(20.0f);
    control->GetRootGroup()->AddChild(text, nullptr, 0, false);
    float l, t, r, b;
    text->GetBoundingRect(&l, &t, &r, &b);
    ASSERT_NEAR(t, b, 1e-6) << "an empty text has no height";
    RECT rect = {};
    CTextEditorFont font;
    ASSERT_TRUE(control->GetTextEditorLayout(text, &rect, &font));
    // 26 pixels of text, 2 more on each side.
    EXPECT_NEAR(rect.bottom - rect.top, 30, 1);
    EXPECT_LT(font.GetLogFont().lfHeight, 0);

    // A colour too close to the window's is edited in black.
    const struct {
        COLORREF pen, edited;
    } colours[] = {{RGB(255, 255, 224), 0}, {RGB(200, 0, 0), RGB(200, 0, 0)}};
    for (const auto& c : colours) {
        text->SetPenColor(c.pen);
        ASSERT_TRUE(control->GetTextEditorLayout(text, &rect, &font));
        EXPECT_EQ(font.colour, c.edited) << std::hex << c.pen;
    }
}

namespace {

// A control that notes the edits the keys start instead of running them.
class EditLoggingControl : public CYVEXControl
{
public:
    struct Start {
        int shapeId, editType, lParam;
    };
    int StartEditShape(CShape* shape, int editType, int lParam, int) override
    {
        starts.push_back(Start{shape ? shape->GetId() : 0, editType, lParam});
        return 1;
    }
    // Ends the running edit unless told to refuse, as the editing machinery does.
    void EndInteractiveOperation(bool commit) override
    {
        ends.push_back(commit);
        if (!refuseEnd) {
            GetEditState().editedShape = nullptr;
            GetEditState().editMode = 0;
        }
    }
    std::vector<Start> starts;
    std::vector<bool> ends;
    bool refuseEnd = false;
};

// Sets Ctrl and Shift for GetKeyState on this thread, and clears them again when it goes.
class KeyState
{
public:
    KeyState(bool ctrl, bool shift)
    {
        GetKeyboardState(m_state);
        m_state[VK_CONTROL] = ctrl ? 0x80 : 0;
        m_state[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(m_state);
    }
    ~KeyState()
    {
        m_state[VK_CONTROL] = m_state[VK_SHIFT] = 0;
        SetKeyboardState(m_state);
    }

private:
    BYTE m_state[256] = {};
};

} // namespace

// The keys that start edits of the selection, with their modifiers: Ctrl+H turns it upside down
// and Ctrl+J left to right (whatever menu 401 writes beside its flip items); other modifiers
// leave the key to the default processing.
TEST(KeyTable, EditsOfTheSelection)
{
    auto* control = new ycom::ComObject<EditLoggingControl>();
    control->InternalAddRef();
    const struct {
        WPARAM key;
        bool ctrl, shift, handled;
        int editType, lParam;  // editType 0: no edit started
    } cases[] = {
        {'H', true, false, true, EDSH_FLIP_SHAPE, sfdUpsideDown},
        {'J', true, false, true, EDSH_FLIP_SHAPE, sfdLeftToRight},
        {'L', true, false, true, EDSH_ROTATE, 90},
        {'R', true, false, true, EDSH_ROTATE, -90},
        {'R', true, true, true, EDSH_ROTATE, 0},
        {VK_DELETE, false, false, true, EDSH_REMOVE, 0},
        {'J', true, true, false, 0, 0},
        {'Y', true, true, false, 0, 0},
        {'K', true, false, false, 0, 0},
        {'A', false, false, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key << " ctrl " << c.ctrl << " shift " << c.shift);
        control->starts.clear();
        BOOL handled = TRUE;
        {
            KeyState state(c.ctrl, c.shift);
            control->HandleKeyDown(WM_KEYDOWN, c.key, 1, handled);
        }
        EXPECT_EQ(handled != FALSE, c.handled);
        if (c.editType == 0) {
            EXPECT_TRUE(control->starts.empty());
            continue;
        }
        ASSERT_EQ(control->starts.size(), 1u);
        EXPECT_EQ(control->starts[0].shapeId, SELECTION_ID);
        EXPECT_EQ(control->starts[0].editType, c.editType);
        EXPECT_EQ(control->starts[0].lParam, c.lParam);
    }
    control->Release();
}

// The editor's end notification: with a text the edited text takes it and the edit is
// committed, and a refused commit gives the text back what it had; without one the edit is
// cancelled.
TEST(KeyTable, TheEditorsEndNotification)
{
    auto* control = new ycom::ComObject<EditLoggingControl>();
    control->InternalAddRef();
    auto* text = static_cast<CText*>(control->GetShapeMap().CreateShape(stText, true, true));
    control->GetRootGroup()->AddChild(text, nullptr, 0, false);
    text->SetType(ttANSI);
    text->SetTextBytes("old", 3);
    auto notify = [&](const char* typed) {
        control->GetEditState().editedShape = text;
        control->GetEditState().editMode = EDSH_TEXT;
        std::string buffer = typed ? typed : "";
        NMLVDISPINFOA info = {};
        info.hdr.idFrom = 340;
        info.hdr.code = LVN_ENDLABELEDITA;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = text->GetId();
        info.item.pszText = typed ? &buffer[0] : nullptr;
        BOOL handled = FALSE;
        const LRESULT result = control->HandleInPlaceEditNotify(WM_NOTIFY, 340, reinterpret_cast<LPARAM>(&info), handled);
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(handled);
    };
    notify("new");
    EXPECT_EQ(text->GetText(), "new");
    EXPECT_EQ(control->ends, std::vector<bool>({true}));
    control->refuseEnd = true;
    notify("refused");
    EXPECT_EQ(text->GetText(), "new") << "the refused commit gives the text back";
    control->refuseEnd = false;
    notify(nullptr);
    EXPECT_EQ(text->GetText(), "new");
    EXPECT_EQ(control->ends, std::vector<bool>({true, true, false}));
    control->Release();
}

// ---- the in-place editor window ----

namespace {

// A parent window that keeps the end notifications it receives.
class EditorParent
{
public:
    EditorParent()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"YVEXEditorTestParent";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~EditorParent() { DestroyWindow(hwnd); }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<EditorParent*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_NOTIFY && self) {
            const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(lParam);
            self->codes.push_back(static_cast<int>(info->hdr.code));
            self->ids.push_back(static_cast<int>(info->hdr.idFrom));
            self->texts.push_back(info->item.pszText ? std::string(info->item.pszText, info->item.cchTextMax)
                                                     : std::string("<none>"));
            self->items.push_back(info->item.iItem);
            return 1;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    HWND hwnd;
    std::vector<int> codes, ids, items;
    std::vector<std::string> texts;
};

void Type(HWND window, const char* characters)
{
    for (const char* c = characters; *c; ++c)
        SendMessageA(window, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

} // namespace

// Enter sends the text, Escape none; the notification is the list view's end of label edit from
// the editor's control ID, with the item given.
TEST(InPlaceEdit, EnterSendsTheTextEscapeNone)
{
    EditorParent parent;
    const RECT rect = {10, 10, 200, 40};
    for (bool escape : {false, true}) {
        CInPlaceEdit editor(42, 0, nullptr, "Old", false, false);
        ASSERT_TRUE(editor.Create(parent.hwnd, rect, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 340, false));
        EXPECT_EQ(editor.GetText(), "Old");
        Type(editor.GetHandle(), "New");
        SendMessageA(editor.GetHandle(), WM_CHAR, escape ? VK_ESCAPE : VK_RETURN, 1);
    }
    ASSERT_EQ(parent.texts.size(), 2u);
    EXPECT_EQ(parent.texts[0], "New") << "the whole text was selected: typing replaced it";
    EXPECT_EQ(parent.texts[1], "<none>");
    EXPECT_EQ(parent.codes, std::vector<int>({-106, -106}));
    EXPECT_EQ(parent.ids, std::vector<int>({340, 340}));
    EXPECT_EQ(parent.items, std::vector<int>({42, 42}));
}

// A numbers-only editor keeps digits, "-" and one point: 1, point, 2, point, 3 leaves 12.3.
TEST(InPlaceEdit, NumbersOnly)
{
    EditorParent parent;
    CInPlaceEdit editor(1, 0, nullptr, "a7.5.b", false, true);
    EXPECT_EQ(editor.GetInitialText(), "7.5");
    ASSERT_TRUE(editor.Create(parent.hwnd, RECT{10, 10, 200, 40}, WS_CHILD | WS_VISIBLE | WS_BORDER, 5, false));
    SendMessageA(editor.GetHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    Type(editor.GetHandle(), "1.2.3x");
    EXPECT_EQ(editor.GetText(), "12.3");
}

// Rich text comes back whole, however long: 20 kB of RTF through the end notification.
TEST(InPlaceEdit, LongRichTextComesBackWhole)
{
    EditorParent parent;
    CInPlaceEdit editor(7, 0, nullptr, nullptr, false, false);
    ASSERT_TRUE(editor.Create(parent.hwnd, RECT{10, 10, 300, 200},
                              WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE, 340, true));
    std::string body;
    for (int i = 0; body.size() < 20000; ++i)
        body += "word" + std::to_string(i) + " ";
    SendMessageA(editor.GetHandle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(body.c_str()));
    SendMessageA(editor.GetHandle(), WM_CHAR, VK_RETURN, 1);
    ASSERT_EQ(parent.texts.size(), 1u);
    const std::string& rtf = parent.texts[0];
    EXPECT_EQ(rtf.compare(0, 5, "{\\rtf"), 0);
    EXPECT_GT(rtf.size(), body.size());
    EXPECT_NE(rtf.find("word" + std::to_string(0) + " "), std::string::npos);
    const std::string last = body.substr(body.rfind("word", body.size() - 2));
    EXPECT_NE(rtf.find(last.substr(0, last.size() - 1)), std::string::npos) << "the end of the text is there";
}
