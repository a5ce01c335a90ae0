#pragma once
#include <windows.h>
#include "com/MessageMap.h"
#include "model/RealRect.h"

class CViewportRecord;

// The scroll bars of the control's window over the site's draft limits. They stay in step with
// the current view, and scroll-bar input moves the view. Positions are in the view's logical
// units (world length x zoom x scale). Line steps taken beyond either end of a range are kept as
// overflow, so the arrows carry the view past the limits one step at a time and bring it back
// the same way before the thumb moves.
class CScrollSupport
{
public:
    CScrollSupport() = default;
    CScrollSupport(const CScrollSupport&) = delete;
    CScrollSupport& operator=(const CScrollSupport&) = delete;
    virtual ~CScrollSupport() = default;

    BEGIN_MSG_MAP(CScrollSupport)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(WM_VSCROLL, OnVScroll)
        MESSAGE_HANDLER(WM_HSCROLL, OnHScroll)
    END_MSG_MAP()

    // Both bars' ranges only (after the draft limits grew).
    void SetRanges();
    // After a change of zoom, centre, view size or viewport: the view takes the client size
    // less the rulers, its origin follows its centre, and both bars show it.
    void Refresh();
    LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnHScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnVScroll(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The bar positions that show the current view.
    int HorizontalPosition() const;
    int VerticalPosition() const;
    // The line step of each bar: a tenth of its page, at least 1.
    int GetLineStepX() const { return m_lineStepX; }
    int GetLineStepY() const { return m_lineStepY; }
    int GetOverflowX() const { return m_overflowX; }
    int GetOverflowY() const { return m_overflowY; }
    // Whether bars were set without their repaint since the last call (then the caller's next
    // repaint takes the window's frame too).
    bool TakeStaleBars()
    {
        const bool stale = m_staleBars;
        m_staleBars = false;
        return stale;
    }

protected:
    // What the bars work on: the window (null before it exists), the current view, the drawing
    // limits (top above bottom) and the pixels the rulers take on the left and at the top.
    virtual HWND GetScrollWindow() const = 0;
    virtual CViewportRecord& GetScrollView() = 0;
    virtual CRealRect GetScrollLimits() const = 0;
    virtual SIZE GetRulerOffsets() const = 0;
    // Whether a bar repaints as soon as it is set; otherwise it waits for the next repaint of
    // the window's frame.
    virtual bool BarsRepaintNow() const { return true; }

private:
    // The page of each axis in logical units: the client area less the rulers.
    SIZE PageSize() const;
    void StoreExtents();
    void UpdateBars(SIZE page);
    LRESULT Scroll(int bar, WPARAM wParam);

    // Set a bar, repainting it now or marking the bars stale.
    void SetBar(HWND window, int bar, const SCROLLINFO& info);

    bool m_staleBars = false;
    double m_extentX = 0.0;
    double m_extentY = 0.0;
    int m_lineStepX = 1;
    int m_lineStepY = 1;
    int m_overflowX = 0;
    int m_overflowY = 0;
};
