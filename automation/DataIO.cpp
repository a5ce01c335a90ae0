#include "automation/DataIO.h"
#include "com/Guard.h"
#include "control/YVEXControl.h"
#include "com/AnsiText.h"

// IDataIO
STDMETHODIMP CDataIO::Serialize(BSTR pszFileName, LONG Mode)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT { return SerializeEx(pszFileName, Mode, 0); });
}

STDMETHODIMP CDataIO::IsModified(VARIANT_BOOL *pVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_ACCESSDENIED;
        return m_control->IsModifiedAsVariant(pVal);
    });
}

STDMETHODIMP CDataIO::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        return CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
    });
}

STDMETHODIMP CDataIO::LoadBlock(BSTR pszFileName, LONG Mode, LONG* pShapeID)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        int id = 0;
        const HRESULT hr = m_control->LoadBlock(ycom::WideToAnsi(pszFileName).c_str(), static_cast<DWORD>(Mode), &id);
        if (pShapeID)
            *pShapeID = id;
        return hr;
    });
}

STDMETHODIMP CDataIO::SaveBlock(BSTR pszFileName, LONG Mode, LONG ShapeID)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        const DWORD mode = (static_cast<DWORD>(Mode) & ~static_cast<DWORD>(DXFMODE_LOAD)) | DXFMODE_BLOCKS;
        return SerializeEx(pszFileName, static_cast<LONG>(mode), ShapeID);
    });
}

STDMETHODIMP CDataIO::SerializeEx(BSTR pszFileName, LONG Mode, LONG lParam)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        return m_control->SerializeDrawing(ycom::WideToAnsi(pszFileName).c_str(), static_cast<DWORD>(Mode), lParam);
    });
}

STDMETHODIMP CDataIO::get_SaveAsBinary(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        if (!pVal)
            return E_INVALIDARG;
        *pVal = m_control->GetSaveAsBinary() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CDataIO::put_SaveAsBinary(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IDataIO, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        m_control->SetSaveAsBinary(newVal != VARIANT_FALSE);
        return S_OK;
    });
}

// IDTCio: the control's own.
STDMETHODIMP CDataIO::LoadDTC(LONG_PTR pYVEXBuffer, LONG lParam, LONG wParam)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        return m_control->LoadDTC(pYVEXBuffer, lParam, wParam);
    });
}

STDMETHODIMP CDataIO::SaveDTC(LONG lParam, LONG wParam, LONG_PTR* pYVEXBuffer)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        return m_control->SaveDTC(lParam, wParam, pYVEXBuffer);
    });
}

STDMETHODIMP CDataIO::ReleaseDTC(LONG_PTR pYVEXBuffer)
{
    return ycom::Guard(IID_IDTCio, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        return m_control->ReleaseDTC(pYVEXBuffer);
    });
}
