#include "model/ColorIndexTable.h"

namespace {
// Numbers 10..249: 24 hues of ten entries (five shades, each plain and pale). A hue gives each
// channel one of five levels; a shade row turns the level into the channel value.
const int kHueLevels[24][3] = {
    {255, 0, 0},   {255, 64, 0},  {255, 128, 0}, {255, 191, 0}, {255, 255, 0}, {191, 255, 0},
    {128, 255, 0}, {64, 255, 0},  {0, 255, 0},   {0, 255, 64},  {0, 255, 128}, {0, 255, 191},
    {0, 255, 255}, {0, 191, 255}, {0, 128, 255}, {0, 64, 255},  {0, 0, 255},   {64, 0, 255},
    {128, 0, 255}, {191, 0, 255}, {255, 0, 255}, {255, 0, 191}, {255, 0, 128}, {255, 0, 64}};

const int kShadeRows[10][5] = {
    {0, 64, 128, 191, 255}, {128, 159, 191, 223, 255}, {0, 41, 83, 124, 166}, {83, 104, 124, 145, 166},
    {0, 32, 64, 96, 128},   {64, 80, 96, 112, 128},    {0, 19, 38, 57, 77},   {38, 48, 57, 67, 77},
    {0, 10, 19, 29, 38},    {19, 24, 29, 33, 38}};

int LevelColumn(int level)
{
    switch (level) {
    case 0: return 0;
    case 64: return 1;
    case 128: return 2;
    case 191: return 3;
    default: return 4;
    }
}

struct Table
{
    DWORD values[CColorIndexTable::kCount];
    Table()
    {
        values[0] = 0x40000000;
        values[256] = 0x20000000;
        static const DWORD basic[9] = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000,
                                       0xFF00FF, 0x000000, 0x808080, 0xC6C6C6};
        for (int i = 0; i < 9; ++i)
            values[1 + i] = basic[i];
        static const int greys[6] = {0x54, 0x76, 0x98, 0xBB, 0xDD, 0xFF};
        for (int i = 0; i < 6; ++i)
            values[250 + i] = RGB(greys[i], greys[i], greys[i]);
        for (int hue = 0; hue < 24; ++hue)
            for (int shade = 0; shade < 5; ++shade)
                for (int pale = 0; pale < 2; ++pale) {
                    const int* row = kShadeRows[shade * 2 + pale];
                    const int r = row[LevelColumn(kHueLevels[hue][0])];
                    const int g = row[LevelColumn(kHueLevels[hue][1])];
                    const int b = row[LevelColumn(kHueLevels[hue][2])];
                    values[10 + 10 * hue + 2 * shade + pale] = RGB(r, g, b);
                }
    }
};
} // namespace

const DWORD* CColorIndexTable::Table()
{
    static const ::Table table;
    return table.values;
}

DWORD CColorIndexTable::ToRgb(int number)
{
    if (number < 0 || number > 256)
        return 0;
    if (number == 7)
        return 0;
    return Table()[number];
}

int CColorIndexTable::FromRgb(DWORD colour)
{
    if (colour == 0)
        return 7;
    if (colour == 0xFFFFFF)
        return 255;
    if (colour == 0x20000000)
        return 256;
    if (colour == 0x40000000)
        return 0;
    const DWORD* t = Table();
    for (int i = 1; i <= 255; ++i)
        if (t[i] == colour)
            return i;
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    int best = 256;
    int bestDistance = 0x40000;
    for (int i = 1; i <= 255; ++i) {
        const int dr = r - GetRValue(t[i]), dg = g - GetGValue(t[i]), db = b - GetBValue(t[i]);
        const int d = 30 * dr * dr + 59 * dg * dg + 11 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}
