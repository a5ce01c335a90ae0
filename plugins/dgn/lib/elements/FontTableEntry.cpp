#include "FontTableEntry.h"

#include "DesignFile.h"
#include "DgnString.h"
#include "DgnStringFunctions.h"
#include "LittleEndian.h"
#include "linkages/LinkageText.h"

#include <cstdlib>
#include <new>

namespace dgn {

namespace {

constexpr std::uint32_t kNameAt = 14;

} // namespace

CFontTableEntry::CFontTableEntry(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 95;
    m_level = 2;
    m_flags |= kElementNonModel;
    m_fontName = CDgnString::Create();
}

CFontTableEntry::~CFontTableEntry() { delete m_fontName; }

int CFontTableEntry::GetType() const { return 95; }
std::uint16_t CFontTableEntry::GetFontWord2() const { return static_cast<std::uint16_t>(m_fontWord2); }
void CFontTableEntry::SetFontWord2(std::uint32_t value) { m_fontWord2 = value; }
CDgnString* CFontTableEntry::GetFontName() const { return m_fontName; }

void CFontTableEntry::SetFontName(const char* name)
{
    if (m_fontName)
        m_fontName->Set(name);
}

std::uint32_t CFontTableEntry::NameUnits() const { return m_fontName ? m_fontName->CharCount() : 0; }
std::uint32_t CFontTableEntry::FixedBytes() const { return kNameAt + 2 * NameUnits(); }

bool CFontTableEntry::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < kNameAt || !m_fontName)
        return false;
    m_fontWord0 = LoadU32(b);
    m_fontWord1 = LoadU32(b + 4);
    m_fontWord2 = LoadU32(b + 8);
    std::uint32_t units = LoadU16(b + 12) / 2;
    if (units > (available - kNameAt) / 2)
        units = (available - kNameAt) / 2;
    char16_t* w = static_cast<char16_t*>(std::malloc((units + 1) * sizeof(char16_t)));
    if (!w)
        return false;
    for (std::uint32_t i = 0; i < units; ++i)
        w[i] = static_cast<char16_t>(LoadU16(b + kNameAt + 2 * i));
    w[units] = 0;
    // The name ends at its first zero unit.
    std::uint32_t n = 0;
    while (n < units && w[n])
        ++n;
    m_fontName->Clear();
    const bool ok = n == 0 || m_fontName->SetWide(w, n) != 0;
    std::free(w);
    return ok;
}

void CFontTableEntry::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, m_fontWord0);
    StoreU32(out + 4, m_fontWord1);
    StoreU32(out + 8, m_fontWord2);
    const std::uint32_t units = NameUnits();
    StoreU16(out + 12, static_cast<std::uint16_t>(2 * units));
    if (!units)
        return;
    char16_t* w = static_cast<char16_t*>(std::malloc((units + 1) * sizeof(char16_t)));
    if (!w) {
        for (std::uint32_t i = 0; i < 2 * units; ++i)
            out[kNameAt + i] = 0;
        return;
    }
    m_fontName->CopyToWide(w);
    for (std::uint32_t i = 0; i < units; ++i)
        StoreU16(out + kNameAt + 2 * i, w[i]);
    std::free(w);
}

IElement* CFontTableEntry::Clone(CDesignFile* target, bool removeSource)
{
    CFontTableEntry* copy = new (std::nothrow) CFontTableEntry(target ? target : m_designFile);
    if (copy) {
        copy->m_fontWord0 = m_fontWord0;
        copy->m_fontWord1 = m_fontWord1;
        copy->m_fontWord2 = m_fontWord2;
        if (!copy->m_fontName || !m_fontName || !copy->m_fontName->Assign(*m_fontName)) {
            delete copy;
            return nullptr;
        }
    }
    return FinishClone(copy, target, removeSource);
}

void CFontTableEntry::Describe(LineCallback callback)
{
    if (m_fontName && m_fontName->IsWide())
        EmitWideLine(callback, kLineBuffer, WidenAscii("Font table entry: ") + WideText(*m_fontName));
    else
        EmitLine(callback, kLineBuffer, "Font table entry: %s", m_fontName ? NarrowText(*m_fontName).c_str() : "");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
