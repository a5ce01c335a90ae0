#include "ElementPayload.h"

#include "ByteArray.h"

#include <cstring>

namespace dgn {

bool AssignPayload(CByteArray* payload, const std::uint8_t* begin, const std::uint8_t* end)
{
    if (!payload)
        return false;
    payload->Reset();
    const std::uint32_t n = end > begin ? static_cast<std::uint32_t>(end - begin) : 0;
    return n == 0 || payload->Append(begin, n);
}

bool PadPayload(CByteArray* payload, std::uint64_t size)
{
    if (!payload)
        return false;
    const std::uint32_t have = payload->Size();
    if (size <= have)
        return true;
    if (size > 0xFFFFFFF0u)
        return false;
    const std::uint32_t add = static_cast<std::uint32_t>(size) - have;
    if (payload->Grow(add) != size)
        return false;
    std::memset(payload->Data() + have, 0, add);
    return true;
}

bool PadPayloadToWord(CByteArray* payload) { return PadPayload(payload, (static_cast<std::uint64_t>(PayloadSize(payload)) + 1) & ~std::uint64_t(1)); }

CByteArray* ClonePayload(const CByteArray* source)
{
    return source ? source->Clone() : CByteArray::NewWithCapacity(kPayloadStep);
}

std::uint32_t PayloadSize(const CByteArray* payload) { return payload ? payload->Size() : 0; }

} // namespace dgn
