// CDxfFile: reads and writes DXF one group (a group code and its value) at a time, in the
// ASCII or the binary form, from a file or an IStream, and maps the keywords that matter to
// the rest of the control (sections, tables, entities, header variables, the extended-data
// block names and registered application names) to small keyword indices.
#pragma once

#include "persistence/UrlSource.h"
#include "com/Owners.h"

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <memory>
#include <string>

// One group: its code and value. The value area holds an integer, a real, a handle or a text
// of up to 2049 characters with its terminating zero.
struct DxfGroup {
    static const int kValueSize = 2050;
    int32_t code = 0;
    union {
        int32_t intValue;
        double realValue;
        uint32_t handle;
        char text[kValueSize];
    };
    DxfGroup() { text[0] = 0; }
};

class CDxfFile : public CUrlSource
{
public:
    // How a code's value is held (the same for ASCII and binary, reading and writing).
    enum ValueClass { vcNone, vcInteger, vcReal, vcText, vcHandle };
    static const int kMaxTextLength = DxfGroup::kValueSize - 1;

    // Keyword indices used by name elsewhere.
    enum KeywordIndex {
        kwNone = 0,
        kwAcadVer = 1,
        kwActive = 2,
        kwLtScale = 3,
        kwCeColor = 4,
        kwCeLType = 5,
        kwCeLTScale = 6,
        kwCeLWeight = 7,
        kwCLayer = 8,
        kwTextStyleVar = 10,
        kwAppid = 13,
        kwArc = 12,
        kwAttdef = 14,
        kwAttrib = 15,
        kwBlock = 16,
        kwBlocks = 17,
        kwCircle = 18,
        kwEllipse = 19,
        kwEndblk = 20,
        kwEndsec = 21,
        kwEndtab = 22,
        kwEntities = 23,
        kwEof = 24,
        kwExtMin = 25,
        kwInsBase = 26,
        kwExtMax = 27,
        kwHeader = 29,
        kwInsert = 30,
        kwInsUnits = 31,
        kwLUnits = 32,
        kwImage = 33,
        kwImagedef = 34,
        kwLayer = 36,
        kwLine = 37,
        kwLtype = 38,
        kwLimMin = 39,
        kwLimMax = 40,
        kwLwpolyline = 41,
        kwMeasurement = 42,
        kwMtext = 44,
        kwObjects = 45,
        kwPolyline = 46,
        kwSection = 47,
        kwSeqend = 48,
        kwSolid = 49,
        kwSortEntsTable = 50,
        kwStyle = 51,
        kwTables = 52,
        kwTable = 53,
        kwText = 54,
        kwVertex = 55,
        kwOrthoMode = 56,
        kwVport = 57,
        kwUserI1 = 58,
        kwUserI3 = 60,
        kwUserI4 = 61,
        kwUserR1 = 63,
        kwUserR2 = 64,
        kwApplicationFirst = 68,  // registered application names: 68 and 69
        kwYvexApplication = 69,
        kwXDataFirst = 70,        // extended-data block names: 70 to 83
        kwShapeIds = 70,
        kwSelfPoints = 71,
        kwLinkedPoints = 72,
        kwHatchData = 73,
        kwShapeHatchData = 74,
        kwImageData = 75,
        kwEllipseData = 76,
        kwPolygonData = 77,
        kwRectangleData = 78,
        kwRtfTextData = 79,
        kwLabelTextData = 80,
        kwParentId = 81,
        kwArrows = 82,
        kwPolylineData = 83,
        kwLast = 83
    };

    CDxfFile();
    ~CDxfFile() override;

    // Opens a file (through the source, so an address is staged first). Reading tells binary
    // from ASCII by the data and refuses data that is neither; writing creates the file in the
    // form chosen with SetBinary (and SetTwoByteCodes) beforehand.
    bool Open(const char* path, bool reading) override;
    // Attaches a stream (not owned: the caller keeps its reference).
    bool OpenStream(IStream* stream, bool reading);
    // False when nothing was open.
    bool Close() override;

    // Reads the next group into the current group (and into copyTo when given). lookupNames
    // asks for code-2 names to be looked up too. False at the end of the data, or with the
    // error flag set when a group is malformed.
    bool ReadGroup(DxfGroup* copyTo = nullptr, bool lookupNames = false);
    // Pushes the current group back for the next ReadGroup (one group of look-ahead).
    bool UngetGroup();
    // Reads the next group when it has the code; a group of another code is pushed back for the
    // next ReadGroup. False then, and at the end of the data. An extended-data 1070 may come as
    // the 1071 its writer used for a value beyond 16 bits.
    bool ReadExpectedGroup(int code);

    // Writes the current group; false when not open for writing, for a code whose value has no
    // written form, and in binary for a value that its 16-bit code cannot carry. A 1070 beyond
    // 16 bits is written as 1071. Control characters of texts go in caret form in ASCII.
    bool WriteGroup();
    bool WriteIntGroup(int code, int32_t value);
    bool WriteStringGroup(int code, const char* text);
    bool WriteRealGroup(int code, double value);

    static const char* KeywordFromIndex(int index);
    static int LookupKeyword(const char* text);
    static int LookupApplication(const char* text);
    static int LookupXDataName(const char* text);
    static ValueClass ClassOf(int code);

    // The number rules of the reader, for values that callers parse themselves (a handle read
    // as text). They read a value as the C runtime's strtol (base 10), strtod and strtoul
    // (base 16) read it in the "C" locale, whatever locale the host set: leading white space
    // and a sign are taken, parsing stops at the first character that does not belong, a text
    // with no number gives 0, and a value beyond the type's range gives the nearest end
    // (infinity for a real). The text need not end with a zero.
    static int32_t ParseInteger(const char* text, size_t length);
    static double ParseReal(const char* text, size_t length);
    static uint32_t ParseHandle(const char* text, size_t length);

    // A negative percent stands for the position in the data.
    void ReportProgress(long percent, int kind) override;
    // Reading reports its progress every 1 % of the data and at least every 256 kB; a minimum
    // spaces the reports by at least that many bytes (0, the default: none).
    void SetProgressMinimumStep(uint64_t bytes) { m_progressMinimumStep = bytes; }

    // The current group.
    int GetCode() const { return m_group.code; }
    void SetCode(int code) { m_group.code = code; }
    int32_t GetInt() const { return m_group.intValue; }
    void SetInt(int32_t value) { m_group.intValue = value; }
    double GetReal() const { return m_group.realValue; }
    void SetReal(double value) { m_group.realValue = value; }
    uint32_t GetHandle() const { return m_group.handle; }
    void SetHandle(uint32_t value) { m_group.handle = value; }
    const char* GetText() const { return m_group.text; }
    void SetText(const char* text);
    const DxfGroup& GetGroup() const { return m_group; }
    int GetKeywordIndex() const { return m_keyword; }
    // The last line (ASCII) or value bytes (binary) as read, and their length.
    const char* GetRawText() const;
    size_t GetRawLength() const { return m_rawLength; }

    // The form: chosen before opening for writing, found by opening for reading, kept after
    // closing. Binary files of version AC1009 carry one-byte group codes, later ones two-byte.
    bool IsBinary() const { return m_binary; }
    void SetBinary(bool binary) { m_binary = binary; }
    bool HasTwoByteCodes() const { return m_twoByteCodes; }
    void SetTwoByteCodes(bool twoByte) { m_twoByteCodes = twoByte; }

    bool HasError() const { return m_error; }
    // Where the first malformed group went wrong; 0 when there is none. In an ASCII file its line
    // (1 the first); in a binary one the byte offset of the field that could not be read: a code
    // or value cut short, a text without its end, or a code whose value has no known size.
    uint64_t GetErrorLine() const { return m_errorLine; }
    uint64_t GetErrorOffset() const { return m_errorOffset; }
    // Whether a group 0 "EOF" was read since the data was opened (or rewound): the data is
    // complete only then.
    bool SawEof() const { return m_sawEof; }
    // Whether the reading came to the end of the data: the last read found nothing more, or
    // broke off because the data ended inside a group.
    bool ReachedEnd() const { return m_reachedEnd; }
    // Where the data ended then: the byte offset after its last byte (a file's size; for a
    // stream, counted from where the DXF data began, as the position is).
    uint64_t GetDataEnd() const { return m_dataEnd; }
    // ASCII lines consumed so far (the line last read: where the data stopped).
    uint64_t GetLineNumber() const { return m_lineNumber; }
    // Back to the first group of data open for reading, as it stood after opening (a stream is
    // moved back to where its data began); false when that cannot be done.
    bool Rewind();
    // Reading ahead, a caller looks only at the data's shape: the groups are read as ever and
    // fail where they would fail, but numbers are not decoded, only group 0 texts are looked up,
    // and no progress is reported.
    void SetReadAhead(bool on) { m_readAhead = on; }
    bool IsOpenForReading() const { return m_isOpen && m_reading; }
    bool IsOpenForWriting() const { return m_isOpen && !m_reading; }
    uint64_t GetTotalSize() const { return m_totalSize; }
    uint64_t GetPosition() const { return m_position; }

    // $HANDSEED, the next free handle, stands in the HEADER, before the handles it must lie
    // above. WriteHandleSeed writes its group 5 with a value of fixed width and notes where it
    // lies; FinishHandleSeed, once the last handle is out, writes there one above the highest
    // handle written (groups 5 and 105) and returns to the end. False when the place cannot be
    // noted or reached (a stream that cannot seek): the first value then stays.
    bool WriteHandleSeed();
    bool FinishHandleSeed();
    uint32_t GetHighestHandle() const { return m_highestHandle; }

    // Handles taken by the writers of APPID entries and polyline vertices: advanced first.
    uint32_t NextHandle() { return ++m_handleCounter; }
    // In the subclassed form of the newer version every table and every table entry carries a
    // handle: its writer calls WriteTableHandle after the table's name (the entry's type), which
    // writes the next handle of the counter as group 5 while the form asks for it, else nothing.
    void SetTableHandles(bool on) { m_tableHandles = on; }
    bool WriteTableHandle();
    uint32_t GetHandleCounter() const { return m_handleCounter; }
    void SetHandleCounter(uint32_t value) { m_handleCounter = value; }

private:
    enum BinaryKind { bkNone, bkInt16, bkInt32, bkInt64, bkBool, bkDouble, bkString, bkChunk, bkHandle };
    static BinaryKind KindOf(int code);
    static BinaryKind KindInRanges(int code);

    void ResetReadState();
    bool ReadBytes(void* out, size_t length);
    bool AtEnd();
    bool ReadLine(bool& gotLine);
    void SetRaw(const char* text, size_t length)
    {
        m_rawText = text;
        m_rawLength = length;
    }
    bool ReadAsciiGroup();
    bool DecodeText(const char* text, size_t length);
    // Set the error flag, noting the line (ASCII) or the offset (binary) of the first error;
    // false.
    bool Malformed(uint64_t line);
    bool MalformedAt(uint64_t offset);
    bool ReadBinaryGroup();
    bool ReadBinaryString(size_t maxBytes);
    void NoteProgress();
    void LookUp(bool lookupNames);
    // Writing goes through a buffer: the bytes of many groups leave in one write, which costs
    // about what one group's write would. Flush hands the buffer to the file or stream; a write
    // that fails is remembered, and Close reports it.
    bool Emit(const char* bytes, size_t length);
    bool Emit(const std::string& bytes) { return Emit(bytes.data(), bytes.size()); }
    bool Flush();
    void CloseHandles();

    DxfGroup m_group;
    size_t m_textLength = 0;     // of m_group.text, when its class is text
    int m_keyword = 0;
    // The raw line or value: inside the mapped view, or in m_raw (a stream's bytes, or the copy
    // that GetRawText makes to end it with a zero).
    mutable std::string m_raw;
    mutable const char* m_rawText = "";
    size_t m_rawLength = 0;
    // Progress goes out when the position passes m_nextProgress, every m_progressStep bytes.
    uint64_t m_nextProgress = 0;
    uint64_t m_progressStep = 1;
    uint64_t m_progressMinimumStep = 0;
    bool m_binary = false;
    bool m_twoByteCodes = true;
    uint64_t m_position = 0;
    uint64_t m_totalSize = 0;
    uint64_t m_groupBytes = 0;
    uint64_t m_lineNumber = 0;   // ASCII lines consumed
    uint64_t m_groupLines = 0;   // of the current group
    uint64_t m_errorLine = 0;
    uint64_t m_errorOffset = 0;
    bool m_afterEof = false;     // the current group is 0 "EOF"
    bool m_sawEof = false;       // some group read was 0 "EOF"
    bool m_reachedEnd = false;   // a read met the end of the data
    uint64_t m_dataEnd = 0;      // where, when it did
    void NoteEnd(uint64_t at)
    {
        m_reachedEnd = true;
        m_dataEnd = at;
    }
    bool m_readAhead = false;
    // Where the data begins: the position after opening, and for a stream its seek position.
    uint64_t m_dataStart = 0;
    uint64_t m_streamStart = 0;
    bool m_pushedBack = false;
    std::string m_writeBuffer;
    bool m_writeFailed = false;
    bool m_error = false;
    bool m_isOpen = false;
    bool m_reading = true;
    uint32_t m_handleCounter = 0;
    // Writing: the highest handle written, and where the value of $HANDSEED lies (-1: nowhere).
    uint32_t m_highestHandle = 0;
    bool m_tableHandles = false;
    int64_t m_seedOffset = -1;
    bool WriteOffset(uint64_t* offset);

    // Files up to this size are read into memory whole; larger ones are mapped.
    static constexpr uint64_t kCopiedSize = 1024 * 1024;

    // The bytes of a file being read: its copy or its mapped view.
    const uint8_t* View() const { return m_copy ? m_copy.get() : static_cast<const uint8_t*>(m_view.Get()); }
    bool HasBytes() const { return m_copy || m_view; }
    bool ReadWhole(uint8_t* into, size_t length);

    // A file read through its copy or its mapped view, or written; the view goes first, then
    // the mapping, then the file.
    ycom::Handle m_file;
    std::unique_ptr<uint8_t[]> m_copy;
    ycom::Handle m_mapping;
    ycom::MappedView m_view;
    IStream* m_stream = nullptr;
};
