// The compound-file library: the format's rules, files, storages, listings and streams, the
// metadata written at close, files of other writers, and crafted files that break the rules.
// The nested sample files it writes into cf_out/ are read by independent readers
// (check_compound_readers.py).
#include "compound_test_support.h"
#include "storage/CfFile.h"
#include "storage/CfFormat.h"
#include "storage/CompoundFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#ifndef _WIN32
#include <sys/resource.h>
#endif

using namespace dgn;
using namespace cftest;

namespace {

std::uint32_t Get32(const Bytes& b, std::size_t at) { return CfGet32(b.data() + at); }

int WriteStream(CfStorage* storage, const std::u16string& name, const Bytes& data)
{
    StreamHandle s;
    int status = cfCreateStream(storage, name.c_str(), &s.stream);
    if (status != kCfOk)
        return status;
    std::uint32_t n = static_cast<std::uint32_t>(data.size());
    status = data.empty() ? kCfOk : cfWrite(s.stream, data.data(), &n);
    if (status == kCfOk && n != data.size())
        status = kCfIoError;
    const int closed = cfCloseStream(&s.stream);
    return status != kCfOk ? status : closed;
}

// A new file with the given streams in its root.
int WriteFile(const std::filesystem::path& path, int mode, std::uint32_t sectorSize, const std::vector<std::pair<std::u16string, Bytes>>& streams)
{
    FileHandle f;
    int status = cfCreate(Wide(path).c_str(), mode, &f.file, sectorSize);
    for (const auto& stream : streams) {
        if (status == kCfOk)
            status = WriteStream(Root(f.file), stream.first, stream.second);
    }
    const int closed = f.file ? f.Close() : kCfOk;
    return status != kCfOk ? status : closed;
}

// Writes the nested sample tree into a new file.
int WriteNested(const std::filesystem::path& path, std::uint32_t sectorSize, int mode, bool propertySets)
{
    FileHandle f;
    int status = cfCreate(Wide(path).c_str(), mode, &f.file, sectorSize);
    if (status != kCfOk)
        return status;
    std::map<std::string, CfStorage*> storages;
    cfGetRootStorage(f.file, &storages[""]);
    for (const TreeItem& item : NestedTree()) {
        const std::string path(item.path);
        const std::size_t slash = path.rfind('/');
        CfStorage* parent = storages[slash == std::string::npos ? "" : path.substr(0, slash)];
        const std::u16string name = Wide(slash == std::string::npos ? path : path.substr(slash + 1));
        if (item.size < 0)
            status = cfCreateStorage(parent, name.c_str(), &storages[path]);
        else
            status = WriteStream(parent, name, Content(path, static_cast<std::size_t>(item.size)));
        if (status != kCfOk)
            return status;
    }
    if (propertySets) {
        CfPropertySet summary = {};
        summary.kind = kCfSummaryInformation;
        summary.count = 3;
        summary.properties[0] = {2, true, kCfVtLpstr, 0, "Nested sample", nullptr, 0};
        summary.properties[1] = {4, true, kCfVtLpstr, 0, "YVEX", nullptr, 0};
        summary.properties[2] = {14, true, kCfVtI4, 7, nullptr, nullptr, 0};
        status = cfSetPropertySet(f.file, &summary);
        if (status != kCfOk)
            return status;
    }
    return f.Close();
}

// Every stream and storage path under the root, with stream sizes (-1 for storages).
std::map<std::string, long long> Listing(CfFile* file)
{
    std::map<std::string, long long> out;
    std::function<void(CfStorage*, const std::string&)> walk = [&](CfStorage* storage, const std::string& prefix) {
        CfEntryInfo* entries = nullptr;
        std::int32_t count = 0;
        ASSERT_EQ(cfListEntries(storage, &entries, &count), kCfOk);
        for (std::int32_t i = 0; i < count; ++i) {
            const std::string path = prefix + Narrow(entries[i].name);
            out[path] = entries[i].isStream ? static_cast<long long>(entries[i].size) : -1;
            if (!entries[i].isStream) {
                CfStorage* child = nullptr;
                ASSERT_EQ(cfOpenStorage(storage, entries[i].name, &child), kCfOk) << path;
                walk(child, path + "/");
                cfCloseStorage(&child);
            }
        }
        if (count)
            cfFreeEntryInfo(&entries, count);
    };
    CfStorage* root = nullptr;
    cfGetRootStorage(file, &root);
    walk(root, "");
    return out;
}

// The file holds the nested tree, every stream with its contents.
void ExpectNested(const std::filesystem::path& path)
{
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk) << path;
    std::map<std::string, long long> expected;
    for (const TreeItem& item : NestedTree())
        expected[item.path] = item.size;
    std::map<std::string, long long> listed = Listing(f.file);
    listed.erase("\x05SummaryInformation");
    EXPECT_EQ(listed, expected) << path;
    for (const TreeItem& item : NestedTree()) {
        if (item.size < 0)
            continue;
        Bytes data;
        ASSERT_EQ(ReadStream(f.file, item.path, &data), kCfOk) << path << " " << item.path;
        EXPECT_TRUE(data == Content(item.path, static_cast<std::size_t>(item.size))) << path << " " << item.path;
    }
}

CfDirEntry* EntryOf(CfStream* s) { return CfDirAt(&s->file->dir, s->entry); }

} // namespace

// ---------------------------------------------------------------------------------------------
// The format

TEST(CompoundFormat, TimesConvertBothWays)
{
    EXPECT_EQ(CfSecondsToFiletime(0), 116444736000000000ull);
    EXPECT_EQ(CfSecondsToFiletime(1), 116444736010000000ull);
    EXPECT_EQ(CfSecondsToFiletime(0xFFFFFFFFu), 0xFFFFFFFFull * 10000000ull + 116444736000000000ull);
    struct Case {
        std::uint64_t filetime;
        std::uint32_t seconds;
    } cases[] = {
        {0, 0},
        {116444736000000000ull, 0},
        {116444736000000000ull - 1, 0xFFFFFFFFu},
        {116444736000000000ull - 10000000ull, 0xFFFFFFFFu},
        {116444736000000000ull - 10000001ull, 0xFFFFFFFEu},
        {116444736000000000ull + 15000000ull, 1},
        {CfSecondsToFiletime(1700000000u), 1700000000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CfFiletimeToSeconds(c.filetime), c.seconds) << c.filetime;
}

TEST(CompoundFormat, NamesSortShorterFirstThenUnitByUnitUpperCased)
{
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int sign;
    } cases[] = {
        {u"B", u"AA", -1},
        {u"abc", u"ABC", 0},
        {u"Abd", u"abc", 1},
        {u"Z", u"a", 1},
        {u"\u00E9t\u00E9", u"\u00C9T\u00C9", 0},       // Latin-1 letters
        {u"\u0444", u"\u0424", 0},                     // Cyrillic
        {u"\u00DF", u"SS", -1},                        // sharp s has no one-unit upper case
        {u"\u017F", u"S", 0},                          // long s
        {u"_", u"a", 1},                               // against 'A' (0x41), not 'a' (0x61)
        {u"", u"a", -1},
    };
    for (const Case& c : cases) {
        const int order = CfCompareNames(c.a, c.b);
        EXPECT_EQ(order < 0 ? -1 : order > 0 ? 1 : 0, c.sign) << Narrow(c.a) << " / " << Narrow(c.b);
    }
    // The table is the same on every build: a few anchors of it.
    EXPECT_EQ(CfUpperCase(u'a'), u'A');
    EXPECT_EQ(CfUpperCase(u'\u00FF'), u'\u0178');
    EXPECT_EQ(CfUpperCase(u'\u0101'), u'\u0100');
    EXPECT_EQ(CfUpperCase(u'\u0100'), u'\u0100');
    EXPECT_EQ(CfUpperCase(u'\u1F80'), u'\u1F88');
    EXPECT_EQ(CfUpperCase(u'\uFF41'), u'\uFF21');
    EXPECT_EQ(CfUpperCase(u'1'), u'1');
}

TEST(CompoundFormat, HeaderChecksSignatureByteOrderAndShifts)
{
    CfHeader h;
    CfNewHeader(&h, kCfSmallSectorShift);
    std::uint8_t raw[kCfHeaderBytes];
    CfEncodeHeader(h, raw);
    struct Case {
        std::size_t at;
        std::uint16_t value;
        int status;
    } cases[] = {
        {30, 9, kCfOk},  {30, 12, kCfOk}, {28, 0xFEFF, kCfNotCompoundFile}, {30, 7, kCfCorrupt},
        {30, 0, kCfCorrupt}, {30, 64, kCfCorrupt}, {32, 5, kCfCorrupt}, {32, 12, kCfCorrupt},
    };
    for (const Case& c : cases) {
        std::uint8_t copy[kCfHeaderBytes];
        std::memcpy(copy, raw, sizeof(copy));
        CfPut16(copy + c.at, c.value);
        CfHeader out;
        EXPECT_EQ(CfDecodeHeader(copy, &out), c.status) << c.at << "=" << c.value;
    }
    raw[7] ^= 1;
    CfHeader out;
    EXPECT_EQ(CfDecodeHeader(raw, &out), kCfNotCompoundFile);
    CfNewHeader(&h, kCfLargeSectorShift);
    EXPECT_EQ(h.majorVersion, 4);
    EXPECT_EQ(h.miniSectorShift, 6);
}

TEST(CompoundFormat, PropertySetLayout)
{
    CfPropertySet set = {};
    set.kind = kCfDocumentSummaryInformation;
    set.count = 5;
    set.properties[0] = {1, true, kCfVtI4, 5, nullptr, nullptr, 0};      // id 1 has no type: dropped
    set.properties[1] = {2, true, kCfVtLpstr, 0, "Cat", nullptr, 0};
    set.properties[2] = {4, false, kCfVtI4, 9, nullptr, nullptr, 0};     // not present: dropped
    set.properties[3] = {11, true, kCfVtBool, -1, nullptr, nullptr, 0};
    set.properties[4] = {20, true, kCfVtI4, 3, nullptr, nullptr, 0};     // id 20 has no type: dropped
    std::uint32_t size = 0;
    ASSERT_EQ(CfLayoutPropertySet(set, nullptr, &size), kCfOk);
    Bytes image(size);
    ASSERT_EQ(CfLayoutPropertySet(set, image.data(), &size), kCfOk);
    // Stream header: byte order, format, OS version, one section at 68.
    EXPECT_EQ(CfGet16(image.data()), 0xFFFE);
    EXPECT_EQ(Get32(image, 4), 516u);
    EXPECT_EQ(Get32(image, 24), 1u);
    EXPECT_EQ(Get32(image, 28), 0xD5CDD502u);
    EXPECT_EQ(Get32(image, 44), 68u);
    EXPECT_EQ(Get32(image, 48), 0xD5CDD505u);
    // Section: size, count 2, the id/offset table, then type and value without padding.
    const std::uint32_t sectionSize = 8 + 12 * 2 + (4 + 4) + 2;
    EXPECT_EQ(size, 68 + sectionSize);
    EXPECT_EQ(Get32(image, 64), 68 + sectionSize);
    EXPECT_EQ(Get32(image, 68), sectionSize);
    EXPECT_EQ(Get32(image, 72), 2u);
    EXPECT_EQ(Get32(image, 76), 2u);
    EXPECT_EQ(Get32(image, 80), 8u + 8 * 2);
    EXPECT_EQ(Get32(image, 84), 11u);
    EXPECT_EQ(Get32(image, 88), 8u + 8 * 2 + 4 + 4 + 4);
    EXPECT_EQ(Get32(image, 68 + 24), static_cast<std::uint32_t>(kCfVtLpstr));
    EXPECT_EQ(Get32(image, 68 + 28), 4u);
    EXPECT_EQ(std::memcmp(image.data() + 68 + 32, "Cat", 4), 0);
    EXPECT_EQ(Get32(image, 68 + 36), static_cast<std::uint32_t>(kCfVtBool));
    EXPECT_EQ(CfGet16(image.data() + 68 + 40), 0xFFFF);

    set.properties[1].vt = 8; // VT_BSTR: not a type the writer handles
    EXPECT_EQ(CfLayoutPropertySet(set, nullptr, &size), kCfPropertyType);
    set.kind = 3;
    EXPECT_EQ(CfLayoutPropertySet(set, nullptr, &size), kCfBadArgument);

    CfPropertySet summary = {};
    summary.kind = kCfSummaryInformation;
    ASSERT_EQ(CfLayoutPropertySet(summary, nullptr, &size), kCfOk);
    EXPECT_EQ(size, 48u + 8);
}

// ---------------------------------------------------------------------------------------------
// Files

TEST(CompoundFile, EmptyNewFileIsThreeSectors)
{
    const auto path = Scratch("empty.cfb");
    FileHandle f;
    ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
    ASSERT_EQ(f.Close(), kCfOk);
    const Bytes b = ReadAll(path);
    ASSERT_EQ(b.size(), 1536u);
    EXPECT_EQ(CfGet16(b.data() + 26), 3);
    EXPECT_EQ(Get32(b, 44), 1u);  // one FAT sector
    EXPECT_EQ(Get32(b, 48), 0u);  // directory in sector 0
    EXPECT_EQ(Get32(b, 60), kCfFreeSector);
    EXPECT_EQ(Get32(b, 68), kCfFreeSector);
    EXPECT_EQ(Get32(b, 76), 1u);  // DIFAT head: the FAT in sector 1, then nothing
    for (std::size_t at = 80; at < 512; at += 4)
        ASSERT_EQ(Get32(b, at), kCfFreeSector) << at;
    const std::uint8_t fat[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0xFD, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(b.data() + 1024, fat, 8), 0);
    for (std::size_t at = 1032; at < 1536; at += 4)
        ASSERT_EQ(Get32(b, at), kCfFreeSector) << at;
    // The root entry, then three unused ones.
    EXPECT_EQ(CfGet16(b.data() + 512 + 64), 22);
    EXPECT_EQ(b[512 + 66], kCfTypeRoot);
    EXPECT_EQ(b[512 + 67], 0);
    EXPECT_EQ(Get32(b, 512 + 116), kCfFreeSector);
    for (int i = 1; i < 4; ++i) {
        const std::size_t e = 512 + 128 * i;
        EXPECT_EQ(b[e + 66], kCfTypeUnused);
        EXPECT_EQ(CfGet16(b.data() + e + 64), 0);
        EXPECT_EQ(Get32(b, e + 68), kCfNoEntry);
        EXPECT_EQ(Get32(b, e + 76), kCfNoEntry);
        EXPECT_EQ(CfGet64(b.data() + e + 100), kCfFiletimeOf1970);
        EXPECT_EQ(Get32(b, e + 116), kCfFreeSector);
    }
    // Before its first flush a new file is the header and 109 free DIFAT words.
    FileHandle g;
    ASSERT_EQ(cfCreate(Wide(path).c_str(), 1, &g.file, 0), kCfOk);
    const Bytes head = ReadAll(path);
    ASSERT_EQ(head.size(), 512u);
    EXPECT_EQ(Get32(head, 76), kCfFreeSector);
    EXPECT_EQ(Get32(head, 508), kCfFreeSector);
}

TEST(CompoundFile, ArgumentsAndModes)
{
    const auto path = Wide(Scratch("args.cfb"));
    CfFile* f = nullptr;
    struct Case {
        int mode;
        std::uint32_t sectorSize;
        int status;
    } cases[] = {{1, 1024, kCfBadArgument}, {1, 256, kCfBadArgument}, {2, 3, kCfBadArgument},
                 {1, 0x80000000u, kCfBadArgument}, {0, 512, kCfRefused}, {3, 512, kCfRefused}};
    for (const Case& c : cases)
        EXPECT_EQ(cfCreate(path.c_str(), c.mode, &f, c.sectorSize), c.status) << c.mode << " " << c.sectorSize;
    EXPECT_EQ(cfCreate(nullptr, 1, &f, 0), kCfBadArgument);
    EXPECT_EQ(cfCreate(u"", 1, &f, 0), kCfBadArgument);
    EXPECT_EQ(cfCreate(path.c_str(), 1, nullptr, 0), kCfBadArgument);
    EXPECT_EQ(f, nullptr);
    EXPECT_EQ(cfOpen(Wide(Scratch("missing.cfb")).c_str(), 0, &f), kCfCannotOpen);
    EXPECT_EQ(cfOpen(path.c_str(), 1, &f), kCfRefused);
    EXPECT_EQ(cfClose(&f), kCfBadArgument);
    EXPECT_EQ(cfClose(nullptr), kCfBadArgument);

    // Mode 1 writes, and neither opens nor reads back; mode 0 reads, and writes nothing.
    FileHandle w;
    ASSERT_EQ(cfCreate(path.c_str(), 1, &w.file, 512), kCfOk);
    CfStorage* root = nullptr;
    ASSERT_EQ(cfGetRootStorage(w.file, &root), kCfOk);
    ASSERT_EQ(WriteStream(root, u"S", Bytes(10, 1)), kCfOk);
    CfStorage* sub = nullptr;
    ASSERT_EQ(cfCreateStorage(root, u"Sub", &sub), kCfOk);
    CfStream* s = nullptr;
    EXPECT_EQ(cfOpenStream(root, u"S", &s), kCfRefused);
    EXPECT_EQ(cfOpenStorage(root, u"Sub", &sub), kCfBadArgument);
    ASSERT_EQ(cfCreateStream(root, u"T", &s), kCfOk);
    std::uint8_t byte = 0;
    std::uint32_t n = 1;
    EXPECT_EQ(cfRead(s, &byte, &n), kCfBadArgument);
    std::uint32_t remaining = 0;
    EXPECT_EQ(cfGetRemaining(s, &remaining), kCfBadArgument);
    ASSERT_EQ(w.Close(), kCfOk); // closes the open stream and storage too

    FileHandle r;
    ASSERT_EQ(cfOpen(path.c_str(), 0, &r.file), kCfOk);
    ASSERT_EQ(cfGetRootStorage(r.file, &root), kCfOk);
    EXPECT_EQ(cfCreateStorage(root, u"X", &sub), kCfBadArgument);
    EXPECT_EQ(cfCreateStream(root, u"X", &s), kCfBadArgument);
    ASSERT_EQ(cfOpenStream(root, u"S", &s), kCfOk);
    n = 1;
    EXPECT_EQ(cfWrite(s, &byte, &n), kCfBadArgument);
    EXPECT_EQ(cfOpenStream(root, u"Sub", &s), kCfNotStream);
    EXPECT_EQ(cfOpenStorage(root, u"S", &sub), kCfNotStorage);
    EXPECT_EQ(cfOpenStorage(root, u"None", &sub), kCfNotFound);
    EXPECT_EQ(cfOpenStream(root, u"None", &s), kCfNotFound);
    EXPECT_EQ(cfCloseStorage(&root), kCfBadArgument);
    EXPECT_EQ(cfSeek(s, -1, 0), kCfBadArgument);
    EXPECT_EQ(cfSeek(s, 0, 3), kCfBadArgument);
}

TEST(CompoundFile, PathsAreWide)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / std::filesystem::path(u"yvex_cf_\u00E9t\u00E9_\u0434.cfb");
    ASSERT_EQ(WriteFile(path, 1, 4096, {{u"\u00C9t\u00E9", Bytes(5, 9)}}), kCfOk);
    EXPECT_EQ(std::filesystem::file_size(path), 4096u * 5); // header, data, directory, mini FAT, FAT
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    CfStorage* root = Root(f.file);
    StreamHandle s;
    EXPECT_EQ(cfOpenStream(root, u"\u00E9T\u00C9", &s.stream), kCfOk);
}

TEST(CompoundFile, NamesAreUniqueUnderTheOrderAndAtMost31Units)
{
    const auto path = Scratch("names.cfb");
    const std::u16string name31(31, u'n');
    {
        FileHandle f;
        ASSERT_EQ(cfCreate(Wide(path).c_str(), 1, &f.file, 0), kCfOk);
        CfStorage* root = Root(f.file);
        CfStorage* s = nullptr;
        ASSERT_EQ(cfCreateStorage(root, u"abc", &s), kCfOk);
        std::int32_t count = 0;
        ASSERT_EQ(cfCountEntries(root, &count), kCfOk);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(cfCreateStorage(root, u"ABC", &s), kCfRefused);
        CfStream* st = nullptr;
        EXPECT_EQ(cfCreateStream(root, u"aBc", &st), kCfRefused);
        ASSERT_EQ(cfCountEntries(root, &count), kCfOk);
        EXPECT_EQ(count, 1);
        EXPECT_EQ(f.file->dir.count, 2u); // the refused numbers went back
        EXPECT_EQ(cfCreateStorage(root, std::u16string(32, u'n').c_str(), &s), kCfBadArgument);
        EXPECT_EQ(cfCreateStream(root, std::u16string(32, u'n').c_str(), &st), kCfBadArgument);
        EXPECT_EQ(cfCreateStream(root, u"", &st), kCfBadArgument);
        ASSERT_EQ(WriteStream(root, name31, Bytes(3, 7)), kCfOk);
        ASSERT_EQ(f.Close(), kCfOk);
    }
    // The 31-unit name is stored with length 64 in entry 2.
    const Bytes b = ReadAll(path);
    const std::size_t entry = 512 * (1 + Get32(b, 48)) + 2 * 128;
    EXPECT_EQ(CfGet16(b.data() + entry + 64), 64);
    EXPECT_EQ(CfGet16(b.data() + entry + 60), u'n');
    EXPECT_EQ(CfGet16(b.data() + entry + 62), 0);
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    Bytes data;
    EXPECT_EQ(ReadStream(f.file, std::string(31, 'N'), &data), kCfOk);
    EXPECT_EQ(data, Bytes(3, 7));
}

TEST(CompoundFile, SiblingTreesStayRedBlackAfterRandomInserts)
{
    const auto path = Scratch("tree.cfb");
    std::mt19937 random(31);
    std::vector<std::u16string> names;
    {
        FileHandle f;
        ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
        CfStorage* root = Root(f.file);
        std::set<std::u16string> upper;
        while (names.size() < 200) {
            std::u16string name;
            const int length = 1 + static_cast<int>(random() % 12);
            for (int i = 0; i < length; ++i) {
                const char16_t pool[] = u"abcXYZ019_\u00E9\u00C9";
                name += pool[random() % 12];
            }
            std::u16string key;
            for (char16_t c : name)
                key += CfUpperCase(c);
            const bool fresh = upper.insert(key).second;
            CfStorage* s = nullptr;
            const int status = names.size() % 3 ? WriteStream(root, name, Bytes(names.size() % 50, 1)) : cfCreateStorage(root, name.c_str(), &s);
            ASSERT_EQ(status, fresh ? kCfOk : kCfRefused);
            if (fresh)
                names.push_back(name);
        }
        // Order, colours and black heights of the root's tree.
        CfDirectory* dir = &f.file->dir;
        std::function<int(std::uint32_t, std::int32_t, const std::u16string*, const std::u16string*)> check =
            [&](std::uint32_t n, std::int32_t parent, const std::u16string* low, const std::u16string* high) -> int {
            if (n == kCfNoEntry)
                return 1;
            const CfDirEntry* e = CfDirAt(dir, n);
            EXPECT_EQ(e->parent, parent);
            EXPECT_TRUE(!low || CfCompareNames(e->name, low->c_str()) > 0);
            EXPECT_TRUE(!high || CfCompareNames(e->name, high->c_str()) < 0);
            if (e->colour == kCfRed) {
                EXPECT_TRUE(e->left == kCfNoEntry || CfDirAt(dir, e->left)->colour == kCfBlack);
                EXPECT_TRUE(e->right == kCfNoEntry || CfDirAt(dir, e->right)->colour == kCfBlack);
            }
            const std::u16string name(e->name);
            const int left = check(e->left, static_cast<std::int32_t>(n), low, &name);
            const int right = check(e->right, static_cast<std::int32_t>(n), &name, high);
            EXPECT_EQ(left, right);
            return left + (e->colour == kCfBlack ? 1 : 0);
        };
        const std::uint32_t top = CfDirAt(dir, 0)->child;
        EXPECT_EQ(CfDirAt(dir, top)->colour, kCfBlack);
        check(top, -1, nullptr, nullptr);
        ASSERT_EQ(f.Close(), kCfOk);
    }
    // Read back, every name is found by descending the tree, whatever its case.
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    CfStorage* root = Root(f.file);
    std::int32_t count = 0;
    ASSERT_EQ(cfCountEntries(root, &count), kCfOk);
    EXPECT_EQ(count, 200);
    for (const std::u16string& name : names) {
        std::u16string lower = name;
        for (char16_t& c : lower)
            c = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
        std::uint32_t n = 0;
        EXPECT_EQ(CfDirFind(&f.file->dir, 0, lower.c_str(), &n), kCfOk) << Narrow(name.c_str());
    }
}

TEST(CompoundFile, ListingIsPreOrderAndEmptyStoragesListNothing)
{
    const auto path = Scratch("listing.cfb");
    FileHandle f;
    ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
    CfStorage* root = Root(f.file);
    CfStorage* empty = nullptr;
    ASSERT_EQ(cfCreateStorage(root, u"Empty", &empty), kCfOk);
    CfEntryInfo* entries = reinterpret_cast<CfEntryInfo*>(0x1);
    std::int32_t count = -1;
    EXPECT_EQ(cfListEntries(empty, &entries, &count), kCfOk);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(entries, reinterpret_cast<CfEntryInfo*>(0x1));
    for (const char16_t* name : {u"c", u"a", u"e", u"b", u"d"})
        ASSERT_EQ(WriteStream(root, name, Bytes(1, 0)), kCfOk);
    ASSERT_EQ(cfListEntries(root, &entries, &count), kCfOk);
    ASSERT_EQ(count, 6);
    std::vector<std::string> order;
    for (int i = 0; i < count; ++i)
        order.push_back(Narrow(entries[i].name));
    // The listing walks the sibling tree node, left subtree, right subtree.
    std::vector<std::string> preorder;
    std::function<void(std::uint32_t)> walk = [&](std::uint32_t n) {
        if (n == kCfNoEntry)
            return;
        const CfDirEntry* e = CfDirAt(&f.file->dir, n);
        preorder.push_back(Narrow(e->name));
        walk(e->left);
        walk(e->right);
    };
    walk(CfDirAt(&f.file->dir, 0)->child);
    EXPECT_EQ(order, preorder);
    EXPECT_EQ(entries[0].mode, 2);
    EXPECT_EQ(cfFreeEntryInfo(&entries, count), kCfOk);
    EXPECT_EQ(entries, nullptr);
    EXPECT_EQ(cfFreeEntryInfo(&entries, 0), kCfBadArgument);
}

// ---------------------------------------------------------------------------------------------
// Streams

TEST(CompoundStream, MiniStreamHoldsStreamsBelow4096Bytes)
{
    const auto path = Scratch("cutoff.cfb");
    ASSERT_EQ(WriteFile(path, 1, 0, {{u"Below", Content("Below", 4095)}, {u"At", Content("At", 4096)}}), kCfOk);
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    CfStorage* root = Root(f.file);
    StreamHandle below, at;
    ASSERT_EQ(cfOpenStream(root, u"Below", &below.stream), kCfOk);
    ASSERT_EQ(cfOpenStream(root, u"At", &at.stream), kCfOk);
    EXPECT_TRUE(below.stream->state->inMini);
    EXPECT_EQ(below.stream->state->chainLength, 64u);
    EXPECT_FALSE(at.stream->state->inMini);
    EXPECT_EQ(at.stream->state->chainLength, 8u);
    EXPECT_EQ(CfDirAt(&f.file->dir, 0)->size, 4096u); // the mini stream: 64 mini sectors
    // The ordinary sectors that held the small stream were given back and cut off: data,
    // mini stream, directory, mini FAT and FAT are all the file holds.
    EXPECT_EQ(f.file->fat.used, 8u + 8 + 1 + 1 + 1);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "Below", &data), kCfOk);
    EXPECT_TRUE(data == Content("Below", 4095));
    ASSERT_EQ(ReadStream(f.file, "At", &data), kCfOk);
    EXPECT_TRUE(data == Content("At", 4096));
}

TEST(CompoundStream, ReadingAtTheEndAndSeeking)
{
    const auto path = Scratch("ends.cfb");
    FileHandle f;
    ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
    CfStorage* root = Root(f.file);
    StreamHandle s;
    ASSERT_EQ(cfCreateStream(root, u"S", &s.stream), kCfOk);
    const Bytes data = Content("S", 1000);
    std::uint32_t n = 1000;
    ASSERT_EQ(cfWrite(s.stream, data.data(), &n), kCfOk);
    EXPECT_EQ(n, 1000u);
    std::uint8_t buf[2000];
    n = 10;
    EXPECT_EQ(cfRead(s.stream, buf, &n), kCfEndOfStream);
    EXPECT_EQ(n, 0u);
    n = 0;
    EXPECT_EQ(cfRead(s.stream, buf, &n), kCfOk);
    std::uint32_t remaining = 1;
    EXPECT_EQ(cfGetRemaining(s.stream, &remaining), kCfOk);
    EXPECT_EQ(remaining, 0u);
    ASSERT_EQ(cfSeek32(s.stream, -100, 2), kCfOk);
    EXPECT_EQ(cfGetRemaining(s.stream, &remaining), kCfOk);
    EXPECT_EQ(remaining, 100u);
    n = 2000;
    EXPECT_EQ(cfRead(s.stream, buf, &n), kCfOk);
    EXPECT_EQ(n, 100u);
    EXPECT_EQ(std::memcmp(buf, data.data() + 900, 100), 0);
    ASSERT_EQ(cfSeek(s.stream, 5000, 0), kCfOk);
    EXPECT_EQ(cfGetRemaining(s.stream, &remaining), kCfOk);
    EXPECT_EQ(remaining, 0u); // past the end: nothing remains
    EXPECT_EQ(cfSeek(s.stream, -5001, 1), kCfBadArgument);
    ASSERT_EQ(cfSeek(s.stream, -4500, 1), kCfOk);
    n = 10;
    EXPECT_EQ(cfRead(s.stream, buf, &n), kCfOk);
    EXPECT_EQ(std::memcmp(buf, data.data() + 500, 10), 0);
}

TEST(CompoundStream, WritingPastTheEndZeroFills)
{
    const auto path = Scratch("gap.cfb");
    {
        FileHandle f;
        ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
        CfStorage* root = Root(f.file);
        StreamHandle s;
        ASSERT_EQ(cfCreateStream(root, u"S", &s.stream), kCfOk);
        std::uint32_t n = 3;
        ASSERT_EQ(cfWrite(s.stream, "abc", &n), kCfOk);
        ASSERT_EQ(cfSeek(s.stream, 6000, 0), kCfOk);
        n = 3;
        ASSERT_EQ(cfWrite(s.stream, "xyz", &n), kCfOk);
        EXPECT_EQ(s.stream->state->size, 6003u);
        EXPECT_EQ(s.stream->state->chainLength, 12u); // whole zero sectors up to the new data
        // Closing the file closes the stream too.
        ASSERT_EQ(f.Close(), kCfOk);
        s.stream = nullptr;
    }
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "S", &data), kCfOk);
    Bytes expected(6003, 0);
    std::memcpy(expected.data(), "abc", 3);
    std::memcpy(expected.data() + 6000, "xyz", 3);
    EXPECT_TRUE(data == expected);
}

TEST(CompoundStream, ReadWriteOpenMovesOutAndTheLastCloseMovesBack)
{
    const auto path = Scratch("move.cfb");
    ASSERT_EQ(WriteFile(path, 1, 0, {{u"A", Content("A", 200)}, {u"B", Content("B", 300)}}), kCfOk);
    {
        FileHandle f;
        ASSERT_EQ(cfOpen(Wide(path).c_str(), 2, &f.file), kCfOk);
        CfStorage* root = Root(f.file);
        StreamHandle first, second;
        ASSERT_EQ(cfOpenStream(root, u"A", &first.stream), kCfOk);
        EXPECT_FALSE(first.stream->state->inMini);
        EXPECT_EQ(first.stream->state->chainLength, 1u);
        // The mini stream now ends with B's mini sectors: A's are free again and trimmed off
        // only when a whole sector comes free.
        ASSERT_EQ(cfOpenStream(root, u"A", &second.stream), kCfOk);
        EXPECT_EQ(second.stream->state, first.stream->state);
        ASSERT_EQ(cfSeek(first.stream, 0, 2), kCfOk);
        std::uint32_t n = 5;
        ASSERT_EQ(cfWrite(first.stream, "12345", &n), kCfOk);
        ASSERT_EQ(cfCloseStream(&first.stream), kCfOk);
        EXPECT_FALSE(second.stream->state->inMini);
        EXPECT_EQ(second.stream->state->size, 205u);
        std::uint8_t buf[205];
        n = sizeof(buf);
        ASSERT_EQ(cfRead(second.stream, buf, &n), kCfOk);
        EXPECT_EQ(n, 205u);
        const CfDirEntry* a = EntryOf(second.stream);
        ASSERT_EQ(cfCloseStream(&second.stream), kCfOk);
        EXPECT_EQ(a->size, 205u);
        std::uint32_t* chain = nullptr;
        std::uint32_t length = 0;
        ASSERT_EQ(CfTableChain(f.file->miniFat, a->startSector, 4, &chain, &length), kCfOk);
        std::free(chain);
        ASSERT_EQ(f.Close(), kCfOk);
    }
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    CfStorage* root = Root(f.file);
    StreamHandle s;
    ASSERT_EQ(cfOpenStream(root, u"A", &s.stream), kCfOk);
    EXPECT_TRUE(s.stream->state->inMini);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "A", &data), kCfOk);
    Bytes expected = Content("A", 200);
    expected.insert(expected.end(), {'1', '2', '3', '4', '5'});
    EXPECT_TRUE(data == expected);
    ASSERT_EQ(ReadStream(f.file, "B", &data), kCfOk);
    EXPECT_TRUE(data == Content("B", 300));
}

// Two handles of one stream that write into the same sector, each holding it buffered: neither
// handle's bytes are lost, whichever closes first, whether the sector was new (not yet in the
// stream's chain) or already there; a handle reading its buffered sector sees what the other
// one has written out there.
TEST(CompoundStream, TwoHandlesWritingOneSectorKeepBothHandlesBytes)
{
    struct Case {
        const char* name;
        std::size_t existing; // bytes the stream holds before (0: a new sector)
        std::uint32_t firstAt, secondAt;
        std::size_t secondLength; // the second handle's write
        bool secondWritesOut;     // seeks after writing, so its sector is written out
        bool secondClosesFirst;
    };
    const Case cases[] = {
        {"new sector, first closes first", 0, 0, 4, 4, false, false},
        {"new sector, second closes first", 0, 0, 4, 4, false, true},
        {"new sector, second fills it and goes on", 0, 0, 4, 600, false, false},
        {"new sector, second written out", 0, 0, 4, 4, true, false},
        {"existing sector", 5000, 100, 104, 4, false, false},
        {"existing sector, second closes first", 5000, 100, 104, 4, false, true},
        {"existing sector, second written out", 5000, 100, 104, 4, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = Scratch("two_handles.cfb");
        Bytes expected = Content("old", c.existing);
        {
            FileHandle f;
            ASSERT_EQ(cfCreate(Wide(path).c_str(), 2, &f.file, 0), kCfOk);
            CfStorage* root = Root(f.file);
            StreamHandle first, second;
            ASSERT_EQ(cfCreateStream(root, u"S", &first.stream), kCfOk);
            std::uint32_t n = static_cast<std::uint32_t>(expected.size());
            if (n) {
                ASSERT_EQ(cfWrite(first.stream, expected.data(), &n), kCfOk);
                ASSERT_EQ(cfSeek(first.stream, 0, 0), kCfOk); // written out
            }
            ASSERT_EQ(cfOpenStream(root, u"S", &second.stream), kCfOk);
            ASSERT_EQ(second.stream->state, first.stream->state);
            const Bytes a(4, 'A');
            const Bytes b(c.secondLength, 'B');
            ASSERT_EQ(cfSeek(first.stream, c.firstAt, 0), kCfOk);
            n = 4;
            ASSERT_EQ(cfWrite(first.stream, a.data(), &n), kCfOk);
            ASSERT_EQ(cfSeek(second.stream, c.secondAt, 0), kCfOk);
            n = static_cast<std::uint32_t>(b.size());
            ASSERT_EQ(cfWrite(second.stream, b.data(), &n), kCfOk);
            if (expected.size() < c.secondAt + b.size())
                expected.resize(c.secondAt + b.size(), 0);
            std::copy(a.begin(), a.end(), expected.begin() + c.firstAt);
            std::copy(b.begin(), b.end(), expected.begin() + c.secondAt);
            if (c.secondWritesOut) {
                ASSERT_EQ(cfSeek(second.stream, 0, 0), kCfOk);
                // The first handle reads on from where it wrote, inside its buffered sector:
                // the second handle's bytes.
                std::uint8_t seen[4] = {};
                n = 4;
                ASSERT_EQ(cfRead(first.stream, seen, &n), kCfOk);
                EXPECT_EQ(Bytes(seen, seen + 4), Bytes(4, 'B'));
            }
            if (c.secondClosesFirst) {
                ASSERT_EQ(cfCloseStream(&second.stream), kCfOk);
                ASSERT_EQ(cfCloseStream(&first.stream), kCfOk);
            } else {
                ASSERT_EQ(cfCloseStream(&first.stream), kCfOk);
                ASSERT_EQ(cfCloseStream(&second.stream), kCfOk);
            }
            ASSERT_EQ(f.Close(), kCfOk);
        }
        FileHandle f;
        ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
        Bytes data;
        ASSERT_EQ(ReadStream(f.file, "S", &data), kCfOk);
        EXPECT_TRUE(data == expected) << "size " << data.size() << " of " << expected.size();
    }
}

TEST(CompoundStream, MiniStreamIsTrimmedWhenItsLastStreamLeaves)
{
    const auto path = Scratch("trim.cfb");
    ASSERT_EQ(WriteFile(path, 1, 0, {{u"Only", Content("Only", 1000)}}), kCfOk);
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 2, &f.file), kCfOk);
    CfStorage* root = Root(f.file);
    StreamHandle s;
    ASSERT_EQ(cfOpenStream(root, u"Only", &s.stream), kCfOk);
    // Nothing is left in the mini stream: it is gone, and with it the mini FAT.
    const CfDirEntry* rootEntry = CfDirAt(&f.file->dir, 0);
    EXPECT_EQ(rootEntry->startSector, kCfEndOfChain);
    EXPECT_EQ(rootEntry->size, 0u);
    EXPECT_EQ(f.file->miniFat.used, 0u);
    std::uint32_t n = 5000;
    const Bytes more = Content("more", 5000);
    ASSERT_EQ(cfSeek(s.stream, 0, 2), kCfOk);
    ASSERT_EQ(cfWrite(s.stream, more.data(), &n), kCfOk);
    ASSERT_EQ(cfCloseStream(&s.stream), kCfOk);
    ASSERT_EQ(f.Close(), kCfOk);
    const Bytes b = ReadAll(path);
    EXPECT_EQ(Get32(b, 60), kCfFreeSector);
    EXPECT_EQ(Get32(b, 64), 0u);
    FileHandle g;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &g.file), kCfOk);
    Bytes data;
    ASSERT_EQ(ReadStream(g.file, "Only", &data), kCfOk);
    Bytes expected = Content("Only", 1000);
    expected.insert(expected.end(), more.begin(), more.end());
    EXPECT_TRUE(data == expected);
}

TEST(CompoundFile, MoreThan109FatSectorsTakeADifatChain)
{
    // 110 FAT sectors of 128 entries cover a little over 7 MB of 512-byte sectors.
    const auto path = Output("ours_big.cfb");
    const std::size_t size = 110u * 128u * 512u;
    ASSERT_EQ(WriteFile(path, 1, 0, {{u"Big", Content("Big", size)}, {u"Small", Content("Small", 100)}}), kCfOk);
    const Bytes b = ReadAll(path);
    const std::uint32_t fatSectors = Get32(b, 44);
    const std::uint32_t difat = Get32(b, 68);
    EXPECT_EQ(fatSectors, 111u);
    EXPECT_EQ(Get32(b, 72), 1u);
    ASSERT_LT(difat, b.size() / 512);
    const std::size_t at = 512u * (difat + 1);
    // The DIFAT sector lists the FAT sectors from the 110th on, then free entries, and ends
    // the chain.
    EXPECT_EQ(Get32(b, at), Get32(b, 76 + 4 * 108) + 1);
    EXPECT_EQ(Get32(b, at + 4), Get32(b, at) + 1);
    for (std::size_t i = 2; i < 127; ++i)
        ASSERT_EQ(Get32(b, at + 4 * i), kCfFreeSector) << i;
    EXPECT_EQ(Get32(b, at + 508), kCfEndOfChain);
    EXPECT_EQ(b.size(), 512u * (1 + difat + 1)); // the DIFAT ends the file
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "Big", &data), kCfOk);
    EXPECT_TRUE(data == Content("Big", size));
    ASSERT_EQ(ReadStream(f.file, "Small", &data), kCfOk);
    EXPECT_TRUE(data == Content("Small", 100));
}

TEST(CompoundFile, UnchangedFilesCloseByteForByte)
{
    const auto path = ScratchCopy("compound/python_nested.cfb", "unchanged.cfb");
    const Bytes before = ReadAll(path);
    for (int mode : {0, 2}) {
        FileHandle f;
        ASSERT_EQ(cfOpen(Wide(path).c_str(), mode, &f.file), kCfOk);
        Listing(f.file);
        // Reading a stream in sectors changes nothing (a small one opened read-write would
        // move out of the mini stream).
        Bytes data;
        ASSERT_EQ(ReadStream(f.file, "Models/Model1", &data), kCfOk);
        if (mode == 0) {
            ASSERT_EQ(ReadStream(f.file, "Small", &data), kCfOk);
        }
        ASSERT_EQ(f.Close(), kCfOk);
        EXPECT_TRUE(ReadAll(path) == before) << "mode " << mode;
    }
}

TEST(CompoundFile, NestedSamplesRoundTrip)
{
    // Ours, written in both modes and sector sizes, and left for the independent readers.
    ASSERT_EQ(WriteNested(Output("ours_nested.cfb"), 512, 1, true), kCfOk);
    ASSERT_EQ(WriteNested(Output("ours_nested_4k.cfb"), 4096, 2, false), kCfOk);
    ExpectNested(Output("ours_nested.cfb"));
    ExpectNested(Output("ours_nested_4k.cfb"));
    const Bytes big = ReadAll(Output("ours_nested_4k.cfb"));
    EXPECT_EQ(CfGet16(big.data() + 26), 4);
    EXPECT_EQ(CfGet16(big.data() + 30), 12);
    EXPECT_EQ(Get32(big, 40), 1u); // one directory sector of 32 entries
    EXPECT_EQ(big.size() % 4096, 0u);
    // Written by our Python writer, in both sector sizes, and by another writer altogether.
    ExpectNested(Fixture("compound/python_nested.cfb"));
    ExpectNested(Fixture("compound/python_nested_4k.cfb"));
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(Fixture("compound/gsf_nested.cfb")).c_str(), 0, &f.file), kCfOk);
    const std::map<std::string, long long> expected = {{"Contents", 5000}, {"Small", 100}, {"Models", -1}, {"Models/Model0", 300},
                                                       {"Models/Model1", 9000}, {"Models/Deeper", -1}, {"Models/Deeper/Leaf", 64}};
    EXPECT_EQ(Listing(f.file), expected);
    for (const auto& item : expected) {
        if (item.second < 0)
            continue;
        Bytes data;
        ASSERT_EQ(ReadStream(f.file, item.first, &data), kCfOk) << item.first;
        EXPECT_TRUE(data == Content(item.first, static_cast<std::size_t>(item.second))) << item.first;
    }
    // Rewritten read-write (every small stream moves out and back), still the same tree.
    const auto copy = ScratchCopy("compound/gsf_nested.cfb", "gsf_rewritten.cfb");
    FileHandle g;
    ASSERT_EQ(cfOpen(Wide(copy).c_str(), 2, &g.file), kCfOk);
    for (const auto& item : expected) {
        Bytes data;
        if (item.second >= 0) {
            ASSERT_EQ(ReadStream(g.file, item.first, &data), kCfOk) << item.first;
        }
    }
    ASSERT_EQ(g.Close(), kCfOk);
    ASSERT_EQ(cfOpen(Wide(copy).c_str(), 0, &g.file), kCfOk);
    EXPECT_EQ(Listing(g.file), expected);
    Bytes data;
    ASSERT_EQ(ReadStream(g.file, "Models/Deeper/Leaf", &data), kCfOk);
    EXPECT_TRUE(data == Content("Models/Deeper/Leaf", 64));
}

// ---------------------------------------------------------------------------------------------
// Crafted files: every rule broken gives its status, read-only and read-write.

TEST(CompoundCrafted, EachBrokenRuleGivesItsStatus)
{
    std::ifstream list(Fixture("compound_expected.txt"));
    ASSERT_TRUE(list.good());
    std::string line;
    int cases = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string file, openStatus, path, streamStatus;
        std::getline(fields, file, '\t');
        std::getline(fields, openStatus, '\t');
        std::getline(fields, path, '\t');
        std::getline(fields, streamStatus, '\t');
        ++cases;
        for (int mode : {0, 2}) {
            const auto copy = ScratchCopy("compound/" + file, "crafted_" + file);
            FileHandle f;
            ASSERT_EQ(cfOpen(Wide(copy).c_str(), mode, &f.file), std::stoi(openStatus)) << file << " mode " << mode;
            if (!f.file || path == "-")
                continue;
            Bytes data;
            EXPECT_EQ(ReadStream(f.file, path, &data), std::stoi(streamStatus)) << file << " mode " << mode;
            Listing(f.file);
            f.Close();
        }
    }
    EXPECT_GE(cases, 30);
}

TEST(CompoundCrafted, DifatChainsAreBoundedAndWalkedOnce)
{
    // A header counting 300 FAT sectors in a file of 320 sectors of zeros: the DIFAT holds
    // the FAT sector numbers beyond the first 109.
    Bytes image(512 * 321, 0);
    CfHeader h;
    CfNewHeader(&h, kCfSmallSectorShift);
    h.fatSectors = 300;
    h.difatSectors = 2;
    h.firstDifatSector = 310;
    h.firstDirectorySector = 0;
    CfEncodeHeader(h, image.data());
    for (std::uint32_t i = 0; i < 109; ++i)
        CfPut32(image.data() + 76 + 4 * i, i + 1);
    struct Case {
        const char* what;
        std::uint32_t next;       // the first DIFAT sector's link
        std::uint32_t difatCount; // the header's DIFAT count
        int status;
    } cases[] = {
        {"a DIFAT sector linked to itself", 310, 2, kCfCorrupt},
        {"a DIFAT chain ending too early", kCfEndOfChain, 2, kCfCorrupt},
        {"a DIFAT chain longer than its count", 311, 1, kCfCorrupt},
        {"a DIFAT link outside the file", 5000, 2, kCfCorrupt},
    };
    for (const Case& c : cases) {
        CfPut32(image.data() + 72, c.difatCount);
        for (std::uint32_t i = 0; i < 127; ++i)
            CfPut32(image.data() + 512 * 311 + 4 * i, 110 + i);
        CfPut32(image.data() + 512 * 311 + 508, c.next);
        const auto path = Scratch("difat.cfb");
        WriteAll(path, image);
        CfFile* f = nullptr;
        EXPECT_EQ(cfOpen(Wide(path).c_str(), 0, &f), c.status) << c.what;
        EXPECT_EQ(f, nullptr);
    }
}

TEST(CompoundCrafted, GrowthZeroesWhatLiesBehindTheOldEnd)
{
    // Contents (4200 bytes) has 0x55 behind its end in its last sector; a write past the end
    // must not bring them back.
    const auto path = ScratchCopy("compound/garbage_tail.cfb", "garbage_tail.cfb");
    {
        FileHandle f;
        ASSERT_EQ(cfOpen(Wide(path).c_str(), 2, &f.file), kCfOk);
        CfStorage* root = Root(f.file);
        StreamHandle s;
        ASSERT_EQ(cfOpenStream(root, u"Contents", &s.stream), kCfOk);
        ASSERT_EQ(cfSeek(s.stream, 4250, 0), kCfOk);
        std::uint32_t n = 1;
        ASSERT_EQ(cfWrite(s.stream, "Z", &n), kCfOk);
        ASSERT_EQ(f.Close(), kCfOk);
        s.stream = nullptr;
    }
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "Contents", &data), kCfOk);
    ASSERT_EQ(data.size(), 4251u);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 4200, Content("Contents", 4200).begin()));
    EXPECT_EQ(std::count(data.begin() + 4200, data.begin() + 4250, 0), 50);
    EXPECT_EQ(data[4250], 'Z');
    // And behind the new end, in the sector, zeros too.
    CfStorage* root = Root(f.file);
    StreamHandle s;
    ASSERT_EQ(cfOpenStream(root, u"Contents", &s.stream), kCfOk);
    const Bytes raw = ReadAll(path);
    const std::size_t last = 512u * (s.stream->state->chain[8] + 1);
    EXPECT_EQ(std::count(raw.begin() + last + 4251 % 512, raw.begin() + last + 512, 0), 512 - 4251 % 512);
}

TEST(CompoundCrafted, NewSectorsCarryNothingStale)
{
    // Free sectors full of 0xAA: a new stream in sectors and the mini-stream sectors taken
    // from them hold only zeros beside their data.
    const auto path = ScratchCopy("compound/garbage_free_sectors.cfb", "garbage_free.cfb");
    {
        FileHandle f;
        ASSERT_EQ(cfOpen(Wide(path).c_str(), 2, &f.file), kCfOk);
        CfStorage* root = Root(f.file);
        CfStorage* fresh = nullptr;
        ASSERT_EQ(cfCreateStorage(root, u"Fresh", &fresh), kCfOk);
        ASSERT_EQ(WriteStream(fresh, u"Large", Bytes(4100, 0x11)), kCfOk);
        for (int i = 0; i < 10; ++i)
            ASSERT_EQ(WriteStream(fresh, u"s" + Wide(std::to_string(i)), Bytes(100, 0x22)), kCfOk);
        ASSERT_EQ(f.Close(), kCfOk);
    }
    FileHandle f;
    ASSERT_EQ(cfOpen(Wide(path).c_str(), 0, &f.file), kCfOk);
    const Bytes raw = ReadAll(path);
    auto clean = [&raw](std::uint32_t sector) {
        const auto begin = raw.begin() + 512 * (static_cast<std::size_t>(sector) + 1);
        return std::count(begin, begin + 512, 0xAA) == 0;
    };
    // The new stream's sectors: its data, then zeros.
    std::vector<CfStorage*> opened;
    int status = 0;
    CfStorage* fresh = OpenPath(f.file, "Fresh", &status, &opened);
    ASSERT_NE(fresh, nullptr);
    StreamHandle large;
    ASSERT_EQ(cfOpenStream(fresh, u"Large", &large.stream), kCfOk);
    ASSERT_EQ(large.stream->state->chainLength, 9u);
    for (std::uint32_t i = 0; i < 9; ++i)
        EXPECT_TRUE(clean(large.stream->state->chain[i])) << "Large, sector " << i;
    // The mini stream grew from two sectors to four for the twenty new mini sectors.
    const CfDirEntry* rootEntry = CfDirAt(&f.file->dir, 0);
    std::uint32_t* chain = nullptr;
    std::uint32_t length = 0;
    ASSERT_EQ(CfTableChain(f.file->fat, rootEntry->startSector, (rootEntry->size + 511) / 512, &chain, &length), kCfOk);
    EXPECT_EQ(length, 4u);
    for (std::uint32_t i = 2; i < length; ++i)
        EXPECT_TRUE(clean(chain[i])) << "mini stream, sector " << i;
    std::free(chain);
    Bytes data;
    ASSERT_EQ(ReadStream(f.file, "Fresh/Large", &data), kCfOk);
    EXPECT_TRUE(data == Bytes(4100, 0x11));
    ASSERT_EQ(ReadStream(f.file, "Fresh/s9", &data), kCfOk);
    EXPECT_TRUE(data == Bytes(100, 0x22));
    cfCloseStream(&large.stream);
    cfCloseStorage(&opened[0]);
}

#ifndef _WIN32
TEST(CompoundFile, WriteFailuresAreReported)
{
    // A file-size limit makes the file system refuse writes past 8 KB: the write, the stream's
    // close (its last sector) and the file's close (its metadata) each tell so.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    int write = -1, streamClose = -1, fileClose = -1;
    std::uint32_t n = 100000;
    {
        FileHandle f;
        if (cfCreate(Wide(Scratch("limited.cfb")).c_str(), 2, &f.file, 0) == kCfOk) {
            CfStorage* root = Root(f.file);
            CfStream* s = nullptr;
            cfCreateStream(root, u"S", &s);
            const Bytes data(n, 1);
            write = cfWrite(s, data.data(), &n);
            streamClose = cfCloseStream(&s);
            fileClose = f.Close();
        }
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(write, kCfIoError);
    EXPECT_LT(n, 100000u);
    EXPECT_EQ(streamClose, kCfIoError);
    EXPECT_EQ(fileClose, kCfIoError);
}
#endif
