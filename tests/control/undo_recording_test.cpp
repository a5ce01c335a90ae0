// The recorder and the undo units on a drawing: what goes into which unit, factory shapes through
// undo and redo with their IDs, coordinates and parents, and the restore through the record
// tables.
#include "tests/control/UndoTestSupport.h"
#include "com/MessageBoxHook.h"
#include "control/ObjectIDUndoUnit.h"
#include "control/ParentUndoUnit.h"
#include "control/SnapshotUndoUnit.h"
#include "control/UndoUnit.h"
#include "control/YVEXControl.h"
#include "tests/control/HostDoubles.h"
#include "model/HatchPatternMap.h"
#include "model/VertexRecord.h"
#include "persistence/DataTableSet.h"
#include "persistence/MemoryBinaryArchive.h"
#include <map>

using namespace undotest;

namespace {

struct UndoTest : ::testing::Test, Drawing
{
    // The leaf unit at a place of the undo stack (0: the newest).
    CUndoUnit* UndoUnitAt(size_t index) { return dynamic_cast<CUndoUnit*>(Manager().UndoStack().at(index).Get()); }
    CUndoUnit* RedoUnitAt(size_t index) { return dynamic_cast<CUndoUnit*>(Manager().RedoStack().at(index).Get()); }
    std::set<int> Ids(std::initializer_list<const CShape*> shapes)
    {
        std::set<int> ids;
        for (const CShape* s : shapes)
            ids.insert(s->GetId());
        return ids;
    }
};

std::wstring Description(IOleUndoUnit* unit)
{
    BSTR text = nullptr;
    unit->GetDescription(&text);
    std::wstring out = text ? text : L"";
    SysFreeString(text);
    return out;
}

// The set as another control reads it: written to a memory archive and read into a new set, whose
// ID maps know nothing of the save.
std::unique_ptr<CDataTableSet> ThroughArchive(CDataTableSet& set)
{
    CMemoryBinaryArchive archive;
    EXPECT_EQ(set.WriteToArchive(&archive), 1);
    auto copy = std::make_unique<CDataTableSet>(1);
    EXPECT_EQ(copy->ReadFromArchive(&archive), 1);
    return copy;
}

int TableCount(const CDataTableSet* set)
{
    int n = 0;
    for (int i = 0; i < DATA_TABLE_COUNT; ++i)
        n += set->GetTable(i) != nullptr;
    return n;
}

} // namespace

TEST_F(UndoTest, RecordsOfOneKindShareAUnitAndAnotherKindStartsANewOne)
{
    CPolyline* a = Polyline({{0, 0}, {10, 0}}, root);
    CPolyline* b = Polyline({{0, 5}, {10, 5}}, root);
    CPolyline* c = Polyline({{0, 9}, {10, 9}}, root);
    // A move keeps no polyline rows: the shapes answer S_FALSE for the missing table.
    EXPECT_TRUE(SUCCEEDED(Recorder().RecordShape(opMove, a, false)));
    EXPECT_TRUE(SUCCEEDED(Recorder().RecordShape(opMove, b, false)));
    ASSERT_EQ(Manager().UndoStack().size(), 1u);
    EXPECT_EQ(UndoUnitAt(0)->GetIds(CUndoUnit::ekShape), Ids({a, b}));
    const size_t records = dynamic_cast<CSnapshotUndoUnit*>(UndoUnitAt(0))->GetTables()->Shapes()->GetCount();
    EXPECT_EQ(Recorder().RecordShape(opMove, a, false), S_FALSE);
    EXPECT_EQ(dynamic_cast<CSnapshotUndoUnit*>(UndoUnitAt(0))->GetTables()->Shapes()->GetCount(), records)
        << "recorded once";

    CPointRecord* point = c->GetPoints().GetAt(0);
    EXPECT_EQ(Recorder().RecordPoint(opProperties, point, false), S_OK);
    EXPECT_TRUE(SUCCEEDED(Recorder().RecordShape(opMove, c, false)));
    ASSERT_EQ(Manager().UndoStack().size(), 3u);
    EXPECT_EQ(UndoUnitAt(1)->GetIds(CUndoUnit::ekPoint), (std::set<int>{point->GetPointId()}));
    EXPECT_EQ(UndoUnitAt(0)->GetIds(CUndoUnit::ekShape), Ids({c}));

    // Suspended, nothing is recorded; a null element is refused.
    Recorder().Suspend();
    EXPECT_EQ(Recorder().RecordShape(opMove, a, false), S_FALSE);
    Recorder().Resume();
    EXPECT_EQ(Recorder().RecordShape(opMove, nullptr, false), E_INVALIDARG);
    // A disabled manager keeps no unit: the record fails and the caller goes on.
    Manager().Enable(FALSE);
    EXPECT_EQ(Recorder().RecordShape(opDelete, a, false), E_FAIL);
    Manager().Enable(TRUE);
    EXPECT_EQ(Manager().UndoStack().size(), 3u);
}

TEST_F(UndoTest, AGroupRecordsItsChildrenWhichThenAnswerSFalse)
{
    CGroup* group = Group(root);
    CPolyline* child = Polyline({{1, 1}, {2, 2}}, group);
    EXPECT_EQ(Recorder().RecordShape(opCreate, group, false), S_OK);
    EXPECT_EQ(Recorder().RecordShape(opCreate, child, false), S_FALSE);
    EXPECT_EQ(Recorder().RecordPoint(opCreate, child->GetPoints().GetAt(1), false), S_FALSE) << "its shape is";
    CUndoUnit* unit = UndoUnitAt(0);
    EXPECT_EQ(unit->GetIds(CUndoUnit::ekShape), Ids({group}));
    EXPECT_TRUE(unit->GetIds(CUndoUnit::ekPoint).empty());
    EXPECT_TRUE(unit->IsShapeRecorded(child));
}

TEST_F(UndoTest, FixedIdsNeverEnterAndTheRootsSnapshotHoldsItsStoredChildren)
{
    // A prototype shape and the (empty) fixed groups, present or not.
    const int prototypeId = DEFAULT_POLYLINE_ID;
    CShape* prototype = control.GetShapeMap().CreateShape(stPolyline, true, true, &prototypeId);
    ycom::ComPtr<CUndoUnit> ids = Recorder().CreateUnit(opCreate);
    for (int id = HIGHLIGHTS_ID; id <= DEFAULT_IMAGE_ID; ++id)
        EXPECT_EQ(ids->RecordID(CUndoUnit::ekShape, id), S_OK) << id;
    EXPECT_EQ(ids->RecordShape(prototype), S_OK);
    EXPECT_TRUE(ids->GetIds(CUndoUnit::ekShape).empty());

    CPolyline* stored = Polyline({{0, 0}, {5, 5}}, root);
    CPolyline* transient = Polyline({{1, 0}, {6, 5}}, root);
    transient->SetStateBits(CShape::stPersistent, false);
    EXPECT_EQ(ids->RecordShape(root), S_OK);
    EXPECT_EQ(ids->GetIds(CUndoUnit::ekShape), Ids({stored, transient})) << "the children, not the root";
    EXPECT_EQ(ids->RecordID(CUndoUnit::ekDrawingSetting, 1), E_INVALIDARG);
    EXPECT_EQ(ids->RecordID(CUndoUnit::ekImageResource, -4), E_INVALIDARG);
    EXPECT_EQ(ids->RecordID(CUndoUnit::ekImageResource, 4), S_OK) << "a bare ID of an element not there";

    ycom::ComPtr<CUndoUnit> unit = Recorder().CreateUnit(opDelete);
    auto* snapshot = dynamic_cast<CSnapshotUndoUnit*>(unit.Get());
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->Restore(), S_FALSE) << "nothing recorded yet";
    snapshot->RecordShape(root);
    CShapesTable* shapes = snapshot->GetTables()->Shapes();
    ASSERT_NE(shapes, nullptr);
    EXPECT_NE(shapes->FindRecord(stored->GetId()), nullptr);
    EXPECT_EQ(shapes->FindRecord(transient->GetId()), nullptr);
    EXPECT_EQ(shapes->FindRecord(BASE_ID), nullptr);
    EXPECT_EQ(shapes->GetCount(), 1u);
}

namespace {
struct Asked
{
    int count = 0;
    std::string text, caption;
    UINT style = 0;
};
Asked g_asked;
int AnswerNo(HWND, const char* text, const char* caption, UINT style)
{
    ++g_asked.count;
    g_asked.text = text;
    g_asked.caption = caption;
    g_asked.style = style;
    return IDNO;
}
} // namespace

TEST_F(UndoTest, ThreeHundredShapesWithSixHundredPointsAskNothingOneMoreAsks)
{
    g_asked = Asked();
    ycom::MessageBoxHandler previous = ycom::SetMessageBoxHandler(&AnswerNo);
    // The group and 299 polylines: 300 shapes; 298 of two points and one of four: 600 points.
    CGroup* group = Group(root);
    CPolyline* four = Polyline({{0, 0}, {1, 0}, {1, 1}, {0, 1}}, group);
    for (int i = 0; i < 298; ++i)
        Polyline({{0, float(i)}, {1, float(i)}}, group);
    EXPECT_TRUE(Recorder().ConfirmLargeOperation(opDelete, group));
    EXPECT_EQ(g_asked.count, 0);
    EXPECT_FALSE(Recorder().IsTooLarge());

    // One more point asks; the answer No refuses, and the operation is marked too large.
    four->SetPointCoords(3, 2, 2, 4);
    EXPECT_FALSE(Recorder().ConfirmLargeOperation(opDelete, group));
    EXPECT_EQ(g_asked.count, 1);
    EXPECT_EQ(g_asked.text, "This operation can't be undone. Proceed?");
    EXPECT_EQ(g_asked.caption, "Warning");
    EXPECT_EQ(g_asked.style, static_cast<UINT>(MB_YESNO | MB_ICONEXCLAMATION));
    // While marked, nothing is recorded and the question is not asked again.
    EXPECT_EQ(Recorder().RecordShape(opDelete, group, false), E_ACCESSDENIED);
    EXPECT_TRUE(Recorder().ConfirmLargeOperation(opDelete, group));
    EXPECT_EQ(g_asked.count, 1);
    // The mark goes with the outermost operation.
    EXPECT_EQ(Recorder().CloseOperation(false), S_FALSE);
    EXPECT_FALSE(Recorder().IsTooLarge());

    // One more shape asks too.
    four->RemovePointById(four->GetPoints().GetAt(4)->GetPointId(), false, 0);
    EXPECT_TRUE(Recorder().ConfirmLargeOperation(opMove, group));
    group->AddChild(control.GetShapeMap().CreateShape(stPolyline, true, true), nullptr, 1, false);
    EXPECT_FALSE(Recorder().ConfirmLargeOperation(opMove, group));
    EXPECT_EQ(g_asked.count, 2);
    ycom::SetMessageBoxHandler(previous);
}

TEST_F(UndoTest, UndoingAPolylinesCreationRemovesItAndRedoBringsItBackAsItWas)
{
    CPolyline* line = Polyline({{0, 0}, {10, 0}, {10, 20}}, root);
    const int id = line->GetId();
    const std::vector<PointState> points = PointsOf(line);
    ASSERT_EQ(Recorder().RecordShape(opCreate, line, false), S_OK);
    EndStep();
    EXPECT_EQ(Description(Manager().UndoStack().front().Get()), L"Create");

    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control.FindShape(id), nullptr);
    EXPECT_TRUE(root->Children().empty());
    for (const PointState& p : points)
        EXPECT_EQ(control.GetPointPool().Find(p.id), nullptr) << "point " << p.id;
    // The redo step: the inverse, a snapshot of kind opDelete that reads "Create".
    ASSERT_EQ(Manager().RedoStack().size(), 1u);
    auto* redo = dynamic_cast<CSnapshotUndoUnit*>(RedoUnitAt(0));
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(redo->GetKind(), opDelete);
    EXPECT_TRUE(redo->IsInverse());
    EXPECT_EQ(Description(redo), L"Create");
    YVEXOperation kind = opChange;
    ycom::ComPtr<IYVEXUndoUnit> own;
    ASSERT_EQ(Manager().RedoStack().front().QueryTo(IID_IYVEXUndoUnit, own), S_OK);
    EXPECT_EQ(own->get_Operation(&kind), S_OK);
    EXPECT_EQ(kind, opDelete);

    ASSERT_EQ(Redo(), S_OK);
    CShape* back = control.FindShape(id);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetShapeType(), stPolyline);
    EXPECT_EQ(back->GetParent(), root);
    EXPECT_EQ(PointsOf(back), points);
    EXPECT_TRUE(Manager().RedoStack().empty());
    ASSERT_EQ(Manager().UndoStack().size(), 1u);
    EXPECT_EQ(UndoUnitAt(0)->GetKind(), opCreate);
    EXPECT_EQ(Description(UndoUnitAt(0)), L"Create");

    // And once more.
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control.FindShape(id), nullptr);
}

TEST_F(UndoTest, AMoveIsUndoneAndRedoneAndItsSnapshotKeepsFiveTables)
{
    CPolyline* shape = Polyline({{0, 0}, {10, 0}, {10, 10}}, root, true);
    const std::vector<PointState> before = PointsOf(shape);
    auto left = [shape]() {
        float l = 0, t = 0, r = 0, b = 0;
        shape->GetBoundingRect(&l, &t, &r, &b);
        return l;
    };
    ASSERT_TRUE(SUCCEEDED(Recorder().RecordShape(opMove, shape, false)));
    shape->Shift(5, 7, nullptr, true);
    EndStep();
    EXPECT_FLOAT_EQ(left(), 5.0f) << "measured where it was moved to";
    const std::vector<PointState> after = PointsOf(shape);
    ASSERT_NE(before, after);
    auto* snapshot = dynamic_cast<CSnapshotUndoUnit*>(UndoUnitAt(0));
    ASSERT_NE(snapshot, nullptr);
    CDataTableSet* tables = snapshot->GetTables();
    EXPECT_EQ(TableCount(tables), 5);
    for (CDataTable* t : {static_cast<CDataTable*>(tables->LinkedPoints()), static_cast<CDataTable*>(tables->Points()),
                          static_cast<CDataTable*>(tables->ShapePoints()), static_cast<CDataTable*>(tables->Shapes()),
                          static_cast<CDataTable*>(tables->Vertexes())})
        EXPECT_NE(t, nullptr);

    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PointsOf(shape), before);
    EXPECT_FLOAT_EQ(left(), 0.0f) << "measured anew";
    EXPECT_TRUE(shape->GetFlags() & pfClosed) << "the polyline's own record was not kept, its flags stay";
    EXPECT_EQ(RedoUnitAt(0)->GetKind(), opMove);
    ASSERT_EQ(Redo(), S_OK);
    EXPECT_EQ(PointsOf(shape), after);
    EXPECT_TRUE(shape->GetFlags() & pfClosed);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PointsOf(shape), before);
}

TEST_F(UndoTest, ADeletedGroupComesBackWithItsChildrenAndRedoDeletesItAgain)
{
    CGroup* group = Group(root);
    CPolyline* first = Polyline({{0, 0}, {4, 4}}, group);
    CPolyline* second = Polyline({{9, 9}, {8, 1}}, group);
    CPolyline* other = Polyline({{3, 3}, {2, 2}}, root);
    const int groupId = group->GetId(), firstId = first->GetId(), secondId = second->GetId();
    const std::vector<PointState> firstPoints = PointsOf(first), secondPoints = PointsOf(second);
    ASSERT_EQ(Recorder().RecordShape(opDelete, group, false), S_OK);
    ASSERT_EQ(control.DeleteShapeTree(group, false, false), S_OK);
    EndStep();
    ASSERT_EQ(control.FindShape(firstId), nullptr);

    ASSERT_EQ(Undo(), S_OK);
    CShape* g = control.FindShape(groupId);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->GetShapeType(), stGroup);
    EXPECT_EQ(g->GetParent(), root);
    CShape* f = control.FindShape(firstId);
    CShape* s = control.FindShape(secondId);
    ASSERT_NE(f, nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(f->GetParent(), g);
    EXPECT_EQ(s->GetParent(), g);
    EXPECT_EQ(PointsOf(f), firstPoints);
    EXPECT_EQ(PointsOf(s), secondPoints);
    EXPECT_EQ(other->GetParent(), root);
    EXPECT_EQ(RedoUnitAt(0)->GetKind(), opCreate);

    ASSERT_EQ(Redo(), S_OK);
    EXPECT_EQ(control.FindShape(groupId), nullptr);
    EXPECT_EQ(control.FindShape(secondId), nullptr);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{other}));
}

TEST_F(UndoTest, TwoLeafUnitsInOneOperationAreOneStepEachWay)
{
    CPolyline* moved = Polyline({{0, 0}, {1, 1}}, root);
    const std::vector<PointState> before = PointsOf(moved);
    ASSERT_EQ(Recorder().OpenOperation(opCreate), S_OK);
    CPolyline* made = Polyline({{5, 5}, {6, 6}}, root);
    const int madeId = made->GetId();
    const std::vector<PointState> madePoints = PointsOf(made);
    EXPECT_EQ(Recorder().RecordShape(opCreate, made, false), S_OK);
    EXPECT_TRUE(SUCCEEDED(Recorder().RecordShape(opMove, moved, false)));
    moved->Shift(3, 0, nullptr, true);
    const std::vector<PointState> after = PointsOf(moved);
    ASSERT_EQ(Recorder().CloseOperation(true), S_OK);
    EXPECT_EQ(Recorder().GetLastOperation(), opCreate);
    ASSERT_EQ(Manager().UndoStack().size(), 1u);

    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control.FindShape(madeId), nullptr);
    EXPECT_EQ(PointsOf(moved), before);
    ASSERT_EQ(Manager().RedoStack().size(), 1u);
    auto* redo = dynamic_cast<CParentUndoUnit*>(Manager().RedoStack().front().Get());
    ASSERT_NE(redo, nullptr);
    EXPECT_EQ(redo->GetKind(), opDelete);
    ASSERT_EQ(redo->GetChildCount(), 2u);
    // The newest child is the inverse of the oldest: the creation's, a snapshot of kind opDelete.
    ycom::ComPtr<IYVEXUndoUnit> newest;
    ASSERT_EQ(ycom::ComPtr<IOleUndoUnit>(redo->GetChild(0)).QueryTo(IID_IYVEXUndoUnit, newest), S_OK);
    YVEXOperation kind = opChange;
    newest->get_Operation(&kind);
    EXPECT_EQ(kind, opDelete);

    ASSERT_EQ(Redo(), S_OK);
    CShape* back = control.FindShape(madeId);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(PointsOf(back), madePoints);
    EXPECT_EQ(back->GetParent(), root);
    EXPECT_EQ(PointsOf(moved), after);
    EXPECT_EQ(Manager().UndoStack().size(), 1u);
    EXPECT_TRUE(Manager().RedoStack().empty());
}

TEST_F(UndoTest, ElementsDeletedMeanwhileAreSkipped)
{
    CPolyline* kept = Polyline({{0, 0}, {1, 1}}, root);
    CPolyline* gone = Polyline({{2, 2}, {3, 3}}, root);
    const int keptId = kept->GetId();
    Recorder().RecordShape(opCreate, kept, false);
    Recorder().RecordShape(opCreate, gone, false);
    EndStep();
    control.DeleteShapeTree(gone, false, false);
    EXPECT_EQ(Undo(), S_OK);
    EXPECT_EQ(control.FindShape(keptId), nullptr);
    EXPECT_EQ(Redo(), S_OK);
    EXPECT_NE(control.FindShape(keptId), nullptr);
    EXPECT_TRUE(root->Children().size() == 1u);
}

TEST_F(UndoTest, APointsMoveAndRemovalComeBackThroughASetOfPointsAlone)
{
    CPolyline* shape = Polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}}, root);
    CPointRecord* point = shape->GetPoints().GetAt(2);
    const int pointId = point->GetPointId();
    const std::vector<PointState> before = PointsOf(shape);
    auto right = [shape]() {
        float l = 0, t = 0, r = 0, b = 0;
        shape->GetBoundingRect(&l, &t, &r, &b);
        return r;
    };
    ASSERT_EQ(Recorder().RecordPoint(opMove, point, false), S_OK);
    shape->SetPointCoords(3, 50, 60, 2);
    EndStep();
    EXPECT_EQ(TableCount(dynamic_cast<CSnapshotUndoUnit*>(UndoUnitAt(0))->GetTables()), 1) << "Points only";
    EXPECT_FLOAT_EQ(right(), 50.0f);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PointsOf(shape), before);
    EXPECT_FLOAT_EQ(right(), 10.0f) << "the shape is measured anew";

    // A point the polyline removes (recording it as it goes) returns to its place, with its vertex
    // data.
    CVertexRecord* vertex = shape->FindVertexOfPoint(pointId);
    ASSERT_NE(vertex, nullptr);
    vertex->Data().bulge = 0.5f;
    ASSERT_EQ(shape->RemovePointById(pointId, true, 0), 1);
    EXPECT_EQ(control.GetPointPool().Find(pointId), nullptr);
    ASSERT_EQ(Manager().UndoStack().size(), 1u) << "the removal is one step (the undone move went)";
    auto* step = dynamic_cast<CParentUndoUnit*>(Manager().UndoStack().front().Get());
    ASSERT_NE(step, nullptr);
    ASSERT_EQ(step->GetChildCount(), 1u);
    auto* removal = dynamic_cast<CSnapshotUndoUnit*>(step->GetChild(0));
    ASSERT_NE(removal, nullptr);
    EXPECT_EQ(removal->GetKind(), opDelete);
    const CShapePointsRecord* link = nullptr;
    for (const auto& entry : removal->GetTables()->ShapePoints()->GetRecords())
        link = &entry.second;
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Number, 2);
    EXPECT_EQ(link->ShapeID, shape->GetId());
    EXPECT_NE(removal->GetTables()->Vertexes()->FindRecord(pointId), nullptr);

    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PointsOf(shape), before);
    ASSERT_NE(shape->FindVertexOfPoint(pointId), nullptr);
    EXPECT_FLOAT_EQ(shape->FindVertexOfPoint(pointId)->Data().bulge, 0.5f);
}

// Undoing a creation takes a point from as many users as it counts; a count above the users it
// knows finds no further user, and that ends it.
TEST_F(UndoTest, APointCountedAboveItsUsersStopsTheCreationsUndo)
{
    CPolyline* shape = Polyline({{0, 0}, {1, 1}}, root);
    CPointRecord* point = shape->GetPoints().GetAt(1);
    const int pointId = point->GetPointId();
    point->AddOwner(kNoOwnerId);
    ASSERT_EQ(point->GetUseCount(), 2);
    ycom::ComPtr<CUndoUnit> unit = Recorder().CreateUnit(opCreate);
    ASSERT_EQ(unit->RecordPoint(point), S_OK);
    EXPECT_EQ(unit->ApplyUndo(nullptr), S_OK);
    EXPECT_EQ(shape->GetPoints().IndexOf(pointId), -1);
    ASSERT_NE(control.GetPointPool().Find(pointId), nullptr) << "the count without a user keeps it";
    EXPECT_EQ(control.GetPointPool().Find(pointId)->GetUseCount(), 1);
}

TEST_F(UndoTest, DescriptionsAndUnitTypesFollowTheKind)
{
    struct Case
    {
        int kind;
        bool inverse;
        const wchar_t* text;
    };
    for (Case c : {Case{opChange, false, L"Create"}, Case{opMove, false, L"Move"}, Case{opScale, false, L"Scale"},
                   Case{opRotate, false, L"Rotate"}, Case{opCreate, false, L"Create"}, Case{opDelete, false, L"Delete"},
                   Case{opProperties, false, L"Change Properties"}, Case{opShapePoint, false, L"Points"},
                   Case{opRelations, false, L"Relations"}, Case{opObjectID, false, L"ObjectID"},
                   Case{opCreate, true, L"Delete"}, Case{opDelete, true, L"Create"}, Case{opMove, true, L"Move"}}) {
        ycom::ComPtr<CUndoUnit> unit = Recorder().CreateUnit(c.kind);
        unit->SetInverse(c.inverse);
        EXPECT_EQ(Description(unit.Get()), c.text) << c.kind << " " << c.inverse;
        CLSID clsid = CLSID_NULL;
        LONG type = -1;
        EXPECT_EQ(unit->GetUnitType(&clsid, &type), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_YVEXControl));
        EXPECT_EQ(type, c.kind);
    }
}

// A site's own hatch pattern: its creation undone removes it and redone brings it back under its
// ID; a change of its description is undone from the unit's record.
TEST_F(UndoTest, ASitesHatchPatternComesAndGoesWithItsSteps)
{
    CHatchPatternMap& patterns = control.GetHatchPatternMap();
    const int lastBuiltIn = CHatchPatternMap::kLastBuiltIn;
    ASSERT_NE(patterns.Find(lastBuiltIn), nullptr) << "the built-in patterns are in place";
    const int id = patterns.AddPattern("Bricks", "red bricks", 5);
    ASSERT_GT(id, lastBuiltIn);
    ASSERT_EQ(Recorder().RecordHatchPattern(opCreate, patterns.Find(id), false), S_OK);
    EndStep();
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(patterns.Find(id), nullptr);
    ASSERT_EQ(Redo(), S_OK);
    ASSERT_NE(patterns.Find(id), nullptr);
    EXPECT_STREQ(patterns.Find(id)->GetName(), "Bricks");
    EXPECT_EQ(patterns.Find(id)->GetDescription(), "red bricks");
    EXPECT_EQ(patterns.Find(id)->GetImageResourceId(), 5);

    ASSERT_EQ(Recorder().RecordHatchPattern(opProperties, patterns.Find(id), false), S_OK);
    patterns.Find(id)->SetDescription("yellow bricks");
    EndStep();
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(patterns.Find(id)->GetDescription(), "red bricks");
    // A built-in pattern is never taken away by an undone creation.
    ycom::ComPtr<CUndoUnit> creation = Recorder().CreateUnit(opCreate);
    creation->RecordID(CUndoUnit::ekHatchPattern, 3);
    creation->ApplyUndo(nullptr);
    EXPECT_NE(patterns.Find(3), nullptr);
}

TEST_F(UndoTest, AnIdChangeUnitMapsTheNewIdBack)
{
    ycom::ComPtr<CUndoUnit> unit = Recorder().CreateUnit(opObjectID);
    auto* ids = dynamic_cast<CObjectIDUndoUnit*>(unit.Get());
    ASSERT_NE(ids, nullptr);
    EXPECT_EQ(ids->SetNewID(77), E_FAIL) << "nothing recorded";
    CPolyline* shape = Polyline({{0, 0}, {1, 1}}, root);
    EXPECT_EQ(ids->RecordShape(shape), S_OK);
    EXPECT_EQ(ids->SetNewID(77), S_OK);
    EXPECT_EQ(ids->RecordID(CUndoUnit::ekAttribute, 3), E_POINTER);
    ycom::ComPtr<CUndoUnit> inverse = Recorder().CreateUnit(opObjectID);
    ASSERT_EQ(ids->TransferRecords(inverse.Get()), S_OK);
    auto* back = dynamic_cast<CObjectIDUndoUnit*>(inverse.Get());
    EXPECT_EQ(back->GetRecordedKind(), CObjectIDUndoUnit::rkShape);
    EXPECT_EQ(back->GetOldID(), 77);
    EXPECT_EQ(back->GetNewID(), shape->GetId());
    ycom::ComPtr<CUndoUnit> snapshot = Recorder().CreateUnit(opMove);
    EXPECT_EQ(ids->TransferRecords(snapshot.Get()), E_INVALIDARG);
    // The shape under its new ID is not there: nothing to give back.
    EXPECT_EQ(ids->ApplyUndo(nullptr), S_FALSE);
}

TEST_F(UndoTest, AVetoedChangeLeavesTheHistoryWhole)
{
    CPolyline* a = Polyline({{0, 0}, {1, 1}}, root);
    CPolyline* b = Polyline({{0, 2}, {1, 2}}, root);
    CPolyline* c = Polyline({{0, 3}, {1, 3}}, root);
    a->SetZOrder(1, true);
    b->SetZOrder(2, true);
    c->SetZOrder(3, true);
    for (CPolyline* s : {a, b, c}) {
        Recorder().RecordShape(opMove, s, false);
        s->Shift(1, 0, nullptr, true);
        EndStep();
    }
    ASSERT_EQ(Manager().UndoStack().size(), 3u);
    selection->AddChild(a, nullptr, 0, false);
    hosted.refused = {a->GetId()};
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 1);
    EXPECT_EQ(Manager().UndoStack().size(), 3u) << "three steps stay";
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{a, b, c}));

    // Of two shapes the host refuses the second: the first's change is one step, undone whole.
    selection->AddChild(b, nullptr, 0, false);
    hosted.refused = {b->GetId()};
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 0);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{b, c, a}));
    ASSERT_EQ(Manager().UndoStack().size(), 4u);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{a, b, c}));
    EXPECT_FLOAT_EQ(a->GetZOrder(), 1.0f);
    // The three steps before are still there.
    ASSERT_EQ(Undo(), S_OK);
    ASSERT_EQ(Undo(), S_OK);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PointsOf(a)[0].x, 0.0f);
    EXPECT_EQ(PointsOf(c)[0].x, 0.0f);
}

namespace {

// A control core whose long operation (a worker holding the gate) ends at the moment a restore
// begins putting the drawing back.
struct GateCore : CControlCore
{
    void EndInteractiveOperation(bool) override
    {
        if (workerEnds)
            OpenGate();
    }
    bool workerEnds = false;
};
struct GateCoreHolder
{
    GateCore core;
};
struct GateDrawing : GateCoreHolder, DrawingCore
{
    GateDrawing() : DrawingCore(core) {}
};

} // namespace

// While a worker holds the drawing, undo waits (S_FALSE, "Operation is in progress.") and the
// stacks stay. A restore counts as busy without touching the worker's gate: a worker that ends
// meanwhile leaves the control idle, and the next long operation gets through.
TEST(UndoGate, AWorkerEndingDuringARestoreLeavesTheControlIdle)
{
    GateDrawing d;
    CPolyline* shape = d.Polyline({{0, 0}, {10, 0}}, d.root);
    ASSERT_TRUE(SUCCEEDED(d.Recorder().RecordShape(opMove, shape, false)));
    shape->Shift(5, 0, nullptr, true);
    d.EndStep();
    ycom::ComPtr<IOleUndoUnit> held(d.Manager().UndoStack().at(0).Get());
    auto* snapshot = dynamic_cast<CSnapshotUndoUnit*>(held.Get());
    ASSERT_NE(snapshot, nullptr);

    ASSERT_TRUE(d.core.TryCloseGate()) << "a worker starts";
    EXPECT_EQ(d.Undo(), S_FALSE);
    EXPECT_EQ(d.core.GetLastErrorText(), "Operation is in progress.");
    EXPECT_EQ(d.Redo(), S_FALSE);
    EXPECT_EQ(d.Manager().UndoStack().size(), 1u) << "the step waits";
    EXPECT_EQ(PointsOf(shape)[0].x, 5.0f);

    d.core.workerEnds = true;
    ASSERT_TRUE(SUCCEEDED(snapshot->Restore()));
    EXPECT_EQ(PointsOf(shape)[0].x, 0.0f);
    EXPECT_TRUE(d.core.IsIdle()) << "the gate the worker opened stays open";
    EXPECT_TRUE(d.core.TryCloseGate()) << "the next long operation gets through";
    d.core.OpenGate();
    d.core.workerEnds = false;
    EXPECT_EQ(d.Undo(), S_OK) << "idle, undo runs again";
}

TEST_F(UndoTest, UnitsThatOutliveTheirControlFindNoRecorder)
{
    auto drawing = std::make_unique<Drawing>();
    CPolyline* shape = drawing->Polyline({{0, 0}, {1, 1}}, drawing->root);
    drawing->Recorder().RecordShape(opMove, shape, false);
    ycom::ComPtr<IOleUndoManager> manager(drawing->Recorder().GetManager());
    ycom::ComPtr<IOleUndoUnit> unit(drawing->Manager().UndoStack().front().Get());
    drawing.reset();
    EXPECT_EQ(manager->UndoTo(nullptr), E_POINTER) << "no control to restore into";
    YVEXOperation kind = opChange;
    ycom::ComPtr<IYVEXUndoUnit> own;
    ASSERT_EQ(unit.QueryTo(IID_IYVEXUndoUnit, own), S_OK);
    EXPECT_EQ(own->get_Operation(&kind), S_OK);
    EXPECT_EQ(kind, opMove);
}

// --- The control object: a host steps through IYVEXUndo's manager, and no events reach it while a
// snapshot is restored --------------------------------------------------------------------------------

namespace {

// A control object, held by the test, with the undo support of its final construction.
struct ControlHolder
{
    ControlHolder() : object(new ycom::ComObject<CYVEXControl>()) { object->InternalAddRef(); }
    ~ControlHolder() { object->Release(); }
    ycom::ComObject<CYVEXControl>* object;
};

struct ControlDrawing : ControlHolder, DrawingCore
{
    ControlDrawing() : DrawingCore(*object) {}
};

// Every shape of the drawing (IDs from 20) with its parent and points.
using DrawingState = std::map<int, std::pair<int, std::vector<PointState>>>;

DrawingState StateOf(CControlCore& control)
{
    DrawingState state;
    for (const auto& entry : control.GetShapeMap().Shapes())
        if (entry.first >= 20)
            state[entry.first] = {entry.second->GetParent() ? entry.second->GetParent()->GetId() : -100,
                                  PointsOf(entry.second)};
    return state;
}

// A shape that notes what the control allows while it is read back from the tables.
class ProbeShape : public CShape
{
public:
    ProbeShape(int id, CShapeHost* control) : CShape(id, control) {}
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override
    {
        if (mode & DXFMODE_LOAD) {
            eventsWhileRead.push_back(GetControl()->EventsEnabled());
            interactionWhileRead.push_back(GetControl()->AllowsInteraction());
        }
        return CShape::SaveToTables(tables, mode, flags);
    }
    std::vector<bool> eventsWhileRead;
    std::vector<bool> interactionWhileRead;
};

} // namespace

TEST(UndoControl, ASinkHearsNothingWhileUndoing)
{
    ControlDrawing d;
    auto* probe = new ProbeShape(40, d.object);
    d.control.GetShapeMap().Insert(probe);
    d.root->AddChild(probe, nullptr, 1, false);
    probe->SetPenColor(0x0000FF);

    ycom::ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(d.object->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()), S_OK);
    ycom::ComPtr<IConnectionPoint> point;
    ASSERT_EQ(container->FindConnectionPoint(DIID__IYVEXControlEvents, point.Put()), S_OK);
    hosttest::ProceedSink sink(VARIANT_TRUE);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

    ASSERT_EQ(d.Recorder().RecordShape(opProperties, probe, false), S_OK);
    probe->SetPenColor(0x00FF00);
    d.EndStep();
    ASSERT_EQ(d.Undo(), S_OK);

    EXPECT_EQ(probe->GetPenColor(), 0x0000FFu);
    EXPECT_EQ(probe->eventsWhileRead, (std::vector<bool>{false}));
    EXPECT_EQ(probe->interactionWhileRead, (std::vector<bool>{false}));
    EXPECT_TRUE(sink.events.empty());
    EXPECT_TRUE(d.object->EventsEnabled()) << "back on afterwards";
    EXPECT_TRUE(d.object->IsIdle());
    point->Unadvise(cookie);
}

// What a host does: the changes are recorded as the control makes them, and the host steps back
// and forth through the manager that IYVEXUndo hands out.
TEST(UndoControl, AHostUndoesAndRedoesCreationMoveDeleteAndCompoundSteps)
{
    ControlDrawing d;
    ycom::ComPtr<IYVEXUndo> undo;
    ASSERT_EQ(d.object->QueryInterface(IID_IYVEXUndo, undo.PutVoid()), S_OK);
    ycom::ComPtr<IUnknown> unknown;
    ASSERT_EQ(undo->get_OleUndoManager(unknown.Put()), S_OK);
    ycom::ComPtr<IOleUndoManager> manager;
    ASSERT_EQ(unknown.QueryTo(IID_IOleUndoManager, manager), S_OK);
    CUndoRecorder& recorder = d.Recorder();

    std::vector<DrawingState> states{StateOf(d.control)};
    // A creation.
    CPolyline* a = d.Polyline({{0, 0}, {10, 0}, {10, 5}}, d.root);
    recorder.RecordShape(opCreate, a, false);
    d.EndStep();
    states.push_back(StateOf(d.control));
    // A move.
    recorder.RecordShape(opMove, a, false);
    a->Shift(2, 3, nullptr, true);
    d.EndStep();
    states.push_back(StateOf(d.control));
    // A compound step: a group with a polyline made, and the first polyline moved again.
    ASSERT_EQ(recorder.OpenOperation(opCreate), S_OK);
    CGroup* group = d.Group(d.root);
    d.Polyline({{20, 20}, {30, 25}}, group);
    recorder.RecordShape(opCreate, group, false);
    recorder.RecordShape(opMove, a, false);
    a->Shift(-7, 1, nullptr, true);
    ASSERT_EQ(recorder.CloseOperation(true), S_OK);
    states.push_back(StateOf(d.control));
    // A deletion.
    recorder.RecordShape(opDelete, group, false);
    ASSERT_EQ(d.control.DeleteShapeTree(group, false, false), S_OK);
    d.EndStep();
    states.push_back(StateOf(d.control));
    ASSERT_EQ(states[4].size(), 1u);
    ASSERT_EQ(states[3].size(), 3u);

    YVEXOperation last = opChange;
    undo->get_LastOperation(&last);
    EXPECT_EQ(last, opDelete);
    for (size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_EQ(manager->UndoTo(nullptr), S_OK) << "undoing step " << step;
        EXPECT_EQ(StateOf(d.control), states[step - 1]) << "after undoing step " << step;
    }
    EXPECT_EQ(manager->UndoTo(nullptr), E_INVALIDARG);
    for (size_t step = 1; step < states.size(); ++step) {
        ASSERT_EQ(manager->RedoTo(nullptr), S_OK) << "redoing step " << step;
        EXPECT_EQ(StateOf(d.control), states[step]) << "after redoing step " << step;
    }
    EXPECT_EQ(manager->RedoTo(nullptr), E_INVALIDARG);
}

// --- The shapes section and the drawing exchange ----------------------------------------------------

TEST_F(UndoTest, TheShapesSectionRoundTripsUnderNewIds)
{
    CGroup* group = Group(root);
    CPolyline* inside = Polyline({{1, 2}, {3, 4}}, group);
    CPolyline* outside = Polyline({{5, 6}, {7, 8}, {9, 9}}, root);
    CDataTableSet saved(1);
    ASSERT_EQ(control.GetShapeMap().SerializeShapes(&saved, DXFMODE_QUIET, 0), S_OK);
    std::unique_ptr<CDataTableSet> set = ThroughArchive(saved);

    Drawing other;
    ASSERT_EQ(other.control.GetShapeMap().SerializeShapes(set.get(), DXFMODE_QUIET | DXFMODE_LOAD, 0), S_OK);
    ASSERT_EQ(other.root->GetShapeCount(), 2);
    CShape* g = nullptr;
    CShape* o = nullptr;
    for (CShape* s : other.root->Children())
        (s->GetShapeType() == stGroup ? g : o) = s;
    ASSERT_NE(g, nullptr);
    ASSERT_NE(o, nullptr);
    ASSERT_EQ(static_cast<CGroup*>(g)->GetShapeCount(), 1);
    CShape* i = static_cast<CGroup*>(g)->GetChildAt(0);
    auto coords = [](const CShape* s) {
        std::vector<std::pair<float, float>> out;
        for (const PointState& p : PointsOf(s))
            out.emplace_back(p.x, p.y);
        return out;
    };
    EXPECT_EQ(coords(i), coords(inside));
    EXPECT_EQ(coords(o), coords(outside));

    EXPECT_EQ(control.GetShapeMap().SerializeShapes(nullptr, 0, 0), E_INVALIDARG);
    CDataTableSet empty(0);
    EXPECT_EQ(control.GetShapeMap().SerializeShapes(&empty, DXFMODE_LOAD, 0), S_FALSE);
    EXPECT_EQ(control.GetShapeMap().SerializeShapes(set.get(), DXFMODE_LOAD | DXFMODE_SINGLE_OBJECT, 9999), E_ACCESSDENIED);
}

// A block set loaded into the library: an empty block whose name the library knows already is
// dropped, the existing block stays; a block with contents comes in beside it.
TEST_F(UndoTest, AnEmptyBlockOfAKnownNameIsDroppedOnABlockLoad)
{
    auto block = [](DrawingCore& d, const wchar_t* name) {
        CGroup* group = d.Group(d.library);
        group->SetName(name);
        return group;
    };
    block(*this, L"Known");
    CGroup* filled = block(*this, L"Filled");
    Polyline({{0, 0}, {1, 1}}, filled);
    CDataTableSet saved(1);
    ASSERT_EQ(control.GetShapeMap().SerializeShapes(&saved, DXFMODE_QUIET, 0), S_OK);
    std::unique_ptr<CDataTableSet> set = ThroughArchive(saved);

    Drawing other;
    CGroup* known = block(other, L"Known");
    ASSERT_TRUE(SUCCEEDED(other.control.GetShapeMap().SerializeShapes(set.get(), DXFMODE_QUIET | DXFMODE_BLOCKS | DXFMODE_LOAD, 0)));
    std::vector<std::wstring> names;
    for (CShape* child : other.library->Children())
        names.push_back(static_cast<CGroup*>(child)->GetName());
    ASSERT_EQ(names, (std::vector<std::wstring>{L"Known", L"Filled"}));
    EXPECT_EQ(other.library->GetChildAt(0), known);
    EXPECT_EQ(static_cast<CGroup*>(other.library->GetChildAt(1))->GetShapeCount(), 1);
}

TEST_F(UndoTest, TheDrawingRestoreKeepsStoredIdsOnlyForVersionsFromSix)
{
    CPolyline* shape = Polyline({{1, 1}, {2, 2}}, root);
    const int id = shape->GetId();
    ycom::ComPtr<CUndoUnit> unit = Recorder().CreateUnit(opDelete);
    unit->RecordShape(shape);
    CDataTableSet* tables = dynamic_cast<CSnapshotUndoUnit*>(unit.Get())->GetTables();
    control.DeleteShapeTree(shape, false, false);
    const DWORD restore = DXFMODE_QUIET | DXFMODE_PROCESS_TREE_ONLY | DXFMODE_USE_YVEX_IDENTIFIERS | DXFMODE_APPEND |
                          DXFMODE_LOAD;

    tables->GetHeader()->FormatVersion = 0x05000001;
    ASSERT_EQ(control.ExchangeDrawingTables(tables, restore, nullptr), S_OK);
    ASSERT_EQ(root->GetShapeCount(), 1);
    EXPECT_NE(root->GetChildAt(0)->GetId(), id) << "old data: new IDs";
    control.DeleteShapeTree(root->GetChildAt(0), false, false);

    tables->GetHeader()->FormatVersion = 0x07000001;
    ASSERT_EQ(control.ExchangeDrawingTables(tables, restore, nullptr), S_OK);
    ASSERT_EQ(root->GetShapeCount(), 1);
    EXPECT_EQ(root->GetChildAt(0)->GetId(), id);

    EXPECT_EQ(control.ExchangeDrawingTables(nullptr, restore, nullptr), E_INVALIDARG);
    // Saving fills a set, under the shapes' own IDs with DXFMODE_USE_YVEX_IDENTIFIERS.
    CDataTableSet saved(1);
    EXPECT_TRUE(SUCCEEDED(control.ExchangeDrawingTables(&saved, DXFMODE_QUIET | DXFMODE_USE_YVEX_IDENTIFIERS, nullptr)));
    EXPECT_NE(saved.Shapes()->FindRecord(id), nullptr);
    CDataTableSet points(0);
    points.CreateTable(dtPoints);
    EXPECT_EQ(control.RestoreAttributeLinks(&points, DXFMODE_LOAD, 0), S_FALSE) << "no attribute tables";
    EXPECT_EQ(control.RestoreAttributeLinks(tables, DXFMODE_LOAD, 0), S_OK);
    EXPECT_EQ(control.RestoreAttributeLinks(tables, 0, 0), E_NOTIMPL);
}
