// The clipboard of a hosted control as a host and a user meet it: copy, cut and paste of shapes
// through the control's own data, texts and pictures of other programs pasted as shapes, what
// can be pasted, the host's vetoes; beside them the view members that move the drawing shown
// (RootID, LocateShape) and the activation verb.
#include "tests/support/HostedControl.h"
#include "tests/support/Dib.h"
#include "tests/support/TestPaths.h"
#include "com/AnsiText.h"
#include "control/ClipboardDib.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "interchange/ImageResource.h"
#include "model/Group.h"
#include "model/Image.h"
#include "model/PointRecord.h"
#include "model/SelectionGroup.h"
#include "model/Text.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace controltest;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

enum : DISPID { kAddShape = 5, kSwitchRootID = 48, kCopySuccessful = 56, kPasteSuccessful = 57 };

// A sink that refuses one event and lets every other go on.
class RefusingSink : public EventSink
{
public:
    explicit RefusingSink(DISPID refused) : m_refused(refused) {}
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* e,
                        UINT* arg) override
    {
        answer = id == m_refused ? VARIANT_FALSE : VARIANT_TRUE;
        return EventSink::Invoke(id, iid, lcid, flags, p, result, e, arg);
    }

private:
    DISPID m_refused;
};

bool Heard(const EventSink& sink, DISPID id)
{
    const std::vector<DISPID> ids = sink.Ids();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::vector<unsigned char> Bytes(const void* data, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    return std::vector<unsigned char>(p, p + size);
}

// A packed 8-bit DIB of 4 x 2 pixels, every pixel colour 1 of a full 256-colour table whose
// entry 1 is red and whose header leaves the colour count 0 (the full table). A negative height
// makes it top-down.
std::vector<unsigned char> EightBitDib(LONG height)
{
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), 4, height, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<unsigned char> dib = Bytes(&header, sizeof header);
    std::vector<RGBQUAD> table(256, RGBQUAD{0, 0, 0, 0});
    table[1] = RGBQUAD{0, 0, 255, 0};
    const std::vector<unsigned char> colours = Bytes(table.data(), table.size() * sizeof(RGBQUAD));
    dib.insert(dib.end(), colours.begin(), colours.end());
    dib.insert(dib.end(), 4 * 2, 1);
    return dib;
}

// A 24-bit BMP file of red pixels.
std::vector<unsigned char> RedBmpFile(int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER info = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB,
                             static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    BITMAPFILEHEADER file = {0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<unsigned char> bytes = Bytes(&file, sizeof file);
    const std::vector<unsigned char> header = Bytes(&info, sizeof info);
    bytes.insert(bytes.end(), header.begin(), header.end());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < stride; ++x)
            bytes.push_back(x < width * 3 && x % 3 == 2 ? 0xFF : 0);
    return bytes;
}

std::string CreatorOf(HENHMETAFILE metafile)
{
    const UINT length = GetEnhMetaFileDescriptionA(metafile, 0, nullptr);
    if (length == 0 || length == GDI_ERROR)
        return std::string();
    std::vector<char> text(length + 1, '\0');
    GetEnhMetaFileDescriptionA(metafile, length, text.data());
    return std::string(text.data());
}

class Clipboard : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        ASSERT_EQ(control->CreateUndoManager(), S_OK);
        own = RegisterClipboardFormatA("YVEX Clipboard data");
        ASSERT_EQ(control->AddLine(Root(), 0.0f, 0.0f, 10.0f, 0.0f, &first), S_OK);
        ASSERT_EQ(control->AddLine(Root(), 0.0f, 5.0f, 10.0f, 15.0f, &second), S_OK);
        EmptyAll();
    }
    void TearDown() override
    {
        if (control->GetEditState().editedShape)
            control->EndInteractiveOperation(false, true);
        EmptyAll();
        HostedControl::TearDown();
    }

    CGroup* Root() { return control->GetRootGroup(); }
    CSelectionGroup* Selection() { return static_cast<CSelectionGroup*>(control->GetSelectionGroup()); }
    void Select(std::initializer_list<LONG> ids)
    {
        for (LONG id : ids)
            Selection()->AddChild(control->FindShape(id), nullptr, 0, false);
    }
    std::set<int> RootIds()
    {
        std::set<int> ids;
        for (CShape* shape : Root()->Children())
            ids.insert(shape->GetId());
        return ids;
    }
    std::vector<CRealPoint> PointsOf(LONG id)
    {
        std::vector<CRealPoint> points;
        for (CPointRecord* p : control->FindShape(id)->GetPoints())
            points.push_back(*p);
        return points;
    }
    void EmptyAll()
    {
        if (OpenClipboard(m_top)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    // Puts bytes on the clipboard under a format, alone.
    void Put(UINT format, const void* bytes, size_t size)
    {
        ASSERT_TRUE(OpenClipboard(m_top));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(block), bytes, size);
        GlobalUnlock(block);
        EXPECT_NE(SetClipboardData(format, block), nullptr);
        CloseClipboard();
    }
    void PutText(UINT format, const std::string& text) { Put(format, text.c_str(), text.size() + 1); }
    HRESULT Undo() { return control->GetUndoRecorder()->GetManager()->UndoTo(nullptr); }
    // The one shape a paste of something else than the own data left selected.
    CShape* PastedShape()
    {
        EXPECT_EQ(Selection()->GetShapeCount(), 1);
        return Selection()->GetShapeCount() == 1 ? Selection()->GetChildAt(0) : nullptr;
    }

    UINT own = 0;
    LONG first = 0, second = 0;
};

} // namespace

// The selection goes on the clipboard as the own data and as a picture made by this program; a
// paste makes copies under new IDs that hang at the pointer until a click places them, leaving
// no temporary block behind; the host hears of it, and one undo takes the copies away.
TEST_F(Clipboard, CopyThenPasteDuplicatesTheSelectionUnderNewIds)
{
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    Select({first, second});
    ASSERT_EQ(control->Copy(), S_OK);
    EXPECT_TRUE(Heard(sink, kCopySuccessful));
    EXPECT_TRUE(IsClipboardFormatAvailable(own));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    ASSERT_TRUE(OpenClipboard(m_top));
    EXPECT_EQ(CreatorOf(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE))), "YVEX");
    CloseClipboard();

    const std::set<int> before = RootIds();
    const int libraryBefore = control->GetLibraryGroup()->GetShapeCount();
    sink.calls.clear();
    ASSERT_EQ(control->Paste(), S_OK);
    EXPECT_TRUE(Heard(sink, kPasteSuccessful));
    EXPECT_FALSE(Heard(sink, kAddShape)) << "the control's own steps stay quiet";
    EXPECT_EQ(control->GetEditState().editedShape, Selection()) << "the copies hang at the pointer";
    EXPECT_EQ(control->GetLibraryGroup()->GetShapeCount(), libraryBefore) << "no \"Pasted\" block left";
    ASSERT_TRUE(control->EndInteractiveOperation(true, true));

    std::set<int> added;
    for (int id : RootIds())
        if (!before.count(id))
            added.insert(id);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_TRUE(RootIds().count(first) && RootIds().count(second)) << "the originals stay";
    // The copies keep the shapes' geometry, moved as one.
    std::vector<std::vector<CRealPoint>> copies;
    for (int id : added)
        copies.push_back(PointsOf(id));
    std::sort(copies.begin(), copies.end(), [](const auto& a, const auto& b) { return a[0].y < b[0].y; });
    const std::vector<CRealPoint> a = PointsOf(first), b = PointsOf(second);
    const float dx = copies[0][0].x - a[0].x, dy = copies[0][0].y - a[0].y;
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(copies[0][i].x - a[i].x, dx, 1e-3);
        EXPECT_NEAR(copies[0][i].y - a[i].y, dy, 1e-3);
        EXPECT_NEAR(copies[1][i].x - b[i].x, dx, 1e-3);
        EXPECT_NEAR(copies[1][i].y - b[i].y, dy, 1e-3);
    }

    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(RootIds(), before) << "one undo takes both copies away";
}

namespace {

std::vector<unsigned char> FileBytes(const std::wstring& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        bytes.clear();
    CloseHandle(file);
    return bytes;
}

int CALLBACK CountLines(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
{
    switch (record->iType) {
    case EMR_LINETO:
    case EMR_POLYLINE:
    case EMR_POLYLINE16:
    case EMR_POLYPOLYLINE:
    case EMR_POLYPOLYLINE16:
        ++*reinterpret_cast<int*>(data);
        break;
    }
    return 1;
}

} // namespace

// Another program reads the copy: the own data as this process sees it and a picture of both
// lines that names its maker.
TEST_F(Clipboard, ASecondProcessReadsTheCopiedDrawing)
{
    Select({first, second});
    ASSERT_EQ(control->Copy(), S_OK);
    std::vector<unsigned char> ownHere;
    ASSERT_TRUE(OpenClipboard(m_top));
    if (HGLOBAL data = GetClipboardData(own)) {
        ownHere = Bytes(GlobalLock(data), GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    ASSERT_FALSE(ownHere.empty());

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring peer(path);
    peer = peer.substr(0, peer.find_last_of(L"\\/") + 1) + L"clipboard_peer.exe";
    // Kept for the independent reader of the Python check.
    const std::wstring out = ycom::AnsiToWide(WinPath("YVEX_BINARY_DIR", "tests/control/clipboard_out"));
    CreateDirectoryW(out.c_str(), nullptr);
    const std::wstring ownFile = out + L"\\peer_own.bin";
    const std::wstring emfFile = out + L"\\peer_copy.emf";
    DeleteFileW(ownFile.c_str());
    DeleteFileW(emfFile.c_str());
    std::wstring command = L"\"" + peer + L"\" \"" + ownFile + L"\" \"" + emfFile + L"\"";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    // The clipboard may ask this process for data meanwhile: keep its messages flowing.
    const DWORD deadline = GetTickCount() + 20000;
    while (MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           GetTickCount() < deadline) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u) << "2: no clipboard, 3: no own data, 4: no picture";

    EXPECT_EQ(FileBytes(ownFile), ownHere);
    HENHMETAFILE picture = GetEnhMetaFileW(emfFile.c_str());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(CreatorOf(picture), "YVEX");
    int lines = 0;
    EnumEnhMetaFile(nullptr, picture, CountLines, &lines, nullptr);
    EXPECT_GE(lines, 2) << "both lines";
    DeleteEnhMetaFile(picture);
}

// A host that refuses OnPasteSuccessful gets nothing pasted.
TEST_F(Clipboard, RefusedPasteLeavesTheDrawingAsItWas)
{
    Select({first, second});
    ASSERT_EQ(control->Copy(), S_OK);
    const std::set<int> before = RootIds();
    RefusingSink sink(kPasteSuccessful);
    Connection connection(control->GetControllingUnknown(), &sink);
    EXPECT_EQ(control->Paste(), S_OK);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    EXPECT_EQ(RootIds(), before);
}

// Cut deletes the copied shapes as one undoable operation.
TEST_F(Clipboard, CutRemovesTheSelectionAsOneUndoUnit)
{
    const std::set<int> before = RootIds();
    Select({first, second});
    ASSERT_EQ(control->Cut(), S_OK);
    EXPECT_EQ(control->FindShape(first), nullptr);
    EXPECT_EQ(control->FindShape(second), nullptr);
    EXPECT_TRUE(IsClipboardFormatAvailable(own));
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(RootIds(), before) << "one undo brings both back";
    // What was cut pastes back.
    ASSERT_EQ(control->Paste(), S_OK);
    ASSERT_TRUE(control->EndInteractiveOperation(true, true));
    EXPECT_EQ(RootIds().size(), before.size() + 2);
}

// A host that refuses OnCopySuccessful finds the clipboard empty, the copy answers that it did
// not happen, and a cut deletes nothing.
TEST_F(Clipboard, RefusedCopyLeavesNothingAndCutKeepsTheShapes)
{
    RefusingSink sink(kCopySuccessful);
    Connection connection(control->GetControllingUnknown(), &sink);
    Select({first, second});
    EXPECT_EQ(control->Copy(), S_FALSE);
    EXPECT_EQ(CountClipboardFormats(), 0);
    EXPECT_EQ(control->Cut(), S_FALSE);
    EXPECT_NE(control->FindShape(first), nullptr);
    EXPECT_NE(control->FindShape(second), nullptr);
    EXPECT_EQ(CountClipboardFormats(), 0);
}

namespace {

// A shape that cannot be written: the drawing data of a copy that holds it fails.
class UnwritableShape : public CShape
{
public:
    using CShape::CShape;
    HRESULT SaveToTables(CDataTableSet*, DWORD, DWORD) override { return E_FAIL; }
};

} // namespace

// A copy whose drawing data fails still clears what an earlier copy left: a later paste never
// brings back the older drawing.
TEST_F(Clipboard, FailedCopyEmptiesTheClipboardItOpened)
{
    Select({first});
    ASSERT_EQ(control->Copy(), S_OK);
    ASSERT_TRUE(IsClipboardFormatAvailable(own));
    auto* unwritable = new UnwritableShape(control->GetShapeMap().GetNextShapeId(), control.Get());
    control->GetShapeMap().Insert(unwritable);
    Root()->AddChild(unwritable, nullptr, 0, false);
    Selection()->Clear(false);
    Select({second, unwritable->GetId()});
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    EXPECT_TRUE(FAILED(control->Copy()));
    EXPECT_FALSE(IsClipboardFormatAvailable(own)) << "the earlier copy's data is gone";
    EXPECT_FALSE(Heard(sink, kCopySuccessful));
}

// A copy of the selection is no save of the site: an edited drawing stays edited (a host that
// asks before closing still hears that there is something to save), the host hears no save
// stages, and one that refuses saves still copies.
TEST_F(Clipboard, ACopyIsNoSaveOfTheSite)
{
    control->SetModified(true);
    ASSERT_EQ(control->IsDirty(), S_OK);
    RefusingSink sink(cetOnBeginSaveSite);
    Connection connection(control->GetControllingUnknown(), &sink);
    Select({first, second});
    ASSERT_EQ(control->Copy(), S_OK);
    EXPECT_TRUE(IsClipboardFormatAvailable(own));
    EXPECT_EQ(control->IsDirty(), S_OK) << "still to be saved";
    for (DISPID stage : {cetOnBeginSaveSite, cetOnEndSaveSite, cetOnEndSaveSiteWithID, cetOnProgress})
        EXPECT_FALSE(Heard(sink, stage)) << stage;
    EXPECT_TRUE(Heard(sink, kCopySuccessful));
    // What was copied pastes.
    const size_t before = RootIds().size();
    ASSERT_EQ(control->Paste(), S_OK);
    ASSERT_TRUE(control->EndInteractiveOperation(true, true));
    EXPECT_EQ(RootIds().size(), before + 2);
}

namespace {

// Another program that holds the clipboard open (on a thread of its own) until it is let go.
class ClipboardHolder
{
public:
    ClipboardHolder()
    {
        m_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(m_ready, 10000);
    }
    ~ClipboardHolder()
    {
        SetEvent(m_release);
        WaitForSingleObject(m_thread, 10000);
        CloseHandle(m_thread);
        CloseHandle(m_ready);
        CloseHandle(m_release);
    }
    bool Holds() const { return m_holds; }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* holder = static_cast<ClipboardHolder*>(self);
        HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        holder->m_holds = OpenClipboard(window) != FALSE;
        SetEvent(holder->m_ready);
        WaitForSingleObject(holder->m_release, 10000);
        if (holder->m_holds)
            CloseClipboard();
        DestroyWindow(window);
        return 0;
    }
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    HANDLE m_thread = nullptr;
    bool m_holds = false;
};

} // namespace

// While another program holds the clipboard nothing reaches it: the copy fails with the control's
// error text and without OnCopySuccessful, and a cut deletes nothing. Once it is free again both
// work.
TEST_F(Clipboard, ACopyThatMissesTheClipboardCutsNothing)
{
    Select({first, second});
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.Holds());
        EventSink sink;
        Connection connection(control->GetControllingUnknown(), &sink);
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(control->Copy(), DISP_E_EXCEPTION);
        ycom::ComPtr<IErrorInfo> info;
        ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
        ycom::Bstr text;
        info->GetDescription(text.Put());
        EXPECT_STREQ(text.CStr(), L"Can't copy to the clipboard.");
        EXPECT_EQ(control->Cut(), DISP_E_EXCEPTION);
        EXPECT_FALSE(Heard(sink, kCopySuccessful));
        EXPECT_NE(control->FindShape(first), nullptr);
        EXPECT_NE(control->FindShape(second), nullptr);
        EXPECT_EQ(Selection()->GetShapeCount(), 2);
    }
    ASSERT_EQ(control->Cut(), S_OK);
    EXPECT_EQ(control->FindShape(first), nullptr);
    EXPECT_TRUE(IsClipboardFormatAvailable(own));
}

// The in-place editor goes when its edit ends, by Enter or by Escape: the clipboard keys are the
// drawing's again, and a copy copies shapes.
TEST_F(Clipboard, TheTextEditorClosesWithItsEdit)
{
    LONG text = 0;
    ASSERT_EQ(control->AddText(Root(), L"Label", 0.0f, 0.0f, ttANSI, 0.0f, 5.0f, 0, 0.0f, 1.0f, &text), S_OK);
    struct Case {
        const char* name;
        WPARAM key;
        const char* typed;
        const char* stays;
    } cases[] = {{"Enter", VK_RETURN, "Renamed", "Renamed"}, {"Escape", VK_ESCAPE, "Dropped", "Renamed"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(control->EditShapeEx(text, EDSH_TEXT, 0, 0), S_OK);
        ASSERT_NE(control->GetInPlaceEdit(), nullptr);
        HWND editor = control->GetInPlaceEdit()->GetHandle();
        ASSERT_TRUE(editor && IsWindowVisible(editor));
        SetWindowTextA(editor, c.typed);
        SendMessageW(editor, WM_CHAR, c.key, 1);
        hosttest::PumpMessages();
        EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "the edit ended";
        EXPECT_EQ(static_cast<CText*>(control->FindShape(text))->GetText(), c.stays);
        EXPECT_EQ(control->GetInPlaceEdit(), nullptr);
        EXPECT_FALSE(IsWindow(editor)) << "the editor window is gone";
        EmptyAll();
        Selection()->Clear(false);
        Select({first});
        EXPECT_EQ(control->Copy(), S_OK) << "the copy is the drawing's";
        EXPECT_TRUE(IsClipboardFormatAvailable(own));
        Selection()->Clear(false);
    }
}

// Nothing selected: no copy, and the clipboard keeps what it held.
TEST_F(Clipboard, CopyWithoutSelectionLeavesTheClipboard)
{
    PutText(CF_TEXT, "kept");
    EXPECT_EQ(control->Copy(), S_FALSE);
    EXPECT_EQ(control->Cut(), S_FALSE);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(IsClipboardFormatAvailable(own));
}

// Whether a paste would find something: the own data while the root takes shapes; other formats
// only while a layer can take the new shape.
TEST_F(Clipboard, CanPasteFollowsTheFormatsAndTheLayers)
{
    CShape* layer = control->FindShape(BASE_LAYER);
    ASSERT_NE(layer, nullptr);
    struct Case {
        const char* what;
        bool ownData;
        bool text;
        bool layerVisible;
        VARIANT_BOOL expected;
    };
    const Case cases[] = {
        {"empty clipboard", false, false, true, VARIANT_FALSE},
        {"plain text", false, true, true, VARIANT_TRUE},
        {"plain text, no layer to take it", false, true, false, VARIANT_FALSE},
        {"own data", true, false, true, VARIANT_TRUE},
        {"own data, layers hidden", true, false, false, VARIANT_TRUE},
    };
    Select({first});
    for (const Case& c : cases) {
        EmptyAll();
        if (c.ownData) {
            ASSERT_EQ(control->Copy(), S_OK) << c.what;
        }
        if (c.text)
            PutText(CF_TEXT, "text");
        layer->SetVisible(c.layerVisible);
        VARIANT_BOOL can = 7;
        EXPECT_EQ(control->CanPaste(&can), S_OK) << c.what;
        EXPECT_EQ(can, c.expected) << c.what;
        // The context menu offers Paste by the same rule.
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 33053, L"Paste");
        EXPECT_EQ(control->PrunePasteItem(menu), c.expected != VARIANT_FALSE) << c.what;
        EXPECT_EQ(GetMenuItemCount(menu), c.expected ? 1 : 0) << c.what;
        DestroyMenu(menu);
    }
    layer->SetVisible(true);
    EXPECT_EQ(control->CanPaste(nullptr), E_INVALIDARG);
}

// Texts of other programs become one text shape, plain or rich, selected and hanging at the
// pointer.
TEST_F(Clipboard, PastedTextsBecomeTextShapes)
{
    struct Case {
        UINT format;
        std::string bytes;
        int type;
    };
    const Case cases[] = {
        {CF_TEXT, "Hello", ttANSI},
        {RegisterClipboardFormatA("Rich Text Format"), "{\\rtf1\\ansi Hello}", ttRTF},
    };
    for (const Case& c : cases) {
        PutText(c.format, c.bytes);
        ASSERT_EQ(control->Paste(), S_OK) << c.bytes;
        CShape* shape = PastedShape();
        ASSERT_NE(shape, nullptr);
        ASSERT_EQ(shape->GetShapeType(), stText);
        EXPECT_EQ(static_cast<CText*>(shape)->GetTextType(), c.type) << c.bytes;
        EXPECT_EQ(shape->GetParent(), Root());
        EXPECT_EQ(control->GetEditState().editedShape, Selection());
        ASSERT_TRUE(control->EndInteractiveOperation(true, true));
        Selection()->Clear(false);
    }
    // UTF-16 text is read as such.
    const std::wstring wide = L"Wide";
    Put(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ASSERT_EQ(control->Paste(), S_OK);
    CShape* shape = PastedShape();
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(static_cast<CText*>(shape)->GetText(), "Wide");
}

// "GIF" and "JFIF" bytes on the clipboard are picture files as they are: each pastes as an image
// of that format and size.
TEST_F(Clipboard, PastedGifAndJpegBytesBecomeImages)
{
    const std::vector<unsigned char> bmp = RedBmpFile(8, 6);
    CImageResource source(0, bmp.data(), bmp.size(), 1.0f, 0);
    ASSERT_TRUE(source.IsLoaded());
    struct Case {
        const char* format;
        int encoding;
    };
    for (const Case& c : {Case{"GIF", irtGIF}, Case{"JFIF", irtJPEG}}) {
        HGLOBAL encoded = source.GetDataInFormat(c.encoding);
        ASSERT_NE(encoded, nullptr) << c.format;
        {
            ycom::GlobalLockView<unsigned char> view(encoded);
            Put(RegisterClipboardFormatA(c.format), view.Get(), view.Size());
        }
        GlobalFree(encoded);
        ASSERT_EQ(control->Paste(), S_OK) << c.format;
        CShape* shape = PastedShape();
        ASSERT_NE(shape, nullptr);
        ASSERT_EQ(shape->GetShapeType(), stImage) << c.format;
        CImageResource* resource = static_cast<CImage*>(shape)->GetImageResource();
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->GetFormat(), c.encoding) << c.format;
        EXPECT_EQ(resource->GetWidth(), 8u);
        EXPECT_EQ(resource->GetHeight(), 6u);
        EXPECT_EQ(resource->GetName().rfind("Pasted", 0), 0u) << "a pasted picture gets a name";
        ASSERT_TRUE(control->EndInteractiveOperation(true, true));
        Selection()->Clear(false);
    }
}

// A palette DIB whose header leaves the colour count 0 has the full table before its pixels;
// bottom-up or top-down, the pasted picture shows the table's colours.
TEST_F(Clipboard, PastedPaletteDibKeepsItsColours)
{
    for (LONG height : {2L, -2L}) {
        const std::vector<unsigned char> dib = EightBitDib(height);
        Put(CF_DIB, dib.data(), dib.size());
        ASSERT_EQ(control->Paste(), S_OK) << height;
        CShape* shape = PastedShape();
        ASSERT_NE(shape, nullptr);
        ASSERT_EQ(shape->GetShapeType(), stImage);
        CImageResource* resource = static_cast<CImage*>(shape)->GetImageResource();
        ASSERT_NE(resource, nullptr);
        EXPECT_EQ(resource->GetWidth(), 4u);
        EXPECT_EQ(resource->GetHeight(), 2u);
        drawtest::Dib picture(8, 4, 0x00FF00);
        const RECT all = {0, 0, 8, 4};
        ASSERT_TRUE(resource->Draw(picture.dc, all, nullptr));
        EXPECT_EQ(picture.Pixel(4, 2), RGB(255, 0, 0)) << height;
        ASSERT_TRUE(control->EndInteractiveOperation(true, true));
        Selection()->Clear(false);
    }
}

// The BMP file made of a clipboard DIB: its pixels start past the header, the masks and the
// colour table the header describes; its image size counts the rows of either orientation;
// data shorter than the header says is refused.
TEST(ClipboardDib, FileHeaderPointsAtThePixels)
{
    struct Case {
        const char* what;
        WORD bits;
        DWORD compression;
        DWORD coloursUsed;
        LONG height;
        size_t extra;  // bytes after the header: masks, table, pixels
        bool ok;
        DWORD pixelOffset;
        DWORD imageSize;
    };
    const Case cases[] = {
        {"8 bits, full table", 8, BI_RGB, 0, 2, 1024 + 8, true, 14 + 40 + 1024, 8},
        {"8 bits, top-down", 8, BI_RGB, 0, -2, 1024 + 8, true, 14 + 40 + 1024, 8},
        {"4 bits, three colours", 4, BI_RGB, 3, 2, 12 + 8, true, 14 + 40 + 12, 8},
        {"24 bits", 24, BI_RGB, 0, 2, 32, true, 14 + 40, 24},
        {"32 bits with masks", 32, BI_BITFIELDS, 0, 2, 12 + 32, true, 14 + 40 + 12, 32},
        {"table cut short", 8, BI_RGB, 0, 2, 1000, false, 0, 0},
        {"pixels cut short", 24, BI_RGB, 0, 2, 20, false, 0, 0},
    };
    for (const Case& c : cases) {
        BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), 4, c.height, 1, c.bits, c.compression, 0, 0, 0,
                                   c.coloursUsed, 0};
        std::vector<unsigned char> dib = Bytes(&header, sizeof header);
        dib.resize(dib.size() + c.extra, 0);
        std::vector<unsigned char> file;
        ASSERT_EQ(BuildBitmapFileImage(dib.data(), dib.size(), &file), c.ok) << c.what;
        if (!c.ok)
            continue;
        ASSERT_EQ(file.size(), dib.size() + 14) << c.what;
        BITMAPFILEHEADER fileHeader;
        std::memcpy(&fileHeader, file.data(), sizeof fileHeader);
        EXPECT_EQ(fileHeader.bfType, 0x4D42) << c.what;
        EXPECT_EQ(fileHeader.bfSize, file.size()) << c.what;
        EXPECT_EQ(fileHeader.bfOffBits, c.pixelOffset) << c.what;
        BITMAPINFOHEADER written;
        std::memcpy(&written, file.data() + 14, sizeof written);
        EXPECT_EQ(written.biSizeImage, c.imageSize) << c.what;
        EXPECT_EQ(written.biHeight, c.height) << c.what;
    }
    const unsigned char tiny[8] = {};
    std::vector<unsigned char> file;
    EXPECT_FALSE(BuildBitmapFileImage(tiny, sizeof tiny, &file));
}

// The picture this control put beside its own data is not pasted back as a picture of itself.
TEST_F(Clipboard, OwnPictureAlonePastesNothing)
{
    Select({first});
    ASSERT_EQ(control->Copy(), S_OK);
    ASSERT_TRUE(OpenClipboard(m_top));
    HENHMETAFILE picture = CopyEnhMetaFileW(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)), nullptr);
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, picture);
    CloseClipboard();
    const std::set<int> before = RootIds();
    EXPECT_EQ(control->Paste(), S_FALSE);
    EXPECT_EQ(RootIds(), before);
}

// Pasting into the clipboard group is refused with a message.
TEST_F(Clipboard, PasteIntoTheClipboardGroupIsRefused)
{
    PutText(CF_TEXT, "text");
    control->SetActiveGroup(control->FindGroup(CLIPBOARD_ID));
    EXPECT_EQ(control->Paste(), DISP_E_EXCEPTION);
    control->SetActiveGroup(Root());
}

// RootID shows another group as the drawing: the selection empties, new shapes go there; the
// host may refuse; an unknown ID is an error; the same ID changes nothing and asks nobody.
TEST_F(Clipboard, RootIdSwitchesTheDrawingShown)
{
    LONG group = 0;
    ASSERT_EQ(control->AddGroup(Root(), stGroup, &group), S_OK);
    LONG inner = 0;
    ASSERT_EQ(control->AddLine(control->FindGroup(group), 1.0f, 1.0f, 2.0f, 2.0f, &inner), S_OK);
    Select({first});

    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_EQ(control->put_RootID(group), S_OK);
    LONG root = -99;
    EXPECT_EQ(control->get_RootID(&root), S_OK);
    EXPECT_EQ(root, group);
    EXPECT_EQ(Selection()->GetShapeCount(), 0);
    EXPECT_EQ(control->GetActiveGroupID(), group);
    EXPECT_EQ(control->FindShape(inner)->GetParent(), control->GetRootGroup());
    EXPECT_TRUE(Heard(sink, kSwitchRootID));

    sink.calls.clear();
    EXPECT_EQ(control->put_RootID(group), S_OK);
    EXPECT_FALSE(Heard(sink, kSwitchRootID)) << "the same root asks nobody";
    EXPECT_EQ(control->put_RootID(123456), DISP_E_EXCEPTION);
    EXPECT_EQ(control->get_RootID(&root), S_OK);
    EXPECT_EQ(root, group);

    connection.Disconnect();
    RefusingSink refusing(kSwitchRootID);
    Connection refused(control->GetControllingUnknown(), &refusing);
    EXPECT_EQ(control->put_RootID(BASE_ID), S_FALSE);
    EXPECT_EQ(control->GetRootGroup()->GetId(), group);
    refused.Disconnect();
    EXPECT_EQ(control->put_RootID(BASE_ID), S_OK);
    EXPECT_EQ(control->GetRootGroup()->GetId(), BASE_ID);
}

// LocateShape centres the view on a shape (or the selection) at the same zoom, and the previous
// view comes back with ZoomPrevious; fixed groups and unknown shapes are not located.
TEST_F(Clipboard, LocateShapeCentresTheViewOnTheShape)
{
    LONG distant = 0;
    ASSERT_EQ(control->AddLine(Root(), 100.0f, 100.0f, 140.0f, 120.0f, &distant), S_OK);
    CViewportRecord& view = control->GetCurrentViewport();
    const CRealPoint centre = view.center;
    const double zoom = view.zoom;
    ASSERT_EQ(control->LocateShape(distant), S_OK);
    EXPECT_NEAR(view.center.x, 120.0f, 1e-3);
    EXPECT_NEAR(view.center.y, 110.0f, 1e-3);
    EXPECT_DOUBLE_EQ(view.zoom, zoom);
    // The middle of the client area shows the shape's middle (within two pixels).
    float x0 = 0.0f, y0 = 0.0f, x2 = 2.0f, y2 = 0.0f;
    control->DPtoWCS(&x0, &y0);
    control->DPtoWCS(&x2, &y2);
    const float twoPixels = std::fabs(x2 - x0);
    float x = static_cast<float>(m_client.right) / 2, y = static_cast<float>(m_client.bottom) / 2;
    EXPECT_EQ(control->DPtoWCS(&x, &y), S_OK);
    EXPECT_NEAR(x, 120.0f, twoPixels);
    EXPECT_NEAR(y, 110.0f, twoPixels);

    ASSERT_EQ(control->ZoomPrevious(0), S_OK);
    EXPECT_NEAR(view.center.x, centre.x, twoPixels);
    EXPECT_NEAR(view.center.y, centre.y, twoPixels);

    Select({second});
    ASSERT_EQ(control->LocateShape(SELECTION_ID), S_OK);
    EXPECT_NEAR(view.center.x, 5.0f, 1e-3);
    EXPECT_NEAR(view.center.y, 10.0f, 1e-3);
    for (LONG refused : {LONG(BASE_ID), LONG(LIBRARY_ID), LONG(DEFAULT_TEXT_ID), LONG(987654)})
        EXPECT_EQ(control->LocateShape(refused), S_FALSE) << refused;
}

// Verb 1 ("&Activate") activates the control as the user's activation does.
TEST_F(Clipboard, ActivateVerbActivatesTheControl)
{
    ycom::ComPtr<IOleObject> object;
    ASSERT_EQ(control->GetControllingUnknown()->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
    ycom::ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.Put()), S_OK);
    RECT rect;
    GetClientRect(m_ax, &rect);
    EXPECT_EQ(object->DoVerb(1, nullptr, site.Get(), 0, m_ax, &rect), S_OK);
    EXPECT_EQ(object->DoVerb(7, nullptr, site.Get(), 0, m_ax, &rect), OLEOBJ_S_INVALIDVERB);
}

// While the in-place text editor is open the clipboard keys are its own: a copy takes the
// editor's text, not shapes, and a paste goes into the editor.
TEST_F(Clipboard, OpenTextEditorTakesCopyAndPaste)
{
    LONG text = 0;
    ASSERT_EQ(control->AddText(Root(), L"Editor text", 0.0f, 0.0f, ttANSI, 0.0f, 5.0f, 0, 0.0f, 1.0f, &text), S_OK);
    ASSERT_EQ(control->StartTextEditor(control->FindShape(text)), 1);
    ASSERT_NE(control->GetInPlaceEdit(), nullptr);
    HWND editor = control->GetInPlaceEdit()->GetHandle();
    ASSERT_TRUE(editor && IsWindowVisible(editor));
    Select({first});
    SendMessageW(editor, EM_SETSEL, 0, -1);
    EXPECT_EQ(control->Copy(), S_FALSE);
    EXPECT_FALSE(IsClipboardFormatAvailable(own));
    ASSERT_TRUE(OpenClipboard(m_top));
    const char* copied = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    EXPECT_STREQ(copied ? copied : "", "Editor text");
    GlobalUnlock(GetClipboardData(CF_TEXT));
    CloseClipboard();

    PutText(CF_TEXT, "Pasted");
    const std::set<int> before = RootIds();
    SendMessageW(editor, EM_SETSEL, 0, -1);
    EXPECT_EQ(control->Paste(), S_FALSE);
    EXPECT_EQ(RootIds(), before);
    EXPECT_EQ(control->GetInPlaceEdit()->GetText(), "Pasted");
    control->HandleDestroyEditWindows();
}
