// The DXF document and the drawing header on their own, over in-memory files: the HEADER section
// both ways, the sections and tables the document writes in either output version, and how a
// read dispatches sections (version refusal, the STYLE font, SORTENTSTABLE).
#include "interchange/DrawingHeader.h"
#include "interchange/DxfDocument.h"
#include "tests/support/DxfTestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// A stream holding the text.
IStream* StreamOf(const std::string& text)
{
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG written = 0;
    stream->Write(text.data(), static_cast<ULONG>(text.size()), &written);
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

// DXF text from pairs of code and value.
std::string Dxf(const std::vector<std::pair<int, std::string>>& groups)
{
    std::string text;
    for (const auto& g : groups)
        text += std::to_string(g.first) + "\r\n" + g.second + "\r\n";
    return text;
}

// The value after the first group 9 of that name.
std::string VariableValue(const std::vector<WrittenGroup>& groups, const char* name)
{
    for (size_t i = 0; i + 1 < groups.size(); ++i)
        if (groups[i].code == 9 && groups[i].value == name)
            return groups[i + 1].value;
    return "(missing)";
}

// A part that notes what it was asked for; reading consumes its piece up to ENDTAB or ENDSEC.
class RecordingPart : public CDxfRootPart
{
public:
    bool WriteDxfPart(CDxfFile& dxf) override
    {
        ++writes;
        return dxf.WriteStringGroup(999, "part");
    }
    int ReadDxfPart(CDxfFile& dxf) override
    {
        ++reads;
        while (dxf.ReadGroup())
            if (dxf.GetCode() == 0 && (dxf.GetKeywordIndex() == CDxfFile::kwEndsec || dxf.GetKeywordIndex() == CDxfFile::kwEndtab))
                return 1;
        return 0;
    }
    std::string GetDefaultFontName() const override { return "Arial"; }
    void SetDefaultFontName(const char* name) override { font = name; }
    int writes = 0;
    int reads = 0;
    std::string font;
};

} // namespace

TEST(DxfKeywords, TheNamedIndicesNameTheirKeywords)
{
    const struct {
        int index;
        const char* text;
    } cases[] = {{CDxfFile::kwAcadVer, "$ACADVER"}, {CDxfFile::kwLtScale, "$LTSCALE"}, {CDxfFile::kwCeColor, "$CECOLOR"},
                 {CDxfFile::kwCeLType, "$CELTYPE"}, {CDxfFile::kwCeLTScale, "$CELTSCALE"}, {CDxfFile::kwCeLWeight, "$CELWEIGHT"},
                 {CDxfFile::kwCLayer, "$CLAYER"}, {CDxfFile::kwTextStyleVar, "$TEXTSTYLE"}, {CDxfFile::kwAppid, "APPID"},
                 {CDxfFile::kwBlocks, "BLOCKS"}, {CDxfFile::kwEntities, "ENTITIES"}, {CDxfFile::kwExtMin, "$EXTMIN"},
                 {CDxfFile::kwInsBase, "$INSBASE"}, {CDxfFile::kwExtMax, "$EXTMAX"}, {CDxfFile::kwHeader, "HEADER"},
                 {CDxfFile::kwInsUnits, "$INSUNITS"}, {CDxfFile::kwLUnits, "$LUNITS"}, {CDxfFile::kwImagedef, "IMAGEDEF"},
                 {CDxfFile::kwLtype, "LTYPE"}, {CDxfFile::kwLimMin, "$LIMMIN"}, {CDxfFile::kwLimMax, "$LIMMAX"},
                 {CDxfFile::kwMeasurement, "$MEASUREMENT"}, {CDxfFile::kwObjects, "OBJECTS"}, {CDxfFile::kwSection, "SECTION"},
                 {CDxfFile::kwSortEntsTable, "SORTENTSTABLE"}, {CDxfFile::kwStyle, "STYLE"}, {CDxfFile::kwTables, "TABLES"},
                 {CDxfFile::kwOrthoMode, "$ORTHOMODE"}, {CDxfFile::kwUserI1, "$USERI1"}, {CDxfFile::kwUserI3, "$USERI3"},
                 {CDxfFile::kwUserI4, "$USERI4"}, {CDxfFile::kwUserR1, "$USERR1"}, {CDxfFile::kwUserR2, "$USERR2"}};
    for (const auto& c : cases)
        EXPECT_STREQ(CDxfFile::KeywordFromIndex(c.index), c.text) << c.index;
}

TEST(DrawingHeader, ANewHeaderWritesItsDefaults)
{
    CDrawingHeader header;
    const auto groups = WrittenGroups([&](CDxfFile& dxf) { header.Write(dxf); });
    ASSERT_GE(groups.size(), 4u);
    EXPECT_EQ(groups[0], (WrittenGroup{0, "SECTION"}));
    EXPECT_EQ(groups[1], (WrittenGroup{2, "HEADER"}));
    EXPECT_EQ(groups.back(), (WrittenGroup{0, "ENDSEC"}));
    EXPECT_EQ(VariableValue(groups, "$ACADVER"), "AC1009");
    EXPECT_EQ(VariableValue(groups, "$INSUNITS"), "4");
    EXPECT_EQ(std::stod(VariableValue(groups, "$LTSCALE")), 50.0);
    EXPECT_EQ(VariableValue(groups, "$CELTYPE"), "BYLAYER");
    EXPECT_EQ(VariableValue(groups, "$CECOLOR"), "256");
    EXPECT_EQ(VariableValue(groups, "$USERI1"), "4");
    EXPECT_EQ(VariableValue(groups, "$LUNITS"), "2");
    EXPECT_EQ(VariableValue(groups, "$TEXTSTYLE"), "STANDARD");
}

TEST(DrawingHeader, WhatItWritesItReads)
{
    CDrawingHeader written;
    written.SetVersionByName("AC1012");
    written.extents = {-5.0f, 40.0f, 30.0f, -10.0f};
    written.limits = {0.0f, 297.0f, 420.0f, 0.0f};
    written.currentLayerName = "WALLS";
    written.currentLineTypeName = "DASHED";
    written.currentColour = 3;
    written.currentLineTypeScale = 2.0f;
    written.lineTypeScale = 7.5f;
    written.unit = 6;
    written.currentLineWeight = 35;
    written.imageScale = 0.5f;
    written.editNewText = 0;
    written.showRulers = 1;
    written.scalePenWeight = 1;
    written.hatchPatternScale = 3.0f;
    written.hatchColour = 5;
    written.hatchPattern = 7;
    written.orthoMode = 1;
    CDxfFile dxf;
    const std::string text = WrittenText([&](CDxfFile& f) { written.Write(f); }, dxf);
    IStream* stream = StreamOf(text);
    ASSERT_TRUE(dxf.OpenStream(stream, true));
    ASSERT_TRUE(dxf.ReadGroup());
    ASSERT_TRUE(dxf.ReadGroup());
    CDrawingHeader read;
    read.Read(dxf);
    // The group that ends the section is left for the caller.
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_EQ(dxf.GetKeywordIndex(), CDxfFile::kwEndsec);
    dxf.Close();
    stream->Release();
    EXPECT_EQ(read.versionIndex, CDrawingHeader::kVersionAC1012);
    EXPECT_EQ(read.extents.left, -5.0f);
    EXPECT_EQ(read.extents.top, 40.0f);
    EXPECT_EQ(read.extents.right, 30.0f);
    EXPECT_EQ(read.extents.bottom, -10.0f);
    EXPECT_EQ(read.limits.top, 297.0f);
    EXPECT_EQ(read.limits.right, 420.0f);
    EXPECT_EQ(read.currentLayerName, "WALLS");
    EXPECT_EQ(read.currentLineTypeName, "DASHED");
    EXPECT_EQ(read.currentColour, 3);
    EXPECT_EQ(read.currentLineTypeScale, 2.0f);
    EXPECT_EQ(read.lineTypeScale, 7.5f);
    EXPECT_EQ(read.unit, 6);
    EXPECT_EQ(read.unitAsRead, 6);
    EXPECT_EQ(read.currentLineWeight, 35);
    EXPECT_EQ(read.imageScale, 0.5f);
    EXPECT_EQ(read.editNewText, 0);
    EXPECT_EQ(read.showRulers, 1);
    EXPECT_EQ(read.scalePenWeight, 1);
    EXPECT_EQ(read.hatchPatternScale, 3.0f);
    EXPECT_EQ(read.hatchColour, 5);
    EXPECT_EQ(read.hatchPattern, 7);
    EXPECT_EQ(read.orthoMode, 1);
}

TEST(DrawingHeader, ReadsItsVariablesByTheirRules)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, std::string>> groups;
        std::set<int> available;
        std::function<void(const CDrawingHeader&)> check;
    };
    const std::vector<Case> cases = {
        {"$LTSCALE 0 means 50", {{9, "$LTSCALE"}, {40, "0.0"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.lineTypeScale, 50.0f); }},
        {"$USERR1 0 changes nothing", {{9, "$USERR1"}, {40, "0.0"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.imageScale, 0.1f); }},
        {"$LUNITS 4 takes an available unit", {{9, "$LUNITS"}, {70, "4"}}, {6}, [](const CDrawingHeader& h) { EXPECT_EQ(h.unit, 6); }},
        {"$LUNITS 2 leaves the unit", {{9, "$LUNITS"}, {70, "2"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.unit, 4); }},
        {"$INSUNITS feet", {{9, "$INSUNITS"}, {70, "2"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.unit, 2); }},
        {"$INSUNITS feet among mm and m", {{9, "$INSUNITS"}, {70, "2"}}, {4, 6}, [](const CDrawingHeader& h) { EXPECT_EQ(h.unit, 6); }},
        {"extents spanned", {{9, "$EXTMIN"}, {10, "10"}, {20, "5"}, {9, "$EXTMAX"}, {20, "20"}, {10, "0"}}, {},
         [](const CDrawingHeader& h) {
             EXPECT_EQ(h.extents.left, 0.0f);
             EXPECT_EQ(h.extents.right, 10.0f);
             EXPECT_EQ(h.extents.bottom, 5.0f);
             EXPECT_EQ(h.extents.top, 20.0f);
         }},
        {"AC1012", {{9, "$ACADVER"}, {1, "AC1012"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.versionIndex, 2); }},
        {"AC1015", {{9, "$ACADVER"}, {1, "AC1015"}}, {}, [](const CDrawingHeader& h) { EXPECT_EQ(h.versionIndex, 0); }},
        {"$USERI1 3", {{9, "$USERI1"}, {70, "3"}}, {},
         [](const CDrawingHeader& h) {
             EXPECT_EQ(h.showRulers, 1);
             EXPECT_EQ(h.scalePenWeight, 1);
             EXPECT_EQ(h.editNewText, 0);
         }},
        {"a variable with the wrong code stays", {{9, "$CECOLOR"}, {70, "3"}, {9, "$CLAYER"}, {8, "A"}}, {},
         [](const CDrawingHeader& h) {
             EXPECT_EQ(h.currentColour, 256);
             EXPECT_EQ(h.currentLayerName, "A");
         }},
        {"unknown variables are skipped", {{9, "$DIMSCALE"}, {40, "3"}, {9, "$MEASUREMENT"}, {70, "1"}}, {},
         [](const CDrawingHeader& h) { EXPECT_EQ(h.measurement, 1); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto groups = c.groups;
        groups.push_back({0, "ENDSEC"});
        IStream* stream = StreamOf(Dxf(groups));
        CDxfFile dxf;
        ASSERT_TRUE(dxf.OpenStream(stream, true));
        CDrawingHeader header;
        header.availableUnits = c.available;
        header.Read(dxf);
        c.check(header);
        ASSERT_TRUE(dxf.ReadGroup());
        EXPECT_EQ(dxf.GetKeywordIndex(), CDxfFile::kwEndsec);
        dxf.Close();
        stream->Release();
    }
}

namespace {

std::vector<WrittenGroup> WriteDocument(int version, RecordingPart& part, bool withRoot = true)
{
    CDrawingHeader header;
    header.versionIndex = version;
    header.versionText = CDrawingHeader::VersionText(version);
    CDxfDocument doc;
    CDxfDocument::Parts parts;
    parts.header = &header;
    parts.blocks = &part;
    parts.root = withRoot ? &part : nullptr;
    parts.layers = &part;
    parts.viewports = &part;
    doc.SetParts(parts);
    doc.GetFile().SetHandleCounter(0x2E);
    IStream* stream = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_TRUE(doc.SaveToStream(stream));
    EXPECT_FALSE(doc.GetFile().IsOpen());
    // The APPID table takes one handle; the newer version gives every table and entry one (the
    // parts here write none of their own) and three to the dictionaries of OBJECTS.
    EXPECT_EQ(doc.GetFile().GetHandleCounter(), version == 1 ? 0x2Fu : 0x37u);
    STATSTG stat = {};
    stream->Stat(&stat, STATFLAG_NONAME);
    std::string text(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    LARGE_INTEGER zero = {};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG got = 0;
    stream->Read(&text[0], static_cast<ULONG>(text.size()), &got);
    stream->Release();
    return GroupsOfText(text);
}

int Count(const std::vector<WrittenGroup>& groups, const WrittenGroup& g)
{
    int n = 0;
    for (const auto& x : groups)
        n += x == g;
    return n;
}

int CountCode(const std::vector<WrittenGroup>& groups, int code)
{
    int n = 0;
    for (const auto& x : groups)
        n += x.code == code;
    return n;
}

std::vector<std::string> Sections(const std::vector<WrittenGroup>& groups)
{
    std::vector<std::string> names;
    for (size_t i = 0; i + 1 < groups.size(); ++i)
        if (groups[i] == WrittenGroup{0, "SECTION"})
            names.push_back(groups[i + 1].value);
    return names;
}

} // namespace

TEST(DxfDocument, TheOutputVersionDecidesSubclassesStyleDataAndObjects)
{
    RecordingPart part;
    const auto r12 = WriteDocument(CDrawingHeader::kVersionAC1009, part);
    EXPECT_EQ(Sections(r12), (std::vector<std::string>{"HEADER", "TABLES", "BLOCKS", "ENTITIES"}));
    EXPECT_EQ(CountCode(r12, 100), 0);
    EXPECT_EQ(Count(r12, {1001, "ACAD"}), 0);
    EXPECT_EQ(r12.back(), (WrittenGroup{0, "EOF"}));
    // The parts: viewports, layers, blocks, root.
    EXPECT_EQ(part.writes, 4);
    // The next free handle, above the one handle written.
    EXPECT_EQ(VariableValue(r12, "$HANDSEED"), "00000030");

    const auto r13 = WriteDocument(CDrawingHeader::kVersionAC1012, part);
    EXPECT_EQ(Sections(r13), (std::vector<std::string>{"HEADER", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS"}));
    EXPECT_EQ(Count(r13, {100, "AcDbSymbolTable"}), 2);
    EXPECT_EQ(Count(r13, {100, "AcDbTextStyleTableRecord"}), 1);
    EXPECT_EQ(Count(r13, {100, "AcDbRegAppTableRecord"}), 2);
    EXPECT_EQ(Count(r13, {1001, "ACAD"}), 1);
    EXPECT_EQ(Count(r13, {1071, "52242"}), 1);
    EXPECT_EQ(VariableValue(r13, "$ACADVER"), "AC1012");
    // Every table and table entry under a handle of its own; the root dictionary first among the
    // objects, naming the (empty) dictionary of groups (no images: no image dictionary);
    // $HANDSEED above all handles.
    for (size_t i = 0; i + 2 < r13.size(); ++i) {
        if (r13[i] == WrittenGroup{0, "TABLE"}) {
            EXPECT_EQ(r13[i + 2].code, 5) << r13[i + 1].value;
        }
        if (r13[i] == WrittenGroup{0, "STYLE"} || r13[i] == WrittenGroup{0, "APPID"}) {
            EXPECT_EQ(r13[i + 1].code, 5) << r13[i].value;
        }
    }
    const auto objects = std::find(r13.begin(), r13.end(), WrittenGroup{2, "OBJECTS"});
    ASSERT_NE(objects, r13.end());
    ASSERT_GT(r13.end() - objects, 11);
    const std::vector<WrittenGroup> dictionaries(objects + 1, objects + 11);
    EXPECT_EQ(dictionaries, (std::vector<WrittenGroup>{{0, "DICTIONARY"}, {5, "36"}, {100, "AcDbDictionary"},
                                                       {3, "ACAD_GROUP"}, {350, "37"}, {0, "DICTIONARY"}, {5, "37"},
                                                       {330, "36"}, {100, "AcDbDictionary"}, {0, "ENDSEC"}}));
    EXPECT_EQ(VariableValue(r13, "$HANDSEED"), "00000038");

    // Without a root: no ENTITIES, no ACAD data, and the STYLE font "txt".
    const auto bare = WriteDocument(CDrawingHeader::kVersionAC1012, part, false);
    EXPECT_EQ(Sections(bare), (std::vector<std::string>{"HEADER", "TABLES", "BLOCKS", "OBJECTS"}));
    EXPECT_EQ(Count(bare, {1001, "ACAD"}), 0);
    EXPECT_EQ(Count(bare, {3, "txt"}), 1);
}

TEST(DxfDocument, TheAppIdTableListsOurApplicationFirstUnderTheNextHandle)
{
    RecordingPart part;
    for (int version : {1, 2}) {
        const auto groups = WriteDocument(version, part);
        size_t table = 0;
        for (size_t i = 0; i + 1 < groups.size(); ++i)
            if (groups[i] == WrittenGroup{0, "TABLE"} && groups[i + 1] == WrittenGroup{2, "APPID"})
                table = i;
        ASSERT_NE(table, 0u) << version;
        // After the VPORT, LAYER and STYLE tables' handles in the newer version.
        EXPECT_EQ(groups[table + 2], (WrittenGroup{5, version == 1 ? "2f" : "33"})) << version;
        std::vector<std::string> names;
        for (size_t i = table; i < groups.size() && !(groups[i] == WrittenGroup{0, "ENDTAB"}); ++i)
            if (groups[i].code == 2 && groups[i].value != "APPID")
                names.push_back(groups[i].value);
        EXPECT_EQ(names, (std::vector<std::string>{"YVEXControl", "ACAD"})) << version;
    }
}

TEST(DxfDocument, AFileOfOnlyTheEndReadsOneGroupAndNothingElse)
{
    RecordingPart part;
    CDrawingHeader header;
    CDxfDocument doc;
    CDxfDocument::Parts parts;
    parts.header = &header;
    parts.root = &part;
    doc.SetParts(parts);
    IStream* stream = StreamOf(Dxf({{0, "EOF"}}));
    EXPECT_EQ(doc.LoadFromStream(stream), 1);
    EXPECT_EQ(part.reads, 0);
    EXPECT_FALSE(doc.GetFile().IsOpen());
    stream->Release();
    // No group at all: nothing read.
    IStream* empty = StreamOf("");
    EXPECT_EQ(doc.LoadFromStream(empty), 0);
    empty->Release();
}

TEST(DxfDocument, AnUnknownVersionStopsTheReadAfterTheHeader)
{
    RecordingPart part;
    CDrawingHeader header;
    CDxfDocument doc;
    CDxfDocument::Parts parts;
    parts.header = &header;
    parts.root = &part;
    parts.layers = &part;
    doc.SetParts(parts);
    const std::vector<std::pair<int, std::string>> tail = {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LAYER"},
                                                           {0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"},
                                                           {0, "ENDSEC"}, {0, "EOF"}};
    auto file = [&](const char* version) {
        std::vector<std::pair<int, std::string>> g = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, version}, {0, "ENDSEC"}};
        g.insert(g.end(), tail.begin(), tail.end());
        return Dxf(g);
    };
    IStream* refused = StreamOf(file("AC1015"));
    EXPECT_EQ(doc.LoadFromStream(refused), CDxfDocument::kVersionRefused);
    EXPECT_EQ(part.reads, 0);
    refused->Release();
    for (const char* version : {"AC1009", "AC1012"}) {
        part.reads = 0;
        IStream* accepted = StreamOf(file(version));
        EXPECT_EQ(doc.LoadFromStream(accepted), 1) << version;
        EXPECT_EQ(part.reads, 2) << version;
        accepted->Release();
    }
}

TEST(DxfDocument, TheStyleTableNamesTheDefaultFontAndItsFamilyNameWins)
{
    const struct {
        std::vector<std::pair<int, std::string>> entry;
        const char* font;
    } cases[] = {
        {{{3, "romans.shx"}}, "romans"},
        {{{3, "romans.shx"}, {1001, "ACAD"}, {1000, "Times New Roman"}, {1071, "52242"}}, "Times New Roman"},
        {{{3, "txt"}}, "txt"},
        {{{3, "a.ttf"}, {1001, "ACAD"}, {1070, "1"}}, "a"},
    };
    for (const auto& c : cases) {
        RecordingPart part;
        CDrawingHeader header;
        CDxfDocument doc;
        CDxfDocument::Parts parts;
        parts.header = &header;
        parts.root = &part;
        doc.SetParts(parts);
        std::vector<std::pair<int, std::string>> g = {{0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "STYLE"},
                                                      {70, "1"},      {0, "STYLE"},  {2, "STANDARD"}};
        g.insert(g.end(), c.entry.begin(), c.entry.end());
        g.insert(g.end(), {{0, "ENDTAB"}, {0, "ENDSEC"}, {0, "EOF"}});
        IStream* stream = StreamOf(Dxf(g));
        EXPECT_EQ(doc.LoadFromStream(stream), 1);
        EXPECT_EQ(part.font, c.font);
        stream->Release();
    }
}

TEST(DxfDocument, TheSortTableOrdersTheShapesItsHandlesName)
{
    std::map<int, uint32_t> order;
    CDxfDocument doc;
    CDxfDocument::Parts parts;
    parts.drawOrder = &order;
    doc.SetParts(parts);
    doc.AddHandle(0x20, 12);
    doc.AddHandle(0x21, 13);
    IStream* stream = StreamOf(Dxf({{0, "SECTION"}, {2, "OBJECTS"}, {0, "SORTENTSTABLE"}, {5, "40"}, {330, "1F"},
                                    {331, "20"}, {5, "A2"}, {331, "21"}, {5, "A1"}, {331, "99"}, {5, "A0"},
                                    {0, "DICTIONARY"}, {5, "41"}, {0, "ENDSEC"}, {0, "EOF"}}));
    EXPECT_EQ(doc.LoadFromStream(stream), 1);
    stream->Release();
    EXPECT_EQ(order, (std::map<int, uint32_t>{{12, 0xA2}, {13, 0xA1}}));
}
