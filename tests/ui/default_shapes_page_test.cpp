// The Default Shapes page of the Options sheet, over a control hosted in a window: the kinds it
// lists and their switches, Apply on an editable and on a read-only drawing, Insert drawing one
// shape from a default that was off (and the default off again when the sheet next shows), and
// Edit opening the default shape for editing.
#include <algorithm>
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "tests/ui/OptionsPageSupport.h"
#include "ui/OptionsDefaultShapesPage.h"

using namespace controltest;
using namespace pagetest;

namespace {

class DefaultShapesPage : public OptionsPage
{
protected:
    struct Row {
        std::string text;
        long kind;
        bool checked;
    };
    HWND Item(int id) const { return OptionsPage::Item(OPTPAGE_DEFAULTSHAPESDLG, id); }
    HWND List() const { return Item(IDC_PAGE_LIST); }
    std::vector<Row> Rows() const
    {
        std::vector<Row> rows;
        const int count = ListView_GetItemCount(List());
        for (int i = 0; i < count; ++i) {
            char text[64] = "";
            LVITEMA item = {};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
            rows.push_back(Row{text, static_cast<long>(item.lParam), ListView_GetCheckState(List(), i) != FALSE});
        }
        return rows;
    }
    int RowOf(const char* text) const
    {
        const std::vector<Row> rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].text == text)
                return static_cast<int>(i);
        return -1;
    }
    void Select(const char* text) const
    {
        const int row = RowOf(text);
        ASSERT_GE(row, 0) << text;
        ListView_SetItemState(List(), row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    void SetChecked(const char* text, bool on) const { ListView_SetCheckState(List(), RowOf(text), on ? TRUE : FALSE); }
    bool Enabled(ShapeTypes kind) const
    {
        VARIANT_BOOL on = VARIANT_FALSE;
        control->IsDefaultShapeEnabled(kind, &on);
        return on != VARIANT_FALSE;
    }
    void Switch(ShapeTypes kind, bool on) { ASSERT_EQ(control->EnableDefaultShape(kind, on ? VARIANT_TRUE : VARIANT_FALSE), S_OK); }
};

} // namespace

// The list holds exactly the kinds drawn one by one, named without their "st", sorted, each with
// its kind and the state of its default; Apply hands every row's check to the control, Cancel
// none. (The control's default shapes have no switch of their own: each EnableDefaultShape sets
// them all, so the rows show one state.)
TEST_F(DefaultShapesPage, ListsTheDrawnKindsAndApplyTheirSwitches)
{
    Switch(stLine, false);
    std::vector<Row> rows;
    auto checkAll = [&](bool on) {
        for (const Row& row : Rows())
            SetChecked(row.text.c_str(), on);
    };
    RunSheet(
        OPTPAGE_DEFAULTSHAPESDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                EXPECT_TRUE(CaptureWindowToPng(SheetWindow(), ArtefactPath("options_default_shapes")));
                rows = Rows();
                checkAll(true);
            });
        },
        PSBTN_OK);
    const std::vector<std::pair<std::string, long>> expected = {
        {"Arc", stArc},     {"Circle", stCircle},     {"Ellipse", stEllipse},     {"Image", stImage},
        {"Line", stLine},   {"Polyline", stPolyline}, {"Rectangle", stRectangle}, {"Text", stText}};
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].text, expected[i].first);
        EXPECT_EQ(rows[i].kind, expected[i].second);
        EXPECT_FALSE(rows[i].checked) << rows[i].text;
    }
    EXPECT_TRUE(Enabled(stLine));
    EXPECT_TRUE(Enabled(stCircle));

    // Shown again, the rows follow the control; unchecked and cancelled, nothing changes.
    RunSheet(OPTPAGE_DEFAULTSHAPESDLG, [&](DialogDriver& d) {
        d.Do([&] {
            rows = Rows();
            checkAll(false);
        });
    });
    for (const Row& row : rows)
        EXPECT_TRUE(row.checked) << row.text;
    EXPECT_TRUE(Enabled(stText));
    EXPECT_EQ(COptionsDefaultShapesPage::DefaultShapeIdOf(stPolygon), DEFAULT_POLYGON_ID);
    EXPECT_EQ(COptionsDefaultShapesPage::DefaultShapeIdOf(stHatch), 0);
}

// On a read-only drawing Apply changes no switch and Insert is off; Edit stays on.
TEST_F(DefaultShapesPage, ReadOnlyDrawingKeepsTheSwitches)
{
    Switch(stLine, false);
    control->SetReadOnly(true);
    bool insert = true, edit = false;
    RunSheet(
        OPTPAGE_DEFAULTSHAPESDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                insert = IsWindowEnabled(Item(IDC_DEFAULT_SHAPES_INSERT)) != FALSE;
                edit = IsWindowEnabled(Item(IDC_DEFAULT_SHAPES_EDIT)) != FALSE;
                SetChecked("Line", true);
            });
        },
        PSBTN_OK);
    EXPECT_FALSE(insert);
    EXPECT_TRUE(edit);
    EXPECT_FALSE(Enabled(stLine));
}

// Insert on a kind whose default is off closes the sheet and starts drawing one shape that copies
// the default; the default stays on while it is drawn and is off again when the sheet next shows,
// though the page that saved its state went with the sheet.
TEST_F(DefaultShapesPage, InsertDrawsFromTheDefaultAndGivesItsStateBack)
{
    Switch(stLine, false);
    CShape* prototype = control->FindShape(DEFAULT_LINE_ID);
    ASSERT_NE(prototype, nullptr);
    prototype->SetPenColor(0x00123456);
    const size_t before = control->GetRootGroup()->GetShapeCount();
    RunSheet(
        OPTPAGE_DEFAULTSHAPESDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Select("Line");
                Click(Item(IDC_DEFAULT_SHAPES_INSERT));
            });
        },
        -1);
    EXPECT_EQ(SheetWindow(), nullptr) << "Insert closes the sheet";
    CShape* drawn = control->GetEditState().editedShape;
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(drawn->GetShapeType(), stLine);
    EXPECT_EQ(drawn->GetPenColor(), 0x00123456u) << "a copy of the default line";
    EXPECT_EQ(static_cast<size_t>(control->GetRootGroup()->GetShapeCount()), before + 1);
    EXPECT_TRUE(Enabled(stLine));
    control->EndInteractiveOperation(true);

    bool shown = true;
    RunSheet(OPTPAGE_DEFAULTSHAPESDLG, [&](DialogDriver& d) { d.Do([&] { shown = Rows()[static_cast<size_t>(RowOf("Line"))].checked; }); });
    EXPECT_FALSE(Enabled(stLine)) << "the default is off again";
    EXPECT_FALSE(shown);
    // An enabled default stays on.
    Switch(stCircle, true);
    RunSheet(
        OPTPAGE_DEFAULTSHAPESDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Select("Circle");
                Click(Item(IDC_DEFAULT_SHAPES_INSERT));
            });
        },
        -1);
    control->EndInteractiveOperation(false);
    RunSheet(OPTPAGE_GENERALDLG, [](DialogDriver& d) { d.Do([] {}); });
    EXPECT_TRUE(Enabled(stCircle));
}

// Edit closes the sheet and opens the kind's default shape for editing as a block: it becomes the
// root of the view.
TEST_F(DefaultShapesPage, EditOpensTheDefaultShapeAsABlock)
{
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    RunSheet(
        OPTPAGE_DEFAULTSHAPESDLG,
        [&](DialogDriver& d) {
            d.Do([&] {
                Select("Rectangle");
                Click(Item(IDC_DEFAULT_SHAPES_EDIT));
            });
        },
        -1);
    EXPECT_EQ(SheetWindow(), nullptr);
    const std::vector<DISPID> ids = sink.Ids();
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<DISPID>(cetOnCancel)), 0);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), static_cast<DISPID>(cetOnSwitchRootID)), 1);
    ASSERT_NE(control->GetRootGroup(), nullptr);
    EXPECT_EQ(control->GetRootGroup()->GetId(), DEFAULT_RECTANGLE_ID);
}
