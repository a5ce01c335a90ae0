#pragma once
// The PointCollection class (PointCollection Class): the points of one shape, in its order.
#include "com/ComObject.h"
#include "automation/PointCollectionImpl.h"
#include "YVEX_h.h"

class CPointCollection : public ycom::ObjectRoot,
    public IPointCollectionImpl<CPointCollection, IPointCollection, &IID_IPointCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IPointCollection> {
public:
    DECLARE_CLASS_ID(CLSID_PointCollection)
    BEGIN_INTERFACE_MAP(CPointCollection)
        INTERFACE_ENTRY(IPointCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IPointCollection)
        INTERFACE_ENTRY2(IDispatch, IPointCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static constexpr PointSource kSource = PointSource::ShapePoints;
};
