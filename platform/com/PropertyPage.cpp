#include "com/PropertyPage.h"
#include "com/Guard.h"
#include "com/Module.h"
#include <olectl.h>
#include <string>

namespace ycom {

namespace {

// A copy of a module string in task memory, as the frame frees it.
LPOLESTR TaskString(UINT id)
{
    wchar_t text[512] = L"";
    LoadStringW(TheModule().ResourceInstance(), id, text, 512);
    const size_t bytes = (lstrlenW(text) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (copy)
        memcpy(copy, text, bytes);
    return copy;
}

INT_PTR CALLBACK MeasureProc(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

} // namespace

PropertyPageImpl::PropertyPageImpl(UINT templateId, UINT titleId, UINT helpFileId, UINT docStringId)
    : m_templateId(templateId), m_titleId(titleId), m_helpFileId(helpFileId), m_docStringId(docStringId)
{
}

PropertyPageImpl::~PropertyPageImpl()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyWindow(m_hWnd);
}

STDMETHODIMP PropertyPageImpl::SetPageSite(IPropertyPageSite* site)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        m_site = site;
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::Activate(HWND parent, LPCRECT rect, BOOL)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (m_hWnd)
            return E_UNEXPECTED;
        if (!Create(TheModule().ResourceInstance(), m_templateId, parent))
            return E_FAIL;
        if (rect)
            MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
        RECT own;
        GetWindowRect(m_hWnd, &own);
        m_size = SIZE{own.right - own.left, own.bottom - own.top};
        OnActivated();
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::Deactivate()
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        OnDeactivating();
        HWND window = m_hWnd;
        if (window && ::IsWindow(window))
            DestroyWindow(window);
        m_hWnd = nullptr;
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::GetPageInfo(PROPPAGEINFO* info)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (!info)
            return E_POINTER;
        if (m_size.cx == 0) {
            // The template's size in pixels: the dialog made once, hidden, and measured.
            HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            HWND probe = CreateDialogParamA(TheModule().ResourceInstance(), MAKEINTRESOURCEA(m_templateId), owner, MeasureProc, 0);
            if (probe) {
                RECT r;
                GetWindowRect(probe, &r);
                m_size = SIZE{r.right - r.left, r.bottom - r.top};
                DestroyWindow(probe);
            }
            if (owner)
                DestroyWindow(owner);
        }
        info->cb = sizeof(PROPPAGEINFO);
        info->pszTitle = TaskString(m_titleId);
        info->size = m_size;
        info->pszHelpFile = TaskString(m_helpFileId);
        info->pszDocString = TaskString(m_docStringId);
        info->dwHelpContext = 0;
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::SetObjects(ULONG count, IUnknown** objects)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (count && !objects)
            return E_POINTER;
        m_objects.clear();
        for (ULONG i = 0; i < count; ++i) {
            m_objects.push_back(ComPtr<IUnknown>(objects[i]));
        }
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::Show(UINT command)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (!m_hWnd)
            return E_UNEXPECTED;
        ShowWindow(m_hWnd, static_cast<int>(command));
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::Move(LPCRECT rect)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (!m_hWnd)
            return E_UNEXPECTED;
        if (!rect)
            return E_POINTER;
        MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
        return S_OK;
    });
}

STDMETHODIMP PropertyPageImpl::IsPageDirty()
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT { return m_dirty ? S_OK : S_FALSE; });
}

STDMETHODIMP PropertyPageImpl::Apply()
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        const HRESULT hr = OnApply();
        if (hr == S_OK)
            SetDirty(false);
        return hr;
    });
}

STDMETHODIMP PropertyPageImpl::Help(LPCOLESTR)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT { return E_NOTIMPL; });
}

STDMETHODIMP PropertyPageImpl::TranslateAccelerator(MSG* msg)
{
    return Guard(IID_IPropertyPage, [&]() -> HRESULT {
        if (!msg)
            return E_POINTER;
        return m_hWnd && IsDialogMessageA(m_hWnd, msg) ? S_OK : S_FALSE;
    });
}

void PropertyPageImpl::SetDirty(bool dirty)
{
    if (m_dirty == dirty)
        return;
    m_dirty = dirty;
    if (m_site)
        m_site->OnStatusChange(dirty ? PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE : 0);
}

} // namespace ycom
