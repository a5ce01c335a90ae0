// The Layers page of the Options sheet, over a control hosted in a window with an event sink: its
// columns and rows, New and the name edit, the check, colour and drop-down cells, Set Current,
// Delete and Merge, Front and Back, sorting, the context menu, the one undo step of a showing,
// the drop-down lists' keys and the message box with its own button captions.
#include <algorithm>
#include <map>
#include "control/IncludedSite.h"
#include "control/PopupMenuHook.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "persistence/DrawingSettingMap.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/ColorPopupMenu.h"
#include "ui/CustomMessageBox.h"
#include "ui/OptionsLayersPage.h"

using namespace controltest;
using namespace hosttest;
using namespace pagetest;

namespace {

using LP = COptionsLayersPage;

class LayersPage : public OptionsPage
{
protected:
    void SetUp() override
    {
        OptionsPage::SetUp();
        MessageBoxes::Texts().clear();
        MessageBoxes::Answer() = IDOK;
    }
    HWND Item(int id) const { return OptionsPage::Item(OPTPAGE_LAYERSDLG, id); }
    HWND List() const { return Item(IDC_PAGE_LIST); }
    LP* Object() const { return PageObject<LP>(OPTPAGE_LAYERSDLG); }
    HWND PageWindow() const { return Page(OPTPAGE_LAYERSDLG); }

    CGroup* LayersGroup() const { return static_cast<CGroup*>(control->GetShapeMap().Lookup(LAYERS_ID)); }
    CLayer* Base() const { return static_cast<CLayer*>(control->GetShapeMap().Lookup(BASE_LAYER)); }
    CLayer* AddLayer(const char* name)
    {
        auto* layer = static_cast<CLayer*>(control->GetShapeMap().CreateShape(stLayer, true, true));
        layer->SetName(name);
        LayersGroup()->AppendChild(layer, 0);
        return layer;
    }
    CLayer* FindLayer(const std::string& name) const
    {
        for (CShape* child : LayersGroup()->Children())
            if (child->GetShapeType() == stLayer && static_cast<CLayer*>(child)->GetName() == name)
                return static_cast<CLayer*>(child);
        return nullptr;
    }
    std::vector<std::string> LayerNames() const
    {
        std::vector<std::string> names;
        for (CShape* child : LayersGroup()->Children())
            names.push_back(static_cast<CLayer*>(child)->GetName());
        return names;
    }
    // A line on the drawing's root on a layer.
    CShape* AddShape(CLayer* layer)
    {
        CShape* shape = control->GetShapeMap().CreateShape(stLine, true, true);
        control->GetRootGroup()->AddChild(shape, nullptr, 0, false);
        shape->SetLayer(layer);
        return shape;
    }

    int Rows() const { return ListView_GetItemCount(List()); }
    std::string CellText(int row, int column) const
    {
        char text[256] = "";
        ListView_GetItemText(List(), row, column, text, sizeof text);
        return text;
    }
    int RowOf(const std::string& name) const
    {
        for (int row = 0; row < Rows(); ++row)
            if (CellText(row, 0) == name)
                return row;
        return -1;
    }
    std::vector<std::string> RowNames() const
    {
        std::vector<std::string> names;
        for (int row = 0; row < Rows(); ++row)
            names.push_back(CellText(row, 0));
        return names;
    }
    int Image(int row) const
    {
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item.iImage;
    }
    // Selects exactly the rows of the names; the last becomes the selection mark.
    void Select(std::initializer_list<const char*> names) const
    {
        ListView_SetItemState(List(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (const char* name : names) {
            const int row = RowOf(name);
            ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageA(List(), LVM_SETSELECTIONMARK, 0, row);
        }
    }
    void Command(int id) const { SendMessageA(PageWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    // The list's request to edit a cell: with text, a name edit (as a slow second click sends);
    // without, the toggle of a check cell (as a click on it sends). The page's answer.
    LRESULT BeginEdit(int row, int column, char* text) const
    {
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = List();
        info.hdr.idFrom = IDC_PAGE_LIST;
        info.hdr.code = LVN_BEGINLABELEDITA;
        info.item.mask = text ? LVIF_TEXT : LVIF_PARAM;
        info.item.iItem = row;
        info.item.iSubItem = column;
        info.item.pszText = text;
        return SendMessageA(PageWindow(), WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&info));
    }
    void Toggle(int row, int column) const { BeginEdit(row, column, nullptr); }
    // A click on a popup's last entry, as its list reports it; the entry's ID.
    static int ClickLastEntry(CListPopup& popup)
    {
        const int last = popup.GetList().GetCount() - 1;
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = popup.GetListWindow();
        click.hdr.code = NM_CLICK;
        click.iItem = last;
        SendMessageA(popup.GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
        return static_cast<int>(popup.GetList().GetItemData(last));
    }
    // A right click on a cell, as the list reports it.
    void RightClick(int row, int column) const
    {
        RECT cell = {}, client = {};
        ListView_GetSubItemRect(List(), row, column, LVIR_BOUNDS, &cell);
        GetClientRect(List(), &client);
        // A column beyond the list's width is scrolled into view first, as the user would.
        if (cell.left + 3 >= client.right) {
            ListView_Scroll(List(), cell.left - client.left, 0);
            ListView_GetSubItemRect(List(), row, column, LVIR_BOUNDS, &cell);
        }
        NMITEMACTIVATE click = {};
        click.hdr.hwndFrom = List();
        click.hdr.idFrom = IDC_PAGE_LIST;
        click.hdr.code = NM_RCLICK;
        click.iItem = row;
        click.iSubItem = column;
        click.ptAction = POINT{cell.left + 3, (cell.top + cell.bottom) / 2};
        SendMessageA(PageWindow(), WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&click));
    }
    LRESULT BeginNameEdit(int row) const
    {
        char text[64] = "";
        ListView_GetItemText(List(), row, 0, text, sizeof text);
        return BeginEdit(row, 0, text);
    }
    HWND Editor() const { return GetDlgItem(List(), IDC_CELL_EDITOR); }
    void EndEdit(const char* text) const
    {
        SetWindowTextA(Editor(), text);
        SendMessageA(Editor(), WM_CHAR, VK_RETURN, 0);
    }
    void CancelEdit() const { SendMessageA(Editor(), WM_CHAR, VK_ESCAPE, 0); }
};

} // namespace

// Eight columns on a drawing of its own, nine with included sites, "Site Name" shown second; the
// rows follow the Layers group, the current layer's row carries the current mark, and the layers
// of the selected shapes open selected.
TEST_F(LayersPage, ColumnsRowsCurrentMarkAndSelectedLayers)
{
    CLayer* walls = AddLayer("Walls");
    CLayer* doors = AddLayer("Doors");
    control->SetCurrentLayer(walls);
    CShape* door = AddShape(doors);
    control->GetSelectionGroup()->AddChild(door, nullptr, 0, false);
    int columns = 0;
    std::vector<std::string> names;
    std::vector<int> images;
    std::vector<int> selected;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_layers")));
            HWND header = ListView_GetHeader(List());
            columns = Header_GetItemCount(header);
            names = RowNames();
            for (int row = 0; row < Rows(); ++row)
                images.push_back(Image(row));
            for (int row = ListView_GetNextItem(List(), -1, LVNI_SELECTED); row >= 0;
                 row = ListView_GetNextItem(List(), row, LVNI_SELECTED))
                selected.push_back(row);
            EXPECT_EQ(CellText(0, LP::kHatchType), "None");
            EXPECT_FALSE(IsWindowEnabled(Item(IDC_LAYERS_MERGE)));
        });
    });
    EXPECT_EQ(columns, 8);
    EXPECT_EQ(names, (std::vector<std::string>{"0", "Doors", "Walls"})) << "filled in name order";
    EXPECT_EQ(images, (std::vector<int>{0, 0, CCellListView::kImageCurrent}));
    EXPECT_EQ(selected, std::vector<int>{1});

    // An included site adds the site's column, second in display order.
    CIncludedSite site;
    site.siteId = 7;
    site.fileName = "plan.dxf";
    const_cast<std::vector<CIncludedSite>&>(control->GetIncludedSites()).push_back(site);
    std::vector<int> order(9, -1);
    std::string header;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            columns = Header_GetItemCount(ListView_GetHeader(List()));
            SendMessageA(List(), LVM_GETCOLUMNORDERARRAY, 9, reinterpret_cast<LPARAM>(order.data()));
            char text[64] = "";
            LVCOLUMNA column = {};
            column.mask = LVCF_TEXT;
            column.pszText = text;
            column.cchTextMax = sizeof text;
            SendMessageA(List(), LVM_GETCOLUMNA, LP::kSiteName, reinterpret_cast<LPARAM>(&column));
            header = text;
        });
    });
    const_cast<std::vector<CIncludedSite>&>(control->GetIncludedSites()).clear();
    EXPECT_EQ(columns, 9);
    EXPECT_EQ(order, (std::vector<int>{0, 8, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(header, "Site Name");
    const std::vector<CIncludedSite> sites{site};
    EXPECT_EQ(FindIncludedSite(sites, 7), &sites[0]);
    EXPECT_EQ(FindIncludedSite(sites, 8), nullptr);
}

// New copies the source row's layer right below it under a unique "NewLayer" name and opens its
// name edit; the typed name is cleaned; a duplicate name asks and "No" keeps the edit; the host
// hears OnAddShape when the name is applied and when the edit is cancelled, and its veto takes
// the layer away again.
TEST_F(LayersPage, NewLayerNamesAndTheHostsVeto)
{
    CLayer* walls = AddLayer("Walls");
    walls->SetPenColor(RGB(10, 20, 30));
    walls->SetVisible(false);
    walls->SetStateBits(CShape::stEnabled, false);
    AddLayer("NewLayer");
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    MessageBoxes boxes;
    std::vector<std::string> rows;
    bool editorOpen = false;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Walls"});
            Command(IDC_LAYERS_NEW);
            editorOpen = Editor() != nullptr;
            rows = RowNames();
            EndEdit("a b!c");
        });
        // "layer0" beside "Layer0": the question, and No keeps the editor open.
        d.Do([&] {
            Select({"abc"});
            Command(IDC_LAYERS_NEW);
            MessageBoxes::Answer() = IDNO;
            EndEdit("walls");
        });
        d.Do([&] {
            EXPECT_NE(Editor(), nullptr) << "No keeps editing";
            MessageBoxes::Answer() = IDOK;
            EndEdit(std::string(40, 'x').c_str());
        });
        d.Do([&] {
            Command(IDC_LAYERS_NEW);
            EndEdit("!!");
        });
    });
    ASSERT_TRUE(editorOpen);
    EXPECT_EQ(rows, (std::vector<std::string>{"0", "NewLayer", "Walls", "NewLayer1"})) << "right below its source";
    CLayer* abc = FindLayer("abc");
    ASSERT_NE(abc, nullptr) << "blanks and '!' dropped";
    EXPECT_EQ(abc->GetPenColor(), static_cast<DWORD>(RGB(10, 20, 30)));
    EXPECT_FALSE(abc->HasState(CShape::stVisible));
    EXPECT_FALSE(abc->HasState(CShape::stEnabled));
    EXPECT_NE(FindLayer(std::string(31, 'x')), nullptr) << "cut to 31 characters";
    EXPECT_NE(FindLayer("1"), nullptr) << "nothing left gives \"1\"";
    ASSERT_FALSE(MessageBoxes::Texts().empty());
    EXPECT_EQ(MessageBoxes::Texts()[0],
              "Warning: Layer with name 'Walls' already exist.\nDo you want to proceed with this name?");
    size_t added = 0;
    for (const auto& call : sink.calls)
        added += call.id == cetOnAddShape;
    EXPECT_EQ(added, 3u);

    // A cancelled edit keeps the default name and tells the host; a veto removes the layer.
    sink.calls.clear();
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Walls"});
            Command(IDC_LAYERS_NEW);
            CancelEdit();
        });
    });
    EXPECT_NE(sink.Find(cetOnAddShape), nullptr);
    EXPECT_NE(FindLayer("NewLayer1"), nullptr);
    sink.answer = VARIANT_FALSE;
    const size_t before = LayersGroup()->Children().size();
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Walls"});
            Command(IDC_LAYERS_NEW);
            EndEdit("Vetoed");
        });
        d.Do([&] { rows = RowNames(); });
    });
    EXPECT_EQ(LayersGroup()->Children().size(), before);
    EXPECT_EQ(FindLayer("Vetoed"), nullptr);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), "Vetoed"), 0);
}

// New with no selection mark and no current layer does nothing.
TEST_F(LayersPage, NewWithoutSourceDoesNothing)
{
    control->SetCurrentLayer(nullptr);
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) { d.Do([&] { Command(IDC_LAYERS_NEW); }); });
    EXPECT_EQ(LayersGroup()->Children().size(), 1u);
}

// The check cells: On and Select of the current layer cannot be cleared; Enable flips state bit
// 0x2; a veto puts layer and cell back.
TEST_F(LayersPage, CheckCellsWarnFlipAndRestoreOnVeto)
{
    CLayer* walls = AddLayer("Walls");
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    MessageBoxes boxes;
    int enableCheck = -2, vetoedCheck = -2;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Toggle(RowOf("0"), LP::kOn);
            Toggle(RowOf("0"), LP::kSelect);
            Toggle(RowOf("Walls"), LP::kEnable);
            enableCheck = Object()->GetList().GetCheck(RowOf("Walls"), LP::kEnable);
            sink.answer = VARIANT_FALSE;
            Toggle(RowOf("Walls"), LP::kOn);
            vetoedCheck = Object()->GetList().GetCheck(RowOf("Walls"), LP::kOn);
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(), (std::vector<std::string>(
                                         2, "Warning: The current layer must have the On and Select options set on.")));
    EXPECT_TRUE(Base()->HasState(CShape::stVisible));
    EXPECT_FALSE(Base()->HasState(CShape::stNotSelectable));
    EXPECT_FALSE(walls->HasState(CShape::stEnabled));
    EXPECT_EQ(enableCheck, 0);
    EXPECT_TRUE(walls->HasState(CShape::stVisible)) << "the veto puts it back";
    EXPECT_EQ(vetoedCheck, 1);
}

// The hatch type texts, the drop-down popups chosen by click, and their keys: Esc reports -1
// whatever is selected, Enter with no row marked reports nothing.
TEST_F(LayersPage, DropDownPopupsAndTheirKeys)
{
    CLayer* walls = AddLayer("Walls");
    walls->SetHatchPatternId(9999);
    std::string unknownText, lineText;
    int chosenLine = 0, chosenHatch = 0;
    bool popupOpen = false, popupGone = false;
    std::vector<MSG> reports;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            unknownText = CellText(RowOf("Walls"), LP::kHatchType);
            PostMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kLineType);
        });
        d.Then([&] { return Object()->GetLineTypePopup().IsWindow(); });
        d.Do([&] {
            popupOpen = true;
            EXPECT_TRUE(CaptureWindowToPng(Object()->GetLineTypePopup().GetHandle(), ArtefactPath("layers_line_type_popup")));
            chosenLine = ClickLastEntry(Object()->GetLineTypePopup());
        });
        d.Then([&] { return !Object()->GetLineTypePopup().IsWindow(); });
        d.Do([&] {
            popupGone = true;
            lineText = CellText(RowOf("Walls"), LP::kLineType);
            PostMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kHatchType);
        });
        d.Then([&] { return Object()->GetHatchTypePopup().IsWindow(); });
        d.Do([&] {
            chosenHatch = ClickLastEntry(Object()->GetHatchTypePopup());
        });
        d.Then([&] { return !Object()->GetHatchTypePopup().IsWindow(); });
    });
    EXPECT_EQ(unknownText, "UnknownPattern");
    EXPECT_TRUE(popupOpen);
    EXPECT_TRUE(popupGone);
    EXPECT_EQ(walls->GetLinePatternId(), chosenLine);
    EXPECT_FALSE(lineText.empty());
    EXPECT_EQ(walls->GetHatchPatternId(), chosenHatch);

    // The key handler over a list of its own: rows 0 and 1, row 1 selected.
    HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", LVS_REPORT, 0, 0, 100, 100, owner, nullptr, nullptr, nullptr);
    LVCOLUMNA column = {};
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    auto keyReports = [&](WORD key) {
        NMLVKEYDOWN down = {};
        down.wVKey = key;
        EXPECT_EQ(HandlePopupListKey(owner, list, &down, 42), 0);
        std::vector<std::pair<WPARAM, LPARAM>> posted;
        MSG msg;
        while (PeekMessageA(&msg, owner, CListPopup::kResultMessage, CListPopup::kResultMessage, PM_REMOVE))
            posted.emplace_back(msg.wParam, msg.lParam);
        return posted;
    };
    using Posted = std::vector<std::pair<WPARAM, LPARAM>>;
    EXPECT_EQ(keyReports(VK_RETURN), Posted{}) << "Enter with no row marked";
    for (int i = 0; i < 2; ++i) {
        char text[] = "row";
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(list, LVM_SETSELECTIONMARK, 0, 1);
    EXPECT_EQ(keyReports(VK_ESCAPE), (Posted{{static_cast<WPARAM>(-1), 42}}));
    EXPECT_EQ(keyReports(VK_RETURN), (Posted{{1, 42}}));
    EXPECT_EQ(keyReports('A'), Posted{});
    DestroyWindow(owner);
}

// Set Current needs On and Select; the host's veto keeps the old current layer; the control's
// current-layer message moves the page's mark.
TEST_F(LayersPage, SetCurrentWarnsVetoesAndFollowsTheControl)
{
    CLayer* walls = AddLayer("Walls");
    CLayer* hidden = AddLayer("Hidden");
    hidden->SetVisible(false);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    MessageBoxes boxes;
    int markAfterSet = -1, markAfterMessage = -1;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Hidden"});
            Command(IDC_LAYERS_SET_CURRENT);
            sink.answer = VARIANT_FALSE;
            Select({"Walls"});
            Command(IDC_LAYERS_SET_CURRENT);
            EXPECT_EQ(control->GetCurrentLayer(), Base());
            sink.answer = VARIANT_TRUE;
            Command(IDC_LAYERS_SET_CURRENT);
            markAfterSet = Object()->GetCurrentRow();
            SendMessageA(PageWindow(), WM_USER + 102, BASE_LAYER, 0);
            markAfterMessage = Object()->GetCurrentRow();
        });
    });
    EXPECT_EQ(MessageBoxes::Texts(),
              std::vector<std::string>{"Warning: The current layer must have the On and Select options set on."});
    EXPECT_EQ(control->GetCurrentLayer(), walls);
    EXPECT_EQ(markAfterSet, 2) << "rows 0, Hidden, Walls";
    EXPECT_EQ(markAfterMessage, 0);
}

// Delete of the current layer moves its shapes to the base layer, of another to the current one,
// "&Delete" deletes them instead while the fixed shapes below ID 12 only move; a drawing setting
// on the layer takes the target; the base layer alone cannot go.
TEST_F(LayersPage, DeleteMovesOrDeletesShapesAndRefusesTheBaseLayer)
{
    CLayer* walls = AddLayer("Walls");
    CLayer* doors = AddLayer("Doors");
    CLayer* roof = AddLayer("Roof");
    control->SetCurrentLayer(walls);
    CShape* onWalls = AddShape(walls);
    CShape* onDoors = AddShape(doors);
    const int roofShape = AddShape(roof)->GetId();
    CShape* fixed = control->GetShapeMap().Lookup(DEFAULT_LINE_ID);
    ASSERT_NE(fixed, nullptr);
    ASSERT_LT(fixed->GetId(), 12);
    fixed->SetLayer(roof);
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    MessageBoxes boxes;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"0"});
            Command(IDC_LAYERS_DELETE);
            Select({"Doors"});
            MessageBoxes::Answer() = IDYES; // "&Move"
            Command(IDC_LAYERS_DELETE);
            Select({"Walls"});
            Command(IDC_LAYERS_DELETE);
            Select({"Roof"});
            MessageBoxes::Answer() = IDNO; // "&Delete"
            Command(IDC_LAYERS_DELETE);
        });
    });
    ASSERT_GE(MessageBoxes::Texts().size(), 2u);
    EXPECT_EQ(MessageBoxes::Texts()[0], "Warning: Can't delete base layer '0'.");
    EXPECT_EQ(MessageBoxes::Texts()[1], "Warning: There are 1 shape(s) on the layer(s) Doors being deleted.\r\n Delete "
                                        "that shape(s) or move them to layer 'Walls'?");
    EXPECT_EQ(LayerNames(), std::vector<std::string>{"0"});
    EXPECT_EQ(onDoors->GetLayer(), Base()) << "to Walls, then with Walls to the base layer";
    EXPECT_EQ(onWalls->GetLayer(), Base());
    EXPECT_EQ(control->GetCurrentLayer(), Base());
    EXPECT_EQ(setting->Layer, Base());
    EXPECT_EQ(control->GetShapeMap().Lookup(roofShape), nullptr) << "deleted";
    EXPECT_EQ(fixed->GetLayer(), Base()) << "moved, never deleted";
}

// Merge of the base layer with two others puts everything on the base layer; of A, B, C keeps A.
TEST_F(LayersPage, MergeKeepsTheBaseOrTheFirstLayer)
{
    CLayer* a = AddLayer("A");
    CShape* onB = AddShape(AddLayer("B"));
    CShape* onC = AddShape(AddLayer("C"));
    CShape* onD = AddShape(AddLayer("D"));
    MessageBoxes boxes;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"A", "B", "C"});
            Command(IDC_LAYERS_MERGE);
            Select({"0", "A", "D"});
            Command(IDC_LAYERS_MERGE);
        });
    });
    EXPECT_EQ(onB->GetLayer(), Base());
    EXPECT_EQ(onC->GetLayer(), Base());
    EXPECT_EQ(onD->GetLayer(), Base());
    EXPECT_EQ(LayerNames(), std::vector<std::string>{"0"});
    ASSERT_FALSE(MessageBoxes::Texts().empty());
    EXPECT_EQ(MessageBoxes::Texts()[0],
              "Warning: Are you sure want to merge 2 shape(s) of the layer(s) B, C\r\n into 'A'?");
    (void)a;
}

// Front stacks the chosen layer's shapes above the top in their old order; Back below the bottom,
// walked from the top.
TEST_F(LayersPage, FrontAndBackRestackTheLayersShapes)
{
    CLayer* chosen = AddLayer("Chosen");
    CShape* s1 = AddShape(chosen);
    CShape* s2 = AddShape(chosen);
    CShape* s3 = AddShape(Base());
    s1->SetZOrder(1, true);
    s2->SetZOrder(2, true);
    s3->SetZOrder(3, true);
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Chosen"});
            Command(IDC_LAYERS_FRONT);
        });
    });
    EXPECT_EQ(s1->GetZOrder(), 4.0f);
    EXPECT_EQ(s2->GetZOrder(), 5.0f);
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Chosen"});
            Command(IDC_LAYERS_BACK);
        });
    });
    EXPECT_EQ(s2->GetZOrder(), 2.0f) << "bottom (s3 at 3) - 1, the top one first";
    EXPECT_EQ(s1->GetZOrder(), 1.0f);
}

// Sorting by Color orders by 30 R² + 59 G² + 11 B² and the same header again reverses; names sort
// without regard to case.
TEST_F(LayersPage, SortByColourAndName)
{
    AddLayer("b")->SetPenColor(RGB(0, 0, 200));   // 11 x 40000 = 440000
    AddLayer("A")->SetPenColor(RGB(100, 0, 0));   // 30 x 10000 = 300000
    AddLayer("c")->SetPenColor(RGB(0, 100, 0));   // 59 x 10000 = 590000
    Base()->SetPenColor(RGB(0, 0, 0));
    std::vector<std::string> byColour, reversed, byName;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            HWND header = ListView_GetHeader(List());
            auto click = [&](int column) {
                NMLISTVIEW info = {};
                info.hdr.hwndFrom = List();
                info.hdr.idFrom = IDC_PAGE_LIST;
                info.hdr.code = LVN_COLUMNCLICK;
                info.iItem = -1;
                info.iSubItem = column;
                SendMessageA(PageWindow(), WM_NOTIFY, IDC_PAGE_LIST, reinterpret_cast<LPARAM>(&info));
            };
            (void)header;
            click(LP::kColor);
            byColour = RowNames();
            click(LP::kColor);
            reversed = RowNames();
            click(LP::kName);
            byName = RowNames();
        });
    });
    EXPECT_EQ(byColour, (std::vector<std::string>{"0", "A", "b", "c"}));
    EXPECT_EQ(reversed, (std::vector<std::string>{"c", "b", "A", "0"}));
    EXPECT_EQ(byName, (std::vector<std::string>{"0", "A", "b", "c"}));
    EXPECT_EQ(LP::ColourKey(RGB(1, 2, 3)), 30u * 1 + 59u * 4 + 11u * 9);
}

namespace {
// What the context menu offered, and the command to answer.
struct MenuRecord {
    static std::vector<UINT>& Items()
    {
        static std::vector<UINT> items;
        return items;
    }
    static UINT& Answer()
    {
        static UINT answer = 0;
        return answer;
    }
    static UINT Show(HMENU menu, UINT, int, int, HWND)
    {
        Items().clear();
        for (int i = 0; i < GetMenuItemCount(menu); ++i)
            Items().push_back(GetMenuItemID(menu, i));
        return Answer();
    }
    static bool Has(UINT id) { return std::find(Items().begin(), Items().end(), id) != Items().end(); }
};
} // namespace

// The context menu: "Set the same" only with two rows and a click in columns 4 to 7, the On/Off/
// Invert items only in columns 1 to 3; "&Off Selected" on On leaves the current layer on.
TEST_F(LayersPage, ContextMenuOffersByColumnAndSkipsTheCurrentLayer)
{
    CLayer* walls = AddLayer("Walls");
    AddLayer("Doors");
    PopupMenuHandler previous = SetPopupMenuHandler(&MenuRecord::Show);
    bool sameInColour = false, onInColour = false, sameInOn = false, onInOn = false, sameOneRow = false;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            auto rightClick = [&](int row, int column) { RightClick(row, column); };
            Select({"0", "Walls"});
            MenuRecord::Answer() = 0;
            rightClick(1, LP::kColor);
            sameInColour = MenuRecord::Has(IDM_LAYERS_SET_SAME);
            onInColour = MenuRecord::Has(IDM_LAYERS_ON_SELECTED);
            rightClick(1, LP::kOn);
            sameInOn = MenuRecord::Has(IDM_LAYERS_SET_SAME);
            onInOn = MenuRecord::Has(IDM_LAYERS_OFF_SELECTED);
            Select({"Walls"});
            rightClick(1, LP::kColor);
            sameOneRow = MenuRecord::Has(IDM_LAYERS_SET_SAME);
            Select({"0", "Walls"});
            MenuRecord::Answer() = IDM_LAYERS_OFF_SELECTED;
            rightClick(1, LP::kOn);
        });
    });
    SetPopupMenuHandler(previous);
    EXPECT_TRUE(sameInColour);
    EXPECT_FALSE(onInColour);
    EXPECT_FALSE(sameInOn);
    EXPECT_TRUE(onInOn);
    EXPECT_FALSE(sameOneRow);
    EXPECT_TRUE(Base()->HasState(CShape::stVisible)) << "the current layer stays on";
    EXPECT_FALSE(walls->HasState(CShape::stVisible));
}

// Every change of a showing is one undo step, kept by Cancel; undoing it takes all back.
TEST_F(LayersPage, CancelKeepsTheChangesAsOneUndoStep)
{
    CLayer* walls = AddLayer("Walls");
    CLayer* doors = AddLayer("Doors");
    MessageBoxes boxes;
    const size_t before = UndoSteps();
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Toggle(RowOf("Walls"), LP::kEnable);
            Toggle(RowOf("Doors"), LP::kSelect);
            Select({"Walls"});
            Command(IDC_LAYERS_SET_CURRENT);
        });
    });
    EXPECT_EQ(control->GetCurrentLayer(), walls) << "kept by Cancel";
    EXPECT_EQ(UndoSteps(), before + 1);
    EXPECT_EQ(UndoLast(), S_OK);
    EXPECT_TRUE(walls->HasState(CShape::stEnabled));
    EXPECT_FALSE(doors->HasState(CShape::stNotSelectable));
    // (The base layer and the first drawing setting, which holds the current layer, are fixed
    // elements that undo leaves alone.)
}

// The message box with its own captions: the given texts replace the buttons' own, the style
// decides which show; a hook answers in place of the user.
TEST_F(LayersPage, CustomMessageBoxTakesTheCallersCaptions)
{
    std::map<int, std::string> texts;
    std::map<int, bool> shown;
    int answer = 0;
    DialogDriver driver;
    driver.Then([] { return DialogDriver::FindThreadWindow("#32770", "Question") != nullptr; });
    driver.Do([&] {
        HWND box = DialogDriver::FindThreadWindow("#32770", "Question");
        for (int id : {IDYES, IDNO, IDCANCEL, IDC_YES_TO_ALL, IDC_NO_TO_ALL}) {
            texts[id] = Text(GetDlgItem(box, id));
            shown[id] = IsWindowVisible(GetDlgItem(box, id)) != FALSE;
        }
        EXPECT_TRUE(CaptureWindowToPng(box, ArtefactPath("custom_message_box")));
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    });
    driver.Run([&] { answer = ShowCustomMessageBox("Move or delete?", "Question", MB_YESNOCANCEL | MB_ICONSTOP, "&Move", "&Delete"); });
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(texts[IDYES], "&Move");
    EXPECT_EQ(texts[IDNO], "&Delete");
    EXPECT_EQ(texts[IDCANCEL], "Cancel");
    EXPECT_TRUE(shown[IDCANCEL]);
    EXPECT_FALSE(shown[IDC_YES_TO_ALL]);

    MessageBoxes boxes;
    MessageBoxes::Answer() = IDOK;
    EXPECT_EQ(ShowCustomMessageBox("Merge?", "Warning", MB_OKCANCEL | MB_ICONSTOP), IDOK);
    EXPECT_EQ(MessageBoxes::Texts().back(), "Warning: Merge?");
}

// The colour cells choose through the colour popup (a swatch answered by the menu hook); a veto
// keeps the old colour. Select and Highlight take the root's shapes of the chosen layers.
TEST_F(LayersPage, ColourCellsSelectAndHighlight)
{
    CLayer* walls = AddLayer("Walls");
    walls->SetPenColor(RGB(1, 2, 3));
    CShape* wall = AddShape(walls);
    AddShape(Base());
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    PopupMenuHandler previous = SetPopupMenuHandler(&MenuRecord::Show);
    MenuRecord::Answer() = 3; // the third swatch
    std::vector<CShape*> selected, highlighted;
    DWORD cellColour = 0;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] { SendMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kColor); });
        d.Do([&] {
            cellColour = Object()->GetList().GetRowData(RowOf("Walls"))->GetColour(LP::kColor);
            sink.answer = VARIANT_FALSE;
            MenuRecord::Answer() = 5;
            SendMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kHatchColor);
            sink.answer = VARIANT_TRUE;
            Select({"Walls"});
            Command(IDC_LAYERS_SELECT);
            Command(IDC_LAYERS_HIGHLIGHT);
            selected = control->GetSelectionGroup()->Children();
            highlighted = static_cast<CGroup*>(control->GetShapeMap().Lookup(HIGHLIGHTS_ID))->Children();
        });
    });
    SetPopupMenuHandler(previous);
    EXPECT_EQ(walls->GetPenColor(), CColorPopupMenu::SwatchColours()[2]);
    EXPECT_EQ(cellColour, CColorPopupMenu::SwatchColours()[2]);
    EXPECT_NE(walls->GetHatchColor(), CColorPopupMenu::SwatchColours()[4]) << "vetoed";
    EXPECT_EQ(selected, std::vector<CShape*>{wall});
    EXPECT_EQ(highlighted, std::vector<CShape*>{wall});
}

// The host's refusals in the middle of Delete and Merge: a refused move stops with the layer and
// its shapes where they were; a refused deletion of a shape ("&Delete") keeps the layer that still
// holds it; a refused layer deletion keeps the layer with its shapes already moved; a refused
// drawing setting keeps the setting's layer and the layer.
TEST_F(LayersPage, DeleteAndMergeStopAtTheHostsVeto)
{
    CLayer* doors = AddLayer("Doors");
    CLayer* roof = AddLayer("Roof");
    CLayer* attic = AddLayer("Attic");
    CLayer* cellar = AddLayer("Cellar");
    CShape* door = AddShape(doors);
    CShape* tile = AddShape(roof);
    CShape* beam = AddShape(attic);
    CShape* barrel = AddShape(cellar);
    CDrawingSettingRecord* setting = control->GetCurrentDrawingSetting();
    ASSERT_NE(setting, nullptr);
    CLayer* const settingLayer = setting->Layer;
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    DISPID refused = 0;
    LONG refusedId = 0; // 0: every event of that kind
    sink.decide = [&](const EventSink::Call& call) {
        const bool match = call.id == refused && (refusedId == 0 || (!call.ints.empty() && call.ints[0] == refusedId));
        return match ? VARIANT_FALSE : VARIANT_TRUE;
    };
    MessageBoxes boxes;
    std::vector<std::string> rows;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            refused = cetOnEndEditShape;
            Select({"Doors"});
            MessageBoxes::Answer() = IDYES; // "&Move"
            Command(IDC_LAYERS_DELETE);

            refused = cetOnDeleteShape;
            refusedId = tile->GetId();
            Select({"Roof"});
            MessageBoxes::Answer() = IDNO; // "&Delete"
            Command(IDC_LAYERS_DELETE);

            refusedId = attic->GetId();
            Select({"Attic"});
            MessageBoxes::Answer() = IDYES;
            Command(IDC_LAYERS_DELETE);

            refused = cetOnEndEditShape;
            refusedId = 0;
            Select({"Doors", "Cellar"}); // into Cellar, the first in list order
            MessageBoxes::Answer() = IDOK;
            Command(IDC_LAYERS_MERGE);

            setting->Layer = cellar;
            refused = cetOnEditDrawingSetting;
            Select({"Cellar"});
            MessageBoxes::Answer() = IDYES;
            Command(IDC_LAYERS_DELETE);
            rows = RowNames();
        });
    });
    const std::string stillShapes = "Warning: This layer can't be deleted as it contains shapes.";
    const std::string usedInSettings = "Warning: This layer can't be deleted while used in drawing settings.";
    std::vector<std::string> warnings;
    for (const std::string& text : MessageBoxes::Texts())
        if (text == stillShapes || text == usedInSettings)
            warnings.push_back(text);
    EXPECT_EQ(warnings, (std::vector<std::string>{stillShapes, stillShapes, stillShapes, usedInSettings}));
    EXPECT_EQ(LayerNames(), (std::vector<std::string>{"0", "Doors", "Roof", "Attic", "Cellar"}));
    EXPECT_EQ(rows, (std::vector<std::string>{"0", "Attic", "Cellar", "Doors", "Roof"})) << "every row stays";
    EXPECT_EQ(door->GetLayer(), doors) << "the refused move";
    EXPECT_EQ(control->GetShapeMap().Lookup(tile->GetId()), tile) << "the refused deletion";
    EXPECT_EQ(tile->GetLayer(), roof);
    EXPECT_EQ(beam->GetLayer(), Base()) << "moved before the layer's deletion was refused";
    EXPECT_EQ(barrel->GetLayer(), Base()) << "moved to the current layer before the setting refused";
    EXPECT_EQ(setting->Layer, cellar);
    setting->Layer = settingLayer;
}

// "Set the same" gives the clicked row's value of the clicked column to every selected layer, each
// row showing its new value; a layer the host refuses keeps its own. A menu command that changes
// nothing leaves the showing's undo step as it was.
TEST_F(LayersPage, SetTheSameCopiesTheClickedCell)
{

    CLayer* a = AddLayer("A");
    CLayer* b = AddLayer("B");
    CLayer* c = AddLayer("C");
    CLayer* d = AddLayer("D");
    a->SetPenColor(RGB(200, 0, 0));
    b->SetPenColor(RGB(0, 200, 0));
    c->SetPenColor(RGB(0, 0, 200));
    d->SetPenColor(RGB(9, 9, 9));
    // A pattern of the drawing's table (a layer keeps no by-layer pattern), or one it lacks.
    const auto& patterns = control->GetHatchPatternMap().Patterns();
    const int pattern = patterns.empty() ? 77 : patterns.begin()->first;
    const std::string patternText = patterns.empty() || !patterns.begin()->second->GetName()
                                        ? "UnknownPattern"
                                        : patterns.begin()->second->GetName();
    b->SetHatchPatternId(pattern);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    sink.decide = [&](const EventSink::Call& call) {
        return call.id == cetOnEndEditShape && !call.ints.empty() && call.ints[0] == c->GetId() ? VARIANT_FALSE : VARIANT_TRUE;
    };
    PopupMenuHandler previous = SetPopupMenuHandler(&MenuRecord::Show);
    DWORD cellOfA = 0;
    std::string hatchTextOfA, sameText;
    const size_t before = UndoSteps();
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& dd) {
        dd.Do([&] {
            Select({"A", "B", "C"});
            MenuRecord::Answer() = IDM_LAYERS_SET_SAME;
            RightClick(RowOf("B"), LP::kColor);
            cellOfA = Object()->GetList().GetRowData(RowOf("A"))->GetColour(LP::kColor);
            RightClick(RowOf("B"), LP::kHatchType);
            hatchTextOfA = CellText(RowOf("A"), LP::kHatchType);
        });
    });
    SetPopupMenuHandler(previous);
    EXPECT_EQ(a->GetPenColor(), static_cast<DWORD>(RGB(0, 200, 0)));
    EXPECT_EQ(cellOfA, static_cast<DWORD>(RGB(0, 200, 0)));
    EXPECT_EQ(c->GetPenColor(), static_cast<DWORD>(RGB(0, 0, 200))) << "refused";
    EXPECT_EQ(d->GetPenColor(), static_cast<DWORD>(RGB(9, 9, 9))) << "not selected";
    EXPECT_EQ(a->GetHatchPatternId(), pattern);
    EXPECT_EQ(hatchTextOfA, patternText);
    EXPECT_EQ(UndoSteps(), before + 2) << "each menu command closes the showing's step";
    UndoLast();
    UndoLast();
    EXPECT_EQ(a->GetPenColor(), static_cast<DWORD>(RGB(200, 0, 0)));
    EXPECT_NE(a->GetHatchPatternId(), pattern);
}

// OK keeps what the page changed, as one undo step, even after a menu command that had nothing to
// change (the current layer alone, which stays on).
TEST_F(LayersPage, OkKeepsTheChangesAsOneUndoStep)
{
    CLayer* walls = AddLayer("Walls");
    control->SetModified(false);
    PopupMenuHandler previous = SetPopupMenuHandler(&MenuRecord::Show);
    const size_t before = UndoSteps();
    RunSheet(
        OPTPAGE_LAYERSDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Toggle(RowOf("Walls"), LP::kEnable);
                Select({"0"});
                MenuRecord::Answer() = IDM_LAYERS_OFF_SELECTED;
                RightClick(RowOf("0"), LP::kOn);
            });
        },
        PSBTN_OK);
    SetPopupMenuHandler(previous);
    EXPECT_FALSE(walls->HasState(CShape::stEnabled));
    EXPECT_TRUE(Base()->HasState(CShape::stVisible));
    EXPECT_TRUE(control->IsModified());
    EXPECT_EQ(UndoSteps(), before + 1);
    UndoLast();
    EXPECT_TRUE(walls->HasState(CShape::stEnabled));
}

// A drawing that cannot be edited: New, Set Current, Delete and Merge are disabled and refused
// (the context menu sends them too), the name edit, the cell popups and "Set the same" are
// refused; the check cells still show and hide layers without marking the drawing modified.
TEST_F(LayersPage, ReadOnlyDrawingRefusesEditsAndKeepsTheChecks)
{
    CLayer* walls = AddLayer("Walls");
    CLayer* doors = AddLayer("Doors");
    walls->SetPenColor(RGB(1, 1, 1));
    doors->SetPenColor(RGB(2, 2, 2));
    CShape* onWalls = AddShape(walls);
    control->SetReadOnly(true);
    control->SetModified(false);
    MessageBoxes boxes;
    MessageBoxes::Answer() = IDYES;
    PopupMenuHandler previous = SetPopupMenuHandler(&MenuRecord::Show);
    std::map<int, bool> enabled;
    LRESULT editAnswer = 0;
    bool editorOpen = true, colourMenuShown = true, lineTypeShown = true;
    std::vector<CShape*> selected;
    RunSheet(OPTPAGE_LAYERSDLG, [&](DialogDriver& d) {
        d.Do([&] {
            Select({"Walls", "Doors"});
            for (int id : {IDC_LAYERS_NEW, IDC_LAYERS_SET_CURRENT, IDC_LAYERS_DELETE, IDC_LAYERS_MERGE,
                           IDC_LAYERS_SELECT, IDC_LAYERS_HIGHLIGHT})
                enabled[id] = IsWindowEnabled(Item(id)) != FALSE;
            Command(IDC_LAYERS_MERGE);
            MenuRecord::Answer() = IDM_LAYERS_SET_SAME;
            RightClick(RowOf("Walls"), LP::kColor);
            Select({"Walls"});
            Command(IDC_LAYERS_NEW);
            Command(IDC_LAYERS_SET_CURRENT);
            MenuRecord::Answer() = IDC_LAYERS_DELETE;
            RightClick(RowOf("Walls"), LP::kName);
            editAnswer = BeginNameEdit(RowOf("Walls"));
            editorOpen = Editor() != nullptr;
            MenuRecord::Items().clear();
            MenuRecord::Answer() = 3;
            SendMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kColor);
            colourMenuShown = !MenuRecord::Items().empty();
            SendMessageA(PageWindow(), CCellListView::kPopupRequest, RowOf("Walls"), LP::kLineType);
            lineTypeShown = Object()->GetLineTypePopup().IsWindow();
            Toggle(RowOf("Walls"), LP::kOn);
            Command(IDC_LAYERS_SELECT);
            selected = control->GetSelectionGroup()->Children();
        });
    });
    SetPopupMenuHandler(previous);
    control->SetReadOnly(false);
    EXPECT_FALSE(enabled[IDC_LAYERS_NEW]);
    EXPECT_FALSE(enabled[IDC_LAYERS_SET_CURRENT]);
    EXPECT_FALSE(enabled[IDC_LAYERS_DELETE]);
    EXPECT_FALSE(enabled[IDC_LAYERS_MERGE]);
    EXPECT_TRUE(enabled[IDC_LAYERS_SELECT]);
    EXPECT_TRUE(enabled[IDC_LAYERS_HIGHLIGHT]);
    EXPECT_EQ(LayerNames(), (std::vector<std::string>{"0", "Walls", "Doors"})) << "nothing created, merged or deleted";
    EXPECT_EQ(onWalls->GetLayer(), walls);
    EXPECT_EQ(control->GetCurrentLayer(), Base());
    EXPECT_EQ(doors->GetPenColor(), static_cast<DWORD>(RGB(2, 2, 2))) << "\"Set the same\" refused";
    EXPECT_EQ(walls->GetPenColor(), static_cast<DWORD>(RGB(1, 1, 1)));
    EXPECT_NE(editAnswer, 0);
    EXPECT_FALSE(editorOpen);
    EXPECT_FALSE(colourMenuShown);
    EXPECT_FALSE(lineTypeShown);
    EXPECT_FALSE(walls->HasState(CShape::stVisible)) << "the check cells still work";
    EXPECT_FALSE(control->IsModified());
    EXPECT_EQ(selected, std::vector<CShape*>{onWalls});
    EXPECT_TRUE(MessageBoxes::Texts().empty());
}
