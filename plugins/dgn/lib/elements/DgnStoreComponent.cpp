#include "DgnStoreComponent.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

CDgnStoreComponent::CDgnStoreComponent(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 38;
    m_flags |= kElementNonModel;
}

CDgnStoreComponent::~CDgnStoreComponent() = default;

int CDgnStoreComponent::GetType() const { return 38; }
std::uint8_t* CDgnStoreComponent::GetStoreData() { return m_fields; }

// The values and the last word stand in the body only when the flag is 0.
std::uint32_t CDgnStoreComponent::FixedBytes() const { return LoadU32(m_fields + 4) == 0 ? 28 : 8; }

bool CDgnStoreComponent::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < 8)
        return false;
    std::memset(m_fields, 0, sizeof m_fields);
    std::memcpy(m_fields, b, 8);
    if (FixedBytes() > available)
        return false;
    std::memcpy(m_fields, b, FixedBytes());
    return true;
}

void CDgnStoreComponent::WriteFixed(std::uint8_t* out) const { std::memcpy(out, m_fields, FixedBytes()); }

IElement* CDgnStoreComponent::Clone(CDesignFile* target, bool removeSource)
{
    CDgnStoreComponent* copy = new (std::nothrow) CDgnStoreComponent(target ? target : m_designFile);
    if (copy)
        std::memcpy(copy->m_fields, m_fields, sizeof m_fields);
    IElement* done = FinishClone(copy, target, removeSource);
    if (done)
        Touch();
    return done;
}

void CDgnStoreComponent::Describe(LineCallback callback)
{
    EmitLine(callback, kLineBuffer, "DgnStore Component (Smart Geometry)");
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
