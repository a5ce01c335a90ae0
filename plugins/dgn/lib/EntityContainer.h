#pragma once
// A container entity: the child list that closes an entity's subtree in the chain, or the
// cursor of an iterator, which stands in the chain right before the next entity to visit so
// that edits of the chain never leave the iterator pointing at a removed node.
#include "Entity.h"

namespace dgn {

class CEntityContainer : public IEntity {
public:
    enum ContainerKind { kChildList = 1, kCursor = 2 };

    // An unlinked container, or null when memory runs out.
    static CEntityContainer* Create(std::int32_t containerKind);
    // A container linked right after owner, or null when memory runs out.
    static CEntityContainer* CreateAfter(IEntity* owner, std::int32_t containerKind);

    int GetKind() const override;
    std::int32_t ContainerKind() const { return m_containerKind; }

private:
    CEntityContainer(IEntity* owner, std::int32_t containerKind) : IEntity(owner), m_containerKind(containerKind) {}
    CEntityContainer(IEntity* owner, LinkAfterOwner tag, std::int32_t containerKind)
        : IEntity(owner, tag), m_containerKind(containerKind)
    {
    }

    std::int32_t m_containerKind;
};

} // namespace dgn
