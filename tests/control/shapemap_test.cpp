// The shape map with the shape factory, and the child list of groups.
#include <gtest/gtest.h>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "persistence/DrawingSettingRecord.h"
#include "YVEX_h.h"

namespace {
CGroup* MakeGroup(CControlCore& control, int id)
{
    auto* group = new CGroup(id, &control);
    EXPECT_TRUE(control.GetShapeMap().Insert(group));
    return group;
}
} // namespace

TEST(ShapeFactory, KindsByType)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    struct Case
    {
        int type;
        int shapeType;  // of the made shape
        int classType;  // GetClassShapeType
        DWORD flags;    // polyline flags
        int hatch;      // hatch pattern ID
    } cases[] = {
        {stDummy, stDummy, stDummy, 0, 0x4000},
        {stRectangle, stRectangle, stPolyline, pfRectangle | pfClosed | pfOrtho, 0x4000},
        {stPolyline, stPolyline, stPolyline, 0, 0x4000},
        {stPolygon, stPolyline, stPolyline, pfClosed, hpSolid},
        {stGroup, stGroup, stGroup, 0, 0x4000},
        {stLayer, stLayer, stLayer, 0, 0}, // "by layer" defaults turn into the layer's own
    };
    for (const Case& c : cases) {
        const int id = map.GetNextShapeId();
        CShape* shape = map.CreateShape(c.type, true, true);
        ASSERT_NE(shape, nullptr) << c.type;
        EXPECT_EQ(shape->GetId(), id);
        EXPECT_EQ(map.Lookup(id), shape);
        EXPECT_EQ(shape->GetShapeType(), c.shapeType) << c.type;
        EXPECT_EQ(shape->GetClassShapeType(), c.classType) << c.type;
        EXPECT_EQ(shape->GetHatchPatternId(), c.hatch) << c.type;
        EXPECT_TRUE(shape->IsVisible());
        if (c.shapeType == stPolyline || c.shapeType == stRectangle) {
            EXPECT_EQ(static_cast<CPolyline*>(shape)->GetFlags(), c.flags) << c.type;
        }
    }
    CShape* hidden = map.CreateShape(stGroup, false, false);
    ASSERT_NE(hidden, nullptr);
    EXPECT_FALSE(hidden->HasState(CShape::stVisible));
    EXPECT_EQ(map.Lookup(hidden->GetId()), nullptr); // not registered
    delete hidden;
}

// Types the factory does not build make nothing, and still take the next ID when none was asked.
TEST(ShapeFactory, NothingForCurvesAndHatchesButTheIdIsUsed)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    for (int type : {static_cast<int>(stCurve), static_cast<int>(stHatch), -1, 99}) {
        const int before = map.GetNextShapeId();
        EXPECT_EQ(map.CreateShape(type, true, true), nullptr) << type;
        EXPECT_EQ(map.GetNextShapeId(), before + 1) << type;
    }
    const int given = 40;
    const int before = map.GetNextShapeId();
    EXPECT_EQ(map.CreateShape(stCurve, true, true, &given), nullptr);
    EXPECT_EQ(map.GetNextShapeId(), before); // a given ID leaves the counter alone
}

TEST(ShapeFactory, GivenIdsAndClashes)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    const int fifty = 50;
    CShape* first = map.CreateShape(stDummy, true, true, &fifty);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(map.GetNextShapeId(), 51);
    EXPECT_EQ(map.CreateShape(stGroup, true, true, &fifty), nullptr); // the ID is taken: refused
    EXPECT_EQ(map.Lookup(50), first);
    EXPECT_EQ(map.GetNextShapeId(), 51);
    const int seven = 7; // free and below the counter
    ASSERT_NE(map.CreateShape(stDummy, true, true, &seven), nullptr);
    EXPECT_EQ(map.GetNextShapeId(), 51);
    const int newId = CShapeMap::kNewId;
    CShape* fresh = map.CreateShape(stDummy, true, true, &newId);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->GetId(), 51);

    CShape duplicate(7, &control);
    EXPECT_FALSE(map.Insert(&duplicate));
}

TEST(ShapeFactory, TheCurrentDrawingSettingGivesTheDefaults)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CDrawingSettingRecord& setting = *control.GetCurrentDrawingSetting();
    setting.SetPenColor(0x0000FF);
    setting.SetHatchColor(0x7F00FF00);
    setting.LinePatternID = 12;
    setting.LinePatternScale = 3;
    setting.HatchPatternScale = 2;
    setting.HatchPatternID = 0;
    setting.PenWeight = 1.5f;
    setting.ScalePenWeight = 0;
    setting.OrthoMode = 1;

    CShape* shape = map.CreateShape(stDummy, true, true);
    EXPECT_EQ(shape->GetPenColor(), 0x0000FFu);
    EXPECT_EQ(shape->GetHatchColor(), 0x6000FF00u);
    EXPECT_EQ(shape->GetLinePatternId(), 12);
    EXPECT_EQ(shape->GetLinePatternScale(), 3.0f);
    EXPECT_EQ(shape->GetHatchPatternScale(), 2.0f);
    EXPECT_EQ(shape->GetHatchPatternId(), 0);
    EXPECT_EQ(shape->GetPenWeight(), 1.5f);
    EXPECT_FALSE(shape->HasState(CShape::stScalePenWeight));

    // A polygon under a setting without hatch gets the solid fill; a polyline follows OrthoMode.
    CShape* polygon = map.CreateShape(stPolygon, true, true);
    EXPECT_EQ(polygon->GetHatchPatternId(), hpSolid);
    EXPECT_EQ(static_cast<CPolyline*>(polygon)->GetFlags(), static_cast<DWORD>(pfClosed));
    CShape* polyline = map.CreateShape(stPolyline, true, true);
    EXPECT_EQ(static_cast<CPolyline*>(polyline)->GetFlags(), static_cast<DWORD>(pfOrtho));
    setting.HatchPatternID = 5;
    EXPECT_EQ(map.CreateShape(stPolygon, true, true)->GetHatchPatternId(), 5);

    // New shapes go on the current layer; a layer itself is on none.
    CLayer* layer = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    EXPECT_EQ(layer->GetPenColor(), 0x0000FFu);
    EXPECT_EQ(layer->GetLayer(), nullptr);
    control.SetCurrentLayer(layer);
    EXPECT_EQ(map.CreateShape(stGroup, true, true)->GetLayer(), layer);
    EXPECT_EQ(layer->GetHatchPatternId(), 5); // the layer took the setting's hatch
    layer->SetHatchPatternId(hpNone);
    // "By layer" resolves through the layer: a layer without fill gives a polygon the solid fill.
    setting.HatchPatternID = 0x4000;
    EXPECT_EQ(map.CreateShape(stPolygon, true, true)->GetHatchPatternId(), hpSolid);
    layer->SetHatchPatternId(7);
    CShape* onLayer = map.CreateShape(stPolygon, true, true);
    EXPECT_EQ(onLayer->GetHatchPatternId(), 0x4000);
    EXPECT_EQ(onLayer->GetTranslatedHatchPatternId(), 7);
}

// The effective hatch pattern: a pattern of its own stands; by block inside a block reference is
// the reference's (resolved further); by layer, or by block outside a block, is the layer's; with
// no layer there is none (0: a by-layer shape without a layer is not filled solid). A scale of 0
// asked for becomes the scale of the shape whose pattern was taken.
TEST(ShapeFactory, EffectiveHatchPatternAndScale)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CShape* own = map.CreateShape(stPolygon, true, true);
    own->SetHatchPatternId(5);
    own->SetHatchPatternScale(4.0f);
    float scale = 0.0f;
    EXPECT_EQ(own->GetTranslatedHatchPatternId(&scale), 5);
    EXPECT_EQ(scale, 4.0f);
    scale = 1.5f;
    EXPECT_EQ(own->GetTranslatedHatchPatternId(&scale), 5);
    EXPECT_EQ(scale, 1.5f) << "a scale given stays";

    CShape* loose = map.CreateShape(stPolygon, true, true);
    loose->SetLayer(nullptr);
    loose->SetHatchPatternId(0x4000);
    scale = 0.0f;
    EXPECT_EQ(loose->GetTranslatedHatchPatternId(&scale), 0);
    EXPECT_EQ(scale, 0.0f);

    auto* layer = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    layer->SetHatchPatternId(7);
    layer->SetHatchPatternScale(2.5f);
    loose->SetLayer(layer);
    EXPECT_EQ(loose->GetTranslatedHatchPatternId(&scale), 7);
    EXPECT_EQ(scale, 2.5f);

    auto* reference = static_cast<CGroup*>(map.CreateShape(stReference, true, true));
    reference->SetHatchPatternId(9);
    reference->SetHatchPatternScale(3.0f);
    CShape* inside = map.CreateShape(stPolygon, true, true);
    inside->SetLayer(layer);
    inside->SetHatchPatternId(0x8000);
    reference->AddChild(inside, nullptr, 1, false);
    scale = 0.0f;
    EXPECT_EQ(inside->GetTranslatedHatchPatternId(&scale), 9);
    EXPECT_EQ(scale, 3.0f);
    // The reference's own pattern by layer resolves through the reference's layer.
    reference->SetLayer(layer);
    reference->SetHatchPatternId(0x4000);
    EXPECT_EQ(inside->GetTranslatedHatchPatternId(), 7);
    // By block in a plain group goes to the layer.
    auto* group = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    CShape* grouped = map.CreateShape(stPolygon, true, true);
    grouped->SetLayer(nullptr);
    grouped->SetHatchPatternId(0x8000);
    group->AddChild(grouped, nullptr, 1, false);
    EXPECT_EQ(grouped->GetTranslatedHatchPatternId(), 0);
}

TEST(ShapeFactory, PrototypesAndClones)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    EXPECT_EQ(map.CreateShapeFromPrototype(stPolyline, true, true), nullptr); // no prototype yet
    CGroup* defaults = MakeGroup(control, DEFAULT_SHAPES_ID);
    // The rectangle and polygon prototypes are polylines too.
    CPolyline* prototype = nullptr;
    for (int prototypeId : {static_cast<int>(DEFAULT_RECTANGLE_ID), static_cast<int>(DEFAULT_POLYGON_ID)}) {
        prototype = static_cast<CPolyline*>(map.CreateShape(stPolyline, true, true, &prototypeId));
        defaults->AddChild(prototype, nullptr, 0, false);
        prototype->SetPenWeight(4);
        prototype->SetPointCoords(3, 1, 2, 1);
    }
    EXPECT_EQ(map.CreateShapeFromPrototype(stPolyline, true, true), nullptr); // none for polylines

    auto* rectangle = static_cast<CPolyline*>(map.CreateShapeFromPrototype(stRectangle, true, true));
    ASSERT_NE(rectangle, nullptr);
    EXPECT_EQ(rectangle->GetFlags() & (pfClosed | pfOrtho), static_cast<DWORD>(pfClosed | pfOrtho));
    EXPECT_EQ(rectangle->GetPenWeight(), 4.0f);
    EXPECT_EQ(rectangle->GetPointCount(), 2);
    EXPECT_NE(rectangle->GetPoints().GetAt(1), prototype->GetPoints().GetAt(1));
    auto* polygon = static_cast<CPolyline*>(map.CreateShapeFromPrototype(stPolygon, true, true));
    ASSERT_NE(polygon, nullptr);
    EXPECT_EQ(polygon->GetFlags() & pfClosed, static_cast<DWORD>(pfClosed));
    EXPECT_EQ(polygon->GetHatchPatternId(), hpSolid);
    EXPECT_EQ(map.CreateShapeFromPrototype(stGroup, true, true), nullptr); // no group prototype

    // Clones: a group with its children, never a layer.
    CGroup* group = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    CShape* child = map.CreateShape(stPolyline, true, true);
    child->SetPointCoords(3, 5, 5, 0);
    group->AddChild(child, nullptr, 0, false);
    const int before = map.GetNextShapeId();
    CGroup* clone = static_cast<CGroup*>(map.CloneShape(group, true));
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetId(), before);
    ASSERT_EQ(clone->GetShapeCount(), 1);
    CShape* clonedChild = clone->GetChildAt(0);
    EXPECT_NE(clonedChild, child);
    EXPECT_EQ(clonedChild->GetParent(), clone);
    EXPECT_EQ(map.Lookup(clonedChild->GetId()), clonedChild);
    EXPECT_EQ(clonedChild->GetPoints().GetAt(0)->x, 5);

    CShape* layer = map.CreateShape(stLayer, true, true);
    const int next = map.GetNextShapeId();
    EXPECT_EQ(map.CloneShape(layer, true), nullptr);
    EXPECT_EQ(map.GetNextShapeId(), next + 1);
}

TEST(ShapeMap, RemovalProtectsTheFixedGroupsAndTheRoots)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CGroup* root = MakeGroup(control, BASE_ID);
    CGroup* selection = MakeGroup(control, SELECTION_ID);
    map.AddOverlayGroup(selection);
    EXPECT_EQ(map.RemoveShape(root), 1);
    EXPECT_EQ(map.RemoveShape(selection), 1);
    EXPECT_EQ(map.Lookup(BASE_ID), root);

    CGroup* view = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    EXPECT_EQ(map.AddRootGroup(view), 0);
    EXPECT_EQ(map.AddRootGroup(view), 1);
    EXPECT_TRUE(map.IsProtected(view));
    EXPECT_EQ(map.RemoveShape(view), 1);
    EXPECT_EQ(map.RemoveRootGroup(view), 0);
    EXPECT_EQ(map.RemoveRootGroup(view), 1);

    // A removed shape leaves its database entry, the edit state and the displayed root.
    view->SetDatabaseId(33);
    map.SetDbId(33, view->GetId());
    control.SetRootId(view->GetId());
    EXPECT_EQ(control.GetRootGroup(), view);
    control.GetEditState().editedShape = view;
    EXPECT_EQ(map.RemoveShape(view), 0);
    EXPECT_EQ(map.Lookup(view->GetId()), nullptr);
    EXPECT_EQ(map.FindByDbId(33), nullptr);
    EXPECT_EQ(control.GetRootGroup(), root);
    EXPECT_EQ(control.GetEditState().editedShape, nullptr);
    EXPECT_EQ(map.RemoveShape(view), 0); // absent
    delete view;
}

TEST(ShapeMap, RemovingTheCurrentLayer)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CGroup* layers = MakeGroup(control, LAYERS_ID);
    CLayer* base = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    ASSERT_EQ(layers->AddChild(base, nullptr, 0, false), 0);
    control.SetCurrentLayer(base);
    EXPECT_EQ(control.GetCurrentLayer(), base);
    CLayer* second = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    layers->AddChild(second, nullptr, 0, false);
    EXPECT_EQ(map.RemoveShape(base), 0);
    EXPECT_EQ(control.GetCurrentLayer(), second);
    layers->RemoveChild(base);
    delete base;
    // The only layer left goes: no current layer.
    EXPECT_EQ(map.RemoveShape(second), 0);
    EXPECT_EQ(control.GetCurrentLayer(), nullptr);
    layers->RemoveChild(second);
    delete second;
}

TEST(ShapeMap, DatabaseIdsAndSourceSites)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CShape* a = map.CreateShape(stDummy, true, true);
    CShape* b = map.CreateShape(stDummy, true, true);
    map.SetDbId(0, a->GetId()); // ignored
    EXPECT_EQ(map.FindByDbId(0), nullptr);
    map.SetDbId(10, a->GetId());
    EXPECT_EQ(map.FindByDbId(10), a);
    map.SetDbId(10, b->GetId()); // replaced
    EXPECT_EQ(map.FindByDbId(10), b);
    map.SetDbId(11, 4711); // a shape that is not there
    EXPECT_EQ(map.FindByDbId(11), nullptr);

    EXPECT_EQ(map.GetSourceSite(10), -1);
    map.SetSourceSite(10, 3);
    b->SetDatabaseId(10);
    EXPECT_EQ(map.GetSourceSiteOfShape(b->GetId()), 3);
    EXPECT_EQ(map.GetSourceSiteOfShape(a->GetId()), -1);
    EXPECT_EQ(map.GetSourceSiteOfShape(4711), -1);

    a->SetDatabaseId(5);
    EXPECT_FALSE(map.MakeTemporaryDbIds());
    EXPECT_EQ(map.GetNextDbShapeId(), -1);
    a->SetDatabaseId(-3);
    EXPECT_TRUE(map.MakeTemporaryDbIds());
    EXPECT_EQ(map.GetNextDbShapeId(), -4);

    map.ResetAfterSave();
    EXPECT_EQ(a->GetDatabaseId(), 0);
    EXPECT_EQ(b->GetDatabaseId(), 0);
    EXPECT_EQ(map.FindByDbId(10), nullptr);
    EXPECT_EQ(map.GetNextDbShapeId(), 1);
}

TEST(Group, AddRules)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CGroup* group = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    CShape* low = map.CreateShape(stDummy, true, true);
    CShape* high = map.CreateShape(stDummy, true, true);
    CShape* equal = map.CreateShape(stDummy, true, true);
    low->SetZOrder(1, false);
    high->SetZOrder(5, false);
    equal->SetZOrder(1, false);
    EXPECT_EQ(group->AddChild(high, nullptr, 0, false), 0);
    EXPECT_EQ(group->AddChild(low, nullptr, 0, false), 0);
    int index = -1;
    EXPECT_EQ(group->AddChild(equal, &index, 0, false), 0);
    EXPECT_EQ(index, 1); // after its equal
    EXPECT_EQ(group->Children(), (std::vector<CShape*>{low, equal, high}));
    EXPECT_EQ(group->AddChild(equal, nullptr, 0, false), 1); // present, no move
    EXPECT_EQ(low->GetParent(), group);

    // The listing groups append whatever the Z; the clipboard sorts.
    struct Case
    {
        int id;
        bool appends;
    } cases[] = {{SELECTION_ID, true}, {LIBRARY_ID, true}, {LAYERS_ID, true},      {DEFAULT_SHAPES_ID, true},
                 {HIGHLIGHTS_ID, true}, {CLIPBOARD_ID, false}, {WINDOW_ID, false}};
    for (const Case& c : cases) {
        CGroup fixed(c.id, &control);
        CShape first(9001, &control), second(9002, &control);
        first.SetZOrder(9, false);
        second.SetZOrder(2, false);
        fixed.AddChild(&first, nullptr, 0, false);
        fixed.AddChild(&second, nullptr, 0, false);
        EXPECT_EQ(fixed.GetChildAt(0), c.appends ? &first : &second) << c.id;
        fixed.RemoveChild(&first);
        fixed.RemoveChild(&second);
    }

    // A group cannot hold itself or a group that holds it.
    CGroup* outer = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    EXPECT_EQ(outer->AddChild(group, nullptr, 0, false), 0);
    EXPECT_EQ(group->AddChild(outer, nullptr, 0, false), 1);
    EXPECT_EQ(control.GetLastErrorCode(), 0x1000102);
    EXPECT_EQ(control.GetLastErrorText(), "Block cannot contain reference to itself");
    EXPECT_EQ(group->AddChild(group, nullptr, 0, false), 1);

    // Layers go only into fixed groups, never into a group inside the drawing.
    CShape* layer = map.CreateShape(stLayer, true, true);
    EXPECT_EQ(group->AddChild(layer, nullptr, 0, false), 1);
    EXPECT_EQ(control.GetLastErrorCode(), 0x100FFFF);
    EXPECT_EQ(control.GetLastErrorText(), "Label cannot be added anywhere except layers group");
    CGroup* layers = MakeGroup(control, LAYERS_ID);
    EXPECT_EQ(layers->AddChild(layer, nullptr, 0, false), 0);

    // Moving a shape into another group takes it out of the first.
    EXPECT_EQ(outer->AddChild(low, nullptr, 0, false), 0);
    EXPECT_EQ(group->IndexOfChild(low->GetId()), -1);
    EXPECT_EQ(low->GetParent(), outer);
}

TEST(Group, ClearKeepsTheFixedShapesAndDeletesTheRest)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    CGroup* root = MakeGroup(control, BASE_ID);
    const int protoId = DEFAULT_SHAPE_ID;
    CShape* prototype = map.CreateShape(stDummy, true, true, &protoId);
    const int plainId = 20; // above the fixed and prototype IDs
    CShape* plain = map.CreateShape(stDummy, true, true, &plainId);
    const int point = control.CreatePoint(1, 1);
    plain->AddPointById(point, CShape::kAppend, true);
    root->AddChild(prototype, nullptr, 0, false);
    root->AddChild(plain, nullptr, 0, false);
    root->Clear(false);
    EXPECT_EQ(root->Children(), (std::vector<CShape*>{prototype}));
    EXPECT_EQ(map.Lookup(plainId), nullptr);
    EXPECT_EQ(control.GetPointPool().Find(point), nullptr); // its points went with it
    EXPECT_EQ(map.Lookup(protoId), prototype);

    // Deleting through the control takes the shape out of its group and the map.
    CShape* other = map.CreateShape(stDummy, true, true);
    const int otherId = other->GetId();
    root->AddChild(other, nullptr, 0, false);
    EXPECT_EQ(root->RemoveChildAt(1, true), 0);
    EXPECT_EQ(root->GetShapeCount(), 1);
    EXPECT_EQ(map.Lookup(otherId), nullptr);
    EXPECT_EQ(root->RemoveChildAt(5, false), 1);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(control.DeleteShapeByID(4711, 0, 0), DISP_E_EXCEPTION);
}
