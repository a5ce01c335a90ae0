#pragma once
// The LayerShape class (LayerShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CLayerShape : public ycom::ObjectRoot,
    public IShapeImpl<CLayerShape, ILayerShape, &IID_ILayerShape>,
    public ycom::SupportErrorInfoImpl<&IID_ILayerShape> {
public:
    DECLARE_CLASS_ID(CLSID_LayerShape)
    BEGIN_INTERFACE_MAP(CLayerShape)
        INTERFACE_ENTRY(ILayerShape)
        INTERFACE_ENTRY2(IShape, ILayerShape)
        INTERFACE_ENTRY2(IDispatch, ILayerShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // This kind's bounds are the shape's own plain bounds.
    HRESULT BoundingRectOf(CShape* shape, float* left, float* top, float* right, float* bottom)
    {
        return shape->GetBoundingRect(left, top, right, bottom);
    }

    // ILayerShape
    STDMETHODIMP get_Name(BSTR *pVal) override;
    STDMETHODIMP get_Flags(LONG *pVal) override;
    STDMETHODIMP put_Name(BSTR newVal) override;
    STDMETHODIMP put_Flags(LONG newVal) override;
    STDMETHODIMP get_Selectable(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_Selectable(VARIANT_BOOL newVal) override;
};
