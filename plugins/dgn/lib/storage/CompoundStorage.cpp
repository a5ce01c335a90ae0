#include "storage/CompoundStorage.h"

#include "DgnStringFunctions.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

// An ANSI name as UTF-16 in a buffer one unit larger than the longest name a file can hold;
// false for a longer name (no entry can have it).
bool WideName(const char* name, char16_t (&wide)[kCfNameFieldUnits + 2])
{
    if (!name || std::strlen(name) > kCfNameFieldUnits)
        return false;
    AnsiToWide(wide, name, 0);
    return true;
}

} // namespace

CCompoundStorage* CCompoundStorage::Create(const char16_t* path)
{
    CCompoundStorage* s = new (std::nothrow) CCompoundStorage;
    if (!s)
        return nullptr;
    CfStorage* root = nullptr;
    if (cfCreate(path, 2, &s->m_file, 512) != kCfOk || cfGetRootStorage(s->m_file, &root) != kCfOk) {
        delete s;
        return nullptr;
    }
    s->m_writable = true;
    s->m_opened = true;
    s->Push(root);
    return s;
}

CCompoundStorage* CCompoundStorage::Open(const char16_t* path, bool writable)
{
    CCompoundStorage* s = new (std::nothrow) CCompoundStorage;
    if (!s)
        return nullptr;
    CfStorage* root = nullptr;
    if (cfOpen(path, writable ? 2 : 0, &s->m_file) != kCfOk || cfGetRootStorage(s->m_file, &root) != kCfOk) {
        delete s;
        return nullptr;
    }
    s->m_writable = writable;
    s->m_opened = true;
    s->Push(root);
    return s;
}

CCompoundStorage::~CCompoundStorage()
{
    while (m_depth > 0)
        CloseStorage();
    // A half-built object (a factory that failed) may hold a file without a stack.
    if (m_file)
        cfClose(&m_file);
}

bool CCompoundStorage::IsOpen() const { return m_opened; }

bool CCompoundStorage::Push(CfStorage* storage)
{
    DropListing();
    m_stack[m_depth++] = storage;
    return true;
}

void CCompoundStorage::DropListing()
{
    if (m_listing)
        cfFreeEntryInfo(&m_listing, m_listingCount);
    m_listing = nullptr;
    m_listingCount = 0;
}

bool CCompoundStorage::CreateStorage(const char16_t* name) { return m_writable && PushChild(cfCreateStorage, name); }

bool CCompoundStorage::CreateStorage(const char* name)
{
    char16_t wide[kCfNameFieldUnits + 2];
    return WideName(name, wide) && CreateStorage(wide);
}

bool CCompoundStorage::OpenStorage(const char16_t* name) { return PushChild(cfOpenStorage, name); }

// The child storage that the library operation creates or opens in the top storage goes on
// the stack, while there is room.
bool CCompoundStorage::PushChild(int (*operation)(CfStorage*, const char16_t*, CfStorage**), const char16_t* name)
{
    if (m_depth == 0 || m_depth >= kMaxDepth)
        return false;
    CfStorage* child = nullptr;
    if (operation(m_stack[m_depth - 1], name, &child) != kCfOk)
        return false;
    return Push(child);
}

bool CCompoundStorage::OpenStorage(const char* name)
{
    char16_t wide[kCfNameFieldUnits + 2];
    return WideName(name, wide) && OpenStorage(wide);
}

int CCompoundStorage::CloseStorage()
{
    if (m_depth == 0)
        return kCfBadArgument;
    // The library frees a stream with its storage: let go of it first.
    if (m_stream && m_streamLevel >= m_depth - 1)
        CloseStream();
    DropListing();
    --m_depth;
    CfStorage* top = m_stack[m_depth];
    m_stack[m_depth] = nullptr;
    if (m_depth == 0) {
        m_opened = false;
        return cfClose(&m_file);
    }
    return cfCloseStorage(&top);
}

int CCompoundStorage::NextEntry(int* index, char* name)
{
    if (!index || !name)
        return 0;
    const int at = (*index)++;
    if (!m_listing) {
        std::int32_t count = 0;
        if (m_depth == 0 || cfCountEntries(m_stack[m_depth - 1], &count) != kCfOk || count == 0)
            return 0;
        if (cfListEntries(m_stack[m_depth - 1], &m_listing, &m_listingCount) != kCfOk || m_listingCount == 0) {
            m_listing = nullptr;
            m_listingCount = 0;
            return 0;
        }
    }
    if (at < 0)
        return 0;
    if (at >= m_listingCount) {
        DropListing();
        return 0;
    }
    const CfEntryInfo& entry = m_listing[at];
    WideToAnsi(name, entry.name, CfNameUnits(entry.name));
    return entry.isStream ? 2 : 1;
}

bool CCompoundStorage::CreateStream(const char16_t* name) { return m_writable && MakeCurrent(cfCreateStream, name); }

bool CCompoundStorage::CreateStream(const char* name)
{
    char16_t wide[kCfNameFieldUnits + 2];
    return WideName(name, wide) && CreateStream(wide);
}

bool CCompoundStorage::OpenStream(const char16_t* name) { return MakeCurrent(cfOpenStream, name); }

// The stream that the library operation creates or opens in the top storage becomes the
// current one, after the one before is closed.
bool CCompoundStorage::MakeCurrent(int (*operation)(CfStorage*, const char16_t*, CfStream**), const char16_t* name)
{
    if (m_depth == 0)
        return false;
    CloseStream();
    if (operation(m_stack[m_depth - 1], name, &m_stream) != kCfOk) {
        m_stream = nullptr;
        return false;
    }
    m_streamLevel = m_depth - 1;
    return true;
}

bool CCompoundStorage::OpenStream(const char* name)
{
    char16_t wide[kCfNameFieldUnits + 2];
    return WideName(name, wide) && OpenStream(wide);
}

int CCompoundStorage::CloseStream()
{
    const int status = m_stream ? cfCloseStream(&m_stream) : kCfOk;
    m_stream = nullptr;
    return status;
}

int CCompoundStorage::Close()
{
    int first = CloseStream();
    while (m_depth > 0) {
        const int status = CloseStorage();
        if (first == kCfOk)
            first = status;
    }
    return first;
}

std::uint32_t CCompoundStorage::GetRemaining()
{
    std::uint32_t remaining = 0;
    if (!m_stream || cfGetRemaining(m_stream, &remaining) != kCfOk)
        return 0;
    return remaining;
}

bool CCompoundStorage::Seek(std::int32_t offset) { return m_stream && cfSeek32(m_stream, offset, 0) == kCfOk; }

bool CCompoundStorage::Read(void* buffer, std::uint32_t size, std::uint32_t* read)
{
    std::uint32_t n = size;
    const bool ok = m_stream && cfRead(m_stream, buffer, &n) == kCfOk;
    if (read)
        *read = m_stream ? n : 0;
    return ok;
}

bool CCompoundStorage::Write(const void* buffer, std::uint32_t size)
{
    if (!m_writable || !m_stream)
        return false;
    std::uint32_t n = size;
    return cfWrite(m_stream, buffer, &n) == kCfOk && n == size;
}

} // namespace dgn
