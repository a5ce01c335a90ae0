// A group in storage: its GroupShapes row, its Groups record, and DXF: a block of the library is
// written as BLOCK ... ENDBLK; the ENTITIES and BLOCKS sections and the LAYER table are read
// into the root group, the block library and the layers group.
#include "model/Group.h"
#include "com/AnsiText.h"
#include "interchange/DxfDocument.h"
#include "interchange/DxfFile.h"
#include "model/Layer.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "persistence/DataTableSet.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <cstdio>
#include <string>

namespace {



// The entity keywords read into shapes, and the kind each becomes (0: skipped).
int KindOfEntity(int keyword)
{
    switch (keyword) {
    case CDxfFile::kwLine: return stLine;
    case CDxfFile::kwArc: return stArc;
    case CDxfFile::kwCircle: return stCircle;
    case CDxfFile::kwEllipse: return stEllipse;
    case CDxfFile::kwLwpolyline:
    case CDxfFile::kwPolyline: return stPolyline;
    case CDxfFile::kwSolid: return stPolygon;
    case CDxfFile::kwInsert: return stReference;
    case CDxfFile::kwImage: return stImage;
    case CDxfFile::kwText:
    case CDxfFile::kwMtext:
    case CDxfFile::kwAttdef:
    case CDxfFile::kwAttrib: return stText;
    default: return 0;
    }
}

// Skips the groups of an entity up to the next group 0, which is pushed back. False at the end
// of the data.
bool SkipEntity(CDxfFile& dxf)
{
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() == 0) {
            dxf.UngetGroup();
            return true;
        }
    }
    return false;
}

} // namespace

HRESULT CGroup::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    if (!(m_state & stPersistent))
        return S_FALSE;
    // The prototypes are not stored (the shape base writes nothing for them either).
    if (m_id >= DEFAULT_SHAPE_ID && m_id <= DEFAULT_IMAGE_ID)
        return S_OK;
    const int before = m_databaseId;
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return E_FAIL;
    // A group without a name stores the text NULL. The name is the user's text: bound.
    const std::string name = GetName().empty() ? std::string("NULL") : ycom::WideToAnsi(GetName());
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    const std::vector<OdbcParam> params = {OdbcParam::Text(name)};
    if (before < 1)
        return session.Exec(CLSID_YVEXControl, ShapeSql::InsertGroup, {m_databaseId, scenario}, params);
    return session.Exec(CLSID_YVEXControl, ShapeSql::UpdateGroup, {m_databaseId}, params);
}

HRESULT CGroup::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CGroupsTable* groups = tables->Groups();
    if (!groups)
        return S_FALSE;
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (mode & DXFMODE_LOAD) {
        if (const CGroupsRecord* record = groups->FindRecord(key))
            SetName(ycom::AnsiToWide(record->Name.c_str()).c_str());
        return hr;
    }
    // Only a stored, named group of the drawing has a record.
    if (hr != S_OK || GetName().empty() || m_id <= DEFAULT_IMAGE_ID || !(m_state & stPersistent))
        return hr;
    CGroupsRecord record;
    record.ShapeID = key;
    record.Name = ycom::WideToAnsi(GetName());
    groups->Put(record);
    return hr;
}

HRESULT CGroup::WriteDxf(CDxfFile& dxf)
{
    const bool block = m_parent && m_parent->GetId() == LIBRARY_ID;
    CDxfDocument* doc = m_control ? &m_control->GetDxfDocument() : nullptr;
    CShape* outerBlock = doc ? doc->GetBlockBeingWritten() : nullptr;
    if (block) {
        const std::string name = GetName().empty() || GetBlockName().empty() ? std::string("(none)") : GetBlockName();
        dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwBlock));
        const bool namedLayer = m_layer && !m_layer->GetName().empty();
        dxf.WriteStringGroup(8, namedLayer ? m_layer->GetName().c_str() : "0");
        dxf.WriteStringGroup(2, name.c_str());
        dxf.WriteIntGroup(70, Part().blockFlags);
        // The base point is the origin: a block read is moved there.
        dxf.WriteRealGroup(10, 0.0);
        dxf.WriteRealGroup(20, 0.0);
        dxf.WriteRealGroup(30, 0.0);
        dxf.WriteStringGroup(3, name.c_str());
        WriteXData(dxf);
        if (doc)
            doc->SetBlockBeingWritten(this);
    }
    const std::vector<CShape*> children = m_children;
    for (CShape* child : children)
        child->WriteDxf(dxf);
    if (block) {
        if (doc)
            doc->SetBlockBeingWritten(outerBlock);
        dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwEndblk));
        char handle[16];
        std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(m_id));
        dxf.WriteStringGroup(5, handle);
    }
    return 1;
}

int CGroup::ReadDxfEntitiesSection(CDxfFile& dxf) { return ReadDxfEntities(dxf, false); }

int CGroup::ReadDxfBlockBody(CDxfFile& dxf) { return ReadDxfEntities(dxf, true); }

int CGroup::ReadDxfEntities(CDxfFile& dxf, bool blockMode)
{
    float baseX = 0.0f, baseY = 0.0f;
    int result = 0;
    while (dxf.ReadGroup()) {
        const int code = dxf.GetCode();
        if (code == 0) {
            const int keyword = dxf.GetKeywordIndex();
            if (keyword == (blockMode ? CDxfFile::kwEndblk : CDxfFile::kwEndsec)) {
                result = 1;
                break;
            }
            const int kind = KindOfEntity(keyword);
            if (!kind || !CreateChildFromDxf(dxf, kind, blockMode)) {
                if (!SkipEntity(dxf))
                    break;
            }
            continue;
        }
        if (blockMode) {
            if (code == 2)
                SetName(ycom::AnsiToWide(dxf.GetText()).c_str());
            else if (code == 10)
                baseX = static_cast<float>(dxf.GetReal());
            else if (code == 20)
                baseY = static_cast<float>(dxf.GetReal());
            else if (code == 1000)
                ReadDxfGroup(dxf);
        }
        if (code == 70)
            SetBlockFlags(dxf.GetInt());
    }
    // The contents of a drawing whose y grows downwards were turned over as they were read: so is
    // the base point.
    if (blockMode && m_control && m_control->GetVerticalAxisFactor() < 0.0f)
        baseY = -baseY;
    if (blockMode && (baseX != 0.0f || baseY != 0.0f))
        Shift(-baseX, -baseY, nullptr, true);
    return result;
}

CShape* CGroup::CreateChildFromDxf(CDxfFile& dxf, int kind, bool)
{
    if (!m_control)
        return nullptr;
    CShapeIndex& map = m_control->GetShapeMap();
    CShape* shape = map.CreateShape(kind, true, true);
    if (!shape)
        return nullptr;
    shape->ResetToByLayer();
    m_control->GetDxfDocument().ClearEntityState();
    // A shape that fails to read stays out of the group (and in the shape map).
    if (shape->ReadDxf(dxf) && !shape->GetParent())
        AddNewChild(shape, 1);
    shape->SetDatabaseId(map.TakeTemporaryDbId());
    shape->SetSourceSiteId(m_control->GetSiteId());
    return shape;
}

int CGroup::ReadDxfBlocksSection(CDxfFile& dxf)
{
    if (!m_control)
        return 0;
    CShapeIndex& map = m_control->GetShapeMap();
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != 0)
            continue;
        const int keyword = dxf.GetKeywordIndex();
        if (keyword == CDxfFile::kwEndsec)
            return 1;
        if (keyword != CDxfFile::kwBlock)
            continue;
        CShape* shape = map.CreateShape(stGroup, true, true);
        if (!shape)
            continue;
        CGroup* block = static_cast<CGroup*>(shape);
        const int read = block->ReadDxfEntities(dxf, true);
        // An anonymous block (flag 1) or an empty one is not kept.
        if (read && !(block->Part().blockFlags & 1) && block->GetShapeCount() > 0 &&
            AddChild(block, nullptr, 1, false) == 0) {
            block->SetDatabaseId(map.TakeTemporaryDbId());
            block->SetSourceSiteId(m_control->GetSiteId());
        } else {
            map.DeleteShape(block);
        }
        if (!read)
            break;
    }
    return 0;
}

int CGroup::ReadDxfLayerTable(CDxfFile& dxf)
{
    if (!m_control)
        return 0;
    CShapeIndex& map = m_control->GetShapeMap();
    const DWORD flags = m_control->GetControlFlags();
    const bool dontMerge = (flags & controlDontMergeLayers) != 0;
    const bool dontOverwrite = (flags & controlDontOverwriteLayers) != 0;
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != 0)
            continue;
        const int keyword = dxf.GetKeywordIndex();
        if (keyword == CDxfFile::kwEndtab)
            return 1;
        if (keyword != CDxfFile::kwLayer)
            continue;
        CShape* shape = map.CreateShape(stLayer, true, true);
        if (!shape)
            continue;
        CLayer* layer = static_cast<CLayer*>(shape);
        if (!layer->ReadDxf(dxf)) {
            map.DeleteShape(layer);
            break;
        }
        CLayer* existing = m_control->FindLayerByName(layer->GetName());
        if (!existing || (dontMerge && dontOverwrite)) {
            // A new layer; with both flags a second layer of the name, which the name now finds.
            if (AddChild(layer, nullptr, 1, false) != 0) {
                map.DeleteShape(layer);
                continue;
            }
            m_control->MapLayerName(layer->GetName(), layer);
            layer->SetDatabaseId(map.TakeTemporaryDbId());
            layer->SetSourceSiteId(m_control->GetSiteId());
        } else {
            // Merged into the layer of that name: it takes the entry's properties only when
            // layers may be overwritten but not merged.
            if (!dontMerge && dontOverwrite) {
                existing->CopyStyleFrom(*layer, 0xFFFFFFFF);
                existing->Normalize();
            }
            map.DeleteShape(layer);
        }
    }
    return 0;
}
