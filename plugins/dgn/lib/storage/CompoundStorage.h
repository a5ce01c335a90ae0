#pragma once
// The object face of the compound-file library for the V8 design-file reader and writer: one
// open compound file, a stack of nested storages (the root at the bottom) and at most one
// current stream, in the top storage or one below it.
//
//     CCompoundStorage* file = CCompoundStorage::Open(path, false);
//     if (!file) { /* not a compound file: a V7 design file */ }
//     file->OpenStorage("Dgn~Mf");
//     char name[CCompoundStorage::kNameBytes];
//     for (int i = 0; int kind = file->NextEntry(&i, name);) { ... }   // 1 storage, 2 stream
//     file->CloseStorage();
//     delete file;                                                       // closes the file
//
// The factories return null when the library refuses; the destructor closes every storage and
// the file, which writes a changed file's metadata.
#include "storage/CompoundFile.h"

#include <cstdint>

namespace dgn {

class IStorage {
public:
    virtual ~IStorage() = default;

protected:
    IStorage() = default;
    IStorage(const IStorage&) = default;
    IStorage& operator=(const IStorage&) = default;
};

class CCompoundStorage : public IStorage {
public:
    // Storages on the stack, the root included.
    static constexpr int kMaxDepth = 10;
    // A listed name in the ANSI code page: up to 32 characters and a terminator.
    static constexpr int kNameBytes = kCfNameFieldUnits + 1;

    // A new file, writable, with 512-byte sectors; null when it cannot be created.
    static CCompoundStorage* Create(const char16_t* path);
    // An existing file; null when it cannot be opened or is no compound file.
    static CCompoundStorage* Open(const char16_t* path, bool writable);
    ~CCompoundStorage() override;

    virtual bool IsOpen() const;
    // Create or open a child storage of the top storage and push it (refused beyond
    // kMaxDepth, and creating without the writable flag).
    virtual bool CreateStorage(const char16_t* name);
    virtual bool CreateStorage(const char* name);
    virtual bool OpenStorage(const char16_t* name);
    virtual bool OpenStorage(const char* name);
    // Pops the top storage (the last pop closes the file); a current stream opened in it is
    // closed first. The library's status.
    virtual int CloseStorage();
    // The listing of the top storage: *index is taken and incremented; the entry's name is
    // copied into name (kNameBytes); 1 a storage, 2 a stream, 0 at the end (or on failure).
    // A listing left unfinished is dropped when the stack changes.
    virtual int NextEntry(int* index, char* name);
    // Create or open a stream of the top storage as the current one, closing the one before.
    virtual bool CreateStream(const char16_t* name);
    virtual bool CreateStream(const char* name);
    virtual bool OpenStream(const char16_t* name);
    virtual bool OpenStream(const char* name);
    // Closes the current stream; the library's status (a written stream may still fail here,
    // as it moves into the mini stream), kCfOk without one.
    virtual int CloseStream();
    // Bytes from the current stream's position to its end; 0 without a stream.
    virtual std::uint32_t GetRemaining();
    // Moves the current stream to offset from its start.
    virtual bool Seek(std::int32_t offset);
    // Reads up to size bytes; *read gets the count. False at the end (count 0) or on failure.
    virtual bool Read(void* buffer, std::uint32_t size, std::uint32_t* read);
    // Writes all size bytes, or false.
    virtual bool Write(const void* buffer, std::uint32_t size);

    // Closes every storage and the file (which writes a changed file out); the first failing
    // status of those closes, kCfOk when all went well.
    int Close();

    CCompoundStorage(const CCompoundStorage&) = delete;
    CCompoundStorage& operator=(const CCompoundStorage&) = delete;

private:
    CCompoundStorage() = default;
    bool Push(CfStorage* storage);
    bool PushChild(int (*operation)(CfStorage*, const char16_t*, CfStorage**), const char16_t* name);
    bool MakeCurrent(int (*operation)(CfStorage*, const char16_t*, CfStream**), const char16_t* name);
    void DropListing();

    int m_depth = 0;
    CfFile* m_file = nullptr;
    CfStorage* m_stack[kMaxDepth] = {};
    CfStream* m_stream = nullptr;
    // The stack level of the storage the current stream belongs to.
    int m_streamLevel = 0;
    bool m_opened = false;
    bool m_writable = false;
    CfEntryInfo* m_listing = nullptr;
    std::int32_t m_listingCount = 0;
};

} // namespace dgn
