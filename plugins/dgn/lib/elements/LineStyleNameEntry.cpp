#include "LineStyleNameEntry.h"

#include "DesignFile.h"
#include "LittleEndian.h"
#include "platform/Platform.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kBodyBytes = 192;
constexpr std::uint32_t kNumberAt = 60;
constexpr std::uint32_t kNameAt = 64;
constexpr int kNameUnits = 64;

} // namespace

CLineStyleNameEntry::CLineStyleNameEntry(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 95;
    m_level = 7;
    m_flags |= kElementNonModel;
}

CLineStyleNameEntry::~CLineStyleNameEntry() = default;

int CLineStyleNameEntry::GetType() const { return 95; }
std::uint32_t CLineStyleNameEntry::FixedBytes() const { return kBodyBytes; }
std::int32_t CLineStyleNameEntry::GetLineStyleNumber() const { return m_number; }
void CLineStyleNameEntry::SetLineStyleNumber(std::int32_t number) { m_number = number; }

bool CLineStyleNameEntry::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kBodyBytes)
        return false;
    std::memcpy(m_words, b, sizeof m_words);
    m_number = static_cast<std::int32_t>(LoadU32(b + kNumberAt));
    // Up to and with the terminating zero, at most 64 characters.
    for (int i = 0; i < kNameUnits; ++i) {
        m_name[i] = static_cast<char16_t>(LoadU16(b + kNameAt + 2 * i));
        if (!m_name[i]) {
            for (int j = i; j <= kNameUnits; ++j)
                m_name[j] = 0;
            break;
        }
    }
    m_name[kNameUnits] = 0;
    return true;
}

void CLineStyleNameEntry::WriteFixed(std::uint8_t* out) const
{
    std::memcpy(out, m_words, sizeof m_words);
    StoreU32(out + kNumberAt, static_cast<std::uint32_t>(m_number));
    for (int i = 0; i < kNameUnits; ++i)
        StoreU16(out + kNameAt + 2 * i, m_name[i]);
}

void CLineStyleNameEntry::GetName(char* out) const
{
    if (!out)
        return;
    int units = 0;
    while (units < kNameUnits && m_name[units])
        ++units;
    const int n = Utf16ToAnsi(m_name, units, out, 2 * kNameUnits);
    out[n] = 0;
}

void CLineStyleNameEntry::SetName(const char* name)
{
    std::memset(m_name, 0, sizeof m_name);
    if (!name)
        return;
    const std::size_t bytes = std::strlen(name);
    AnsiToUtf16(name, static_cast<int>(bytes), m_name, kNameUnits);
}

IElement* CLineStyleNameEntry::Clone(CDesignFile* target, bool removeSource)
{
    CLineStyleNameEntry* copy = new (std::nothrow) CLineStyleNameEntry(target ? target : m_designFile);
    if (copy) {
        std::memcpy(copy->m_words, m_words, sizeof m_words);
        copy->m_number = m_number;
        std::memcpy(copy->m_name, m_name, sizeof m_name);
    }
    return FinishClone(copy, target, removeSource);
}

void CLineStyleNameEntry::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "LSName table entry");
    IElement::Describe(callback);
    char name[2 * kNameUnits + 1];
    GetName(name);
    EmitLine(callback, kLineBuffer, "lstyle: %i  name: %s", m_number, name);
    EmitEnd(callback);
}

} // namespace dgn
