// The library's operating-system seam on Linux, for the native build that runs the library
// under the sanitizers and the fuzzer. The "ANSI" code page is a fixed Windows-1252 table, so
// that text converts as it does on a Western Windows; wide paths are opened as UTF-8.
#include "platform/Platform.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <new>
#include <string>

namespace dgn {

namespace {

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves undefined map to the C1
// control of the same value, as MultiByteToWideChar does.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t FromCp1252(unsigned char b) { return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b; }

char ToCp1252(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<char>(u);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == u)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// UTF-16 to UTF-8 for the file system; unpaired surrogates become U+FFFD.
std::string Utf8Path(const char16_t* path)
{
    std::string out;
    if (!path)
        return out;
    for (const char16_t* p = path; *p; ++p) {
        std::uint32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool Keep(int fd, FileHandle* out)
{
    // Descriptor 0 is a valid file, so handles carry the descriptor plus one.
    *out = fd < 0 ? 0 : static_cast<FileHandle>(fd) + 1;
    return fd >= 0;
}

int Descriptor(FileHandle h) { return static_cast<int>(h - 1); }

bool OpenRead(const char* path, FileHandle* out)
{
    if (!out)
        return false;
    *out = 0;
    return path && Keep(open(path, O_RDONLY | O_CLOEXEC), out);
}

bool OpenWrite(const char* path, FileHandle* out)
{
    if (!out)
        return false;
    *out = 0;
    return path && Keep(open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666), out);
}

// The case tables of C.UTF-8 cover all of Unicode, independent of the process's locale;
// without them only ASCII letters change.
locale_t CaseLocale()
{
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return loc;
}

// One unit through the C.UTF-8 mapping (or, without it, the ASCII letters first..last moved
// by shift); surrogates and results beyond the BMP stay as they were.
char16_t MapCase(char16_t c, wint_t (*map)(wint_t, locale_t), char16_t first, char16_t last, int shift)
{
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    if (locale_t loc = CaseLocale()) {
        const wint_t u = map(c, loc);
        return u <= 0xFFFF ? static_cast<char16_t>(u) : c;
    }
    return (c >= first && c <= last) ? static_cast<char16_t>(c + shift) : c;
}

} // namespace

bool OpenFileForRead(const char* path, FileHandle* out) { return OpenRead(path, out); }
bool OpenFileForReadW(const char16_t* path, FileHandle* out) { return OpenRead(path ? Utf8Path(path).c_str() : nullptr, out); }
bool OpenFileForWrite(const char* path, FileHandle* out) { return OpenWrite(path, out); }
bool OpenFileForWriteW(const char16_t* path, FileHandle* out) { return OpenWrite(path ? Utf8Path(path).c_str() : nullptr, out); }

bool CloseFile(FileHandle* handle)
{
    if (handle && *handle) {
        close(Descriptor(*handle));
        *handle = 0;
    }
    return true;
}

std::uint64_t GetFileLength(FileHandle handle)
{
    struct stat st;
    if (!handle || fstat(Descriptor(handle), &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint32_t ReadFileBytes(FileHandle handle, std::uint32_t count, void* buffer)
{
    if (!handle)
        return 0;
    std::uint32_t total = 0;
    while (total < count) {
        const ssize_t n = read(Descriptor(handle), static_cast<char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<std::uint32_t>(n);
    }
    return total;
}

bool WriteFileBytes(FileHandle handle, std::uint32_t count, const void* buffer)
{
    if (!handle)
        return false;
    std::uint32_t total = 0;
    while (total < count) {
        const ssize_t n = write(Descriptor(handle), static_cast<const char*>(buffer) + total, count - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        total += static_cast<std::uint32_t>(n);
    }
    return true;
}

std::FILE* OpenStdioFileW(const char16_t* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    return std::fopen(Utf8Path(path).c_str(), mode);
}

bool SetStdioPosition(std::FILE* file, std::int64_t position)
{
    return file && position >= 0 && fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0;
}

std::int64_t GetStdioPosition(std::FILE* file)
{
    if (!file)
        return -1;
    const off_t at = ftello(file);
    return at < 0 ? -1 : static_cast<std::int64_t>(at);
}

std::int64_t GetStdioLength(std::FILE* file)
{
    if (!file || fseeko(file, 0, SEEK_END) != 0)
        return -1;
    return GetStdioPosition(file);
}

bool TruncateStdioFile(std::FILE* file, std::uint64_t size)
{
    if (!file || size > 0x7FFFFFFFFFFFFFFFull || std::fflush(file) != 0)
        return false;
    return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
}

int AnsiToUtf16(const char* text, int n, char16_t* out, int capacity)
{
    int i = 0;
    for (; i < n && i < capacity; ++i)
        out[i] = FromCp1252(static_cast<unsigned char>(text[i]));
    return i;
}

int Utf16ToAnsi(const char16_t* text, int n, char* out, int capacity)
{
    int i = 0;
    for (; i < n && i < capacity; ++i)
        out[i] = ToCp1252(text[i]);
    return i;
}

char16_t UpperCase16(char16_t c) { return MapCase(c, towupper_l, u'a', u'z', -32); }
char16_t LowerCase16(char16_t c) { return MapCase(c, towlower_l, u'A', u'Z', 32); }

// No display here: no device bitmaps.
void* CreateScreenBitmap(const std::uint8_t*, std::uint32_t, std::int32_t* width, std::int32_t* height)
{
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    return nullptr;
}

void DeleteScreenBitmap(void*) {}

bool DrawScreenBitmap(void*, void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t) { return false; }

// No GDI here: a DIB section is a plain pixel buffer that cannot be drawn.
void* CreateDibSection(std::int32_t width, std::int32_t height, std::uint32_t stride, std::uint8_t** bits)
{
    *bits = nullptr;
    if (width <= 0 || height <= 0 || static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) > 0x7FFFFFFFu)
        return nullptr;
    void* pixels = std::calloc(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 1);
    *bits = static_cast<std::uint8_t*>(pixels);
    return pixels;
}

void DeleteDibSection(void* section) { std::free(section); }
void* DibSectionContext(void*) { return nullptr; }
bool BlitDibSection(void*, void*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, bool) { return false; }

// No GDI here: no TrueType fonts.
void* CreateTrueTypeFont(const char16_t*, std::int32_t, std::int32_t) { return nullptr; }
void DeleteTrueTypeFont(void*) {}
bool MeasureTrueTypeText(void*, void*, const char16_t*, std::int32_t, double*) { return false; }
bool DrawTrueTypeText(void*, void*, std::int32_t, std::int32_t, const char16_t*, std::int32_t) { return false; }

std::int64_t CurrentCalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

CPlatformLock* CPlatformLock::Create()
{
    std::recursive_mutex* m = new (std::nothrow) std::recursive_mutex;
    if (!m)
        return nullptr;
    CPlatformLock* lock = new (std::nothrow) CPlatformLock;
    if (!lock) {
        delete m;
        return nullptr;
    }
    lock->m_impl = m;
    return lock;
}

CPlatformLock::~CPlatformLock() { delete static_cast<std::recursive_mutex*>(m_impl); }
void CPlatformLock::Enter() { static_cast<std::recursive_mutex*>(m_impl)->lock(); }
void CPlatformLock::Leave() { static_cast<std::recursive_mutex*>(m_impl)->unlock(); }

} // namespace dgn
