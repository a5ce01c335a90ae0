#include "model/FontCache.h"
#include <cstring>

namespace {
// A character height of a font is this part of its cell height (10/13).
const double kCharacterPerCellHeight = 0.7692307692307692;

bool IsAllZero(const LOGFONTA& lf)
{
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&lf);
    for (size_t i = 0; i < sizeof lf; ++i)
        if (bytes[i])
            return false;
    return true;
}
} // namespace

CFontCache::CFontEntry::~CFontEntry()
{
    if (m_font)
        DeleteObject(m_font);
}

int FontMatches(const CFontCache::CFontEntry& entry, const LOGFONTA& lf)
{
    const LOGFONTA& e = entry.m_logFont;
    if (lf.lfCharSet != e.lfCharSet || lf.lfClipPrecision != e.lfClipPrecision || lf.lfEscapement != e.lfEscapement)
        return 0;
    if (std::strncmp(lf.lfFaceName, e.lfFaceName, LF_FACESIZE) != 0)
        return 0;
    const LONG h = lf.lfHeight;
    const bool heights = h == e.lfHeight || h == 0 || e.lfHeight == 0 ||
                         (h > 0 && -static_cast<double>(h) == e.lfHeight * kCharacterPerCellHeight) ||
                         (h < 0 && -static_cast<double>(h) * kCharacterPerCellHeight == e.lfHeight);
    if (!heights)
        return 0;
    if (lf.lfItalic != e.lfItalic || lf.lfOrientation != e.lfOrientation || lf.lfOutPrecision != e.lfOutPrecision ||
        lf.lfPitchAndFamily != e.lfPitchAndFamily || lf.lfQuality != e.lfQuality || lf.lfStrikeOut != e.lfStrikeOut ||
        lf.lfUnderline != e.lfUnderline || lf.lfWeight != e.lfWeight)
        return 0;
    return (lf.lfWidth == e.lfWidth || lf.lfWidth == 0 || e.lfWidth == 0) ? 1 : 0;
}

CFontCache::CFontEntry* CFontCache::FindOrAdd(const LOGFONTA& lf, int* id)
{
    // The default font: the first entry. An empty cache has none yet, and the all-zero
    // description is added as any other would be.
    if (IsAllZero(lf) && !m_entries.empty()) {
        if (id)
            *id = m_entries.begin()->first;
        return m_entries.begin()->second.get();
    }
    for (const auto& entry : m_entries) {
        if (FontMatches(*entry.second, lf)) {
            if (id)
                *id = entry.first;
            return entry.second.get();
        }
    }
    return AddNext(lf, id);
}

CFontCache::CFontEntry* CFontCache::FindOrAddExact(const LOGFONTA& lf, int* id)
{
    for (const auto& entry : m_entries) {
        const LOGFONTA& e = entry.second->m_logFont;
        if (e.lfHeight == lf.lfHeight && e.lfWidth == lf.lfWidth && e.lfEscapement == lf.lfEscapement &&
            e.lfOrientation == lf.lfOrientation && e.lfWeight == lf.lfWeight && e.lfItalic == lf.lfItalic &&
            e.lfUnderline == lf.lfUnderline && e.lfStrikeOut == lf.lfStrikeOut && e.lfCharSet == lf.lfCharSet &&
            e.lfOutPrecision == lf.lfOutPrecision && e.lfClipPrecision == lf.lfClipPrecision &&
            e.lfQuality == lf.lfQuality && e.lfPitchAndFamily == lf.lfPitchAndFamily &&
            std::strncmp(e.lfFaceName, lf.lfFaceName, LF_FACESIZE) == 0) {
            if (id)
                *id = entry.first;
            return entry.second.get();
        }
    }
    return AddNext(lf, id);
}

CFontCache::CFontEntry* CFontCache::AddNext(const LOGFONTA& lf, int* id)
{
    const int added = AddFont(m_lastId + 1, lf, true);
    if (!added)
        return nullptr;
    if (id)
        *id = added;
    return Lookup(added);
}

int CFontCache::AddFont(int id, const LOGFONTA& lf, bool updateLastId)
{
    if (m_entries.count(id))
        return 0;
    auto entry = std::make_unique<CFontEntry>();
    entry->m_logFont = lf;
    m_entries.emplace(id, std::move(entry));
    if (updateLastId && m_lastId <= id)
        m_lastId = id;
    return id;
}

CFontCache::CFontEntry* CFontCache::Lookup(int id) const
{
    auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : it->second.get();
}
