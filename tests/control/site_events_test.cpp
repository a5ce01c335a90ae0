// The site's database operations seen by a host: the control hosted in a window, its worker
// threads' stages reaching the host as events on the host's thread while it pumps, the host's
// vetoes, and the change messages that ask the host before a prototype goes.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>
#include "tests/support/HostedControl.h"
#include "tests/support/DbTestSupport.h"
#include "automation/PersistDB.h"
#include "control/ShapeMap.h"
#include "control/UndoManager.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/PointRecord.h"
#include "model/Shape.h"

using namespace controltest;
using hosttest::PumpMessages;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

DbTarget SqliteSites() { return {"SQLite", SqlDialect::SQLite, "YVEX_SITES", "", ""}; }

DbTarget PostgresSites()
{
    return {"PostgreSQL", SqlDialect::PostgreSQL, EnvOr("YVEX_PG_DSN", "YVEX_PG") + "_SITES",
            EnvOr("YVEX_PG_USER", "yvex"), EnvOr("YVEX_PG_PASSWORD", "yvex")};
}

class SiteEvents : public HostedControl, public testing::WithParamInterface<DbTarget>
{
protected:
    void Prepare(CYVEXControl& c) override
    {
        c.SetDataSource(GetParam().dataSource);
        c.SetUserName(GetParam().user);
        c.SetPassword(GetParam().password);
    }
    void Connect() { m_connection = std::make_unique<Connection>(control->GetControllingUnknown(), &sink); }
    bool ResultOf(DISPID id) const
    {
        for (const EventSink::Call& call : sink.calls)
            if (call.id == id)
                return !call.bools.empty() && call.bools.front();
        return false;
    }
    int NewSite(const char* name)
    {
        CShape* line = control->GetShapeMap().CreateShape(stLine, true, true);
        control->GetRootGroup()->AddChild(line, nullptr, 1, false);
        line->AddPointById(control->CreatePoint(0, 0), CShape::kAppend, true);
        line->AddPointById(control->CreatePoint(5, 5), CShape::kAppend, true);
        int siteId = 0;
        EXPECT_EQ(control->InsertSiteRow(name, &siteId), S_OK) << TakeErrorInfo().description;
        return siteId;
    }

    MessageBoxRecorder boxes;
    EventSink sink;
    std::unique_ptr<Connection> m_connection;
};

} // namespace

// A save on its worker: the beginning is heard before the start returns, the end only while the
// host pumps, the end of the delete of the old rows before the end of the save, both true.
TEST_P(SiteEvents, ASaveAnnouncesItsStagesInOrder)
{
    const int siteId = NewSite("Stages");
    Connect();
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, 0, nullptr), S_OK);
    EXPECT_EQ(sink.StageIds(), std::vector<DISPID>{cetOnBeginSaveSite});
    ASSERT_TRUE(sink.WaitFor(cetOnEndSaveSiteWithID));
    EXPECT_EQ(sink.StageIds(), (std::vector<DISPID>{cetOnBeginSaveSite, cetOnEndDeleteSite, cetOnEndDeleteSiteWithID,
                                                  cetOnEndSaveSite, cetOnEndSaveSiteWithID}));
    EXPECT_TRUE(ResultOf(cetOnEndDeleteSite));
    EXPECT_TRUE(ResultOf(cetOnEndSaveSite));
    EXPECT_TRUE(control->IsIdle());
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    EXPECT_EQ(control->GetSiteId(), siteId);
}

// Load(id, True) asks for a read-only site and nothing else: it returns at once with the load
// running on its worker (a second start is refused meanwhile), and the site comes in read-only.
TEST_P(SiteEvents, ReadOnlyLoadReturnsAtOnce)
{
    const int siteId = NewSite("Read only");
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK);
    IPersistDB* persist = nullptr;
    ASSERT_EQ(ycom::CreateInstance<CPersistDB>(nullptr, IID_IPersistDB, reinterpret_cast<void**>(&persist)), S_OK);
    ASSERT_EQ(persist->put__YVEXControl(control->Handle()), S_OK);
    Connect();

    ASSERT_EQ(persist->Load(siteId, VARIANT_TRUE), S_OK);
    // The worker waits for this thread to hear its stages: nothing has ended yet.
    EXPECT_EQ(sink.StageIds(), std::vector<DISPID>{cetOnBeginLoadSite});
    EXPECT_FALSE(control->IsIdle());
    EXPECT_EQ(persist->Load(siteId, VARIANT_FALSE), S_FALSE);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndLoadSite));
    EXPECT_TRUE(control->IsReadOnly());
    EXPECT_EQ(control->GetSiteId(), siteId);

    // Unattached, the forwarder answers E_NOTIMPL.
    ASSERT_EQ(persist->put__YVEXControl(0), S_OK);
    EXPECT_EQ(persist->Load(siteId, VARIANT_FALSE), E_NOTIMPL);
    persist->Release();
}

// A host that refuses the beginning stops the load before it runs: E_ACCESSDENIED, no end, and
// the next operation is admitted.
TEST_P(SiteEvents, AVetoedBeginningStopsTheLoad)
{
    const int siteId = NewSite("Vetoed");
    ASSERT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK);
    Connect();
    sink.answer = VARIANT_FALSE;
    EXPECT_EQ(control->StartLoadSiteFromDB(siteId, 0), E_ACCESSDENIED);
    PumpMessages();
    EXPECT_EQ(sink.StageIds(), std::vector<DISPID>{cetOnBeginLoadSite});
    EXPECT_TRUE(control->IsIdle());
    // Without a chooser, Load(0) is a cancelled choice: S_FALSE and no event.
    sink.calls.clear();
    EXPECT_EQ(control->StartLoadSiteFromDB(0, 0), S_FALSE);
    EXPECT_TRUE(sink.StageIds().empty());
}

// A shape deleted in another session goes here too; a prototype only when the host agrees (the
// flag starts false), and a refused one stays where it was.
TEST_P(SiteEvents, ADeleteMessageAsksBeforeAPrototypeGoes)
{
    CShapeMap& map = control->GetShapeMap();
    CShape* prototype = nullptr;
    for (int id = DEFAULT_SHAPE_ID; id <= DEFAULT_IMAGE_ID && !prototype; ++id)
        prototype = map.Lookup(id);
    ASSERT_NE(prototype, nullptr);
    CGroup* parent = prototype->GetParent();
    prototype->SetDatabaseId(424242);
    map.SetDbId(424242, prototype->GetId());
    CShape* line = map.CreateShape(stLine, true, true);
    control->GetRootGroup()->AddChild(line, nullptr, 1, false);
    line->SetDatabaseId(434343);
    map.SetDbId(434343, line->GetId());
    Connect();

    EXPECT_EQ(map.RemoveShapeOnMessage(999999), S_FALSE) << "nobody has that row";
    sink.answer = VARIANT_FALSE;
    EXPECT_EQ(map.RemoveShapeOnMessage(424242), S_FALSE);
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].id, cetOnDeleteShape);
    EXPECT_EQ(sink.calls[0].proceedSeen, VARIANT_FALSE);
    EXPECT_EQ(map.Lookup(prototype->GetId()), prototype);
    EXPECT_EQ(prototype->GetParent(), parent);

    // An ordinary shape goes without asking.
    sink.calls.clear();
    EXPECT_EQ(map.RemoveShapeOnMessage(434343), S_OK);
    EXPECT_EQ(map.FindByDbId(434343), nullptr);
    EXPECT_TRUE(sink.calls.empty());

    sink.answer = VARIANT_TRUE;
    const int id = prototype->GetId();
    EXPECT_EQ(map.RemoveShapeOnMessage(424242), S_OK);
    EXPECT_EQ(map.Lookup(id), nullptr);
    EXPECT_EQ(parent->IndexOfChild(id), -1);
}

namespace {

// A site of many lines, saved in the foreground.
int SaveSiteOfLines(CYVEXControl& control, const char* name, int lines)
{
    for (int i = 0; i < lines; ++i) {
        LONG id = 0;
        EXPECT_EQ(control.AddLine(control.GetRootGroup(), 0.0f, static_cast<float>(i), 10.0f, static_cast<float>(i), &id),
                  S_OK);
    }
    int siteId = 0;
    EXPECT_EQ(control.InsertSiteRow(name, &siteId), S_OK) << TakeErrorInfo().description;
    EXPECT_EQ(control.StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK);
    return siteId;
}

// A key pressed with Ctrl (and Shift) as a user presses it, handled at once: the worker that
// waits for this thread stays waiting.
void PressNow(HWND window, WPARAM key, bool shift)
{
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_CONTROL] = 0x80;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    state[VK_CONTROL] = state[VK_SHIFT] = 0;
    SetKeyboardState(state);
}

} // namespace

// A load's progress reaches the host between its beginning and its end, as a save's does,
// although the load keeps the host's other events off while it builds the drawing.
TEST_P(SiteEvents, ALoadReportsItsProgress)
{
    const int siteId = SaveSiteOfLines(*control, "Progress", 60);
    Connect();
    ASSERT_EQ(control->StartLoadSiteFromDB(siteId, 0), S_OK);
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndLoadSite));
    std::vector<LONG> percents;
    for (const EventSink::Call& call : sink.calls)
        if (call.id == cetOnProgress && !call.ints.empty())
            percents.push_back(call.ints[0]);
    const auto between = std::count_if(percents.begin(), percents.end(), [](LONG p) { return p > 0 && p < 100; });
    EXPECT_GE(between, 3) << "heard " << percents.size() << " progress events";
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.empty() ? -1 : percents.back(), 100);
    VARIANT_BOOL events = VARIANT_FALSE;
    ASSERT_EQ(control->get_FireEvents(&events), S_OK);
    EXPECT_EQ(events, VARIANT_TRUE) << "the host's switch is as it was";
}

// While a worker loads the site the host's operations that would read or change the drawing
// answer "Operation is in progress." (S_FALSE) and change nothing: undo and redo (the keys and
// the manager), grouping and ungrouping by key, the zooms, locating a shape and drawing into a
// context. Once the load has ended they run again.
TEST_P(SiteEvents, OperationsWaitWhileAWorkerLoads)
{
    ASSERT_EQ(control->CreateUndoManager(), S_OK);
    const int siteId = SaveSiteOfLines(*control, "Busy", 60);
    CUndoManager& manager = *CUndoManager::FromInterface(control->GetUndoRecorder()->GetManager());
    // One step to undo and one to redo.
    LONG a = 0, b = 0;
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0, 0, 5, 5, &a), S_OK);
    float dx = 1, dy = 0;
    ASSERT_EQ(control->ShiftPoint(control->FindShape(a)->GetPoints().GetAt(0)->GetPointId(), &dx, &dy), S_OK);
    ASSERT_EQ(control->AddLine(control->GetRootGroup(), 0, 9, 5, 9, &b), S_OK);
    ASSERT_EQ(manager.UndoTo(nullptr), S_OK);
    const size_t undoSteps = manager.UndoStack().size(), redoSteps = manager.RedoStack().size();
    ASSERT_EQ(redoSteps, 1u);
    // Two shapes selected, as Ctrl+G groups them.
    for (const auto& entry : control->GetShapeMap().Shapes())
        if (entry.first >= 12 && control->GetSelectionGroup()->GetShapeCount() < 2)
            control->GetSelectionGroup()->AddChild(entry.second, nullptr, 0, false);
    ASSERT_EQ(control->GetSelectionGroup()->GetShapeCount(), 2);
    HDC dc = CreateCompatibleDC(nullptr);
    Connect();

    ASSERT_EQ(control->StartLoadSiteFromDB(siteId, 0), S_OK);
    // The worker waits for this thread to hear its progress: the load runs on.
    ASSERT_FALSE(control->IsIdle());
    struct Step {
        const char* name;
        std::function<HRESULT()> run;
    } steps[] = {
        {"UndoTo", [&] { return manager.UndoTo(nullptr); }},
        {"RedoTo", [&] { return manager.RedoTo(nullptr); }},
        {"Ctrl+U", [&] { PressNow(m_wnd, 'U', false); return S_FALSE; }},
        {"Ctrl+Y", [&] { PressNow(m_wnd, 'Y', false); return S_FALSE; }},
        {"Ctrl+G", [&] { PressNow(m_wnd, 'G', false); return S_FALSE; }},
        {"Ctrl+Shift+U", [&] { PressNow(m_wnd, 'U', true); return S_FALSE; }},
        {"ZoomAll", [&] { return control->ZoomAll(); }},
        {"ZoomShape", [&] { return control->ZoomShape(a, 1.0f); }},
        {"LocateShape", [&] { return control->LocateShape(a); }},
        {"DrawToDC", [&] { return control->DrawToDC(dc, 0, 0, 1000, 1000, 0); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        control->SetLastError(0, "");
        EXPECT_EQ(step.run(), S_FALSE);
        EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
        EXPECT_EQ(manager.UndoStack().size(), undoSteps);
        EXPECT_EQ(manager.RedoStack().size(), redoSteps);
        EXPECT_FALSE(control->IsIdle());
    }
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndLoadSite));
    EXPECT_TRUE(control->IsIdle());
    EXPECT_EQ(control->ZoomAll(), S_OK);
    EXPECT_EQ(control->DrawToDC(dc, 0, 0, 1000, 1000, 0), 1) << "1 after a drawing";
    DeleteDC(dc);
}

// A database file transfer works on the file from its worker and leaves the control's own login
// alone: meanwhile the host's thread reads the control's data source, never the file's. A drawing
// read from the file names no site when its end is heard.
TEST_P(SiteEvents, AFileTransferLeavesTheControlsLoginAlone)
{
    NewSite("Filed");
    char dir[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, dir), 0u);
    const std::string path = std::string(dir) + "yvex_transfer_" + std::to_string(GetCurrentProcessId()) + "_" +
                             GetParam().label + ".db";
    DeleteFileA(path.c_str());
    const std::string own = control->GetDataSource();
    Connect();
    ASSERT_EQ(control->StartSaveSiteToFile(path.c_str(), 1), S_OK);
    // The worker runs until its first report, which waits for this thread.
    for (int i = 0; i < 20; ++i) {
        Sleep(25);
        EXPECT_EQ(control->GetDataSource(), own) << "read while the transfer runs";
    }
    ASSERT_TRUE(sink.WaitFor(cetOnEndSaveSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndSaveSite));
    EXPECT_EQ(control->GetDataSource(), own);

    sink.calls.clear();
    int siteWhenHeard = -1;
    sink.onEvent = [&](const EventSink::Call& call) {
        if (call.id == cetOnEndLoadSite)
            siteWhenHeard = control->GetSiteId();
    };
    ASSERT_EQ(control->StartLoadSiteFromFile(path.c_str(), 1, 0), S_OK);
    for (int i = 0; i < 20; ++i) {
        Sleep(25);
        EXPECT_EQ(control->GetDataSource(), own) << "read while the transfer runs";
    }
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndLoadSite));
    EXPECT_EQ(siteWhenHeard, 0) << "the file's site is none of the database's";
    sink.onEvent = nullptr;
    for (const char* suffix : {"", "-wal", "-shm"})
        DeleteFileA((path + suffix).c_str());
}

INSTANTIATE_TEST_SUITE_P(Databases, SiteEvents, testing::Values(SqliteSites(), PostgresSites()), TargetName());
