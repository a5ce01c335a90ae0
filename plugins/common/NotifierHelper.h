#pragma once
// CVNotifierHelper: the part of every converter that holds the host's progress callback, the
// interface pointers of the drawing control it reads or builds, and the result of its last
// operation.
#include <windows.h>
#include "afx/String.h"
#include "common/ComWrappers.h"
#include "common/ProgressNotifier.h"

class CVNotifierHelper
{
public:
    // Where the milliseconds of the progress throttle come from (GetTickCount unless replaced).
    typedef DWORD (*TickSource)();

    // Both bind the control (see Bind): a control that answers no ISite, or whose site has no
    // shapes, gives an unbound object; any other failure is raised as _com_error.
    CVNotifierHelper(IYVEXControlPtr control, void* user, ProgressCallback callback);
    CVNotifierHelper(IYVEXControlPtr control, const CProgressNotifier& notifier);
    // Member-wise: the interface pointers are shared, each copy holding a reference of its own.
    CVNotifierHelper(const CVNotifierHelper&) = default;
    CVNotifierHelper& operator=(const CVNotifierHelper&) = default;

    // Slot 0: the result of the last operation, 0 when none.
    virtual int GetState();
    // Slot 1: the system's text of the calling thread's last Win32 error, line break included;
    // empty when the system has none.
    virtual CString GetLastErrorText();

    // Reports a percentage of the work, mapped onto the range: each new value once, an unchanged
    // one again only after a second.
    void SetProgress(int percent);
    void SetProgressRange(int start, int end)
    {
        m_rangeStart = start;
        m_rangeEnd = end;
    }

    // Replaces the tick source for the process (null restores GetTickCount); answers the old one.
    static TickSource SetTickSource(TickSource source);

    bool IsBound() const { return m_control != nullptr; }

protected:
    // The interface pointers go in the reverse order of the fields.
    ~CVNotifierHelper() = default;

    void Bind(IYVEXControlPtr control);

    CProgressNotifier m_notifier;
    DWORD m_lastReportTime = 0;
    int m_rangeStart = 0;
    int m_rangeEnd = 100;
    int m_lastValue = -1;
    IYVEXControlPtr m_control;
    ISitePtr m_site;
    IShapeCollectionPtr m_shapes;
    IShapeCollectionPtr m_libraryShapes;  // children of the block library, shape -3
    IShapeCollectionPtr m_layerShapes;    // children of the layers group, shape -4
    int m_state = 0;
};
