// Runs a fuzz target's LLVMFuzzerTestOneInput once for every file of the folders (or files)
// named on the command line, as libFuzzer does with -runs=0: the Windows build replays the
// seeds with it under Wine. A crash ends the program; a clean run prints how many inputs ran.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A block of exactly the input's size, as libFuzzer hands it over.
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
                if (entry.is_regular_file() && Replay(entry.path()))
                    ++count;
            }
        } else if (Replay(arg)) {
            ++count;
        } else {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 2;
        }
    }
    std::printf("replayed %d inputs\n", count);
    return 0;
}
