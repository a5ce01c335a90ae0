// The front of the site's database persistence: the gate that admits one long operation at a
// time, the start functions behind IPersistDB, the workers that run the bodies, the site chooser
// and the progress counters.
#include "control/ControlCore.h"
#include <cstring>
#include <exception>
#include "persistence/Odbc.h"
#include "persistence/OdbcRow.h"
#include "persistence/OdbcSession.h"
#include "persistence/sql/SiteSql.h"
#include "automation/ResultCodes.h"
#include "com/ErrorInfo.h"
#include "com/MessageBoxHook.h"
#include "YVEX_h.h"

namespace {

const char kBusy[] = "Operation is in progress.";
const char kSiteNotFound[] = "Site not found.";
// DBFileTypes: the file types a site can be transferred with.
const int kFileTypeAccess = 1;

// The BSTR of a stage record: the name as a wide string, or null.
class CStageName
{
public:
    explicit CStageName(const char* name)
    {
        if (!name)
            return;
        const int n = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
        m_text = SysAllocStringLen(nullptr, n > 0 ? static_cast<UINT>(n - 1) : 0);
        if (m_text && n > 1)
            MultiByteToWideChar(CP_ACP, 0, name, -1, m_text, n);
    }
    ~CStageName() { SysFreeString(m_text); }
    CStageName(const CStageName&) = delete;
    CStageName& operator=(const CStageName&) = delete;
    BSTR Get() const { return m_text; }

private:
    BSTR m_text = nullptr;
};

} // namespace

// What a worker thread takes with it: its own copy of the request, never the control's.
struct CControlCore::WorkerStart
{
    CControlCore* control = nullptr;
    WorkerKind kind = WorkerKind::Load;
    int siteId = 0;
    DWORD mode = 0;
    CIncludedSite request;
    std::string path;
    int fileType = 0;
    bool load = false;
};

bool CControlCore::TryCloseGate()
{
    bool open = true;
    // Not while a section of the window's thread holds the drawing either.
    if (m_busySections.load() == 0 && m_idle.compare_exchange_strong(open, false))
        return true;
    SetLastError(1, kBusy);
    return false;
}

void CControlCore::FillLogin(COdbcSession& session) const
{
    if (m_fileWorkerThread != 0 && m_fileWorkerThread == GetCurrentThreadId()) {
        session.dataSource = m_fileDataSource;
        session.userName.clear();
        session.password.clear();
        return;
    }
    session.dataSource = m_dataSource;
    session.userName = m_userName;
    session.password = m_password;
}

HRESULT CControlCore::AnswerInProgress()
{
    SetLastError(1, kBusy);
    ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, kBusy);
    return S_FALSE;
}

void CControlCore::AnnounceStage(int, CSiteOperationRecord&) {}

int CControlCore::ShowSiteList(CSiteListRequest& request)
{
    return ShowSiteListChoice(GetControlWindow(), request);
}

void CControlCore::ShowWarning(const char* text)
{
    ycom::ShowMessageBox(GetControlWindow(), text, "Warning", MB_ICONEXCLAMATION);
}

bool CControlCore::AnnounceBegin(int stage, const char* name, int siteId, LONG storageType)
{
    CStageName text(name);
    BOOL proceed = TRUE;
    CSiteOperationRecord record;
    record.storageType = storageType;
    record.name = text.Get();
    record.siteId = siteId;
    record.proceed = &proceed;
    record.result = 0;
    AnnounceStage(stage, record);
    return proceed != FALSE;
}

void CControlCore::AnnounceEnd(int stage, const char* name, int siteId, bool result, LONG storageType)
{
    CStageName text(name);
    CSiteOperationRecord record;
    record.storageType = storageType;
    record.name = text.Get();
    record.siteId = siteId;
    record.proceed = nullptr;
    record.result = result ? -1 : 0;
    AnnounceStage(stage, record);
}

void CControlCore::SendProgressNow(int percent) { OnProgress(percent); }

void CControlCore::ResetProgress(bool ranges)
{
    m_processed = 0;
    m_total = 0;
    if (ranges) {
        m_loadedSites.clear();
        m_progressRanges.clear();
        m_progressKey = 0;
        m_progressOffset = 0.0;
    }
}

CProgressRange* CControlCore::FindProgressRange(int siteId)
{
    auto it = m_progressRanges.find(siteId);
    return it == m_progressRanges.end() ? nullptr : &it->second;
}

CProgressRange& CControlCore::MakeProgressRange(int siteId) { return m_progressRanges[siteId]; }

void CControlCore::ClearProgressRanges(bool keepCurrent)
{
    if (!keepCurrent) {
        m_progressRanges.clear();
        return;
    }
    for (auto it = m_progressRanges.begin(); it != m_progressRanges.end();)
        it = it->first == GetSiteId() ? std::next(it) : m_progressRanges.erase(it);
}

long CControlCore::GetProgressPercent() const
{
    const long processed = m_processed;
    if (!m_progressRanges.empty() && m_progressKey != 0) {
        auto it = m_progressRanges.find(m_progressKey);
        if (it != m_progressRanges.end()) {
            const CProgressRange& range = it->second;
            // A site without rows has nothing to wait for: its share counts as done.
            const long long share = range.total > 0 ? static_cast<long long>(processed) * 100 / range.total : 100;
            return static_cast<long>(static_cast<double>(share) * range.scale * 0.01 + range.offset);
        }
    }
    const long total = m_total;
    return total != 0 ? static_cast<long>(static_cast<long long>(processed) * 100 / total) : 0;
}

int CControlCore::ChooseSite(bool save, bool announce, const char* name)
{
    COdbcSession session;
    FillLogin(session);
    if (!session.ConnectQuietly())
        return 0;
    const bool named = name && *name;
    int chosen = 0;
    std::string typed = named ? name : "";
    // With a name, a save goes to a new site of that name without asking.
    if (!(save && named)) {
        std::string query;
        session.Format(named ? SiteSql::ListSitesByName : SiteSql::ListSites, query);
        CSiteListRequest request;
        request.statement = session.Statement();
        request.caption = save ? "Save site" : "Load site";
        request.query = query.c_str();
        // A given name lists the sites of that name; one of them is taken without asking.
        request.parameter = named ? name : nullptr;
        request.presetName = named ? name : nullptr;
        request.autoAccept = named;
        request.allowNewName = save;
        if (ShowSiteList(request) == IDCANCEL)
            return 0;
        chosen = request.chosenId;
        typed = request.chosenName;
    }
    session.Disconnect();
    if (announce && !AnnounceBegin(save ? kStageBeginSave : kStageBeginLoad, "", chosen, srDatabase))
        return 0;
    if (save && chosen <= 0) {
        int created = 0;
        if (FAILED(InsertSiteRow(typed.c_str(), &created))) {
            if (announce)
                AnnounceEnd(kStageEndSave, nullptr, created, false);
            return 0;
        }
        chosen = created;
    }
    return chosen;
}

HRESULT CControlCore::StartWorker(std::unique_ptr<WorkerStart> start)
{
    WorkerStart* argument = start.get();
    HANDLE thread = CreateThread(nullptr, 0, &CControlCore::SiteWorker, argument, CREATE_SUSPENDED, nullptr);
    if (!thread)
        return E_FAIL;
    start.release();
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        // Threads that are over need no waiting for.
        auto& threads = m_workerThreads;
        for (auto it = threads.begin(); it != threads.end();) {
            if (WaitForSingleObject(*it, 0) == WAIT_OBJECT_0) {
                CloseHandle(*it);
                it = threads.erase(it);
            } else {
                ++it;
            }
        }
        threads.push_back(thread);
    }
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    ResumeThread(thread);
    return S_OK;
}

void CControlCore::WaitForWorkers()
{
    std::vector<HANDLE> threads;
    {
        std::lock_guard<std::mutex> lock(m_workerLock);
        threads.swap(m_workerThreads);
    }
    for (HANDLE thread : threads) {
        // A worker may be inside SendMessage to this thread's window: sent messages are handled
        // while waiting, or the two would wait for each other.
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        CloseHandle(thread);
    }
}

DWORD WINAPI CControlCore::SiteWorker(void* argument)
{
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
    CControlCore* control = start->control;
    HRESULT result = E_FAIL;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    try {
        switch (start->kind) {
        case WorkerKind::Load:
            result = control->LoadSiteBody(start->siteId, start->request, true);
            break;
        case WorkerKind::Save:
            result = control->SaveSiteToDB(start->siteId, start->mode);
            break;
        case WorkerKind::Delete:
            result = control->DeleteSiteFromDB(start->siteId, true);
            break;
        case WorkerKind::File:
            result = control->TransferSiteFile(start->path.c_str(), start->fileType, start->load, start->siteId);
            break;
        }
    } catch (...) {
        // Nothing may leave the thread; the gate is given back so the control is usable again.
        control->OpenGate();
        result = E_FAIL;
    }
    CoUninitialize();
    return static_cast<DWORD>(result);
}

// Hands a database load request to a worker thread.
HRESULT CControlCore::StartLoadWorker(int siteId, const CIncludedSite& request)
{
    auto start = std::make_unique<WorkerStart>();
    start->control = this;
    start->kind = WorkerKind::Load;
    start->siteId = siteId;
    start->request = request;
    return LaunchLoadWorker(std::move(start));
}

// Starts the worker of a load; when none can start, the gate opens again and the host hears the
// end of a load that failed.
HRESULT CControlCore::LaunchLoadWorker(std::unique_ptr<WorkerStart> start)
{
    const int siteId = start->siteId;
    if (FAILED(StartWorker(std::move(start)))) {
        SendProgressNow(100);
        OpenGate();
        AnnounceEnd(kStageEndLoad, nullptr, siteId, false);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CControlCore::RefuseUnstoredSite(int siteId)
{
    COdbcSession session;
    FillLogin(session);
    // A database that cannot be reached here is the worker's to report.
    if (siteId < 1 || !session.ConnectQuietly())
        return S_OK;
    if (FAILED(session.Exec(CLSID_YVEXControl, SiteSql::CountSite, {siteId})))
        return S_OK;
    COdbcRow row(session.Statement());
    const int rows = row.Fetch() ? row.Int(1) : 1;
    row.Finish();
    if (rows >= 1)
        return S_OK;
    SetLastError(static_cast<int>(DISP_E_EXCEPTION), kSiteNotFound);
    return ycom::ReportErrorA(kErrorSource, CLSID_YVEXControl, kSiteNotFound);
}

HRESULT CControlCore::StartLoadSiteFromDB(int siteId, DWORD mode)
{
    if (!TryCloseGate())
        return S_FALSE;
    // A site the database does not hold is answered at once, with the drawing untouched.
    if (const HRESULT stored = RefuseUnstoredSite(siteId); stored != S_OK) {
        OpenGate();
        return stored;
    }
    ResetProgress(true);
    SetReadOnly((mode & DXFMODE_READONLY) != 0);
    CIncludedSite request;
    request.siteId = siteId;
    request.control = this;
    request.clear = 1;
    request.finalProgress = 1;
    request.progressShare = 100.0;
    m_progressOffset = 0.0;
    if (siteId > 0) {
        if (!AnnounceBegin(kStageBeginLoad, nullptr, siteId, srDatabase)) {
            OpenGate();
            return E_ACCESSDENIED;
        }
    } else {
        siteId = ChooseSite(false, true, nullptr);
        if (siteId <= 0) {
            OpenGate();
            return S_FALSE;
        }
        request.siteId = siteId;
    }
    SendProgressNow(0);
    if (mode & DXFMODE_FOREGROUND)
        return LoadSiteBody(siteId, request, true);

    return StartLoadWorker(siteId, request);
}

HRESULT CControlCore::LoadSiteAdditionally(int siteId, bool mergeLayers, int settingsOption, int unitsOption,
                                           int enableOption, bool keepCurrent)
{
    if (!TryCloseGate())
        return S_FALSE;
    if (const HRESULT stored = RefuseUnstoredSite(siteId); stored != S_OK) {
        OpenGate();
        return stored;
    }
    ResetProgress(true);
    CIncludedSite request;
    request.siteId = siteId;
    request.control = this;
    request.clear = 0;
    request.mergeLayers = mergeLayers ? 1 : 0;
    request.settingsOption = settingsOption;
    request.unitsOption = unitsOption;
    request.unit = unitsOption != 0 ? GetSiteRecord().unit : 0;
    request.enableOption = enableOption;
    request.finalProgress = 1;
    request.progressShare = 100.0;
    request.keepCurrent = keepCurrent ? 1 : 0;
    if (siteId < 1) {
        siteId = ChooseSite(false, true, nullptr);
        if (siteId <= 0) {
            OpenGate();
            return S_FALSE;
        }
        request.siteId = siteId;
    }
    SendProgressNow(0);
    return StartLoadWorker(siteId, request);
}

HRESULT CControlCore::StartSaveSiteToDB(int siteId, DWORD mode, const char* name)
{
    if (!TryCloseGate())
        return S_FALSE;
    m_processed = 0;
    m_total = 0;
    const int given = siteId;
    if (siteId < 1) {
        siteId = ChooseSite(true, true, name);
        if (siteId <= 0) {
            OpenGate();
            return E_FAIL;
        }
    }
    if (given > 0 && !AnnounceBegin(kStageBeginSave, nullptr, siteId, srDatabase)) {
        OpenGate();
        return E_ACCESSDENIED;
    }
    if (mode & DXFMODE_FOREGROUND)
        return SaveSiteToDB(siteId, mode);

    auto start = std::make_unique<WorkerStart>();
    start->control = this;
    start->kind = WorkerKind::Save;
    start->siteId = siteId;
    start->mode = mode;
    // The site the drawing is being saved as is the current one from now on.
    const int previous = GetSiteId();
    SetSiteId(siteId);
    if (FAILED(StartWorker(std::move(start)))) {
        SetSiteId(previous);
        OpenGate();
        AnnounceEnd(kStageEndSave, nullptr, siteId, false);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CControlCore::StartDeleteSiteFromDB(int siteId)
{
    if (siteId < 1) {
        COdbcSession session;
        FillLogin(session);
        if (!session.ConnectQuietly())
            return E_FAIL;
        std::string query;
        session.Format(SiteSql::ListSites, query);
        CSiteListRequest request;
        request.statement = session.Statement();
        request.caption = "Delete site";
        request.query = query.c_str();
        request.confirmation = "All the site's data will be lost! Do You want to delete the site?";
        const int answer = ShowSiteList(request);
        const int chosen = request.chosenId;
        session.Disconnect();
        if (answer == IDCANCEL)
            return S_FALSE;
        if (!AskBeginDeleteSite(chosen))
            return S_FALSE;
        if (chosen == GetSiteId()) {
            ShowWarning("You can't delete currently loaded site!");
            return S_FALSE;
        }
        siteId = chosen;
    }
    if (!TryCloseGate())
        return S_FALSE;
    auto start = std::make_unique<WorkerStart>();
    start->control = this;
    start->kind = WorkerKind::Delete;
    start->siteId = siteId;
    if (FAILED(StartWorker(std::move(start)))) {
        OpenGate();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CControlCore::SaveToNewSite(const char* name, int* siteId)
{
    if (!IsIdle()) {
        SetLastError(1, kBusy);
        return S_FALSE;
    }
    m_processed = 0;
    m_total = 0;
    int created = 0;
    const HRESULT inserted = InsertSiteRow(name, &created);
    if (FAILED(inserted))
        return inserted;
    if (siteId)
        *siteId = created;
    return StartSaveSiteToDB(created, 0, nullptr);
}

HRESULT CControlCore::StartLoadSiteFromFile(const char* path, int fileType, int siteId)
{
    if (fileType != kFileTypeAccess)
        return E_INVALIDARG;
    if (!TryCloseGate())
        return S_FALSE;
    m_processed = 0;
    m_total = 0;
    if (!AnnounceBegin(kStageBeginLoad, path, siteId, srDatabase)) {
        OpenGate();
        return E_ACCESSDENIED;
    }
    SendProgressNow(0);
    auto start = std::make_unique<WorkerStart>();
    start->control = this;
    start->kind = WorkerKind::File;
    start->path = path ? path : "";
    start->fileType = fileType;
    start->load = true;
    start->siteId = siteId;
    return LaunchLoadWorker(std::move(start));
}

HRESULT CControlCore::StartSaveSiteToFile(const char* path, int fileType)
{
    if (fileType != kFileTypeAccess)
        return E_INVALIDARG;
    if (!TryCloseGate())
        return S_FALSE;
    m_processed = 0;
    m_total = 0;
    auto start = std::make_unique<WorkerStart>();
    start->control = this;
    start->kind = WorkerKind::File;
    start->path = path ? path : "";
    start->fileType = fileType;
    start->load = false;
    if (FAILED(StartWorker(std::move(start)))) {
        OpenGate();
        return E_FAIL;
    }
    return S_OK;
}
