#pragma once
// The compound-file library: a plain function interface that opens, creates, walks, reads and
// writes compound files (storages and streams inside one file) in the layout of CfFormat.h.
//
// Every operation returns a status (CfStatus: 0 success); results travel through
// out-parameters. Handles are plain records owned by the library: each open or create has a
// matching close that frees the handle and nulls the caller's pointer. Closing a storage
// closes every handle opened through it; closing the file closes everything.
//
// Access modes: 0 read-only ("rb"); 1 a new file being written ("w+b"): storages and streams
// are created and written, nothing is opened or read back; 2 read-write ("r+b", or "w+b" for
// a new file). A changed file rewrites its directory and allocation tables when it is closed;
// an unchanged one is left byte for byte as it was.
//
// Files from elsewhere are not trusted: every count, link, chain and size read from a file is
// checked against the tables and the file's length before it is used, and a file that fails
// a check is refused as corrupt (kCfCorrupt).
//
//     CfFile* file = nullptr;
//     if (cfOpen(path, 0, &file) == kCfOk) {
//         CfStorage* root = nullptr;
//         cfGetRootStorage(file, &root);
//         CfStream* s = nullptr;
//         if (cfOpenStream(root, u"Contents", &s) == kCfOk) {
//             std::uint32_t n = sizeof(buf);
//             cfRead(s, buf, &n);
//             cfCloseStream(&s);
//         }
//         cfClose(&file);
//     }
#include "storage/CfFormat.h"

#include <cstdint>

namespace dgn {

struct CfFile;
struct CfStorage;
struct CfStream;

// One record of a storage's listing.
struct CfEntryInfo {
    char16_t* name;          // allocated copy, zero-terminated
    int isStream;            // 1 stream, 0 storage
    std::uint32_t stateBits;
    std::uint64_t size;
    std::uint32_t created;   // seconds since 1970
    std::uint32_t modified;
    int mode;                // the file's access mode
    std::uint8_t classId[16];
};

// Files. cfCreate's sector size is 0 or 512 (version 3) or 4096 (version 4).
int cfOpen(const char16_t* path, int mode, CfFile** out);
int cfCreate(const char16_t* path, int mode, CfFile** out, std::uint32_t sectorSize);
int cfClose(CfFile** file);
int cfGetRootStorage(CfFile* file, CfStorage** out);

// Storages.
int cfOpenStorage(CfStorage* parent, const char16_t* name, CfStorage** out);
int cfCreateStorage(CfStorage* parent, const char16_t* name, CfStorage** out);
int cfCloseStorage(CfStorage** storage);
int cfCountEntries(CfStorage* storage, std::int32_t* count);
// Records in pre-order of the storage's sibling tree; an empty storage gives count 0 and
// leaves *entries untouched. Free with cfFreeEntryInfo.
int cfListEntries(CfStorage* storage, CfEntryInfo** entries, std::int32_t* count);
int cfFreeEntryInfo(CfEntryInfo** entries, std::int32_t count);

// Streams. Streams below 4096 bytes live in the mini stream; in mode 2 such a stream is moved
// into ordinary sectors while it is open and back when its last handle closes.
int cfOpenStream(CfStorage* storage, const char16_t* name, CfStream** out);
int cfCreateStream(CfStorage* storage, const char16_t* name, CfStream** out);
int cfCloseStream(CfStream** stream);
// *count: bytes asked for in, bytes delivered out. kCfEndOfStream with 0 at or past the end.
int cfRead(CfStream* stream, void* buffer, std::uint32_t* count);
// *count: bytes to write in, bytes taken out. Writing past the end zero-fills the gap.
int cfWrite(CfStream* stream, const void* buffer, std::uint32_t* count);
// origin 0 start, 1 current position, 2 end; the position may lie past the end.
int cfSeek(CfStream* stream, std::int64_t offset, int origin);
int cfSeek32(CfStream* stream, std::int32_t offset, int origin);
// Bytes from the position to the end (0 at or past the end), low 32 bits.
int cfGetRemaining(CfStream* stream, std::uint32_t* remaining);

// Property sets: the set (copied) is written at close into the root storage's
// "\005SummaryInformation" or "\005DocumentSummaryInformation" stream, created now when
// absent. Modes 1 and 2.
int cfSetPropertySet(CfFile* file, const CfPropertySet* set);

} // namespace dgn
