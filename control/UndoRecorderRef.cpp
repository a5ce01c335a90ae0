#include "control/UndoRecorderRef.h"
#include "com/Guard.h"
#include "control/ControlCore.h"
#include "control/ResourceText.h"
#include "control/UndoRecorder.h"
#include "ui/resource.h"
#include <string>

CUndoRecorderRef::~CUndoRecorderRef()
{
    Detach();
    m_recorder.reset();
}

STDMETHODIMP CUndoRecorderRef::get_Operation(YVEXOperation* pVal)
{
    return ycom::Guard(IID_IYVEXUndoUnit, [&]() -> HRESULT {
        if (!pVal)
            return E_POINTER;
        *pVal = static_cast<YVEXOperation>(m_kind);
        return S_OK;
    });
}

CControlCore* CUndoRecorderRef::GetControl() const
{
    CUndoRecorder* recorder = GetRecorder();
    return recorder ? recorder->GetControl() : nullptr;
}

void CUndoRecorderRef::Detach()
{
    if (CUndoRecorder* recorder = GetRecorder())
        recorder->ForgetUnit(this);
}

bool CUndoRecorderRef::IsActive() const
{
    CUndoRecorder* recorder = GetRecorder();
    return recorder && recorder->IsUnitActive(this);
}

HRESULT CUndoRecorderRef::PrepareDo()
{
    CUndoRecorder* recorder = GetRecorder();
    if (!recorder)
        return S_FALSE;
    recorder->ClearTooLarge();
    const bool wasActive = IsActive();
    // An operation still running would record into the stacks while they are being undone: it is
    // cancelled (a shape under creation goes, an edited one goes back to where it stood).
    if (CControlCore* control = recorder->GetControl())
        control->EndInteractiveOperation(false);
    return IsActive() != wasActive ? E_FAIL : S_OK;
}

void CUndoRecorderRef::AfterDo()
{
    if (CUndoRecorder* recorder = GetRecorder())
        recorder->EndCurrentUnit(true);
}

void CUndoRecorderRef::SuspendRecording()
{
    if (CUndoRecorder* recorder = GetRecorder())
        recorder->Suspend();
}

void CUndoRecorderRef::ResumeRecording()
{
    if (CUndoRecorder* recorder = GetRecorder())
        recorder->Resume();
}

int CUndoRecorderRef::InverseKind(int kind)
{
    if (kind == opCreate)
        return opDelete;
    if (kind == opDelete)
        return opCreate;
    return kind;
}

namespace {
// The text of each kind; opChange shares the text of opCreate.
UINT DescriptionId(int kind)
{
    switch (kind) {
    case opChange: return IDS_UNDO_CREATE;
    case opMove: return IDS_UNDO_MOVE;
    case opScale: return IDS_UNDO_SCALE;
    case opRotate: return IDS_UNDO_ROTATE;
    case opCreate: return IDS_UNDO_CREATE;
    case opDelete: return IDS_UNDO_DELETE;
    case opProperties: return IDS_UNDO_PROPERTIES;
    case opShapePoint: return IDS_UNDO_POINTS;
    case opRelations: return IDS_UNDO_RELATIONS;
    case opObjectID: return IDS_UNDO_OBJECTID;
    default: return 0;
    }
}
} // namespace

HRESULT CUndoRecorderRef::Describe(BSTR* description) const
{
    if (!description)
        return E_POINTER;
    // A unit and its inverse carry the same text: undoing a creation offers to redo "Create".
    int kind = m_kind;
    if (m_inverse && (kind == opCreate || kind == opDelete))
        kind = InverseKind(kind);
    const UINT id = DescriptionId(kind);
    std::wstring text = id ? LoadResourceTextW(id, 100) : std::wstring();
    text += GetName();
    *description = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return *description ? S_OK : E_OUTOFMEMORY;
}
