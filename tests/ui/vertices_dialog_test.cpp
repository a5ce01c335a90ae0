// The vertices dialog of a hosted control, opened by its "Vertices List" command on the single
// selected shape and driven from inside its modal loop; a picture of it lands in <build>/artefacts.
#include <string>
#include <vector>
#include "com/MessageBoxHook.h"
#include "model/Polyline.h"
#include "model/SelectionGroup.h"
#include "tests/support/DialogCloser.h"
#include "tests/support/HostedControl.h"
#include "tests/support/WindowCapture.h"
#include "ui/VerticesDialog.h"
#include "ui/resource.h"

using namespace controltest;

namespace {

// Every control of this program makes its vertices dialog as the module's controls do.
class VerticesEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        SetVerticesDialogMaker(
            []() -> std::unique_ptr<CVerticesDialogHost> { return std::make_unique<CVerticesDialog>(); });
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
int RecordBox(HWND, const char* text, const char*, UINT)
{
    Boxes().push_back(text);
    return IDOK;
}

class Vertices : public HostedControl
{
protected:
    void SetUp() override
    {
        HostedControl::SetUp();
        Boxes().clear();
        m_previousBoxes = ycom::SetMessageBoxHandler(&RecordBox);
    }
    void TearDown() override
    {
        ycom::SetMessageBoxHandler(m_previousBoxes);
        HostedControl::TearDown();
    }
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
        if (c.boxes)
            EXPECT_EQ(Boxes()[0], "Please create at least one vertex.");
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
