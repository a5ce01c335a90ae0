#pragma once
// The Ruler class (Ruler Class): a small windowed control that draws a scale beside the
// drawing control's view, or stands alone in a host's window.
#include "com/ComObject.h"
#include "com/Control.h"
#include "com/Dispatch.h"
#include "YVEX_h.h"

class CRuler : public ycom::ObjectRoot,
    public ycom::DispatchImpl<IRuler, &IID_IRuler>,
    public ycom::ControlBase<CRuler>,
    public ycom::SupportErrorInfoImpl<&IID_IRuler> {
public:
    DECLARE_CLASS_ID(CLSID_Ruler)
    static const wchar_t* WindowClassName() { return L"YVEXRuler"; }
    BEGIN_INTERFACE_MAP(CRuler)
        INTERFACE_ENTRY(IRuler)
        INTERFACE_ENTRY2(IDispatch, IRuler)
        INTERFACE_ENTRY(IViewObjectEx)
        INTERFACE_ENTRY2(IViewObject2, IViewObjectEx)
        INTERFACE_ENTRY2(IViewObject, IViewObjectEx)
        INTERFACE_ENTRY(IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY2(IOleInPlaceObject, IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY2(IOleWindow, IOleInPlaceObjectWindowless)
        INTERFACE_ENTRY(IOleInPlaceActiveObject)
        INTERFACE_ENTRY(IOleControl)
        INTERFACE_ENTRY(IOleObject)
        INTERFACE_ENTRY(IPersistStreamInit)
        INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
        INTERFACE_ENTRY(IQuickActivate)
        INTERFACE_ENTRY(IPersistStorage)
        INTERFACE_ENTRY(IDataObject)
        INTERFACE_ENTRY(ISupportErrorInfo)
    END_INTERFACE_MAP()
    // The container keeps the extent only.
    BEGIN_PROPERTY_MAP(CRuler)
        PROPERTY_DATA(L"_cx", m_sizeExtent.cx, VT_UI4)
        PROPERTY_DATA(L"_cy", m_sizeExtent.cy, VT_UI4)
    END_PROPERTY_MAP()
    void FinalRelease() { DestroyControl(); }

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
