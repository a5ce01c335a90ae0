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
    void CollectContainedIds(bool, std::vector<int>& ids) override { ids.push_back(m_id); }
    // The switches change their bit alone: no undo record, no redraw (the shape base's recorded
    // forms do those).
    void SetVisible(bool on) override { SetStateBits(stVisible, on); }
    void SetSelected(bool on) override { SetStateBits(stSelected, on); }
    void SetNoExtents(bool on) override { SetStateBits(stNoExtents, on); }
    bool IsExtentCached() override { return (m_state & stExtentCached) != 0; }
    // A layer draws nothing.
    int DrawAttachments(CDrawContext&) override { return 1; }
    int DrawOverlay(CDrawContext&) override { return 1; }
    // The style and the name of another layer, normalised.
    int CopyStyleFrom(CShape& source, DWORD mask) override;
    // Counted as a shape, and as a layer.
    int CountStats(CShapeStats& stats) override;
    // One LAYER entry of the TABLES section.
    HRESULT ReadDxf(CDxfFile& dxf) override;
    HRESULT WriteDxf(CDxfFile& dxf) override;
    int WriteXDataOwn(CDxfFile& dxf) override;
    // The Shapes row, then the LayerShapes row (the name, bound; "NULL" for none) and the
    // LayerSettings row of the three switches under the control's next LayerSettingID.
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    // The Shapes record, then the Layers record and the LayerSettings record (written only for a
    // stored layer; read back under the layer's key).
    HRESULT SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags) override;

private:
    std::string m_name;
};
