#include "automation/HighlightGroupShape.h"
#include "model/HighlightGroup.h"

// The highlight settings change no drawing data: no undo unit, no modified flag.
template <class F>
HRESULT CHighlightGroupShape::WithGroup(F&& body)
{
    CShape* shape = nullptr;
    const HRESULT hr = FindShape(&shape);
    if (hr != S_OK)
        return hr == S_FALSE ? S_OK : hr;
    auto* group = dynamic_cast<CHighlightGroup*>(shape);
    if (!group)
        return S_OK;
    body(*group);
    return S_OK;
}

// IHighlightGroupShape
STDMETHODIMP CHighlightGroupShape::get_ShadeType(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithGroup([&](CHighlightGroup& g) { *pVal = g.GetShadeType(); });
    });
}
STDMETHODIMP CHighlightGroupShape::get_BlinkTimeout(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithGroup([&](CHighlightGroup& g) { *pVal = g.GetBlinkTimeout(); });
    });
}
STDMETHODIMP CHighlightGroupShape::get_BlinkType(LONG* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithGroup([&](CHighlightGroup& g) { *pVal = g.GetBlinkType(); });
    });
}
STDMETHODIMP CHighlightGroupShape::get_BlinkOn(VARIANT_BOOL* pVal)
{
    // VARIANT_TRUE, not the stored 1: a script's Not of 1 is still true.
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        return WithGroup([&](CHighlightGroup& g) { *pVal = g.GetBlinkOn() ? VARIANT_TRUE : VARIANT_FALSE; });
    });
}
STDMETHODIMP CHighlightGroupShape::put_ShadeType(ShadeTypes newVal)
{
    return Guarded([&]() -> HRESULT { return WithGroup([&](CHighlightGroup& g) { g.SetShadeType(newVal); }); });
}
STDMETHODIMP CHighlightGroupShape::put_BlinkTimeout(LONG newVal)
{
    return Guarded([&]() -> HRESULT { return WithGroup([&](CHighlightGroup& g) { g.SetBlinkTimeout(newVal); }); });
}
STDMETHODIMP CHighlightGroupShape::put_BlinkType(BlinkTypes newVal)
{
    return Guarded([&]() -> HRESULT { return WithGroup([&](CHighlightGroup& g) { g.SetBlinkType(newVal); }); });
}
STDMETHODIMP CHighlightGroupShape::put_BlinkOn(VARIANT_BOOL newVal)
{
    return Guarded([&]() -> HRESULT {
        return WithGroup([&](CHighlightGroup& g) { g.SetBlinkOn(newVal != VARIANT_FALSE); });
    });
}
