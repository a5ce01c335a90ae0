#include "control/UndoRecorder.h"
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "com/HResult.h"
#include "YVEX_h.h"

CUndoRecorder::CUndoRecorder(CControlCore* control) : m_control(control) {}

CUndoRecorder::~CUndoRecorder() { SetManager(nullptr); }

void CUndoRecorder::SetManager(IOleUndoManager* manager)
{
    if (manager == m_manager)
        return;
    if (m_manager) {
        m_manager->Release();
        m_manager = nullptr;
        InterlockedIncrement(&m_suspendCount);
    }
    if (manager) {
        manager->AddRef();
        m_manager = manager;
        InterlockedDecrement(&m_suspendCount);
    }
}

void CUndoRecorder::Suspend() { InterlockedIncrement(&m_suspendCount); }

void CUndoRecorder::Resume() { InterlockedDecrement(&m_suspendCount); }

HRESULT CUndoRecorder::OpenOperation(int kind)
{
    if (m_depth == 0)
        m_pendingOperation = kind;
    ++m_depth;
    // Compound undo units come with the undo manager; until then nothing is recorded, which the
    // callers take as they take a suspended recorder.
    return S_FALSE;
}

HRESULT CUndoRecorder::CloseOperation(bool commit)
{
    if (m_depth > 0)
        --m_depth;
    if (commit && m_depth == 0)
        m_lastOperation = m_pendingOperation;
    if (!IsSuspended())
        m_tooLarge = false;
    return S_FALSE;
}

HRESULT CUndoRecorder::EndCurrentUnit(bool keep)
{
    if (m_depth == 0 && keep)
        m_lastOperation = m_pendingOperation;
    if (m_depth == 0)
        m_tooLarge = false;
    // Leaf units come with the undo manager; until then there is none to end.
    return S_FALSE;
}

HRESULT CUndoRecorder::Record(int kind, const void* element, bool openOperation)
{
    if (IsSuspended())
        return S_FALSE;
    if (!element)
        return E_INVALIDARG;
    if (openOperation) {
        RETURN_IF_FAILED(OpenOperation(kind));
    }
    // Leaf undo units come with the undo manager: nothing recorded yet.
    return S_FALSE;
}

HRESULT CUndoRecorder::RecordShape(int kind, CShape* shape, bool openOperation)
{
    return Record(kind, shape, openOperation);
}

HRESULT CUndoRecorder::RecordPoint(int kind, CPointRecord* point, bool openOperation)
{
    return Record(kind, point, openOperation);
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
