#pragma once
// A design file's fonts by number: 4096 slots, the default font ("smooth.fnt", number 0) in
// slot 0. Numbers 0-511 name fonts of the font resource list, 512-1023 SHX fonts (the file
// "<SHX folder>\<the file's name of the number>.SHX"), 1024 and above TrueType faces (the
// file's name of the number). What cannot be made (no name, no file, a bad file, a full cache)
// is served by the default font.
#include <cstdint>

namespace dgn {

class CDesignFile;
class CFont;

class CFontCache {
public:
    static constexpr int kSlots = 4096;

    // A cache for the file with its default font; null when memory runs out.
    static CFontCache* Create(CDesignFile* file);
    // Releases every font.
    ~CFontCache();

    // The font of a number with one more reference (the caller releases it). With the
    // TrueType fallback numbers below 1024 become 4095, and a TrueType number without a name
    // takes "Arial".
    CFont* Load(std::int32_t number, bool trueTypeFallback);
    // Releases every font and empties the slots.
    void Clear();
    // The slot holding a font of that number, -1 for none (what the tests look at).
    int SlotOf(std::int32_t number) const;
    CFont* SlotFont(int slot) const { return slot >= 0 && slot < kSlots ? m_slots[slot] : nullptr; }

    CFontCache(const CFontCache&) = delete;
    CFontCache& operator=(const CFontCache&) = delete;

private:
    explicit CFontCache(CDesignFile* file) : m_file(file) {}
    CFont* Make(std::int32_t number, bool trueTypeFallback);

    CDesignFile* m_file;
    CFont* m_slots[kSlots] = {};
};

} // namespace dgn
