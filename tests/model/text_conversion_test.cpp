// The text conversions: MTEXT codes to RTF and back, the DXF "%%" codes, text fields and the
// formatting of attribute values.
#include <gtest/gtest.h>
#include "model/DxfTextCodes.h"
#include "model/RtfReader.h"
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
