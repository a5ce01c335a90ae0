#include "automation/ImageResourceObject.h"
#include <string>
#include <utility>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "com/HResult.h"
#include "control/ErrorInfo.h"
#include "control/YVEXControl.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "persistence/OdbcSession.h"

template <class F>
HRESULT CImageResourceObject::Guarded(F&& body)
{
    return ycom::Guard(IID_IImageResource, [&]() -> HRESULT {
        CImageResource* resource = m_control ? m_control->GetImageResourceMap().Lookup(m_itemId) : nullptr;
        if (!resource)
            return E_POINTER;
        return body(*resource);
    });
}

// IImageResource
STDMETHODIMP CImageResourceObject::get_ID(LONG* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = r.GetId();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::get_DatabaseID(LONG* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = r.GetDatabaseId();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::put_DatabaseID(LONG newVal)
{
    // The map's database index follows (a value below -1 only removes the entry).
    return Guarded([&](CImageResource& r) -> HRESULT {
        m_control->GetImageResourceMap().SetDatabaseId(newVal, r.GetId());
        m_control->SetModified();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::get_Name(BSTR* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = SysAllocString(ycom::AnsiToWide(r.GetName()).c_str());
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}
STDMETHODIMP CImageResourceObject::put_Name(BSTR newVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        r.SetName(ycom::WideToAnsi(newVal).c_str());
        m_control->SetModified();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::_Init(LONG_PTR lYVEXControl, LONG_PTR lResource)
{
    // The number is only compared with the map's resources, never used as a pointer before.
    return ycom::Guard(IID_IImageResource, [&]() -> HRESULT {
        CYVEXControl* control = nullptr;
        RETURN_IF_FAILED(CYVEXControl::ResolveHandle(lYVEXControl, &control));
        int id = 0;
        if (control && lResource)
            for (const auto& entry : control->GetImageResourceMap().Resources())
                if (reinterpret_cast<LONG_PTR>(entry.second.get()) == lResource)
                    id = entry.first;
        if (!id && (control || lResource))
            return ReportComErrorW(CLSID_YVEXControl, L"Wrong identifier.", E_INVALIDARG);
        Attach(control, id);
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::Save(LONG scenarioID, VARIANT_BOOL bUpdateData)
{
    // On a connection of its own with the control's data source, user and password.
    return Guarded([&](CImageResource& r) -> HRESULT {
        COdbcSession session;
        RETURN_IF_FAILED(m_control->ConnectOwnSession(session));
        return r.Save(session, scenarioID, bUpdateData != VARIANT_FALSE ? 1 : 0);
    });
}
STDMETHODIMP CImageResourceObject::SaveToFile(BSTR FileName)
{
    // In the format the file name's extension names (its own format for another extension).
    return Guarded([&](CImageResource& r) -> HRESULT {
        const std::wstring path = FileName ? std::wstring(FileName, SysStringLen(FileName)) : std::wstring();
        return r.SaveToFile(path, ImageFormatFromFileName(path));
    });
}
STDMETHODIMP CImageResourceObject::SaveToFileEx(BSTR FileName, LONG TargetImageResourceType)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        if (TargetImageResourceType < irtUnknown || TargetImageResourceType > irtPNG)
            return E_INVALIDARG;
        return r.SaveToFile(FileName ? std::wstring(FileName, SysStringLen(FileName)) : std::wstring(),
                            static_cast<int>(TargetImageResourceType));
    });
}
STDMETHODIMP CImageResourceObject::get_DefaultImageScale(double* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = r.GetDefaultScale();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::put_DefaultImageScale(double newVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        r.SetDefaultScale(static_cast<float>(newVal));
        m_control->SetModified();
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::ConvertToBlock(LONG* BlockID)
{
    return ycom::Guard(IID_IImageResource, [&]() -> HRESULT {
        if (!BlockID)
            return E_INVALIDARG;
        *BlockID = 0;
        CImageResource* resource = m_control ? m_control->GetImageResourceMap().Lookup(m_itemId) : nullptr;
        if (!resource)
            return E_POINTER;
        // A block made earlier that still exists is the answer; else the picture's conversion
        // (0 when it makes none; E_ACCESSDENIED for a resource without a picture).
        if (resource->GetBlockId() > 0 && m_control->FindShape(resource->GetBlockId())) {
            *BlockID = resource->GetBlockId();
            return S_OK;
        }
        return m_control->ConvertImageResourceToBlock(resource, false, BlockID);
    });
}
STDMETHODIMP CImageResourceObject::get_Extension(BSTR* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        static const wchar_t* const kExtensions[] = {L"", L"emf", L"bmp", L"jpg", L"gif", L"tif", L"png"};
        const int type = r.GetFormatId();
        *pVal = SysAllocString(type >= 1 && type <= 6 ? kExtensions[type] : L"");
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}
STDMETHODIMP CImageResourceObject::get_ResourceType(ImageResourceTypes* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = static_cast<ImageResourceTypes>(r.GetFormatId());
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::get_Height(LONG* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = static_cast<LONG>(r.GetHeight());
        return S_OK;
    });
}
STDMETHODIMP CImageResourceObject::get_Width(LONG* pVal)
{
    return Guarded([&](CImageResource& r) -> HRESULT {
        RETURN_IF_NULL_POINTER(pVal);
        *pVal = static_cast<LONG>(r.GetWidth());
        return S_OK;
    });
}
