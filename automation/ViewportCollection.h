#pragma once
// The ViewportCollection class (ViewportCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

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

    // IViewportCollection
    STDMETHODIMP get_ItemByID(LONG ID, IViewport **pViewport) override;
    STDMETHODIMP SaveViewport(LONG DestViewport, LONG SourceViewport) override;
    STDMETHODIMP SaveViewportTo(BSTR DestViewport, LONG SourceViewport, LONG *pDestViewportID) override;
    STDMETHODIMP get_Item(LONG Index, IViewport **pViewport) override;
};
