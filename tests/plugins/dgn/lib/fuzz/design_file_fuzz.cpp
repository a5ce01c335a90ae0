// Fuzz target of the design-file readers: the input is a file. It is opened as a design file
// (V8 when it is a compound file, V7 otherwise); a file that loads is saved as V8, and what
// was saved is opened again and must load.
#include "DesignFile.h"
#include "Library.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

using namespace dgn;

// Scratch files of this process: a fuzzing run and a replay of the seeds may run side by side.
const std::u16string& ScratchPath(int which)
{
    static const std::string base = [] {
        std::random_device random;
        return "yvex_dgn_fuzz_" + std::to_string(random());
    }();
    static const std::u16string paths[2] = {
        (std::filesystem::temp_directory_path() / (base + "_in.dgn")).u16string(),
        (std::filesystem::temp_directory_path() / (base + "_out.dgn")).u16string(),
    };
    return paths[which];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool started = InitializeLibrary(kLibraryVersion, 0);
    if (!started)
        return 0;
    {
        std::ofstream out(std::filesystem::path(ScratchPath(0)), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CDesignFile* file = OpenDesignFileW(ScratchPath(0).c_str());
    if (!file)
        return 0;
    const int saved = file->SaveAs(ScratchPath(1).c_str(), 1);
    delete file;
    if (saved) {
        CDesignFile* again = OpenDesignFileW(ScratchPath(1).c_str());
        // What the library wrote, it reads.
        if (!again)
            __builtin_trap();
        delete again;
    }
    return 0;
}
