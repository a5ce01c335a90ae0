// The site's database operations seen by a host: the control hosted in a window, its worker
// threads' stages reaching the host as events on the host's thread while it pumps, the host's
// vetoes, and the change messages that ask the host before a prototype goes.
#include <string>
#include <vector>
#include "tests/support/HostedControl.h"
#include "tests/support/DbTestSupport.h"
#include "automation/PersistDB.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
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
    // Pumps until the event has been heard (or the time is out).
    bool WaitFor(DISPID id, DWORD milliseconds = 60000)
    {
        const DWORD start = GetTickCount();
        for (;;) {
            PumpMessages();
            for (const EventSink::Call& call : sink.calls)
                if (call.id == id)
                    return true;
            if (GetTickCount() - start > milliseconds)
                return false;
            Sleep(2);
        }
    }
    std::vector<DISPID> StageEvents() const
    {
        std::vector<DISPID> ids;
        for (const EventSink::Call& call : sink.calls)
            if (call.id != cetOnProgress && call.id != cetOnInvalidateToolbar)
                ids.push_back(call.id);
        return ids;
    }
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
    EXPECT_EQ(StageEvents(), std::vector<DISPID>{cetOnBeginSaveSite});
    ASSERT_TRUE(WaitFor(cetOnEndSaveSiteWithID));
    EXPECT_EQ(StageEvents(), (std::vector<DISPID>{cetOnBeginSaveSite, cetOnEndDeleteSite, cetOnEndDeleteSiteWithID,
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
    EXPECT_EQ(StageEvents(), std::vector<DISPID>{cetOnBeginLoadSite});
    EXPECT_FALSE(control->IsIdle());
    EXPECT_EQ(persist->Load(siteId, VARIANT_FALSE), S_FALSE);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    ASSERT_TRUE(WaitFor(cetOnEndLoadSiteWithID));
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
    EXPECT_EQ(StageEvents(), std::vector<DISPID>{cetOnBeginLoadSite});
    EXPECT_TRUE(control->IsIdle());
    // Without a chooser, Load(0) is a cancelled choice: S_FALSE and no event.
    sink.calls.clear();
    EXPECT_EQ(control->StartLoadSiteFromDB(0, 0), S_FALSE);
    EXPECT_TRUE(sink.calls.empty());
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
    ASSERT_TRUE(WaitFor(cetOnEndSaveSiteWithID));
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
    ASSERT_TRUE(WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_TRUE(ResultOf(cetOnEndLoadSite));
    EXPECT_EQ(siteWhenHeard, 0) << "the file's site is none of the database's";
    sink.onEvent = nullptr;
    for (const char* suffix : {"", "-wal", "-shm"})
        DeleteFileA((path + suffix).c_str());
}

INSTANTIATE_TEST_SUITE_P(Databases, SiteEvents, testing::Values(SqliteSites(), PostgresSites()), TargetName());
