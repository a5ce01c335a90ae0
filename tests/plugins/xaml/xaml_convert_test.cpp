// The xaml plug-in's inner steps on their own: the plotter record parser and reader, and the
// document stream's numbers, UTF-8 and escapes.
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "xaml/XAMLImport.h"
#include "xaml/XAMLStream.h"

namespace {

const float kNone = PlotRecord::kNotGiven;

TEST(PlotRecordTest, CodesOfARecord)
{
    struct Case {
        const char* text;
        int d, g;
        float x, y;
    };
    const Case cases[] = {
        {"X100Y200D02", 2, 0, 100, 200},
        {"G54D10", 10, 54, kNone, kNone},
        {"D01", 1, 0, kNone, kNone},
        {"D1", 1, 0, kNone, kNone},
        {"D001", 0, 0, kNone, kNone},
        {"X1.5Y2.9D01", 1, 0, 1, 2},
        {"X-150Y0D01", 1, 0, -150, 0},
        {"X+20Y-0.5", 0, 0, 20, 0},
        {"X 12 Y  34", 0, 0, 12, 34},
        {"X-Y5", 0, 0, kNone, 5},
        {"x10y20d01", 0, 0, kNone, kNone},
        {"X123456789012345Y1", 0, 0, kNone, 1},
        {"X12345678901234Y1", 0, 0, 12345678901234.0f, 1},
        {"M02", 0, 0, kNone, kNone},
        {"", 0, 0, kNone, kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const PlotRecord r = PlotRecord::Parse(c.text);
        EXPECT_EQ(r.text, c.text);
        EXPECT_EQ(r.D, c.d);
        EXPECT_EQ(r.G, c.g);
        EXPECT_EQ(r.X, c.x);
        EXPECT_EQ(r.Y, c.y);
    }
}

std::wstring Write(const std::string& content)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"records.gbr";
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

TEST(PlotRecordTest, RecordsComeWholeWhateverTheirLengthAndTheReads)
{
    // A record cut by the first read boundary (2048 bytes) with `tail` bytes before it, and
    // longer than a read.
    for (size_t tail : {1u, 49u, 50u, 51u, 300u, 2000u}) {
        SCOPED_TRACE(tail);
        const std::string first(2047 - tail, 'M');
        const std::string content = first + "*X" + std::string(3000, ' ') + "42Y7D01*Z";
        std::vector<PlotRecord> records;
        ASSERT_TRUE(CXAMLImport::ReadRecords(Write(content).c_str(), records));
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].text, first);
        EXPECT_EQ(records[1].X, 42);
        EXPECT_EQ(records[1].Y, 7);
        EXPECT_EQ(records[1].D, 1);
    }
    std::vector<PlotRecord> records;
    EXPECT_FALSE(CXAMLImport::ReadRecords(L"Z:\\no such folder\\x.gbr", records));
}

TEST(XamlStreamTest, NumbersAsTheClassicStreamWritesThem)
{
    EXPECT_EQ(CXAMLStream::Number(700), "700");
    EXPECT_EQ(CXAMLStream::Number(0.5), "0.5");
    EXPECT_EQ(CXAMLStream::Number(1.0 / 3), "0.333333");
    EXPECT_EQ(CXAMLStream::Number(1234567), "1.23457e+06");
    EXPECT_EQ(CXAMLStream::Number(0.00001), "1e-05");
    EXPECT_EQ(CXAMLStream::Number(-2.5), "-2.5");
}

TEST(XamlStreamTest, TextAsEscapedUtf8)
{
    EXPECT_EQ(CXAMLStream::Escape(CXAMLStream::Utf8(L"<b> & \"q\"")), "&lt;b&gt; &amp; &quot;q&quot;");
    EXPECT_EQ(CXAMLStream::Utf8(L"M\u00fcller \u20ac"), "M\xc3\xbcller \xe2\x82\xac");
    EXPECT_EQ(CXAMLStream::Utf8(L"\xd83d\xde00"), "\xf0\x9f\x98\x80");
    EXPECT_EQ(CXAMLStream::Utf8(L"a\xd800"), "a\xef\xbf\xbd");
    EXPECT_EQ(CXAMLStream::Escape("a\x01" "b"), "a b");
}

} // namespace
