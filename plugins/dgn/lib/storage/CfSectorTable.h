#pragma once
// An allocation table of a compound file (the FAT over sectors, the mini FAT over mini
// sectors): one 32-bit entry per unit, the next unit of its chain or a marker.
//
// Free units hold kCfFreeSector. Allocation takes the lowest free unit below the used count,
// else the used count itself (the table then grows), so that files stay compact; the used
// count is one past the last unit in use.
#include <cstdint>

namespace dgn {

struct CfSectorTable {
    std::uint32_t* entries = nullptr;
    std::uint32_t used = 0;
    std::uint32_t capacity = 0;
    // No free entry lies below this index.
    std::uint32_t freeHint = 0;
    // Bytes of the units the table chains (sector or mini-sector size), and of the sectors
    // that hold the table (its capacity grows in whole sectors).
    std::uint32_t unitSize = 0;
    std::uint32_t sectorSize = 0;
};

// A chain length that is not known: the chain is counted.
constexpr std::uint64_t kCfCountChain = ~0ull;

// Appends a number to a malloc array that doubles when full (16 numbers at first).
// kCfOutOfMemory leaves the array as it was.
int CfAppendNumber(std::uint32_t** array, std::uint32_t* count, std::uint32_t* capacity, std::uint32_t value);

void CfTableInit(CfSectorTable* table, std::uint32_t unitSize, std::uint32_t sectorSize);
void CfTableRelease(CfSectorTable* table);
// Takes over count entries read from disk (a malloc block): the used count becomes one past
// the last entry that is not free.
void CfTableAdopt(CfSectorTable* table, std::uint32_t* entries, std::uint32_t count);
// The entry, kCfFreeSector at or past the used count.
std::uint32_t CfTableGet(const CfSectorTable& table, std::uint32_t index);
// Sets the entry; a gap below it is filled with free entries. kCfOutOfMemory or kCfOk.
int CfTableSet(CfSectorTable* table, std::uint32_t index, std::uint32_t value);
// Takes a free unit and marks it as the end of a chain. With limited, a unit above
// kCfMaxDataSector is refused (kCfRefused) and stays free.
int CfTableAllocate(CfSectorTable* table, bool limited, std::uint32_t* unit);
// Gives one unit back.
void CfTableFree(CfSectorTable* table, std::uint32_t unit);
// Gives a chain back from its first unit (a start of kCfFreeSector or kCfEndOfChain frees
// nothing); stops at anything that is not a unit in use.
void CfTableFreeChain(CfSectorTable* table, std::uint32_t first);
// Drops the trailing free entries from the used count.
void CfTableCutBack(CfSectorTable* table);
// The last unit in use + 1, 0 when none is in use.
std::uint32_t CfTableLastInUse(const CfSectorTable& table);

// The units of the chain from start as a new malloc array. length kCfCountChain counts the
// chain first. kCfCorrupt when a step leaves the table's used entries (a marker other than
// the end, a free unit, a number past the table), meets a unit twice, or when the chain ends
// before the given length; kCfOutOfMemory. A length of 0 gives a null array.
int CfTableChain(const CfSectorTable& table, std::uint32_t start, std::uint64_t length, std::uint32_t** units, std::uint32_t* count);

} // namespace dgn
