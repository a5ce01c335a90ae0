#pragma once
#include <string>
#include "model/Shape.h"

// A layer: a named holder of drawing defaults and of the switches (visible, enabled, selectable)
// that every shape on it inherits. Layers are children of the fixed group "Layers"; the base
// layer "0" has ID 1.
class CLayer : public CShape
{
public:
    CLayer(int id, CShapeHost* control);
    // A copy under a new ID, its style normalised (a layer never takes its style by layer).
    CLayer(int id, const CLayer& source);

    const std::string& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name ? name : ""; }
    // By-layer values turn into the layer's own defaults.
    void Normalize();

    void GetCoClassId(CLSID* clsid) override;
    int GetClassShapeType() override;
    // A layer never takes its style "by layer": such values store the layer defaults.
    void SetPenColor(DWORD colour) override;
    void SetHatchColor(DWORD colour) override;
    void SetLinePatternId(int id) override;
    void SetHatchPatternId(int id) override;
    bool ContainsShapeId(int id, bool recursive) override { return id == m_id; }
    // One LAYER entry of the TABLES section.
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;

private:
    std::string m_name;
};
