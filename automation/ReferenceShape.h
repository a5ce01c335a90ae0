#pragma once
// The ReferenceShape class (ReferenceShape Class).
#include "com/ComObject.h"
#include "automation/ShapeImpl.h"
#include "YVEX_h.h"

class CReferenceShape : public ycom::ObjectRoot,
    public IShapeImpl<CReferenceShape, IReferenceShape, &IID_IReferenceShape>,
    public ycom::SupportErrorInfoImpl<&IID_IReferenceShape> {
public:
    DECLARE_CLASS_ID(CLSID_ReferenceShape)
    BEGIN_INTERFACE_MAP(CReferenceShape)
        INTERFACE_ENTRY(IReferenceShape)
        INTERFACE_ENTRY2(IShape, IReferenceShape)
        INTERFACE_ENTRY2(IDispatch, IReferenceShape)
        INTERFACE_ENTRY(IPerPropertyBrowsing)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IReferenceShape
    STDMETHODIMP get_XScale(double *pVal) override;
    STDMETHODIMP get_YScale(double *pVal) override;
    STDMETHODIMP get_RotationAngle(double *pVal) override;
    STDMETHODIMP get_BlockGroupShapeID(LONG *pVal) override;
    STDMETHODIMP put_XScale(double newVal) override;
    STDMETHODIMP put_YScale(double newVal) override;
    STDMETHODIMP put_RotationAngle(double newVal) override;
    STDMETHODIMP put_BlockGroupShapeID(LONG newVal) override;
    // IShape members of a reference: the angle is its rotation.
    STDMETHODIMP put_Angle(double newVal) override;
    // The linked block for its block ID (103).
    STDMETHODIMP GetPredefinedStrings(DISPID dispID, CALPOLESTR *pCaStringsOut, CADWORD *pCaCookiesOut) override;
    STDMETHODIMP GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT *pVarOut) override;

private:
    // Scales the reference along its own axis (x or y) by new / stored scale.
    HRESULT SetScale(bool horizontal, double value);
};
