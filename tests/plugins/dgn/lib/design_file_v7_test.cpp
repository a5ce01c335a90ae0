// V7 design files: the record walk, what ends it and what it skips, element IDs, the V8 side
// that a V7 file gets, and V7 files saved as V8 and read again.
#include "ByteArray.h"
#include "DesignFile.h"
#include "EntityContainer.h"
#include "Library.h"
#include "elements/ApplicationElement.h"
#include "elements/BodyGraphicElement.h"
#include "elements/FileHeaderElement.h"
#include "elements/UnknownElement.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using V7Test = DesignFileTest;

struct FileDeleter {
    void operator()(CDesignFile* f) const { delete f; }
};
using FilePtr = std::unique_ptr<CDesignFile, FileDeleter>;

FilePtr Open(const std::filesystem::path& path) { return FilePtr(OpenDesignFileW(cftest::Wide(path).c_str())); }

FilePtr OpenBytes(const Bytes& data)
{
    const auto path = cftest::Scratch("v7.dgn");
    cftest::WriteAll(path, data);
    return Open(path);
}

std::filesystem::path OutputFile(const std::string& name)
{
    const auto dir = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(dir);
    return dir / name;
}

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

// The types of the elements read from the file's records: the file's top-level elements less
// what reading the file header and the level symbology makes (the view group with its views,
// the levels) and the model header of the V8 side.
std::vector<int> RecordTypes(CDesignFile* f)
{
    std::vector<int> types;
    for (IElement* e : Elements(f)) {
        if (e->Owner() != f || e == static_cast<IElement*>(f->GetModelHeader(0)) || e->GetType() == 97 || e->GetType() == 95)
            continue;
        types.push_back(e->GetType());
    }
    return types;
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

Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out = Cat(out, p);
    return out;
}

} // namespace

TEST_F(V7Test, RecordWalk)
{
    const Bytes header = V7FileHeader(false);
    const Bytes end = {0xFF, 0xFF};
    Bytes deletedHeader = header;
    deletedHeader[1] = 0x89;
    Bytes pastTheEnd = V7Plain(4, 1, 40);
    pastTheEnd[2] = 30; // 64 bytes stated, 44 there
    struct Case {
        const char* what;
        Bytes file;
        bool loads;
        std::vector<int> types;
    };
    const std::vector<Case> cases = {
        {"no end record: read to the end", Concat({header, V7Plain(3, 1, 48), V7Plain(4, 1, 40)}), true, {9, 3, 4}},
        {"an end record", Concat({header, V7Plain(3, 1, 48), end, V7Plain(4, 1, 40)}), true, {9, 3}},
        {"a record of type 0 ends it", Concat({header, V7Plain(3, 1, 48), V7Plain(0, 0, 4), V7Plain(4, 1, 40)}), true, {9, 3}},
        {"type 90 hides the next record", Concat({header, V7Plain(90, 1, 40), V7Plain(3, 1, 48), V7Plain(4, 1, 40)}), true, {9, 90, 4}},
        {"deleted records are skipped", Concat({header, V7Plain(3 | 0x80, 1, 48), V7Plain(4, 1, 40)}), true, {9, 4}},
        {"level names make no element", Concat({header, V7Plain(66, 6, 40), V7Plain(66, 20, 40)}), true, {9, 66}},
        {"a record past the end of the data is not read", Concat({header, V7Plain(3, 1, 48), pastTheEnd}), true, {9, 3}},
        {"a last header cut short", Concat({header, Bytes{1, 3, 20}}), true, {9}},
        {"a deleted file header", Concat({deletedHeader, V7Plain(3, 1, 48)}), false, {}},
        {"no file header first", Concat({V7Plain(3, 1, 48), header}), false, {}},
        {"a file header cut short", Bytes(header.begin(), header.begin() + 38), false, {}},
        {"too short for a header record", Bytes(header.begin(), header.begin() + 3), false, {}},
        {"an empty file", {}, false, {}},
    };
    for (const Case& c : cases) {
        FilePtr f = OpenBytes(c.file);
        EXPECT_EQ(f != nullptr, c.loads) << c.what;
        if (!f)
            continue;
        EXPECT_EQ(f->IsV8(), 0) << c.what;
        EXPECT_EQ(f->IsLoaded(), 1) << c.what;
        EXPECT_EQ(RecordTypes(f.get()), c.types) << c.what;
        for (IElement* e : Elements(f.get()))
            EXPECT_EQ(e->GetModel(), 0) << c.what;
    }
}

// Elements without an ID of their own (the classes that read one from a V7 entity-ID linkage
// keep it) get fresh ones after the walk, in file order, each findable by it.
TEST_F(V7Test, ElementIds)
{
    FilePtr f = OpenBytes(Concat({V7FileHeader(false), V7Plain(3, 1, 48), V7LinkedRecord(), V7Plain(4, 1, 40)}));
    ASSERT_NE(f, nullptr);
    std::vector<std::uint64_t> ids;
    for (IElement* e : Elements(f.get())) {
        std::uint64_t id = 0;
        e->GetElementId(&id);
        ids.push_back(id);
        EXPECT_EQ(f->FindElementById(id), e);
    }
    // The linked line keeps its 321, which raises the next ID; the rest get theirs in file
    // order after it: the file header, its view group with eight views and masks, the model
    // header, the other two records.
    ASSERT_EQ(ids.size(), 22u);
    EXPECT_EQ(ids[20], 321u);
    std::uint64_t next = 322;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i != 20)
            EXPECT_EQ(ids[i], next++) << i;
    }
    EXPECT_EQ(f->PeekNextElementId(), next);
}

// A V7 file gets the V8 blocks and a model-0 header from the seeds; saved as V8 it keeps model
// 0 with its units, stored with a model block.
TEST_F(V7Test, FilesGainAV8SideAndSaveAsV8)
{
    for (const char* name : {"ogr_2d.dgn", "ogr_3d.dgn"}) {
        SCOPED_TRACE(name);
        FilePtr f = Open(cftest::Fixture(std::string("design_files/") + name));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->IsV8(), 0);
        CApplicationElement* model = f->GetModelHeader(0);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->Prev()->Owner()->GetType(), 97) << "made right after the file header's views";
        char text[256];
        f->GetModelName(0, text);
        EXPECT_STREQ(text, "Default");
        f->GetModelDescription(0, text);
        EXPECT_STREQ(text, "Default");
        EXPECT_EQ(f->GetHeaderBlock()->Size(), 20u + 1576u);
        EXPECT_EQ(f->GetSBlock()->Size(), 208u);
        EXPECT_EQ(f->GetSummaryInfo()->Size(), 22304u);
        ASSERT_NE(f->GetModelBlock(0), nullptr);
        EXPECT_EQ(f->GetModelBlock(0)->Size(), 4096u);
        EXPECT_EQ(f->GetModelBlock(0)->ByteAt(0), 1);
        const double units = f->GetUnitsPerMaster(0);

        const std::string saved = std::string(name).substr(0, 6) + "_saved.dgn";
        const auto path = OutputFile(saved);
        ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
        const CompoundTree tree = ReadCompound(path);
        EXPECT_TRUE(tree.Has("Dgn-Md/#000000/Dgn~Mh"));
        const Bytes block = Inflate(tree.At("Dgn-Md/#000000/Dgn~Mh"));
        ASSERT_GT(block.size(), 4096u + 36u);
        EXPECT_EQ(Get32(block, 4096 + 8) * 2 + 4, model->GetRecordSize());

        FilePtr again = Open(path);
        ASSERT_NE(again, nullptr);
        WriteRecordList(again.get(), saved);
        EXPECT_EQ(again->IsV8(), 1);
        ASSERT_NE(again->GetModelHeader(0), nullptr);
        EXPECT_DOUBLE_EQ(again->GetUnitsPerMaster(0), units);
        again->GetModelName(0, text);
        EXPECT_STREQ(text, "Default");
    }
}

// The records as the library walked them, for the independent walker (check_design_files.py).
TEST_F(V7Test, RecordListForTheIndependentWalker)
{
    for (const char* name : {"ogr_2d.dgn", "ogr_3d.dgn", "crafted_v7.dgn"}) {
        FilePtr f = Open(cftest::Fixture(std::string("design_files/") + name));
        ASSERT_NE(f, nullptr) << name;
        std::ofstream out(OutputFile(std::string(name) + ".records.txt"));
        for (IElement* e : Elements(f.get())) {
            // The drawn classes keep no record length: -1 (the walker compares type and level).
            std::int64_t bytes = -1;
            if (auto* unknown = dynamic_cast<CUnknownElement*>(e))
                bytes = unknown->GetPayload().Size();
            else if (auto* header = dynamic_cast<CFileHeaderElement*>(e))
                bytes = header->GetV7RecordBytes();
            else if (!dynamic_cast<IBodyGraphicElement*>(e))
                continue;
            out << e->GetType() << ' ' << e->GetLevel() << ' ' << bytes << '\n';
        }
        EXPECT_TRUE(out.good());
    }
}

namespace {

void IgnoreLine(const char*) {}

} // namespace

// V7 files cut anywhere: what loads describes every element and saves as V8 to a file that
// loads again; nothing is read past the end (the native build runs this under
// AddressSanitizer).
TEST_F(V7Test, FilesCutShort)
{
    for (const char* name : {"ogr_2d.dgn", "ogr_3d.dgn", "crafted_v7.dgn", "palette.dgn"}) {
        const Bytes whole = cftest::ReadAll(cftest::Fixture(std::string("design_files/") + name));
        ASSERT_GT(whole.size(), 4u) << name;
        const std::size_t headerBytes = 4 + 2 * static_cast<std::size_t>(whole[2] | whole[3] << 8);
        // Through the file header, its views and the first records every 37 bytes, then in
        // longer steps; and either side of the header's end.
        std::vector<std::size_t> cuts = {headerBytes - 1, headerBytes};
        for (std::size_t cut = 1; cut < whole.size(); cut += cut < 1600 ? 37 : 263)
            cuts.push_back(cut);
        for (std::size_t cut : cuts) {
            SCOPED_TRACE(std::string(name) + " cut at " + std::to_string(cut));
            FilePtr f = OpenBytes(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            EXPECT_EQ(f != nullptr, cut >= headerBytes);
            if (!f)
                continue;
            for (IElement* e : Elements(f.get()))
                e->Describe(&IgnoreLine);
            const auto saved = cftest::Scratch("v7_cut_saved.dgn");
            ASSERT_EQ(f->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
            EXPECT_NE(Open(saved), nullptr);
        }
    }
}
