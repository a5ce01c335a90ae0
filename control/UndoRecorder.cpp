#include "control/UndoRecorder.h"
#include "com/HResult.h"
#include "com/MessageBoxHook.h"
#include "control/ControlCore.h"
#include "control/ObjectIDUndoUnit.h"
#include "control/ParentUndoUnit.h"
#include "control/ResourceText.h"
#include "control/ShapeMap.h"
#include "control/SnapshotUndoUnit.h"
#include "control/UndoManager.h"
#include "control/UndoUnit.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "ui/resource.h"
#include "YVEX_h.h"
#include <algorithm>
#include <new>

namespace {
// An operation on more than this much cannot be recorded.
const long kMaxRecordedShapes = 300;
const long kMaxRecordedPoints = 600;
const long long kMaxRecordedImageBytes = 5000000;

// Whether the manager kept a reference to a unit it was given: more than the caller's own.
bool IsHeldBeyond(IUnknown* unit, ULONG own)
{
    unit->AddRef();
    return unit->Release() > own;
}

// What an operation on a shape tree would have to record.
struct TreeSize
{
    long shapes = 0;
    long points = 0;
    long long imageBytes = 0;

    void Count(CShape* shape)
    {
        if (!shape)
            return;
        if (shape->GetId() > 0)
            ++shapes;
        points += shape->GetPointCount();
        // Image shapes add the bytes of their resources once image resources exist in the control.
        if (!shape->IsGroup())
            return;
        const bool reference = shape->GetShapeType() == stReference;
        for (CShape* child : static_cast<CGroup*>(shape)->Children())
            if (!reference || child->IsAttributeOrLabel())
                Count(child);
    }
};
} // namespace

CUndoRecorder::CUndoRecorder(CControlCore* control)
    : m_control(control), m_anchor(std::make_shared<CUndoRecorder*>(this))
{
}

CUndoRecorder::~CUndoRecorder()
{
    // Units that outlive the recorder (held by the host, or by the manager's stacks as they go)
    // find no recorder from now on.
    *m_anchor = nullptr;
    m_currentUnit = nullptr;
    m_openUnits.clear();
    m_manager.Reset();
}

void CUndoRecorder::SetManager(IOleUndoManager* manager)
{
    if (manager == m_manager.Get())
        return;
    // The units being filled belong to the manager that goes.
    m_currentUnit = nullptr;
    m_openUnits.clear();
    if (m_manager) {
        m_manager.Reset();
        InterlockedIncrement(&m_suspendCount);
    }
    if (manager) {
        m_manager = manager;
        InterlockedDecrement(&m_suspendCount);
        // Our own manager learns whose drawing it undoes, so that it waits while that is busy.
        if (CUndoManager* own = CUndoManager::FromInterface(manager))
            own->BindRecorder(m_anchor);
    }
}

void CUndoRecorder::Suspend() { InterlockedIncrement(&m_suspendCount); }

void CUndoRecorder::Resume() { InterlockedDecrement(&m_suspendCount); }

LONG CUndoRecorder::GetQueueMaxLength() const
{
    ycom::ComPtr<IYVEXOleUndoManagerEx> ex;
    if (!m_manager || FAILED(m_manager.QueryTo(IID_IYVEXOleUndoManagerEx, ex)) || !ex)
        return 0;
    LONG length = 0;
    return SUCCEEDED(ex->get_QueueMaxLength(&length)) ? length : 0;
}

void CUndoRecorder::SetQueueMaxLength(LONG length)
{
    ycom::ComPtr<IYVEXOleUndoManagerEx> ex;
    if (!m_manager || FAILED(m_manager.QueryTo(IID_IYVEXOleUndoManagerEx, ex)) || !ex)
        return;
    ex->put_QueueMaxLength(length > 1 ? length : 100);
}

ycom::ComPtr<CUndoUnit> CUndoRecorder::CreateUnit(int kind)
{
    ycom::ComPtr<CUndoUnit> unit;
    if (kind == opCreate)
        unit = new (std::nothrow) ycom::ComObject<CUndoUnit>();
    else if (kind == opObjectID)
        unit = new (std::nothrow) ycom::ComObject<CObjectIDUndoUnit>();
    else
        unit = new (std::nothrow) ycom::ComObject<CSnapshotUndoUnit>();
    if (unit) {
        unit->Bind(m_anchor);
        unit->SetKind(kind);
    }
    return unit;
}

ycom::ComPtr<CParentUndoUnit> CUndoRecorder::CreateParentUnit(int kind)
{
    ycom::ComPtr<CParentUndoUnit> unit(new (std::nothrow) ycom::ComObject<CParentUndoUnit>());
    if (unit) {
        unit->Bind(m_anchor);
        unit->SetKind(kind);
    }
    return unit;
}

HRESULT CUndoRecorder::OpenOperation(int kind)
{
    if (m_depth == 0)
        m_pendingOperation = kind;
    ++m_depth;
    if (IsSuspended())
        return S_FALSE;
    if (!m_manager)
        return E_NOTIMPL;
    ycom::ComPtr<CParentUndoUnit> unit = CreateParentUnit(kind);
    if (!unit)
        return E_POINTER;
    IOleParentUndoUnit* parent = unit.Get();
    const HRESULT hr = m_manager->Open(parent);
    // A disabled manager answers S_OK without keeping the unit: then nothing is open.
    if (SUCCEEDED(hr) && IsHeldBeyond(parent, 1)) {
        m_openUnits.push_back(unit.Get());
        m_currentUnit = nullptr;
    }
    return hr;
}

HRESULT CUndoRecorder::CloseOperation(bool commit)
{
    if (m_depth > 0)
        --m_depth;
    if (commit && m_depth == 0)
        m_lastOperation = m_pendingOperation;
    if (IsSuspended())
        return S_FALSE;
    if (!m_manager)
        return E_NOTIMPL;
    if (m_openUnits.empty()) {
        m_tooLarge = false;
        return S_FALSE;
    }
    // Held while it closes: committed, the manager keeps it; otherwise it goes with this owner.
    ycom::ComPtr<CParentUndoUnit> unit(m_openUnits.back());
    m_openUnits.pop_back();
    if (!unit)
        return S_OK;
    if (m_currentUnit && unit->FindUnit(m_currentUnit) == S_OK)
        m_currentUnit = nullptr;
    const HRESULT hr = m_manager->Close(unit.Get(), commit && !m_tooLarge ? TRUE : FALSE);
    if (hr != S_OK && hr != E_FAIL)
        m_openUnits.push_back(unit.Get());
    if (m_openUnits.empty())
        m_tooLarge = false;
    return hr;
}

HRESULT CUndoRecorder::AddLeafUnit(int kind)
{
    if (m_depth == 0)
        m_pendingOperation = kind;
    if (IsSuspended())
        return S_FALSE;
    if (m_tooLarge)
        return E_ACCESSDENIED;
    if (!m_manager)
        return E_NOTIMPL;
    ycom::ComPtr<CUndoUnit> unit = CreateUnit(kind);
    if (!unit)
        return E_POINTER;
    IOleUndoUnit* leaf = unit.Get();
    const HRESULT hr = m_manager->Add(leaf);
    if (SUCCEEDED(hr) && IsHeldBeyond(leaf, 1))
        m_currentUnit = unit.Get();
    return hr;
}

HRESULT CUndoRecorder::EndCurrentUnit(bool keep)
{
    if (m_depth == 0 && keep)
        m_lastOperation = m_pendingOperation;
    if (m_openUnits.empty())
        m_tooLarge = false;
    if (!m_currentUnit)
        return S_FALSE;
    m_currentUnit = nullptr;
    if (!keep && m_manager)
        m_manager->DiscardFrom(nullptr);
    return S_OK;
}

HRESULT CUndoRecorder::DiscardCurrentUnit()
{
    if (m_openUnits.empty())
        m_tooLarge = false;
    if (!m_currentUnit)
        return S_FALSE;
    ycom::ComPtr<CUndoUnit> unit(m_currentUnit);
    m_currentUnit = nullptr;
    IOleUndoUnit* leaf = unit.Get();
    if (!m_openUnits.empty())
        m_openUnits.back()->RemoveChild(leaf);
    else if (CUndoManager* own = CUndoManager::FromInterface(m_manager.Get()))
        own->RemoveTopUnit(leaf);
    return S_OK;
}

template <class Element, class RecordIntoUnit>
HRESULT CUndoRecorder::Record(int kind, Element* element, bool openOperation, RecordIntoUnit recordIntoUnit)
{
    if (IsSuspended())
        return S_FALSE;
    if (!element)
        return E_INVALIDARG;
    if (openOperation)
        RETURN_IF_FAILED(OpenOperation(kind));
    if (!m_currentUnit || m_currentUnit->GetKind() != kind)
        RETURN_IF_FAILED(AddLeafUnit(kind));
    // A disabled manager keeps no unit: there is nothing to record into.
    if (!m_currentUnit || m_currentUnit->GetKind() != kind)
        return E_FAIL;
    return recordIntoUnit(m_currentUnit, element);
}

HRESULT CUndoRecorder::RecordShape(int kind, CShape* shape, bool openOperation)
{
    return Record(kind, shape, openOperation, [](CUndoUnit* unit, CShape* s) { return unit->RecordShape(s); });
}

HRESULT CUndoRecorder::RecordPoint(int kind, CPointRecord* point, bool openOperation)
{
    return Record(kind, point, openOperation, [](CUndoUnit* unit, CPointRecord* p) { return unit->RecordPoint(p); });
}

HRESULT CUndoRecorder::RecordDrawingSetting(int kind, CDrawingSettingRecord* setting, bool openOperation)
{
    return Record(kind, setting, openOperation,
                  [](CUndoUnit* unit, CDrawingSettingRecord* s) { return unit->RecordDrawingSetting(s); });
}

HRESULT CUndoRecorder::RecordHatchPattern(int kind, CHatchPattern* pattern, bool openOperation)
{
    return Record(kind, pattern, openOperation, [](CUndoUnit* unit, CHatchPattern* p) { return unit->RecordHatchPattern(p); });
}

HRESULT CUndoRecorder::RecordImageResource(int kind, CImageResource* resource, bool openOperation)
{
    return Record(kind, resource, openOperation,
                  [](CUndoUnit* unit, CImageResource* r) { return unit->RecordImageResource(r); });
}

void CUndoRecorder::ForgetUnit(const CUndoRecorderRef* unit)
{
    if (m_currentUnit && static_cast<const CUndoRecorderRef*>(m_currentUnit) == unit) {
        m_currentUnit = nullptr;
        return;
    }
    for (size_t i = m_openUnits.size(); i-- > 0;) {
        if (static_cast<const CUndoRecorderRef*>(m_openUnits[i]) == unit) {
            m_openUnits.erase(m_openUnits.begin() + static_cast<std::ptrdiff_t>(i));
            if (m_openUnits.empty())
                m_tooLarge = false;
            return;
        }
    }
    if (!m_currentUnit)
        m_tooLarge = false;
}

bool CUndoRecorder::IsUnitActive(const CUndoRecorderRef* unit) const
{
    if (m_currentUnit && static_cast<const CUndoRecorderRef*>(m_currentUnit) == unit)
        return true;
    return std::any_of(m_openUnits.rbegin(), m_openUnits.rend(),
                       [unit](const CParentUndoUnit* open) { return static_cast<const CUndoRecorderRef*>(open) == unit; });
}

bool CUndoRecorder::ShouldRecordShape(CShape* shape) const
{
    if (!shape)
        return false;
    if (!m_control)
        return true;
    const CEditState& edit = m_control->GetEditState();
    if (!edit.editedShape || !(edit.controlState & csUserCreate))
        return true;
    for (CShape* s = shape; s; s = s->GetParent())
        if (s == edit.editedShape)
            return false;
    return true;
}

bool CUndoRecorder::ShouldRecordPoint(CPointRecord* point) const
{
    if (!point)
        return false;
    if (!m_control)
        return true;
    const CEditState& edit = m_control->GetEditState();
    if (!edit.editedShape || !(edit.controlState & csUserCreate))
        return true;
    for (int owner : point->GetOwners())
        if (ShouldRecordShape(m_control->GetShapeMap().Lookup(owner)))
            return true;
    return false;
}

bool CUndoRecorder::ConfirmLargeOperation(int kind, CShape* shape)
{
    if (m_tooLarge || IsSuspended())
        return true;
    TreeSize size;
    size.Count(shape);
    if (size.shapes <= kMaxRecordedShapes && size.points <= kMaxRecordedPoints &&
        (kind != opDelete || size.imageBytes <= kMaxRecordedImageBytes)) {
        m_tooLarge = false;
        return true;
    }
    m_tooLarge = true;
    const std::string text = LoadResourceTextA(IDS_UNDO_TOO_LARGE, 1024);
    const std::string caption = LoadResourceTextA(IDS_WARNING, 512);
    HWND owner = m_control ? m_control->GetControlWindow() : nullptr;
    return ycom::ShowMessageBox(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

int CUndoRecorder::OperationKindForEdit(int editType)
{
    switch (editType) {
    case EDSH_MOVE:
    case EDSH_POINT:
    case EDSH_ALIGN_SHAPE: return opMove;
    case EDSH_NEWPOINT: return opCreate;
    case EDSH_ROTATE: return opRotate;
    case EDSH_SCALE:
    case EDSH_FLIP_SHAPE: return opScale;
    case EDSH_REMOVE:
    case EDSH_DELETEPOINT: return opDelete;
    case EDSH_TEXT: return opProperties;
    default: return opChange;
    }
}
