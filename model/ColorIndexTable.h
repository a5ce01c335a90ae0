#pragma once
#include <windows.h>

// Translation between the 256 DXF colour numbers and colour words (0x00BBGGRR). Number 0 stands
// for "by block" (0x40000000) and 256 for "by layer" (0x20000000).
class CColorIndexTable
{
public:
    static const int kCount = 257;

    // The colour of a number 0..256; 0 outside that range.
    static DWORD ToRgb(int number);
    // The number of a colour: fixed answers for black, white, by layer and by block, then the
    // first exact match among 1..255, then the nearest (weighted 30/59/11 by red, green, blue);
    // 256 when no entry lies nearer than 0x40000.
    static int FromRgb(DWORD colour);

private:
    static const DWORD* Table();
};
