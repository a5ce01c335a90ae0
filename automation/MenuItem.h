#pragma once
// The MenuItem class (MenuItem Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"
#include <string>

class CMenuItem : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IMenuItem, &IID_IMenuItem>,
    public ycom::SupportErrorInfoImpl<&IID_IMenuItem> {
public:
    DECLARE_CLASS_ID(CLSID_MenuItem)
    BEGIN_INTERFACE_MAP(CMenuItem)
        INTERFACE_ENTRY(IMenuItem)
        INTERFACE_ENTRY2(IDispatch, IMenuItem)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IMenuItem
    STDMETHODIMP get_ItemID(LONG *pVal) override;
    STDMETHODIMP put_ItemID(LONG newVal) override;
    STDMETHODIMP get_ItemType(LONG *pVal) override;
    STDMETHODIMP put_ItemType(LONG newVal) override;
    STDMETHODIMP get_ItemState(LONG *pVal) override;
    STDMETHODIMP put_ItemState(LONG newVal) override;
    STDMETHODIMP get_ItemText(BSTR *pVal) override;
    STDMETHODIMP put_ItemText(BSTR newVal) override;
    STDMETHODIMP _Init(LONG ItemID, LONG ItemType, LONG ItemState, BSTR ItemText) override;

    LONG GetItemId() const { return m_id; }

private:
    std::wstring m_text;
    bool m_hasText = false;
    LONG m_type = 0;
    LONG m_state = 0;
    LONG m_id = 0;
};
