// The compound-file library, second half: stream handles that read and write stream entries
// in sectors or in the mini stream, grow streams, and move small streams into and out of the
// mini stream.
#include "storage/CfFile.h"

#include "HeapBlock.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

namespace {

std::uint32_t Now() { return static_cast<std::uint32_t>(CurrentCalendarSeconds()); }

CfDirEntry* Entry(CfStream* s) { return CfDirAt(&s->file->dir, s->entry); }

bool Writable(int mode) { return mode == 1 || mode == 2; }

int AppendUnit(CfStreamState* state, std::uint32_t unit) { return CfAppendNumber(&state->chain, &state->chainLength, &state->chainCapacity, unit); }

void ReleaseState(CfFile* f, std::uint32_t entry, CfStreamState* state)
{
    if (--state->references > 0)
        return;
    if (state->root)
        CfCloseStreamHandle(state->root);
    std::free(state->chain);
    std::free(state);
    if (CfDirEntry* e = CfDirAt(&f->dir, entry))
        e->state = nullptr;
}

// Writes the buffered sector: over its sector when the chain has it, else into a newly
// allocated sector linked at the chain's end.
int FlushBuffer(CfStream* s)
{
    if (!s->dirty)
        return kCfOk;
    CfFile* f = s->file;
    CfStreamState* state = s->state;
    const std::uint64_t index = static_cast<std::uint64_t>(s->bufferedIndex);
    const std::uint32_t ss = f->sectorSize;
    int status = kCfOk;
    if (index < state->chainLength) {
        // The sector may have been written by another handle since this one buffered it (or
        // appended by another handle while this one held it as new): lay this handle's
        // changed bytes over the sector as it now is.
        if (s->dirtyLow > 0 || s->dirtyHigh < ss) {
            const std::uint8_t* data = nullptr;
            status = CfFetchSector(f, state->chain[index], &data);
            if (status != kCfOk)
                return status;
            std::memcpy(s->buffer, data, s->dirtyLow);
            std::memcpy(s->buffer + s->dirtyHigh, data + s->dirtyHigh, ss - s->dirtyHigh);
        }
        status = CfWriteSector(f, state->chain[index], s->buffer);
    } else if (index == state->chainLength) {
        std::uint32_t sector = 0;
        status = CfTableAllocate(&f->fat, true, &sector);
        if (status != kCfOk)
            return status;
        status = CfWriteSector(f, sector, s->buffer);
        if (status == kCfOk)
            status = AppendUnit(state, sector);
        if (status != kCfOk) {
            CfTableFree(&f->fat, sector);
            return status;
        }
        if (state->chainLength == 1)
            Entry(s)->startSector = sector;
        else
            status = CfTableSet(&f->fat, state->chain[state->chainLength - 2], sector);
    } else {
        // The chain always covers everything before the buffered sector.
        status = kCfCorrupt;
    }
    if (status == kCfOk) {
        s->dirty = false;
        s->bufferedIndex = -1;
    }
    return status;
}

// Grows the stream to size bytes: the old last sector's bytes behind the old end and every
// appended sector are zeros. A failure gives the appended sectors back.
int Grow(CfStream* s, std::uint64_t size)
{
    int status = FlushBuffer(s);
    if (status != kCfOk)
        return status;
    // The buffer serves as scratch below: it names no sector any more.
    s->bufferedIndex = -1;
    CfStreamState* state = s->state;
    if (size <= state->size)
        return kCfOk;
    CfFile* f = s->file;
    const std::uint32_t ss = f->sectorSize;
    const std::uint64_t need = (size + ss - 1) / ss;
    if (need > kCfMaxDataSector)
        return kCfRefused;
    CfReleaseMetadata(f);
    const std::uint32_t tail = static_cast<std::uint32_t>(state->size % ss);
    const std::uint64_t lastIndex = state->size / ss;
    if (tail != 0 && lastIndex < state->chainLength) {
        const std::uint8_t* data = nullptr;
        status = CfFetchSector(f, state->chain[lastIndex], &data);
        if (status != kCfOk)
            return status;
        std::memcpy(s->buffer, data, ss);
        std::memset(s->buffer + tail, 0, ss - tail);
        status = CfWriteSector(f, state->chain[lastIndex], s->buffer);
        if (status != kCfOk)
            return status;
    }
    const std::uint32_t oldLength = state->chainLength;
    std::memset(s->buffer, 0, ss);
    while (state->chainLength < need) {
        s->bufferedIndex = state->chainLength;
        s->dirty = true;
        s->dirtyLow = 0;
        s->dirtyHigh = ss;
        status = FlushBuffer(s);
        if (status != kCfOk) {
            if (oldLength > 0)
                CfTableSet(&f->fat, state->chain[oldLength - 1], kCfEndOfChain);
            else
                Entry(s)->startSector = kCfFreeSector;
            for (std::uint32_t i = oldLength; i < state->chainLength; ++i)
                CfTableFree(&f->fat, state->chain[i]);
            state->chainLength = oldLength;
            s->dirty = false;
            s->bufferedIndex = -1;
            return status;
        }
    }
    state->size = size;
    return kCfOk;
}

// The ordinary sector of the mini stream that holds mini sector m, from the root's chain.
std::uint64_t MiniSectorOffset(CfFile* f, const std::uint32_t* rootChain, std::uint32_t m)
{
    const std::uint32_t perSector = f->sectorSize / f->miniSize;
    return ((static_cast<std::uint64_t>(rootChain[m / perSector]) + 1) << f->header.sectorShift) +
           static_cast<std::uint64_t>(m % perSector) * f->miniSize;
}

// Cuts the mini stream back after a stream left it: down to the sectors that hold the last
// mini sector in use, or to nothing.
void TrimMiniStream(CfFile* f)
{
    CfSectorTable& mini = f->miniFat;
    if (mini.used == 0 || mini.entries[mini.used - 1] != kCfFreeSector)
        return;
    CfDirEntry* root = CfDirAt(&f->dir, 0);
    const std::uint32_t perSector = f->sectorSize / f->miniSize;
    const std::uint32_t inUse = CfTableLastInUse(mini);
    const std::uint64_t rootSectors = (root->size + f->sectorSize - 1) / f->sectorSize;
    const std::uint64_t keep = (inUse + perSector - 1) / perSector;
    if (inUse > 0 && keep >= rootSectors)
        return;
    std::uint32_t* chain = nullptr;
    std::uint32_t length = 0;
    if (CfTableChain(f->fat, root->startSector, rootSectors, &chain, &length) != kCfOk)
        return;
    CfReleaseMetadata(f);
    for (std::uint64_t i = keep; i < length; ++i)
        CfTableFree(&f->fat, chain[i]);
    if (keep > 0) {
        CfTableSet(&f->fat, chain[keep - 1], kCfEndOfChain);
        f->miniStreamLast = chain[keep - 1];
        root->size = keep * f->sectorSize;
        const std::uint64_t used = keep * perSector;
        if (used < mini.used)
            mini.used = static_cast<std::uint32_t>(used);
        if (mini.freeHint > mini.used)
            mini.freeHint = mini.used;
    } else {
        root->startSector = kCfEndOfChain;
        root->size = 0;
        f->miniStreamLast = kCfFreeSector;
        mini.used = 0;
        mini.freeHint = 0;
        f->header.firstMiniFatSector = kCfFreeSector;
        f->header.miniFatSectors = 0;
    }
    std::free(chain);
}

// Moves a closing stream's contents from its sectors into mini sectors of the mini stream.
// A failure leaves the stream in its sectors.
int MoveIntoMiniStream(CfStream* s)
{
    CfFile* f = s->file;
    CfStreamState* state = s->state;
    const std::uint64_t size = state->size;
    if (size == 0)
        return kCfOk;
    const std::uint32_t ss = f->sectorSize;
    const std::uint32_t ms = f->miniSize;
    const std::uint32_t perSector = ss / ms;
    if (static_cast<std::uint64_t>(state->chainLength) * ss < size)
        return kCfCorrupt;
    CfDirEntry* root = CfDirAt(&f->dir, 0);
    CfReleaseMetadata(f);
    CfStreamState rootChain = {};
    int status = CfTableChain(f->fat, root->startSector, (root->size + ss - 1) / ss, &rootChain.chain, &rootChain.chainLength);
    rootChain.chainCapacity = rootChain.chainLength;
    const std::uint32_t pieces = static_cast<std::uint32_t>((size + ms - 1) / ms);
    std::uint32_t* minis = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, pieces, sizeof(std::uint32_t)));
    std::uint8_t* sector = static_cast<std::uint8_t*>(std::malloc(ss));
    if (status == kCfOk && (!minis || !sector))
        status = kCfOutOfMemory;
    std::uint32_t done = 0;
    for (std::uint32_t i = 0; status == kCfOk && i < pieces; ++i) {
        if (i % perSector == 0) {
            const std::uint8_t* data = nullptr;
            status = CfFetchSector(f, state->chain[i / perSector], &data);
            if (status != kCfOk)
                break;
            std::memcpy(s->buffer, data, ss);
            // Whatever lies behind the end in the last sector stays out of the mini stream.
            const std::uint64_t start = static_cast<std::uint64_t>(i / perSector) * ss;
            if (size - start < ss)
                std::memset(s->buffer + (size - start), 0, ss - (size - start));
        }
        const std::uint8_t* piece = s->buffer + (i % perSector) * ms;
        std::uint32_t m = 0;
        status = CfTableAllocate(&f->miniFat, true, &m);
        if (status != kCfOk)
            break;
        minis[done++] = m;
        const bool appended = m + 1 == f->miniFat.used;
        // A mini sector past the mini stream's sectors gets new zero-filled sectors.
        while (status == kCfOk && static_cast<std::uint64_t>(m) * ms >= static_cast<std::uint64_t>(rootChain.chainLength) * ss) {
            std::uint32_t added = 0;
            status = CfTableAllocate(&f->fat, true, &added);
            if (status != kCfOk)
                break;
            std::memset(sector, 0, ss);
            status = CfWriteSector(f, added, sector);
            if (status == kCfOk)
                status = AppendUnit(&rootChain, added);
            if (status != kCfOk) {
                CfTableFree(&f->fat, added);
                break;
            }
            if (rootChain.chainLength == 1)
                root->startSector = added;
            else
                CfTableSet(&f->fat, rootChain.chain[rootChain.chainLength - 2], added);
            f->miniStreamLast = added;
        }
        if (status != kCfOk)
            break;
        if (appended && root->size < (static_cast<std::uint64_t>(m) + 1) * ms)
            root->size = (static_cast<std::uint64_t>(m) + 1) * ms;
        status = CfWriteAt(f, MiniSectorOffset(f, rootChain.chain, m), piece, ms);
        if (status != kCfOk)
            break;
        if (i > 0)
            status = CfTableSet(&f->miniFat, minis[i - 1], m);
    }
    if (status == kCfOk) {
        for (std::uint32_t i = 0; i < state->chainLength; ++i)
            CfTableFree(&f->fat, state->chain[i]);
        state->chainLength = 0;
        state->inMini = true;
        Entry(s)->startSector = minis[0];
    } else {
        for (std::uint32_t i = 0; i < done; ++i)
            CfTableFree(&f->miniFat, minis[i]);
    }
    std::free(rootChain.chain);
    std::free(minis);
    std::free(sector);
    return status;
}

} // namespace

int CfOpenStreamHandle(CfFile* f, CfStorage* storage, std::uint32_t entry, CfStream** out)
{
    CfDirEntry* e = CfDirAt(&f->dir, entry);
    // Entry 0 holds the mini stream whatever its type says (a root or a storage).
    if (!e || (e->type != kCfTypeStream && entry != 0))
        return kCfNotStream;
    CfStream* s = static_cast<CfStream*>(std::calloc(1, sizeof(CfStream)));
    if (!s)
        return kCfOutOfMemory;
    CfStreamState* state = e->state;
    if (!state) {
        state = static_cast<CfStreamState*>(std::calloc(1, sizeof(CfStreamState)));
        if (!state) {
            std::free(s);
            return kCfOutOfMemory;
        }
        state->size = e->size;
        e->state = state;
    }
    ++state->references;
    s->file = f;
    s->entry = entry;
    s->parent = storage;
    s->mode = f->mode;
    s->state = state;
    s->bufferedIndex = -1;
    int status = kCfOk;
    if (Writable(f->mode)) {
        s->buffer = static_cast<std::uint8_t*>(std::malloc(f->sectorSize));
        if (!s->buffer)
            status = kCfOutOfMemory;
    }
    if (status == kCfOk && !state->chainKnown) {
        if (f->mode == 1) {
            // A stream of a new file is created empty, in sectors.
            state->chainKnown = true;
        } else {
            const bool small = CfIsSmall(f, entry, state->size);
            const std::uint64_t unit = small ? f->miniSize : f->sectorSize;
            // A size beyond what holds it (the mini stream, the file) is no size at all.
            const std::uint64_t bound = small ? CfDirAt(&f->dir, 0)->size : f->length;
            if (state->size > bound) {
                status = kCfCorrupt;
            } else {
                std::uint32_t* chain = nullptr;
                std::uint32_t length = 0;
                status = CfTableChain(small ? f->miniFat : f->fat, e->startSector, (state->size + unit - 1) / unit, &chain, &length);
                if (status == kCfOk) {
                    state->chain = chain;
                    state->chainLength = state->chainCapacity = length;
                    state->chainKnown = true;
                    state->inMini = small;
                }
            }
            if (status == kCfOk && state->inMini && state->size > 0 && !state->root)
                status = CfOpenStreamHandle(f, nullptr, 0, &state->root);
        }
    }
    if (status != kCfOk) {
        std::free(s->buffer);
        std::free(s);
        ReleaseState(f, entry, state);
        return status;
    }
    *out = s;
    return kCfOk;
}

int CfCloseStreamHandle(CfStream* s)
{
    CfFile* f = s->file;
    int status = kCfOk;
    if (Writable(s->mode) && s->parent) {
        status = FlushBuffer(s);
        CfDirEntry* e = Entry(s);
        e->size = s->state->size;
        e->created = e->modified = Now();
        if (status == kCfOk && s->state->references == 1 && !s->state->inMini && CfIsSmall(f, s->entry, s->state->size))
            status = MoveIntoMiniStream(s);
    }
    std::free(s->buffer);
    ReleaseState(f, s->entry, s->state);
    std::free(s);
    return status;
}

int CfMoveOutOfMiniStream(CfStream* s)
{
    CfStreamState* state = s->state;
    if (!state->inMini)
        return kCfOk;
    CfFile* f = s->file;
    CfDirEntry* e = Entry(s);
    const std::uint64_t size = state->size;
    if (size == 0) {
        state->inMini = false;
        return kCfOk;
    }
    std::uint8_t* contents = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
    if (!contents)
        return kCfOutOfMemory;
    const std::uint64_t position = s->position;
    s->position = 0;
    std::uint32_t count = static_cast<std::uint32_t>(size);
    int status = cfRead(s, contents, &count);
    if (status == kCfOk && count != size)
        status = kCfEndOfStream;
    if (status != kCfOk) {
        s->position = position;
        std::free(contents);
        return status;
    }
    // Write the contents again, now into sectors.
    const std::uint32_t firstMini = e->startSector;
    std::uint32_t* miniChain = state->chain;
    const std::uint32_t miniLength = state->chainLength;
    const std::uint32_t miniCapacity = state->chainCapacity;
    state->chain = nullptr;
    state->chainLength = state->chainCapacity = 0;
    state->inMini = false;
    state->size = 0;
    e->startSector = kCfFreeSector;
    s->position = 0;
    count = static_cast<std::uint32_t>(size);
    status = cfWrite(s, contents, &count);
    if (status == kCfOk)
        status = FlushBuffer(s);
    std::free(contents);
    if (status != kCfOk) {
        for (std::uint32_t i = 0; i < state->chainLength; ++i)
            CfTableFree(&f->fat, state->chain[i]);
        std::free(state->chain);
        state->chain = miniChain;
        state->chainLength = miniLength;
        state->chainCapacity = miniCapacity;
        state->inMini = true;
        state->size = size;
        s->dirty = false;
        s->bufferedIndex = -1;
        s->position = position;
        e->startSector = firstMini;
        return status;
    }
    for (std::uint32_t i = 0; i < miniLength; ++i)
        CfTableFree(&f->miniFat, miniChain[i]);
    std::free(miniChain);
    if (state->root) {
        CfCloseStreamHandle(state->root);
        state->root = nullptr;
    }
    s->position = position;
    TrimMiniStream(f);
    return kCfOk;
}

namespace {

// A new handle on the stream entry, in its storage's list. Read-write, a small stream moves
// into sectors while it is open (a second handle finds it there already).
int AttachStream(CfStorage* storage, std::uint32_t entry, CfStream** out)
{
    CfFile* f = storage->file;
    CfStream* s = nullptr;
    int status = CfOpenStreamHandle(f, storage, entry, &s);
    if (status != kCfOk)
        return status;
    if (f->mode == 2 && s->state->references == 1)
        status = CfMoveOutOfMiniStream(s);
    if (status == kCfOk)
        status = CfAddHandle(storage, 1, s);
    if (status != kCfOk) {
        std::free(s->buffer);
        ReleaseState(f, entry, s->state);
        std::free(s);
        return status;
    }
    *out = s;
    return kCfOk;
}

} // namespace

int cfOpenStream(CfStorage* storage, const char16_t* name, CfStream** out)
{
    if (!storage || !name || !*name || !out)
        return kCfBadArgument;
    if (storage->mode == 1)
        return kCfRefused;
    CfFile* f = storage->file;
    std::uint32_t n = 0;
    int status = CfDirFind(&f->dir, storage->entry, name, &n);
    if (status != kCfOk)
        return status;
    if (CfDirAt(&f->dir, n)->type != kCfTypeStream)
        return kCfNotStream;
    return AttachStream(storage, n, out);
}

int cfCreateStream(CfStorage* storage, const char16_t* name, CfStream** out)
{
    if (!storage || !name || !*name || !out || !Writable(storage->mode) || CfNameUnits(name) > kCfMaxNameUnits)
        return kCfBadArgument;
    CfFile* f = storage->file;
    CfReleaseMetadata(f);
    std::uint32_t n = 0;
    int status = CfDirInsert(&f->dir, f, storage->entry, name, kCfTypeStream, &n);
    if (status != kCfOk)
        return status;
    return AttachStream(storage, n, out);
}

int cfCloseStream(CfStream** stream)
{
    if (!stream || !*stream)
        return kCfBadArgument;
    CfStream* s = *stream;
    *stream = nullptr;
    if (s->parent)
        CfRemoveHandle(s->parent, s);
    return CfCloseStreamHandle(s);
}

int cfRead(CfStream* s, void* buffer, std::uint32_t* count)
{
    if (!s || !buffer || !count || s->mode == 1)
        return kCfBadArgument;
    std::uint32_t wanted = *count;
    if (wanted == 0)
        return kCfOk;
    CfStreamState* state = s->state;
    if (s->position >= state->size) {
        *count = 0;
        return kCfEndOfStream;
    }
    if (wanted > state->size - s->position)
        wanted = static_cast<std::uint32_t>(state->size - s->position);
    CfFile* f = s->file;
    int status = kCfOk;
    // Beside this handle's changes its buffer holds the sector as it was buffered; another
    // handle may have written there since, so the changes go out first and the sector is read
    // as it now is.
    if (s->dirty) {
        status = FlushBuffer(s);
        if (status != kCfOk) {
            *count = 0;
            return status;
        }
    }
    const std::uint32_t unit = state->inMini ? f->miniSize : f->sectorSize;
    std::uint8_t* out = static_cast<std::uint8_t*>(buffer);
    std::uint32_t delivered = 0;
    while (delivered < wanted) {
        const std::uint64_t index = s->position / unit;
        const std::uint32_t offset = static_cast<std::uint32_t>(s->position % unit);
        std::uint32_t n = unit - offset;
        if (n > wanted - delivered)
            n = wanted - delivered;
        if (index >= state->chainLength) {
            // Bytes another handle holds unwritten.
            status = kCfEndOfStream;
            break;
        } else if (state->inMini) {
            std::uint32_t got = n;
            status = cfSeek(state->root, static_cast<std::int64_t>(state->chain[index]) * unit + offset, 0);
            if (status == kCfOk)
                status = cfRead(state->root, out + delivered, &got);
            if (status == kCfOk && got != n)
                status = kCfEndOfStream;
            if (status != kCfOk)
                break;
        } else {
            const std::uint8_t* data = nullptr;
            status = CfFetchSector(f, state->chain[index], &data);
            if (status != kCfOk)
                break;
            std::memcpy(out + delivered, data + offset, n);
        }
        delivered += n;
        s->position += n;
    }
    *count = delivered;
    return status;
}

int cfWrite(CfStream* s, const void* buffer, std::uint32_t* count)
{
    if (!s || !buffer || !count || !Writable(s->mode) || s->state->inMini)
        return kCfBadArgument;
    const std::uint32_t wanted = *count;
    *count = 0;
    if (wanted == 0)
        return kCfOk;
    CfFile* f = s->file;
    CfStreamState* state = s->state;
    CfReleaseMetadata(f);
    int status = kCfOk;
    if (s->position > state->size) {
        status = Grow(s, s->position);
        if (status != kCfOk)
            return status;
    }
    const std::uint32_t ss = f->sectorSize;
    const std::uint8_t* in = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t taken = 0;
    while (taken < wanted) {
        const std::uint64_t index = s->position / ss;
        const std::uint32_t offset = static_cast<std::uint32_t>(s->position % ss);
        if (index >= kCfMaxDataSector) {
            status = kCfRefused;
            break;
        }
        std::uint32_t n = ss - offset;
        if (n > wanted - taken)
            n = wanted - taken;
        // The changed bytes stay one run: a write apart from them sends them out first.
        const bool apart = s->dirty && (offset > s->dirtyHigh || offset + n < s->dirtyLow);
        if (s->bufferedIndex < 0 || static_cast<std::uint64_t>(s->bufferedIndex) != index || apart) {
            status = FlushBuffer(s);
            if (status != kCfOk)
                break;
            if (index < state->chainLength) {
                const std::uint8_t* data = nullptr;
                status = CfFetchSector(f, state->chain[index], &data);
                if (status != kCfOk)
                    break;
                std::memcpy(s->buffer, data, ss);
            } else {
                // A new sector: nothing stale behind the data.
                std::memset(s->buffer, 0, ss);
            }
            s->bufferedIndex = static_cast<std::int64_t>(index);
        }
        std::memcpy(s->buffer + offset, in + taken, n);
        if (!s->dirty || offset < s->dirtyLow)
            s->dirtyLow = offset;
        if (!s->dirty || offset + n > s->dirtyHigh)
            s->dirtyHigh = offset + n;
        s->dirty = true;
        taken += n;
        s->position += n;
        if (s->position > state->size)
            state->size = s->position;
        if (offset + n == ss) {
            status = FlushBuffer(s);
            if (status != kCfOk)
                break;
        }
    }
    *count = taken;
    return status;
}

int cfSeek(CfStream* s, std::int64_t offset, int origin)
{
    if (!s || origin < 0 || origin > 2)
        return kCfBadArgument;
    const std::int64_t base = origin == 0 ? 0 : origin == 1 ? static_cast<std::int64_t>(s->position) : static_cast<std::int64_t>(s->state->size);
    if (base < 0 || (offset > 0 && base > INT64_MAX - offset))
        return kCfBadArgument;
    const std::int64_t target = base + offset;
    if (target < 0)
        return kCfBadArgument;
    if (Writable(s->mode)) {
        const int status = FlushBuffer(s);
        if (status != kCfOk)
            return status;
    }
    s->position = static_cast<std::uint64_t>(target);
    return kCfOk;
}

int cfSeek32(CfStream* s, std::int32_t offset, int origin) { return cfSeek(s, offset, origin); }

int cfGetRemaining(CfStream* s, std::uint32_t* remaining)
{
    if (!s || !remaining || s->mode == 1)
        return kCfBadArgument;
    const std::uint64_t size = s->state->size;
    *remaining = s->position < size ? static_cast<std::uint32_t>(size - s->position) : 0;
    return kCfOk;
}

} // namespace dgn
