// The plug-in framework linked directly: reference counts, progress over a replaceable tick
// source, the last Win32 error's text, binding to the registered control and to fakes that
// answer otherwise, COM errors raised with their interface, and the freeze guard around a run
// that a COM error leaves.
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>
#include <string>
#include "common/Exports.h"
#include "common/FreezeGuard.h"
#include "common/NotifierHelper.h"
#include "common/SiteMetafile.h"
#include "common/VExporter.h"
#include "common/VImporter.h"
#include "tests/support/FakeCom.h"
#include "tests/support/PluginHost.h"

using faketest::FakeObject;
using pluginhost::ProgressLog;
using pluginhost::RefCount;

namespace {

// Converters of the test whose run is given by the test; they count their live objects and show
// the notifier's fields.
template <class Base>
class Probe : public Base
{
public:
    Probe(IYVEXControlPtr control, void* user, ProgressCallback callback) : Base(control, user, callback) { ++live; }
    Probe(IYVEXControlPtr control, const CProgressNotifier& notifier) : Base(control, notifier) { ++live; }
    Probe(const Probe& other) : Base(other) { ++live; }
    ~Probe() override { --live; }
    static int live;
    std::function<void(Probe&)> run;

    using Base::m_control;
    using Base::m_site;
    using Base::m_shapes;
    using Base::m_libraryShapes;
    using Base::m_layerShapes;
    using Base::m_lastValue;
    using Base::m_lastReportTime;
};
template <class Base>
int Probe<Base>::live = 0;

class ProbeExporter : public Probe<CVExporter>
{
public:
    using Probe<CVExporter>::Probe;
    int Export(const CString&, unsigned long, unsigned long) override
    {
        CFreezeGuard frozen(m_control, false);
        if (run)
            run(*this);
        return TRUE;
    }
};

class ProbeImporter : public Probe<CVImporter>
{
public:
    using Probe<CVImporter>::Probe;
    int Import(const CString&, unsigned long, unsigned long) override
    {
        CFreezeGuard frozen(m_control, true);
        if (run)
            run(*this);
        return TRUE;
    }
};

// A factory call as a host makes it: a reference added for the call.
template <class T>
T* Made(IYVEXControl* control, void* user = nullptr, ProgressCallback callback = nullptr)
{
    if (control)
        control->AddRef();
    return static_cast<T*>(NewConverter<T, T>(control, user, callback));
}

class Framework : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ASSERT_EQ(CoCreateInstance(CLSID_YVEXControl, nullptr, CLSCTX_INPROC_SERVER, IID_IYVEXControl,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
    }
    void TearDown() override
    {
        if (control)
            control->Release();
        CoUninitialize();
    }
    IYVEXControl* control = nullptr;
};

TEST_F(Framework, ReferenceCountsFreeTheObjectAtZero)
{
    const ULONG start = RefCount(control);
    ProbeExporter* e = Made<ProbeExporter>(control);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetRefCount(), 0);
    EXPECT_GT(RefCount(control), start) << "the converter holds the control";
    EXPECT_EQ(e->Release(), -1);
    EXPECT_EQ(ProbeExporter::live, 0);

    e = Made<ProbeExporter>(control);
    EXPECT_EQ(e->AddRef(), 1);
    EXPECT_EQ(e->Release(), 0);
    EXPECT_EQ(ProbeExporter::live, 0);

    ProbeImporter* i = Made<ProbeImporter>(control);
    EXPECT_EQ(i->AddRef(), 1);
    EXPECT_EQ(i->AddRef(), 2);
    EXPECT_EQ(i->Release(), 1);
    EXPECT_EQ(ProbeImporter::live, 1);
    EXPECT_EQ(i->GetRefCount(), 1);
    // The release exports free it whatever its count.
    i->AddRef();
    DeleteImporter(i);
    EXPECT_EQ(ProbeImporter::live, 0);
    DeleteExporter(nullptr);
    EXPECT_EQ(RefCount(control), start);
}

TEST_F(Framework, CopiesShareTheInterfaces)
{
    const ULONG start = RefCount(control);
    ProbeExporter* e = Made<ProbeExporter>(control);
    const ULONG bound = RefCount(control);
    {
        ProbeExporter copy(*e);
        EXPECT_EQ(copy.m_layerShapes.GetInterfacePtr(), e->m_layerShapes.GetInterfacePtr());
        EXPECT_GT(RefCount(control), bound);
        copy = *e;
        EXPECT_EQ(copy.m_control.GetInterfacePtr(), e->m_control.GetInterfacePtr());
    }
    EXPECT_EQ(RefCount(control), bound);
    DeleteExporter(e);
    EXPECT_EQ(RefCount(control), start);
}

DWORD g_now = 0;
DWORD FakeTicks() { return g_now; }

struct TickSourceScope {
    TickSourceScope() : previous(CVNotifierHelper::SetTickSource(FakeTicks)) { g_now = 50000; }
    ~TickSourceScope() { CVNotifierHelper::SetTickSource(previous); }
    CVNotifierHelper::TickSource previous;
};

TEST(Progress, EachValueOnceAndAnUnchangedOneAfterASecond)
{
    TickSourceScope ticks;
    ProgressLog log;
    ProbeExporter e(IYVEXControlPtr(), &log, ProgressLog::Record);
    e.SetProgress(5);
    EXPECT_EQ(log.values, (std::vector<long>{5}));
    g_now += 999;
    e.SetProgress(5);
    EXPECT_EQ(log.values, (std::vector<long>{5}));
    g_now += 1;
    e.SetProgress(5);
    EXPECT_EQ(log.values, (std::vector<long>{5, 5}));
    e.SetProgress(7);
    EXPECT_EQ(log.values, (std::vector<long>{5, 5, 7}));

    // Values on the range, truncated toward zero.
    struct Case {
        int start, end, percent;
        long expected;
    };
    const Case cases[] = {{40, 40, 0, 40}, {40, 40, 100, 40}, {0, 200, 50, 100}, {10, 20, 55, 15},
                          {-10, 10, 1, -9}, {50, 10, 75, 50}, {0, 100, 150, 150}};
    for (const Case& c : cases) {
        e.SetProgressRange(c.start, c.end);
        g_now += 1000;
        e.SetProgress(c.percent);
        EXPECT_EQ(log.values.back(), c.expected) << c.start << ".." << c.end << " at " << c.percent;
    }
}

TEST(Progress, TheTimeIsTakenAfterTheCallback)
{
    TickSourceScope ticks;
    ProgressLog log;
    // A host that takes 500 ms over each report.
    struct Slow {
        ProgressLog* log;
        static void Report(void* user, long value)
        {
            ProgressLog::Record(static_cast<Slow*>(user)->log, value);
            g_now += 500;
        }
    } slow{&log};
    ProbeExporter e(IYVEXControlPtr(), &slow, Slow::Report);
    e.SetProgress(3);
    g_now += 600;  // 1100 ms after the call began, 600 after the report ended
    e.SetProgress(3);
    EXPECT_EQ(log.values, (std::vector<long>{3}));
}

TEST(Progress, WithoutACallbackTheBookkeepingGoesOn)
{
    TickSourceScope ticks;
    ProbeImporter i{IYVEXControlPtr(), CProgressNotifier()};
    i.SetProgress(30);
    EXPECT_EQ(i.m_lastValue, 30);
    EXPECT_EQ(i.m_lastReportTime, g_now);
}

TEST(LastErrorText, TheSystemsTextOfTheThreadsLastError)
{
    ProbeExporter e(IYVEXControlPtr(), nullptr, nullptr);
    char* expected = nullptr;
    ASSERT_NE(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<char*>(&expected), 0, nullptr),
              0u);
    SetLastError(ERROR_FILE_NOT_FOUND);
    IVExporter& itf = e;
    const CString text = itf.GetLastErrorText();
    EXPECT_STREQ(text, expected);
    EXPECT_EQ(text.Right(2), "\r\n") << "the line break stays";
    LocalFree(expected);

    const DWORD unknown = 0x0000FF01;
    char* none = nullptr;
    ASSERT_EQ(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, unknown, 0, reinterpret_cast<char*>(&none), 0, nullptr),
              0u);
    SetLastError(unknown);
    EXPECT_TRUE(itf.GetLastErrorText().IsEmpty());
}

TEST_F(Framework, BindsTheSiteAndTheSystemGroups)
{
    ProbeImporter* i = Made<ProbeImporter>(control);
    ASSERT_TRUE(i->IsBound());
    EXPECT_EQ(i->m_control.GetInterfacePtr(), control);
    ISitePtr site;
    ASSERT_EQ(control->get_Site(&site), S_OK);
    // The site the converter holds is the control's: a name given through one shows in the other.
    ASSERT_EQ(site->put_Name(_bstr_t(L"Bound site")), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(i->m_site->get_Name(&name), S_OK);
    EXPECT_EQ(std::wstring(name ? name : L""), L"Bound site");
    SysFreeString(name);
    ASSERT_TRUE(i->m_shapes);
    // What is added through the bound collections lands in the layers and in the block library.
    long layer = 0, block = 0;
    ASSERT_EQ(i->m_layerShapes->AddLayer(_bstr_t("Bound"), &layer), S_OK);
    ASSERT_EQ(i->m_libraryShapes->AddGroup(stGroup, &block), S_OK);
    for (const auto& added : {std::make_pair(layer, long(LAYERS_ID)), std::make_pair(block, long(LIBRARY_ID))}) {
        IShapePtr shape;
        ASSERT_EQ(i->m_shapes->get_ItemByID(added.first, &shape), S_OK);
        long parent = 0;
        ASSERT_EQ(shape->get_ParentID(&parent), S_OK);
        EXPECT_EQ(parent, added.second);
    }
    DeleteImporter(i);
}

TEST_F(Framework, FailuresNameTheInterface)
{
    ProbeExporter* e = Made<ProbeExporter>(control);
    try {
        RaiseIfFailed(e->m_shapes->AddShape(987654), e->m_shapes);
        ADD_FAILURE() << "no exception";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), DISP_E_EXCEPTION);
        EXPECT_EQ(error.GUID_(), __uuidof(IShapeCollection));
        EXPECT_EQ(std::string(static_cast<const char*>(error.Description())), "Shape not found.");
    }
    DeleteExporter(e);
}

// A fake control, its site and shapes, and the system groups: each test takes away or changes
// one answer.
struct FakeDrawing {
    FakeObject control{__uuidof(IYVEXControl)};
    FakeObject site{__uuidof(ISite)};
    FakeObject shapes{__uuidof(IShapeCollection)};
    FakeObject library{__uuidof(IShape)};
    FakeObject layers{__uuidof(IShape)};
    FakeObject libraryShapes{__uuidof(IShapeCollection)};
    FakeObject layerShapes{__uuidof(IShapeCollection)};
    FakeDrawing()
    {
        control.Answer(__uuidof(ISite), S_OK, &site);
        site.Getter(&ISite::get_Shapes, S_OK, &shapes);
        shapes.ItemGetter(&IReadOnlyShapeCollection::get_ItemByID, {{LIBRARY_ID, &library}, {LAYERS_ID, &layers}});
        library.Getter(&IShape::get_Shapes, S_OK, &libraryShapes);
        layers.Getter(&IShape::get_Shapes, S_OK, &layerShapes);
    }
    long HeldReferences() const
    {
        return control.Refs() + site.Refs() + shapes.Refs() + library.Refs() + layers.Refs() + libraryShapes.Refs() +
               layerShapes.Refs();
    }
    IYVEXControl* Control() { return control.As<IYVEXControl>(); }
};

TEST(FakeBinding, ABoundFakeHoldsEachInterfaceOnce)
{
    FakeDrawing fake;
    ProbeExporter* e = Made<ProbeExporter>(fake.Control());
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->IsBound());
    EXPECT_EQ(fake.control.Refs(), 1);
    EXPECT_EQ(fake.layerShapes.Refs(), 1);
    EXPECT_EQ(fake.library.Refs(), 0) << "the group itself is let go";
    e->Release();
    EXPECT_EQ(fake.HeldReferences(), 0);
}

TEST(FakeBinding, WithoutSiteOrShapesTheObjectIsUnbound)
{
    struct Case {
        const char* name;
        std::function<void(FakeDrawing&)> change;
    };
    const Case cases[] = {
        {"no ISite", [](FakeDrawing& f) { f.control.Answer(__uuidof(ISite), E_NOINTERFACE); }},
        {"a site without shapes", [](FakeDrawing& f) { f.site.Getter(&ISite::get_Shapes, S_OK, nullptr); }},
    };
    for (const Case& c : cases) {
        FakeDrawing fake;
        c.change(fake);
        ProbeImporter* i = nullptr;
        EXPECT_NO_THROW(i = Made<ProbeImporter>(fake.Control())) << c.name;
        ASSERT_NE(i, nullptr) << c.name;
        EXPECT_FALSE(i->IsBound()) << c.name;
        EXPECT_FALSE(i->m_site) << c.name;
        EXPECT_FALSE(i->m_shapes) << c.name;
        // An unbound converter still runs its bracket: it leaves the missing control alone.
        EXPECT_TRUE(i->Import("x", 0, 0)) << c.name;
        i->Release();
        EXPECT_EQ(fake.HeldReferences(), 0) << c.name;
    }
    // A null control too.
    ProbeImporter* i = Made<ProbeImporter>(nullptr);
    EXPECT_FALSE(i->IsBound());
    i->Release();
}

TEST(FakeBinding, OtherFailuresLeaveTheFactoryAsComErrors)
{
    struct Case {
        const char* name;
        std::function<void(FakeDrawing&)> change;
        HRESULT expected;
        IID iid;
    };
    const Case cases[] = {
        {"no group -3", [](FakeDrawing& f) {
             f.shapes.ItemGetter(&IReadOnlyShapeCollection::get_ItemByID, {{LAYERS_ID, &f.layers}});
         }, E_POINTER, __uuidof(IShapeCollection)},
        {"no group -4", [](FakeDrawing& f) {
             f.shapes.ItemGetter(&IReadOnlyShapeCollection::get_ItemByID, {{LIBRARY_ID, &f.library}});
         }, E_POINTER, __uuidof(IShapeCollection)},
        {"the site query fails", [](FakeDrawing& f) { f.control.Answer(__uuidof(ISite), E_FAIL); }, E_FAIL,
         __uuidof(IYVEXControl)},
        {"get_Shapes fails", [](FakeDrawing& f) { f.site.Getter(&ISite::get_Shapes, E_ACCESSDENIED, nullptr); },
         E_ACCESSDENIED, __uuidof(ISite)},
        {"a group's children fail", [](FakeDrawing& f) { f.layers.Getter(&IShape::get_Shapes, E_OUTOFMEMORY, nullptr); },
         E_OUTOFMEMORY, __uuidof(IShape)},
    };
    for (const Case& c : cases) {
        FakeDrawing fake;
        c.change(fake);
        try {
            Made<ProbeExporter>(fake.Control());
            ADD_FAILURE() << c.name << ": no exception";
        } catch (const _com_error& e) {
            EXPECT_EQ(e.Error(), c.expected) << c.name;
            EXPECT_EQ(e.GUID_(), c.iid) << c.name;
        }
        EXPECT_EQ(ProbeExporter::live, 0) << c.name << ": the half-built object is freed";
        EXPECT_EQ(fake.HeldReferences(), 0) << c.name << ": nothing leaked";
    }
}

// The control's three switches as a host reads them.
struct Switches {
    VARIANT_BOOL undo, redraw, lock;
    bool operator==(const Switches& o) const { return undo == o.undo && redraw == o.redraw && lock == o.lock; }
};

Switches Read(IYVEXControl* control)
{
    IYVEXUndoPtr undo;
    control->QueryInterface(__uuidof(IYVEXUndo), reinterpret_cast<void**>(&undo));
    Switches s = {};
    EXPECT_EQ(undo->get_UndoEnabled(&s.undo), S_OK);
    EXPECT_EQ(control->get_RedrawEnabled(&s.redraw), S_OK);
    EXPECT_EQ(control->get_LockDraftLimits(&s.lock), S_OK);
    return s;
}

std::ostream& operator<<(std::ostream& out, const Switches& s)
{
    return out << "undo " << s.undo << ", redraw " << s.redraw << ", lock " << s.lock;
}

TEST_F(Framework, AComErrorInsideARunLeavesTheControlAsItWas)
{
    IYVEXUndoPtr undo;
    ASSERT_EQ(control->QueryInterface(__uuidof(IYVEXUndo), reinterpret_cast<void**>(&undo)), S_OK);
    struct Case {
        const char* name;
        bool hostSuspendsUndo;
        VARIANT_BOOL redraw, lock;
    };
    const Case cases[] = {
        {"all on", false, VARIANT_TRUE, VARIANT_FALSE},
        {"the host's own undo suspension, redrawing off, limits locked", true, VARIANT_FALSE, VARIANT_TRUE},
    };
    for (const Case& c : cases) {
        if (c.hostSuspendsUndo) {
            ASSERT_EQ(undo->put_UndoEnabled(VARIANT_FALSE), S_OK);
        }
        ASSERT_EQ(control->put_RedrawEnabled(c.redraw), S_OK);
        ASSERT_EQ(control->put_LockDraftLimits(c.lock), S_OK);
        const Switches before = Read(control);

        ProbeImporter* i = Made<ProbeImporter>(control);
        ProbeExporter* e = Made<ProbeExporter>(control);
        Switches during = {};
        long added = 0;
        auto failMidway = [&](auto& converter) {
            during = Read(control);
            RaiseIfFailed(converter.m_shapes->AddLine(0, 0, 10, 10, &added), converter.m_shapes);
            // A shape that is not there: the call through its null pointer raises.
            IShapePtr missing;
            RaiseIfFailed(converter.m_shapes->get_ItemByID(added + 1000, &missing), converter.m_shapes);
            long type = 0;
            missing->get_ShapeType(&type);
        };
        i->run = failMidway;
        e->run = failMidway;

        EXPECT_THROW(i->Import("in", 0, 0), _com_error) << c.name;
        EXPECT_EQ(during, (Switches{VARIANT_FALSE, VARIANT_FALSE, VARIANT_TRUE})) << c.name << ": importer frozen";
        EXPECT_EQ(Read(control), before) << c.name << ": after the importer";
        EXPECT_THROW(e->Export("out", 0, 0), _com_error) << c.name;
        EXPECT_EQ(during, (Switches{VARIANT_FALSE, VARIANT_FALSE, before.lock})) << c.name << ": exporter frozen";
        EXPECT_EQ(Read(control), before) << c.name << ": after the exporter";
        i->Release();
        e->Release();

        if (c.hostSuspendsUndo) {
            // The host's own suspension is the only one left.
            ASSERT_EQ(undo->put_UndoEnabled(VARIANT_TRUE), S_OK);
            VARIANT_BOOL enabled = VARIANT_FALSE;
            EXPECT_EQ(undo->get_UndoEnabled(&enabled), S_OK);
            EXPECT_EQ(enabled, VARIANT_TRUE) << c.name;
        }
    }
}

TEST_F(Framework, TheSiteDrawnIntoAMetafile)
{
    IYVEXControlPtr held(control);
    // Nothing drawn: no extent, no metafile.
    CSize size(0, 0);
    EXPECT_EQ(DrawSiteOnMetafile(control, size, nullptr, 0), nullptr);
    ISitePtr site;
    ASSERT_EQ(control->get_Site(&site), S_OK);
    IShapeCollectionPtr shapes;
    ASSERT_EQ(site->get_Shapes(&shapes), S_OK);
    long id = 0;
    ASSERT_EQ(shapes->AddRectangle(0, 100, 200, 0, &id), S_OK);
    const CRealRect<float> bounds = GetSiteMetafileRect(control, 0);
    EXPECT_NEAR(bounds.right - bounds.left, 200, 1);
    EXPECT_NEAR(bounds.top - bounds.bottom, 100, 1);
    // The draft limits as the site has them.
    ASSERT_EQ(site->put_DraftLeft(-10), S_OK);
    ASSERT_EQ(site->put_DraftRight(30), S_OK);
    ASSERT_EQ(site->put_DraftTop(50), S_OK);
    ASSERT_EQ(site->put_DraftBottom(5), S_OK);
    const CRealRect<float> limits = GetSiteMetafileRect(control, dmfSourceLimits);
    EXPECT_EQ(limits.left, -10);
    EXPECT_EQ(limits.right, 30);
    EXPECT_EQ(limits.top, 50);
    EXPECT_EQ(limits.bottom, 5);

    // No size: 800 x 600, fitted to the 2:1 drawing; the frame of the metafile follows the size.
    for (bool plain : {false, true}) {
        size = CSize(0, 0);
        HANDLE made = DrawSiteOnMetafile(control, size, nullptr, 0, plain);
        ASSERT_NE(made, nullptr) << plain;
        EXPECT_EQ(size.cx, 800) << plain;
        EXPECT_NEAR(size.cy, 400, 2) << plain;
        if (plain) {
            DeleteMetaFile(static_cast<HMETAFILE>(made));
            continue;
        }
        ENHMETAHEADER header = {};
        ASSERT_GT(GetEnhMetaFileHeader(static_cast<HENHMETAFILE>(made), sizeof header, &header), 0u);
        EXPECT_NEAR(static_cast<double>(header.rclFrame.right) / header.rclFrame.bottom, 2.0, 0.05);
        EXPECT_GT(header.nRecords, 3u) << "the drawing is in it";
        DeleteEnhMetaFile(static_cast<HENHMETAFILE>(made));
    }
    // A wide size keeps its height.
    size = CSize(1000, 100);
    HANDLE wide = DrawSiteOnMetafile(control, size, nullptr, 0);
    EXPECT_EQ(size.cx, 200);
    EXPECT_EQ(size.cy, 100);
    DeleteEnhMetaFile(static_cast<HENHMETAFILE>(wide));
    held.Detach();
}

} // namespace

