#include "persistence/TextFileArchive.h"

#include <share.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char kFormatName[] = "YVEXtext";
const char kFormatLinePrefix[] = "//Format";
const size_t kFormatLinePrefixLength = 8;

// Bytes of a string value that cannot stand inside a line of a text-mode file: line ends, and
// Ctrl-Z, which ends a text-mode read. They travel outside the quotes as "!" + (byte + 48).
bool IsLineBreaking(char c) { return c == '\r' || c == '\n' || c == '\x1a'; }

void StripLineEnd(std::string& s)
{
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
        s.pop_back();
}
} // namespace

CTextFileArchive::CTextFileArchive(const char* fileName) { SetFileName(fileName); }

CTextFileArchive::~CTextFileArchive() { Close(); }

void CTextFileArchive::SetFileName(const char* fileName) { m_fileName = fileName ? fileName : ""; }

const char* CTextFileArchive::GetFormatName() const { return kFormatName; }

// --- value encodings -------------------------------------------------------------------------

std::string CTextFileArchive::EncodeBytes(const void* data, size_t length)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    std::string out;
    out.reserve(length + length / 4);
    for (size_t i = 0; i < length; ++i) {
        if (p[i] < 34) {
            out.push_back('!');
            out.push_back(static_cast<char>(p[i] + 48));
        } else {
            out.push_back(static_cast<char>(p[i]));
        }
    }
    return out;
}

std::string CTextFileArchive::DecodeBytes(const char* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '!') {
            if (i + 1 < length)
                out.push_back(static_cast<char>(static_cast<unsigned char>(text[i + 1]) - 48));
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string CTextFileArchive::QuoteString(const char* text)
{
    if (!text)
        return "\"\"";
    // Inside quotes a double quote is preceded by a backslash and nothing else is escaped. A
    // backslash just before a closing quote would escape it, so trailing backslashes of a run
    // stand outside the quotes, where the reader keeps them.
    std::string out;
    std::string segment;
    bool first = true;
    auto flush = [&]() {
        if (segment.empty() && !first)
            return;
        size_t keep = segment.size();
        while (keep > 0 && segment[keep - 1] == '\\')
            --keep;
        out.push_back('"');
        for (size_t i = 0; i < keep; ++i) {
            if (segment[i] == '"')
                out.push_back('\\');
            out.push_back(segment[i]);
        }
        out.push_back('"');
        out.append(segment.size() - keep, '\\');
        segment.clear();
        first = false;
    };
    for (const char* p = text; *p; ++p) {
        if (IsLineBreaking(*p)) {
            flush();
            out.push_back('!');
            out.push_back(static_cast<char>(*p + 48));
        } else {
            segment.push_back(*p);
        }
    }
    flush();
    return out;
}

std::string CTextFileArchive::UnquoteString(const std::string& rawField)
{
    std::string field = rawField;
    StripLineEnd(field);
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        const bool escapedQuote = c == '\\' && i + 1 < field.size() && field[i + 1] == '"';
        if (quoted) {
            if (escapedQuote) {
                out.push_back('"');
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                out.push_back(c);
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == '\\') {
            out.push_back('\\');
            if (escapedQuote)
                ++i;  // a quote after a backslash opens nothing
        } else if (c == '!' && i + 1 < field.size()) {
            out.push_back(static_cast<char>(static_cast<unsigned char>(field[i + 1]) - 48));
            ++i;
        }
        // Anything else outside quotes is dropped.
    }
    return out;
}

// --- file and lines --------------------------------------------------------------------------

bool CTextFileArchive::ReadLine(std::string& line)
{
    line.clear();
    if (!m_file || m_eof)
        return false;
    char chunk[4096];
    bool any = false;
    while (std::fgets(chunk, sizeof chunk, m_file)) {
        any = true;
        line.append(chunk);
        if (!line.empty() && line.back() == '\n')
            break;
    }
    if (!any) {
        m_eof = true;
        return false;
    }
    StripLineEnd(line);
    return true;
}

bool CTextFileArchive::WriteLine(const std::string& line)
{
    return std::fwrite(line.data(), 1, line.size(), m_file) == line.size() && std::fputc('\n', m_file) != EOF;
}

int CTextFileArchive::BeginSave()
{
    if (m_storing)
        return 1;
    Restart(true);
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "w", _SH_DENYNO);
    if (!m_file)
        return 0;
    if (!WriteLine(std::string(kFormatLinePrefix) + kFormatName)) {
        Close();
        WriteFault(aeWriteFailed);
        return 0;
    }
    m_line.clear();
    m_storing = true;
    return 1;
}

int CTextFileArchive::BeginLoad()
{
    if (m_loading)
        return 1;
    Restart(false);
    if (m_fileName.empty())
        return 0;
    m_file = _fsopen(m_fileName.c_str(), "r", _SH_DENYNO);
    if (!m_file)
        return 0;
    m_eof = false;
    std::string first;
    // The first eight characters ("//Format") are not compared, only the name behind them.
    const bool ok = ReadLine(first) && first.size() > kFormatLinePrefixLength &&
                    first.compare(kFormatLinePrefixLength, std::strlen(kFormatName), kFormatName) == 0;
    m_line.clear();
    m_valueStart = 0;
    if (!ok) {
        Close();
        return 0;
    }
    m_loading = true;
    return 1;
}

int CTextFileArchive::Close()
{
    int result = 1;
    if (m_file) {
        if (m_storing && std::fflush(m_file) != 0) {
            WriteFault(aeWriteFailed);
            result = 0;
        }
        if (std::fclose(m_file) != 0 && m_storing) {
            WriteFault(aeWriteFailed);
            result = 0;
        }
        m_file = nullptr;
    }
    m_storing = false;
    m_loading = false;
    m_line.clear();
    m_valueStart = 0;
    m_pendingBytes.clear();
    m_hasPendingBytes = false;
    return result;
}

// --- writing ---------------------------------------------------------------------------------

int CTextFileArchive::BeginWriteBlock(const char* name)
{
    if (!m_storing || !name) {
        m_error = aeWrongMode;
        return 0;
    }
    if (!WriteLine(std::string("// ") + name)) {
        WriteFault(aeWriteFailed);
        return 0;
    }
    return 1;
}

void CTextFileArchive::RewindRecord()
{
    m_line.clear();
    m_valueStart = 0;
}

void CTextFileArchive::AppendValue(const std::string& text)
{
    if (!m_line.empty())
        m_line.push_back(';');
    m_line.append(text);
}

void CTextFileArchive::WriteInt32(int32_t value) { AppendValue(std::to_string(value)); }
void CTextFileArchive::WriteInt16(int16_t value) { AppendValue(std::to_string(value)); }
void CTextFileArchive::WriteByte(uint8_t value) { AppendValue(value ? "1" : "0"); }

void CTextFileArchive::WriteFloat(double value)
{
    // The format's three decimals where they give the value back; otherwise the shortest text
    // that does (exponent form included), which the reader's conversion takes as well, so that
    // nothing below a thousandth of a unit is lost on a save.
    const float f = static_cast<float>(value);
    auto givesBack = [f](const char* text) {
        const float back = static_cast<float>(std::strtod(text, nullptr));
        return back == f || (std::isnan(back) && std::isnan(f));
    };
    char text[64];
    std::snprintf(text, sizeof text, "%1.3f", static_cast<double>(f));
    for (int digits = 1; !givesBack(text) && digits <= 9; ++digits)
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(f));
    AppendValue(text);
}

void CTextFileArchive::WriteString(const char* text) { AppendValue(QuoteString(text)); }

void CTextFileArchive::WriteBytes(const void* data, int32_t length)
{
    m_pendingBytes.clear();
    m_hasPendingBytes = false;
    if (!data || length <= 0) {
        AppendValue("0");
        return;
    }
    m_pendingBytes = EncodeBytes(data, static_cast<size_t>(length));
    m_hasPendingBytes = true;
    AppendValue(std::to_string(m_pendingBytes.size()));
}

int CTextFileArchive::EndWriteRecord()
{
    if (!m_storing) {
        m_error = aeWrongMode;
        return -1;
    }
    const bool lineOk = WriteLine(m_line);
    m_line.clear();
    if (!lineOk) {
        m_pendingBytes.clear();
        m_hasPendingBytes = false;
        WriteFault(aeWriteFailed);
        return -2;
    }
    if (m_hasPendingBytes) {
        const bool bytesOk = WriteLine(m_pendingBytes);
        m_pendingBytes.clear();
        m_hasPendingBytes = false;
        if (!bytesOk) {
            WriteFault(teBytesLineFailed);
            return -3;
        }
    }
    m_error = aeNone;
    return 1;
}

int CTextFileArchive::EndWriteBlock()
{
    if (!m_storing) {
        m_error = aeWrongMode;
        return 0;
    }
    if (!WriteLine(";")) {
        WriteFault(aeWriteFailed);
        return 0;
    }
    return 1;
}

// --- reading ---------------------------------------------------------------------------------

const char* CTextFileArchive::BeginReadBlock()
{
    if (!m_loading) {
        m_error = aeWrongMode;
        return nullptr;
    }
    std::string line;
    while (ReadLine(line)) {
        if (line.empty())
            continue;
        if (line.compare(0, 3, "// ") == 0) {
            m_blockName = line.substr(3);
            return m_blockName.c_str();
        }
        return nullptr;
    }
    return nullptr;
}

int CTextFileArchive::BeginReadRecord()
{
    m_line.clear();
    m_valueStart = 0;
    m_hasPendingBytes = false;
    if (!m_loading)
        return 0;
    std::string line;
    while (ReadLine(line)) {
        if (line.empty() || line[0] == ';')
            return 0;  // end of the block
        if (line.compare(0, 2, "//") == 0)
            continue;
        m_line = line;
        return 1;
    }
    // The data ended inside a block: the file was cut short.
    ReadFault(aeReadFailed);
    return 0;
}

std::string CTextFileArchive::NextField(bool quoted)
{
    if (m_valueStart >= m_line.size()) {
        m_valueStart = m_line.size();
        return std::string();
    }
    size_t end = m_valueStart;
    bool inQuotes = false;
    for (; end < m_line.size(); ++end) {
        const char c = m_line[end];
        if (c == ';' && !inQuotes)
            break;
        if (quoted && c == '"' && !(end > 0 && m_line[end - 1] == '\\'))
            inQuotes = !inQuotes;
    }
    std::string field = m_line.substr(m_valueStart, end - m_valueStart);
    m_valueStart = end < m_line.size() ? end + 1 : m_line.size();
    return field;
}

int32_t CTextFileArchive::ReadInt32()
{
    const std::string field = NextField(false);
    return static_cast<int32_t>(std::strtol(field.c_str(), nullptr, 10));
}

int16_t CTextFileArchive::ReadInt16() { return static_cast<int16_t>(ReadInt32()); }
uint8_t CTextFileArchive::ReadByte() { return static_cast<uint8_t>(ReadInt32()); }

double CTextFileArchive::ReadFloat()
{
    const std::string field = NextField(false);
    return std::strtod(field.c_str(), nullptr);
}

const char* CTextFileArchive::ReadString()
{
    m_field = UnquoteString(NextField(true));
    return m_field.c_str();
}

int CTextFileArchive::ReadBytes(void** data, int32_t* length)
{
    if (data)
        *data = nullptr;
    if (length)
        *length = 0;
    const int32_t encodedLength = ReadInt32();
    if (encodedLength <= 0)
        return 0;
    // The encoded bytes stand on the next line that is not empty.
    std::string line;
    bool got = false;
    while (ReadLine(line)) {
        if (!line.empty()) {
            got = true;
            break;
        }
    }
    if (!got) {
        ReadFault(teBytesLineFailed);
        return 0;
    }
    const size_t take = line.size() < static_cast<size_t>(encodedLength) ? line.size() : static_cast<size_t>(encodedLength);
    const std::string decoded = DecodeBytes(line.data(), take);
    unsigned char* block = static_cast<unsigned char*>(std::malloc(decoded.size() + 2));
    if (!block) {
        m_error = aeNoMemory;
        return -1;
    }
    std::memcpy(block, decoded.data(), decoded.size());
    block[decoded.size()] = 0;
    block[decoded.size() + 1] = 0;
    if (data)
        *data = block;
    else
        std::free(block);
    if (length)
        *length = static_cast<int32_t>(decoded.size());
    m_hasPendingBytes = true;  // this record carried bytes
    return 1;
}

int CTextFileArchive::EndReadRecord()
{
    if (!m_loading) {
        m_error = aeWrongMode;
        return -1;
    }
    // The bytes of a record are delivered by ReadBytes as soon as it is called.
    if (!m_hasPendingBytes) {
        m_error = teNoPendingBytes;
        return 0;
    }
    m_hasPendingBytes = false;
    m_error = aeNone;
    return 1;
}
