#pragma once
// The ReadOnlyReferenceShapeCollection class (ReadOnlyReferenceShapeCollection Class).
#include "com/ComObject.h"
#include "automation/ReadOnlyCollectionImpl.h"
#include "YVEX_h.h"

class CReadOnlyReferenceShapeCollection : public ycom::ObjectRoot,
    public IReadOnlyCollectionImpl<CReadOnlyReferenceShapeCollection, IReadOnlyReferenceShapeCollection, &IID_IReadOnlyReferenceShapeCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IReadOnlyReferenceShapeCollection> {
public:
    DECLARE_CLASS_ID(CLSID_ReadOnlyReferenceShapeCollection)
    BEGIN_INTERFACE_MAP(CReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY(IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY2(IDispatch, IReadOnlyReferenceShapeCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IReadOnlyReferenceShapeCollection
    STDMETHODIMP get_Item(LONG Index, IReferenceShape **pVal) override;
    STDMETHODIMP get_ItemByID(LONG Index, IReferenceShape **pVal) override;
    STDMETHODIMP get_ItemByDatabaseID(LONG Index, IReferenceShape **pVal) override;
    STDMETHODIMP get_HitShapeCollection(double hitX, double hitY, IReadOnlyShapeCollection **pVal) override;
};
