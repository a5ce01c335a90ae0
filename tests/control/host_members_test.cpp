// Members of the object model as a host calls them on a control of this program, hosted in a
// window, with its inner objects and every class of the module made from this program's code: a
// shape put into another group leaves its old one (with undo, and stored so), a database ID put by
// the host takes the shape off its old row, the members that touch the drawing wait while a load
// works on it, objects kept past their control and a messenger keeping its control, and a point
// move the host refuses. On the SQLite and the PostgreSQL site databases where a site is stored.
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "automation/Messenger.h"
#include "automation/Site.h"
#include "control/ShapeMap.h"
#include "control/UndoRecorder.h"
#include "model/Group.h"
#include "model/PointPool.h"
#include "model/Shape.h"
#include "com/AnsiText.h"
#include "com/Owners.h"

extern const ycom::ClassEntry g_yvexClasses[];
extern const size_t g_yvexClassCount;

using namespace controltest;
using hosttest::PumpMessages;

namespace {

// OLE and every class of the module in this program, registered with COM for the process: the
// objects a control hands out are this program's.
class ClassesEnvironment : public testing::Environment
{
public:
    void SetUp() override
    {
        OleInitialize(nullptr);
        LoadLibraryW(L"riched32.dll");
        ycom::TheModule().Init(g_yvexClasses, g_yvexClassCount, GetModuleHandleW(nullptr), LIBID_YVEXLib);
        for (size_t i = 0; i < g_yvexClassCount; ++i) {
            IUnknown* factory = nullptr;
            if (SUCCEEDED(ycom::TheModule().GetClassObject(*g_yvexClasses[i].clsid, IID_IUnknown,
                                                            reinterpret_cast<void**>(&factory)))) {
                DWORD cookie = 0;
                CoRegisterClassObject(*g_yvexClasses[i].clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                      &cookie);
                factory->Release();
            }
        }
    }
    void TearDown() override { OleUninitialize(); }
};
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ClassesEnvironment);

DbTarget SqliteSites() { return {"SQLite", SqlDialect::SQLite, "YVEX_SITES", "", ""}; }

DbTarget PostgresSites()
{
    return {"PostgreSQL", SqlDialect::PostgreSQL, EnvOr("YVEX_PG_DSN", "YVEX_PG") + "_SITES",
            EnvOr("YVEX_PG_USER", "yvex"), EnvOr("YVEX_PG_PASSWORD", "yvex")};
}

void Attach(CYVEXControl& c, const DbTarget& target)
{
    c.SetDataSource(target.dataSource);
    c.SetUserName(target.user);
    c.SetPassword(target.password);
}

// A control of this program with its inner objects, hosted in a window of its own.
struct HostedDrawing
{
    explicit HostedDrawing(const DbTarget& target)
    {
        Attach(*control, target);
        EXPECT_EQ(control->FinalConstruct(), S_OK);
        top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                              nullptr, nullptr, nullptr);
        HWND ax = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200, top, nullptr, nullptr,
                                  nullptr);
        EXPECT_EQ(hosttest::Atl().attach(control->GetControllingUnknown(), ax, container.Put()), S_OK);
        PumpMessages();
        EXPECT_EQ(control->get_Site(site.Put()), S_OK);
        EXPECT_EQ(site->get_Shapes(shapes.Put()), S_OK);
    }
    ~HostedDrawing()
    {
        shapes = nullptr;
        site = nullptr;
        if (top)
            DestroyWindow(top);
        PumpMessages();
        container = nullptr;
        control.Reset();
    }
    ycom::ComPtr<IShape> Shape(LONG id)
    {
        ycom::ComPtr<IShape> shape;
        EXPECT_EQ(shapes->get_ItemByID(id, shape.Put()), S_OK);
        return shape;
    }
    int SaveNew(const char* name)
    {
        int siteId = 0;
        EXPECT_EQ(control->InsertSiteRow(name, &siteId), S_OK) << TakeErrorInfo().description;
        EXPECT_EQ(control->StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
        return siteId;
    }
    ycom::ComPtr<IOleUndoManager> Manager()
    {
        ycom::ComPtr<IUnknown> unknown;
        ycom::ComPtr<IOleUndoManager> manager;
        if (SUCCEEDED(control->get_OleUndoManager(unknown.Put())) && unknown)
            unknown->QueryInterface(IID_IOleUndoManager, manager.PutVoid());
        return manager;
    }
    int UndoableCount()
    {
        ycom::ComPtr<IEnumOleUndoUnits> units;
        ycom::ComPtr<IOleUndoManager> manager = Manager();
        if (!manager || FAILED(manager->EnumUndoable(units.Put())) || !units)
            return -1;
        int count = 0;
        IOleUndoUnit* unit = nullptr;
        while (units->Next(1, &unit, nullptr) == S_OK) {
            unit->Release();
            ++count;
        }
        return count;
    }

    ControlRef control;
    ycom::ComPtr<IUnknown> container;
    ycom::ComPtr<ISite> site;
    ycom::ComPtr<IShapeCollection> shapes;
    HWND top = nullptr;
};

// Pumps this thread's messages until the control is idle or the time is out.
bool PumpUntilIdle(CYVEXControl& control, DWORD milliseconds = 60000)
{
    const DWORD start = GetTickCount();
    while (!control.IsIdle()) {
        PumpMessages();
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(5);
    }
    // The worker ends after it gave the gate back.
    Sleep(20);
    PumpMessages();
    return true;
}

class HostMembers : public testing::TestWithParam<DbTarget>
{
protected:
    void SetUp() override { ASSERT_TRUE(hosttest::Atl().attach) << "atl.dll with AtlAxAttachControl"; }
    MessageBoxRecorder boxes;
};

class KeptObjects : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(hosttest::Atl().attach) << "atl.dll with AtlAxAttachControl"; }
    MessageBoxRecorder boxes;
};

} // namespace

// IShapeCollection::AddShape puts a shape into the collection's group and takes it out of the
// group that held it: one undo puts it back there, redo here again. Stored, it is one shape in
// its new group; the two groups deleted one after the other take it along once, and the site
// saved then holds neither.
TEST_P(HostMembers, AShapePutIntoAnotherGroupLeavesItsOldOne)
{
    HostedDrawing h(GetParam());
    CYVEXControl& c = *h.control;
    LONG first = 0, second = 0, line = 0;
    ASSERT_EQ(h.shapes->AddGroup(stGroup, &first), S_OK);
    ASSERT_EQ(h.shapes->AddGroup(stGroup, &second), S_OK);
    ycom::ComPtr<IShapeCollection> inFirst, inSecond;
    ASSERT_EQ(h.Shape(first)->get_Shapes(inFirst.Put()), S_OK);
    ASSERT_EQ(h.Shape(second)->get_Shapes(inSecond.Put()), S_OK);
    ASSERT_EQ(inFirst->AddLine(0, 0, 4, 4, &line), S_OK);
    // The move is a step of its own.
    c.GetUndoRecorder()->EndCurrentUnit(true);
    auto children = [&](LONG group) { return c.FindGroup(group)->GetShapeCount(); };
    auto parent = [&]() { return c.FindShape(line)->GetParent()->GetId(); };

    ASSERT_EQ(inSecond->AddShape(line), S_OK);
    EXPECT_EQ(children(first), 0) << "the old group lets it go";
    EXPECT_EQ(children(second), 1);
    EXPECT_EQ(parent(), second);
    LONG count = -1;
    ASSERT_EQ(inFirst->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);

    ASSERT_EQ(h.Manager()->UndoTo(nullptr), S_OK);
    EXPECT_EQ(children(first), 1);
    EXPECT_EQ(children(second), 0);
    EXPECT_EQ(parent(), first);
    ASSERT_EQ(h.Manager()->RedoTo(nullptr), S_OK);
    EXPECT_EQ(children(first), 0);
    EXPECT_EQ(children(second), 1);
    EXPECT_EQ(parent(), second);

    const int siteId = h.SaveNew("Moved");
    const int secondRow = c.FindShape(second)->GetDatabaseId();
    ControlRef reader;
    Attach(*reader, GetParam());
    ASSERT_EQ(reader->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    int lines = 0;
    for (const auto& entry : reader->GetShapeMap().Shapes())
        if (entry.first >= 12 && entry.second->GetShapeType() == stLine) {
            ++lines;
            EXPECT_EQ(entry.second->GetParent()->GetDatabaseId(), secondRow);
        }
    EXPECT_EQ(lines, 1);

    ASSERT_EQ(h.shapes->DeleteByID(first), S_OK);
    EXPECT_NE(c.FindShape(line), nullptr) << "the line was no longer the first group's";
    ASSERT_EQ(h.shapes->DeleteByID(second), S_OK);
    EXPECT_EQ(c.FindShape(line), nullptr);
    ASSERT_EQ(c.StartSaveSiteToDB(siteId, DXFMODE_FOREGROUND, nullptr), S_OK) << TakeErrorInfo().description;
    ControlRef after;
    Attach(*after, GetParam());
    ASSERT_EQ(after->StartLoadSiteFromDB(siteId, DXFMODE_FOREGROUND), S_OK) << TakeErrorInfo().description;
    for (const auto& entry : after->GetShapeMap().Shapes())
        EXPECT_LT(entry.first, 12) << "shape of type " << entry.second->GetShapeType() << " left";
}

// While a load works on the drawing on its worker (held there: its first report waits for this
// thread), every member that would touch the shapes, points or settings answers "Operation is
// in progress." (S_FALSE) and changes nothing; an enumeration neither starts nor goes on. Once
// the load is over they work again.
TEST_P(HostMembers, MembersWaitWhileALoadWorksOnTheDrawing)
{
    HostedDrawing h(GetParam());
    CYVEXControl& c = *h.control;
    LONG lineId = 0, polylineId = 0;
    ASSERT_EQ(h.shapes->AddLine(0, 0, 4, 4, &lineId), S_OK);
    ASSERT_EQ(h.shapes->AddPolyline(10, 0, 14, 4, &polylineId), S_OK);
    const int siteId = h.SaveNew("Busy");
    ycom::ComPtr<IShape> line = h.Shape(lineId);
    ycom::ComPtr<IPointCollection> points;
    ASSERT_EQ(line->get_Points(points.Put()), S_OK);
    ycom::ComPtr<IPoint> point;
    ASSERT_EQ(points->get_Item(1, point.Put()), S_OK);
    LONG pointId = 0;
    ASSERT_EQ(point->get_ID(&pointId), S_OK);
    ycom::ComPtr<IPointCollection> polylinePoints;
    ASSERT_EQ(h.Shape(polylineId)->get_Points(polylinePoints.Put()), S_OK);
    ycom::ComPtr<IPolylinePointCollection> polyline;
    ASSERT_EQ(polylinePoints->QueryInterface(IID_IPolylinePointCollection, polyline.PutVoid()), S_OK);
    ycom::ComPtr<ILinkedPointCollection> linked;
    ASSERT_EQ(line->get_LinkedPoints(linked.Put()), S_OK);
    ycom::ComPtr<IUnknown> started;
    ASSERT_EQ(h.shapes->get__NewEnum(started.Put()), S_OK);
    ycom::ComPtr<IEnumVARIANT> walk;
    ASSERT_EQ(started->QueryInterface(IID_IEnumVARIANT, walk.PutVoid()), S_OK);
    const OLE_COLOR colour = [&] {
        OLE_COLOR value = 0;
        line->get_PenColor(&value);
        return value;
    }();

    ASSERT_EQ(c.StartLoadSiteFromDB(siteId, 0), S_OK) << TakeErrorInfo().description;
    ASSERT_FALSE(c.IsIdle());
    struct Case
    {
        const char* member;
        std::function<HRESULT()> call;
    };
    float dx = 1.0f, dy = 1.0f;
    const Case cases[] = {
        {"IShape::PenColor", [&] { return line->put_PenColor(0x123456); }},
        {"IShape::ID", [&] { return line->put_ID(5000); }},
        {"IShape::Points", [&] {
             ycom::ComPtr<IPointCollection> again;
             return line->get_Points(again.Put());
         }},
        {"IPoint::X", [&] { return point->put_X(3.0f); }},
        {"IPoint::ID", [&] { return point->put_ID(90000); }},
        {"IPoint::Shift", [&] { return point->Shift(0, &dx, &dy); }},
        {"IPolylinePointCollection::AddPoint", [&] { return polyline->AddPoint(1, pointId); }},
        {"ILinkedPointCollection::AddPoint", [&] { return linked->AddPoint(pointId); }},
        {"ISite::Clear", [&] { return h.site->Clear(); }},
        {"IShapeCollection::_NewEnum", [&] {
             ycom::ComPtr<IUnknown> enumerator;
             const HRESULT hr = h.shapes->get__NewEnum(enumerator.Put());
             return enumerator ? E_UNEXPECTED : hr;
         }},
        {"IShapeCollection::Item", [&] {
             ycom::ComPtr<IShape> item;
             const HRESULT hr = h.shapes->get_Item(1, item.Put());
             return item ? E_UNEXPECTED : hr;
         }},
        {"IEnumVARIANT::Next", [&] {
             VARIANT item;
             VariantInit(&item);
             ULONG fetched = 7;
             const HRESULT hr = walk->Next(1, &item, &fetched);
             VariantClear(&item);
             return fetched != 0 ? E_UNEXPECTED : hr;
         }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.member);
        c.SetLastError(0, "");
        EXPECT_EQ(k.call(), S_FALSE);
        EXPECT_EQ(c.GetLastErrorText(), "Operation is in progress.");
        EXPECT_EQ(TakeErrorInfo().description, "Operation is in progress.");
    }
    ASSERT_TRUE(PumpUntilIdle(c));

    // The drawing is the loaded one; its members work again.
    ycom::ComPtr<IShape> first;
    ASSERT_EQ(h.shapes->get_Item(1, first.Put()), S_OK);
    LONG loadedLine = 0;
    for (const auto& entry : c.GetShapeMap().Shapes())
        if (entry.second->GetShapeType() == stLine && entry.first >= 12)
            loadedLine = entry.first;
    ASSERT_NE(loadedLine, 0);
    ycom::ComPtr<IShape> again = h.Shape(loadedLine);
    OLE_COLOR value = 0;
    ASSERT_EQ(again->get_PenColor(&value), S_OK);
    EXPECT_EQ(value, colour) << "the refused change was not made";
    EXPECT_EQ(again->put_PenColor(0x123456), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Databases, HostMembers, testing::Values(SqliteSites(), PostgresSites()), TargetName());

// A database ID put by the host moves the shape's entry in the index of rows: a message about the
// row it stood for leaves it alone, one about its new row reaches it.
TEST_F(KeptObjects, ADatabaseIdPutByTheHostTakesTheShapeOffItsOldRow)
{
    HostedDrawing h(SqliteSites());
    LONG lineId = 0;
    ASSERT_EQ(h.shapes->AddLine(0, 0, 1, 1, &lineId), S_OK);
    ycom::ComPtr<IShape> line = h.Shape(lineId);
    ASSERT_EQ(line->put_DatabaseID(880001), S_OK);
    ASSERT_EQ(line->put_DatabaseID(880002), S_OK);
    EXPECT_EQ(h.control->GetShapeMap().FindByDbId(880001), nullptr);
    ycom::ComPtr<IMessenger> messenger;
    ASSERT_EQ(h.control->get_Messenger(messenger.Put()), S_OK);
    EXPECT_EQ(messenger->ProcessDeleteShapeMessage(880001), S_FALSE);
    EXPECT_NE(h.control->FindShape(lineId), nullptr) << "a delete of its old row left it";
    EXPECT_EQ(messenger->ProcessDeleteShapeMessage(880002), S_OK);
    EXPECT_EQ(h.control->FindShape(lineId), nullptr);
}

// A site object kept past its control answers as an unattached one, CreateBlock included.
TEST_F(KeptObjects, ASiteKeptPastItsControlCreatesNoBlock)
{
    ycom::ComPtr<ISite> site;
    ASSERT_EQ(ycom::CreateInstance<CSite>(nullptr, IID_ISite, site.PutVoid()), S_OK);
    {
        ControlRef control;
        ASSERT_EQ(site->_Init(control->Handle()), S_OK);
        VARIANT_BOOL editing = VARIANT_TRUE;
        EXPECT_EQ(site->IsEditingBlock(&editing), S_OK) << "attached while the control lives";
    }
    LONG block = 0, reference = 0;
    BSTR name = SysAllocString(L"Gone");
    EXPECT_EQ(site->CreateBlock(name, &block, 0, &reference, 0, 0, VARIANT_FALSE), E_ACCESSDENIED);
    EXPECT_EQ(block, 0);
    SysFreeString(name);
}

// A messenger a host makes keeps the control it is attached to: the control lives while the
// messenger does, and goes with it.
TEST_F(KeptObjects, AMessengerOfTheHostKeepsItsControl)
{
    ycom::ComPtr<IMessenger> messenger;
    ASSERT_EQ(ycom::CreateInstance<CMessenger>(nullptr, IID_IMessenger, messenger.PutVoid()), S_OK);
    LONG_PTR handle = 0;
    {
        ControlRef control;
        handle = control->Handle();
        ASSERT_EQ(messenger->put__YVEXControl(handle), S_OK);
    }
    EXPECT_NE(CYVEXControl::FromHandle(handle), nullptr) << "the messenger's control is still there";
    EXPECT_EQ(messenger->ProcessDeleteShapeMessage(424242), S_FALSE);
    messenger = nullptr;
    EXPECT_EQ(CYVEXControl::FromHandle(handle), nullptr) << "and goes with the messenger";
}

// A point move the host refuses (OnShiftPoint) changes nothing: the point stays, the site is not
// marked changed, and no step is added to undo.
TEST_F(KeptObjects, ARefusedPointMoveLeavesNoTrace)
{
    HostedDrawing h(SqliteSites());
    CYVEXControl& c = *h.control;
    LONG lineId = 0;
    ASSERT_EQ(h.shapes->AddLine(0, 0, 4, 4, &lineId), S_OK);
    ycom::ComPtr<IPointCollection> points;
    ASSERT_EQ(h.Shape(lineId)->get_Points(points.Put()), S_OK);
    ycom::ComPtr<IPoint> point;
    ASSERT_EQ(points->get_Item(1, point.Put()), S_OK);
    c.GetUndoRecorder()->EndCurrentUnit(true);
    EventSink sink(VARIANT_FALSE);
    Connection events(c.GetControllingUnknown(), &sink);
    ASSERT_EQ(c.put_FireEvents(VARIANT_TRUE), S_OK);
    c.SetModified(false);
    const int steps = h.UndoableCount();

    float dx = 2.0f, dy = 3.0f;
    EXPECT_EQ(point->Shift(0, &dx, &dy), S_FALSE);
    ASSERT_FALSE(sink.calls.empty());
    EXPECT_EQ(sink.calls.back().id, cetOnShiftPoint);
    float x = -1, y = -1;
    point->get_X(&x);
    point->get_Y(&y);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    EXPECT_FALSE(c.IsModified());
    EXPECT_EQ(h.UndoableCount(), steps);

    // Agreed, the move is made and is one step.
    sink.answer = VARIANT_TRUE;
    EXPECT_EQ(point->Shift(0, &dx, &dy), S_OK);
    point->get_X(&x);
    EXPECT_EQ(x, 2.0f);
    EXPECT_TRUE(c.IsModified());
    EXPECT_EQ(h.UndoableCount(), steps + 1);
}
