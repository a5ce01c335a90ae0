#include "DgnString.h"

#include "DgnStringFunctions.h"
#include "FileAccess.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

// A text argument seen as code units after its marker.
struct TextView {
    const char* text = nullptr;
    std::uint32_t units = 0;
    bool wide = false;
};

constexpr char16_t kMarkerFE = 0xFEFF; // bytes FF FE
constexpr char16_t kMarkerFD = 0xFDFF; // bytes FF FD

std::uint32_t UnitAt(const TextView& v, std::uint32_t i)
{
    return v.wide ? Utf16UnitAt(v.text, i) : static_cast<unsigned char>(v.text[i]);
}

TextView ViewOfText(const char* s)
{
    TextView v;
    v.text = SkipDgnStringMarker(s);
    v.wide = IsWideDgnString(s);
    if (v.wide) {
        while (Utf16UnitAt(v.text, v.units))
            ++v.units;
    } else {
        v.units = static_cast<std::uint32_t>(std::strlen(v.text));
    }
    return v;
}

TextView ViewOfWide(const char16_t* w)
{
    if (w[0] == kMarkerFE || w[0] == kMarkerFD)
        ++w;
    TextView v;
    v.text = reinterpret_cast<const char*>(w);
    v.wide = true;
    v.units = static_cast<std::uint32_t>(StrLenW(w));
    return v;
}

std::uint32_t FoldCase(std::uint32_t c, bool wide)
{
    if (wide)
        return LowerCase16(static_cast<char16_t>(c));
    return (c >= 'A' && c <= 'Z') ? c + 32 : c;
}

// Both texts are compared to their ends: a text is never equal to a longer one that begins
// with it.
int CompareViews(const TextView& a, const TextView& b, bool noCase)
{
    const bool fold = noCase && a.wide == b.wide;
    for (std::uint32_t i = 0;; ++i) {
        if (i >= a.units && i >= b.units)
            return 0;
        std::uint32_t x = i < a.units ? UnitAt(a, i) : 0;
        std::uint32_t y = i < b.units ? UnitAt(b, i) : 0;
        if (fold) {
            x = FoldCase(x, a.wide);
            y = FoldCase(y, a.wide);
        }
        if (x != y)
            return x < y ? -1 : 1;
    }
}

// The string's text as UTF-16 in a new malloc block (a path for the wide file functions); null
// when memory runs out.
char16_t* WideCopy(const CDgnString& s)
{
    char16_t* w = static_cast<char16_t*>(std::malloc((static_cast<std::size_t>(s.CharCount()) + 1) * sizeof(char16_t)));
    if (w)
        s.CopyToWide(w);
    return w;
}

// A four-byte zero buffer handed out when a buffer cannot be allocated, so that callers that
// only read the text see an empty string.
char g_emptyText[4] = {0, 0, 0, 0};

} // namespace

CDgnString* CDgnString::Create() { return new (std::nothrow) CDgnString(0); }

CDgnString* CDgnString::CreateWithCapacity(std::uint32_t step) { return new (std::nothrow) CDgnString(step); }

CDgnString* CDgnString::CreateFromAnsi(const char* s)
{
    CDgnString* str = Create();
    if (str && s && *s && !str->Set(s)) {
        delete str;
        return nullptr;
    }
    return str;
}

CDgnString::~CDgnString() { std::free(m_buffer); }

CDgnString* CDgnString::Clone() const
{
    CDgnString* copy = new (std::nothrow) CDgnString(m_growStep);
    if (copy && m_buffer && !copy->Assign(*this)) {
        delete copy;
        return nullptr;
    }
    return copy;
}

bool CDgnString::Reserve(std::uint32_t bytes)
{
    if (bytes == 1)
        bytes = 2;
    if (m_buffer && m_capacity >= bytes)
        return true;
    std::uint64_t capacity = m_buffer ? m_capacity : 0;
    if (m_growStep == 0) {
        capacity = bytes;
    } else {
        const std::uint64_t steps = (bytes - capacity + m_growStep - 1) / m_growStep;
        capacity += steps * m_growStep;
    }
    if (capacity < 2 || capacity > 0x7FFFFFFFull)
        return false;
    char* buffer = static_cast<char*>(std::realloc(m_buffer, static_cast<std::size_t>(capacity)));
    if (!buffer)
        return false;
    if (!m_buffer) {
        buffer[0] = 0;
        buffer[1] = 0;
    }
    m_buffer = buffer;
    m_capacity = static_cast<std::uint32_t>(capacity);
    return true;
}

bool CDgnString::EnsureBuffer() { return m_buffer || Reserve(2); }

void CDgnString::Terminate()
{
    m_buffer[m_length] = 0;
    if (m_wide)
        m_buffer[m_length + 1] = 0;
}

char* CDgnString::TextPointer() { return Text(); }

std::uint32_t CDgnString::ByteSize()
{
    if (!EnsureBuffer())
        return 0;
    return m_length + 1 + (m_wide ? 1 : 0);
}

bool CDgnString::IsWide() const { return m_wide != 0; }

bool CDgnString::HasFFFEMarker() const { return m_buffer && m_length >= 2 && dgn::HasFFFEMarker(m_buffer); }

std::uint32_t CDgnString::Set(const char* text)
{
    Clear();
    if (!text || !*text)
        return 0;
    return SetBytes(text, static_cast<std::int32_t>(DgnStringByteLength(text)));
}

std::uint32_t CDgnString::SetBytes(const char* text, std::int32_t bytes)
{
    Clear();
    if (!text)
        return 0;
    if (bytes < 1)
        bytes = static_cast<std::int32_t>(DgnStringByteLength(text));
    const std::uint32_t n = static_cast<std::uint32_t>(bytes);
    // A UTF-16 string needs at least its marker and its terminator unit.
    const bool wide = IsWideDgnString(text) && n >= 4;
    if (n > 0x7FFFFFF0u || !Reserve(n + 1))
        return 0;
    std::memcpy(m_buffer, text, n);
    m_wide = wide ? 1 : 0;
    m_length = wide ? ((n - 2) & ~1u) : n - 1;
    Terminate();
    return m_length;
}

std::uint32_t CDgnString::SetWide(const char16_t* w) { return SetWide(w, static_cast<std::uint32_t>(StrLenW(w))); }

std::uint32_t CDgnString::SetWide(const char16_t* w, std::uint32_t n)
{
    Clear();
    if (!w || n == 0)
        return 0;
    const bool marked = w[0] == kMarkerFE || w[0] == kMarkerFD;
    const std::uint64_t units = marked ? n : static_cast<std::uint64_t>(n) + 1;
    if (units > 0x3FFFFFF0u || !Reserve(static_cast<std::uint32_t>(2 * units + 2)))
        return 0;
    std::uint32_t at = 0;
    if (!marked)
        SetUtf16UnitAt(m_buffer, at++, kMarkerFE);
    for (std::uint32_t i = 0; i < n; ++i)
        SetUtf16UnitAt(m_buffer, at++, w[i]);
    m_wide = 1;
    m_length = 2 * at;
    Terminate();
    return m_length;
}

bool CDgnString::Assign(const CDgnString& other)
{
    if (&other == this)
        return true;
    if (!other.m_buffer) {
        Clear();
        return true;
    }
    const std::uint32_t bytes = other.m_length + 2;
    if (!Reserve(bytes))
        return false;
    std::memcpy(m_buffer, other.m_buffer, other.m_length);
    m_length = other.m_length;
    m_wide = other.m_wide;
    Terminate();
    return true;
}

const char* CDgnString::CStr()
{
    if (!EnsureBuffer())
        return g_emptyText;
    return m_wide ? m_buffer : Text();
}

char* CDgnString::Text()
{
    if (!EnsureBuffer())
        return g_emptyText;
    return m_buffer + MarkerSize();
}

char* CDgnString::Buffer()
{
    if (!EnsureBuffer())
        return g_emptyText;
    return m_buffer;
}

char* CDgnString::CopyToAnsi(char* out) const
{
    if (!out)
        return out;
    const std::uint32_t n = CharCount();
    if (n == 0) {
        out[0] = 0;
        return out;
    }
    const char* text = m_buffer + MarkerSize();
    if (!m_wide) {
        std::memcpy(out, text, n);
        out[n] = 0;
        return out + n;
    }
    int written = 0;
    char16_t unit;
    // One unit at a time: the text in the buffer need not be aligned for char16_t.
    for (std::uint32_t i = 0; i < n; ++i) {
        unit = Utf16UnitAt(text, i);
        written += Utf16ToAnsi(&unit, 1, out + written, 1);
    }
    out[written] = 0;
    return out + written;
}

char16_t* CDgnString::CopyToWide(char16_t* out) const
{
    if (!out)
        return out;
    const std::uint32_t n = CharCount();
    const char* text = m_buffer ? m_buffer + MarkerSize() : g_emptyText;
    if (m_wide) {
        for (std::uint32_t i = 0; i < n; ++i)
            out[i] = Utf16UnitAt(text, i);
        out[n] = 0;
        return out + n;
    }
    const int count = n ? AnsiToWide(out, text, static_cast<int>(n)) : 0;
    out[count] = 0;
    return out + count;
}

CDgnString& CDgnString::operator=(const char* text)
{
    Set(text);
    return *this;
}

CDgnString& CDgnString::operator=(const char16_t* w)
{
    SetWide(w);
    return *this;
}

CDgnString& CDgnString::operator=(const CDgnString& other)
{
    Assign(other);
    return *this;
}

CDgnString* CDgnString::Concat(const char* text) const
{
    CDgnString* s = Clone();
    if (s && !s->Append(text)) {
        delete s;
        return nullptr;
    }
    return s;
}

CDgnString* CDgnString::Concat(const char16_t* w) const
{
    CDgnString* s = Clone();
    if (s && !s->AppendWide(w)) {
        delete s;
        return nullptr;
    }
    return s;
}

CDgnString* CDgnString::Concat(const CDgnString& other) const
{
    CDgnString* s = Clone();
    if (s && !s->Append(other)) {
        delete s;
        return nullptr;
    }
    return s;
}

CDgnString& CDgnString::operator+=(const char* text)
{
    Append(text);
    return *this;
}

CDgnString& CDgnString::operator+=(const char16_t* w)
{
    AppendWide(w);
    return *this;
}

CDgnString& CDgnString::operator+=(const CDgnString& other)
{
    Append(other);
    return *this;
}

char* CDgnString::PointerAt(std::uint32_t i)
{
    char* text = Text();
    const std::uint32_t n = CharCount();
    return text + (i < n ? i : n) * UnitSize();
}

namespace {

TextView ViewOfObject(const char* buffer, std::uint32_t marker, std::uint32_t chars, bool wide)
{
    TextView v;
    v.text = buffer ? buffer + marker : g_emptyText;
    v.units = chars;
    v.wide = wide;
    return v;
}

} // namespace

int CDgnString::CompareWith(const char* text, const char16_t* w, const CDgnString* other, bool noCase) const
{
    // An object without buffer stands for null.
    const bool argumentNull = other ? !other->m_buffer : (!text && !w);
    if (argumentNull)
        return m_buffer ? 1 : 0;
    if (!m_buffer)
        return -1;
    const TextView argument = other ? ViewOfObject(other->m_buffer, other->MarkerSize(), other->CharCount(), other->m_wide)
                              : text ? ViewOfText(text)
                                     : ViewOfWide(w);
    return CompareViews(ViewOfObject(m_buffer, MarkerSize(), CharCount(), m_wide), argument, noCase);
}

int CDgnString::Compare(const char* text) const { return CompareWith(text, nullptr, nullptr, false); }
int CDgnString::Compare(const char16_t* w) const { return CompareWith(nullptr, w, nullptr, false); }
int CDgnString::Compare(const CDgnString& other) const { return CompareWith(nullptr, nullptr, &other, false); }
int CDgnString::CompareNoCase(const char* text) const { return CompareWith(text, nullptr, nullptr, true); }
int CDgnString::CompareNoCase(const char16_t* w) const { return CompareWith(nullptr, w, nullptr, true); }
int CDgnString::CompareNoCase(const CDgnString& other) const { return CompareWith(nullptr, nullptr, &other, true); }

bool CDgnString::IsEmpty() const { return !m_buffer || m_buffer[0] == 0; }

void CDgnString::Clear()
{
    if (m_buffer)
        m_buffer[0] = 0;
    m_length = 0;
    m_wide = 0;
}

std::uint32_t CDgnString::Length() const { return m_length; }

std::uint32_t CDgnString::CharCount() const
{
    if (!m_buffer)
        return 0;
    const std::uint32_t marker = MarkerSize();
    if (m_length <= marker)
        return 0;
    return (m_length - marker) / UnitSize();
}

std::uint32_t CDgnString::CharAt(std::uint32_t i) const
{
    const std::uint32_t n = CharCount();
    if (i >= n)
        return 0;
    const char* text = m_buffer + MarkerSize();
    return m_wide ? Utf16UnitAt(text, i) : static_cast<unsigned char>(text[i]);
}

CDgnString* CDgnString::Substring(std::uint32_t start, std::uint32_t count) const
{
    CDgnString* s = new (std::nothrow) CDgnString(m_growStep);
    if (!s || !m_buffer)
        return s;
    const std::uint32_t n = CharCount();
    const std::uint32_t marker = MarkerSize();
    const std::uint32_t take = start >= n ? 0 : (count < n - start ? count : n - start);
    // The substring keeps this string's marker, and so its width.
    if (!s->Reserve(marker + take * UnitSize() + 2)) {
        delete s;
        return nullptr;
    }
    std::memcpy(s->m_buffer, m_buffer, marker);
    if (take)
        std::memcpy(s->m_buffer + marker, m_buffer + marker + start * UnitSize(), take * UnitSize());
    s->m_wide = m_wide;
    s->m_length = marker + take * UnitSize();
    s->Terminate();
    return s;
}

bool CDgnString::SpliceUnits(std::uint32_t position, std::uint32_t removeUnits, const char* src, std::uint32_t n)
{
    if (!EnsureBuffer())
        return false;
    const std::uint32_t unit = UnitSize();
    const std::uint32_t marker = MarkerSize();
    const std::uint32_t chars = CharCount();
    if (position > chars)
        position = chars;
    if (removeUnits > chars - position)
        removeUnits = chars - position;
    const std::uint64_t newLength = static_cast<std::uint64_t>(m_length) + static_cast<std::uint64_t>(n) * unit - removeUnits * unit;
    if (newLength > 0x7FFFFFF0u || !Reserve(static_cast<std::uint32_t>(newLength + 2)))
        return false;
    char* at = m_buffer + marker + position * unit;
    const std::uint32_t tail = m_length - (marker + (position + removeUnits) * unit);
    std::memmove(at + n * unit, at + removeUnits * unit, tail);
    if (n)
        std::memcpy(at, src, n * unit);
    m_length = static_cast<std::uint32_t>(newLength);
    Terminate();
    return true;
}

std::uint32_t CDgnString::Insert(const char* text, std::uint32_t position, std::uint32_t count)
{
    if (!text)
        return 0;
    const TextView v = ViewOfText(text);
    if (v.wide != IsWide())
        return 0;
    const std::uint32_t n = (count == 0 || count > v.units) ? v.units : count;
    return SpliceUnits(position, 0, v.text, n) ? m_length : 0;
}

std::uint32_t CDgnString::Insert(const char16_t* w, std::uint32_t position, std::uint32_t count)
{
    if (!w || !IsWide())
        return 0;
    const TextView v = ViewOfWide(w);
    const std::uint32_t n = (count == 0 || count > v.units) ? v.units : count;
    return SpliceUnits(position, 0, v.text, n) ? m_length : 0;
}

std::uint32_t CDgnString::Insert(const CDgnString& other, std::uint32_t position, std::uint32_t count)
{
    if (other.IsWide() != IsWide() || &other == this)
        return 0;
    const std::uint32_t units = other.CharCount();
    const std::uint32_t n = (count == 0 || count > units) ? units : count;
    const char* src = other.m_buffer ? other.m_buffer + other.MarkerSize() : g_emptyText;
    return SpliceUnits(position, 0, src, n) ? m_length : 0;
}

bool CDgnString::BecomeEmptyWide(unsigned char marker)
{
    if (!Reserve(4))
        return false;
    m_buffer[0] = static_cast<char>(0xFF);
    m_buffer[1] = static_cast<char>(marker);
    m_wide = 1;
    m_length = 2;
    Terminate();
    return true;
}

bool CDgnString::AppendUnits(const char* src, std::uint32_t n, bool srcWide)
{
    if (n == 0)
        return EnsureBuffer();
    if (srcWide && !m_wide) {
        if (IsEmpty()) {
            if (!BecomeEmptyWide(0xFE))
                return false;
        } else if (!ToWide()) {
            return false;
        }
    }
    if (m_wide && !srcWide) {
        // 8-bit text joins a UTF-16 string converted.
        char16_t* units = static_cast<char16_t*>(std::malloc((static_cast<std::size_t>(n) + 1) * sizeof(char16_t)));
        if (!units)
            return false;
        const int converted = AnsiToWide(units, src, static_cast<int>(n));
        char* bytes = static_cast<char*>(std::malloc(2 * static_cast<std::size_t>(converted) + 1));
        bool ok = bytes != nullptr;
        if (ok) {
            for (int i = 0; i < converted; ++i)
                SetUtf16UnitAt(bytes, i, units[i]);
            ok = SpliceUnits(CharCount(), 0, bytes, static_cast<std::uint32_t>(converted));
        }
        std::free(bytes);
        std::free(units);
        return ok;
    }
    return SpliceUnits(CharCount(), 0, src, n);
}

bool CDgnString::Append(const char* text, std::uint32_t count)
{
    if (!text)
        return true;
    const TextView v = ViewOfText(text);
    const std::uint32_t n = (count == 0 || count > v.units) ? v.units : count;
    if (v.wide && IsEmpty() && !m_wide) {
        // An empty string takes the text's width and marker.
        if (!BecomeEmptyWide(static_cast<unsigned char>(text[1])))
            return false;
    }
    return AppendUnits(v.text, n, v.wide);
}

bool CDgnString::Append(const char* text) { return Append(text, 0); }

bool CDgnString::AppendWide(const char16_t* w, std::uint32_t count)
{
    if (!w)
        return true;
    const TextView v = ViewOfWide(w);
    const std::uint32_t n = (count == 0 || count > v.units) ? v.units : count;
    return AppendUnits(v.text, n, true);
}

bool CDgnString::AppendWide(const char16_t* w) { return AppendWide(w, 0); }

bool CDgnString::Append(const CDgnString& other)
{
    if (&other == this) {
        CDgnString* copy = Clone();
        const bool ok = copy && Append(*copy);
        delete copy;
        return ok;
    }
    if (!other.m_buffer)
        return true;
    if (other.m_wide && IsEmpty() && !m_wide) {
        if (!BecomeEmptyWide(static_cast<unsigned char>(other.m_buffer[1])))
            return false;
    }
    return AppendUnits(other.m_buffer + other.MarkerSize(), other.CharCount(), other.m_wide != 0);
}

bool CDgnString::AppendBytes(const void* p, std::uint32_t n)
{
    const std::uint64_t need = static_cast<std::uint64_t>(m_length) + n + 2;
    if (need > 0x7FFFFFF0u || !Reserve(static_cast<std::uint32_t>(need)))
        return false;
    if (n)
        std::memcpy(m_buffer + m_length, p, n);
    m_length += n;
    Terminate();
    return true;
}

bool CDgnString::AppendWideChars(const char16_t* w, std::uint32_t n)
{
    if (n > 0x3FFFFFF0u)
        return false;
    return AppendBytes(w, 2 * n);
}

std::uint32_t CDgnString::Remove(std::uint32_t start, std::uint32_t count)
{
    if (m_buffer && start < CharCount())
        SpliceUnits(start, count, nullptr, 0);
    return m_length;
}

bool CDgnString::LoadBytes(void* data, std::uint32_t size)
{
    const char* bytes = static_cast<const char*>(data);
    const bool wide = size >= 2 && IsWideDgnString(bytes);
    const bool ok = size <= 0x7FFFFFF0u && Reserve(size + 2);
    if (ok) {
        std::memcpy(m_buffer, bytes, size);
        m_wide = wide ? 1 : 0;
        m_length = wide ? (size & ~1u) : size;
        Terminate();
    }
    std::free(data);
    return ok;
}

bool CDgnString::LoadFromFile(const char* path)
{
    void* data = nullptr;
    std::uint64_t size = 0;
    if (!ReadWholeFile(path, &data, &size) || size > 0xFFFFFFFFu) {
        std::free(data);
        return false;
    }
    return LoadBytes(data, static_cast<std::uint32_t>(size));
}

bool CDgnString::LoadFromFile(const char16_t* path)
{
    void* data = nullptr;
    std::uint64_t size = 0;
    if (!ReadWholeFileW(path, &data, &size) || size > 0xFFFFFFFFu) {
        std::free(data);
        return false;
    }
    return LoadBytes(data, static_cast<std::uint32_t>(size));
}

bool CDgnString::LoadFromFile(const CDgnString& path)
{
    if (!path.m_buffer)
        return false;
    if (!path.m_wide)
        return LoadFromFile(path.m_buffer + path.MarkerSize());
    char16_t* w = WideCopy(path);
    const bool ok = w && LoadFromFile(w);
    std::free(w);
    return ok;
}

bool CDgnString::SaveToFile(const char* path) const { return WriteWholeFile(path, m_buffer, m_buffer ? m_length : 0); }

bool CDgnString::SaveToFile(const char16_t* path) const { return WriteWholeFileW(path, m_buffer, m_buffer ? m_length : 0); }

bool CDgnString::SaveToFile(const CDgnString& path) const
{
    if (!path.m_buffer)
        return false;
    if (!path.m_wide)
        return SaveToFile(path.m_buffer + path.MarkerSize());
    char16_t* w = WideCopy(path);
    const bool ok = w && SaveToFile(w);
    std::free(w);
    return ok;
}

namespace {

int FindView(const TextView& hay, std::uint32_t start, std::int32_t count, TextView pattern, bool patternWide)
{
    if (pattern.units == 0 || start >= hay.units)
        return -1;
    std::uint32_t end = hay.units;
    if (count >= 0 && static_cast<std::uint64_t>(start) + static_cast<std::uint32_t>(count) < end)
        end = start + static_cast<std::uint32_t>(count);
    const bool fold = hay.wide == patternWide;
    for (std::uint32_t at = start; at + pattern.units <= end; ++at) {
        std::uint32_t i = 0;
        for (; i < pattern.units; ++i) {
            std::uint32_t x = UnitAt(hay, at + i);
            std::uint32_t y = UnitAt(pattern, i);
            if (fold) {
                x = FoldCase(x, hay.wide);
                y = FoldCase(y, hay.wide);
            }
            if (x != y)
                break;
        }
        if (i == pattern.units)
            return static_cast<int>(at);
    }
    return -1;
}

} // namespace

int CDgnString::Find(std::uint32_t start, std::int32_t count, const char16_t* w) const
{
    if (IsEmpty() || !w)
        return -1;
    const TextView pattern = ViewOfWide(w);
    // A single character is searched for in 8-bit text as an 8-bit character.
    const bool patternWide = pattern.units != 1;
    if (!m_wide && patternWide)
        return -1;
    return FindView(ViewOfObject(m_buffer, MarkerSize(), CharCount(), m_wide), start, count, pattern, patternWide || m_wide);
}

int CDgnString::Find(std::uint32_t start, std::int32_t count, const char* text) const
{
    if (IsEmpty() || !text)
        return -1;
    const TextView pattern = ViewOfText(text);
    if (!m_wide && pattern.wide && pattern.units != 1)
        return -1;
    const bool patternWide = pattern.wide && (pattern.units != 1 || m_wide);
    return FindView(ViewOfObject(m_buffer, MarkerSize(), CharCount(), m_wide), start, count, pattern, patternWide);
}

bool CDgnString::ToWide()
{
    if (m_wide)
        return false;
    const std::uint32_t chars = CharCount();
    const char* text = m_buffer ? m_buffer + MarkerSize() : g_emptyText;
    char* wide = static_cast<char*>(std::malloc(2 * (static_cast<std::size_t>(chars) + 2) + 2));
    char16_t* units = static_cast<char16_t*>(std::malloc((static_cast<std::size_t>(chars) + 1) * sizeof(char16_t)));
    bool ok = wide && units;
    if (ok) {
        const int converted = chars ? AnsiToWide(units, text, static_cast<int>(chars)) : 0;
        wide[0] = static_cast<char>(0xFF);
        wide[1] = static_cast<char>(0xFD);
        for (int i = 0; i < converted; ++i)
            SetUtf16UnitAt(wide + 2, i, units[i]);
        const std::uint32_t length = 2 + 2 * static_cast<std::uint32_t>(converted);
        ok = Reserve(length + 2);
        if (ok) {
            std::memcpy(m_buffer, wide, length);
            m_wide = 1;
            m_length = length;
            Terminate();
        }
    }
    std::free(units);
    std::free(wide);
    return ok;
}

std::uint32_t CDgnString::MarkerSize() const
{
    // The wide flag decides: 8-bit text that happens to begin with 0xFF 0xFD stays 8-bit.
    if (!m_buffer)
        return 0;
    if (m_wide)
        return 2;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(m_buffer);
    return (m_length >= 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0x01 && b[3] == 0x00) ? 4 : 0;
}

} // namespace dgn
