#pragma once
// The directory of a compound file: 128-byte entries, entry 0 the root. The entries of one
// storage form a red-black tree (the storage's child field is its root) ordered by
// CfCompareNames.
#include "storage/CfFormat.h"

#include <cstdint>

namespace dgn {

struct CfFile;
struct CfStreamState;

struct CfDirEntry {
    CfFile* file;
    std::int32_t parent; // in the sibling tree, -1 for a tree root
    std::int32_t number;
    char16_t name[kCfNameFieldUnits + 1];
    std::uint8_t type;
    std::uint8_t colour;
    std::uint32_t left;
    std::uint32_t right;
    std::uint32_t child;
    std::uint32_t stateBits;
    std::uint8_t classId[16];
    std::uint32_t created; // seconds since 1970
    std::uint32_t modified;
    std::uint32_t startSector;
    std::uint64_t size;
    CfStreamState* state; // of its open stream handles, null when none
};

struct CfDirectory {
    // count + 1 records: a spare black record numbered -1 in front of entry 0, the parent of
    // every tree root while the tree is rebalanced.
    CfDirEntry* records = nullptr;
    std::uint32_t count = 0;
    std::uint32_t capacity = 0;
    // Numbers of unused entries, the last pushed taken first.
    std::uint32_t* reuse = nullptr;
    std::uint32_t reuseCount = 0;
    std::uint32_t reuseCapacity = 0;
    std::uint32_t sectorSize = 0;
};

void CfDirInit(CfDirectory* dir, std::uint32_t sectorSize);
void CfDirRelease(CfDirectory* dir);
// The record of entry n (-1: the spare), null outside the directory.
CfDirEntry* CfDirAt(CfDirectory* dir, std::int64_t n);

// An unused record: type 0, empty name, no links, no sector, times 0.
void CfDirClearEntry(CfDirEntry* entry, std::int32_t number);
// Reads one 128-byte entry; the size takes 32 bits unless size64. The name is read within its
// 64 bytes up to the first zero unit, whatever the length field says. kCfCorrupt for a link
// below -1.
int CfDirDecode(const std::uint8_t in[kCfDirEntryBytes], bool size64, CfDirEntry* entry);
void CfDirEncode(const CfDirEntry& entry, std::uint8_t out[kCfDirEntryBytes]);

// Appends n unused records (read from disk next). kCfOutOfMemory.
int CfDirAppend(CfDirectory* dir, std::uint32_t n);
// After the entries were read: sets every parent by walking the trees from the root entry and
// collects the unused entries for reuse. kCfCorrupt when a link leaves the directory, an
// entry is met twice (a cycle, or an entry in two trees) or a tree holds an entry that is not
// a storage or a stream.
int CfDirLinkTrees(CfDirectory* dir);

// Inserts a new entry named name of the type into the tree of storage (an entry number):
// kCfBadArgument for a name of 32 units or more, kCfRefused when the name is present,
// kCfOutOfMemory. A failed insertion gives its number back.
int CfDirInsert(CfDirectory* dir, CfFile* file, std::uint32_t storage, const char16_t* name, std::uint8_t type, std::uint32_t* number);
// The entry named name in storage's tree: kCfNotFound; kCfBadArgument when storage is not a
// storage.
int CfDirFind(CfDirectory* dir, std::uint32_t storage, const char16_t* name, std::uint32_t* number);

// The entries of storage's tree in pre-order (node, left subtree, right subtree), as a new
// malloc array (null for an empty tree). kCfOutOfMemory.
int CfDirWalk(CfDirectory* dir, std::uint32_t storage, std::uint32_t** numbers, std::uint32_t* count);

} // namespace dgn
