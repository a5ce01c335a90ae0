// The file-level elements: levels and level masks, views, the file header, tables, group
// data and DgnStore elements, reference attachments; and V7 files read through them (the
// fixtures ogr2ogr wrote) before and after a V8 save.
#include "ByteArray.h"
#include "DesignFile.h"
#include "DgnString.h"
#include "ElementFactory.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "Library.h"
#include "TransformHelper.h"
#include "linkages/LinkageText.h"
#include "elements/ApplicationElement.h"
#include "elements/DgnStoreComponent.h"
#include "elements/DgnStoreHeader.h"
#include "elements/FileHeaderElement.h"
#include "elements/FontTableEntry.h"
#include "elements/GroupDataElement.h"
#include "elements/LevelEntryElement.h"
#include "elements/LevelMaskElement.h"
#include "elements/LevelTableHeader.h"
#include "elements/LineStyleDefEntry.h"
#include "elements/LineStyleNameEntry.h"
#include "elements/ReferenceAttachment.h"
#include "elements/TableEntryElement.h"
#include "elements/TableHeaderElement.h"
#include "elements/ViewElement.h"
#include "elements/UnknownElement.h"
#include "elements/ViewElement.h"
#include "elements/ViewGroupElement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using FileElementTest = DesignFileTest;

struct FileDeleter {
    void operator()(CDesignFile* f) const { delete f; }
};
using FilePtr = std::unique_ptr<CDesignFile, FileDeleter>;

FilePtr Open(const std::filesystem::path& path) { return FilePtr(OpenDesignFileW(cftest::Wide(path).c_str())); }

FilePtr OpenBytes(const Bytes& data, const std::string& name = "file_elements.dgn")
{
    const auto path = cftest::Scratch(name);
    cftest::WriteAll(path, data);
    return Open(path);
}

// The element the factory makes of a V8 record, read from it; null when refused.
IElement* ReadRecord(CDesignFile* file, const Bytes& record)
{
    IElement* e = nullptr;
    if (!file->CreateElementV8(record.data(), static_cast<std::uint32_t>(record.size()), file->Is3d(), &e))
        return nullptr;
    return e;
}

// The record an element writes, in a block of exactly its stated size.
Bytes Written(IElement* e)
{
    Bytes out(e->GetRecordSize());
    std::uint8_t* cursor = out.data();
    out.resize(e->WriteV8(&cursor));
    return out;
}

template <class T>
std::vector<T*> ElementsOf(CDesignFile* f)
{
    std::vector<T*> out;
    for (IEntity* e = f->Next(); e && e != f->ChildList(); e = e->Next()) {
        if (T* t = dynamic_cast<T*>(e))
            out.push_back(t);
    }
    return out;
}

// A V7 file header: 2-D or 3-D (byte 0), units and names, origin (VAX doubles of whole
// numbers), view blocks with flags and masks.
Bytes V7Header(std::uint8_t levelByte, std::int32_t subPerMaster, std::int32_t uorPerSub, const char names[4], const double origin[3],
               std::size_t size = 1536)
{
    Bytes b = V7FileHeader(false);
    b[0] = levelByte;
    for (int v = 0; v < 8; ++v) {
        std::uint8_t* block = &b[46 + 118 * v];
        block[0] = v == 0 ? 0x80 : 0;
        for (int i = 0; i < 8; ++i)
            block[2 + i] = static_cast<std::uint8_t>(0xF0 | v);
    }
    Bytes units;
    PutV7Int32(units, 10000);
    PutV7Int32(units, subPerMaster);
    PutV7Int32(units, uorPerSub);
    std::memcpy(&b[1108], units.data(), 12);
    std::memcpy(&b[1120], names, 4);
    // VAX D-floats of powers of two: 2^k is exponent 129 + k, mantissa 0 (word order kept).
    for (int i = 0; i < 3; ++i) {
        const int k = static_cast<int>(std::log2(origin[i]));
        const std::uint16_t word = static_cast<std::uint16_t>((129 + k) << 7);
        b[1240 + 8 * i] = static_cast<std::uint8_t>(word);
        b[1240 + 8 * i + 1] = static_cast<std::uint8_t>(word >> 8);
    }
    b.resize(size);
    const std::uint16_t words = static_cast<std::uint16_t>((size - 4) / 2);
    b[2] = static_cast<std::uint8_t>(words);
    b[3] = static_cast<std::uint8_t>(words >> 8);
    return b;
}

Bytes V7Symbology(const std::vector<std::uint16_t>& words)
{
    Bytes b = V7Plain(10, 0, 24 + 2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        b[28 + 2 * i] = static_cast<std::uint8_t>(words[i]);
        b[28 + 2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    return b;
}

Bytes Concat(const std::vector<Bytes>& parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out = Cat(out, p);
    return out;
}

std::vector<std::string> Describe(IElement* e)
{
    Lines::Reset();
    e->Describe(&Lines::Collect);
    return Lines::Get();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Levels and masks

TEST_F(FileElementTest, V7LevelsFromTheSymbologyRecord)
{
    std::vector<std::uint16_t> words(64, 0);
    words[5] = 0x0319;
    FilePtr f = OpenBytes(Concat({V7FileHeader(false), V7Symbology(words)}));
    ASSERT_NE(f, nullptr);
    const std::vector<CLevelEntryElement*> levels = ElementsOf<CLevelEntryElement>(f.get());
    ASSERT_EQ(levels.size(), 64u);
    for (int i = 0; i < 64; ++i) {
        CLevelEntryElement* level = f->GetLevel(i);
        ASSERT_NE(level, nullptr) << i;
        EXPECT_EQ(NarrowText(*level->GetName()), i == 0 ? "Default" : std::to_string(i));
        EXPECT_EQ(level->GetLevelFlags(), 0x0060);
    }
    const LevelData* five = f->GetLevel(5)->GetLevelData();
    EXPECT_EQ(five->levelColor, 3);
    EXPECT_EQ(five->levelWeight, 3);
    EXPECT_EQ(five->levelStyle, 1);
    // A symbology record too short for its 64 words: the levels it does not cover keep 0.
    FilePtr shorter = OpenBytes(Concat({V7FileHeader(false), V7Symbology({0x0319, 0x0101})}));
    ASSERT_NE(shorter, nullptr);
    EXPECT_EQ(shorter->GetLevel(1)->GetLevelData()->levelColor, 1);
    EXPECT_EQ(shorter->GetLevel(63)->GetLevelData()->levelColor, 0);
}

TEST_F(FileElementTest, V7LevelNamesNameTheLevels)
{
    Bytes names = V7Plain(66, 6, 42 - 4 + 2 * 104);
    std::fill(names.begin() + 36, names.end(), 0);
    names[40] = 3; // three entries stated, two there: the third is not read
    auto entry = [&](int i, int level, const char* name, const char* name2) {
        std::uint8_t* e = &names[42 + 104 * i];
        e[0] = static_cast<std::uint8_t>(level);
        std::memcpy(e + 2, name, std::strlen(name));
        std::memcpy(e + 36, name2, std::strlen(name2));
    };
    entry(0, 4, "WALLS", "");
    entry(1, 9, "DOORS", "second");
    FilePtr f = OpenBytes(Concat({V7FileHeader(false), V7Symbology(std::vector<std::uint16_t>(64, 0)), names}));
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(NarrowText(*f->GetLevel(4)->GetName()), "WALLS");
    EXPECT_EQ(NarrowText(*f->GetLevel(9)->GetName()), "DOORS");
    EXPECT_EQ(NarrowText(*f->GetLevel(9)->GetName2()), "second");
    std::unique_ptr<CDgnString> text(CDgnString::Create());
    ASSERT_TRUE(f->GetLevel(9)->GetAttributes()->GetStringLinkage(2, *text));
    EXPECT_EQ(NarrowText(*text), "second");
}

TEST_F(FileElementTest, LevelEntriesRoundTripAndRegister)
{
    const Bytes record = LevelEntryRecord(7, 0x0269, "walls", "waende");
    auto* level = dynamic_cast<CLevelEntryElement*>(ReadRecord(file, record));
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(NarrowText(*level->GetName2()), "waende");
    EXPECT_EQ(Written(level), record);
    level->Touch();
    EXPECT_EQ(file->GetLevel(7), level);
    // A graphic element on level 7 resolves its symbology and name through it.
    auto* graphic = new CUnknownElement(file);
    graphic->SetLevel(7);
    EXPECT_EQ(graphic->GetLevelFlags(), 0x0269);
    // An entry still without a number is no level of the file.
    auto* fresh = new CLevelEntryElement(file);
    fresh->Touch();
    EXPECT_EQ(file->GetLevel(0x7FFFFFFE), nullptr);
    int cursor = 0, count = 0;
    while (file->NextLevel(&cursor))
        ++count;
    EXPECT_EQ(count, 1);
    // A deleted level leaves the index.
    delete level;
    EXPECT_EQ(file->GetLevel(7), nullptr);
    const auto lines = Describe(fresh);
    EXPECT_EQ(lines[0], "Level 2147483647 table entry");
}

// New levels take the lowest number not yet used, from 1.
TEST_F(FileElementTest, NewLevelNumbers)
{
    struct Case {
        std::vector<std::uint32_t> existing;
        std::uint32_t next;
    };
    for (const Case& c : {Case{{}, 1}, Case{{1, 2}, 3}, Case{{2}, 1}, Case{{1, 3}, 2}, Case{{0}, 1}}) {
        delete file;
        file = new CDesignFile;
        for (std::uint32_t n : c.existing) {
            CLevelEntryElement* e = CLevelEntryElement::Create(file, 0);
            e->SetLevelNumber(n);
            e->Touch();
        }
        CLevelEntryElement* e = CLevelEntryElement::Create(file, 0);
        ASSERT_NE(e, nullptr);
        e->AssignNewLevelNumber();
        EXPECT_EQ(e->GetLevelNumber(), c.next);
        EXPECT_EQ(e->GetLevelData()->levelCode, c.next);
        // Created in the file's level table.
        EXPECT_EQ(e->Owner(), file->GetLevelTableHeader());
    }
}

TEST_F(FileElementTest, LevelMasks)
{
    const Bytes ten = LevelMaskRecord(3, 10, {0x05, 0x02});
    auto* mask = dynamic_cast<CLevelMaskElement*>(ReadRecord(file, ten));
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->GetAttrOffsetWords(), 27u);
    EXPECT_EQ(Written(mask), ten);
    struct Case {
        int level;
        bool on;
    };
    for (const Case& c : {Case{0, true}, Case{1, true}, Case{2, false}, Case{3, true}, Case{10, true}, Case{9, false}, Case{11, true}})
        EXPECT_EQ(mask->IsLevelOn(c.level), c.on) << c.level;
    mask->SetLevelOn(2, true);
    mask->SetLevelOn(10, false);
    mask->SetLevelOn(11, false);
    EXPECT_TRUE(mask->IsLevelOn(2));
    EXPECT_FALSE(mask->IsLevelOn(10));
    EXPECT_TRUE(mask->IsLevelOn(11));
    // 64 levels all off.
    auto* off = dynamic_cast<CLevelMaskElement*>(ReadRecord(file, LevelMaskRecord(1, 64, Bytes(8, 0))));
    for (int level = 1; level <= 64; ++level)
        EXPECT_FALSE(off->IsLevelOn(level)) << level;
    EXPECT_TRUE(off->IsLevelOn(65));
    // A bit count past the bytes there is cut to them.
    auto* cut = dynamic_cast<CLevelMaskElement*>(ReadRecord(file, LevelMaskRecord(1, 1000, {0xFF, 0xFF, 0xFF, 0xFF})));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->GetBitCount(), 32u);
    EXPECT_TRUE(cut->IsLevelOn(900));
}

// The level table header keeps the body it read, however long, and writes it back.
TEST_F(FileElementTest, LevelTableHeaderKeepsItsBody)
{
    for (std::size_t extra : {std::size_t(0), std::size_t(64)}) {
        const Bytes record = LevelTableRecord(0, 5, extra);
        IElement* header = ReadRecord(file, record);
        ASSERT_NE(dynamic_cast<CLevelTableHeader*>(header), nullptr);
        EXPECT_EQ(Written(header), record) << extra;
        header->Touch();
        EXPECT_EQ(header->GetAttrOffsetWords(), (36 + 32 + extra - 4) / 2) << extra;
        EXPECT_EQ(Written(header).size(), record.size()) << extra;
    }
}

// ---------------------------------------------------------------------------------------------
// Views and the file header

TEST_F(FileElementTest, V7HeaderGivesUnitsOriginDimensionAndViews)
{
    const double origin[3] = {1024, 2048, 256};
    FilePtr f = OpenBytes(Concat({V7Header(0xC8, 10, 1000, "m mm", origin), V7Plain(3, 1, 40)}));
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Is3d());
    EXPECT_DOUBLE_EQ(f->GetUnitsPerMaster(0), 10000.0);
    char name[4];
    f->GetMasterUnitName(0, name);
    EXPECT_STREQ(name, "m ");
    double o[3];
    f->GetGlobalOrigin(0, o);
    EXPECT_EQ(o[0], 1024);
    EXPECT_EQ(o[2], 256);
    auto* header = dynamic_cast<CFileHeaderElement*>(f->GetFileHeader());
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(header->Is3d());
    EXPECT_EQ(f->GetFileHeaderValue(), 1u);
    EXPECT_EQ(Written(header).size(), 0u) << "a V7 header writes nothing";
    // One view group of eight views, each with a mask of 64 levels from its block.
    const std::vector<CViewGroupElement*> groups = ElementsOf<CViewGroupElement>(f.get());
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0]->ChildCount(), 16);
    const std::vector<CViewElement*> views = ElementsOf<CViewElement>(f.get());
    ASSERT_EQ(views.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(views[i]->GetViewNumber(), i);
        EXPECT_EQ(views[i]->Owner(), groups[0]);
        CLevelMaskElement* mask = views[i]->GetLevelMask();
        ASSERT_NE(mask, nullptr);
        EXPECT_EQ(mask->GetBitCount(), 64u);
        EXPECT_EQ(mask->IsLevelOn(1), (i & 1) != 0);
        EXPECT_EQ(mask->IsLevelOn(5), true);
        EXPECT_EQ(f->FindView(i), views[i]);
        EXPECT_EQ(f->FindView(i, 0), views[i]);
    }
    EXPECT_EQ(f->FindView(8), nullptr);
    EXPECT_EQ(f->FindView(0, 5), nullptr) << "word 3 of the V7 views is 0";
    EXPECT_EQ(Describe(views[0])[3], "view 0, flags 80 - Visible");
    EXPECT_EQ(Describe(views[1])[3], "view 1, flags 0 - Not visible");
    // A 2-D header.
    FilePtr flat = OpenBytes(Concat({V7Header(0x08, 10, 1000, "m mm", origin)}));
    ASSERT_NE(flat, nullptr);
    EXPECT_FALSE(flat->Is3d());
}

// A V7 header shorter than its settings keeps the defaults for what it does not hold.
TEST_F(FileElementTest, ShortV7Headers)
{
    const double origin[3] = {1024, 2048, 256};
    struct Case {
        std::size_t size;
        bool views, units, origin;
    };
    for (const Case& c : {Case{1536, true, true, true}, Case{1200, true, true, false}, Case{1100, true, false, false}, Case{500, false, false, false}}) {
        FilePtr f = OpenBytes(V7Header(0x08, 10, 1000, "m mm", origin, c.size));
        ASSERT_NE(f, nullptr) << c.size;
        EXPECT_EQ(ElementsOf<CViewElement>(f.get()).size(), c.views ? 8u : 0u) << c.size;
        EXPECT_DOUBLE_EQ(f->GetUnitsPerMaster(0), c.units ? 10000.0 : 10000.0 * 1.0) << c.size;
        char name[4];
        f->GetMasterUnitName(0, name);
        EXPECT_EQ(std::string(name), c.units ? "m " : "") << c.size;
        double o[3];
        f->GetGlobalOrigin(0, o);
        EXPECT_EQ(o[0], c.origin ? 1024.0 : 0.0) << c.size;
    }
}

TEST_F(FileElementTest, ViewsRoundTripAndDescribe)
{
    const Bytes record = ViewRecord(2, 0, 0x80);
    auto* view = dynamic_cast<CViewElement*>(ReadRecord(file, record));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Written(view), record);
    const auto lines = Describe(view);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "View specification");
    EXPECT_EQ(lines[3], "View flagged as invalid.");
    EXPECT_EQ(lines.size(), 4u);
    const Bytes group = ViewGroupRecord(16);
    EXPECT_EQ(Written(ReadRecord(file, group)), group);
}

// A V8 file header keeps the body it read, whatever its length, with its linkages.
TEST_F(FileElementTest, V8FileHeadersKeepTheirBody)
{
    for (std::size_t bytes : {std::size_t(10312), std::size_t(100), std::size_t(10400)}) {
        const Bytes record = FileHeaderRecord(bytes);
        IElement* header = ReadRecord(file, record);
        ASSERT_NE(dynamic_cast<CFileHeaderElement*>(header), nullptr) << bytes;
        EXPECT_EQ(Written(header), record) << bytes;
    }
    // The first header read is the file's.
    EXPECT_NE(file->GetFileHeader(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Tables

TEST_F(FileElementTest, TablesByNumber)
{
    struct Case {
        Bytes record;
        const char* title;
    };
    const Case cases[] = {
        {RawTableHeaderRecord(5, 1, 30), "Table Header - level 5 Dimension Style"},
        {RawTableHeaderRecord(42, 0, 4), "Table Header - level 42 ?"},
        {RawTableEntryRecord(5, 40), "Table Entry - level 5 Dimension Style"},
        {RawTableEntryRecord(42, 6), "Table Entry - level 42 ?"},
        {FontEntryRecord("ARIAL", 1024), "[wide]Font table entry: ARIAL"},
        {LineStyleNameRecord(5, "dashed"), "LSName table entry"},
        {LineStyleDefRecord(2, 12, Counting(28)), "Line Style Definition table entry"},
        {V8Record(96, 0x2400, 2, 230, {0, 0, 0, 0}, {}), "Font Table Header"},
        {V8Record(96, 0x2400, 7, 231, Counting(8), {}), "Line Style Name Table Header"},
        {V8Record(96, 0x2400, 8, 232, Counting(8), {}), "Line Style Definition Table Header"},
    };
    for (const Case& c : cases) {
        IElement* e = ReadRecord(file, c.record);
        ASSERT_NE(e, nullptr) << c.title;
        EXPECT_EQ(Describe(e)[0], c.title);
        EXPECT_EQ(Written(e), c.record) << c.title << ": read and written back";
    }
}

TEST_F(FileElementTest, FontAndLineStyleEntries)
{
    auto* font = dynamic_cast<CFontTableEntry*>(ReadRecord(file, FontEntryRecord("ARIAL", 1024)));
    ASSERT_NE(font, nullptr);
    font->Touch();
    EXPECT_EQ(font->GetAttrOffsetWords(), 28u);
    EXPECT_EQ(Get32(Written(font), 36 + 12) & 0xFFFF, 10u);
    // A name longer than the record is cut to what it holds.
    auto* cut = dynamic_cast<CFontTableEntry*>(ReadRecord(file, FontEntryRecord("ABC", 1025, 200)));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(WideText(*cut->GetFontName()), u"ABC");
    // Definitions: counts cut to what the record holds.
    auto* def = dynamic_cast<CLineStyleDefEntry*>(ReadRecord(file, LineStyleDefRecord(2, 12, Counting(28))));
    ASSERT_NE(def, nullptr);
    def->Touch();
    EXPECT_EQ(def->GetAttrOffsetWords(), 116u);
    auto* short_ = dynamic_cast<CLineStyleDefEntry*>(ReadRecord(file, LineStyleDefRecord(9, 500, Counting(20))));
    ASSERT_NE(short_, nullptr);
    EXPECT_EQ(short_->GetDataBytes(), 20u);
    EXPECT_EQ(short_->GetComponentCount(), 0u);
    // Tables found through the design file: font names and numbers, line style names.
    IElement* fonts = file->GetFontTable();
    fonts->AddChild(font);
    EXPECT_STREQ(file->GetFontName(1024), "ARIAL");
    EXPECT_EQ(file->FindFontNumber("ARIAL"), 1024);
    EXPECT_EQ(file->GetFontName(7), nullptr);
    IElement* styles = file->GetLineStyleNameTable();
    styles->AddChild(ReadRecord(file, LineStyleNameRecord(9, "dashed")));
    const std::u16string name = file->GetLineStyleName(9);
    EXPECT_EQ(name, u"dashed");
    EXPECT_EQ(std::u16string(file->GetLineStyleName(10)), u"LSTYLE_NAME_UNKNOWN");
}

// ---------------------------------------------------------------------------------------------
// Group data and DgnStore

TEST_F(FileElementTest, ColourTablesFromGroupData)
{
    Bytes raw(2 + 768, 0);
    for (int i = 0; i < 256; ++i)
        raw[2 + 3 * i] = static_cast<std::uint8_t>(i);
    IElement* two = ReadRecord(file, GroupDataRecord(2, raw));
    ASSERT_NE(dynamic_cast<CGroupDataElement*>(two), nullptr);
    EXPECT_EQ(file->GetColorTable(), nullptr) << "level 2 holds no colour table";
    IElement* one = ReadRecord(file, GroupDataRecord(1, raw));
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(GetColorRGB(9, file), 10u);
    EXPECT_EQ(Written(one), GroupDataRecord(1, raw));
    // The table is the file's own copy: it outlives the element.
    delete one;
    EXPECT_EQ(GetColorRGB(9, file), 10u);
    EXPECT_EQ(Describe(two), (std::vector<std::string>{"Group Data Block - level: 2"}));
    // A block too short for 256 colours gives none.
    ReadRecord(file, GroupDataRecord(1, Bytes(100, 7)));
    EXPECT_EQ(file->GetColorTable(), nullptr);
}

TEST_F(FileElementTest, DgnStoreElementsKeepTheirBodies)
{
    for (std::uint32_t flag : {0u, 1u}) {
        const Bytes record = DgnStoreComponentRecord(flag, 12, StringLinkage(1, "linked"));
        IElement* e = ReadRecord(file, record);
        ASSERT_NE(dynamic_cast<CDgnStoreComponent*>(e), nullptr);
        EXPECT_EQ(Written(e), record) << flag << ": the linkages are written once";
    }
    const Bytes header = DgnStoreHeaderRecord("DGNS", 20);
    IElement* h = ReadRecord(file, header);
    ASSERT_NE(dynamic_cast<CDgnStoreHeader*>(h), nullptr);
    EXPECT_EQ(Written(h), header);
    EXPECT_EQ(Describe(h)[0], "DgnStore Header - signature: DGNS");
}

// ---------------------------------------------------------------------------------------------
// Reference attachments

TEST_F(FileElementTest, ReferenceNamesAndResolution)
{
    auto* ref = new CReferenceAttachment(file);
    ref->SetFileName("plan");
    EXPECT_EQ(NarrowText(*ref->GetFileName()), "plan.dgn");
    ref->SetFileName("v1.0\\plan");
    EXPECT_EQ(NarrowText(*ref->GetFileName()), "v1.0\\plan") << "a dot anywhere keeps the name";
    // A file that is nowhere: resolution fails once and is not tried again until the name
    // changes.
    ref->SetFileName("C:\\nowhere\\missing.dgn");
    EXPECT_EQ(ref->GetAttachedFile(), nullptr);
    const auto there = cftest::Scratch("missing.dgn");
    FilePtr created(CreateDesignFile(nullptr));
    ASSERT_EQ(created->SaveAs(cftest::Wide(there).c_str(), 1), 1);
    created.reset();
    EXPECT_EQ(ref->GetAttachedFile(), nullptr) << "still failed";
    ref->SetFileName(there.string().c_str());
    CDesignFile* attached = ref->GetAttachedFile();
    ASSERT_NE(attached, nullptr);
    EXPECT_FALSE(ref->IsSelfReference());
    // The name read back from its linkages.
    const Bytes record = Written(ref);
    IElement* again = ReadRecord(file, record);
    ASSERT_NE(dynamic_cast<CReferenceAttachment*>(again), nullptr);
    EXPECT_EQ(NarrowText(*static_cast<CReferenceAttachment*>(again)->GetFileName()), there.string());
    // A long name is resolved whole.
    std::string longName = "C:";
    while (longName.size() < 600)
        longName += "\\folder";
    ref->SetFileName((longName + "\\x.dgn").c_str());
    ref->GetAttachedFile();
    EXPECT_EQ(std::u16string(ref->GetResolvedPath()), u"x.dgn") << "the file part alone, after the full path and the host folder";
}

// A file that refers to itself shows its elements once, not endlessly.
TEST_F(FileElementTest, SelfReferencesShowOnce)
{
    const auto path = cftest::Scratch("self.dgn");
    {
        FilePtr f(CreateDesignFile(nullptr));
        auto* ref = new CReferenceAttachment(f.get());
        ref->SetFileName(path.string().c_str());
        // One line of the file that the range takes.
        ReadRecord(f.get(), V8Record(88, 0x1000, 1, 900, GraphicHeader(0, 1, 2, 3), {}));
        ASSERT_EQ(f->SaveAs(cftest::Wide(path).c_str(), 1), 1);
    }
    FilePtr f = Open(path);
    ASSERT_NE(f, nullptr);
    std::vector<CReferenceAttachment*> refs = ElementsOf<CReferenceAttachment>(f.get());
    ASSERT_EQ(refs.size(), 1u);
    CTransformHelper* range = CTransformHelper::Create();
    range->SetDesignFile(f.get());
    refs[0]->EmitGeometry(nullptr, range);
    EXPECT_TRUE(refs[0]->IsSelfReference());
    EXPECT_EQ(refs[0]->GetAttachedFile(), f.get());
    delete range;
}

TEST_F(FileElementTest, ReferenceClipsAndV7Masks)
{
    // Clip points past the record are cut to those it holds.
    auto* clipped = dynamic_cast<CReferenceAttachment*>(ReadRecord(file, ReferenceRecord("a.dgn", 100, 2)));
    ASSERT_NE(clipped, nullptr);
    std::uint32_t count = 0;
    const double* points = clipped->GetClipPoints(&count);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(points[3], 300.0);
    const Bytes whole = ReferenceRecord("a.dgn", 2, 2);
    EXPECT_EQ(Written(ReadRecord(file, whole)), whole);
    // V7 attachments (type 5, level 9): masks unless all levels are on.
    auto v7 = [](std::uint8_t fill, std::uint16_t nameLength) {
        Bytes r = V7Plain(5, 9, 500);
        std::fill(r.begin() + 4, r.end(), 0);
        r[36] = static_cast<std::uint8_t>(nameLength);
        std::memcpy(&r[38], "other.dgn", 9);
        std::fill(r.begin() + 124, r.begin() + 188, fill);
        return r;
    };
    struct Case {
        std::uint8_t fill;
        std::uint16_t nameLength;
        std::size_t masks;
        const char* name;
    };
    for (const Case& c : {Case{0xFF, 9, 0, "other.dgn"}, Case{0x0F, 9, 8, "other.dgn"}, Case{0xFF, 500, 0, "other.dgn"}}) {
        FilePtr f = OpenBytes(Concat({V7FileHeader(false), v7(c.fill, c.nameLength)}));
        ASSERT_NE(f, nullptr);
        std::vector<CReferenceAttachment*> refs = ElementsOf<CReferenceAttachment>(f.get());
        ASSERT_EQ(refs.size(), 1u);
        EXPECT_EQ(refs[0]->GetType(), 100);
        EXPECT_EQ(NarrowText(*refs[0]->GetFileName()), c.name);
        EXPECT_EQ(refs[0]->ChildCount(), static_cast<std::int32_t>(c.masks));
        if (c.masks) {
            EXPECT_NE(refs[0]->GetLevelMask(7), nullptr);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Files ogr2ogr wrote: 3-D, 10 sub units of 1000, "m" and "mm", origin 1000,2000,300 master
// units; kept through a V8 save.
TEST_F(FileElementTest, OgrFixturesKeepTheirSettingsThroughAV8Save)
{
    FilePtr v7 = Open(cftest::Fixture("design_files/ogr_3d.dgn"));
    ASSERT_NE(v7, nullptr);
    const auto saved = cftest::Scratch("ogr_3d_v8.dgn");
    ASSERT_EQ(v7->SaveAs(cftest::Wide(saved).c_str(), 1), 1);
    FilePtr v8 = Open(saved);
    ASSERT_NE(v8, nullptr);
    for (CDesignFile* f : {v7.get(), v8.get()}) {
        SCOPED_TRACE(f == v7.get() ? "V7" : "V8");
        EXPECT_TRUE(f->Is3d());
        EXPECT_DOUBLE_EQ(f->GetUnitsPerMaster(0), 10000.0);
        char name[4];
        f->GetMasterUnitName(0, name);
        EXPECT_EQ(std::string(name).substr(0, 1), "m");
        std::unique_ptr<CDgnString> sub(CDgnString::Create());
        ASSERT_TRUE(f->GetModelHeader(0)->GetAttributes()->GetStringLinkage(20, *sub));
        EXPECT_EQ(NarrowText(*sub).substr(0, 2), "mm");
        double o[3];
        f->GetGlobalOrigin(0, o);
        EXPECT_DOUBLE_EQ(o[0], 1e7);
        EXPECT_DOUBLE_EQ(o[1], 2e7);
        EXPECT_DOUBLE_EQ(o[2], 3e6);
        EXPECT_EQ(ElementsOf<CLevelEntryElement>(f).size(), 64u);
        EXPECT_EQ(ElementsOf<CViewElement>(f).size(), 8u);
        EXPECT_NE(f->GetLevel(63), nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// What the importer reads of levels, views, masks and attachments.

TEST_F(FileElementTest, ImporterReadsLevelViewMaskAndAttachmentFields)
{
    auto* level = dynamic_cast<CLevelEntryElement*>(ReadRecord(file, LevelEntryRecord(4, 0x20, "A", "Walls")));
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(NarrowText(*level->GetDescription()), "Walls");
    level->Touch();
    int cursor = 0;
    EXPECT_EQ(file->NextLevelEntry(&cursor), level);
    EXPECT_EQ(file->NextLevelEntry(&cursor), nullptr);

    // The on-test wants a valid view flagged as shown.
    struct ViewCase {
        std::uint16_t valid;
        std::uint32_t flags;
        bool on;
    };
    for (const ViewCase& c : {ViewCase{1, 0x80, true}, ViewCase{1, 0x7F, false}, ViewCase{0, 0x80, false}}) {
        auto* view = dynamic_cast<CViewElement*>(ReadRecord(file, ViewRecord(0, c.valid, c.flags)));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->IsViewOn(), c.on) << c.valid << " " << c.flags;
        ViewFields record = {};
        EXPECT_EQ(view->GetViewRecord(&record), c.valid != 0);
        if (c.valid) {
            EXPECT_EQ(record.flags, c.flags);
            EXPECT_EQ(record.rotation[0], 1.0);
            EXPECT_EQ(record.rotation[1], 0.0);
            EXPECT_EQ(record.rotation[4], 1.0);
        }
    }
    // SetFromV7 places the origin and size where the record gives them back.
    auto* view = CViewElement::Create(file, 0);
    const double origin[3] = {10, 20, 0}, delta[3] = {300, 400, 0}, rotation[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
    view->SetFromV7(0, 0x80, origin, delta, rotation, 1.0, 0);
    ViewFields record = {};
    ASSERT_TRUE(view->GetViewRecord(&record));
    EXPECT_EQ(record.origin[1], 20.0);
    EXPECT_EQ(record.delta[0], 300.0);
    EXPECT_EQ(record.rotation[1], 1.0);
    EXPECT_EQ(record.rotation[3], -1.0);

    // The first 16-bit word after the view's extent block (record body offset 208): 0 in a new
    // view, as the record holds it in a read one.
    EXPECT_EQ(view->GetWordAfterExtent(), 0);
    Bytes worded = ViewRecord(0, 1, 0x80);
    worded[kV8HeaderBytes + 208] = 0x34;
    worded[kV8HeaderBytes + 209] = 0x12;
    auto* read = dynamic_cast<CViewElement*>(ReadRecord(file, worded));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetWordAfterExtent(), 0x1234);
    read->SetWordAfterExtent(7);
    EXPECT_EQ(read->GetWordAfterExtent(), 7);
    EXPECT_EQ(Written(read)[kV8HeaderBytes + 208], 7);

    // A view's own mask counts 1; two masks under one view count 2 each; a loose mask 1.
    auto* loose = dynamic_cast<CLevelMaskElement*>(ReadRecord(file, LevelMaskRecord(3, 16, {0x01, 0x00})));
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->GetMaskCount(), 1u);
    // Its header: the kind (version word) 1, the view, the number of levels.
    LevelMaskHeader header = loose->GetMaskHeader();
    EXPECT_EQ(header.kind, 1);
    EXPECT_EQ(header.viewNumber, 3);
    EXPECT_EQ(header.bitCount, 16u);
    auto* first = CLevelMaskElement::Create(file, 0, 0, 16, nullptr);
    header = first->GetMaskHeader();
    EXPECT_EQ(header.kind, 0);
    EXPECT_EQ(header.bitCount, 0u);
    first->SetMaskKind(5);
    EXPECT_EQ(first->GetMaskHeader().kind, 5);
    EXPECT_EQ(Written(first)[kV8HeaderBytes], 5);
    view->AddChild(first);
    EXPECT_EQ(first->GetMaskCount(), 1u);
    EXPECT_EQ(view->GetLevelMask(), first);
    auto* second = CLevelMaskElement::Create(file, 0, 0, 16, nullptr);
    view->AddChild(second);
    EXPECT_EQ(first->GetMaskCount(), 2u);
    EXPECT_EQ(second->GetMaskCount(), 2u);

    // An attachment's placement: origin, offset, rotation by rows, scale; its file through the
    // converter's name.
    Bytes body = ReferenceRecord("nowhere.dgn", 0, 0);
    auto putF = [&](std::size_t bodyAt, double d) {
        Bytes b;
        PutF64(b, d);
        std::memcpy(&body[kV8HeaderBytes + 4 + bodyAt], b.data(), 8);
    };
    putF(132, 5.0);
    putF(140, 6.0);
    putF(156, 700.0);
    putF(164, 800.0);
    // Column by column: c0 = (0, 1, 0), c1 = (-1, 0, 0): a quarter turn.
    putF(180 + 0, 0.0);
    putF(180 + 8, 1.0);
    putF(180 + 24, -1.0);
    putF(180 + 32, 0.0);
    putF(252, 2.5);
    auto* ref = dynamic_cast<CReferenceAttachment*>(ReadRecord(file, body));
    ASSERT_NE(ref, nullptr);
    const AttachmentData data = ref->GetAttachmentData();
    EXPECT_EQ(data.originX, 5.0);
    EXPECT_EQ(data.originY, 6.0);
    EXPECT_EQ(data.offsetX, 700.0);
    EXPECT_EQ(data.offsetY, 800.0);
    EXPECT_EQ(data.rotation[0], 0.0);
    EXPECT_EQ(data.rotation[1], -1.0);
    EXPECT_EQ(data.rotation[3], 1.0);
    EXPECT_EQ(data.rotation[8], 1.0);
    EXPECT_EQ(data.scale, 2.5);
    EXPECT_EQ(ref->GetAttachedDesignFile(), nullptr);
}
