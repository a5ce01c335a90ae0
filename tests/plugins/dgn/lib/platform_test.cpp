// The library's operating-system seam as the rest of the library relies on it: the ANSI code
// page (Windows-1252 here and in the native build), case mapping, the clock, and whole-file
// reads and writes through narrow and wide paths.
#include "FileAccess.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

using namespace dgn;

namespace {

std::filesystem::path Temp(const char* name) { return std::filesystem::temp_directory_path() / name; }

} // namespace

TEST(Platform, CodePageConversion)
{
    const char ansi[] = "A\x80\x9F\xE9\xFF";
    char16_t wide[8] = {};
    ASSERT_EQ(AnsiToUtf16(ansi, 5, wide, 8), 5);
    EXPECT_EQ(std::u16string(wide, 5), u"A\u20AC\u0178\u00E9\u00FF");
    char back[8] = {};
    ASSERT_EQ(Utf16ToAnsi(wide, 5, back, 8), 5);
    EXPECT_EQ(std::string(back, 5), std::string(ansi, 5));
    char unmappable[2] = {};
    ASSERT_EQ(Utf16ToAnsi(u"\u4E2D", 1, unmappable, 2), 1);
    EXPECT_EQ(unmappable[0], '?');
    EXPECT_EQ(AnsiToUtf16(ansi, 5, wide, 2), 2) << "never beyond the capacity";
}

TEST(Platform, CaseMapping)
{
    const struct {
        char16_t lower;
        char16_t upper;
    } pairs[] = {{u'a', u'A'}, {u'z', u'Z'}, {u'\u00E9', u'\u00C9'}, {u'\u03B1', u'\u0391'}, {u'\u0430', u'\u0410'}};
    for (const auto& p : pairs) {
        EXPECT_EQ(UpperCase16(p.lower), p.upper);
        EXPECT_EQ(LowerCase16(p.upper), p.lower);
    }
    EXPECT_EQ(UpperCase16(u'1'), u'1');
    EXPECT_EQ(UpperCase16(0xD800), 0xD800) << "a lone surrogate stays";
}

TEST(Platform, Clock)
{
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_LE(std::llabs(CurrentCalendarSeconds() - now), 2);
}

TEST(Platform, WholeFiles)
{
    const std::string path = Temp("yvex_dgn_whole.bin").string();
    ASSERT_TRUE(WriteWholeFile(path.c_str(), "0123456789", 10));
    void* data = nullptr;
    std::uint64_t size = 0;
    ASSERT_TRUE(ReadWholeFile(path.c_str(), &data, &size));
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(std::string(static_cast<char*>(data), 10), "0123456789");
    EXPECT_EQ(static_cast<char*>(data)[10], 0) << "a terminator after the data";
    std::free(data);

    // An empty file reads nothing and fails, but its one-byte block is handed out.
    ASSERT_TRUE(WriteWholeFile(path.c_str(), "", 0));
    data = nullptr;
    EXPECT_FALSE(ReadWholeFile(path.c_str(), &data, &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(static_cast<char*>(data)[0], 0);
    std::free(data);
    std::filesystem::remove(path);

    data = nullptr;
    EXPECT_FALSE(ReadWholeFile(Temp("yvex_dgn_missing.bin").string().c_str(), &data, &size));
    EXPECT_EQ(data, nullptr);

    const std::u16string wide = Temp("yvex_dgn_\u00E9\u20AC.bin").u16string();
    ASSERT_TRUE(WriteWholeFileW(wide.c_str(), "abc", 3));
    EXPECT_TRUE(FileExistsW(wide.c_str()));
    ASSERT_TRUE(ReadWholeFileW(wide.c_str(), &data, &size));
    EXPECT_EQ(std::string(static_cast<char*>(data), size), "abc");
    std::free(data);

    FileHandle h = 0;
    ASSERT_TRUE(OpenFileForReadW(wide.c_str(), &h));
    EXPECT_EQ(GetFileLength(h), 3u);
    char buf[8];
    EXPECT_EQ(ReadFileBytes(h, 8, buf), 3u);
    EXPECT_EQ(ReadFileBytes(h, 8, buf), 0u);
    EXPECT_TRUE(CloseFile(&h));
    EXPECT_EQ(h, 0);
    std::filesystem::remove(std::filesystem::path(wide));
    EXPECT_FALSE(FileExistsW(wide.c_str()));
    EXPECT_FALSE(OpenFileForRead(nullptr, &h));
}

// A file past 4 GB gives its whole size (made sparse: nothing is written).
TEST(Platform, FileLengthsPast4GB)
{
    const std::filesystem::path path = Temp("yvex_dgn_large.bin");
    ASSERT_TRUE(WriteWholeFile(path.string().c_str(), "x", 1));
    std::error_code ec;
    std::filesystem::resize_file(path, (std::uint64_t(1) << 32) + 10, ec);
    if (ec)
        GTEST_SKIP() << "no room for a sparse file: " << ec.message();
    FileHandle h = 0;
    ASSERT_TRUE(OpenFileForRead(path.string().c_str(), &h));
    EXPECT_EQ(GetFileLength(h), (std::uint64_t(1) << 32) + 10);
    CloseFile(&h);
    std::filesystem::remove(path);
}
