#pragma once
// The PointCollection class (PointCollection Class).
#include "com/ComObject.h"
#include "com/Collections.h"
#include "YVEX_h.h"

class CPointCollection : public ycom::ObjectRoot,
    public ycom::PreparedCollectionImpl<CPointCollection, IPointCollection, &IID_IPointCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IPointCollection> {
public:
    DECLARE_CLASS_ID(CLSID_PointCollection)
    BEGIN_INTERFACE_MAP(CPointCollection)
        INTERFACE_ENTRY(IPointCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IPointCollection)
        INTERFACE_ENTRY2(IDispatch, IPointCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;

    // IPointCollection
    STDMETHODIMP get_Item(LONG Index, IPoint **pVal) override;
    STDMETHODIMP get_ItemByID(LONG Index, IPoint **pVal) override;
};
