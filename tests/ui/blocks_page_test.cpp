// The Blocks page of the Options sheet and the block dialogs, over a control hosted in a window
// with an event sink: the list and its columns, the block shown while it is edited, deleting a
// block or its references (locked and disabled ones among them) each as one undo step, and the
// "Create block" and block-name dialogs that the control's block commands open.
#include <cfloat>
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/Reference.h"
#include "persistence/DataTableSet.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/BlockDialogs.h"
#include "ui/OptionsBlocksPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

// The test program's module with the Options sheet and the block dialogs the module names.
class BlocksEnvironment : public ModuleEnvironment
{
public:
    void SetUp() override
    {
        ModuleEnvironment::SetUp();
        SetOptionsDialogMaker([]() -> std::unique_ptr<COptionsDialog> { return std::make_unique<COptionsSheet>(); });
        RegisterBlockNamePrompts();
    }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new BlocksEnvironment);

class BlocksPage : public OptionsPage
{
protected:
    HWND Item(int id) const { return OptionsPage::Item(OPTPAGE_BLOCKSDLG, id); }
    HWND List() const { return Item(IDC_PAGE_LIST); }
    std::vector<std::string> Column(int column) const
    {
        std::vector<std::string> texts;
        const int count = ListView_GetItemCount(List());
        for (int i = 0; i < count; ++i) {
            char text[64] = "";
            ListView_GetItemText(List(), i, column, text, sizeof text);
            texts.push_back(text);
        }
        return texts;
    }
    int SelectedRow() const { return ListView_GetNextItem(List(), -1, LVNI_SELECTED); }
    void Select(const char* name) const
    {
        const std::vector<std::string> names = Column(0);
        const auto it = std::find(names.begin(), names.end(), name);
        ASSERT_NE(it, names.end()) << name;
        ListView_SetItemState(List(), static_cast<int>(it - names.begin()), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    bool On(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }

    // A block of one line in the library with `references` references to it in the drawing.
    int MakeBlock(const wchar_t* name, int references, std::vector<int>* ids = nullptr)
    {
        CShape* line = control->GetShapeMap().CreateShape(stLine, true, true);
        line->SetPointCoords(3, 0, 0, 0);
        line->SetPointCoords(3, 1, 1, 1);
        control->GetRootGroup()->AddChild(line, nullptr, 1, false);
        LONG block = 0;
        EXPECT_EQ(control->CreateBlock(name, &block, line->GetId(), nullptr, FLT_MAX, FLT_MAX, false), S_OK);
        for (int i = 0; i < references; ++i) {
            LONG reference = 0;
            EXPECT_EQ(control->AddReference(control->GetRootGroup()->GetId(), block, &reference, false, 5.0f * i, 0), S_OK);
            if (ids)
                ids->push_back(reference);
        }
        control->DeleteShapeByID(line->GetId(), 0, 0);
        return block;
    }
    size_t UndoSteps() const
    {
        auto* manager = static_cast<CUndoManager*>(control->GetUndoRecorder()->GetManager());
        return manager->UndoStack().size();
    }
    HRESULT Undo() { return control->GetUndoRecorder()->GetManager()->UndoTo(nullptr); }
    bool Exists(int id) const { return control->FindShape(id) != nullptr; }
    static HWND Dialog(const char* caption) { return DialogDriver::FindThreadWindow("#32770", caption); }

    void SetUp() override
    {
        OptionsPage::SetUp();
        MessageBoxes::Texts().clear();
        MessageBoxes::Answer() = IDYES;
    }
    MessageBoxes boxes;
};

} // namespace

// Without included sites the page shows one column without a header, sorted by name, the first
// block selected; a block opened for editing is the one selected, and Delete is off for it.
TEST_F(BlocksPage, ListsTheBlocksAndShowsTheEditedOne)
{
    MakeBlock(L"Window", 0);
    const int door = MakeBlock(L"Door", 1);
    std::vector<std::string> names;
    LONG_PTR style = 0;
    int columns = 0, selected = -1;
    bool insert = false, edit = false, remove = false;
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_blocks")));
            names = Column(0);
            style = GetWindowLongPtrA(List(), GWL_STYLE);
            columns = Header_GetItemCount(ListView_GetHeader(List()));
            selected = SelectedRow();
            insert = On(IDC_BLOCKS_INSERT);
            edit = On(IDC_BLOCKS_EDIT);
            remove = On(IDC_BLOCKS_DELETE);
        });
    });
    EXPECT_EQ(names, (std::vector<std::string>{"Door", "Window"}));
    EXPECT_NE(style & LVS_NOCOLUMNHEADER, 0);
    EXPECT_EQ(columns, 1);
    EXPECT_EQ(selected, 0);
    EXPECT_TRUE(insert);
    EXPECT_TRUE(edit);
    EXPECT_TRUE(remove);

    ASSERT_EQ(control->EditShape(door, EDSH_BLOCK, 0), S_OK);
    ASSERT_EQ(control->GetRootGroup()->GetId(), door);
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            selected = SelectedRow();
            remove = On(IDC_BLOCKS_DELETE);
            edit = On(IDC_BLOCKS_EDIT);
        });
    });
    EXPECT_EQ(selected, 0) << "Door, the edited block";
    EXPECT_FALSE(remove);
    EXPECT_TRUE(edit);
}

// Insert closes the sheet and leaves the user placing a new reference to the selected block; Edit
// closes it and opens the block as the root of the view.
TEST_F(BlocksPage, InsertPlacesAReferenceAndEditOpensTheBlock)
{
    const int block = MakeBlock(L"Stool", 0);
    RunSheet(
        OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { d.Do([&] { Click(Item(IDC_BLOCKS_INSERT)); }); }, -1);
    EXPECT_EQ(SheetWindow(), nullptr) << "Insert closes the sheet";
    auto* placed = dynamic_cast<CReference*>(control->GetEditState().editedShape);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->GetBlock(), control->FindShape(block));
    control->EndInteractiveOperation(false);

    RunSheet(
        OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { d.Do([&] { Click(Item(IDC_BLOCKS_EDIT)); }); }, -1);
    EXPECT_EQ(SheetWindow(), nullptr);
    EXPECT_EQ(control->GetRootGroup()->GetId(), block);
}

// With included sites a second column names each block's site (the drawing's own for a block of
// its own); the headers sort, a second click on one flips the order, and empty keys come first.
TEST_F(BlocksPage, IncludedSitesAddASortableSiteColumn)
{
    CDataTableSet tables(1);
    for (const auto& site : {std::make_pair(11, "Annex"), std::make_pair(12, "")}) {
        CSitesRecord record;
        record.siteID = site.first;
        record.Name = site.second;
        record.LinePatternScale = 1;
        record.ImageScale = 1;
        tables.Sites()->Insert(record);
    }
    CIncludedSitesRecord link;
    link.RecordNumber = tables.IncludedSites()->NewKey();
    link.SubSiteID = 11;
    link.SiteID = 12;
    tables.IncludedSites()->Insert(link);
    ASSERT_EQ(control->ExchangeSiteTables(&tables, DXFMODE_LOAD, 0), S_OK);
    const int annex = MakeBlock(L"beta", 0);
    MakeBlock(L"Alpha", 0);
    MakeBlock(L"gamma", 0);
    control->FindShape(annex)->SetDatabaseId(900);
    control->GetShapeMap().SetSourceSite(900, 11);

    std::vector<std::vector<std::string>> orders;
    LONG_PTR style = 0;
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            style = GetWindowLongPtrA(List(), GWL_STYLE);
            orders.push_back(Column(1));
            orders.push_back(Column(0));
            auto click = [&](int column) {
                NMLISTVIEW note = {};
                note.hdr.hwndFrom = List();
                note.hdr.idFrom = IDC_PAGE_LIST;
                note.hdr.code = LVN_COLUMNCLICK;
                note.iItem = -1;
                note.iSubItem = column;
                SendMessageA(Page(OPTPAGE_BLOCKSDLG), WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&note));
            };
            click(0);
            orders.push_back(Column(0));
            click(1);
            orders.push_back(Column(0));
            click(1);
            orders.push_back(Column(0));
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_blocks_sites")));
        });
    });
    EXPECT_EQ(style & LVS_NOCOLUMNHEADER, 0);
    ASSERT_EQ(orders.size(), 5u);
    EXPECT_EQ(orders[0], (std::vector<std::string>{"", "Annex", ""})) << "Alpha, beta, gamma";
    EXPECT_EQ(orders[1], (std::vector<std::string>{"Alpha", "beta", "gamma"})) << "without regard to case";
    EXPECT_EQ(orders[2], (std::vector<std::string>{"gamma", "beta", "Alpha"})) << "the same column flips";
    ASSERT_EQ(orders[3].size(), 3u);
    EXPECT_EQ(orders[3][2], "beta") << "the drawing's own site has no name: empty keys first";
    EXPECT_EQ(orders[4][0], "beta");
}

// A block without references goes (with its row) after Yes to the plain question; No keeps it.
TEST_F(BlocksPage, DeletesABlockWithoutReferences)
{
    const int block = MakeBlock(L"Lamp", 0);
    std::vector<std::string> rows;
    MessageBoxes::Answer() = IDNO;
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { d.Do([&] { Click(Item(IDC_BLOCKS_DELETE)); }); });
    EXPECT_TRUE(Exists(block));
    MessageBoxes::Answer() = IDYES;
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Click(Item(IDC_BLOCKS_DELETE));
            rows = Column(0);
        });
    });
    EXPECT_FALSE(Exists(block));
    EXPECT_TRUE(rows.empty());
    ASSERT_EQ(MessageBoxes::Texts().size(), 2u);
    EXPECT_EQ(MessageBoxes::Texts()[1], "Deleting block: Do you want to delete the block \"Lamp\"?");
}

// The question for a block with references: "Only References" with one of them locked deletes the
// others, keeps the block and says how many are left; "Block and References" then takes the rest
// and the block once nothing is locked. Each is one undo step.
TEST_F(BlocksPage, DeletesReferencesAsOneStep)
{
    std::vector<int> references;
    const int block = MakeBlock(L"Chair", 3, &references);
    control->FindShape(references[1])->SetProtectionFlagsMasked(sdbfDeletion, sdbfDeletion);
    const size_t steps = UndoSteps();
    std::string question;
    auto answer = [&](DialogDriver& d, int button) {
        d.Do([&] { PostMessageA(Item(IDC_BLOCKS_DELETE), BM_CLICK, 0, 0); });
        d.Then([&, button] {
            HWND dialog = Dialog("Deleting block...");
            if (!dialog || !IsWindowVisible(dialog))
                return false;
            question = Text(GetDlgItem(dialog, IDC_DELETE_BLOCK_TEXT));
            EXPECT_TRUE(CaptureWindowToPng(dialog, ArtefactPath("delete_block_dialog")));
            Click(GetDlgItem(dialog, button));
            return true;
        });
    };
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { answer(d, IDC_DELETE_ONLY_REFERENCES); });
    EXPECT_EQ(question, "There are references to the block \"Chair\". What do you want to delete?");
    EXPECT_TRUE(Exists(block));
    EXPECT_FALSE(Exists(references[0]));
    EXPECT_TRUE(Exists(references[1]));
    EXPECT_FALSE(Exists(references[2]));
    ASSERT_EQ(MessageBoxes::Texts().size(), 1u);
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: There are 1 references locked and can't be deleted.");
    EXPECT_EQ(UndoSteps(), steps + 1);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_TRUE(Exists(references[0]));
    EXPECT_TRUE(Exists(references[2]));

    // Block and References with the lock: the block stays, with the warning.
    MessageBoxes::Texts().clear();
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { answer(d, IDC_DELETE_BLOCK_AND_REFERENCES); });
    EXPECT_TRUE(Exists(block));
    EXPECT_EQ(MessageBoxes::Texts(),
              (std::vector<std::string>{"Warning: Can't delete block as some of references haven't been deleted!"}));
    ASSERT_EQ(Undo(), S_OK);

    // Unlocked, everything goes in one step and comes back in one.
    control->FindShape(references[1])->SetProtectionFlagsMasked(0, sdbfDeletion);
    const size_t before = UndoSteps();
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { answer(d, IDC_DELETE_BLOCK_AND_REFERENCES); });
    EXPECT_FALSE(Exists(block));
    for (int id : references)
        EXPECT_FALSE(Exists(id));
    EXPECT_EQ(UndoSteps(), before + 1);
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_TRUE(Exists(block));
    for (int id : references)
        EXPECT_TRUE(Exists(id));
    // Cancel deletes nothing.
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { answer(d, IDCANCEL); });
    EXPECT_TRUE(Exists(block));
    EXPECT_TRUE(Exists(references[0]));
}

// A disabled block offers only its enabled references: Yes deletes exactly those, as one undo
// step that brings them all back; with none enabled, Delete is off.
TEST_F(BlocksPage, DisabledBlockGivesUpOnlyItsEnabledReferences)
{
    std::vector<int> references;
    const int block = MakeBlock(L"Desk", 3, &references);
    control->FindShape(block)->SetProtectionFlagsMasked(0, sdbfEnabled);
    control->FindShape(references[2])->SetProtectionFlagsMasked(0, sdbfEnabled);
    const size_t steps = UndoSteps();
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { d.Do([&] { Click(Item(IDC_BLOCKS_DELETE)); }); });
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{
                                         "Deleting References: Do you want to delete all 2 enabled references to the block \"Desk\"?"}));
    EXPECT_TRUE(Exists(block));
    EXPECT_FALSE(Exists(references[0]));
    EXPECT_FALSE(Exists(references[1]));
    EXPECT_TRUE(Exists(references[2]));
    EXPECT_EQ(UndoSteps(), steps + 1) << "one step";
    ASSERT_EQ(Undo(), S_OK);
    EXPECT_TRUE(Exists(references[0]));
    EXPECT_TRUE(Exists(references[1]));

    control->FindShape(references[0])->SetProtectionFlagsMasked(0, sdbfEnabled);
    control->FindShape(references[1])->SetProtectionFlagsMasked(0, sdbfEnabled);
    bool remove = true;
    RunSheet(OPTPAGE_BLOCKSDLG, [&](DialogDriver& d) { d.Do([&] { remove = On(IDC_BLOCKS_DELETE); }); });
    EXPECT_FALSE(remove);
}

// CreateBlock without a name asks through "Create block": what is typed keeps only the characters
// a block name may hold, an empty name cannot be confirmed, and the name given becomes the block's.
// A name the library has already is refused and asked again; Cancel makes nothing.
TEST_F(BlocksPage, CreateBlockAsksForTheName)
{
    MakeBlock(L"Taken", 0);
    CShape* line = control->GetShapeMap().CreateShape(stLine, true, true);
    control->GetRootGroup()->AddChild(line, nullptr, 1, false);
    std::string cleaned;
    bool stayedOpen = false;
    DialogDriver driver;
    auto dialog = [] { return Dialog("Create block"); };
    driver.Then([&] { return dialog() != nullptr && IsWindowVisible(dialog()); });
    driver.Do([&] {
        HWND edit = GetDlgItem(dialog(), IDC_CREATE_BLOCK_NAME);
        Click(GetDlgItem(dialog(), IDOK));
        stayedOpen = dialog() != nullptr;
        Type(edit, "a b!");
        cleaned = Text(edit);
        EXPECT_TRUE(CaptureWindowToPng(dialog(), ArtefactPath("create_block_dialog")));
        SetWindowTextA(edit, "Taken");
        Click(GetDlgItem(dialog(), IDOK));
    });
    driver.Then([&] { return dialog() != nullptr; });
    driver.Do([&] {
        SetWindowTextA(GetDlgItem(dialog(), IDC_CREATE_BLOCK_NAME), "Table");
        Click(GetDlgItem(dialog(), IDOK));
    });
    LONG block = 0;
    HRESULT hr = E_FAIL;
    driver.Run([&] { hr = control->CreateBlock(L"", &block, line->GetId(), nullptr, FLT_MAX, FLT_MAX, false); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(cleaned, "ab");
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>{"The block with such a name is already defined.: "
                                                               "The block with such a name is already defined."}));
    ASSERT_NE(block, 0);
    EXPECT_EQ(static_cast<CGroup*>(control->FindShape(block))->GetName(), L"Table");

    DialogDriver cancel;
    cancel.Then([&] { return dialog() != nullptr; });
    cancel.Do([&] { Click(GetDlgItem(dialog(), IDCANCEL)); });
    block = -1;
    cancel.Run([&] { hr = control->CreateBlock(nullptr, &block, line->GetId(), nullptr, FLT_MAX, FLT_MAX, false); });
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(block, 0) << "cancelled: nothing made";
}

// The block-name chooser: with no names it ends at once with Cancel; Edit block on the drawing and
// AddReferenceByName without a name choose through it under their captions.
TEST_F(BlocksPage, BlockCommandsChooseByName)
{
    std::set<std::string> none;
    CBlockNameDialog empty("Edit block", &none);
    EXPECT_EQ(empty.DoModal(control->GetControlWindow()), IDCANCEL);

    const int sofa = MakeBlock(L"Sofa", 0);
    MakeBlock(L"Bed", 0);
    std::vector<std::string> offered;
    auto choose = [&](DialogDriver& d, const char* caption, const char* name) {
        d.Then([caption] { return Dialog(caption) != nullptr && IsWindowVisible(Dialog(caption)); });
        d.Do([&, caption, name] {
            HWND dialog = Dialog(caption);
            HWND list = GetDlgItem(dialog, IDC_BLOCK_NAME_LIST);
            offered.clear();
            const int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                char text[64] = "";
                SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                offered.push_back(text);
            }
            Click(GetDlgItem(dialog, IDOK));
            EXPECT_NE(Dialog(caption), nullptr) << "nothing chosen: stays open";
            EXPECT_TRUE(CaptureWindowToPng(dialog, ArtefactPath("block_name_dialog")));
            SendMessageA(list, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
            Click(GetDlgItem(dialog, IDOK));
        });
    };
    DialogDriver edit;
    choose(edit, "Edit block", "Sofa");
    HRESULT hr = E_FAIL;
    edit.Run([&] { hr = control->EditShape(control->GetRootGroup()->GetId(), EDSH_BLOCK, 0); });
    EXPECT_TRUE(edit.Finished());
    EXPECT_EQ(offered, (std::vector<std::string>{"Bed", "Sofa"}));
    EXPECT_EQ(control->GetRootGroup()->GetId(), sofa);
    control->CompleteEditingBlock();

    DialogDriver insert;
    choose(insert, "Create block reference", "Sofa");
    LONG reference = 0;
    insert.Run([&] { hr = control->AddReferenceByName(control->GetRootGroup()->GetId(), L"", &reference, true, 0, 0); });
    EXPECT_TRUE(insert.Finished());
    auto* made = dynamic_cast<CReference*>(control->FindShape(reference));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetBlock(), control->FindShape(sofa));
    control->EndInteractiveOperation(false);
}
