// DGN strings: the width markers, the string class's storage, comparison, search, editing,
// conversion and file round trips, and the raw string helpers.
#include "DgnString.h"
#include "DgnStringFunctions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

using namespace dgn;

namespace {

using Str = std::unique_ptr<CDgnString>;

Str Make(const char* text)
{
    Str s(CDgnString::Create());
    s->Set(text);
    return s;
}

Str MakeWide(const char16_t* w)
{
    Str s(CDgnString::Create());
    s->SetWide(w);
    return s;
}

std::string Bytes(CDgnString& s) { return std::string(s.Buffer(), s.Length()); }

std::u16string Wide(const CDgnString& s)
{
    char16_t out[256];
    s.CopyToWide(out);
    return out;
}

std::string Ansi(const CDgnString& s)
{
    char out[256];
    s.CopyToAnsi(out);
    return out;
}

std::filesystem::path TempFile(const char* name) { return std::filesystem::temp_directory_path() / name; }

} // namespace

TEST(DgnStringEncoding, MarkersTellTheWidth)
{
    struct Case {
        const char* bytes;
        bool wide;
        size_t textOffset;
        std::uint32_t byteLength;
    };
    const Case cases[] = {
        {"abc", false, 0, 4},
        {"\xFF\xFD" "a\0\0", true, 2, 6},
        {"\xFF\xFE\x01\0" "ab", false, 4, 7},
        {"\xFF\xFE" "a\0b\0\0", true, 2, 8},
        {"\xFF" "xy", false, 0, 4},
        {"", false, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsWideDgnString(c.bytes), c.wide) << c.bytes;
        EXPECT_EQ(SkipDgnStringMarker(c.bytes) - c.bytes, static_cast<std::ptrdiff_t>(c.textOffset)) << c.bytes;
        EXPECT_EQ(DgnStringByteLength(c.bytes), c.byteLength) << c.bytes;
    }
    EXPECT_FALSE(IsWideDgnString(nullptr));
    EXPECT_TRUE(HasFFFEMarker("\xFF\xFE\x01"));
}

TEST(DgnString, HoldsEachForm)
{
    Str narrow = Make("\xFF\xFE\x01\0" "ab");
    EXPECT_FALSE(narrow->IsWide());
    EXPECT_EQ(narrow->CharCount(), 2u);
    EXPECT_EQ(narrow->Length(), 6u);
    EXPECT_EQ(narrow->MarkerSize(), 4u);
    EXPECT_STREQ(narrow->Text(), "ab");
    EXPECT_TRUE(narrow->HasFFFEMarker());

    Str wide = Make("\xFF\xFE" "a\0b\0\0");
    EXPECT_TRUE(wide->IsWide());
    EXPECT_EQ(wide->Length(), 6u);
    EXPECT_EQ(wide->CharCount(), 2u);
    EXPECT_EQ(wide->ByteSize(), 8u);
    EXPECT_EQ(Wide(*wide), u"ab");
    EXPECT_EQ(wide->CStr(), wide->Buffer()) << "a wide string's C string keeps its marker";

    Str set = MakeWide(u"ab");
    EXPECT_EQ(Bytes(*set), std::string("\xFF\xFE" "a\0b\0", 6));
    EXPECT_EQ(set->Length(), 6u);
    Str marked = MakeWide(u"\xFDFF" "ab");
    EXPECT_EQ(Bytes(*marked), std::string("\xFF\xFD" "a\0b\0", 6));

    Str plain = Make("abc");
    EXPECT_EQ(plain->Length(), 3u);
    EXPECT_EQ(plain->ByteSize(), 4u);
    EXPECT_EQ(plain->CharAt(1), static_cast<std::uint32_t>('b'));
    EXPECT_EQ(plain->CharAt(9), 0u);
    EXPECT_STREQ(plain->PointerAt(9), "");

    // SetBytes takes a count; an 8-bit byte 0xFF 0xFD at the start of a counted run that is
    // too short for a wide string stays 8-bit.
    Str counted(CDgnString::Create());
    EXPECT_EQ(counted->SetBytes("hello", 3), 2u);
    EXPECT_STREQ(counted->Text(), "he");

    Str copy(plain->Clone());
    plain->Set("x");
    EXPECT_STREQ(copy->Text(), "abc");
    *copy = *wide;
    EXPECT_TRUE(copy->IsWide());
    EXPECT_EQ(Wide(*copy), u"ab");
}

TEST(DgnString, ReserveGrowsByItsStep)
{
    Str exact(CDgnString::Create());
    EXPECT_TRUE(exact->Reserve(1));
    EXPECT_TRUE(exact->IsEmpty());
    EXPECT_STREQ(exact->Text(), "");
    EXPECT_EQ(exact->ByteSize(), 1u);

    Str stepped(CDgnString::CreateWithCapacity(256));
    stepped->Set(std::string(300, 'x').c_str());
    EXPECT_EQ(stepped->CharCount(), 300u);
    EXPECT_EQ(stepped->Length(), 300u);
    Str fromAnsi(CDgnString::CreateFromAnsi("text"));
    EXPECT_STREQ(fromAnsi->Text(), "text");
}

TEST(DgnString, ComparesWholeTexts)
{
    Str abc = Make("ABC");
    EXPECT_TRUE(*abc == "abc") << "the operators ignore case";
    EXPECT_LT(abc->Compare("abc"), 0);
    EXPECT_EQ(abc->Compare("ABC"), 0);

    // A string is never equal to a longer text that begins with it, nor to a shorter one.
    Str ab = Make("ab");
    EXPECT_TRUE(*ab != "abc");
    EXPECT_LT(ab->Compare("abc"), 0);
    EXPECT_LT(ab->CompareNoCase("ABC"), 0);
    EXPECT_GT(Make("abc")->Compare("ab"), 0);
    EXPECT_TRUE(*ab < "abc");
    EXPECT_TRUE(*Make("abc") > *ab);
    EXPECT_TRUE(*ab <= "AB");
    EXPECT_TRUE(*ab >= u"AB");

    // Widths mix code unit by code unit, without folding case.
    Str wide = MakeWide(u"abc");
    EXPECT_EQ(wide->Compare("abc"), 0);
    EXPECT_NE(wide->CompareNoCase("ABC"), 0);
    EXPECT_EQ(wide->CompareNoCase(u"ABC"), 0);
    EXPECT_EQ(wide->CompareNoCase(*MakeWide(u"\xFDFF" "AbC")), 0);
    EXPECT_TRUE(*MakeWide(u"\u00E9t\u00E9") == u"\u00C9T\u00C9");

    // Null and missing buffers.
    Str none(CDgnString::Create());
    EXPECT_EQ(none->Compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_LT(none->Compare(""), 0);
    EXPECT_GT(abc->Compare(static_cast<const char*>(nullptr)), 0);
    EXPECT_GT(abc->Compare(*none), 0);
    EXPECT_EQ(none->Compare(*none), 0);
}

TEST(DgnString, Finds)
{
    Str s = Make("Hello World");
    EXPECT_EQ(s->Find(0, -1, "world"), 6);
    EXPECT_EQ(s->Find(0, 9, "world"), -1) << "the match must lie within the count";
    EXPECT_EQ(s->Find(7, -1, "o"), 7);
    EXPECT_EQ(s->Find(0, -1, u"wo"), -1) << "8-bit text is not searched for wide text";
    EXPECT_EQ(s->Find(0, -1, u"W"), 6) << "a single wide character counts as 8-bit";
    EXPECT_EQ(s->Find(0, -1, "xyz"), -1);
    EXPECT_EQ(Make("")->Find(0, -1, "a"), -1);
    Str w = MakeWide(u"Hello World");
    EXPECT_EQ(w->Find(0, -1, u"WORLD"), 6);
    EXPECT_EQ(w->Find(0, -1, "World"), 6);
    EXPECT_EQ(w->Find(0, -1, "world"), -1) << "mixed widths keep case";
}

TEST(DgnString, EditsInCharacters)
{
    Str s = Make("Hello");
    EXPECT_EQ(s->Insert(", World", 5, 0), 12u);
    EXPECT_STREQ(s->Text(), "Hello, World");
    EXPECT_EQ(s->Insert(u"x", 0, 0), 0u) << "widths differ";
    EXPECT_EQ(s->Remove(5, 100), 5u);
    EXPECT_STREQ(s->Text(), "Hello");
    EXPECT_EQ(s->Remove(9, 1), 5u);
    Str sub(s->Substring(1, 3));
    EXPECT_STREQ(sub->Text(), "ell");
    Str tail(s->Substring(3, 99));
    EXPECT_STREQ(tail->Text(), "lo");
    Str beyond(s->Substring(9, 1));
    EXPECT_TRUE(beyond->IsEmpty());

    // An 8-bit string that receives wide text becomes wide; wide strings convert 8-bit text.
    *s += u"\u20AC";
    EXPECT_TRUE(s->IsWide());
    EXPECT_EQ(Wide(*s), u"Hello\u20AC");
    EXPECT_EQ(s->MarkerSize(), 2u);
    EXPECT_TRUE(s->Append("\x80!", 0));
    EXPECT_EQ(Wide(*s), u"Hello\u20AC\u20AC!");
    Str w(s->Substring(5, 2));
    EXPECT_TRUE(w->IsWide());
    EXPECT_EQ(Wide(*w), u"\u20AC\u20AC");
    EXPECT_EQ(w->Insert(*MakeWide(u"ab"), 1, 1), 8u);
    EXPECT_EQ(Wide(*w), u"\u20ACa\u20AC");

    // An empty string takes the width of what it receives.
    Str empty(CDgnString::Create());
    EXPECT_TRUE(empty->Append("\xFF\xFD" "a\0b\0\0", 1));
    EXPECT_TRUE(empty->IsWide());
    EXPECT_EQ(Wide(*empty), u"a");
    Str joined(Make("ab")->Concat(*Make("cd")));
    EXPECT_STREQ(joined->Text(), "abcd");
    EXPECT_TRUE(joined->Append(*joined));
    EXPECT_STREQ(joined->Text(), "abcdabcd");
    EXPECT_TRUE(joined->AppendBytes("xy", 2));
    EXPECT_STREQ(joined->Text(), "abcdabcdxy");

    Str converted = Make("\xE9t\xE9");
    EXPECT_TRUE(converted->ToWide());
    EXPECT_FALSE(converted->ToWide());
    EXPECT_EQ(Bytes(*converted).substr(0, 2), "\xFF\xFD");
    EXPECT_EQ(Wide(*converted), u"\u00E9t\u00E9");
    EXPECT_EQ(Ansi(*converted), "\xE9t\xE9");
    converted->Clear();
    EXPECT_FALSE(converted->IsWide());
    EXPECT_EQ(converted->Length(), 0u);
}

TEST(DgnString, FileRoundTrips)
{
    const std::filesystem::path narrowPath = TempFile("yvex_dgn_string_narrow.txt");
    Str narrow = Make("line of text");
    ASSERT_TRUE(narrow->SaveToFile(narrowPath.string().c_str()));
    Str back(CDgnString::Create());
    ASSERT_TRUE(back->LoadFromFile(narrowPath.string().c_str()));
    EXPECT_STREQ(back->Text(), "line of text");
    EXPECT_EQ(back->Compare(*narrow), 0);

    const std::u16string widePath = (std::filesystem::temp_directory_path() / "yvex_dgn_string_\u00E9.txt").u16string();
    Str wide = MakeWide(u"\u20AC wide");
    ASSERT_TRUE(wide->SaveToFile(widePath.c_str()));
    Str wideBack(CDgnString::Create());
    ASSERT_TRUE(wideBack->LoadFromFile(*MakeWide(widePath.c_str())));
    EXPECT_TRUE(wideBack->IsWide());
    EXPECT_EQ(Wide(*wideBack), u"\u20AC wide");
    EXPECT_EQ(wideBack->Length(), wide->Length());

    EXPECT_FALSE(back->LoadFromFile("/no/such/dir/file.txt"));
    std::filesystem::remove(narrowPath);
    std::filesystem::remove(std::filesystem::path(widePath));
}

TEST(DgnStringHelpers, PathsAndCopies)
{
    EXPECT_STREQ(FindFileNameA("C:\\dir/sub\\name.dgn"), "name.dgn");
    EXPECT_STREQ(FindFileNameA("c:name"), "name");
    EXPECT_STREQ(FindFileNameA("plain"), "plain");
    char16_t path[64] = u"C:\\dir\\old.dgn";
    ReplaceFileNameW(path, u"new.dgn");
    EXPECT_EQ(std::u16string(path), u"C:\\dir\\new.dgn");
    char16_t* appended = StrAppendW(path, u".bak");
    EXPECT_EQ(std::u16string(appended), u".bak");
    EXPECT_EQ(StrLenW(path), 18u);
    EXPECT_EQ(StrEndW(path), path + 18);
    char a[16];
    EXPECT_EQ(StrCopyEndA(a, "abc"), a + 3);

    char16_t w[8];
    EXPECT_EQ(AnsiToWide(w, "A\x80\xE9", 0), 3);
    EXPECT_EQ(std::u16string(w), u"A\u20AC\u00E9");
    char s[8];
    EXPECT_EQ(WideToAnsi(s, u"A\u20AC\u00E9", 0), 3);
    EXPECT_STREQ(s, "A\x80\xE9");

    char buf[32] = "abc";
    MakeDgnString(buf, nullptr, false, true);
    EXPECT_EQ(std::string(buf, 8), std::string("\xFF\xFE\x01\0abc\0", 8));
    char wbuf[32];
    MakeDgnString(wbuf, u"hi", true, false);
    EXPECT_EQ(std::string(wbuf, 8), std::string("\xFF\xFDh\0i\0\0\0", 8));
    EXPECT_TRUE(IsWideDgnString(wbuf));
}
