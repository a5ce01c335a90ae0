#include "DgnStoreHeader.h"

#include "DesignFile.h"
#include "LittleEndian.h"

#include <cstring>
#include <new>

namespace dgn {

CDgnStoreHeader::CDgnStoreHeader(CDesignFile* file) : CFixedBodyElement(file)
{
    m_type = 39;
    m_flags |= kElementNonModel;
}

CDgnStoreHeader::~CDgnStoreHeader() = default;

int CDgnStoreHeader::GetType() const { return 39; }
std::uint8_t* CDgnStoreHeader::GetStoreData() { return m_fields; }
std::uint32_t CDgnStoreHeader::FixedBytes() const { return 4 + sizeof m_fields; }

bool CDgnStoreHeader::ReadFixed(const std::uint8_t* b, std::uint32_t available)
{
    if (available < FixedBytes())
        return false;
    SetChildCount(static_cast<std::int32_t>(LoadU32(b)));
    std::memcpy(m_fields, b + 4, sizeof m_fields);
    return true;
}

void CDgnStoreHeader::WriteFixed(std::uint8_t* out) const
{
    StoreU32(out, static_cast<std::uint32_t>(ChildCount()));
    std::memcpy(out + 4, m_fields, sizeof m_fields);
}

IElement* CDgnStoreHeader::Clone(CDesignFile* target, bool removeSource)
{
    CDgnStoreHeader* copy = new (std::nothrow) CDgnStoreHeader(target ? target : m_designFile);
    if (copy)
        std::memcpy(copy->m_fields, m_fields, sizeof m_fields);
    IElement* done = FinishClone(copy, target, removeSource);
    if (done)
        Touch();
    return done;
}

void CDgnStoreHeader::Describe(LineCallback callback)
{
    // The signature: the four bytes at body offset 8.
    char signature[6] = {'x', 'x', 'x', 'x', 0, 0};
    std::memcpy(signature, m_fields + 4, 4);
    EmitLine(callback, kLineBuffer, "DgnStore Header - signature: %s", signature);
    IElement::Describe(callback);
    EmitEnd(callback);
}

} // namespace dgn
