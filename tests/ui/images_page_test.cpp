// The Images page of the Options sheet and the image chooser, over a control hosted in a window
// with an event sink: the layout without a data source, loading the same picture twice, the size
// edits' filter, the save filters, deleting resources (refusals, the shapes that use one, the
// host's veto, several rows at once) each as one undo step, turning a metafile into a block, the
// rows' records and looks, and the database actions on SQLite and PostgreSQL (saving duplicates
// with "Yes to All" and "No to All", the refusals of "Delete from DB" in one message, the looks
// following what the table holds).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Image.h"
#include "model/Reference.h"
#include "persistence/sql/HatchPatternSql.h"
#include "persistence/sql/ImageResourceSql.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/HostSupport.h"
#include "tests/support/PictureFiles.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsImagesPage.h"
#include "ui/SmallDialogs.h"

using namespace controltest;
using namespace pagetest;
using picturefiles::TempPath;
using picturefiles::WriteWhiteBmp;

namespace {

class ImagesEnvironment : public ModuleEnvironment
{
public:
    void SetUp() override
    {
        ModuleEnvironment::SetUp();
        SetOptionsDialogMaker([]() -> std::unique_ptr<COptionsDialog> { return std::make_unique<COptionsSheet>(); });
        RegisterImageChooser();
    }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ImagesEnvironment);

// A small metafile picture: a framed rectangle.
bool WriteEmf(const std::wstring& path)
{
    RECT frame = {0, 0, 2000, 1000};
    HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), &frame, nullptr);
    if (!dc)
        return false;
    Rectangle(dc, 10, 10, 60, 40);
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 60, 40);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    if (!metafile)
        return false;
    DeleteEnhMetaFile(metafile);
    return true;
}

// A host that refuses one event for one ID (its first argument) and lets everything else proceed.
class VetoingSink : public EventSink
{
public:
    VetoingSink(DISPID event, LONG vetoed) : m_event(event), m_vetoed(vetoed) {}
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* info,
                        UINT* error) override
    {
        // The arguments come last first: the proceed flag, then the ID.
        answer = id == m_event && p->cArgs == 2 && p->rgvarg[1].lVal == m_vetoed ? VARIANT_FALSE : VARIANT_TRUE;
        return EventSink::Invoke(id, iid, lcid, flags, p, result, info, error);
    }

private:
    DISPID m_event;
    LONG m_vetoed;
};

class ImagesPageBase : public AskingPage
{
protected:
    COptionsImagesPage* Object() const { return PageObject<COptionsImagesPage>(OPTPAGE_IMAGESDLG); }
    HWND Item(int id) const { return AskingPage::Item(OPTPAGE_IMAGESDLG, id); }
    HWND List() const { return Item(IDC_PAGE_LIST); }
    std::vector<std::string> Rows() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < ListView_GetItemCount(List()); ++i) {
            char text[128] = "";
            ListView_GetItemText(List(), i, 0, text, sizeof text);
            texts.push_back(text);
        }
        return texts;
    }
    int Row(const std::string& name) const
    {
        const std::vector<std::string> rows = Rows();
        const auto it = std::find(rows.begin(), rows.end(), name);
        return it == rows.end() ? -1 : static_cast<int>(it - rows.begin());
    }
    std::vector<std::string> SelectedRows() const
    {
        std::vector<std::string> names;
        const std::vector<std::string> rows = Rows();
        for (int row = ListView_GetNextItem(List(), -1, LVNI_SELECTED); row >= 0;
             row = ListView_GetNextItem(List(), row, LVNI_SELECTED))
            names.push_back(rows[static_cast<size_t>(row)]);
        return names;
    }
    void Select(const std::vector<std::string>& names) const
    {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (const std::string& name : names) {
            const int row = Row(name);
            ASSERT_GE(row, 0) << name;
            ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageA(List(), LVM_SETSELECTIONMARK, 0, row);
        }
    }
    bool On(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Shown(int id) const { return (GetWindowLongA(Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    RECT Place(int id) const
    {
        RECT r;
        GetWindowRect(Item(id), &r);
        return r;
    }

    // A white BMP file of its own size (so of its own picture), its resource name.
    std::wstring Bmp(const wchar_t* name, int width, int height)
    {
        const std::wstring path = TempPath(name);
        EXPECT_TRUE(WriteWhiteBmp(path, width, height));
        m_files.push_back(path);
        return path;
    }
    CImageResource* Load(const std::wstring& path)
    {
        return control->GetImageResourceMap().LoadFromFile(path, 1.0f, -1);
    }
    // A metafile picture of the drawing, from a file of that name.
    CImageResource* LoadEmf(const wchar_t* name)
    {
        const std::wstring path = TempPath(name);
        EXPECT_TRUE(WriteEmf(path));
        m_files.push_back(path);
        return Load(path);
    }
    // An image shape of the picture in the drawing.
    int AddImage(const std::wstring& path, float x = 0)
    {
        LONG id = 0;
        EXPECT_EQ(control->AddImage(control->GetRootGroup(), path.c_str(), x, 0, 10, 10, false, &id), S_OK);
        return id;
    }
    CImageResource* Resource(const std::string& name) const
    {
        return control->GetImageResourceMap().FindByName(name.c_str(), 0);
    }
    // The record of a named row: its key and its looks.
    const CListRowData* Record(const std::string& name) const { return Object()->GetList().GetRowData(Row(name)); }
    CImageResource* Key(const std::string& name) const
    {
        const CListRowData* record = Record(name);
        return record ? reinterpret_cast<CImageResource*>(record->tag) : nullptr;
    }
    // The pixels of a colour in a named row's name cell as the list paints it now, no row selected
    // (a selected row takes the highlight's colours).
    int PixelsInRow(const std::string& name, COLORREF colour) const
    {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
        RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        RECT cell = {};
        cell.left = LVIR_LABEL;
        SendMessageA(List(), LVM_GETSUBITEMRECT, Row(name), reinterpret_cast<LPARAM>(&cell));
        HDC dc = GetDC(List());
        int n = 0;
        for (int y = cell.top + 1; y < cell.bottom - 1; ++y)
            for (int x = cell.left + 1; x < cell.right - 1; ++x)
                n += GetPixel(dc, x, y) == colour;
        ReleaseDC(List(), dc);
        return n;
    }
    // The looks of the rows: the grey background, the special text colour.
    static constexpr COLORREF kGreyLook = 0xEBEBEB;
    static constexpr COLORREF kSpecialLook = 0x5000;

    // The image chooser while it shows, and its row of a picture selected as the user clicks it.
    static HWND Chooser() { return DialogDriver::FindThreadWindow("#32770", "Images"); }
    static bool ChooserShown() { return Chooser() != nullptr && IsWindowVisible(Chooser()); }
    static void ChooseRow(const char* name)
    {
        HWND list = GetDlgItem(Chooser(), IDC_PAGE_LIST);
        LVFINDINFOA find = {};
        find.flags = LVFI_STRING;
        find.psz = name;
        const int row = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    static std::string ChosenRow()
    {
        HWND list = GetDlgItem(Chooser(), IDC_PAGE_LIST);
        const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        char text[128] = "";
        if (row >= 0)
            ListView_GetItemText(list, row, 0, text, sizeof text);
        return text;
    }
    // The user draws an image through the menu; `steps` answer the chooser.
    HRESULT DrawImageWithChooser(const std::function<void()>& steps)
    {
        DialogDriver driver;
        driver.Then(ChooserShown);
        driver.Do(steps);
        HRESULT hr = E_FAIL;
        driver.Run([&] { hr = control->ExecuteMenuCommand(MI_DRAW_IMAGE, 0); });
        EXPECT_TRUE(driver.Finished()) << driver.Pending() << " steps left";
        return hr;
    }
};

class ImagesPage : public ImagesPageBase
{
};

} // namespace

// Without a data source the database switch is hidden and the size edits move down by the gap
// between it and them; the list shows every resource of the drawing under "Name".
TEST_F(ImagesPage, WithoutDataSourceTheSwitchGoesAndTheEditsMoveDown)
{
    Load(Bmp(L"yvex_images_a.bmp", 8, 6));
    bool dbShown = true;
    RECT width = {}, box = {};
    std::vector<std::string> rows;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_images")));
            dbShown = Shown(IDC_IMAGES_DB);
            width = Place(IDC_IMAGES_WIDTH);
            box = Place(IDC_IMAGES_DB);
            rows = Rows();
        });
    });
    EXPECT_FALSE(dbShown);
    EXPECT_EQ(width.top, box.top) << "the width edit takes the switch's height";
    EXPECT_NE(std::find(rows.begin(), rows.end(), "yvex_images_a"), rows.end());
}

// Loading the same picture again adds no row: the row it has is selected. A new picture is a new
// selected row and one undo step, whose undo takes the resource away.
TEST_F(ImagesPage, LoadingTheSamePictureTwiceSelectsItsRow)
{
    const std::wstring first = Bmp(L"yvex_images_same.bmp", 5, 7);
    const std::wstring second = Bmp(L"yvex_images_other.bmp", 9, 3);
    std::vector<std::string> before, after, selected;
    std::string width;
    const size_t steps = UndoSteps();
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            before = Rows();
            EXPECT_EQ(Object()->LoadFiles({first}), 1);
            EXPECT_EQ(Object()->LoadFiles({first, second}), 2);
            after = Rows();
            selected = SelectedRows();
            width = Text(Item(IDC_IMAGES_WIDTH));
        });
    });
    EXPECT_EQ(after.size(), before.size() + 2);
    EXPECT_EQ(std::count(after.begin(), after.end(), "yvex_images_same"), 1);
    EXPECT_EQ(selected, (std::vector<std::string>{"yvex_images_same", "yvex_images_other"}));
    EXPECT_EQ(UndoSteps(), steps + 2) << "one step for each new resource";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(Resource("yvex_images_other"), nullptr);
    EXPECT_NE(Resource("yvex_images_same"), nullptr);
}

// A file that holds no picture is reported with the control's error text; the files after it are
// not loaded.
TEST_F(ImagesPage, AFileWithoutAPictureIsReportedAndEndsTheLoad)
{
    const std::wstring bad = TempPath(L"yvex_images_bad.bmp");
    {
        HANDLE file = CreateFileW(bad.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "not a picture", 13, &written, nullptr);
        CloseHandle(file);
        m_files.push_back(bad);
    }
    const std::wstring good = Bmp(L"yvex_images_after.bmp", 4, 4);
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) { d.Do([&] { EXPECT_EQ(Object()->LoadFiles({bad, good}), 0); }); });
    ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
    EXPECT_EQ(MessageBoxes::Texts()[0].rfind("Warning: Can't load image resource from ", 0), 0u) << MessageBoxes::Texts()[0];
    EXPECT_EQ(Resource("yvex_images_after"), nullptr);
}

// The size edits keep digits and the first decimal separator and at most 18 characters; the
// caret moves with what is dropped before it.
TEST_F(ImagesPage, SizeEditsKeepOnlyANumber)
{
    struct Case {
        const char* typed;
        int caret;
        const char* kept;
        int caretAfter;
    } cases[] = {
        {"1a2.3.4", 7, "12.34", 5},
        {"1234567890123456789012345", 25, "123456789012345678", 18},
        {"x9", 1, "9", 0},
        {"12.5", 4, "12.5", 4},
    };
    for (const Case& c : cases) {
        int start = c.caret, end = c.caret;
        EXPECT_EQ(COptionsImagesPage::FilterNumber(c.typed, '.', &start, &end), c.kept) << c.typed;
        EXPECT_EQ(start, c.caretAfter) << c.typed;
    }
    Load(Bmp(L"yvex_images_size.bmp", 6, 6));
    std::string typed;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            SetWindowTextA(Item(IDC_IMAGES_WIDTH), "1a2.3.4");
            typed = Text(Item(IDC_IMAGES_WIDTH));
        });
    });
    EXPECT_EQ(typed, "12.34");
}

// The save dialog offers every format the resource can be written in, its own preselected: five
// for a JPEG picture (JPEG the third), six with EMF for a metafile; the chosen filter gives the
// format written.
TEST_F(ImagesPage, SaveFiltersFollowTheResourceFormat)
{
    auto count = [](const std::string& filters) {
        int pairs = 0;
        for (size_t at = 0; at < filters.size() && filters[at]; at += std::strlen(&filters[at]) + 1)
            ++pairs;
        return pairs / 2;
    };
    int index = 0;
    const std::string jpeg = COptionsImagesPage::SaveFilters(irtJPEG, &index);
    EXPECT_EQ(count(jpeg), 5);
    EXPECT_EQ(index, 2) << "BMP, JPEG, ...";
    EXPECT_STREQ(jpeg.c_str() + jpeg.find("JPEG"), "JPEG file(jpg)");
    const std::string emf = COptionsImagesPage::SaveFilters(irtExtMetafile, &index);
    EXPECT_EQ(count(emf), 6);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(COptionsImagesPage::FormatOfSaveFilter(irtJPEG, 2), irtJPEG);
    EXPECT_EQ(COptionsImagesPage::FormatOfSaveFilter(irtExtMetafile, 1), irtExtMetafile);
    EXPECT_EQ(COptionsImagesPage::FormatOfSaveFilter(irtPNG, 7), 0);
}

// The default resource (its own row offers no Delete) and a resource a hatch pattern uses are
// refused with their messages.
TEST_F(ImagesPage, DeleteRefusesTheDefaultAndAPatternsPicture)
{
    CImageResource* used = Load(Bmp(L"yvex_images_pattern.bmp", 5, 5));
    ASSERT_NE(used, nullptr);
    ASSERT_GT(control->GetHatchPatternMap().AddPattern("Tiles", "Created from image", used->GetId()), 0);
    const std::string defaultName = control->GetImageResourceMap().Lookup(-1)->GetName();
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({defaultName, "yvex_images_pattern"});
            Click(Item(IDC_IMAGES_DELETE));
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(),
              (std::vector<std::string>{"Warning: Do you want to delete 2 image resources?",
                                        "Warning: Can't delete default image resource.",
                                        "Warning: Before 'yvex_images_pattern' image resource deletion delete hatch "
                                        "pattern that use it."}));
    EXPECT_NE(control->GetImageResourceMap().Lookup(-1), nullptr);
    EXPECT_NE(Resource("yvex_images_pattern"), nullptr);
}

// A resource two image shapes use: Yes deletes the shapes with it, No leaves them without a
// picture; either is one undo step that brings resource and shapes back as they were.
TEST_F(ImagesPage, DeletingAUsedResourceTakesOrDetachesItsShapes)
{
    const std::wstring path = Bmp(L"yvex_images_used.bmp", 6, 4);
    const int a = AddImage(path), b = AddImage(path, 20);
    const int resourceId = Resource("yvex_images_used")->GetId();
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        MessageBoxes::Texts().clear();
        MessageBoxes::Answer() = answer;
        const size_t steps = UndoSteps();
        std::vector<std::string> rows;
        RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
            d.Do([&] {
                Select({"yvex_images_used"});
                Click(Item(IDC_IMAGES_DELETE));
                rows = Rows();
            });
        });
        ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
        EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: There are 2 shape(s) that use image resource 'yvex_images_used'.\n"
                                            "Do you want them also to be deleted?");
        EXPECT_EQ(std::count(rows.begin(), rows.end(), "yvex_images_used"), 0);
        EXPECT_EQ(control->GetImageResourceMap().Lookup(resourceId), nullptr);
        if (answer == IDYES) {
            EXPECT_EQ(control->FindShape(a), nullptr);
            EXPECT_EQ(control->FindShape(b), nullptr);
        } else {
            for (int id : {a, b}) {
                auto* image = dynamic_cast<CImage*>(control->FindShape(id));
                ASSERT_NE(image, nullptr);
                EXPECT_EQ(image->GetImageResourceId(), -1);
            }
        }
        EXPECT_EQ(UndoSteps(), steps + 1) << "one step";
        ASSERT_EQ(Undo(), S_OK);
        CImageResource* back = control->GetImageResourceMap().Lookup(resourceId);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetName(), "yvex_images_used");
        for (int id : {a, b}) {
            auto* image = dynamic_cast<CImage*>(control->FindShape(id));
            ASSERT_NE(image, nullptr) << id;
            EXPECT_EQ(image->GetImageResourceId(), resourceId);
        }
    }
}

// The host's veto (OnDeleteImageResource) keeps the resource without a word.
TEST_F(ImagesPage, TheHostsVetoKeepsTheResource)
{
    CImageResource* vetoed = Load(Bmp(L"yvex_images_veto.bmp", 3, 3));
    ASSERT_NE(vetoed, nullptr);
    VetoingSink sink(0x34, vetoed->GetId());
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"yvex_images_veto"});
            Click(Item(IDC_IMAGES_DELETE));
        });
    });
    EXPECT_NE(Resource("yvex_images_veto"), nullptr);
    const std::vector<DISPID> ids = sink.Ids();
    EXPECT_NE(std::find(ids.begin(), ids.end(), 0x34), ids.end()) << "OnDeleteImageResource";
    EXPECT_TRUE(MessageBoxes::Texts().empty());
}

// Two rows deleted at once: exactly those two go, whatever rows their deletion moves.
TEST_F(ImagesPage, DeletingTwoRowsDeletesExactlyThoseTwo)
{
    for (int i = 0; i < 4; ++i) {
        const std::wstring name = L"yvex_images_row" + std::to_wstring(i) + L".bmp";
        Load(Bmp(name.c_str(), 3 + i, 2));
    }
    std::vector<std::string> rows;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
            for (const char* name : {"yvex_images_row1", "yvex_images_row2"})
                ListView_SetItemState(List(), Row(name), LVIS_SELECTED, LVIS_SELECTED);
            Click(Item(IDC_IMAGES_DELETE));
            rows = Rows();
        });
    });
    ASSERT_FALSE(MessageBoxes::Texts().empty());
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: Do you want to delete 2 image resources?");
    EXPECT_NE(Resource("yvex_images_row0"), nullptr);
    EXPECT_EQ(Resource("yvex_images_row1"), nullptr);
    EXPECT_EQ(Resource("yvex_images_row2"), nullptr);
    EXPECT_NE(Resource("yvex_images_row3"), nullptr);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "yvex_images_row0"), 1);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "yvex_images_row3"), 1);
}

// Each row's record keys its resource and takes its looks: a picture the database does not hold
// is written in the special colour, a resource without a decoded picture on grey; a stored one
// with its picture is plain. Delete Image takes the resource of the selected row's record.
TEST_F(ImagesPage, TheRowsCarryTheirResourcesAndLooks)
{
    CImageResource* plain = Load(Bmp(L"yvex_images_look_new.bmp", 5, 4));
    CImageResource* stored = Load(Bmp(L"yvex_images_look_stored.bmp", 6, 4));
    CImageResource* emptied = Load(Bmp(L"yvex_images_look_empty.bmp", 7, 4));
    ASSERT_TRUE(plain && stored && emptied);
    stored->SetDatabaseId(41);
    {
        // A refresh takes the picture over: the resource stays without one.
        CImageResource taker(0, nullptr, 0, 1.0f, -1);
        taker.TakeOver(*emptied);
    }
    ASSERT_FALSE(emptied->IsLoaded());
    const std::string names[] = {"yvex_images_look_new", "yvex_images_look_stored", "yvex_images_look_empty"};
    const CImageResource* keys[3] = {};
    DWORD flags[3] = {};
    int grey[3] = {}, special[3] = {};
    bool kept = false;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_images_rows")));
            for (int i = 0; i < 3; ++i) {
                const CListRowData* record = Record(names[i]);
                ASSERT_NE(record, nullptr) << names[i];
                keys[i] = reinterpret_cast<const CImageResource*>(record->tag);
                flags[i] = record->flags;
                grey[i] = PixelsInRow(names[i], kGreyLook);
                special[i] = PixelsInRow(names[i], kSpecialLook);
            }
            Select({names[2]});
            Click(Item(IDC_IMAGES_DELETE));
            kept = Row(names[2]) < 0 && Row(names[0]) >= 0 && Key(names[0]) == plain;
        });
    });
    EXPECT_EQ(keys[0], plain);
    EXPECT_EQ(keys[1], stored);
    EXPECT_EQ(keys[2], emptied);
    EXPECT_EQ(flags[0], static_cast<DWORD>(CListRowData::kSpecialText));
    EXPECT_EQ(flags[1], 0u);
    EXPECT_EQ(flags[2], static_cast<DWORD>(CListRowData::kGreyRow | CListRowData::kSpecialText));
    EXPECT_EQ(grey[0], 0);
    EXPECT_EQ(grey[1], 0);
    EXPECT_GT(grey[2], 100) << "a grey row";
    EXPECT_GT(special[0], 3) << "the name in the special colour";
    EXPECT_EQ(special[1], 0);
    EXPECT_GT(special[2], 3);
    EXPECT_TRUE(kept);
    EXPECT_EQ(Resource(names[2]), nullptr);
    EXPECT_EQ(Resource(names[0]), plain);
}

// Parse Metafile makes a block of an EMF picture (and offers "Insert block reference"); a bitmap
// gives the error text.
TEST_F(ImagesPage, ParseMetafileMakesABlockOfAnEmfOnly)
{
    CImageResource* vector = LoadEmf(L"yvex_images_vector.emf");
    ASSERT_NE(vector, nullptr);
    Load(Bmp(L"yvex_images_raster.bmp", 4, 5));
    COptionsImagesPage chooser;
    bool insertOn = false;
    DialogDriver driver;
    driver.Then(ChooserShown);
    driver.Do([&] {
        EXPECT_TRUE(CaptureWindowToPng(Chooser(), ArtefactPath("image_chooser")));
        ChooseRow("yvex_images_vector");
        Click(GetDlgItem(Chooser(), IDC_IMAGES_PARSE));
        insertOn = IsWindowEnabled(GetDlgItem(Chooser(), IDC_IMAGES_INSERT_BLOCK)) != FALSE;
        ChooseRow("yvex_images_raster");
        Click(GetDlgItem(Chooser(), IDC_IMAGES_PARSE));
        ChooseRow("yvex_images_vector");
        Click(GetDlgItem(Chooser(), IDOK));
    });
    INT_PTR result = 0;
    driver.Run([&] { result = chooser.DoModal(control.Get(), m_top); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(result, 1);
    EXPECT_EQ(chooser.GetChosenId(), vector->GetId());
    EXPECT_GT(vector->GetBlockId(), 0);
    EXPECT_NE(control->FindShape(vector->GetBlockId()), nullptr);
    EXPECT_TRUE(insertOn);
    EXPECT_EQ(Resource("yvex_images_raster")->GetBlockId() > 0, false);
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"Error: Can't convert this image to block.\nPerhaps it is "
                                                               "not Windows Metafile or its contents is not supported."}));
}

// "Draw Image" closes the sheet and hangs an image of the selected picture at the pointer, with the
// size typed into the edits.
TEST_F(ImagesPage, DrawImageClosesTheSheetAndPlacesThePicture)
{
    CImageResource* picture = Load(Bmp(L"yvex_images_placed.bmp", 7, 3));
    ASSERT_NE(picture, nullptr);
    RunSheet(OPTPAGE_IMAGESDLG,
             [&](DialogDriver& d) {
                 d.Do([&] {
                     Select({"yvex_images_placed"});
                     Type(Item(IDC_IMAGES_WIDTH), "21");
                     Type(Item(IDC_IMAGES_HEIGHT), "9");
                     Click(Item(IDC_IMAGES_DRAW));
                 });
             },
             -1);
    EXPECT_EQ(SheetWindow(), nullptr) << "the sheet closed";
    auto* image = dynamic_cast<CImage*>(control->GetEditState().editedShape);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetImageResourceId(), picture->GetId());
    EXPECT_FLOAT_EQ(image->GetWidth(), 21.0f);
    EXPECT_FLOAT_EQ(image->GetHeight(), 9.0f);
    EXPECT_EQ(image->GetParent(), control->GetRootGroup());
    EXPECT_NE(control->GetEditState().controlState & csUserCreate, 0u);
}

// "Load from File" and "Save to File" through the real file dialogs, answered with the name typed
// into their file name box: two quoted names load two pictures (the dialog gives the folder and
// the names), and the save dialog opens at the picture's own format and writes that format.
TEST_F(ImagesPage, LoadAndSaveThroughTheFileDialogs)
{
    const std::wstring first = Bmp(L"yvex_images_dlg_a.bmp", 4, 6);
    const std::wstring second = Bmp(L"yvex_images_dlg_b.bmp", 6, 4);
    const std::wstring saved = TempPath(L"yvex_images_dlg_saved.bmp");
    DeleteFileW(saved.c_str());
    m_files.push_back(saved);
    // The folder of the pictures is the dialogs' starting folder.
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring temp = first.substr(0, first.find_last_of(L'\\'));
    SetCurrentDirectoryW(temp.c_str());
    std::string typed = "\"yvex_images_dlg_a.bmp\" \"yvex_images_dlg_b.bmp\"";
    std::vector<std::string> filters;
    int asked = 0;
    std::vector<std::string> selected;
    {
        // The hook notes each file dialog as it activates; the dialog fills its boxes after that,
        // so the name is typed and OK pressed from the next tick.
        HWND fileDialog = nullptr;
        DialogCloser files([&](HWND dialog, int) {
            if (GetDlgItem(dialog, 0x47C))
                fileDialog = dialog;
        });
        auto answer = [&] {
            if (!fileDialog || SendMessageA(GetDlgItem(fileDialog, 0x470), CB_GETCOUNT, 0, 0) <= 0)
                return false;
            ++asked;
            filters.push_back(ComboText(GetDlgItem(fileDialog, 0x470)));
            SetWindowTextA(GetDlgItem(fileDialog, 0x47C), typed.c_str());
            DialogCloser::PostCommand(fileDialog, IDOK);
            fileDialog = nullptr;
            return true;
        };
        RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
            d.Do([&] { PostMessageA(Item(IDC_IMAGES_LOAD), BM_CLICK, 0, 0); });
            d.Then(answer);
            d.Then([&] { return Resource("yvex_images_dlg_b") != nullptr; });
            d.Do([&] {
                selected = SelectedRows();
                Select({"yvex_images_dlg_a"});
                typed = std::string(saved.begin(), saved.end());
                PostMessageA(Item(IDC_IMAGES_SAVE_FILE), BM_CLICK, 0, 0);
            });
            d.Then(answer);
            d.Then([&] { return GetFileAttributesW(saved.c_str()) != INVALID_FILE_ATTRIBUTES; });
        });
        EXPECT_FALSE(files.TimedOut());
    }
    SetCurrentDirectoryW(folder);
    EXPECT_EQ(selected, (std::vector<std::string>{"yvex_images_dlg_a", "yvex_images_dlg_b"}));
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0], "All Supported Formats");
    EXPECT_EQ(filters[1], "Windows Bitmap(BMP)") << "the picture's own format first";
    HANDLE file = CreateFileW(saved.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char magic[2] = {};
    DWORD read = 0;
    ReadFile(file, magic, 2, &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(magic, 2), "BM");
    EXPECT_TRUE(MessageBoxes::Texts().empty());
}

// The user's Draw Image asks the chooser: the picture and the size given there make the image
// that hangs at the pointer, and a click puts it down. The next time the chooser starts at that
// picture; Cancel draws nothing.
TEST_F(ImagesPage, DrawingAnImageTakesTheChoosersPictureAndSize)
{
    CImageResource* picture = Load(Bmp(L"yvex_images_drawn.bmp", 8, 6));
    Load(Bmp(L"yvex_images_other_drawn.bmp", 5, 5));
    ASSERT_NE(picture, nullptr);
    const int children = control->GetRootGroup()->GetShapeCount();
    EXPECT_EQ(DrawImageWithChooser([&] {
                  ChooseRow("yvex_images_drawn");
                  Type(GetDlgItem(Chooser(), IDC_IMAGES_WIDTH), "12.5");
                  Type(GetDlgItem(Chooser(), IDC_IMAGES_HEIGHT), "4");
                  Click(GetDlgItem(Chooser(), IDOK));
              }),
              S_OK);
    auto* image = dynamic_cast<CImage*>(control->GetEditState().editedShape);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetImageResourceId(), picture->GetId());
    EXPECT_FLOAT_EQ(image->GetWidth(), 12.5f);
    EXPECT_FLOAT_EQ(image->GetHeight(), 4.0f);
    const int id = image->GetId();
    const size_t steps = UndoSteps();
    image->OnEditMouseDown(3, 4, nullptr);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "put down";
    ASSERT_EQ(control->FindShape(id), image);
    EXPECT_EQ(image->GetParent(), control->GetRootGroup());
    EXPECT_FLOAT_EQ(image->GetWidth(), 12.5f);
    EXPECT_EQ(image->GetImageResourceId(), picture->GetId());

    std::string startedAt;
    EXPECT_EQ(DrawImageWithChooser([&] {
                  startedAt = ChosenRow();
                  Click(GetDlgItem(Chooser(), IDCANCEL));
              }),
              S_FALSE);
    EXPECT_EQ(startedAt, "yvex_images_drawn");
    EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    EXPECT_EQ(control->GetRootGroup()->GetShapeCount(), children + 1);

    // The drawn image was one undo step, closed as it was put down.
    EXPECT_EQ(UndoSteps(), steps + 1);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control->FindShape(id), nullptr);
    EXPECT_EQ(control->GetRootGroup()->GetShapeCount(), children);
}

// "Insert block reference" checked for a metafile picture (offered once the picture has a block):
// the image hangs at the pointer as usual, and the click that puts it down puts a reference to
// the picture's block over the image's rectangle in its place, as one undo step.
TEST_F(ImagesPage, TheChoosersBlockReferenceAnswerPlacesAReference)
{
    CImageResource* vector = LoadEmf(L"yvex_images_as_block.emf");
    ASSERT_NE(vector, nullptr);
    CGroup* root = control->GetRootGroup();
    const int children = root->GetShapeCount();
    bool offered = false;
    EXPECT_EQ(DrawImageWithChooser([&] {
                  ChooseRow("yvex_images_as_block");
                  Click(GetDlgItem(Chooser(), IDC_IMAGES_PARSE));
                  offered = IsWindowEnabled(GetDlgItem(Chooser(), IDC_IMAGES_INSERT_BLOCK)) != FALSE;
                  Click(GetDlgItem(Chooser(), IDC_IMAGES_INSERT_BLOCK));
                  Type(GetDlgItem(Chooser(), IDC_IMAGES_WIDTH), "30");
                  Type(GetDlgItem(Chooser(), IDC_IMAGES_HEIGHT), "10");
                  Click(GetDlgItem(Chooser(), IDOK));
              }),
              S_OK);
    EXPECT_TRUE(offered);
    ASSERT_GT(vector->GetBlockId(), 0);
    EXPECT_TRUE(control->GetPendingImage().metafileAsBlock);
    auto* image = dynamic_cast<CImage*>(control->GetEditState().editedShape);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetImageResourceId(), vector->GetId());
    const int imageId = image->GetId();
    // On the grid, where the click puts it down.
    CRealPoint at;
    control->SnapPointToGrid(CRealPoint(3, 4), &at);
    image->OnEditDrag(at.x, at.y);
    float left = 0, top = 0, right = 0, bottom = 0;
    ASSERT_EQ(image->GetBoundingRectEx(&left, &top, &right, &bottom, nullptr, 0), S_OK);
    EXPECT_NEAR(right - left, 30.0f, 1e-3f);
    EXPECT_NEAR(top - bottom, 10.0f, 1e-3f);
    const size_t steps = UndoSteps();

    image->OnEditMouseDown(at.x, at.y, nullptr);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "put down";
    EXPECT_EQ(control->FindShape(imageId), nullptr) << "the image gave way";
    ASSERT_EQ(root->GetShapeCount(), children + 1);
    CShape* placed = root->GetChildAt(children);
    ASSERT_EQ(placed->GetShapeType(), stReference);
    ASSERT_NE(static_cast<CReference*>(placed)->GetBlock(), nullptr);
    EXPECT_EQ(static_cast<CReference*>(placed)->GetBlock()->GetId(), vector->GetBlockId());
    float l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(placed->GetBoundingRectEx(&l, &t, &r, &b, nullptr, 0), S_OK);
    EXPECT_NEAR(l, left, 1e-3f);
    EXPECT_NEAR(t, top, 1e-3f);
    EXPECT_NEAR(r, right, 1e-3f);
    EXPECT_NEAR(b, bottom, 1e-3f);
    const int referenceId = placed->GetId();

    EXPECT_EQ(UndoSteps(), steps + 1) << "one step";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(control->FindShape(referenceId), nullptr);
    EXPECT_EQ(control->FindShape(imageId), nullptr);
    EXPECT_EQ(root->GetShapeCount(), children);
}

// The chooser's own answers: OK gives the chosen picture and the width and height in the edits
// (typed, or the picture's own size that its row shows); Cancel leaves the answers as they were.
TEST_F(ImagesPage, TheChoosersSizeAnswers)
{
    CImageResource* wide = Load(Bmp(L"yvex_images_answer_wide.bmp", 8, 6));
    CImageResource* small = Load(Bmp(L"yvex_images_answer_small.bmp", 5, 3));
    ASSERT_NE(wide, nullptr);
    ASSERT_NE(small, nullptr);
    struct Case {
        const char* row;
        const char* width; // typed, or null to leave the edit as the row filled it
        const char* height;
        int button;
        INT_PTR result;
        int chosen;
        float answerWidth, answerHeight; // -1: the size the row showed
    };
    const Case cases[] = {
        {"yvex_images_answer_wide", "12.5", "4", IDOK, 1, wide->GetId(), 12.5f, 4.0f},
        {"yvex_images_answer_small", nullptr, nullptr, IDOK, 1, small->GetId(), -1.0f, -1.0f},
        {"yvex_images_answer_small", "0.25", "", IDOK, 1, small->GetId(), 0.25f, 0.0f},
        {"yvex_images_answer_wide", "99", "7", IDCANCEL, 2, small->GetId(), 0.25f, 0.0f},
    };
    auto number = [](HWND edit) {
        float value = 0;
        return std::sscanf(Text(edit).c_str(), "%g", &value) == 1 ? value : -99.0f;
    };
    COptionsImagesPage chooser;
    for (const Case& c : cases) {
        float shownWidth = 0, shownHeight = 0;
        DialogDriver driver;
        driver.Then(ChooserShown);
        driver.Do([&] {
            ChooseRow(c.row);
            shownWidth = number(GetDlgItem(Chooser(), IDC_IMAGES_WIDTH));
            shownHeight = number(GetDlgItem(Chooser(), IDC_IMAGES_HEIGHT));
            if (c.width)
                Type(GetDlgItem(Chooser(), IDC_IMAGES_WIDTH), c.width);
            if (c.height)
                Type(GetDlgItem(Chooser(), IDC_IMAGES_HEIGHT), c.height);
            Click(GetDlgItem(Chooser(), c.button));
        });
        INT_PTR result = 0;
        driver.Run([&] { result = chooser.DoModal(control.Get(), m_top); });
        EXPECT_TRUE(driver.Finished()) << c.row;
        EXPECT_GT(shownWidth, 0.0f) << c.row << ": the row shows its picture's size";
        EXPECT_GT(shownHeight, 0.0f) << c.row;
        EXPECT_EQ(result, c.result) << c.row << " " << (c.width ? c.width : "-");
        EXPECT_EQ(chooser.GetChosenId(), c.chosen) << c.row;
        EXPECT_FLOAT_EQ(chooser.GetRequestedWidth(), c.answerWidth < 0 ? shownWidth : c.answerWidth) << c.row;
        EXPECT_FLOAT_EQ(chooser.GetRequestedHeight(), c.answerHeight < 0 ? shownHeight : c.answerHeight) << c.row;
        EXPECT_FALSE(chooser.GetInsertBlockReference()) << c.row;
    }
}

// ---- The database actions, on each test database --------------------------------------------

namespace {

// The named data sources of the test databases: the page offers database access only with one.
DbTarget NamedTarget(const DbTarget& target)
{
    DbTarget named = target;
    if (named.dataSource.empty())
        named.dataSource = "YVEX";
    return named;
}

class ImagesDatabase : public ImagesPageBase, public testing::WithParamInterface<DbTarget>
{
protected:
    void Prepare(CYVEXControl& c) override
    {
        ImagesPageBase::Prepare(c);
        const DbTarget target = NamedTarget(GetParam());
        c.SetDataSource(target.dataSource);
        c.SetUserName(target.user.empty() ? "tester" : target.user);
        c.SetPassword(target.password);
    }
    void SetUp() override
    {
        ImagesPageBase::SetUp();
        ASSERT_EQ(db.Open(NamedTarget(GetParam())), S_OK);
        control->put_EnableDBImages(VARIANT_TRUE);
    }
    long Scalar(const std::string& query)
    {
        const auto rows = QueryRows(db.hstmt, query.c_str());
        return rows.empty() || rows[0].empty() ? -1 : std::atol(rows[0][0].c_str());
    }
    // A name no earlier run has stored.
    static std::string Unique(const char* stem)
    {
        static int serial = 0;
        return std::string(stem) + std::to_string(GetTickCount() % 100000) + "_" + std::to_string(++serial);
    }
    std::wstring NamedBmp(const std::string& name, int width, int height)
    {
        return Bmp((std::wstring(name.begin(), name.end()) + L".bmp").c_str(), width, height);
    }
    DbConnection db;
};

} // namespace

// Two resources stored already: "Yes to All" writes both over after one question, "No to All"
// neither; the replace question names the resource.
TEST_P(ImagesDatabase, SaveToDbAsksOnceForAllDuplicates)
{
    const std::string a = Unique("dupa"), b = Unique("dupb");
    CImageResource* first = Load(NamedBmp(a, 5, 6));
    CImageResource* second = Load(NamedBmp(b, 7, 2));
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->Save(db, 0, 1), S_OK);
    ASSERT_EQ(second->Save(db, 0, 1), S_OK);
    const int firstId = first->GetDatabaseId(), secondId = second->GetDatabaseId();
    for (int button : {IDC_NO_TO_ALL, IDC_YES_TO_ALL}) {
        SCOPED_TRACE(button);
        // The stored rows' widths mark whether they were written again.
        ExecRaw(db.hstmt, ("update imageResources set width = 1 where imageResourceID in (" + std::to_string(firstId) + ", " +
                           std::to_string(secondId) + ")").c_str());
        first->SetDatabaseId(0);
        second->SetDatabaseId(0);
        int questions = 0;
        std::string question;
        RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
            d.Do([&] {
                ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
                ListView_SetItemState(List(), Row(a), LVIS_SELECTED, LVIS_SELECTED);
                ListView_SetItemState(List(), Row(b), LVIS_SELECTED, LVIS_SELECTED);
                PostMessageA(Item(IDC_IMAGES_SAVE_DB), BM_CLICK, 0, 0);
            });
            d.Then([&] {
                HWND dialog = DialogDriver::FindThreadWindow("#32770", "Warning");
                if (!dialog || !IsWindowVisible(dialog) || !GetDlgItem(dialog, IDC_YES_TO_ALL))
                    return false;
                ++questions;
                question = Text(GetDlgItem(dialog, IDC_QUESTION_TEXT));
                EXPECT_TRUE(CaptureWindowToPng(dialog, ArtefactPath("images_replace_question")));
                Click(GetDlgItem(dialog, button));
                return true;
            });
        });
        EXPECT_EQ(questions, 1);
        EXPECT_EQ(question.rfind("Resource: " + a + "\r\nDatabase already contains image resource with the same name.", 0), 0u)
            << question;
        const long written = Scalar("select count(*) from imageResources where width <> 1 and imageResourceID in (" +
                                    std::to_string(firstId) + ", " + std::to_string(secondId) + ")");
        EXPECT_EQ(written, button == IDC_YES_TO_ALL ? 2 : 0);
    }
}

// "Delete from DB" refuses a resource the table lacks (N), one a stored pattern uses (R, even with
// no image shape stored anywhere) and one the host reserves (V), all in one message; a free one
// goes from the table.
TEST_P(ImagesDatabase, DeleteFromDbReportsWhatItRefuses)
{
    const std::string none = Unique("nodb"), patterned = Unique("patdb"), reserved = Unique("resdb"), free = Unique("freedb");
    CImageResource* n = Load(NamedBmp(none, 3, 9));
    CImageResource* r = Load(NamedBmp(patterned, 4, 9));
    CImageResource* v = Load(NamedBmp(reserved, 5, 9));
    CImageResource* f = Load(NamedBmp(free, 6, 9));
    ASSERT_TRUE(n && r && v && f);
    for (CImageResource* stored : {r, v, f})
        ASSERT_EQ(stored->Save(db, 0, 1), S_OK);
    const int patternRow = 100000 + static_cast<int>(GetTickCount() % 100000);
    ASSERT_EQ(db.Exec(IID_NULL, HatchPatternSql::InsertPattern, {patternRow, r->GetDatabaseId()},
                      {OdbcParam::Text(patterned), OdbcParam::Text("test")}),
              S_OK);
    Drain(db.hstmt);
    const int reservedId = v->GetDatabaseId(), freeId = f->GetDatabaseId();
    VetoingSink sink(0x31, reservedId);
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            ListView_SetItemState(List(), -1, 0, LVIS_SELECTED);
            for (const std::string& name : {none, patterned, reserved, free})
                ListView_SetItemState(List(), Row(name), LVIS_SELECTED, LVIS_SELECTED);
            Click(Item(IDC_IMAGES_DELETE_DB));
        });
    });
    ExecRaw(db.hstmt, ("delete from hatchpatterns where hatchpatternid = " + std::to_string(patternRow)).c_str());
    ASSERT_EQ(MessageBoxes::Texts().size(), 2u);
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: Do you want to delete 4 image resources?");
    EXPECT_EQ(MessageBoxes::Texts()[1],
              "Warning: Following resources can't be deleted as there are no ones in database:" + none +
                  "\r\nFollowing  resources are referenced by shapes and can't be deleted :" + patterned +
                  "\r\nFollowing  resources are reserved for application and can't be deleted :" + reserved);
    EXPECT_EQ(Scalar("select count(*) from imageResources where imageResourceID = " + std::to_string(freeId)), 0);
    EXPECT_EQ(Scalar("select count(*) from imageResources where imageResourceID = " + std::to_string(reservedId)), 1);
    EXPECT_EQ(Scalar("select count(*) from imageResources where imageResourceID = " + std::to_string(r->GetDatabaseId())), 1);
    const std::vector<DISPID> ids = sink.Ids();
    EXPECT_NE(std::find(ids.begin(), ids.end(), 0x32), ids.end()) << "OnDeletedImageResourceFromDB";
}

// Save to DB clears the row's looks (the picture is stored now), Delete from DB gives the special
// colour back; a picture known only from the table is read into the drawing when an action needs
// it, and its row's record then keys the drawing's resource.
TEST_P(ImagesDatabase, TheRowsLooksFollowTheDatabase)
{
    const std::string local = Unique("looklocal"), table = Unique("looktable");
    CImageResource* mine = Load(NamedBmp(local, 3, 5));
    CImageResource* theirs = Load(NamedBmp(table, 4, 5));
    ASSERT_TRUE(mine && theirs);
    // The second picture is the table's alone.
    ASSERT_EQ(theirs->Save(db, 0, 1), S_OK);
    const int tableId = theirs->GetDatabaseId();
    ASSERT_EQ(control->GetImageResourceMap().Remove(theirs->GetId()), 1);
    DWORD fresh = 0, saved = 0, deleted = 0;
    int specialFresh = 0, specialSaved = 0;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            ASSERT_NE(Record(local), nullptr);
            fresh = Record(local)->flags;
            specialFresh = PixelsInRow(local, kSpecialLook);
            Select({local});
            Click(Item(IDC_IMAGES_SAVE_DB));
            saved = Record(local)->flags;
            specialSaved = PixelsInRow(local, kSpecialLook);
            Select({local});
            Click(Item(IDC_IMAGES_DELETE_DB));
            deleted = Record(local)->flags;
        });
    });
    // In the chooser, Parse Metafile reads the table's picture into the drawing first (a bitmap
    // then makes no block).
    COptionsImagesPage chooser;
    DWORD catalogueFlags = 1;
    bool catalogueKey = false;
    CImageResource* broughtKey = nullptr;
    DialogDriver driver;
    driver.Then(ChooserShown);
    driver.Do([&] {
        ChooseRow(table.c_str());
        const int row = ListView_GetNextItem(GetDlgItem(Chooser(), IDC_PAGE_LIST), -1, LVNI_SELECTED);
        ASSERT_NE(chooser.GetList().GetRowData(row), nullptr);
        catalogueFlags = chooser.GetList().GetRowData(row)->flags;
        catalogueKey = chooser.RowResource(row) && chooser.RowResource(row)->GetOwner() == &chooser.GetCatalogue();
        Click(GetDlgItem(Chooser(), IDC_IMAGES_PARSE));
        broughtKey = chooser.RowResource(row);
        Click(GetDlgItem(Chooser(), IDCANCEL));
    });
    driver.Run([&] { chooser.DoModal(control.Get(), m_top); });
    EXPECT_TRUE(driver.Finished());
    ExecRaw(db.hstmt, ("delete from imageResources where imageResourceID = " + std::to_string(tableId)).c_str());
    EXPECT_EQ(fresh, static_cast<DWORD>(CListRowData::kSpecialText));
    EXPECT_GT(specialFresh, 3);
    EXPECT_EQ(saved, 0u);
    EXPECT_EQ(specialSaved, 0);
    EXPECT_EQ(deleted, static_cast<DWORD>(CListRowData::kSpecialText));
    EXPECT_EQ(catalogueFlags, 0u);
    EXPECT_TRUE(catalogueKey);
    ASSERT_NE(broughtKey, nullptr);
    EXPECT_EQ(broughtKey, control->GetImageResourceMap().FindByObjectId(tableId));
}

// The table's pictures are listed without their bytes: a row's picture is read when the row
// takes the focus (for the preview and the size; the table's row can then only be deleted from
// there) and dropped again when it loses the focus; the drawing's own pictures stay.
TEST_P(ImagesDatabase, TheTablesPictureIsReadWhileItsRowHasTheFocus)
{
    const std::string local = Unique("focuslocal"), table = Unique("focustable");
    CImageResource* mine = Load(NamedBmp(local, 3, 5));
    CImageResource* theirs = Load(NamedBmp(table, 6, 4));
    ASSERT_TRUE(mine && theirs);
    EXPECT_EQ(mine->LoadContent(db), 1) << "a picture never stored has no row to read";
    ASSERT_EQ(theirs->Save(db, 0, 1), S_OK);
    const int tableId = theirs->GetDatabaseId();
    ASSERT_EQ(control->GetImageResourceMap().Remove(theirs->GetId()), 1);
    struct Seen
    {
        bool loaded, drawingLoaded, saveDb, deleteImage, deleteDb;
        DWORD flags;
        std::string width, height;
    };
    std::vector<Seen> seen;
    RunSheet(OPTPAGE_IMAGESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            ASSERT_GE(Row(table), 0);
            auto look = [&] {
                const CImageResource* listed = Key(table);
                seen.push_back({listed && listed->IsLoaded(), mine->IsLoaded(), On(IDC_IMAGES_SAVE_DB),
                                On(IDC_IMAGES_DELETE), On(IDC_IMAGES_DELETE_DB), Record(table)->flags,
                                Text(Item(IDC_IMAGES_WIDTH)), Text(Item(IDC_IMAGES_HEIGHT))});
            };
            look();
            Select({table});
            look();
            Select({local});
            look();
            Select({table});
            look();
        });
    });
    ExecRaw(db.hstmt, ("delete from imageResources where imageResourceID = " + std::to_string(tableId)).c_str());
    ASSERT_EQ(seen.size(), 4u);
    const DWORD listedOnly = CListRowData::kGreyRow;
    // Listed, not yet shown: no picture, the grey look.
    EXPECT_FALSE(seen[0].loaded);
    EXPECT_EQ(seen[0].flags, listedOnly);
    // Focused: read (the size edits show the 6 x 4 picture's size), only Delete from DB of the
    // three.
    for (const Seen& s : {seen[1], seen[3]}) {
        EXPECT_TRUE(s.loaded);
        EXPECT_EQ(s.flags, 0u);
        EXPECT_FALSE(s.saveDb);
        EXPECT_FALSE(s.deleteImage);
        EXPECT_TRUE(s.deleteDb);
        const double width = std::atof(s.width.c_str()), height = std::atof(s.height.c_str());
        EXPECT_GT(height, 0.0) << s.height;
        EXPECT_NEAR(width / (height > 0 ? height : 1), 1.5, 1e-3) << s.width << " x " << s.height;
    }
    EXPECT_EQ(seen[1].width, seen[3].width);
    // The drawing's row focused: the table's picture dropped, the drawing's kept.
    EXPECT_FALSE(seen[2].loaded);
    EXPECT_EQ(seen[2].flags, listedOnly);
    EXPECT_TRUE(seen[2].drawingLoaded);
    EXPECT_TRUE(seen[2].saveDb);
    EXPECT_TRUE(seen[2].deleteImage);
    EXPECT_FALSE(seen[2].deleteDb);
    EXPECT_NEAR(std::atof(seen[2].width.c_str()) / std::atof(seen[2].height.c_str()), 0.6, 1e-3)
        << seen[2].width << " x " << seen[2].height;
}

INSTANTIATE_TEST_SUITE_P(Databases, ImagesDatabase, testing::ValuesIn(AllTargets()), TargetName());
