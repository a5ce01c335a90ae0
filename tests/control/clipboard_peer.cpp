// A second program reading what a control copied: opens the clipboard, saves the control's own
// data and the enhanced metafile to the two files named. Exit 0 when both were there, 2 when the
// clipboard could not be opened, 3 without the own data, 4 without the metafile.
#include <windows.h>
#include <cstdio>
#include <vector>

namespace {

bool WriteAll(const char* path, const void* data, size_t size)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    // Format numbers belong to the desktop: the own format is found by its name.
    const UINT own = RegisterClipboardFormatA("YVEX Clipboard data");
    bool opened = false;
    for (int i = 0; i < 100 && !opened; ++i) {
        opened = OpenClipboard(nullptr) != FALSE;
        if (!opened)
            Sleep(20);
    }
    if (!opened)
        return 2;
    int result = 0;
    HGLOBAL data = own ? GetClipboardData(own) : nullptr;
    const void* bytes = data ? GlobalLock(data) : nullptr;
    if (!bytes || !WriteAll(argv[1], bytes, GlobalSize(data)))
        result = 3;
    if (bytes)
        GlobalUnlock(data);
    HENHMETAFILE picture = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    const UINT size = picture ? GetEnhMetaFileBits(picture, 0, nullptr) : 0;
    std::vector<BYTE> emf(size);
    if (result == 0 && (size == 0 || GetEnhMetaFileBits(picture, size, emf.data()) != size ||
                        !WriteAll(argv[2], emf.data(), emf.size())))
        result = 4;
    CloseClipboard();
    return result;
}
