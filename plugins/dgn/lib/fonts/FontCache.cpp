#include "fonts/FontCache.h"

#include "DesignFile.h"
#include "DgnStringFunctions.h"
#include "fonts/FntFont.h"
#include "fonts/FontResources.h"
#include "fonts/ShxFont.h"
#include "fonts/TrueTypeFont.h"
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace dgn {

namespace {

constexpr std::int32_t kFirstShx = 512;
constexpr std::int32_t kFirstTrueType = 1024;
constexpr std::int32_t kFallbackNumber = 4095;

std::u16string Wide(const char* s)
{
    std::u16string out(StrLenA(s), u'\0');
    const int n = AnsiToUtf16(s, static_cast<int>(out.size()), &out[0], static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

} // namespace

CFontCache* CFontCache::Create(CDesignFile* file)
{
    CFontCache* cache = new (std::nothrow) CFontCache(file);
    if (!cache)
        return nullptr;
    if (CFntFont* font = CFntFont::Create("smooth.fnt")) {
        font->SetFontNumber(0);
        cache->m_slots[0] = font;
    }
    return cache;
}

CFontCache::~CFontCache() { Clear(); }

void CFontCache::Clear()
{
    for (CFont*& font : m_slots) {
        if (font)
            font->Release();
        font = nullptr;
    }
}

int CFontCache::SlotOf(std::int32_t number) const
{
    for (int i = 1; i < kSlots; ++i) {
        if (m_slots[i] && m_slots[i]->GetFontNumber() == number)
            return i;
    }
    return m_slots[0] && number == 0 ? 0 : -1;
}

CFont* CFontCache::Make(std::int32_t number, bool trueTypeFallback)
{
    if (number >= kFirstTrueType) {
        if (TrueTypeFontsDisabled())
            return nullptr;
        const char* name = m_file ? m_file->GetFontName(number) : nullptr;
        if (!name && trueTypeFallback)
            name = "Arial";
        return name ? CTrueTypeFont::Create(Wide(name).c_str()) : nullptr;
    }
    if (number >= kFirstShx) {
        const char* name = m_file ? m_file->GetFontName(number) : nullptr;
        if (!name)
            return nullptr;
        const std::u16string path = std::u16string(GetShxFontFolder()) + u"\\" + Wide(name) + u".SHX";
        return CShxFont::Create(path.c_str());
    }
    // The font resource list: nothing fills it here, so these numbers find no font.
    (void)FindFontEntryByNumber(number);
    return nullptr;
}

CFont* CFontCache::Load(std::int32_t number, bool trueTypeFallback)
{
    if (trueTypeFallback && number < kFirstTrueType)
        number = kFallbackNumber;
    const int existing = SlotOf(number);
    if (existing > 0) {
        m_slots[existing]->AddRef();
        return m_slots[existing];
    }
    int free = 1;
    while (free < kSlots && m_slots[free])
        ++free;
    CFont* font = free < kSlots ? Make(number, trueTypeFallback) : nullptr;
    if (font) {
        font->SetFontNumber(number);
        m_slots[free] = font;
        font->AddRef();
        return font;
    }
    if (m_slots[0])
        m_slots[0]->AddRef();
    return m_slots[0];
}

} // namespace dgn
