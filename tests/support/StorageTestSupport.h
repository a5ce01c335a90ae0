#pragma once
// A drawing with the fixed groups that storage works on (root, block library, layers), for the
// tests of shapes in DXF and in record tables, the drawing written as a DXF file, and a copy of a
// set's records.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Layer.h"
#include "model/LineType.h"
#include "model/LineTypeMap.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include "tests/support/DxfTestSupport.h"

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

// The records of the tables the shapes write, copied into another set (whose ID maps know nothing
// of the save that made them), as a restore from an archive sees them.
inline void CopyShapeRecords(const CDataTableSet& from, CDataTableSet& to)
{
    auto copy = [](auto* source, auto* target) {
        if (source && target)
            for (const auto& e : source->GetRecords())
                target->Insert(e.second);
    };
    copy(from.Shapes(), to.Shapes());
    copy(from.Points(), to.Points());
    copy(from.ShapePoints(), to.ShapePoints());
    copy(from.LinkedPoints(), to.LinkedPoints());
    copy(from.Groups(), to.Groups());
    copy(from.Polylines(), to.Polylines());
    copy(from.Lines(), to.Lines());
    copy(from.Vertexes(), to.Vertexes());
    copy(from.Images(), to.Images());
    copy(from.ImageResources(), to.ImageResources());
    copy(from.Ellipses(), to.Ellipses());
    copy(from.Layers(), to.Layers());
    copy(from.LayerSettings(), to.LayerSettings());
    copy(from.References(), to.References());
}

// The drawing as a DXF file of the control's output version: 1 an R12 file (AC1009; binary with
// one-byte codes), 2 an AC1012 file (ELLIPSE entities; the table heads carry handles of their
// own, above the shapes' IDs). The line types, the layers and our application registered, the
// block library, and the root's entities.
inline void WriteDrawing(Drawing& d, const std::string& path, bool binary, int version)
{
    CDxfFile dxf;
    dxf.SetBinary(binary);
    dxf.SetTwoByteCodes(version != 1);
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    d.control.GetDxfDocument().SetOutputVersion(version);
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "HEADER");
    dxf.WriteStringGroup(9, "$ACADVER");
    dxf.WriteStringGroup(1, version == 1 ? "AC1009" : "AC1012");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "TABLES");
    auto head = [&](const char* table, const char* handle, int count) {
        dxf.WriteStringGroup(0, "TABLE");
        dxf.WriteStringGroup(2, table);
        if (version != 1)
            dxf.WriteStringGroup(5, handle);
        dxf.WriteIntGroup(70, count);
    };
    head("LTYPE", "FFF0", static_cast<int>(d.control.GetLineTypeMap().Entries().size()));
    for (const auto& entry : d.control.GetLineTypeMap().Entries())
        const_cast<CLineType&>(entry.second).WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDTAB");
    head("LAYER", "FFF1", d.layers->GetShapeCount());
    d.layers->WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDTAB");
    head("APPID", "FFF2", 1);
    dxf.WriteStringGroup(0, "APPID");
    dxf.WriteStringGroup(2, "YVEXControl");
    dxf.WriteIntGroup(70, 0);
    dxf.WriteStringGroup(0, "ENDTAB");
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "BLOCKS");
    d.library->WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "SECTION");
    dxf.WriteStringGroup(2, "ENTITIES");
    d.root->WriteDxf(dxf);
    dxf.WriteStringGroup(0, "ENDSEC");
    dxf.WriteStringGroup(0, "EOF");
    ASSERT_TRUE(dxf.Close());
}

inline void WriteR12Drawing(Drawing& d, const std::string& path, bool binary) { WriteDrawing(d, path, binary, 1); }

inline void WriteAC1012Drawing(Drawing& d, const std::string& path, bool binary) { WriteDrawing(d, path, binary, 2); }

// A Windows path (Z: for the Unix root) of a file of tests/fixtures/dxf.
inline std::string Fixture(const char* name)
{
    const char* root = std::getenv("YVEX_SOURCE_DIR");
    std::string path = std::string("Z:") + (root ? root : ".") + "/tests/fixtures/dxf/" + name;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// The shapes of a file's ENTITIES section, read into the drawing's root group.
inline std::vector<CShape*> ReadEntities(Drawing& d, const std::string& path)
{
    CDxfFile dxf;
    EXPECT_TRUE(dxf.Open(path.c_str(), true)) << path;
    bool found = false;
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 2 && std::strcmp(dxf.GetText(), "ENTITIES") == 0) {
            found = true;
            break;
        }
    }
    EXPECT_TRUE(found) << path;
    if (found) {
        EXPECT_EQ(d.root->ReadDxfEntitiesSection(dxf), 1) << path;
    }
    EXPECT_FALSE(dxf.HasError()) << path;
    dxf.Close();
    return d.root->Children();
}
