#include "GroupDataElement.h"

#include "DesignFile.h"

#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType5 = 5;
constexpr std::int32_t kColorTableLevel = 1;

} // namespace

CGroupDataElement::CGroupDataElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType5;
    m_flags |= kElementNonModel;
}

CGroupDataElement::~CGroupDataElement() = default;

int CGroupDataElement::GetType() const { return kType5; }
std::uint32_t CGroupDataElement::FixedBytes() const { return 0; }
bool CGroupDataElement::ReadFixed(const std::uint8_t*, std::uint32_t) { return true; }
void CGroupDataElement::WriteFixed(std::uint8_t*) const {}

void CGroupDataElement::OfferColorTable()
{
    if (m_level != kColorTableLevel || !m_designFile)
        return;
    const std::uint32_t at = m_designFile->IsV8() ? 2 : 10;
    const std::uint32_t size = m_rawBody.Size();
    m_designFile->SetColorTable(size > at ? m_rawBody.Data() + at : nullptr, size > at ? size - at : 0);
}

bool CGroupDataElement::ReadV8(const std::uint8_t** cursor, std::uint32_t length)
{
    if (!CFixedBodyElement::ReadV8(cursor, length))
        return false;
    OfferColorTable();
    return true;
}

bool CGroupDataElement::ReadV7(const std::uint8_t** cursor, std::uint32_t length)
{
    const std::uint8_t* record = *cursor;
    const std::uint32_t n = V7RecordLength(record, length, kV7HeaderBytes);
    if (!n || !m_rawBody.Ok() || !IElement::ReadV7(cursor, length) || !m_rawBody.Assign(record + kV7HeaderBytes, record + n)) {
        *cursor = record;
        return false;
    }
    *cursor = record + n;
    OfferColorTable();
    return true;
}

void CGroupDataElement::Touch()
{
    OfferColorTable();
    CFixedBodyElement::Touch();
}

IElement* CGroupDataElement::Clone(CDesignFile* target, bool removeSource)
{
    IElement* copy = FinishClone(new (std::nothrow) CGroupDataElement(target ? target : m_designFile), target, removeSource);
    if (copy)
        Touch();
    return copy;
}

void CGroupDataElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Group Data Block - level: %i", m_level);
    EmitEnd(callback);
}

} // namespace dgn
