// CUrlSource: a file that readers and writers open by path. A local path is used as it is;
// an "http://" or "ftp://" address stands for a file fetched before reading or uploaded after
// writing, staged through a temporary file. It also scales the progress of the file work into
// the percentage its callback receives.
#pragma once

#include "persistence/WebTransfer.h"
#include <string>

// Progress callback: (user value, percentage).
typedef void (*UrlProgressCallback)(void* user, long percent);

class CUrlSource
{
public:
    CUrlSource();
    CUrlSource(const CUrlSource&) = delete;
    CUrlSource& operator=(const CUrlSource&) = delete;
    virtual ~CUrlSource();

    // True unless an upload failed.
    virtual bool Close();
    // Resolves the path to the local file to read or write; true on success.
    virtual bool Open(const char* path, bool readMode);
    // kind 0: a plain percentage; 1: progress of the local file work (scaled to leave room for
    // a transfer); 2: progress of a transfer.
    virtual void ReportProgress(long value, int kind);

    void SetProgressCallback(UrlProgressCallback callback, void* user);
    // For a source opened for writing to an address: deletes the temporary file and forgets the
    // address, so that Close uploads nothing (a writer that failed must not replace the file
    // there). Nothing for a local path or a source opened for reading.
    void ForgetAddress();
    // True when the file comes from or goes to an address.
    bool HasSource() const { return !m_url.empty() || m_parts.HasSchemeAndHost(); }
    bool IsOpen() const { return m_open; }
    bool IsReadMode() const { return m_readMode; }
    const std::string& GetLocalPath() const { return m_localPath; }
    const std::string& GetUrl() const { return m_url; }
    // The cracked address of a remote source (empty parts for a local one).
    const CUrlParts& GetUrlParts() const { return m_parts; }

    // Only these two prefixes, case-sensitive, mark an address.
    static bool IsUrl(const char* path);

protected:
    bool HasProgressCallback() const { return m_callback != nullptr; }

private:
    // Transfer steps and upload percentages, added to the last progress.
    static void OnTransferStep(long step, void* self);

    short m_lastProgress = -1;  // -1: 0 is reported first
    std::string m_localPath;
    std::string m_url;
    UrlProgressCallback m_callback = nullptr;
    void* m_user = nullptr;
    bool m_readMode = true;
    bool m_open = false;
    CUrlParts m_parts;
};
