// The pick lists over a combo box and over a list view: the special entries, the same IDs from
// both forms, the line-type, hatch-pattern and shape-name lists.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>
#include "control/ControlCore.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/HatchPatternMap.h"
#include "model/Layer.h"
#include "model/LineTypeMap.h"
#include "ui/HatchPatternPickList.h"
#include "ui/LineTypePickList.h"
#include "ui/ShapeNamePickList.h"
#include "YVEX_h.h"

namespace {

// A combo box and a report list view in a window of their own.
class PickListWindows : public testing::Test
{
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&classes);
        parent = CreateWindowA("STATIC", "lists", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        combo = CreateWindowA("ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | WS_VSCROLL, 5, 5, 150, 200, parent,
                              nullptr, nullptr, nullptr);
        listView = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 160, 5, 200, 200,
                                 parent, nullptr, nullptr, nullptr);
        ASSERT_TRUE(combo && listView);
    }
    void TearDown() override { DestroyWindow(parent); }

    // The IDs and texts of the entries, and the selected index.
    struct Entries {
        std::vector<LPARAM> ids;
        std::vector<std::string> texts;
        int selected;
    };
    static Entries Read(CPickList& list)
    {
        Entries e;
        for (int i = 0; i < list.GetCount(); ++i) {
            e.ids.push_back(list.GetItemData(i));
            char text[128] = "";
            if (list.IsCombo()) {
                SendMessageA(list.GetHandle(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            } else {
                LVITEMA item = {};
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(list.GetHandle(), LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
            }
            e.texts.push_back(text);
        }
        e.selected = list.GetCurSel();
        return e;
    }
    static int ColumnCount(HWND listView)
    {
        HWND header = reinterpret_cast<HWND>(SendMessageA(listView, LVM_GETHEADER, 0, 0));
        return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    }

    HWND parent = nullptr;
    HWND combo = nullptr;
    HWND listView = nullptr;
};

} // namespace

// With both flags and the current ID 0x4000: " None ", " By Layer " (selected), " By Block ",
// each text framed by one blank, in both forms; the list view gets its one "Name" column once.
TEST_F(PickListWindows, SpecialEntriesFirst)
{
    for (HWND window : {combo, listView}) {
        CPickList list;
        ASSERT_TRUE(list.Attach(window));
        EXPECT_EQ(list.IsCombo(), window == combo);
        list.SetNoneEntry(true);
        list.SetByLayerEntries(true);
        EXPECT_EQ(SendMessageA(window, CPickList::kFillMessage, 0x4000, 0), 1);
        const Entries e = Read(list);
        EXPECT_EQ(e.ids, (std::vector<LPARAM>{-1, 0x4000, 0x8000}));
        EXPECT_EQ(e.texts, (std::vector<std::string>{" None ", " By Layer ", " By Block "}));
        EXPECT_EQ(e.selected, 1);
        EXPECT_EQ(list.GetSelectedId(), 0x4000);
        // Filled again for "none": the entries are replaced, not added to.
        SendMessageA(window, CPickList::kFillMessage, 0, 0);
        EXPECT_EQ(list.GetCount(), 3);
        EXPECT_EQ(list.GetSelectedId(), -1);
        if (window == listView) {
            EXPECT_EQ(ColumnCount(listView), 1);
        }
        // Without flags nothing is added.
        list.SetNoneEntry(false);
        list.SetByLayerEntries(false);
        EXPECT_FALSE(list.FillSpecials(0));
        EXPECT_EQ(list.GetCount(), 0);
    }
    EXPECT_EQ(CPickList::SpecialText(5), "");
    EXPECT_EQ(CPickList::SpecialText(-3), " None ");
    EXPECT_EQ(CPickList().GetItemData(0), 0) << "an unbound list has no entries";
}

// The line-type and hatch-pattern lists give the same IDs in both forms, each entry's ID its own,
// the current one selected; the selection mark and the continuous line only when asked for.
TEST_F(PickListWindows, ComboAndListViewGiveTheSameIds)
{
    CControlCore control;
    const CLineTypeMap& lineTypes = control.GetLineTypeMap();
    ASSERT_GT(lineTypes.Entries().size(), 5u);
    Entries forms[2];
    for (int form = 0; form < 2; ++form) {
        CLineTypePickList list(&lineTypes);
        ASSERT_TRUE(list.Attach(form == 0 ? combo : listView));
        list.SetByLayerEntries(true);
        SendMessageA(list.GetHandle(), CPickList::kFillMessage, 5, 0);
        forms[form] = Read(list);
        EXPECT_EQ(list.GetSelectedId(), 5);
    }
    EXPECT_EQ(forms[0].ids, forms[1].ids);
    ASSERT_GE(forms[0].ids.size(), 3u);
    EXPECT_EQ(forms[0].ids[0], 0x4000);
    EXPECT_EQ(forms[0].ids[1], 0x8000);
    EXPECT_EQ(std::count(forms[0].ids.begin(), forms[0].ids.end(), ltSelected), 0);
    EXPECT_EQ(std::count(forms[0].ids.begin(), forms[0].ids.end(), ltContinuous), 0);
    EXPECT_EQ(forms[0].texts[2], lineTypes.Find(static_cast<int>(forms[0].ids[2]))->GetName());

    {
        CLineTypePickList withBuiltIns(&lineTypes);
        ASSERT_TRUE(withBuiltIns.Attach(combo));
        withBuiltIns.SetBuiltInEntries(true);
        SendMessageA(combo, CPickList::kFillMessage, ltContinuous, 0);
        EXPECT_EQ(withBuiltIns.GetSelectedId(), ltContinuous);
        EXPECT_EQ(withBuiltIns.GetCount(), static_cast<int>(lineTypes.Entries().size()));
    }

    const CHatchPatternMap& patterns = control.GetHatchPatternMap();
    ASSERT_FALSE(patterns.Patterns().empty());
    Entries hatch[2];
    for (int form = 0; form < 2; ++form) {
        CHatchPatternPickList list(&patterns);
        ASSERT_TRUE(list.Attach(form == 0 ? combo : listView));
        list.SetNoneEntry(true);
        SendMessageA(list.GetHandle(), CPickList::kFillMessage, 3, 0);
        hatch[form] = Read(list);
        EXPECT_EQ(list.GetSelectedId(), 3);
    }
    EXPECT_EQ(hatch[0].ids, hatch[1].ids);
    EXPECT_EQ(hatch[0].ids.front(), -1);
    EXPECT_EQ(hatch[0].texts[3], patterns.Find(3)->GetName());
    // A list without its map does not fill.
    CLineTypePickList unbound;
    ASSERT_TRUE(unbound.Attach(combo));
    EXPECT_EQ(SendMessageA(combo, CPickList::kFillMessage, 0, 0), 0);
}

// The shape-name list offers the named groups and layers only.
TEST_F(PickListWindows, ShapeNamesOfNamedGroupsAndLayers)
{
    CControlCore control;
    CShapeMap& map = control.GetShapeMap();
    auto* named = static_cast<CGroup*>(map.CreateShape(stGroup, true, true));
    named->SetName(L"Walls");
    CShape* unnamed = map.CreateShape(stGroup, true, true);
    auto* layer = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    layer->SetName("Doors");
    auto* nameless = static_cast<CLayer*>(map.CreateShape(stLayer, true, true));
    nameless->SetName("");
    CShape* line = map.CreateShape(stLine, true, true);
    const std::vector<CShape*> shapes = {named, unnamed, line, layer, nameless};
    for (HWND window : {combo, listView}) {
        CShapeNamePickList list(&shapes);
        ASSERT_TRUE(list.Attach(window));
        SendMessageA(window, CPickList::kFillMessage, layer->GetId(), 0);
        const Entries e = Read(list);
        EXPECT_EQ(e.ids, (std::vector<LPARAM>{named->GetId(), layer->GetId()}));
        EXPECT_EQ(e.texts, (std::vector<std::string>{"Walls", "Doors"}));
        EXPECT_EQ(list.GetSelectedId(), layer->GetId());
        EXPECT_EQ(list.Find(line->GetId()), line);
        EXPECT_EQ(list.Find(12345), nullptr);
    }
    CShapeNamePickList empty;
    ASSERT_TRUE(empty.Attach(combo));
    EXPECT_FALSE(empty.Fill(0));
}
