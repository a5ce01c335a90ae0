#include "interchange/DxfFile.h"
#include "bytes/LittleEndian.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// "AutoCAD Binary DXF" CR LF, then Ctrl-Z and NUL: the first 22 bytes of a binary file.
const char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";
const size_t kSentinelLength = 22;  // including the NUL that ends kSentinel

// The keywords: three sets (the main keywords, the registered application names, the
// extended-data block names) in one table whose index is a hash of the text that has no
// collisions among the keywords (its seed is searched once), so a lookup costs one hash of at
// most 16 characters and one comparison, whatever the number of keywords.
class KeywordTables
{
public:
    enum Set : uint8_t { kMain = 1, kApplication, kXData };

    KeywordTables()
    {
        static const char* const kMainWords[] = {
            "$ACADVER", "*ACTIVE", "$LTSCALE", "$CECOLOR", "$CELTYPE", "$CELTSCALE", "$CELWEIGHT",
            "$CLAYER", "$TEXTSIZE", "$TEXTSTYLE", "3DFACE", "ARC", "APPID", "ATTDEF", "ATTRIB",
            "BLOCK", "BLOCKS", "CIRCLE", "ELLIPSE", "ENDBLK", "ENDSEC", "ENDTAB", "ENTITIES", "EOF",
            "$EXTMIN", "$INSBASE", "$EXTMAX", "HATCH", "HEADER", "INSERT", "$INSUNITS", "$LUNITS",
            "IMAGE", "IMAGEDEF", "IMAGEDEF_REACTOR", "LAYER", "LINE", "LTYPE", "$LIMMIN", "$LIMMAX",
            "LWPOLYLINE", "$MEASUREMENT", "$MODEL_SPACE", "MTEXT", "OBJECTS", "POLYLINE", "SECTION",
            "SEQEND", "SOLID", "SORTENTSTABLE", "STYLE", "TABLES", "TABLE", "TEXT", "VERTEX",
            "$ORTHOMODE", "VPORT", "$USERI1", "$USERI2", "$USERI3", "$USERI4", "$USERI5", "$USERR1",
            "$USERR2", "$USERR3", "$USERR4", "$USERR5"};
        static const char* const kApplications[] = {"Korvane", "YVEXControl"};
        static const char* const kXDataNames[] = {
            "SHAPE IDS", "SELF POINTS", "LINKED POINTS", "HATCH DATA", "SHAPE HATCH DATA",
            "IMAGE DATA", "ELLIPSE DATA", "POLYGON DATA", "RECTANGLE DATA", "RTFTEXT DATA",
            "LABELTEXT DATA", "PARENT ID", "ARROWS", "POLYLINE DATA"};
        int index = 1;
        for (const char* k : kMainWords)
            m_words[index++] = {k, kMain};
        for (const char* k : kApplications)
            m_words[index++] = {k, kApplication};
        for (const char* k : kXDataNames)
            m_words[index++] = {k, kXData};
        for (int i = 1; i <= CDxfFile::kwLast; ++i)
            m_longest = std::max(m_longest, std::strlen(m_words[i].text));
        // The first seed under which no two keywords share a slot (found within a few dozen).
        for (m_seed = 1;; ++m_seed) {
            std::fill(std::begin(m_slots), std::end(m_slots), uint8_t(0));
            bool perfect = true;
            for (int i = 1; i <= CDxfFile::kwLast && perfect; ++i) {
                uint8_t& slot = m_slots[Slot(m_words[i].text, std::strlen(m_words[i].text))];
                perfect = slot == 0;
                slot = static_cast<uint8_t>(i);
            }
            if (perfect)
                break;
        }
    }

    const char* Text(int index) const { return m_words[index].text; }

    int Find(Set set, const char* text, size_t length) const
    {
        if (!text || length > m_longest)
            return 0;
        const int index = m_slots[Slot(text, length)];
        const Word& w = m_words[index];
        return index && w.set == set && std::strncmp(w.text, text, length) == 0 && w.text[length] == 0 ? index : 0;
    }

private:
    struct Word {
        const char* text = nullptr;
        Set set = kMain;
    };
    static const size_t kSlots = 1024;

    size_t Slot(const char* text, size_t length) const
    {
        uint32_t h = 2166136261u ^ m_seed;
        for (size_t i = 0; i < length; ++i)
            h = (h ^ static_cast<unsigned char>(text[i])) * 16777619u;
        return (h ^ (h >> 15)) & (kSlots - 1);
    }

    Word m_words[CDxfFile::kwLast + 1];
    uint8_t m_slots[kSlots] = {};
    uint32_t m_seed = 1;
    size_t m_longest = 0;
};

const KeywordTables& Keywords()
{
    static const KeywordTables tables;
    return tables;
}

bool InRange(int code, int low, int high) { return code >= low && code <= high; }

// An ASCII text value is one line: a carriage return or line feed in it would start new groups,
// and blanks and tabs at its ends are trimmed by readers. Control characters therefore travel in
// the caret form of DXF, '^' and the character plus 64 ("^J" a line feed, "^M" a carriage return,
// "^I" a tab), and a caret that would read as the start of such a pair is written "^ ".
bool CaretWouldEscape(unsigned char next)
{
    return (next != 0 && next < 0x20) || next == ' ' || (next > 0x40 && next <= 0x5F);
}

std::string CaretEncode(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20) {
            out.push_back('^');
            out.push_back(static_cast<char>(c + 0x40));
        } else if (c == '^' && CaretWouldEscape(static_cast<unsigned char>(p[1]))) {
            out += "^ ";
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// The byte a caret pair stands for, or 0 when the caret is itself: "^ " is a caret, '^' before
// 'A' to '_' the control character 1 to 31; any other caret is itself ("^@" too, which would end
// the text).
char CaretPair(unsigned char next)
{
    if (next == ' ')
        return '^';
    if (next > 0x40 && next <= 0x5F)
        return static_cast<char>(next - 0x40);
    return 0;
}

// The longest line read: a text value of the value area with every character in caret form.
const size_t kMaxLineLength = 2 * static_cast<size_t>(CDxfFile::kMaxTextLength);

// The first c in [p, p + n), 16 bytes at a time where SSE2 is there (never past the end).
const char* FindByte(const char* p, size_t n, char c)
{
#if defined(__SSE2__)
    const __m128i needle = _mm_set1_epi8(c);
    while (n >= 16) {
        const int mask =
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), needle));
        if (mask)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
        n -= 16;
    }
#endif
    for (; n; ++p, --n)
        if (*p == c)
            return p;
    return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// White space as the C runtime's number parsers skip it in the "C" locale.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Past the white space and the sign that begin a number; negative tells the sign.
const char* SkipSpaceAndSign(const char* p, const char* end, bool& negative)
{
    while (p < end && IsCSpace(*p))
        ++p;
    negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+'))
        ++p;
    return p;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char l = static_cast<char>(c | 0x20);
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

// Whether a number that from_chars found out of range is too large rather than too small: the
// position of its first significant digit against the point, plus its exponent (binary for a
// hexadecimal number, whose digits are 4 bits each). Out of range, the two ends lie hundreds of
// decimal places apart.
bool TooLarge(const char* p, const char* end, bool hex)
{
    auto digit = [hex](char c) { return hex ? HexDigit(c) >= 0 : IsDigit(c); };
    long long place = 0;
    bool significant = false;
    for (; p < end && digit(*p); ++p)
        if (significant || *p != '0') {
            significant = true;
            ++place;
        }
    if (p < end && *p == '.') {
        for (++p; p < end && !significant && *p == '0'; ++p)
            --place;
        while (p < end && digit(*p))
            ++p;
    }
    long long exponent = 0;
    if (p < end && (*p | 0x20) == (hex ? 'p' : 'e')) {
        ++p;
        const bool negative = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+'))
            ++p;
        for (; p < end && IsDigit(*p); ++p)
            if (exponent < 1000000000)
                exponent = exponent * 10 + (*p - '0');
        if (negative)
            exponent = -exponent;
    }
    return (hex ? place * 4 : place) + exponent > 0;
}

// "nan(...)": the runtime takes the hexadecimal digits inside (an optional "0x" first, the
// closing parenthesis optional at the end of the text) as the low bits of the NaN, with no quiet
// bit added and never all zero; any other character inside leaves the plain NaN. (Blanks between
// the digits are skipped here; the runtime starts a new 32-bit word at them.)
double NanWithBits(const char* p, const char* end, double plain)
{
    if (end - p > 2 && p[0] == '0' && (p[1] | 0x20) == 'x' && static_cast<unsigned char>(p[2]) > ' ')
        p += 2;
    uint64_t bits = 0;
    bool any = false;
    for (; p < end && *p != 0 && *p != ')'; ++p) {
        const int d = HexDigit(*p);
        if (d >= 0) {
            bits = (bits << 4) | static_cast<unsigned>(d);
            any = true;
        } else if (static_cast<unsigned char>(*p) > ' ') {
            return plain;
        }
    }
    if (!any)
        return plain;
    bits &= 0x000FFFFFFFFFFFFFull;
    bits = 0x7FF0000000000000ull | (bits ? bits : 1);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

CDxfFile::CDxfFile() { Keywords(); }

CDxfFile::~CDxfFile() { Close(); }

// --- value classes ---------------------------------------------------------------------------

// Value sizes of binary DXF by code range, as DXF defines them: 16-bit integers for 60-79,
// 170-179, 270-289, 370-389, 400-409 and 1060-1070; 32-bit for 90-99, 420-429, 440-459 and
// 1071; one byte for the flags 290-299; handles and object IDs (105, 320-369, 390-399, 480,
// 481) as zero-terminated hexadecimal text; binary chunks (310-319, 1004) as a length byte and
// that many bytes. Codes up to 1071 are looked up in a table made once from these ranges.
CDxfFile::BinaryKind CDxfFile::KindOf(int code)
{
    struct Table {
        uint8_t kinds[1072];
        Table()
        {
            for (int c = 0; c < 1072; ++c)
                kinds[c] = static_cast<uint8_t>(KindInRanges(c));
        }
    };
    static const Table table;
    return code >= 0 && code < 1072 ? static_cast<BinaryKind>(table.kinds[code]) : bkNone;
}

CDxfFile::BinaryKind CDxfFile::KindInRanges(int code)
{
    if (InRange(code, 0, 9) || InRange(code, 100, 102) || InRange(code, 300, 309) ||
        InRange(code, 410, 419) || InRange(code, 430, 439) || InRange(code, 470, 479) || code == 999 ||
        InRange(code, 1000, 1003) || InRange(code, 1005, 1009))
        return bkString;
    if (InRange(code, 10, 59) || InRange(code, 110, 149) || InRange(code, 210, 239) ||
        InRange(code, 460, 469) || InRange(code, 1010, 1059))
        return bkDouble;
    if (InRange(code, 60, 79) || InRange(code, 170, 179) || InRange(code, 270, 289) ||
        InRange(code, 370, 389) || InRange(code, 400, 409) || InRange(code, 1060, 1070))
        return bkInt16;
    if (InRange(code, 90, 99) || InRange(code, 420, 429) || InRange(code, 440, 459) || code == 1071)
        return bkInt32;
    if (InRange(code, 160, 169))
        return bkInt64;
    if (InRange(code, 290, 299))
        return bkBool;
    if (InRange(code, 310, 319) || code == 1004)
        return bkChunk;
    if (code == 105 || InRange(code, 320, 369) || InRange(code, 390, 399) || InRange(code, 480, 481))
        return bkHandle;
    return bkNone;
}

CDxfFile::ValueClass CDxfFile::ClassOf(int code)
{
    switch (KindOf(code)) {
    case bkInt16:
    case bkInt32:
    case bkInt64:
    case bkBool:
        return vcInteger;
    case bkDouble:
        return vcReal;
    case bkString:
    case bkChunk:
        return vcText;
    case bkHandle:
        return vcHandle;
    default:
        return vcNone;
    }
}

// --- numbers ---------------------------------------------------------------------------------

int32_t CDxfFile::ParseInteger(const char* text, size_t length)
{
    const char* end = text + length;
    bool negative;
    const char* p = SkipSpaceAndSign(text, end, negative);
    uint64_t magnitude = 0;
    for (; p < end && IsDigit(*p); ++p)
        if (magnitude <= UINT32_MAX)
            magnitude = magnitude * 10 + static_cast<unsigned>(*p - '0');
    // A long of the Windows runtime holds 32 bits: beyond, the value sticks at its end.
    if (negative)
        return magnitude >= 0x80000000u ? INT32_MIN : -static_cast<int32_t>(magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

double CDxfFile::ParseReal(const char* text, size_t length)
{
    const char* end = text + length;
    bool negative;
    const char* p = SkipSpaceAndSign(text, end, negative);
    // A sign with nothing behind it reads as 0; with something that is no number, as 0 of
    // that sign (the runtime's own quirk). from_chars takes no sign of its own here (a second
    // sign is no number) and no "0x".
    if (p == end || *p == 0)
        return 0.0;
    if (*p == '-' || *p == '+')
        return negative ? -0.0 : 0.0;
#if FLT_EVAL_METHOD == 0
    // The common case, a plain decimal of up to 15 digits and up to 22 of them after the point,
    // with no exponent: its digits and the power of ten are exact doubles, so one division is
    // the correctly rounded value, as the runtime's is. (Where doubles are computed wider, the
    // rounding twice could differ: from_chars then takes every number.)
    {
        static const double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const char* q = p;
        uint64_t mantissa = 0;
        int count = 0, after = -1;
        for (; q < end && count <= 15; ++q) {
            if (IsDigit(*q)) {
                mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
                ++count;
                if (after >= 0)
                    ++after;
            } else if (*q == '.' && after < 0) {
                after = 0;
            } else {
                break;
            }
        }
        const bool more = q < end && (IsDigit(*q) || (*q | 0x20) == 'e' || (*q | 0x20) == 'x' || *q == '.');
        if (count > 0 && count <= 15 && !more && after <= 22) {
            const double value = static_cast<double>(mantissa) / kPowers[after > 0 ? after : 0];
            return negative ? -value : value;
        }
    }
#endif
    const bool hex = end - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x';
    const char* digits = hex ? p + 2 : p;
    // After "0x" only a hexadecimal digit or the point begins the number (no sign, no "inf").
    if (hex && (digits == end || (HexDigit(*digits) < 0 && *digits != '.')))
        return negative ? -0.0 : 0.0;
    double value = 0.0;
    const std::from_chars_result r =
        std::from_chars(digits, end, value, hex ? std::chars_format::hex : std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) {
        // No number (or nothing after "0x", whose 0 is the number).
        value = 0.0;
    } else if (r.ec == std::errc::result_out_of_range) {
        value = TooLarge(digits, end, hex) ? HUGE_VAL : 0.0;
    } else if (std::isnan(value) && end - digits > 4 && digits[3] == '(') {
        value = NanWithBits(digits + 4, end, value);
    }
    return negative ? -value : value;
}

uint32_t CDxfFile::ParseHandle(const char* text, size_t length)
{
    const char* end = text + length;
    bool negative;
    const char* p = SkipSpaceAndSign(text, end, negative);
    if (end - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x')
        p += 2;
    uint64_t magnitude = 0;
    for (int d; p < end && (d = HexDigit(*p)) >= 0; ++p)
        if (magnitude <= UINT32_MAX)
            magnitude = magnitude * 16 + static_cast<unsigned>(d);
    // Beyond 32 bits the runtime these rules were taken from answers the largest value, or 1
    // for a negative one.
    if (magnitude > UINT32_MAX)
        return negative ? 1u : UINT32_MAX;
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude)) : static_cast<uint32_t>(magnitude);
}

// --- keywords --------------------------------------------------------------------------------

const char* CDxfFile::KeywordFromIndex(int index)
{
    if (index < 1 || index > kwLast)
        return nullptr;
    const char* k = Keywords().Text(index);
    return k ? k : "";
}

int CDxfFile::LookupKeyword(const char* text)
{
    return text ? Keywords().Find(KeywordTables::kMain, text, std::strlen(text)) : 0;
}

int CDxfFile::LookupApplication(const char* text)
{
    return text ? Keywords().Find(KeywordTables::kApplication, text, std::strlen(text)) : 0;
}

int CDxfFile::LookupXDataName(const char* text)
{
    // The block names begin with a letter: anything else is data.
    if (!text || !(((text[0] | 0x20) >= 'a') && ((text[0] | 0x20) <= 'z')))
        return 0;
    return Keywords().Find(KeywordTables::kXData, text, std::strlen(text));
}

void CDxfFile::LookUp(bool lookupNames)
{
    const KeywordTables& k = Keywords();
    switch (m_group.code) {
    case 0:
    case 9:
        m_keyword = k.Find(KeywordTables::kMain, m_group.text, m_textLength);
        break;
    case 2:
        if (lookupNames)
            m_keyword = k.Find(KeywordTables::kMain, m_group.text, m_textLength);
        break;
    case 1000:
        m_keyword = LookupXDataName(m_group.text);
        break;
    case 1001:
        m_keyword = k.Find(KeywordTables::kApplication, m_group.text, m_textLength);
        break;
    default:
        break;
    }
}

void CDxfFile::SetText(const char* text)
{
    const size_t n = text ? std::min(std::strlen(text), static_cast<size_t>(kMaxTextLength)) : 0;
    if (n)
        std::memcpy(m_group.text, text, n);
    m_group.text[n] = 0;
    m_textLength = n;
}

const char* CDxfFile::GetRawText() const
{
    if (m_rawText != m_raw.data() || m_raw.size() != m_rawLength) {
        m_raw.assign(m_rawText, m_rawLength);
        m_rawText = m_raw.data();
    }
    return m_raw.c_str();
}

// --- opening and closing ---------------------------------------------------------------------

void CDxfFile::ResetReadState()
{
    m_position = 0;
    m_totalSize = 0;
    m_groupBytes = 0;
    m_pushedBack = false;
    m_error = false;
    m_keyword = 0;
    m_raw.clear();
    SetRaw("", 0);
    m_lineNumber = 0;
    m_groupLines = 0;
    m_errorLine = 0;
    m_errorOffset = 0;
    m_afterEof = false;
    m_sawEof = false;
    m_reachedEnd = false;
    m_dataEnd = 0;
    m_readAhead = false;
    m_dataStart = 0;
    m_streamStart = 0;
    m_highestHandle = 0;
    m_seedOffset = -1;
    m_tableHandles = false;
    m_nextProgress = 0;
    m_progressStep = 1;
}

bool CDxfFile::Rewind()
{
    if (!IsOpenForReading())
        return false;
    if (m_stream) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(m_streamStart);
        if (FAILED(m_stream->Seek(at, STREAM_SEEK_SET, nullptr)))
            return false;
    }
    m_position = m_dataStart;
    m_groupBytes = 0;
    m_pushedBack = false;
    m_error = false;
    m_keyword = 0;
    SetRaw("", 0);
    m_lineNumber = 0;
    m_groupLines = 0;
    m_errorLine = 0;
    m_errorOffset = 0;
    m_afterEof = false;
    m_sawEof = false;
    m_reachedEnd = false;
    m_dataEnd = 0;
    m_nextProgress = 0;
    return true;
}

bool CDxfFile::Open(const char* path, bool reading)
{
    Close();
    if (!CUrlSource::Open(path, reading))
        return false;
    ResetReadState();
    const std::string& local = GetLocalPath();
    if (reading) {
        m_file.Reset(CreateFileA(local.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size;
        if (!m_file || !GetFileSizeEx(m_file.Get(), &size) ||
            static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) {
            CloseHandles();
            CUrlSource::Close();
            return false;
        }
        m_totalSize = static_cast<uint64_t>(size.QuadPart);
        if (m_totalSize != 0 && m_totalSize <= kCopiedSize) {
            // A small file is read whole: mapping it costs more than reading it.
            m_copy.reset(new (std::nothrow) uint8_t[static_cast<size_t>(m_totalSize)]);
            if (!m_copy || !ReadWhole(m_copy.get(), static_cast<size_t>(m_totalSize))) {
                CloseHandles();
                CUrlSource::Close();
                return false;
            }
        } else if (m_totalSize != 0) {
            m_mapping.Reset(CreateFileMappingA(m_file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
            if (m_mapping)
                m_view.Reset(MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, 0));
            if (!m_view) {
                CloseHandles();
                CUrlSource::Close();
                return false;
            }
        }
        bool accepted = m_totalSize == 0;  // an empty file opens and yields no groups
        m_binary = false;
        if (m_totalSize > kSentinelLength && std::memcmp(View(), kSentinel, kSentinelLength) == 0) {
            m_binary = true;
            m_position = kSentinelLength;
            // The first group is code 0: two zero bytes in the newer form, one in the older.
            m_twoByteCodes = m_totalSize >= kSentinelLength + 2 && View()[kSentinelLength] == 0 &&
                             View()[kSentinelLength + 1] == 0;
            accepted = true;
        } else if (m_totalSize != 0) {
            // ASCII: up to 19 blanks, the code 0, white space, and "SECTION" in any case, with
            // the 0 and the keyword's first letter inside the first 20 bytes.
            m_binary = false;
            size_t i = 0;
            while (i < m_totalSize && i < 19 && View()[i] == ' ')
                ++i;
            if (i < m_totalSize && View()[i] == '0') {
                ++i;
                while (i < m_totalSize && std::isspace(View()[i]))
                    ++i;
                accepted = i < 20 && i + 7 <= m_totalSize &&
                           _strnicmp(reinterpret_cast<const char*>(View() + i), "SECTION", 7) == 0;
            }
        }
        if (!accepted) {
            CloseHandles();
            CUrlSource::Close();
            return false;
        }
        m_dataStart = m_position;
    } else {
        m_file.Reset(CreateFileA(local.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file) {
            CUrlSource::Close();
            return false;
        }
        m_isOpen = true;
        m_reading = false;
        if (m_binary && !Emit(std::string(kSentinel, kSentinelLength))) {
            CloseHandles();
            DeleteFileA(local.c_str());
            m_isOpen = false;
            CUrlSource::Close();
            return false;
        }
        return true;
    }
    m_isOpen = true;
    m_reading = true;
    return true;
}

bool CDxfFile::OpenStream(IStream* stream, bool reading)
{
    Close();
    if (!stream)
        return false;
    ResetReadState();
    m_stream = stream;
    STATSTG stat = {};
    if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)))
        m_totalSize = stat.cbSize.QuadPart;
    m_isOpen = true;
    m_reading = reading;
    if (reading) {
        uint8_t head[kSentinelLength];
        ULONG got = 0;
        stream->Read(head, kSentinelLength, &got);
        if (got == kSentinelLength && std::memcmp(head, kSentinel, kSentinelLength) == 0) {
            m_binary = true;
            m_position = kSentinelLength;
            uint8_t next[2] = {1, 1};
            ULONG more = 0;
            stream->Read(next, 2, &more);
            m_twoByteCodes = more == 2 && next[0] == 0 && next[1] == 0;
            LARGE_INTEGER back;
            back.QuadPart = -static_cast<LONGLONG>(more);
            stream->Seek(back, STREAM_SEEK_CUR, nullptr);
        } else {
            m_binary = false;
            LARGE_INTEGER back;
            back.QuadPart = -static_cast<LONGLONG>(got);
            stream->Seek(back, STREAM_SEEK_CUR, nullptr);
        }
        m_dataStart = m_position;
        LARGE_INTEGER here = {};
        ULARGE_INTEGER at = {};
        if (SUCCEEDED(stream->Seek(here, STREAM_SEEK_CUR, &at)))
            m_streamStart = at.QuadPart;
    } else if (m_binary && !Emit(std::string(kSentinel, kSentinelLength))) {
        m_isOpen = false;
        m_stream = nullptr;
        return false;
    }
    return true;
}

bool CDxfFile::ReadWhole(uint8_t* into, size_t length)
{
    // Only files up to kCopiedSize come here: a length fits a single read.
    while (length > 0) {
        DWORD got = 0;
        if (!ReadFile(m_file.Get(), into, static_cast<DWORD>(length), &got, nullptr) || got == 0)
            return false;
        into += got;
        length -= got;
    }
    return true;
}

void CDxfFile::CloseHandles()
{
    // The view goes before its mapping, the mapping before its file.
    m_copy.reset();
    m_view.Reset();
    m_mapping.Reset();
    m_file.Reset();
    m_stream = nullptr;
}

bool CDxfFile::Close()
{
    const bool wasOpen = m_isOpen || IsOpen();
    // A written file that lacks a value it was given, or bytes it was given, is no success.
    const bool writing = m_isOpen && !m_reading;
    const bool unwritten = writing && !Flush();
    const bool refusedValue = writing && m_error;
    m_writeBuffer.clear();
    m_writeFailed = false;
    m_isOpen = false;
    m_keyword = 0;
    m_pushedBack = false;
    CloseHandles();
    const bool closed = CUrlSource::Close();
    return wasOpen && closed && !refusedValue && !unwritten;
}

void CDxfFile::ReportProgress(long percent, int kind)
{
    if (!HasProgressCallback())
        return;
    if (percent < 0) {
        if (m_totalSize == 0)
            return;
        percent = static_cast<long>(static_cast<double>(m_position + 1) / static_cast<double>(m_totalSize) * 99.0);
        if (percent > 99)
            percent = 99;
    }
    CUrlSource::ReportProgress(percent, kind);
}

// --- reading ---------------------------------------------------------------------------------

bool CDxfFile::AtEnd()
{
    if (HasBytes() || m_file)
        return m_position >= m_totalSize;
    return false;  // a stream tells its end only when a read comes back short
}

bool CDxfFile::ReadBytes(void* out, size_t length)
{
    if (length == 0)
        return true;
    if (m_stream) {
        ULONG got = 0;
        if (FAILED(m_stream->Read(out, static_cast<ULONG>(length), &got)) || got != length) {
            m_position += got;
            m_groupBytes += got;
            NoteEnd(m_position);
            return false;
        }
    } else {
        if (!HasBytes() || m_position > m_totalSize || m_totalSize - m_position < length) {
            if (HasBytes() && m_position <= m_totalSize)
                NoteEnd(m_totalSize);
            return false;
        }
        std::memcpy(out, View() + m_position, length);
    }
    m_position += length;
    m_groupBytes += length;
    return true;
}

// One line: up to a line feed, which is consumed with a carriage return before it (files from
// other systems end lines with a bare line feed). A last line without a line end counts. Blanks
// and tabs around the text are left out. The line is the raw text: in a mapped file it stays
// where it lies, a stream's is gathered in m_raw.
bool CDxfFile::ReadLine(bool& gotLine)
{
    gotLine = false;
    SetRaw("", 0);
    const char* line;
    size_t length;
    if (HasBytes()) {
        if (m_position >= m_totalSize)
            return true;
        const char* start = reinterpret_cast<const char*>(View()) + m_position;
        const size_t left = static_cast<size_t>(m_totalSize - m_position);
        const char* lf = FindByte(start, left, '\n');
        const size_t consumed = lf ? static_cast<size_t>(lf - start) + 1 : left;
        length = lf ? static_cast<size_t>(lf - start) : left;
        if (length > 0 && start[length - 1] == '\r')
            --length;
        m_position += consumed;
        m_groupBytes += consumed;
        ++m_lineNumber;
        ++m_groupLines;
        if (length > kMaxLineLength + 64)
            return false;  // far too long for any value: malformed
        line = start;
    } else if (m_stream) {
        m_raw.clear();
        char c;
        bool any = false;
        while (ReadBytes(&c, 1)) {
            any = true;
            if (c == '\n')
                break;
            if (m_raw.size() > kMaxLineLength + 64) {
                ++m_lineNumber;
                SetRaw(m_raw.data(), m_raw.size());
                return false;
            }
            m_raw.push_back(c);
        }
        if (!any)
            return true;
        ++m_lineNumber;
        ++m_groupLines;
        if (!m_raw.empty() && m_raw.back() == '\r')
            m_raw.pop_back();
        line = m_raw.data();
        length = m_raw.size();
    } else {
        return true;
    }
    while (length > 0 && IsBlank(*line)) {
        ++line;
        --length;
    }
    while (length > 0 && IsBlank(line[length - 1]))
        --length;
    SetRaw(line, length);
    if (length > kMaxLineLength)
        return false;
    gotLine = true;
    return true;
}

bool CDxfFile::Malformed(uint64_t line)
{
    if (!m_error && !m_binary)
        m_errorLine = line;
    m_error = true;
    return false;
}

// A text value in caret form into the value area, up to a zero byte in it; false when it
// decodes to more than the area holds.
bool CDxfFile::DecodeText(const char* text, size_t length)
{
    char* out = m_group.text;
    if (!FindByte(text, length, '^')) {
        if (length > static_cast<size_t>(kMaxTextLength))
            return false;
        const char* zero = static_cast<const char*>(std::memchr(text, 0, length));
        m_textLength = zero ? static_cast<size_t>(zero - text) : length;
        std::memcpy(out, text, m_textLength);
        out[m_textLength] = 0;
        return true;
    }
    // Measured first, so that a text too long leaves the value area as it was.
    size_t decoded = 0;
    for (size_t i = 0; i < length; ++i, ++decoded)
        if (text[i] == '^' && i + 1 < length && CaretPair(static_cast<unsigned char>(text[i + 1])))
            ++i;
    if (decoded > static_cast<size_t>(kMaxTextLength))
        return false;
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '^' && i + 1 < length) {
            if (const char pair = CaretPair(static_cast<unsigned char>(text[i + 1]))) {
                c = pair;
                ++i;
            }
        }
        out[n++] = c;
    }
    out[n] = 0;
    m_textLength = std::strlen(out);
    return true;
}

bool CDxfFile::ReadAsciiGroup()
{
    bool got = false;
    if (!ReadLine(got))
        return Malformed(m_lineNumber);
    if (!got)
        return false;  // the end of the data
    if (m_rawLength == 0) {
        // No group code on the line: a damaged file, unless the file has ended with EOF and
        // nothing but white space follows.
        const uint64_t blank = m_lineNumber;
        if (m_afterEof) {
            for (;;) {
                if (!ReadLine(got))
                    break;
                if (got) {
                    bool white = true;
                    for (size_t i = 0; i < m_rawLength && white; ++i)
                        white = std::strchr(" \t\r\f\v", m_rawText[i]) && m_rawText[i] != 0;
                    if (!white)
                        break;
                } else {
                    return false;  // white space to the end
                }
            }
        }
        return Malformed(blank);
    }
    if (m_rawLength > static_cast<size_t>(kMaxTextLength))
        return Malformed(m_lineNumber);
    int64_t code = 0;
    for (size_t i = 0; i < m_rawLength; ++i) {
        const char c = m_rawText[i];
        if (!IsDigit(c) || code > INT32_MAX / 10)
            return Malformed(m_lineNumber);
        code = code * 10 + (c - '0');
    }
    m_group.code = static_cast<int32_t>(code);
    if (!ReadLine(got))
        return Malformed(m_lineNumber);
    if (!got)
        return Malformed(m_lineNumber + 1);  // the value line is missing
    const char* text = m_rawText;
    const size_t length = m_rawLength;
    const ValueClass valueClass = ClassOf(m_group.code);
    // Only a text in caret form may be longer than the value area on its line.
    if (valueClass != vcText && length > static_cast<size_t>(kMaxTextLength))
        return Malformed(m_lineNumber);
    // Reading ahead, a number cannot fail any more, nor a text that fits the area as it stands
    // (decoding only shortens it): only a group 0 needs its text.
    if (m_readAhead && (valueClass != vcText || (m_group.code != 0 && length <= static_cast<size_t>(kMaxTextLength))))
        return true;
    switch (valueClass) {
    case vcInteger:
        m_group.intValue = ParseInteger(text, length);
        break;
    case vcReal:
        m_group.realValue = ParseReal(text, length);
        break;
    case vcHandle:
        m_group.handle = ParseHandle(text, length);
        break;
    case vcText:
        if (!DecodeText(text, length))
            return Malformed(m_lineNumber);
        break;
    default:
        break;  // no value class: only the raw line is kept
    }
    return true;
}

// A zero-terminated text of at most maxBytes bytes including its terminator, as the raw text:
// in a mapped file where it lies, from a stream gathered in m_raw.
bool CDxfFile::ReadBinaryString(size_t maxBytes)
{
    SetRaw("", 0);
    if (HasBytes()) {
        if (m_position >= m_totalSize)
            return false;
        const char* start = reinterpret_cast<const char*>(View()) + m_position;
        const size_t left = static_cast<size_t>(m_totalSize - m_position);
        const size_t window = std::min(left, maxBytes);
        const char* zero = static_cast<const char*>(std::memchr(start, 0, window));
        // Without its end inside the window, everything read so far is consumed.
        const size_t consumed = zero ? static_cast<size_t>(zero - start) + 1 : window;
        m_position += consumed;
        m_groupBytes += consumed;
        if (!zero)
            return false;
        SetRaw(start, consumed - 1);
        return true;
    }
    m_raw.clear();
    for (;;) {
        char c;
        if (!ReadBytes(&c, 1))
            return false;
        if (c == 0)
            break;
        if (m_raw.size() + 1 >= maxBytes)
            return false;
        m_raw.push_back(c);
    }
    SetRaw(m_raw.data(), m_raw.size());
    return true;
}

bool CDxfFile::MalformedAt(uint64_t offset)
{
    if (!m_error)
        m_errorOffset = offset;
    m_error = true;
    return false;
}

bool CDxfFile::ReadBinaryGroup()
{
    if (AtEnd())
        return false;
    // Where the field being read began: a group that breaks off names it.
    uint64_t field = m_position;
    uint8_t b[8];
    if (m_twoByteCodes) {
        if (!ReadBytes(b, 1))
            return false;  // the end of the data
        if (!ReadBytes(b + 1, 1))
            return MalformedAt(field);
        m_group.code = static_cast<int16_t>(ybytes::Load(b, 2));
    } else {
        if (!ReadBytes(b, 1))
            return false;
        if (b[0] == 255) {
            if (!ReadBytes(b, 2))
                return MalformedAt(field);
            m_group.code = static_cast<int16_t>(ybytes::Load(b, 2));
        } else {
            m_group.code = b[0];
        }
    }
    const uint64_t codeAt = field;
    field = m_position;
    bool ok = true;
    SetRaw("", 0);
    switch (KindOf(m_group.code)) {
    case bkInt16:
        ok = ReadBytes(b, 2);
        m_group.intValue = static_cast<int16_t>(ybytes::Load(b, 2));
        break;
    case bkInt32:
        ok = ReadBytes(b, 4);
        m_group.intValue = static_cast<int32_t>(ybytes::Load(b, 4));
        break;
    case bkInt64:
        // Kept as its low 32 bits: no reader here needs more.
        ok = ReadBytes(b, 8);
        m_group.intValue = static_cast<int32_t>(ybytes::Load(b, 8));
        break;
    case bkBool:
        ok = ReadBytes(b, 1);
        m_group.intValue = b[0];
        break;
    case bkDouble:
        ok = ReadBytes(b, 8);
        m_group.realValue = ybytes::FromBits<double>(ybytes::Load(b, 8));
        break;
    case bkString:
        ok = ReadBinaryString(DxfGroup::kValueSize);
        if (ok) {
            // Up to a zero inside cannot happen (the zero ends it): the whole raw text.
            std::memcpy(m_group.text, m_rawText, m_rawLength);
            m_group.text[m_rawLength] = 0;
            m_textLength = m_rawLength;
        }
        break;
    case bkHandle:
        ok = ReadBinaryString(DxfGroup::kValueSize);
        if (ok)
            m_group.handle = ParseHandle(m_rawText, m_rawLength);
        break;
    case bkChunk: {
        ok = ReadBytes(b, 1);
        const size_t n = b[0];
        if (ok) {
            field = m_position;
            if (HasBytes()) {
                ok = m_totalSize - m_position >= n;
                if (ok) {
                    SetRaw(reinterpret_cast<const char*>(View()) + m_position, n);
                    m_position += n;
                    m_groupBytes += n;
                }
            } else {
                m_raw.assign(n, '\0');
                ok = ReadBytes(&m_raw[0], n);
                SetRaw(m_raw.data(), n);
            }
            if (ok)
                std::memcpy(m_group.text, m_rawText, n);
            m_group.text[ok ? n : 0] = 0;
            m_textLength = ok ? std::strlen(m_group.text) : 0;
        }
        break;
    }
    default:
        // The value of a code outside every class has no known size: the data cannot be
        // followed past it.
        return MalformedAt(codeAt);
    }
    return ok ? true : MalformedAt(field);
}

// Progress goes out every 1 % of the data, and at least every 256 kB: often enough for a bar,
// never a cost beside the groups. A minimum step spaces the reports further.
void CDxfFile::NoteProgress()
{
    if (m_readAhead || !HasProgressCallback() || m_position < m_nextProgress)
        return;
    ReportProgress(-1, 1);
    const uint64_t onePercent = m_totalSize / 100;
    m_progressStep = std::max<uint64_t>({1, std::min<uint64_t>(onePercent, 256 * 1024), m_progressMinimumStep});
    m_nextProgress = m_position + m_progressStep;
}

bool CDxfFile::ReadGroup(DxfGroup* copyTo, bool lookupNames)
{
    if (!m_isOpen || !m_reading)
        return false;
    NoteProgress();
    if (m_pushedBack) {
        m_pushedBack = false;
        m_position += m_groupBytes;
        m_lineNumber += m_groupLines;
    } else {
        m_keyword = 0;
        m_groupBytes = 0;
        m_groupLines = 0;
        const bool ok = m_binary ? ReadBinaryGroup() : ReadAsciiGroup();
        if (!ok) {
            // A file's end is where its bytes end; a stream's, where a read came back short.
            if (!m_stream && m_position >= m_totalSize)
                NoteEnd(m_totalSize);
            return false;
        }
        if (ClassOf(m_group.code) == vcText && (!m_readAhead || m_group.code == 0))
            LookUp(lookupNames);
        m_afterEof = m_group.code == 0 && m_keyword == kwEof;
        if (m_afterEof)
            m_sawEof = true;
    }
    if (copyTo) {
        // The code and the value, a text up to its end: the rest of the area means nothing.
        copyTo->code = m_group.code;
        if (ClassOf(m_group.code) == vcText)
            std::memcpy(copyTo->text, m_group.text, m_textLength + 1);
        else
            std::memcpy(copyTo->text, m_group.text, sizeof(double));
    }
    return true;
}

bool CDxfFile::UngetGroup()
{
    // A second push-back before the next read changes nothing.
    if (!m_pushedBack) {
        m_position -= std::min(m_position, m_groupBytes);
        m_lineNumber -= std::min(m_lineNumber, m_groupLines);
        m_pushedBack = true;
    }
    return true;
}

bool CDxfFile::ReadExpectedGroup(int code)
{
    if (!ReadGroup())
        return false;
    if (m_group.code != code && !(code == 1070 && m_group.code == 1071)) {
        UngetGroup();
        return false;
    }
    return true;
}

// --- writing ---------------------------------------------------------------------------------

namespace {
// The buffer goes out when it holds this much.
const size_t kWriteBufferSize = 256 * 1024;
// Room for any number as it is written: "%f" of the largest double takes 317 characters.
const size_t kNumberRoom = 400;

// A real as "%f" writes it (six decimals, rounded as the C library rounds), without the
// library's format parsing: the same characters, at a fraction of the cost. Infinities and NaNs
// take the library's own spelling.
char* PutFixed(char* at, char* end, double value)
{
    if (!std::isfinite(value))
        return at + std::snprintf(at, static_cast<size_t>(end - at), "%f", value);
    return std::to_chars(at, end, value, std::chars_format::fixed, 6).ptr;
}

char* PutLineEnd(char* at)
{
    at[0] = '\r';
    at[1] = '\n';
    return at + 2;
}
} // namespace

bool CDxfFile::Emit(const char* bytes, size_t length)
{
    m_writeBuffer.append(bytes, length);
    m_position += length;
    return m_writeBuffer.size() < kWriteBufferSize || Flush();
}

bool CDxfFile::Flush()
{
    if (m_writeBuffer.empty())
        return !m_writeFailed;
    bool ok;
    if (m_stream) {
        ULONG written = 0;
        ok = SUCCEEDED(m_stream->Write(m_writeBuffer.data(), static_cast<ULONG>(m_writeBuffer.size()), &written)) &&
             written == m_writeBuffer.size();
    } else {
        DWORD written = 0;
        ok = m_file &&
             WriteFile(m_file.Get(), m_writeBuffer.data(), static_cast<DWORD>(m_writeBuffer.size()), &written, nullptr) &&
             written == m_writeBuffer.size();
    }
    m_writeBuffer.clear();
    if (!ok)
        m_writeFailed = true;
    return !m_writeFailed;
}

bool CDxfFile::WriteGroup()
{
    if (!m_isOpen || m_reading)
        return false;
    if ((m_group.code == 5 || m_group.code == 105) && ClassOf(m_group.code) == vcText)
        m_highestHandle = std::max(m_highestHandle, ParseHandle(m_group.text, std::strlen(m_group.text)));
    int code = m_group.code;
    const bool fits16 = m_group.intValue >= INT16_MIN && m_group.intValue <= INT16_MAX;
    // An extended-data integer beyond 16 bits goes as the 32-bit one (1071), in both forms, so
    // that both carry the same groups; readers that expect a 1070 take a 1071 as well.
    if (code == 1070 && !fits16)
        code = 1071;
    const BinaryKind kind = KindOf(code);
    if (kind == bkNone || kind == bkChunk)
        return false;  // nothing writes these; their written form is not defined here
    if (kind == bkInt16 && !fits16 && m_binary)
        return false;  // two bytes would cut the value: nothing is written
    std::string out;
    char text[kNumberRoom];
    if (!m_binary) {
        // " code", then the value, each on its line.
        char* const end = text + sizeof text;
        text[0] = ' ';
        char* at = PutLineEnd(std::to_chars(text + 1, end, code).ptr);
        switch (ClassOf(code)) {
        case vcInteger:
            at = std::to_chars(at, end, static_cast<int>(m_group.intValue)).ptr;
            break;
        case vcReal:
            at = PutFixed(at, end, m_group.realValue);
            break;
        case vcHandle: {
            char* const digits = at;
            at = std::to_chars(at, end, static_cast<unsigned>(m_group.handle), 16).ptr;
            for (char* c = digits; c < at; ++c)
                *c = static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
            break;
        }
        default: {
            const char* value = m_group.text;
            // Most texts hold nothing that needs a caret: they go as they are.
            bool plain = true;
            for (const char* p = value; *p && plain; ++p)
                plain = static_cast<unsigned char>(*p) >= 0x20 && *p != '^';
            if (plain) {
                Emit(text, static_cast<size_t>(at - text));
                Emit(value, std::strlen(value));
            } else {
                out.assign(text, at);
                out += CaretEncode(value);
                Emit(out);
            }
            at = PutLineEnd(text);
            return Emit(text, static_cast<size_t>(at - text));
        }
        }
        at = PutLineEnd(at);
        return Emit(text, static_cast<size_t>(at - text));
    } else {
        if (m_twoByteCodes) {
            ybytes::Append(out, static_cast<uint16_t>(code), 2);
        } else if (code >= 0 && code < 255) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(255));
            ybytes::Append(out, static_cast<uint16_t>(code), 2);
        }
        switch (kind) {
        case bkInt16:
            ybytes::Append(out, static_cast<uint16_t>(static_cast<int16_t>(m_group.intValue)), 2);
            break;
        case bkInt32:
            ybytes::Append(out, static_cast<uint32_t>(m_group.intValue), 4);
            break;
        case bkInt64:
            ybytes::Append(out, static_cast<uint64_t>(static_cast<int64_t>(m_group.intValue)), 8);
            break;
        case bkBool:
            out.push_back(static_cast<char>(m_group.intValue ? 1 : 0));
            break;
        case bkDouble: {
            uint64_t bits;
            std::memcpy(&bits, &m_group.realValue, sizeof bits);
            ybytes::Append(out, bits, 8);
            break;
        }
        case bkHandle:
            std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(m_group.handle));
            out.append(text, std::strlen(text) + 1);
            break;
        default:
            out.append(m_group.text, std::strlen(m_group.text) + 1);
            break;
        }
    }
    return Emit(out);
}

// The handle seed is written as eight hexadecimal digits, leading zeros and all (readers take the
// value as a hexadecimal number), so that its final value fits in the place it took.
namespace {
const char kSeedPlaceholder[] = "00000000";
const size_t kSeedDigits = 8;
} // namespace

bool CDxfFile::WriteOffset(uint64_t* offset)
{
    if (!Flush())
        return false;
    if (m_stream) {
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER at = {};
        if (FAILED(m_stream->Seek(zero, STREAM_SEEK_CUR, &at)))
            return false;
        *offset = at.QuadPart;
        return true;
    }
    LARGE_INTEGER zero = {}, at = {};
    if (!m_file || !SetFilePointerEx(m_file.Get(), zero, &at, FILE_CURRENT))
        return false;
    *offset = static_cast<uint64_t>(at.QuadPart);
    return true;
}

bool CDxfFile::WriteHandleSeed()
{
    m_seedOffset = -1;
    if (!WriteStringGroup(5, kSeedPlaceholder))
        return false;
    uint64_t end = 0;
    if (!WriteOffset(&end))
        return false;
    // The value's digits end the group, before its line end (ASCII) or its zero (binary).
    const uint64_t tail = kSeedDigits + (m_binary ? 1 : 2);
    if (end < tail)
        return false;
    m_seedOffset = static_cast<int64_t>(end - tail);
    return true;
}

bool CDxfFile::FinishHandleSeed()
{
    if (m_seedOffset < 0 || !m_isOpen || m_reading)
        return false;
    char digits[16];
    const uint32_t seed = m_highestHandle == UINT32_MAX ? UINT32_MAX : m_highestHandle + 1;
    // The buffer goes out first: the place lies in what it holds, or before.
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(seed));
    uint64_t end = 0;
    if (!WriteOffset(&end))
        return false;
    bool ok = false;
    if (m_stream) {
        LARGE_INTEGER at;
        at.QuadPart = m_seedOffset;
        ULONG written = 0;
        ok = SUCCEEDED(m_stream->Seek(at, STREAM_SEEK_SET, nullptr)) &&
             SUCCEEDED(m_stream->Write(digits, static_cast<ULONG>(kSeedDigits), &written)) && written == kSeedDigits;
        at.QuadPart = static_cast<LONGLONG>(end);
        ok = SUCCEEDED(m_stream->Seek(at, STREAM_SEEK_SET, nullptr)) && ok;
    } else {
        LARGE_INTEGER at;
        at.QuadPart = m_seedOffset;
        DWORD written = 0;
        ok = SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN) &&
             WriteFile(m_file.Get(), digits, static_cast<DWORD>(kSeedDigits), &written, nullptr) && written == kSeedDigits;
        at.QuadPart = static_cast<LONGLONG>(end);
        ok = SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN) && ok;
    }
    m_seedOffset = -1;
    return ok;
}

bool CDxfFile::WriteTableHandle()
{
    if (!m_tableHandles)
        return true;
    char handle[16];
    std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(NextHandle()));
    return WriteStringGroup(5, handle);
}

bool CDxfFile::WriteIntGroup(int code, int32_t value)
{
    m_group.code = code;
    m_group.intValue = value;
    return WriteGroup();
}

bool CDxfFile::WriteStringGroup(int code, const char* text)
{
    // A value the group cannot hold is refused whole: a cut one would be written as if it were
    // the value. Longer values go in pieces (WriteStringPieces).
    if (text && std::strlen(text) > static_cast<size_t>(kMaxTextLength)) {
        // The file is wrong without it: Close reports the failure.
        if (m_isOpen && !m_reading)
            m_error = true;
        return false;
    }
    m_group.code = code;
    SetText(text ? text : "");
    return WriteGroup();
}

bool CDxfFile::WriteRealGroup(int code, double value)
{
    m_group.code = code;
    m_group.realValue = value;
    return WriteGroup();
}
