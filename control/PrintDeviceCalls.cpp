#include "control/PrintDeviceCalls.h"

namespace {

CPrintDeviceCalls& Current()
{
    static CPrintDeviceCalls calls = CPrintDeviceCalls::System();
    return calls;
}

template <class F>
void Fill(F& entry, F fallback)
{
    if (!entry)
        entry = fallback;
}

} // namespace

CPrintDeviceCalls CPrintDeviceCalls::System()
{
    CPrintDeviceCalls calls;
    calls.printDlg = PrintDlgA;
    calls.openPrinter = OpenPrinterA;
    calls.closePrinter = ClosePrinter;
    calls.createDC = CreateDCA;
    calls.startDoc = StartDocA;
    calls.startPage = StartPage;
    calls.endPage = EndPage;
    calls.endDoc = EndDoc;
    calls.abortDoc = AbortDoc;
    calls.deleteDC = DeleteDC;
    calls.pageSetupDlg = PageSetupDlgA;
    return calls;
}

const CPrintDeviceCalls& GetPrintDeviceCalls() { return Current(); }

CPrintDeviceCalls SetPrintDeviceCalls(const CPrintDeviceCalls& calls)
{
    const CPrintDeviceCalls previous = Current();
    CPrintDeviceCalls next = calls;
    const CPrintDeviceCalls system = CPrintDeviceCalls::System();
    Fill(next.printDlg, system.printDlg);
    Fill(next.openPrinter, system.openPrinter);
    Fill(next.closePrinter, system.closePrinter);
    Fill(next.createDC, system.createDC);
    Fill(next.startDoc, system.startDoc);
    Fill(next.startPage, system.startPage);
    Fill(next.endPage, system.endPage);
    Fill(next.endDoc, system.endDoc);
    Fill(next.abortDoc, system.abortDoc);
    Fill(next.deleteDC, system.deleteDC);
    Fill(next.pageSetupDlg, system.pageSetupDlg);
    Current() = next;
    return previous;
}
