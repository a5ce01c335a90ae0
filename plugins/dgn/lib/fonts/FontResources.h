#pragma once
// What the fonts share across the library: the font resource list (entries of a 32-bit font
// number and, from the entry's 13th byte, its 8-bit name), which nothing in this system fills,
// the folder of SHX fonts (empty unless set) and the switch that keeps TrueType fonts out.
#include <cstdint>

namespace dgn {

// The name field of the entry of that number, or null (no list, no entry).
const char* FindFontEntryByNumber(std::int32_t number);
// The number of the first entry of that name (byte for byte), or 0.
std::int32_t FindFontNumberByName(const char* name);
// Destroys the list (the library's last end).
void DestroyFontResources();

// The folder SHX fonts are read from: "<folder>\<name>.SHX" (UTF-16; null or empty: none).
void SetShxFontFolder(const char16_t* folder);
const char16_t* GetShxFontFolder();
// True while TrueType fonts are kept out (font numbers from 1024 then give the default font).
void SetTrueTypeFontsDisabled(bool disabled);
bool TrueTypeFontsDisabled();

} // namespace dgn
