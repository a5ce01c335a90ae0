// The printing core of the control: the printer set-up shared by the process, the print dialog's
// answers (through a stand-in dialog), printers that cannot be reached or refuse the document,
// and the site played onto a page (read back from pixels and metafile records).
#include "tests/support/ControlTestSupport.h"
#include <commdlg.h>
#include <winspool.h>
#include <algorithm>
#include <set>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "control/PageSetupPaper.h"
#include "control/PrintDeviceCalls.h"
#include "control/PrintDialogRecord.h"
#include "control/SharedPrintSetup.h"
#include "model/Group.h"
#include "ui/PageSetupDialog.h"
#include "ui/PaperSizes.h"
#include "ui/resource.h"
#include <dlgs.h>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

// A printer's names as the print dialog hands them out.
HGLOBAL MakeDevNames(const char* device)
{
    const std::string driver = "winspool", port = "FILE:";
    const size_t size = sizeof(DEVNAMES) + driver.size() + strlen(device) + port.size() + 3;
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* names = static_cast<DEVNAMES*>(GlobalLock(handle));
    char* text = reinterpret_cast<char*>(names);
    size_t at = sizeof(DEVNAMES);
    names->wDriverOffset = static_cast<WORD>(at);
    strcpy(text + at, driver.c_str());
    at += driver.size() + 1;
    names->wDeviceOffset = static_cast<WORD>(at);
    strcpy(text + at, device);
    at += strlen(device) + 1;
    names->wOutputOffset = static_cast<WORD>(at);
    strcpy(text + at, port.c_str());
    GlobalUnlock(handle);
    return handle;
}

// A printer mode on a paper of the system's table.
HGLOBAL MakeDevMode(const char* device, short paper, short orientation)
{
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
    auto* mode = static_cast<DEVMODEA*>(GlobalLock(handle));
    strncpy(reinterpret_cast<char*>(mode->dmDeviceName), device, CCHDEVICENAME - 1);
    mode->dmSize = sizeof(DEVMODEA);
    mode->dmFields = DM_PAPERSIZE | DM_ORIENTATION;
    mode->dmPaperSize = paper;
    mode->dmOrientation = orientation;
    GlobalUnlock(handle);
    return handle;
}

std::vector<BYTE> BytesOf(HGLOBAL handle)
{
    ycom::GlobalLockView<> view(handle);
    if (!view)
        return {};
    return std::vector<BYTE>(view.Get(), view.Get() + view.Size());
}

bool IsFreed(HGLOBAL handle) { return GlobalFlags(handle) == static_cast<UINT>(GMEM_INVALID_HANDLE); }

std::string DeviceOf(HGLOBAL names)
{
    ycom::GlobalLockView<DEVNAMES> view(names);
    return view ? std::string(reinterpret_cast<const char*>(view.Get()) + view.Get()->wDeviceOffset) : std::string();
}

// The stand-in for the system's print calls: the dialog answers as the test says, the printer
// calls are counted and may fail.
struct FakePrinter {
    std::function<BOOL(PRINTDLGA*)> dialog;
    int dialogs = 0, opens = 0, closes = 0, documents = 0, pages = 0, endPages = 0, endDocs = 0, aborts = 0, deletes = 0;
    bool openFails = false, createFails = false, docFails = false, pageFails = false;
    HDC printerDC = nullptr;
    // Runs while the page goes to the printer (where the spooler lets the thread's messages
    // through).
    std::function<void()> whilePrinting;
    std::string documentName;
    std::string openedDevice;
};
FakePrinter* g_fake = nullptr;

CPrintDeviceCalls FakeCalls()
{
    CPrintDeviceCalls calls;
    calls.printDlg = [](PRINTDLGA* d) -> BOOL {
        ++g_fake->dialogs;
        return g_fake->dialog ? g_fake->dialog(d) : FALSE;
    };
    calls.openPrinter = [](LPSTR name, HANDLE* printer, PRINTER_DEFAULTSA*) -> BOOL {
        g_fake->openedDevice = name;
        if (g_fake->openFails)
            return FALSE;
        ++g_fake->opens;
        *printer = reinterpret_cast<HANDLE>(0x5150);
        return TRUE;
    };
    calls.closePrinter = [](HANDLE) -> BOOL {
        ++g_fake->closes;
        return TRUE;
    };
    calls.createDC = [](LPCSTR, LPCSTR, LPCSTR, const DEVMODEA*) -> HDC {
        if (g_fake->createFails)
            return nullptr;
        return g_fake->printerDC;
    };
    calls.startDoc = [](HDC, const DOCINFOA* info) -> int {
        g_fake->documentName = info && info->lpszDocName ? info->lpszDocName : "";
        if (g_fake->docFails) {
            SetLastError(ERROR_PRINT_CANCELLED);
            return SP_ERROR;
        }
        return ++g_fake->documents;
    };
    calls.startPage = [](HDC) -> int {
        if (g_fake->pageFails) {
            SetLastError(ERROR_OUT_OF_PAPER);
            return SP_ERROR;
        }
        return ++g_fake->pages;
    };
    calls.endPage = [](HDC) -> int {
        if (g_fake->whilePrinting)
            g_fake->whilePrinting();
        return ++g_fake->endPages;
    };
    calls.endDoc = [](HDC) -> int { return ++g_fake->endDocs; };
    calls.abortDoc = [](HDC) -> int { return ++g_fake->aborts; };
    calls.deleteDC = [](HDC dc) -> BOOL {
        ++g_fake->deletes;
        return DeleteDC(dc);
    };
    return calls;
}

// A white 24-bit picture the size of a memory context's page, standing in for the printer's page.
struct Page {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    BYTE* bits = nullptr;
    int width = 0, height = 0, stride = 0;
    Page()
    {
        dc = CreateCompatibleDC(nullptr);
        width = GetDeviceCaps(dc, HORZRES);
        height = GetDeviceCaps(dc, VERTRES);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* pixels = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
        bits = static_cast<BYTE*>(pixels);
        stride = (width * 3 + 3) & ~3;
        memset(bits, 0xFF, static_cast<size_t>(stride) * height);
        SelectObject(dc, bitmap);
    }
    ~Page()
    {
        if (GetObjectType(dc))
            DeleteDC(dc);
        DeleteObject(bitmap);
    }
    bool Dark(int x, int y) const
    {
        const BYTE* p = bits + static_cast<size_t>(y) * stride + x * 3;
        return p[0] < 128 && p[1] < 128 && p[2] < 128;
    }
    RECT Inked() const
    {
        RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (Dark(x, y)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.right = std::max<LONG>(box.right, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.bottom = std::max<LONG>(box.bottom, y);
                }
        return box;
    }
    int DarkInRow(int y, int from, int to) const
    {
        int n = 0;
        for (int x = std::max(from, 0); x <= std::min(to, width - 1); ++x)
            n += Dark(x, y);
        return n;
    }
};

class Printing : public testing::Test
{
protected:
    void SetUp() override
    {
        SetSharedDevMode(nullptr, TRUE);
        SetSharedDevNames(nullptr, TRUE);
        // Papers named by code alone are looked up in the paper table, as the module does.
        SetPaperCodeLookup(LookUpPaperCode);
        g_fake = &fake;
        previous = SetPrintDeviceCalls(FakeCalls());
    }
    void TearDown() override
    {
        SetPrintDeviceCalls(previous);
        g_fake = nullptr;
        SetSharedDevMode(nullptr, TRUE);
        SetSharedDevNames(nullptr, TRUE);
    }
    // Stores a printer's set-up as a dialog would leave it.
    void StorePrinter(const char* device, short paper = DMPAPER_A4, short orientation = DMORIENT_PORTRAIT)
    {
        PRINTDLGA dialog = {};
        dialog.lStructSize = sizeof(dialog);
        dialog.hDevMode = MakeDevMode(device, paper, orientation);
        dialog.hDevNames = MakeDevNames(device);
        control->StorePrinterSetup(&dialog);
        GlobalFree(dialog.hDevMode);
        GlobalFree(dialog.hDevNames);
    }
    // A drawing shaped like a gallows: a long line along the top and a post down the left.
    void DrawGallows()
    {
        LONG id = 0;
        ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0.0f, 100.0f, 100.0f, 100.0f, &id), S_OK);
        ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0.0f, 0.0f, 0.0f, 100.0f, &id), S_OK);
        control->GetSiteRecord().SetDraftLimits(CRealRect(0.0f, 100.0f, 100.0f, 0.0f));
    }

    FakePrinter fake;
    CPrintDeviceCalls previous;
    ControlRef control;
};

} // namespace

// The stored set-up goes out and comes back as copies: the structure's handles stay its own, the
// stored ones are never handed out, and the paper of a stored mode becomes the page set-up's.
TEST_F(Printing, PrinterSetupIsStoredAndRestoredAsCopies)
{
    PRINTDLGA stored = {};
    stored.lStructSize = sizeof(stored);
    stored.hDevMode = MakeDevMode("Plotter A", DMPAPER_A4, DMORIENT_LANDSCAPE);
    stored.hDevNames = MakeDevNames("Plotter A");
    control->StorePrinterSetup(&stored);
    ASSERT_NE(GetSharedDevMode(), nullptr);
    EXPECT_NE(GetSharedDevMode(), stored.hDevMode) << "a copy is stored";
    EXPECT_NE(GetSharedDevNames(), stored.hDevNames);
    EXPECT_EQ(BytesOf(GetSharedDevMode()), BytesOf(stored.hDevMode));
    EXPECT_FLOAT_EQ(control->GetPageSetup().paperSize.x, 297.0f) << "A4 turned to landscape";
    EXPECT_FLOAT_EQ(control->GetPageSetup().paperSize.y, 210.0f);
    EXPECT_EQ(control->GetPageSetup().printerSetUp, 1);
    GlobalFree(stored.hDevMode);
    GlobalFree(stored.hDevNames);
    EXPECT_EQ(DeviceOf(GetSharedDevNames()), "Plotter A") << "the caller's freeing leaves the stored set-up";

    for (int round = 0; round < 2; ++round) {
        PRINTDLGA restored = {};
        restored.lStructSize = sizeof(restored);
        control->GetPrinterSetup(&restored);
        ASSERT_NE(restored.hDevMode, nullptr);
        EXPECT_NE(restored.hDevMode, GetSharedDevMode());
        EXPECT_NE(restored.hDevNames, GetSharedDevNames());
        EXPECT_EQ(DeviceOf(restored.hDevNames), "Plotter A");
        EXPECT_EQ(BytesOf(restored.hDevMode), BytesOf(GetSharedDevMode()));
        GlobalFree(restored.hDevMode);
        GlobalFree(restored.hDevNames);
    }
    EXPECT_EQ(fake.dialogs, 0) << "nothing asked of the system while a set-up is stored";

    // A page set-up structure is served the same way and stores its own paper.
    PAGESETUPDLGA page = {};
    page.lStructSize = sizeof(page);
    control->GetPrinterSetup(&page);
    EXPECT_EQ(DeviceOf(page.hDevNames), "Plotter A");
    page.Flags = PSD_INHUNDREDTHSOFMILLIMETERS;
    page.ptPaperSize = {21000, 29700};
    control->StorePrinterSetup(&page);
    EXPECT_FLOAT_EQ(control->GetPageSetup().paperSize.x, 210.0f);
    EXPECT_FLOAT_EQ(control->GetPageSetup().paperSize.y, 297.0f);
    GlobalFree(page.hDevMode);
    GlobalFree(page.hDevNames);
}

// With nothing stored, the default printer's set-up is asked for once, without a dialog or a
// context, handed out and stored.
TEST_F(Printing, TheDefaultPrinterIsAskedForOnce)
{
    DWORD flagsSeen = 0;
    fake.dialog = [&](PRINTDLGA* d) {
        flagsSeen = d->Flags;
        d->hDevMode = MakeDevMode("Default", DMPAPER_LETTER, DMORIENT_PORTRAIT);
        d->hDevNames = MakeDevNames("Default");
        return TRUE;
    };
    PRINTDLGA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.Flags = PD_RETURNDC;
    control->GetPrinterSetup(&dialog);
    EXPECT_EQ(fake.dialogs, 1);
    EXPECT_TRUE(flagsSeen & PD_RETURNDEFAULT);
    EXPECT_FALSE(flagsSeen & PD_RETURNDC) << "no printer context is made for the defaults";
    EXPECT_EQ(dialog.Flags, static_cast<DWORD>(PD_RETURNDC)) << "the caller's flags stay";
    EXPECT_EQ(DeviceOf(dialog.hDevNames), "Default");
    EXPECT_EQ(DeviceOf(GetSharedDevNames()), "Default");
    EXPECT_NE(GetSharedDevNames(), dialog.hDevNames);
    GlobalFree(dialog.hDevMode);
    GlobalFree(dialog.hDevNames);

    CRealPoint paper;
    ASSERT_TRUE(control->QueryPrinterPaper(&paper));
    EXPECT_NEAR(paper.x, 215.9f, 0.01f);
    EXPECT_EQ(fake.dialogs, 1);
}

// The dialog's answers: a cancel resets the print type and keeps the stored set-up whole (the
// dialog frees only its own copies); while busy nothing is shown; without a printer there is no
// dialog, and that is a failure.
TEST_F(Printing, TheDialogsAnswers)
{
    StorePrinter("Plotter B");
    const HGLOBAL storedMode = GetSharedDevMode(), storedNames = GetSharedDevNames();
    const std::vector<BYTE> modeBytes = BytesOf(storedMode);

    HGLOBAL given[2] = {};
    fake.dialog = [&](PRINTDLGA* d) {
        given[0] = d->hDevMode;
        given[1] = d->hDevNames;
        EXPECT_EQ(d->lStructSize, sizeof(PRINTDLGA));
        EXPECT_TRUE(d->Flags & PD_RETURNDC);
        EXPECT_EQ(reinterpret_cast<CPrintDialogRecord*>(d->lCustData), &control->GetPrintDialogRecord());
        return FALSE;
    };
    control->SetPrintType(3);
    EXPECT_EQ(control->PrintSite(), S_OK) << "a cancel is no error";
    EXPECT_EQ(fake.dialogs, 1);
    EXPECT_EQ(control->GetPageSetup().printType, 1) << "back to the limits";
    EXPECT_EQ(control->GetPrintSettings().printType, 1);
    EXPECT_TRUE(IsFreed(given[0])) << "the dialog's own handles go";
    EXPECT_TRUE(IsFreed(given[1]));
    EXPECT_EQ(GetSharedDevMode(), storedMode);
    EXPECT_EQ(GetSharedDevNames(), storedNames);
    EXPECT_EQ(BytesOf(storedMode), modeBytes) << "the stored set-up is whole";
    EXPECT_EQ(DeviceOf(storedNames), "Plotter B");
    EXPECT_EQ(fake.documents, 0);

    control->SetIdle(false);
    EXPECT_EQ(control->PrintSite(), S_FALSE);
    EXPECT_EQ(control->PrintSiteToPrinter(TRUE), S_FALSE);
    control->SetIdle(true);
    EXPECT_EQ(fake.dialogs, 1) << "nothing shown while busy";

    // No printer at all (nothing stored, no default): a failure, with no dialog to cancel.
    SetSharedDevMode(nullptr, TRUE);
    SetSharedDevNames(nullptr, TRUE);
    fake.dialog = nullptr;
    control->SetPrintType(2);
    EXPECT_EQ(control->PrintSite(), E_FAIL);
    EXPECT_EQ(fake.dialogs, 2) << "only the defaults were asked for";
    EXPECT_EQ(control->GetPageSetup().printType, 1);
}

// Quiet printing reaches the stored printer by name; a printer that cannot be opened or whose
// context cannot be made is a failure, and an opened printer is always closed again.
TEST_F(Printing, QuietPrintingFailsWithoutAPrinter)
{
    // Nothing stored and no default printer.
    EXPECT_EQ(control->PrintSiteToPrinter(TRUE), E_FAIL);
    EXPECT_EQ(fake.dialogs, 1) << "the defaults were asked for";
    EXPECT_EQ(fake.opens, 0);

    StorePrinter("Plotter C");
    fake.openFails = true;
    EXPECT_EQ(control->PrintSiteToPrinter(TRUE), E_FAIL);
    EXPECT_EQ(fake.openedDevice, "Plotter C");

    fake.openFails = false;
    fake.createFails = true;
    EXPECT_EQ(control->PrintSiteToPrinter(TRUE), E_FAIL);
    EXPECT_EQ(fake.opens, 1);
    EXPECT_EQ(fake.closes, 1) << "the printer is closed although no context was made";
    EXPECT_EQ(fake.documents, 0);
    EXPECT_FALSE(control->IsPrinting());

    // The real spooler knows no such printer.
    SetPrintDeviceCalls(CPrintDeviceCalls());
    StorePrinter("No Such Printer Here");
    EXPECT_EQ(control->PrintSiteToPrinter(TRUE), E_FAIL);
}

// A document or page the printer refuses is reported, nothing half made is spooled, and the
// printer context goes.
TEST_F(Printing, RefusedDocumentsAndPagesAreFailures)
{
    DrawGallows();
    StorePrinter("Plotter D");
    struct Case {
        const char* what;
        bool docFails, pageFails;
        HRESULT expected;
        int endDocs, aborts;
    } cases[] = {
        {"the document is refused", true, false, HRESULT_FROM_WIN32(ERROR_PRINT_CANCELLED), 0, 0},
        {"the page is refused", false, true, HRESULT_FROM_WIN32(ERROR_OUT_OF_PAPER), 0, 1},
        {"both are taken", false, false, S_OK, 1, 0},
    };
    for (const Case& c : cases) {
        fake.endDocs = fake.aborts = fake.deletes = 0;
        fake.docFails = c.docFails;
        fake.pageFails = c.pageFails;
        Page page;
        fake.printerDC = page.dc;
        EXPECT_EQ(control->PrintSiteToPrinter(TRUE), c.expected) << c.what;
        EXPECT_EQ(fake.endDocs, c.endDocs) << c.what;
        EXPECT_EQ(fake.aborts, c.aborts) << c.what;
        EXPECT_EQ(fake.deletes, 1) << c.what;
        EXPECT_EQ(GetObjectType(page.dc), 0u) << c.what << ": the printer context is gone";
        EXPECT_FALSE(control->IsPrinting()) << c.what;
    }
    EXPECT_EQ(fake.documentName, "YVEXControl Document");
}

// Printed through the dialog: the drawing lands on the page where the layout puts it, the right
// way up, and the printer the dialog chose is stored.
TEST_F(Printing, ThePagePrintsTheDrawingUpright)
{
    DrawGallows();
    Page page;
    RECT expected = {};
    ASSERT_TRUE(control->ComputePageLayout(page.dc, nullptr, &expected));
    fake.dialog = [&](PRINTDLGA* d) {
        GlobalFree(d->hDevMode);
        GlobalFree(d->hDevNames);
        d->hDevMode = MakeDevMode("Chosen", DMPAPER_A4, DMORIENT_PORTRAIT);
        d->hDevNames = MakeDevNames("Chosen");
        d->hDC = page.dc;
        return TRUE;
    };
    StorePrinter("Earlier");
    ASSERT_EQ(control->PrintSite(), S_OK);
    EXPECT_EQ(fake.documents, 1);
    EXPECT_EQ(fake.pages, 1);
    EXPECT_EQ(fake.endPages, 1);
    EXPECT_EQ(fake.endDocs, 1);
    EXPECT_EQ(DeviceOf(GetSharedDevNames()), "Chosen");

    // Device rows run down; the layout's run up from the page's foot.
    const int foot = page.height;
    const RECT inked = page.Inked();
    ASSERT_LT(inked.left, inked.right) << "something was printed";
    EXPECT_NEAR(inked.left, expected.left, 3);
    EXPECT_NEAR(inked.right, expected.right, 3);
    EXPECT_NEAR(inked.top, foot - expected.top, 3);
    EXPECT_NEAR(inked.bottom, foot - expected.bottom, 3);
    // The bar is along the top, the post down the left.
    const int width = inked.right - inked.left;
    int barRow = inked.top, most = 0;
    for (int y = inked.top; y <= inked.bottom; ++y)
        if (page.DarkInRow(y, inked.left, inked.right) > most) {
            most = page.DarkInRow(y, inked.left, inked.right);
            barRow = y;
        }
    EXPECT_GT(most, width * 8 / 10);
    EXPECT_LE(barRow - inked.top, 3) << "the bar is at the top";
    EXPECT_EQ(page.DarkInRow(inked.bottom - 1, inked.left + width / 4, inked.right), 0) << "only the post at the foot";
}

// The dialog's other two answers hand the printer context back: the print window is picked on
// the drawing, or the host is asked for its preview; nothing is printed.
TEST_F(Printing, WindowAndPreviewRequestsReleaseThePrinter)
{
    DrawGallows();
    StorePrinter("Plotter E");
    for (const bool window : {true, false}) {
        HDC dc = CreateCompatibleDC(nullptr);
        fake.dialog = [&](PRINTDLGA* d) {
            auto* record = reinterpret_cast<CPrintDialogRecord*>(d->lCustData);
            (window ? record->windowRequest : record->previewRequest) = 1;
            d->hDC = dc;
            return TRUE;
        };
        control->SetPrintType(1);
        EXPECT_EQ(control->PrintSite(), S_OK);
        EXPECT_EQ(GetObjectType(dc), 0u) << (window ? "window" : "preview") << ": the context is gone";
        EXPECT_EQ(control->GetPrintDialogRecord().windowRequest, 0);
        EXPECT_EQ(control->GetPrintDialogRecord().previewRequest, 0);
        if (window) {
            EXPECT_EQ(control->GetPageSetup().printType, 4);
            EXPECT_EQ(control->GetRectanglePurpose(), CYVEXControl::kRectanglePrintSite);
            EXPECT_EQ(control->GetEditState().editedShape, control->FindShape(WINDOW_ID)) << "the window is being picked";
            control->EndInteractiveOperation(false);
        } else {
            EXPECT_EQ(control->GetPageSetup().printType, 1);
        }
    }
    EXPECT_EQ(fake.documents, 0);
}

// While a page goes to the printer the thread's messages flow: a host's timer that asks for
// another print then is refused as busy, and the first print ends as it would alone.
TEST_F(Printing, APrintStartedWhileOneRunsIsRefused)
{
    DrawGallows();
    StorePrinter("Plotter F");
    std::vector<HDC> contexts;
    fake.dialog = [&](PRINTDLGA* d) {
        contexts.push_back(CreateCompatibleDC(nullptr));
        d->hDC = contexts.back();
        return TRUE;
    };
    static CYVEXControl* printer = nullptr;
    static std::vector<HRESULT> nested;
    printer = control.Get();
    nested.clear();
    fake.whilePrinting = [] {
        // The host's timer fires while the spooler pumps.
        const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            nested.push_back(printer->PrintSite());
        });
        const DWORD end = GetTickCount() + 2000;
        while (nested.empty() && static_cast<LONG>(end - GetTickCount()) > 0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            Sleep(1);
        }
        KillTimer(nullptr, timer);
    };
    EXPECT_EQ(control->PrintSite(), S_OK);
    ASSERT_EQ(nested.size(), 1u) << "the timer fired while the page printed";
    EXPECT_EQ(nested[0], S_FALSE);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    EXPECT_EQ(fake.dialogs, 1) << "no second dialog";
    EXPECT_EQ(fake.documents, 1);
    EXPECT_EQ(fake.endPages, 1);
    EXPECT_EQ(fake.endDocs, 1);
    EXPECT_FALSE(control->IsPrinting());

    // Done, the next print runs.
    fake.whilePrinting = nullptr;
    EXPECT_EQ(control->PrintSite(), S_OK);
    EXPECT_EQ(fake.documents, 2);
    printer = nullptr;
}

// Played onto a metafile page: the playback turns the page's y axis over, and nothing is played
// for an empty drawing.
TEST_F(Printing, PlaybackRecordsTheTurnedPage)
{
    HDC reference = CreateCompatibleDC(nullptr);
    const int vertRes = GetDeviceCaps(reference, VERTRES);
    auto record = [&](bool withDrawing, HRESULT expected) {
        HDC dc = CreateEnhMetaFileA(reference, nullptr, nullptr, nullptr);
        HENHMETAFILE site = nullptr;
        if (withDrawing) {
            EXPECT_EQ(control->DrawSiteMetafile(nullptr, 0, &site), S_OK);
        }
        EXPECT_EQ(control->PlaySiteMetafile(site, dc, reference, 0, nullptr), expected);
        if (site)
            DeleteEnhMetaFile(site);
        return CloseEnhMetaFile(dc);
    };
    struct Seen {
        int transforms = 0;
        XFORM first = {};
        int lines = 0;
    };
    auto enumerate = [](HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM data) -> int {
        Seen& seen = *reinterpret_cast<Seen*>(data);
        if (r->iType == EMR_SETWORLDTRANSFORM && seen.transforms++ == 0)
            seen.first = reinterpret_cast<const EMRSETWORLDTRANSFORM*>(r)->xform;
        if (r->iType == EMR_LINETO || r->iType == EMR_POLYLINE16 || r->iType == EMR_POLYLINE)
            ++seen.lines;
        return 1;
    };

    HENHMETAFILE empty = record(false, S_FALSE);
    Seen none;
    EnumEnhMetaFile(nullptr, empty, enumerate, &none, nullptr);
    EXPECT_EQ(none.transforms, 0) << "no layout, nothing played";
    DeleteEnhMetaFile(empty);

    DrawGallows();
    HENHMETAFILE played = record(true, S_OK);
    Seen seen;
    EnumEnhMetaFile(nullptr, played, enumerate, &seen, nullptr);
    DeleteEnhMetaFile(played);
    ASSERT_GE(seen.transforms, 1);
    EXPECT_FLOAT_EQ(seen.first.eM11, 1.0f);
    EXPECT_FLOAT_EQ(seen.first.eM22, -1.0f);
    EXPECT_FLOAT_EQ(seen.first.eDy, static_cast<float>(vertRes)) << "turned over the page's height";
    EXPECT_GE(seen.lines, 2) << "both lines were played";
    DeleteDC(reference);
}

// The run's PDF printer (tools/service-cups.sh), when it is there: a quiet print with nothing
// stored takes the default printer and spools one document, a second one the stored printer, and
// the system's print dialog prints once it is accepted; check_print_queue.py then reads the PDF
// files. The count of jobs is written beside them.
TEST(PrintQueue, QuietPrintSpoolsOneDocument)
{
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("YVEX_CUPS_DIR", folder, MAX_PATH))
        GTEST_SKIP() << "no printer service configured";
    const std::string dir = std::string("Z:") + folder;
    std::string windowsDir = dir;
    std::replace(windowsDir.begin(), windowsDir.end(), '/', '\\');
    if (GetFileAttributesA((windowsDir + "\\cupsd.pid").c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the printer service is not running";
    const std::string out = windowsDir + "\\pdf\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((out + "*.pdf").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            DeleteFileA((out + found.cFileName).c_str());
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    SetSharedDevMode(nullptr, TRUE);
    SetSharedDevNames(nullptr, TRUE);

    ControlRef control;
    LONG id = 0;
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0.0f, 0.0f, 100.0f, 50.0f, &id), S_OK);
    control->GetSiteRecord().SetDraftLimits(CRealRect(0.0f, 50.0f, 100.0f, 0.0f));
    ASSERT_EQ(control->PrintSiteToPrinter(TRUE), S_OK);
    EXPECT_NE(GetSharedDevNames(), nullptr) << "the default printer's set-up is stored";
    EXPECT_FALSE(control->IsPrinting());
    // Again on the stored set-up, at a scale and not centred.
    control->GetPageSetup().printScale = 5.0f;
    control->GetPageSetup().printOffset = CRealPoint(10.0f, 10.0f);
    ASSERT_EQ(control->PrintSiteToPrinter(TRUE), S_OK);

    // The system's print dialog with the control's template (1538) and hook, answered as it
    // opens: a cancel prints nothing and resets the print type, OK prints; the selection asked
    // for with nothing selected prints the limits.
    SetPrintDialogHooks(PageSetupDialogProc, PageSetupPaintHook);
    static WPARAM answer = IDCANCEL;
    static int shown = 0, ours = 0;
    HHOOK hook = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            char name[16] = {};
            HWND window = reinterpret_cast<HWND>(wParam);
            // A dialog counts once: it is activated again whenever another program's window on
            // the shared desktop takes the activation and gives it back.
            static std::set<HWND> seen;
            if (code == HCBT_ACTIVATE && GetClassNameA(window, name, sizeof name) && strcmp(name, "#32770") == 0 &&
                seen.insert(window).second) {
                ++shown;
                // The printer list of the print dialog, the paper list of the page-setup dialog.
                const LRESULT listed = SendDlgItemMessageA(window, cmb4, CB_GETCOUNT, 0, 0) +
                                       SendDlgItemMessageA(window, cmb2, CB_GETCOUNT, 0, 0);
                if (GetDlgItem(window, IDC_PS_FIT) && IsDlgButtonChecked(window, IDC_PS_LIMITS) == BST_CHECKED && listed > 0)
                    ++ours;
                PostMessageA(window, WM_COMMAND, answer, 0);
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    control->SetPrintType(3);
    EXPECT_EQ(control->PrintSite(), S_OK);
    EXPECT_EQ(shown, 1) << "the dialog was shown";
    EXPECT_EQ(control->GetPageSetup().printType, 1);
    answer = IDOK;
    control->SetPrintType(3);
    EXPECT_EQ(control->PrintSite(), S_OK);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(ours, 2) << "the control's template, its printer listed and the limits checked";
    EXPECT_EQ(control->GetPageSetup().printType, 1) << "the limits printed";
    // The page-setup dialog with its template (344) and hooks: OK stores the printer's paper.
    control->GetPageSetup().paperSize = CRealPoint(0.0f, 0.0f);
    control->GetPageSetup().paperId = 0;
    EXPECT_EQ(control->RunPageSetupDialog(), S_OK);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(ours, 3);
    EXPECT_GT(control->GetPageSetup().paperSize.x, 0.0f);
    EXPECT_NE(control->GetPageSetup().paperId, 0);
    UnhookWindowsHookEx(hook);
    SetPrintDialogHooks(nullptr, nullptr);

    HANDLE expected = CreateFileA((out + "expected.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(expected, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(expected, "3\n", 2, &written, nullptr);
    CloseHandle(expected);
    SetSharedDevMode(nullptr, TRUE);
    SetSharedDevNames(nullptr, TRUE);
}
