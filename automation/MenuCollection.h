#pragma once
// The MenuCollection class (MenuCollection Class).
#include "com/ComObject.h"
#include "com/Collections.h"
#include "YVEX_h.h"

class CYVEXControl;

class CMenuCollection : public ycom::ObjectRoot,
    public ycom::PreparedCollectionImpl<CMenuCollection, IMenuCollection, &IID_IMenuCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IMenuCollection> {
public:
    DECLARE_CLASS_ID(CLSID_MenuCollection)
    BEGIN_INTERFACE_MAP(CMenuCollection)
        INTERFACE_ENTRY(IMenuCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IMenuCollection)
        INTERFACE_ENTRY2(IDispatch, IMenuCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;
    STDMETHODIMP _Destroy() override;

    // IMenuCollection
    STDMETHODIMP get_Item(LONG Index, IMenuItem **pItem) override;
    STDMETHODIMP InsertItem(LONG indexBefore, LONG newItemID, LONG ItemType, LONG ItemState, BSTR ItemText) override;
    STDMETHODIMP DeleteItem(LONG Index) override;
    STDMETHODIMP get_ItemByID(LONG ID, IMenuItem **pVal) override;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The menu the collection changes along with itself: its menu while the control still shows
    // it (a collection without a control: while the handle names a menu); null otherwise, and the
    // collection stops mirroring for good, since the handle may come to name another menu.
    HMENU MirroredMenu();
    CYVEXControl* m_yvex = nullptr;
    HMENU m_menu = reinterpret_cast<HMENU>(-1);
};
