// The text conversions: MTEXT codes to RTF and back, the DXF "%%" codes, text fields and the
// formatting of attribute values.
#include <gtest/gtest.h>
#include "model/DxfTextCodes.h"
#include "model/RtfReader.h"
#include "model/RtfText.h"
#include "model/RtfWriter.h"
#include "model/TextField.h"
#include <string>

namespace {

const char kHead[] = "{\\rtf1\\ansi\\deff0\n{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset204 Txt;}";

// The body between "{\f0\fs24\n" and "\n}}".
std::string BodyOf(const std::string& rtf)
{
    const std::string open = "{\\f0\\fs24\n";
    const size_t start = rtf.find(open);
    const size_t end = rtf.rfind("\n}}");
    if (start == std::string::npos || end == std::string::npos || end < start + open.size())
        return "<no body>";
    return rtf.substr(start + open.size(), end - start - open.size());
}

std::string ToRtf(const char* mtext, int size = 0)
{
    CRtfWriter writer(size, 1.0);
    EXPECT_EQ(0, writer.Write(mtext));
    return writer.Result();
}

std::string ToMtext(const char* rtf, int32_t* status = nullptr)
{
    CRtfReader reader(1.0);
    const int32_t result = reader.Parse(rtf);
    if (status)
        *status = result;
    return result == 0 ? reader.Result() : std::string();
}

} // namespace

TEST(RtfWriter, AnEmptyTextIsTheFixedDocument)
{
    EXPECT_EQ(ToRtf(""), std::string(kHead) + "}\n{\\f0\\fs24\n\n}}");
    EXPECT_EQ(ToRtf("ab\\Pc"), std::string(kHead) + "}\n{\\f0\\fs24\nab\\par c\n}}");
}

TEST(RtfWriter, CodesBecomeControlWords)
{
    struct Case
    {
        const char* mtext;
        int size;
        const char* body;
    } cases[] = {
        {"\\Lx\\ly", 0, "\\ul1 x\\ul0 y"},
        {"{\\Lx}", 0, "{\\ul1 x}"},
        {"a\\Ob\\oc", 0, "abc"},
        {"a\\A1;b\\Q15;c", 0, "abc"},
        {"\\H2.5;a\\H2x;b", 0, "\\fs14 a\\fs28 b"},
        {"\\H;a", 0, "\\fs0 a"},
        {"\\H0.5x;a", 24, "\\fs12 a"},
        {"\\W0.8;a", 0, "\\charscalex80 a"},
        {"\\S1/2;", 0, "\\super 1\\nosupersub /\\sub 2\\nosupersub"},
        {"\\S1#2;x", 0, "\\super 1\\nosupersub #\\sub 2\\nosupersub x"},
        {"a\\Pb", 0, "a\\par b"},
        {"a\\~b", 0, "a\\~b"},
        {"\xE9", 0, "\\'e9"},
        {"{\\}}", 0, "{\\}}"},
        // Twice the size times log2 of the factor; no factor writes no expansion.
        {"\\T2;a", 12, "\\expnd24 a"},
        {"\\T0;a", 12, "\\expnd0 a"},
        {"\\T;a", 12, "\\expnd0 a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BodyOf(ToRtf(c.mtext, c.size)), c.body) << c.mtext;
}

// A control symbol ends itself: no space is due after it, and none after a code that writes
// nothing. A space there would be a character of the text.
TEST(RtfWriter, NoSpaceEntersTheTextAfterSymbolsOrVanishedCodes)
{
    struct Case
    {
        const char* mtext;
        const char* body;
    } cases[] = {
        {"C:\\\\temp", "C:\\\\temp"},
        {"C:\\\\\\Ptemp", "C:\\\\\\par temp"},
        {"a\\{b\\}c", "a\\{b\\}c"},
        {"ab\\A1;cd", "abcd"},
        {"ab\\Ocd", "abcd"},
        {"\\Lab\\Ocd", "\\ul1 abcd"},
        // Letters after an escaped backslash are text, not a control word.
        {"\\\\par\\Ox", "\\\\parx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BodyOf(ToRtf(c.mtext)), c.body) << c.mtext;
}

TEST(RtfWriter, EveryFontCodeMakesAnEntry)
{
    const std::string rtf = ToRtf("\\fArial|b0|i0|c0|p34;x\\fArial|b1|i1|c0|p34;y");
    EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset0 Arial;}{\\f2\\fnil\\fcharset0 Arial;}}\n"), std::string::npos) << rtf;
    EXPECT_EQ(BodyOf(rtf), "\\f1\\b0\\i0 x\\f2\\b1\\i1 y");
    // A name byte that RTF would read as a code is escaped.
    EXPECT_NE(ToRtf("\\fA{b|c204;x").find("{\\f1\\fnil\\fcharset204 A\\'7bb;}"), std::string::npos);
}

TEST(RtfWriter, AColourUsedTwiceIsOneEntry)
{
    const std::string rtf = ToRtf("\\C1;a\\C1;b\\C7;c");
    EXPECT_NE(rtf.find("{\\colortbl;\\red255;\\red0;}\n"), std::string::npos) << rtf;
    EXPECT_EQ(BodyOf(rtf), "\\cf1 a\\cf1 b\\cf2 c");
    EXPECT_NE(ToRtf("\\C5;x").find("{\\colortbl;\\blue255;}"), std::string::npos);
    EXPECT_EQ(ToRtf("x").find("colortbl"), std::string::npos);
}

// Codes the conversion has no RTF for are passed over and the text kept: a bare code's letter, a
// value code up to its ';'; \U+xxxx is the character in the ANSI code page.
TEST(RtfWriter, UnknownCodesKeepTheText)
{
    struct Case
    {
        const char* mtext;
        const char* body;
    } cases[] = {
        {"a\\pxi-3;b\\U+00E9", "ab\\'e9"},
        {"a\\Nb\\Xc\\Kd\\ke", "abcde"},
        {"a\\c255;b\\Fromans.shx;c", "abc"},
        {"\\Pa\\U+0041", "\\par aA"},
        {"x\\U+4E2D;", "x?;"},
        {"end\\", "end"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BodyOf(ToRtf(c.mtext)), c.body) << c.mtext;
}

TEST(RtfReader, StatusOfBrokenInput)
{
    struct Case
    {
        const char* rtf;
        int32_t status;
    } cases[] = {
        {"", 7}, {"abc\\", 7}, {"{abc}}", 1}, {"{{abc}", 3}, {"{\\'g1}", 4}, {"{\\'e9}", 0},
    };
    for (const Case& c : cases) {
        int32_t status = -1;
        ToMtext(c.rtf, &status);
        EXPECT_EQ(status, c.status) << c.rtf;
    }
    CRtfReader reader(1.0);
    EXPECT_EQ(reader.Parse(nullptr), 7);
}

TEST(RtfReader, DifferencesBecomeCodesBeforeTheNextCharacter)
{
    const std::string fonts = "{\\rtf1{\\fonttbl{\\f1\\fnil\\fcharset204 Times;}}";
    const std::string colours = "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}";
    struct Case
    {
        std::string rtf;
        const char* mtext;
    } cases[] = {
        {"{\\rtf1 abc}", "{abc}"},
        {"{\\rtf1\\fs24 abc}", "{\\H4.23;abc}"},
        {"{\\rtf1\\charscalex80 abc}", "{\\W0.80;abc}"},
        {"{\\rtf1\\fs24\\expnd12 abc}", "{\\H4.23;\\T1.19;abc}"},
        {fonts + "\\f1\\b text}", "{\\fTimes|b1|i0|c204|p18;text}"},
        {fonts + "\\f5 x}", "{\\fArial|b0|i0|c0|p18;x}"},
        {colours + "\\cf1 red\\cf9 none}", "{\\C1;red\\C0;none}"},
        // A paragraph keeps the character formatting; \plain ends it.
        {colours + "\\cf1\\pard x\\plain y}", "{\\C1;x\\C7;y}"},
        {"{\\rtf1 a \\ul word\\ulnone  b}", "{a \\Lword\\l b}"},
        {"{\\rtf1 \\'e9}", "{\xE9}"},
        {"{\\rtf1 a{\\*\\unknown hidden}b}", "{ab}"},
        {"{\\rtf1 a{\\header h}{\\footer f}{\\info{\\title t}}{\\stylesheet s}{\\pict 0102}b}", "{ab}"},
        {"{\\rtf1 a\\\nb\\par c}", "{a\\Pb\\Pc}"},
        {"{\\rtf1 \\{\\}\\\\\\~\\tab\\ldblquote}", "{\\{\\}\\\\\\~\t\"}"},
        {"{\\rtf1 a\\bin3 xyzb}", "{axyzb}"},
        {"{\\rtf1 a\\bin0 b}", "{ab}"},
        // Bytes that MTEXT would read as codes stay characters.
        {"{\\rtf1 \\'5cP\\'7b}", "{\\\\P\\{}"},
        {"{\\rtf1 \\super 1\\nosupersub /\\sub 2\\nosupersub x}", "{\\S1/2;x}"},
        // The switches of a font code are 0 or 1 whatever number turned them on.
        {fonts + "\\f1\\b12\\i37 text}", "{\\fTimes|b1|i1|c204|p18;text}"},
        {fonts + "\\f1\\b2 a\\b0 b}", "{\\fTimes|b1|i0|c204|p18;a\\fTimes|b0|i0|c204|p18;b}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToMtext(c.rtf.c_str()), c.mtext) << c.rtf;
}

// A fraction is always closed with its ';': by the text that follows a switched-off superscript,
// by the end of its group, by \plain, and at the end of the text.
TEST(RtfReader, EveryFractionIsClosed)
{
    struct Case
    {
        const char* rtf;
        const char* mtext;
    } cases[] = {
        {"{\\rtf1 m\\super 2\\nosupersub  area}", "{m\\S2; area}"},
        {"{\\rtf1 {\\super 2}x}", "{\\S2;x}"},
        {"{\\rtf1 \\super 2\\plain x}", "{\\S2;x}"},
        {"{\\rtf1 \\super 2}", "{\\S2;}"},
        {"{\\rtf1 \\super 2\\nosupersub ^\\sub \\nosupersub x}", "{\\S2^;x}"},
        {"{\\rtf1 \\super 1\\nosupersub /\\sub 2\\nosupersub \\super 3\\nosupersub /\\sub 4\\nosupersub y}",
         "{\\S1/2;\\S3/4;y}"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToMtext(c.rtf), c.mtext) << c.rtf;
}

// MTEXT through RTF and back: the codes that RTF carries come back, and so does every character
// (with the document's size of 24 half-points as a height code).
TEST(RtfConversion, MtextRoundTrip)
{
    struct Case
    {
        const char* mtext;
        const char* back;
    } cases[] = {
        {"ab\\Pc", "{\\H4.23;ab\\Pc}"},
        {"\\S1/2;x", "{\\H4.23;\\S1/2;x}"},
        {"x\\S2^;y", "{\\H4.23;x\\S2^;y}"},
        {"a\\Lu\\lv", "{\\H4.23;a\\Lu\\lv}"},
        {"\\C1;red", "{\\C1;\\H4.23;red}"},
        {"\\W0.8;w", "{\\H4.23;\\W0.80;w}"},
        {"\\fTimes|b1|i0|c0|p34;t", "{\\fTimes|b1|i0|c0|p18;\\H4.23;t}"},
        {"C:\\\\a\\{b\\}\xE9", "{\\H4.23;C:\\\\a\\{b\\}\xE9}"},
        {"a\\~b", "{\\H4.23;a\\~b}"},
    };
    for (const Case& c : cases) {
        const std::string rtf = ToRtf(c.mtext, 24);
        EXPECT_EQ(ToMtext(rtf.c_str()), c.back) << c.mtext << "\n" << rtf;
    }
}

// MTEXT's braces that do not pair up cannot close the document early: a stray closing brace is a
// character of the text, a group left open closes at the end, and every word comes through.
TEST(RtfConversion, UnbalancedBracesKeepTheText)
{
    struct Case
    {
        const char* mtext;
        const char* back;
    } cases[] = {
        {"a}b\\Pc", "{\\H4.23;a\\}b\\Pc}"},
        {"}}x", "{\\H4.23;\\}\\}x}"},
        {"{\\C1;a}}b", "{\\C1;\\H4.23;a\\C7;\\}b}"},
        {"{a{b", "{\\H4.23;ab}"},
        {"{a}b", "{\\H4.23;ab}"},
    };
    for (const Case& c : cases) {
        const std::string rtf = ToRtf(c.mtext, 24);
        int32_t status = -1;
        EXPECT_EQ(ToMtext(rtf.c_str(), &status), c.back) << c.mtext << "\n" << rtf;
        EXPECT_EQ(status, 0) << c.mtext;
    }
}

TEST(DxfTextCodes, Decode)
{
    struct Case
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"%%c50", "\xA4" "50"},
        {"%%C50", "\xA4" "50"},
        {"%%176", "\xB0"},
        {"%%d %%D %%p %%P", "\xB0 \xB0 \xB1 \xB1"},
        {"%%uA%%u", "A"},
        {"%%oB%%O%%U", "B"},
        {"5% off", "5% off"},
        {"100%%%", "100%"},
        {"%", "%"},
        {"%%", "%%"},
        {"%%k", "%%k"},
        {"%%000 %%999 %%12", "%%000 %%999 %%12"},
        {"%%036%%035%%038", "$#&"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CDxfTextCodes::Decode(c.in), c.out) << c.in;
}

TEST(DxfTextCodes, EncodeAndBack)
{
    EXPECT_EQ(CDxfTextCodes::Encode("\xA4\xB0\xB1%", false), "%%c%%d%%p%%%");
    EXPECT_EQ(CDxfTextCodes::Encode("a\nb\r$#&", false), "a%%010b%%013%%036%%035%%038");
    // A fraction's separator stays in MTEXT.
    EXPECT_EQ(CDxfTextCodes::Encode("\\S1#2;5%", true), "\\S1#2;5%%%");
    const std::string text = "5% of 30\xB0 \xB1" "1 \xA4" "8 $#&\n";
    EXPECT_EQ(CDxfTextCodes::Decode(CDxfTextCodes::Encode(text, false)), text);
}

TEST(TextFields, Parse)
{
    const CTextFieldList total = ParseTextFields(L"Total: <1> m");
    ASSERT_EQ(total.size(), 3u);
    EXPECT_EQ(total[0].text, L"Total: ");
    EXPECT_FALSE(total[0].IsNamed() || total[0].IsNumbered());
    EXPECT_EQ(total[1].index, 1);
    EXPECT_EQ(total[1].text, L"<1>");
    EXPECT_EQ(total[2].text, L" m");

    const CTextFieldList named = ParseTextFields(L"[NAME]");
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].name, L"NAME");

    EXPECT_TRUE(ParseTextFields(L"").empty());

    // Markers that name nothing are text: put back together, the entries give the text again.
    for (const wchar_t* text : {L"a<b", L"a<b<2>", L"x[y<3>]", L"<>[]<x>", L"a>b]c", L"[A][B]<1><2>"}) {
        std::wstring joined;
        for (const CTextField& field : ParseTextFields(text))
            joined += field.text;
        EXPECT_EQ(joined, text);
    }
    const CTextFieldList mixed = ParseTextFields(L"a<b<2>");
    ASSERT_EQ(mixed.size(), 3u);
    EXPECT_EQ(mixed[1].text, L"<b");
    EXPECT_EQ(mixed[2].index, 2);
}

TEST(TextFields, AttributeValueFormats)
{
    VARIANT i;
    VariantInit(&i);
    i.vt = VT_I4;
    i.lVal = 42;
    VARIANT d;
    VariantInit(&d);
    d.vt = VT_R8;
    d.dblVal = 1.5;
    VARIANT f;
    VariantInit(&f);
    f.vt = VT_R4;
    f.fltVal = 2.75f;
    VARIANT s;
    VariantInit(&s);
    s.vt = VT_BSTR;
    s.bstrVal = SysAllocString(L"text");

    struct Case
    {
        const VARIANT* value;
        const wchar_t* format;
        const wchar_t* shown;
    } cases[] = {
        {&i, nullptr, L"42"},
        {&i, L"", L"42"},
        {&i, L"%5d", L"   42"},
        {&i, L"%-5d|", L"42   "},
        {&i, L"%x", L"2a"},
        {&i, L"%04X", L"002A"},
        {&i, L"%.2f", L"42.00"},
        {&i, L"%", L"42"},
        {&i, L"4", L"  42"},
        {&i, L"%c", L"*"},
        {&d, L"%.2f", L"1.50"},
        {&d, L".3", L"1.500"},
        {&d, L"%d", L"1"},
        {&d, L"%.1f m", L"1.5"},
        {&d, L"%08.3f", L"0001.500"},
        {&f, L"%.1e", L"2.8e+00"},
        // Conversions that do not take a number show the value as text.
        {&i, L"%s", L"42"},
        {&d, L"%n", L"1.5"},
        {&i, L"Value %d", L"42"},
        {&i, L"%ld", L"42"},
        {&i, L"%999d", L"42"},
        {&s, L"%d", L"text"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatAttributeValue(*c.value, c.format), c.shown) << (c.format ? c.format : L"(none)");
    VariantClear(&s);
}

TEST(DxfTextCodes, Justification)
{
    struct Case
    {
        int horizontal, vertical;
        DWORD align;
        bool firstPoint;
        int writtenHorizontal, writtenVertical;
    } cases[] = {
        {0, 0, 0x18, true, 0, 0},         // the default: left on the baseline
        {1, 0, 0x1E, false, 1, 0},        // centred on the baseline
        {2, 0, 0x1A, false, 2, 0},        // right on the baseline
        {3, 0, 0x18, true, 0, 0},         // aligned: from the first point
        {5, 2, 0x18, true, 0, 0},         // fit: from the first point, whatever the row
        {4, 0, 0x10006, false, 4, 0},     // middle
        {0, 1, 0x8, false, 0, 1},
        {1, 1, 0xE, false, 1, 1},
        {2, 1, 0xA, false, 2, 1},
        {0, 2, 0x10000, false, 0, 2},
        {1, 2, 0x10006, false, 4, 0},     // middle centre is written as "middle"
        {2, 2, 0x10002, false, 2, 2},
        {0, 3, 0x0, false, 0, 3},
        {1, 3, 0x6, false, 1, 3},
        {2, 3, 0x2, false, 2, 3},
    };
    for (const Case& c : cases) {
        const DWORD align = CDxfTextCodes::AlignFromJustification(c.horizontal, c.vertical);
        EXPECT_EQ(align, c.align) << c.horizontal << "," << c.vertical;
        EXPECT_EQ(CDxfTextCodes::AnchoredAtFirstPoint(c.horizontal, c.vertical), c.firstPoint)
            << c.horizontal << "," << c.vertical;
        EXPECT_EQ(CDxfTextCodes::HorizontalJustification(align), c.writtenHorizontal) << std::hex << align;
        EXPECT_EQ(CDxfTextCodes::VerticalJustification(align), c.writtenVertical) << std::hex << align;
    }
}

TEST(DxfTextCodes, Attachment)
{
    const DWORD expected[] = {0x0, 0x6, 0x2, 0x10000, 0x10006, 0x10002, 0x8, 0xE, 0xA};
    for (int attachment = 1; attachment <= 9; ++attachment) {
        EXPECT_EQ(CDxfTextCodes::AlignFromAttachment(attachment), expected[attachment - 1]) << attachment;
        EXPECT_EQ(CDxfTextCodes::AttachmentFromAlign(expected[attachment - 1]), attachment);
    }
    EXPECT_EQ(CDxfTextCodes::AlignFromAttachment(0), 0u);
    EXPECT_EQ(CDxfTextCodes::AlignFromAttachment(10), 0u);
    // Texts on their baseline attach at the bottom row.
    EXPECT_EQ(CDxfTextCodes::AttachmentFromAlign(0x18), 7);
    EXPECT_EQ(CDxfTextCodes::AttachmentFromAlign(0x1E), 8);
    EXPECT_EQ(CDxfTextCodes::AttachmentFromAlign(0x1A), 9);
}

TEST(DxfTextCodes, RotationFromDirection)
{
    struct Case
    {
        double dx, dy, degrees;
    } cases[] = {
        {10, 0, 0}, {0, 10, 90}, {-10, 0, 180}, {0, -10, 270}, {8.660254, 5.0, 30}, {-1, -1, 225},
        // A direction written with six decimals: the cosine of 90 degrees is a little above 0.
        {0.000001, 10, 90}, {0, 0, 33},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(CDxfTextCodes::RotationFromDirection(c.dx, c.dy, 33), c.degrees, 1e-5) << c.dx << "," << c.dy;
}

TEST(DxfTextCodes, MtextPieces)
{
    std::string text;
    for (int i = 0; i < 600; ++i)
        text += static_cast<char>('a' + i % 26);
    const std::vector<std::string> pieces = CDxfTextCodes::SplitMtext(text);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0].size(), 255u);
    EXPECT_EQ(pieces[1].size(), 255u);
    EXPECT_EQ(pieces[2].size(), 90u);
    EXPECT_EQ(pieces[0] + pieces[1] + pieces[2], text);
    EXPECT_EQ(CDxfTextCodes::SplitMtext("short"), std::vector<std::string>{"short"});
    EXPECT_EQ(CDxfTextCodes::SplitMtext(std::string(255, 'x')).size(), 1u);
}

TEST(RtfText, Normalize)
{
    const std::string table = "{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset204 Txt;}}";
    struct Case
    {
        std::string rtf;
        float height;
        bool changed;
        std::string out;
    } cases[] = {
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\f0\\fs20 Hi}", 0, true,
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\f0\\f0\\fs20 Hi}"},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}\\fs20 Hi}", 0, false, ""},
        {"{\\rtf1 Hi}", 2.5f, true, "{\\rtf1" + table + "\\f0\\fs3 Hi}"},
        {"{\\rtf1\r\n Hi}", 0, true, "{\\rtf1" + table + "\\f0\\fs0 Hi}"},
        // The colour table stays, after the font table.
        {"{\\rtf1\\ansi {\\colortbl;\\red255\\green0\\blue0;}\\cf1 Hi}", 10, true,
         "{\\rtf1\\ansi " + table + "{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\f0\\fs10 Hi}"},
        {"{\\rtf1 {\\b bold} \\{x}", 12, true, "{\\rtf1 " + table + "{\\b\\f0\\fs12 bold} \\{x}"},
        {"plain text", 10, false, ""},
        {"", 10, false, ""},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(NormalizeRtfText(c.rtf, c.height, &out), c.changed) << c.rtf;
        if (c.changed) {
            EXPECT_EQ(out, c.out) << c.rtf;
        }
    }
}

TEST(RtfText, AddColour)
{
    EXPECT_EQ(AddRtfTextColour("{\\rtf1{\\fonttbl{\\f0 A;}}\\f0 x}", RGB(255, 0, 0)),
              "{\\rtf1{\\fonttbl{\\f0 A;}}{\\colortbl;\\red255\\green0\\blue0;}\\cf1 \\f0 x}");
    EXPECT_EQ(AddRtfTextColour("{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\cf1  x}", RGB(1, 2, 3)),
              "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;\\red1\\green2\\blue3;}\\cf2 \\cf1  x}");
    // Red through the MTEXT conversion: colour number 1 before the text, the space kept.
    const std::string red = AddRtfTextColour("{\\rtf1{\\fonttbl{\\f0 A;}} Hi}", RGB(255, 0, 0));
    CRtfReader reader(1.0);
    ASSERT_EQ(reader.Parse(red.c_str()), 0) << red;
    EXPECT_EQ(reader.Result(), "{\\C1; Hi}");
}

TEST(RtfText, FontDescription)
{
    struct Case
    {
        const char* rtf;
        int charset;
        const char* face;
        DWORD style;
    } cases[] = {
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset204 Times New Roman;}}\\f0\\ul\\i Hi\\ulnone}", 204,
         "Times New Roman", 0x5},
        {"{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}\\i0\\ulnone\\strike x}", -1, "Arial", 0x2},
        {"{\\rtf1 \\info{\\b x}}", -1, "(none)", 0},
    };
    for (const Case& c : cases) {
        int charset = -1;
        std::string face = "(none)";
        DWORD style = 0;
        ReadRtfFontDescription(c.rtf, &charset, &face, &style);
        EXPECT_EQ(charset, c.charset) << c.rtf;
        EXPECT_EQ(face, c.face) << c.rtf;
        EXPECT_EQ(style, c.style) << c.rtf;
    }
}
