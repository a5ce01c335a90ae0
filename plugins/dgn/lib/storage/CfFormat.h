#pragma once
// The on-disk layout of compound files (a file system of storages and streams inside one
// file) as the compound-file library reads and writes it: little-endian fields, sector
// markers, the header, time stamps, the order of entry names, and property-set streams.
//
// Every field is read and written byte by byte, little-endian, so the same file comes out of
// every build. Sector n starts at file offset (n + 1) << sectorShift; the header takes the
// place of sector -1.
#include <cstddef>
#include <cstdint>

namespace dgn {

// Sector-number markers of the allocation tables.
constexpr std::uint32_t kCfFreeSector = 0xFFFFFFFF;  // free; in link fields: none
constexpr std::uint32_t kCfEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kCfFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kCfDifatSector = 0xFFFFFFFC;
// No sector or mini sector allocated for data gets a number above this.
constexpr std::uint32_t kCfMaxDataSector = 0xFF000000;
// A directory link meaning "no entry".
constexpr std::uint32_t kCfNoEntry = 0xFFFFFFFF;

constexpr std::uint32_t kCfHeaderBytes = 76;
constexpr std::uint32_t kCfDifatHeadEntries = 109;
constexpr std::uint32_t kCfDirEntryBytes = 128;
constexpr std::uint32_t kCfMiniStreamCutoff = 4096;
// The 512-byte sector of major version 3 and the 4096-byte sector of version 4; mini sectors
// are 64 bytes in both.
constexpr std::uint16_t kCfSmallSectorShift = 9;
constexpr std::uint16_t kCfLargeSectorShift = 12;
constexpr std::uint16_t kCfMiniSectorShift = 6;
// Writing at a file offset above this makes the file major version 4 (a version-3 reader
// cannot address it).
constexpr std::uint64_t kCfVersion3Limit = 0x7FFF0000;
// Names are at most 31 UTF-16 units and a terminator in 64 bytes.
constexpr int kCfMaxNameUnits = 31;
constexpr int kCfNameFieldUnits = 32;

// Entry types.
constexpr std::uint8_t kCfTypeUnused = 0;
constexpr std::uint8_t kCfTypeStorage = 1;
constexpr std::uint8_t kCfTypeStream = 2;
constexpr std::uint8_t kCfTypeRoot = 5;
constexpr std::uint8_t kCfRed = 0;
constexpr std::uint8_t kCfBlack = 1;

// Status codes of the library's operations.
enum CfStatus : int {
    kCfOk = 0,
    kCfCannotOpen = 1,
    kCfRefused = 2,
    kCfNotCompoundFile = 3,
    kCfIoError = 4,
    kCfOutOfMemory = 5,
    kCfBadArgument = 6,
    kCfCorrupt = 8,
    kCfNotStorage = 9,
    kCfNotStream = 10,
    kCfNotFound = 11,
    kCfPropertyType = 12,
    kCfEndOfStream = 15,
};

std::uint16_t CfGet16(const std::uint8_t* p);
std::uint32_t CfGet32(const std::uint8_t* p);
std::uint64_t CfGet64(const std::uint8_t* p);
void CfPut16(std::uint8_t* p, std::uint16_t v);
void CfPut32(std::uint8_t* p, std::uint32_t v);
void CfPut64(std::uint8_t* p, std::uint64_t v);

// Entry times are 32-bit seconds since 1970 on the library's side and FILETIMEs (100 ns
// since 1601) on disk. Seconds are taken as unsigned, so 0 is written as 1970-01-01, not as
// zero; a FILETIME of zero reads as 0, earlier times round toward negative infinity and keep
// their low 32 bits (one tick before 1970 reads as 0xFFFFFFFF).
constexpr std::uint64_t kCfFiletimeOf1970 = 116444736000000000ull;
std::uint64_t CfSecondsToFiletime(std::uint32_t seconds);
std::uint32_t CfFiletimeToSeconds(std::uint64_t filetime);

// The fixed simple upper-case mapping of UTF-16 units that orders names, the same on every
// build whatever the locale.
char16_t CfUpperCase(char16_t unit);
// Units up to the terminator, at most limit.
int CfNameUnits(const char16_t* name, int limit = kCfNameFieldUnits);
// The order of names in a storage's sibling tree: a shorter name first; names of equal length
// unit by unit after upper-casing, as unsigned 16-bit values. Negative, zero or positive.
int CfCompareNames(const char16_t* a, const char16_t* b);

// The header: the first 76 bytes of the file (the DIFAT head follows it).
struct CfHeader {
    std::uint8_t signature[8];
    std::uint8_t classId[16];
    std::uint16_t minorVersion;
    std::uint16_t majorVersion;
    std::uint16_t byteOrder;
    std::uint16_t sectorShift;
    std::uint16_t miniSectorShift;
    std::uint8_t reserved[6];
    std::uint32_t directorySectors;
    std::uint32_t fatSectors;
    std::uint32_t firstDirectorySector;
    std::uint32_t transactionSignature;
    std::uint32_t miniStreamCutoff;
    std::uint32_t firstMiniFatSector;
    std::uint32_t miniFatSectors;
    std::uint32_t firstDifatSector;
    std::uint32_t difatSectors;
};

// The header of a new file with 1 << sectorShift-byte sectors: major version 3 for 512-byte
// sectors, 4 otherwise; the mini-sector shift is 6, or half the sector shift when 6 is not
// smaller than it.
void CfNewHeader(CfHeader* header, std::uint16_t sectorShift);
void CfEncodeHeader(const CfHeader& header, std::uint8_t out[kCfHeaderBytes]);
// kCfNotCompoundFile for a wrong signature or byte-order field; kCfCorrupt for sector and
// mini-sector shifts other than those of the two versions (9 or 12, and 6), which would
// otherwise divide by zero or shift beyond the integers; kCfOk.
int CfDecodeHeader(const std::uint8_t in[kCfHeaderBytes], CfHeader* header);

// Property sets (SummaryInformation and DocumentSummaryInformation streams).
enum CfPropertySetKind : int { kCfSummaryInformation = 1, kCfDocumentSummaryInformation = 2 };
constexpr int kCfMaxProperties = 20;
// VT numbers of the values the writer handles.
constexpr std::uint16_t kCfVtEmpty = 0;
constexpr std::uint16_t kCfVtI2 = 2;
constexpr std::uint16_t kCfVtI4 = 3;
constexpr std::uint16_t kCfVtBool = 11;
constexpr std::uint16_t kCfVtLpstr = 30;
constexpr std::uint16_t kCfVtFiletime = 64;
constexpr std::uint16_t kCfVtCf = 71;

// One property: its value is of the type vt (kCfVtEmpty: no value). VT_LPSTR and VT_CF values
// point at the caller's bytes (text: a zero-terminated string; clipboard data: bytes bytes).
struct CfProperty {
    std::uint32_t id;
    bool present;
    std::uint16_t vt;
    std::int32_t number;      // VT_I2, VT_I4, VT_BOOL; VT_FILETIME: seconds since 1970
    const char* text;         // VT_LPSTR
    const std::uint8_t* data; // VT_CF
    std::uint32_t bytes;      // VT_CF
};

struct CfPropertySet {
    int kind;
    int count;
    CfProperty properties[kCfMaxProperties];
};

// The type that a property id has in a set of the kind, kCfVtEmpty for none.
std::uint16_t CfPropertyType(int kind, std::uint32_t id);
// The stream image of a set: the properties that are present, have a value and whose id has
// a type, laid out after the stream and section headers. With out null only the size is
// computed. kCfPropertyType for a value of a type the writer does not handle, kCfBadArgument
// for a set of no known kind.
int CfLayoutPropertySet(const CfPropertySet& set, std::uint8_t* out, std::uint32_t* size);

} // namespace dgn
