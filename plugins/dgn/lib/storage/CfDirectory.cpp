#include "storage/CfDirectory.h"

#include "HeapBlock.h"
#include "storage/CfSectorTable.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace dgn {

void CfDirInit(CfDirectory* dir, std::uint32_t sectorSize)
{
    CfDirRelease(dir);
    dir->sectorSize = sectorSize;
}

void CfDirRelease(CfDirectory* dir)
{
    std::free(dir->records);
    std::free(dir->reuse);
    dir->records = nullptr;
    dir->reuse = nullptr;
    dir->count = dir->capacity = dir->reuseCount = dir->reuseCapacity = 0;
}

CfDirEntry* CfDirAt(CfDirectory* dir, std::int64_t n)
{
    if (!dir->records || n < -1 || n >= static_cast<std::int64_t>(dir->count))
        return nullptr;
    return dir->records + 1 + n;
}

void CfDirClearEntry(CfDirEntry* e, std::int32_t number)
{
    std::memset(e, 0, sizeof(*e));
    e->number = number;
    e->parent = -1;
    e->type = kCfTypeUnused;
    e->colour = number < 0 ? kCfBlack : kCfRed;
    e->left = e->right = e->child = kCfNoEntry;
    e->startSector = kCfFreeSector;
}

int CfDirDecode(const std::uint8_t in[kCfDirEntryBytes], bool size64, CfDirEntry* e)
{
    for (int i = 0; i < kCfNameFieldUnits; ++i)
        e->name[i] = static_cast<char16_t>(CfGet16(in + 2 * i));
    e->name[kCfNameFieldUnits] = 0;
    // The name ends at its first zero unit within the field; the length field is not trusted.
    const int units = CfNameUnits(e->name);
    for (int i = units; i <= kCfNameFieldUnits; ++i)
        e->name[i] = 0;
    e->type = in[66];
    e->colour = in[67];
    e->left = CfGet32(in + 68);
    e->right = CfGet32(in + 72);
    e->child = CfGet32(in + 76);
    std::memcpy(e->classId, in + 80, 16);
    e->stateBits = CfGet32(in + 96);
    e->created = CfFiletimeToSeconds(CfGet64(in + 100));
    e->modified = CfFiletimeToSeconds(CfGet64(in + 108));
    e->startSector = CfGet32(in + 116);
    e->size = size64 ? CfGet64(in + 120) : CfGet32(in + 120);
    e->state = nullptr;
    // Links are entry numbers or -1 (none); anything below -1 is no entry at all.
    for (std::uint32_t link : {e->left, e->right, e->child}) {
        if (link >= 0x80000000u && link != kCfNoEntry)
            return kCfCorrupt;
    }
    return kCfOk;
}

void CfDirEncode(const CfDirEntry& e, std::uint8_t out[kCfDirEntryBytes])
{
    std::memset(out, 0, kCfDirEntryBytes);
    const int units = CfNameUnits(e.name);
    for (int i = 0; i < units; ++i)
        CfPut16(out + 2 * i, e.name[i]);
    const int lengthBytes = units ? (units + 1) * 2 : 0;
    CfPut16(out + 64, static_cast<std::uint16_t>(lengthBytes > 64 ? 64 : lengthBytes));
    out[66] = e.type;
    out[67] = e.colour;
    CfPut32(out + 68, e.left);
    CfPut32(out + 72, e.right);
    CfPut32(out + 76, e.child);
    std::memcpy(out + 80, e.classId, 16);
    CfPut32(out + 96, e.stateBits);
    CfPut64(out + 100, CfSecondsToFiletime(e.created));
    CfPut64(out + 108, CfSecondsToFiletime(e.modified));
    CfPut32(out + 116, e.startSector);
    CfPut64(out + 120, e.size);
}

namespace {

// Room for at least n entries, in blocks of one sector's worth of records; the spare record
// is set up with the first block.
int Reserve(CfDirectory* dir, std::uint64_t n)
{
    if (n <= dir->capacity && dir->records)
        return kCfOk;
    const std::uint64_t block = dir->sectorSize / kCfDirEntryBytes;
    const std::uint64_t want = (n + block - 1) / block * block;
    if (want >= 0x7FFFFFFF)
        return kCfOutOfMemory;
    const bool first = !dir->records;
    void* grown = ResizeHeapBlock(dir->records, want + 1, sizeof(CfDirEntry));
    if (!grown)
        return kCfOutOfMemory;
    dir->records = static_cast<CfDirEntry*>(grown);
    if (first)
        CfDirClearEntry(dir->records, -1);
    for (std::uint64_t i = dir->capacity; i < want; ++i)
        CfDirClearEntry(dir->records + 1 + i, static_cast<std::int32_t>(i));
    dir->capacity = static_cast<std::uint32_t>(want);
    return kCfOk;
}

int PushReuse(CfDirectory* dir, std::uint32_t n) { return CfAppendNumber(&dir->reuse, &dir->reuseCount, &dir->reuseCapacity, n); }

CfDirEntry& Rec(CfDirectory* dir, std::int64_t n) { return dir->records[1 + n]; }

bool IsRed(CfDirectory* dir, std::uint32_t link) { return link != kCfNoEntry && Rec(dir, link).colour == kCfRed; }

// Points whatever held `from` as a child (the parent's link or the storage's tree root) at `to`.
void Replace(CfDirectory* dir, std::uint32_t storage, std::uint32_t from, std::uint32_t to)
{
    const std::int32_t p = Rec(dir, from).parent;
    Rec(dir, to).parent = p;
    if (p < 0)
        Rec(dir, storage).child = to;
    else if (Rec(dir, p).left == from)
        Rec(dir, p).left = to;
    else
        Rec(dir, p).right = to;
}

// Turns the subtree at x: its right child (left: false, its left child) takes its place and x
// becomes that child's left (right) child.
void Rotate(CfDirectory* dir, std::uint32_t storage, std::uint32_t x, bool left)
{
    std::uint32_t& xInner = left ? Rec(dir, x).right : Rec(dir, x).left;
    const std::uint32_t y = xInner;
    std::uint32_t& yInner = left ? Rec(dir, y).left : Rec(dir, y).right;
    xInner = yInner;
    if (yInner != kCfNoEntry)
        Rec(dir, yInner).parent = static_cast<std::int32_t>(x);
    Replace(dir, storage, x, y);
    yInner = x;
    Rec(dir, x).parent = static_cast<std::int32_t>(y);
}

void Rebalance(CfDirectory* dir, std::uint32_t storage, std::uint32_t z)
{
    while (Rec(dir, z).parent >= 0 && Rec(dir, Rec(dir, z).parent).colour == kCfRed) {
        std::uint32_t p = static_cast<std::uint32_t>(Rec(dir, z).parent);
        const std::int32_t gp = Rec(dir, p).parent;
        if (gp < 0) {
            // A red tree root (a file from elsewhere): blacken it, which keeps every path's count.
            Rec(dir, p).colour = kCfBlack;
            break;
        }
        const std::uint32_t g = static_cast<std::uint32_t>(gp);
        const bool parentIsLeft = Rec(dir, g).left == p;
        const std::uint32_t uncle = parentIsLeft ? Rec(dir, g).right : Rec(dir, g).left;
        if (IsRed(dir, uncle)) {
            Rec(dir, p).colour = kCfBlack;
            Rec(dir, uncle).colour = kCfBlack;
            Rec(dir, g).colour = kCfRed;
            z = g;
            continue;
        }
        // The new node on the inner side comes to the outer side first.
        const std::uint32_t inner = parentIsLeft ? Rec(dir, p).right : Rec(dir, p).left;
        if (inner == z) {
            z = p;
            Rotate(dir, storage, z, parentIsLeft);
            p = static_cast<std::uint32_t>(Rec(dir, z).parent);
        }
        Rec(dir, p).colour = kCfBlack;
        Rec(dir, g).colour = kCfRed;
        Rotate(dir, storage, g, !parentIsLeft);
    }
    Rec(dir, Rec(dir, storage).child).colour = kCfBlack;
}

bool IsStorage(const CfDirEntry& e) { return e.type == kCfTypeStorage || e.type == kCfTypeRoot; }

} // namespace

int CfDirAppend(CfDirectory* dir, std::uint32_t n)
{
    const int status = Reserve(dir, static_cast<std::uint64_t>(dir->count) + n);
    if (status == kCfOk)
        dir->count += n;
    return status;
}

int CfDirLinkTrees(CfDirectory* dir)
{
    const std::uint32_t count = dir->count;
    if (count == 0)
        return kCfOk;
    std::uint8_t* seen = static_cast<std::uint8_t*>(std::calloc(count, 1));
    // Every entry goes on one of the two stacks at most once (it is marked when pushed).
    std::uint32_t* nodes = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, count, sizeof(std::uint32_t)));
    std::uint32_t* storages = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, count, sizeof(std::uint32_t)));
    int status = seen && nodes && storages ? kCfOk : kCfOutOfMemory;
    std::uint32_t storageCount = 0;
    if (status == kCfOk) {
        seen[0] = 1;
        storages[storageCount++] = 0;
    }
    // Takes one link: none, or an entry of this directory not met before.
    auto take = [&](std::uint32_t link, std::int32_t parent, std::uint32_t* stack, std::uint32_t* depth) {
        if (link == kCfNoEntry)
            return true;
        if (link >= count || seen[link])
            return false;
        seen[link] = 1;
        Rec(dir, link).parent = parent;
        stack[(*depth)++] = link;
        return true;
    };
    while (status == kCfOk && storageCount > 0) {
        const std::uint32_t s = storages[--storageCount];
        std::uint32_t depth = 0;
        if (!take(Rec(dir, s).child, -1, nodes, &depth))
            status = kCfCorrupt;
        while (status == kCfOk && depth > 0) {
            const std::uint32_t n = nodes[--depth];
            const CfDirEntry& e = Rec(dir, n);
            if (e.type != kCfTypeStorage && e.type != kCfTypeStream) {
                status = kCfCorrupt;
                break;
            }
            if (e.type == kCfTypeStorage)
                storages[storageCount++] = n;
            if (!take(e.left, static_cast<std::int32_t>(n), nodes, &depth) || !take(e.right, static_cast<std::int32_t>(n), nodes, &depth))
                status = kCfCorrupt;
        }
    }
    for (std::uint32_t i = 1; status == kCfOk && i < count; ++i) {
        if (Rec(dir, i).type == kCfTypeUnused && !seen[i])
            status = PushReuse(dir, i);
    }
    std::free(seen);
    std::free(nodes);
    std::free(storages);
    return status;
}

int CfDirInsert(CfDirectory* dir, CfFile* file, std::uint32_t storage, const char16_t* name, std::uint8_t type, std::uint32_t* number)
{
    const bool isRootItself = dir->count == 0 && type == kCfTypeRoot;
    if (!isRootItself && (storage >= dir->count || !IsStorage(Rec(dir, storage))))
        return kCfBadArgument;
    if (!name || CfNameUnits(name) > kCfMaxNameUnits)
        return kCfBadArgument;
    // Take a number: a reusable one, else the next (the records grow a block at a time).
    std::uint32_t n;
    const bool reused = dir->reuseCount > 0;
    if (reused) {
        n = dir->reuse[--dir->reuseCount];
    } else {
        if (dir->count >= 0x7FFFFFFE)
            return kCfOutOfMemory;
        const int status = CfDirAppend(dir, 1);
        if (status != kCfOk)
            return status;
        n = dir->count - 1;
    }
    CfDirEntry& e = Rec(dir, n);
    CfDirClearEntry(&e, static_cast<std::int32_t>(n));
    e.file = file;
    e.type = type;
    const int units = CfNameUnits(name);
    std::memcpy(e.name, name, units * sizeof(char16_t));
    if (isRootItself) {
        e.colour = kCfBlack;
        *number = n;
        return kCfOk;
    }
    // Descend: left when the node's name sorts after the new one, right when before.
    std::uint32_t at = Rec(dir, storage).child;
    std::uint32_t parent = kCfNoEntry;
    bool left = false;
    while (at != kCfNoEntry) {
        const int order = CfCompareNames(Rec(dir, at).name, name);
        if (order == 0) {
            // The number goes back: the last record leaves the count, any other is reused.
            CfDirClearEntry(&Rec(dir, n), static_cast<std::int32_t>(n));
            Rec(dir, n).colour = kCfRed;
            if (!reused && n == dir->count - 1)
                --dir->count;
            else
                PushReuse(dir, n);
            return kCfRefused;
        }
        parent = at;
        left = order > 0;
        at = left ? Rec(dir, at).left : Rec(dir, at).right;
    }
    if (parent == kCfNoEntry) {
        Rec(dir, storage).child = n;
        Rec(dir, n).parent = -1;
        Rec(dir, n).colour = kCfBlack;
    } else {
        (left ? Rec(dir, parent).left : Rec(dir, parent).right) = n;
        Rec(dir, n).parent = static_cast<std::int32_t>(parent);
        Rec(dir, n).colour = kCfRed;
        Rebalance(dir, storage, n);
    }
    *number = n;
    return kCfOk;
}

int CfDirFind(CfDirectory* dir, std::uint32_t storage, const char16_t* name, std::uint32_t* number)
{
    if (storage >= dir->count || !IsStorage(Rec(dir, storage)))
        return kCfBadArgument;
    std::uint32_t at = Rec(dir, storage).child;
    while (at != kCfNoEntry) {
        const int order = CfCompareNames(Rec(dir, at).name, name);
        if (order == 0) {
            *number = at;
            return kCfOk;
        }
        at = order > 0 ? Rec(dir, at).left : Rec(dir, at).right;
    }
    return kCfNotFound;
}

int CfDirWalk(CfDirectory* dir, std::uint32_t storage, std::uint32_t** numbers, std::uint32_t* count)
{
    *numbers = nullptr;
    *count = 0;
    if (storage >= dir->count || !IsStorage(Rec(dir, storage)))
        return kCfBadArgument;
    if (Rec(dir, storage).child == kCfNoEntry)
        return kCfOk;
    // The trees were checked when read (no cycles, no shared entries): a tree holds at most
    // every entry once.
    std::uint32_t* stack = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, dir->count, sizeof(std::uint32_t)));
    std::uint32_t* out = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, dir->count, sizeof(std::uint32_t)));
    if (!stack || !out) {
        std::free(stack);
        std::free(out);
        return kCfOutOfMemory;
    }
    std::uint32_t depth = 0;
    std::uint32_t n = 0;
    stack[depth++] = Rec(dir, storage).child;
    while (depth > 0 && n < dir->count) {
        const std::uint32_t at = stack[--depth];
        out[n++] = at;
        // Right first, so that the left subtree comes out before it.
        if (Rec(dir, at).right != kCfNoEntry && depth < dir->count)
            stack[depth++] = Rec(dir, at).right;
        if (Rec(dir, at).left != kCfNoEntry && depth < dir->count)
            stack[depth++] = Rec(dir, at).left;
    }
    std::free(stack);
    *numbers = out;
    *count = n;
    return kCfOk;
}

} // namespace dgn
