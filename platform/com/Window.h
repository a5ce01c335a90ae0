#pragma once
// Window objects: a C++ object bound to one window, whose messages reach the object's message map
// (MessageMap.h) before the window's own procedure or the dialog manager sees them.
//
// A dialog object registers itself as the window about to be created on this thread, and the
// common start procedure binds the new dialog to it with its first message:
//
//     class CMyPage : public ycom::DialogWindow {
//         BEGIN_MSG_MAP(CMyPage)
//             MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
//             REFLECT_NOTIFICATIONS()
//         END_MSG_MAP()
//     };
//     page.DoModal(instance, IDD_MY_PAGE, parent, 0);
//
// or, for a page that some other code creates (a property sheet), RegisterCreatingWindow(&page)
// just before, with DialogStartProc as the page's dialog procedure. An existing window (a list
// view of a template) is bound with SubclassWindow.
#include <windows.h>
#include <olectl.h>
// The message crackers of windowsx.h name a macro SubclassWindow, which would hide the member of
// that name: files of window objects do without them.
#ifdef SubclassWindow
#undef SubclassWindow
#endif

namespace ycom {

// The procedures behind window objects: of subclassed windows, of dialogs once bound.
LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialogProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DialogStartProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

class WindowObject
{
public:
    WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;
    // A window still bound lets go of the object: a subclassed window gets its earlier procedure
    // back, a dialog answers nothing more through this object.
    virtual ~WindowObject();

    // The derived class's message map; true when the message was handled (with its result).
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) = 0;

    HWND GetHandle() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    // Binds an existing window: its messages come here first, then to its earlier procedure.
    // False when the object is bound already or the window does not exist.
    bool SubclassWindow(HWND window);
    // The window gets its earlier procedure back; the window, null when none was subclassed.
    HWND UnsubclassWindow();
    // What the window does with a message without this object: its earlier procedure for a
    // subclassed window, DefWindowProc for any other (a dialog's message not handled goes to the
    // dialog manager by answering false instead).
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

protected:
    // After the window's last message (WM_NCDESTROY); the handle is cleared before.
    virtual void OnFinalMessage(HWND) {}

private:
    friend LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    friend INT_PTR CALLBACK DialogStartProc(HWND, UINT, WPARAM, LPARAM);
    void Unbind();

    WNDPROC m_previousProc = nullptr;
    bool m_unicode = false;
    enum class Binding { None, Subclassed, Dialog } m_binding = Binding::None;
};

// A dialog window object over one template.
class DialogWindow : public WindowObject
{
public:
    // Runs the dialog modally over `parent`; the result given to EndDialog, -1 when the dialog
    // could not be made. `param` reaches WM_INITDIALOG.
    INT_PTR DoModal(HINSTANCE instance, UINT templateId, HWND parent, LPARAM param = 0);
    // Makes the dialog modeless; its window, null on failure.
    HWND Create(HINSTANCE instance, UINT templateId, HWND parent, LPARAM param = 0);
    BOOL EndDialog(INT_PTR result) { return ::EndDialog(m_hWnd, result); }
    HWND GetItem(int id) const { return GetDlgItem(m_hWnd, id); }
};

// Registers a window object as the next window to be created on the calling thread: the first
// message that DialogStartProc receives on this thread binds that window to it. The latest
// registration is taken first.
void RegisterCreatingWindow(WindowObject* object);
// Drops a registration nobody took (the creation failed); the object's destructor does so too.
void ForgetCreatingWindow(WindowObject* object);
// DialogStartProc (above) is the common start procedure of dialogs bound to window objects.

// Sends a child control's notification back to that child as the message plus OCM__BASE
// (0x2000): WM_COMMAND and WM_NOTIFY from a child, owner-drawn item messages of a control (not of
// a menu), list-box key messages, scroll and colour messages of a child. `handled` is cleared for
// anything else, or when the sender is not a child of `window`.
LRESULT ReflectNotifications(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

// A string of the module's string table (LoadStringA), falling back to the module's resource
// instance; the characters copied, 0 when neither has the string (the buffer is then left as it
// was).
int LoadResourceString(UINT id, char* buffer, int size);

} // namespace ycom

// In a message map: every child notification reflected back to its child (see above).
#define REFLECT_NOTIFICATIONS()                                                                  \
    {                                                                                            \
        bHandled = TRUE;                                                                         \
        lResult = ::ycom::ReflectNotifications(hWnd, uMsg, wParam, lParam, bHandled);            \
        if (bHandled)                                                                            \
            return TRUE;                                                                         \
    }
