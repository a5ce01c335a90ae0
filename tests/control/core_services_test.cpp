// The control core's services to the model: what deleting a layer or a shape leaves behind (no
// pointer to it anywhere the control or the drawing keeps one), the shape map's database-ID
// entries on removal, and the undo recorder's answers when its manager refuses every unit.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <memory>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "tests/control/HostDoubles.h"
#include "interchange/DxfDocument.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

namespace {

// A site with the root, the block library, the layers group and the base layer "0" (ID 1) as the
// current layer; drawing shapes start at ID 20.
struct LayeredSite
{
    LayeredSite()
    {
        root = Fixed(BASE_ID);
        control.SetRootId(BASE_ID);
        library = Fixed(LIBRARY_ID);
        layers = Fixed(LAYERS_ID);
        const int one = BASE_LAYER;
        base = static_cast<CLayer*>(control.GetShapeMap().CreateShape(stLayer, true, true, &one));
        base->SetName("0");
        layers->AddChild(base, nullptr, 1, false);
        control.SetCurrentLayer(base);
        const int first = 20;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    }
    CGroup* Fixed(int id)
    {
        auto* group = new CGroup(id, &control);
        EXPECT_TRUE(control.GetShapeMap().Insert(group));
        return group;
    }
    CLayer* Layer(const char* name)
    {
        auto* layer = static_cast<CLayer*>(control.GetShapeMap().CreateShape(stLayer, true, true));
        layer->SetName(name);
        layers->AddChild(layer, nullptr, 1, false);
        return layer;
    }
    CShape* Shape(int type, CGroup* parent, CLayer* layer)
    {
        CShape* shape = control.GetShapeMap().CreateShape(type, true, true);
        parent->AddChild(shape, nullptr, 1, false);
        shape->CShape::SetLayer(layer);
        return shape;
    }
    CDrawingSettingRecord* Setting(CLayer* layer)
    {
        auto record = std::make_unique<CDrawingSettingRecord>();
        record->Layer = layer;
        CDrawingSettingRecord* kept = record.get();
        EXPECT_TRUE(control.GetDrawingSettingMap().Insert(std::move(record), true));
        return kept;
    }

    CControlCore control;
    CGroup* root;
    CGroup* library;
    CGroup* layers;
    CLayer* base;
};

// Every place of the site that holds a shape pointer, compared with the address of a shape that
// is gone (never followed): the shapes' layers, parents and child lists, the drawing settings,
// the edit state, the edited reference, the root and active groups, the DXF writer's block.
::testing::AssertionResult NoPointerTo(CControlCore& control, const void* gone)
{
    auto failure = [](const std::string& where) { return ::testing::AssertionFailure() << "still held by " << where; };
    for (const auto& entry : control.GetShapeMap().Shapes()) {
        CShape* shape = entry.second;
        const std::string id = std::to_string(entry.first);
        if (shape == gone)
            return failure("the shape map under " + id);
        if (shape->GetLayer() == gone)
            return failure("the layer of shape " + id);
        if (shape->GetParent() == gone)
            return failure("the parent of shape " + id);
        if (shape->IsGroup())
            for (CShape* child : static_cast<CGroup*>(shape)->Children())
                if (child == gone)
                    return failure("the children of group " + id);
    }
    for (const auto& entry : control.GetDrawingSettingMap().Settings())
        if (entry.second->Layer == gone)
            return failure("the layer of drawing setting " + std::to_string(entry.first));
    const CEditState& edit = control.GetEditState();
    if (edit.editedShape == gone || edit.tracker == gone || edit.containerShape == gone)
        return failure("the edit state");
    for (CShape* hit : edit.hitShapes)
        if (hit == gone)
            return failure("the hit list");
    if (control.GetEditedReference() == gone)
        return failure("the edited reference");
    if (control.GetRootGroup() == gone || control.GetActiveGroup() == gone)
        return failure("the root or active group");
    if (control.GetDxfDocument().GetBlockBeingWritten() == gone)
        return failure("the block being written");
    for (const auto& entry : control.GetShapeMap().Replacements())
        if (entry.second->GetLayer() == gone)
            return failure("the layer of the replacement of shape " + std::to_string(entry.first));
    return ::testing::AssertionSuccess();
}

} // namespace

// A layer that goes takes nothing with it: its shapes, one by one, go to the base layer (a group
// on it does not move its children that lie on other layers), as do the drawing settings that
// named it, the edit state's copy of the edited shape and a shape read from DXF that waits to
// replace another.
TEST(Deletion, ALayerLeavesItsShapesAndSettingsOnTheBaseLayer)
{
    LayeredSite site;
    CLayer* walls = site.Layer("Walls");
    CLayer* doors = site.Layer("Doors");
    CGroup* group = static_cast<CGroup*>(site.Shape(stGroup, site.root, walls));
    CShape* onWalls = site.Shape(stPolyline, group, walls);
    CShape* onDoors = site.Shape(stPolyline, group, doors);
    CShape* loose = site.Shape(stPolyline, site.root, walls);
    CDrawingSettingRecord* setting = site.Setting(walls);
    CDrawingSettingRecord* other = site.Setting(doors);
    std::unique_ptr<CShape> tracker(site.control.GetShapeMap().CreateShape(stPolyline, true, false));
    tracker->SetLayer(walls);
    site.control.GetEditState().tracker = tracker.get();
    CShape* waiting = site.control.GetShapeMap().CreateReplacement(loose->GetId(), stRectangle);
    ASSERT_NE(waiting, nullptr);
    waiting->SetLayer(walls);
    const int wallsId = walls->GetId();

    EXPECT_EQ(site.control.DeleteShapeByID(wallsId, 0, 0), S_OK);
    EXPECT_EQ(site.control.FindShape(wallsId), nullptr);
    EXPECT_EQ(site.layers->IndexOfChild(wallsId), -1);
    EXPECT_TRUE(NoPointerTo(site.control, walls));
    for (CShape* shape : {static_cast<CShape*>(group), onWalls, loose, tracker.get(), waiting})
        EXPECT_EQ(shape->GetLayer(), site.base) << shape->GetId();
    EXPECT_EQ(onDoors->GetLayer(), doors);
    EXPECT_EQ(setting->Layer, site.base);
    EXPECT_EQ(other->Layer, doors);
    EXPECT_EQ(site.control.GetCurrentLayer(), site.base);
    EXPECT_TRUE(onWalls->IsEnabled()); // follows its layer pointer
    site.control.GetEditState().tracker = nullptr;
}

// The current layer that goes: the current setting takes the first other layer of the Layers
// group, the other settings and the shapes take the base layer. The base layer itself stays.
TEST(Deletion, TheCurrentLayerAndTheBaseLayer)
{
    LayeredSite site;
    CLayer* doors = site.Layer("Doors");
    CLayer* current = site.Layer("Current");
    site.layers->MoveChildToHead(doors->GetId());
    site.control.SetCurrentLayer(current);
    CShape* shape = site.Shape(stPolyline, site.root, current);
    CDrawingSettingRecord* setting = site.Setting(current);

    EXPECT_EQ(site.control.DeleteShapeByID(current->GetId(), 0, 0), S_OK);
    EXPECT_TRUE(NoPointerTo(site.control, current));
    EXPECT_EQ(site.control.GetCurrentLayer(), doors);
    EXPECT_EQ(setting->Layer, site.base);
    EXPECT_EQ(shape->GetLayer(), site.base);

    EXPECT_EQ(site.control.DeleteShapeByID(BASE_LAYER, 0, 0), S_FALSE);
    EXPECT_EQ(site.control.FindShape(BASE_LAYER), site.base);
    EXPECT_EQ(site.layers->IndexOfChild(BASE_LAYER), 1);
    EXPECT_EQ(shape->GetLayer(), site.base);
}

// The shape under the cursor, inside a group that is being worked in, with the group active and
// being written as a block: deleting the group leaves no trace in the edit state or anywhere else.
TEST(Deletion, TheShapeUnderTheCursorAndItsGroup)
{
    LayeredSite site;
    CGroup* group = static_cast<CGroup*>(site.Shape(stGroup, site.root, site.base));
    CShape* hit = site.Shape(stPolyline, group, site.base);
    CShape* kept = site.Shape(stPolyline, site.root, site.base);
    CEditState& edit = site.control.GetEditState();
    edit.containerShape = group;
    edit.hitShapes = {kept, hit, group};
    edit.editedShape = hit;
    site.control.SetEditedReference(group);
    site.control.SetActiveGroup(group);
    site.control.GetDxfDocument().SetBlockBeingWritten(group);

    EXPECT_EQ(site.control.DeleteShapeByID(hit->GetId(), 0, 0), S_OK);
    EXPECT_TRUE(NoPointerTo(site.control, hit));
    EXPECT_EQ(edit.hitShapes, (std::vector<CShape*>{kept, group}));
    EXPECT_EQ(edit.containerShape, group);

    CShape* inner = site.Shape(stPolyline, group, site.base);
    edit.hitShapes.push_back(inner);
    const int groupId = group->GetId();
    EXPECT_EQ(site.control.DeleteShapeByID(groupId, 0, 0), S_OK);
    EXPECT_TRUE(NoPointerTo(site.control, group));
    EXPECT_TRUE(NoPointerTo(site.control, inner));
    EXPECT_EQ(edit.containerShape, nullptr);
    EXPECT_EQ(site.control.GetEditedReference(), nullptr);
    EXPECT_EQ(site.control.GetActiveGroupID(), BASE_ID);
    EXPECT_EQ(edit.hitShapes, std::vector<CShape*>{kept});
    EXPECT_EQ(site.control.FindShape(kept->GetId()), kept);
}

// Removing a shape takes its entry out of the database-ID table only when the entry names it.
TEST(Deletion, RemovalKeepsTheDatabaseEntryOfAnotherShape)
{
    LayeredSite site;
    CShapeMap& map = site.control.GetShapeMap();
    CShape* saved = site.Shape(stPolyline, site.root, site.base);
    CShape* copy = site.Shape(stPolyline, site.root, site.base);
    saved->SetDatabaseId(7);
    copy->SetDatabaseId(7);
    map.SetDbId(7, saved->GetId());
    EXPECT_EQ(site.control.DeleteShapeByID(copy->GetId(), 0, 0), S_OK);
    EXPECT_EQ(map.FindByDbId(7), saved);

    // A shape outside the map (or a stranger under a mapped ID) changes nothing.
    CShape stranger(saved->GetId(), &site.control);
    stranger.SetDatabaseId(7);
    EXPECT_EQ(map.RemoveShape(&stranger), 0);
    EXPECT_EQ(map.FindByDbId(7), saved);
    EXPECT_EQ(map.Lookup(saved->GetId()), saved);

    EXPECT_EQ(map.RemoveShape(saved), 0);
    EXPECT_EQ(map.FindByDbId(7), nullptr);
    site.root->RemoveChild(saved);
    delete saved;
}

// A manager that refuses every unit: the recorder passes its refusal on (callers go on with their
// change), keeps no unit, and its operation bookkeeping goes on.
TEST(UndoRecorder, PassesOnAManagersRefusalAndKeepsCounting)
{
    LayeredSite site;
    auto manager = ycom::NewObject<hosttest::HostUndoManager>();
    manager->refusal = E_NOTIMPL;
    CUndoRecorder& recorder = *site.control.GetUndoRecorder();
    recorder.SetManager(manager.Get());
    ASSERT_FALSE(recorder.IsSuspended());
    CShape* shape = site.Shape(stPolyline, site.root, site.base);
    CPointRecord* point = site.control.GetPointPool().Find(site.control.CreatePoint(1, 2));
    ASSERT_NE(point, nullptr);
    struct Step
    {
        const char* what;
        HRESULT result;
    } steps[] = {
        {"open", recorder.OpenOperation(opMove)},
        {"shape", recorder.RecordShape(opMove, shape, false)},
        {"point", recorder.RecordPoint(opMove, point, false)},
        {"shape opening", recorder.RecordShape(opMove, shape, true)},
        {"point opening", recorder.RecordPoint(opMove, point, true)},
        {"end unit", recorder.EndCurrentUnit(true)},
        {"close inner", recorder.CloseOperation(true)},
        {"close inner", recorder.CloseOperation(true)},
        {"close", recorder.CloseOperation(true)},
    };
    const HRESULT expected[] = {E_NOTIMPL, E_NOTIMPL, E_NOTIMPL, E_NOTIMPL, E_NOTIMPL, S_FALSE, S_FALSE, S_FALSE, S_FALSE};
    for (size_t i = 0; i < sizeof(steps) / sizeof(steps[0]); ++i)
        EXPECT_EQ(steps[i].result, expected[i]) << steps[i].what;
    EXPECT_EQ(recorder.GetCurrentUnit(), nullptr);
    EXPECT_TRUE(recorder.GetOpenUnits().empty());
    EXPECT_EQ(recorder.GetDepth(), 0);
    EXPECT_EQ(recorder.GetLastOperation(), opMove);
    EXPECT_EQ(recorder.RecordShape(opMove, nullptr, false), E_INVALIDARG);
    EXPECT_TRUE(manager->kept.empty());
    recorder.SetManager(nullptr);
    manager->AddRef();
    EXPECT_EQ(manager->Release(), 1u) << "the recorder let the manager go";
}
