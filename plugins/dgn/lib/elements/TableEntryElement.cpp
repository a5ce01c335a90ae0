#include "TableEntryElement.h"

#include "elements/TableHeaderElement.h"

#include <new>

namespace dgn {

CTableEntryElement::CTableEntryElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 95;
    m_flags |= kElementNonModel;
}

CTableEntryElement::~CTableEntryElement() = default;

int CTableEntryElement::GetType() const { return 95; }
std::uint32_t CTableEntryElement::FixedBytes() const { return 0; }
bool CTableEntryElement::ReadFixed(const std::uint8_t*, std::uint32_t) { return true; }
void CTableEntryElement::WriteFixed(std::uint8_t*) const {}

IElement* CTableEntryElement::Clone(CDesignFile* target, bool removeSource)
{
    IElement* copy = FinishClone(new (std::nothrow) CTableEntryElement(target ? target : m_designFile), target, removeSource);
    if (copy)
        Touch();
    return copy;
}

void CTableEntryElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "Table Entry - level %i %s", m_level, TableName(m_level));
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
