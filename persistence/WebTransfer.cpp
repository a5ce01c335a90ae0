#include "persistence/WebTransfer.h"
#include "com/MessageBoxHook.h"
#include "com/Module.h"
#include "ui/resource.h"
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const char kAgent[] = "Microsoft Internet Explorer";
// A server that cannot deliver the file answers with an HTML page in its place.
const char kHtmlMarker[] = "<!DOCTYPE HTML PUBLIC";
const DWORD kDownloadBlock = 12000;
const DWORD kUploadBlock = 20000;

// An internet handle closed on scope exit.
class InetHandle
{
public:
    explicit InetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
    InetHandle(const InetHandle&) = delete;
    InetHandle& operator=(const InetHandle&) = delete;
    ~InetHandle() { Reset(); }
    void Reset(HINTERNET handle = nullptr)
    {
        if (m_handle)
            InternetCloseHandle(m_handle);
        m_handle = handle;
    }
    HINTERNET Get() const { return m_handle; }
    HINTERNET Release()
    {
        HINTERNET handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HINTERNET m_handle;
};

// The step a WinINet notification stands for in the progress of a download.
long StepOf(DWORD status)
{
    switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
    case INTERNET_STATUS_NAME_RESOLVED:
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
    case INTERNET_STATUS_HANDLE_CREATED: return 2;
    case INTERNET_STATUS_SENDING_REQUEST:
    case INTERNET_STATUS_REQUEST_SENT:
    case INTERNET_STATUS_RECEIVING_RESPONSE:
    case INTERNET_STATUS_RESPONSE_RECEIVED:
    case INTERNET_STATUS_CLOSING_CONNECTION:
    case INTERNET_STATUS_CONNECTION_CLOSED:
    case INTERNET_STATUS_HANDLE_CLOSING:
    case INTERNET_STATUS_REQUEST_COMPLETE:
    case INTERNET_STATUS_REDIRECT:
    case INTERNET_STATUS_INTERMEDIATE_RESPONSE:
    case INTERNET_STATUS_STATE_CHANGE: return 1;
    default: return 0;
    }
}

void CALLBACK OnInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD)
{
    const auto* ctx = reinterpret_cast<const WebStatusContext*>(context);
    if (ctx && ctx->callback)
        ctx->callback(StepOf(status), ctx->user);
}

// Installs the status callback on a handle for the life of the object and puts back the one
// before.
class StatusCallbackScope
{
public:
    StatusCallbackScope(HINTERNET handle, const WebStatusContext* status) : m_handle(handle)
    {
        if (status && status->callback) {
            m_previous = InternetSetStatusCallbackA(handle, &OnInternetStatus);
            m_installed = true;
        }
    }
    ~StatusCallbackScope()
    {
        if (m_installed)
            InternetSetStatusCallbackA(m_handle, m_previous == INTERNET_INVALID_STATUS_CALLBACK ? nullptr : m_previous);
    }

private:
    HINTERNET m_handle;
    INTERNET_STATUS_CALLBACK m_previous = nullptr;
    bool m_installed = false;
};

bool FileCanBeRead(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The file name and the extension (with its dot) of an address's path.
void SplitName(const char* path, std::string* name, std::string* extension)
{
    const char* slash = std::strrchr(path, '/');
    const char* back = std::strrchr(path, '\\');
    if (back && (!slash || back > slash))
        slash = back;
    std::string file = slash ? slash + 1 : path;
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos) {
        *name = file;
        extension->clear();
    } else {
        *name = file.substr(0, dot);
        *extension = file.substr(dot);
    }
}

// The server's last answer, fetched to take it off the session and dropped.
void DropLastResponse()
{
    DWORD error = 0, size = 0;
    InternetGetLastResponseInfoA(&error, nullptr, &size);
    if (size > 0) {
        std::vector<char> text(size + 1);
        ++size;
        InternetGetLastResponseInfoA(&error, text.data(), &size);
    }
}

// The numeric answer of an HTTP request: a status code and, when the server sent one, the
// length of the body. Other schemes have neither.
bool QueryHttpNumber(HINTERNET request, DWORD what, DWORD* value)
{
    DWORD size = sizeof(*value), index = 0;
    return HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, value, &size, &index) != FALSE;
}

// Reads an opened URL into a new file; false (and no file) when anything fails.
bool ReadUrlIntoFile(HINTERNET request, const std::string& localPath, bool http)
{
    DWORD expected = 0;
    bool haveLength = false;
    if (http) {
        DWORD code = 0;
        // Only a success code brings the file: 404 and the like bring a page about it.
        if (!QueryHttpNumber(request, HTTP_QUERY_STATUS_CODE, &code) || code < 200 || code > 299)
            return false;
        haveLength = QueryHttpNumber(request, HTTP_QUERY_CONTENT_LENGTH, &expected);
    }
    HANDLE file = CreateFileA(localPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> block(kDownloadBlock);
    bool ok = true, first = true;
    unsigned long long total = 0;
    for (;;) {
        DWORD got = 0;
        if (!InternetReadFile(request, block.data(), kDownloadBlock, &got)) {
            // A transfer that breaks off is a failure, not the end of the file.
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (first && got >= sizeof kHtmlMarker - 1 && std::memcmp(block.data(), kHtmlMarker, sizeof kHtmlMarker - 1) == 0) {
            ok = false;
            break;
        }
        first = false;
        DWORD written = 0;
        if (!WriteFile(file, block.data(), got, &written, nullptr) || written != got) {
            ok = false;
            break;
        }
        total += got;
    }
    // A connection that closes early ends the reads as if the file were complete: the length the
    // server announced tells.
    if (ok && haveLength && total != expected)
        ok = false;
    CloseHandle(file);
    if (!ok)
        DeleteFileA(localPath.c_str());
    return ok;
}

std::string LoadModuleString(UINT id, const char* fallback)
{
    char buffer[1024];
    const int n = LoadStringA(ycom::TheModule().Instance(), id, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string(fallback);
}

} // namespace

void CUrlParts::Clear()
{
    std::memset(&components, 0, sizeof components);
    host[0] = user[0] = password[0] = path[0] = extra[0] = 0;
    components.dwStructSize = sizeof components;
    components.lpszHostName = host;
    components.dwHostNameLength = sizeof host;
    components.lpszUserName = user;
    components.dwUserNameLength = sizeof user;
    components.lpszPassword = password;
    components.dwPasswordLength = sizeof password;
    components.lpszUrlPath = path;
    components.dwUrlPathLength = sizeof path;
    // The query goes apart from the path: a file is named after the path alone.
    components.lpszExtraInfo = extra;
    components.dwExtraInfoLength = sizeof extra;
}

bool CUrlParts::Crack(const char* url)
{
    Clear();
    if (!url || !*url)
        return false;
    if (!InternetCrackUrlA(url, 0, 0, &components)) {
        Clear();
        return false;
    }
    return true;
}

std::string MakeTempPathForUrl(const char* url, CUrlParts* given, bool nameMode)
{
    if (!url || !*url)
        return std::string();
    CUrlParts own;
    CUrlParts& parts = given ? *given : own;
    if (!parts.Crack(url))
        return std::string();
    std::string name, extension;
    SplitName(parts.path, &name, &extension);
    if (nameMode)
        return name;
    char folder[1024];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder)
        return std::string();
    std::string candidate = std::string(folder) + name + extension;
    for (long counter = 1; FileCanBeRead(candidate); ++counter) {
        if (counter == LONG_MAX)
            return std::string();
        char number[16];
        std::snprintf(number, sizeof number, "%02ld", counter);
        candidate = std::string(folder) + name + number + extension;
    }
    return candidate;
}

HRESULT DownloadUrlToFile(const char* url, std::string* localPath, const WebStatusContext* status, CUrlParts* given)
{
    std::string ignored;
    std::string& local = localPath ? *localPath : ignored;
    local.clear();
    InetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return E_FAIL;
    CUrlParts own;
    CUrlParts& parts = given ? *given : own;
    local = MakeTempPathForUrl(url, &parts, false);
    if (local.empty())
        return E_FAIL;
    StatusCallbackScope scope(session.Get(), status);
    const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(status && status->callback ? status : nullptr);
    if (parts.components.nScheme == INTERNET_SCHEME_FTP) {
        for (DWORD flags : {DWORD(0), DWORD(INTERNET_FLAG_PASSIVE)}) {
            InetHandle connection(InternetConnectA(session.Get(), parts.host, parts.components.nPort,
                                                   parts.user[0] ? parts.user : nullptr,
                                                   parts.password[0] ? parts.password : nullptr,
                                                   INTERNET_SERVICE_FTP, flags, context));
            if (connection && FtpGetFileA(connection.Get(), parts.path, local.c_str(), FALSE, FILE_ATTRIBUTE_NORMAL,
                                          FTP_TRANSFER_TYPE_UNKNOWN, context))
                return S_OK;
            // A transfer that broke off may have left a part of the file.
            DeleteFileA(local.c_str());
        }
    }
    InetHandle request(InternetOpenUrlA(session.Get(), url, nullptr, 0,
                                        INTERNET_FLAG_PASSIVE | INTERNET_FLAG_NO_UI | INTERNET_FLAG_PRAGMA_NOCACHE,
                                        context));
    if (!request) {
        DropLastResponse();
        return E_FAIL;
    }
    if (!ReadUrlIntoFile(request.Get(), local, parts.components.nScheme == INTERNET_SCHEME_HTTP ||
                                                   parts.components.nScheme == INTERNET_SCHEME_HTTPS))
        return E_FAIL;
    return S_OK;
}

HRESULT UploadFileToFtp(const char* localPath, CUrlParts* given, const char* url, const WebStatusContext* status)
{
    CUrlParts own;
    CUrlParts* parts = given;
    if (!parts) {
        if (!url || !*url)
            return E_INVALIDARG;
        if (!own.Crack(url))
            return E_FAIL;
        parts = &own;
    }
    HANDLE file = CreateFileA(localPath ? localPath : "", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return E_ACCESSDENIED;
    struct FileCloser {
        HANDLE h;
        ~FileCloser() { CloseHandle(h); }
    } closer{file};
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size))
        return E_ACCESSDENIED;
    if (size.QuadPart == 0)
        return S_FALSE;
    InetHandle session(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return E_ACCESSDENIED;
    InetHandle connection(InternetConnectA(session.Get(), parts->host, parts->components.nPort,
                                           parts->user[0] ? parts->user : nullptr,
                                           parts->password[0] ? parts->password : nullptr, INTERNET_SERVICE_FTP, 0, 0));
    if (!connection) {
        const std::string format = LoadModuleString(
            IDS_FTP_CONNECT_ERROR, "Error connecting to FTP-server %s, port %d as %s.\nPerhaps user is not allowed to "
                                   "operate that server or folder.\nContact your server administrator.");
        const std::string caption = LoadModuleString(IDS_ERROR_CAPTION, "YVEXControl: Error");
        std::vector<char> text(format.size() + 256);
        std::snprintf(text.data(), text.size(), format.c_str(), parts->host, static_cast<int>(parts->components.nPort),
                      parts->user);
        ycom::ShowMessageBox(nullptr, text.data(), caption.c_str(), MB_OK | MB_ICONSTOP);
        return E_ACCESSDENIED;
    }
    InetHandle remote(FtpOpenFileA(connection.Get(), parts->path, GENERIC_WRITE, FTP_TRANSFER_TYPE_BINARY, 0));
    if (!remote)
        return E_FAIL;
    std::vector<char> block(kUploadBlock);
    unsigned long long sent = 0;
    const double total = static_cast<double>(size.QuadPart);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, block.data(), kUploadBlock, &got, nullptr))
            return E_FAIL;
        if (got == 0)
            break;
        DWORD written = 0;
        if (!InternetWriteFile(remote.Get(), block.data(), got, &written) || written != got)
            return E_FAIL;
        sent += got;
        if (status && status->callback)
            status->callback(static_cast<long>((static_cast<double>(sent) + 1) / total * 99), status->user);
    }
    // The server confirms the file only once the data connection is closed.
    return InternetCloseHandle(remote.Release()) ? S_OK : E_FAIL;
}
