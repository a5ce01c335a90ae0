// The drawing between the model and a record-table set, section by section: the one routine
// through which the control's own formats and the snapshot undo units restore a drawing.
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "model/HatchPatternMap.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
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
    // Saving a drawing comes with the drawing buffers and files.
    if (!(mode & DXFMODE_LOAD))
        return E_NOTIMPL;
    (void)shapeId;

    const bool quiet = (mode & DXFMODE_QUIET) != 0;
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

    // The sections run in order; the first failure raised ends the restore, and the closing steps
    // run on every way out.
    HRESULT result = S_OK;
    auto restore = [&]() -> HRESULT {
        // A restore that replaces the drawing clears the site first, and a block restore
        // chooses its target block: both come with the drawing buffers and the clipboard.
        if ((mode & DXFMODE_BLOCKS) || !(mode & DXFMODE_APPEND))
            return E_NOTIMPL;
        // Sites and image resources join as their exchanges land; their progress steps are
        // kept.
        progress(21);
        progress(22);
        // The site's hatch patterns.
        const HRESULT patterns = m_hatchPatterns->ExchangeTables(tables, mode, 0);
        if (FAILED(patterns))
            return patterns;
        if (patterns != S_FALSE)
            result = patterns;
        progress(23);
        // Attribute groups and attribute types join with the attribute model.
        progress(24);
        progress(25);
        // The shapes; a failure is not raised for a whole-drawing restore.
        const HRESULT shapes = m_shapeMap->SerializeShapes(tables, mode, 0);
        if (shapes != S_FALSE)
            result = shapes;
        progress(95);
        // Units, drawing settings and viewports join with their owners.
        progress(96);
        // A set of points and attribute links alone (as a snapshot undo unit makes).
        if (!tables->Shapes()) {
            ExchangePointTables(tables, mode, 0);
            const HRESULT links = RestoreAttributeLinks(tables, mode, 0);
            if (FAILED(links))
                return links;
            result = links;
        }
        // The site settings and the block references join with their owners; the set of
        // touched shapes has served.
        m_shapeMap->FreeAuxMap();
        progress(99);
        return S_OK;
    };
    const HRESULT raised = restore();
    if (FAILED(raised))
        result = raised;

    // Closing, on every way out: the undo operation committed by the result, the view redrawn.
    m_shapeMap->FreeAuxMap();
    if (undoOpened)
        m_undoRecorder->CloseOperation(SUCCEEDED(result));
    if (m_idle)
        RequestRedraw(rfRedrawAll, nullptr);
    if (!quiet && EventsEnabled())
        RestartRedrawTimer(0);
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
