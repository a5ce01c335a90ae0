// The model's drawing services: the brush cache, the names of blocks and layers, and the pattern
// fill of the highlight group.
#include <gtest/gtest.h>
#include <windows.h>
#include <map>
#include <set>
#include <string>
#include "model/BrushCache.h"
#include "model/NameRules.h"
#include "model/PatternFill.h"
#include "tests/support/Dib.h"

using drawtest::Dib;

TEST(BrushCache, SharedByStyleAndColour)
{
    CBrushCache cache;
    LOGBRUSH red = {BS_SOLID, 0x0000FF, 0};
    LOGBRUSH redHatched = {BS_SOLID, 0x0000FF, HS_CROSS};
    LOGBRUSH blue = {BS_SOLID, 0xFF0000, 0};
    int a = 0, b = 0, c = 0;
    HBRUSH first = cache.Acquire(red, &a, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(cache.Acquire(redHatched, &b, false), first) << "the hatch field is not compared";
    EXPECT_EQ(b, a);
    EXPECT_EQ(cache.GetUseCount(a), 1) << "found without adding a use";
    HBRUSH other = cache.Acquire(blue, &c, true);
    EXPECT_NE(other, first);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(cache.GetCount(), 2);
    // One acquisition, two releases: deleted at the first, 0 at the second.
    EXPECT_EQ(cache.Release(a), 0);
    EXPECT_EQ(GetObjectType(first), 0u) << "the brush is gone";
    EXPECT_EQ(cache.Release(a), 0);
    EXPECT_EQ(cache.GetCount(), 1);
    // A holder for a scope adds its own use.
    cache.Acquire(blue, nullptr, true);
    EXPECT_EQ(cache.GetUseCount(c), 2);
    {
        CCachedBrush held(&cache, 0xFF0000);
        EXPECT_EQ(held.Get(), other);
        EXPECT_EQ(cache.GetUseCount(c), 3);
    }
    EXPECT_EQ(cache.GetUseCount(c), 2);
    cache.ReleaseAll();
    EXPECT_EQ(cache.GetCount(), 0);
    EXPECT_EQ(GetObjectType(other), 0u);
}

TEST(NameRules, ValidAndUniqueNames)
{
    struct Valid
    {
        const char* in;
        const char* out;
        bool dropped;
    } valid[] = {{"my layer!", "mylayer", true},
                 {"!!!", "1", true},
                 {"Block-1_$", "Block-1_$", false},
                 {"abcdefghijklmnopqrstuvwxyz0123456789", "abcdefghijklmnopqrstuvwxyz01234", false}};
    for (const Valid& v : valid) {
        std::string name = v.in;
        EXPECT_EQ(MakeValidName(name), v.dropped) << v.in;
        EXPECT_EQ(name, v.out);
    }
    std::string empty;
    EXPECT_FALSE(MakeValidName(empty));

    const std::set<std::string> used = {"Layer009", "Block", "Block1", "Free"};
    struct Unique
    {
        const char* in;
        const char* out;
        bool changed;
    } unique[] = {{"Layer009", "Layer010", true}, {"Block", "Block2", true}, {"Other", "Other", false}};
    for (const Unique& u : unique) {
        std::string name = u.in;
        EXPECT_EQ(MakeUniqueName(name, used), u.changed) << u.in;
        EXPECT_EQ(name, u.out);
    }
    std::map<std::string, int> byId = {{"A7", 1}};
    std::string a7 = "A7";
    EXPECT_TRUE(MakeUniqueName(a7, byId));
    EXPECT_EQ(a7, "A8");
}

TEST(PatternFill, PaintsThePatternBitsOnly)
{
    Dib dib(40, 40);
    const RECT all = {0, 0, 40, 40};
    PatternFillRect(dib.dc, RECT{0, 0, 32, 32}, 0x0000C8, 1, nullptr);
    EXPECT_EQ(dib.Count(0x0000C8, all), 32 * 32 / 2) << "the checkerboard";
    EXPECT_EQ(dib.Count(RGB(0x80, 0x80, 0x80), all), 40 * 40 - 32 * 32 / 2) << "the other pixels stay";
    Dib light(40, 40);
    PatternFillRect(light.dc, RECT{0, 0, 32, 32}, 0x0000C8, 2, nullptr);
    EXPECT_EQ(light.Count(0x0000C8, all), 32 * 32 / 4);
    Dib custom(40, 40);
    const WORD rows[8] = {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    PatternFillRect(custom.dc, RECT{0, 0, 32, 32}, 0x0000C8, 3, rows);
    EXPECT_EQ(custom.Count(0x0000C8, all), 16) << "one 0 bit per 8 x 8 cell";
    EXPECT_EQ(GetBkColor(custom.dc), GetBkColor(dib.dc)) << "settings restored";
}
