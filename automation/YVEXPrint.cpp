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

// The dialog structures a host hands over by address, told apart by their size field.
template <class Dialog>
Dialog* DialogOfSize(LONG_PTR address)
{
    auto* dialog = reinterpret_cast<Dialog*>(address);
    return dialog && dialog->lStructSize == sizeof(Dialog) ? dialog : nullptr;
}

} // namespace

// IYVEXPrint
STDMETHODIMP CYVEXPrint::PrintSite(VARIANT_BOOL Quiet)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT {
        return m_control->PrintSiteToPrinter(Quiet != VARIANT_FALSE);
    });
}
STDMETHODIMP CYVEXPrint::PageSetup()
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT { return m_control->RunPageSetupDialog(); });
}
STDMETHODIMP CYVEXPrint::RestorePrinterSettings(LONG_PTR pPRINTDLG)
{
    // A print dialog or a page set-up dialog structure: anything else is not written to.
    return Guarded([&](CPageSetupRecord&, CPrintSettings& print) -> HRESULT {
        if (auto* dialog = DialogOfSize<PRINTDLGA>(pPRINTDLG)) {
            print.dialog = dialog;
            dialog->lCustData = reinterpret_cast<LPARAM>(&print);
            m_control->GetPrinterSetup(dialog);
            return S_OK;
        }
        if (auto* dialog = DialogOfSize<PAGESETUPDLGA>(pPRINTDLG)) {
            print.dialog = dialog;
            dialog->lCustData = reinterpret_cast<LPARAM>(&print);
            m_control->GetPrinterSetup(dialog);
            return S_OK;
        }
        return E_INVALIDARG;
    });
}
STDMETHODIMP CYVEXPrint::StorePrinterSettings(LONG_PTR pPRINTDLG)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT {
        if (auto* dialog = DialogOfSize<PRINTDLGA>(pPRINTDLG))
            m_control->StorePrinterSetup(dialog);
        else if (auto* dialog = DialogOfSize<PAGESETUPDLGA>(pPRINTDLG))
            m_control->StorePrinterSetup(dialog);
        else
            return E_INVALIDARG;
        return S_OK;
    });
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
STDMETHODIMP CYVEXPrint::PrintSiteMetafile(LONG_PTR hEnhMetafile, LONG_PTR hTargetDC, LONG_PTR hTargetInfoDC)
{
    return Guarded([&](CPageSetupRecord&, CPrintSettings&) -> HRESULT {
        return PlaySiteMetafile(reinterpret_cast<HENHMETAFILE>(hEnhMetafile), reinterpret_cast<HDC>(hTargetDC),
                                reinterpret_cast<HDC>(hTargetInfoDC), 0, nullptr);
    });
}
HRESULT CYVEXPrint::PlaySiteMetafile(HENHMETAFILE metafile, HDC target, HDC info, LONG reserved, const SIZE* pageSize)
{
    if (!m_control)
        return E_POINTER;
    return m_control->PlaySiteMetafile(metafile, target, info, reserved, pageSize);
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
        page.SetPrintRect(rect, [&](CRealPoint* paper) { return m_control->QueryPrinterPaper(paper); });
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
