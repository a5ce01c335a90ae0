// The Hatches page of the Options sheet and the pattern chooser, over a control hosted in a window
// with an event sink: the pattern pictures (a dotted frame for a pattern made from an image),
// deleting built-in and user patterns (a used one gives its shapes pattern 1, and undo gives them
// their own back with the pattern), hatching the selection as one undo step only when something
// changed, a pattern made from an image through the image chooser, and on SQLite and PostgreSQL
// the table's patterns (View DB, Delete from DB, Save to DB and reading a saved pattern back).
#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "interchange/ImageResource.h"
#include "interchange/ImageResourceMap.h"
#include "model/Group.h"
#include "model/HatchPattern.h"
#include "model/HatchPatternMap.h"
#include "persistence/sql/HatchPatternSql.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/HostSupport.h"
#include "tests/support/PictureFiles.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/ColorPopupMenu.h"
#include "ui/OptionsHatchesPage.h"

using namespace controltest;
using namespace pagetest;
using picturefiles::TempPath;
using picturefiles::WriteWhiteBmp;

namespace {

// The last built-in pattern.
constexpr int kBuiltIn = 27;

class HatchesPage : public AskingPage
{
protected:
    COptionsHatchesPage* Object() const { return PageObject<COptionsHatchesPage>(OPTPAGE_HATCHESDLG); }
    HWND Item(int id) const { return AskingPage::Item(OPTPAGE_HATCHESDLG, id); }
    HWND List() const { return Item(IDC_PAGE_LIST); }
    void SelectPattern(int id) const
    {
        const int row = Object()->RowOfPattern(id);
        ASSERT_GE(row, 0) << id;
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    bool On(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    CHatchPatternMap& Patterns() const { return control->GetHatchPatternMap(); }

    // A user pattern made from a picture of its own size.
    int ImagePattern(const wchar_t* name, int side)
    {
        const std::wstring path = TempPath(name);
        EXPECT_TRUE(WriteWhiteBmp(path, side, side));
        m_files.push_back(path);
        CImageResource* resource = control->GetImageResourceMap().LoadFromFile(path, 1.0f, -1);
        EXPECT_NE(resource, nullptr);
        return resource ? Patterns().AddPattern(resource->GetName().c_str(), "Created from image", resource->GetId()) : 0;
    }
    // A rectangle in the drawing with the hatch pattern, selected when asked.
    int Rectangle(int pattern, bool select)
    {
        CShape* shape = control->GetShapeMap().CreateShape(stRectangle, true, true);
        shape->SetPointCoords(3, 0, 0, 0);
        shape->SetPointCoords(3, 1, 10, 10);
        control->GetRootGroup()->AddChild(shape, nullptr, 1, false);
        shape->SetHatchPatternId(pattern);
        if (select)
            control->GetSelectionGroup()->AddChild(shape, nullptr, 0, false);
        return shape->GetId();
    }
    int PatternOf(int shapeId) const { return control->FindShape(shapeId)->GetHatchPatternId(); }

    // The top row of a picture of the list's image list: black (frame) pixels and others.
    std::pair<int, int> TopEdge(int patternId) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = Object()->RowOfPattern(patternId);
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        if (item.iImage < 0)
            return {-1, -1};
        // The picture drawn out of the image list into a bitmap of its own.
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, COptionsHatchesPage::kPictureSize, COptionsHatchesPage::kPictureSize);
        HGDIOBJ old = SelectObject(dc, bitmap);
        ImageList_Draw(Object()->GetImages(), item.iImage, dc, 0, 0, ILD_NORMAL);
        int dark = 0, light = 0;
        for (int x = 2; x < COptionsHatchesPage::kPictureSize - 2; ++x) {
            const COLORREF c = GetPixel(dc, x, 0);
            (GetRValue(c) + GetGValue(c) + GetBValue(c) < 200 ? dark : light)++;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return {dark, light};
    }
};

} // namespace

// Every pattern of the drawing has a row and a picture; a pattern made from an image is framed
// dotted, a built-in one solid.
TEST_F(HatchesPage, ListsEveryPatternWithItsPicture)
{
    const int tiles = ImagePattern(L"yvex_hatches_tiles.bmp", 6);
    ASSERT_GT(tiles, kBuiltIn);
    int rows = 0, pictures = 0;
    std::pair<int, int> solid, dotted;
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_hatches")));
            rows = ListView_GetItemCount(List());
            pictures = ImageList_GetImageCount(Object()->GetImages());
            solid = TopEdge(3);
            dotted = TopEdge(tiles);
        });
    });
    EXPECT_EQ(rows, static_cast<int>(Patterns().Patterns().size()));
    EXPECT_EQ(pictures, rows);
    EXPECT_GT(solid.first, 0);
    EXPECT_EQ(solid.second, 0) << "a solid frame";
    EXPECT_GT(dotted.first, 0);
    EXPECT_GT(dotted.second, 0) << "a dotted frame";
}

// A built-in pattern (27) is refused; a user pattern (28) no shape uses goes without a question,
// as one undo step.
TEST_F(HatchesPage, OnlyUserPatternsAreDeleted)
{
    const int user = ImagePattern(L"yvex_hatches_user.bmp", 5);
    ASSERT_EQ(user, kBuiltIn + 1);
    const size_t steps = UndoSteps();
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            SelectPattern(kBuiltIn);
            Click(Item(IDC_HATCHES_DELETE));
            SelectPattern(user);
            Click(Item(IDC_HATCHES_DELETE));
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"YVEXControl: Error: Only user-defined patterns can be deleted."}));
    EXPECT_NE(Patterns().Find(kBuiltIn), nullptr);
    EXPECT_EQ(Patterns().Find(user), nullptr);
    EXPECT_EQ(UndoSteps(), steps + 1);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_NE(Patterns().Find(user), nullptr);
}

// A pattern that shapes use: the question counts them, Yes gives them pattern 1 and deletes the
// pattern; one undo brings the pattern back and the shapes' own fill with it.
TEST_F(HatchesPage, DeletingAUsedPatternIsUndoneWithTheShapesFills)
{
    const int user = ImagePattern(L"yvex_hatches_used.bmp", 7);
    const int a = Rectangle(user, false), b = Rectangle(user, false), other = Rectangle(5, false);
    const size_t steps = UndoSteps();
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            SelectPattern(user);
            Click(Item(IDC_HATCHES_DELETE));
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"YVEXControl: Error: This pattern is used in 2 shapes in the "
                                                               "drawing.\nDo you still wish to delete it?"}));
    EXPECT_EQ(Patterns().Find(user), nullptr);
    EXPECT_EQ(PatternOf(a), 1);
    EXPECT_EQ(PatternOf(b), 1);
    EXPECT_EQ(PatternOf(other), 5);
    EXPECT_EQ(UndoSteps(), steps + 1) << "one step";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_NE(Patterns().Find(user), nullptr);
    EXPECT_EQ(PatternOf(a), user);
    EXPECT_EQ(PatternOf(b), user);
    EXPECT_EQ(PatternOf(other), 5);
}

// Hatch Shapes gives the selected shapes the pattern and the hatch colour: with nothing to change
// the drawing stays unmodified and no undo step is left; with a change it is one step, the site is
// modified and the host hears OnEndEditShape for the Selection (-1).
TEST_F(HatchesPage, HatchShapesRecordsAStepOnlyForAChange)
{
    const int shape = Rectangle(4, true);
    control->FindShape(shape)->SetHatchColor(COptionsHatchesPage::kByLayer);
    control->SetModified(false);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    bool hatchOn = false;
    const size_t steps = UndoSteps();
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            hatchOn = On(IDC_HATCHES_HATCH);
            SelectPattern(4);
            Object()->SetHatchColour(COptionsHatchesPage::kByLayer);
            Click(Item(IDC_HATCHES_HATCH));
        });
    });
    EXPECT_TRUE(hatchOn);
    EXPECT_FALSE(control->IsModified());
    EXPECT_EQ(UndoSteps(), steps);
    const std::vector<DISPID> none = sink.Ids();
    EXPECT_EQ(std::find(none.begin(), none.end(), 18), none.end());

    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            SelectPattern(9);
            Object()->SetHatchColour(RGB(255, 0, 0));
            Click(Item(IDC_HATCHES_HATCH));
        });
    });
    EXPECT_TRUE(control->IsModified());
    EXPECT_EQ(PatternOf(shape), 9);
    EXPECT_EQ(control->FindShape(shape)->GetHatchColor() & 0xFFFFFF, static_cast<DWORD>(RGB(255, 0, 0)));
    EXPECT_EQ(UndoSteps(), steps + 1);
    bool heard = false;
    for (const EventSink::Call& call : sink.calls)
        if (call.id == 18 && !call.ints.empty() && call.ints[0] == -1)
            heard = true;
    EXPECT_TRUE(heard) << "OnEndEditShape(-1)";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_EQ(PatternOf(shape), 4);
}

// Add Pattern opens the image chooser; the picture chosen there becomes a new user pattern with a
// row of its own, one undo step. Cancel adds nothing.
TEST_F(HatchesPage, AddPatternTakesThePictureTheChooserGives)
{
    const std::wstring path = TempPath(L"yvex_hatches_new.bmp");
    ASSERT_TRUE(WriteWhiteBmp(path, 9, 4));
    m_files.push_back(path);
    CImageResource* resource = control->GetImageResourceMap().LoadFromFile(path, 1.0f, -1);
    ASSERT_NE(resource, nullptr);
    const size_t before = Patterns().Patterns().size();
    auto run = [&](int button) {
        int rows = 0;
        RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
            d.Do([&] { PostMessageA(Item(IDC_HATCHES_ADD), BM_CLICK, 0, 0); });
            d.Then([&, button] {
                HWND chooser = DialogDriver::FindThreadWindow("#32770", "Images");
                if (!chooser || !IsWindowVisible(chooser) || !IsWindowVisible(GetDlgItem(chooser, IDOK)))
                    return false;
                HWND list = GetDlgItem(chooser, IDC_PAGE_LIST);
                LVFINDINFOA find = {};
                find.flags = LVFI_STRING;
                find.psz = "yvex_hatches_new";
                const int row = static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
                ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
                ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
                Click(GetDlgItem(chooser, button));
                return true;
            });
            d.Do([&] { rows = ListView_GetItemCount(List()); });
        });
        return rows;
    };
    EXPECT_EQ(run(IDCANCEL), static_cast<int>(before));
    EXPECT_EQ(Patterns().Patterns().size(), before);
    const size_t steps = UndoSteps();
    EXPECT_EQ(run(IDOK), static_cast<int>(before + 1));
    CHatchPattern* added = Patterns().FindByImage(resource->GetId());
    ASSERT_NE(added, nullptr);
    EXPECT_STREQ(added->GetName(), "yvex_hatches_new");
    EXPECT_EQ(added->GetDescription(), "Created from image");
    EXPECT_EQ(UndoSteps(), steps + 1);
}

// The colour button opens the colour popup: the keys the user presses there choose the hatch
// colour (second column, third row: swatch 6), Escape keeps it.
TEST_F(HatchesPage, TheColourPopupChoosesTheHatchColour)
{
    Rectangle(4, true);
    COLORREF chosen = 0, kept = 0;
    auto open = [] { return DialogDriver::FindPopupMenu() != nullptr; };
    auto closed = [] { return DialogDriver::FindPopupMenu() == nullptr; };
    auto press = [](UINT key) { return [key] { DialogDriver::PostKey(DialogDriver::FindPopupMenu(), key); }; };
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Object()->SetHatchColour(COptionsHatchesPage::kByLayer);
            PostMessageA(Item(IDC_HATCHES_COLOR), BM_CLICK, 0, 0);
        });
        d.Then(open);
        for (UINT key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_RETURN})
            d.Do(press(key));
        d.Then(closed);
        d.Do([&] {
            chosen = Object()->GetHatchColour();
            PostMessageA(Item(IDC_HATCHES_COLOR), BM_CLICK, 0, 0);
        });
        d.Then(open);
        d.Do(press(VK_ESCAPE));
        d.Then(closed);
        d.Do([&] { kept = Object()->GetHatchColour(); });
    });
    EXPECT_EQ(chosen, CColorPopupMenu::SwatchColours()[5]);
    EXPECT_EQ(kept, chosen);
}

// The pattern chooser answers the selected pattern's ID for OK and 0 for Cancel.
TEST_F(HatchesPage, ThePatternChooserAnswersTheChosenPattern)
{
    for (int button : {IDOK, IDCANCEL}) {
        COptionsHatchesPage chooser;
        DialogDriver driver;
        auto dialog = [] { return DialogDriver::FindThreadWindow("#32770", "Hatches"); };
        driver.Then([&] { return dialog() != nullptr && IsWindowVisible(dialog()); });
        driver.Do([&] {
            if (button == IDOK) {
                EXPECT_TRUE(CaptureWindowToPng(dialog(), ArtefactPath("pattern_chooser")));
            }
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog(), IDC_HATCHES_HATCH)));
            HWND list = GetDlgItem(dialog(), IDC_PAGE_LIST);
            ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
            ListView_SetItemState(list, 6, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Click(GetDlgItem(dialog(), button));
        });
        INT_PTR result = 0;
        driver.Run([&] { result = chooser.DoModal(control.Get(), m_top); });
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ(result, button == IDOK ? 1 : 2);
        EXPECT_EQ(chooser.GetChosenId(), button == IDOK ? 7 : 0);
    }
}

// ---- The database patterns, on each test database -------------------------------------------

namespace {

class HatchesDatabase : public HatchesPage, public testing::WithParamInterface<DbTarget>
{
protected:
    // The page offers the database only with a named data source.
    DbTarget Target() const
    {
        DbTarget target = GetParam();
        if (target.dataSource.empty())
            target.dataSource = "YVEX";
        return target;
    }
    void Prepare(CYVEXControl& c) override
    {
        HatchesPage::Prepare(c);
        const DbTarget target = Target();
        c.SetDataSource(target.dataSource);
        c.SetUserName(target.user.empty() ? "tester" : target.user);
        c.SetPassword(target.password);
    }
    void SetUp() override
    {
        HatchesPage::SetUp();
        ASSERT_EQ(db.Open(Target()), S_OK);
    }
    long Scalar(const std::string& query)
    {
        const auto rows = QueryRows(db.hstmt, query.c_str());
        return rows.empty() || rows[0].empty() ? -1 : std::atol(rows[0][0].c_str());
    }
    std::vector<std::string> RowNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < ListView_GetItemCount(List()); ++i) {
            char text[128] = "";
            ListView_GetItemText(List(), i, 0, text, sizeof text);
            names.push_back(text);
        }
        return names;
    }
    DbConnection db;
};

} // namespace

// "View DB" shows the table's patterns; "Delete from DB" refuses one a stored shape uses (R) and
// deletes a free one from the table; turning "View DB" off drops the table's patterns from the
// list and the map.
TEST_P(HatchesDatabase, ViewDbShowsStoredPatternsAndDeleteFromDbKeepsUsedOnes)
{
    // A picture of its own for each pattern: the table's patterns show once for each picture.
    auto storedPicture = [&](const wchar_t* name, int width) -> int {
        const std::wstring path = TempPath(name);
        EXPECT_TRUE(WriteWhiteBmp(path, width, 3));
        m_files.push_back(path);
        CImageResource* picture = control->GetImageResourceMap().LoadFromFile(path, 1.0f, -1);
        EXPECT_NE(picture, nullptr);
        EXPECT_EQ(picture ? picture->Save(db, 0, 1) : E_FAIL, S_OK);
        return picture ? picture->GetDatabaseId() : 0;
    };
    const int freePicture = storedPicture(L"yvex_hatches_stored_free.bmp", 11);
    const int usedPicture = storedPicture(L"yvex_hatches_stored_used.bmp", 13);
    const int base = 200000 + static_cast<int>(GetTickCount() % 100000) * 3;
    const int freeRow = base, usedRow = base + 1, shapeRow = base + 2;
    const std::string freeName = "free" + std::to_string(freeRow), usedName = "used" + std::to_string(usedRow);
    for (const auto& row : {std::make_tuple(freeRow, freeName, freePicture), std::make_tuple(usedRow, usedName, usedPicture)}) {
        ASSERT_EQ(db.Exec(IID_NULL, HatchPatternSql::InsertPattern, {std::get<0>(row), std::get<2>(row)},
                          {OdbcParam::Text(std::get<1>(row)), OdbcParam::Text("stored")}),
                  S_OK);
        Drain(db.hstmt);
    }
    ExecRaw(db.hstmt, ("insert into Shapes (ShapeID, HatchPatternID) values (" + std::to_string(shapeRow) + ", " +
                       std::to_string(usedRow) + ")").c_str());
    std::vector<std::string> shown, afterDelete, afterOff;
    bool inMapWhileShown = false;
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Click(Item(IDC_HATCHES_VIEW_DB));
            shown = RowNames();
            inMapWhileShown = Patterns().FindByStoredId(usedRow) != nullptr;
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_hatches_db")));
            for (int stored : {usedRow, freeRow}) {
                CHatchPattern* pattern = Patterns().FindByStoredId(stored);
                ASSERT_NE(pattern, nullptr);
                SelectPattern(pattern->GetId());
                Click(Item(IDC_HATCHES_DELETE_DB));
            }
            afterDelete = RowNames();
            Click(Item(IDC_HATCHES_VIEW_DB));
            afterOff = RowNames();
        });
    });
    ExecRaw(db.hstmt, ("delete from Shapes where ShapeID = " + std::to_string(shapeRow)).c_str());
    ExecRaw(db.hstmt, ("delete from hatchpatterns where hatchpatternid in (" + std::to_string(freeRow) + ", " +
                       std::to_string(usedRow) + ")").c_str());
    EXPECT_EQ(std::count(shown.begin(), shown.end(), freeName), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), usedName), 1);
    EXPECT_TRUE(inMapWhileShown);
    EXPECT_EQ(MessageBoxes::Texts(),
              (std::vector<std::string>{"Warning: Do you want to delete hatch pattern from database?",
                                        "Warning: Following  hatch patterns are referenced by shapes and can't be deleted :" +
                                            usedName,
                                        "Warning: Do you want to delete hatch pattern from database?"}));
    EXPECT_EQ(std::count(afterDelete.begin(), afterDelete.end(), freeName), 0);
    EXPECT_EQ(std::count(afterDelete.begin(), afterDelete.end(), usedName), 1);
    EXPECT_EQ(std::count(afterOff.begin(), afterOff.end(), usedName), 0);
    EXPECT_EQ(Patterns().FindByStoredId(usedRow), nullptr) << "gone from the map too";
}

// "Save to DB" of a pattern made from a picture the table lacks stores the picture and the pattern
// (the row names the picture by its database ID); on a drawing without them, "View DB" reads the
// pattern back with its picture.
TEST_P(HatchesDatabase, SaveToDbStoresAnImagePatternThatReloads)
{
    const std::wstring name = L"yvex_hatches_saved" + std::to_wstring(GetTickCount() % 100000);
    const int user = ImagePattern((name + L".bmp").c_str(), 9);
    ASSERT_GT(user, kBuiltIn);
    const std::string patternName = Patterns().Find(user)->GetName();
    const int imageId = Patterns().Find(user)->GetImageResourceId();
    bool saveOn = false;
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Click(Item(IDC_HATCHES_VIEW_DB));
            SelectPattern(user);
            saveOn = On(IDC_HATCHES_SAVE_DB);
            Click(Item(IDC_HATCHES_SAVE_DB));
        });
    });
    EXPECT_TRUE(saveOn);
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"Warning: Do you want to save hatch pattern to database?"}));
    CHatchPattern* saved = Patterns().Find(user);
    ASSERT_NE(saved, nullptr);
    const int patternDbId = saved->GetDatabaseId();
    CImageResource* picture = control->GetImageResourceMap().Lookup(imageId);
    ASSERT_NE(picture, nullptr);
    const int pictureDbId = picture->GetDatabaseId();
    ASSERT_GT(patternDbId, 0);
    ASSERT_GT(pictureDbId, 0);
    const auto rows = QueryRows(db.hstmt, ("select name, imageresourceid from hatchpatterns where hatchpatternid = " +
                                           std::to_string(patternDbId)).c_str());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], patternName);
    EXPECT_EQ(std::atol(rows[0][1].c_str()), pictureDbId);
    EXPECT_EQ(Scalar("select count(*) from imageResources where imageResourceID = " + std::to_string(pictureDbId)), 1);

    // The drawing forgets both; the table gives them back.
    ASSERT_EQ(Patterns().Remove(user, true), 1);
    ASSERT_EQ(control->GetImageResourceMap().Remove(imageId), 1);
    std::vector<std::string> shown;
    bool reloaded = false;
    RunSheet(OPTPAGE_HATCHESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Click(Item(IDC_HATCHES_VIEW_DB));
            shown = RowNames();
            CHatchPattern* back = Patterns().FindByStoredId(patternDbId);
            reloaded = back && back->GetName() && patternName == back->GetName() && back->IsImagePattern() &&
                       control->GetImageResourceMap().FindByObjectId(pictureDbId) != nullptr;
        });
    });
    ExecRaw(db.hstmt, ("delete from hatchpatterns where hatchpatternid = " + std::to_string(patternDbId)).c_str());
    ExecRaw(db.hstmt, ("delete from imageResources where imageResourceID = " + std::to_string(pictureDbId)).c_str());
    EXPECT_EQ(std::count(shown.begin(), shown.end(), patternName), 1);
    EXPECT_TRUE(reloaded);
}

INSTANTIATE_TEST_SUITE_P(Databases, HatchesDatabase, testing::ValuesIn(AllTargets()), TargetName());
