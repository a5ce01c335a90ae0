// Fuzz target of the storage wrapper: the input is a file, opened through the wrapper as the
// V8 dispatch opens every design file, and walked as the V8 reader walks one: every storage's
// listing, into every storage (as deep as the stack goes), every stream read in blocks through
// a byte-stream handle and its remaining count asked.
#include "storage/CompoundStorage.h"
#include "storage/StorageStream.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace dgn;

const std::u16string& ScratchPath()
{
    static const std::u16string path = [] {
        std::random_device random;
        const std::string name = "yvex_storage_fuzz_" + std::to_string(random()) + ".cfb";
        return (std::filesystem::temp_directory_path() / name).u16string();
    }();
    return path;
}

void Walk(CCompoundStorage* storage)
{
    // The listing first: opening entries changes the stack, which drops a listing.
    std::vector<std::pair<int, std::string>> entries;
    char name[CCompoundStorage::kNameBytes];
    int index = 0;
    while (int kind = storage->NextEntry(&index, name))
        entries.emplace_back(kind, name);
    for (const auto& entry : entries) {
        if (entry.first == 2) {
            CStorageStream stream(storage, entry.second.c_str(), false);
            storage->GetRemaining();
            std::uint8_t block[1024];
            while (stream.Read(block, sizeof(block)) > 0) {
            }
        } else if (storage->OpenStorage(entry.second.c_str())) {
            Walk(storage);
            storage->CloseStorage();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream out(std::filesystem::path(ScratchPath()), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (CCompoundStorage* storage = CCompoundStorage::Open(ScratchPath().c_str(), false)) {
        Walk(storage);
        delete storage;
    }
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(ScratchPath()), ignored);
    return 0;
}
