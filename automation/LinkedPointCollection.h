#pragma once
// The LinkedPointCollection class (LinkedPointCollection Class): the points linked to one shape.
#include "com/ComObject.h"
#include "automation/PointCollectionImpl.h"
#include "YVEX_h.h"

class CLinkedPointCollection : public ycom::ObjectRoot,
    public IPointCollectionImpl<CLinkedPointCollection, ILinkedPointCollection, &IID_ILinkedPointCollection>,
    public ycom::SupportErrorInfoImpl<&IID_ILinkedPointCollection> {
public:
    DECLARE_CLASS_ID(CLSID_LinkedPointCollection)
    BEGIN_INTERFACE_MAP(CLinkedPointCollection)
        INTERFACE_ENTRY(ILinkedPointCollection)
        INTERFACE_ENTRY2(IPointCollection, ILinkedPointCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, ILinkedPointCollection)
        INTERFACE_ENTRY2(IDispatch, ILinkedPointCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static constexpr PointSource kSource = PointSource::LinkedPoints;

    // ILinkedPointCollection
    STDMETHODIMP AddPoint(LONG PointID) override;
    STDMETHODIMP DeleteByID(LONG PointID) override;
    STDMETHODIMP Delete(LONG Index) override;

private:
    // Links (unlinks) a pool point to the owner shape as one undo operation.
    HRESULT ChangeLink(LONG pointId, bool link);
};
