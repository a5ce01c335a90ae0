// Files on web and FTP servers: fetching an "http://" or "ftp://" address into a temporary file,
// sending a local file to an "ftp://" address, and choosing the temporary file for an address.
// Everything goes through WinINet; every failure is a result, none throws.
#pragma once
#include <windows.h>
#include <wininet.h>
#include <string>

// Progress of a transfer: downloads report a step per WinINet notification (2 while resolving
// and connecting, 1 while talking to the server, 0 for others), uploads a percentage.
struct WebStatusContext
{
    void (*callback)(long step, void* user) = nullptr;
    void* user = nullptr;
};

// The parts of a cracked address with buffers of their own: host, user and password of up to 99
// characters, the path of up to 511, the query apart. The scheme text is not kept.
class CUrlParts
{
public:
    CUrlParts() { Clear(); }
    // Cracks an address; false when it does not crack (or a part is too long for its buffer).
    bool Crack(const char* url);
    void Clear();
    bool HasSchemeAndHost() const { return components.nScheme > INTERNET_SCHEME_DEFAULT && host[0] != 0; }

    URL_COMPONENTSA components;
    char host[100];
    char user[100];
    char password[100];
    char path[512];
    char extra[1024];
};

// The address's file name without extension (nameMode), or a path in the temporary folder that
// no file holds yet: the folder + name + extension, else name + "01", "02" ... + extension.
// `parts`, when given, receives the cracked address. Empty when the address does not crack.
std::string MakeTempPathForUrl(const char* url, CUrlParts* parts, bool nameMode);

// Fetches an address into the temporary file MakeTempPathForUrl chooses (*localPath, also on
// failure). FTP is tried in active and then passive mode, then (like HTTP) through the URL
// opener. An HTTP answer other than 2xx, a body shorter or longer than its Content-Length, a
// read that fails, or a page beginning "<!DOCTYPE HTML PUBLIC" fails the transfer. S_OK, or
// E_FAIL with no file left behind.
HRESULT DownloadUrlToFile(const char* url, std::string* localPath, const WebStatusContext* status,
                          CUrlParts* parts);

// Sends a local file to an "ftp://" address (binary). S_FALSE for an empty file (nothing sent),
// E_INVALIDARG without an address, E_ACCESSDENIED when the file cannot be read or the server
// refuses the login (a message box tells the user), E_FAIL when the transfer fails.
HRESULT UploadFileToFtp(const char* localPath, CUrlParts* parts, const char* url, const WebStatusContext* status);
