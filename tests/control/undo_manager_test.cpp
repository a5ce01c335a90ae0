// The control's undo manager with its stacks, queue length, states and enumerators; the parent
// unit; IYVEXUndo on the control object.
#include "tests/control/UndoTestSupport.h"
#include "control/ParentUndoUnit.h"
#include "control/YVEXControl.h"
#include "tests/control/HostDoubles.h"

using namespace undotest;

namespace {

struct ManagerTest : ::testing::Test
{
    ManagerTest() { manager = ycom::NewObject<CUndoManager>(); }
    // Adds units named `prefix` + number, oldest first.
    void AddUnits(int count, const wchar_t* prefix = L"u")
    {
        for (int i = 0; i < count; ++i)
            manager->Add(NewUnit(prefix + std::to_wstring(i), &log).Get());
    }
    ycom::ComPtr<ycom::ComObject<CUndoManager>> manager;
    std::vector<std::wstring> log;
};

} // namespace

TEST_F(ManagerTest, TheQueueKeepsTheNewestHundred)
{
    AddUnits(101);
    ASSERT_EQ(manager->UndoStack().size(), 100u);
    EXPECT_EQ(Names(manager->UndoStack()).front(), L"u100");
    EXPECT_EQ(Names(manager->UndoStack()).back(), L"u1") << "the first unit recorded is gone";
    LONG length = 0;
    EXPECT_EQ(manager->get_QueueMaxLength(&length), S_OK);
    EXPECT_EQ(length, 100);
    EXPECT_EQ(manager->get_QueueMaxLength(nullptr), E_INVALIDARG);
}

TEST_F(ManagerTest, QueueLengthBelowTwoMeansAHundredAndTwoKeepsTwoPerStack)
{
    struct Case
    {
        LONG put, got;
    };
    for (Case c : {Case{1, 100}, Case{0, 100}, Case{-5, 100}, Case{2, 2}, Case{250, 250}}) {
        ASSERT_EQ(manager->put_QueueMaxLength(c.put), S_OK);
        LONG length = 0;
        manager->get_QueueMaxLength(&length);
        EXPECT_EQ(length, c.got) << "put " << c.put;
    }
    manager->put_QueueMaxLength(2);
    AddUnits(3);
    EXPECT_EQ(Names(manager->UndoStack()), (std::vector<std::wstring>{L"u2", L"u1"}));
    // Undoing both fills the redo stack with two inverses; one more undo step adds none.
    ASSERT_EQ(manager->UndoTo(manager->UndoStack().back().Get()), S_OK);
    EXPECT_EQ(Names(manager->RedoStack()), (std::vector<std::wstring>{L"u1'", L"u2'"}));
    EXPECT_TRUE(manager->UndoStack().empty());
}

TEST_F(ManagerTest, ANewUnitEmptiesTheRedoStackUnlessItComesFromRedoing)
{
    AddUnits(2); // u1 on top of u0
    ASSERT_EQ(manager->UndoTo(manager->UndoStack().back().Get()), S_OK);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"u1", L"u0"}));
    EXPECT_EQ(Names(manager->RedoStack()), (std::vector<std::wstring>{L"u0'", L"u1'"}));

    // Redoing one adds its inverse to the undo stack and leaves the other redo step.
    ASSERT_EQ(manager->RedoTo(nullptr), S_OK);
    EXPECT_EQ(Names(manager->UndoStack()), (std::vector<std::wstring>{L"u0''"}));
    EXPECT_EQ(Names(manager->RedoStack()), (std::vector<std::wstring>{L"u1'"}));

    // A unit of a new change, while idle, empties the redo stack.
    manager->Add(NewUnit(L"new", &log).Get());
    EXPECT_EQ(Names(manager->UndoStack()), (std::vector<std::wstring>{L"new", L"u0''"}));
    EXPECT_TRUE(manager->RedoStack().empty());
    EXPECT_EQ(manager->GetState(), CUndoManager::stIdle);
}

TEST_F(ManagerTest, UndoToRefusesForeignUnitsAndEmptyStacksAndChangesNothing)
{
    AddUnits(2);
    LoggedUnitPtr foreign = NewUnit(L"foreign", &log);
    EXPECT_EQ(manager->UndoTo(foreign.Get()), E_INVALIDARG);
    EXPECT_EQ(manager->RedoTo(manager->UndoStack().front().Get()), E_INVALIDARG) << "not on the redo stack";
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager->UndoStack().size(), 2u);
    EXPECT_TRUE(manager->RedoStack().empty());
    EXPECT_EQ(manager->GetState(), CUndoManager::stIdle);
    EXPECT_EQ(manager->RedoTo(nullptr), E_INVALIDARG) << "empty redo stack";
    manager->DiscardFrom(nullptr);
    EXPECT_EQ(manager->UndoTo(nullptr), E_INVALIDARG) << "empty undo stack";
    EXPECT_TRUE(log.empty());
}

TEST_F(ManagerTest, AnAbortingUnitFailsTheStepButEveryUnitRuns)
{
    LoggedUnitPtr a = NewUnit(L"a", &log), b = NewUnit(L"b", &log), c = NewUnit(L"c", &log);
    b->result = E_ABORT;
    for (auto* u : {a.Get(), b.Get(), c.Get()})
        manager->Add(u);
    EXPECT_EQ(manager->UndoTo(a.Get()), E_FAIL);
    EXPECT_EQ(log, (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_TRUE(manager->UndoStack().empty());
    // Another failure stays what it is.
    manager->Add(c.Get());
    c->result = E_OUTOFMEMORY;
    EXPECT_EQ(manager->UndoTo(nullptr), E_OUTOFMEMORY);
}

TEST_F(ManagerTest, AddTellsTheTopUnitAndDiscardFromDropsTheOlderOnes)
{
    LoggedUnitPtr a = NewUnit(L"a", &log), b = NewUnit(L"b", &log), c = NewUnit(L"c", &log);
    manager->Add(a.Get());
    manager->Add(b.Get());
    manager->Add(c.Get());
    EXPECT_EQ(a->nextAdds, 1);
    EXPECT_EQ(b->nextAdds, 1);
    EXPECT_EQ(c->nextAdds, 0);
    EXPECT_EQ(manager->DiscardFrom(b.Get()), S_OK);
    EXPECT_EQ(Names(manager->UndoStack()), (std::vector<std::wstring>{L"c"}));
    EXPECT_EQ(manager->DiscardFrom(a.Get()), E_INVALIDARG);
    EXPECT_EQ(manager->Add(nullptr), E_INVALIDARG);
    EXPECT_EQ(manager->DiscardFrom(nullptr), S_OK);
    EXPECT_TRUE(manager->UndoStack().empty());
}

TEST_F(ManagerTest, ADisabledManagerKeepsNothingAndAnswersUnexpected)
{
    AddUnits(1);
    ASSERT_EQ(manager->Enable(FALSE), S_OK);
    LoggedUnitPtr kept = NewUnit(L"x", &log);
    EXPECT_EQ(manager->Add(kept.Get()), S_OK);
    auto parent = ycom::NewObject<CParentUndoUnit>();
    EXPECT_EQ(manager->Open(parent.Get()), S_OK);
    EXPECT_EQ(manager->GetOpenParent(), nullptr);
    EXPECT_EQ(manager->Close(parent.Get(), TRUE), S_OK);
    DWORD state = 0;
    EXPECT_EQ(manager->GetOpenParentState(&state), S_OK);
    EXPECT_EQ(state, static_cast<DWORD>(UAS_BLOCKED));
    EXPECT_EQ(manager->DiscardFrom(nullptr), E_UNEXPECTED);
    EXPECT_EQ(manager->UndoTo(nullptr), E_UNEXPECTED);
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(manager->GetLastUndoDescription(&text), E_UNEXPECTED);
    EXPECT_EQ(text, nullptr);
    ycom::ComPtr<IEnumOleUndoUnits> units;
    EXPECT_EQ(manager->EnumUndoable(units.Put()), S_OK) << "enumerating ignores the switch";
    // Switching back on finds the stack as it was.
    manager->Enable(TRUE);
    EXPECT_EQ(Names(manager->UndoStack()), (std::vector<std::wstring>{L"u0"}));
    EXPECT_EQ(manager->GetLastUndoDescription(&text), S_OK);
    EXPECT_STREQ(text, L"u0");
    SysFreeString(text);
    EXPECT_EQ(manager->GetLastRedoDescription(&text), E_FAIL) << "empty redo stack";
}

TEST_F(ManagerTest, AnOpenParentCollectsTheUnitsOfOneStep)
{
    auto parent = ycom::NewObject<CParentUndoUnit>();
    auto inner = ycom::NewObject<CParentUndoUnit>();
    DWORD state = 7;
    EXPECT_EQ(manager->GetOpenParentState(&state), S_FALSE) << "nothing open";
    EXPECT_EQ(manager->Close(parent.Get(), TRUE), S_FALSE);
    EXPECT_EQ(manager->Open(nullptr), E_POINTER);
    ASSERT_EQ(manager->Open(parent.Get()), S_OK);
    ASSERT_EQ(manager->Open(inner.Get()), S_OK) << "opens inside the open parent";
    EXPECT_EQ(parent->GetOpenChild(), static_cast<IOleParentUndoUnit*>(inner.Get()));
    LoggedUnitPtr a = NewUnit(L"a", &log), b = NewUnit(L"b", &log);
    manager->Add(a.Get());
    EXPECT_EQ(inner->GetChildCount(), 1u);
    EXPECT_EQ(manager->GetOpenParentState(&state), S_OK);
    EXPECT_EQ(state, 0u);
    EXPECT_EQ(manager->Close(nullptr, TRUE), E_INVALIDARG) << "not the open unit";
    EXPECT_EQ(manager->Close(inner.Get(), TRUE), S_OK);
    manager->Add(b.Get());
    EXPECT_EQ(a->nextAdds, 1) << "the newest child, the closed parent, passes it on";
    EXPECT_EQ(parent->GetChildCount(), 2u);
    EXPECT_EQ(parent->FindUnit(b.Get()), S_OK);
    EXPECT_EQ(parent->FindUnit(static_cast<IOleParentUndoUnit*>(inner.Get())), S_OK);
    EXPECT_EQ(parent->FindUnit(a.Get()), S_FALSE) << "a child of a child is not found";
    EXPECT_TRUE(manager->UndoStack().empty());
    EXPECT_EQ(manager->Close(parent.Get(), TRUE), S_OK);
    EXPECT_EQ(manager->UndoStack().size(), 1u) << "one step";
    EXPECT_EQ(manager->GetOpenParent(), nullptr);
    // A parent closed without commit leaves nothing.
    auto dropped = ycom::NewObject<CParentUndoUnit>();
    manager->Open(dropped.Get());
    manager->Add(NewUnit(L"c", &log).Get());
    EXPECT_EQ(manager->Close(dropped.Get(), FALSE), S_OK);
    EXPECT_EQ(manager->UndoStack().size(), 1u);
}

TEST_F(ManagerTest, EnumeratorsWalkNewestFirst)
{
    AddUnits(3);
    ycom::ComPtr<IEnumOleUndoUnits> units;
    EXPECT_EQ(manager->EnumUndoable(nullptr), E_POINTER);
    ASSERT_EQ(manager->EnumUndoable(units.Put()), S_OK);
    IOleUndoUnit* got[4] = {};
    EXPECT_EQ(units->Next(2, got, nullptr), E_POINTER) << "more than one unit needs the fetched count";
    EXPECT_EQ(units->Next(1, nullptr, nullptr), E_POINTER);
    ASSERT_EQ(units->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0], manager->UndoStack()[0].Get());
    got[0]->Release();
    ycom::ComPtr<IEnumOleUndoUnits> clone;
    ASSERT_EQ(units->Clone(clone.Put()), S_OK);
    ULONG fetched = 0;
    EXPECT_EQ(units->Next(4, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(got[1], manager->UndoStack()[2].Get());
    got[0]->Release();
    got[1]->Release();
    EXPECT_EQ(clone->Skip(1), S_OK) << "the clone stood at the second unit";
    EXPECT_EQ(clone->Next(1, got, &fetched), S_OK);
    EXPECT_EQ(got[0], manager->UndoStack()[2].Get());
    got[0]->Release();
    EXPECT_EQ(clone->Skip(1), S_FALSE);
    EXPECT_EQ(clone->Reset(), S_OK);
    EXPECT_EQ(clone->Skip(3), S_OK);
    ycom::ComPtr<IEnumOleUndoUnits> redo;
    ASSERT_EQ(manager->EnumRedoable(redo.Put()), S_OK);
    EXPECT_EQ(redo->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
}

// --- IYVEXUndo -----------------------------------------------------------------------------------

namespace {

// The control object with the undo support of its final construction and the fixed groups.
struct ControlTest : ::testing::Test
{
    ControlTest()
    {
        control = new ycom::ComObject<CYVEXControl>();
        control->InternalAddRef();
        EXPECT_EQ(control->CreateUndoManager(), S_OK);
        control->QueryInterface(IID_IYVEXUndo, undo.PutVoid());
    }
    ~ControlTest() override
    {
        undo.Reset();
        control->Release();
    }
    ycom::ComObject<CYVEXControl>* control;
    ycom::ComPtr<IYVEXUndo> undo;
};

} // namespace

TEST_F(ControlTest, ANewControlRecordsIntoAManagerOfItsOwn)
{
    ASSERT_TRUE(undo);
    ycom::ComPtr<IUnknown> manager;
    ASSERT_EQ(undo->get_OleUndoManager(manager.Put()), S_OK);
    ASSERT_TRUE(manager);
    ycom::ComPtr<IOleUndoManager> ole;
    EXPECT_EQ(manager.QueryTo(IID_IOleUndoManager, ole), S_OK);
    ycom::ComPtr<IYVEXOleUndoManagerEx> ex;
    EXPECT_EQ(manager.QueryTo(IID_IYVEXOleUndoManagerEx, ex), S_OK);
    VARIANT_BOOL enabled = VARIANT_FALSE;
    EXPECT_EQ(undo->get_UndoEnabled(&enabled), S_OK);
    EXPECT_EQ(enabled, VARIANT_TRUE);
    LONG length = 0;
    EXPECT_EQ(undo->get_QueueMaxLength(&length), S_OK);
    EXPECT_EQ(length, 100);
    // Lengths below 2 set 100, through the interface and through the manager's own.
    for (LONG put : {1L, 7L, -3L}) {
        EXPECT_EQ(undo->put_QueueMaxLength(put), S_OK);
        LONG viaManager = 0;
        ex->get_QueueMaxLength(&viaManager);
        EXPECT_EQ(viaManager, put > 1 ? put : 100);
    }
    for (auto check : {undo->get_OleUndoManager(nullptr), undo->get_UndoEnabled(nullptr),
                       undo->get_QueueMaxLength(nullptr), undo->get_LastOperation(nullptr),
                       undo->get_OpenedOperation(nullptr)})
        EXPECT_EQ(check, E_INVALIDARG);
}

TEST_F(ControlTest, UndoEnabledCountsItsSwitches)
{
    VARIANT_BOOL enabled = VARIANT_FALSE;
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), S_FALSE) << "already on";
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_FALSE), S_OK);
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), S_OK);
    undo->get_UndoEnabled(&enabled);
    EXPECT_EQ(enabled, VARIANT_FALSE) << "switched off twice: one switch on is not enough";
    EXPECT_TRUE(control->GetUndoRecorder()->IsSuspended());
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), S_OK);
    undo->get_UndoEnabled(&enabled);
    EXPECT_EQ(enabled, VARIANT_TRUE);
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), S_FALSE);

    // Without a manager (an object that is none) nothing records, and switching on is refused.
    auto notAManager = ycom::NewObject<CParentUndoUnit>();
    EXPECT_EQ(undo->put_OleUndoManager(static_cast<IOleParentUndoUnit*>(notAManager.Get())), S_OK);
    ycom::ComPtr<IUnknown> none;
    undo->get_OleUndoManager(none.Put());
    EXPECT_FALSE(none);
    undo->get_UndoEnabled(&enabled);
    EXPECT_EQ(enabled, VARIANT_FALSE);
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), E_INVALIDARG);
    LONG length = 5;
    undo->get_QueueMaxLength(&length);
    EXPECT_EQ(length, 0) << "no manager, no length";
    EXPECT_EQ(undo->put_QueueMaxLength(10), S_OK);

    // Without a recorder every member answers E_POINTER.
    control->SetUndoRecorder(nullptr);
    EXPECT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), E_POINTER);
    EXPECT_EQ(undo->get_UndoEnabled(&enabled), E_POINTER);
    EXPECT_EQ(undo->put_OleUndoManager(nullptr), E_POINTER);
    EXPECT_EQ(undo->get_QueueMaxLength(&length), E_POINTER);
}

TEST_F(ControlTest, AHostsOwnManagerReceivesOpenAddAndClose)
{
    CGroup* root = new CGroup(BASE_ID, control);
    control->GetShapeMap().Insert(root);
    auto* selection = new CSelectionGroup(SELECTION_ID, control);
    control->GetShapeMap().Insert(selection);
    CShape* a = control->GetShapeMap().CreateShape(stPolyline, true, true);
    CShape* b = control->GetShapeMap().CreateShape(stPolyline, true, true);
    root->AddChild(a, nullptr, 1, false);
    root->AddChild(b, nullptr, 1, false);
    selection->AddChild(a, nullptr, 0, false);

    auto host = ycom::NewObject<hosttest::HostUndoManager>();
    ASSERT_EQ(undo->put_OleUndoManager(static_cast<IOleUndoManager*>(host.Get())), S_OK);
    ycom::ComPtr<IUnknown> got;
    undo->get_OleUndoManager(got.Put());
    EXPECT_TRUE(IsSameObject(got.Get(), static_cast<IOleUndoManager*>(host.Get())));
    EXPECT_EQ(selection->BringSelectionToFront(true, false), 0);
    EXPECT_EQ(host->calls, (std::vector<std::string>{"Open", "Add 6", "Close commit"}));
    YVEXOperation last = opChange, opened = opChange;
    EXPECT_EQ(undo->get_LastOperation(&last), S_OK);
    EXPECT_EQ(undo->get_OpenedOperation(&opened), S_OK);
    EXPECT_EQ(last, opProperties);
    EXPECT_EQ(opened, opProperties);
    ASSERT_EQ(host->kept.size(), 2u);
    // The parent unit reports its kind with bit 0x100.
    ycom::ComPtr<IOleUndoUnit> parent;
    ASSERT_EQ(host->kept[0].QueryTo(IID_IOleUndoUnit, parent), S_OK);
    CLSID clsid = CLSID_NULL;
    LONG type = 0;
    EXPECT_EQ(parent->GetUnitType(&clsid, &type), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_YVEXControl));
    EXPECT_EQ(type, opProperties | 0x100);
}
