#pragma once
// The ImageShape class (ImageShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CImageShape : public ycom::ObjectRoot,
    public IShapeImpl<CImageShape, IImageShape, &IID_IImageShape>,
    public ycom::SupportErrorInfoImpl<&IID_IImageShape> {
public:
    DECLARE_CLASS_ID(CLSID_ImageShape)
    BEGIN_INTERFACE_MAP(CImageShape)
        INTERFACE_ENTRY(IImageShape)
        INTERFACE_ENTRY2(IShape, IImageShape)
        INTERFACE_ENTRY2(IDispatch, IImageShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IImageShape
    STDMETHODIMP get_Width(double *pVal) override;
    STDMETHODIMP get_Height(double *pVal) override;
    STDMETHODIMP get_RotationAngle(double *pVal) override;
    STDMETHODIMP get_ImageResourceID(LONG *pVal) override;
    STDMETHODIMP put_Width(double newVal) override;
    STDMETHODIMP put_Height(double newVal) override;
    STDMETHODIMP put_RotationAngle(double newVal) override;
    STDMETHODIMP put_ImageResourceID(LONG newVal) override;
    // IShape members of an image: the angle is its rotation (degrees).
    STDMETHODIMP get_Angle(double *pVal) override;
    STDMETHODIMP put_Angle(double newVal) override;
    // The image resources of the site for its resource ID (103).
    STDMETHODIMP GetPredefinedStrings(DISPID dispID, CALPOLESTR *pCaStringsOut, CADWORD *pCaCookiesOut) override;
    STDMETHODIMP GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT *pVarOut) override;
};
