#include "fonts/FontResources.h"

#include "DgnStringFunctions.h"

#include <cstdlib>
#include <cstring>

namespace dgn {

namespace {

// The list: entries of kEntryBytes, each beginning with its number, its name at byte 12.
constexpr std::uint32_t kEntryBytes = 64;
constexpr std::uint32_t kNameAt = 12;
std::uint8_t* g_entries = nullptr;
std::uint32_t g_count = 0;
char16_t* g_shxFolder = nullptr;
bool g_trueTypeDisabled = false;

std::int32_t NumberOf(const std::uint8_t* entry)
{
    std::int32_t n;
    std::memcpy(&n, entry, sizeof n);
    return n;
}

} // namespace

const char* FindFontEntryByNumber(std::int32_t number)
{
    for (std::uint32_t i = 0; g_entries && i < g_count; ++i) {
        const std::uint8_t* entry = g_entries + i * kEntryBytes;
        if (NumberOf(entry) == number)
            return reinterpret_cast<const char*>(entry + kNameAt);
    }
    return nullptr;
}

std::int32_t FindFontNumberByName(const char* name)
{
    for (std::uint32_t i = 0; g_entries && name && i < g_count; ++i) {
        const std::uint8_t* entry = g_entries + i * kEntryBytes;
        if (std::strncmp(reinterpret_cast<const char*>(entry + kNameAt), name, kEntryBytes - kNameAt) == 0)
            return NumberOf(entry);
    }
    return 0;
}

void DestroyFontResources()
{
    std::free(g_entries);
    g_entries = nullptr;
    g_count = 0;
    std::free(g_shxFolder);
    g_shxFolder = nullptr;
}

void SetShxFontFolder(const char16_t* folder)
{
    std::free(g_shxFolder);
    g_shxFolder = nullptr;
    const std::size_t n = folder ? StrLenW(folder) : 0;
    if (!n)
        return;
    g_shxFolder = static_cast<char16_t*>(std::malloc((n + 1) * sizeof(char16_t)));
    if (g_shxFolder)
        std::memcpy(g_shxFolder, folder, (n + 1) * sizeof(char16_t));
}

const char16_t* GetShxFontFolder() { return g_shxFolder ? g_shxFolder : u""; }
void SetTrueTypeFontsDisabled(bool disabled) { g_trueTypeDisabled = disabled; }
bool TrueTypeFontsDisabled() { return g_trueTypeDisabled; }

} // namespace dgn
