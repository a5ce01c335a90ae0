// Shapes, points and vertices in the record tables of a CDataTableSet: saved with and without
// the shapes' own IDs, restored into another drawing, and the points section of the undo
// snapshots.
#include <gtest/gtest.h>
#include <algorithm>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/StorageTestSupport.h"

namespace {

const DWORD kKeep = DXFMODE_USE_YVEX_IDENTIFIERS;
const DWORD kLoad = DXFMODE_LOAD;

using XY = std::pair<float, float>;

std::vector<XY> Coordinates(const CShape* shape)
{
    std::vector<XY> out;
    for (CPointRecord* p : shape->GetPoints())
        out.emplace_back(p->x, p->y);
    return out;
}

// The ShapePoints records of a shape key, as (number, point key), in number order.
std::vector<std::pair<int, int>> Placements(CDataTableSet& set, int shapeKey)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& entry : set.ShapePoints()->GetRecords())
        if (entry.second.ShapeID == shapeKey)
            out.emplace_back(entry.second.Number, entry.second.PointID);
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

// With the shapes' own IDs a second save rewrites the same record (what changed included) and
// adds no second point or link record.
TEST(ShapeTables, ASecondSaveWithOwnIdsRewritesTheSameRecord)
{
    Drawing d;
    CLayer* layer = MakeLayer(d.control, d.layers, "Walls");
    CShape* shape = d.Make(stPolyline, {{1, 2}, {3, 4}}, d.root);
    shape->SetLayer(layer);
    shape->SetDatabaseId(57);
    shape->SetPenColor(0x0000FF);
    CDataTableSet set(1);
    ASSERT_EQ(shape->SaveToTables(&set, kKeep, 0), S_OK);
    shape->SetPenColor(0x00FF00);
    ASSERT_EQ(shape->SaveToTables(&set, kKeep, 0), S_OK);

    const CShapesRecord* record = set.Shapes()->FindRecord(shape->GetId());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->Number, shape->GetId());
    EXPECT_EQ(record->DatabaseID, 57);
    EXPECT_EQ(record->PenColor, 0x00FF00);
    EXPECT_EQ(record->GroupShapeID, BASE_ID);
    EXPECT_EQ(record->LayerShapeID, layer->GetId());
    EXPECT_EQ(record->ShapeTypeID, stPolyline);
    // The shape, its layer and the layers group and root it hangs on.
    EXPECT_NE(set.Shapes()->FindRecord(layer->GetId()), nullptr);
    EXPECT_EQ(set.ShapePoints()->GetCount(), 2u);
    EXPECT_EQ(set.Points()->GetCount(), 2u);
    EXPECT_EQ(Placements(set, shape->GetId()),
              (std::vector<std::pair<int, int>>{{0, shape->GetPoints().GetAt(0)->GetPointId()},
                                                {1, shape->GetPoints().GetAt(1)->GetPointId()}}));
}

// Renumbered: the set's keys are no database IDs (the shapes keep theirs), and a drawing of
// groups, a shared point and a linked point comes back whole in another control, whatever
// order its records are read in.
TEST(ShapeTables, ARenumberedDrawingRestoresWhole)
{
    Drawing from;
    auto* plan = static_cast<CGroup*>(from.control.GetShapeMap().CreateShape(stGroup, true, true));
    plan->SetName(L"Plan");
    from.root->AddChild(plan, nullptr, 1, false);
    CShape* wall = from.Make(stPolyline, {{0, 0}, {10, 0}, {10, 5}}, plan);
    wall->SetDatabaseId(57);
    CShape* door = from.Make(stPolyline, {{20, 20}}, from.root);
    ASSERT_EQ(door->AddPointById(wall->GetPoints().GetAt(0)->GetPointId(), 0, true), S_OK);
    ASSERT_EQ(door->LinkPoint(wall->GetPoints().GetAt(2)->GetPointId()), 1);

    CDataTableSet set(1);
    ASSERT_EQ(from.root->SaveToTables(&set, DXFMODE_BLOCKS, 0), S_OK);
    EXPECT_EQ(wall->GetDatabaseId(), 57);
    EXPECT_EQ(plan->GetDatabaseId(), 0);
    EXPECT_EQ(set.Shapes()->GetCount(), 4u);  // root, plan, wall, door
    EXPECT_EQ(set.Points()->GetCount(), 4u);  // the shared point once
    EXPECT_EQ(set.LinkedPoints()->GetCount(), 1u);
    for (const auto& entry : set.Shapes()->GetRecords())
        EXPECT_EQ(entry.second.DatabaseID, 0);
    ASSERT_EQ(set.Groups()->GetCount(), 1u);
    EXPECT_EQ(set.Groups()->GetRecords().begin()->second.Name, "Plan");

    // Restored in another drawing from a set of the same records (whose ID maps know nothing of
    // the save), from the last record to the first: a child comes before its group, which its
    // attachment then loads.
    CDataTableSet fresh(1);
    CopyShapeRecords(set, fresh);
    Drawing to;
    for (auto it = fresh.Shapes()->GetRecords().rbegin(); it != fresh.Shapes()->GetRecords().rend(); ++it)
        ASSERT_NE(to.control.GetShapeMap().LoadShapeFromTables(&fresh, kLoad, it->first), nullptr);

    ASSERT_EQ(to.root->GetShapeCount(), 2);
    CGroup* planBack = nullptr;
    CShape* doorBack = nullptr;
    for (CShape* child : to.root->Children()) {
        if (child->GetShapeType() == stGroup)
            planBack = static_cast<CGroup*>(child);
        else
            doorBack = child;
    }
    ASSERT_TRUE(planBack && doorBack);
    EXPECT_EQ(planBack->GetName(), L"Plan");
    ASSERT_EQ(planBack->GetShapeCount(), 1);
    CShape* wallBack = planBack->GetChildAt(0);
    EXPECT_EQ(Coordinates(wallBack), Coordinates(wall));
    EXPECT_EQ(Coordinates(doorBack), Coordinates(door));
    EXPECT_EQ(doorBack->GetPoints().GetAt(0), wallBack->GetPoints().GetAt(0)); // one shared point
    ASSERT_EQ(doorBack->GetLinkedPoints().GetCount(), 1);
    EXPECT_EQ(doorBack->GetLinkedPoints().GetAt(0), wallBack->GetPoints().GetAt(2));
    EXPECT_EQ(to.control.GetPointPool().GetCount(), 4u);
}

// A child whose group is not in the set yet: the group is stored first, or, when the caller
// stores related objects itself, the child is left out.
TEST(ShapeTables, TheChildOfAnUnsavedGroup)
{
    Drawing d;
    auto* group = static_cast<CGroup*>(d.control.GetShapeMap().CreateShape(stGroup, true, true));
    d.root->AddChild(group, nullptr, 1, false);
    CShape* child = d.Make(stPolyline, {{1, 1}}, group);

    CDataTableSet first(1);
    ASSERT_EQ(child->SaveToTables(&first, 0, 0), S_OK);
    const int groupKey = first.CurrentToStoredId(group->GetId(), 0, 0);
    const int childKey = first.CurrentToStoredId(child->GetId(), 0, 0);
    ASSERT_GT(groupKey, 0);
    ASSERT_GT(childKey, 0);
    EXPECT_LT(groupKey, childKey);
    EXPECT_EQ(first.Shapes()->FindRecord(childKey)->GroupShapeID, groupKey);
    EXPECT_EQ(first.Shapes()->FindRecord(groupKey)->Number, group->GetId());
    // The group was stored alone: the child is there once.
    EXPECT_EQ(first.Shapes()->GetCount(), 3u); // root, group, child
    EXPECT_EQ(first.ShapePoints()->GetCount(), 1u);

    CDataTableSet second(1);
    EXPECT_EQ(child->SaveToTables(&second, DXFMODE_PROCESS_TREE_ONLY, 0), S_FALSE);
    EXPECT_EQ(second.Shapes()->GetCount(), 0u);
    EXPECT_EQ(second.CurrentToStoredId(child->GetId(), 0, 0), CDataTableSet::kNoIdMapping);
}

// Loading a record: the kind must fit, the modes force visibility and the enabled state, and
// pattern IDs that travel in 16 bits come back positive.
TEST(ShapeTables, LoadingChecksTheKindAndRestoresTheFields)
{
    Drawing d;
    auto recordOf = [](int type) {
        CShapesRecord r;
        r.ShapeID = 5;
        r.ShapeTypeID = type;
        r.GroupShapeID = CShape::kNoStoredRelative;
        r.LayerShapeID = CShape::kNoStoredRelative;
        r.LinePatternID = -12;
        r.HatchPatternID = -32768;
        r.PenColor = 0x123456;
        r.Tag = 9;
        r.ZOrder = 3.5;
        r.Visible = 0;
        r.Enabled = 0;
        r.LinePatternScale = 1.0;
        r.HatchPatternScale = 1.0;
        r.Flags = sdbfRotation | sdbfEnabled | sdbfVisible;
        return r;
    };
    struct Case
    {
        int recordType;
        DWORD mode;
        HRESULT result;
    } cases[] = {
        {stPolyline, 0, S_OK},
        {stPolygon, 0, S_OK},                // a closed polyline reads a polygon's record
        {stRectangle, 0, S_OK},
        {stLine, 0, static_cast<HRESULT>(0x8000FFFF)}, // a line does not fit a polyline
        {stEllipse, 0, E_UNEXPECTED},
        {stPolyline, DXFMODE_ALL_VISIBLE | DXFMODE_ALL_ENABLED, S_OK},
    };
    for (const Case& c : cases) {
        CShape* shape = d.control.GetShapeMap().CreateShape(stPolyline, true, true);
        CDataTableSet set(1);
        set.Shapes()->Insert(recordOf(c.recordType));
        set.Shapes()->MoveFirst();
        EXPECT_EQ(shape->SaveToTables(&set, kLoad | c.mode, 0), c.result) << c.recordType;
        if (c.result != S_OK)
            continue;
        EXPECT_EQ(shape->GetLinePatternId(), 12);
        EXPECT_EQ(shape->GetHatchPatternId(), 0x8000);
        EXPECT_EQ(shape->GetPenColor(), 0x123456u);
        EXPECT_EQ(shape->GetTag(), 9);
        EXPECT_EQ(shape->GetZOrder(), 3.5f);
        const bool forced = c.mode != 0;
        EXPECT_EQ(shape->HasState(CShape::stVisible), forced);
        EXPECT_EQ(shape->HasState(CShape::stEnabled), forced);
        EXPECT_TRUE(shape->HasProtectionFlag(sdbfRotation));
        EXPECT_EQ(set.CurrentToStoredId(shape->GetId(), 0, 0), 5);
    }
    // Nothing under the cursor.
    CDataTableSet empty(1);
    EXPECT_EQ(d.control.GetShapeMap().CreateShape(stPolyline, true, true)->SaveToTables(&empty, kLoad, 0),
              E_ACCESSDENIED);
    EXPECT_EQ(d.root->SaveToTables(nullptr, 0, 0), E_INVALIDARG);
}

// The points section of an undo snapshot (a set without a Shapes table, own IDs): a point that a
// record puts at index 0 moves there from index 2 with its vertex data; a point no record names
// is not made; a shape leaves a point of the snapshot that no record joins to it.
TEST(PointTables, RestoreMovesPointsAndVerticesToTheirRecords)
{
    Drawing d;
    auto* polyline = static_cast<CPolyline*>(d.Make(stPolyline, {{0, 0}, {4, 0}, {4, 3}}, d.root));
    CShape* follower = d.Make(stPolyline, {{9, 9}}, d.root);
    const int a = polyline->GetPoints().GetAt(0)->GetPointId();
    const int b = polyline->GetPoints().GetAt(1)->GetPointId();
    const int c = polyline->GetPoints().GetAt(2)->GetPointId();
    ASSERT_EQ(follower->LinkPoint(b), 1);

    // The snapshot holds the order C, A, B with C's vertex bulged.
    ASSERT_EQ(polyline->MovePointWithin(c, 0), 1);
    polyline->FindVertexOfPoint(c)->bulge = 0.5f;
    polyline->FindVertexOfPoint(c)->name = "corner";
    CDataTableSet set(0);
    for (int table : {dtPoints, dtShapePoints, dtLinkedPoints, dtVertexes})
        set.CreateTable(table);
    ASSERT_EQ(d.control.ExchangePointTables(&set, kKeep, 0), S_OK);
    EXPECT_EQ(Placements(set, polyline->GetId()), (std::vector<std::pair<int, int>>{{0, c}, {1, a}, {2, b}}));
    EXPECT_EQ(set.LinkedPoints()->GetCount(), 1u);
    int cShapePoint = 0;
    for (const auto& e : set.ShapePoints()->GetRecords())
        if (e.second.PointID == c)
            cShapePoint = e.first;
    ASSERT_EQ(polyline->FindVertexOfPoint(c)->SaveToTables(&set, kKeep, cShapePoint), S_OK);
    // A second exchange writes nothing twice.
    ASSERT_EQ(d.control.ExchangePointTables(&set, kKeep, 0), S_OK);
    EXPECT_EQ(set.ShapePoints()->GetCount(), 4u); // three of the polyline, one of the follower
    EXPECT_EQ(set.Points()->GetCount(), 4u);
    // A point record that no ShapePoints record names.
    CPointsRecord stray;
    stray.pointID = 999;
    set.Points()->Insert(stray);

    // The drawing goes on: C back at the end without its data, the follower's own point taken
    // in as well, B moved.
    ASSERT_EQ(polyline->MovePointWithin(c, 2), 1);
    polyline->FindVertexOfPoint(c)->bulge = 0.0f;
    polyline->FindVertexOfPoint(c)->name.clear();
    const int f = follower->GetPoints().GetAt(0)->GetPointId();
    ASSERT_EQ(polyline->AddPointById(f, 3, true), S_OK);
    polyline->GetPoints().GetAt(1)->x = 100;

    ASSERT_EQ(d.control.ExchangePointTables(&set, kKeep | kLoad, 0), S_OK);
    EXPECT_EQ(Coordinates(polyline), (std::vector<XY>{{4, 3}, {0, 0}, {4, 0}}));
    EXPECT_EQ(polyline->GetVertices().size(), 3u);
    EXPECT_EQ(polyline->GetVertices()[0].GetPoint()->GetPointId(), c);
    EXPECT_EQ(polyline->GetVertices()[0].bulge, 0.5f);
    EXPECT_EQ(polyline->GetVertices()[0].name, "corner");
    // No record joins the follower's point to the polyline: it left the polyline only.
    EXPECT_EQ(follower->GetPoints().IndexOf(f), 0);
    EXPECT_EQ(d.control.GetPointPool().Find(999), nullptr);
    EXPECT_EQ(follower->GetLinkedPoints().IndexOf(b), 0);
    ASSERT_NE(d.control.GetShapeMap().GetAuxIds(), nullptr);
    EXPECT_TRUE(d.control.GetShapeMap().GetAuxIds()->count(polyline->GetId()));

    // Without a Points table there is nothing to do.
    CDataTableSet none(0);
    EXPECT_EQ(d.control.ExchangePointTables(&none, kKeep, 0), S_FALSE);
    EXPECT_EQ(d.control.ExchangePointTables(&set, kKeep | kLoad | DXFMODE_SINGLE_OBJECT, 12345), E_ACCESSDENIED);
}
