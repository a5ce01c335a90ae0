// PersistWeb seen by a host: the control hosted in a window and a stand-in for the outside web
// download component, made in the host's apartment, that hands out a package folder holding a
// site file written by the control's own database-file transfer.
#include "tests/support/HostedControl.h"
#include "automation/PersistWeb.h"
#include "automation/WebDownloadComponent.h"
#include "control/ShapeMap.h"
#include "model/Group.h"
#include "model/Shape.h"
#include "com/AnsiText.h"
#include "tests/support/TestPaths.h"
#include <atomic>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace controltest;
using hosttest::PumpMessages;

namespace {
testing::Environment* const g_environment = testing::AddGlobalTestEnvironment(new ModuleEnvironment);

std::wstring Temp(const std::wstring& name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

BSTR Bstr(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

// The stand-in: the four settings, a download that fills a folder with the files it is told
// to, the error text and code, and the sink it fires on request.
class StandIn : public IWebDownloadComponent
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebDownloadComponent) {
            *out = static_cast<IWebDownloadComponent*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }

    STDMETHODIMP get_Project(BSTR* v) override { *v = Bstr(project); return S_OK; }
    STDMETHODIMP put_Project(BSTR v) override { project = v ? v : L""; return S_OK; }
    STDMETHODIMP get_URL(BSTR* v) override { *v = Bstr(url); return S_OK; }
    STDMETHODIMP put_URL(BSTR v) override { url = v ? v : L""; return S_OK; }
    STDMETHODIMP get_User(BSTR* v) override { *v = Bstr(user); return S_OK; }
    STDMETHODIMP put_User(BSTR v) override { user = v ? v : L""; return S_OK; }
    STDMETHODIMP get_Password(BSTR* v) override { *v = Bstr(password); return S_OK; }
    STDMETHODIMP put_Password(BSTR v) override { password = v ? v : L""; return S_OK; }
    STDMETHODIMP Download(LONG siteId, LONG reserved, BSTR* folder) override
    {
        downloadThread = GetCurrentThreadId();
        downloadedSite = siteId;
        downloadReserved = reserved;
        ++downloads;
        if (!fail.empty()) {
            *folder = Bstr(L"");
            return S_OK;
        }
        CreateDirectoryW(package.c_str(), nullptr);
        for (const auto& file : files)
            CopyFileW(file.second.c_str(), (package + L"\\" + file.first).c_str(), FALSE);
        *folder = Bstr(package);
        return S_OK;
    }
    STDMETHODIMP Unused16() override { return E_NOTIMPL; }
    STDMETHODIMP AttachEventSink(IDispatch* s) override
    {
        if (sink)
            sink->Release();
        sink = s;
        if (sink)
            sink->AddRef();
        return S_OK;
    }
    STDMETHODIMP get_LastErrorText(BSTR* text) override { *text = Bstr(fail); return S_OK; }
    STDMETHODIMP Unused19() override { return E_NOTIMPL; }
    STDMETHODIMP get_LastErrorCode(LONG* code) override { *code = errorCode; return S_OK; }

    // An event of _IPersistWebEventHandler to the attached sink.
    HRESULT Fire(DISPID id, VARIANT argument)
    {
        DISPPARAMS params = {&argument, nullptr, 1, 0};
        return sink ? sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr) : E_FAIL;
    }

    std::atomic<ULONG> refs{1};
    std::wstring project, url, user, password;
    std::wstring package = Temp(L"yvex_web_package");
    std::vector<std::pair<std::wstring, std::wstring>> files;  // name in the package, source
    std::wstring fail;    // a failing download's error text
    LONG errorCode = 0;
    IDispatch* sink = nullptr;
    DWORD downloadThread = 0;
    LONG downloadedSite = 0, downloadReserved = 0;
    int downloads = 0;
};

class StandInFactory : public IClassFactory
{
public:
    explicit StandInFactory(StandIn* object) : m_object(object) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        ++made;
        return m_object->QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
    int made = 0;

private:
    StandIn* m_object;
};

class PersistWebTest : public HostedControl
{
protected:
    static void SetUpTestSuite()
    {
        // The stand-in's interface crosses apartments through its type library.
        const std::wstring tlb = ycom::AnsiToWide(WinPath("YVEX_BINARY_DIR", "tests/control/web_download_standin.tlb").c_str());
        ITypeLib* library = nullptr;
        ASSERT_EQ(LoadTypeLibEx(tlb.c_str(), REGKIND_REGISTER, &library), S_OK);
        library->Release();
        // A site file of two lines, written by the database-file transfer.
        s_siteFile = Temp(L"yvex_web_site_" + std::to_wstring(GetCurrentProcessId()) + L".db");
        DeleteFileW(s_siteFile.c_str());
        ControlRef writer;
        for (int i = 0; i < 2; ++i) {
            CShape* line = writer->GetShapeMap().CreateShape(stLine, true, true);
            writer->GetRootGroup()->AddChild(line, nullptr, 1, false);
            line->AddPointById(writer->CControlCore::CreatePoint(0, 0), CShape::kAppend, true);
            line->AddPointById(writer->CControlCore::CreatePoint(5.0f + i, 5), CShape::kAppend, true);
        }
        writer->GetSiteRecord().SetName("Web site");
        ASSERT_EQ(writer->StartSaveSiteToFile(ycom::WideToAnsi(s_siteFile).c_str(), 1), S_OK);
        for (int i = 0; i < 3000 && !writer->IsIdle(); ++i)
            Sleep(10);
        ASSERT_TRUE(writer->IsIdle());
        ASSERT_NE(GetFileAttributesW(s_siteFile.c_str()), INVALID_FILE_ATTRIBUTES);
        // The transfer leaves the writer's own site alone; the new file's one site is its first.
        EXPECT_EQ(writer->GetSiteId(), 0);
        s_siteId = 1;
    }
    static void TearDownTestSuite()
    {
        for (const wchar_t* suffix : {L"", L"-wal", L"-shm"})
            DeleteFileW((s_siteFile + suffix).c_str());
    }
    void SetUp() override
    {
        HostedControl::SetUp();
        ASSERT_EQ(CoRegisterClassObject(CLSID_WebDownloadComponent, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &m_cookie),
                  S_OK);
        standIn.url = L"http://127.0.0.1/packages";
        ASSERT_EQ(ycom::CreateInstance<CPersistWeb>(nullptr, IID_IPersistWeb, reinterpret_cast<void**>(&web)), S_OK);
        ASSERT_EQ(web->put__YVEXControl(control->Handle()), S_OK);
        m_connection = std::make_unique<Connection>(control->GetControllingUnknown(), &sink);
    }
    void TearDown() override
    {
        m_connection.reset();
        if (web)
            web->Release();
        CoRevokeClassObject(m_cookie);
        for (const auto& file : standIn.files)
            DeleteFileW((standIn.package + L"\\" + file.first).c_str());
        RemoveDirectoryW(standIn.package.c_str());
        HostedControl::TearDown();
    }
    int Lines() const
    {
        int lines = 0;
        for (const auto& entry : control->GetShapeMap().Shapes())
            lines += entry.second->GetShapeType() == stLine && entry.first > 11;
        return lines;
    }

    static std::wstring s_siteFile;
    static int s_siteId;
    StandIn standIn;
    StandInFactory factory{&standIn};
    DWORD m_cookie = 0;
    IPersistWeb* web = nullptr;
    EventSink sink;
    std::unique_ptr<Connection> m_connection;
};
std::wstring PersistWebTest::s_siteFile;
int PersistWebTest::s_siteId = 0;

// The package's site loads on the worker; the component's download runs on the host's thread
// (its apartment); one begin and one end stage of storage type web; files named with a "." first
// are passed over.
TEST_F(PersistWebTest, APackageLoadsThroughTheComponent)
{
    standIn.files = {{L".hidden.db", L"Z:\\no such file"}, {L"site.db", s_siteFile}};
    CreateDirectoryW(standIn.package.c_str(), nullptr);
    std::ofstream(ycom::WideToAnsi(standIn.package + L"\\.hidden.db")) << "not a database";
    ASSERT_EQ(web->Load(s_siteId), S_OK);
    EXPECT_EQ(sink.StageIds(), std::vector<DISPID>{cetOnBeginLoadSite});
    const EventSink::Call* begin = sink.Find(cetOnBeginLoadSite);
    ASSERT_NE(begin, nullptr);
    EXPECT_EQ(begin->ints, (std::vector<LONG>{3, s_siteId}));
    EXPECT_EQ(begin->texts, std::vector<std::wstring>{L"http://127.0.0.1/packages"});
    EXPECT_EQ(web->Load(s_siteId), S_FALSE) << "the gate stays closed while the load runs";
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    EXPECT_EQ(sink.StageIds(), (std::vector<DISPID>{cetOnBeginLoadSite, cetOnEndLoadSite, cetOnEndLoadSiteWithID}));
    const EventSink::Call* end = sink.Find(cetOnEndLoadSite);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->bools, std::vector<bool>{true});
    EXPECT_EQ(standIn.downloadThread, GetCurrentThreadId());
    EXPECT_EQ(standIn.downloadedSite, s_siteId);
    EXPECT_EQ(standIn.downloadReserved, -1);
    EXPECT_TRUE(control->IsIdle());
    EXPECT_EQ(Lines(), 2);
    EXPECT_EQ(control->GetSiteRecord().GetName(), "Web site");

    // The same site again: loaded again, and ended again.
    sink.calls.clear();
    ASSERT_EQ(web->Load(s_siteId), S_OK);
    ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
    end = sink.Find(cetOnEndLoadSite);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->bools, std::vector<bool>{true});
    EXPECT_EQ(Lines(), 2);
    EXPECT_EQ(standIn.downloads, 2);
}

// Every way of failing ends with the end stage, result false, the gate open and the
// component's error text as the last error.
TEST_F(PersistWebTest, FailuresEndWithStageOneAndTheComponentsError)
{
    const struct
    {
        std::vector<std::pair<std::wstring, std::wstring>> files;
        std::wstring fail;
        LONG code;
        HRESULT lastError;
        std::string text;
    } cases[] = {
        {{}, L"Package not found.", static_cast<LONG>(0x80070002), static_cast<HRESULT>(0x80070002), "Package not found."},
        {{}, L"Refused.", 0, E_FAIL, "Refused."},  // a code that is no failure becomes E_FAIL
        {{{L".site.db", L""}}, L"No site in the package.", 0, E_FAIL, "No site in the package."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ycom::WideToAnsi(c.fail));
        sink.calls.clear();
        standIn.files = c.files;
        standIn.fail = c.files.empty() ? c.fail : L"";
        standIn.errorCode = c.code;
        if (!c.files.empty()) {
            CreateDirectoryW(standIn.package.c_str(), nullptr);
            std::ofstream(ycom::WideToAnsi(standIn.package + L"\\.site.db")) << "x";
        }
        ASSERT_EQ(web->Load(7), S_OK);
        ASSERT_TRUE(sink.WaitFor(cetOnEndLoadSiteWithID));
        const EventSink::Call* end = sink.Find(cetOnEndLoadSite);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->bools, std::vector<bool>{false});
        EXPECT_TRUE(control->IsIdle());
        if (c.files.empty()) {
            EXPECT_EQ(control->GetLastErrorCode(), c.lastError);
            EXPECT_EQ(control->GetLastErrorText(), c.text);
        } else {
            EXPECT_EQ(control->GetLastErrorCode(), E_FAIL);
        }
    }
}

TEST_F(PersistWebTest, BusyVetoedAndUnattached)
{
    ASSERT_TRUE(control->TryCloseGate());
    EXPECT_EQ(web->Load(1), S_FALSE);
    EXPECT_EQ(control->GetLastErrorText(), "Operation is in progress.");
    EXPECT_EQ(control->GetLastErrorCode(), 1);
    control->OpenGate();
    EXPECT_TRUE(sink.StageIds().empty());

    sink.answer = VARIANT_FALSE;
    EXPECT_EQ(web->Load(1), S_FALSE);
    EXPECT_EQ(sink.StageIds(), std::vector<DISPID>{cetOnBeginLoadSite});
    PumpMessages();
    EXPECT_EQ(standIn.downloads, 0);
    EXPECT_TRUE(control->IsIdle()) << "a vetoed load gives the gate back";

    IPersistWeb* loose = nullptr;
    ASSERT_EQ(ycom::CreateInstance<CPersistWeb>(nullptr, IID_IPersistWeb, reinterpret_cast<void**>(&loose)), S_OK);
    EXPECT_EQ(loose->Load(1), E_UNEXPECTED);
    loose->Release();
}

// The four settings go to the component, which is made once, on first use.
TEST_F(PersistWebTest, SettingsAreTheComponentsAndItsEventsReachTheHost)
{
    BSTR value = SysAllocString(L"Survey");
    ASSERT_EQ(web->put_Project(value), S_OK);
    SysFreeString(value);
    EXPECT_EQ(standIn.project, L"Survey");
    for (auto put : {&IPersistWeb::put_User, &IPersistWeb::put_Password}) {
        value = SysAllocString(L"x");
        ASSERT_EQ((web->*put)(value), S_OK);
        SysFreeString(value);
    }
    EXPECT_EQ(standIn.user, L"x");
    EXPECT_EQ(standIn.password, L"x");
    ASSERT_EQ(web->get_URL(&value), S_OK);
    EXPECT_STREQ(value, L"http://127.0.0.1/packages");
    SysFreeString(value);
    EXPECT_EQ(factory.made, 1);

    // OnEndDownload: any value other than 0 is a success.
    for (const auto& c : {std::make_pair(VT_I2, 1), std::make_pair(VT_BOOL, -1), std::make_pair(VT_BOOL, 0)}) {
        sink.calls.clear();
        VARIANT argument;
        VariantInit(&argument);
        argument.vt = static_cast<VARTYPE>(c.first);
        argument.iVal = static_cast<SHORT>(c.second);
        ASSERT_EQ(standIn.Fire(3, argument), S_OK);
        const EventSink::Call* end = sink.Find(cetOnEndLoadSite);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->bools, std::vector<bool>{c.second != 0});
        const EventSink::Call* withId = sink.Find(cetOnEndLoadSiteWithID);
        ASSERT_NE(withId, nullptr);
        EXPECT_EQ(withId->ints.front(), 3) << "storage type web";
    }
    VARIANT progress;
    VariantInit(&progress);
    progress.vt = VT_I4;
    progress.lVal = 42;
    sink.calls.clear();
    ASSERT_EQ(standIn.Fire(1, progress), S_OK);
    const EventSink::Call* heard = sink.Find(cetOnProgress);
    ASSERT_NE(heard, nullptr);
    EXPECT_EQ(heard->ints, std::vector<LONG>{42});

    // Detached, the object lets the component go.
    ASSERT_EQ(web->put__YVEXControl(0), S_OK);
    EXPECT_EQ(standIn.sink, nullptr);
}

} // namespace
