#include "EntityContainer.h"

#include <new>

namespace dgn {

CEntityContainer* CEntityContainer::Create(std::int32_t containerKind)
{
    return new (std::nothrow) CEntityContainer(nullptr, containerKind);
}

CEntityContainer* CEntityContainer::CreateAfter(IEntity* owner, std::int32_t containerKind)
{
    return new (std::nothrow) CEntityContainer(owner, LinkAfterOwner{}, containerKind);
}

int CEntityContainer::GetKind() const { return kEntityContainer; }

} // namespace dgn
