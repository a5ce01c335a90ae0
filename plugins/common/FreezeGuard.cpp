#include "common/FreezeGuard.h"

CFreezeGuard::CFreezeGuard(IYVEXControl* control, bool lockLimits) : m_control(control)
{
    if (!m_control)
        return;
    try {
        IYVEXUndo* undo = nullptr;
        RaiseIfFailed(m_control->QueryInterface(__uuidof(IYVEXUndo), reinterpret_cast<void**>(&undo)), m_control);
        m_undo.Attach(undo);
        // One more suspension of the undo manager; its count keeps the host's own suspensions.
        RaiseIfFailed(m_undo->put_UndoEnabled(VARIANT_FALSE), m_undo);
        m_undoSuspended = true;
        if (lockLimits) {
            RaiseIfFailed(m_control->get_LockDraftLimits(&m_limitsWere), m_control);
            RaiseIfFailed(m_control->put_LockDraftLimits(VARIANT_TRUE), m_control);
            m_limitsTaken = true;
        }
        RaiseIfFailed(m_control->get_RedrawEnabled(&m_redrawWas), m_control);
        RaiseIfFailed(m_control->put_RedrawEnabled(VARIANT_FALSE), m_control);
        m_redrawTaken = true;
    } catch (...) {
        Restore();
        throw;
    }
}

CFreezeGuard::~CFreezeGuard() { Restore(); }

void CFreezeGuard::Restore() noexcept
{
    IYVEXControl* control = m_control.GetInterfacePtr();
    if (!control)
        return;
    if (m_limitsTaken)
        control->put_LockDraftLimits(m_limitsWere ? VARIANT_TRUE : VARIANT_FALSE);
    if (m_redrawTaken)
        control->put_RedrawEnabled(m_redrawWas ? VARIANT_TRUE : VARIANT_FALSE);
    if (m_undoSuspended && m_undo)
        m_undo.GetInterfacePtr()->put_UndoEnabled(VARIANT_TRUE);
    if (m_redrawTaken && m_redrawWas)
        control->Redraw(rfRedrawAll);
    m_limitsTaken = m_redrawTaken = m_undoSuspended = false;
}
