#pragma once
// What the design-file tests share: V8 design files made stream by stream with the library's
// own compound-file writer and zlib (crafted where a test needs a broken rule), their trees
// read back, element streams split into records, and V7 files made record by record.
#include "storage/CompoundFile.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "compound_test_support.h"
#include "element_records.h"

namespace dgn_test {

inline Bytes Deflate(const Bytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 6) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

// Inflates one zlib stream; empty when it does not inflate to its end.
inline Bytes Inflate(const Bytes& data)
{
    z_stream z = {};
    if (inflateInit(&z) != Z_OK)
        return {};
    Bytes out;
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = static_cast<uInt>(data.size());
    int r = Z_OK;
    std::uint8_t chunk[16384];
    while (r == Z_OK) {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        r = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
        if (r == Z_BUF_ERROR && z.avail_in == 0)
            break;
    }
    inflateEnd(&z);
    return r == Z_STREAM_END ? out : Bytes{};
}

inline std::uint64_t Get64(const Bytes& b, std::size_t at) { return Get32(b, at) | (static_cast<std::uint64_t>(Get32(b, at + 4)) << 32); }

// The "Dgn~H" stream: 20 stored bytes (01 00 04 00, zeros), then the inflated block of
// inflated bytes with the fields the library reads.
inline Bytes HeaderBlockData(std::uint64_t nextId, bool is3d, std::uint32_t settingA = 0, std::uint32_t settingB = 0, std::size_t inflated = 1576)
{
    Bytes block(inflated, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4 && at + i < block.size(); ++i)
            block[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(272, is3d ? 1 : 0);
    put32(292, settingB);
    put32(296, static_cast<std::uint32_t>(nextId));
    put32(300, static_cast<std::uint32_t>(nextId >> 32));
    put32(312, settingA);
    return block;
}

inline Bytes HeaderStream(const Bytes& inflated)
{
    Bytes prefix = {1, 0, 4, 0};
    prefix.resize(20, 0);
    return Cat(prefix, Deflate(inflated));
}

// An element stream "$N": the 16-byte header (counts at 0 and 12, 3 at 4, N at 8), then the
// records as one zlib stream.
inline Bytes ElementStream(const std::vector<Bytes>& records, std::uint32_t count0, std::uint32_t count12, std::uint32_t n = 1)
{
    Bytes body;
    for (const Bytes& r : records)
        body = Cat(body, r);
    Bytes b;
    Put32(b, count0);
    Put32(b, 3);
    Put32(b, n);
    Put32(b, count12);
    return Cat(b, Deflate(body));
}

inline Bytes ElementStream(const std::vector<Bytes>& records)
{
    const std::uint32_t n = static_cast<std::uint32_t>(records.size());
    return ElementStream(records, n, n);
}

// A model block: 4096 carried bytes (the first 1), then the header record.
inline Bytes ModelBlock(const Bytes& record)
{
    Bytes b(4096, 0);
    b[0] = 1;
    return Cat(b, record);
}

// A compound file of the given streams, each "storage/.../name" (storages made on the way, in
// the order they first appear; an item ending in "/" is an empty storage). False when the
// library refused.
inline bool WriteCompound(const std::filesystem::path& path, const std::vector<std::pair<std::string, Bytes>>& items)
{
    using namespace dgn;
    cftest::FileHandle f;
    if (cfCreate(cftest::Wide(path).c_str(), 2, &f.file, 512) != kCfOk)
        return false;
    std::map<std::string, CfStorage*> storages;
    storages[""] = cftest::Root(f.file);
    bool ok = true;
    for (const auto& item : items) {
        const std::string& p = item.first;
        std::size_t at = 0;
        std::string parent;
        while (ok) {
            const std::size_t slash = p.find('/', at);
            if (slash == std::string::npos)
                break;
            const std::string storage = p.substr(0, slash);
            if (!storages.count(storage)) {
                const std::u16string name = cftest::Wide(storage.substr(at));
                CfStorage* child = nullptr;
                ok = cfCreateStorage(storages[parent], name.c_str(), &child) == kCfOk;
                storages[storage] = child;
            }
            parent = storage;
            at = slash + 1;
        }
        if (!ok || at == p.size())
            continue;
        CfStream* s = nullptr;
        const std::u16string name = cftest::Wide(p.substr(at));
        ok = cfCreateStream(storages[parent], name.c_str(), &s) == kCfOk;
        std::uint32_t n = static_cast<std::uint32_t>(item.second.size());
        if (ok && n)
            ok = cfWrite(s, item.second.data(), &n) == kCfOk;
        if (s)
            ok = cfCloseStream(&s) == kCfOk && ok;
    }
    return f.Close() == kCfOk && ok;
}

// Every stream and storage of a compound file by path (storages with no bytes and a "/" at the
// end), and the paths in listing order (pre-order).
struct CompoundTree {
    std::map<std::string, Bytes> streams;
    std::vector<std::string> order;
    bool Has(const std::string& path) const { return streams.count(path) != 0; }
    const Bytes& At(const std::string& path) const
    {
        static const Bytes none;
        auto it = streams.find(path);
        return it == streams.end() ? none : it->second;
    }
};

inline void ReadStorage(dgn::CfStorage* storage, const std::string& prefix, CompoundTree* tree)
{
    using namespace dgn;
    CfEntryInfo* entries = nullptr;
    std::int32_t count = 0;
    if (cfListEntries(storage, &entries, &count) != kCfOk || count == 0)
        return;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string path = prefix + cftest::Narrow(entries[i].name);
        if (entries[i].isStream) {
            tree->order.push_back(path);
            CfStream* s = nullptr;
            Bytes data(static_cast<std::size_t>(entries[i].size));
            if (cfOpenStream(storage, entries[i].name, &s) == kCfOk) {
                std::uint32_t n = static_cast<std::uint32_t>(data.size());
                if (n)
                    cfRead(s, data.data(), &n);
                data.resize(n);
                cfCloseStream(&s);
            }
            tree->streams[path] = data;
        } else {
            tree->order.push_back(path + "/");
            tree->streams[path + "/"] = {};
            CfStorage* child = nullptr;
            if (cfOpenStorage(storage, entries[i].name, &child) == kCfOk) {
                ReadStorage(child, path + "/", tree);
                cfCloseStorage(&child);
            }
        }
    }
    cfFreeEntryInfo(&entries, count);
}

inline CompoundTree ReadCompound(const std::filesystem::path& path)
{
    CompoundTree tree;
    cftest::FileHandle f;
    if (dgn::cfOpen(cftest::Wide(path).c_str(), 0, &f.file) == dgn::kCfOk)
        ReadStorage(cftest::Root(f.file), "", &tree);
    return tree;
}

// The records back to back in inflated element-stream bytes.
inline std::vector<Bytes> SplitRecords(const Bytes& data)
{
    std::vector<Bytes> out;
    for (std::size_t at = 0; at + 12 <= data.size();) {
        const std::size_t n = 2 * static_cast<std::size_t>(Get32(data, at + 8)) + 4;
        if (n > data.size() - at)
            break;
        out.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    }
    return out;
}

// The records of an element storage ("Dgn^Nm", "Dgn-Md/#000000/Dgn^G", ...): its streams
// "$1", "$2", ... in order, each inflated past its 16-byte header.
inline std::vector<Bytes> StorageRecords(const CompoundTree& tree, const std::string& storage)
{
    std::vector<Bytes> out;
    for (int n = 1; tree.Has(storage + "/$" + std::to_string(n)); ++n) {
        const Bytes& s = tree.At(storage + "/$" + std::to_string(n));
        if (s.size() < 16)
            continue;
        for (const Bytes& r : SplitRecords(Inflate(Bytes(s.begin() + 16, s.end()))))
            out.push_back(r);
    }
    return out;
}

// A minimal V7 file header (type 9, level 8; 0xC8 in byte 0 for a 3-D file) of 1536 bytes,
// with the unit settings at 1108-1123 and the origin left zero.
inline Bytes V7FileHeader(bool threeD)
{
    Bytes b(1536, 0);
    b[0] = threeD ? 0xC8 : 0x08;
    b[1] = 9;
    const std::uint16_t words = (1536 - 4) / 2;
    b[2] = static_cast<std::uint8_t>(words);
    b[3] = static_cast<std::uint8_t>(words >> 8);
    return b;
}

// A V7 record of a type on a level with n body bytes after its 4-byte header (words to
// follow stated by the size), body bytes counting from start.
inline Bytes V7Plain(std::uint8_t type, std::uint8_t level, std::size_t bodyBytes, std::uint8_t start = 0)
{
    Bytes b = {level, type, 0, 0};
    const std::uint16_t words = static_cast<std::uint16_t>(bodyBytes / 2);
    b[2] = static_cast<std::uint8_t>(words);
    b[3] = static_cast<std::uint8_t>(words >> 8);
    return Cat(b, Counting(bodyBytes, start));
}

} // namespace dgn_test
