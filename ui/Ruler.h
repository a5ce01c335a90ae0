#pragma once
// The Ruler class (Ruler Class).
#include "com/ComObject.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CRuler : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IRuler, &IID_IRuler>,
    public ycom::SupportErrorInfoImpl<&IID_IRuler> {
public:
    DECLARE_CLASS_ID(CLSID_Ruler)
    BEGIN_INTERFACE_MAP(CRuler)
        INTERFACE_ENTRY(IRuler)
        INTERFACE_ENTRY2(IDispatch, IRuler)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()

    // IRuler
    STDMETHODIMP SetRulerInfo(double LowerLimit, double UpperLimit, short nScalingFactor, short nGroupSize, VARIANT_BOOL bHorz, VARIANT_BOOL b3DLook) override;
    STDMETHODIMP SetRulerLimits(double LowerLimit, double UpperLimit) override;
    STDMETHODIMP get_MajorMarkerLength(short *pVal) override;
    STDMETHODIMP put_MajorMarkerLength(short newVal) override;
    STDMETHODIMP get_MinorMarkerLength(short *pVal) override;
    STDMETHODIMP put_MinorMarkerLength(short newVal) override;
    STDMETHODIMP get_NumbersDistance(short *pVal) override;
    STDMETHODIMP put_NumbersDistance(short newVal) override;
    STDMETHODIMP get_HorzAligned(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_HorzAligned(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_ShowNumbers(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_ShowNumbers(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Look3D(VARIANT_BOOL *pVal) override;
    STDMETHODIMP put_Look3D(VARIANT_BOOL newVal) override;
    STDMETHODIMP get_Zero(double *pVal) override;
    STDMETHODIMP put_Zero(double newVal) override;
    STDMETHODIMP get_CursorPosition(double *pVal) override;
    STDMETHODIMP put_CursorPosition(double newVal) override;
};
