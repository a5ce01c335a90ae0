#pragma once
// The system calls through which the control reaches printers: the print dialog, the spooler's
// printer handles and the printer context's document and page calls. The control makes them
// only through this table, so that a test (or an application that embeds the control in a
// service, where no dialog may block) can answer the dialog and watch or fail the printer calls.
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

struct CPrintDeviceCalls {
    BOOL(WINAPI* printDlg)(PRINTDLGA*) = nullptr;
    BOOL(WINAPI* openPrinter)(LPSTR, HANDLE*, PRINTER_DEFAULTSA*) = nullptr;
    BOOL(WINAPI* closePrinter)(HANDLE) = nullptr;
    HDC(WINAPI* createDC)(LPCSTR, LPCSTR, LPCSTR, const DEVMODEA*) = nullptr;
    int(WINAPI* startDoc)(HDC, const DOCINFOA*) = nullptr;
    int(WINAPI* startPage)(HDC) = nullptr;
    int(WINAPI* endPage)(HDC) = nullptr;
    int(WINAPI* endDoc)(HDC) = nullptr;
    int(WINAPI* abortDoc)(HDC) = nullptr;
    BOOL(WINAPI* deleteDC)(HDC) = nullptr;
    BOOL(WINAPI* pageSetupDlg)(PAGESETUPDLGA*) = nullptr;

    // The system's own calls.
    static CPrintDeviceCalls System();
};

// The calls in force for the process (the system's until replaced).
const CPrintDeviceCalls& GetPrintDeviceCalls();
// Replaces them for the whole process (a missing entry takes the system's); answers the previous
// table. Not thread-safe: the control prints on its apartment thread.
CPrintDeviceCalls SetPrintDeviceCalls(const CPrintDeviceCalls& calls);
