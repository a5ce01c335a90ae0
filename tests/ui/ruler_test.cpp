// The Ruler control: how it lays out its scale for given limits, its refusals, the ticks it
// paints into a DIB (read by position: the numbers' font differs between systems), the cursor
// line, and a picture of a horizontal and a vertical ruler as build artefacts.
#include <gtest/gtest.h>
#include <windows.h>
#include <cmath>
#include <limits>
#include <vector>
#include "com/ComObject.h"
#include "tests/support/Dib.h"
#include "tests/support/PngSave.h"
#include "tests/support/WindowCapture.h"
#include "ui/Ruler.h"

namespace {

ycom::ComPtr<ycom::ComObject<CRuler>> NewRuler()
{
    auto ruler = ycom::NewObject<CRuler>();
    EXPECT_TRUE(ruler);
    return ruler;
}

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kCursor = RGB(0x50, 0x50, 0x50);

// The columns (or rows) holding a black pixel on the given row (or column), frame excluded.
std::vector<int> BlackAlong(const drawtest::Dib& dib, bool horizontal, int line)
{
    std::vector<int> hits;
    const int length = horizontal ? dib.width : dib.height;
    for (int i = 1; i < length - 1; ++i) {
        const COLORREF c = horizontal ? dib.Pixel(i, line) : dib.Pixel(line, i);
        if (c == kBlack)
            hits.push_back(i);
    }
    return hits;
}

} // namespace

// The normalised range picks the base step and the digits; a narrow one halves the groups.
TEST(Ruler, LimitsChooseBaseStepAndDecimals)
{
    const struct {
        double lower, upper;
        double base;
        short decimals, half;
    } cases[] = {
        {-12, 120, 20.0, 0, 1},  // range 132 normalises to 1.32
        {0, 0.5, 0.1, 2, 0},     // 5.0: the base step stays
        {0, 3, 0.5, 1, 0},       // 3: half a unit
        {100, 0, 10.0, 0, 0},    // reversed limits count by their distance
        {0, 1.5, 0.2, 1, 1},
    };
    for (const auto& c : cases) {
        auto ruler = NewRuler();
        EXPECT_EQ(ruler->SetRulerLimits(c.lower, c.upper), S_OK);
        EXPECT_NEAR(ruler->BaseStep(), c.base, 1e-9) << c.lower << ".." << c.upper;
        EXPECT_EQ(ruler->Decimals(), c.decimals) << c.lower << ".." << c.upper;
        EXPECT_EQ(ruler->HalfGroup(), c.half) << c.lower << ".." << c.upper;
    }
}

// The half-group flag belongs to the limits now set: a wide range after a narrow one clears it.
TEST(Ruler, HalfGroupFlagFollowsTheLatestLimits)
{
    auto ruler = NewRuler();
    ruler->SetRulerLimits(-12, 120);
    ASSERT_EQ(ruler->HalfGroup(), 1);
    ruler->SetRulerLimits(0, 800);
    EXPECT_EQ(ruler->HalfGroup(), 0);
}

// Equal, infinite and NaN limits return at once and paint no ticks; a group or a scaling
// factor below one is refused and leaves the ruler as it was.
TEST(Ruler, DegenerateLimitsAndStepsDrawNothing)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double limits[][2] = {{7, 7}, {0, inf}, {-inf, inf}, {nan, 5}, {0, 1e308 * 10}};
    for (const auto& l : limits) {
        auto ruler = NewRuler();
        EXPECT_EQ(ruler->SetRulerLimits(l[0], l[1]), S_OK);
        drawtest::Dib dib(200, 24, 0xFFFFFF);
        EXPECT_EQ(ruler->OnDraw(dib.dc, RECT{0, 0, 200, 24}), S_OK);
        EXPECT_TRUE(BlackAlong(dib, true, 24 - 3).empty()) << l[0] << ".." << l[1];
    }
    auto ruler = NewRuler();
    ASSERT_EQ(ruler->SetRulerInfo(0, 100, 5, 5, VARIANT_TRUE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(ruler->SetRulerInfo(0, 1, 5, 0, VARIANT_FALSE, VARIANT_TRUE), E_INVALIDARG);
    EXPECT_EQ(ruler->SetRulerInfo(0, 1, 0, 5, VARIANT_FALSE, VARIANT_TRUE), E_INVALIDARG);
    EXPECT_EQ(ruler->SetRulerInfo(0, 1, -3, 5, VARIANT_FALSE, VARIANT_TRUE), E_INVALIDARG);
    VARIANT_BOOL horizontal = VARIANT_FALSE, look = VARIANT_TRUE;
    ruler->get_HorzAligned(&horizontal);
    ruler->get_Look3D(&look);
    EXPECT_EQ(horizontal, VARIANT_TRUE);
    EXPECT_EQ(look, VARIANT_FALSE);
    EXPECT_NEAR(ruler->BaseStep(), 10.0, 1e-9) << "the refused call's limits were not taken";
}

// 0..100 over 400 pixels: a minor tick every 2 units (8 pixels), a longer major every 10 units
// (40 pixels) with its number above it; the vertical ruler the same along its height.
TEST(Ruler, PaintsTicksEveryMinorStepWithLongerMajors)
{
    for (const bool horizontal : {true, false}) {
        auto ruler = NewRuler();
        ASSERT_EQ(ruler->SetRulerInfo(0, 100, 5, 5, horizontal ? VARIANT_TRUE : VARIANT_FALSE, VARIANT_FALSE), S_OK);
        const int length = 400, across = 30;
        drawtest::Dib dib(horizontal ? length : across, horizontal ? across : length, 0xFFFFFF);
        ASSERT_EQ(ruler->OnDraw(dib.dc, RECT{0, 0, dib.width, dib.height}), S_OK);
        // Just inside the inner edge every tick shows; past the minor length only the majors.
        const std::vector<int> all = BlackAlong(dib, horizontal, across - 3);
        const std::vector<int> majors = BlackAlong(dib, horizontal, across - 2 - 5);
        ASSERT_GE(all.size(), 40u) << horizontal;
        for (size_t i = 1; i < all.size(); ++i)
            EXPECT_NEAR(all[i] - all[i - 1], 8, 1) << "tick " << i << (horizontal ? " horizontal" : " vertical");
        ASSERT_GE(majors.size(), 8u);
        for (size_t i = 0; i < majors.size(); ++i)
            EXPECT_NEAR(majors[i], 40.0 * (i + 1), 1) << "major " << i;
        // A number stands beside the major ticks: some dark pixels in the band past the mark.
        int dark = 0;
        for (int along = 30; along < 130; ++along)
            for (int a = 1; a < across - 2 - 7 - 1; ++a) {
                const COLORREF c = horizontal ? dib.Pixel(along, a) : dib.Pixel(a, along);
                dark += GetRValue(c) < 0x80;
            }
        EXPECT_GT(dark, 5) << "numbers beside the majors";
    }
}

// Moving the cursor twice to the same value leaves one line; the old line is gone.
TEST(Ruler, CursorLineMovesAndSettingItTwiceLeavesOne)
{
    auto ruler = NewRuler();
    ruler->SetRulerInfo(0, 100, 5, 5, VARIANT_TRUE, VARIANT_FALSE);
    ruler->put_ShowNumbers(VARIANT_FALSE);
    drawtest::Dib dib(400, 30, 0xFFFFFF);
    const RECT bounds = {0, 0, 400, 30};
    ruler->put_CursorPosition(25);
    ruler->OnDraw(dib.dc, bounds);
    const RECT at25 = {100, 0, 101, 30}, at62 = {250, 0, 251, 30};
    EXPECT_GT(dib.Count(kCursor, at25), 5);
    ruler->MoveCursor(dib.dc, bounds, 62.5);
    ruler->MoveCursor(dib.dc, bounds, 62.5);
    EXPECT_EQ(dib.Count(kCursor, at25), 0) << "the old line is erased";
    EXPECT_GT(dib.Count(kCursor, at62), 5) << "one line stays at the new place";
    double position = 0;
    EXPECT_EQ(ruler->get_CursorPosition(&position), S_OK);
    EXPECT_EQ(position, 62.5);
    EXPECT_EQ(ruler->get_CursorPosition(nullptr), S_OK);
}

// Pictures of the two rulers, plain and with the 3-D look, for a person to look at.
TEST(Ruler, PicturesAsArtefacts)
{
    const struct {
        const char* name;
        bool horizontal, look3D;
        double lower, upper;
        int width, height;
    } rulers[] = {
        {"ruler_horizontal", true, false, -12, 120, 480, 24},
        {"ruler_vertical_3d", false, true, 0, 0.5, 24, 320},
    };
    for (const auto& r : rulers) {
        auto ruler = NewRuler();
        ruler->SetRulerInfo(r.lower, r.upper, 5, 5, r.horizontal ? VARIANT_TRUE : VARIANT_FALSE,
                            r.look3D ? VARIANT_TRUE : VARIANT_FALSE);
        ruler->put_CursorPosition((r.lower + r.upper) / 3);
        drawtest::Dib dib(r.width, r.height, 0xFFFFFF);
        ruler->OnDraw(dib.dc, RECT{0, 0, r.width, r.height});
        GdiFlush();
        EXPECT_TRUE(SavePng(dib.bitmap, ArtefactPath(r.name).c_str())) << r.name;
    }
}
