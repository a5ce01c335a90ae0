// The drawing between the model and a record-table set, section by section: the one routine
// through which the control's own formats and the snapshot undo units restore a drawing.
#include "control/ControlCore.h"
#include "control/ViewportList.h"
#include "interchange/ImageResourceMap.h"
#include "model/AttributeGroupMap.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "persistence/DrawingSettingMap.h"
#include "persistence/FileHeaderRecord.h"
#include "com/HResult.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "model/HatchPatternMap.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include <algorithm>
#include <set>

namespace {

// Data written before format version 6 carry IDs of their own time: they are always restored under
// new IDs.
bool IsBeforeVersion6(int32_t version)
{
    const uint32_t v = static_cast<uint32_t>(version);
    return v != 0 && (v & 0xFFFF) == 1 && ((v >> 16) & 0xFF) == 0 && (v >> 24) < 6;
}

} // namespace

HRESULT CControlCore::ExchangeDrawingTables(CDataTableSet* tables, DWORD mode, int* shapeId)
{
    if (!tables)
        return E_INVALIDARG;
    if ((mode & DXFMODE_LOAD) && (mode & DXFMODE_USE_YVEX_IDENTIFIERS) && tables->GetHeader() &&
        IsBeforeVersion6(tables->GetHeader()->FormatVersion))
        mode &= ~static_cast<DWORD>(DXFMODE_USE_YVEX_IDENTIFIERS);
    SetPersistState(4, mode);
    if (!(mode & DXFMODE_LOAD))
        return SaveDrawingTables(tables, mode, shapeId ? *shapeId : 0);

    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    const bool blocks = (mode & DXFMODE_BLOCKS) != 0;
    auto progress = [&](long percent) {
        if (!quiet)
            OnProgress(percent);
    };

    // An interactive operation in progress is cancelled first.
    EndInteractiveOperation(false);
    // With DXFMODE_SAVE_UNDO_DATA the restore is one undoable operation.
    bool undoOpened = false;
    if ((mode & DXFMODE_SAVE_UNDO_DATA) && m_undoRecorder) {
        m_undoRecorder->OpenOperation(opCreate);
        undoOpened = true;
    }

    // The block that receives a block restore: the group the shapes of the set's own group go
    // into is the active group while the shapes are read.
    CGroup* target = nullptr;
    bool targetCreated = false;
    CGroup* const activeBefore = m_activeGroup;

    // The sections run in order; the first failure raised ends the restore, and the closing steps
    // run on every way out.
    HRESULT result = S_OK;
    auto restore = [&]() -> HRESULT {
        // A restore that replaces the drawing starts from an empty site.
        if (!blocks && !(mode & DXFMODE_APPEND))
            ClearSite();
        if (blocks) {
            CGroup* library = GetLibraryGroup();
            if (shapeId && *shapeId != 0) {
                CShape* existing = FindShape(*shapeId);
                if (existing && existing->GetShapeType() == stGroup && existing->GetParent() == library)
                    target = static_cast<CGroup*>(existing);
            }
            if (!target) {
                CShape* made = m_shapeMap->CreateShape(stGroup, true, true);
                if (!made)
                    return E_OUTOFMEMORY;
                target = static_cast<CGroup*>(made);
                targetCreated = true;
                if (undoOpened)
                    m_undoRecorder->RecordShape(opCreate, target, false);
                target->SetName(L"LoadedBlock");
                if (CLayer* base = FindLayerById(BASE_LAYER))
                    target->SetLayer(base);
            }
            m_activeGroup = target;
        }
        if (!blocks) {
            const HRESULT siteTables = ExchangeSiteTables(tables, mode, 0);
            if (FAILED(siteTables))
                return siteTables;
        }
        progress(21);
        // Image resources join a whole-drawing restore; a block brings its pictures too.
        const HRESULT images = m_imageResources->ExchangeTables(tables, mode, 0);
        if (FAILED(images))
            return images;
        progress(22);
        // The site's hatch patterns.
        const HRESULT patterns = m_hatchPatterns->ExchangeTables(tables, mode, 0);
        if (FAILED(patterns))
            return patterns;
        if (patterns != S_FALSE)
            result = patterns;
        progress(23);
        // The attribute model: groups first, the types find their groups among them.
        const HRESULT groups = m_attributeGroups->ExchangeTables(tables, mode, 0);
        if (FAILED(groups))
            return groups;
        progress(24);
        const HRESULT types = ExchangeAttributeTypes(tables, mode, 0);
        if (FAILED(types))
            return types;
        progress(25);
        // The shapes; a failure of a whole-drawing restore is reported and the restore goes on.
        const HRESULT shapes = m_shapeMap->SerializeShapes(tables, mode, 0);
        if (FAILED(shapes))
            ReportSerializationError("YVEXControlData", 381, mode, nullptr, shapes);
        if (shapes != S_FALSE)
            result = shapes;
        progress(95);
        if (!blocks) {
            const HRESULT unitTables = ExchangeUnitTables(tables, mode, 0);
            if (FAILED(unitTables))
                return unitTables;
            const HRESULT settings = m_drawingSettings->ExchangeTables(tables, mode, 0, this);
            if (FAILED(settings))
                return settings;
            const HRESULT views = m_viewports->ExchangeTables(tables, mode, 0);
            if (FAILED(views))
                return views;
        } else if (FAILED(shapes)) {
            return shapes;
        }
        progress(96);
        // A set of points and attribute links alone (as a snapshot undo unit makes).
        if (!tables->Shapes()) {
            ExchangePointTables(tables, mode, 0);
            const HRESULT links = RestoreAttributeLinks(tables, mode, 0);
            if (FAILED(links))
                return links;
            result = links;
        }
        if (!blocks && !(mode & DXFMODE_PROCESS_TREE_ONLY))
            ApplySiteSettings();
        // References find their blocks by name, and their copies are built.
        m_shapeMap->FreeAuxMap();
        RelinkReferences();
        progress(99);
        if (blocks && target) {
            CGroup* block = target;
            const bool created = targetCreated;
            target = nullptr;
            m_activeGroup = activeBefore;
            if (created) {
                if (block->GetShapeCount() == 0) {
                    DeleteShapeTree(block, false, false);
                } else {
                    if (!(mode & DXFMODE_DO_NOT_ALIGN_SHAPES) && !block->HasPointAt(0.0f, 0.0f)) {
                        float left = 0, top = 0, right = 0, bottom = 0;
                        // The corner nearest the origin: y grows upwards, so the bottom.
                        if (SUCCEEDED(block->GetBoundingRect(&left, &top, &right, &bottom)))
                            block->Shift(-left, -std::min(top, bottom), nullptr, true);
                    }
                    if (CGroup* library = GetLibraryGroup())
                        library->AddChild(block, nullptr, 1, false);
                    if (shapeId)
                        *shapeId = block->GetId();
                }
            }
        }
        return S_OK;
    };
    HRESULT raised = E_FAIL;
    try {
        raised = restore();
    } catch (...) {
        raised = E_FAIL;
    }
    if (FAILED(raised))
        result = raised;

    // Closing, on every way out: a partial new block goes, the undo operation is committed by
    // the result, the view redrawn.
    m_activeGroup = activeBefore;
    if (target && targetCreated)
        DeleteShapeTree(target, false, false);
    m_shapeMap->FreeAuxMap();
    if (undoOpened)
        m_undoRecorder->CloseOperation(SUCCEEDED(result));
    if (IsIdle())
        RequestRedraw(rfRedrawAll, nullptr);
    if (!quiet && EventsEnabled())
        RestartRedrawTimer(0);
    return result;
}

HRESULT CControlCore::SaveDrawingTables(CDataTableSet* tables, DWORD mode, int shapeId)
{
    const bool quiet = (mode & DXFMODE_QUIET) != 0;
    const bool blocks = (mode & DXFMODE_BLOCKS) != 0;
    const bool minimal = (mode & DXFMODE_MINIMIZE_SAVED_DATA) != 0;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    auto progress = [&](long percent) {
        if (!quiet)
            OnProgress(percent);
    };
    // The header: the program's version, the group the data belong to and the current layer.
    CShape* group = m_activeGroup;
    CShape* chosen = blocks ? FindShape(shapeId) : nullptr;
    if (chosen) {
        const int type = chosen->GetShapeType();
        if ((type == stGroup || type == stReference) && chosen->GetId() > DEFAULT_IMAGE_ID)
            group = chosen;
        else if (chosen->GetParent())
            group = chosen->GetParent();
    }
    if (CFileHeaderRecord* header = tables->GetHeader()) {
        header->Reserved4 = ModuleVersion();
        if (group)
            header->Reserved5 = keepIds ? group->GetId() : group->GetDatabaseId();
        if (CLayer* layer = GetCurrentLayer())
            header->Reserved6 = keepIds ? layer->GetId() : layer->GetDatabaseId();
    }
    if (blocks && group && (group->GetShapeType() == stGroup || group->GetShapeType() == stReference))
        tables->SetFirstStoredShapeId(group->GetId());
    auto section = [](HRESULT hr) { return FAILED(hr) ? hr : S_OK; };
    HRESULT result = S_OK;
    if (!blocks) {
        result = ExchangeSiteTables(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
        progress(1);
        result = m_imageResources->ExchangeTables(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
        progress(2);
    }
    result = m_hatchPatterns->ExchangeTables(tables, mode, 0);
    RETURN_IF_FAILED(section(result));
    if (!blocks && !minimal) {
        result = ExchangeUnitTables(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
    }
    if (!blocks) {
        progress(3);
        result = m_attributeGroups->ExchangeTables(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
        progress(4);
        result = ExchangeAttributeTypes(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
        progress(5);
    }
    result = blocks ? m_shapeMap->SerializeShapes(tables, mode | DXFMODE_SINGLE_OBJECT, shapeId)
                    : m_shapeMap->SerializeShapes(tables, mode, 0);
    RETURN_IF_FAILED(section(result));
    progress(77);
    if (!blocks && !minimal) {
        result = m_drawingSettings->ExchangeTables(tables, mode, GetSiteId(), this);
        RETURN_IF_FAILED(section(result));
        progress(78);
        result = m_viewports->ExchangeTables(tables, mode, 0);
        RETURN_IF_FAILED(section(result));
        progress(79);
    }
    if (keepIds && blocks && chosen && group == chosen)
        if (CFileHeaderRecord* header = tables->GetHeader())
            header->Reserved5 = 0;
    return result;
}

HRESULT CControlCore::RestoreAttributeLinks(CDataTableSet* tables, DWORD mode, int id)
{
    if (!tables)
        return E_INVALIDARG;
    if (!(mode & DXFMODE_LOAD))
        return E_NOTIMPL;
    CShapeAttributeGroupsTable* groupLinks = tables->ShapeAttributeGroups();
    CShapeAttributesTable* valueLinks = tables->ShapeAttributes();
    if (!tables->Attributes() && !tables->AttributeGroups() && !tables->AttributeTypes() && !groupLinks && !valueLinks)
        return S_FALSE;
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    const int imode = static_cast<int>(mode);
    if (single && tables->Attributes() && !tables->Attributes()->FindRecord(id))
        return E_ACCESSDENIED;
    // The attribute values themselves come back with the attribute model; the shapes' links to
    // groups and attributes are restored by the shapes, each shape once.
    std::set<int> done;
    auto restoreShape = [&](int storedShape) {
        if (!done.insert(storedShape).second)
            return false;
        const int current = tables->StoredToCurrentId(storedShape, 0, imode);
        CShape* shape = current != CDataTableSet::kNoIdMapping ? FindShape(current) : nullptr;
        if (shape) {
            m_shapeMap->AddAuxId(current);
            shape->SaveAttributesToTables(tables, mode, 0);
        }
        return true;
    };
    if (groupLinks && !single)
        for (const auto& entry : groupLinks->GetRecords())
            restoreShape(entry.second.ShapeID);
    if (valueLinks) {
        for (const auto& entry : valueLinks->GetRecords()) {
            if (single && entry.second.AttributeID != id)
                continue;
            if (restoreShape(entry.second.ShapeID) && single)
                break;
        }
    }
    return S_OK;
}
