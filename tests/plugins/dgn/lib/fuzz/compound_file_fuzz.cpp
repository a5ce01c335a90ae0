// Fuzz target of the compound-file library: the input is a file. It is opened read-only and
// walked (every storage listed and opened, every stream read to its end), then opened
// read-write, walked again (small streams move out of the mini stream and back), given a new
// stream, and closed, which rewrites its metadata; what that wrote is walked once more.
#include "storage/CompoundFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace dgn;

// One scratch file per process: a fuzzing run and a replay of the seeds may run side by side.
const std::u16string& ScratchPath()
{
    static const std::u16string path = [] {
        std::random_device random;
        const std::string name = "yvex_cf_fuzz_" + std::to_string(random()) + ".cfb";
        return (std::filesystem::temp_directory_path() / name).u16string();
    }();
    return path;
}

void Walk(CfStorage* storage, int depth)
{
    CfEntryInfo* entries = nullptr;
    std::int32_t count = 0;
    if (cfListEntries(storage, &entries, &count) != kCfOk || count == 0)
        return;
    for (std::int32_t i = 0; i < count; ++i) {
        if (entries[i].isStream) {
            CfStream* s = nullptr;
            if (cfOpenStream(storage, entries[i].name, &s) != kCfOk)
                continue;
            std::uint8_t buffer[4096];
            std::uint32_t n = sizeof(buffer);
            while (cfRead(s, buffer, &n) == kCfOk && n > 0)
                n = sizeof(buffer);
            std::uint32_t remaining = 0;
            cfGetRemaining(s, &remaining);
            cfCloseStream(&s);
        } else if (depth < 32) {
            CfStorage* child = nullptr;
            if (cfOpenStorage(storage, entries[i].name, &child) == kCfOk) {
                Walk(child, depth + 1);
                cfCloseStorage(&child);
            }
        }
    }
    cfFreeEntryInfo(&entries, count);
}

bool WalkFile(int mode, bool change)
{
    CfFile* file = nullptr;
    if (cfOpen(ScratchPath().c_str(), mode, &file) != kCfOk)
        return false;
    CfStorage* root = nullptr;
    if (cfGetRootStorage(file, &root) == kCfOk) {
        Walk(root, 0);
        CfStream* s = nullptr;
        if (change && cfCreateStream(root, u"Fuzz", &s) == kCfOk) {
            std::uint32_t n = 5;
            cfWrite(s, "fuzz!", &n);
            cfCloseStream(&s);
        }
    }
    cfClose(&file);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream out(std::filesystem::path(ScratchPath()), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (WalkFile(0, false) && WalkFile(2, true))
        WalkFile(0, false);
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(ScratchPath()), ignored);
    return 0;
}
