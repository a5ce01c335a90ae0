#pragma once
#include <windows.h>
#include <map>
#include <memory>

// The GDI fonts the texts need, one entry per distinct LOGFONT under an ID counted from 1, so that
// equal fonts are created once and found again by a tolerant comparison (FontMatches). Entries are
// never removed one by one; their fonts are deleted with the cache.
class CFontCache
{
public:
    struct CFontEntry
    {
        CFontEntry() = default;
        CFontEntry(const CFontEntry&) = delete;
        CFontEntry& operator=(const CFontEntry&) = delete;
        ~CFontEntry();

        int m_useCount = 0;
        LOGFONTA m_logFont{};
        // Null until the entry's first user creates the font; owned.
        HFONT m_font = nullptr;
    };

    CFontCache() = default;
    CFontCache(const CFontCache&) = delete;
    CFontCache& operator=(const CFontCache&) = delete;

    // The first entry that matches the description, else a new entry under the next ID (null when
    // it cannot be added). An all-zero description asks for the default font: the first entry,
    // which the description itself becomes while the cache is empty. The entry's ID goes to *id.
    CFontEntry* FindOrAdd(const LOGFONTA& lf, int* id = nullptr);
    // The entry that describes exactly this font (every field equal, the face name as a string),
    // else a new one. Texts measure and draw with it: the tolerant match would hand a text a font
    // of another size (a height or width of 0 matches any), and its layout would follow that.
    CFontEntry* FindOrAddExact(const LOGFONTA& lf, int* id = nullptr);
    // A new entry (use count 0, no font) under id; 0 when the ID is taken, else id. With
    // updateLastId the highest ID given out follows.
    int AddFont(int id, const LOGFONTA& lf, bool updateLastId);
    CFontEntry* Lookup(int id) const;

    int GetLastId() const { return m_lastId; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

private:
    // A new entry under the next ID (null when it cannot be added).
    CFontEntry* AddNext(const LOGFONTA& lf, int* id);

    std::map<int, std::unique_ptr<CFontEntry>> m_entries;
    int m_lastId = 0;
};

// Whether the entry describes the font lf asks for: character set, clip precision, escapement,
// face name, orientation, precision, pitch, quality, italic, underline, strike-out and weight
// equal; heights and widths equal or one of them 0, and a height may also be the other's cell
// height given as a character height (10/13 of it).
int FontMatches(const CFontCache::CFontEntry& entry, const LOGFONTA& lf);
