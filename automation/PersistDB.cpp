#include "automation/PersistDB.h"
#include <string>
#include "control/YVEXControl.h"
#include "platform/com/Guard.h"

namespace {

std::string Narrow(BSTR text)
{
    if (!text)
        return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 1 ? static_cast<size_t>(n - 1) : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

HRESULT ToBstr(const std::string& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    *out = SysAllocStringLen(nullptr, n > 0 ? static_cast<UINT>(n - 1) : 0);
    if (!*out)
        return E_OUTOFMEMORY;
    if (n > 1)
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, *out, n);
    return S_OK;
}

} // namespace

// IPersistDB: every member forwards to the attached control; unattached, E_NOTIMPL.

STDMETHODIMP CPersistDB::Save(LONG SiteID)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartSaveSiteToDB(SiteID, 0, nullptr);
    });
}

STDMETHODIMP CPersistDB::Load(LONG SiteID, VARIANT_BOOL bReadOnly)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        // The flag asks for a read-only site and nothing else: widened as a mode word, true (-1)
        // would also set DXFMODE_FOREGROUND and every other bit.
        return m_control->StartLoadSiteFromDB(SiteID, bReadOnly ? DXFMODE_READONLY : 0);
    });
}

STDMETHODIMP CPersistDB::Delete(LONG SiteID)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartDeleteSiteFromDB(SiteID);
    });
}

STDMETHODIMP CPersistDB::get_DSN(BSTR* pVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return ToBstr(m_control->GetDataSource(), pVal);
    });
}

STDMETHODIMP CPersistDB::put_DSN(BSTR newVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        m_control->SetDataSource(Narrow(newVal));
        // The message queue uses the same connection data.
        if (IMessenger* messenger = m_control->GetInnerMessenger())
            messenger->put_DSN(newVal);
        return S_OK;
    });
}

STDMETHODIMP CPersistDB::get_UserName(BSTR* pVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return ToBstr(m_control->GetUserName(), pVal);
    });
}

STDMETHODIMP CPersistDB::put_UserName(BSTR newVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        m_control->SetUserName(Narrow(newVal));
        // The message queue uses the same connection data.
        if (IMessenger* messenger = m_control->GetInnerMessenger())
            messenger->put_UserName(newVal);
        return S_OK;
    });
}

STDMETHODIMP CPersistDB::put_Password(BSTR newVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        m_control->SetPassword(Narrow(newVal));
        // The message queue uses the same connection data.
        if (IMessenger* messenger = m_control->GetInnerMessenger())
            messenger->put_Password(newVal);
        return S_OK;
    });
}

STDMETHODIMP CPersistDB::SaveToNewSite(BSTR newSiteName, LONG* SiteID)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        int created = 0;
        const std::string name = Narrow(newSiteName);
        const HRESULT hr = m_control->SaveToNewSite(name.c_str(), &created);
        if (SiteID)
            *SiteID = created;
        return hr;
    });
}

STDMETHODIMP CPersistDB::get_SiteID(LONG* pVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        if (!pVal)
            return E_POINTER;
        *pVal = m_control->GetSiteId();
        return S_OK;
    });
}

STDMETHODIMP CPersistDB::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        return CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
    });
}

STDMETHODIMP CPersistDB::LoadFromFile(BSTR path, DBFileTypes fileType, LONG SiteID)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        const std::string file = Narrow(path);
        return m_control->StartLoadSiteFromFile(file.c_str(), fileType, SiteID);
    });
}

STDMETHODIMP CPersistDB::SaveToFile(BSTR path, DBFileTypes fileType)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        const std::string file = Narrow(path);
        return m_control->StartSaveSiteToFile(file.c_str(), fileType);
    });
}

STDMETHODIMP CPersistDB::LoadAdditionally(LONG SiteID, VARIANT_BOOL bMergeLayers, ModuleSettingsOverwriting DSandViewport,
                                          UnitsSource usource, DisableModules disableMode,
                                          VARIANT_BOOL bDoNotMakeCurrent)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->LoadSiteAdditionally(SiteID, bMergeLayers != VARIANT_FALSE, DSandViewport, usource, disableMode,
                                               bDoNotMakeCurrent != VARIANT_FALSE);
    });
}

STDMETHODIMP CPersistDB::SaveEx(LONG SiteID, BSTR newSiteName, LONG Mode, LONG* pSiteID)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        const std::string name = Narrow(newSiteName);
        const HRESULT hr = m_control->StartSaveSiteToDB(SiteID, static_cast<DWORD>(Mode), name.empty() ? nullptr : name.c_str());
        if (SUCCEEDED(hr) && pSiteID)
            *pSiteID = m_control->GetSiteId();
        return hr;
    });
}

STDMETHODIMP CPersistDB::LoadEx(LONG SiteID, LONG Mode)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartLoadSiteFromDB(SiteID, static_cast<DWORD>(Mode));
    });
}
