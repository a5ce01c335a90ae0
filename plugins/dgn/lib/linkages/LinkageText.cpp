#include "LinkageText.h"

#include "DgnString.h"
#include "DgnStringFunctions.h"

#include <cstring>
#include <vector>

namespace dgn {

bool AssignContentBytes(CDgnString& s, const std::uint8_t* bytes, std::uint32_t n)
{
    s.Clear();
    if (n == 0)
        return true;
    // Two zero bytes close either width.
    std::vector<char> text(static_cast<std::size_t>(n) + 2, '\0');
    std::memcpy(text.data(), bytes, n);
    const bool wide = IsWideDgnString(text.data());
    s.SetBytes(text.data(), static_cast<std::int32_t>(n + (wide ? 2 : 1)));
    return s.Length() != 0;
}

const std::uint8_t* ContentBytes(CDgnString& s, std::uint32_t* n)
{
    CDgnString& text = s;
    *n = text.Length();
    return reinterpret_cast<const std::uint8_t*>(text.Buffer());
}

std::string NarrowText(CDgnString& s)
{
    CDgnString& text = s;
    if (text.IsWide())
        return std::string();
    return std::string(text.Text(), text.CharCount());
}

std::u16string WideText(CDgnString& s)
{
    CDgnString& text = s;
    std::u16string out;
    const std::uint32_t n = text.CharCount();
    const char* units = text.Text();
    for (std::uint32_t i = 0; i < n; ++i)
        out.push_back(text.IsWide() ? Utf16UnitAt(units, i) : static_cast<char16_t>(static_cast<unsigned char>(units[i])));
    return out;
}

std::uint32_t OwnContentLength(const char* text)
{
    if (!text)
        return 0;
    const std::uint32_t full = DgnStringByteLength(text);
    const std::uint32_t terminator = IsWideDgnString(text) ? 2 : 1;
    return full > terminator ? full - terminator : 0;
}

void ClearTextBuffer(char* buffer, std::uint32_t capacity)
{
    if (buffer && capacity)
        std::memset(buffer, 0, capacity < 2 ? capacity : 2);
}

void CopyTextToBuffer(CDgnString& s, char* buffer, std::uint32_t capacity)
{
    if (!buffer || capacity == 0)
        return;
    CDgnString& text = s;
    ClearTextBuffer(buffer, capacity);
    if (text.IsWide()) {
        if (capacity < 2)
            return;
        std::uint32_t n = text.CharCount();
        if (n > capacity / 2 - 1)
            n = capacity / 2 - 1;
        std::memcpy(buffer, text.Text(), static_cast<std::size_t>(n) * 2);
        buffer[2 * n] = buffer[2 * n + 1] = 0;
        return;
    }
    std::uint32_t n = text.CharCount();
    if (n > capacity - 1)
        n = capacity - 1;
    std::memcpy(buffer, text.Text(), n);
    buffer[n] = 0;
}

} // namespace dgn
