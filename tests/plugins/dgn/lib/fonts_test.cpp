// Fonts: justification, the font cache and what it serves for each number, the built-in and
// crafted .fnt fonts, SHX fonts, TrueType fonts' GDI settings, and text boxes for ranges.
#include "DesignFile.h"
#include "Library.h"
#include "TransformHelper.h"
#include "elements/FontTableEntry.h"
#include "fonts/BuiltinFonts.h"
#include "fonts/FntFont.h"
#include "fonts/FontCache.h"
#include "fonts/FontResources.h"
#include "fonts/ShxFont.h"
#include "fonts/TrueTypeFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "design_file_support.h"
#include "element_test_support.h"

using namespace dgn;
using namespace dgn_test;

namespace {

using FontTest = DesignFileTest;

// Records the lines and arcs a font draws.
class GeometryRecorder : public RecordingSink {
public:
    GeometryRecorder() : RecordingSink(0) {}
    std::vector<std::pair<Point2d, Point2d>> lines;
    std::vector<Arc2d> arcs;
    void AddLine2d(const Point2d line[2]) override { lines.emplace_back(line[0], line[1]); }
    void AddArc2d(const Arc2d& arc) override { arcs.push_back(arc); }
};

TextParams2d Placement(double height, std::uint16_t justification = 2)
{
    TextParams2d p = {};
    p.justification = justification;
    p.lengthMultiplier = p.heightMultiplier = 1.0;
    p.height = height;
    return p;
}

const std::uint8_t* Text(const char* s) { return reinterpret_cast<const std::uint8_t*>(s); }

Bytes FixtureBytes(const std::string& name) { return cftest::ReadAll(cftest::Fixture(name)); }

// A .fnt font of cell height 4 and base line 0 whose 'A' is a line from (0, 0) to (4, 8) and an
// arc about (2, 2) of radius 2 from 0 to a half turn, with the given strokes instead when given.
Bytes CraftedFnt(const Bytes& strokes = {})
{
    Bytes data(256 + 512, 0);
    data['A'] = 6;
    auto setOffset = [&](int c, std::uint16_t at) {
        data[256 + 2 * c] = static_cast<std::uint8_t>(at);
        data[257 + 2 * c] = static_cast<std::uint8_t>(at >> 8);
    };
    setOffset(0, static_cast<std::uint16_t>(data.size()));
    Put32(data, 4);  // cell height
    Put16(data, 0);  // base line
    Put16(data, 0);
    Put16(data, 0);  // spacing
    Put32(data, 0);
    setOffset('A', static_cast<std::uint16_t>(data.size()));
    const Bytes glyph = strokes.empty() ? Bytes{0x00, 0x00, 0x84, 0x08, 2, 0x82, 2, 0, 128, 0xFF} : strokes;
    return Cat(data, glyph);
}

} // namespace

TEST(FontJustification, GridAndOffsets)
{
    struct Code {
        int code, grid;
    };
    for (const Code& c : {Code{7, 4}, Code{0, 6}, Code{2, 0}, Code{14, 2}, Code{12, 8}, Code{15, 0}, Code{16, 0}, Code{-1, 0}, Code{1000, 0}})
        EXPECT_EQ(JustificationToGridIndex(c.code), c.grid) << c.code;
    struct Offset {
        double w, h;
        int to, from;
        double x, y;
    };
    const Offset cases[] = {
        {10, 2, 8, 6, -10, 0},  {10, 2, 6, 8, 10, 0},     {10, 2, 0, 6, 0, 2}, {10, 2, 4, 0, -5, -0.8},
        {10, 2, 9, 0, 0.4, -0.8}, {10, 2, 20, 0, -10.4, -2.4}, {10, 2, 99, 0, 0, 0},
    };
    for (const Offset& c : cases) {
        const Point2d p = CFont::JustificationOffset(c.w, c.h, c.to, c.from);
        EXPECT_NEAR(p.x, c.x, 1e-9) << c.to << " from " << c.from;
        EXPECT_NEAR(p.y, c.y, 1e-9) << c.to << " from " << c.from;
    }
}

TEST_F(FontTest, TheCacheServesEachNumberItsFont)
{
    CFontCache* cache = file->GetFontCache();
    ASSERT_NE(cache, nullptr);
    ASSERT_NE(cache->SlotFont(0), nullptr) << "the default font";
    // Below 1024 with the TrueType fallback: number 4095, "Arial" without a name for it.
    CFont* fallback = file->LoadFontWithFallback(5);
    auto* trueType = dynamic_cast<CTrueTypeFont*>(fallback);
    ASSERT_NE(trueType, nullptr);
    EXPECT_EQ(trueType->GetFontNumber(), 4095);
    EXPECT_EQ(std::u16string(trueType->GetFaceName()), u"Arial");
    // The same number again: one slot, one more reference.
    const int references = fallback->GetReferences();
    CFont* again = file->LoadFontWithFallback(300);
    EXPECT_EQ(again, fallback);
    EXPECT_EQ(fallback->GetReferences(), references + 1);
    EXPECT_EQ(cache->SlotOf(4095), cache->SlotOf(4095));
    int slots = 0;
    for (int i = 0; i < CFontCache::kSlots; ++i)
        slots += cache->SlotFont(i) && cache->SlotFont(i)->GetFontNumber() == 4095;
    EXPECT_EQ(slots, 1);
    again->Release();
    fallback->Release();
    // A TrueType number the font table names takes that face.
    auto* entry = new CFontTableEntry(file);
    entry->SetFontName("Courier");
    entry->SetFontWord2(1500);
    file->GetFontTable()->AddChild(entry);
    auto* named = dynamic_cast<CTrueTypeFont*>(file->LoadFont(1500));
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(std::u16string(named->GetFaceName()), u"Courier");
    named->Release();
    // A TrueType number without a name, a resource number and a missing SHX font: the default.
    for (int number : {1600, 5, 700}) {
        CFont* font = file->LoadFont(number);
        EXPECT_EQ(font, cache->SlotFont(0)) << number;
        font->Release();
    }
}

#ifdef _WIN32
// SHX fonts are read from "<folder>\\<name>.SHX" (a Windows path: the native build's file
// names are another matter).
TEST_F(FontTest, ShxFontsFromTheirFolder)
{
    const auto folder = cftest::Fixture("fonts_shx");
    SetShxFontFolder(cftest::Wide(folder).c_str());
    struct Case {
        std::int32_t number;
        const char* name;
        bool shx;
    };
    for (const Case& c : {Case{600, "small_u", true}, Case{601, "small_s", true}, Case{602, "not_a_font", false}, Case{603, "absent", false}}) {
        auto* entry = new CFontTableEntry(file);
        entry->SetFontName(c.name);
        entry->SetFontWord2(static_cast<std::uint32_t>(c.number));
        file->GetFontTable()->AddChild(entry);
        CFont* font = file->LoadFont(c.number);
        EXPECT_EQ(dynamic_cast<CShxFont*>(font) != nullptr, c.shx) << c.name;
        if (!c.shx) {
            EXPECT_EQ(font, file->GetFontCache()->SlotFont(0)) << c.name;
        }
        font->Release();
    }
    SetShxFontFolder(nullptr);
}
#endif

TEST(FntFonts, BuiltinFontsByTheirFileName)
{
    for (const char* name : {"smooth.fnt", "C:\\fonts\\SMOOTH.FNT", "/x/StdText.Fnt", "fancy.fnt"}) {
        CFntFont* font = CFntFont::Create(name);
        ASSERT_NE(font, nullptr) << name;
        EXPECT_EQ(font->GetCellHeight(), 12) << name;
        EXPECT_GT(font->Advance('A'), 0) << name;
        font->Release();
    }
    EXPECT_EQ(CFntFont::Create("C:\\fonts\\nosuch.fnt"), nullptr);
    // The three fonts draw every printable character.
    for (const char* name : {"stdtext.fnt", "smooth.fnt", "fancy.fnt"}) {
        CFntFont* font = CFntFont::Create(name);
        GeometryRecorder sink;
        for (int c = 33; c < 127; ++c) {
            const std::size_t before = sink.lines.size() + sink.arcs.size();
            font->EmitGlyph(&sink, static_cast<unsigned char>(c), 0, 0, 1, 1, 0, 0, 0);
            EXPECT_GT(sink.lines.size() + sink.arcs.size(), before) << name << " " << static_cast<char>(c);
        }
        font->Release();
    }
}

// A hand-made glyph reaches the sink scaled: a text 8 high over a cell of 4 is drawn twice as
// large, the arc's radius too.
TEST(FntFonts, AHandMadeGlyphIsDrawnScaled)
{
    const Bytes data = CraftedFnt();
    CFntFont* font = CFntFont::CreateFromData(data.data(), static_cast<std::uint32_t>(data.size()));
    ASSERT_NE(font, nullptr);
    GeometryRecorder sink;
    TextParams2d p = Placement(8);
    p.origin = {100, 200};
    font->Draw2d(&sink, &p, Text("A"));
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_DOUBLE_EQ(sink.lines[0].first.x, 100);
    EXPECT_DOUBLE_EQ(sink.lines[0].second.x, 108);
    EXPECT_DOUBLE_EQ(sink.lines[0].second.y, 216);
    ASSERT_EQ(sink.arcs.size(), 1u);
    EXPECT_DOUBLE_EQ(sink.arcs[0].primary, 4);
    EXPECT_DOUBLE_EQ(sink.arcs[0].cx, 104);
    EXPECT_NEAR(sink.arcs[0].sweep, 3.14159265, 1e-6);
    EXPECT_DOUBLE_EQ(font->Width2d(&sink, &p, Text("AA")), 24.0);
    font->Release();
}

// Strokes and offsets are read only inside the data.
TEST(FntFonts, OffsetsAndStrokesStayInsideTheData)
{
    Bytes pastEnd = CraftedFnt();
    const Bytes whole = CraftedFnt();
    pastEnd[256 + 2 * 'A'] = 0xFF;
    pastEnd[257 + 2 * 'A'] = 0xFF;
    const Bytes cases[] = {
        pastEnd,
        CraftedFnt({0x80, 0x04}),             // a line, then the end of the data without 0xFF
        CraftedFnt({0x80, 0x84, 2}),          // an arc record cut short
        Bytes(whole.begin(), whole.begin() + 700), // shorter than the offset table
    };
    for (const Bytes& data : cases) {
        // Each data in a block of exactly its size.
        std::vector<std::uint8_t> block(data);
        CFntFont* font = CFntFont::CreateFromData(block.data(), static_cast<std::uint32_t>(block.size()));
        if (!font)
            continue;
        GeometryRecorder sink;
        TextParams2d p = Placement(8);
        font->Draw2d(&sink, &p, Text("AAB"));
        font->Release();
    }
    Bytes header = CraftedFnt();
    header[256] = 0xF0; // the header's offset past the data
    header[257] = 0xFF;
    EXPECT_EQ(CFntFont::CreateFromData(header.data(), static_cast<std::uint32_t>(header.size())), nullptr);
}

TEST(ShxFonts, ShapesOfBothKinds)
{
    for (const char* name : {"fonts_shx/small_u.shx", "fonts_shx/small_s.shx"}) {
        SCOPED_TRACE(name);
        const Bytes data = FixtureBytes(name);
        CShxFont* font = CShxFont::CreateFromData(data.data(), static_cast<std::uint32_t>(data.size()));
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->GetAbove(), 8);
        EXPECT_TRUE(font->HasShape('A'));
        EXPECT_EQ(font->Advance('A'), 4);
        GeometryRecorder sink;
        TextParams2d p = Placement(16);
        font->Draw2d(&sink, &p, Text("A"));
        // Text 16 high over 8 units: the vectors doubled.
        ASSERT_EQ(sink.lines.size(), 2u);
        EXPECT_DOUBLE_EQ(sink.lines[0].second.y, 16);
        sink.lines.clear();
        font->Draw2d(&sink, &p, Text("B"));
        EXPECT_EQ(sink.arcs.size(), 2u) << "the octant arc and the bulge";
        EXPECT_DOUBLE_EQ(sink.arcs[0].primary, 6);
        sink.arcs.clear();
        font->Draw2d(&sink, &p, Text("C"));
        EXPECT_GE(sink.lines.size(), 4u) << "the subshape and the pairs";
        EXPECT_DOUBLE_EQ(font->Width2d(&sink, &p, Text("AA")), 16.0);
        font->Release();
    }
    const Bytes notFont = FixtureBytes("fonts_shx/not_a_font.shx");
    EXPECT_EQ(CShxFont::CreateFromData(notFont.data(), static_cast<std::uint32_t>(notFont.size())), nullptr);
}

// A shape that calls itself, and one that pushes more positions than the stack holds, end.
TEST(ShxFonts, SubshapesAndTheStackAreBounded)
{
    const Bytes data = FixtureBytes("fonts_shx/recursive.shx");
    CShxFont* font = CShxFont::CreateFromData(data.data(), static_cast<std::uint32_t>(data.size()));
    ASSERT_NE(font, nullptr);
    GeometryRecorder sink;
    TextParams2d p = Placement(8);
    font->Draw2d(&sink, &p, Text("A"));
    EXPECT_GT(sink.lines.size(), 1u);
    EXPECT_LT(sink.lines.size(), 20u);
    font->Release();
    // Definitions cut anywhere read nothing past their end.
    const Bytes small = FixtureBytes("fonts_shx/small_u.shx");
    for (std::size_t n = 0; n < small.size(); ++n) {
        std::vector<std::uint8_t> block(small.begin(), small.begin() + static_cast<std::ptrdiff_t>(n));
        CShxFont* cut = CShxFont::CreateFromData(block.data(), static_cast<std::uint32_t>(block.size()));
        if (cut) {
            cut->Draw2d(&sink, &p, Text("ABC"));
            cut->Release();
        }
    }
}

// GDI fonts: at least 2 pixels high, the angle taken round the full turn (-30 degrees is 330);
// without a device context a character is 0.2 of the height wide.
TEST(TrueTypeFonts, GdiFontSettingsAndWidths)
{
    CTrueTypeFont* font = CTrueTypeFont::Create(u"Arial");
    ASSERT_NE(font, nullptr);
    struct Case {
        std::int32_t height, angle;
        std::int32_t gdiHeight, gdiAngle;
    };
    for (const Case& c : {Case{1, 0, 2, 0}, Case{20, -300, 20, 3300}, Case{20, 3600, 20, 0}, Case{20, 3700, 20, 100}, Case{12, 450, 12, 450}}) {
        void* gdi = font->PrepareGdiFont(c.height, c.angle);
        EXPECT_EQ(font->GetGdiHeight(), c.gdiHeight) << c.height << " " << c.angle;
        EXPECT_EQ(font->GetGdiAngle(), c.gdiAngle) << c.height << " " << c.angle;
#ifdef _WIN32
        EXPECT_NE(gdi, nullptr);
#else
        EXPECT_EQ(gdi, nullptr);
#endif
    }
    GeometryRecorder sink;
    TextParams2d p = Placement(10);
    EXPECT_DOUBLE_EQ(font->Width2d(&sink, &p, Text("abcd")), 8.0);
    p.height = 0;
    EXPECT_DOUBLE_EQ(font->Width2d(&sink, &p, Text("abcd")), 0.0);
    font->Release();
}

// The range of a text: its box from its font, placed by its justification; without a design
// file characters are 0.6 of the height wide.
TEST_F(FontTest, TextBoxesForRanges)
{
    struct Case {
        bool withFile;
        std::uint16_t justification;
        double low[2], high[2];
    };
    // "AB" 12 high in the default font: 9 + 9 wide.
    const Case cases[] = {
        {true, 2, {0, 0}, {18, 12}},
        {true, 0, {0, -12}, {18, 0}},
        {true, 14, {-18, 0}, {0, 12}},
        {false, 2, {0, 0}, {14.4, 12}},
    };
    for (const Case& c : cases) {
        CTransformHelper* range = CTransformHelper::Create();
        range->SetDesignFile(c.withFile ? file : nullptr);
        TextParams2d p = Placement(12, c.justification);
        range->AddText2d(&p, Text("AB"), 0);
        ASSERT_TRUE(range->HasRange());
        EXPECT_NEAR(range->Range()[0], c.low[0], 1e-9) << c.justification;
        EXPECT_NEAR(range->Range()[1], c.low[1], 1e-9) << c.justification;
        EXPECT_NEAR(range->Range()[3], c.high[0], 1e-9) << c.justification;
        EXPECT_NEAR(range->Range()[4], c.high[1], 1e-9) << c.justification;
        delete range;
    }
}
