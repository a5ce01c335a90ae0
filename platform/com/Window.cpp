#include "com/Window.h"
#include "com/Module.h"
#include <olectl.h>
#include <algorithm>
#include <mutex>
#include <vector>

namespace ycom {

namespace {

// The window property that leads from a window to its object.
const wchar_t kObjectProperty[] = L"ycom.WindowObject";

struct CreatingWindow {
    WindowObject* object;
    DWORD thread;
};

std::mutex& CreatingLock()
{
    static std::mutex lock;
    return lock;
}

std::vector<CreatingWindow>& CreatingList()
{
    static std::vector<CreatingWindow> list;
    return list;
}

WindowObject* TakeCreatingWindow()
{
    std::lock_guard<std::mutex> guard(CreatingLock());
    auto& list = CreatingList();
    const DWORD thread = GetCurrentThreadId();
    for (size_t i = list.size(); i-- > 0;) {
        if (list[i].thread == thread) {
            WindowObject* object = list[i].object;
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return object;
        }
    }
    return nullptr;
}

WindowObject* ObjectOf(HWND window) { return static_cast<WindowObject*>(GetPropW(window, kObjectProperty)); }

} // namespace

void RegisterCreatingWindow(WindowObject* object)
{
    if (!object)
        return;
    std::lock_guard<std::mutex> guard(CreatingLock());
    CreatingList().push_back(CreatingWindow{object, GetCurrentThreadId()});
}

void ForgetCreatingWindow(WindowObject* object)
{
    std::lock_guard<std::mutex> guard(CreatingLock());
    auto& list = CreatingList();
    list.erase(std::remove_if(list.begin(), list.end(), [object](const CreatingWindow& c) { return c.object == object; }),
               list.end());
}

WindowObject::~WindowObject()
{
    ForgetCreatingWindow(this);
    if (m_hWnd)
        Unbind();
}

void WindowObject::Unbind()
{
    HWND window = m_hWnd;
    if (window && ::IsWindow(window) && ObjectOf(window) == this) {
        RemovePropW(window, kObjectProperty);
        if (m_binding == Binding::Subclassed && m_previousProc) {
            // Only when nobody subclassed the window after us: their chain would break.
            const LONG_PTR ours = reinterpret_cast<LONG_PTR>(&SubclassProc);
            if (m_unicode) {
                if (GetWindowLongPtrW(window, GWLP_WNDPROC) == ours)
                    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
            } else if (GetWindowLongPtrA(window, GWLP_WNDPROC) == ours) {
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
            }
        }
    }
    m_hWnd = nullptr;
    m_binding = Binding::None;
}

bool WindowObject::SubclassWindow(HWND window)
{
    if (m_hWnd || !window || !::IsWindow(window) || ObjectOf(window))
        return false;
    m_unicode = IsWindowUnicode(window) != FALSE;
    SetPropW(window, kObjectProperty, this);
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&SubclassProc);
    m_previousProc = reinterpret_cast<WNDPROC>(m_unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, proc)
                                                          : SetWindowLongPtrA(window, GWLP_WNDPROC, proc));
    if (!m_previousProc) {
        RemovePropW(window, kObjectProperty);
        return false;
    }
    m_hWnd = window;
    m_binding = Binding::Subclassed;
    return true;
}

HWND WindowObject::UnsubclassWindow()
{
    if (m_binding != Binding::Subclassed)
        return nullptr;
    HWND window = m_hWnd;
    Unbind();
    m_previousProc = nullptr;
    return window;
}

LRESULT WindowObject::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (m_binding == Binding::Subclassed && m_previousProc)
        return m_unicode ? CallWindowProcW(m_previousProc, m_hWnd, msg, wParam, lParam)
                         : CallWindowProcA(m_previousProc, m_hWnd, msg, wParam, lParam);
    return m_unicode ? DefWindowProcW(m_hWnd, msg, wParam, lParam) : DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowObject* self = ObjectOf(window);
    if (!self || self->m_binding != WindowObject::Binding::Subclassed)
        return IsWindowUnicode(window) ? DefWindowProcW(window, msg, wParam, lParam)
                                       : DefWindowProcA(window, msg, wParam, lParam);
    // The handler may unbind the object (or delete it): the earlier procedure is kept aside.
    const WNDPROC previous = self->m_previousProc;
    const bool unicode = self->m_unicode;
    if (msg == WM_NCDESTROY) {
        // The last message: the window gets its own procedure back before it goes.
        LRESULT result = 0;
        const BOOL handled = self->ProcessWindowMessage(window, msg, wParam, lParam, result);
        if (ObjectOf(window) == self) {
            self->Unbind();
            self->m_previousProc = nullptr;
            self->OnFinalMessage(window);
        }
        if (handled)
            return result;
        return unicode ? CallWindowProcW(previous, window, msg, wParam, lParam)
                       : CallWindowProcA(previous, window, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (self->ProcessWindowMessage(window, msg, wParam, lParam, result))
        return result;
    return unicode ? CallWindowProcW(previous, window, msg, wParam, lParam)
                   : CallWindowProcA(previous, window, msg, wParam, lParam);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowObject* self = ObjectOf(window);
    if (!self || self->m_binding != WindowObject::Binding::Dialog)
        return FALSE;
    LRESULT result = 0;
    const BOOL handled = self->ProcessWindowMessage(window, msg, wParam, lParam, result);
    if (msg == WM_NCDESTROY) {
        if (ObjectOf(window) == self) {
            self->Unbind();
            self->OnFinalMessage(window);
        }
        return FALSE;
    }
    if (!handled)
        return FALSE;
    switch (msg) {
    // These answer through the procedure's result, every other one through DWLP_MSGRESULT.
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: return static_cast<INT_PTR>(result);
    default: break;
    }
    if (::IsWindow(window))
        SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK DialogStartProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowObject* self = TakeCreatingWindow();
    if (!self) {
        // Nobody registered: the dialog runs without an object (as a plain template).
        return FALSE;
    }
    self->m_hWnd = window;
    self->m_binding = WindowObject::Binding::Dialog;
    self->m_unicode = IsWindowUnicode(window) != FALSE;
    SetPropW(window, kObjectProperty, self);
    if (self->m_unicode)
        SetWindowLongPtrW(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogProc));
    else
        SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogProc));
    return DialogProc(window, msg, wParam, lParam);
}

INT_PTR DialogWindow::DoModal(HINSTANCE instance, UINT templateId, HWND parent, LPARAM param)
{
    RegisterCreatingWindow(this);
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogStartProc, param);
    ForgetCreatingWindow(this);
    return result;
}

HWND DialogWindow::Create(HINSTANCE instance, UINT templateId, HWND parent, LPARAM param)
{
    RegisterCreatingWindow(this);
    HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, DialogStartProc, param);
    ForgetCreatingWindow(this);
    return window;
}

LRESULT ReflectNotifications(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    HWND child = nullptr;
    switch (msg) {
    case WM_COMMAND: child = reinterpret_cast<HWND>(lParam); break;
    case WM_NOTIFY:
        if (lParam)
            child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
        break;
    // A control ID of 0 stands for a menu: its items are the owner's own to draw.
    case WM_DRAWITEM:
        if (wParam && lParam)
            child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_MEASUREITEM:
        if (wParam && lParam)
            child = GetDlgItem(window, static_cast<int>(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID));
        break;
    case WM_COMPAREITEM:
        if (wParam && lParam)
            child = reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_DELETEITEM:
        if (wParam && lParam)
            child = reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem;
        break;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: child = reinterpret_cast<HWND>(lParam); break;
    default: break;
    }
    if (!child || !::IsWindow(child) || !IsChild(window, child)) {
        handled = FALSE;
        return 1;
    }
    return SendMessageW(child, OCM__BASE + msg, wParam, lParam);
}

int LoadResourceString(UINT id, char* buffer, int size)
{
    if (!buffer || size < 1)
        return 0;
    std::vector<char> text(static_cast<size_t>(size), '\0');
    int n = LoadStringA(TheModule().Instance(), id, text.data(), size);
    if (n <= 0 && TheModule().ResourceInstance() != TheModule().Instance())
        n = LoadStringA(TheModule().ResourceInstance(), id, text.data(), size);
    if (n <= 0)
        return 0;
    std::copy(text.begin(), text.begin() + n, buffer);
    buffer[std::min(n, size - 1)] = '\0';
    return n;
}

} // namespace ycom
