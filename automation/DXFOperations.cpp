#include "automation/DXFOperations.h"
#include "com/Guard.h"
#include "control/YVEXControl.h"
#include "interchange/DxfDocument.h"
#include "com/AnsiText.h"

namespace {
// The control's "no shape": a save of the whole drawing.
const int kNoShape = -8;

std::string Narrow(BSTR text) { return ycom::WideToAnsi(text); }
} // namespace

// IDXFOperations
STDMETHODIMP CDXFOperations::SaveDXF(BSTR pszFileName, VARIANT_BOOL fRemember)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        // The caller gets the answer once the file is written.
        const DWORD mode = DXFMODE_FOREGROUND | (fRemember ? DXFMODE_REMEMBER_FILENAME : 0);
        return m_control->StartDxfSave(Narrow(pszFileName).c_str(), mode, kNoShape);
    });
}

STDMETHODIMP CDXFOperations::LoadDXF(BSTR pszFileName, LONG dwMode)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartDxfLoad(Narrow(pszFileName).c_str(), static_cast<DWORD>(dwMode));
    });
}

STDMETHODIMP CDXFOperations::IsModified(VARIANT_BOOL *pVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_ACCESSDENIED;
        return m_control->IsModifiedAsVariant(pVal);
    });
}

STDMETHODIMP CDXFOperations::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        return CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
    });
}

STDMETHODIMP CDXFOperations::SaveDXFEx(BSTR pszFileName, LONG dwMode)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartDxfSave(Narrow(pszFileName).c_str(), static_cast<DWORD>(dwMode), kNoShape);
    });
}

STDMETHODIMP CDXFOperations::SaveShape(BSTR pszFileName, LONG ShapeID)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        // Mode 0: on a worker thread.
        return m_control->StartDxfSave(Narrow(pszFileName).c_str(), 0, ShapeID);
    });
}

STDMETHODIMP CDXFOperations::LoadShape(BSTR pszFileName)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        return m_control->StartDxfLoad(Narrow(pszFileName).c_str(), DXFMODE_BLOCKS | DXFMODE_LOAD);
    });
}

STDMETHODIMP CDXFOperations::get_SaveAsBinary(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        if (!pVal)
            return E_INVALIDARG;
        *pVal = m_control->GetSaveAsBinary() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

STDMETHODIMP CDXFOperations::put_SaveAsBinary(VARIANT_BOOL newVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        m_control->SetSaveAsBinary(newVal != VARIANT_FALSE);
        return S_OK;
    });
}

STDMETHODIMP CDXFOperations::get_BinaryDXFOpened(VARIANT_BOOL* pVal)
{
    return ycom::Guard(IID_IDXFOperations, [&]() -> HRESULT {
        if (!m_control)
            return E_NOTIMPL;
        if (!pVal)
            return E_INVALIDARG;
        *pVal = m_control->GetDxfDocument().GetFile().IsBinary() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
