#pragma once
// The ReadOnlyVertexCollection class (ReadOnlyVertexCollection Class).
#include "com/ComObject.h"
#include "com/Collections.h"
#include "YVEX_h.h"

class CReadOnlyVertexCollection : public ycom::ObjectRoot,
    public ycom::PreparedCollectionImpl<CReadOnlyVertexCollection, IReadOnlyVertexCollection, &IID_IReadOnlyVertexCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyVertexCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyVertexCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyVertexCollection)
        INTERFACE_ENTRY(IReadOnlyVertexCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyVertexCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyVertexCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // _IReadOnlyCollection
    STDMETHODIMP _Init(LONG_PTR lYVEXControl, LONG_PTR lParam, LONG_PTR wParam) override;

    // IReadOnlyVertexCollection
    STDMETHODIMP get_Item(LONG Index, IVertex **pItem) override;
    STDMETHODIMP get_ItemByID(LONG VertexID, IVertex **pItem) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG DatabaseID, IVertex **pItem) override;
    STDMETHODIMP get_ItemByPointID(LONG PointID, IVertex **pItem) override;
};
