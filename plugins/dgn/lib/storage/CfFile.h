#pragma once
// The records behind the compound-file library's handles (CompoundFile.h), shared by its file
// and storage half (CfFile.cpp) and its stream half (CfStream.cpp). Not for other callers.
#include "storage/CfDirectory.h"
#include "storage/CfFileOps.h"
#include "storage/CfFormat.h"
#include "storage/CfSectorTable.h"
#include "storage/CompoundFile.h"

#include <cstdint>

namespace dgn {

// An entry of a storage's list of the handles opened through it.
struct CfHandleNode {
    int kind; // 0 storage, 1 stream
    void* handle;
};

struct CfStorage {
    CfFile* file;
    std::uint32_t entry;
    CfStorage* parent; // null for the root
    CfHandleNode* handles;
    std::uint32_t handleCount;
    std::uint32_t handleCapacity;
    int mode;
};

// Shared by every open handle of one stream entry.
struct CfStreamState {
    std::uint64_t size;
    // The units that hold the stream: mini sectors while inMini, else sectors.
    std::uint32_t* chain;
    std::uint32_t chainLength;
    std::uint32_t chainCapacity;
    bool chainKnown;
    bool inMini;
    // Reads the mini stream for a stream held in it.
    CfStream* root;
    int references;
};

struct CfStream {
    CfFile* file;
    std::uint32_t entry;
    CfStorage* parent; // null for a root-entry handle that reads the mini stream
    std::uint64_t position;
    // A write buffer of one sector (modes 1 and 2): the stream's sector bufferedIndex, holding
    // unwritten changes while dirty. The changed bytes are [dirtyLow, dirtyHigh): other
    // handles of the stream may write into the same sector meanwhile, so only those bytes are
    // this handle's to write back.
    std::uint8_t* buffer;
    std::int64_t bufferedIndex;
    bool dirty;
    std::uint32_t dirtyLow;
    std::uint32_t dirtyHigh;
    int mode;
    CfStreamState* state;
};

// A property set kept for the flush, its texts and data copied into one block.
struct CfPropertySlot {
    CfPropertySet* set;
    CfStream* stream;
};

struct CfFile {
    CfFileOps ops;
    bool ownsFile;
    CfHeader header;
    CfSectorTable fat;
    CfSectorTable miniFat;
    CfDirectory dir;
    CfStorage* root;
    int mode;
    // The sectors that held the directory, the mini FAT, the FAT and the DIFAT as read; handed
    // to the free list at the first change.
    std::uint32_t* dirSectors;
    std::uint32_t dirSectorCount;
    std::uint32_t* miniFatSectors;
    std::uint32_t miniFatSectorCount;
    std::uint32_t* fatSectors;
    std::uint32_t fatSectorCount;
    std::uint32_t* difatSectors;
    std::uint32_t difatSectorCount;
    // The one-sector cache: the sector it holds (-1 none) and the last fetch's status.
    std::int64_t cachedSector;
    std::uint8_t* cache;
    int fetchStatus;
    // The last sector of the mini stream's chain, kCfFreeSector for none.
    std::uint32_t miniStreamLast;
    CfPropertySlot slots[2];
    // Set at the first change (from the start in a new file): the close rewrites the metadata.
    bool released;
    // Bytes the file has (at open, and grown by writes): the bound of every count read.
    std::uint64_t length;
    std::uint32_t sectorSize;
    std::uint32_t miniSize;
};

// Sector input and output through the one-sector cache. A fetch returns the cache buffer
// (valid until the next fetch or write); a file ending inside the sector gives its bytes and
// zeros after them.
int CfFetchSector(CfFile* file, std::uint32_t sector, const std::uint8_t** data);
int CfWriteSector(CfFile* file, std::uint32_t sector, const std::uint8_t* data);
// Writes n bytes at a file offset (inside some sector).
int CfWriteAt(CfFile* file, std::uint64_t offset, const void* data, std::uint32_t n);
// Hands the metadata sectors to the FAT's free list before the first change.
void CfReleaseMetadata(CfFile* file);
// The cut-off rule of the mini stream for a size of the entry.
bool CfIsSmall(const CfFile* file, std::uint32_t entry, std::uint64_t size);

int CfAddHandle(CfStorage* storage, int kind, void* handle);
void CfRemoveHandle(CfStorage* storage, void* handle);

// Opens a handle on a stream or root entry (the root handle of a mini-stream reader has no
// storage) and closes one, giving the shared state back.
int CfOpenStreamHandle(CfFile* file, CfStorage* storage, std::uint32_t entry, CfStream** out);
int CfCloseStreamHandle(CfStream* stream);
// Moves the (small) stream of a fresh handle out of the mini stream into sectors.
int CfMoveOutOfMiniStream(CfStream* stream);

} // namespace dgn
