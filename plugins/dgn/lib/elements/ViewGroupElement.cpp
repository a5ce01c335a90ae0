#include "ViewGroupElement.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

namespace {

constexpr std::uint16_t kType97 = 97;

} // namespace

CViewGroupElement::CViewGroupElement(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = kType97;
    m_flags |= kElementComplexHeader | kElementNonModel;
    StoreU32(m_data, 0x10000);
    StoreU32(m_data + 4, 64);
    StoreU32(m_data + 16, 2);
}

CViewGroupElement::~CViewGroupElement() = default;

CViewGroupElement* CViewGroupElement::Create(CDesignFile* file, std::int32_t model)
{
    CViewGroupElement* g = file ? new (std::nothrow) CViewGroupElement(file) : nullptr;
    if (g) {
        g->m_model = model;
        g->m_elementId = file->NewElementId();
        g->EnterIdIndex();
    }
    return g;
}

int CViewGroupElement::GetType() const { return kType97; }
std::uint32_t CViewGroupElement::FixedBytes() const { return 4 + sizeof m_data; }
std::uint8_t* CViewGroupElement::GetGroupData() { return m_data; }

bool CViewGroupElement::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < FixedBytes())
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    std::memcpy(m_data, b + 4, sizeof m_data);
    return true;
}

void CViewGroupElement::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    std::memcpy(out + 4, m_data, sizeof m_data);
}

IElement* CViewGroupElement::Clone(CDesignFile* target, bool removeSource)
{
    CViewGroupElement* copy = new (std::nothrow) CViewGroupElement(target ? target : m_designFile);
    if (copy)
        std::memcpy(copy->m_data, m_data, sizeof m_data);
    return FinishClone(copy, target, removeSource);
}

void CViewGroupElement::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "View Group Header");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
