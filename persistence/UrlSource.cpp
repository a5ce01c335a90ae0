#include "persistence/UrlSource.h"

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
        // Addresses are fetched and uploaded by the web transfer functions, which this build
        // does not carry yet: such a source cannot be opened.
        return false;
    }
    m_localPath = path;
    m_readMode = readMode;
    m_open = true;
    return true;
}

bool CUrlSource::Close()
{
    m_open = false;
    m_url.clear();
    m_localPath.clear();
    return true;
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
