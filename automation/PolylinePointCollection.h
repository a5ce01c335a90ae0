#pragma once
// The PolylinePointCollection class (PolylinePointCollection Class): the points of a polyline, with the
// operations that insert and remove them.
#include "com/ComObject.h"
#include "automation/PointCollectionImpl.h"
#include "YVEX_h.h"

class CPolylinePointCollection : public ycom::ObjectRoot,
    public IPointCollectionImpl<CPolylinePointCollection, IPolylinePointCollection, &IID_IPolylinePointCollection>,
    public ycom::SupportErrorInfoImpl<&IID_IPolylinePointCollection> {
public:
    DECLARE_CLASS_ID(CLSID_PolylinePointCollection)
    BEGIN_INTERFACE_MAP(CPolylinePointCollection)
        INTERFACE_ENTRY(IPolylinePointCollection)
        INTERFACE_ENTRY2(IPointCollection, IPolylinePointCollection)
        INTERFACE_ENTRY2(_IReadOnlyCollection, IPolylinePointCollection)
        INTERFACE_ENTRY2(IDispatch, IPolylinePointCollection)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    static constexpr PointSource kSource = PointSource::ShapePoints;

    // IPolylinePointCollection
    STDMETHODIMP AddPoint(LONG Index, LONG PointID) override;
    STDMETHODIMP DeleteByID(LONG PointID) override;
    STDMETHODIMP Delete(LONG Index) override;
    STDMETHODIMP AddNewPoint(LONG Index, LONG *PointID, float X, float Y) override;
};
