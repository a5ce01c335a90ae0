// Sessions that share a site through the message queue: sessions opened and closed, a message
// written whole or not at all, the receiver starting after the queue's history and skipping its
// own and unknown messages, polling on the control's timer, two hosted controls on two
// connections seeing each other's changes applied on their window's thread, and two processes
// sending at once losing nothing. On the SQLite and the PostgreSQL site databases.
#include <windows.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "automation/Messenger.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "persistence/MessageIdQuery.h"
#include "persistence/MessengerReceiver.h"
#include "persistence/MessengerSender.h"
#include "com/AnsiText.h"
#include "com/Owners.h"

extern const ycom::ClassEntry g_yvexClasses[];
extern const size_t g_yvexClassCount;

using namespace controltest;
using hosttest::PumpMessages;

namespace {

// OLE and the product's classes in this program; the classes of a control's inner objects are
// registered with COM for the process, so that a control's final construction makes its real
// inner objects (the messenger among them) from this program's code.
class MessengerEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        LoadLibraryW(L"riched32.dll");
        ycom::TheModule().Init(g_yvexClasses, g_yvexClassCount, GetModuleHandleW(nullptr), LIBID_YVEXLib);
        for (const CLSID* clsid : {&CLSID_Messenger, &CLSID_Site, &CLSID_PersistDB, &CLSID_DXFOperations,
                                   &CLSID_PersistWeb, &CLSID_DataIO, &CLSID_YVEXPrint}) {
            IUnknown* factory = nullptr;
            if (SUCCEEDED(ycom::TheModule().GetClassObject(*clsid, IID_IUnknown, reinterpret_cast<void**>(&factory)))) {
                DWORD cookie = 0;
                CoRegisterClassObject(*clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
                factory->Release();
            }
        }
    }
    void TearDown() override { OleUninitialize(); }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new MessengerEnvironment);

DbTarget SqliteSites() { return {"SQLite", SqlDialect::SQLite, "YVEX_SITES", "", ""}; }

DbTarget PostgresSites()
{
    return {"PostgreSQL", SqlDialect::PostgreSQL, EnvOr("YVEX_PG_DSN", "YVEX_PG") + "_SITES",
            EnvOr("YVEX_PG_USER", "yvex"), EnvOr("YVEX_PG_PASSWORD", "yvex")};
}

CMessengerLogin LoginOf(const DbTarget& t) { return {t.dataSource, t.user, t.password}; }

// Pumps this thread's messages until the condition holds or the time is out.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds = 20000)
{
    const DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (done())
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(5);
    }
}

// Waits without pumping: what the threads do alone.
bool WaitWithoutPumping(const std::function<bool()>& done, DWORD milliseconds = 20000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(5);
    }
    return true;
}

ycom::ComPtr<IMessenger> NewMessenger(const DbTarget& target)
{
    ycom::ComPtr<IMessenger> messenger;
    EXPECT_EQ(ycom::CreateInstance<CMessenger>(nullptr, IID_IMessenger, reinterpret_cast<void**>(messenger.Put())), S_OK);
    for (auto [put, text] : {std::make_pair(&IMessenger::put_DSN, target.dataSource),
                             std::make_pair(&IMessenger::put_UserName, target.user),
                             std::make_pair(&IMessenger::put_Password, target.password)}) {
        BSTR value = SysAllocString(ycom::AnsiToWide(text).c_str());
        EXPECT_EQ((messenger.Get()->*put)(value), S_OK);
        SysFreeString(value);
    }
    return messenger;
}

CMessenger& Inner(CYVEXControl& control) { return *static_cast<CMessenger*>(control.GetInnerMessenger()); }

class MessengerTest : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(db.Open(GetParam()), S_OK) << TakeErrorInfo().description;
        DropTestObjects();
        ExecRaw(db.hstmt, "delete from parameters");
        ExecRaw(db.hstmt, "delete from messages");
        ExecRaw(db.hstmt, "delete from sessions");
    }
    void TearDown() override { DropTestObjects(); }
    bool Postgres() const { return GetParam().dialect == SqlDialect::PostgreSQL; }
    void DropTestObjects()
    {
        if (Postgres()) {
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP TRIGGER IF EXISTS yvex_test_refuse ON parameters", SQL_NTS);
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP TRIGGER IF EXISTS yvex_test_collide ON messages", SQL_NTS);
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP FUNCTION IF EXISTS yvex_test_refuse()", SQL_NTS);
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP FUNCTION IF EXISTS yvex_test_collide()", SQL_NTS);
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP SEQUENCE IF EXISTS yvex_test_collisions", SQL_NTS);
        } else {
            SQLExecDirect(db.hstmt, (SQLCHAR*)"DROP TRIGGER IF EXISTS yvex_test_refuse", SQL_NTS);
        }
        SQLFreeStmt(db.hstmt, SQL_CLOSE);
        // A test that took the parameters away and ended early.
        SQLExecDirect(db.hstmt, (SQLCHAR*)"ALTER TABLE parameters_away RENAME TO parameters", SQL_NTS);
        SQLFreeStmt(db.hstmt, SQL_CLOSE);
    }
    std::shared_ptr<CMessengerSender> NewSender()
    {
        auto sender = std::make_shared<CMessengerSender>();
        sender->SetLogin(LoginOf(GetParam()));
        return sender;
    }
    std::shared_ptr<CMessengerReceiver> NewReceiver(int session)
    {
        auto receiver = std::make_shared<CMessengerReceiver>();
        receiver->SetLogin(LoginOf(GetParam()));
        receiver->SetSessionId(session);
        return receiver;
    }
    // One poll, waited for: what it read.
    std::vector<CReceivedMessage> PollOnce(CMessengerReceiver& receiver)
    {
        EXPECT_EQ(receiver.Poll(), S_OK);
        EXPECT_TRUE(WaitWithoutPumping([&] { return receiver.PendingPolls() == 0; }));
        return receiver.TakeReceived();
    }
    long Count(const char* query)
    {
        const auto rows = QueryRows(db.hstmt, query);
        return rows.empty() ? -1 : atol(rows[0][0].c_str());
    }

    MessageBoxRecorder boxes;
    DbConnection db;
};

std::string ComputerName()
{
    char name[1025] = {};
    DWORD length = sizeof name - 1;
    return GetComputerNameA(name, &length) && name[0] ? name : "localhost";
}

} // namespace

// Each session gets the next ID with the computer's name and open; closing clears the flag of
// that session only. A data source that cannot be reached is E_FAIL.
TEST_P(MessengerTest, SessionsAreNumberedNamedAndClosed)
{
    auto a = NewMessenger(GetParam());
    auto b = NewMessenger(GetParam());
    ASSERT_EQ(a->OpenSession(), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(b->OpenSession(), S_OK) << TakeErrorInfo().description;
    LONG idA = 0, idB = 0;
    a->get_SessionID(&idA);
    b->get_SessionID(&idB);
    EXPECT_EQ(idA, 1);
    EXPECT_EQ(idB, 2);
    const std::string name = ComputerName();
    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(QueryRows(db.hstmt, "select * from sessions order by SessionID"),
              (Rows{{"1", name, "1", "0"}, {"2", name, "1", "0"}}));
    ASSERT_EQ(a->CloseSession(), S_OK);
    EXPECT_EQ(QueryRows(db.hstmt, "select * from sessions order by SessionID"),
              (Rows{{"1", name, "0", "0"}, {"2", name, "1", "0"}}));

    DbTarget nowhere = GetParam();
    nowhere.dataSource = "YVEX_NO_SUCH_SOURCE";
    auto lost = NewMessenger(nowhere);
    EXPECT_EQ(lost->OpenSession(), E_FAIL);
    EXPECT_EQ(lost->CloseSession(), E_FAIL);
    EXPECT_FALSE(boxes.Boxes().empty());
}

// The next message ID: 1 on an empty queue, the largest plus one after.
TEST_P(MessengerTest, TheMessageIdQueryNumbersAfterTheLargest)
{
    int id = 0;
    std::string error;
    EXPECT_EQ(QueryMaxMessageId(db, &id, &error), SQL_NO_DATA);
    EXPECT_EQ(id, 1);
    ExecRaw(db.hstmt, "insert into messages (MessageID, MessageTypeID, SessionID, Sent) values (41, 1, 1, 1)");
    EXPECT_EQ(QueryMaxMessageId(db, &id, &error), SQL_NO_DATA);
    EXPECT_EQ(id, 42);
    EXPECT_TRUE(error.empty());
}

// SendMessage writes one message marked sent with two integer parameters, the site's then the
// shape's; two sends in a row keep their own values and their order.
TEST_P(MessengerTest, ASendWritesOneCompleteMessage)
{
    auto messenger = NewMessenger(GetParam());
    ASSERT_EQ(messenger->OpenSession(), S_OK);
    CMessenger& object = *static_cast<CMessenger*>(messenger.Get());
    ASSERT_EQ(messenger->SendMessage(mtUpdateShapeMessage, 7, 42), S_OK);
    ASSERT_EQ(messenger->SendMessage(mtDeleteShapeMessage, 8, 43), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return object.Sender().PendingSends() == 0; }));
    EXPECT_TRUE(object.Sender().GetLastError().empty()) << object.Sender().GetLastError();

    using Rows = std::vector<std::vector<std::string>>;
    EXPECT_EQ(QueryRows(db.hstmt, "select MessageID, MessageTypeID, SessionID, Sent from messages order by MessageID"),
              (Rows{{"1", "1", "1", "1"}, {"2", "2", "1", "1"}}));
    EXPECT_EQ(QueryRows(db.hstmt, "select m.MessageTypeID, p.DatabaseTypeID, p.IntField, p.BitField from parameters p, "
                                  "messages m where p.MessageID = m.MessageID order by p.ParameterID"),
              (Rows{{"1", "3", "7", "0"}, {"1", "3", "42", "0"}, {"2", "3", "8", "0"}, {"2", "3", "43", "0"}}));

    // A messenger released at once: its send thread still finishes the message.
    {
        auto brief = NewMessenger(GetParam());
        ASSERT_EQ(brief->SendMessage(mtUpdateShapeMessage, 9, 44), S_OK);
    }
    EXPECT_TRUE(WaitWithoutPumping([&] { return Count("select count(*) from messages where Sent = 1") == 3; }));
    EXPECT_EQ(Count("select count(*) from parameters where IntField = 44"), 1);
}

// A step that fails rolls the whole message back: nothing of it is seen, and the failing step's
// text is kept.
TEST_P(MessengerTest, AFailedStepLeavesNoMessage)
{
    if (Postgres()) {
        ExecRaw(db.hstmt, "CREATE FUNCTION yvex_test_refuse() RETURNS trigger AS $$ BEGIN "
                          "RAISE EXCEPTION 'refused by the test'; END $$ LANGUAGE plpgsql");
        ExecRaw(db.hstmt, "CREATE TRIGGER yvex_test_refuse BEFORE INSERT ON parameters FOR EACH ROW "
                          "EXECUTE FUNCTION yvex_test_refuse()");
    } else {
        ExecRaw(db.hstmt, "CREATE TRIGGER yvex_test_refuse BEFORE INSERT ON parameters "
                          "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    }
    auto sender = NewSender();
    EXPECT_EQ(sender->SendNow({mtUpdateShapeMessage, 1, 2, 3}), -1);
    EXPECT_NE(sender->GetLastError().find("refused by the test"), std::string::npos) << sender->GetLastError();
    EXPECT_EQ(Count("select count(*) from messages"), 0);
    EXPECT_EQ(Count("select count(*) from parameters"), 0);
    EXPECT_FALSE(boxes.Boxes().empty());

    // The next message goes through once the refusal is gone.
    DropTestObjects();
    EXPECT_EQ(sender->SendNow({mtUpdateShapeMessage, 1, 2, 3}), 0);
    EXPECT_EQ(Count("select count(*) from messages where Sent = 1"), 1);
}

// Another session that took the new message ID first: the transaction runs again with the IDs
// read anew, and the lost round shows nothing. (SQLite's writers queue at the beginning of the
// transaction: no other session can come between.)
TEST_P(MessengerTest, ATakenIdIsTriedAgain)
{
    if (!Postgres())
        GTEST_SKIP() << "SQLite's writers never meet inside a transaction";
    ExecRaw(db.hstmt, "CREATE SEQUENCE yvex_test_collisions");
    // The sequence is not rolled back: the first two inserts are refused as taken, the third not.
    ExecRaw(db.hstmt, "CREATE FUNCTION yvex_test_collide() RETURNS trigger AS $$ BEGIN "
                      "IF nextval('yvex_test_collisions') <= 2 THEN RAISE unique_violation USING MESSAGE = 'taken'; "
                      "END IF; RETURN NEW; END $$ LANGUAGE plpgsql");
    ExecRaw(db.hstmt, "CREATE TRIGGER yvex_test_collide BEFORE INSERT ON messages FOR EACH ROW "
                      "EXECUTE FUNCTION yvex_test_collide()");
    auto sender = NewSender();
    EXPECT_EQ(sender->SendNow({mtDeleteShapeMessage, 5, 6, 1}), 0) << sender->GetLastError();
    EXPECT_EQ(Count("select count(*) from messages where Sent = 1"), 1);
    EXPECT_EQ(Count("select count(*) from parameters"), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// The first poll starts after what the queue holds (0 on an empty one); later polls read the
// complete messages of other sessions of the two known types, in order, each once.
TEST_P(MessengerTest, AReceiverReadsOnlyNewsOfOtherSessions)
{
    auto sender = NewSender();
    auto receiver = NewReceiver(1);
    EXPECT_EQ(receiver->GetLastSeenId(), -1);
    EXPECT_TRUE(PollOnce(*receiver).empty());
    EXPECT_EQ(receiver->GetLastSeenId(), 0);

    ASSERT_EQ(sender->SendNow({mtUpdateShapeMessage, 5, 50, 2}), 0);
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 5, 51, 1}), 0);  // its own
    ASSERT_EQ(sender->SendNow({3, 5, 52, 2}), 0);                     // a type it does not know
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 5, 53, 2}), 0);
    std::vector<CReceivedMessage> got = PollOnce(*receiver);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].messageId, 1);
    EXPECT_EQ(got[0].type, mtUpdateShapeMessage);
    EXPECT_EQ(got[0].values, (std::vector<int>{5, 50}));
    EXPECT_EQ(got[1].messageId, 4);
    EXPECT_EQ(got[1].type, mtDeleteShapeMessage);
    EXPECT_EQ(got[1].values, (std::vector<int>{5, 53}));
    EXPECT_TRUE(PollOnce(*receiver).empty()) << "read once only";

    // A receiver that starts on a filled queue takes only what comes afterwards.
    auto late = NewReceiver(3);
    EXPECT_TRUE(PollOnce(*late).empty());
    EXPECT_EQ(late->GetLastSeenId(), 4);
    ASSERT_EQ(sender->SendNow({mtUpdateShapeMessage, 5, 60, 2}), 0);
    got = PollOnce(*late);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].values, (std::vector<int>{5, 60}));
}

// A message whose values cannot be read (the parameters out of reach for a moment) is not taken
// as seen: the next poll reads it, and the messages after it, again.
TEST_P(MessengerTest, AMessageWhoseValuesCannotBeReadComesAgain)
{
    auto sender = NewSender();
    auto receiver = NewReceiver(1);
    EXPECT_TRUE(PollOnce(*receiver).empty());
    ASSERT_EQ(sender->SendNow({mtUpdateShapeMessage, 5, 70, 2}), 0);
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 5, 71, 2}), 0);
    ExecRaw(db.hstmt, "ALTER TABLE parameters RENAME TO parameters_away");
    std::vector<CReceivedMessage> got = PollOnce(*receiver);
    ExecRaw(db.hstmt, "ALTER TABLE parameters_away RENAME TO parameters");
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(receiver->GetLastSeenId(), 0) << "nothing counted as seen";
    EXPECT_FALSE(MessageBoxRecorder::Boxes().empty()) << "the failure is shown";
    got = PollOnce(*receiver);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].values, (std::vector<int>{5, 70}));
    EXPECT_EQ(got[1].values, (std::vector<int>{5, 71}));
    EXPECT_EQ(receiver->GetLastSeenId(), 2);
}

INSTANTIATE_TEST_SUITE_P(Databases, MessengerTest, testing::Values(SqliteSites(), PostgresSites()), TargetName());

namespace {

// A control of this program with its inner objects, hosted in a window of its own.
struct HostedSession
{
    explicit HostedSession(const DbTarget& target)
    {
        control->SetDataSource(target.dataSource);
        control->SetUserName(target.user);
        control->SetPassword(target.password);
        EXPECT_EQ(control->FinalConstruct(), S_OK);
        top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
        HWND ax = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top, nullptr, nullptr,
                                  nullptr);
        EXPECT_EQ(hosttest::Atl().attach(control->GetControllingUnknown(), ax, container.Put()), S_OK);
        PumpMessages();
        EXPECT_NE(control->GetControlWindow(), nullptr);
    }
    ~HostedSession() { Close(); }
    void Close()
    {
        if (top)
            DestroyWindow(top);
        top = nullptr;
        PumpMessages();
        container = nullptr;
        control.Reset();
    }
    CMessenger& Messenger() { return Inner(*control); }

    ControlRef control;
    ycom::ComPtr<IUnknown> container;
    HWND top = nullptr;
};

class SharedSiteTest : public MessengerTest
{
protected:
    void SetUp() override
    {
        MessengerTest::SetUp();
        ASSERT_TRUE(hosttest::Atl().attach) << "atl.dll with AtlAxAttachControl";
    }
};

CRealPoint FirstPoint(CShape* shape)
{
    CRealPoint points[4];
    return shape && shape->GetHandlePoints(points, 4) > 0 ? points[0] : CRealPoint(-1, -1);
}

} // namespace

// The control's timer polls the queue with the messenger's timeout; a timeout of 0 or receiving
// switched off stops it, switching on starts it again.
TEST_P(SharedSiteTest, TheReceiveTimerPollsUntilStopped)
{
    HostedSession b(GetParam());
    CMessenger& messenger = b.Messenger();
    EXPECT_EQ(messenger.Receiver().GetLastSeenId(), -1) << "receiving waits for the host";
    ASSERT_EQ(messenger.put_ReceiveTimeout(30), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return messenger.Receiver().GetLastSeenId() == 0; }));

    auto sender = NewSender();
    auto seesAfter = [&](int messageId) {
        return PumpUntil([&] { return messenger.Receiver().GetLastSeenId() == messageId; }, 600);
    };
    ASSERT_EQ(messenger.put_ReceiveTimeout(0), S_OK);
    // A poll already under way may still read; none starts afterwards.
    ASSERT_TRUE(WaitWithoutPumping([&] { return messenger.Receiver().PendingPolls() == 0; }));
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 1, 999, 77}), 0);
    EXPECT_FALSE(seesAfter(1)) << "a timeout of 0 stops polling";

    ASSERT_EQ(messenger.put_ReceiveMessages(VARIANT_FALSE), S_OK);
    ASSERT_EQ(messenger.put_ReceiveTimeout(30), S_OK);
    EXPECT_FALSE(seesAfter(1)) << "receiving off stops polling";
    LONG timeout = 0;
    VARIANT_BOOL on = VARIANT_TRUE;
    messenger.get_ReceiveTimeout(&timeout);
    messenger.get_ReceiveMessages(&on);
    EXPECT_EQ(timeout, 30);
    EXPECT_EQ(on, VARIANT_FALSE);

    ASSERT_EQ(messenger.put_ReceiveMessages(VARIANT_TRUE), S_OK);
    EXPECT_TRUE(seesAfter(1));
}

// Two controls on two connections share a site: a shape moved, stored and announced by A is
// read again by B when B's timer fires; a deleted one goes from B without asking, a prototype
// only when B's host agrees. B's drawing changes only on its window's thread.
TEST_P(SharedSiteTest, TwoControlsSeeEachOthersChanges)
{
    HostedSession a(GetParam());
    HostedSession b(GetParam());
    CYVEXControl& ca = *a.control;
    CYVEXControl& cb = *b.control;

    CShape* line = ca.GetShapeMap().CreateShape(stLine, true, true);
    ca.GetRootGroup()->AddChild(line, nullptr, 1, false);
    line->AddPointById(ca.CreatePoint(0, 0), CShape::kAppend, true);
    line->AddPointById(ca.CreatePoint(5, 5), CShape::kAppend, true);
    int siteId = 0;
    ASSERT_EQ(ca.InsertSiteRow("Shared", &siteId), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(ca.StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    const int lineDbId = line->GetDatabaseId();
    ASSERT_GT(lineDbId, 0);
    ASSERT_EQ(cb.StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    ASSERT_NE(cb.GetShapeMap().FindByDbId(lineDbId), nullptr);

    ASSERT_EQ(a.Messenger().OpenSession(), S_OK);
    ASSERT_EQ(b.Messenger().OpenSession(), S_OK);
    ASSERT_EQ(b.Messenger().put_ReceiveTimeout(40), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return b.Messenger().Receiver().GetLastSeenId() >= 0; }));

    // A moves the line, stores its row and tells.
    line->OffsetPoints(10, 20);
    {
        COdbcSession session;
        session.dataSource = GetParam().dataSource;
        session.userName = GetParam().user;
        session.password = GetParam().password;
        ASSERT_EQ(session.Connect(IID_NULL), S_OK);
        ASSERT_EQ(line->SaveToDB(session, siteId, 0, 0), S_OK) << TakeErrorInfo().description;
    }
    ASSERT_EQ(a.Messenger().SendMessage(mtUpdateShapeMessage, siteId, lineDbId), S_OK);
    EXPECT_TRUE(PumpUntil([&] {
        const CRealPoint p = FirstPoint(cb.GetShapeMap().FindByDbId(lineDbId));
        return std::abs(p.x - 10) < 1e-3 && std::abs(p.y - 20) < 1e-3;
    })) << "B reads the moved line again";
    EXPECT_FLOAT_EQ(FirstPoint(ca.GetShapeMap().FindByDbId(lineDbId)).x, 10.0f) << "A ignores its own message";

    // A deletes the line: B's receive thread reads the message but leaves B's drawing alone; the
    // window's thread removes the line, asking nobody.
    EventSink sink;
    Connection events(cb.GetControllingUnknown(), &sink);
    ASSERT_EQ(b.Messenger().put_ReceiveTimeout(0), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return b.Messenger().Receiver().PendingPolls() == 0; }));
    PumpMessages();
    const int seen = b.Messenger().Receiver().GetLastSeenId();
    ASSERT_EQ(a.Messenger().SendMessage(mtDeleteShapeMessage, siteId, lineDbId), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return a.Messenger().Sender().PendingSends() == 0; }));
    ASSERT_EQ(b.Messenger().ProcessMessages(), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return b.Messenger().Receiver().PendingPolls() == 0; }));
    EXPECT_GT(b.Messenger().Receiver().GetLastSeenId(), seen);
    EXPECT_NE(cb.GetShapeMap().FindByDbId(lineDbId), nullptr) << "not changed off the window's thread";
    PumpMessages();
    EXPECT_EQ(cb.GetShapeMap().FindByDbId(lineDbId), nullptr);
    for (const EventSink::Call& call : sink.calls)
        EXPECT_NE(call.id, cetOnDeleteShape);

    // A prototype goes only when the host agrees: refused, it stays.
    CShapeMap& map = cb.GetShapeMap();
    CShape* prototype = nullptr;
    for (int id = DEFAULT_SHAPE_ID; id <= DEFAULT_IMAGE_ID && !prototype; ++id)
        prototype = map.Lookup(id);
    ASSERT_NE(prototype, nullptr);
    prototype->SetDatabaseId(929292);
    map.SetDbId(929292, prototype->GetId());
    sink.answer = VARIANT_FALSE;
    sink.calls.clear();
    ASSERT_EQ(a.Messenger().SendMessage(mtDeleteShapeMessage, siteId, 929292), S_OK);
    ASSERT_EQ(b.Messenger().put_ReceiveTimeout(40), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !sink.calls.empty(); })) << "B's host is asked";
    EXPECT_EQ(sink.calls[0].id, cetOnDeleteShape);
    EXPECT_EQ(map.FindByDbId(929292), prototype);
}

// Two hosted controls poll side by side; one of them going away leaves the other receiving.
TEST_P(SharedSiteTest, AControlGoingAwayLeavesTheOtherReceiving)
{
    auto first = std::make_unique<HostedSession>(GetParam());
    HostedSession second(GetParam());
    first->Messenger().put_SessionID(1);
    second.Messenger().put_SessionID(2);
    ASSERT_EQ(first->Messenger().put_ReceiveTimeout(20), S_OK);
    ASSERT_EQ(second.Messenger().put_ReceiveTimeout(20), S_OK);
    auto sender = NewSender();
    ASSERT_TRUE(PumpUntil([&] {
        return first->Messenger().Receiver().GetLastSeenId() == 0 && second.Messenger().Receiver().GetLastSeenId() == 0;
    }));
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 1, 999, 3}), 0);
    EXPECT_TRUE(PumpUntil([&] {
        return first->Messenger().Receiver().GetLastSeenId() == 1 && second.Messenger().Receiver().GetLastSeenId() == 1;
    })) << "both poll";

    first->Close();
    first.reset();
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 1, 998, 3}), 0);
    EXPECT_TRUE(PumpUntil([&] { return second.Messenger().Receiver().GetLastSeenId() == 2; }));
}

// Two processes send 50 messages each at the same time while each side polls: every message of
// the other side is read once, none is lost.
TEST_P(SharedSiteTest, TwoProcessesSendingAtOnceLoseNothing)
{
    constexpr int kCount = 50;
    auto mine = NewReceiver(1);
    auto theirs = NewReceiver(2);
    PollOnce(*mine);
    PollOnce(*theirs);

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring peer(path);
    peer = peer.substr(0, peer.find_last_of(L"\\/") + 1) + L"messenger_peer.exe";
    auto quoted = [](const std::string& s) { return L"\"" + ycom::AnsiToWide(s.empty() ? "-" : s) + L"\""; };
    std::wstring command = L"\"" + peer + L"\" " + quoted(GetParam().dataSource) + L" " + quoted(GetParam().user) +
                           L" " + quoted(GetParam().password) + L" 2 " + std::to_wstring(kCount) + L" 1001";
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));

    auto sender = NewSender();
    for (int i = 1; i <= kCount; ++i)
        ASSERT_EQ(sender->Send({mtUpdateShapeMessage, 1, i, 1}), S_OK);

    std::map<int, int> fromTheirs, fromMine;
    std::vector<int> mineInOrder, theirsInOrder;
    auto collect = [&] {
        for (const CReceivedMessage& m : PollOnce(*mine)) {
            ++fromTheirs[m.values[1]];
            theirsInOrder.push_back(m.values[1]);
        }
        for (const CReceivedMessage& m : PollOnce(*theirs)) {
            ++fromMine[m.values[1]];
            mineInOrder.push_back(m.values[1]);
        }
    };
    while (WaitForSingleObject(process.hProcess, 10) == WAIT_TIMEOUT || sender->PendingSends() > 0)
        collect();
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_EQ(exitCode, 0u) << "the peer's sends";
    collect();

    EXPECT_EQ(fromTheirs.size(), static_cast<size_t>(kCount));
    EXPECT_EQ(fromMine.size(), static_cast<size_t>(kCount));
    for (int i = 1; i <= kCount; ++i) {
        EXPECT_EQ(fromMine[i], 1) << "mine " << i;
        EXPECT_EQ(fromTheirs[1000 + i], 1) << "theirs " << 1000 + i;
    }
    // Each side's messages arrive in the order it gave them.
    EXPECT_TRUE(std::is_sorted(mineInOrder.begin(), mineInOrder.end()));
    EXPECT_TRUE(std::is_sorted(theirsInOrder.begin(), theirsInOrder.end()));
    EXPECT_EQ(Count("select count(*) from messages where Sent = 1"), 2 * kCount);
}


// The messenger takes the control's connection data when attached, and what the host sets on
// the control later through PersistDB.
TEST_P(SharedSiteTest, TheMessengerFollowsTheControlsConnectionData)
{
    HostedSession b(GetParam());
    BSTR dsn = nullptr;
    ASSERT_EQ(b.Messenger().get_DSN(&dsn), S_OK);
    EXPECT_EQ(ycom::WideToAnsi(dsn ? dsn : L""), GetParam().dataSource);
    SysFreeString(dsn);

    ycom::ComPtr<IPersistDB> persist;
    ASSERT_EQ(b.control->GetControllingUnknown()->QueryInterface(IID_IPersistDB, reinterpret_cast<void**>(persist.Put())), S_OK);
    BSTR other = SysAllocString(L"YVEX_OTHER");
    ASSERT_EQ(persist->put_DSN(other), S_OK);
    SysFreeString(other);
    ASSERT_EQ(b.Messenger().get_DSN(&dsn), S_OK);
    EXPECT_EQ(ycom::WideToAnsi(dsn ? dsn : L""), "YVEX_OTHER");
    SysFreeString(dsn);
}

// A save of the site switches receiving on again: a timer that was gone runs again afterwards.
TEST_P(SharedSiteTest, ASaveOfTheSiteRestartsReceiving)
{
    HostedSession b(GetParam());
    CMessenger& messenger = b.Messenger();
    int siteId = 0;
    ASSERT_EQ(b.control->InsertSiteRow("Rearmed", &siteId), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(messenger.put_ReceiveTimeout(30), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return messenger.Receiver().GetLastSeenId() == 0; }));
    // The timer lost (as a host's KillTimer on the window would do it).
    KillTimer(b.control->GetControlWindow(), CMessenger::kReceiveTimerId);
    ASSERT_TRUE(WaitWithoutPumping([&] { return messenger.Receiver().PendingPolls() == 0; }));
    auto sender = NewSender();
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 1, 999, 77}), 0);
    EXPECT_FALSE(PumpUntil([&] { return messenger.Receiver().GetLastSeenId() == 1; }, 400));

    ASSERT_EQ(b.control->StartSaveSiteToDB(siteId, 0, nullptr), S_OK) << TakeErrorInfo().description;
    EXPECT_TRUE(PumpUntil([&] { return messenger.Receiver().GetLastSeenId() == 1; }));
}

// A control without a window keeps what a poll read and applies it on its own thread at its
// next poll.
TEST_P(SharedSiteTest, AControlWithoutAWindowAppliesAtItsNextPoll)
{
    ControlRef control;
    control->SetDataSource(GetParam().dataSource);
    control->SetUserName(GetParam().user);
    control->SetPassword(GetParam().password);
    ASSERT_EQ(control->FinalConstruct(), S_OK);
    CShape* line = control->GetShapeMap().CreateShape(stLine, true, true);
    control->GetRootGroup()->AddChild(line, nullptr, 1, false);
    line->SetDatabaseId(565656);
    control->GetShapeMap().SetDbId(565656, line->GetId());
    // The messages are about this drawing's site.
    control->SetSiteId(1);
    CMessenger& messenger = Inner(*control);
    messenger.put_SessionID(1);
    ASSERT_EQ(messenger.ProcessMessages(), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return messenger.Receiver().PendingPolls() == 0; }));

    auto sender = NewSender();
    ASSERT_EQ(sender->SendNow({mtDeleteShapeMessage, 1, 565656, 2}), 0);
    ASSERT_EQ(messenger.ProcessMessages(), S_OK);
    ASSERT_TRUE(WaitWithoutPumping([&] { return messenger.Receiver().PendingPolls() == 0; }));
    EXPECT_EQ(messenger.Receiver().GetLastSeenId(), 1);
    EXPECT_NE(control->GetShapeMap().FindByDbId(565656), nullptr) << "read, not yet applied";
    ASSERT_EQ(messenger.ProcessMessages(), S_OK);
    EXPECT_EQ(control->GetShapeMap().FindByDbId(565656), nullptr);
    ASSERT_TRUE(WaitWithoutPumping([&] { return messenger.Receiver().PendingPolls() == 0; }));
}

// A change that arrives while a long operation owns the shape map waits until the control is
// idle again, and then comes in order with the next tick.
TEST_P(SharedSiteTest, AChangeWaitsForALongOperationToEnd)
{
    HostedSession b(GetParam());
    CYVEXControl& c = *b.control;
    CShapeMap& map = c.GetShapeMap();
    for (int dbId : {717171, 727272}) {
        CShape* line = map.CreateShape(stLine, true, true);
        c.GetRootGroup()->AddChild(line, nullptr, 1, false);
        line->SetDatabaseId(dbId);
        map.SetDbId(dbId, line->GetId());
    }
    ASSERT_TRUE(c.TryCloseGate());
    PostMessageW(c.GetControlWindow(), CYVEXControl::kChangeMessage, mtDeleteShapeMessage, 717171);
    PumpMessages();
    EXPECT_NE(map.FindByDbId(717171), nullptr);
    c.OpenGate();
    PostMessageW(c.GetControlWindow(), CYVEXControl::kChangeMessage, mtDeleteShapeMessage, 727272);
    PumpMessages();
    EXPECT_EQ(map.FindByDbId(717171), nullptr);
    EXPECT_EQ(map.FindByDbId(727272), nullptr);

    // A tick applies what waited too.
    CShape* line = map.CreateShape(stLine, true, true);
    c.GetRootGroup()->AddChild(line, nullptr, 1, false);
    line->SetDatabaseId(737373);
    map.SetDbId(737373, line->GetId());
    ASSERT_TRUE(c.TryCloseGate());
    PostMessageW(c.GetControlWindow(), CYVEXControl::kChangeMessage, mtDeleteShapeMessage, 737373);
    PumpMessages();
    c.OpenGate();
    EXPECT_NE(map.FindByDbId(737373), nullptr);
    ASSERT_EQ(b.Messenger().put_ReceiveTimeout(20), S_OK);
    EXPECT_TRUE(PumpUntil([&] { return map.FindByDbId(737373) == nullptr; }));
}

// B shows a site: a change message about another site leaves B's drawing alone (its shape would
// come in as one of B's, in no group), while a shape that A added to a group of B's site and
// announced comes into that group.
TEST_P(SharedSiteTest, OnlyMessagesOfTheShownSiteComeInAndANewShapeJoinsItsGroup)
{
    HostedSession a(GetParam());
    HostedSession b(GetParam());
    CYVEXControl& ca = *a.control;
    CYVEXControl& cb = *b.control;
    auto* group = static_cast<CGroup*>(ca.GetShapeMap().CreateShape(stGroup, true, true));
    ca.GetRootGroup()->AddChild(group, nullptr, 1, false);
    CShape* first = ca.GetShapeMap().CreateShape(stLine, true, true);
    group->AddChild(first, nullptr, 1, false);
    first->AddPointById(ca.CreatePoint(0, 0), CShape::kAppend, true);
    first->AddPointById(ca.CreatePoint(5, 5), CShape::kAppend, true);
    int shown = 0, other = 0;
    ASSERT_EQ(ca.InsertSiteRow("Shown", &shown), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(ca.StartSaveSiteToDB(shown, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(cb.StartLoadSiteFromDB(shown, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    CShape* bGroup = cb.GetShapeMap().FindByDbId(group->GetDatabaseId());
    ASSERT_NE(bGroup, nullptr);

    // A shape of another site, stored there.
    ControlRef elsewhere;
    elsewhere->SetDataSource(GetParam().dataSource);
    elsewhere->SetUserName(GetParam().user);
    elsewhere->SetPassword(GetParam().password);
    CShape* foreign = elsewhere->GetShapeMap().CreateShape(stLine, true, true);
    elsewhere->GetRootGroup()->AddChild(foreign, nullptr, 1, false);
    foreign->AddPointById(elsewhere->CreatePoint(1, 1), CShape::kAppend, true);
    foreign->AddPointById(elsewhere->CreatePoint(2, 2), CShape::kAppend, true);
    ASSERT_EQ(elsewhere->InsertSiteRow("Elsewhere", &other), S_OK) << TakeErrorInfo().description;
    ASSERT_EQ(elsewhere->StartSaveSiteToDB(other, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    const int foreignRow = foreign->GetDatabaseId();
    ASSERT_GT(foreignRow, 0);

    // A adds a line to its group and stores it alone.
    CShape* added = ca.GetShapeMap().CreateShape(stLine, true, true);
    group->AddChild(added, nullptr, 1, false);
    added->AddPointById(ca.CreatePoint(3, 4), CShape::kAppend, true);
    added->AddPointById(ca.CreatePoint(6, 8), CShape::kAppend, true);
    ASSERT_EQ(ca.SaveShapeToDB(added, 0), S_OK) << TakeErrorInfo().description;
    const int addedRow = added->GetDatabaseId();
    ASSERT_GT(addedRow, 0);

    ASSERT_EQ(b.Messenger().OpenSession(), S_OK);
    ASSERT_EQ(b.Messenger().put_ReceiveTimeout(40), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return b.Messenger().Receiver().GetLastSeenId() >= 0; }));
    auto sender = NewSender();
    ASSERT_EQ(sender->SendNow({mtUpdateShapeMessage, other, foreignRow, 9999}), 0);
    ASSERT_EQ(sender->SendNow({mtUpdateShapeMessage, shown, addedRow, 9999}), 0);
    ASSERT_TRUE(PumpUntil([&] { return cb.GetShapeMap().FindByDbId(addedRow) != nullptr; })) << "B reads A's line";
    CShape* arrived = cb.GetShapeMap().FindByDbId(addedRow);
    EXPECT_EQ(arrived->GetParent(), bGroup) << "in the group A put it in";
    EXPECT_EQ(static_cast<CGroup*>(bGroup)->IndexOfChild(arrived->GetId()) >= 0, true);
    EXPECT_EQ(cb.GetShapeMap().FindByDbId(foreignRow), nullptr) << "a shape of another site stays out";
}

INSTANTIATE_TEST_SUITE_P(Databases, SharedSiteTest, testing::Values(SqliteSites(), PostgresSites()), TargetName());
