#pragma once
// The ReadOnlyShapeCollection class (ReadOnlyShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

class CReadOnlyShapeCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CReadOnlyShapeCollection, IReadOnlyShapeCollection, &IID_IReadOnlyShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyShapeCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyShapeCollection)
        INTERFACE_ENTRY(IReadOnlyShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IReadOnlyShapeCollection
    STDMETHODIMP get_Item(LONG Index, IShape **pVal) override;
    STDMETHODIMP get_ItemByID(LONG Index, IShape **pVal) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG Index, IShape **pVal) override;
    STDMETHODIMP get_HitShapeCollection(double hitX, double hitY, IReadOnlyShapeCollection **pVal) override;
};
