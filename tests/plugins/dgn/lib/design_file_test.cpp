// The design file object: finding open files by path, models, levels, colours, line style
// names, paths of any length, reference counting and the thumbnail.
#include "ByteArray.h"
#include "DesignFile.h"
#include "ElementLinkages.h"
#include "EntityContainer.h"
#include "Library.h"
#include "elements/ApplicationElement.h"
#include "elements/LevelEntryElement.h"
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

using DesignFileObjectTest = DesignFileTest;

std::string Narrow16(const char16_t* s) { return std::string(s, s + std::char_traits<char16_t>::length(s)); }

// A model header for a model number, named name, with a given flags 2 word.
CApplicationElement* AddModel(CDesignFile* file, int model, const std::string& name, std::uint32_t flags2 = 0)
{
    file->SetCurrentModel(model);
    Bytes body = ModelHeaderBody(1000.0);
    body[36] = static_cast<std::uint8_t>(flags2);
    IElement* e = nullptr;
    const Bytes record = V8Record(66, 0, 32, 0, body, Cat(StringLinkage(1, name), StringLinkage(2, name + " text")));
    EXPECT_TRUE(file->CreateElementV8(record.data(), static_cast<std::uint32_t>(record.size()), false, &e));
    auto* header = dynamic_cast<CApplicationElement*>(e);
    EXPECT_NE(header, nullptr);
    *file->GetModelHeaderSlot(model) = header;
    return header;
}

} // namespace

TEST_F(DesignFileObjectTest, OpenFilesAreFoundByTheirFileName)
{
    // Three more open files beside the fixture's (which has no path).
    const std::u16string paths[] = {u"C:\\work\\plan.dgn", u"D:\\other\\plan.dgn", u"/home/u/Site.dgn"};
    std::vector<std::unique_ptr<CDesignFile>> files;
    for (const std::u16string& p : paths) {
        files.emplace_back(new CDesignFile);
        ASSERT_TRUE(files.back()->SetFilePath(p.c_str()));
    }
    struct Case {
        const char16_t* path;
        int found; // index into files, -1 for none
    };
    const Case cases[] = {
        {u"C:\\work\\plan.dgn", 0},
        {u"E:\\elsewhere\\plan.dgn", 0}, // the file name decides; the first open file wins
        {u"x/plan.dgn", 0},
        {u"\\\\server\\share\\Site.dgn", 2},
        {u"C:\\work\\Plan.dgn", -1}, // case-sensitive
        {u"plan.dgn", -1},            // no separator
        {u"\\plan.dgn", -1},          // a leading separator counts only against one
        {u"C:\\work\\an.dgn", -1},
        {u"", -1},
    };
    for (const Case& c : cases) {
        CDesignFile* expected = c.found < 0 ? nullptr : files[static_cast<std::size_t>(c.found)].get();
        EXPECT_EQ(FindOpenDesignFile(c.path), expected) << Narrow16(c.path);
    }
    EXPECT_EQ(FindOpenDesignFile(nullptr), nullptr);
    // A file that has gone is not found; the next one with that name is.
    files[0].reset();
    EXPECT_EQ(FindOpenDesignFile(u"C:\\work\\plan.dgn"), files[1].get());
    // A file whose whole path is a separator and a name is found by that path only.
    CDesignFile* rooted = new CDesignFile;
    ASSERT_TRUE(rooted->SetFilePath(u"\\top.dgn"));
    EXPECT_EQ(FindOpenDesignFile(u"\\top.dgn"), rooted);
    EXPECT_EQ(FindOpenDesignFile(u"C:\\top.dgn"), rooted);
    delete rooted;
}

// Paths are kept whole, however long (a fixed 260-character field would cut them).
TEST_F(DesignFileObjectTest, PathsOfAnyLength)
{
    std::u16string path = u"C:";
    while (path.size() < 1000)
        path += u"\\folder";
    path += u"\\plan.dgn";
    ASSERT_TRUE(file->SetFilePath(path.c_str()));
    EXPECT_EQ(std::u16string(file->GetFilePath()), path);
    EXPECT_EQ(std::string(file->GetFilePathA()), Narrow16(path.c_str()));
    EXPECT_EQ(FindOpenDesignFile(u"X:\\plan.dgn"), file);
}

TEST_F(DesignFileObjectTest, ModelsByNumberAndName)
{
    AddModel(file, 0, "Default");
    AddModel(file, 7, "Plan", 1);
    AddModel(file, 1023, "Last");
    EXPECT_EQ(file->GetModelCount(), 3);
    std::vector<int> walked;
    int cursor = 0;
    while (CApplicationElement* h = file->NextModel(&cursor))
        walked.push_back(h->GetModel());
    EXPECT_EQ(walked, (std::vector<int>{0, 7, 1023}));
    EXPECT_EQ(cursor, 1024);
    // Cursors at or past the last number end at once.
    cursor = 1024;
    EXPECT_EQ(file->NextModel(&cursor), nullptr);
    cursor = 5000;
    EXPECT_EQ(file->NextModel(&cursor), nullptr);
    EXPECT_EQ(file->GetModelHeader(1024), nullptr);
    EXPECT_EQ(file->GetModel(7), file->GetModelHeader(7));

    char name[256];
    file->GetModelName(7, name);
    EXPECT_STREQ(name, "Plan");
    file->GetModelDescription(7, name);
    EXPECT_STREQ(name, "Plan text");
    file->GetModelName(3, name);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(file->FindModelByName("plan"), 7);
    EXPECT_EQ(file->FindModelByName("LAST"), 1023);
    EXPECT_EQ(file->FindModelByName("Plans"), -1);
    EXPECT_TRUE(file->IsModel3d(7));
    EXPECT_FALSE(file->IsModel3d(0));
    // Without a header: the file's flag.
    file->SetIs3d(true);
    EXPECT_TRUE(file->IsModel3d(3));

    // Units and origin through the header: 1000 units of resolution per master unit, origin
    // (5, 6, 7).
    EXPECT_DOUBLE_EQ(file->GetUnitsPerMaster(7), 1000.0);
    EXPECT_DOUBLE_EQ(file->GetUnitsPerMaster(3), 10000.0);
    const double origin[3] = {100, 200, 300};
    file->SetGlobalOrigin(7, origin);
    double out[3];
    file->GetGlobalOrigin(7, out);
    EXPECT_EQ(out[1], 200);
    Point2d p = {1100, 1200};
    file->ToMasterUnits2d(7, p);
    EXPECT_DOUBLE_EQ(p.x, 1.0);
    EXPECT_DOUBLE_EQ(p.y, 1.0);
}

// The level index is sparse: a level number read from a file takes no room by its size.
TEST_F(DesignFileObjectTest, LevelIndexHoldsAnyNumber)
{
    auto* a = new CLevelEntryElement(file);
    auto* b = new CLevelEntryElement(file);
    auto* c = new CLevelEntryElement(file);
    EXPECT_EQ(file->FindFreeLevelIndex(), 1);
    ASSERT_TRUE(file->SetLevelIndexEntry(6, a));
    EXPECT_EQ(file->GetLevel(5), a);
    EXPECT_EQ(file->GetLevel(6), nullptr);
    ASSERT_TRUE(file->SetLevelIndexEntry(1, b));
    ASSERT_TRUE(file->SetLevelIndexEntry(0x7FFFFFFF, c));
    EXPECT_EQ(file->GetLevel(0x7FFFFFFE), c);
    EXPECT_EQ(file->GetLevel(0x7FFFFFFF), nullptr);
    EXPECT_EQ(file->FindFreeLevelIndex(), 2);
    std::vector<CLevelEntryElement*> walked;
    int cursor = 0;
    while (CLevelEntryElement* e = file->NextLevel(&cursor))
        walked.push_back(e);
    EXPECT_EQ(walked, (std::vector<CLevelEntryElement*>{b, a, c}));
    EXPECT_EQ(file->NextLevelEntry(&cursor), nullptr);
    ASSERT_TRUE(file->SetLevelIndexEntry(1, nullptr));
    EXPECT_EQ(file->FindFreeLevelIndex(), 1);
}

TEST_F(DesignFileObjectTest, LineStyleNames)
{
    struct Case {
        std::int32_t style;
        const char* name;
    };
    const Case cases[] = {
        {0, "STANDARD_LSTYLE_0"}, {3, "STANDARD_LSTYLE_3"}, {7, "STANDARD_LSTYLE_7"},
        {0x7FFFFFFE, "LSTYLE_BY_CELL"}, {0x7FFFFFFF, "LSTYLE_BY_LAYER"}, {9, "LSTYLE_NAME_UNKNOWN"}, {-3, "LSTYLE_NAME_UNKNOWN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Narrow16(file->GetLineStyleName(c.style)), c.name) << c.style;
}

TEST_F(DesignFileObjectTest, ColoursFromTheDefaultTableOrTheFile)
{
    // The default table: white, blue, green, red first; numbers wrap at 256.
    EXPECT_EQ(GetColorRGB(0), 0xFFFFFFu);
    EXPECT_EQ(GetColorRGB(1), 0xFF0000u);
    EXPECT_EQ(GetColorRGB(3), 0x0000FFu);
    EXPECT_EQ(GetColorRGB(259), GetColorRGB(3));
    EXPECT_EQ(GetColorRGB(3, file), GetColorRGB(3)) << "a file without a colour table";
    // By level and by cell: the library's current and last by-cell colours.
    EXPECT_EQ(GetColorRGB(-1), GetColorRGB(GetCurrentSymbology().color));
    EXPECT_EQ(GetColorRGB(-2), GetColorRGB(GetLastByCellSymbology().color));

    // A file table: colour n is entry n + 1; one equal to the background (entry 0) shows as
    // its complement.
    std::uint8_t table[768];
    for (int i = 0; i < 256; ++i) {
        table[3 * i] = static_cast<std::uint8_t>(i);
        table[3 * i + 1] = 0x10;
        table[3 * i + 2] = 0x20;
    }
    file->SetColorTable(table, sizeof table);
    EXPECT_EQ(GetColorRGB(2, file), 0x201003u);
    table[12] = 0, table[13] = 0x10, table[14] = 0x20; // entry 4 = entry 0
    file->SetColorTable(table, sizeof table);
    EXPECT_EQ(GetColorRGB(3, file), 0xFFFFFFu - 0x201000u);
    EXPECT_EQ(GetColorRGB(255, file), 0x201000u ^ 0xFFFFFFu) << "255 wraps to entry 0";
    // A table shorter than 256 entries is none.
    file->SetColorTable(table, 767);
    EXPECT_EQ(GetColorRGB(3, file), GetColorRGB(3));
}

// The table the library answers is the one an independent reader (ogrinfo) shows for
// elements of each colour number: the test writes it for check_design_files.py.
TEST_F(DesignFileObjectTest, DefaultTableForTheIndependentReader)
{
    const auto path = cftest::FromEnv("YVEX_BINARY_DIR", "tests/plugins/dgn/lib/dgn_out");
    std::filesystem::create_directories(path);
    std::ofstream out(path / "default_colors.txt");
    char line[16];
    for (int k = 0; k < 256; ++k) {
        const std::uint32_t rgb = GetColorRGB(k);
        std::snprintf(line, sizeof line, "%d %02x%02x%02x\n", k, rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
        out << line;
    }
    EXPECT_TRUE(out.good());
}

TEST_F(DesignFileObjectTest, ReferencesAndSettings)
{
    CDesignFile* other = new CDesignFile;
    EXPECT_EQ(other->AddRef(), 2);
    EXPECT_EQ(other->Release(), 1);
    EXPECT_EQ(other->Release(), 0); // deleted
    file->SetSettingA(3);
    file->SetSettingC(9);
    file->SetPair(1, 2);
    EXPECT_EQ(file->GetSettingA(), 3);
    EXPECT_EQ(file->GetSettingC(), 9);
    EXPECT_EQ(file->GetChildEnd(), static_cast<IEntity*>(file->ChildList()));
    EXPECT_EQ(file->GetStatus(), 1) << "not loaded";
    EXPECT_EQ(file->SaveAs(u"never.dgn", 1), 0) << "a file that was not loaded is not saved";
}

TEST_F(DesignFileObjectTest, TablesAreFoundByNumber)
{
    const Bytes table5 = V8Record(96, 0x2400, 5, 40, Counting(8), {});
    const Bytes table7 = V8Record(96, 0x2400, 7, 41, Counting(8), {});
    for (const Bytes& r : {table5, table7})
        ASSERT_TRUE(file->CreateElementV8(r.data(), static_cast<std::uint32_t>(r.size()), false, nullptr));
    ASSERT_NE(file->FindTableHeader(7), nullptr);
    std::uint64_t id = 0;
    file->FindTableHeader(7)->GetElementId(&id);
    EXPECT_EQ(id, 41u);
    EXPECT_EQ(file->FindTableHeader(2), nullptr);
}

// Deleted records make nothing and count nothing; a refused record makes nothing.
TEST_F(DesignFileObjectTest, ElementFactoryForV8Records)
{
    struct Case {
        const char* what;
        Bytes record;
        bool ok;
        bool made;
        const char* cls;
    };
    const Case cases[] = {
        {"model header", ModelHeaderRecord(), true, true, "model"},
        {"application data", ApplicationDataRecord(26, 10), true, true, "appdata"},
        {"type 57", Type57Record(1, 10), true, true, "57"},
        {"type 56", Type56Record(10, {}), true, true, "56"},
        {"no class", UnknownPlainRecord(), true, true, "unknown"},
        {"deleted", V8Record(3, 0x8000, 1, 5, Counting(10), {}), true, false, ""},
        {"refused", V8Header(3, 0, 5, 20, 1, 5), false, false, ""},
    };
    for (const Case& c : cases) {
        const std::uint32_t before = file->GetLoadedCount();
        IElement* e = nullptr;
        file->SetCurrentModel(4);
        EXPECT_EQ(file->CreateElementV8(c.record.data(), static_cast<std::uint32_t>(c.record.size()), false, &e), c.ok) << c.what;
        EXPECT_EQ(e != nullptr, c.made) << c.what;
        EXPECT_EQ(file->GetLoadedCount(), before + (c.made ? 1 : 0)) << c.what;
        if (!e)
            continue;
        EXPECT_EQ(e->GetModel(), 4) << c.what;
        const std::string cls = c.cls;
        if (cls == "model") {
            EXPECT_NE(dynamic_cast<CApplicationElement*>(e), nullptr);
        } else if (cls == "unknown") {
            EXPECT_NE(dynamic_cast<CUnknownElement*>(e), nullptr);
        }
    }
}

// The thumbnail of a new file's summary information: a device bitmap under Windows, none
// where there is no display.
TEST_F(DesignFileObjectTest, ThumbnailOfTheSummaryInformation)
{
    CDesignFile* created = CreateDesignFile(nullptr);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->LoadThumbnail());
#ifdef _WIN32
    EXPECT_NE(created->GetThumbnail(), nullptr);
    EXPECT_EQ(created->GetThumbnailWidth(), 180);
    EXPECT_EQ(created->GetThumbnailHeight(), 116);
#else
    EXPECT_EQ(created->GetThumbnail(), nullptr);
#endif
    delete created;
    // Without the summary information there is none.
    EXPECT_FALSE(file->LoadThumbnail());
}
