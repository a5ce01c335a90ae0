#include "automation/YVEXPrint.h"
#include <commdlg.h>
#include "com/AnsiText.h"
#include "com/Guard.h"
#include "control/ControlCore.h"
#include "control/YVEXControl.h"

// The settings of the print object live in the control, in its page set-up record and its print
// settings, which every setter keeps equal.
template <class F>
HRESULT CYVEXPrint::Guarded(F&& body)
{
    return ycom::Guard(IID_IYVEXPrint, [&]() -> HRESULT {
        if (!m_control)
            return E_POINTER;
        return body(m_control->GetPageSetup(), m_control->GetPrintSettings());
    });
}

namespace {

// The paper of the default printer, in millimetres; false without a printer.
bool DefaultPrinterPaper(CRealPoint* paper)
{
    PRINTDLGW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.Flags = PD_RETURNDEFAULT;
    if (!PrintDlgW(&dialog))
        return false;
    bool found = false;
    if (auto* mode = static_cast<DEVMODEW*>(dialog.hDevMode ? GlobalLock(dialog.hDevMode) : nullptr)) {
        const bool portrait = !(mode->dmFields & DM_ORIENTATION) || mode->dmOrientation != DMORIENT_LANDSCAPE;
        float width = 0.0f, length = 0.0f;
        if ((mode->dmFields & DM_PAPERWIDTH) && (mode->dmFields & DM_PAPERLENGTH)) {
            width = mode->dmPaperWidth / 10.0f;
            length = mode->dmPaperLength / 10.0f;
        } else if (mode->dmPaperSize == DMPAPER_A4) {
            width = 210.0f;
            length = 297.0f;
        } else if (mode->dmPaperSize == DMPAPER_LETTER) {
            width = 215.9f;
            length = 279.4f;
        }
        if (width > 0.0f && length > 0.0f) {
            *paper = portrait ? CRealPoint(width, length) : CRealPoint(length, width);
            found = true;
        }
        GlobalUnlock(dialog.hDevMode);
    }
    if (dialog.hDevMode)
        GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames)
        GlobalFree(dialog.hDevNames);
    return found;
}

} // namespace

// IYVEXPrint
// Printing, the stored printer handles, the page set-up dialog and the site's metafile belong to
// the control's printing core: attached, these answer E_NOTIMPL until it is there.
STDMETHODIMP CYVEXPrint::PrintSite(VARIANT_BOOL)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return E_NOTIMPL; });
}
STDMETHODIMP CYVEXPrint::PageSetup()
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return E_NOTIMPL; });
}
STDMETHODIMP CYVEXPrint::RestorePrinterSettings(LONG_PTR)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return E_NOTIMPL; });
}
STDMETHODIMP CYVEXPrint::StorePrinterSettings(LONG_PTR)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return E_NOTIMPL; });
}
STDMETHODIMP CYVEXPrint::DrawSiteMetafile(BSTR PathName, LONG_PTR* hEnhMetafile)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings& print) -> HRESULT {
        if (!hEnhMetafile)
            return E_INVALIDARG;
        *hEnhMetafile = 0;
        // An empty or null path keeps the metafile in memory.
        const std::string path = PathName ? ycom::WideToAnsi(PathName) : std::string();
        HENHMETAFILE metafile = nullptr;
        const HRESULT hr = m_control->DrawSiteMetafile(path.c_str(), print.printType, &metafile);
        *hEnhMetafile = reinterpret_cast<LONG_PTR>(metafile);
        return hr;
    });
}
STDMETHODIMP CYVEXPrint::PrintSiteMetafile(LONG_PTR, LONG_PTR, LONG_PTR)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return E_NOTIMPL; });
}
STDMETHODIMP CYVEXPrint::get_PrintType(LONG* pVal)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings&) -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = page.printType;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::put_PrintType(LONG newVal)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings& print) -> HRESULT {
        page.printType = print.printType = newVal;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::GetPrintRect(float* pLeft, float* pTop, float* pRight, float* pBottom)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings&) -> HRESULT {
        if (!pLeft || !pTop || !pRight || !pBottom)
            return E_INVALIDARG;
        *pLeft = page.printRect.left;
        *pTop = page.printRect.top;
        *pRight = page.printRect.right;
        *pBottom = page.printRect.bottom;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::PutPrintRect(float Left, float Top, float Right, float Bottom)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings& print) -> HRESULT {
        const CRealRect rect(Left, Top, Right, Bottom);
        print.printRect = rect;
        print.rectGiven = 1;
        page.SetPrintRect(rect, DefaultPrinterPaper);
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::GetPrintOffset(float* pXOffset, float* pYOffset)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings&) -> HRESULT {
        if (!pXOffset || !pYOffset)
            return E_INVALIDARG;
        *pXOffset = page.printOffset.x;
        *pYOffset = page.printOffset.y;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::PutPrintOffset(float XOffset, float YOffset)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings& print) -> HRESULT {
        page.printOffset = print.printOffset = CRealPoint(XOffset, YOffset);
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::get_PrintCentered(VARIANT_BOOL* pVal)
{
    // VARIANT_TRUE, not the stored 1: a script's Not of 1 is still true.
    return Guarded([&](CPageSetupRecord& page, CPrintSettings&) -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = page.centered ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::put_PrintCentered(VARIANT_BOOL newVal)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings& print) -> HRESULT {
        page.centered = print.centered = newVal ? 1 : 0;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::get_PrintScale(float* pVal)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings&) -> HRESULT {
        if (!pVal)
            return E_INVALIDARG;
        *pVal = page.printScale;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::put_PrintScale(float newVal)
{
    return Guarded([&](CPageSetupRecord& page, CPrintSettings& print) -> HRESULT {
        page.printScale = print.printScale = newVal;
        return S_OK;
    });
}
STDMETHODIMP CYVEXPrint::put__YVEXControl(LONG_PTR newVal)
{
    return ycom::Guard(IID_IYVEXPrint, [&]() -> HRESULT {
        return CYVEXControl::AttachForwarder(newVal, OuterUnknown(), &m_control, &m_keepAlive);
    });
}
