#include "automation/ImageShape.h"
#include <cmath>
#include "com/AnsiText.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Image.h"

namespace {

// An angle in [0, 360): inside unchanged, else the remainder of a division by 360 (plus 360 when
// negative).
double NormalizeAngleDegrees(double degrees)
{
    if (degrees >= 0.0 && degrees < 360.0)
        return degrees;
    double rest = std::fmod(degrees, 360.0);
    if (rest < 0.0)
        rest += 360.0;
    return rest;
}

} // namespace

// IImageShape
STDMETHODIMP CImageShape::get_Width(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CImage>(pVal, [&](CImage* i) { *pVal = i->GetWidth(); }); });
}
STDMETHODIMP CImageShape::get_Height(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CImage>(pVal, [&](CImage* i) { *pVal = i->GetHeight(); }); });
}
STDMETHODIMP CImageShape::get_RotationAngle(double* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CImage>(pVal, [&](CImage* i) { *pVal = i->GetRotation(); }); });
}
STDMETHODIMP CImageShape::get_ImageResourceID(LONG* pVal)
{
    return Guarded([&]() -> HRESULT { return ReadKind<CImage>(pVal, [&](CImage* i) { *pVal = i->GetImageResourceId(); }); });
}
STDMETHODIMP CImageShape::put_Width(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CImage>([&](CImage* i) {
            if (i->GetWidth() != static_cast<float>(newVal))
                RecordChange(i, kUndoProperties);
            i->SetSize(static_cast<float>(newVal), i->GetHeight());
        });
    });
}
STDMETHODIMP CImageShape::put_Height(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CImage>([&](CImage* i) {
            if (i->GetHeight() != static_cast<float>(newVal))
                RecordChange(i, kUndoProperties);
            i->SetSize(i->GetWidth(), static_cast<float>(newVal));
        });
    });
}
STDMETHODIMP CImageShape::put_RotationAngle(double newVal)
{
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CImage>([&](CImage* i) {
            if (i->GetRotation() != static_cast<float>(newVal))
                RecordChange(i, kUndoProperties);
            i->SetRotation(NormalizeAngleDegrees(newVal));
        });
    });
}
STDMETHODIMP CImageShape::put_ImageResourceID(LONG newVal)
{
    // The old resource's use is given back and the new one's taken; the ID is not checked.
    return Guarded([&]() -> HRESULT {
        return ChangeKind<CImage>([&](CImage* i) {
            if (i->GetImageResourceId() != newVal)
                RecordChange(i, kUndoProperties);
            i->SetImageResourceId(newVal);
        });
    });
}
STDMETHODIMP CImageShape::get_Angle(double* pVal)
{
    return Guarded([&]() -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_POINTER));
        auto* image = dynamic_cast<CImage*>(shape);
        *pVal = image ? image->GetRotation() : 0.0;
        return S_OK;
    });
}
STDMETHODIMP CImageShape::put_Angle(double newVal)
{
    return Guarded([&]() -> HRESULT { return put_RotationAngle(newVal); });
}

// IPerPropertyBrowsing: the site's image resources for the resource ID.
STDMETHODIMP CImageShape::GetPredefinedStrings(DISPID dispID, CALPOLESTR* pCaStringsOut, CADWORD* pCaCookiesOut)
{
    return Guarded([&]() -> HRESULT {
        if (dispID != 103)
            return IShapeImpl::GetPredefinedStrings(dispID, pCaStringsOut, pCaCookiesOut);
        CShape* shape = nullptr;
        RETURN_IF_FAILED(RequireShape(&shape, E_NOTIMPL));
        std::vector<std::pair<std::wstring, DWORD>> entries;
        for (const auto& entry : m_control->GetImageResourceMap().Resources())
            entries.emplace_back(ycom::AnsiToWide(entry.second->GetName()), static_cast<DWORD>(entry.first));
        return CShapePropertyNames::HandOut(entries, pCaStringsOut, pCaCookiesOut);
    });
}
STDMETHODIMP CImageShape::GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT* pVarOut)
{
    return Guarded([&]() -> HRESULT {
        if (dispID != 103)
            return IShapeImpl::GetPredefinedValue(dispID, dwCookie, pVarOut);
        return CookieValue(dwCookie, pVarOut);
    });
}
