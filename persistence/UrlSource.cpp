#include "persistence/UrlSource.h"

#include <windows.h>

#include <cstring>

CUrlSource::CUrlSource() = default;

CUrlSource::~CUrlSource() { CUrlSource::Close(); }

bool CUrlSource::IsUrl(const char* path)
{
    return path && (std::strncmp(path, "http://", 7) == 0 || std::strncmp(path, "ftp://", 6) == 0);
}

void CUrlSource::SetProgressCallback(UrlProgressCallback callback, void* user)
{
    m_callback = callback;
    m_user = user;
}

bool CUrlSource::Open(const char* path, bool readMode)
{
    ReportProgress(0, 0);
    Close();
    m_lastProgress = -1;
    if (!path || !*path)
        return false;
    if (IsUrl(path)) {
        if (readMode) {
            WebStatusContext status;
            status.callback = &CUrlSource::OnTransferStep;
            status.user = this;
            std::string local;
            if (FAILED(DownloadUrlToFile(path, &local, &status, &m_parts))) {
                Close();
                return false;
            }
            m_localPath = local;
        } else {
            // Only FTP takes files; a web server is read from.
            if (std::strncmp(path, "ftp://", 6) != 0)
                return false;
            m_localPath = MakeTempPathForUrl(path, &m_parts, false);
            if (m_localPath.empty()) {
                m_parts.Clear();
                return false;
            }
        }
        m_url = path;
        m_readMode = readMode;
        m_open = true;
        return true;
    }
    m_localPath = path;
    m_readMode = readMode;
    m_open = true;
    return true;
}

void CUrlSource::OnTransferStep(long step, void* self)
{
    auto* source = static_cast<CUrlSource*>(self);
    const long sum = source->m_lastProgress + step;
    if (sum < 99)
        source->ReportProgress(sum, 2);
}

void CUrlSource::ForgetAddress()
{
    if (!m_open || m_readMode || m_url.empty())
        return;
    DeleteFileA(m_localPath.c_str());
    m_url.clear();
}

bool CUrlSource::Close()
{
    bool ok = true;
    m_open = false;
    if (!m_url.empty()) {
        if (!m_readMode && m_parts.components.nScheme == INTERNET_SCHEME_FTP && !m_localPath.empty()) {
            m_lastProgress = 0;
            WebStatusContext status;
            status.callback = &CUrlSource::OnTransferStep;
            status.user = this;
            ok = SUCCEEDED(UploadFileToFtp(m_localPath.c_str(), &m_parts, m_url.c_str(), &status));
        }
        // The temporary file goes with the source, uploaded or not.
        if (!m_localPath.empty())
            DeleteFileA(m_localPath.c_str());
        m_url.clear();
    }
    m_localPath.clear();
    m_parts.Clear();
    return ok;
}

void CUrlSource::ReportProgress(long value, int kind)
{
    if (!m_callback)
        return;
    if (m_lastProgress < 0) {
        m_callback(m_user, 0);
        m_lastProgress = 0;
        return;
    }
    long reported = value;
    if (kind == 1 && HasSource())
        reported = value * 79 / 99 + (m_readMode ? 20 : 0);
    else if (kind == 2)
        reported = value * 20 / 99 + (m_readMode ? 0 : 79);
    if (value != m_lastProgress) {
        m_lastProgress = static_cast<short>(value);
        m_callback(m_user, reported);
    }
}
