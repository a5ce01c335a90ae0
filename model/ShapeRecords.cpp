// A shape's exchange with the record tables of a CDataTableSet (archives, clipboard, block
// library, snapshot undo): its Shapes record with the keys of its parent and layer, its points
// with their ShapePoints and LinkedPoints records, and the links to its attribute groups and
// attributes; both directions, steered by the mode word (DXFProcessingModes).
//
// Keys. With DXFMODE_USE_YVEX_IDENTIFIERS every record is keyed by the object's own ID. Without
// it records are numbered by the set: a shape or point stored for the first time takes the
// table's next key, and the set's ID maps remember which key it took. Such a key is never taken
// for a database ID: the row of that ID in the database belongs to some other shape or point.
#include "model/Shape.h"
#include "automation/ResultCodes.h"
#include "model/AttributeBase.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/PointPool.h"
#include "model/ShapeHost.h"
#include "model/ShapeIndex.h"
#include "persistence/DataTableSet.h"
#include "com/HResult.h"
#include "YVEX_h.h"
#include <algorithm>
#include <cstdlib>
#include <utility>
#include <unordered_set>
#include <vector>

namespace {

const DWORD kGroupAware = DXFMODE_BLOCKS;                   // 0x2
const DWORD kLoad = DXFMODE_LOAD;                           // 0x4
const DWORD kSingleObject = DXFMODE_SINGLE_OBJECT;          // 0x100
const DWORD kKeepIds = DXFMODE_USE_YVEX_IDENTIFIERS;        // 0x400
const DWORD kRelatedByCaller = DXFMODE_PROCESS_TREE_ONLY;   // 0x800
const DWORD kIgnoreLayers = DXFMODE_IGNORE_LAYERS;          // 0x40
// The stored key of a shape whose parent could not be found on restore.
const int kDroppedShape = kStoredNoTranslation;
// The first ID of the drawing's own shapes: below it lie the fixed groups, the base layer and the
// prototypes.
const int kFirstOrdinaryId = 12;

bool IsPolylineFamily(int type) { return type == stRectangle || type == stPolyline || type == stPolygon; }
bool IsEllipseFamily(int type) { return type == stArc || type == stCircle || type == stEllipse; }

// A record of one kind may be read into a shape of the other kinds of its family.
bool IsShapeTypeCompatible(int a, int b)
{
    return a == b || (IsPolylineFamily(a) && IsPolylineFamily(b)) || (IsEllipseFamily(a) && IsEllipseFamily(b));
}

// Puts the Shapes table's cursor back where it stood.
class CShapesCursorGuard
{
public:
    explicit CShapesCursorGuard(CShapesTable* table) : m_table(table)
    {
        const CShapesRecord* current = table->GetCurrent();
        m_had = current != nullptr;
        m_key = m_had ? current->ShapeID : 0;
    }
    ~CShapesCursorGuard()
    {
        if (m_had)
            m_table->FindRecord(m_key);
        else
            m_table->SeekKey(m_table->GetMaxKey() + 1); // a key never held: the end
    }
    CShapesCursorGuard(const CShapesCursorGuard&) = delete;
    CShapesCursorGuard& operator=(const CShapesCursorGuard&) = delete;

private:
    CShapesTable* m_table;
    bool m_had;
    int32_t m_key;
};

// The key of a point in the set: its own ID when identifiers are kept, else the key the set gave
// it (0: not stored in this set).
int StoredPointKey(CDataTableSet* tables, DWORD mode, const CPointRecord* point)
{
    if (mode & kKeepIds)
        return point->GetPointId();
    const int key = tables->CurrentToStoredId(point->GetPointId(), 1, static_cast<int>(mode));
    return key == CDataTableSet::kNoIdMapping ? 0 : key;
}

} // namespace

int CShape::SourceSiteForTables()
{
    if (!m_control)
        return 0;
    CShapeIndex& map = m_control->GetShapeMap();
    if (m_databaseId != 0) {
        const int site = map.GetSourceSite(m_databaseId);
        if (site != -1)
            return site;
        map.SetSourceSite(m_databaseId, m_control->GetSiteId());
    }
    return m_control->GetSiteId();
}

int CShape::GetStoredKey(CDataTableSet* tables, DWORD mode, bool* alreadyStored, int* databaseId)
{
    if (alreadyStored)
        *alreadyStored = false;
    if (mode & kKeepIds) {
        if (databaseId)
            *databaseId = m_databaseId;
        if ((mode & kGroupAware) && (m_shapeType == stGroup || m_shapeType == stReference) && tables &&
            m_id == tables->GetFirstStoredShapeId()) {
            if (alreadyStored)
                *alreadyStored = true;
            return 0;
        }
        return m_id;
    }
    if (databaseId)
        *databaseId = 0;
    const int key = tables ? tables->CurrentToStoredId(m_id, 0, static_cast<int>(mode)) : CDataTableSet::kNoIdMapping;
    return key == CDataTableSet::kNoIdMapping ? 0 : key;
}

int CShape::GetRelativeKey(CDataTableSet* tables, DWORD mode, bool layer)
{
    CShape* relative = layer ? static_cast<CShape*>(m_layer) : static_cast<CShape*>(m_parent);
    if (!relative || !tables || !tables->Shapes())
        return kNoStoredRelative;
    CShapesTable* table = tables->Shapes();
    const bool keep = (mode & kKeepIds) != 0;
    // A relative saved here is saved alone: were its children saved with it, this shape would be
    // saved in the middle of its own save.
    const DWORD relativeMode = mode & ~kGroupAware;

    // The set's own stored group stands under key 0.
    if (!layer && (mode & kGroupAware) && keep && relative->GetId() == tables->GetFirstStoredShapeId() &&
        (relative->GetShapeType() == stGroup || relative->GetShapeType() == stReference)) {
        if (!(mode & kRelatedByCaller) && !table->FindRecord(0) &&
            FAILED(relative->SaveToTables(tables, relativeMode, 0)))
            return kNoStoredRelative;
        return 0;
    }

    bool unused = false;
    int key = relative->GetStoredKey(tables, mode, &unused, nullptr);
    if (!keep && key == 0) {
        // Not in the set yet. When the caller stores relatives itself, this shape cannot refer
        // to it now and is left out; otherwise the relative is stored first.
        if (mode & kRelatedByCaller)
            return kNoStoredRelative;
        if (FAILED(relative->SaveToTables(tables, relativeMode, 0)))
            return kNoStoredRelative;
        key = relative->GetStoredKey(tables, mode, &unused, nullptr);
        return key != 0 && table->FindRecord(key) ? key : kNoStoredRelative;
    }

    if (!layer && (mode & kGroupAware)) {
        CGroup* root = m_control ? m_control->GetRootGroup() : nullptr;
        const bool customChildOfReference =
            (m_protectionFlags & sdbfCustomChild) && m_parent->GetShapeType() == stReference;
        const bool labelOfReference = IsAttributeOrLabel() && m_parent->GetShapeType() == stReference;
        if (!root || m_parent->GetId() < 0 || table->FindRecord(key) || !(customChildOfReference || labelOfReference))
            return key;
        // A custom child or label of a block reference that is not stored goes under the root.
        bool rootStored = false;
        const int rootKey = root->GetStoredKey(tables, mode, &rootStored, nullptr);
        return keep ? root->GetId() : rootKey;
    }

    const CShapesRecord* record = table->FindRecord(key);
    if (record && record->Number == (keep ? key : relative->GetId()))
        return key;
    if (mode & kRelatedByCaller)
        return key;
    if (FAILED(relative->SaveToTables(tables, relativeMode, 0)))
        return kNoStoredRelative;
    key = relative->GetStoredKey(tables, mode, &unused, nullptr);
    return table->FindRecord(key) ? key : kNoStoredRelative;
}

HRESULT CShape::SaveToTables(CDataTableSet* tables, DWORD mode, DWORD)
{
    if (!tables)
        return E_INVALIDARG;
    CShapesTable* table = tables->Shapes();
    const bool keep = (mode & kKeepIds) != 0;
    if (!table) {
        // A set of points and links only (snapshot undo).
        RETURN_IF_FAILED(LoadPointsFromTables(tables, mode, 0));
        SaveAttributesToTables(tables, mode, 0);
        return S_FALSE;
    }

    if (mode & kLoad) {
        const CShapesRecord* current = table->GetCurrent();
        if (!current)
            return E_ACCESSDENIED;
        const CShapesRecord record = *current;
        if (!IsShapeTypeCompatible(record.ShapeTypeID, m_shapeType))
            return E_UNEXPECTED;
        if (keep && m_databaseId == 0)
            m_databaseId = record.DatabaseID;
        // The shape answers to its record's key from now on (the restore that made it may have
        // entered the pair already).
        if (!keep && tables->CurrentToStoredId(m_id, 0, static_cast<int>(mode)) == CDataTableSet::kNoIdMapping)
            tables->AddIdMapping(m_id, record.ShapeID, 0);
        SetPenWeight(static_cast<float>(record.PenWeight));
        SetPenColor(static_cast<DWORD>(record.PenColor));
        m_tag = record.Tag;
        SetVisible((mode & DXFMODE_ALL_VISIBLE) || record.Visible != 0);
        SetStateBits(stEnabled, (mode & DXFMODE_ALL_ENABLED) || record.Enabled != 0);
        m_linePatternScale = static_cast<float>(record.LinePatternScale);
        // A shape read again in its group takes its place there anew (an undone Z-order change).
        const float z = static_cast<float>(record.ZOrder);
        SetZOrder(z, m_parent != nullptr && z != GetZOrder());
        SetHatchColor(static_cast<DWORD>(record.HatchColor));
        // 0x8000 (by block) travels in 16 bits as -32768.
        SetLinePatternId(record.LinePatternID < -1 ? -record.LinePatternID : record.LinePatternID);
        SetHatchPatternId(record.HatchPatternID < -1 ? -record.HatchPatternID : record.HatchPatternID);
        SetStateBits(stScalePenWeight, record.ScalePenWeight != 0);
        m_hatchPatternScale = static_cast<float>(record.HatchPatternScale);
        SetProtectionFlagsMasked(static_cast<DWORD>(record.Flags), 0xFE0FE0);
        if (keep || record.GroupShapeID != kNoStoredRelative) {
            if (FAILED(AttachToStoredRelative(tables, record.GroupShapeID, mode, false)))
                return E_FAIL;
        }
        if (record.LayerShapeID > 0) {
            if (FAILED(AttachToStoredRelative(tables, record.LayerShapeID, mode, true)))
                return E_FAIL;
        }
        if (m_databaseId != 0 && m_control)
            m_control->GetShapeMap().SetSourceSite(m_databaseId, record.SiteID);
        RETURN_IF_FAILED(LoadPointsFromTables(tables, mode, 0));
        RETURN_IF_FAILED(SaveAttributesToTables(tables, mode, 0));
        return S_OK;
    }

    if (!(m_state & stPersistent))
        return S_FALSE;
    bool alreadyStored = false;
    int key = GetStoredKey(tables, mode, &alreadyStored, nullptr);

    // The relatives first: a shape that cannot name them is not stored.
    int parentKey = kNoStoredRelative;
    if (!alreadyStored) {
        parentKey = GetRelativeKey(tables, mode, false);
        if (m_parent && parentKey == kNoStoredRelative && !keep)
            return S_FALSE;
    }
    const int layerKey = GetRelativeKey(tables, mode, true);
    if (m_layer && layerKey == kNoStoredRelative)
        return S_FALSE;

    if (!keep && key == 0) {
        key = table->NewKey();
        tables->AddIdMapping(m_id, key, 0);
    }
    CShapesRecord record;
    // A record stored before keeps what this save does not set.
    if (const CShapesRecord* existing = table->FindRecord(key))
        record = *existing;
    record.ShapeID = key;
    record.DatabaseID = keep ? m_databaseId : 0;
    record.PenWeight = GetPenWeight();
    record.PenColor = static_cast<int32_t>(m_penColor);
    record.Tag = m_tag;
    record.Number = keep ? key : m_id;
    record.Visible = (mode & DXFMODE_ALL_VISIBLE) ? 1 : ((m_state & stVisible) ? 1 : 0);
    record.Enabled = (mode & DXFMODE_ALL_ENABLED) ? 1 : ((m_state & stEnabled) ? static_cast<int32_t>(stEnabled) : 0);
    record.LinePatternScale = m_linePatternScale;
    record.ZOrder = GetZOrder();
    record.HatchColor = static_cast<int32_t>(m_hatchColor);
    record.ShapeTypeID = m_shapeType;
    record.SiteID = SourceSiteForTables();
    record.LinePatternID = GetLinePatternId();
    record.GroupShapeID = parentKey;
    record.HatchPatternID = GetHatchPatternId();
    record.LayerShapeID = layerKey;
    record.ScalePenWeight = (m_state & stScalePenWeight) ? 1 : 0;
    record.HatchPatternScale = m_hatchPatternScale;
    record.Flags = static_cast<int32_t>(GetProtectionFlagsMasked(0xFFFFFFFF));
    if (CShapesRecord* existing = table->FindRecord(key))
        *existing = record;
    else
        table->Insert(record);

    if ((mode & (kGroupAware | kRelatedByCaller)) && IsGroup()) {
        const std::vector<CShape*> children = static_cast<CGroup*>(this)->Children();
        for (CShape* child : children) {
            RETURN_IF_FAILED(child->SaveToTables(tables, mode, 0));
        }
    }
    RETURN_IF_FAILED(LoadPointsFromTables(tables, mode, 0));
    RETURN_IF_FAILED(SaveAttributesToTables(tables, mode, 0));
    return S_OK;
}

HRESULT CShape::AttachToStoredRelative(CDataTableSet* tables, int storedKey, DWORD mode, bool layer)
{
    CShapesTable* table = tables ? tables->Shapes() : nullptr;
    if (!table || !m_control)
        return E_FAIL;
    // No parent was stored: nothing to attach to.
    if (!layer && storedKey == kNoStoredRelative)
        return S_FALSE;
    CShapesCursorGuard cursor(table);
    CShapeIndex& map = m_control->GetShapeMap();
    const bool keep = (mode & kKeepIds) != 0;
    const bool groupAware = (mode & kGroupAware) != 0;

    const CShapesRecord* record = table->FindRecord(storedKey);
    // Without a record a key of 0 or below names a fixed group itself.
    const int target = record ? record->Number : ((!layer && storedKey <= 0) ? storedKey : kFirstOrdinaryId);

    if (!layer) {
        // Where the stored chain of parents ends decides whether the shape goes anywhere.
        bool test = false;
        int number = target;
        if (record) {
            test = true;
            int up = record->GroupShapeID;
            while (number >= kFirstOrdinaryId && up != kNoStoredRelative) {
                const CShapesRecord* r = table->FindRecord(up);
                if (!r) {
                    test = false;
                    break;
                }
                number = r->Number;
                up = r->GroupShapeID;
            }
        } else {
            test = target < kFirstOrdinaryId;
        }
        if (test && (number == CLIPBOARD_ID || (groupAware && (number == DEFAULT_SHAPES_ID || number >= 2))))
            return S_FALSE;
    }

    CShape* found = nullptr;
    bool direct = false;
    if (layer) {
        if (mode & kIgnoreLayers) {
            direct = true;
            found = m_control->GetCurrentLayer();
            CGroup* layers = m_control->GetLayersGroup();
            if (!found && layers && layers->GetShapeCount() > 0)
                found = layers->GetChildAt(0);
        } else if (target < kFirstOrdinaryId) {
            direct = true;
            found = map.Lookup(target);
        }
    } else {
        CGroup* currentGroup = m_control->FindGroup(m_control->GetActiveGroupID());
        if (groupAware && (target == 0 || storedKey == tables->GetFirstStoredShapeId()) && currentGroup &&
            currentGroup->GetShapeType() == stGroup) {
            direct = true;
            found = currentGroup;
        } else if (target < kFirstOrdinaryId) {
            direct = true;
            found = map.Lookup(target);
        }
    }

    bool translated = true;
    if (!direct) {
        auto current = [&]() {
            return keep ? storedKey : tables->StoredToCurrentId(storedKey, 0, static_cast<int>(mode));
        };
        int id = current();
        found = id != CDataTableSet::kNoIdMapping ? map.Lookup(id) : nullptr;
        if (!found) {
            map.LoadShapeFromTables(tables, mode | kSingleObject, storedKey);
            id = current();
            found = id != CDataTableSet::kNoIdMapping ? map.Lookup(id) : nullptr;
        }
        translated = id != CDataTableSet::kNoIdMapping && id != kDroppedShape;
        if (!translated && !keep && !layer) {
            const int own = tables->CurrentToStoredId(m_id, 0, static_cast<int>(mode));
            if (own != CDataTableSet::kNoIdMapping)
                tables->AddIdMapping(kDroppedShape, own, 0);
        }
    }

    if (found && !layer && found->IsGroup()) {
        CGroup* group = static_cast<CGroup*>(found);
        if (m_parent == group)
            return S_OK;
        return group->AddChild(this, nullptr, 1, false) == 0 ? S_OK : E_FAIL;
    }
    if (found && layer && found->GetShapeType() == stLayer) {
        SetLayer(static_cast<CLayer*>(found));
        return S_OK;
    }
    if (!layer && m_shapeType == stLayer && translated) {
        CGroup* layers = m_control->GetLayersGroup();
        if (layers && (m_parent == layers || layers->AddChild(this, nullptr, 1, false) == 0))
            return S_OK;
    }
    return E_FAIL;
}

HRESULT CShape::LoadPointsFromTables(CDataTableSet* tables, DWORD mode, DWORD)
{
    if (!tables)
        return E_INVALIDARG;
    CPointsTable* points = tables->Points();
    CShapePointsTable* shapePoints = tables->ShapePoints();
    CLinkedPointsTable* linkedPoints = tables->LinkedPoints();
    if (!points && !shapePoints && !linkedPoints)
        return S_FALSE;
    const bool keep = (mode & kKeepIds) != 0;
    bool alreadyStored = false;
    const int shapeKey = GetStoredKey(tables, mode, &alreadyStored, nullptr);

    if (mode & kLoad) {
        if (shapePoints && shapePoints->SeekSecondaryKey(shapeKey, 0)) {
            // The stored order: lower positions first, so each lands where its record says.
            std::vector<std::pair<int, int>> stored;
            while (const CShapePointsRecord* r = shapePoints->NextInOrder()) {
                if (r->ShapeID != shapeKey)
                    break;
                stored.emplace_back(r->Number, r->PointID);
            }
            std::stable_sort(stored.begin(), stored.end(),
                             [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
            // The points the shape has: a search of its list for each point read would make a
            // shape of many points quadratic.
            std::unordered_set<int> held;
            held.reserve(static_cast<size_t>(m_points.GetCount()) + stored.size());
            for (int i = 0; i < m_points.GetCount(); ++i)
                held.insert(m_points.GetAt(i)->GetPointId());
            for (const auto& entry : stored) {
                CPointRecord* point = SavePointToTables(tables, mode, entry.second, false);
                if (!point)
                    continue;
                const int pointId = point->GetPointId();
                if (!held.count(pointId)) {
                    // New to the shape: in at its place (as AddPointById, without its search).
                    if (InsertPoint(point, entry.first, true) == S_OK)
                        held.insert(pointId);
                    continue;
                }
                const int index = m_points.IndexOf(pointId);
                if (index >= 0 && index != entry.first)
                    MovePointWithin(pointId, entry.first);
            }
        }
        if (linkedPoints && linkedPoints->SeekSecondaryKey(shapeKey, 0)) {
            std::vector<int> stored;
            while (const CLinkedPointsRecord* r = linkedPoints->NextInOrder()) {
                if (r->ShapeID != shapeKey)
                    break;
                stored.push_back(r->PointID);
            }
            for (int pointKey : stored)
                if (CPointRecord* point = SavePointToTables(tables, mode, pointKey, false))
                    LinkPoint(point->GetPointId());
        }
        return S_OK;
    }

    auto storePoint = [&](CPointRecord* point) -> int {
        int pointKey = StoredPointKey(tables, mode, point);
        if (pointKey != 0 && points && points->FindRecord(pointKey))
            return pointKey;
        if (mode & kRelatedByCaller) {
            // The caller's point exchange writes the point with its links.
            if (m_control)
                m_control->ExchangePointTables(tables, mode | kSingleObject, point->GetPointId());
            return StoredPointKey(tables, mode, point);
        }
        if (!points)
            return pointKey;
        if (FAILED(point->SaveToTables(tables, mode, SourceSiteForTables())))
            return 0;
        if (!keep) {
            pointKey = points->GetMaxKey();
            tables->AddIdMapping(point->GetPointId(), pointKey, 1);
        }
        if (m_control && point->GetDatabaseId() >= 1)
            m_control->GetPointPool().SetDatabaseId(point->GetDatabaseId(), *point);
        return StoredPointKey(tables, mode, point);
    };

    int number = 0;
    for (CPointRecord* point : m_points) {
        const int index = number++;
        const int pointKey = storePoint(point);
        if (pointKey != 0 && shapePoints)
            shapePoints->AddLinkOnce(shapeKey, index, pointKey);
    }
    for (CPointRecord* point : m_linkedPoints) {
        const int pointKey = storePoint(point);
        if (pointKey != 0 && linkedPoints)
            linkedPoints->AddLinkOnce(shapeKey, pointKey);
    }
    return S_OK;
}

CPointRecord* CShape::SavePointToTables(CDataTableSet* tables, DWORD mode, int storedKey, bool mustExist)
{
    if (!tables || !m_control)
        return nullptr;
    CPointsTable* points = tables->Points();
    CPointPool& pool = m_control->GetPointPool();
    const int current = tables->StoredToCurrentId(storedKey, 1, static_cast<int>(mode));
    CPointRecord* point = current >= 1 ? pool.Find(current) : nullptr;
    const bool recorded = points && points->FindRecord(storedKey);
    if (point) {
        if (recorded)
            point->SaveToTables(tables, mode | kLoad, 0);
        return point;
    }
    // Without its Points record no point can be made, whether or not it must exist.
    (void)mustExist;
    if (!recorded)
        return nullptr;
    if (FAILED(pool.ExchangeTables(tables, mode | kLoad | kSingleObject, storedKey)))
        return nullptr;
    const int made = tables->StoredToCurrentId(storedKey, 1, static_cast<int>(mode));
    return made >= 1 ? pool.Find(made) : nullptr;
}

HRESULT CShape::SaveAttributesToTables(CDataTableSet* tables, DWORD mode, DWORD)
{
    if (!tables)
        return E_INVALIDARG;
    CShapeAttributeGroupsTable* groupLinks = tables->ShapeAttributeGroups();
    CShapeAttributesTable* valueLinks = tables->ShapeAttributes();
    if (!groupLinks && !valueLinks)
        return S_FALSE;
    // Restoring a link needs the attribute object of the stored key, which the control's
    // attribute model hands out; the shape itself holds none to look up.
    if (mode & kLoad)
        return S_FALSE;
    const bool keep = (mode & kKeepIds) != 0;
    bool alreadyStored = false;
    const int shapeKey = GetStoredKey(tables, mode, &alreadyStored, nullptr);

    // Links to groups and attributes whose records the set holds.
    CAttributeGroupsTable* groups = tables->AttributeGroups();
    for (int i = 0; groupLinks && groups && m_attributeGroups && i < m_attributeGroups->GetCount(); ++i) {
        const CAttributeBase* group = m_attributeGroups->GetAt(i);
        const int key = group ? (keep ? group->GetId() : group->GetDatabaseId()) : 0;
        if (key == 0 || !groups->FindRecord(key) ||
            groupLinks->AnyInOrder(shapeKey, 0, [key](const CShapeAttributeGroupsRecord& r) { return r.AttributeGroupID == key; }))
            continue;
        CShapeAttributeGroupsRecord record;
        record.RecordNumber = groupLinks->NewKey();
        record.AttributeGroupID = key;
        record.ShapeID = shapeKey;
        groupLinks->Insert(record);
    }
    CAttributesTable* attributes = tables->Attributes();
    for (int i = 0; valueLinks && attributes && m_attributes && i < m_attributes->GetCount(); ++i) {
        const CAttributeBase* attribute = m_attributes->GetAt(i);
        const int key = attribute ? (keep ? attribute->GetId() : attribute->GetDatabaseId()) : 0;
        if (key == 0 || !attributes->FindRecord(key) ||
            valueLinks->AnyInOrder(shapeKey, 0, [key](const CShapeAttributesRecord& r) { return r.AttributeID == key; }))
            continue;
        CShapeAttributesRecord record;
        record.RecordNumber = valueLinks->NewKey();
        record.ShapeID = shapeKey;
        record.AttributeID = key;
        valueLinks->Insert(record);
    }
    return S_OK;
}
