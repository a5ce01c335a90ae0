#pragma once
// CFreezeGuard: the bracket of every import and export on the control. While it lives, undo
// recording is off, redrawing is off and, for an importer, the draft limits are locked; when it
// goes, on every way out of the run (a COM error raised inside included), each is put back as it
// was (limits, then redrawing, then undo) and the control is redrawn whole if redrawing is on.
#include "common/ComWrappers.h"

class CFreezeGuard
{
public:
    // A null control (an unbound converter) is left alone. A failing call is raised as
    // _com_error after what was already switched went back.
    CFreezeGuard(IYVEXControl* control, bool lockLimits);
    ~CFreezeGuard();
    CFreezeGuard(const CFreezeGuard&) = delete;
    CFreezeGuard& operator=(const CFreezeGuard&) = delete;

private:
    // Never raises: each step that was taken is undone, whatever the others answer.
    void Restore() noexcept;

    IYVEXControlPtr m_control;
    IYVEXUndoPtr m_undo;
    bool m_undoSuspended = false;
    bool m_limitsTaken = false;
    VARIANT_BOOL m_limitsWere = VARIANT_FALSE;
    bool m_redrawTaken = false;
    VARIANT_BOOL m_redrawWas = VARIANT_TRUE;
};
