// The DXF group file: keyword tables, reading files written by another program (ezdxf, ASCII
// with bare line feeds and binary), the open rules, the value classes and sizes of both forms,
// push-back, malformed data, and small drawings written for independent readers.
#include "interchange/DxfFile.h"
#include "interchange/DxfTextPieces.h"

#include <gtest/gtest.h>
#include "tests/support/TestPaths.h"
#include <shlwapi.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {


std::string Fixture(const char* name) { return WinPath("YVEX_SOURCE_DIR", std::string("tests/fixtures/dxf/") + name); }

std::string OutputDir()
{
    const std::string dir = WinPath("YVEX_BINARY_DIR", "tests/interchange/dxf_out");
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

std::string Scratch(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + "yvex_dxf_" + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << bytes;
}

std::string Hex(const std::string& bytes)
{
    std::string s;
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", static_cast<unsigned char>(bytes[i]));
        s += b;
    }
    return s;
}

const std::string kSentinel("AutoCAD Binary DXF\r\n\x1a\0", 22);

// A group as the tests write and expect it.
struct G {
    int code;
    char cls;  // I, R, T, H
    std::string text;
    double real = 0;
    int32_t integer = 0;

    static G Int(int code, int32_t v) { return {code, 'I', "", 0, v}; }
    static G Real(int code, double v) { return {code, 'R', "", v, 0}; }
    static G Text(int code, const std::string& v) { return {code, 'T', v, 0, 0}; }
    static G Handle(int code, uint32_t v) { return {code, 'H', "", 0, static_cast<int32_t>(v)}; }
};

bool Put(CDxfFile& dxf, const G& g)
{
    dxf.SetCode(g.code);
    switch (g.cls) {
    case 'I':
        dxf.SetInt(g.integer);
        break;
    case 'R':
        dxf.SetReal(g.real);
        break;
    case 'H':
        dxf.SetHandle(static_cast<uint32_t>(g.integer));
        break;
    default:
        dxf.SetText(g.text.c_str());
        break;
    }
    return dxf.WriteGroup();
}

// The current group equals g (as the reader holds it).
::testing::AssertionResult Holds(const CDxfFile& dxf, const G& g)
{
    if (dxf.GetCode() != g.code)
        return ::testing::AssertionFailure() << "code " << dxf.GetCode() << " instead of " << g.code;
    const char cls = "NIRTH"[dxf.ClassOf(g.code)];
    if (cls != g.cls)
        return ::testing::AssertionFailure() << "class " << cls << " instead of " << g.cls << " for " << g.code;
    bool same = true;
    switch (g.cls) {
    case 'I':
        same = dxf.GetInt() == g.integer;
        break;
    case 'R':
        same = dxf.GetReal() == g.real;
        break;
    case 'H':
        same = dxf.GetHandle() == static_cast<uint32_t>(g.integer);
        break;
    default:
        same = g.text == dxf.GetText();
        break;
    }
    if (!same)
        return ::testing::AssertionFailure() << "value of group " << g.code << " (raw '" << dxf.GetRawText() << "')";
    return ::testing::AssertionSuccess();
}

std::vector<G> ReadListing(const std::string& path)
{
    std::vector<G> groups;
    std::istringstream in(ReadAll(path));
    std::string line;
    while (std::getline(in, line)) {
        const size_t a = line.find('|');
        const size_t b = line.find('|', a + 1);
        const int code = std::atoi(line.substr(0, a).c_str());
        const char cls = line[a + 1];
        const std::string value = line.substr(b + 1);
        if (cls == 'I')
            groups.push_back(G::Int(code, std::atoi(value.c_str())));
        else if (cls == 'R')
            groups.push_back(G::Real(code, std::strtod(value.c_str(), nullptr)));
        else if (cls == 'H')
            groups.push_back(G::Handle(code, std::strtoul(value.c_str(), nullptr, 16)));
        else
            groups.push_back(G::Text(code, value));
    }
    return groups;
}

// Reads every group and compares it with the expected list.
void ExpectGroups(CDxfFile& dxf, const std::vector<G>& expected, const std::string& what)
{
    size_t n = 0;
    while (dxf.ReadGroup()) {
        ASSERT_LT(n, expected.size()) << what;
        ASSERT_TRUE(Holds(dxf, expected[n])) << what << " group " << n;
        ++n;
    }
    EXPECT_FALSE(dxf.HasError()) << what;
    EXPECT_EQ(n, expected.size()) << what;
}

IStream* StreamOf(const std::string& bytes)
{
    IStream* s = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    return s;
}

TEST(DxfKeywords, IndicesAndLookups)
{
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(47), "SECTION");
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(1), "$ACADVER");
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(67), "$USERR5");
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(68), "Korvane");
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(69), "YVEXControl");
    EXPECT_STREQ(CDxfFile::KeywordFromIndex(83), "POLYLINE DATA");
    EXPECT_EQ(CDxfFile::KeywordFromIndex(0), nullptr);
    EXPECT_EQ(CDxfFile::KeywordFromIndex(84), nullptr);
    EXPECT_EQ(CDxfFile::LookupKeyword("LINE"), 37);
    EXPECT_EQ(CDxfFile::LookupKeyword("Line"), 0);
    EXPECT_EQ(CDxfFile::LookupKeyword("IMAGEDEF_REACTOR"), 35);
    EXPECT_EQ(CDxfFile::LookupKeyword("IMAGEDEF_REACTORS"), 0);
    EXPECT_EQ(CDxfFile::LookupKeyword("YVEXControl"), 0);  // another map
    EXPECT_EQ(CDxfFile::LookupApplication("YVEXControl"), 69);
    EXPECT_EQ(CDxfFile::LookupApplication("Korvane"), 68);
    EXPECT_EQ(CDxfFile::LookupXDataName("ARROWS"), 82);
    EXPECT_EQ(CDxfFile::LookupXDataName("SHAPE HATCH DATA"), 74);
    EXPECT_EQ(CDxfFile::LookupXDataName(""), 0);
    EXPECT_EQ(CDxfFile::LookupXDataName(" ARROWS"), 0);
    EXPECT_EQ(CDxfFile::LookupXDataName(nullptr), 0);
}

// Every keyword is found under its own index in its own set, and in no other set.
TEST(DxfKeywords, EveryKeywordFindsItsIndex)
{
    for (int i = 1; i <= CDxfFile::kwLast; ++i) {
        const char* k = CDxfFile::KeywordFromIndex(i);
        const bool application = i >= CDxfFile::kwApplicationFirst && i < CDxfFile::kwXDataFirst;
        const bool xdata = i >= CDxfFile::kwXDataFirst;
        EXPECT_EQ(CDxfFile::LookupKeyword(k), application || xdata ? 0 : i) << k;
        EXPECT_EQ(CDxfFile::LookupApplication(k), application ? i : 0) << k;
        EXPECT_EQ(CDxfFile::LookupXDataName(k), xdata ? i : 0) << k;
        const std::string shorter(k, std::strlen(k) - 1), longer = std::string(k) + "S";
        EXPECT_NE(CDxfFile::LookupKeyword(shorter.c_str()), i) << k;
        EXPECT_NE(CDxfFile::LookupKeyword(longer.c_str()), i) << k;
    }
}

// The reader's number rules are the C runtime's (strtol, strtod, strtoul in base 16, in the "C"
// locale) without its locale: the same value, bit for bit, for numbers of every form, with white
// space, signs, junk behind them and values beyond their range.
TEST(DxfNumbers, ReadAsTheRuntimeReadsThem)
{
    std::vector<std::string> texts = {
        "", " ", "-", "+", "+-1", "-+1", ".", "-.", "e5", "1e", "1e+", "1e-", ".5", "5.", "-0", "+0", "00012",
        "1,5", "0x", "0x1A", "-0x1A", "0X1a", "0x.8", "0x1.8p1", "0xg", "0x-1", "0xinf", "inf", "-inf", "INF",
        "infinity", "infin", "nan", "-nan", "NaN", "nan(123)", "nan()", "nan(0)", "nan(abc)", "nan(xyz)", "-nan(5)",
        "nan(0x10)", "nan(fffffffffffffff)", "NAN(7)", "nan(12", "nan(12x", "nan(0x)", "2147483647", "2147483648", "-2147483648",
        "-2147483649", "4294967295", "4294967296", "99999999999999999999999", "FFFFFFFF", "100000000", "-1",
        "-FFFFFFFF", "-100000000", "1.7976931348623157e308", "1.7976931348623159e308", "1e309", "-1e309",
        "2.4703282292062327e-324", "2.4703282292062328e-324", "4.9406564584124654e-324", "1e-400", "-1e-400",
        "2.2250738585072011e-308", "9007199254740993", "0.1", "1e23", "123456789012345678901234567890",
        "0.000000000000000000000000000001e30", "\f7", "\v-3", "\r2", " \t 12 ", "12abc", "1 2", "1F", "1f",
        "abc", "-abc", "1e+0400", "1e-0400", "0e999999999", "1e-999999999", "0x1p-1080", "0x1p1024", "0x1p1023",
        std::string("1\0" "2", 3), std::string(2049, '9'), "0." + std::string(400, '0') + "1",
    };
    // And a few thousand numbers put together at random from the same parts.
    std::mt19937 random(20261210);
    const char* const blanks[] = {"", "", " ", "\t", "\f", "  "};
    const char* const signs[] = {"", "", "-", "+"};
    const char* const tails[] = {"", "", "", "x", "e", "e+", " 5", ",5", ".", "p3"};
    auto digits = [&](int most, bool hex) {
        std::string d;
        const int n = static_cast<int>(random() % static_cast<unsigned>(most + 1));
        for (int i = 0; i < n; ++i)
            d.push_back((hex ? "0123456789abcdefABCDEF" : "0123456789")[random() % (hex ? 22 : 10)]);
        return d;
    };
    for (int i = 0; i < 4000; ++i) {
        const bool hex = random() % 8 == 0;
        std::string t = std::string(blanks[random() % 6]) + signs[random() % 4] + (hex ? "0x" : "");
        t += digits(20, hex);
        if (random() % 2)
            t += "." + digits(20, hex);
        if (random() % 2)
            t += std::string(hex ? "p" : "e") + signs[random() % 4] + std::to_string(random() % 700);
        t += tails[random() % 10];
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        const double expected = std::strtod(t.c_str(), nullptr);
        const double got = CDxfFile::ParseReal(t.data(), t.size());
        uint64_t expectedBits, gotBits;
        std::memcpy(&expectedBits, &expected, sizeof expected);
        std::memcpy(&gotBits, &got, sizeof got);
        EXPECT_EQ(gotBits, expectedBits) << "real '" << t << "': " << got << " instead of " << expected;
        EXPECT_EQ(CDxfFile::ParseInteger(t.data(), t.size()), static_cast<int32_t>(std::strtol(t.c_str(), nullptr, 10)))
            << "integer '" << t << "'";
        EXPECT_EQ(CDxfFile::ParseHandle(t.data(), t.size()), static_cast<uint32_t>(std::strtoul(t.c_str(), nullptr, 16)))
            << "handle '" << t << "'";
    }
    // The text need not end with a zero: parsing stops at its length.
    EXPECT_EQ(CDxfFile::ParseReal("1.25e3", 4), 1.25);
    EXPECT_EQ(CDxfFile::ParseInteger("12345", 2), 12);
    EXPECT_EQ(CDxfFile::ParseHandle("ABCD", 2), 0xABu);
}

TEST(DxfFile, ReadsEzdxfFilesGroupForGroup)
{
    const std::vector<G> expected = ReadListing(Fixture("r12.groups"));
    ASSERT_GT(expected.size(), 500u);
    struct Case {
        const char* file;
        bool binary;
    };
    for (const Case& c : {Case{"r12_ascii.dxf", false}, Case{"r12_binary.dxf", true}}) {
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(Fixture(c.file).c_str(), true)) << c.file;
        EXPECT_EQ(dxf.IsBinary(), c.binary);
        if (c.binary) {
            EXPECT_FALSE(dxf.HasTwoByteCodes());  // R12: one-byte codes
        }
        ExpectGroups(dxf, expected, c.file);
        EXPECT_EQ(dxf.GetPosition(), dxf.GetTotalSize());
        EXPECT_TRUE(dxf.Close());
        EXPECT_FALSE(dxf.Close());
        EXPECT_EQ(dxf.IsBinary(), c.binary);  // kept after closing

        // The same from a stream.
        IStream* stream = StreamOf(ReadAll(Fixture(c.file)));
        ASSERT_NE(stream, nullptr);
        ASSERT_TRUE(dxf.OpenStream(stream, true));
        EXPECT_EQ(dxf.IsBinary(), c.binary);
        ExpectGroups(dxf, expected, std::string(c.file) + " as a stream");
        dxf.Close();
        stream->Release();
    }

    // Keyword indices come with the groups that carry keywords.
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(Fixture("r12_ascii.dxf").c_str(), true));
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_EQ(dxf.GetKeywordIndex(), 47);
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_EQ(dxf.GetKeywordIndex(), 0);  // code 2 only when names are looked up
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_EQ(dxf.GetKeywordIndex(), 1);  // 9 $ACADVER
    dxf.Close();
    ASSERT_TRUE(dxf.Open(Fixture("r12_ascii.dxf").c_str(), true));
    dxf.ReadGroup();
    DxfGroup copy;
    ASSERT_TRUE(dxf.ReadGroup(&copy, true));
    EXPECT_EQ(dxf.GetKeywordIndex(), 29);  // 2 HEADER
    EXPECT_EQ(copy.code, 2);
    EXPECT_STREQ(copy.text, "HEADER");
}

TEST(DxfFile, OpenRules)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool opens;
        bool binary;
        int firstCode;     // -1: no group
        int firstKeyword;
    };
    const std::string s16(16, ' '), s17(17, ' ');
    const Case cases[] = {
        {"CRLF", "  0\r\nSECTION\r\n  2\r\nHEADER\r\n", true, false, 0, 47},
        {"bare LF", "  0\nSECTION\n  2\nHEADER\n", true, false, 0, 47},
        {"lower case", "0\nsection\n", true, false, 0, 0},
        // The 0 and the keyword's first letter must lie in the first 20 bytes.
        {"16 blanks", s16 + "0\r\nSECTION\r\n", true, false, 0, 47},
        {"17 blanks", s17 + "0\r\nSECTION\r\n", false, false, -1, 0},
        {"17 blanks, bare LF", s17 + "0\nSECTION\n", true, false, 0, 47},
        {"keyword too far", "0" + std::string(19, '\n') + "SECTION\n", false, false, -1, 0},
        {"comment first", "999\r\nmade by\r\n0\r\nSECTION\r\n", false, false, -1, 0},
        {"not DXF", "hello world, this is no drawing", false, false, -1, 0},
        {"empty", "", true, false, -1, 0},
        {"sentinel alone", kSentinel, false, false, -1, 0},
        {"binary, two-byte codes", kSentinel + std::string("\0\0SECTION\0", 10), true, true, 0, 47},
        {"binary, one-byte codes", kSentinel + std::string("\0SECTION\0", 9), true, true, 0, 47},
    };
    const std::string path = Scratch("open.dxf");
    for (const Case& c : cases) {
        WriteAll(path, c.bytes);
        CDxfFile dxf;
        ASSERT_EQ(dxf.Open(path.c_str(), true), c.opens) << c.name;
        if (!c.opens)
            continue;
        EXPECT_EQ(dxf.IsBinary(), c.binary) << c.name;
        if (c.firstCode < 0) {
            EXPECT_FALSE(dxf.ReadGroup()) << c.name;
            EXPECT_FALSE(dxf.HasError()) << c.name;
        } else {
            ASSERT_TRUE(dxf.ReadGroup()) << c.name;
            EXPECT_EQ(dxf.GetCode(), c.firstCode) << c.name;
            EXPECT_EQ(_stricmp(dxf.GetText(), "SECTION"), 0) << c.name;
            EXPECT_EQ(dxf.GetKeywordIndex(), c.firstKeyword) << c.name;
        }
    }
    CDxfFile dxf;
    EXPECT_FALSE(dxf.Open(Scratch("does-not-exist.dxf").c_str(), true));
    EXPECT_FALSE(dxf.Open(nullptr, true));
}

TEST(DxfFile, AsciiGroupsAndMalformedLines)
{
    struct Case {
        const char* name;
        std::string body;  // after "0 SECTION"
        std::vector<G> groups;
        bool error;
        uint64_t line = 0;  // of the error
    };
    const Case cases[] = {
        {"blanks around code and value", "  10 \r\n\t1.5 \r\n", {G::Real(10, 1.5)}, false},
        {"handles read as hexadecimal", "330\r\n1F\r\n340\r\n2a\r\n5\r\nAB\r\n",
         {G::Handle(330, 0x1F), G::Handle(340, 0x2A), G::Text(5, "AB")}, false},
        {"integer and text", "62\r\n256\r\n1\r\n  two words\r\n", {G::Int(62, 256), G::Text(1, "two words")}, false},
        {"letter in the code", "62\r\n1\r\n1O\r\n5\r\n", {G::Int(62, 1)}, true, 5},
        {"negative code", "-1\r\nx\r\n", {}, true, 3},
        {"value line missing", "10\r\n", {}, true, 4},
        {"blank line where a code stands", "\r\n10\r\n1\r\n", {}, true, 3},
        {"blank line before the end", "0\r\nENDSEC\r\n\r\n0\r\nEOF\r\n", {G::Text(0, "ENDSEC")}, true, 5},
        {"white space after EOF", "0\r\nEOF\r\n\r\n  \r\n\t\n\r\n", {G::Text(0, "EOF")}, false},
        {"groups after a blank line after EOF", "0\r\nEOF\r\n\r\n0\r\nSECTION\r\n", {G::Text(0, "EOF")}, true, 5},
        {"last line without line end", "0\r\nEOF", {G::Text(0, "EOF")}, false},
        {"value too long", "1\r\n" + std::string(2050, 'x') + "\r\n", {}, true, 4},
        {"longest value", "1\r\n" + std::string(2049, 'x') + "\r\n", {G::Text(1, std::string(2049, 'x'))}, false},
    };
    const std::string path = Scratch("ascii.dxf");
    for (const Case& c : cases) {
        WriteAll(path, "0\r\nSECTION\r\n" + c.body);
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(path.c_str(), true)) << c.name;
        ASSERT_TRUE(dxf.ReadGroup());
        for (const G& g : c.groups) {
            ASSERT_TRUE(dxf.ReadGroup()) << c.name;
            EXPECT_TRUE(Holds(dxf, g)) << c.name;
        }
        EXPECT_FALSE(dxf.ReadGroup()) << c.name;
        EXPECT_EQ(dxf.HasError(), c.error) << c.name;
        EXPECT_EQ(dxf.GetErrorLine(), c.line) << c.name;
    }
}

// Control characters would break a text's line in ASCII: they travel in DXF's caret form ("^J"
// a line feed), a caret that would read as one goes as "^ ", and the reader takes both back.
// Binary files carry the bytes as they are.
TEST(DxfFile, ControlCharactersTravelInCaretForm)
{
    struct Case {
        std::string text;
        std::string written;  // the ASCII value line
    };
    const Case cases[] = {
        {"two\r\nlines", "two^M^Jlines"},
        {"tab\there", "tab^Ihere"},
        {"a literal ^J", "a literal ^ J"},
        {"x^ y", "x^  y"},
        {"^^", "^ ^"},
        {"caret at the end^", "caret at the end^"},
        {"^a and ^1 and ^@ stay", "^a and ^1 and ^@ stay"},
        {"\x01\x1f", "^A^_"},
        {"^\n", "^ ^J"},
    };
    const std::string path = Scratch("caret.dxf");
    for (bool binary : {false, true}) {
        CDxfFile dxf;
        dxf.SetBinary(binary);
        ASSERT_TRUE(dxf.Open(path.c_str(), false));
        dxf.WriteStringGroup(0, "SECTION");
        for (const Case& c : cases)
            for (int code : {1, 8, 1000})
                ASSERT_TRUE(dxf.WriteStringGroup(code, c.text.c_str()));
        ASSERT_TRUE(dxf.WriteStringGroup(1, std::string(2049, '\n').c_str()));
        ASSERT_TRUE(dxf.Close());
        if (!binary) {
            std::string expected = " 0\r\nSECTION\r\n";
            for (const Case& c : cases)
                for (const char* code : {" 1", " 8", " 1000"})
                    expected += std::string(code) + "\r\n" + c.written + "\r\n";
            std::string allBreaks;
            for (int i = 0; i < 2049; ++i)
                allBreaks += "^J";
            expected += " 1\r\n" + allBreaks + "\r\n";
            EXPECT_EQ(ReadAll(path), expected);
        }
        std::vector<G> groups = {G::Text(0, "SECTION")};
        for (const Case& c : cases)
            for (int code : {1, 8, 1000})
                groups.push_back(G::Text(code, c.text));
        groups.push_back(G::Text(1, std::string(2049, '\n')));
        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        ExpectGroups(dxf, groups, binary ? "binary" : "ASCII");
    }
}

// A text longer than one group holds is never cut: the single group refuses it and the file
// written around it fails to close as a success; in pieces it comes back whole, in both forms, the
// reader joining the continued groups and stopping at the first group of another code.
TEST(DxfFile, LongTextsGoInPiecesOrFail)
{
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += static_cast<char>('a' + i % 26);
    text[2048] = '\n'; // a control character at the end of the first piece
    // Blanks where pieces would meet: ASCII readers drop them at the ends of a value.
    text[2049] = ' ';
    text[254] = text[255] = ' ';
    const std::string path = Scratch("long_texts.dxf");
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ASCII");
        CDxfFile refused;
        refused.SetBinary(binary);
        ASSERT_TRUE(refused.Open(path.c_str(), false));
        ASSERT_TRUE(refused.WriteStringGroup(0, "SECTION"));
        EXPECT_FALSE(refused.WriteStringGroup(1, text.c_str()));
        EXPECT_TRUE(refused.WriteStringGroup(1, text.substr(0, CDxfFile::kMaxTextLength).c_str())) << "one that fits";
        EXPECT_FALSE(refused.Close()) << "a refused value fails the file";

        CDxfFile dxf;
        dxf.SetBinary(binary);
        ASSERT_TRUE(dxf.Open(path.c_str(), false));
        ASSERT_TRUE(dxf.WriteStringGroup(0, "SECTION"));
        ASSERT_TRUE(WriteDxfTextPieces(dxf, 1, 3, text.c_str(), CDxfFile::kMaxTextLength));
        ASSERT_TRUE(WriteDxfTextPieces(dxf, 1000, 1000, text.c_str(), 255));
        ASSERT_TRUE(dxf.WriteRealGroup(1040, 2.5));
        ASSERT_TRUE(WriteDxfTextPieces(dxf, 1, 3, "short", 255));
        ASSERT_TRUE(dxf.WriteStringGroup(0, "EOF"));
        ASSERT_TRUE(dxf.Close());

        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        ASSERT_TRUE(dxf.ReadGroup());
        ASSERT_TRUE(dxf.ReadGroup());
        ASSERT_EQ(dxf.GetCode(), 1);
        EXPECT_LE(std::strlen(dxf.GetText()), static_cast<size_t>(CDxfFile::kMaxTextLength));
        std::string joined = dxf.GetText();
        ReadDxfTextContinuation(dxf, 3, joined);
        EXPECT_EQ(joined, text);
        ASSERT_TRUE(dxf.ReadGroup());
        ASSERT_EQ(dxf.GetCode(), 1000);
        std::string data = dxf.GetText();
        EXPECT_LE(data.size(), 255u);
        ReadDxfTextContinuation(dxf, 1000, data);
        EXPECT_EQ(data, text);
        ASSERT_TRUE(dxf.ReadGroup());
        EXPECT_EQ(dxf.GetCode(), 1040) << "the group after the pieces";
        ASSERT_TRUE(dxf.ReadGroup());
        std::string one = dxf.GetText();
        ReadDxfTextContinuation(dxf, 3, one);
        EXPECT_EQ(one, "short");
        ASSERT_TRUE(dxf.ReadGroup());
        EXPECT_STREQ(dxf.GetText(), "EOF");
        dxf.Close();
    }
}

// A value beyond 16 bits under the 16-bit extended-data code goes as the 32-bit code of the same
// meaning, which a reader expecting the 16-bit one takes; other 16-bit codes refuse such a value
// in binary rather than cut it.
TEST(DxfFile, LongExtendedDataIntegersGoAs1071)
{
    const int32_t values[] = {70000, -40000, INT16_MAX, INT16_MIN, INT32_MIN};
    const std::string path = Scratch("long1070.dxf");
    for (int form = 0; form < 3; ++form) {
        CDxfFile dxf;
        dxf.SetBinary(form > 0);
        dxf.SetTwoByteCodes(form == 1);
        ASSERT_TRUE(dxf.Open(path.c_str(), false));
        dxf.WriteStringGroup(0, "SECTION");
        for (int32_t v : values)
            ASSERT_TRUE(dxf.WriteIntGroup(1070, v));
        const uint64_t before = dxf.GetPosition();
        EXPECT_EQ(dxf.WriteIntGroup(70, 40000), form == 0) << form;
        if (form > 0) {
            EXPECT_EQ(dxf.GetPosition(), before);
        }
        ASSERT_TRUE(dxf.Close());

        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        ASSERT_TRUE(dxf.ReadGroup());
        for (int32_t v : values) {
            ASSERT_TRUE(dxf.ReadExpectedGroup(1070)) << form << " " << v;
            EXPECT_EQ(dxf.GetCode(), v >= INT16_MIN && v <= INT16_MAX ? 1070 : 1071) << form;
            EXPECT_EQ(dxf.GetInt(), v) << form;
        }
        EXPECT_EQ(dxf.ReadGroup(), form == 0);
        EXPECT_FALSE(dxf.HasError());
        dxf.Close();
    }
}

// What each value takes in a binary file, by the DXF format's value types.
TEST(DxfFile, BinaryValueSizesFollowTheFormat)
{
    const std::vector<G> groups = {
        G::Text(0, "SECTION"),   G::Int(1071, 123456789), G::Int(370, -3), G::Int(280, 5),
        G::Int(290, 1),          G::Int(62, 256),         G::Real(10, 1.5), G::Handle(330, 0x1F),
        G::Handle(340, 0x2A),    G::Handle(105, 0xABC),   G::Text(1000, "x"), G::Text(5, "1A"),
    };
    const char* const twoByte =
        "00 00 53 45 43 54 49 4F 4E 00 "  // 0 SECTION
        "2F 04 15 CD 5B 07 "              // 1071: 4 bytes
        "72 01 FD FF "                    // 370: 2 bytes
        "18 01 05 00 "                    // 280: 2 bytes
        "22 01 01 "                       // 290: 1 byte
        "3E 00 00 01 "                    // 62: 2 bytes
        "0A 00 00 00 00 00 00 00 F8 3F "  // 10: 8 bytes
        "4A 01 31 46 00 "                 // 330: hexadecimal text
        "54 01 32 41 00 "                 // 340: hexadecimal text
        "69 00 41 42 43 00 "              // 105: hexadecimal text
        "E8 03 78 00 "                    // 1000
        "05 00 31 41 00";                 // 5: text
    const char* const oneByte =
        "00 53 45 43 54 49 4F 4E 00 "
        "FF 2F 04 15 CD 5B 07 "  // codes of 255 and above: 255, then the 16-bit code
        "FF 72 01 FD FF "
        "FF 18 01 05 00 "
        "FF 22 01 01 "
        "3E 00 01 "
        "0A 00 00 00 00 00 00 F8 3F "
        "FF 4A 01 31 46 00 "
        "FF 54 01 32 41 00 "
        "69 41 42 43 00 "
        "FF E8 03 78 00 "
        "05 31 41 00";
    for (bool two : {true, false}) {
        const std::string path = Scratch(two ? "sizes2.dxf" : "sizes1.dxf");
        CDxfFile dxf;
        dxf.SetBinary(true);
        dxf.SetTwoByteCodes(two);
        ASSERT_TRUE(dxf.Open(path.c_str(), false));
        for (const G& g : groups)
            ASSERT_TRUE(Put(dxf, g)) << g.code;
        // Chunks and codes of no value type have no written form here.
        dxf.SetCode(310);
        EXPECT_FALSE(dxf.WriteGroup());
        dxf.SetCode(500);
        EXPECT_FALSE(dxf.WriteGroup());
        ASSERT_TRUE(dxf.Close());

        const std::string bytes = ReadAll(path);
        ASSERT_EQ(bytes.substr(0, 22), kSentinel);
        EXPECT_EQ(Hex(bytes.substr(22)), two ? twoByte : oneByte);

        dxf.SetBinary(false);
        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        EXPECT_TRUE(dxf.IsBinary());
        EXPECT_EQ(dxf.HasTwoByteCodes(), two);
        ExpectGroups(dxf, groups, two ? "two-byte codes" : "one-byte codes");
        EXPECT_FALSE(dxf.WriteGroup());  // open for reading
    }
}

TEST(DxfFile, AsciiWriterForms)
{
    const std::string path = Scratch("forms.dxf");
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    EXPECT_TRUE(dxf.WriteStringGroup(0, "SECTION"));
    EXPECT_TRUE(dxf.WriteIntGroup(62, 7));
    EXPECT_TRUE(dxf.WriteIntGroup(1071, -12));
    EXPECT_TRUE(Put(dxf, G::Real(10, 0.0)));
    EXPECT_TRUE(Put(dxf, G::Real(20, -1.25)));
    EXPECT_TRUE(Put(dxf, G::Handle(105, 0xABC)));
    EXPECT_TRUE(dxf.WriteStringGroup(1, nullptr));
    EXPECT_TRUE(dxf.Close());
    EXPECT_EQ(ReadAll(path), " 0\r\nSECTION\r\n 62\r\n7\r\n 1071\r\n-12\r\n 10\r\n0.000000\r\n 20\r\n-1.250000\r\n"
                             " 105\r\nABC\r\n 1\r\n\r\n");
}

TEST(DxfFile, PushBackReturnsTheSameGroup)
{
    for (const char* file : {"r12_ascii.dxf", "r12_binary.dxf"}) {
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(Fixture(file).c_str(), true));
        for (int i = 0; i < 40; ++i)
            ASSERT_TRUE(dxf.ReadGroup());
        const uint64_t before = dxf.GetPosition();
        const int code = dxf.GetCode();
        const std::string raw = dxf.GetRawText();
        ASSERT_TRUE(dxf.ReadGroup());  // 0 group of the next variable or entry
        const int keyword = dxf.GetKeywordIndex();
        const int nextCode = dxf.GetCode();
        const std::string text = dxf.GetText();
        const uint64_t after = dxf.GetPosition();
        EXPECT_TRUE(dxf.UngetGroup());
        EXPECT_EQ(dxf.GetPosition(), before) << file;
        EXPECT_TRUE(dxf.UngetGroup());  // a second push-back changes nothing
        EXPECT_EQ(dxf.GetPosition(), before) << file;
        DxfGroup copy;
        ASSERT_TRUE(dxf.ReadGroup(&copy));
        EXPECT_EQ(dxf.GetCode(), nextCode);
        EXPECT_EQ(copy.code, nextCode);
        EXPECT_EQ(dxf.GetKeywordIndex(), keyword);
        EXPECT_EQ(dxf.GetPosition(), after) << file;
        if (dxf.ClassOf(nextCode) == CDxfFile::vcText) {
            EXPECT_EQ(text, dxf.GetText());
        }
        (void)code;
        (void)raw;
    }
}

TEST(DxfFile, TruncatedBinaryDataEndsCleanlyOrWithAnError)
{
    const std::string whole = ReadAll(Fixture("r12_binary.dxf"));
    const std::vector<G> expected = ReadListing(Fixture("r12.groups"));
    // Group boundaries, from reading the whole file.
    std::vector<uint64_t> boundaries;
    {
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(Fixture("r12_binary.dxf").c_str(), true));
        boundaries.push_back(dxf.GetPosition());
        while (dxf.ReadGroup())
            boundaries.push_back(dxf.GetPosition());
    }
    ASSERT_EQ(boundaries.size(), expected.size() + 1);
    for (size_t cut = 23; cut < whole.size(); ++cut) {
        IStream* stream = StreamOf(whole.substr(0, cut));
        CDxfFile dxf;
        ASSERT_TRUE(dxf.OpenStream(stream, true));
        size_t n = 0;
        while (dxf.ReadGroup()) {
            ASSERT_LT(n, expected.size());
            ASSERT_TRUE(Holds(dxf, expected[n])) << "cut " << cut;
            ++n;
        }
        const bool atBoundary = boundaries[n] == cut;
        EXPECT_EQ(dxf.HasError(), !atBoundary) << "cut " << cut << " after " << n << " groups, boundary "
                                               << boundaries[n] << ", position " << dxf.GetPosition()
                                               << ", code " << dxf.GetCode();
        dxf.Close();
        stream->Release();
    }
    // The mapped-file reader, at a few cuts inside groups.
    const std::string path = Scratch("cut.dxf");
    const size_t last = boundaries.size() - 2;
    for (size_t cut : {boundaries[0] + 1, boundaries[1] + 1, boundaries[last / 2] + 1, boundaries[last] + 2}) {
        WriteAll(path, whole.substr(0, cut));
        CDxfFile dxf;
        ASSERT_TRUE(dxf.Open(path.c_str(), true));
        while (dxf.ReadGroup()) {
        }
        EXPECT_TRUE(dxf.HasError()) << "cut " << cut;
        EXPECT_LE(dxf.GetPosition(), cut);
    }
}

// A malformed group of a binary file names where it went wrong: the byte offset of the field that
// could not be read, from a mapped file and from a stream alike; the line stays 0 (an ASCII
// file's measure).
TEST(DxfFile, BinaryErrorsNameTheOffsetOfTheirField)
{
    const std::string twoByte = kSentinel + std::string("\0\0SECTION\0", 10);  // the next group at 32
    const std::string oneByte = kSentinel + std::string("\0SECTION\0", 9);      // the next group at 31
    struct Case {
        const char* name;
        std::string bytes;
        uint64_t offset;
    };
    const Case cases[] = {
        {"a real cut short", twoByte + std::string("\x0A\0\1\2\3", 5), 34},
        {"a code cut short", twoByte + std::string("\x0A", 1), 32},
        {"a text without its end", twoByte + std::string("\1\0abc", 5), 34},
        {"a code whose value has no size", twoByte + std::string("\xF4\x01\x05\0", 4), 32},
        {"an escaped code cut short", oneByte + std::string("\xFF\x0A", 2), 31},
        {"a 16-bit value cut short after a good group", twoByte + std::string("\x3E\0\1\0\x3E\0\1", 7), 38},
    };
    const std::string path = Scratch("offset.dxf");
    for (const Case& c : cases) {
        WriteAll(path, c.bytes);
        for (bool fromStream : {false, true}) {
            CDxfFile dxf;
            IStream* stream = fromStream ? StreamOf(c.bytes) : nullptr;
            ASSERT_TRUE(fromStream ? dxf.OpenStream(stream, true) : dxf.Open(path.c_str(), true)) << c.name;
            while (dxf.ReadGroup()) {
            }
            EXPECT_TRUE(dxf.HasError()) << c.name;
            EXPECT_EQ(dxf.GetErrorOffset(), c.offset) << c.name << (fromStream ? ", stream" : ", file");
            EXPECT_EQ(dxf.GetErrorLine(), 0u) << c.name;
            dxf.Close();
            if (stream)
                stream->Release();
        }
    }
    // An ASCII error has a line and no offset.
    WriteAll(path, "0\r\nSECTION\r\n1O\r\n5\r\n");
    CDxfFile ascii;
    ASSERT_TRUE(ascii.Open(path.c_str(), true));
    while (ascii.ReadGroup()) {
    }
    EXPECT_EQ(ascii.GetErrorLine(), 3u);
    EXPECT_EQ(ascii.GetErrorOffset(), 0u);
}

TEST(DxfFile, BinaryTextWithoutEndIsAnError)
{
    const std::string path = Scratch("longtext.dxf");
    WriteAll(path, kSentinel + std::string("\0\0SECTION\0\1\0", 12) + std::string(2050, 'x') + std::string(1, '\0'));
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), true));
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_FALSE(dxf.ReadGroup());
    EXPECT_TRUE(dxf.HasError());
    dxf.Close();
    // 2049 characters and the terminator fit.
    WriteAll(path, kSentinel + std::string("\0\0SECTION\0\1\0", 12) + std::string(2049, 'x') + std::string(1, '\0'));
    ASSERT_TRUE(dxf.Open(path.c_str(), true));
    ASSERT_TRUE(dxf.ReadGroup());
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_EQ(std::string(dxf.GetText()), std::string(2049, 'x'));
    dxf.Close();
    // A code of no value type cannot be followed.
    WriteAll(path, kSentinel + std::string("\0\0SECTION\0\xF4\x01\x05\x00", 14));
    ASSERT_TRUE(dxf.Open(path.c_str(), true));
    ASSERT_TRUE(dxf.ReadGroup());
    EXPECT_FALSE(dxf.ReadGroup());
    EXPECT_TRUE(dxf.HasError());
}

std::vector<long> g_progress;
void CollectProgress(void*, long percent) { g_progress.push_back(percent); }

TEST(DxfFile, ReadingReportsProgressBelowOneHundred)
{
    g_progress.clear();
    CDxfFile dxf;
    dxf.SetProgressCallback(CollectProgress, nullptr);
    ASSERT_TRUE(dxf.Open(Fixture("r12_ascii.dxf").c_str(), true));
    while (dxf.ReadGroup()) {
    }
    ASSERT_GT(g_progress.size(), 10u);
    EXPECT_EQ(g_progress.front(), 0);
    EXPECT_GE(g_progress.back(), 97);
    EXPECT_LE(g_progress.back(), 99);
    for (size_t i = 1; i < g_progress.size(); ++i)
        EXPECT_GE(g_progress[i], g_progress[i - 1]);
}

// --- what the reader gives, recorded -----------------------------------------------------------

// Bytes outside printable ASCII, the separator, the backslash and braces as \xNN; a byte
// repeated more than 8 times as itself and {count}.
std::string Escaped(const char* p, size_t n)
{
    std::string s;
    char b[16];
    for (size_t i = 0; i < n;) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        size_t run = 1;
        while (i + run < n && p[i + run] == p[i])
            ++run;
        if (c < 0x20 || c >= 0x7F || c == '\\' || c == '|' || c == '{' || c == '}') {
            std::snprintf(b, sizeof b, "\\x%02X", c);
            s += b;
        } else {
            s.push_back(static_cast<char>(c));
        }
        if (run > 8) {
            std::snprintf(b, sizeof b, "{%zu}", run);
            s += b;
            i += run;
        } else {
            ++i;
        }
    }
    return s;
}

// Everything a caller of the reader sees, one line a group read with names looked up:
// code|class|value|keyword index|position after the group (a code of no value class shows its
// raw line); then "end|error|error line|error offset|position".
std::string ReadingListing(CDxfFile& dxf)
{
    std::string out;
    char b[96];
    while (dxf.ReadGroup(nullptr, true)) {
        const CDxfFile::ValueClass cls = CDxfFile::ClassOf(dxf.GetCode());
        std::string value;
        switch (cls) {
        case CDxfFile::vcInteger:
            value = std::to_string(dxf.GetInt());
            break;
        case CDxfFile::vcReal:
            std::snprintf(b, sizeof b, "%.17g", dxf.GetReal());
            value = b;
            break;
        case CDxfFile::vcHandle:
            std::snprintf(b, sizeof b, "%X", static_cast<unsigned>(dxf.GetHandle()));
            value = b;
            break;
        case CDxfFile::vcText:
            value = Escaped(dxf.GetText(), std::strlen(dxf.GetText()));
            break;
        default:
            value = Escaped(dxf.GetRawText(), dxf.GetRawLength());
            break;
        }
        std::snprintf(b, sizeof b, "%d|%c|", dxf.GetCode(), "NIRTH"[cls]);
        out += b + value;
        std::snprintf(b, sizeof b, "|%d|%llu\n", dxf.GetKeywordIndex(),
                      static_cast<unsigned long long>(dxf.GetPosition()));
        out += b;
    }
    std::snprintf(b, sizeof b, "end|%d|%llu|%llu|%llu\n", dxf.HasError() ? 1 : 0,
                  static_cast<unsigned long long>(dxf.GetErrorLine()),
                  static_cast<unsigned long long>(dxf.GetErrorOffset()),
                  static_cast<unsigned long long>(dxf.GetPosition()));
    return out + b;
}

std::string Repeated(const char* piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

std::string FileListing(const std::string& path)
{
    CDxfFile dxf;
    if (!dxf.Open(path.c_str(), true))
        return "not opened\n";
    return ReadingListing(dxf);
}

std::string StreamListing(const std::string& bytes)
{
    IStream* stream = StreamOf(bytes);
    CDxfFile dxf;
    const std::string listing = dxf.OpenStream(stream, true) ? ReadingListing(dxf) : "not opened\n";
    dxf.Close();
    stream->Release();
    return listing;
}

// The first line where two listings part, for a readable failure.
std::string FirstDifference(const std::string& got, const std::string& expected)
{
    std::istringstream a(got), b(expected);
    std::string la, lb;
    for (int n = 1;; ++n) {
        const bool ha = static_cast<bool>(std::getline(a, la)), hb = static_cast<bool>(std::getline(b, lb));
        if (!ha && !hb)
            return "none";
        if (!ha || !hb || la != lb)
            return "line " + std::to_string(n) + ": got '" + (ha ? la : "(end)") + "', expected '" +
                   (hb ? lb : "(end)") + "'";
    }
}

// Every fixture reads, from its file and as a stream, exactly as the reader read it before its
// rewrite for speed: the listings under fixtures/dxf/recorded/ were made by that reader.
TEST(DxfFile, FixturesReadAsRecorded)
{
    for (const char* name : {"r12_ascii", "r12_binary", "kinds_ascii", "kinds_binary", "views_r2000", "curves_ascii", "curves_binary"}) {
        const std::string file = Fixture((std::string(name) + ".dxf").c_str());
        const std::string expected = ReadAll(Fixture((std::string("recorded/") + name + ".listing").c_str()));
        ASSERT_GT(expected.size(), 1000u) << name;
        const std::string fromFile = FileListing(file);
        EXPECT_EQ(fromFile, expected) << name << ", file: " << FirstDifference(fromFile, expected);
        const std::string fromStream = StreamListing(ReadAll(file));
        EXPECT_EQ(fromStream, expected) << name << ", stream: " << FirstDifference(fromStream, expected);
    }
}

// Small files are read into memory whole, larger ones (over a megabyte) through a mapped view:
// both read as a stream does, to the last group, and a cut end the same way.
TEST(DxfFile, SmallAndLargeFilesReadAlike)
{
    const std::string head = "0\r\nSECTION\r\n2\r\nENTITIES\r\n";
    const char* entity = "0\r\nLINE\r\n8\r\nWALLS\r\n10\r\n1.5\r\n20\r\n-2.25\r\n11\r\n3\r\n21\r\n4\r\n";
    const std::string path = Scratch("sizes.dxf");
    for (int entities : {10, 30000}) {
        const std::string whole = head + Repeated(entity, entities) + "0\r\nENDSEC\r\n0\r\nEOF\r\n";
        for (const std::string& bytes : {whole, whole.substr(0, whole.size() - 14)}) {
            WriteAll(path, bytes);
            const std::string fromFile = FileListing(path);
            const std::string fromStream = StreamListing(bytes);
            EXPECT_EQ(fromFile, fromStream) << bytes.size() << " bytes: " << FirstDifference(fromFile, fromStream);
            size_t lines = 0;
            for (size_t at = fromFile.find("|LINE|"); at != std::string::npos; at = fromFile.find("|LINE|", at + 1))
                ++lines;
            EXPECT_EQ(lines, static_cast<size_t>(entities)) << bytes.size() << " bytes";
        }
    }
    DeleteFileA(path.c_str());
}

// Malformed and unusual lines, numbers and binary groups: the results and errors the reader gave
// before its rewrite, from a file and from a stream (which read lines apart).
TEST(DxfFile, MalformedInputsReadAsBefore)
{
    const std::string head = "0\nSECTION\n";
    const std::string bin = kSentinel + std::string("\0\0SECTION\0", 10);
    struct Case {
        const char* name;
        std::string bytes;
        const char* file;    // the listing from a file
        const char* stream;  // from a stream, when it differs
    };
    const Case cases[] = {
        {"a code line with letters", head + "1O\n5\n",
         "0|T|SECTION|47|10\n"
         "end|1|3|0|13\n",
         nullptr},
        {"a code with a sign", head + "+10\n1.5\n",
         "0|T|SECTION|47|10\n"
         "end|1|3|0|14\n",
         nullptr},
        {"a code with leading zeros and blanks", head + " 0010\t\n1.5\n",
         "0|T|SECTION|47|10\n"
         "10|R|1.5|0|21\n"
         "end|0|0|0|21\n",
         nullptr},
        {"a code beyond 32 bits", head + "99999999999\n1\n",
         "0|T|SECTION|47|10\n"
         "end|1|3|0|22\n",
         nullptr},
        {"a code line of 2050 characters", head + std::string(2050, '1') + "\n1\n",
         "0|T|SECTION|47|10\n"
         "end|1|3|0|2061\n",
         nullptr},
        {"an integer with trailing junk", head + "62\n12abc\n70\n 7 8\n",
         "0|T|SECTION|47|10\n"
         "62|I|12|0|19\n"
         "70|I|7|0|27\n"
         "end|0|0|0|27\n",
         nullptr},
        {"a real with trailing junk", head + "10\n1.5abc\n20\n2.5e\n30\n-.5e+\n",
         "0|T|SECTION|47|10\n"
         "10|R|1.5|0|20\n"
         "20|R|2.5|0|28\n"
         "30|R|-0.5|0|37\n"
         "end|0|0|0|37\n",
         nullptr},
        {"a handle with trailing junk", head + "330\n1FZ\n340\n0x1F\n",
         "0|T|SECTION|47|10\n"
         "330|H|1F|0|18\n"
         "340|H|1F|0|27\n"
         "end|0|0|0|27\n",
         nullptr},
        {"numbers with signs and other white space", head + "10\n+1.5\n62\n+7\n330\n-1\n20\n\f3\n71\n\v-4\n",
         "0|T|SECTION|47|10\n"
         "10|R|1.5|0|18\n"
         "62|I|7|0|24\n"
         "330|H|FFFFFFFF|0|31\n"
         "20|R|3|0|37\n"
         "71|I|-4|0|44\n"
         "end|0|0|0|44\n",
         nullptr},
        {"numbers beyond their range",
         head + "62\n99999999999\n70\n-99999999999\n10\n1e400\n20\n-1e400\n30\n1e-400\n330\n123456789AB\n"
                "340\n-FFFFFFFF\n350\n-123456789AB\n72\n2147483648\n73\n-2147483649\n",
         "0|T|SECTION|47|10\n"
         "62|I|2147483647|0|25\n"
         "70|I|-2147483648|0|41\n"
         "10|R|inf|0|50\n"
         "20|R|-inf|0|60\n"
         "30|R|0|0|70\n"
         "330|H|FFFFFFFF|0|86\n"
         "340|H|1|0|100\n"
         "350|H|1|0|117\n"
         "72|I|2147483647|0|131\n"
         "73|I|-2147483648|0|146\n"
         "end|0|0|0|146\n",
         nullptr},
        {"reals in other forms",
         head + "10\n0x1A\n20\ninf\n30\nnan\n11\n.5\n21\n5.\n31\n1,5\n12\n-\n22\n\n13\n-0\n23\nInfinity\n"
                "14\n0x1.8p1\n24\n1e23\n15\n4.9406564584124654e-324\n25\n2.2250738585072011e-308\n",
         "0|T|SECTION|47|10\n"
         "10|R|26|0|18\n"
         "20|R|inf|0|25\n"
         "30|R|nan|0|32\n"
         "11|R|0.5|0|38\n"
         "21|R|5|0|44\n"
         "31|R|1|0|51\n"
         "12|R|0|0|56\n"
         "22|R|0|0|60\n"
         "13|R|-0|0|66\n"
         "23|R|inf|0|78\n"
         "14|R|3|0|89\n"
         "24|R|9.9999999999999992e+22|0|97\n"
         "15|R|4.9406564584124654e-324|0|124\n"
         "25|R|2.2250738585072009e-308|0|151\n"
         "end|0|0|0|151\n",
         nullptr},
        {"integers in other forms", head + "62\n0x10\n70\n\n71\n-0\n74\n007\n75\n1e3\n",
         "0|T|SECTION|47|10\n"
         "62|I|0|0|18\n"
         "70|I|0|0|22\n"
         "71|I|0|0|28\n"
         "74|I|7|0|35\n"
         "75|I|1|0|42\n"
         "end|0|0|0|42\n",
         nullptr},
        {"a text value of 2050 characters", head + "1\n" + std::string(2050, 'x') + "\n",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|2063\n",
         nullptr},
        {"a real value of 2050 characters", head + "10\n" + std::string(2050, '1') + "\n",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|2064\n",
         nullptr},
        {"a caret text of 4098 characters", head + "1\n" + Repeated("^J", 2049) + "\n",
         "0|T|SECTION|47|10\n"
         "1|T|\\x0A{2049}|0|4111\n"
         "end|0|0|0|4111\n",
         nullptr},
        {"a caret text of 4100 characters", head + "1\n" + Repeated("^J", 2050) + "\n",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|4113\n",
         nullptr},
        {"a line of 5000 characters", head + "1\n" + std::string(5000, 'x') + "\n0\nEOF\n",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|5013\n",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|4176\n"},
        {"a missing final newline", head + "0\nEOF",
         "0|T|SECTION|47|10\n"
         "0|T|EOF|24|15\n"
         "end|0|0|0|15\n",
         nullptr},
        {"a value without its final newline", head + "10\n1.5",
         "0|T|SECTION|47|10\n"
         "10|R|1.5|0|16\n"
         "end|0|0|0|16\n",
         nullptr},
        {"a code without its value", head + "10",
         "0|T|SECTION|47|10\n"
         "end|1|4|0|12\n",
         nullptr},
        {"CR-only line ends", "0\rSECTION\r2\rHEADER\r0\rENDSEC\r0\rEOF\r",
         "end|1|1|0|34\n",
         nullptr},
        {"LF-only line ends", "0\nSECTION\n2\nHEADER\n0\nENDSEC\n0\nEOF\n",
         "0|T|SECTION|47|10\n"
         "2|T|HEADER|29|19\n"
         "0|T|ENDSEC|21|28\n"
         "0|T|EOF|24|34\n"
         "end|0|0|0|34\n",
         nullptr},
        {"CR LF line ends, blanks and tabs", "  0\r\nSECTION \r\n\t2\r\n HEADER\t\r\n  9\r\n$ACADVER\r\n",
         "0|T|SECTION|47|15\n"
         "2|T|HEADER|29|29\n"
         "9|T|$ACADVER|1|44\n"
         "end|0|0|0|44\n",
         nullptr},
        {"a CR inside a line", head + "1\na\rb\n10\n1.5\r\r\n",
         "0|T|SECTION|47|10\n"
         "1|T|a\\x0Db|0|16\n"
         "10|R|1.5|0|25\n"
         "end|0|0|0|25\n",
         nullptr},
        {"a NUL in a text", head + std::string("1\na\0b\n", 6),
         "0|T|SECTION|47|10\n"
         "1|T|a|0|16\n"
         "end|0|0|0|16\n",
         nullptr},
        {"a code of no value class", head + "500\n something \n0\nEOF\n",
         "0|T|SECTION|47|10\n"
         "500|N|something|0|26\n"
         "0|T|EOF|24|32\n"
         "end|0|0|0|32\n",
         nullptr},
        {"keywords and names", head + "2\nENTITIES\n0\nLINE\n9\n$EXTMIN\n1001\nYVEXControl\n1000\nARROWS\n1000\n ARROWS\n0\nline\n",
         "0|T|SECTION|47|10\n"
         "2|T|ENTITIES|23|21\n"
         "0|T|LINE|37|28\n"
         "9|T|$EXTMIN|25|38\n"
         "1001|T|YVEXControl|69|55\n"
         "1000|T|ARROWS|82|67\n"
         "1000|T|ARROWS|82|80\n"
         "0|T|line|0|87\n"
         "end|0|0|0|87\n",
         nullptr},
        {"binary: a real cut short", bin + std::string("\x0A\0\1\2\3", 5),
         "0|T|SECTION|47|32\n"
         "end|1|0|34|34\n",
         "0|T|SECTION|47|32\n"
         "end|1|0|34|37\n"},
        {"binary: a code cut short", bin + std::string("\x0A", 1),
         "0|T|SECTION|47|32\n"
         "end|1|0|32|33\n",
         nullptr},
        {"binary: a text without its end", bin + std::string("\1\0abc", 5),
         "0|T|SECTION|47|32\n"
         "end|1|0|34|37\n",
         nullptr},
        {"binary: handles", bin + std::string("\x4A\x01" "1FZ\0" "\x4A\x01" "-1\0" "\x4A\x01" "123456789AB\0", 24),
         "0|T|SECTION|47|32\n"
         "330|H|1F|0|38\n"
         "330|H|FFFFFFFF|0|43\n"
         "end|1|0|45|56\n",
         nullptr},
        {"binary: a chunk, then one cut short", bin + std::string("\x36\x01\x03" "abc" "\x36\x01\x05" "ab", 11),
         "0|T|SECTION|47|32\n"
         "310|T|abc|0|38\n"
         "end|1|0|41|41\n",
         "0|T|SECTION|47|32\n"
         "310|T|abc|0|38\n"
         "end|1|0|41|43\n"},
        {"binary: a code of no value class", bin + std::string("\xF4\x01\x05\0", 4),
         "0|T|SECTION|47|32\n"
         "end|1|0|32|34\n",
         nullptr},
        {"binary: one-byte codes cut in the escape", kSentinel + std::string("\0SECTION\0", 9) + std::string("\xFF\x0A", 2),
         "0|T|SECTION|47|31\n"
         "end|1|0|31|32\n",
         "0|T|SECTION|47|31\n"
         "end|1|0|31|33\n"},
        {"binary: 64-bit and one-byte values", bin + std::string("\xA0\0\1\2\3\4\5\6\7\x80" "\x22\x01\x07", 13),
         "0|T|SECTION|47|32\n"
         "160|I|67305985|0|42\n"
         "290|I|7|0|45\n"
         "end|0|0|0|45\n",
         nullptr},
        {"binary: a 16-bit value cut short", bin + std::string("\x3E\0\1", 3),
         "0|T|SECTION|47|32\n"
         "end|1|0|34|34\n",
         "0|T|SECTION|47|32\n"
         "end|1|0|34|35\n"},
    };
    const std::string path = Scratch("malformed.dxf");
    for (const Case& c : cases) {
        WriteAll(path, c.bytes);
        const std::string fromFile = FileListing(path);
        EXPECT_EQ(fromFile, c.file) << c.name << ": " << FirstDifference(fromFile, c.file);
        const std::string fromStream = StreamListing(c.bytes);
        const std::string expected = c.stream ? c.stream : c.file;
        EXPECT_EQ(fromStream, expected) << c.name << ", stream: " << FirstDifference(fromStream, expected);
    }
}

// --- small drawings for independent readers ----------------------------------------------------

std::vector<G> R12Drawing()
{
    std::vector<G> d = {
        G::Text(0, "SECTION"), G::Text(2, "HEADER"),
        G::Text(9, "$ACADVER"), G::Text(1, "AC1009"),
        G::Text(9, "$INSBASE"), G::Real(10, 0), G::Real(20, 0), G::Real(30, 0),
        G::Text(9, "$EXTMIN"), G::Real(10, 0), G::Real(20, 0), G::Real(30, 0),
        G::Text(9, "$EXTMAX"), G::Real(10, 10), G::Real(20, 7.5), G::Real(30, 0),
        G::Text(0, "ENDSEC"),
        G::Text(0, "SECTION"), G::Text(2, "TABLES"),
        G::Text(0, "TABLE"), G::Text(2, "LTYPE"), G::Int(70, 1),
        G::Text(0, "LTYPE"), G::Text(2, "CONTINUOUS"), G::Int(70, 0), G::Text(3, "Solid line"),
        G::Int(72, 65), G::Int(73, 0), G::Real(40, 0),
        G::Text(0, "ENDTAB"),
        G::Text(0, "TABLE"), G::Text(2, "LAYER"), G::Int(70, 2),
        G::Text(0, "LAYER"), G::Text(2, "0"), G::Int(70, 0), G::Int(62, 7), G::Text(6, "CONTINUOUS"),
        G::Text(0, "LAYER"), G::Text(2, "WALLS"), G::Int(70, 0), G::Int(62, 1), G::Text(6, "CONTINUOUS"),
        G::Text(0, "ENDTAB"),
        G::Text(0, "TABLE"), G::Text(2, "APPID"), G::Int(70, 1),
        G::Text(0, "APPID"), G::Text(2, "YVEXControl"), G::Int(70, 0),
        G::Text(0, "ENDTAB"),
        G::Text(0, "ENDSEC"),
        G::Text(0, "SECTION"), G::Text(2, "ENTITIES"),
        G::Text(0, "LINE"), G::Text(8, "WALLS"),
        G::Real(10, 0), G::Real(20, 0), G::Real(30, 0), G::Real(11, 10), G::Real(21, 5), G::Real(31, 0),
        G::Text(1001, "YVEXControl"), G::Text(1002, "{"), G::Text(1000, "SHAPE IDS"), G::Int(1071, 17),
        G::Int(1070, 3), G::Real(1040, 2.5), G::Text(1002, "}"),
        G::Text(0, "CIRCLE"), G::Text(8, "0"), G::Int(62, 3), G::Real(10, 5), G::Real(20, 5), G::Real(30, 0),
        G::Real(40, 2.5),
        G::Text(0, "ARC"), G::Text(8, "0"), G::Real(10, 0), G::Real(20, 0), G::Real(30, 0), G::Real(40, 3),
        G::Real(50, 0), G::Real(51, 90),
        G::Text(0, "TEXT"), G::Text(8, "0"), G::Real(10, 1), G::Real(20, 1), G::Real(30, 0), G::Real(40, 2.5),
        G::Text(1, "Hello YVEX"),
        G::Text(0, "POLYLINE"), G::Text(8, "WALLS"), G::Int(66, 1), G::Real(10, 0), G::Real(20, 0),
        G::Real(30, 0), G::Int(70, 1),
    };
    const double vertices[][2] = {{0, 0}, {4, 0}, {4, 3}};
    for (const auto& v : vertices) {
        const std::vector<G> vertex = {G::Text(0, "VERTEX"), G::Text(8, "WALLS"), G::Real(10, v[0]),
                                       G::Real(20, v[1]), G::Real(30, 0)};
        d.insert(d.end(), vertex.begin(), vertex.end());
    }
    const std::vector<G> tail = {G::Text(0, "SEQEND"), G::Text(8, "WALLS"), G::Text(0, "ENDSEC"), G::Text(0, "EOF")};
    d.insert(d.end(), tail.begin(), tail.end());
    return d;
}

// Groups of the newer binary form whose value sizes other readers check.
std::vector<G> Ac1012Groups()
{
    return {
        G::Text(0, "SECTION"), G::Text(2, "HEADER"), G::Text(9, "$ACADVER"), G::Text(1, "AC1012"),
        G::Text(0, "ENDSEC"), G::Text(0, "SECTION"), G::Text(2, "ENTITIES"),
        G::Text(0, "LINE"), G::Text(5, "2F"), G::Handle(330, 0x1F), G::Text(100, "AcDbEntity"),
        G::Text(8, "0"), G::Int(62, 256), G::Int(370, -3), G::Int(280, 5), G::Int(290, 1),
        G::Handle(340, 0x2A), G::Int(90, 70000), G::Int(1071, 123456789), G::Real(10, 1.5),
        G::Real(1010, -2.25), G::Int(1070, -7), G::Text(0, "ENDSEC"), G::Text(0, "EOF"),
    };
}

void WriteDrawing(const std::string& path, const std::vector<G>& groups, bool binary, bool twoByte)
{
    CDxfFile dxf;
    dxf.SetBinary(binary);
    dxf.SetTwoByteCodes(twoByte);
    ASSERT_TRUE(dxf.Open(path.c_str(), false)) << path;
    for (const G& g : groups)
        ASSERT_TRUE(Put(dxf, g)) << path << " code " << g.code;
    ASSERT_TRUE(dxf.Close());
    // Our own reader reads it back group for group.
    CDxfFile reader;
    ASSERT_TRUE(reader.Open(path.c_str(), true)) << path;
    EXPECT_EQ(reader.IsBinary(), binary);
    ExpectGroups(reader, groups, path);
}

// The R12 drawing whose text and extended-data string hold line breaks, a tab and a caret (the
// texts check_dxf_output.py expects).
std::vector<G> ControlTextDrawing()
{
    std::vector<G> d = R12Drawing();
    for (G& g : d)
        if (g.code == 1 && g.text == "Hello YVEX")
            g.text = "two\r\nlines\tand a caret ^J";
    for (size_t i = 0; i < d.size(); ++i)
        if (d[i].code == 1000 && d[i].text == "SHAPE IDS") {
            d.insert(d.begin() + static_cast<std::ptrdiff_t>(i), G::Text(1000, "note\nwith a break"));
            break;
        }
    return d;
}

TEST(DxfFile, WritesDrawingsForOtherReaders)
{
    const std::string dir = OutputDir();
    WriteDrawing(dir + "\\yvex_r12_control_text.dxf", ControlTextDrawing(), false, true);
    WriteDrawing(dir + "\\yvex_r12_ascii.dxf", R12Drawing(), false, true);
    WriteDrawing(dir + "\\yvex_r12_binary.dxf", R12Drawing(), true, false);
    WriteDrawing(dir + "\\yvex_ac1012_binary.dxf", Ac1012Groups(), true, true);
    const std::string ascii = ReadAll(dir + "\\yvex_r12_ascii.dxf");
    EXPECT_EQ(ascii.substr(0, 13), " 0\r\nSECTION\r\n");
}

TEST(DxfFile, StreamsWriteAndReadBothForms)
{
    for (bool binary : {false, true}) {
        IStream* stream = SHCreateMemStream(nullptr, 0);
        ASSERT_NE(stream, nullptr);
        CDxfFile dxf;
        dxf.SetBinary(binary);
        dxf.SetTwoByteCodes(true);
        ASSERT_TRUE(dxf.OpenStream(stream, false));
        for (const G& g : Ac1012Groups())
            ASSERT_TRUE(Put(dxf, g));
        ASSERT_TRUE(dxf.Close());
        LARGE_INTEGER zero = {};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        dxf.SetBinary(!binary);
        ASSERT_TRUE(dxf.OpenStream(stream, true));
        EXPECT_EQ(dxf.IsBinary(), binary);
        ExpectGroups(dxf, Ac1012Groups(), binary ? "binary stream" : "ASCII stream");
        dxf.Close();
        stream->Release();
    }
}


// The writer formats numbers itself: every real, integer and handle comes out as the C library's
// "%f", "%d" and "%X" write it, halfway cases, signed zeros, the float range and beyond included.
TEST(DxfFile, NumbersAreWrittenAsTheCLibraryFormatsThem)
{
    std::vector<double> reals = {0.0, -0.0, 1.0, -1.25, 0.0078125, -0.0078125, 0.5e-6, 1.5e-6, 2.5e-6, 0.1, 1e20,
                                 -1e20, 3.4028234663852886e38, 1e-300, 123456.0000005, 9007199254740993.0,
                                 1.7976931348623157e308, 0.30000000000000004, 4.0000005, 1e6 + 0.0000005};
    std::mt19937_64 random(63);
    for (int i = 0; i < 4000; ++i) {
        // Coordinates of every scale, and doubles of any bits.
        const double scale = std::pow(10.0, static_cast<int>(random() % 24) - 8);
        reals.push_back((static_cast<double>(random() % 2000001) - 1000000.0) / 1000.0 * scale);
        double any;
        uint64_t bits = random();
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any))
            reals.push_back(any);
    }
    std::vector<int32_t> ints = {0, -1, 7, INT32_MIN, INT32_MAX, -32768, 32767};
    std::vector<uint32_t> handles = {0, 1, 0xABC, 0xFFFFFFFFu};
    for (int i = 0; i < 500; ++i) {
        ints.push_back(static_cast<int32_t>(random()));
        handles.push_back(static_cast<uint32_t>(random() >> (random() % 32)));
    }
    const std::string path = Scratch("numbers.dxf");
    CDxfFile dxf;
    ASSERT_TRUE(dxf.Open(path.c_str(), false));
    std::string expected;
    char text[512];
    for (double v : reals) {
        ASSERT_TRUE(dxf.WriteRealGroup(10, v));
        std::snprintf(text, sizeof text, " 10\r\n%f\r\n", v);
        expected += text;
    }
    for (int32_t v : ints) {
        ASSERT_TRUE(dxf.WriteIntGroup(1071, v));
        std::snprintf(text, sizeof text, " 1071\r\n%d\r\n", static_cast<int>(v));
        expected += text;
    }
    for (uint32_t v : handles) {
        ASSERT_TRUE(Put(dxf, G::Handle(105, v)));
        std::snprintf(text, sizeof text, " 105\r\n%X\r\n", static_cast<unsigned>(v));
        expected += text;
    }
    ASSERT_TRUE(dxf.Close());
    const std::string written = ReadAll(path);
    ASSERT_EQ(written.size(), expected.size());
    // The first difference, readably.
    const auto at = std::mismatch(written.begin(), written.end(), expected.begin()).first - written.begin();
    EXPECT_EQ(written.substr(at > 40 ? at - 40 : 0, 80), expected.substr(at > 40 ? at - 40 : 0, 80));
    DeleteFileA(path.c_str());
}

// Bytes the file or stream refuses make the write a failure, however late they are refused.
TEST(DxfFile, ARefusedWriteFailsTheClose)
{
    const std::string path = Scratch("refused.dxf");
    std::ofstream(path, std::ios::binary) << "x";
    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "ascii");
        IStream* stream = nullptr;
        ASSERT_EQ(SHCreateStreamOnFileA(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, &stream), S_OK);
        CDxfFile dxf;
        dxf.SetBinary(binary);
        dxf.OpenStream(stream, false);
        for (const G& g : Ac1012Groups())
            Put(dxf, g);
        EXPECT_FALSE(dxf.Close());
        stream->Release();
    }
    DeleteFileA(path.c_str());
}

} // namespace
