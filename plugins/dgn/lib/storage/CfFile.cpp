// The compound-file library, first half: files, their tables and directory, storages,
// listings, property sets and the rewriting of the metadata when a changed file is closed.
#include "storage/CfFile.h"

#include "HeapBlock.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace dgn {

namespace {

std::uint32_t Now() { return static_cast<std::uint32_t>(CurrentCalendarSeconds()); }

std::uint64_t SectorOffset(const CfFile* f, std::uint32_t sector) { return (static_cast<std::uint64_t>(sector) + 1) << f->header.sectorShift; }

// Sectors behind the header that the file holds (the last one may be partial).
std::uint64_t SectorsInFile(const CfFile* f)
{
    return f->length > f->sectorSize ? (f->length - f->sectorSize + f->sectorSize - 1) / f->sectorSize : 0;
}

CfFile* NewFile()
{
    CfFile* f = static_cast<CfFile*>(std::calloc(1, sizeof(CfFile)));
    if (!f)
        return nullptr;
    new (&f->ops) CfFileOps();
    new (&f->fat) CfSectorTable();
    new (&f->miniFat) CfSectorTable();
    new (&f->dir) CfDirectory();
    f->cachedSector = -1;
    f->miniStreamLast = kCfFreeSector;
    return f;
}

void FreeSlot(CfPropertySlot* slot)
{
    std::free(slot->set);
    slot->set = nullptr;
    slot->stream = nullptr;
}

CfStorage* NewStorage(CfFile* f, std::uint32_t entry, CfStorage* parent)
{
    CfStorage* s = static_cast<CfStorage*>(std::calloc(1, sizeof(CfStorage)));
    if (!s)
        return nullptr;
    s->file = f;
    s->entry = entry;
    s->parent = parent;
    s->mode = f->mode;
    return s;
}

int CloseStorageTree(CfStorage* storage);

// Closes every handle of the storage, the last opened first; all are closed, the first
// failure is returned.
int CloseHandles(CfStorage* storage)
{
    int status = kCfOk;
    while (storage->handleCount > 0) {
        const CfHandleNode node = storage->handles[--storage->handleCount];
        const int s = node.kind == 1 ? CfCloseStreamHandle(static_cast<CfStream*>(node.handle))
                                     : CloseStorageTree(static_cast<CfStorage*>(node.handle));
        if (status == kCfOk)
            status = s;
    }
    return status;
}

int CloseStorageTree(CfStorage* storage)
{
    const int status = CloseHandles(storage);
    CfFile* f = storage->file;
    if (f->mode != 0) {
        if (CfDirEntry* e = CfDirAt(&f->dir, storage->entry))
            e->modified = Now();
    }
    std::free(storage->handles);
    std::free(storage);
    return status;
}

// Frees everything of the file and closes its stdio file.
void DestroyFile(CfFile* f)
{
    for (CfPropertySlot& slot : f->slots)
        FreeSlot(&slot);
    if (f->root)
        CloseStorageTree(f->root);
    f->root = nullptr;
    // Stream states outlive no handle; any left over (a failed open) go here.
    for (std::uint32_t i = 0; i < f->dir.count; ++i) {
        CfDirEntry* e = CfDirAt(&f->dir, i);
        if (e->state) {
            std::free(e->state->chain);
            std::free(e->state);
            e->state = nullptr;
        }
    }
    CfTableRelease(&f->fat);
    CfTableRelease(&f->miniFat);
    CfDirRelease(&f->dir);
    std::free(f->dirSectors);
    std::free(f->miniFatSectors);
    std::free(f->fatSectors);
    std::free(f->difatSectors);
    std::free(f->cache);
    if (f->ownsFile || f->ops.file)
        f->ops.Close();
    std::free(f);
}

// Reads a table of count sectors (their numbers in sectors) into a new entry array.
int LoadTable(CfFile* f, const std::uint32_t* sectors, std::uint32_t count, CfSectorTable* table)
{
    const std::uint32_t perSector = f->sectorSize / 4;
    std::uint32_t* entries = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, static_cast<std::uint64_t>(count) * perSector, 4));
    if (!entries)
        return kCfOutOfMemory;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* data = nullptr;
        const int status = CfFetchSector(f, sectors[i], &data);
        if (status != kCfOk) {
            std::free(entries);
            return status;
        }
        for (std::uint32_t j = 0; j < perSector; ++j)
            entries[static_cast<std::uint64_t>(i) * perSector + j] = CfGet32(data + 4 * j);
    }
    CfTableAdopt(table, entries, count * perSector);
    return kCfOk;
}

// The FAT's sector numbers: the header's DIFAT head, then the DIFAT chain.
int ReadDifat(CfFile* f)
{
    const std::uint32_t fatCount = f->header.fatSectors;
    const std::uint64_t inFile = SectorsInFile(f);
    if (fatCount == 0)
        return kCfOk;
    f->fatSectors = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, fatCount, 4));
    if (!f->fatSectors)
        return kCfOutOfMemory;
    f->fatSectorCount = fatCount;
    const std::uint32_t head = fatCount < kCfDifatHeadEntries ? fatCount : kCfDifatHeadEntries;
    std::uint8_t words[4 * kCfDifatHeadEntries];
    if (f->ops.Seek(kCfHeaderBytes, 0) != 0 || f->ops.Read(words, 1, 4 * head) != 4 * head)
        return kCfIoError;
    for (std::uint32_t i = 0; i < head; ++i)
        f->fatSectors[i] = CfGet32(words + 4 * i);
    if (fatCount > head) {
        const std::uint32_t perDifat = f->sectorSize / 4 - 1;
        const std::uint64_t difatNeeded = (fatCount - head + perDifat - 1) / perDifat;
        // The chain may not be longer than the header says, nor meet a sector twice.
        if (difatNeeded > f->header.difatSectors)
            return kCfCorrupt;
        f->difatSectors = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, difatNeeded, 4));
        if (!f->difatSectors)
            return kCfOutOfMemory;
        std::uint32_t next = f->header.firstDifatSector;
        std::uint32_t n = head;
        while (n < fatCount) {
            if (next >= inFile)
                return kCfCorrupt;
            for (std::uint32_t i = 0; i < f->difatSectorCount; ++i) {
                if (f->difatSectors[i] == next)
                    return kCfCorrupt;
            }
            f->difatSectors[f->difatSectorCount++] = next;
            const std::uint8_t* data = nullptr;
            const int status = CfFetchSector(f, next, &data);
            if (status != kCfOk)
                return status;
            for (std::uint32_t i = 0; i < perDifat && n < fatCount; ++i)
                f->fatSectors[n++] = CfGet32(data + 4 * i);
            next = CfGet32(data + 4 * perDifat);
        }
    }
    for (std::uint32_t i = 0; i < fatCount; ++i) {
        if (f->fatSectors[i] >= inFile)
            return kCfCorrupt;
    }
    return kCfOk;
}

int ReadDirectory(CfFile* f)
{
    std::uint32_t* sectors = nullptr;
    std::uint32_t count = 0;
    int status = CfTableChain(f->fat, f->header.firstDirectorySector, kCfCountChain, &sectors, &count);
    if (status != kCfOk)
        return status;
    f->dirSectors = sectors;
    f->dirSectorCount = count;
    if (count == 0)
        return kCfNotFound;
    // Distinct sectors, each of them inside the file.
    if (count > SectorsInFile(f))
        return kCfCorrupt;
    const std::uint32_t perSector = f->sectorSize / kCfDirEntryBytes;
    status = CfDirAppend(&f->dir, count * perSector);
    if (status != kCfOk)
        return status;
    const bool size64 = f->header.majorVersion >= 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* data = nullptr;
        status = CfFetchSector(f, sectors[i], &data);
        if (status != kCfOk)
            return status;
        for (std::uint32_t j = 0; j < perSector; ++j) {
            const std::uint32_t n = i * perSector + j;
            CfDirEntry* e = CfDirAt(&f->dir, n);
            status = CfDirDecode(data + j * kCfDirEntryBytes, size64, e);
            if (status != kCfOk)
                return status;
            e->file = f;
            e->number = static_cast<std::int32_t>(n);
            e->parent = -1;
        }
    }
    return CfDirLinkTrees(&f->dir);
}

int Load(CfFile* f)
{
    if (f->ops.Seek(0, 2) != 0)
        return kCfIoError;
    const std::int64_t length = f->ops.Tell();
    if (length < 0)
        return kCfIoError;
    f->length = static_cast<std::uint64_t>(length);
    std::uint8_t raw[kCfHeaderBytes];
    if (f->ops.Seek(0, 0) != 0 || f->ops.Read(raw, 1, kCfHeaderBytes) != kCfHeaderBytes)
        return kCfIoError;
    int status = CfDecodeHeader(raw, &f->header);
    if (status != kCfOk)
        return status;
    f->sectorSize = 1u << f->header.sectorShift;
    f->miniSize = 1u << f->header.miniSectorShift;
    f->cache = static_cast<std::uint8_t*>(std::malloc(f->sectorSize));
    if (!f->cache)
        return kCfOutOfMemory;
    CfTableInit(&f->fat, f->sectorSize, f->sectorSize);
    CfTableInit(&f->miniFat, f->miniSize, f->sectorSize);
    CfDirInit(&f->dir, f->sectorSize);
    // Every table is bounded by the file that holds it.
    const std::uint64_t inFile = SectorsInFile(f);
    if (f->header.fatSectors > inFile || f->header.miniFatSectors > inFile)
        return kCfCorrupt;
    status = ReadDifat(f);
    if (status == kCfOk)
        status = LoadTable(f, f->fatSectors, f->fatSectorCount, &f->fat);
    if (status == kCfOk && f->header.miniFatSectors > 0) {
        status = CfTableChain(f->fat, f->header.firstMiniFatSector, f->header.miniFatSectors, &f->miniFatSectors, &f->miniFatSectorCount);
        if (status == kCfOk)
            status = LoadTable(f, f->miniFatSectors, f->miniFatSectorCount, &f->miniFat);
    }
    if (status == kCfOk)
        status = ReadDirectory(f);
    if (status != kCfOk)
        return status;
    const CfDirEntry* rootEntry = CfDirAt(&f->dir, 0);
    if (rootEntry->type != kCfTypeRoot && rootEntry->type != kCfTypeStorage)
        return kCfNotStorage;
    f->root = NewStorage(f, 0, nullptr);
    if (!f->root)
        return kCfOutOfMemory;
    // The last sector of the mini stream, where the next mini-stream sector is linked.
    std::uint32_t* chain = nullptr;
    std::uint32_t length32 = 0;
    status = CfTableChain(f->fat, rootEntry->startSector, kCfCountChain, &chain, &length32);
    if (status != kCfOk)
        return status;
    f->miniStreamLast = length32 ? chain[length32 - 1] : kCfFreeSector;
    std::free(chain);
    return kCfOk;
}

// Writes a property set's stream image (its slot's stream, from offset 0).
int WritePropertySet(CfPropertySlot* slot)
{
    if (!slot->stream)
        return kCfBadArgument;
    std::uint32_t size = 0;
    int status = CfLayoutPropertySet(*slot->set, nullptr, &size);
    if (status != kCfOk)
        return status;
    std::uint8_t* image = static_cast<std::uint8_t*>(std::malloc(size));
    if (!image)
        return kCfOutOfMemory;
    CfLayoutPropertySet(*slot->set, image, &size);
    status = cfSeek(slot->stream, 0, 0);
    std::uint32_t count = size;
    if (status == kCfOk)
        status = cfWrite(slot->stream, image, &count);
    if (status == kCfOk && count != size)
        status = kCfIoError;
    std::free(image);
    return status;
}

// The directory, entry by entry, into newly allocated sectors; the unused records that fill
// its last sector are written as unused entries.
int WriteDirectory(CfFile* f)
{
    const std::uint32_t ss = f->sectorSize;
    const std::uint32_t perSector = ss / kCfDirEntryBytes;
    std::uint8_t* sector = static_cast<std::uint8_t*>(std::malloc(ss));
    if (!sector)
        return kCfOutOfMemory;
    CfDirEntry unused;
    CfDirClearEntry(&unused, 0);
    unused.colour = kCfRed;
    const std::uint32_t sectors = (f->dir.count + perSector - 1) / perSector;
    std::uint32_t previous = kCfFreeSector;
    int status = kCfOk;
    for (std::uint32_t i = 0; i < sectors && status == kCfOk; ++i) {
        for (std::uint32_t j = 0; j < perSector; ++j) {
            const std::uint32_t n = i * perSector + j;
            CfDirEncode(n < f->dir.count ? *CfDirAt(&f->dir, n) : unused, sector + j * kCfDirEntryBytes);
        }
        std::uint32_t at = 0;
        status = CfTableAllocate(&f->fat, false, &at);
        if (status != kCfOk)
            break;
        if (previous == kCfFreeSector)
            f->header.firstDirectorySector = at;
        else
            status = CfTableSet(&f->fat, previous, at);
        previous = at;
        if (status == kCfOk)
            status = CfWriteSector(f, at, sector);
    }
    f->header.directorySectors = f->header.sectorShift == kCfSmallSectorShift ? 0 : sectors;
    std::free(sector);
    return status;
}

// Writes count entries of a table (padded with free entries) into the run of sectors from
// first.
int WriteTableRun(CfFile* f, const CfSectorTable& table, std::uint32_t first, std::uint32_t sectors)
{
    const std::uint32_t perSector = f->sectorSize / 4;
    std::uint8_t* sector = static_cast<std::uint8_t*>(std::malloc(f->sectorSize));
    if (!sector)
        return kCfOutOfMemory;
    int status = kCfOk;
    for (std::uint32_t i = 0; i < sectors && status == kCfOk; ++i) {
        for (std::uint32_t j = 0; j < perSector; ++j)
            CfPut32(sector + 4 * j, CfTableGet(table, i * perSector + j));
        status = CfWriteSector(f, first + i, sector);
    }
    std::free(sector);
    return status;
}

int WriteMiniFat(CfFile* f)
{
    const std::uint32_t used = f->miniFat.used;
    if (used == 0) {
        f->header.firstMiniFatSector = kCfFreeSector;
        f->header.miniFatSectors = 0;
        return kCfOk;
    }
    const std::uint32_t sectors = static_cast<std::uint32_t>((4ull * used + f->sectorSize - 1) / f->sectorSize);
    const std::uint32_t first = f->fat.used;
    for (std::uint32_t i = 0; i < sectors; ++i) {
        const int status = CfTableSet(&f->fat, first + i, i + 1 < sectors ? first + i + 1 : kCfEndOfChain);
        if (status != kCfOk)
            return status;
    }
    f->header.firstMiniFatSector = first;
    f->header.miniFatSectors = sectors;
    return WriteTableRun(f, f->miniFat, first, sectors);
}

// The FAT and the DIFAT at the end of the file, sized together (each counts its own sectors).
int WriteFatAndDifat(CfFile* f)
{
    const std::uint64_t ss = f->sectorSize;
    const std::uint64_t entries = f->fat.used;
    std::uint64_t fatCount = 0;
    std::uint64_t difatCount = 0;
    while (true) {
        const std::uint64_t fat = (4 * (entries + fatCount + difatCount) + ss - 1) / ss;
        const std::uint64_t difat = fat > kCfDifatHeadEntries ? (4 * (fat - kCfDifatHeadEntries) + ss - 4 - 1) / (ss - 4) : 0;
        if (fat == fatCount && difat == difatCount)
            break;
        fatCount = fat;
        difatCount = difat;
    }
    if (entries + fatCount + difatCount >= kCfEndOfChain)
        return kCfRefused;
    const std::uint32_t firstFat = static_cast<std::uint32_t>(entries);
    const std::uint32_t firstDifat = static_cast<std::uint32_t>(entries + fatCount);
    for (std::uint32_t i = 0; i < fatCount; ++i) {
        const int status = CfTableSet(&f->fat, firstFat + i, kCfFatSector);
        if (status != kCfOk)
            return status;
    }
    for (std::uint32_t i = 0; i < difatCount; ++i) {
        const int status = CfTableSet(&f->fat, firstDifat + i, kCfDifatSector);
        if (status != kCfOk)
            return status;
    }
    int status = WriteTableRun(f, f->fat, firstFat, static_cast<std::uint32_t>(fatCount));
    if (status != kCfOk)
        return status;
    // DIFAT sectors: the FAT sector numbers from the 110th on, each sector ending with the
    // number of the next one, the last with the end mark.
    const std::uint32_t perDifat = f->sectorSize / 4 - 1;
    std::uint8_t* sector = static_cast<std::uint8_t*>(std::malloc(f->sectorSize));
    if (!sector)
        return kCfOutOfMemory;
    for (std::uint32_t d = 0; d < difatCount && status == kCfOk; ++d) {
        for (std::uint32_t j = 0; j < perDifat; ++j) {
            const std::uint64_t k = kCfDifatHeadEntries + static_cast<std::uint64_t>(d) * perDifat + j;
            CfPut32(sector + 4 * j, k < fatCount ? firstFat + static_cast<std::uint32_t>(k) : kCfFreeSector);
        }
        CfPut32(sector + 4 * perDifat, d + 1 < difatCount ? firstDifat + d + 1 : kCfEndOfChain);
        status = CfWriteSector(f, firstDifat + d, sector);
    }
    std::free(sector);
    f->header.fatSectors = static_cast<std::uint32_t>(fatCount);
    f->header.difatSectors = static_cast<std::uint32_t>(difatCount);
    f->header.firstDifatSector = difatCount ? firstDifat : kCfFreeSector;
    return status;
}

// The header sector: the 76 header bytes, the DIFAT head, free words up to byte 512 and zero
// bytes beyond.
int WriteHeaderSector(CfFile* f)
{
    std::uint8_t* sector = static_cast<std::uint8_t*>(std::calloc(f->sectorSize, 1));
    if (!sector)
        return kCfOutOfMemory;
    std::memset(sector + kCfHeaderBytes, 0xFF, 512 - kCfHeaderBytes);
    // The FAT's sectors are the run in front of the DIFAT's at the end of the table.
    const std::uint32_t firstFat = f->fat.used - f->header.fatSectors - f->header.difatSectors;
    const std::uint32_t head = f->header.fatSectors < kCfDifatHeadEntries ? f->header.fatSectors : kCfDifatHeadEntries;
    for (std::uint32_t i = 0; i < head; ++i)
        CfPut32(sector + kCfHeaderBytes + 4 * i, firstFat + i);
    CfEncodeHeader(f->header, sector);
    const int status = CfWriteAt(f, 0, sector, f->sectorSize);
    std::free(sector);
    return status;
}

// Rewrites the metadata of a changed file. Every step runs even when an earlier one failed
// (a directory left unwritten would lose the whole file); the first failure is returned.
int Flush(CfFile* f)
{
    int status = kCfOk;
    auto keep = [&status](int s) {
        if (status == kCfOk)
            status = s;
    };
    for (CfPropertySlot& slot : f->slots) {
        if (slot.set)
            keep(WritePropertySet(&slot));
        slot.stream = nullptr; // closed with the root storage below
    }
    // The root closes like any storage: its handles, then its modification time.
    keep(CloseHandles(f->root));
    CfDirAt(&f->dir, 0)->modified = Now();
    keep(WriteDirectory(f));
    CfTableCutBack(&f->fat);
    keep(WriteMiniFat(f));
    keep(WriteFatAndDifat(f));
    keep(WriteHeaderSector(f));
    if (f->ops.Truncate((static_cast<std::uint64_t>(f->fat.used) + 1) * f->sectorSize) != 0)
        keep(kCfIoError);
    return status;
}

bool Empty(const char16_t* s) { return !s || !*s; }

// A new handle on the storage entry, in its parent's list.
int AttachStorage(CfStorage* parent, std::uint32_t entry, CfStorage** out)
{
    CfStorage* s = NewStorage(parent->file, entry, parent);
    if (!s)
        return kCfOutOfMemory;
    if (CfAddHandle(parent, 0, s) != kCfOk) {
        std::free(s);
        return kCfOutOfMemory;
    }
    *out = s;
    return kCfOk;
}

} // namespace

int CfFetchSector(CfFile* f, std::uint32_t sector, const std::uint8_t** data)
{
    if (f->cachedSector == static_cast<std::int64_t>(sector)) {
        *data = f->cache;
        return kCfOk;
    }
    f->cachedSector = -1;
    const std::uint64_t at = SectorOffset(f, sector);
    if (f->ops.Seek(static_cast<std::int64_t>(at), 0) != 0 || f->ops.Tell() != static_cast<std::int64_t>(at)) {
        f->fetchStatus = kCfIoError;
        return kCfIoError;
    }
    const std::size_t n = f->ops.Read(f->cache, 1, f->sectorSize);
    if (n == 0) {
        f->fetchStatus = kCfIoError;
        return kCfIoError;
    }
    // A file may end inside its last sector: the rest reads as zeros.
    if (n < f->sectorSize)
        std::memset(f->cache + n, 0, f->sectorSize - n);
    else
        f->cachedSector = sector;
    f->fetchStatus = kCfOk;
    *data = f->cache;
    return kCfOk;
}

int CfWriteAt(CfFile* f, std::uint64_t offset, const void* data, std::uint32_t n)
{
    // The cache never names a sector whose bytes on disk may have changed.
    if (f->cachedSector >= 0) {
        const std::uint64_t cached = SectorOffset(f, static_cast<std::uint32_t>(f->cachedSector));
        if (offset < cached + f->sectorSize && offset + n > cached)
            f->cachedSector = -1;
    }
    if (f->ops.Seek(static_cast<std::int64_t>(offset), 0) != 0 || f->ops.Write(data, 1, n) != n)
        return kCfIoError;
    if (offset + n > kCfVersion3Limit)
        f->header.majorVersion = 4;
    if (offset + n > f->length)
        f->length = offset + n;
    return kCfOk;
}

int CfWriteSector(CfFile* f, std::uint32_t sector, const std::uint8_t* data)
{
    return CfWriteAt(f, SectorOffset(f, sector), data, f->sectorSize);
}

void CfReleaseMetadata(CfFile* f)
{
    if (f->released)
        return;
    f->released = true;
    auto hand = [f](std::uint32_t*& list, std::uint32_t& count) {
        for (std::uint32_t i = 0; i < count; ++i)
            CfTableFree(&f->fat, list[i]);
        std::free(list);
        list = nullptr;
        count = 0;
    };
    hand(f->difatSectors, f->difatSectorCount);
    hand(f->fatSectors, f->fatSectorCount);
    hand(f->miniFatSectors, f->miniFatSectorCount);
    hand(f->dirSectors, f->dirSectorCount);
}

bool CfIsSmall(const CfFile* f, std::uint32_t entry, std::uint64_t size)
{
    return entry != 0 && size < f->header.miniStreamCutoff && (size >> 32) == 0;
}

int CfAddHandle(CfStorage* storage, int kind, void* handle)
{
    if (storage->handleCount == storage->handleCapacity) {
        const std::uint64_t want = storage->handleCapacity ? 2ull * storage->handleCapacity : 8;
        void* grown = ResizeHeapBlock(storage->handles, want, sizeof(CfHandleNode));
        if (!grown)
            return kCfOutOfMemory;
        storage->handles = static_cast<CfHandleNode*>(grown);
        storage->handleCapacity = static_cast<std::uint32_t>(want);
    }
    storage->handles[storage->handleCount++] = CfHandleNode{kind, handle};
    return kCfOk;
}

void CfRemoveHandle(CfStorage* storage, void* handle)
{
    for (std::uint32_t i = storage->handleCount; i > 0; --i) {
        if (storage->handles[i - 1].handle == handle) {
            std::memmove(storage->handles + i - 1, storage->handles + i, (storage->handleCount - i) * sizeof(CfHandleNode));
            --storage->handleCount;
            return;
        }
    }
}

int cfOpen(const char16_t* path, int mode, CfFile** out)
{
    if (Empty(path) || !out)
        return kCfBadArgument;
    if (mode != 0 && mode != 2)
        return kCfRefused;
    CfFile* f = NewFile();
    if (!f)
        return kCfOutOfMemory;
    f->mode = mode;
    if (!f->ops.Open(path, mode == 0 ? "rb" : "r+b")) {
        DestroyFile(f);
        return kCfCannotOpen;
    }
    const int status = Load(f);
    if (status != kCfOk) {
        DestroyFile(f);
        return status;
    }
    f->ownsFile = true;
    *out = f;
    return kCfOk;
}

int cfCreate(const char16_t* path, int mode, CfFile** out, std::uint32_t sectorSize)
{
    if (Empty(path) || !out || (sectorSize != 0 && sectorSize != 512 && sectorSize != 4096))
        return kCfBadArgument;
    if (mode != 1 && mode != 2)
        return kCfRefused;
    CfFile* f = NewFile();
    if (!f)
        return kCfOutOfMemory;
    f->mode = mode;
    if (!f->ops.Open(path, "w+b")) {
        DestroyFile(f);
        return kCfIoError;
    }
    CfNewHeader(&f->header, sectorSize == 4096 ? kCfLargeSectorShift : kCfSmallSectorShift);
    f->sectorSize = 1u << f->header.sectorShift;
    f->miniSize = 1u << f->header.miniSectorShift;
    f->released = true;
    f->cache = static_cast<std::uint8_t*>(std::malloc(f->sectorSize));
    CfTableInit(&f->fat, f->sectorSize, f->sectorSize);
    CfTableInit(&f->miniFat, f->miniSize, f->sectorSize);
    CfDirInit(&f->dir, f->sectorSize);
    std::uint32_t rootNumber = 0;
    int status = f->cache ? CfDirInsert(&f->dir, f, 0, u"Root Entry", kCfTypeRoot, &rootNumber) : kCfOutOfMemory;
    if (status == kCfOk) {
        // The root belongs to no sibling tree; files of this system give it colour 0.
        CfDirAt(&f->dir, 0)->colour = kCfRed;
        f->root = NewStorage(f, 0, nullptr);
        if (!f->root)
            status = kCfOutOfMemory;
    }
    if (status == kCfOk) {
        std::uint8_t head[512];
        CfEncodeHeader(f->header, head);
        std::memset(head + kCfHeaderBytes, 0xFF, sizeof(head) - kCfHeaderBytes);
        // On disk at once: the file exists as a compound file before anything else is written.
        status = CfWriteAt(f, 0, head, sizeof(head)) == kCfOk && f->ops.Flush() == 0 ? kCfOk : kCfIoError;
    }
    if (status != kCfOk) {
        DestroyFile(f);
        return status;
    }
    f->ownsFile = true;
    *out = f;
    return kCfOk;
}

int cfClose(CfFile** file)
{
    if (!file || !*file)
        return kCfBadArgument;
    CfFile* f = *file;
    *file = nullptr;
    int status = kCfOk;
    if (f->released && f->mode != 0)
        status = Flush(f);
    else
        CloseHandles(f->root);
    DestroyFile(f);
    return status;
}

int cfGetRootStorage(CfFile* file, CfStorage** out)
{
    if (!file || !out)
        return kCfBadArgument;
    if (!file->root)
        return kCfNotFound;
    *out = file->root;
    return kCfOk;
}

int cfOpenStorage(CfStorage* parent, const char16_t* name, CfStorage** out)
{
    if (!parent || Empty(name) || !out || parent->mode == 1)
        return kCfBadArgument;
    CfFile* f = parent->file;
    std::uint32_t n = 0;
    const int status = CfDirFind(&f->dir, parent->entry, name, &n);
    if (status != kCfOk)
        return status;
    if (CfDirAt(&f->dir, n)->type != kCfTypeStorage)
        return kCfNotStorage;
    return AttachStorage(parent, n, out);
}

int cfCreateStorage(CfStorage* parent, const char16_t* name, CfStorage** out)
{
    if (!parent || Empty(name) || !out || (parent->mode != 1 && parent->mode != 2) || CfNameUnits(name) > kCfMaxNameUnits)
        return kCfBadArgument;
    CfFile* f = parent->file;
    CfReleaseMetadata(f);
    std::uint32_t n = 0;
    const int status = CfDirInsert(&f->dir, f, parent->entry, name, kCfTypeStorage, &n);
    if (status != kCfOk)
        return status;
    CfDirAt(&f->dir, n)->created = Now();
    return AttachStorage(parent, n, out);
}

int cfCloseStorage(CfStorage** storage)
{
    if (!storage || !*storage || !(*storage)->parent)
        return kCfBadArgument;
    CfStorage* s = *storage;
    *storage = nullptr;
    CfRemoveHandle(s->parent, s);
    return CloseStorageTree(s);
}

int cfCountEntries(CfStorage* storage, std::int32_t* count)
{
    if (!storage || !count)
        return kCfBadArgument;
    std::uint32_t* numbers = nullptr;
    std::uint32_t n = 0;
    const int status = CfDirWalk(&storage->file->dir, storage->entry, &numbers, &n);
    std::free(numbers);
    if (status == kCfOk)
        *count = static_cast<std::int32_t>(n);
    return status;
}

int cfListEntries(CfStorage* storage, CfEntryInfo** entries, std::int32_t* count)
{
    if (!storage || !entries || !count)
        return kCfBadArgument;
    CfFile* f = storage->file;
    std::uint32_t* numbers = nullptr;
    std::uint32_t n = 0;
    int status = CfDirWalk(&f->dir, storage->entry, &numbers, &n);
    if (status != kCfOk)
        return status;
    *count = 0;
    if (n == 0)
        return kCfOk;
    CfEntryInfo* list = static_cast<CfEntryInfo*>(std::calloc(n, sizeof(CfEntryInfo)));
    if (!list) {
        std::free(numbers);
        return kCfOutOfMemory;
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        const CfDirEntry* e = CfDirAt(&f->dir, numbers[i]);
        const int units = CfNameUnits(e->name);
        list[i].name = static_cast<char16_t*>(std::calloc(units + 1, sizeof(char16_t)));
        if (!list[i].name) {
            cfFreeEntryInfo(&list, static_cast<std::int32_t>(i));
            std::free(numbers);
            return kCfOutOfMemory;
        }
        std::memcpy(list[i].name, e->name, units * sizeof(char16_t));
        list[i].isStream = e->type == kCfTypeStream ? 1 : 0;
        list[i].stateBits = e->stateBits;
        list[i].size = e->size;
        list[i].created = e->created;
        list[i].modified = e->modified;
        list[i].mode = f->mode;
        std::memcpy(list[i].classId, e->classId, 16);
    }
    std::free(numbers);
    *entries = list;
    *count = static_cast<std::int32_t>(n);
    return kCfOk;
}

int cfFreeEntryInfo(CfEntryInfo** entries, std::int32_t count)
{
    if (!entries || !*entries || count < 0)
        return kCfBadArgument;
    for (std::int32_t i = 0; i < count; ++i)
        std::free((*entries)[i].name);
    std::free(*entries);
    *entries = nullptr;
    return kCfOk;
}

int cfSetPropertySet(CfFile* file, const CfPropertySet* set)
{
    if (!file || !set || file->mode == 0 || !file->root)
        return kCfBadArgument;
    std::uint32_t size = 0;
    int status = CfLayoutPropertySet(*set, nullptr, &size);
    if (status != kCfOk)
        return status;
    // One block: the set, then the texts and data its properties point at.
    std::uint64_t extra = 0;
    for (int i = 0; i < set->count; ++i) {
        const CfProperty& p = set->properties[i];
        if (p.vt == kCfVtLpstr && p.text)
            extra += std::strlen(p.text) + 1;
        if (p.vt == kCfVtCf && p.data)
            extra += p.bytes;
    }
    CfPropertySet* copy = static_cast<CfPropertySet*>(std::malloc(sizeof(CfPropertySet) + extra));
    if (!copy)
        return kCfOutOfMemory;
    *copy = *set;
    std::uint8_t* tail = reinterpret_cast<std::uint8_t*>(copy + 1);
    for (int i = 0; i < copy->count; ++i) {
        CfProperty& p = copy->properties[i];
        if (p.vt == kCfVtLpstr && p.text) {
            const std::size_t n = std::strlen(p.text) + 1;
            std::memcpy(tail, p.text, n);
            p.text = reinterpret_cast<const char*>(tail);
            tail += n;
        }
        if (p.vt == kCfVtCf && p.data) {
            std::memcpy(tail, p.data, p.bytes);
            p.data = tail;
            tail += p.bytes;
        }
    }
    CfPropertySlot& slot = file->slots[set->kind - 1];
    if (!slot.stream) {
        const char16_t* name = set->kind == kCfSummaryInformation ? u"\x0005SummaryInformation" : u"\x0005DocumentSummaryInformation";
        status = cfCreateStream(file->root, name, &slot.stream);
        if (status == kCfRefused && file->mode == 2)
            status = cfOpenStream(file->root, name, &slot.stream);
        if (status != kCfOk) {
            slot.stream = nullptr;
            std::free(copy);
            return status;
        }
    }
    CfReleaseMetadata(file);
    std::free(slot.set);
    slot.set = copy;
    return kCfOk;
}

} // namespace dgn
