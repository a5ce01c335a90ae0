// V8 design files: new files from the seeds, loading and saving compound files, the element
// streams, model storages, and the faults of the stored layout that the reader and writer
// guard against. The files it saves are also handed to independent readers
// (check_design_files.py reads dgn_out/).
#include "ByteArray.h"
#include "DesignFile.h"
#include "EntityContainer.h"
#include "Library.h"
#include "elements/ApplicationElement.h"
#include "elements/UnknownElement.h"
#include "storage/CompoundFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "design_file_support.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using V8Test = DesignFileTest;

std::filesystem::path OutputFile(const std::string& name)
{
    const auto dir = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(dir);
    return dir / name;
}

struct FileDeleter {
    void operator()(CDesignFile* f) const { delete f; }
};
using FilePtr = std::unique_ptr<CDesignFile, FileDeleter>;

FilePtr Open(const std::filesystem::path& path) { return FilePtr(OpenDesignFileW(cftest::Wide(path).c_str())); }

std::vector<IElement*> Elements(CDesignFile* f)
{
    std::vector<IElement*> out;
    const IEntity* end = f->ChildList();
    for (IEntity* e = f->Next(); e && e != end; e = e->Next()) {
        if (e->GetKind() == kEntityElement)
            out.push_back(static_cast<IElement*>(e));
    }
    return out;
}

std::uint64_t IdOf(const IElement* e)
{
    std::uint64_t id = 0;
    e->GetElementId(&id);
    return id;
}

// The elements as the library read them, one line each (list, model, type, level, ID, record
// size), for the independent walker (check_design_files.py).
void WriteRecordList(CDesignFile* f, const std::string& name)
{
    std::ofstream out(OutputFile(name + ".records.txt"));
    for (IElement* e : Elements(f)) {
        std::uint64_t id = 0;
        e->GetElementId(&id);
        out << e->GetList() << ' ' << e->GetModel() << ' ' << e->GetType() << ' ' << e->GetLevel() << ' ' << id << ' ' << e->GetRecordSize() << '\n';
    }
}

// The parts of a V8 file that most tests share, to be changed by each.
struct V8Parts {
    Bytes header = HeaderBlockData(500, false, 1, 2);
    std::vector<Bytes> fileLevel;
    std::vector<Bytes> graphic;
    std::vector<Bytes> control;
    bool modelBlock = true;
    std::vector<std::pair<std::string, Bytes>> extra;

    std::vector<std::pair<std::string, Bytes>> Items() const
    {
        std::vector<std::pair<std::string, Bytes>> items = {{"Dgn~H", HeaderStream(header)}};
        if (!fileLevel.empty())
            items.push_back({"Dgn^Nm/$1", ElementStream(fileLevel)});
        else
            items.push_back({"Dgn^Nm/", {}});
        items.push_back({"Dgn-Md/#000000/", {}});
        if (!graphic.empty())
            items.push_back({"Dgn-Md/#000000/Dgn^G/$1", ElementStream(graphic)});
        if (!control.empty())
            items.push_back({"Dgn-Md/#000000/Dgn^C/$1", ElementStream(control)});
        if (modelBlock)
            items.push_back({"Dgn-Md/#000000/Dgn~Mh", Deflate(ModelBlock(ModelHeaderRecord()))});
        items.insert(items.end(), extra.begin(), extra.end());
        return items;
    }
};

std::filesystem::path Write(const std::string& name, const std::vector<std::pair<std::string, Bytes>>& items)
{
    const auto path = cftest::Scratch(name);
    EXPECT_TRUE(WriteCompound(path, items)) << name;
    return path;
}

// A property set with one section of one property (the code page), under a format identifier.
Bytes PropertySet(const Bytes& formatId)
{
    Bytes b;
    Put16(b, 0xFFFE);
    Put16(b, 0);
    Put32(b, 0x00020006);
    b.resize(b.size() + 16, 0);
    Put32(b, 1);
    b = Cat(b, formatId);
    Put32(b, 48);
    Put32(b, 24);   // section size
    Put32(b, 1);    // properties
    Put32(b, 1);    // the code page ...
    Put32(b, 16);   // ... at section offset 16
    Put32(b, 2);    // VT_I2
    Put16(b, 1252);
    Put16(b, 0);
    return b;
}

const Bytes kSummaryId = {0xe0, 0x85, 0x9f, 0xf2, 0xf9, 0x4f, 0x68, 0x10, 0xab, 0x91, 0x08, 0x00, 0x2b, 0x27, 0xb3, 0xd9};
const Bytes kDocSummaryId = {0x02, 0xd5, 0xcd, 0xd5, 0x9c, 0x2e, 0x1b, 0x10, 0x93, 0x97, 0x08, 0x00, 0x2b, 0x2c, 0xf9, 0xae};

// A record of type 88 (no class) with an ID, on a level.
Bytes Plain(std::uint64_t id, std::int32_t level = 3, std::size_t body = 40) { return V8Record(88, 0, level, id, Counting(body), {}); }

} // namespace

TEST_F(V8Test, NewFilesFromTheSeeds)
{
    struct Case {
        bool threeD;
        std::size_t elements;
        std::uint64_t nextId;
    };
    for (const Case& c : {Case{false, 32, 100}, Case{true, 52, 148}}) {
        SCOPED_TRACE(c.threeD ? "3-D" : "2-D");
        FilePtr f(new CDesignFile);
        ASSERT_TRUE(f->CreateNewV8(u"C:\\new.dgn", c.threeD));
        EXPECT_EQ(f->GetStatus(), 0);
        EXPECT_EQ(f->IsLoaded(), 1);
        EXPECT_EQ(f->Is3d(), c.threeD);
        const std::vector<IElement*> elements = Elements(f.get());
        ASSERT_EQ(elements.size(), c.elements);
        EXPECT_EQ(elements[0]->GetType(), 66);
        EXPECT_EQ(elements[1]->GetType(), 9);
        EXPECT_EQ(f->PeekNextElementId(), c.nextId);
        // The blocks made without seeds, and from them.
        ASSERT_NE(f->GetSBlock(), nullptr);
        EXPECT_EQ(f->GetSBlock()->Size(), 208u);
        EXPECT_EQ(f->GetSBlock()->ByteAt(207), 0xFF);
        EXPECT_EQ(f->GetSummaryInfo()->Size(), 22304u);
        EXPECT_EQ(f->GetHeaderBlock()->Size(), 20u + 1576u);
        EXPECT_EQ(f->GetMfBlock()->Size(), 276u);
        EXPECT_EQ(f->GetDocSummaryInfo(), nullptr);
        EXPECT_EQ(f->GetMixBlock(), nullptr);
        // Model 0 from its seed: the block and its 580-byte header record.
        CApplicationElement* model = f->GetModelHeader(0);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(static_cast<IElement*>(model), elements[0]);
        EXPECT_EQ(model->GetRecordSize(), 580u);
        EXPECT_EQ(model->GetSizeWords(), 288u);
        EXPECT_EQ(model->GetAttrOffsetWords(), 248u);
        EXPECT_EQ(f->GetModelBlock(0)->Size(), 4096u + 580u);
        EXPECT_EQ(f->GetModelBlock(0)->ByteAt(0), 1);
        EXPECT_EQ(f->IsModel3d(0), c.threeD);
        char text[256];
        f->GetModelName(0, text);
        EXPECT_STREQ(text, "Default");
        f->GetMasterUnitName(0, text);
        EXPECT_STREQ(text, "mu");
        EXPECT_DOUBLE_EQ(f->GetUnitsPerMaster(0), 10000.0);
        // The file-level records are list 0 and hang in their complex headers: the view group
        // holds its eight views, each with its level mask.
        EXPECT_EQ(elements[1]->GetList(), 0);
        IEntity* group = nullptr;
        for (IElement* e : elements) {
            if (e->GetType() == 97)
                group = e;
        }
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->ChildCount(), 16);
        int views = 0;
        for (IEntity* e = group->Next(); e != group->ChildList(); e = e->SubtreeEnd()->Next()) {
            EXPECT_EQ(e->GetType(), 98);
            EXPECT_EQ(e->ChildCount(), 1);
            ++views;
        }
        EXPECT_EQ(views, 8);
        // Application elements keep their class's list.
        EXPECT_EQ(elements.back()->GetType(), 66);
        EXPECT_EQ(elements.back()->GetList(), 2);
    }
}

TEST_F(V8Test, NewModelsComeFromTheSeed)
{
    FilePtr f(CreateDesignFile("C:\\x.dgn"));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->NewModel(true), 1);
    EXPECT_EQ(f->GetCurrentModel(), 1);
    EXPECT_TRUE(f->IsModel3d(1));
    char name[256];
    f->GetModelName(1, name);
    EXPECT_STREQ(name, "Default");
    EXPECT_EQ(f->GetModelHeader(1)->GetModel(), 1);
    for (int i = 2; i < kMaxModels; ++i)
        ASSERT_EQ(f->NewModel(false), i);
    EXPECT_EQ(f->NewModel(false), -1);
    EXPECT_EQ(f->GetModelCount(), kMaxModels);
}

// New files saved, reopened and saved again: the layout the format has, and records that
// survive a round trip byte for byte.
TEST_F(V8Test, NewFilesSaveAndReload)
{
    for (bool threeD : {false, true}) {
        SCOPED_TRACE(threeD ? "3-D" : "2-D");
        const auto path = OutputFile(threeD ? "new_3d.dgn" : "new_2d.dgn");
        FilePtr f(new CDesignFile);
        ASSERT_TRUE(f->CreateNewV8(nullptr, threeD));
        EXPECT_EQ(std::u16string(f->GetFilePath()), u"(work).dgn");
        ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
        const CompoundTree tree = ReadCompound(path);
        for (const char* name : {"Dgn~H", "Dgn~S", "Dgn~Mf", "\x05SummaryInformation", "DgnTk", "Dgn^Nm/$1", "Dgn-Md/#000000/Dgn^G/",
                                 "Dgn-Md/#000000/Dgn^C/$1", "Dgn-Md/#000000/Dgn~Mh"})
            EXPECT_TRUE(tree.Has(name)) << name;
        for (const char* name : {"Dgn^Ix/", "\x05" "DocumentSummaryInformation", "Dgn-Md/#000000/Dgn^G/$1"})
            EXPECT_FALSE(tree.Has(name)) << name;
        const Bytes token = tree.At("DgnTk");
        ASSERT_EQ(token.size(), 64u);
        EXPECT_EQ(token[0], '~');
        EXPECT_EQ(token[31], 0);
        EXPECT_EQ(token[32], '.');
        EXPECT_EQ(Inflate(Bytes(tree.At("Dgn~H").begin() + 20, tree.At("Dgn~H").end())).size(), 1576u);
        EXPECT_EQ(tree.At("Dgn~S"), Bytes(208, 0xFF));
        const std::vector<Bytes> fileLevel = StorageRecords(tree, "Dgn^Nm");
        EXPECT_EQ(fileLevel.size(), threeD ? 50u : 29u);
        EXPECT_EQ(StorageRecords(tree, "Dgn-Md/#000000/Dgn^C").size(), threeD ? 1u : 2u);

        FilePtr again = Open(path);
        ASSERT_NE(again, nullptr);
        WriteRecordList(again.get(), path.filename().string());
        EXPECT_EQ(Elements(again.get()).size(), Elements(f.get()).size());
        EXPECT_EQ(again->PeekNextElementId(), f->PeekNextElementId());
        EXPECT_EQ(again->Is3d(), threeD);
        ASSERT_NE(again->GetModelHeader(0), nullptr);
        EXPECT_EQ(again->GetModelBlock(0)->Size(), 4096u + 580u);
        const auto second = OutputFile(threeD ? "new_3d_again.dgn" : "new_2d_again.dgn");
        ASSERT_EQ(again->SaveAs(cftest::Wide(second).c_str(), 1), 1);
        const CompoundTree tree2 = ReadCompound(second);
        EXPECT_EQ(StorageRecords(tree2, "Dgn^Nm"), fileLevel);
        EXPECT_EQ(StorageRecords(tree2, "Dgn-Md/#000000/Dgn^C"), StorageRecords(tree, "Dgn-Md/#000000/Dgn^C"));
        EXPECT_EQ(Inflate(tree2.At("Dgn-Md/#000000/Dgn~Mh")), Inflate(tree.At("Dgn-Md/#000000/Dgn~Mh")));
        EXPECT_EQ(tree2.At("\x05SummaryInformation"), tree.At("\x05SummaryInformation"));
    }
}

// A file with every kind of record and block, loaded and saved: each record, block and header
// field comes back as it was.
TEST_F(V8Test, RecordsAndBlocksSurviveARoundTrip)
{
    V8Parts parts;
    // File-level: a plain element without a class (list 0 by its storage), application data,
    // a table of two entries.
    const Bytes table = V8Record(96, 0x2400, 5, 510, Cat(Bytes{2, 0, 0, 0}, Counting(12)), {});
    const Bytes entry1 = V8Record(95, 0x4400, 5, 511, Counting(20), StringLinkage(1, "one"));
    const Bytes entry2 = V8Record(95, 0x4400, 5, 512, Counting(24), {});
    parts.fileLevel = {Plain(505), ApplicationDataRecord(20, 30), table, entry1, entry2};
    // A complex header of three components, type 57 and 56 data, an element whose record tag
    // starts with 0x7F.
    Bytes tagged = Plain(690);
    tagged[0] = 0x7F;
    Bytes a = Plain(601), b = Plain(602), c = Plain(603);
    for (Bytes* r : {&a, &b, &c})
        (*r)[7] |= 0x40; // complex component
    parts.graphic = {UnknownComplexRecord(), a, b, c, Type57Record(1, 88), Type56Record(40, StringLinkage(1, "x")), tagged,
                     Plain(700)};
    parts.control = {ApplicationDataRecord(26, 50)};
    parts.extra = {
        {"Dgn~S", Counting(300, 9)},
        {"Dgn~Mf", Deflate(Counting(276, 1))},
        {"\x05SummaryInformation", PropertySet(kSummaryId)},
        {"\x05" "DocumentSummaryInformation", PropertySet(kDocSummaryId)},
        {"Dgn^Ix/Dgn~Mix", Deflate(Counting(1000, 4))},
    };
    const auto source = Write("roundtrip_source.dgn", parts.Items());
    FilePtr f = Open(source);
    ASSERT_NE(f, nullptr);
    // The highest ID read (the complex header's) over the header's 500.
    EXPECT_EQ(f->PeekNextElementId(), 4243u);
    EXPECT_EQ(f->GetSettingA(), 1);
    EXPECT_EQ(f->GetSettingB(), 2);
    const std::vector<IElement*> elements = Elements(f.get());
    ASSERT_EQ(elements.size(), 5u + 1u + 8u + 1u);
    EXPECT_EQ(elements[0]->GetList(), 0) << "a file-level element without a class keeps its storage's list";
    EXPECT_EQ(elements[2]->ChildCount(), 2);
    EXPECT_NE(elements[2]->ChildList(), nullptr);

    const auto saved = OutputFile("roundtrip.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
    FilePtr reread = Open(saved);
    ASSERT_NE(reread, nullptr);
    WriteRecordList(reread.get(), "roundtrip.dgn");
    const CompoundTree before = ReadCompound(source);
    const CompoundTree after = ReadCompound(saved);
    for (const char* storage : {"Dgn^Nm", "Dgn-Md/#000000/Dgn^G", "Dgn-Md/#000000/Dgn^C"}) {
        const std::vector<Bytes> was = StorageRecords(before, storage);
        const std::vector<Bytes> is = StorageRecords(after, storage);
        ASSERT_EQ(is.size(), was.size()) << storage;
        for (std::size_t i = 0; i < was.size(); ++i)
            EXPECT_EQ(is[i], was[i]) << storage << " record " << i;
    }
    EXPECT_EQ(Inflate(after.At("Dgn-Md/#000000/Dgn~Mh")), ModelBlock(ModelHeaderRecord()));
    for (const char* plain : {"Dgn~S", "\x05SummaryInformation", "\x05" "DocumentSummaryInformation"})
        EXPECT_EQ(after.At(plain), before.At(plain)) << plain;
    EXPECT_EQ(Inflate(after.At("Dgn~Mf")), Counting(276, 1));
    EXPECT_EQ(Inflate(after.At("Dgn^Ix/Dgn~Mix")), Counting(1000, 4));
    // The header block: unchanged but for the fields the library writes.
    const Bytes headerOut = Inflate(Bytes(after.At("Dgn~H").begin() + 20, after.At("Dgn~H").end()));
    Bytes expected = parts.header;
    expected[296] = 4243 & 0xFF;
    expected[297] = 4243 >> 8;
    EXPECT_EQ(headerOut, expected);
    EXPECT_EQ(Bytes(after.At("Dgn~H").begin(), after.At("Dgn~H").begin() + 20), Bytes(before.At("Dgn~H").begin(), before.At("Dgn~H").begin() + 20));
}

// File-level elements of classes that would put them in a model's storages stay in "Dgn^Nm",
// also in a file without any model.
TEST_F(V8Test, FileLevelElementsStayFileLevel)
{
    const std::vector<Bytes> records = {Plain(1), UnknownComplexRecord(), Plain(2), Plain(3), Plain(4), ApplicationDataRecord(20, 12)};
    FilePtr f = Open(Write("file_level.dgn", {{"Dgn~H", HeaderStream(HeaderBlockData(0, false))}, {"Dgn^Nm/$1", ElementStream(records)}}));
    ASSERT_NE(f, nullptr);
    for (IElement* e : Elements(f.get()))
        EXPECT_EQ(e->GetList(), 0);
    const auto saved = cftest::Scratch("file_level_saved.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
    const CompoundTree tree = ReadCompound(saved);
    EXPECT_EQ(StorageRecords(tree, "Dgn^Nm").size(), records.size());
    EXPECT_EQ(StorageRecords(tree, "Dgn^Nm")[0], records[0]);
    EXPECT_EQ(StorageRecords(tree, "Dgn^Nm")[5], records[5]);
}

TEST_F(V8Test, NextIdIsTheHeadersOrAboveTheHighestId)
{
    for (std::uint64_t highest : {700u, 300u}) {
        V8Parts parts;
        parts.fileLevel = {Plain(200), Plain(highest), Plain(100)};
        FilePtr f = Open(Write("ids.dgn", parts.Items()));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->PeekNextElementId(), highest > 500 ? highest + 1 : 500u);
    }
}

// How many records a stream holds and which streams an element storage has.
TEST_F(V8Test, ElementStreamsAndTheirCounts)
{
    const std::vector<Bytes> seven = {Plain(1), Plain(2), Plain(3), Plain(4), Plain(5), Plain(6), Plain(7)};
    const Bytes second = Plain(2);
    const Bytes cut(second.begin(), second.begin() + 30);
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, Bytes>> streams;
        std::vector<std::uint64_t> ids;
    };
    const std::vector<Case> cases = {
        {"count at 12", {{"Dgn^Nm/$1", ElementStream(seven, 0, 3)}}, {1, 2, 3}},
        {"low byte at 0 when 12 holds 0", {{"Dgn^Nm/$1", ElementStream(seven, 0x105, 0)}}, {1, 2, 3, 4, 5}},
        {"a missing $2 ends the storage", {{"Dgn^Nm/$1", ElementStream({Plain(1)})}, {"Dgn^Nm/$3", ElementStream({Plain(3)}, 1, 1, 3)}}, {1}},
        {"zero counts pass over $1", {{"Dgn^Nm/$1", ElementStream({Plain(1)}, 0, 0)}, {"Dgn^Nm/$2", ElementStream({Plain(2)}, 1, 1, 2)}}, {2}},
        {"a stream shorter than its header", {{"Dgn^Nm/$1", Bytes{1, 0, 0}}, {"Dgn^Nm/$2", ElementStream({Plain(2)}, 1, 1, 2)}}, {2}},
        {"two zlib streams back to back", {{"Dgn^Nm/$1", Cat(ElementStream({Plain(1)}, 2, 2), Deflate(Plain(2)))}}, {1, 2}},
        {"deleted records are dropped", {{"Dgn^Nm/$1", ElementStream({Plain(1), V8Record(88, 0x8000, 3, 2, Counting(8), {}), Plain(3)})}}, {1, 3}},
        {"a last record cut short", {{"Dgn^Nm/$1", ElementStream({Plain(1), cut})}}, {1}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, Bytes>> items = {{"Dgn~H", HeaderStream(HeaderBlockData(0, false))}};
        items.insert(items.end(), c.streams.begin(), c.streams.end());
        FilePtr f = Open(Write("streams.dgn", items));
        ASSERT_NE(f, nullptr) << c.what;
        std::vector<std::uint64_t> ids;
        for (IElement* e : Elements(f.get()))
            ids.push_back(IdOf(e));
        EXPECT_EQ(ids, c.ids) << c.what;
    }
}

// A record whose stated size cannot be a record, or that its class refuses, ends the stream
// as truncation does: what came before stays, nothing after it is read.
TEST_F(V8Test, BrokenRecordsEndTheirStream)
{
    Bytes tooShort = Plain(2);
    tooShort[8] = 10, tooShort[9] = tooShort[10] = tooShort[11] = 0; // 24 bytes: less than a header
    Bytes huge = Plain(2);
    huge[8] = huge[9] = huge[10] = 0xFF, huge[11] = 0x7F; // 2^32 bytes: more than any buffer
    Bytes refused = Plain(2);
    refused[12] = 40; // attribute offset past the size
    struct Case {
        const char* what;
        Bytes bad;
    };
    for (const Case& c : {Case{"under 36 bytes", tooShort}, Case{"beyond the buffer", huge}, Case{"refused by its class", refused}}) {
        std::vector<std::pair<std::string, Bytes>> items = {
            {"Dgn~H", HeaderStream(HeaderBlockData(0, false))},
            {"Dgn^Nm/$1", ElementStream({Plain(1), c.bad, Plain(3)}, 3, 3)},
            {"Dgn^Nm/$2", ElementStream({Plain(4)}, 1, 1, 2)},
        };
        FilePtr f = Open(Write("broken.dgn", items));
        ASSERT_NE(f, nullptr) << c.what;
        std::vector<std::uint64_t> ids;
        for (IElement* e : Elements(f.get()))
            ids.push_back(IdOf(e));
        EXPECT_EQ(ids, (std::vector<std::uint64_t>{1, 4})) << c.what;
    }
}

// Only "Dgn~H" is required; it must inflate to its end and hold every field read from it.
TEST_F(V8Test, TheHeaderStreamDecidesTheLoad)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, Bytes>> items;
        bool loads;
    };
    const Bytes cut = HeaderStream(HeaderBlockData(0, false));
    const std::vector<Case> cases = {
        {"no Dgn~H", {{"Dgn~S", Counting(10)}}, false},
        {"Dgn~H of 336 bytes", {{"Dgn~H", HeaderStream(HeaderBlockData(0, false, 0, 0, 316))}}, true},
        {"Dgn~H under 336 bytes", {{"Dgn~H", HeaderStream(HeaderBlockData(0, false, 0, 0, 315))}}, false},
        {"Dgn~H cut inside its zlib stream", {{"Dgn~H", Bytes(cut.begin(), cut.end() - 4)}}, false},
        {"Dgn~H only", {{"Dgn~H", cut}}, true},
    };
    for (const Case& c : cases) {
        FilePtr f = Open(Write("header.dgn", c.items));
        EXPECT_EQ(f != nullptr, c.loads) << c.what;
        if (f) {
            EXPECT_EQ(f->GetMixBlock()->Size(), 0u) << "an empty Dgn~Mix block after any load";
            EXPECT_EQ(f->GetModelCount(), 0);
        }
    }
    // An empty file, or one of 10 bytes, is no design file.
    const auto empty = cftest::Scratch("empty.dgn");
    cftest::WriteAll(empty, {});
    EXPECT_FALSE(Open(empty));
    cftest::WriteAll(empty, Counting(10));
    EXPECT_FALSE(Open(empty));
    EXPECT_EQ(OpenDesignFileW(u"/no/such/file.dgn"), nullptr);
    EXPECT_EQ(OpenDesignFile(nullptr), nullptr);
}

TEST_F(V8Test, ModelStoragesAndTheirNames)
{
    const Bytes headerBlock = Deflate(ModelBlock(ModelHeaderRecord()));
    // The names are listed in the order the storage's tree gives (pre-order): here the order
    // they were made in.
    struct Case {
        const char* what;
        std::vector<std::string> names;
        std::vector<int> models; // model numbers of the elements read, in order
        std::vector<int> headers;
    };
    const std::vector<Case> cases = {
        {"decimal", {"#000012", "#000007"}, {12, 7}, {7, 12}},
        {"a hexadecimal name turns the rest hexadecimal", {"#00000a", "#000012"}, {10, 18}, {10, 18}},
        {"numbers past 1023 are skipped", {"#001024", "#000003"}, {3}, {3}},
        {"negative numbers are skipped", {"#-00001", "#000003"}, {3}, {3}},
        {"names of 20 characters or more are skipped", {"#0000000000000000005", "#000003"}, {3}, {3}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<std::string, Bytes>> items = {{"Dgn~H", HeaderStream(HeaderBlockData(0, false))}};
        std::uint64_t id = 1;
        for (const std::string& name : c.names) {
            items.push_back({"Dgn-Md/" + name + "/Dgn~Mh", headerBlock});
            items.push_back({"Dgn-Md/" + name + "/Dgn^G/$1", ElementStream({Plain(id++)})});
        }
        FilePtr f = Open(Write("models.dgn", items));
        ASSERT_NE(f, nullptr) << c.what;
        std::vector<int> models, headers;
        for (IElement* e : Elements(f.get())) {
            if (e->GetType() == 88)
                models.push_back(e->GetModel());
        }
        int cursor = 0;
        while (CApplicationElement* h = f->NextModel(&cursor))
            headers.push_back(h->GetModel());
        EXPECT_EQ(models, c.models) << c.what;
        EXPECT_EQ(headers, c.headers) << c.what;
    }
}

// A model block that holds no whole header record gives no header; its elements are read.
TEST_F(V8Test, ModelBlocksWithoutAWholeRecord)
{
    const Bytes record = ModelHeaderRecord();
    struct Case {
        const char* what;
        Bytes block;
    };
    const Bytes whole = ModelBlock(record);
    Bytes wrongType = whole;
    wrongType[4096 + 16] = 31; // level 31: application data, no model header
    for (const Case& c : {Case{"no Dgn~Mh", {}}, Case{"4096 bytes only", Bytes(4096, 1)},
                          Case{"a record cut short", Bytes(whole.begin(), whole.end() - 10)},
                          Case{"no model header record", wrongType}}) {
        std::vector<std::pair<std::string, Bytes>> items = {{"Dgn~H", HeaderStream(HeaderBlockData(0, false))},
                                                            {"Dgn-Md/#000002/Dgn^G/$1", ElementStream({Plain(1)})}};
        if (!c.block.empty())
            items.push_back({"Dgn-Md/#000002/Dgn~Mh", Deflate(c.block)});
        FilePtr f = Open(Write("blocks.dgn", items));
        ASSERT_NE(f, nullptr) << c.what;
        EXPECT_EQ(f->GetModelHeader(2), nullptr) << c.what;
        const std::vector<IElement*> elements = Elements(f.get());
        ASSERT_EQ(elements.size(), 1u) << c.what;
        EXPECT_EQ(elements[0]->GetModel(), 2) << c.what;
    }
}

// Plain streams are read whole, however long, and written back whole.
TEST_F(V8Test, LongPlainStreamsAreKeptWhole)
{
    V8Parts parts;
    parts.extra = {{"Dgn~S", Counting(200000, 3)}, {"Dgn~Mf", Counting(150000, 5)}};
    FilePtr f = Open(Write("long.dgn", parts.Items()));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->GetSBlock()->Size(), 200000u);
    // A plain "Dgn~Mf" is taken as it is and written back deflated.
    EXPECT_EQ(f->GetMfBlock()->Size(), 150000u);
    const auto saved = cftest::Scratch("long_saved.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
    const CompoundTree tree = ReadCompound(saved);
    EXPECT_EQ(tree.At("Dgn~S"), Counting(200000, 3));
    EXPECT_EQ(Inflate(tree.At("Dgn~Mf")), Counting(150000, 5));
}

// Complex headers take the records after them as components, within their storage.
TEST_F(V8Test, ComplexHeadersTakeTheirComponents)
{
    auto header = [](std::uint32_t count, std::uint64_t id) {
        Bytes body;
        Put32(body, count);
        body = Cat(body, Counting(8));
        return V8Record(77, 0x2000, 3, id, body, {});
    };
    struct Case {
        const char* what;
        std::vector<Bytes> records;
        std::vector<int> owners; // per element: the index of its owner among the elements, -1 the file
        std::vector<int> counts;
    };
    const std::vector<Case> cases = {
        {"three components", {header(3, 1), Plain(2), Plain(3), Plain(4), Plain(5)}, {-1, 0, 0, 0, -1}, {3, 0, 0, 0, 0}},
        {"a count past the end", {header(5, 1), Plain(2), Plain(3)}, {-1, -1, -1}, {0, 0, 0}},
        {"nested", {header(3, 1), header(1, 2), Plain(3), Plain(4)}, {-1, 0, 1, 0}, {3, 1, 0, 0}},
        {"a header last keeps its own components", {header(2, 1), Plain(2), header(1, 3), Plain(4)}, {-1, 0, -1, 2}, {1, 0, 1, 0}},
    };
    for (const Case& c : cases) {
        // The last storage's components never reach into the model storage read after it.
        std::vector<std::pair<std::string, Bytes>> items = {{"Dgn~H", HeaderStream(HeaderBlockData(0, false))},
                                                            {"Dgn^Nm/$1", ElementStream(c.records)},
                                                            {"Dgn-Md/#000000/Dgn^G/$1", ElementStream({Plain(90)})}};
        FilePtr f = Open(Write("complex.dgn", items));
        ASSERT_NE(f, nullptr) << c.what;
        std::vector<IElement*> elements = Elements(f.get());
        ASSERT_EQ(elements.size(), c.records.size() + 1) << c.what;
        EXPECT_EQ(elements.back()->Owner(), f.get()) << c.what;
        for (std::size_t i = 0; i < c.owners.size(); ++i) {
            const IEntity* owner = c.owners[i] < 0 ? static_cast<IEntity*>(f.get()) : elements[static_cast<std::size_t>(c.owners[i])];
            EXPECT_EQ(elements[i]->Owner(), owner) << c.what << " element " << i;
            EXPECT_EQ(elements[i]->ChildCount(), c.counts[i]) << c.what << " element " << i;
        }
    }
}

// The element buffer takes the records of the whole file; a record that ends right at its end
// still goes into the same stream, and a record whose tag starts with 0x7F is written.
TEST_F(V8Test, RecordsFillTheBufferToItsEnd)
{
    FilePtr f(CreateDesignFile(nullptr));
    ASSERT_NE(f, nullptr);
    // Only two file-level elements, 2 MB together: the default buffer, filled exactly.
    std::vector<IElement*> topLevel;
    for (IElement* e : Elements(f.get())) {
        if (e->Owner() == f.get())
            topLevel.push_back(e);
    }
    for (IElement* e : topLevel)
        delete e;
    ASSERT_TRUE(Elements(f.get()).empty());
    Bytes tagged = Plain(900, 3, 1000 - 36);
    tagged[0] = 0x7F;
    const Bytes big = V8Record(88, 0, 3, 901, Counting((2u << 20) - 1000 - 36), {});
    ASSERT_EQ(tagged.size() + big.size(), 2u << 20);
    const Bytes* both[] = {&tagged, &big};
    for (const Bytes* r : both) {
        IElement* e = nullptr;
        ASSERT_TRUE(f->CreateElementV8(r->data(), static_cast<std::uint32_t>(r->size()), false, &e));
        e->SetList(0);
    }
    const auto path = cftest::Scratch("exact.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    const CompoundTree tree = ReadCompound(path);
    EXPECT_TRUE(tree.Has("Dgn^Nm/$1"));
    EXPECT_FALSE(tree.Has("Dgn^Nm/$2"));
    EXPECT_EQ(StorageRecords(tree, "Dgn^Nm"), (std::vector<Bytes>{tagged, big}));
    EXPECT_EQ(Get32(tree.At("Dgn^Nm/$1"), 4), 3u) << "the end of the chain was reached";
    EXPECT_EQ(Get32(tree.At("Dgn^Nm/$1"), 12), 2u);
}

// Records beyond the default buffer make it grow: the storage still goes out as one stream.
TEST_F(V8Test, LargeStoragesGrowTheBuffer)
{
    FilePtr f(CreateDesignFile(nullptr));
    ASSERT_NE(f, nullptr);
    for (std::uint64_t id = 900; id < 903; ++id) {
        const Bytes r = V8Record(88, 0, 3, id, Counting(1500000), {});
        IElement* e = nullptr;
        ASSERT_TRUE(f->CreateElementV8(r.data(), static_cast<std::uint32_t>(r.size()), false, &e));
        e->SetList(1);
    }
    const auto path = cftest::Scratch("large.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    const CompoundTree tree = ReadCompound(path);
    EXPECT_FALSE(tree.Has("Dgn-Md/#000000/Dgn^G/$2"));
    EXPECT_EQ(StorageRecords(tree, "Dgn-Md/#000000/Dgn^G").size(), 3u);
    FilePtr again = Open(path);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Elements(again.get()).size(), Elements(f.get()).size());
}

#ifndef _WIN32
// Whatever step of a save the file system refuses (an element stream, a block, the metadata
// written at the close), the save answers 0.
TEST_F(V8Test, SavesThatCannotBeWrittenFail)
{
    FilePtr f(CreateDesignFile(nullptr));
    ASSERT_NE(f, nullptr);
    const auto path = cftest::Scratch("limited.dgn");
    ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    const std::uint64_t whole = std::filesystem::file_size(path);
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::uint64_t> wrongly;
    for (std::uint64_t limit = 512; limit < whole; limit += 512) {
        struct rlimit limited = old;
        limited.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &limited);
        const int saved = f->SaveAs(cftest::Wide(path).c_str(), 1);
        setrlimit(RLIMIT_FSIZE, &old);
        if (saved != 0)
            wrongly.push_back(limit);
    }
    std::signal(SIGXFSZ, previous);
    EXPECT_TRUE(wrongly.empty()) << wrongly.size() << " limits below " << whole << " bytes saved, the first " << wrongly[0];
    ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    EXPECT_TRUE(Open(path));
}
#endif

namespace {

void IgnoreLine(const char*) {}

// Opens a damaged file: when it loads, every element describes itself and the file saves as
// V8 to a file that loads again. A load that fails is fine; a crash or a read outside what was
// read is not (the native build runs this under AddressSanitizer).
void OpenDescribeSaveReopen(const std::filesystem::path& path, const std::string& what)
{
    FilePtr f = Open(path);
    if (!f)
        return;
    for (IElement* e : Elements(f.get()))
        e->Describe(&IgnoreLine);
    const auto saved = cftest::Scratch("cut_saved.dgn");
    if (f->SaveAs(cftest::Wide(saved).c_str(), 1) == 1) {
        EXPECT_NE(Open(saved), nullptr) << what << ": what the library saved, it reads";
    }
}

} // namespace

// Every stream of the stored V8 files cut short: a zlib stream (after its stored header, if
// any) is cut in its inflated bytes and deflated again, so the readers meet records, blocks
// and headers that end early under the counts and sizes that still state them whole.
TEST_F(V8Test, FilesWithAStreamCutShort)
{
    for (const char* name : {"v8_new_2d.dgn", "v8_new_3d.dgn", "v8_roundtrip.dgn", "v8_ogr_3d_saved.dgn"}) {
        const CompoundTree tree = ReadCompound(cftest::Fixture(std::string("design_files/") + name));
        ASSERT_FALSE(tree.order.empty()) << name;
        for (const std::string& stream : tree.order) {
            const Bytes& data = tree.At(stream);
            if (stream.back() == '/' || data.empty())
                continue;
            // How the stream stores its bytes: stored header bytes, then one zlib stream (or
            // plain bytes when none inflates).
            std::size_t stored = 0;
            Bytes inflated;
            for (std::size_t at : {0u, 16u, 20u}) {
                if (data.size() > at && !(inflated = Inflate(Bytes(data.begin() + static_cast<std::ptrdiff_t>(at), data.end()))).empty()) {
                    stored = at;
                    break;
                }
            }
            const bool zlib = !inflated.empty();
            const Bytes& body = zlib ? inflated : data;
            std::vector<std::size_t> cuts = {0, 1, 16, 35, 36, 37, body.size() / 2, body.size() - 1};
            for (std::size_t at = 64; at < body.size(); at += body.size() / 5 + 1)
                cuts.push_back(at);
            for (std::size_t cut : cuts) {
                if (cut >= body.size())
                    continue;
                const Bytes kept(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(cut));
                Bytes damaged = zlib ? Cat(Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(stored)), Deflate(kept)) : kept;
                std::vector<std::pair<std::string, Bytes>> items;
                for (const std::string& p : tree.order)
                    items.push_back({p, p == stream ? damaged : tree.At(p)});
                const auto path = cftest::Scratch("cut.dgn");
                ASSERT_TRUE(WriteCompound(path, items));
                const std::string what = std::string(name) + " " + stream + " cut at " + std::to_string(cut);
                SCOPED_TRACE(what);
                OpenDescribeSaveReopen(path, what);
            }
        }
    }
}
