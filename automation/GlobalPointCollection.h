#pragma once
// The GlobalPointCollection class (GlobalPointCollection Class): every point of the pool, in ascending ID order.
#include "com/ComObject.h"
#include "automation/PointCollectionImpl.h"
#include "YVEX_h.h"

class CGlobalPointCollection : public ycom::ObjectRoot,
    public IPointCollectionImpl<CGlobalPointCollection, IPointCollection, &IID_IPointCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IPointCollection> {
public:
    DECLARE_CLASS_ID(CLSID_GlobalPointCollection)
    BEGIN_INTERFACE_MAP(CGlobalPointCollection)
        INTERFACE_ENTRY(IPointCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IPointCollection)
        INTERFACE_ENTRY2(IDispatch, IPointCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static constexpr PointSource kSource = PointSource::Pool;
};
