#include "interchange/DibFile.h"
#include "com/Owners.h"
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const DWORD kFileHeaderSize = 14;
const DWORD kCoreHeaderSize = 12;
const DWORD kInfoHeaderSize = 40;

uint32_t Read32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Read16(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// The colour table of a packed DIB of `size` bytes: entries, entry size and where it starts.
// False when the header is of another size or the table runs past the bytes.
bool ColorTable(const BYTE* dib, size_t size, DWORD* entries, DWORD* entrySize, DWORD* start)
{
    if (size < 4)
        return false;
    const DWORD headerSize = Read32(dib);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize)
        return false;
    if (size < headerSize)
        return false;
    const WORD bits = headerSize == kCoreHeaderSize ? Read16(dib + 10) : Read16(dib + 14);
    DWORD count = 0;
    if (headerSize == kInfoHeaderSize && Read32(dib + 32) != 0)
        count = Read32(dib + 32);
    else
        count = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    *entries = count;
    *entrySize = headerSize == kCoreHeaderSize ? 3 : 4;
    *start = headerSize;
    // biClrUsed comes from the file: a table that would reach past the file is refused before a
    // palette is built from it.
    return static_cast<unsigned long long>(count) * *entrySize <= size - headerSize;
}

} // namespace

void CDibFile::Free()
{
    if (m_dib) {
        GlobalFree(m_dib);
        m_dib = nullptr;
    }
    if (m_palette) {
        DeleteObject(m_palette);
        m_palette = nullptr;
    }
}

bool CDibFile::LoadFile(const wchar_t* path)
{
    Free();
    ycom::Handle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    BYTE header[kFileHeaderSize];
    DWORD got = 0;
    if (!ReadFile(file.Get(), header, kFileHeaderSize, &got, nullptr) || got != kFileHeaderSize ||
        Read16(header) != 0x4D42)
        return false;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= kFileHeaderSize || size.QuadPart > 0x7FFFFFFF)
        return false;
    const DWORD rest = static_cast<DWORD>(size.QuadPart) - kFileHeaderSize;
    m_dib = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, rest);
    if (!m_dib)
        return false;
    {
        ycom::GlobalLockView<BYTE> view(m_dib);
        DWORD entries = 0, entrySize = 0, start = 0;
        const bool read = view.Get() && ReadFile(file.Get(), view.Get(), rest, &got, nullptr) && got == rest;
        if (read && ColorTable(view.Get(), rest, &entries, &entrySize, &start) && entries > 0 && entries <= 0xFFFF) {
            std::vector<BYTE> storage(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
            auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
            palette->palVersion = 0x300;
            palette->palNumEntries = static_cast<WORD>(entries);
            for (DWORD i = 0; i < entries; ++i) {
                // Entries are stored blue, green, red.
                const BYTE* entry = view.Get() + start + i * entrySize;
                palette->palPalEntry[i].peRed = entry[2];
                palette->palPalEntry[i].peGreen = entry[1];
                palette->palPalEntry[i].peBlue = entry[0];
                palette->palPalEntry[i].peFlags = 0;
            }
            m_palette = CreatePalette(palette);
        }
    }
    if (!m_palette) {
        Free();
        return false;
    }
    return true;
}

HPALETTE CDibFile::CreatePaletteCopy() const
{
    if (!m_palette)
        return nullptr;
    const int entries = GetPaletteEntries(m_palette, 0, 0, nullptr);
    if (entries <= 0)
        return nullptr;
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + entries * sizeof(PALETTEENTRY));
    auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(entries);
    GetPaletteEntries(m_palette, 0, static_cast<UINT>(entries), palette->palPalEntry);
    return CreatePalette(palette);
}

HBITMAP CDibFile::CreateBitmap() const
{
    if (!m_dib)
        return nullptr;
    ycom::GlobalLockView<BYTE> view(m_dib);
    DWORD entries = 0, entrySize = 0, start = 0;
    if (!view.Get() || !ColorTable(view.Get(), view.Size(), &entries, &entrySize, &start))
        return nullptr;
    const size_t bitsAt = start + static_cast<size_t>(entries) * entrySize;
    // Uncompressed bits must all be there: GDI would read on past the block for the rows missing.
    const BYTE* h = view.Get();
    const bool core = start == kCoreHeaderSize;
    const long long width = core ? Read16(h + 4) : static_cast<int32_t>(Read32(h + 4));
    const long long height = core ? Read16(h + 6) : static_cast<int32_t>(Read32(h + 8));
    const int bits = core ? Read16(h + 10) : Read16(h + 14);
    const DWORD compression = core ? BI_RGB : Read32(h + 16);
    if (compression == BI_RGB) {
        const unsigned long long stride = (static_cast<unsigned long long>(width < 0 ? -width : width) * bits + 31) / 32 * 4;
        if (stride * static_cast<unsigned long long>(height < 0 ? -height : height) > view.Size() - bitsAt)
            return nullptr;
    }
    HDC screen = GetDC(nullptr);
    HPALETTE old = nullptr;
    if (m_palette) {
        old = SelectPalette(screen, m_palette, FALSE);
        RealizePalette(screen);
    }
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(view.Get());
    HBITMAP bitmap = CreateDIBitmap(screen, info, CBM_INIT, view.Get() + bitsAt,
                                    reinterpret_cast<const BITMAPINFO*>(view.Get()), DIB_RGB_COLORS);
    if (old)
        SelectPalette(screen, old, FALSE);
    ReleaseDC(nullptr, screen);
    return bitmap;
}
