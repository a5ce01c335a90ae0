#pragma once
// The LineShape class (LineShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CLineShape : public ycom::ObjectRoot,
    public IShapeImpl<CLineShape, ILineShape, &IID_ILineShape>,
    public ycom::SupportErrorInfoImpl<&IID_ILineShape> {
public:
    DECLARE_CLASS_ID(CLSID_LineShape)
    BEGIN_INTERFACE_MAP(CLineShape)
        INTERFACE_ENTRY(ILineShape)
        INTERFACE_ENTRY2(IShape, ILineShape)
        INTERFACE_ENTRY2(IDispatch, ILineShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // ILineShape
    STDMETHODIMP get_FirstArrowTypeID(LONG *pVal) override;
    STDMETHODIMP get_SecondArrowTypeID(LONG *pVal) override;
    STDMETHODIMP put_FirstArrowTypeID(LONG newVal) override;
    STDMETHODIMP put_SecondArrowTypeID(LONG newVal) override;
    STDMETHODIMP get_StartX(double *pVal) override;
    STDMETHODIMP put_StartX(double newVal) override;
    STDMETHODIMP get_StartY(double *pVal) override;
    STDMETHODIMP put_StartY(double newVal) override;
    STDMETHODIMP get_EndX(double *pVal) override;
    STDMETHODIMP put_EndX(double newVal) override;
    STDMETHODIMP get_EndY(double *pVal) override;
    STDMETHODIMP put_EndY(double newVal) override;
    STDMETHODIMP get_Length(double *pVal) override;

private:
    HRESULT ReadCoordinate(int index, bool horizontal, double* pVal);
    HRESULT WriteCoordinate(int index, bool horizontal, double value);
};
