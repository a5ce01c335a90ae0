#pragma once
// Message maps: a window's messages dispatched to member handlers of the form
//     LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
// The map sets `handled` before calling; a handler clears it to let the message go on to the
// next entry (and finally to DefWindowProc).
//
//     BEGIN_MSG_MAP(CMyControl)
//         MESSAGE_HANDLER(WM_PAINT, OnPaint)
//         MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSELAST, OnMouse)
//         COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, OnOk)
//         COMMAND_CODE_HANDLER(EN_CHANGE, OnAnyEditChange)
//         NOTIFY_ID_CODE_HANDLER(100, NM_CLICK, OnListClick)
//         DEFAULT_REFLECTION_HANDLER()
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

// WM_COMMAND from the child of control ID `id` with notification code `code`.
#define COMMAND_ID_CODE_HANDLER(id, notifyCode, func)                                            \
    if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (notifyCode)) {              \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

// WM_COMMAND from any child with notification code `code`.
#define COMMAND_CODE_HANDLER(notifyCode, func)                                                   \
    if (uMsg == WM_COMMAND && HIWORD(wParam) == (notifyCode)) {                                   \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

// WM_NOTIFY from any child with notification code `code`.
#define NOTIFY_CODE_HANDLER(notifyCode, func)                                                    \
    if (uMsg == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->code == (UINT)(notifyCode)) { \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

// WM_NOTIFY from the child of control ID `id` with notification code `code`.
#define NOTIFY_ID_CODE_HANDLER(id, notifyCode, func)                                             \
    if (uMsg == WM_NOTIFY && lParam && reinterpret_cast<const NMHDR*>(lParam)->idFrom == (UINT_PTR)(id) && \
        reinterpret_cast<const NMHDR*>(lParam)->code == (UINT)(notifyCode)) {                          \
        bHandled = TRUE;                                                                         \
        lResult = func(uMsg, wParam, lParam, bHandled);                                          \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }

// Notifications that a parent reflected back to this control window (the message plus
// OCM__BASE) reach DefWindowProc as the original message.
#define DEFAULT_REFLECTION_HANDLER()                                                             \
    if (uMsg >= (WM_USER + 0x1c00) && uMsg <= (WM_USER + 0x1c00 + WM_CTLCOLORSTATIC)) {         \
        lResult = DefWindowProcW(hWnd, uMsg - (WM_USER + 0x1c00), wParam, lParam);              \
        return TRUE;                                                                             \
    }

#define CHAIN_MSG_MAP(Base)                                                                      \
    if (Base::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))                         \
        return TRUE;

#define END_MSG_MAP()                                                                            \
    return FALSE;                                                                                \
    }
