// The block reference in storage: the INSERT entity, the ReferenceShapes row and the References
// record.
#include "model/Reference.h"
#include "com/AnsiText.h"
#include <cstdio>
#include "interchange/DxfFile.h"
#include "model/Layer.h"
#include "model/PointRecord.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "persistence/DataTableSet.h"
#include "persistence/Odbc.h"
#include "persistence/OdbcSession.h"
#include "com/HResult.h"
#include "persistence/sql/ShapeKindSql.h"
#include "YVEX_h.h"
#include <cmath>
#include <string>

namespace {


// The name BLOCK gives the block in DXF, which INSERT names.
std::string DxfBlockName(const CGroup* block)
{
    if (!block || block->GetName().empty() || block->GetBlockName().empty())
        return "(none)";
    return block->GetBlockName();
}

} // namespace

// --- DXF -------------------------------------------------------------------------------------------

HRESULT CReference::ReadDxf(CDxfFile& dxf)
{
    float x = 0.0f, y = 0.0f;
    std::string name;
    bool attributesFollow = false;
    bool fromBelow = false;
    const int ended = ReadEntityGroups(dxf, [&](int code) {
        switch (code) {
        case 2: name = dxf.GetText(); break;
        case 230: fromBelow = dxf.GetReal() < 0; break;
        case 10: x = static_cast<float>(dxf.GetReal()); break;
        case 20: y = static_cast<float>(dxf.GetReal()); break;
        case 41: m_xScale = static_cast<float>(dxf.GetReal()); break;
        case 42: m_yScale = static_cast<float>(dxf.GetReal()); break;
        case 50: m_rotationAngle = dxf.GetReal(); break;
        case 66: attributesFollow = dxf.GetInt() != 0; break;
        default: break;
        }
    });
    SetName(ycom::AnsiToWide(name).c_str());
    if (fromBelow) {
        // Placed in the plane seen from below (extrusion 0, 0, -1): its x axis runs along the
        // world's -x, so the insertion point, the x scale and the angle are mirrored into the
        // world's plane, as ARC's centre is.
        x = -x;
        m_xScale = -m_xScale;
        m_rotationAngle = m_rotationAngle == 0.0 ? 0.0 : 360.0 - std::fmod(m_rotationAngle, 360.0);
        if (m_rotationAngle >= 360.0)
            m_rotationAngle -= 360.0;
    }
    if (m_control && m_control->GetVerticalAxisFactor() < 0.0f) {
        // A drawing whose y grows downwards is turned over: the insertion point is mirrored, and
        // so is the placement, whose angle turns the other way (the block's own contents are
        // turned over as they are read).
        y = -y;
        m_rotationAngle = m_rotationAngle == 0.0 ? 0.0 : 360.0 - std::fmod(m_rotationAngle, 360.0);
        if (m_rotationAngle >= 360.0)
            m_rotationAngle -= 360.0;
    }
    if (m_control) {
        const int pointId = m_control->CreatePoint(x, y);
        if (pointId > 0)
            AddPointById(pointId, kAppend, true);
    }
    if (!ended || !attributesFollow)
        return ended;
    // The attribute texts up to SEQEND (those the factory cannot make yet are passed over).
    while (dxf.ReadGroup()) {
        if (dxf.GetCode() != 0)
            continue;
        const int keyword = dxf.GetKeywordIndex();
        if (keyword == CDxfFile::kwSeqend)
            return ReadEntityGroups(dxf);
        if (keyword != CDxfFile::kwAttrib) {
            // Another entity: the sequence ended without its SEQEND.
            dxf.UngetGroup();
            return 1;
        }
        CShape* text = CreateChildFromDxf(dxf, stText, false);
        if (!text) {
            while (dxf.ReadGroup())
                if (dxf.GetCode() == 0) {
                    dxf.UngetGroup();
                    break;
                }
        } else if (!text->GetLayer() || text->GetLayer()->GetId() == BASE_LAYER) {
            text->SetLayer(m_layer);
        }
    }
    return 0;
}

HRESULT CReference::WriteDxf(CDxfFile& dxf)
{
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwInsert));
    CShape::WriteDxf(dxf);
    dxf.WriteStringGroup(2, DxfBlockName(m_block).c_str());
    if (!m_points.IsEmpty())
        m_points.GetAt(0)->WriteDxf(dxf, true, 0);
    else
        CPointRecord().WriteDxf(dxf, true, 0);
    dxf.WriteRealGroup(41, m_xScale);
    dxf.WriteRealGroup(42, m_yScale);
    dxf.WriteRealGroup(50, m_rotationAngle);
    // The attribute and label texts follow as ATTRIB entities, ended by SEQEND.
    std::vector<CShape*> attributes;
    for (CShape* child : m_children)
        if (child->GetShapeType() == stText && (child->GetTextType() == ttAttrib || child->GetTextType() == ttLabel))
            attributes.push_back(child);
    if (attributes.empty()) {
        WriteXData(dxf);
        return 1;
    }
    dxf.WriteIntGroup(66, 1);
    WriteXData(dxf);
    for (CShape* text : attributes)
        text->WriteDxf(dxf);
    dxf.WriteStringGroup(0, CDxfFile::KeywordFromIndex(CDxfFile::kwSeqend));
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(dxf.NextHandle()));
    dxf.WriteStringGroup(5, handle);
    const bool namedLayer = m_layer && !m_layer->GetName().empty();
    dxf.WriteStringGroup(8, namedLayer ? m_layer->GetName().c_str() : "0");
    return 1;
}

// --- Database and record tables ------------------------------------------------------------------

HRESULT CReference::SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags)
{
    if (!(m_state & stPersistent))
        return S_FALSE;
    if (!m_block)
        return E_FAIL;
    if (m_block->GetDatabaseId() < 1) {
        RETURN_IF_FAILED(m_block->SaveToDB(session, siteId, scenarioId, flags));
        if (m_block->GetDatabaseId() < 1)
            return E_FAIL;
    }
    const int before = m_databaseId;
    // The copies of the block are never stored; texts and custom children are.
    ClearCopiesPersistent();
    const HRESULT hr = CShape::SaveToDB(session, siteId, scenarioId, flags);
    if (hr != S_OK)
        return hr;
    if (m_databaseId < 1)
        return E_FAIL;
    const int scenario = m_control ? m_control->GetScenarioId() : 0;
    const int block = m_block->GetDatabaseId();
    return SaveKindRow(session, before >= 1, true, ShapeKindSql::UpdateReference,
                       {m_xScale, m_yScale, m_rotationAngle, block, m_databaseId}, ShapeKindSql::InsertReference,
                       {m_databaseId, scenario, m_xScale, m_yScale, m_rotationAngle, block});
}

HRESULT CReference::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD flags)
{
    if (!tables)
        return E_INVALIDARG;
    const bool load = (mode & DXFMODE_LOAD) != 0;
    if (!load)
        ClearCopiesPersistent();
    const HRESULT hr = CShape::SaveToTables(tables, mode, flags);
    RETURN_IF_FAILED(hr);
    CReferencesTable* references = tables->References();
    if (!references)
        return S_FALSE;
    bool alreadyStored = false;
    const int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);
    if (!load) {
        if (!(m_state & stPersistent))
            return hr;
        int blockKey = 0;
        if (m_block) {
            bool blockStored = false;
            blockKey = m_block->GetStoredKey(tables, mode, &blockStored, nullptr);
            const bool inSet = blockStored || (blockKey != 0 && tables->Shapes() && tables->Shapes()->FindRecord(blockKey));
            if (!inSet && !(mode & DXFMODE_PROCESS_TREE_ONLY)) {
                // The block goes into the set first, unless the caller stores what the shapes
                // refer to itself.
                m_block->SaveToTables(tables, mode, flags);
                blockKey = m_block->GetStoredKey(tables, mode, &blockStored, nullptr);
            }
        }
        CReferencesRecord record;
        record.ShapeID = key;
        record.DatabaseID = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) ? m_databaseId : 0;
        record.XScale = m_xScale;
        record.YScale = m_yScale;
        record.RotationAngle = m_rotationAngle;
        record.BlockGroupShapeID = blockKey;
        references->Put(record);
        return hr;
    }
    const CReferencesRecord* found = references->FindRecord(key);
    if (!found || !m_control)
        return E_ACCESSDENIED;
    const CReferencesRecord record = *found;
    CShapeIndex& map = m_control->GetShapeMap();
    const int imode = static_cast<int>(mode);
    int blockId = tables->StoredToCurrentId(record.BlockGroupShapeID, 0, imode);
    CShape* block = map.Lookup(blockId);
    if (!block && blockId != kStoredNoTranslation) {
        map.LoadShapeFromTables(tables, mode | DXFMODE_SINGLE_OBJECT, record.BlockGroupShapeID);
        blockId = tables->StoredToCurrentId(record.BlockGroupShapeID, 0, imode);
        block = map.Lookup(blockId);
    }
    if (!block || block->GetShapeType() != stGroup) {
        // Found by the name the set gives the block among the blocks of the library.
        block = nullptr;
        const CGroupsRecord* group = tables->Groups() ? tables->Groups()->FindRecord(record.BlockGroupShapeID) : nullptr;
        CGroup* library = m_control->GetLibraryGroup();
        if (group && library)
            block = library->FindChildByName(ycom::AnsiToWide(group->Name).c_str());
        if (block && block->GetShapeType() != stGroup)
            block = nullptr;
    }
    if (!block)
        return E_ACCESSDENIED;
    SetRotationAngle(record.RotationAngle, true);
    SetXScale(static_cast<float>(record.XScale), true);
    SetYScale(static_cast<float>(record.YScale), true);
    // The copies are made when the reference is resolved; the link is registered now, so that a
    // block deleted before then leaves no pointer behind.
    m_block = static_cast<CGroup*>(block);
    m_block->AddReferrer(this);
    return hr;
}
