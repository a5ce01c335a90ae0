#pragma once
// Message maps: a window's messages dispatched to member handlers of the form
//     LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
// The map sets `handled` before calling; a handler clears it to let the message go on to the
// next entry (and finally to DefWindowProc).
//
//     BEGIN_MSG_MAP(CMyControl)
//         MESSAGE_HANDLER(WM_PAINT, OnPaint)
//         MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouse)
//         CHAIN_MSG_MAP(ycom::ControlBase<CMyControl>)
//     END_MSG_MAP()
#include <windows.h>

#define BEGIN_MSG_MAP(Class)                                                                     \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) \
    {                                                                                            \
        BOOL bHandled = TRUE;                                                                    \
        (void)hWnd;                                                                              \
        (void)bHandled;

#define MESSAGE_HANDLER(msg, func)                                                               \
    if (uMsg == (msg)) {                                                                         \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

#define MESSAGE_RANGE_HANDLER(first, last, func)                                                 \
    if (uMsg >= (first) && uMsg <= (last)) {                                                     \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

#define CHAIN_MSG_MAP(Base)                                                                      \
    if (Base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                         \
        return TRUE;

#define END_MSG_MAP()                                                                            \
    return FALSE;                                                                                \
    }
