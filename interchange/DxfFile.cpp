#include "interchange/DxfFile.h"
#include "bytes/LittleEndian.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

// "AutoCAD Binary DXF" CR LF, then Ctrl-Z and NUL: the first 22 bytes of a binary file.
const char kSentinel[] = "AutoCAD Binary DXF\r\n\x1a";
const size_t kSentinelLength = 22;  // including the NUL that ends kSentinel

// The keyword tables, built once and shared.
struct KeywordTables {
    std::map<std::string, int> main;
    std::map<std::string, int> applications;
    std::map<std::string, int> xdataNames;
    const char* byIndex[CDxfFile::kwLast + 1] = {};
    size_t longest = 16;

    KeywordTables()
    {
        static const char* const kMain[] = {
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
        static const char* const kXData[] = {
            "SHAPE IDS", "SELF POINTS", "LINKED POINTS", "HATCH DATA", "SHAPE HATCH DATA",
            "IMAGE DATA", "ELLIPSE DATA", "POLYGON DATA", "RECTANGLE DATA", "RTFTEXT DATA",
            "LABELTEXT DATA", "PARENT ID", "ARROWS", "POLYLINE DATA"};
        int index = 1;
        for (const char* k : kMain)
            Add(main, k, index++);
        for (const char* k : kApplications)
            Add(applications, k, index++);
        for (const char* k : kXData)
            Add(xdataNames, k, index++);
    }

    void Add(std::map<std::string, int>& map, const char* keyword, int index)
    {
        map.emplace(keyword, index);
        byIndex[index] = keyword;
        longest = std::max(longest, std::strlen(keyword));
    }

    int Find(const std::map<std::string, int>& map, const char* text) const
    {
        if (!text || std::strlen(text) > longest)
            return 0;
        auto it = map.find(text);
        return it != map.end() ? it->second : 0;
    }
};

const KeywordTables& Keywords()
{
    static const KeywordTables tables;
    return tables;
}

void TrimBlanks(std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    s = s.substr(b, e - b);
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

// "^ " is a caret, '^' before 'A' to '_' the control character 1 to 31; any other caret is
// itself ("^@" too, which would end the text).
std::string CaretDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (text[i] == '^' && next == ' ') {
            out.push_back('^');
            ++i;
        } else if (text[i] == '^' && next > 0x40 && next <= 0x5F) {
            out.push_back(static_cast<char>(next - 0x40));
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The longest line read: a text value of the value area with every character in caret form.
const size_t kMaxLineLength = 2 * static_cast<size_t>(CDxfFile::kMaxTextLength);

} // namespace

CDxfFile::CDxfFile() { Keywords(); }

CDxfFile::~CDxfFile() { Close(); }

// --- value classes ---------------------------------------------------------------------------

// Value sizes of binary DXF by code range, as DXF defines them: 16-bit integers for 60-79,
// 170-179, 270-289, 370-389, 400-409 and 1060-1070; 32-bit for 90-99, 420-429, 440-459 and
// 1071; one byte for the flags 290-299; handles and object IDs (105, 320-369, 390-399, 480,
// 481) as zero-terminated hexadecimal text; binary chunks (310-319, 1004) as a length byte and
// that many bytes.
CDxfFile::BinaryKind CDxfFile::KindOf(int code)
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

// --- keywords --------------------------------------------------------------------------------

const char* CDxfFile::KeywordFromIndex(int index)
{
    if (index < 1 || index > kwLast)
        return nullptr;
    const char* k = Keywords().byIndex[index];
    return k ? k : "";
}

int CDxfFile::LookupKeyword(const char* text) { return Keywords().Find(Keywords().main, text); }

int CDxfFile::LookupApplication(const char* text) { return Keywords().Find(Keywords().applications, text); }

int CDxfFile::LookupXDataName(const char* text)
{
    if (!text || !std::isalpha(static_cast<unsigned char>(text[0])))
        return 0;
    return Keywords().Find(Keywords().xdataNames, text);
}

void CDxfFile::LookUp(bool lookupNames)
{
    switch (m_group.code) {
    case 0:
    case 9:
        m_keyword = LookupKeyword(m_group.text);
        break;
    case 2:
        if (lookupNames)
            m_keyword = LookupKeyword(m_group.text);
        break;
    case 1000:
        m_keyword = LookupXDataName(m_group.text);
        break;
    case 1001:
        m_keyword = LookupApplication(m_group.text);
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
    m_lineNumber = 0;
    m_groupLines = 0;
    m_errorLine = 0;
    m_errorOffset = 0;
    m_afterEof = false;
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
        if (m_totalSize != 0) {
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
    } else if (m_binary && !Emit(std::string(kSentinel, kSentinelLength))) {
        m_isOpen = false;
        m_stream = nullptr;
        return false;
    }
    return true;
}

void CDxfFile::CloseHandles()
{
    // The view goes before its mapping, the mapping before its file.
    m_view.Reset();
    m_mapping.Reset();
    m_file.Reset();
    m_stream = nullptr;
}

bool CDxfFile::Close()
{
    const bool wasOpen = m_isOpen || IsOpen();
    m_isOpen = false;
    m_keyword = 0;
    m_pushedBack = false;
    CloseHandles();
    const bool closed = CUrlSource::Close();
    return wasOpen && closed;
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
    if (m_view || m_file)
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
            return false;
        }
    } else {
        if (!m_view || m_position > m_totalSize || m_totalSize - m_position < length)
            return false;
        std::memcpy(out, View() + m_position, length);
    }
    m_position += length;
    m_groupBytes += length;
    return true;
}

// One line into m_raw: up to a line feed, which is consumed with a carriage return before it
// (files from other systems end lines with a bare line feed). A last line without a line end
// counts. Blanks and tabs around the text are removed.
bool CDxfFile::ReadLine(bool& gotLine)
{
    gotLine = false;
    m_raw.clear();
    if (m_view) {
        if (m_position >= m_totalSize)
            return true;
        const uint8_t* start = View() + m_position;
        const size_t left = static_cast<size_t>(m_totalSize - m_position);
        const uint8_t* lf = static_cast<const uint8_t*>(std::memchr(start, '\n', left));
        const size_t consumed = lf ? static_cast<size_t>(lf - start) + 1 : left;
        size_t textLength = lf ? static_cast<size_t>(lf - start) : left;
        if (textLength > 0 && start[textLength - 1] == '\r')
            --textLength;
        m_position += consumed;
        m_groupBytes += consumed;
        ++m_lineNumber;
        ++m_groupLines;
        if (textLength > kMaxLineLength + 64)
            return false;  // far too long for any value: malformed
        m_raw.assign(reinterpret_cast<const char*>(start), textLength);
    } else if (m_stream) {
        char c;
        bool any = false;
        while (ReadBytes(&c, 1)) {
            any = true;
            if (c == '\n')
                break;
            if (m_raw.size() > kMaxLineLength + 64) {
                ++m_lineNumber;
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
    } else {
        return true;
    }
    TrimBlanks(m_raw);
    if (m_raw.size() > kMaxLineLength)
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

bool CDxfFile::ReadAsciiGroup()
{
    bool got = false;
    if (!ReadLine(got))
        return Malformed(m_lineNumber);
    if (!got)
        return false;  // the end of the data
    if (m_raw.empty()) {
        // No group code on the line: a damaged file, unless the file has ended with EOF and
        // nothing but white space follows.
        const uint64_t blank = m_lineNumber;
        if (m_afterEof) {
            for (;;) {
                if (!ReadLine(got) || (got && m_raw.find_first_not_of(" \t\r\f\v") != std::string::npos))
                    break;
                if (!got)
                    return false;  // white space to the end
            }
        }
        return Malformed(blank);
    }
    if (m_raw.size() > static_cast<size_t>(kMaxTextLength))
        return Malformed(m_lineNumber);
    int64_t code = 0;
    for (char c : m_raw) {
        if (c < '0' || c > '9' || code > INT32_MAX / 10)
            return Malformed(m_lineNumber);
        code = code * 10 + (c - '0');
    }
    m_group.code = static_cast<int32_t>(code);
    if (!ReadLine(got))
        return Malformed(m_lineNumber);
    if (!got)
        return Malformed(m_lineNumber + 1);  // the value line is missing
    const char* text = m_raw.c_str();
    const ValueClass valueClass = ClassOf(m_group.code);
    // Only a text in caret form may be longer than the value area on its line.
    if (valueClass != vcText && m_raw.size() > static_cast<size_t>(kMaxTextLength))
        return Malformed(m_lineNumber);
    switch (valueClass) {
    case vcInteger:
        m_group.intValue = static_cast<int32_t>(std::strtol(text, nullptr, 10));
        break;
    case vcReal:
        m_group.realValue = std::strtod(text, nullptr);
        break;
    case vcHandle:
        m_group.handle = static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
        break;
    case vcText: {
        const std::string decoded = CaretDecode(m_raw);
        if (decoded.size() > static_cast<size_t>(kMaxTextLength))
            return Malformed(m_lineNumber);
        SetText(decoded.c_str());
        break;
    }
    default:
        break;  // no value class: only the raw line is kept
    }
    return true;
}

// A zero-terminated text of at most maxBytes bytes including its terminator.
bool CDxfFile::ReadBinaryString(size_t maxBytes)
{
    m_raw.clear();
    for (;;) {
        char c;
        if (!ReadBytes(&c, 1))
            return false;
        if (c == 0)
            return true;
        if (m_raw.size() + 1 >= maxBytes)
            return false;
        m_raw.push_back(c);
    }
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
    m_raw.clear();
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
        if (ok)
            SetText(m_raw.c_str());
        break;
    case bkHandle:
        ok = ReadBinaryString(DxfGroup::kValueSize);
        if (ok)
            m_group.handle = static_cast<uint32_t>(std::strtoul(m_raw.c_str(), nullptr, 16));
        break;
    case bkChunk: {
        ok = ReadBytes(b, 1);
        const size_t n = b[0];
        if (ok) {
            field = m_position;
            m_raw.resize(n);
            ok = ReadBytes(&m_raw[0], n);
            std::memcpy(m_group.text, m_raw.data(), n);
            m_group.text[n] = 0;
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

bool CDxfFile::ReadGroup(DxfGroup* copyTo, bool lookupNames)
{
    if (!m_isOpen || !m_reading)
        return false;
    ReportProgress(-1, 1);
    if (m_pushedBack) {
        m_pushedBack = false;
        m_position += m_groupBytes;
        m_lineNumber += m_groupLines;
        if (copyTo)
            *copyTo = m_group;
        return true;
    }
    m_keyword = 0;
    m_groupBytes = 0;
    m_groupLines = 0;
    const bool ok = m_binary ? ReadBinaryGroup() : ReadAsciiGroup();
    if (!ok)
        return false;
    if (ClassOf(m_group.code) == vcText)
        LookUp(lookupNames);
    m_afterEof = m_group.code == 0 && m_keyword == kwEof;
    if (copyTo)
        *copyTo = m_group;
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

bool CDxfFile::Emit(const std::string& bytes)
{
    if (m_stream) {
        ULONG written = 0;
        if (FAILED(m_stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) ||
            written != bytes.size())
            return false;
    } else {
        DWORD written = 0;
        if (!m_file ||
            !WriteFile(m_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return false;
    }
    m_position += bytes.size();
    return true;
}

bool CDxfFile::WriteGroup()
{
    if (!m_isOpen || m_reading)
        return false;
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
    char text[64];
    if (!m_binary) {
        std::snprintf(text, sizeof text, " %d\r\n", code);
        out = text;
        switch (ClassOf(code)) {
        case vcInteger:
            std::snprintf(text, sizeof text, "%d\r\n", static_cast<int>(m_group.intValue));
            out += text;
            break;
        case vcReal:
            std::snprintf(text, sizeof text, "%f\r\n", m_group.realValue);
            out += text;
            break;
        case vcHandle:
            std::snprintf(text, sizeof text, "%X\r\n", static_cast<unsigned>(m_group.handle));
            out += text;
            break;
        default:
            out += CaretEncode(m_group.text);
            out += "\r\n";
            break;
        }
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

bool CDxfFile::WriteIntGroup(int code, int32_t value)
{
    m_group.code = code;
    m_group.intValue = value;
    return WriteGroup();
}

bool CDxfFile::WriteStringGroup(int code, const char* text)
{
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
