// The events the dialogs raise through the control, as connected sinks hear them: each event's
// dispid and argument types agree with the type library's declaration, the proceed flag travels
// by reference from sink to sink so that the last one decides, and empty places of the sink array
// are skipped.
#include <functional>
#include <string>
#include <vector>
#include "tests/support/ControlTestSupport.h"

using namespace controltest;

namespace {

struct Proxy {
    const char* name;
    DISPID id;
    std::vector<VARTYPE> types;  // in declared order
    std::function<bool(CYVEXControl&)> fire;  // the proceed answer (true for events without one)
};

constexpr VARTYPE kFlag = VT_BOOL | VT_BYREF;

const std::vector<Proxy>& Proxies()
{
    static const std::vector<Proxy> table = {
        // Points, editing and view ports.
        {"OnAddPoint", 4, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireAddPoint(11); }},
        {"OnDeletePoint", 7, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireDeletePoint(11); }},
        {"OnShiftPoint", 8, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireShiftPoint(11); }},
        {"OnBeginEditShape", 0x11, {VT_I4, VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireBeginEditShape(11, 1024); }},
        {"OnCancel", 0x18, {kFlag}, [](CYVEXControl& c) { return c.FireCancel(); }},
        {"OnAddViewport", 0x1a, {VT_I4, VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireAddViewport(11, 12); }},
        {"OnDeleteViewport", 0x1b, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireDeleteViewport(11); }},
        {"OnEditViewport", 0x1c, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireEditViewport(11); }},
        {"OnCopyViewport", 0x1e, {VT_I4, VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireCopyViewport(11, 12); }},
        // The option pages' family.
        {"OnAddShape", 5, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireAddShape(11); }},
        {"OnDeleteShape", 6, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireDeleteShape(11); }},
        {"OnEndEditShape", 0x12, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireEndEditShape(11); }},
        {"OnSetCurrentLayer", 0x1f, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireSetCurrentLayer(11); }},
        {"OnEditDrawingSetting", 0x26, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireEditDrawingSetting(11); }},
        {"OnEditSite", 0x29, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireEditSite(11); }},
        {"OnDeleteImageResourceFromDB", 0x31, {VT_I4, kFlag},
         [](CYVEXControl& c) { return c.FireDeleteImageResourceFromDB(11); }},
        {"OnDeletedImageResourceFromDB", 0x32, {VT_I4},
         [](CYVEXControl& c) {
             c.FireDeletedImageResourceFromDB(11);
             return true;
         }},
        {"OnDeleteImageResource", 0x34, {VT_I4, kFlag}, [](CYVEXControl& c) { return c.FireDeleteImageResource(11); }},
    };
    return table;
}

// The declared argument types of a member of the event interface, as the sinks receive them.
std::vector<VARTYPE> DeclaredTypes(ITypeInfo* info, DISPID id, std::wstring* name)
{
    TYPEATTR* attr = nullptr;
    std::vector<VARTYPE> types;
    if (FAILED(info->GetTypeAttr(&attr)))
        return types;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* func = nullptr;
        if (FAILED(info->GetFuncDesc(i, &func)))
            continue;
        if (func->memid == id) {
            BSTR text = nullptr;
            info->GetDocumentation(id, &text, nullptr, nullptr, nullptr);
            *name = text ? text : L"";
            SysFreeString(text);
            for (SHORT p = 0; p < func->cParams; ++p) {
                const TYPEDESC& t = func->lprgelemdescParam[p].tdesc;
                types.push_back(t.vt == VT_PTR ? static_cast<VARTYPE>(t.lptdesc->vt | VT_BYREF) : t.vt);
            }
        }
        info->ReleaseFuncDesc(func);
    }
    info->ReleaseTypeAttr(attr);
    return types;
}

class EventProxies : public testing::Test
{
protected:
    ControlRef control;
};

} // namespace

// All eighteen: the dispid, the order and the types of the arguments as fired agree with the type
// library; the ID arrives as given and the proceed flag starts true.
TEST_F(EventProxies, EachEventAsTheTypeLibraryDeclaresIt)
{
    ycom::ComPtr<ITypeInfo> info;
    ASSERT_EQ(ycom::TheModule().GetTypeInfo(DIID__IYVEXControlEvents, info.Put()), S_OK);
    EventSink sink;
    Connection connection(control->GetControllingUnknown(), &sink);
    ASSERT_TRUE(connection.Connected());
    ASSERT_EQ(Proxies().size(), 18u);
    for (const Proxy& proxy : Proxies()) {
        SCOPED_TRACE(proxy.name);
        std::wstring declaredName;
        EXPECT_EQ(DeclaredTypes(info.Get(), proxy.id, &declaredName), proxy.types);
        EXPECT_EQ(declaredName, std::wstring(proxy.name, proxy.name + strlen(proxy.name)));
        sink.calls.clear();
        EXPECT_TRUE(proxy.fire(*control));
        ASSERT_EQ(sink.calls.size(), 1u);
        const EventSink::Call& call = sink.calls[0];
        EXPECT_EQ(call.id, proxy.id);
        EXPECT_EQ(call.types, proxy.types);
        if (!call.ints.empty()) {
            EXPECT_EQ(call.ints[0], 11);
        }
        if (proxy.types.back() == kFlag) {
            EXPECT_EQ(call.proceedSeen, VARIANT_TRUE);
        }
    }
    // With FireEvents off none of them reaches the sink, and none vetoes.
    control->put_FireEvents(VARIANT_FALSE);
    sink.calls.clear();
    sink.answer = VARIANT_FALSE;
    for (const Proxy& proxy : Proxies())
        EXPECT_TRUE(proxy.fire(*control)) << proxy.name;
    EXPECT_TRUE(sink.calls.empty());
}

// The flag is shared by the sinks in turn: each sees what the one before left, the last decides.
// A disconnected sink's place is skipped.
TEST_F(EventProxies, TheLastSinksFlagWinsAndEmptyPlacesAreSkipped)
{
    EventSink first(VARIANT_FALSE), second(VARIANT_TRUE), third(VARIANT_FALSE);
    Connection a(control->GetControllingUnknown(), &first);
    Connection b(control->GetControllingUnknown(), &second);
    Connection c(control->GetControllingUnknown(), &third);
    for (const Proxy& proxy : Proxies()) {
        if (proxy.types.back() != kFlag)
            continue;
        SCOPED_TRACE(proxy.name);
        first.calls.clear();
        second.calls.clear();
        third.calls.clear();
        third.answer = VARIANT_FALSE;
        EXPECT_FALSE(proxy.fire(*control));
        ASSERT_EQ(second.calls.size(), 1u);
        EXPECT_EQ(second.calls[0].proceedSeen, VARIANT_FALSE) << "the first sink's answer";
        ASSERT_EQ(third.calls.size(), 1u);
        EXPECT_EQ(third.calls[0].proceedSeen, VARIANT_TRUE) << "the second sink's answer";
        third.answer = VARIANT_TRUE;
        EXPECT_TRUE(proxy.fire(*control));
    }
    b.Disconnect();
    first.calls.clear();
    second.calls.clear();
    third.calls.clear();
    third.answer = VARIANT_FALSE;
    EXPECT_FALSE(control->FireAddShape(3));
    EXPECT_EQ(first.calls.size(), 1u);
    EXPECT_TRUE(second.calls.empty()) << "nothing for the disconnected sink";
    ASSERT_EQ(third.calls.size(), 1u);
    EXPECT_EQ(third.calls[0].proceedSeen, VARIANT_FALSE) << "the first sink's answer, the empty place skipped";
}
