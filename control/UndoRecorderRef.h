#pragma once
#include <windows.h>
#include <memory>
#include "YVEX_h.h"

class CUndoRecorder;
class CControlCore;

// What every undo unit shares: the link to the recorder that made it, its operation kind
// (YVEXOperation) and whether it is the inverse of another unit, answered through IYVEXUndoUnit.
//
// The link goes through the recorder's anchor, which the recorder clears when it is destroyed: a
// unit that the host keeps alive (in its own undo manager, or in ours after the control has gone)
// then sees no recorder instead of a dangling one, and answers as a unit without one.
class CUndoRecorderRef : public IYVEXUndoUnit
{
public:
    using Anchor = std::shared_ptr<CUndoRecorder*>;

    CUndoRecorderRef() = default;
    CUndoRecorderRef(const CUndoRecorderRef&) = delete;
    CUndoRecorderRef& operator=(const CUndoRecorderRef&) = delete;
    virtual ~CUndoRecorderRef();

    // IYVEXUndoUnit
    STDMETHODIMP get_Operation(YVEXOperation* pVal) override;

    // The unit's own name, added to its description: empty for every unit.
    virtual const wchar_t* GetName() const { return L""; }

    void Bind(const Anchor& recorder) { m_recorder = recorder; }
    CUndoRecorder* GetRecorder() const { return m_recorder ? *m_recorder : nullptr; }
    // The recorder's control, or null.
    CControlCore* GetControl() const;
    int GetKind() const { return m_kind; }
    void SetKind(int kind) { m_kind = kind; }
    bool IsInverse() const { return m_inverse; }
    void SetInverse(bool inverse) { m_inverse = inverse; }

    // Takes the unit out of the recorder: it stops being the current unit, or leaves the stack of
    // open parents. When it was an open parent and none remains open, or when it was neither and
    // the recorder has no current unit, the recorder's too-large mark is cleared.
    void Detach();
    // Whether the unit is the recorder's current unit or one of its open parents.
    bool IsActive() const;
    // Before the unit is applied: S_FALSE without a recorder; otherwise the too-large mark is
    // cleared and any interactive operation of the control is cancelled; E_FAIL when that changed
    // whether the unit is active, else S_OK.
    HRESULT PrepareDo();
    // After the unit was applied: the recorder forgets its current unit (keeping it).
    void AfterDo();
    void SuspendRecording();
    void ResumeRecording();

    // The description of a kind: the resource text of the kind's string, with the texts of
    // opCreate and opDelete exchanged for an inverse unit, followed by the unit's name.
    HRESULT Describe(BSTR* description) const;

    // The kind of the inverse step: opCreate and opDelete exchanged, every other kind kept.
    static int InverseKind(int kind);

private:
    Anchor m_recorder;
    int m_kind = opCreate;
    bool m_inverse = false;
};
