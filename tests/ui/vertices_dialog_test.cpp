// The vertices dialog of a hosted control, opened by its "Vertices List" command on the single
// selected shape and driven from inside its modal loop; a picture of it lands in <build>/artefacts.
#include <string>
#include <vector>
#include "com/MessageBoxHook.h"
#include "control/PopupMenuHook.h"
#include "model/EditState.h"
#include "model/Polyline.h"
#include "model/PointRecord.h"
#include "model/SelectionGroup.h"
#include "model/VertexRecord.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/DialogDriver.h"
#include "tests/support/HostedControl.h"
#include "tests/support/WindowCapture.h"
#include "ui/ColorPopupMenu.h"
#include "ui/VerticesDialog.h"
#include "ui/resource.h"

using namespace controltest;

namespace {

// Every control of this program makes its vertices dialog as the module's controls do; the last
// one made is kept at hand.
CVerticesDialog* g_lastDialog = nullptr;
class VerticesEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        SetVerticesDialogMaker([]() -> std::unique_ptr<CVerticesDialogHost> {
            auto dialog = std::make_unique<CVerticesDialog>();
            g_lastDialog = dialog.get();
            return dialog;
        });
    }
    void TearDown() override { SetVerticesDialogMaker(nullptr); }
};
testing::Environment* const g_vertices = testing::AddGlobalTestEnvironment(new VerticesEnvironment);

std::string Cell(HWND list, int row, int column)
{
    char text[128] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::string ColumnTitle(HWND list, int column)
{
    char text[64] = "";
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    if (!SendMessageA(list, LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)))
        return "";
    return text;
}

int ColumnCount(HWND list)
{
    return static_cast<int>(SendMessageA(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)),
                                         HDM_GETITEMCOUNT, 0, 0));
}

// A dialog still open this long after the test's action is taken as staying; the watch then ends
// it with kStayed, so that a dialog that refuses to close fails the test instead of hanging it.
constexpr INT_PTR kStayed = 0x5747;
HWND g_watched = nullptr;
void CALLBACK EndStayingDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_watched && IsWindow(g_watched))
        EndDialog(g_watched, kStayed);
}
void WatchDialog(HWND dialog)
{
    g_watched = dialog;
    SetTimer(nullptr, 0, 500, EndStayingDialog);
}

// Takes the picture of the dialog a moment after it is shown, then confirms it.
HWND g_pictured = nullptr;
void CALLBACK CaptureAndConfirm(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    if (g_pictured && IsWindow(g_pictured)) {
        CaptureWindowToPng(g_pictured, ArtefactPath("vertices_dialog"));
        DialogCloser::PostCommand(g_pictured, IDOK);
    }
    g_pictured = nullptr;
}
void CaptureLater(HWND dialog)
{
    g_pictured = dialog;
    SetTimer(nullptr, 0, 200, CaptureAndConfirm);
}

std::vector<std::string>& Boxes()
{
    static std::vector<std::string> texts;
    return texts;
}
int& BoxAnswer()
{
    static int answer = IDOK;
    return answer;
}
int RecordBox(HWND, const char* text, const char*, UINT)
{
    Boxes().push_back(text);
    return BoxAnswer();
}

// A host sink that refuses one event (its proceed flag cleared), hearing every event.
class RefusingSink : public hosttest::EventSink
{
public:
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO* info,
                        UINT* arg) override
    {
        const HRESULT hr = EventSink::Invoke(id, iid, lcid, flags, p, result, info, arg);
        if (id == refuse)
            for (UINT i = 0; i < p->cArgs; ++i)
                if (p->rgvarg[i].vt == (VT_BOOL | VT_BYREF))
                    *p->rgvarg[i].pboolVal = VARIANT_FALSE;
        return hr;
    }
    // The edit events only (the pointer's and the toolbar's left out).
    std::vector<DISPID> EditIds() const
    {
        std::vector<DISPID> ids;
        for (DISPID id : StageIds())
            if (id != cetOnInvalidateToolbar && id != cetOnChangeSelection)
                ids.push_back(id);
        return ids;
    }
    DISPID refuse = 0;
};

class Vertices : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        Boxes().clear();
        BoxAnswer() = IDOK;
        m_previousBoxes = ycom::SetMessageBoxHandler(&RecordBox);
    }
    void TearDown() override
    {
        m_connection.reset();
        ycom::SetMessageBoxHandler(m_previousBoxes);
        HostedControl::TearDown();
    }
    void Prepare(CYVEXControl& c) override { ASSERT_EQ(c.CreateUndoManager(), S_OK); }
    void Connect() { m_connection = std::make_unique<hosttest::Connection>(control->GetControllingUnknown(), &sink); }
    CPolyline* Shape(LONG id) { return static_cast<CPolyline*>(control->FindShape(id)); }
    // Runs the dialog with the steps taken one at a time inside its loop; OK ends it.
    void Drive(const std::vector<std::function<void(HWND)>>& steps)
    {
        DialogDriver driver;
        HWND dialog = nullptr;
        driver.Then([&dialog] {
            dialog = DialogDriver::FindThreadWindow("#32770", "Vertices");
            return dialog != nullptr && IsWindowVisible(dialog);
        });
        for (const auto& step : steps)
            driver.Do([&dialog, step] { step(dialog); });
        driver.Do([&dialog] { DialogCloser::PostCommand(dialog, IDOK); });
        driver.Run([this] { control->ShowVerticesDialog(); });
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_TRUE(driver.Finished());
    }
    // Edits a cell as the user does: the list asks for the editor, the text is typed, Enter.
    static std::string Edit(HWND dialog, int row, int column, const char* text)
    {
        HWND list = GetDlgItem(dialog, IDC_VERTEX_LIST);
        char cell[512] = "";
        lstrcpynA(cell, Cell(list, row, column).c_str(), sizeof cell);
        NMLVDISPINFOA info = {};
        info.hdr.hwndFrom = list;
        info.hdr.idFrom = IDC_VERTEX_LIST;
        info.hdr.code = LVN_BEGINLABELEDITA;
        info.item.mask = LVIF_TEXT;
        info.item.iItem = row;
        info.item.iSubItem = column;
        info.item.pszText = cell;
        SendMessageA(dialog, WM_NOTIFY, IDC_VERTEX_LIST, reinterpret_cast<LPARAM>(&info));
        HWND editor = GetDlgItem(list, IDC_CELL_EDITOR);
        if (!editor)
            return "(no editor)";
        char start[512] = "";
        GetWindowTextA(editor, start, sizeof start);
        SetWindowTextA(editor, text);
        SendMessageA(editor, WM_CHAR, VK_RETURN, 0);
        return start;
    }
    static void SelectRows(HWND dialog, std::initializer_list<int> rows)
    {
        HWND list = GetDlgItem(dialog, IDC_VERTEX_LIST);
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        for (int row : rows) {
            ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            SendMessageA(list, LVM_SETSELECTIONMARK, 0, row);
        }
    }
    static int Rows(HWND dialog)
    {
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_VERTEX_LIST, LVM_GETITEMCOUNT, 0, 0));
    }
    static void Press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    static bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    RefusingSink sink;
    std::unique_ptr<hosttest::Connection> m_connection;
    CSelectionGroup* Selection() { return static_cast<CSelectionGroup*>(control->GetSelectionGroup()); }
    void Select(LONG id) { Selection()->AddChild(control->FindShape(id), nullptr, 0, false); }
    LONG Polyline(const std::vector<std::pair<float, float>>& points)
    {
        LONG id = 0;
        EXPECT_EQ(control->AddPolyline(control->GetRootGroup(), points[0].first, points[0].second, points[1].first,
                                       points[1].second, &id),
                  S_OK);
        for (size_t i = 2; i < points.size(); ++i) {
            LONG pointId = 0;
            // The index is 1-based and the point goes before it: one past the last appends.
            EXPECT_EQ(control->AddPolylinePointAtNoUndo(id, static_cast<int>(i) + 1, points[i].first, points[i].second,
                                                        &pointId, false),
                      S_OK);
        }
        return id;
    }
    // Runs the dialog through the control's command; `act` sees it on its first activation.
    INT_PTR Run(std::function<void(HWND)> act)
    {
        INT_PTR answer = -1;
        DialogCloser closer([&act](HWND dialog, int activation) {
            if (activation == 1)
                act(dialog);
        });
        answer = control->ShowVerticesDialog();
        EXPECT_FALSE(closer.TimedOut());
        g_watched = nullptr;
        return answer;
    }

    ycom::MessageBoxHandler m_previousBoxes = nullptr;
};

} // namespace

// The command lists the selected polyline, one row a vertex, in the table's columns; OK ends it.
TEST_F(Vertices, TheCommandListsTheSelectedPolyline)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {12.345f, 5.0f}, {20.0f, -1.0f}});
    Select(id);
    auto* polyline = static_cast<CPolyline*>(control->FindShape(id));
    ASSERT_NE(polyline, nullptr);
    ASSERT_EQ(polyline->GetVertices().size(), 3u);
    // Pen weight: the larger width; both -1 read "ByPolyline".
    const_cast<CVertexRecord&>(polyline->GetVertices()[1]).startWidth = 2.0f;
    const_cast<CVertexRecord&>(polyline->GetVertices()[1]).name = "corner";
    // A line pattern the map does not know reads as the polyline's.
    const_cast<CVertexRecord&>(polyline->GetVertices()[2]).lineType = 0x3FFF;

    int activations = 0;
    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> rows;
    bool removeEnabled = true;
    COLORREF storedPattern = 0;
    DialogCloser closer([&](HWND dialog, int activation) {
        if (activation != 1)
            return;
        ++activations;
        HWND list = GetDlgItem(dialog, IDC_VERTEX_LIST);
        for (int c = 0; c < ColumnCount(list); ++c)
            titles.push_back(ColumnTitle(list, c));
        for (int r = 0; r < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++r) {
            rows.emplace_back();
            for (int c = 0; c < ColumnCount(list); ++c)
                rows.back().push_back(Cell(list, r, c));
        }
        removeEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_VERTEX_REMOVE)) != FALSE;
        if (CListRowData* data = g_lastDialog->GetList().GetRowData(2))
            storedPattern = data->GetColour(4);
        // The picture once the dialog shows (it is activated before its first painting).
        CaptureLater(dialog);
    });
    EXPECT_EQ(control->ExecuteMenuCommand(MI_VERTICES, 0), S_OK);
    EXPECT_FALSE(closer.TimedOut());
    EXPECT_EQ(activations, 1) << "the command runs the dialog";
    EXPECT_EQ(titles, (std::vector<std::string>{"Index", "X", "Y", "Color", "Line Pattern", "Bulge", "Pen Weight",
                                                 "Name"}));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "0.00", "0.00", "", "ByPolyline", "0.00", "ByPolyline", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2", "12.35", "5.00", "", "ByPolyline", "0.00", "2.00", "corner"}));
    EXPECT_EQ(rows[2][4], "ByPolyline");
    EXPECT_EQ(storedPattern, 0x8000u) << "kept as by block";
    EXPECT_FALSE(removeEnabled) << "nothing is marked yet";
    EXPECT_TRUE(Boxes().empty());
}

// Esc and the close box end the dialog whatever it lists; OK keeps asking for a vertex while a
// polyline is shown without rows. With a line selected there is never a row, and the dialog used
// to refuse every way out.
TEST_F(Vertices, EscAndTheCloseBoxAlwaysEndIt)
{
    LONG line = 0;
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0.0f, 0.0f, 10.0f, 10.0f, &line), S_OK);
    const LONG polyline = Polyline({{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 10.0f}});
    const struct
    {
        const char* name;
        bool selectLine;
        bool emptyList;
        UINT message;
        int id;
        INT_PTR expected;
        size_t boxes;
    } cases[] = {
        {"Esc, line", true, false, WM_COMMAND, IDCANCEL, IDCANCEL, 0},
        {"close box, line", true, false, WM_CLOSE, 0, IDCANCEL, 0},
        {"OK, line", true, false, WM_COMMAND, IDOK, IDOK, 0},
        {"Esc, polyline emptied", false, true, WM_COMMAND, IDCANCEL, IDCANCEL, 0},
        {"OK, polyline emptied", false, true, WM_COMMAND, IDOK, kStayed, 1},
        {"OK, polyline", false, false, WM_COMMAND, IDOK, IDOK, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Selection()->Clear(false);
        Select(c.selectLine ? line : polyline);
        Boxes().clear();
        const INT_PTR answer = Run([&c](HWND dialog) {
            if (c.emptyList)
                SendDlgItemMessageA(dialog, IDC_VERTEX_LIST, LVM_DELETEALLITEMS, 0, 0);
            PostMessageA(dialog, c.message, c.message == WM_COMMAND ? MAKEWPARAM(c.id, BN_CLICKED) : 0, 0);
            WatchDialog(dialog);
        });
        EXPECT_EQ(answer, c.expected);
        ASSERT_EQ(Boxes().size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(Boxes()[0], "Please create at least one vertex.");
        }
    }
}

// Dragging a side or corner never makes the window smaller than 180 x 186; the side dragged moves.
TEST_F(Vertices, SizingKeepsTheSmallestSize)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 0.0f}});
    Select(id);
    std::vector<RECT> results;
    Run([&results](HWND dialog) {
        for (WPARAM edge : {WMSZ_LEFT, WMSZ_BOTTOMRIGHT, WMSZ_TOPLEFT}) {
            RECT r = {100, 100, 150, 120};
            SendMessageA(dialog, WM_SIZING, edge, reinterpret_cast<LPARAM>(&r));
            results.push_back(r);
        }
        DialogCloser::PostCommand(dialog, IDCANCEL);
    });
    ASSERT_EQ(results.size(), 3u);
    auto same = [](const RECT& a, const RECT& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    EXPECT_TRUE(same(results[0], RECT{-30, -66, 150, 120})) << "left edge and top move";
    EXPECT_TRUE(same(results[1], RECT{100, 100, 280, 286})) << "right and bottom move";
    EXPECT_TRUE(same(results[2], RECT{-30, -66, 150, 120}));
}

// A Bezier polyline lists its anchors only (records 0, 3, 6 of 7), without the Bulge column, the
// radius and Fillet.
TEST_F(Vertices, ABezierListsItsAnchors)
{
    const LONG id = Polyline({{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 1}, {6, 0}});
    auto* polyline = static_cast<CPolyline*>(control->FindShape(id));
    ASSERT_NE(polyline, nullptr);
    polyline->SetFlags(polyline->GetFlags() | 0x2000);
    ASSERT_TRUE(polyline->IsBezier());
    Select(id);
    std::vector<std::string> titles, xs;
    bool filletShown = true, radiusShown = true;
    Run([&](HWND dialog) {
        HWND list = GetDlgItem(dialog, IDC_VERTEX_LIST);
        for (int c = 0; c < ColumnCount(list); ++c)
            titles.push_back(ColumnTitle(list, c));
        for (int r = 0; r < static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); ++r)
            xs.push_back(Cell(list, r, 1));
        filletShown = IsWindowVisible(GetDlgItem(dialog, IDC_VERTEX_FILLET)) != FALSE;
        radiusShown = IsWindowVisible(GetDlgItem(dialog, IDC_VERTEX_RADIUS)) != FALSE;
        DialogCloser::PostCommand(dialog, IDOK);
    });
    EXPECT_EQ(titles, (std::vector<std::string>{"Index", "X", "Y", "Color", "Line Pattern", "Pen Weight", "Name"}));
    EXPECT_EQ(xs, (std::vector<std::string>{"0.00", "3.00", "6.00"}));
    EXPECT_FALSE(filletShown);
    EXPECT_FALSE(radiusShown);
}

// A cell typed in runs the host's edit events in order and lands in the vertex as one undo step;
// numbers show with two decimals, the Name as typed, a pen weight of -1 or none as "ByPolyline"
// (both widths -1). A cell showing "ByPolyline" starts its editor empty.
TEST_F(Vertices, EditingACellRunsTheEditEvents)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 5.0f}, {20.0f, 0.0f}});
    Select(id);
    Connect();
    const struct
    {
        int column;
        const char* typed;
        const char* start;
        const char* shown;
    } cases[] = {
        {1, "12.345", "10.00", "12.35"}, {2, "-3", "5.00", "-3.00"},      {5, "0.5", "0.00", "0.50"},
        {7, "corner a", "", "corner a"}, {6, "3", "", "3.00"},            {6, "-1", "3.00", "ByPolyline"},
        {6, "2.5", "", "2.50"},          {6, "", "2.50", "ByPolyline"},
    };
    std::vector<std::string> starts, shown;
    std::vector<std::vector<DISPID>> events;
    std::vector<LONG> shapeIds, editTypes;
    std::vector<size_t> steps;
    // One edit a step: the editor goes once the dialog's loop has seen the edit end.
    std::vector<std::function<void(HWND)>> edits;
    for (const auto& c : cases)
        edits.push_back([&, c](HWND dialog) {
            sink.calls.clear();
            const size_t before = UndoSteps();
            starts.push_back(Edit(dialog, 1, c.column, c.typed));
            shown.push_back(Cell(GetDlgItem(dialog, IDC_VERTEX_LIST), 1, c.column));
            events.push_back(sink.EditIds());
            const auto* begin = sink.Find(cetOnBeginEditShape);
            shapeIds.push_back(begin ? begin->ints[0] : 0);
            editTypes.push_back(begin ? begin->ints[1] : 0);
            steps.push_back(UndoSteps() - before);
        });
    Drive(edits);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].typed);
        ASSERT_LT(i, shown.size());
        EXPECT_EQ(starts[i], cases[i].start);
        EXPECT_EQ(shown[i], cases[i].shown);
        EXPECT_EQ(events[i], (std::vector<DISPID>{cetOnBeginEditShape, cetOnShiftPoint, cetOnEndEditShape}));
        EXPECT_EQ(shapeIds[i], id);
        EXPECT_EQ(editTypes[i], EDSH_POINT);
        EXPECT_EQ(steps[i], 1u) << "one undo step per change";
    }
    const CVertexRecord& vertex = Shape(id)->GetVertices()[1];
    EXPECT_FLOAT_EQ(vertex.GetPoint()->x, 12.345f);
    EXPECT_FLOAT_EQ(vertex.GetPoint()->y, -3.0f);
    EXPECT_FLOAT_EQ(vertex.bulge, 0.5f);
    EXPECT_EQ(vertex.name, "corner a");
    EXPECT_EQ(vertex.startWidth, -1.0f);
    EXPECT_EQ(vertex.endWidth, -1.0f);
    EXPECT_EQ(control->GetEditState().editedShape, nullptr) << "the change has ended";

    // The last steps undo one at a time: the cleared pen weight comes back, then 2.5 goes.
    EXPECT_EQ(UndoLast(), S_OK);
    EXPECT_FLOAT_EQ(Shape(id)->GetVertices()[1].GetPoint()->x, 12.345f);
    for (size_t i = 1; i < std::size(cases); ++i)
        EXPECT_EQ(UndoLast(), S_OK);
    EXPECT_FLOAT_EQ(Shape(id)->GetVertices()[1].GetPoint()->x, 10.0f) << "the X edit undone";
    EXPECT_FLOAT_EQ(Shape(id)->GetVertices()[1].GetPoint()->y, 5.0f);
}

// A host that refuses any of the edit events leaves the vertex as it was, its vertex ID and the
// cell included, and no undo step; a refusal after the begin is told with OnCancel.
TEST_F(Vertices, ARefusedEditLeavesTheVertexAsItWas)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 5.0f}, {20.0f, 0.0f}});
    Select(id);
    Connect();
    const struct
    {
        DISPID refuse;
        std::vector<DISPID> events;
    } cases[] = {
        {cetOnBeginEditShape, {cetOnBeginEditShape}},
        {cetOnShiftPoint, {cetOnBeginEditShape, cetOnShiftPoint, cetOnCancel}},
        {cetOnEndEditShape, {cetOnBeginEditShape, cetOnShiftPoint, cetOnEndEditShape}},
    };
    const int vertexId = Shape(id)->GetVertices()[1].vertexId;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refuse);
        sink.refuse = c.refuse;
        std::vector<std::string> cells;
        std::vector<DISPID> events;
        size_t steps = 1;
        size_t start = 0;
        std::vector<std::function<void(HWND)>> edits = {[&](HWND) { start = UndoSteps(); }};
        for (const auto& [column, text] :
             std::vector<std::pair<int, const char*>>{{1, "7"}, {5, "0.25"}, {6, "4"}, {7, "renamed"}})
            edits.push_back([&, column = column, text = text](HWND dialog) {
                sink.calls.clear();
                Edit(dialog, 1, column, text);
                cells.push_back(Cell(GetDlgItem(dialog, IDC_VERTEX_LIST), 1, column));
                events = sink.EditIds();
                steps = UndoSteps() - start;
            });
        Drive(edits);
        EXPECT_EQ(cells, (std::vector<std::string>{"10.00", "0.00", "ByPolyline", ""}));
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(steps, 0u);
        const CVertexRecord& after = Shape(id)->GetVertices()[1];
        EXPECT_EQ(after.vertexId, vertexId);
        EXPECT_FLOAT_EQ(after.GetPoint()->x, 10.0f);
        EXPECT_FLOAT_EQ(after.bulge, 0.0f);
        EXPECT_EQ(after.startWidth, -1.0f);
        EXPECT_EQ(after.name, "");
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    }
}

// New puts a vertex before the selected one, at its place, announced with OnAddPoint, as one
// undo step; a host refusing OnAddPoint takes every point it made out again (an anchor's two
// control points on a Bezier polyline) and leaves no undo step.
TEST_F(Vertices, NewAddsAVertexOrTakesItBack)
{
    const struct
    {
        const char* name;
        bool bezier;
        DISPID refuse;
        size_t records;
        int rows;
        int addPoints;
    } cases[] = {
        {"plain", false, 0, 4, 4, 1},
        {"plain, refused", false, cetOnAddPoint, 3, 3, 1},
        {"Bezier", true, 0, 10, 4, 3},
        {"Bezier, refused", true, cetOnAddPoint, 7, 3, 1},
    };
    Connect();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Selection()->Clear(false);
        const LONG id = c.bezier ? Polyline({{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 1}, {6, 0}})
                                 : Polyline({{0.0f, 0.0f}, {10.0f, 5.0f}, {20.0f, 0.0f}});
        if (c.bezier)
            Shape(id)->SetFlags(Shape(id)->GetFlags() | 0x2000);
        Select(id);
        sink.refuse = c.refuse;
        std::vector<std::string> indexes, xs;
        int rows = 0;
        size_t steps = 9;
        Drive({[&](HWND dialog) {
            HWND list = GetDlgItem(dialog, IDC_VERTEX_LIST);
            SelectRows(dialog, {1});
            sink.calls.clear();
            const size_t start = UndoSteps();
            Press(dialog, IDC_VERTEX_NEW);
            steps = UndoSteps() - start;
            rows = Rows(dialog);
            for (int r = 0; r < rows; ++r) {
                indexes.push_back(Cell(list, r, 0));
                xs.push_back(Cell(list, r, 1));
            }
        }});
        EXPECT_EQ(Shape(id)->GetVertices().size(), c.records);
        EXPECT_EQ(rows, c.rows);
        int addPoints = 0;
        for (DISPID e : sink.EditIds())
            addPoints += e == cetOnAddPoint;
        EXPECT_EQ(addPoints, c.addPoints);
        EXPECT_EQ(sink.EditIds().front(), cetOnBeginEditShape);
        EXPECT_EQ(sink.EditIds().back(), c.refuse ? cetOnCancel : cetOnEndEditShape);
        EXPECT_EQ(steps, c.refuse ? 0u : 1u);
        if (!c.refuse) {
            EXPECT_EQ(indexes, (std::vector<std::string>{"1", "2", "3", "4"}));
            // The new row stands where the marked vertex stood.
            ASSERT_EQ(xs.size(), 4u);
            EXPECT_EQ(xs[1], xs[2]);
        }
    }
}

// Remove asks first, then takes the selected vertices out one by one and stops once two are
// left; it is off while the list has two rows or fewer.
TEST_F(Vertices, RemoveStopsAtTwoVertices)
{
    const LONG id = Polyline({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
    Select(id);
    Connect();
    BoxAnswer() = IDYES;
    int rows = 0;
    bool removeOn = true, removeOnBefore = false;
    Drive({[&](HWND dialog) {
        SelectRows(dialog, {0, 1, 2, 3});
        removeOnBefore = Enabled(dialog, IDC_VERTEX_REMOVE);
        Press(dialog, IDC_VERTEX_REMOVE);
        rows = Rows(dialog);
        SelectRows(dialog, {0});
        removeOn = Enabled(dialog, IDC_VERTEX_REMOVE);
    }});
    EXPECT_TRUE(removeOnBefore);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Do you want to delete 4 vertices?");
    EXPECT_EQ(Shape(id)->GetVertices().size(), 2u);
    EXPECT_EQ(rows, 2);
    EXPECT_FALSE(removeOn);
    // No keeps them all.
    const LONG other = Polyline({{0, 0}, {1, 0}, {2, 0}});
    Selection()->Clear(false);
    Select(other);
    Boxes().clear();
    BoxAnswer() = IDNO;
    Drive({[&](HWND dialog) {
        SelectRows(dialog, {1});
        Press(dialog, IDC_VERTEX_REMOVE);
    }});
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0], "Do you want to delete vertex number 2?");
    EXPECT_EQ(Shape(other)->GetVertices().size(), 3u);
}

// Fillet is on for a straight corner with a radius and for an arc's start with radius 0; a press
// rounds the corner (one undo step), and radius 0 takes the arc out again.
TEST_F(Vertices, FilletRoundsACornerAndTakesItBack)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 10.0f}});
    Select(id);
    Connect();
    bool onCorner = false, offAtEnd = true, onArc = false, offOnArcWithRadius = true;
    size_t afterRound = 0, afterUndo = 0, steps = 0;
    Drive({[&](HWND dialog) {
               SetDlgItemTextA(dialog, IDC_VERTEX_RADIUS, "2");
               SelectRows(dialog, {2});
               offAtEnd = Enabled(dialog, IDC_VERTEX_FILLET);
               SelectRows(dialog, {1});
               onCorner = Enabled(dialog, IDC_VERTEX_FILLET);
               const size_t start = UndoSteps();
               sink.calls.clear();
               Press(dialog, IDC_VERTEX_FILLET);
               steps = UndoSteps() - start;
               afterRound = Shape(id)->GetVertices().size();
           },
           [&](HWND dialog) {
               // The arc starts at the row the fillet made (the corner row).
               int arc = -1;
               for (int r = 0; r < Rows(dialog); ++r)
                   if (Shape(id)->GetVertices()[static_cast<size_t>(r)].bulge != 0.0f)
                       arc = r;
               ASSERT_GE(arc, 0);
               SelectRows(dialog, {arc});
               offOnArcWithRadius = Enabled(dialog, IDC_VERTEX_FILLET);
               SetDlgItemTextA(dialog, IDC_VERTEX_RADIUS, "0");
               SelectRows(dialog, {arc});
               onArc = Enabled(dialog, IDC_VERTEX_FILLET);
               Press(dialog, IDC_VERTEX_FILLET);
               afterUndo = Shape(id)->GetVertices().size();
           }});
    EXPECT_FALSE(offAtEnd) << "the last vertex of an open polyline has no corner";
    EXPECT_TRUE(onCorner);
    EXPECT_EQ(afterRound, 4u);
    EXPECT_EQ(steps, 1u);
    EXPECT_EQ(sink.EditIds().front(), cetOnBeginEditShape);
    EXPECT_FALSE(offOnArcWithRadius);
    EXPECT_TRUE(onArc);
    EXPECT_EQ(afterUndo, 3u);
}

// The radius edit keeps a number: blanks ahead, letters and a second point go, and the caret
// moves back over what went before it.
TEST_F(Vertices, TheRadiusEditKeepsANumber)
{
    const struct
    {
        const char* typed;
        DWORD start, end;
        const char* kept;
        DWORD keptStart, keptEnd;
    } cases[] = {
        {" -12a.3.4", 9, 9, "-12.34", 6, 6},
        {"+5", 1, 2, "+5", 1, 2},
        {"5-", 2, 2, "5", 1, 1},
        {"x1.5", 0, 4, "1.5", 0, 3},
        {"--1", 3, 3, "-1", 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        DWORD start = c.start, end = c.end;
        EXPECT_EQ(CVerticesDialog::CleanRadiusText(c.typed, &start, &end), c.kept);
        EXPECT_EQ(start, c.keptStart);
        EXPECT_EQ(end, c.keptEnd);
    }
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 0.0f}});
    Select(id);
    std::string shown;
    Drive({[&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_VERTEX_RADIUS, " -12a.3.4");
        char text[64] = "";
        GetDlgItemTextA(dialog, IDC_VERTEX_RADIUS, text, sizeof text);
        shown = text;
    }});
    EXPECT_EQ(shown, "-12.34");
}

// The line-pattern drop-down: a pattern chosen lands in the vertex through the edit events;
// closed unchosen it ends the begun change with OnCancel and leaves no undo step; a refusal puts
// the old pattern back.
TEST_F(Vertices, TheLinePatternDropDown)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 5.0f}, {20.0f, 0.0f}});
    Select(id);
    Connect();
    const struct
    {
        const char* name;
        bool choose;
        DISPID refuse;
        bool changed;
        std::vector<DISPID> events;
    } cases[] = {
        {"closed unchosen", false, 0, false, {cetOnBeginEditShape, cetOnCancel}},
        {"refused", true, cetOnShiftPoint, false, {cetOnBeginEditShape, cetOnShiftPoint, cetOnCancel}},
        {"chosen", true, 0, true, {cetOnBeginEditShape, cetOnShiftPoint, cetOnEndEditShape}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sink.refuse = c.refuse;
        const int before = Shape(id)->GetVertices()[1].lineType;
        int chosenId = 0;
        bool shown = false;
        size_t start = 0;
        std::string cell;
        CVerticesDialog* object = nullptr;
        Drive({[&](HWND dialog) {
                   object = g_lastDialog;
                   start = UndoSteps();
                   sink.calls.clear();
                   // The drop-down's button (or Alt+Down) in the Line Pattern cell.
                   PostMessageA(dialog, CCellListView::kPopupRequest, 1, 4);
               },
               [&](HWND dialog) {
                   CListPopup& popup = object->GetLinePatternPopup();
                   shown = popup.IsWindow();
                   if (!shown)
                       return;
                   if (c.choose) {
                       const int last = popup.GetList().GetCount() - 1;
                       NMITEMACTIVATE click = {};
                       click.hdr.hwndFrom = popup.GetListWindow();
                       click.hdr.code = NM_CLICK;
                       click.iItem = last;
                       SendMessageA(popup.GetHandle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
                       chosenId = static_cast<int>(popup.GetList().GetItemData(last));
                   } else {
                       PostMessageA(dialog, CListPopup::kResultMessage, static_cast<WPARAM>(-1), 1);
                   }
               },
               [&](HWND dialog) { cell = Cell(GetDlgItem(dialog, IDC_VERTEX_LIST), 1, 4); }});
        EXPECT_TRUE(shown);
        EXPECT_EQ(sink.EditIds(), c.events);
        EXPECT_EQ(Shape(id)->GetVertices()[1].lineType, c.changed ? chosenId : before);
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
        if (c.changed) {
            EXPECT_NE(cell, "ByPolyline");
        } else {
            EXPECT_EQ(cell, "ByPolyline");
        }
        (void)start;
    }
}

namespace {
// The colour menu's answer in place of the user: the command to choose (0: none).
UINT& MenuAnswer()
{
    static UINT answer = 0;
    return answer;
}
UINT AnswerMenu(HMENU, UINT, int, int, HWND) { return MenuAnswer(); }
} // namespace

// The Color cell's menu: a colour chosen lands in the vertex through the edit events as one undo
// step; nothing chosen ends the begun change with OnCancel; a refusal puts the old colour back.
TEST_F(Vertices, TheColourMenu)
{
    const LONG id = Polyline({{0.0f, 0.0f}, {10.0f, 5.0f}, {20.0f, 0.0f}});
    Select(id);
    Connect();
    const PopupMenuHandler previous = SetPopupMenuHandler(&AnswerMenu);
    const struct
    {
        const char* name;
        UINT command;
        DISPID refuse;
        bool changed;
        std::vector<DISPID> events;
    } cases[] = {
        {"nothing chosen", 0, 0, false, {cetOnBeginEditShape, cetOnCancel}},
        {"refused", 1, cetOnEndEditShape, false, {cetOnBeginEditShape, cetOnShiftPoint, cetOnEndEditShape}},
        {"chosen", 1, 0, true, {cetOnBeginEditShape, cetOnShiftPoint, cetOnEndEditShape}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sink.refuse = c.refuse;
        MenuAnswer() = c.command;
        size_t steps = 9;
        COLORREF cellColour = 0;
        Drive({[&](HWND dialog) {
            const size_t start = UndoSteps();
            sink.calls.clear();
            SendMessageA(dialog, CCellListView::kPopupRequest, 1, 3);
            steps = UndoSteps() - start;
            if (CListRowData* data = g_lastDialog->GetList().GetRowData(1))
                cellColour = data->GetColour(3);
        }});
        EXPECT_EQ(sink.EditIds(), c.events);
        const DWORD expected = c.changed ? CColorPopupMenu::SwatchColours()[0] : CColorPopupMenu::kByBlockColour;
        EXPECT_EQ(Shape(id)->GetVertices()[1].color, expected);
        EXPECT_EQ(cellColour, expected);
        EXPECT_EQ(steps, c.changed ? 1u : 0u);
        EXPECT_EQ(control->GetEditState().editedShape, nullptr);
    }
    SetPopupMenuHandler(previous);
}
