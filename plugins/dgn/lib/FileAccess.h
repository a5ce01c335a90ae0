#pragma once
// Whole-file access of the design-file loaders, over the file handles of the platform seam:
// a file read into one heap block, and a block written as a new file. Sizes are 64-bit: a
// file may pass 4 GB (reading one whole then needs the address space for it).
#include "platform/Platform.h"

#include <cstdint>

namespace dgn {

// Reads the whole file into a new malloc block of its size plus one byte, with a 0 byte after
// the data; *size is the number of bytes read. False when the file does not open, the block
// cannot be allocated, nothing was read, or the file held more than its size said. A block
// handed out through *buffer before a failed read is the caller's to free.
bool ReadWholeFile(const char* path, void** buffer, std::uint64_t* size);
bool ReadWholeFileW(const char16_t* path, void** buffer, std::uint64_t* size);

// True when the file opens for reading.
bool FileExistsW(const char16_t* path);

// Creates (or truncates) the file and writes the block; false when either step fails.
bool WriteWholeFile(const char* path, const void* data, std::uint64_t size);
bool WriteWholeFileW(const char16_t* path, const void* data, std::uint64_t size);

} // namespace dgn
