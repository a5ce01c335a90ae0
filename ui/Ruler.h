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
    CRuler();
    ~CRuler();
    void FinalRelease() { DestroyControl(); }

    // Paints the frame, the ticks with their numbers and the cursor line into `dc` within
    // `bounds` (the window's painting and the container's IViewObject::Draw).
    HRESULT OnDraw(HDC dc, const RECT& bounds);
    // Moves the cursor line drawn in `dc` over `bounds`: the old line is drawn again (which
    // removes it, the pen being NOT-XOR) and the new one drawn.
    void MoveCursor(HDC dc, const RECT& bounds, double position);

    // The tick spacing that SetRulerLimits chose (a power of ten, times 0.2 or 0.5), the digits
    // after the point of the numbers and whether a major interval spans two groups.
    double BaseStep() const { return m_baseStep; }
    short Decimals() const { return m_decimals; }
    short HalfGroup() const { return m_halfGroup; }

    // IRuler
    template <class F>
    static HRESULT Guarded(F&& body);
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

private:
    // Value per pixel along the ruler for a ruler `length` pixels long; 0 when it cannot be
    // drawn (no length, equal or non-finite limits).
    double ValuePerPixel(int length) const;
    // Picks the major and minor steps for `u` values per pixel; false when no usable step.
    bool ChooseSteps(double u);
    void DrawTicks(HDC dc, const RECT& bounds);
    void DrawCursorLine(HDC dc, const RECT& bounds, double position) const;

    double m_cursor = 0.0;
    double m_zero = 0.0;
    short m_scalingFactor = 5;
    double m_upper = 120.0;
    double m_lower = -12.0;
    short m_groupSize = 5;
    short m_halfGroup = 0;
    short m_minorLength = 3;
    short m_majorLength = 7;
    VARIANT_BOOL m_look3D = VARIANT_FALSE;
    VARIANT_BOOL m_horizontal = VARIANT_TRUE;
    ycom::Font m_horizontalFont;
    ycom::Font m_verticalFont;
    short m_decimals = 0;
    short m_numbersDistance = 30;
    VARIANT_BOOL m_showNumbers = VARIANT_TRUE;
    double m_baseStep = 5.0;
    double m_majorStep = 0.0;
    double m_minorStep = 0.0;
};
