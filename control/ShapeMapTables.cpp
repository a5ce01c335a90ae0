// The shape map's exchange with a record-table set: the shapes section of a drawing written to or
// restored from the tables (archives, drawing buffers, clipboard data, snapshot undo).
#include "control/ShapeMap.h"
#include "control/ControlCore.h"
#include "model/Group.h"
#include "model/Layer.h"
#include "model/Shape.h"
#include "persistence/DataTableSet.h"
#include "YVEX_h.h"
#include <vector>

namespace {

// The shape state bit that marks a shape to be written.
const DWORD kWriteMark = CShape::stPersistent; // 0x10
// The first ID of the drawing's own shapes: below it lie the fixed groups, the base layer and the
// prototypes.
const int kFirstOrdinaryId = 12;
// The stored key of a block that a block restore dropped.
const int kDroppedBlock = kStoredNoTranslation;

bool IsFixedId(int id) { return id >= HIGHLIGHTS_ID && id < kFirstOrdinaryId; }

// The session groups, whose shapes are never stored: their records are skipped on load.
bool IsSessionGroupId(int id)
{
    return id == SELECTION_ID || id == CLIPBOARD_ID || id == WINDOW_ID || id == HIGHLIGHTS_ID;
}

} // namespace

HRESULT CShapeMap::SerializeShapes(CDataTableSet* tables, DWORD mode, int shapeId)
{
    if (!tables)
        return E_INVALIDARG;
    if (!tables->Shapes())
        return S_FALSE;
    return (mode & DXFMODE_LOAD) ? LoadShapesFromTables(tables, mode, shapeId) : SaveShapesToTables(tables, mode, shapeId);
}

HRESULT CShapeMap::SaveShapesToTables(CDataTableSet* tables, DWORD mode, int shapeId)
{
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    std::vector<CShape*> shapes;
    if (single) {
        CShape* shape = Lookup(shapeId);
        if (!shape)
            return S_FALSE;
        shapes.push_back(shape);
    } else {
        // Everything is marked to be written, then the mark leaves what is not part of the
        // drawing: the session groups, the clipboard's copies, the parts of block references that
        // mirror their blocks, and with DXFMODE_MINIMIZE_SAVED_DATA the prototype shapes. The
        // selection and the highlights only list shapes of the drawing: theirs keep the mark.
        for (const auto& entry : m_shapes) {
            entry.second->SetStateBits(kWriteMark, true);
            shapes.push_back(entry.second);
        }
        auto group = [this](int id) {
            CShape* shape = Lookup(id);
            return shape && shape->IsGroup() ? static_cast<CGroup*>(shape) : nullptr;
        };
        for (int id : {BASE_ID, LIBRARY_ID})
            if (CGroup* g = group(id))
                g->PropagateFlagToChildren(kWriteMark, false, false, true);
        for (int id : {SELECTION_ID, CLIPBOARD_ID, WINDOW_ID, HIGHLIGHTS_ID})
            if (CShape* s = Lookup(id))
                s->SetStateBits(kWriteMark, false);
        if (CGroup* clipboard = group(CLIPBOARD_ID))
            clipboard->SetChildFlagsMasked(kWriteMark, 0, true);
        if (mode & DXFMODE_MINIMIZE_SAVED_DATA) {
            if (CGroup* defaults = group(DEFAULT_SHAPES_ID)) {
                defaults->SetChildFlagsMasked(kWriteMark, 0, true);
                defaults->SetStateBits(kWriteMark, false);
            }
        }
    }

    HRESULT result = S_OK;
    size_t done = 0;
    for (CShape* shape : shapes) {
        // Only shapes the map still holds are written.
        if (Lookup(shape->GetId()) != shape)
            continue;
        result = shape->SaveToTables(tables, mode, 0);
        if (FAILED(result) && m_control)
            m_control->ReportSerializationError("ShapeMapTables.cpp", __LINE__, mode, shape, result);
        ++done;
        if (!(mode & DXFMODE_QUIET) && m_control)
            m_control->OnProgress(static_cast<long>(70.0 / static_cast<double>(shapes.size()) * done + 5.0));
        if (shape->GetDatabaseId() != 0)
            SetDbId(shape->GetDatabaseId(), shape->GetId());
    }
    return result;
}

void CShapeMap::DropLoadedShape(CShape* shape)
{
    ForgetLoadedId(shape);
    if (m_control)
        m_control->DeleteShapeTree(shape, false, false);
}

HRESULT CShapeMap::LoadShapesFromTables(CDataTableSet* tables, DWORD mode, int shapeId)
{
    CShapesTable* table = tables->Shapes();
    const bool single = (mode & DXFMODE_SINGLE_OBJECT) != 0;
    const bool blocks = (mode & DXFMODE_BLOCKS) != 0;
    const bool keepIds = (mode & DXFMODE_USE_YVEX_IDENTIFIERS) != 0;
    const int imode = static_cast<int>(mode);

    // The keys first: reading a shape may read its relatives and move the table's cursor.
    const CShapesRecord* cursor = table->GetCurrent();
    const bool hadCursor = cursor != nullptr;
    const int32_t cursorKey = hadCursor ? cursor->ShapeID : 0;
    std::vector<int32_t> keys;
    if (single) {
        if (!table->FindRecord(shapeId))
            return E_ACCESSDENIED;
        keys.push_back(shapeId);
    } else {
        for (const auto& entry : table->GetRecords())
            keys.push_back(entry.first);
    }

    HRESULT result = S_OK;
    size_t done = 0;
    for (int32_t key : keys) {
        ++done;
        const CShapesRecord* found = table->FindRecord(key);
        if (!found)
            continue;
        const CShapesRecord record = *found;
        const int number = record.Number;
        const bool skipped = IsSessionGroupId(number) || (blocks && number >= DEFAULT_SHAPE_ID && number <= DEFAULT_IMAGE_ID);
        if (!skipped) {
            CShape* shape = nullptr;
            if (number < kFirstOrdinaryId) {
                // A fixed group or prototype stands for the control's own, which is read again
                // with its points from the record.
                shape = Lookup(number);
                if (shape)
                    shape->RemoveAllPoints();
            } else {
                const int current = tables->StoredToCurrentId(key, 0, imode);
                if (current != CDataTableSet::kNoIdMapping && current != kDroppedBlock)
                    shape = Lookup(current);
            }

            // Shapes that stay as they are: layers the mode protects, and the fixed groups.
            bool keep = false;
            if (record.ShapeTypeID == stLayer && (mode & DXFMODE_DO_NOT_OVERWRITE_LAYERS)) {
                if (!shape && m_control) {
                    const CLayersRecord* layer = tables->Layers() ? tables->Layers()->FindRecord(key) : nullptr;
                    if (layer)
                        shape = m_control->FindLayerByName(layer->Name);
                }
                keep = shape != nullptr;
            } else if (shape && number <= 1 && shape->GetShapeType() != stLayer) {
                keep = true;
            }
            if (keep) {
                if (keepIds && shape->GetDatabaseId() == 0)
                    shape->SetDatabaseId(record.DatabaseID);
                if (!keepIds)
                    tables->AddIdMapping(shape->GetId(), key, 0);
            } else {
                const bool topOfBlock = blocks && key >= kFirstOrdinaryId && key == tables->GetFirstStoredShapeId() &&
                                        record.ShapeTypeID == stGroup;
                bool created = false;
                if (!shape && !topOfBlock) {
                    const int id = keepIds ? key : kNewId;
                    shape = CreateShape(record.ShapeTypeID, true, true, &id);
                    if (shape) {
                        created = true;
                        if (m_loadedIds)
                            m_loadedIds->insert(shape->GetId());
                        if (!keepIds)
                            tables->AddIdMapping(shape->GetId(), key, 0);
                    }
                }
                if (shape) {
                    table->FindRecord(key);
                    HRESULT hr = shape->SaveToTables(tables, mode | DXFMODE_LOAD, 0);
                    if (created) {
                        CGroup* library = m_control ? m_control->GetLibraryGroup() : nullptr;
                        const bool newBlock = blocks && !keepIds && SUCCEEDED(hr) && shape->GetShapeType() == stGroup &&
                                              library && shape->GetParent() == library;
                        if (newBlock) {
                            // An empty block whose name the library knows already is dropped:
                            // the block of that name stands for it.
                            auto* block = static_cast<CGroup*>(shape);
                            bool duplicate = false;
                            if (block->GetShapeCount() == 0 && block->GetReferrerList().empty()) {
                                for (CShape* other : library->Children())
                                    if (other != block && other->IsGroup() &&
                                        static_cast<CGroup*>(other)->GetName() == block->GetName())
                                        duplicate = true;
                            }
                            if (duplicate) {
                                tables->RemoveIdMapping(block->GetId(), key, 0);
                                tables->AddIdMapping(kDroppedBlock, key, 0);
                                DropLoadedShape(block);
                                shape = nullptr;
                            }
                        } else if (blocks && !keepIds && tables->StoredToCurrentId(key, 0, imode) == kDroppedBlock) {
                            DropLoadedShape(shape);
                            shape = nullptr;
                            hr = S_OK;
                        } else if (!shape->GetParent() && !IsFixedId(number)) {
                            // A new shape with no place in the drawing is not kept.
                            if (!keepIds)
                                tables->RemoveIdMapping(shape->GetId(), key, 0);
                            ForgetLoadedId(shape);
                            DeleteShape(shape);
                            shape = nullptr;
                            hr = S_OK;
                        }
                    }
                    // A shape of the drawing that fails to read stays: a record that cannot be
                    // read never takes a live shape away.
                    if (FAILED(hr) && shape && m_control)
                        m_control->ReportSerializationError("ShapeMapTables.cpp", __LINE__, mode, shape, hr);
                    result = hr;
                }
            }
            if (shape && shape->GetDatabaseId() != 0)
                SetDbId(shape->GetDatabaseId(), shape->GetId());
        }
        if (!single && !(mode & DXFMODE_QUIET) && m_control)
            m_control->OnProgress(static_cast<long>(70.0 / static_cast<double>(keys.size()) * done + 25.0));
    }

    if (hadCursor)
        table->FindRecord(cursorKey);
    else
        table->SeekKey(table->GetMaxKey() + 1); // a key never held: the end
    return result;
}
