#pragma once
// A COM property page (IPropertyPage) whose page is a dialog over one template: a container's
// property frame hands it the objects to edit, activates it in a window of its own, asks whether it
// is dirty and tells it to apply. The derived class fills the dialog from its objects on activation
// and writes them back in OnApply; SetDirty keeps the frame informed.
//
//     class CMyPage : public ycom::ObjectRoot, public ycom::PropertyPageImpl {
//         BEGIN_INTERFACE_MAP(CMyPage) INTERFACE_ENTRY(IPropertyPage) END_INTERFACE_MAP()
//         BEGIN_MSG_MAP(CMyPage) ... END_MSG_MAP()
//         CMyPage() : PropertyPageImpl(IDD_MY_PAGE, IDS_TITLE, IDS_HELP_FILE, IDS_DOC) {}
//     };
#include <windows.h>
#include <ocidl.h>
#include <vector>
#include "com/Owners.h"
#include "com/Window.h"

namespace ycom {

class PropertyPageImpl : public IPropertyPage, public DialogWindow
{
public:
    // The template and the string resources of the title, the help file and the document string.
    PropertyPageImpl(UINT templateId, UINT titleId, UINT helpFileId, UINT docStringId);
    ~PropertyPageImpl() override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

    bool IsDirty() const { return m_dirty; }
    // Marks the page dirty (or clean) and tells the frame.
    void SetDirty(bool dirty);
    const std::vector<ComPtr<IUnknown>>& Objects() const { return m_objects; }

protected:
    // The dialog exists (and has its size): fill it from the objects.
    virtual void OnActivated() {}
    // The dialog is about to go.
    virtual void OnDeactivating() {}
    // Writes the page back: S_OK clears the dirty state, any other answer keeps it.
    virtual HRESULT OnApply() { return S_OK; }

private:
    UINT m_templateId;
    UINT m_titleId;
    UINT m_helpFileId;
    UINT m_docStringId;
    ComPtr<IPropertyPageSite> m_site;
    std::vector<ComPtr<IUnknown>> m_objects;
    bool m_dirty = false;
    SIZE m_size = {};
};

} // namespace ycom
