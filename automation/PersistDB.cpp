#include "automation/PersistDB.h"
#include "control/YVEXControl.h"

// IPersistDB
STDMETHODIMP CPersistDB::Save(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::Load(LONG, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::Delete(LONG) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::get_DSN(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::put_DSN(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::get_UserName(BSTR *) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::put_UserName(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::put_Password(BSTR) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::SaveToNewSite(BSTR, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::get_SiteID(LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IPersistDB, [&]() -> HRESULT {
        return CYVEXControl::ResolveHandle(newVal, &m_control);
    });
}
STDMETHODIMP CPersistDB::LoadFromFile(BSTR, DBFileTypes, LONG) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::SaveToFile(BSTR, DBFileTypes) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::LoadAdditionally(LONG, VARIANT_BOOL, ModuleSettingsOverwriting, UnitsSource, DisableModules, VARIANT_BOOL) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::SaveEx(LONG, BSTR, LONG, LONG *) { return E_NOTIMPL; }
STDMETHODIMP CPersistDB::LoadEx(LONG, LONG) { return E_NOTIMPL; }
