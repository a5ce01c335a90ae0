#include "control/ShapeMap.h"
#include "control/ControlCore.h"
#include "model/Ellipse.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/Layer.h"
#include "model/Line.h"
#include "model/PointPool.h"
#include "model/Polyline.h"
#include "model/Reference.h"
#include "model/Text.h"
#include "persistence/DataTableSet.h"
#include "persistence/DrawingSettingRecord.h"
#include "persistence/MaxIdReader.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/ShapeSql.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <algorithm>

CShapeMap::CShapeMap(CControlCore* control) : m_control(control) {}

CShapeMap::~CShapeMap() = default;

CShape* CShapeMap::CreateShape(int type, bool visible, bool registerIt, const int* idArg)
{
    int id;
    if (!idArg || *idArg == kNewId)
        id = m_nextShapeId++;
    else
        id = *idArg;
    if (type < stDummy || type > stPolygon)
        return nullptr;

    CShape* shape = nullptr;
    switch (type) {
    case stDummy:
        shape = new CShape(id, m_control);
        break;
    case stLine:
        shape = new CLine(m_control, id);
        break;
    case stRectangle: {
        auto* polyline = new CPolyline(m_control, id, stRectangle);
        polyline->SetFlags(polyline->GetFlags() | pfClosed | pfOrtho);
        shape = polyline;
        break;
    }
    case stArc:
    case stCircle:
    case stEllipse:
        shape = new CEllipse(m_control, id, type);
        break;
    case stPolyline:
        shape = new CPolyline(m_control, id, stPolyline);
        break;
    case stPolygon: {
        // A polygon is a closed polyline; no shape of type stPolygon exists in memory.
        auto* polyline = new CPolyline(m_control, id, stPolyline);
        polyline->SetFlags(polyline->GetFlags() | pfClosed);
        shape = polyline;
        break;
    }
    case stGroup:
        shape = new CGroup(id, m_control);
        break;
    case stLayer:
        shape = new CLayer(id, m_control);
        break;
    case stImage:
        shape = new CImage(m_control, id);
        break;
    case stText:
        shape = new CText(m_control, id);
        break;
    case stReference:
        shape = new CReference(id, m_control);
        break;
    default:
        // stCurve makes nothing; the other kinds are made by their own classes once they exist.
        return nullptr;
    }

    PlaceOnCurrentLayer(shape, visible);
    if (type == stPolygon && shape->GetTranslatedHatchPatternId() < 1)
        shape->SetHatchPatternId(hpSolid);
    ApplySettingDefaults(shape, type);

    // A shape whose ID is taken is not handed out: outside the map it would be a second shape
    // of the same ID.
    if (registerIt && !Insert(shape)) {
        delete shape;
        return nullptr;
    }
    return shape;
}

void CShapeMap::PlaceOnCurrentLayer(CShape* shape, bool visible)
{
    if (shape->GetShapeType() != stLayer && m_control)
        shape->SetLayer(m_control->GetCurrentLayer());
    shape->SetVisible(visible);
}

void CShapeMap::ApplySettingDefaults(CShape* shape, int requestedType)
{
    if (!m_currentSetting)
        return;
    const CDrawingSettingRecord& setting = *m_currentSetting;
    shape->SetLinePatternScale(setting.LinePatternScale);
    shape->SetPenColor(setting.PenColor);
    shape->SetHatchColor(setting.HatchColor);
    shape->SetLinePatternId(setting.LinePatternID);
    shape->SetHatchPatternId(setting.HatchPatternID);
    if (requestedType == stPolygon && shape->GetTranslatedHatchPatternId() < 1)
        shape->SetHatchPatternId(hpSolid);
    if (requestedType == stPolyline) {
        auto* polyline = static_cast<CPolyline*>(shape);
        const DWORD flags = polyline->GetFlags();
        polyline->SetFlags(setting.OrthoMode ? (flags | pfOrtho) : (flags & ~static_cast<DWORD>(pfOrtho)));
    }
    shape->SetHatchPatternScale(setting.HatchPatternScale);
    shape->SetStateBits(CShape::stScalePenWeight, setting.ScalePenWeight != 0);
    shape->SetPenWeight(setting.PenWeight);
    if (requestedType == stText) {
        // New texts take the setting's font (a bold one with its heavier pen).
        auto* text = static_cast<CText*>(shape);
        text->SetFontNameA(setting.FontName.c_str());
        text->SetCharset(setting.FontCharset);
        text->SetFontStyle(setting.StyleWord & 0xF);
    }
}

CShape* CShapeMap::CreateShapeFromPrototype(int type, bool visible, bool registerIt)
{
    CShape* prototype = m_control ? m_control->GetDefaultShape(type) : nullptr;
    if (!prototype)
        return nullptr;
    const int id = m_nextShapeId++;
    if (type < stLine || type > stPolygon)
        return nullptr;
    CShape* shape = nullptr;
    switch (type) {
    case stLine:
        if (prototype->GetShapeType() != stLine)
            return nullptr;
        shape = new CLine(id, *static_cast<CLine*>(prototype));
        break;
    case stArc:
    case stCircle:
    case stEllipse: {
        auto* ellipse = dynamic_cast<CEllipse*>(prototype);
        if (!ellipse)
            return nullptr;
        shape = new CEllipse(id, *ellipse);
        shape->SetShapeType(type);
        break;
    }
    case stRectangle:
    case stPolyline:
    case stPolygon: {
        if (prototype->GetClassShapeType() != stPolyline)
            return nullptr;
        auto* polyline = new CPolyline(id, *static_cast<CPolyline*>(prototype));
        if (type == stRectangle || type == stPolygon)
            polyline->SetFlags(polyline->GetFlags() | pfClosed);
        if (type == stPolygon && polyline->GetTranslatedHatchPatternId() < 1)
            polyline->SetHatchPatternId(hpSolid);
        if (type == stRectangle)
            polyline->SetFlags(polyline->GetFlags() | pfOrtho);
        shape = polyline;
        break;
    }
    case stGroup:
        if (!prototype->IsGroup())
            return nullptr;
        shape = new CGroup(id, *static_cast<CGroup*>(prototype));
        break;
    case stLayer:
        if (prototype->GetShapeType() != stLayer)
            return nullptr;
        shape = new CLayer(id, *static_cast<CLayer*>(prototype));
        break;
    case stImage:
        if (prototype->GetShapeType() != stImage)
            return nullptr;
        shape = new CImage(id, *static_cast<CImage*>(prototype));
        break;
    case stText:
        if (prototype->GetShapeType() != stText)
            return nullptr;
        shape = new CText(id, *static_cast<CText*>(prototype));
        break;
    default:
        return nullptr;
    }
    PlaceOnCurrentLayer(shape, visible);
    if (registerIt && !Insert(shape)) {
        delete shape;
        return nullptr;
    }
    return shape;
}

CShape* CShapeMap::CloneShape(CShape* source, bool registerIt)
{
    const int id = m_nextShapeId++;
    if (!source)
        return nullptr;
    CShape* shape = nullptr;
    switch (source->GetShapeType()) {
    case stLine:
        shape = new CLine(id, *static_cast<CLine*>(source));
        break;
    case stArc:
    case stCircle:
    case stEllipse:
        shape = new CEllipse(id, *static_cast<CEllipse*>(source));
        break;
    case stRectangle:
    case stPolyline:
    case stPolygon: {
        auto* polyline = new CPolyline(id, *static_cast<CPolyline*>(source));
        if (source->GetShapeType() == stPolygon) {
            polyline->SetFlags(polyline->GetFlags() | pfClosed);
            if (polyline->GetTranslatedHatchPatternId() < 1)
                polyline->SetHatchPatternId(hpSolid);
        }
        shape = polyline;
        break;
    }
    case stGroup:
        shape = new CGroup(id, *static_cast<CGroup*>(source));
        break;
    case stImage:
        shape = new CImage(id, *static_cast<CImage*>(source));
        break;
    case stText:
        shape = new CText(id, *static_cast<CText*>(source));
        break;
    case stReference:
        shape = new CReference(id, *static_cast<CReference*>(source));
        break;
    default:
        // Layers and curves are never cloned; the other kinds copy themselves once they exist.
        return nullptr;
    }
    if (registerIt && !Insert(shape)) {
        delete shape;
        return nullptr;
    }
    return shape;
}

bool CShapeMap::Insert(CShape* shape)
{
    if (!shape)
        return false;
    const int id = shape->GetId();
    // New shapes come with rising IDs: placed at the end without a search down the tree.
    if (m_shapes.empty() || id > m_shapes.rbegin()->first)
        m_shapes.emplace_hint(m_shapes.end(), id, shape);
    else if (!m_shapes.emplace(id, shape).second)
        return false;
    ++m_changeCount;
    if (id >= m_nextShapeId)
        m_nextShapeId = id + 1;
    return true;
}

bool CShapeMap::ChangeKey(CShape* shape, int newId)
{
    if (!shape)
        return false;
    const int oldId = shape->GetId();
    auto it = m_shapes.find(oldId);
    if (it == m_shapes.end() || it->second != shape || m_shapes.count(newId))
        return false;
    m_shapes.erase(it);
    shape->SetId(newId);
    m_shapes.emplace(newId, shape);
    ++m_changeCount;
    if (newId >= m_nextShapeId)
        m_nextShapeId = newId + 1;
    auto db = m_dbIds.find(shape->GetDatabaseId());
    if (shape->GetDatabaseId() != 0 && db != m_dbIds.end() && db->second == oldId)
        db->second = newId;
    return true;
}

bool CShapeMap::IsProtected(CShape* shape) const
{
    if (!shape)
        return false;
    if (shape->GetId() < 1)
        return true;
    return std::find(m_rootGroups.begin(), m_rootGroups.end(), shape) != m_rootGroups.end();
}

int CShapeMap::RemoveShape(CShape* shape)
{
    if (!shape)
        return 0;
    if (IsProtected(shape))
        return 1;
    auto it = m_shapes.find(shape->GetId());
    if (it == m_shapes.end() || it->second != shape)
        return 0;
    // Only an entry that names this shape leaves the database-ID table: the entry of its database
    // ID may name another shape by now (SetDbId gives an ID to the shape named last).
    if (shape->GetDatabaseId() != 0) {
        auto db = m_dbIds.find(shape->GetDatabaseId());
        if (db != m_dbIds.end() && db->second == shape->GetId())
            m_dbIds.erase(db);
    }
    if (m_control) {
        if (m_control->GetRootGroup() == shape)
            m_control->SetRootId(BASE_ID);
        if (m_control->GetCurrentLayer() == shape) {
            CLayer* next = nullptr;
            if (CGroup* layers = m_control->GetLayersGroup()) {
                for (int i = 0; i < layers->GetShapeCount(); ++i) {
                    CShape* child = layers->GetChildAt(i);
                    if (child != shape && child->GetShapeType() == stLayer) {
                        next = static_cast<CLayer*>(child);
                        break;
                    }
                }
            }
            m_control->SetCurrentLayer(next);
        }
    }
    for (CGroup* overlay : m_overlayGroups)
        if (overlay != shape)
            overlay->RemoveChild(shape);
    if (m_control)
        m_control->ForgetShape(shape);
    m_shapes.erase(it);
    ++m_changeCount;
    return 0;
}

CShape* CShapeMap::Lookup(int id) const
{
    auto it = m_shapes.find(id);
    return it == m_shapes.end() ? nullptr : it->second;
}

int CShapeMap::DeleteShape(CShape* shape)
{
    const int refused = RemoveShape(shape);
    if (!refused)
        delete shape;
    return refused;
}

void CShapeMap::DeleteAll()
{
    while (CShape* shape = TakeFirst()) {
        shape->DetachFromParent();
        delete shape;
    }
}

CShape* CShapeMap::TakeFirst()
{
    if (m_shapes.empty())
        return nullptr;
    CShape* shape = m_shapes.begin()->second;
    m_shapes.erase(m_shapes.begin());
    ++m_changeCount;
    m_overlayGroups.erase(std::remove(m_overlayGroups.begin(), m_overlayGroups.end(), shape), m_overlayGroups.end());
    m_rootGroups.erase(std::remove(m_rootGroups.begin(), m_rootGroups.end(), shape), m_rootGroups.end());
    return shape;
}

int CShapeMap::AddRootGroup(CGroup* group)
{
    if (!group || std::find(m_rootGroups.begin(), m_rootGroups.end(), group) != m_rootGroups.end())
        return 1;
    m_rootGroups.push_back(group);
    return 0;
}

int CShapeMap::RemoveRootGroup(CGroup* group)
{
    auto it = std::find(m_rootGroups.begin(), m_rootGroups.end(), group);
    if (!group || it == m_rootGroups.end())
        return 1;
    m_rootGroups.erase(it);
    return 0;
}

void CShapeMap::AddOverlayGroup(CGroup* group)
{
    if (group && std::find(m_overlayGroups.begin(), m_overlayGroups.end(), group) == m_overlayGroups.end())
        m_overlayGroups.push_back(group);
}

void CShapeMap::RemoveOverlayGroup(CGroup* group)
{
    m_overlayGroups.erase(std::remove(m_overlayGroups.begin(), m_overlayGroups.end(), group), m_overlayGroups.end());
}

void CShapeMap::SetDbId(int dbId, int shapeId)
{
    if (dbId == 0)
        return;
    // A load reads shapes mostly with rising database IDs: placed at the end without a search.
    if (m_dbIds.empty() || dbId > m_dbIds.rbegin()->first)
        m_dbIds.emplace_hint(m_dbIds.end(), dbId, shapeId);
    else
        m_dbIds[dbId] = shapeId;
}

void CShapeMap::RemoveDbId(int dbId) { m_dbIds.erase(dbId); }

CShape* CShapeMap::FindByDbId(int dbId) const
{
    auto it = FindDbId(dbId);
    return it == m_dbIds.end() ? nullptr : Lookup(it->second);
}

std::map<int, int>::const_iterator CShapeMap::FindDbId(int dbId) const
{
    // Above the highest ID known (a shape new to a load): absent without a search.
    if (m_dbIds.empty() || dbId > m_dbIds.rbegin()->first)
        return m_dbIds.end();
    return m_dbIds.find(dbId);
}

void CShapeMap::SetSourceSite(int dbId, int siteId)
{
    // A load's temporary database IDs count down: each new one goes in front without a search.
    if (m_sourceSites.empty() || dbId < m_sourceSites.begin()->first) {
        m_sourceSites.emplace_hint(m_sourceSites.begin(), dbId, siteId);
        return;
    }
    m_sourceSites[dbId] = siteId;
}

void CShapeMap::AddSourceSite(int dbId, int siteId)
{
    if (m_sourceSites.empty() || dbId > m_sourceSites.rbegin()->first)
        m_sourceSites.emplace_hint(m_sourceSites.end(), dbId, siteId);
    else
        m_sourceSites.emplace(dbId, siteId);
}

int CShapeMap::GetSourceSite(int dbId) const
{
    auto it = m_sourceSites.find(dbId);
    return it == m_sourceSites.end() ? -1 : it->second;
}

int CShapeMap::GetSourceSiteOfShape(int shapeId) const
{
    CShape* shape = Lookup(shapeId);
    return shape ? GetSourceSite(shape->GetDatabaseId()) : -1;
}

HRESULT CShapeMap::ReadNextDbId(COdbcSession& session)
{
    RETURN_IF_FAILED(session.Exec(CLSID_YVEXControl, ShapeSql::MaxShapeId));
    // An empty table (NULL) starts at 1, and so does anything below.
    m_nextDbShapeId = ReadMaxIdResult(session.Statement(), 0) + 1;
    if (m_nextDbShapeId < 1)
        m_nextDbShapeId = 1;
    return S_OK;
}

bool CShapeMap::MakeTemporaryDbIds()
{
    int smallest = 0;
    for (const auto& entry : m_shapes)
        smallest = std::min(smallest, entry.second->GetDatabaseId());
    m_nextDbShapeId = smallest - 1;
    return m_nextDbShapeId < -1;
}

void CShapeMap::ResetAfterSave()
{
    for (const auto& entry : m_shapes)
        entry.second->ClearDatabaseId();
    m_dbIds.clear();
    m_nextDbShapeId = 1;
}

void CShapeMap::BeginLoadedIds() { m_loadedIds = std::make_unique<std::set<int>>(); }

void CShapeMap::EndLoadedIds() { m_loadedIds.reset(); }

void CShapeMap::ForgetLoadedId(CShape* shape)
{
    if (m_loadedIds && shape)
        m_loadedIds->erase(shape->GetId());
}

int CShapeMap::TakeTemporaryDbId()
{
    if (m_nextDbShapeId >= 0)
        MakeTemporaryDbIds();
    return m_nextDbShapeId--;
}

void CShapeMap::AddAuxId(int shapeId)
{
    if (!m_auxIds)
        m_auxIds = std::make_unique<std::set<int>>();
    m_auxIds->insert(shapeId);
}

void CShapeMap::AddAuxIdsOf(int pointId)
{
    CPointRecord* point = m_control ? m_control->GetPointPool().Find(pointId) : nullptr;
    if (!point)
        return;
    for (int owner : point->GetOwners())
        AddAuxId(owner);
}

CShape* CShapeMap::LoadShapeFromTables(CDataTableSet* tables, DWORD mode, int storedKey)
{
    CShapesTable* table = tables ? tables->Shapes() : nullptr;
    if (!table)
        return nullptr;
    const CShapesRecord* cursor = table->GetCurrent();
    const bool hadCursor = cursor != nullptr;
    const int32_t cursorKey = hadCursor ? cursor->ShapeID : 0;
    auto restoreCursor = [&]() {
        if (hadCursor)
            table->FindRecord(cursorKey);
        else
            table->SeekKey(table->GetMaxKey() + 1); // a key never held: the end
    };

    const CShapesRecord* found = table->FindRecord(storedKey);
    if (!found) {
        restoreCursor();
        return nullptr;
    }
    const CShapesRecord record = *found;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    CShape* shape = nullptr;
    if (record.Number == SELECTION_ID || record.Number == CLIPBOARD_ID || record.Number == WINDOW_ID ||
        record.Number == HIGHLIGHTS_ID) {
        shape = nullptr;
    } else if (record.Number <= DEFAULT_IMAGE_ID) {
        shape = Lookup(record.Number);
    } else {
        const int current = tables->StoredToCurrentId(storedKey, 0, static_cast<int>(mode));
        shape = current != CDataTableSet::kNoIdMapping ? Lookup(current) : nullptr;
        if (!shape && (keepIds || current == CDataTableSet::kNoIdMapping)) {
            const int id = keepIds ? storedKey : kNewId;
            shape = CreateShape(record.ShapeTypeID, true, true, &id);
            if (shape) {
                if (!keepIds)
                    tables->AddIdMapping(shape->GetId(), storedKey, 0);
                table->FindRecord(storedKey);
                if (FAILED(shape->SaveToTables(tables, mode | DXFMODE_LOAD, 0)) && !shape->GetParent()) {
                    if (!keepIds)
                        tables->RemoveIdMapping(shape->GetId(), storedKey, 0);
                    DeleteShape(shape);
                    shape = nullptr;
                }
            }
        }
    }
    restoreCursor();
    return shape;
}

CShape* CShapeMap::CreateReplacement(int shapeId, int type)
{
    std::unique_ptr<CShape> replacement(CreateShape(type, true, false));
    CShape* made = replacement.get();
    if (made)
        m_replacements[shapeId] = std::move(replacement);
    return made;
}

CShape* CShapeMap::FindReplacement(int shapeId) const
{
    auto it = m_replacements.find(shapeId);
    return it == m_replacements.end() ? nullptr : it->second.get();
}

void CShapeMap::DropReplacement(int shapeId) { m_replacements.erase(shapeId); }

std::unique_ptr<CShape> CShapeMap::TakeReplacement(int shapeId)
{
    auto it = m_replacements.find(shapeId);
    if (it == m_replacements.end())
        return nullptr;
    std::unique_ptr<CShape> taken = std::move(it->second);
    m_replacements.erase(it);
    return taken;
}

void CShapeMap::ClearReplacements() { m_replacements.clear(); }
