#pragma once
// A drawing with the fixed groups that storage works on (root, block library, layers), for the
// tests of shapes in DXF and in record tables.
#include <gtest/gtest.h>
#include <initializer_list>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "YVEX_h.h"

inline CGroup* MakeFixedGroup(CControlCore& control, int id)
{
    auto* group = new CGroup(id, &control);
    EXPECT_TRUE(control.GetShapeMap().Insert(group));
    return group;
}

inline CLayer* MakeLayer(CControlCore& control, CGroup* layers, const char* name)
{
    auto* layer = static_cast<CLayer*>(control.GetShapeMap().CreateShape(stLayer, true, true));
    layer->SetName(name);
    layers->AddChild(layer, nullptr, 1, false);
    control.MapLayerName(name, layer);
    return layer;
}

// Shape IDs of the drawing start at 20, above the fixed groups and the prototypes.
struct Drawing
{
    Drawing()
    {
        root = MakeFixedGroup(control, BASE_ID);
        control.SetRootId(BASE_ID);
        library = MakeFixedGroup(control, LIBRARY_ID);
        layers = MakeFixedGroup(control, LAYERS_ID);
        const int first = 20;
        control.GetShapeMap().CreateShape(stDummy, true, true, &first);
    }
    // A shape of the factory with points at the given places, in the parent when one is given.
    CShape* Make(int type, std::initializer_list<CRealPoint> points, CGroup* parent)
    {
        CShape* shape = control.GetShapeMap().CreateShape(type, true, true);
        int index = 0;
        for (const CRealPoint& p : points)
            shape->SetPointCoords(3, p.x, p.y, index++);
        if (parent)
            parent->AddChild(shape, nullptr, 1, false);
        return shape;
    }
    CControlCore control;
    CGroup* root;
    CGroup* library;
    CGroup* layers;
};
