// The COM framework on its own: object forms and aggregation, interface-map order, the
// connection point's sink array, both enumerator kinds, the registry-script registrar, and
// the property stream of a small windowed test control.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>
#include "com/Collections.h"
#include "com/ComObject.h"
#include "com/ConnectionPoints.h"
#include "com/Control.h"
#include "com/Enumerators.h"
#include "com/Module.h"
#include "com/Registrar.h"

using namespace ycom;

namespace {

// {6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F11}
const CLSID CLSID_TestControl = {0x6d1f7c6a, 0x2b0e, 0x4c51, {0x9a, 0x57, 0x0c, 0x3e, 0x4b, 0x8d, 0x2f, 0x11}};
// {6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F12}
const CLSID CLSID_TestPage = {0x6d1f7c6a, 0x2b0e, 0x4c51, {0x9a, 0x57, 0x0c, 0x3e, 0x4b, 0x8d, 0x2f, 0x12}};
// {6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F13}
const IID DIID_TestEvents = {0x6d1f7c6a, 0x2b0e, 0x4c51, {0x9a, 0x57, 0x0c, 0x3e, 0x4b, 0x8d, 0x2f, 0x13}};

// A plain object with two interfaces.
class CInner : public ObjectRoot, public IPersist, public IOleWindow {
public:
    static LONG s_alive;
    CInner() { ++s_alive; }
    ~CInner() { --s_alive; }
    BEGIN_INTERFACE_MAP(CInner)
        INTERFACE_ENTRY(IPersist)
        INTERFACE_ENTRY(IOleWindow)
    END_INTERFACE_MAP()
    STDMETHODIMP GetClassID(CLSID* id) override { *id = CLSID_TestPage; return S_OK; }
    STDMETHODIMP GetWindow(HWND* w) override { *w = nullptr; return E_FAIL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};
LONG CInner::s_alive = 0;

// An outer object that aggregates CInner for IPersist; IOleWindow is not passed on.
class COuter : public ObjectRoot, public IServiceProvider {
public:
    BEGIN_INTERFACE_MAP(COuter)
        INTERFACE_ENTRY(IServiceProvider)
        INTERFACE_ENTRY_AGGREGATE(IID_IPersist, m_inner)
        INTERFACE_ENTRY_AGGREGATE(IID_IPersistStream, m_missing)
    END_INTERFACE_MAP()
    HRESULT FinalConstruct() { return CreateInstance<CInner>(GetControllingUnknown(), IID_IUnknown, reinterpret_cast<void**>(&m_inner)); }
    void FinalRelease() { if (m_inner) m_inner->Release(); }
    STDMETHODIMP QueryService(REFGUID, REFIID, void**) override { return E_NOTIMPL; }
    IUnknown* m_inner = nullptr;
    IUnknown* m_missing = nullptr;
};

ULONG RefCount(IUnknown* unk)
{
    unk->AddRef();
    return unk->Release();
}

} // namespace

TEST(Objects, PlainFormCountsReferencesAndLocksTheModule)
{
    const LONG locks = TheModule().LockCount();
    IPersist* persist = nullptr;
    ASSERT_EQ(CreateInstance<CInner>(nullptr, IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(TheModule().LockCount(), locks + 1);
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
    IOleWindow* window = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a, b) << "one identity whichever interface is asked";
    b->Release();
    EXPECT_EQ(persist->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&b)), E_NOINTERFACE);
    EXPECT_EQ(b, nullptr);
    a->Release();
    window->Release();
    EXPECT_EQ(RefCount(persist), 1u);
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(CInner::s_alive, 0);
    EXPECT_EQ(TheModule().LockCount(), locks);
}

TEST(Objects, ContainedFormDelegatesToTheOuterUnknown)
{
    void* unused = nullptr;
    EXPECT_EQ(CreateInstance<CInner>(reinterpret_cast<IUnknown*>(1), IID_IPersist, &unused), CLASS_E_NOAGGREGATION)
        << "an aggregate must ask for IUnknown";

    IServiceProvider* outer = nullptr;
    ASSERT_EQ(CreateInstance<COuter>(nullptr, IID_IServiceProvider, reinterpret_cast<void**>(&outer)), S_OK);
    EXPECT_EQ(CInner::s_alive, 1);
    EXPECT_EQ(RefCount(outer), 1u) << "creating the inner object leaves no reference on the outer";

    IPersist* persist = nullptr;
    ASSERT_EQ(outer->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)), S_OK);
    EXPECT_EQ(RefCount(outer), 2u) << "the inner interface counts on the outer object";
    IServiceProvider* back = nullptr;
    ASSERT_EQ(persist->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&back)), S_OK);
    EXPECT_EQ(back, outer) << "the inner interface answers for the outer identity";
    back->Release();
    IUnknown* id1 = nullptr;
    IUnknown* id2 = nullptr;
    persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id1));
    outer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&id2));
    EXPECT_EQ(id1, id2);
    id1->Release();
    id2->Release();
    IOleWindow* window = nullptr;
    EXPECT_EQ(outer->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), E_NOINTERFACE)
        << "only the mapped interfaces of the inner object are answered";
    IPersistStream* missing = nullptr;
    EXPECT_EQ(outer->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&missing)), E_NOINTERFACE)
        << "an aggregate entry without an inner object";
    persist->Release();
    EXPECT_EQ(outer->Release(), 0u);
    EXPECT_EQ(CInner::s_alive, 0);
}

// ---- the exception guard of object creation ----

namespace {

// Objects that fail while they are made: in FinalConstruct (bad_alloc) or in the constructor.
class CFailsToConstruct : public ObjectRoot, public IPersist {
public:
    static LONG s_alive;
    CFailsToConstruct() { ++s_alive; }
    ~CFailsToConstruct() { --s_alive; }
    BEGIN_INTERFACE_MAP(CFailsToConstruct)
        INTERFACE_ENTRY(IPersist)
    END_INTERFACE_MAP()
    HRESULT FinalConstruct() { throw std::bad_alloc(); }
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
};
LONG CFailsToConstruct::s_alive = 0;

class CConstructorThrows : public ObjectRoot, public IPersist {
public:
    CConstructorThrows() { throw std::runtime_error("no device context"); }
    BEGIN_INTERFACE_MAP(CConstructorThrows)
        INTERFACE_ENTRY(IPersist)
    END_INTERFACE_MAP()
    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
};

std::wstring ErrorDescription()
{
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return L"(none)";
    Bstr text;
    info->GetDescription(text.Put());
    info->Release();
    return text.CStr();
}

} // namespace

TEST(Guard, ObjectCreationTurnsExceptionsIntoResults)
{
    const LONG locks = TheModule().LockCount();
    void* made = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateInstance<CFailsToConstruct>(nullptr, IID_IPersist, &made), E_OUTOFMEMORY);
    EXPECT_EQ(made, nullptr);
    made = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateInstance<CFailsToConstruct>(reinterpret_cast<IUnknown*>(1), IID_IUnknown, &made), E_OUTOFMEMORY)
        << "the contained form";
    EXPECT_EQ(made, nullptr);
    HRESULT hr = S_OK;
    EXPECT_FALSE(NewObject<CFailsToConstruct>(&hr));
    EXPECT_EQ(hr, E_OUTOFMEMORY);
    EXPECT_EQ(CFailsToConstruct::s_alive, 0) << "every object made is destroyed again";

    EXPECT_EQ(CreateInstance<CConstructorThrows>(nullptr, IID_IPersist, &made), E_UNEXPECTED);
    EXPECT_EQ(ErrorDescription(), L"no device context");
    EXPECT_FALSE(NewObject<CConstructorThrows>(&hr));
    EXPECT_EQ(hr, E_UNEXPECTED);
    EXPECT_EQ(TheModule().LockCount(), locks);
}

// ---- connection points ----

namespace {

class CEventSource : public ObjectRoot, public ConnectionPointContainerImpl {
public:
    CEventSource() : m_events(this, DIID_TestEvents) { AddConnectionPoint(&m_events); }
    BEGIN_INTERFACE_MAP(CEventSource)
        INTERFACE_ENTRY(IConnectionPointContainer)
    END_INTERFACE_MAP()
    ConnectionPoint m_events;
};

// A sink that records calls and sets the by-reference flag to its own answer.
class CSink : public ObjectRoot, public IDispatch {
public:
    BEGIN_INTERFACE_MAP(CSink)
        INTERFACE_ENTRY(IDispatch)
        INTERFACE_ENTRY_IID(DIID_TestEvents, IDispatch)
    END_INTERFACE_MAP()
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        calls.push_back(id);
        lastLcid = lcid;
        lastFlags = flags;
        if (p->cArgs && p->rgvarg[0].vt == (VT_BOOL | VT_BYREF))
            *p->rgvarg[0].pboolVal = answer;
        return fail ? E_FAIL : S_OK;
    }
    std::vector<DISPID> calls;
    LCID lastLcid = 0;
    WORD lastFlags = 0;
    VARIANT_BOOL answer = VARIANT_TRUE;
    bool fail = false;
};

} // namespace

TEST(ConnectionPoints, SinkArrayKeepsSlotsAndLastSinkDecides)
{
    auto source = NewObject<CEventSource>();
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(source->FindConnectionPoint(DIID_TestEvents, point.Put()), S_OK);
    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(source->FindConnectionPoint(IID_IDispatch, none.Put()), CONNECT_E_NOCONNECTION);

    auto s1 = NewObject<CSink>(), s2 = NewObject<CSink>(), s3 = NewObject<CSink>();
    DWORD c1 = 0, c2 = 0, c3 = 0;
    ASSERT_EQ(point->Advise(s1->GetUnknown(), &c1), S_OK);
    ASSERT_EQ(point->Advise(s2->GetUnknown(), &c2), S_OK);
    EXPECT_EQ(RefCount(s1->GetUnknown()), 2u) << "the point holds its sink";
    ASSERT_EQ(point->Unadvise(c1), S_OK);
    EXPECT_EQ(point->Unadvise(c1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(RefCount(s1->GetUnknown()), 1u);

    // A third sink takes the empty first slot, so it is called first.
    ASSERT_EQ(point->Advise(s3->GetUnknown(), &c3), S_OK);
    EXPECT_EQ(c3, c1);
    s3->answer = VARIANT_TRUE;
    s2->answer = VARIANT_FALSE;
    s3->fail = true;  // a failing sink does not stop delivery

    VARIANT_BOOL proceed = VARIANT_TRUE;
    VARIANT args[2];
    args[0].vt = VT_BOOL | VT_BYREF;
    args[0].pboolVal = &proceed;
    args[1].vt = VT_I4;
    args[1].lVal = 42;
    source->m_events.Fire(6, args, 2);
    EXPECT_EQ(s3->calls, std::vector<DISPID>{6});
    EXPECT_EQ(s2->calls, std::vector<DISPID>{6});
    EXPECT_TRUE(s1->calls.empty());
    EXPECT_EQ(proceed, VARIANT_FALSE) << "the slot order is s3 then s2: s2's answer stands";
    EXPECT_EQ(s2->lastLcid, static_cast<LCID>(LOCALE_USER_DEFAULT));
    EXPECT_EQ(s2->lastFlags, DISPATCH_METHOD);

    ComPtr<IEnumConnections> conns;
    ASSERT_EQ(point->EnumConnections(conns.Put()), S_OK);
    CONNECTDATA cd[3] = {};
    ULONG got = 0;
    EXPECT_EQ(conns->Next(3, cd, &got), S_FALSE);
    EXPECT_EQ(got, 2u);
    for (ULONG i = 0; i < got; ++i)
        cd[i].pUnk->Release();
    point->Unadvise(c2);
    point->Unadvise(c3);
    EXPECT_EQ(source->m_events.ConnectionCount(), 0u);
}

// ---- enumerators ----

namespace {

struct IntToVariant {
    static int failAt;
    template <class Item>
    static HRESULT Convert(const Item& item, VARIANT* out)
    {
        const int v = Value(item);
        if (v == failAt)
            return E_OUTOFMEMORY;
        out->vt = VT_I4;
        out->lVal = v;
        return S_OK;
    }
    static int Value(int v) { return v; }
    static int Value(const std::pair<const int, int>& p) { return p.second; }
};
int IntToVariant::failAt = -1;

std::vector<LONG> Drain(IEnumVARIANT* e)
{
    std::vector<LONG> out;
    VARIANT v;
    while (e->Next(1, &v, nullptr) == S_OK) {
        out.push_back(v.lVal);
        VariantClear(&v);
    }
    return out;
}

} // namespace

TEST(Enumerators, LiveEnumeratorFollowsItsContainer)
{
    std::vector<int> items = {10, 20, 30, 40};
    auto owner = NewObject<CInner>();
    ComPtr<IUnknown> unk;
    ASSERT_EQ((NewLiveEnum<std::vector<int>, IntToVariant>(owner->GetUnknown(), &items, unk.Put())), S_OK);
    EXPECT_EQ(RefCount(owner->GetUnknown()), 2u) << "the enumerator keeps its collection";
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(unk.QueryTo(IID_IEnumVARIANT, e), S_OK);

    VARIANT v[3];
    ULONG got = 7;
    EXPECT_EQ(e->Next(2, v, nullptr), E_POINTER) << "celt above 1 needs a count";
    EXPECT_EQ(e->Next(1, v, nullptr), S_OK);
    EXPECT_EQ(v[0].lVal, 10);
    EXPECT_EQ(e->Next(1, v, &got), S_OK);
    EXPECT_EQ(v[0].lVal, 20);
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(e->Clone(clone.Put()), S_OK);
    EXPECT_EQ(Drain(clone.Get()), (std::vector<LONG>{30, 40})) << "a clone continues where its source stood";
    EXPECT_EQ(e->Skip(2), S_OK) << "exactly the items left";
    EXPECT_EQ(e->Next(1, v, &got), S_FALSE);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Skip(5), S_FALSE);

    // A failed conversion takes back the whole call's output and stops after the items done.
    e->Reset();
    IntToVariant::failAt = 30;
    EXPECT_EQ(e->Next(3, v, &got), E_OUTOFMEMORY);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(v[0].vt, VT_EMPTY);
    IntToVariant::failAt = -1;
    EXPECT_EQ(Drain(e.Get()), (std::vector<LONG>{30, 40}));

    // A map is walked in key order and sees changes made after the enumerator was made.
    std::map<int, int> byId = {{5, 500}, {1, 100}};
    ComPtr<IUnknown> mapUnk;
    ASSERT_EQ((NewLiveEnum<std::map<int, int>, IntToVariant>(owner->GetUnknown(), &byId, mapUnk.Put())), S_OK);
    byId[3] = 300;
    ComPtr<IEnumVARIANT> me;
    mapUnk.QueryTo(IID_IEnumVARIANT, me);
    me->Reset();
    EXPECT_EQ(Drain(me.Get()), (std::vector<LONG>{100, 300, 500}));

    // Items taken out while a client walks (a For Each that deletes what it visits): the map walk
    // goes on after the last key it handed out, the vector walk from its index.
    me->Reset();
    std::vector<LONG> seen;
    while (me->Next(1, v, nullptr) == S_OK) {
        seen.push_back(v[0].lVal);
        byId.erase(v[0].lVal / 100);
        VariantClear(&v[0]);
    }
    EXPECT_EQ(seen, (std::vector<LONG>{100, 300, 500}));
    EXPECT_TRUE(byId.empty());
    e->Reset();
    ASSERT_EQ(e->Next(1, v, nullptr), S_OK);
    items.erase(items.begin());
    items.shrink_to_fit();
    EXPECT_EQ(Drain(e.Get()), (std::vector<LONG>{30, 40})) << "the next index after a removal ahead of it";
    items.clear();
    items.shrink_to_fit();
    EXPECT_EQ(e->Next(1, v, &got), S_FALSE) << "an emptied container ends the walk";
}

TEST(Enumerators, VectorEnumeratorHandsOutCopies)
{
    std::vector<Variant> items;
    items.emplace_back(L"a");
    items.emplace_back(7L);
    auto owner = NewObject<CInner>();
    ComPtr<IUnknown> unk;
    ASSERT_EQ(NewVariantVectorEnum(owner->GetUnknown(), &items, unk.Put()), S_OK);
    ComPtr<IEnumVARIANT> e;
    unk.QueryTo(IID_IEnumVARIANT, e);
    VARIANT v[3];
    ULONG got = 0;
    EXPECT_EQ(e->Next(3, v, &got), S_FALSE);
    ASSERT_EQ(got, 2u);
    EXPECT_STREQ(v[0].bstrVal, L"a");
    EXPECT_NE(v[0].bstrVal, items[0].Ref().bstrVal) << "a copy, not the stored string";
    EXPECT_EQ(v[1].lVal, 7);
    VariantClear(&v[0]);
    VariantClear(&v[1]);
}

// ---- the prepared collection ----

namespace {

// A collection interface of the library's shape: _Init, _Destroy, _NewEnum, Count, Refresh.
// {6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F14}
const IID IID_ITestCollection = {0x6d1f7c6a, 0x2b0e, 0x4c51, {0x9a, 0x57, 0x0c, 0x3e, 0x4b, 0x8d, 0x2f, 0x14}};
struct ITestCollection : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE _Init(LONG_PTR control, LONG_PTR lParam, LONG_PTR wParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE _Destroy() = 0;
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
};

// The "model": lParam points at a count of items; each item is a new object.
class CTestCollection : public ObjectRoot, public PreparedCollectionImpl<CTestCollection, ITestCollection, &IID_ITestCollection> {
public:
    BEGIN_INTERFACE_MAP(CTestCollection)
        INTERFACE_ENTRY(ITestCollection)
    END_INTERFACE_MAP()
    STDMETHODIMP _Init(LONG_PTR control, LONG_PTR lParam, LONG_PTR) override
    {
        const int n = *reinterpret_cast<const int*>(lParam);
        for (int i = 0; i < n; ++i) {
            auto item = NewObject<CInner>();
            Variant v;
            v.Get()->vt = VT_UNKNOWN;
            v.Get()->punkVal = item->GetUnknown();
            v.Get()->punkVal->AddRef();
            m_items.push_back(std::move(v));
        }
        Attach(reinterpret_cast<IUnknown*>(control), control, lParam);
        return S_OK;
    }
};

} // namespace

TEST(Collections, PreparedCollectionShowsTheModelOfItsLastInit)
{
    int modelCount = 2;
    auto control = NewObject<CInner>();
    auto coll = NewObject<CTestCollection>();
    ASSERT_EQ(coll->_Init(reinterpret_cast<LONG_PTR>(control->GetUnknown()), reinterpret_cast<LONG_PTR>(&modelCount), 0), S_OK);
    EXPECT_EQ(RefCount(control->GetUnknown()), 2u) << "the collection keeps its control";
    LONG count = 0;
    EXPECT_EQ(coll->get_Count(nullptr), E_POINTER);
    ASSERT_EQ(coll->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);

    ComPtr<IUnknown> unk;
    ASSERT_EQ(coll->get__NewEnum(unk.Put()), S_OK);
    ComPtr<IEnumVARIANT> e;
    unk.QueryTo(IID_IEnumVARIANT, e);
    VARIANT first;
    ASSERT_EQ(e->Next(1, &first, nullptr), S_OK);
    IUnknown* firstItem = first.punkVal;

    modelCount = 3;
    ASSERT_EQ(coll->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2) << "a snapshot until Refresh";
    ASSERT_EQ(coll->Refresh(), S_OK);
    ASSERT_EQ(coll->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    ComPtr<IUnknown> unk2;
    coll->get__NewEnum(unk2.Put());
    ComPtr<IEnumVARIANT> e2;
    unk2.QueryTo(IID_IEnumVARIANT, e2);
    VARIANT again;
    ASSERT_EQ(e2->Next(1, &again, nullptr), S_OK);
    EXPECT_NE(again.punkVal, firstItem) << "new wrappers after Refresh";
    VariantClear(&first);
    VariantClear(&again);

    ASSERT_EQ(coll->_Destroy(), S_OK);
    ASSERT_EQ(coll->get_Count(&count), S_OK);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(RefCount(control->GetUnknown()), 1u) << "_Destroy lets the control go";
}

// ---- registrar ----

namespace {

const wchar_t* kTestRoot = L"Software\\YVEXFrameworkTest";

bool KeyExists(const std::wstring& path)
{
    RegKey k;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, k.Put()) == ERROR_SUCCESS;
}

std::wstring ReadString(const std::wstring& path, const wchar_t* name)
{
    wchar_t buf[512] = {};
    DWORD size = sizeof(buf);
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"<none>";
    return buf;
}

} // namespace

TEST(Registrar, WritesAndRemovesExactlyWhatTheScriptSays)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    // A foreign value and key under a key the script also writes must survive.
    RegKey pre;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\YVEXFrameworkTest\\Shared", 0, nullptr, 0, KEY_WRITE,
                              nullptr, pre.Put(), nullptr), ERROR_SUCCESS);
    RegSetValueExW(pre.Get(), L"Foreign", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    pre.Reset();

    const std::wstring script = LR"(
        // comment
        HKCU
        {
            NoRemove Software
            {
                NoRemove YVEXFrameworkTest
                {
                    Shared = s 'default of shared'
                    {
                        val Mine = s '%MODULE%'
                    }
                    ForceRemove Owned = s 'It''s ours'
                    {
                        'Sub Key' = s '100%%'
                        val Number = d '131473'
                    }
                    Plain = s 'p'
                    {6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F11} = s 'bare identifier'
                }
            }
        })";
    Registrar reg;
    reg.AddReplacement(L"MODULE", L"C:\\x\\yvex.dll");
    ASSERT_EQ(reg.RunScript(script, true), S_OK);
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Shared", L"Mine"), L"C:\\x\\yvex.dll");
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Owned", nullptr), L"It's ours");
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Owned\\Sub Key", nullptr), L"100%");
    DWORD number = 0, size = sizeof(number);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\YVEXFrameworkTest\\Owned", L"Number", RRF_RT_REG_DWORD, nullptr, &number, &size);
    EXPECT_EQ(number, 131473u);
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\{6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F11}", nullptr), L"bare identifier");

    // Something foreign put into a ForceRemove key goes with it; a plain key keeps it.
    RegKey extra;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\YVEXFrameworkTest\\Owned\\Later", 0, nullptr, 0, KEY_WRITE, nullptr,
                    extra.Put(), nullptr);
    extra.Reset();

    ASSERT_EQ(reg.RunScript(script, false), S_OK);
    EXPECT_FALSE(KeyExists(L"Software\\YVEXFrameworkTest\\Owned"));
    EXPECT_FALSE(KeyExists(L"Software\\YVEXFrameworkTest\\Plain"));
    EXPECT_FALSE(KeyExists(L"Software\\YVEXFrameworkTest\\{6D1F7C6A-2B0E-4C51-9A57-0C3E4B8D2F11}"));
    EXPECT_TRUE(KeyExists(L"Software\\YVEXFrameworkTest\\Shared")) << "it still holds a foreign value";
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Shared", L"Foreign"), L"x");
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Shared", L"Mine"), L"<none>");
    EXPECT_EQ(ReadString(L"Software\\YVEXFrameworkTest\\Shared", nullptr), L"<none>");
    EXPECT_TRUE(KeyExists(L"Software\\YVEXFrameworkTest")) << "NoRemove";
    EXPECT_EQ(reg.RunScript(script, false), S_OK) << "unregistering twice is no error";
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
}

TEST(Registrar, RejectsBadScriptsBeforeWritingAnything)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    Registrar reg;
    const struct {
        const wchar_t* script;
    } bad[] = {
        {L"HKCU { Software { YVEXFrameworkTest = s 'x' } } HKXX { }"},
        {L"HKCU { Software { YVEXFrameworkTest = s 'unterminated } }"},
        {L"HKCU { Software { YVEXFrameworkTest = s '%UNKNOWN%' } }"},
        {L"HKCU { Software { YVEXFrameworkTest = q 'x' } }"},
        {L"HKCU { Software { YVEXFrameworkTest { val = s 'x' } } }"},
        {L"HKCU { Software { YVEXFrameworkTest "},
    };
    for (const auto& c : bad) {
        EXPECT_EQ(reg.RunScript(c.script, true), HRESULT_FROM_WIN32(ERROR_INVALID_DATA)) << std::string(c.script, c.script + wcslen(c.script));
        EXPECT_FALSE(KeyExists(kTestRoot));
    }
}

// ---- a windowed control with a property map ----

namespace {

class CTestControl : public ObjectRoot, public IDispatch, public ControlBase<CTestControl> {
public:
    DECLARE_CLASS_ID(CLSID_TestControl)
    static const wchar_t* WindowClassName() { return L"YVEXFrameworkTestControl"; }
    BEGIN_INTERFACE_MAP(CTestControl)
        INTERFACE_ENTRY(IDispatch)
        INTERFACE_ENTRY(IOleObject)
        INTERFACE_ENTRY(IPersistStreamInit)
        INTERFACE_ENTRY2(IPersist, IPersistStreamInit)
        INTERFACE_ENTRY(IPersistStorage)
        INTERFACE_ENTRY(ISpecifyPropertyPages)
        INTERFACE_ENTRY(IViewObjectEx)
        INTERFACE_ENTRY(IObjectSafety)
    END_INTERFACE_MAP()
    BEGIN_PROPERTY_MAP(CTestControl)
        PROPERTY_DATA(L"_cx", m_sizeExtent.cx, VT_UI4)
        PROPERTY_DATA(L"_cy", m_sizeExtent.cy, VT_UI4)
        PROPERTY_PAGE(CLSID_TestPage)
        PROPERTY_ENTRY(L"Number", 1, IID_IDispatch)
        PROPERTY_ENTRY(L"Name", 2, IID_IDispatch)
        PROPERTY_ENTRY(L"Broken", 3, IID_IDispatch)
        PROPERTY_PAGE(CLSID_TestPage)
    END_PROPERTY_MAP()
    void FinalRelease() { DestroyControl(); }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id == 3)
            return E_NOTIMPL;  // a property that cannot be read or written yet
        if (flags & DISPATCH_PROPERTYPUT) {
            if (id == 1)
                number = p->rgvarg[0].fltVal;
            else
                name = p->rgvarg[0].bstrVal;
            return S_OK;
        }
        if (id == 1) {
            result->vt = VT_R4;
            result->fltVal = number;
        } else {
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(name.c_str());
        }
        return S_OK;
    }
    float number = 0;
    std::wstring name;
};

} // namespace

TEST(Control, PropertyStreamRoundTripsThroughStreamAndStorage)
{
    auto control = NewObject<CTestControl>();
    control->number = 2.5f;
    control->name = L"Zeichnung \u00e4";
    SIZEL extent = {1234, 5678};
    ASSERT_EQ(control->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(static_cast<IPersistStreamInit*>(control.Get())->IsDirty(), S_OK);

    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ASSERT_EQ(static_cast<IPersistStreamInit*>(control.Get())->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(static_cast<IPersistStreamInit*>(control.Get())->IsDirty(), S_FALSE);

    // The layout is ours and fixed: format word, two extents, then typed values.
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    const ULONG nameUnits = static_cast<ULONG>(control->name.size());
    EXPECT_EQ(stat.cbSize.QuadPart, 4u + 4 + 4 + (2 + 4) + (2 + 4 + 2 * nameUnits) + 2);
    HGLOBAL mem = nullptr;
    GetHGlobalFromStream(stream.Get(), &mem);
    {
        GlobalLockView<BYTE> bytes(mem);
        const BYTE head[] = {0x01, 0x00, 0x50, 0x59, 0xD2, 0x04, 0, 0, 0x2E, 0x16, 0, 0, VT_R4, 0};
        EXPECT_EQ(memcmp(bytes.Get(), head, sizeof(head)), 0);
    }

    auto copy = NewObject<CTestControl>();
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(static_cast<IPersistStreamInit*>(copy.Get())->Load(stream.Get()), S_OK);
    EXPECT_EQ(copy->number, 2.5f);
    EXPECT_EQ(copy->name, control->name);
    SIZEL got = {};
    copy->GetExtent(DVASPECT_CONTENT, &got);
    EXPECT_EQ(got.cx, 1234);
    EXPECT_EQ(got.cy, 5678);

    // A truncated stream fails instead of reading past its end.
    ComPtr<IStream> cut;
    CreateStreamOnHGlobal(nullptr, TRUE, cut.Put());
    {
        GlobalLockView<BYTE> bytes(mem);
        cut->Write(bytes.Get(), static_cast<ULONG>(stat.cbSize.QuadPart - 6), nullptr);
    }
    cut->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_TRUE(FAILED(static_cast<IPersistStreamInit*>(NewObject<CTestControl>().Get())->Load(cut.Get())));

    // The storage form keeps the same content in its stream "Contents".
    ComPtr<IStorage> storage;
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                               storage.Put()), S_OK);
    ASSERT_EQ(static_cast<IPersistStorage*>(control.Get())->Save(storage.Get(), FALSE), S_OK);
    auto third = NewObject<CTestControl>();
    ASSERT_EQ(static_cast<IPersistStorage*>(third.Get())->Load(storage.Get()), S_OK);
    EXPECT_EQ(third->name, control->name);

    CAUUID pages = {};
    ASSERT_EQ(control->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u) << "a page named twice is offered once";
    EXPECT_TRUE(pages.pElems[0] == CLSID_TestPage);
    CoTaskMemFree(pages.pElems);
}

TEST(Control, ObjectSafetyOnlyForAnsweredInterfaces)
{
    auto control = NewObject<CTestControl>();
    DWORD supported = 0, enabled = 0;
    ASSERT_EQ(control->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA));
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(control->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                                 INTERFACESAFE_FOR_UNTRUSTED_CALLER), S_OK);
    control->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled);
    EXPECT_EQ(enabled, static_cast<DWORD>(INTERFACESAFE_FOR_UNTRUSTED_CALLER));
    EXPECT_EQ(control->SetInterfaceSafetyOptions(IID_IDispatch, 0x100, 0x100), E_FAIL);
    EXPECT_EQ(control->GetInterfaceSafetyOptions(IID_IClassFactory, &supported, &enabled), E_NOINTERFACE);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    CoInitialize(nullptr);
    TheModule().Init(nullptr, 0, GetModuleHandleW(nullptr), GUID_NULL);
    const int rc = RUN_ALL_TESTS();
    TheModule().Term(false);
    CoUninitialize();
    return rc;
}
