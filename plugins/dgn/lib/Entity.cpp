#include "Entity.h"

#include "EntityContainer.h"
#include "EntityIterator.h"
#include "Library.h"
#include "RootContainer.h"

namespace dgn {

IEntity::IEntity(IEntity* owner) : m_owner(owner)
{
    if (owner)
        owner->AddChild(this);
}

IEntity::IEntity(IEntity* owner, LinkAfterOwner) : m_owner(owner)
{
    InsertAfter(owner);
}

IEntity::~IEntity()
{
    DestroySubtree();
    Unlink();
}

void IEntity::DestroySubtree()
{
    CLibraryLockGuard lock;
    // Each child's destructor unlinks it (with its own subtree), so m_next moves on to the
    // next child; the destroying byte keeps a child that is already being deleted from being
    // deleted a second time.
    while (m_childList && m_next && m_next != m_childList && !m_next->m_destroying) {
        IEntity* child = m_next;
        child->m_destroying = 1;
        delete child;
    }
    if (m_childList) {
        CEntityContainer* container = m_childList;
        m_childList = nullptr;
        container->m_destroying = 1;
        delete container;
    }
}

IEntity* IEntity::SubtreeEnd() const
{
    return m_childList ? static_cast<IEntity*>(m_childList) : const_cast<IEntity*>(this);
}

bool IEntity::SubtreeContains(const IEntity* e) const
{
    if (!e)
        return false;
    const IEntity* end = SubtreeEnd();
    for (const IEntity* p = this; p; p = p->m_next) {
        if (p == e)
            return true;
        if (p == end)
            break;
    }
    return false;
}

void IEntity::LinkBetween(IEntity* p, IEntity* n)
{
    IEntity* last = SubtreeEnd();
    if (p)
        p->m_next = this;
    m_prev = p;
    last->m_next = n;
    if (n)
        n->m_prev = last;
}

CEntityIterator* IEntity::CreateChildIterator(const CEntityIterator* criteria)
{
    CLibraryLockGuard lock;
    if (!m_childList)
        return nullptr;
    return CEntityIterator::Create(criteria, m_next, m_childList);
}

void IEntity::InsertAfterSubtree(IEntity* ref)
{
    CLibraryLockGuard lock;
    CRootContainer* root = GetRootContainer();
    if (!ref || ref == root) {
        InsertAfter(nullptr);
        return;
    }
    if (SubtreeContains(ref))
        return;
    Unlink();
    if (ref->m_childList) {
        LinkBetween(ref->m_childList, ref->m_childList->m_next);
        m_owner = ref;
    } else {
        LinkBetween(ref, ref->m_next);
        m_owner = ref->m_owner;
    }
    m_createdAtMark = CurrentLibraryMark();
}

void IEntity::InsertBefore(IEntity* ref)
{
    CLibraryLockGuard lock;
    CRootContainer* root = GetRootContainer();
    if (!ref || ref == root) {
        // The root's first child.
        if (!root || this == root)
            return;
        Unlink();
        LinkBetween(root, root->m_next);
        m_owner = root;
    } else {
        if (SubtreeContains(ref))
            return;
        Unlink();
        LinkBetween(ref->m_prev, ref);
        m_owner = ref->m_owner;
    }
    m_createdAtMark = CurrentLibraryMark();
}

void IEntity::InsertAfter(IEntity* ref)
{
    CLibraryLockGuard lock;
    CRootContainer* root = GetRootContainer();
    if (!ref || ref == root) {
        // The root's last child: right before the container that closes the root's range.
        if (!root || this == root || !root->m_childList)
            return;
        Unlink();
        LinkBetween(root->m_childList->m_prev, root->m_childList);
        m_owner = root;
    } else {
        if (SubtreeContains(ref))
            return;
        Unlink();
        LinkBetween(ref, ref->m_next);
        m_owner = ref->m_owner;
    }
    m_createdAtMark = CurrentLibraryMark();
}

void IEntity::Unlink()
{
    CLibraryLockGuard lock;
    IEntity* last = SubtreeEnd();
    IEntity* p = m_prev;
    IEntity* n = last->m_next;
    if (p)
        p->m_next = n;
    if (n)
        n->m_prev = p;
    m_prev = nullptr;
    last->m_next = nullptr;
}

CEntityContainer* IEntity::GetChildList()
{
    CLibraryLockGuard lock;
    if (!m_childList) {
        // The container links itself right after this entity, which then still ends its own
        // subtree; from here on the container closes it.
        CEntityContainer* container = CEntityContainer::CreateAfter(this, CEntityContainer::kChildList);
        if (!container)
            return nullptr;
        m_childList = container;
        container->m_owner = this;
    }
    return m_childList;
}

void IEntity::AddChild(IEntity* child)
{
    if (!child || child == this)
        return;
    CLibraryLockGuard lock;
    CEntityContainer* list = GetChildList();
    if (!list)
        return;
    child->InsertBefore(list);
    // Refused when this entity lies in the child's own subtree.
    if (child->SubtreeEnd()->m_next == list)
        ++m_childCount;
}

bool IEntity::AdoptFollowing(IEntity* last)
{
    CLibraryLockGuard lock;
    if (m_childList || !last || last == this)
        return false;
    // last must be reached stepping over whole subtrees, before the range this entity lies
    // in ends (at a container).
    IEntity* c = m_next;
    while (c && c != last && c->GetKind() != kEntityContainer)
        c = c->SubtreeEnd()->m_next;
    if (c != last)
        return false;
    CEntityContainer* container = CEntityContainer::Create(CEntityContainer::kChildList);
    if (!container)
        return false;
    IEntity* tail = last->SubtreeEnd();
    IEntity* after = tail->m_next;
    tail->m_next = container;
    container->m_prev = tail;
    container->m_next = after;
    if (after)
        after->m_prev = container;
    container->m_owner = this;
    container->m_createdAtMark = CurrentLibraryMark();
    for (IEntity* child = m_next; child != container; child = child->SubtreeEnd()->m_next)
        child->m_owner = this;
    m_childList = container;
    return true;
}

void IEntity::MarkDeleted()
{
    m_hidden = 1;
    m_deletedAtMark = CurrentLibraryMark();
}

void IEntity::UnmarkDeleted()
{
    m_hidden = 0;
    m_deletedAtMark = -1;
}

void IEntity::SetVisitFlag() { m_visitFlag = 1; }
void IEntity::ClearVisitFlag() { m_visitFlag = 0; }
int IEntity::GetKind() const { return kEntityPlain; }
int IEntity::GetType() const { return 0; }
bool IEntity::GetSelectorFacts(SelectorFacts*) const { return false; }

} // namespace dgn
