#pragma once
// The ViewportCollection class (ViewportCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"
#include "com/Owners.h"

class CYVEXControl;
class CViewportRecord;
class CViewportList;

class CViewportCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CViewportCollection, IViewportCollection, &IID_IViewportCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IViewportCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ViewportCollection)
    BEGIN_INTERFACE_MAP(CViewportCollection)
        INTERFACE_ENTRY(IViewportCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IViewportCollection)
        INTERFACE_ENTRY2(IDispatch, IViewportCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;
    STDMETHODIMP _Destroy() override;
    STDMETHODIMP get__NewEnum(IUnknown** pVal) override;
    STDMETHODIMP get_Count(LONG* pVal) override;
    STDMETHODIMP Refresh() override;

    // IViewportCollection
    STDMETHODIMP get_ItemByID(LONG ID, IViewport **pViewport) override;
    STDMETHODIMP SaveViewport(LONG DestViewport, LONG SourceViewport) override;
    STDMETHODIMP SaveViewportTo(BSTR DestViewport, LONG SourceViewport, LONG *pDestViewportID) override;
    STDMETHODIMP get_Item(LONG Index, IViewport **pViewport) override;

    // A new ViewportObject of the collection's control for the viewport.
    HRESULT HandOut(CViewportRecord* viewport, IViewport** out) const;

private:
    template <class F>
    HRESULT Guarded(F&& body);
    // The collection reads the control's live viewport list.
    CYVEXControl* m_control = nullptr;
    ycom::ComPtr<IYVEXControl> m_controlRef;
    // The list as a vector-like view for the live enumerator (kept alive with the collection).
    struct ListView {
        CViewportList* list = nullptr;
        size_t size() const;
        CViewportRecord* operator[](size_t i) const;
    };
    ListView m_view;
};
