#include "storage/CfSectorTable.h"

#include "HeapBlock.h"
#include "storage/CfFormat.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

int CfAppendNumber(std::uint32_t** array, std::uint32_t* count, std::uint32_t* capacity, std::uint32_t value)
{
    if (*count == *capacity) {
        const std::uint64_t want = *capacity ? 2ull * *capacity : 16;
        void* grown = ResizeHeapBlock(*array, want, sizeof(std::uint32_t));
        if (!grown)
            return kCfOutOfMemory;
        *array = static_cast<std::uint32_t*>(grown);
        *capacity = static_cast<std::uint32_t>(want);
    }
    (*array)[(*count)++] = value;
    return kCfOk;
}

void CfTableInit(CfSectorTable* table, std::uint32_t unitSize, std::uint32_t sectorSize)
{
    CfTableRelease(table);
    table->unitSize = unitSize;
    table->sectorSize = sectorSize;
}

void CfTableRelease(CfSectorTable* table)
{
    std::free(table->entries);
    table->entries = nullptr;
    table->used = table->capacity = table->freeHint = 0;
}

void CfTableAdopt(CfSectorTable* table, std::uint32_t* entries, std::uint32_t count)
{
    std::free(table->entries);
    table->entries = entries;
    table->capacity = count;
    table->used = 0;
    for (std::uint32_t i = count; i > 0; --i) {
        if (entries[i - 1] != kCfFreeSector) {
            table->used = i;
            break;
        }
    }
    table->freeHint = 0;
}

std::uint32_t CfTableGet(const CfSectorTable& table, std::uint32_t index)
{
    return index < table.used ? table.entries[index] : kCfFreeSector;
}

int CfTableSet(CfSectorTable* table, std::uint32_t index, std::uint32_t value)
{
    if (index >= table->capacity) {
        // Whole sectors' worth of entries.
        const std::uint64_t perSector = table->sectorSize / 4;
        const std::uint64_t want = (static_cast<std::uint64_t>(index) + 1 + perSector - 1) / perSector * perSector;
        void* grown = ResizeHeapBlock(table->entries, want, sizeof(std::uint32_t));
        if (!grown)
            return kCfOutOfMemory;
        table->entries = static_cast<std::uint32_t*>(grown);
        for (std::uint64_t i = table->capacity; i < want; ++i)
            table->entries[i] = kCfFreeSector;
        table->capacity = static_cast<std::uint32_t>(want);
    }
    if (index >= table->used) {
        for (std::uint32_t i = table->used; i < index; ++i)
            table->entries[i] = kCfFreeSector;
        table->used = index + 1;
    }
    table->entries[index] = value;
    if (value == kCfFreeSector && index < table->freeHint)
        table->freeHint = index;
    return kCfOk;
}

int CfTableAllocate(CfSectorTable* table, bool limited, std::uint32_t* unit)
{
    std::uint32_t i = table->freeHint;
    while (i < table->used && table->entries[i] != kCfFreeSector)
        ++i;
    table->freeHint = i;
    if (i == kCfFreeSector || (limited && i > kCfMaxDataSector))
        return kCfRefused;
    const int status = CfTableSet(table, i, kCfEndOfChain);
    if (status != kCfOk)
        return status;
    table->freeHint = i + 1;
    *unit = i;
    return kCfOk;
}

void CfTableFree(CfSectorTable* table, std::uint32_t unit)
{
    if (unit >= table->used)
        return;
    table->entries[unit] = kCfFreeSector;
    if (unit < table->freeHint)
        table->freeHint = unit;
}

void CfTableFreeChain(CfSectorTable* table, std::uint32_t first)
{
    std::uint32_t unit = first;
    // A chain has at most as many units as the table: the bound ends a cycle.
    for (std::uint32_t steps = 0; unit < table->used && steps < table->used; ++steps) {
        const std::uint32_t next = table->entries[unit];
        if (next == kCfFreeSector)
            break;
        CfTableFree(table, unit);
        unit = next;
    }
}

void CfTableCutBack(CfSectorTable* table)
{
    while (table->used > 0 && table->entries[table->used - 1] == kCfFreeSector)
        --table->used;
    if (table->freeHint > table->used)
        table->freeHint = table->used;
}

std::uint32_t CfTableLastInUse(const CfSectorTable& table)
{
    for (std::uint32_t i = table.used; i > 0; --i) {
        if (table.entries[i - 1] != kCfFreeSector)
            return i;
    }
    return 0;
}

namespace {

// A unit in a chain holds the next unit or the end mark; free, FAT and DIFAT units are no
// unit of any chain.
bool InChain(std::uint32_t entry) { return entry != kCfFreeSector && entry != kCfFatSector && entry != kCfDifatSector; }

} // namespace

int CfTableChain(const CfSectorTable& table, std::uint32_t start, std::uint64_t length, std::uint32_t** units, std::uint32_t* count)
{
    *units = nullptr;
    *count = 0;
    const bool counted = length == kCfCountChain;
    if (counted && (start == kCfFreeSector || start == kCfEndOfChain))
        return kCfOk;
    // A chain cannot hold more units than the table has in use.
    if (!counted && length > table.used)
        return length == 0 ? kCfOk : kCfCorrupt;
    if (length == 0)
        return kCfOk;
    const std::uint32_t limit = counted ? table.used : static_cast<std::uint32_t>(length);
    // Units met so far, one bit each: a unit met twice is a cycle.
    std::uint8_t* seen = static_cast<std::uint8_t*>(std::calloc(table.used / 8 + 1, 1));
    std::uint32_t* out = static_cast<std::uint32_t*>(ResizeHeapBlock(nullptr, limit, sizeof(std::uint32_t)));
    if (!seen || !out) {
        std::free(seen);
        std::free(out);
        return kCfOutOfMemory;
    }
    std::uint32_t n = 0;
    std::uint32_t unit = start;
    int status = kCfOk;
    while (true) {
        if (unit == kCfEndOfChain) {
            // Ended early: the stream's size or the header's count asks for more.
            if (!counted && n < limit)
                status = kCfCorrupt;
            break;
        }
        if (n == limit) {
            // A counted chain longer than the table, or a chain that goes on past its length
            // (its length alone decides; the rest is not read).
            if (counted)
                status = kCfCorrupt;
            break;
        }
        if (unit >= table.used || !InChain(table.entries[unit]) || (seen[unit / 8] & (1u << (unit % 8)))) {
            status = kCfCorrupt;
            break;
        }
        seen[unit / 8] |= static_cast<std::uint8_t>(1u << (unit % 8));
        out[n++] = unit;
        unit = table.entries[unit];
    }
    std::free(seen);
    if (status != kCfOk) {
        std::free(out);
        return status;
    }
    *units = out;
    *count = n;
    return kCfOk;
}

} // namespace dgn
