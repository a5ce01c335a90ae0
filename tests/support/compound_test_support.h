#pragma once
// Shared by the compound-file tests: paths on both builds, deterministic stream contents (the
// same as make_compound_fixtures.py's content()), the tree of the nested sample files, and
// small owners of the library's handles.
#include "storage/CompoundFile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cftest {

using Bytes = std::vector<std::uint8_t>;

// A folder named by an environment variable of the test run, plus a relative path; under Wine
// the Unix folder is reached through drive Z:.
inline std::filesystem::path FromEnv(const char* variable, const std::string& relative)
{
    const char* base = std::getenv(variable);
    std::string p = std::string(base ? base : ".") + "/" + relative;
#ifdef _WIN32
    if (!p.empty() && p[0] == '/')
        p = "Z:" + p;
    for (char& c : p) {
        if (c == '/')
            c = '\\';
    }
#endif
    return std::filesystem::path(p);
}

inline std::filesystem::path Fixture(const std::string& name) { return FromEnv("YVEX_SOURCE_DIR", "tests/fixtures/dgn/" + name); }

// Where the tests leave files for the independent readers.
inline std::filesystem::path Output(const std::string& name)
{
    const std::filesystem::path dir = FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/cf_out");
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir / name;
}

inline std::filesystem::path Scratch(const std::string& name) { return std::filesystem::temp_directory_path() / ("yvex_cf_" + name); }

// A scratch copy of a fixture, for tests that change it.
inline std::filesystem::path ScratchCopy(const std::string& fixture, const std::string& name)
{
    const std::filesystem::path copy = Scratch(name);
    std::filesystem::copy_file(Fixture(fixture), copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

inline std::u16string Wide(const std::filesystem::path& p) { return p.u16string(); }

inline std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

inline std::string Narrow(const char16_t* s)
{
    std::string out;
    while (s && *s)
        out += static_cast<char>(*s++);
    return out;
}

inline Bytes ReadAll(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& p, const Bytes& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A walk through 0..250 that depends on the path.
inline Bytes Content(const std::string& path, std::size_t size)
{
    unsigned seed = 0;
    for (unsigned char c : path)
        seed += c;
    seed %= 251;
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>((seed + 7 * i + (i >> 8)) % 251);
    return out;
}

// The nested sample tree: streams (path, size) and storages (path, -1), parents first.
struct TreeItem {
    const char* path;
    long long size;
};

inline const std::vector<TreeItem>& NestedTree()
{
    static const std::vector<TreeItem> tree = {
        {"Contents", 5000}, {"Small", 100}, {"Edge4095", 4095}, {"Edge4096", 4096}, {"Empty", 0},
        {"Models", -1}, {"Models/Model0", 300}, {"Models/Model1", 9000}, {"Models/Deeper", -1},
        {"Models/Deeper/Leaf", 64}, {"Models/Deeper/Leaf2", 65}, {"Models/Nothing", -1},
        {"B", -1}, {"AA", -1}, {"AA/x", 1},
    };
    return tree;
}

// Owners that close what they hold.
struct FileHandle {
    dgn::CfFile* file = nullptr;
    ~FileHandle()
    {
        if (file)
            dgn::cfClose(&file);
    }
    int Close() { return dgn::cfClose(&file); }
};

struct StreamHandle {
    dgn::CfStream* stream = nullptr;
    ~StreamHandle()
    {
        if (stream)
            dgn::cfCloseStream(&stream);
    }
};

inline dgn::CfStorage* Root(dgn::CfFile* file)
{
    dgn::CfStorage* root = nullptr;
    dgn::cfGetRootStorage(file, &root);
    return root;
}

// Storages along a path from the root ("a/b" opens a then b); the last one, or null with the
// failing status.
inline dgn::CfStorage* OpenPath(dgn::CfFile* file, const std::string& path, int* status, std::vector<dgn::CfStorage*>* opened)
{
    dgn::CfStorage* at = nullptr;
    *status = dgn::cfGetRootStorage(file, &at);
    std::size_t start = 0;
    while (*status == dgn::kCfOk && start < path.size()) {
        const std::size_t end = path.find('/', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        dgn::CfStorage* next = nullptr;
        *status = dgn::cfOpenStorage(at, Wide(part).c_str(), &next);
        if (*status != dgn::kCfOk)
            return nullptr;
        opened->push_back(next);
        at = next;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return *status == dgn::kCfOk ? at : nullptr;
}

// A stream's whole contents by path; the status of the first failing step.
inline int ReadStream(dgn::CfFile* file, const std::string& path, Bytes* out)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    int status = 0;
    std::vector<dgn::CfStorage*> opened;
    dgn::CfStorage* storage = OpenPath(file, folder, &status, &opened);
    if (storage) {
        StreamHandle s;
        status = dgn::cfOpenStream(storage, Wide(name).c_str(), &s.stream);
        out->clear();
        while (status == dgn::kCfOk) {
            std::uint8_t chunk[1000];
            std::uint32_t n = sizeof(chunk);
            status = dgn::cfRead(s.stream, chunk, &n);
            out->insert(out->end(), chunk, chunk + n);
        }
        if (status == dgn::kCfEndOfStream)
            status = dgn::kCfOk;
    }
    for (auto it = opened.rbegin(); it != opened.rend(); ++it)
        dgn::cfCloseStorage(&*it);
    return status;
}

} // namespace cftest
